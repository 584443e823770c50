// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "app/windows/MainWindow.h"

#include "app/windows/AboutBox.h"
#include "base/FileHistory.h"
#include "base/FileIO.h"
#include "base/LogRecorder.h"
#include "base/TextRules.h"
#include "comm/InstrumentLink.h"
#include "comm/Receive.h"
#include "comm/TransferLog.h"
#include "comm/windows/InstrumentInfoDialog.h"
#include "comm/windows/PortDialog.h"
#include "comm/windows/ProgressDialog.h"
#include "history/HistoryCommands.h"
#include "history/HistorySettings.h"
#include "history/PointJudgement.h"
#include "history/windows/HistorySettingsDialog.h"
#include "history/windows/HistoryWindow.h"
#include "language/Profile.h"
#include "language/windows/LanguageDialog.h"
#include "report/Compose.h"
#include "report/windows/AnnotatedGrid.h"
#include "report/windows/CommentsDialog.h"
#include "report/windows/ExportDialog.h"
#include "report/windows/PrintPreview.h"
#include "report/windows/PrintoutHeadingDialog.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "shell/windows/HelpViewer.h"
#include "shell/windows/Icons.h"
#include "structure/CopyBuffer.h"
#include "structure/Export.h"
#include "structure/FileCommands.h"
#include "structure/RecordDetail.h"
#include "structure/ResultsGrid.h"
#include "structure/ValuesCsv.h"
#include "structure/windows/ChartWindow.h"
#include "structure/windows/ComparisonDialog.h"
#include "structure/windows/ElementTreeView.h"
#include "structure/windows/RecordDetailDialog.h"

#include <QClipboard>
#include <QGuiApplication>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zentrova {

namespace {
// Menu entries and their keys, in menu order; hidden entries are never shown.
// An entry that changes or reads what long work reads or writes (the open
// document, the printout heading, the language, the port, the archive) waits
// for the work: it is off while work runs.
enum class WhileWorking { Offered, Waits };
struct Entry {
    const char* key;
    bool hidden;
    bool separatorBefore;
    WhileWorking whileWorking;
};
struct MenuDef {
    const char* key;
    std::vector<Entry> entries;
};

constexpr WhileWorking Offered = WhileWorking::Offered, Waits = WhileWorking::Waits;

const std::vector<MenuDef>& menuDefs()
{
    static const std::vector<MenuDef> defs = {
        {"&File_30",
         {{"&New_30", true, false, Waits},
          {"&Open_30", false, false, Waits},
          {"&Save_30", false, false, Waits},
          {"&SaveAs_30", false, false, Waits},
          {"&Export_30", false, true, Waits},
          {"&ExportCsv_30", false, false, Waits},
          {"&CompareWith_30", false, false, Waits},
          {"&AddToHistory_30", false, true, Waits},
          {"&HistoryWindow_30", false, false, Waits},
          {"&PrintPreview_30", false, false, Waits},
          {"&Exit_30", false, true, Waits}}},
        {"&Instrument_30",
         {{"&SendStructure_30", true, false, Waits},
          {"&ReceiveResults_30", false, false, Waits},
          {"&InstrumentsData_30", false, false, Waits}}},
        {"&Configuration_30",
         {{"&COMPort_30", false, false, Waits},
          {"&SelectLanguage_30", false, false, Waits},
          {"&HistorySettings_30", false, false, Waits},
          {"&SetDefaultNames_30", true, true, Waits},
          {"CalcLength_30", true, true, Waits}}},
        {"&PrintoutHeading_30", {{"&OperatorTestSite_30", false, false, Waits}, {"&Comments_30", false, false, Waits}}},
        {"&Help_30", {{"&Contents_30", false, false, Offered}, {"&About_30", false, true, Offered}}},
    };
    return defs;
}

const std::string WindowSection = "WINDOW";
constexpr int DefaultTreeWidth = 300;

// The local file a drag brings, empty when it brings none or several.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return QString();
    return data->urls().front().toLocalFile();
}
} // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), ctx_(context), copyBuffer_(std::make_unique<CopyBuffer>()),
      nullProgress_(std::make_unique<NullProgress>()), runner_(context.language)
{
    setObjectName(QStringLiteral("Form1"));
    // Window creation: the first activation is still to come.
    firstActivation_ = true;
    QApplication::setApplicationName(QApplication::applicationFilePath().section(u'/', -1).section(u'.', 0, 0));
    buildMenus();
    buildToolBar();
    buildCentre();
    resize(1024, 700);
    setAcceptDrops(true);
    files_ = std::make_unique<FileCommands>(FileEnv{ctx_, progress(), *this, runner_});
    runner_.busyChanged = [this](bool working) {
        working_ = working;
        updateBusyCommands();
    };
}

