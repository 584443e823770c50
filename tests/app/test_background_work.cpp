// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Long work of the main window and of the windows it opens: a failure in it
// ends in a message and leaves the structure as it was, the commands that
// wait for it are off while it runs, a close waits for it, and the
// comparison window writes the CSV the command-line tool writes.
#include "app/windows/MainWindow.h"
#include "base/FileHistory.h"
#include "base/FileIO.h"
#include "comm/Receive.h"
#include "comm/windows/ProgressDialog.h"
#include "history/HistorySettings.h"
#include "language/Profile.h"
#include "shell/windows/BackgroundWork.h"
#include "structure/StructureFile.h"
#include "structure/windows/ComparisonDialog.h"
#include "structure/windows/ElementTreeView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <functional>
#include <map>
#include <set>

using namespace zentrova;
using namespace zentrova::test;

namespace {

bool onWorker()
{
    return QThread::currentThread() != QCoreApplication::instance()->thread();
}

// What the work asks of the progress dialog and the prompts from the worker:
// with `failing` it throws, as work that runs out of memory does; else
// `duringWork` runs once on the window's thread while the work waits.
struct WorkHooks {
    bool failing = false;
    std::function<void()> duringWork;
    void fromWork()
    {
        if (!onWorker())
            return;
        if (failing)
            throw std::bad_alloc();
        if (duringWork)
            callOnThreadOf(qApp, std::exchange(duringWork, nullptr));
    }
};

class WorkProgress : public ProgressDialog {
public:
    WorkProgress(AppContext& ctx, QWidget* parent, WorkHooks& hooks) : ProgressDialog(ctx, parent), hooks_(hooks) {}
    using ProgressDialog::show;
    void show(const std::string& caption, const std::string& line1, bool cancellable) override
    {
        hooks_.fromWork();
        ProgressDialog::show(caption, line1, cancellable);
    }
    void setPosition(int percent) override
    {
        hooks_.fromWork();
        ProgressDialog::setPosition(percent);
    }

private:
    WorkHooks& hooks_;
};

class WorkPrompts : public ScriptedPrompts {
public:
    explicit WorkPrompts(WorkHooks& hooks) : hooks_(hooks) {}
    unsigned message(MsgType type, const std::string& text, unsigned buttons, int helpContext) override
    {
        hooks_.fromWork();
        return ScriptedPrompts::message(type, text, buttons, helpContext);
    }

private:
    WorkHooks& hooks_;
};

struct Window {
    LoadedProgram p{false};
    AppContext& ctx = *p.ctx;
    WorkHooks hooks;
    WorkPrompts prompts{hooks};
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<WorkProgress> progress;
    QTemporaryDir dir;

    Window()
    {
        // A window an earlier test closed may have ended the program, after
        // which every loop ends at once: the program's own loop, run once,
        // clears that.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        ctx.language.prompts = &prompts;
        form = std::make_unique<MainWindow>(ctx);
        progress = std::make_unique<WorkProgress>(ctx, form.get(), hooks);
        MainWindow::Windows windows;
        windows.progress = progress.get();
        form->setWindows(windows, nullptr);
        form->activated();
    }
    ~Window() { ctx.language.prompts = &p.prompts; }
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void trigger(const char* key) { form->action(key)->trigger(); }
    // An unsaved structure of `results` diagnostic tests at a test site.
    void fillResults(int results)
    {
        resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames);
        clearStructure(ctx.document);
        for (int i = 0; i < results; ++i) {
            const std::string r = diagnosticRecord(1, 1 + i, std::to_string(10 + i) + ".4", "3.1", "12.03.2024");
            decodeRecord(ctx, r.data(), r.size(), i + 1);
        }
        NullProgress quiet;
        buildTreeFromResults(ctx, quiet);
        ctx.document.familyCode = SupportedFamily;
        ctx.document.heading.site[0] = "Plant";
        ctx.document.fileName = file("plant.ZIT");
        ctx.document.saved = false;
        form->showStructurePanel(true);
        form->refreshStructureView();
    }
    void useArchive()
    {
        HistorySettings history;
        history.database = file("history.sqlite");
        saveHistorySettings(ctx.language.settings, history);
    }
    bool told(const char* key) const
    {
        const std::string& text = ctx.language.texts.text(key);
        return std::any_of(prompts.messages.begin(), prompts.messages.end(),
                           [&](const std::string& m) { return m.rfind(text, 0) == 0; });
    }
};

