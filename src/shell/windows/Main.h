#pragma once
#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace zentrova {

struct AppContext;
class TAboutBox;
class TCommentBox;
class TPersonalData;
class TSelectLanguage;
class TStringGridAll;
class TTreeView;
class TOdlozisce;

// The main window: menus, tool bar, the structure tree beside the results grid.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(AppContext& ctx, QWidget* parent = nullptr);
    ~TForm1() override;

    // The dialogs the main window calls; created by the program entry in its order.
    void setDialogs(TPersonalData* personal, TAboutBox* about, TSelectLanguage* language,
                    TCommentBox* comments);

    // The first activation: languages, profile, settings, command-line file.
    void FormActivate();
    void ApplyFamilyProfile();
    void UpdateMainCaption();
    void SetResultsView(int flag);
    void WriteResultHeadings();
    void FillResultsGrid();
    // Puts every caption, hint and menu text of the loaded language on the window.
    void ApplyInterfaceTexts();
    void ApplyFonts();

    QAction* action(const std::string& key) const;
    TTreeView* tree() const { return Tree; }
    TStringGridAll* resultsGrid() const { return TabelaV; }
    QLabel* panelCaption() const { return panelCaption_; }
    QMenu* gridMenu() const { return gridMenu_; }
    // The grid's Copy: the selected cells through the row buffer to the clipboard.
    void Copy1Click();
    // Shows the tree of the model and the results of its selection.
    void RefreshStructureView();
    QToolButton* toolButton(const char* name) const;
    int helpContext() const { return helpContext_; }

    // Seams the later windows fill: the command-line file, COM set-up, preview.
    std::string commandLineFile;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildCentre();
    QAction* addEntry(QMenu* menu, const std::string& key);
    QString text(const std::string& key) const;

    void OperatorTestsite1Click();
    void Comments1Click();
    void SelectLanguage1Click();
    void Contents1Click();
    void About1Click();

    AppContext& ctx;
    std::map<std::string, QAction*> actions_;
    std::map<std::string, QMenu*> menus_;
    QToolBar* toolBar_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TTreeView* Tree = nullptr;
    QWidget* resultsPanel_ = nullptr;
    QLabel* panelCaption_ = nullptr;
    QLabel* measurementsLabel_ = nullptr;
    TStringGridAll* TabelaV = nullptr;
    QMenu* gridMenu_ = nullptr;
    std::unique_ptr<TOdlozisce> odlozisce_;
    int treeWidth_ = 300;
    int helpContext_ = 1;

    TPersonalData* personal_ = nullptr;
    TAboutBox* about_ = nullptr;
    TSelectLanguage* language_ = nullptr;
    TCommentBox* comments_ = nullptr;
};

} // namespace zentrova