MainWindow::~MainWindow() = default;

void MainWindow::setWindows(const Windows& windows, InstrumentLink* link)
{
    w_ = windows;
    link_ = link;
    // The file routines report through the progress dialog from now on.
    files_ = std::make_unique<FileCommands>(FileEnv{ctx_, progress(), *this, runner_});
    if (w_.preview)
        w_.preview->setProgress(w_.progress);
    if (link_)
        // A transfer holds the port on a worker thread.
        link_->busyChanged = [this](bool busy) { callOnThreadOf(this, [this, busy] { setSerialBusy(busy); }); };
    // The windows that talk to the instrument run their work through this
    // window's runner, so that it turns off its commands meanwhile.
    if (w_.instrumentData)
        w_.instrumentData->shareRunner(runner_);
    if (w_.portDialog)
        w_.portDialog->shareRunner(runner_);
}

Progress& MainWindow::progress()
{
    if (w_.progress)
        return *w_.progress;
    return *nullProgress_;
}

void MainWindow::setSerialBusy(bool busy)
{
    serialBusy_ = busy;
    updateBusyCommands();
}

void MainWindow::updateBusyCommands()
{
    // While the port is in use nothing may start a second exchange, nor
    // replace the structure the transfer is filling; while long work runs
    // nothing may change what it reads.
    const bool busy = serialBusy_ || working_;
    for (QAction* a : waitingCommands_)
        a->setEnabled(!busy);
    tree_->setEnabled(!busy);
    resultsGrid_->setEnabled(!busy);
    updateHistoryCommand();
    if (!busy && closeAfterWork_)
        closeOnceIdle();
}

void MainWindow::closeOnceIdle()
{
    // The code that ran the work goes on after it (it takes what the work
    // made, and may ask a question): the window closes once that is over too.
    QTimer::singleShot(0, this, [this] {
        if (!closeAfterWork_ || serialBusy_ || working_)
            return; // the end of the work closes it
        if (QApplication::activeModalWidget()) {
            QTimer::singleShot(100, this, [this] { closeOnceIdle(); });
            return;
        }
        closeAfterWork_ = false;
        close();
    });
}

void MainWindow::updateHistoryCommand()
{
    const ResultTable& table = ctx_.document.structure.table;
    bool results = false;
    for (int row = 1; row < table.rowCount() && !results; ++row)
        results = functionCodeOf(table, row) != 0;
    if (QAction* a = action("&AddToHistory_30"))
        a->setEnabled(results && !serialBusy_ && !working_);
}

QString MainWindow::text(const std::string& key) const
{
    return ctx_.language.decode(ctx_.language.texts.text(key));
}

