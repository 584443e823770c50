// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Progress.h"
#include "report/Compose.h"
#include "report/ComposePages.h"

#include <QAbstractScrollArea>
#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QToolBar;
class QToolButton;

namespace zentrova {

struct AppContext;
class GridData;
class MarginsDialog;
class PageRangeDialog;

// One recorded page, scaled, on a grey desk; scroll bars when it is larger
// than the window.
class PreviewPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Fit { Percent, PageWidth, WholePage };

    explicit PreviewPageView(QWidget* parent = nullptr);
    void setRecorder(const PageRecorder* recorder);
    void setPage(int n);
    int page() const { return page_; }
    void setZoom(Fit fit, int percent = 100);
    Fit fit() const { return fit_; }
    int percent() const { return percent_; }
    // Screen pixels per recorded page pixel at the current zoom.
    double scale() const;
    // Where the page lies on the viewport.
    QRect pageRect() const;
    // Called whenever the recorded pages changed.
    void pagesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollBars();

    const PageRecorder* recorder_ = nullptr;
    int page_ = 1;
    Fit fit_ = Fit::Percent;
    int percent_ = 100;
};

// The print preview: the pages of the last composition with paging, zoom,
// printer set-up, margins, printing a range of pages and saving as PDF.
// It holds the recorded pages until the next composition; closing it keeps
// them.
class PrintPreview : public QWidget {
    Q_OBJECT
public:
    static constexpr int PreviewHelpContext = 1400;

    explicit PrintPreview(AppContext& ctx, QWidget* parent = nullptr);
    ~PrintPreview() override;

    // The progress dialog the composition reports to (none: nothing shown).
    void setProgress(Progress* progress) { progress_ = progress ? progress : &nullProgress_; }
    // First activation: the zoom list at 100 %, the margins from the settings,
    // an empty document.
    void initPreview();
    // Captions, hints and the two fitting zoom entries in the current language.
    void applyInterfaceTexts();
    // The margins as stored in the settings (after a change elsewhere).
    void loadMargins();

    // Shows the preview and composes `mode` from `grid` (which must outlive
    // the preview: margins and printer set-up compose it again). False when
    // the margins could not be read (the message was shown and the previous
    // pages stay) or a composition is already running.
    bool compose(PrintMode mode, const GridData& grid);
    // Composes the current report again (margins or printer changed),
    // staying on the page shown as far as the new pages reach.
    bool recompose();
    // The same after the printout heading or the comments changed, when the
    // preview is open; nothing when it is closed (the next opening composes).
    void refreshIfShown();

    PageRecorder& prn() { return prn_; }
    const PageRecorder& prn() const { return prn_; }
    int currentPage() const { return view_->page(); }
    void showPage(int n);
    void refreshNavigation();
    // The page setup compositions use: the printer's paper, orientation and
    // resolution, 300 dpi when there is no printer or the printer writes a file.
    PageSetup currentSetup();
    // True when the system has a printer to print on.
    bool printerAvailable();

    // Tool bar actions.
    void showFirstPage();
    void showPreviousPage();
    void showNextPage();
    void showLastPage();
    void zoomOut();
    void zoomIn();
    void zoomChanged(int index);
    void zoomKeyEnter();
    // Goes to the page typed into the page box (its first number, kept
    // within the document); the box shows the indicator again.
    void pageKeyEnter();
    void printSetup();
    void editMargins();
    void printPages();
    void saveAsPdf();
    void closePreview();

    // Prints pages from..to (already checked against the page count) on the
    // printer, or into a PDF file when there is no printer.
    virtual void printRange(int from, int to);

    // For the tests.
    QToolButton* button(const char* name) const;
    QComboBox* zoomBox() const { return zoom; }
    QLineEdit* pageIndicator() const { return page; }
    PreviewPageView* pageView() const { return view_; }
    MarginsDialog* marginsDialog() const { return margins_; }
    PageRangeDialog* pagesDialog() const { return pages_; }
    const MarginTexts& marginTexts() const { return marginTexts_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool composePages(bool fromFirstPage);
    // Brings the preview back over the main window after a message or a
    // dialog of another window had the focus.
    void keepInFront();
    QPrinter& printer();
    QString text(const char* key) const;
    // The save dialog for a PDF file, `proposed` or else the structure's name
    // offered.
    std::optional<QString> askPdfPath(const std::string& title, const QString& proposed = QString());
    bool printToPdf(const QString& path, const std::vector<int>& order);

    AppContext& ctx_;
    PageRecorder prn_;
    NullProgress nullProgress_;
    Progress* progress_ = &nullProgress_;
    std::unique_ptr<QPrinter> printer_;
    MarginTexts marginTexts_;
    const GridData* grid_ = nullptr;
    PrintMode mode_ = PrintResults;
    QString zoomText_; // what the zoom box showed for the zoom in force
    bool composing_ = false;

    QToolBar* toolBar_;
    QToolButton* icoLeftK;
    QToolButton* icoLeft;
    QLineEdit* page;
    QToolButton* icoRight;
    QToolButton* icoRightK;
    QToolButton* icoZoomOut;
    QComboBox* zoom;
    QToolButton* icoZoomIn;
    QToolButton* icoPrintSet;
    QToolButton* icoMargins;
    QToolButton* icoPrint;
    QToolButton* icoPdf;
    QToolButton* icoExit;
    PreviewPageView* view_;
    MarginsDialog* margins_;
    PageRangeDialog* pages_;
};

} // namespace zentrova