// ------------------------------------------------------------ a failure in the work

struct FailingWork {
    const char* name;
    // Gets the window ready; the work that follows fails.
    std::function<void(Window&)> prepare;
    std::function<void(Window&)> start;
};

void PrintTo(const FailingWork& c, std::ostream* os)
{
    *os << c.name;
}

// The older inspection beside the open one: the open structure as a file.
void writeOlderFile(Window& w)
{
    ASSERT_TRUE(writeFileSafely(w.file("older.ZIT"), composeStructureFile(w.ctx.language, w.ctx.document), nullptr));
}

ComparisonDialog* openComparison(Window& w)
{
    writeOlderFile(w);
    w.prompts.expectFile(w.file("older.ZIT"));
    w.trigger("&CompareWith_30");
    auto* dialog = w.form->findChild<ComparisonDialog*>();
    if (!dialog)
        for (const std::string& m : w.prompts.messages)
            ADD_FAILURE() << m;
    return dialog;
}

const FailingWork FailingWorks[] = {
    {"Save", nullptr, [](Window& w) { w.trigger("&Save_30"); }},
    {"Open",
     [](Window& w) {
         writeOlderFile(w);
         w.ctx.document.saved = true;
     },
     [](Window& w) {
         w.prompts.expectFile(w.file("older.ZIT"));
         w.trigger("&Open_30");
     }},
    {"AddToHistory", [](Window& w) { w.useArchive(); }, [](Window& w) { w.trigger("&AddToHistory_30"); }},
    {"ExportCsv", nullptr,
     [](Window& w) {
         w.prompts.expectFile(w.file("no folder/plant.csv"));
         w.trigger("&ExportCsv_30");
     }},
    {"CompareWith", nullptr,
     [](Window& w) {
         w.prompts.expectFile(w.file("gone.ZIT"));
         w.trigger("&CompareWith_30");
     }},
    {"ComparisonCsv", [](Window& w) { ASSERT_NE(openComparison(w), nullptr); },
     [](Window& w) {
         w.prompts.expectFile(w.file("no folder/compare.csv"));
         w.form->findChild<ComparisonDialog*>()->findChild<QPushButton*>(QStringLiteral("SaveCsv"))->click();
     }},
};

class FailedWork : public ::testing::TestWithParam<FailingWork> {};