QAction* MainWindow::action(const std::string& key) const
{
    auto it = actions_.find(key);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* MainWindow::addEntry(QMenu* menu, const std::string& key)
{
    QAction* a = menu->addAction(QString::fromLatin1(key.c_str()));
    a->setObjectName(QString::fromLatin1(key.c_str()));
    actions_[key] = a;
    return a;
}

void MainWindow::buildMenus()
{
    for (const MenuDef& m : menuDefs()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.key));
        menu->setObjectName(QString::fromLatin1(m.key));
        menus_[m.key] = menu;
        for (const Entry& e : m.entries) {
            if (e.separatorBefore) {
                QAction* sep = menu->addSeparator();
                sep->setVisible(!e.hidden);
            }
            QAction* a = addEntry(menu, e.key);
            a->setVisible(!e.hidden);
            if (e.whileWorking == Waits)
                waitingCommands_.push_back(a);
        }
    }
    action("&Contents_30")->setShortcut(QKeySequence(Qt::Key_F1));
    // The usual keys of these commands, written beside them in the menu.
    action("&Open_30")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    action("&Save_30")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    action("&SaveAs_30")->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    action("&PrintPreview_30")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    action("&Exit_30")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    action("&Exit_30")->setMenuRole(QAction::QuitRole);
    buildRecentFiles();

    connect(action("&Exit_30"), &QAction::triggered, this, &QWidget::close);
    connect(action("&Open_30"), &QAction::triggered, this, &MainWindow::openStructure);
    connect(action("&Save_30"), &QAction::triggered, this, &MainWindow::saveStructure);
    connect(action("&SaveAs_30"), &QAction::triggered, this, &MainWindow::saveStructureAs);
    connect(action("&Export_30"), &QAction::triggered, this, &MainWindow::exportText);
    connect(action("&ExportCsv_30"), &QAction::triggered, this, [this] {
        // The judging columns go by the points' equipment data in the history archive.
        tellJudgingProblemsOnce();
        const CsvJudging judging = archiveCsvJudging(ctx_);
        runValuesCsvExport(ctx_, &judging, runner_);
    });
    connect(action("&CompareWith_30"), &QAction::triggered, this, [this] { compareWithFile(ctx_, this, runner_); });
    connect(action("&PrintPreview_30"), &QAction::triggered, this, &MainWindow::openPrintPreview);
    connect(action("&ReceiveResults_30"), &QAction::triggered, this, &MainWindow::receiveResults);
    connect(action("&InstrumentsData_30"), &QAction::triggered, this, &MainWindow::showInstrumentInfo);
    connect(action("&COMPort_30"), &QAction::triggered, this, &MainWindow::configurePort);
    connect(action("&OperatorTestSite_30"), &QAction::triggered, this, &MainWindow::editPrintoutHeading);
    connect(action("&Comments_30"), &QAction::triggered, this, &MainWindow::editComments);
    connect(action("&SelectLanguage_30"), &QAction::triggered, this, &MainWindow::selectLanguage);
    connect(action("&Contents_30"), &QAction::triggered, this, &MainWindow::showHelpContents);
    connect(action("&About_30"), &QAction::triggered, this, &MainWindow::showAbout);
    connect(action("&AddToHistory_30"), &QAction::triggered, this, &MainWindow::addToHistory);
    connect(action("&HistoryWindow_30"), &QAction::triggered, this, &MainWindow::showHistory);
    connect(action("&HistorySettings_30"), &QAction::triggered, this, &MainWindow::configureHistory);
    connect(menus_.at("&File_30"), &QMenu::aboutToShow, this, &MainWindow::updateHistoryCommand);
}

void MainWindow::buildRecentFiles()
{
    // Between Print preview and Exit, hidden while the list is empty.
    QMenu* file = menus_.at("&File_30");
    const QList<QAction*> entries = file->actions();
    QAction* exitSeparator = entries.at(entries.indexOf(action("&Exit_30")) - 1);
    recentSeparator_ = file->insertSeparator(exitSeparator);
    recentSeparator_->setVisible(false);
    for (int i = 0; i < file_history::MaxRecentFiles; ++i) {
        auto* a = new QAction(file);
        a->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
        a->setVisible(false);
        file->insertAction(exitSeparator, a);
        connect(a, &QAction::triggered, this, [this, a] { openRecentFile(a->data().toString()); });
        recentActions_.push_back(a);
        waitingCommands_.push_back(a); // it opens a structure
    }
    connect(file, &QMenu::aboutToShow, this, &MainWindow::refreshRecentFiles);
}

void MainWindow::refreshRecentFiles()
{
    const QStringList files = recentFiles(ctx_.language.settings);
    const QFontMetrics metrics(font());
    for (size_t i = 0; i < recentActions_.size(); ++i) {
        QAction* a = recentActions_[i];
        const bool used = qsizetype(i) < files.size();
        a->setVisible(used);
        if (!used)
            continue;
        QString shown = metrics.elidedText(QDir::toNativeSeparators(files[i]), Qt::ElideMiddle, 480);
        shown.replace(u'&', QStringLiteral("&&"));
        a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        a->setData(files[i]);
    }
    recentSeparator_->setVisible(!files.isEmpty());
}

void MainWindow::buildToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("tools"));
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(28, 28));
    struct Button {
        const char* name;
        ToolIcon icon;
        const char* action;
        bool visible;
    };
    const Button buttons[] = {
        {"IcoNew", ToolIcon::New, "&New_30", false},
        {"IcoOpen", ToolIcon::Open, "&Open_30", true},
        {"IcoSave", ToolIcon::Save, "&Save_30", true},
        {"IcoSendS", ToolIcon::SendStructure, "&SendStructure_30", false},
        {"IcoReceiveR", ToolIcon::Receive, "&ReceiveResults_30", true},
        {"IcoPrint", ToolIcon::Print, "&PrintPreview_30", true},
        {"IcoCalibrate", ToolIcon::Calibrate, nullptr, false},
    };
    for (const Button& b : buttons) {
        auto* tb = new QToolButton(toolBar_);
        tb->setObjectName(QString::fromLatin1(b.name));
        tb->setIcon(toolIcon(b.icon));
        tb->setAutoRaise(true);
        QAction* holder = toolBar_->addWidget(tb);
        holder->setVisible(b.visible);
        if (b.action) {
            QAction* target = action(b.action);
            connect(tb, &QToolButton::clicked, target, &QAction::trigger);
            // A disabled command disables its button too.
            connect(target, &QAction::enabledChanged, tb, &QWidget::setEnabled);
        }
    }
}

