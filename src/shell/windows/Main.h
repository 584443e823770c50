#pragma once
#include "shell/Progress.h"
#include "structure/StructureFile.h"

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
class FileCommands;
class InstrumentLink;
class TAboutBox;
class TCommentBox;
class TConfigureCOM;
class TExportDlg;
class TGaugeDlg;
class TInstrumentData;
class TPersonalData;
class TPreview;
class TSelectLanguage;
class TStringGridAll;
class TTreeView;
class TOdlozisce;

// The main window: menus, tool bar, the structure tree beside the results grid.
class TForm1 : public QMainWindow, public StructureView {
    Q_OBJECT
public:
    explicit TForm1(AppContext& ctx, QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows the main window calls; created by the program entry in its
    // order. Any of them may be missing (tests build only what they need).
    struct Windows {
        TGaugeDlg* gauge = nullptr;
        TConfigureCOM* com = nullptr;
        TPreview* preview = nullptr;
        TPersonalData* personal = nullptr;
        TAboutBox* about = nullptr;
        TSelectLanguage* language = nullptr;
        TExportDlg* exportDlg = nullptr;
        TInstrumentData* instrumentData = nullptr;
        TCommentBox* comments = nullptr;
    };
    void setWindows(const Windows& windows, InstrumentLink* link);
    void setDialogs(TPersonalData* personal, TAboutBox* about, TSelectLanguage* language,
                    TCommentBox* comments);
    FileCommands& fileCommands() { return *files_; }

    // The first activation: languages, profile, settings, command-line file.
    void FormActivate();
    void ApplyFamilyProfile();
    void WriteResultHeadings();

    // What the structure's file and transfer routines ask of the window.
    void UpdateMainCaption() override;
    void FillResultsGrid() override;
    void SetResultsView(int flag) override;
    void ShowStructurePanel(bool shown) override;
    bool StructurePanelShown() const override { return structureShown_; }
    void ProfileApplied() override;
    void TreeReplaced() override;
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

    // The structure file named on the command line, opened at the first activation.
    QString commandLineFile;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildCentre();
    QAction* addEntry(QMenu* menu, const std::string& key);
    QString text(const std::string& key) const;

    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Export1Click();
    void PrintPreview1Click();
    void ReceiveResults1Click();
    void InstrumentsData1Click();
    void COMPort1Click();
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

    Windows w_;
    InstrumentLink* link_ = nullptr;
    std::unique_ptr<NullProgress> nullProgress_;
    std::unique_ptr<FileCommands> files_;
    bool structureShown_ = false;
    // Commands that would start a second serial operation while one runs.
    void setSerialBusy(bool busy);
    Progress& progress();
};

} // namespace zentrova