TEST_P(FailedWork, EndsInAMessageAndTheWindowGoesOn)
{
    Window w;
    w.prompts.allowAnyMessage();
    w.fillResults(5);
    if (GetParam().prepare)
        GetParam().prepare(w);
    if (HasFatalFailure())
        return;
    const int rows = w.ctx.document.structure.table.rowCount();
    const QString name = w.ctx.document.fileName;
    const bool saved = w.ctx.document.saved;
    w.hooks.failing = true;
    GetParam().start(w);
    w.hooks.failing = false;

    EXPECT_TRUE(w.told("WorkFailed_60"));
    // The open structure is as it was, and the window takes commands again.
    EXPECT_EQ(w.ctx.document.structure.table.rowCount(), rows);
    EXPECT_EQ(w.ctx.document.fileName, name);
    EXPECT_EQ(w.ctx.document.saved, saved);
    EXPECT_FALSE(QFileInfo::exists(name)) << "a failed save wrote the file";
    EXPECT_TRUE(w.form->action("&Open_30")->isEnabled());
    EXPECT_TRUE(w.form->tree()->isEnabled());
    // The same command works once nothing fails.
    w.prompts.messages.clear();
    w.trigger("&Save_30");
    EXPECT_TRUE(w.ctx.document.saved);
    EXPECT_FALSE(w.told("WorkFailed_60"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, FailedWork, ::testing::ValuesIn(FailingWorks),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ commands while work runs

TEST(WorkInTheMainWindow, EveryCommandThatWaitsIsOffWhileWorkRuns)
{
    Window w;
    w.prompts.allowAnyMessage();
    w.useArchive();
    w.fillResults(3);
    w.ctx.document.heading.site[0].clear(); // the import asks for the installation

    // What changes or reads the open document, the printout heading, the
    // language, the port or the archive.
    std::set<QString> waiting;
    for (const char* key : {"&New_30",
                            "&Open_30",
                            "&Save_30",
                            "&SaveAs_30",
                            "&Export_30",
                            "&ExportCsv_30",
                            "&CompareWith_30",
                            "&AddToHistory_30",
                            "&HistoryWindow_30",
                            "&PrintPreview_30",
                            "&Exit_30",
                            "&SendStructure_30",
                            "&ReceiveResults_30",
                            "&InstrumentsData_30",
                            "&COMPort_30",
                            "&SelectLanguage_30",
                            "&HistorySettings_30",
                            "&SetDefaultNames_30",
                            "CalcLength_30",
                            "&OperatorTestSite_30",
                            "&Comments_30",
                            "&RecordDetail_30",
                            "&Chart_30",
                            "&Paste_30",
                            "&InsertRow_30",
                            "&DeleteRow_30"})
        waiting.insert(QString::fromLatin1(key));
    for (int i = 1; i <= file_history::MaxRecentFiles; ++i)
        waiting.insert(QStringLiteral("RecentFile%1").arg(i));
    std::set<QString> marked;
    for (const QAction* a : w.form->commandsWaitingForWork())
        marked.insert(a->objectName());
    EXPECT_EQ(marked, waiting);

    // The installation question comes while the import runs.
    std::map<QString, bool> enabledDuringWork;
    bool treeEnabled = true, asked = false;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        asked = true;
        std::vector<QMenu*> menus{w.form->gridMenu()};
        for (QAction* m : w.form->menuBar()->actions())
            if (m->menu())
                menus.push_back(m->menu());
        for (QMenu* menu : menus)
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    enabledDuringWork[a->objectName()] = a->isEnabled();
        treeEnabled = w.form->tree()->isEnabled();
        d->setTextValue(QStringLiteral("Plant"));
        d->accept();
    });
    answer.start();
    w.trigger("&AddToHistory_30");
    answer.stop();
    ASSERT_TRUE(asked);
    EXPECT_FALSE(treeEnabled);
    for (const QString& key : waiting) {
        ASSERT_TRUE(enabledDuringWork.count(key)) << key.toStdString() << " is in no menu";
        EXPECT_FALSE(enabledDuringWork[key]) << key.toStdString() << " stays on during work";
    }
    for (const auto& [key, enabled] : enabledDuringWork)
        if (!waiting.count(key)) {
            EXPECT_TRUE(enabled) << key.toStdString() << " is off during work";
        }
    EXPECT_TRUE(w.form->action("&OperatorTestSite_30")->isEnabled()) << "on again after the work";
}

// The comparison window's CSV goes through the main window's work, so that
// the main window turns its commands off meanwhile.
TEST(WorkInTheMainWindow, ComparisonWorkKeepsTheMainWindowsCommandsOff)
{
    Window w;
    w.prompts.allowAnyMessage();
    w.fillResults(3);
    bool openDuringWork = true;
    int told = 0;
    // Reading a file that is not there: the reason is told from the work.
    w.hooks.duringWork = [&] {
        ++told;
        openDuringWork = w.form->action("&Open_30")->isEnabled();
    };
    w.prompts.expectFile(w.file("gone.ZIT"));
    w.trigger("&CompareWith_30");
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(openDuringWork) << "while comparing";

    ComparisonDialog* dialog = openComparison(w);
    ASSERT_NE(dialog, nullptr);
    openDuringWork = true;
    w.hooks.duringWork = [&] {
        ++told;
        openDuringWork = w.form->action("&Open_30")->isEnabled();
        // Closing the comparison while its CSV is written waits for the write.
        dialog->close();
        EXPECT_TRUE(dialog->isVisible());
    };
    dialog->show();
    w.prompts.expectFile(w.file("no folder/compare.csv"));
    dialog->findChild<QPushButton*>(QStringLiteral("SaveCsv"))->click();
    EXPECT_EQ(told, 2);
    EXPECT_FALSE(openDuringWork) << "while writing the comparison's CSV";
    EXPECT_TRUE(w.form->action("&Open_30")->isEnabled());
}

// ------------------------------------------------------------ closing during work

TEST(WorkInTheMainWindow, CloseDuringASaveClosesOnceTheFileIsWritten)
{
    Window w;
    w.fillResults(20);
    w.form->show();
    bool pendingDuringWork = false, visibleDuringWork = false;
    w.hooks.duringWork = [&] {
        w.form->close();
        pendingDuringWork = w.form->closePending();
        visibleDuringWork = w.form->isVisible();
    };
    // No "Save changes?": the save is under way.
    w.trigger("&Save_30");
    EXPECT_TRUE(pendingDuringWork);
    EXPECT_TRUE(visibleDuringWork);
    EXPECT_TRUE(w.ctx.document.saved);
    EXPECT_GT(QFileInfo(w.file("plant.ZIT")).size(), 0);
    QElapsedTimer waited;
    waited.start();
    while (w.form->isVisible() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(w.form->isVisible()) << "the window did not close after the save";
    EXPECT_TRUE(w.prompts.messages.empty()) << w.prompts.messages.front();
}

// ------------------------------------------------------------ the comparison's CSV

// Runs zentrova-cli; its exit code and standard output.
std::pair<int, QByteArray> runCli(const QTemporaryDir& dir, const QStringList& args)
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    cli.setProcessEnvironment(env);
    cli.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli"), args);
    EXPECT_TRUE(cli.waitForFinished(60000));
    return {cli.exitCode(), cli.readAllStandardOutput()};
}

// The shipped demo: the inspections of 2022 and 2023 of the demo substation,
// with the points' equipment data in the archive, so that the insulation
// resistances are corrected by the rules.
TEST(ComparisonWindow, SavesTheCsvTheToolWritesForTheDemoInspections)
{
    Window w;
    w.prompts.allowAnyMessage();
    const QString older = w.p.dir.file(QStringLiteral("history/vrhovo-2022.zit"));
    const QString newer = w.p.dir.file(QStringLiteral("history/vrhovo-2023.zit"));
    const QString db = w.file("history.sqlite");
    ASSERT_EQ(
        runCli(w.dir, {QStringLiteral("history"), QStringLiteral("add"), older, newer, QStringLiteral("--db"), db})
            .first,
        0);
    ASSERT_EQ(runCli(w.dir, {QStringLiteral("history"), QStringLiteral("points"), QStringLiteral("import"),
                             w.p.dir.file(QStringLiteral("history/vrhovo-equipment.csv")), QStringLiteral("--db"), db,
                             QStringLiteral("--site"), QStringLiteral("Substation Vrhovo")})
                  .first,
              0);
    const auto [code, expected] = runCli(w.dir, {QStringLiteral("compare"), older, newer, QStringLiteral("--db"), db,
                                                 QStringLiteral("--csv"), QStringLiteral("-")});
    ASSERT_EQ(code, 0);
    ASSERT_TRUE(expected.contains("correction rule")) << "the demo's points are corrected";

    w.useArchive();
    w.form->openDroppedFile(newer);
    w.prompts.expectFile(older);
    w.trigger("&CompareWith_30");
    auto* dialog = w.form->findChild<ComparisonDialog*>();
    ASSERT_NE(dialog, nullptr);
    w.prompts.expectFile(w.file("compare.csv"));
    dialog->findChild<QPushButton*>(QStringLiteral("SaveCsv"))->click();
    QFile written(w.file("compare.csv"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().toStdString(), expected.toStdString());

    // Nor does it ever replace the archive its corrections were read from.
    QFile archive(db);
    ASSERT_TRUE(archive.open(QIODevice::ReadOnly));
    const QByteArray before = archive.readAll();
    archive.close();
    w.prompts.expectFile(db);
    w.prompts.expectMessage(MbYes); // replace it
    w.prompts.expectMessage(MbOK);
    dialog->findChild<QPushButton*>(QStringLiteral("SaveCsv"))->click();
    ASSERT_TRUE(archive.open(QIODevice::ReadOnly));
    EXPECT_EQ(archive.readAll(), before);
}

} // namespace