QToolButton* MainWindow::toolButton(const char* name) const
{
    return toolBar_->findChild<QToolButton*>(QString::fromLatin1(name));
}

void MainWindow::buildCentre()
{
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    tree_ = new ElementTreeView(ctx_, splitter_);
    connect(tree_, &ElementTreeView::selectionMoved, this, [this] { fillResultsGrid(); });
    // A rename goes to the model first; the tree_ then shows the model's name.
    connect(tree_, &ElementTreeView::renamed, this, [this](ElementNode* node, const std::string& name) {
        if (!files_->canEditLabel()) {
            tree_->rebuild();
            return;
        }
        files_->renameElement(*node, name);
        updateMainCaption();
    });

    resultsPanel_ = new QWidget(splitter_);
    resultsPanel_->setObjectName(QStringLiteral("ResultsPanel"));
    auto* layout = new QVBoxLayout(resultsPanel_);
    layout->setContentsMargins(4, 2, 2, 2);
    measurementsLabel_ = new QLabel(resultsPanel_);
    measurementsLabel_->setObjectName(QStringLiteral("Measurements"));
    panelCaption_ = new QLabel(resultsPanel_);
    panelCaption_->setObjectName(QStringLiteral("PanelCaption"));
    panelCaption_->setAlignment(Qt::AlignCenter);
    panelCaption_->setWordWrap(true);
    resultsGrid_ = new AnnotatedGrid(resultsPanel_);
    resultsGrid_->setObjectName(QStringLiteral("ResultsGrid"));
    resultsGrid_->setDecoder([this](const std::string& bytes) { return ctx_.language.decode(bytes); });
    resultsGrid_->data().setColCount(7);
    resultsGrid_->data().setRowCount(1);
    layout->addWidget(measurementsLabel_);
    layout->addWidget(resultsGrid_, 1);
    layout->addWidget(panelCaption_, 1);
    resultsGrid_->hide();

    // The grid's context menu: Copy, then entries that act only on editable
    // report tables, which this program never shows.
    gridMenu_ = new QMenu(resultsGrid_);
    gridMenu_->setObjectName(QStringLiteral("GridMenu"));
    QAction* copy = gridMenu_->addAction(QString());
    copy->setObjectName(QStringLiteral("&Copy_30"));
    actions_["&Copy_30"] = copy;
    // Ctrl+C in the grid copies as the menu entry does.
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    resultsGrid_->addAction(copy);
    for (const char* key : {"-", "&Paste_30", "-", "&InsertRow_30", "&DeleteRow_30"}) {
        QAction* a = key[0] == '-' ? gridMenu_->addSeparator() : gridMenu_->addAction(QString());
        if (key[0] != '-') {
            a->setObjectName(QString::fromLatin1(key));
            actions_[key] = a;
            waitingCommands_.push_back(a); // they would change a table
        }
    }
    // The measurement record of the current row: offered when the main
    // window was given the record panel.
    QAction* detail = new QAction(gridMenu_);
    detail->setObjectName(QStringLiteral("&RecordDetail_30"));
    actions_["&RecordDetail_30"] = detail;
    waitingCommands_.push_back(detail); // it reads the open document
    gridMenu_->insertAction(gridMenu_->actions().value(1), detail);
    // The chart of the selected element's results.
    QAction* chart = new QAction(gridMenu_);
    chart->setObjectName(QStringLiteral("&Chart_30"));
    actions_["&Chart_30"] = chart;
    waitingCommands_.push_back(chart); // it reads the open document
    gridMenu_->insertAction(gridMenu_->actions().value(2), chart);
    connect(chart, &QAction::triggered, this, [this] {
        if (w_.chart)
            w_.chart->showElement(ctx_.document.structure.tree.selected);
    });
    connect(copy, &QAction::triggered, this, &MainWindow::copyRows);
    connect(detail, &QAction::triggered, this, [this] { showRecordDetail(resultsGrid_->row()); });
    connect(gridMenu_, &QMenu::aboutToShow, this, [this, copy, detail, chart] {
        const bool gridFocused = resultsGrid_->hasFocus();
        for (QAction* a : gridMenu_->actions())
            if (a != copy && a != detail && a != chart)
                a->setVisible(!gridFocused);
        chart->setVisible(w_.chart && gridFocused && ctx_.document.structure.tree.selected);
        detail->setVisible(w_.recordDetail && gridFocused &&
                           resultRowOfGridRow(ctx_, ctx_.document.structure.tree.selected, resultsGrid_->row()) > 0);
    });
    resultsGrid_->setPopupMenu(gridMenu_);
    // A double click on a result row, or Enter on it, opens its record.
    resultsGrid_->setActivationEnabled(true);
    connect(resultsGrid_, &AnnotatedGrid::cellActivated, this, [this](int, int r) { showRecordDetail(r); });

    splitter_->setStretchFactor(1, 1);
    // Kept for the next structure shown, and for the next run.
    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        if (tree_->isVisible())
            treeWidth_ = splitter_->sizes().value(0, treeWidth_);
    });
    setCentralWidget(splitter_);
}

