// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Progress.h"
#include "history/HistoryCommands.h"
#include "shell/windows/BackgroundWork.h"
#include "shell/windows/QtTranslations.h"
#include "structure/StructureFile.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace zentrova {

struct AppContext;
class FileCommands;
class InstrumentLink;
class AboutBox;
class CommentsDialog;
class PortDialog;
class ExportDialog;
class ProgressDialog;
enum class ReceiveStep;
class InstrumentInfoDialog;
class PrintoutHeadingDialog;
class PrintPreview;
class LanguageDialog;
class AnnotatedGrid;
class ElementTreeView;
class CopyBuffer;
class RecordDetailDialog;
class ChartWindow;
class HistoryWindow;
class HistorySettingsDialog;

// The main window: menus, tool bar, the structure tree beside the results grid.
class MainWindow : public QMainWindow, public StructureView {
    Q_OBJECT
public:
    explicit MainWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The windows the main window calls; created by the program entry in its
    // order. Any of them may be missing (tests build only what they need).
    struct Windows {
        ProgressDialog* progress = nullptr;
        PortDialog* portDialog = nullptr;
        PrintPreview* preview = nullptr;
        PrintoutHeadingDialog* headingDialog = nullptr;
        AboutBox* about = nullptr;
        LanguageDialog* language = nullptr;
        ExportDialog* exportDialog = nullptr;
        InstrumentInfoDialog* instrumentData = nullptr;
        CommentsDialog* comments = nullptr;
        RecordDetailDialog* recordDetail = nullptr;
        ChartWindow* chart = nullptr;
        HistoryWindow* history = nullptr;
        HistorySettingsDialog* historySettings = nullptr;
    };
    void setWindows(const Windows& windows, InstrumentLink* link);
    FileCommands& fileCommands() { return *files_; }

    // The first activation: languages, profile, settings, command-line file.
    void activated();
    bool firstActivationPending() const { return firstActivation_; }
    void applyFamilyProfile();
    void writeResultHeadings();

    // What the structure's file and transfer routines ask of the window.
    void updateMainCaption() override;
    void fillResultsGrid() override;
    void setResultsView(int flag) override;
    void showStructurePanel(bool shown) override;
    bool structurePanelShown() const override { return structureShown_; }
    void profileApplied() override;
    void treeReplaced() override;
    // Puts every caption, hint and menu text of the loaded language on the window.
    void applyInterfaceTexts();
    void applyFonts();

    QAction* action(const std::string& key) const;
    // The commands that are off while long work runs (marked so where the
    // menus are made), the recent-files entries among them.
    const std::vector<QAction*>& commandsWaitingForWork() const { return waitingCommands_; }
    // A close asked for while work ran, to be done once it is over.
    bool closePending() const { return closeAfterWork_; }
    ElementTreeView* tree() const { return tree_; }
    AnnotatedGrid* resultsGrid() const { return resultsGrid_; }
    QLabel* panelCaption() const { return panelCaption_; }
    QMenu* gridMenu() const { return gridMenu_; }
    // The grid's Copy: the selected cells through the row buffer to the clipboard.
    void copyRows();
    // Opens the full record of line `gridRow` of the results grid.
    void showRecordDetail(int gridRow);
    // Shows the tree of the model and the results of its selection.
    void refreshStructureView();
    QToolButton* toolButton(const char* name) const;
    int helpContext() const { return helpContext_; }

    // The structure file named on the command line, opened at the first activation.
    QString commandLineFile;

    // Size, position and the tree's width as the user left them in the last
    // run. False when the settings hold no window size (the first run).
    bool restoreWindowLayout();
    void saveWindowLayout();
    // The recent-files entries of the File menu, from the settings.
    void refreshRecentFiles();
    const std::vector<QAction*>& recentFileActions() const { return recentActions_; }
    // Opens an entry of the recent-files list, or a file dropped on the window.
    void openRecentFile(const QString& path);
    void openDroppedFile(const QString& path);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void buildMenus();
    void buildRecentFiles();
    void buildToolBar();
    void buildCentre();
    QAction* addEntry(QMenu* menu, const std::string& key);
    QString text(const std::string& key) const;

    void openStructure();
    void saveStructure();
    void saveStructureAs();
    void exportText();
    void openPrintPreview();
    void receiveResults();
    void showInstrumentInfo();
    void configurePort();
    void editPrintoutHeading();
    void editComments();
    void selectLanguage();
    void showHelpContents();
    void showAbout();
    void addToHistory();
    // Asks which installation a document that names no test site belongs to.
    InstallationQuestion installationQuestion();
    void showHistory();
    // Refused evaluation settings and chosen rule sets not installed, said
    // once per run in the status bar when the judging is first used.
    void tellJudgingProblemsOnce();
    void configureHistory();
    // File > Add to history: offered while the structure has results and no transfer runs.
    void updateHistoryCommand();

    AppContext& ctx_;
    std::map<std::string, QAction*> actions_;
    std::vector<QAction*> waitingCommands_;
    std::map<std::string, QMenu*> menus_;
    QToolBar* toolBar_ = nullptr;
    QSplitter* splitter_ = nullptr;
    ElementTreeView* tree_ = nullptr;
    QWidget* resultsPanel_ = nullptr;
    QLabel* panelCaption_ = nullptr;
    QLabel* measurementsLabel_ = nullptr;
    AnnotatedGrid* resultsGrid_ = nullptr;
    QMenu* gridMenu_ = nullptr;
    std::unique_ptr<CopyBuffer> copyBuffer_;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
    QtTranslations qtTexts_;
    int treeWidth_ = 300;
    int resultsView_ = 0; // 1: the results of the selected element, 0: the element view
    int helpContext_ = 1;
    bool firstActivation_ = true; // the start-up sequence has yet to run

    Windows w_;
    InstrumentLink* link_ = nullptr;
    std::unique_ptr<NullProgress> nullProgress_;
    std::unique_ptr<FileCommands> files_;
    bool structureShown_ = false;
    bool serialBusy_ = false;
    bool working_ = false; // long work runs on a worker thread
    // Commands that would start a second serial operation while one runs, or
    // change what long work reads while it runs.
    void setSerialBusy(bool busy);
    void updateBusyCommands();
    // A close that came while work ran: done once the work and the code
    // around it are over.
    bool closeAfterWork_ = false;
    bool judgingProblemsTold_ = false;
    void closeOnceIdle();
    // What a transfer told while it ran, shown once the window took its document.
    void showReceiveStep(ReceiveStep step);
    std::optional<QString> askInstallation(const QStringList& known, const QString& proposed);
    // Long work (files, export, the history, a transfer) runs here.
    BackgroundRunner runner_;
    Progress& progress();
};

} // namespace zentrova