void MainWindow::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (firstActivation_)
        QTimer::singleShot(0, this, &MainWindow::activated);
}

void MainWindow::activated()
{
    if (!firstActivation_)
        return;
    resultsGrid_->data().setColCount(7);

    // Languages: list, interface texts, report labels.
    loadLanguages(ctx_);
    if (!ctx_.language.quitRequested) {
        qtTexts_.apply(ctx_);
        applyInterfaceTexts();
        applyFonts();
    }

    ctx_.document.familyCode = 0;
    applyFamilyProfile();

    ctx_.document.fileName.clear();
    ctx_.document.saved = true;
    updateMainCaption();

    resultsView_ = 0;
    treeWidth_ = DefaultTreeWidth;
    if (const int kept = int(digitsValue(ctx_.language.settings.readSetting(WindowSection, "TreeWidth", ""))); kept > 0)
        treeWidth_ = kept;
    setResultsView(0);
    writeResultHeadings();

    // COM port and baud rate from the settings.
    if (link_)
        setUpComPort(ctx_.language, *link_);
    // The preview: zoom list at 100 %, margins, an empty document.
    if (w_.preview)
        w_.preview->initPreview();

    // Printout heading, margins, comments, default names.
    loadReportSettings(ctx_);

    helpContext_ = 1;
    ctx_.document.resultsDiscarded = false;

    // Results grid font from the settings.
    const QFont gridFont = reportGridFont(ctx_.language.settings, resultsGrid_->font());
    resultsGrid_->setFont(gridFont);
    resultsGrid_->data().setFont(gridFont);

    // The structure file named on the command line.
    if (!commandLineFile.isEmpty() && !ctx_.language.quitRequested)
        files_->openCommandLineFile(commandLineFile);
    fillResultsGrid();
    firstActivation_ = false;

    if (ctx_.language.quitRequested)
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(1); });
}

void MainWindow::applyFamilyProfile()
{
    zentrova::applyFamilyProfile(ctx_);
    profileApplied();
}

void MainWindow::updateMainCaption()
{
    // "[*]" shows as "*" while the structure has unsaved changes; a "[*]" in
    // the file's own name is doubled so that it shows as written.
    QString name = ctx_.document.fileName;
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(text("MainCaptionTive5kV_20") + QStringLiteral(": ") + name + QStringLiteral("[*]"));
    setWindowModified(!ctx_.document.saved);
}

void MainWindow::showStructurePanel(bool shown)
{
    structureShown_ = shown;
    // A file of another instrument family shows no structure at all.
    splitter_->setVisible(shown);
}

void MainWindow::profileApplied()
{
    resultsGrid_->data().setColCount(ctx_.language.profile.resultColumnCount);
    if (w_.about)
        w_.about->applyProfile();
    updateMainCaption();
    writeResultHeadings();
}

void MainWindow::treeReplaced()
{
    tree_->rebuild();
    // Its row may now hold another record, or none.
    if (w_.recordDetail)
        w_.recordDetail->hide();
}

void MainWindow::showRecordDetail(int gridRow)
{
    const int row = resultRowOfGridRow(ctx_, ctx_.document.structure.tree.selected, gridRow);
    if (w_.recordDetail && row > 0) {
        tellJudgingProblemsOnce();
        w_.recordDetail->showRecord(row);
    }
}

void MainWindow::tellJudgingProblemsOnce()
{
    if (judgingProblemsTold_)
        return;
    judgingProblemsTold_ = true;
    // The status bar keeps it until another message: the judging goes on by the defaults.
    const QStringList problems = judgingProblems(ctx_.language);
    if (!problems.isEmpty())
        statusBar()->showMessage(problems.join(QStringLiteral("; ")));
}

void MainWindow::setResultsView(int flag)
{
    if (ctx_.language.profileFamily != 4)
        flag = 1;
    resultsView_ = flag;
    tree_->show();
    resultsPanel_->show();
    splitter_->setSizes({treeWidth_, std::max(100, width() - treeWidth_)});
    fillResultsGrid();
}

void MainWindow::writeResultHeadings()
{
    zentrova::writeResultHeadings(ctx_, resultsGrid_->data());
    resultsGrid_->contentsChanged();
}

void MainWindow::fillResultsGrid()
{
    ElementNode* selected = ctx_.document.structure.tree.selected;
    const int rows = zentrova::fillResultsGrid(ctx_, selected, resultsGrid_->data());
    resultsGrid_->resetSizes(30, 10);
    resultsGrid_->contentsChanged();
    resultsGrid_->setVisible(rows > 0);
    panelCaption_->setText(selected ? ctx_.language.decode(noResultsCaption(ctx_, selected)) : QString());
    panelCaption_->setVisible(rows == 0);
    if (rows > 0)
        resultsGrid_->setCurrentCell(0, 1);
}

void MainWindow::refreshStructureView()
{
    if (w_.recordDetail)
        w_.recordDetail->hide();
    tree_->rebuild();
    fillResultsGrid();
}

void MainWindow::copyRows()
{
    copyBuffer_->clear();
    if (resultsGrid_->hasFocus()) {
        const GridRect sel = resultsGrid_->selection();
        copyBuffer_->append(selectionText(resultsGrid_->data(), sel.Left, sel.Top, sel.Right, sel.Bottom));
    }
    QGuiApplication::clipboard()->setText(ctx_.language.decode(copyBuffer_->bytes()));
}

void MainWindow::applyInterfaceTexts()
{
    for (auto& [key, menu] : menus_)
        menu->setTitle(text(key));
    for (auto& [key, a] : actions_)
        a->setText(text(key));
    struct Hint {
        const char* button;
        const char* key;
    };
    const Hint hints[] = {{"IcoNew", "HintNew_30"},           {"IcoOpen", "HintOpen_30"},
                          {"IcoSave", "HintSave_30"},         {"IcoSendS", "HintSendS_30"},
                          {"IcoReceiveR", "HintReceiveR_30"}, {"IcoPrint", "HintPrintResults_30"}};
    for (const Hint& h : hints)
        if (QToolButton* b = toolButton(h.button))
            b->setToolTip(text(h.key));
    measurementsLabel_->setText(text("Measurements_30"));
    if (w_.progress)
        w_.progress->applyTexts();
    if (w_.portDialog)
        w_.portDialog->applyTexts();
    if (w_.preview)
        w_.preview->applyInterfaceTexts();
    if (w_.exportDialog)
        w_.exportDialog->applyTexts();
    if (w_.instrumentData)
        w_.instrumentData->applyTexts();
    if (w_.language)
        w_.language->applyTexts();
    if (w_.headingDialog)
        w_.headingDialog->applyTexts();
    if (w_.comments)
        w_.comments->applyTexts();
    if (w_.recordDetail)
        w_.recordDetail->applyTexts();
    if (w_.chart)
        w_.chart->applyTexts();
    if (w_.history)
        w_.history->applyTexts();
    if (w_.historySettings)
        w_.historySettings->applyTexts();
    if (w_.about)
        w_.about->applyTexts();
}

void MainWindow::applyFonts()
{
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPointSize(9);
    QApplication::setFont(windowFont);
    QFont mono(QStringLiteral("Courier New"));
    mono.setPointSize(10);
    resultsGrid_->setFont(mono);
    resultsGrid_->data().setFont(mono);
    if (w_.comments)
        w_.comments->setBoxFont(mono);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (serialBusy_ || working_ || (link_ && link_->busy())) {
        // Work is writing a file, composing pages or filling a structure:
        // nothing is asked or discarded under it. The window closes when it
        // is over, asking then what a close asks.
        e->ignore();
        closeAfterWork_ = true;
        statusBar()->showMessage(text("CloseAfterWork_60"));
        return;
    }
    if (ctx_.language.quitRequested || files_->closeRequested()) {
        if (!ctx_.language.quitRequested)
            saveWindowLayout();
        e->accept();
    } else {
        updateMainCaption(); // the save question may have saved
        e->ignore();
    }
}

bool MainWindow::restoreWindowLayout()
{
    const std::string kept = ctx_.language.settings.readSetting(WindowSection, "Geometry", "");
    return !kept.empty() && restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(kept)));
}

void MainWindow::saveWindowLayout()
{
    ctx_.language.settings.writeSetting(WindowSection, "Geometry", saveGeometry().toBase64().toStdString());
    ctx_.language.settings.writeSetting(WindowSection, "TreeWidth", std::to_string(treeWidth_));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* e)
{
    // Nothing replaces the structure while a transfer fills it.
    if (!droppedFile(e->mimeData()).isEmpty() && action("&Open_30")->isEnabled())
        e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* e)
{
    const QString path = droppedFile(e->mimeData());
    if (path.isEmpty() || !action("&Open_30")->isEnabled())
        return;
    e->acceptProposedAction();
    // The drag's source waits for the drop to end: open the file afterwards.
    QTimer::singleShot(0, this, [this, path] { openDroppedFile(path); });
}

void MainWindow::openDroppedFile(const QString& path)
{
    files_->openFile(path);
    fillResultsGrid();
    updateMainCaption();
}

void MainWindow::openRecentFile(const QString& path)
{
    files_->openRecent(path);
    fillResultsGrid();
    refreshRecentFiles();
    updateMainCaption();
}

void MainWindow::openStructure()
{
    files_->open();
    fillResultsGrid();
    updateMainCaption();
}

void MainWindow::saveStructure()
{
    files_->save();
    updateMainCaption();
}

void MainWindow::saveStructureAs()
{
    files_->saveAs();
    updateMainCaption();
}

void MainWindow::exportText()
{
    if (!w_.exportDialog || !w_.exportDialog->execute())
        return;
    runner_.run([this] { runExport(ctx_.language, ctx_.document, ctx_.exportFormat, progress()); });
    updateMainCaption();
}

void MainWindow::openPrintPreview()
{
    if (w_.preview)
        w_.preview->compose(PrintResults, resultsGrid_->data());
}

void MainWindow::receiveResults()
{
    if (!link_)
        return;
    const int savedHelp = helpContext_;
    helpContext_ = 2000;
    if (w_.progress)
        w_.progress->setHelpContext(2000);
    // The transfer fills a document of its own while the window goes on
    // showing the open one, and the window takes it when the transfer is
    // over. Its steps are shown then, in the order they came.
    Document received = successorOf(ctx_.document);
    received.saved = ctx_.document.saved;
    std::vector<ReceiveStep> steps;
    ReceiveHooks hooks;
    hooks.querySaveChanges = [this, &received] {
        return callOnThreadOf(this, [this, &received] {
            const bool go = querySaveChanges(files_->env()) != MbCancel;
            // Saving may have named the file.
            received.fileName = ctx_.document.fileName;
            received.saved = ctx_.document.saved;
            return go;
        });
    };
    hooks.refresh = [&steps](ReceiveStep step) { steps.push_back(step); };
    // The messages and the bytes of this transfer are kept, so that one that
    // goes wrong can be saved as a log and sent.
    const QDateTime started = QDateTime::currentDateTime();
    std::optional<LogRecorder> recorder(std::in_place);
    link_->keepTrace(true);
    ReceiveOutcome outcome;
    // The transfer reads the language and writes only its own document; the
    // family profile for what it received is applied here, on the window's
    // thread, once it is over.
    const bool transferred = runner_.run([&] {
        outcome = zentrova::receiveResults(TransferTarget(ctx_.language, ctx_.defaultNames, received), *link_,
                                           progress(), hooks);
    });
    if (transferred) {
        takeReceivedDocument(ctx_.document, received, outcome);
        applyFamilyProfile();
        for (ReceiveStep step : steps)
            showReceiveStep(step);
    } else {
        progress().hide();
    }
    const std::string messages = recorder->text();
    recorder.reset();
    const std::string trace = link_->keptTrace();
    link_->keepTrace(false);
    helpContext_ = savedHelp;
    if (w_.progress)
        w_.progress->setHelpContext(1);
    updateMainCaption();
    if (outcome.status == ReceiveOutcome::Status::Received || outcome.status == ReceiveOutcome::Status::Incomplete)
        statusBar()->showMessage(text("ResultsReceived_50") + u' ' + QString::number(outcome.done));
    if (transferred && transferWentWrong(outcome))
        offerTransferLog(
            ctx_.language, started,
            transferLogText(outcome, link_->port().portName(), link_->port().baudRate(), started, messages, trace));
    // A complete download goes into the history when the user asked for it.
    // The results stay in the window whatever the archive answers; only a
    // failure interrupts with a message.
    if (transferred && outcome.status == ReceiveOutcome::Status::Received && outcome.done > 0 &&
        loadHistorySettings(ctx_.language.settings).addAfterReceive) {
        HistoryAddOutcome added;
        const bool ran = runner_.run([&] {
            added = addDocumentToHistory(ctx_, progress(), HistoryTelling::FailuresOnly, installationQuestion());
        });
        if (ran && (added.status == HistoryAddOutcome::Status::Added ||
                    added.status == HistoryAddOutcome::Status::AlreadyStored)) {
            QString shown = ctx_.language.decode(added.message);
            shown.replace(u'\r', QStringLiteral(", "));
            statusBar()->showMessage(shown);
        }
    }
    updateHistoryCommand();
}

void MainWindow::showReceiveStep(ReceiveStep step)
{
    switch (step) {
    case ReceiveStep::StructureCleared:
        profileApplied();
        tree_->rebuild();
        fillResultsGrid();
        break;
    case ReceiveStep::TreeBuilt:
        tree_->rebuild();
        showStructurePanel(true);
        break;
    case ReceiveStep::ViewShown:
    case ReceiveStep::NewStructureShown:
        setResultsView(step == ReceiveStep::ViewShown ? 1 : 0);
        tree_->selectNode(ctx_.document.structure.tree.selected);
        fillResultsGrid();
        break;
    }
}

void MainWindow::showInstrumentInfo()
{
    if (w_.instrumentData)
        w_.instrumentData->execute();
    // The dialog may have identified another instrument.
    profileApplied();
}

void MainWindow::configurePort()
{
    if (w_.portDialog)
        w_.portDialog->execute();
}

void MainWindow::editPrintoutHeading()
{
    if (w_.headingDialog && w_.headingDialog->execute()) {
        ctx_.document.heading.load(ctx_.language.settings);
        // An open preview shows the new heading.
        if (w_.preview)
            w_.preview->refreshIfShown();
    }
    updateMainCaption();
}

void MainWindow::editComments()
{
    // An open preview shows the new comments and page numbering.
    if (w_.comments && w_.comments->execute() && w_.preview)
        w_.preview->refreshIfShown();
    updateMainCaption();
}

void MainWindow::selectLanguage()
{
    if (!w_.language || !w_.language->execute())
        return;
    // The language changed: texts, profile, default names and grid follow it.
    qtTexts_.apply(ctx_);
    applyInterfaceTexts();
    applyFonts();
    applyFamilyProfile();
    tree_->relabel();
    fillResultsGrid();
    if (ctx_.language.quitRequested)
        QCoreApplication::exit(1);
}

void MainWindow::showHelpContents()
{
    // The tree_ has a topic of its own; everything else in the window shares one.
    const int context = tree_->hasFocus() ? ctx_.language.profile.treeHelpContext : helpContext_;
    HelpViewer::showTopic(ctx_, context, this);
}

InstallationQuestion MainWindow::installationQuestion()
{
    // The installation is typed, or one the archive knows is chosen; the file's
    // name is offered first when there is one.
    return [this](const QStringList& known, const QString& proposed) {
        // Asked while the import runs on a worker thread.
        return callOnThreadOf(this, [&] { return askInstallation(known, proposed); });
    };
}

std::optional<QString> MainWindow::askInstallation(const QStringList& known, const QString& proposed)
{
    QStringList choices = known;
    if (!proposed.isEmpty()) {
        choices.removeAll(proposed);
        choices.prepend(proposed);
    }
    bool ok = false;
    const QString site =
        QInputDialog::getItem(this, text("History_30"), text("HistoryWhichSite_60"), choices, 0, true, &ok);
    if (!ok)
        return std::nullopt;
    return site;
}

void MainWindow::addToHistory()
{
    updateHistoryCommand();
    if (!action("&AddToHistory_30")->isEnabled())
        return;
    runner_.run([this] { addDocumentToHistory(ctx_, progress(), HistoryTelling::Always, installationQuestion()); });
    // An open history window shows the new inspection.
    if (w_.history && w_.history->isVisible())
        w_.history->refresh();
}

void MainWindow::showHistory()
{
    if (w_.history) {
        tellJudgingProblemsOnce();
        w_.history->showHistory();
    }
}

void MainWindow::configureHistory()
{
    // Another archive chosen: an open history window shows that one.
    if (w_.historySettings && w_.historySettings->execute() && w_.history && w_.history->isVisible())
        w_.history->refresh();
}

void MainWindow::showAbout()
{
    if (w_.about)
        w_.about->exec();
}

} // namespace zentrova
