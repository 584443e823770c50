// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The COM dialog, the progress dialog and the instrument's-data dialog on the
// offscreen platform, with a scripted port.
#include "Records.h"
#include "ScriptedPort.h"
#include "app/windows/MainWindow.h"
#include "comm/InstrumentLink.h"
#include "comm/Receive.h"
#include "comm/windows/InstrumentInfoDialog.h"
#include "comm/windows/PortDialog.h"
#include "comm/windows/ProgressDialog.h"
#include "shell/windows/QtPrompts.h"
#include "structure/windows/ElementTreeView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

namespace zentrova::test {
namespace {

struct ComDialog : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    ScriptedPort port;
    InstrumentLink link{port};
    std::unique_ptr<PortDialog> dialog;
    std::vector<std::string> commands;

    void SetUp() override
    {
        ctx.language.settings.writeSetting("SETUP", "COM", "5");
        ctx.language.settings.writeSetting("SETUP", "BAUD", "4");
        setUpComPort(ctx.language, link);
        // Only COM2 opens, and the instrument there talks at 38400 baud.
        port.openError = [](const QString& name, int) { return name == QStringLiteral("COM2") ? 0 : 2; };
        port.onWrite = [&](const std::string& w) {
            commands.push_back(w.substr(0, 3));
            if (port.baudRate() == 38400)
                port.deliver(std::string("SER\0\0", 5), 1);
        };
        dialog = std::make_unique<PortDialog>(ctx, link);
        dialog->setClock(port);
        dialog->show();
    }
};

TEST_F(ComDialog, OpensOnTheStoredChoice)
{
    EXPECT_EQ(dialog->listSelection(), (PortChoice{4, 3}));
    EXPECT_EQ(port.portName(), QStringLiteral("COM5"));
    EXPECT_EQ(port.baudRate(), 9600);
    EXPECT_EQ(dialog->portList()->topLevelItemCount(), 16);
    EXPECT_EQ(dialog->portList()->topLevelItem(15)->text(0), QStringLiteral("COM16"));
    ASSERT_EQ(dialog->baudList()->count(), 6);
    EXPECT_EQ(dialog->baudList()->item(0)->text(), QStringLiteral("115200"));
    EXPECT_EQ(dialog->baudList()->item(5)->text(), QStringLiteral("2400"));
}

TEST_F(ComDialog, AutoFindThenCancelKeepsOldSettingsAndWritesNothing)
{
    const std::string iniBefore = program.dir.readFile(QStringLiteral("ZENTRO.INI"));
    std::vector<PortChoice> tried;
    dialog->onAttempt = [&](const PortChoice& c) { tried.push_back(c); };
    dialog->autoFindPort();
    EXPECT_EQ(dialog->listSelection(), (PortChoice{1, 1}));
    EXPECT_EQ(tried.size(), 8u); // six rates of COM1, then 115200 and 38400 of COM2
    EXPECT_EQ(commands, (std::vector<std::string>{"MRD", "MRD", "MEX"}));
    EXPECT_FALSE(dialog->searchPanel()->isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->portList()->isEnabled());

    dialog->reject();
    EXPECT_EQ(link.selection, (PortChoice{4, 3}));
    EXPECT_EQ(port.portName(), QStringLiteral("COM5"));
    EXPECT_EQ(port.baudRate(), 9600);
    EXPECT_EQ(program.dir.readFile(QStringLiteral("ZENTRO.INI")), iniBefore);
}

TEST_F(ComDialog, AutoFindThenOkStoresTheFoundEntries)
{
    dialog->autoFindPort();
    // The dialog says what answered: the entry and the rate.
    EXPECT_EQ(dialog->foundLabel()->text(), QStringLiteral("Instrument found: COM2, 38400 Bd"));
    dialog->accept();
    EXPECT_EQ(ctx.language.settings.readSetting("SETUP", "COM", ""), "2");
    EXPECT_EQ(ctx.language.settings.readSetting("SETUP", "BAUD", ""), "2");
    EXPECT_EQ(link.selection, (PortChoice{1, 1}));
    EXPECT_EQ(port.baudRate(), 38400);
}

TEST_F(ComDialog, FruitlessSearchSaysSoAndGoesBack)
{
    port.openError = [](const QString&, int) { return 2; };
    program.prompts.expectMessage(MbOK);
    dialog->autoFindPort();
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0], ctx.language.texts.text("CommError_40"));
    EXPECT_EQ(dialog->listSelection(), (PortChoice{4, 3}));
    EXPECT_TRUE(dialog->foundLabel()->text().isEmpty());
}

TEST_F(ComDialog, SearchesLeaveTheDialogAndItsButtonsWhereTheyWere)
{
    QCoreApplication::processEvents();
    const QSize size = dialog->size();
    const QPoint ok = dialog->okButton()->mapTo(dialog.get(), QPoint());
    dialog->autoFindPort(); // finds COM2
    port.openError = [](const QString&, int) { return 2; };
    program.prompts.expectMessage(MbOK);
    dialog->autoFindPort(); // finds nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->size(), size);
    EXPECT_EQ(dialog->okButton()->mapTo(dialog.get(), QPoint()), ok);
}

TEST_F(ComDialog, ChangedSelectionIsForgottenOnCancel)
{
    dialog->baudList()->setCurrentRow(0);
    dialog->portList()->setCurrentItem(dialog->portList()->topLevelItem(0));
    dialog->reject();
    dialog->show();
    EXPECT_EQ(dialog->listSelection(), (PortChoice{4, 3}));
}

// ------------------------------------------------------------ typed device paths

// The program's own port, whose entries stand for devices ([PORTS]).
struct ComDialogDevices : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    InstrumentLink link{ctx.language.settings};
    std::unique_ptr<PortDialog> dialog;

    void SetUp() override
    {
        setUpComPort(ctx.language, link);
        dialog = std::make_unique<PortDialog>(ctx, link);
        dialog->show();
        dialog->portList()->setCurrentItem(dialog->portList()->topLevelItem(2)); // COM3
    }
    void type(const QString& path) { dialog->deviceEdit()->setEditText(path); }
};

struct BadPath {
    const char* name;
    QString path;
    const char* messageKey;
};

void PrintTo(const BadPath& p, std::ostream* os)
{
    *os << p.name;
}

class ComDialogBadPaths : public ComDialogDevices, public ::testing::WithParamInterface<BadPath> {};

TEST_P(ComDialogBadPaths, AreRefusedWithTheReasonAndNotStored)
{
    const QString path = GetParam().path.isNull() ? program.dir.file(QStringLiteral("english.lng")) : GetParam().path;
    dialog->portList()->setCurrentItem(dialog->portList()->topLevelItem(5));
    type(path);
    dialog->portList()->setCurrentItem(dialog->portList()->topLevelItem(2)); // the user moved on
    program.prompts.expectMessage(MbOK);
    dialog->okButton()->click();
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0], ctx.language.texts.text(GetParam().messageKey) + '\r' + path.toStdString());
    EXPECT_TRUE(dialog->isVisible());
    // The entry with the bad path is shown for correction.
    EXPECT_EQ(dialog->listSelection().port, 5);
    EXPECT_EQ(dialog->deviceEdit()->currentText(), path);
    EXPECT_EQ(ctx.language.settings.readSetting("PORTS", "COM6", "unset"), "unset");
    EXPECT_EQ(ctx.language.settings.readSetting("SETUP", "COM", "unset"), "unset");
}

INSTANTIATE_TEST_SUITE_P(Paths, ComDialogBadPaths,
                         ::testing::Values(BadPath{"Missing", QStringLiteral("/dev/ttyNoSuchAdapter0"),
                                                   "NoSuchDevice_40"},
                                           BadPath{"Relative", QStringLiteral("null"), "NoSuchDevice_40"},
                                           BadPath{"Folder", QStringLiteral("/dev"), "NotSerialDevice_40"},
                                           BadPath{"RegularFile", QString(), "NotSerialDevice_40"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ progress

TEST(GaugeDialog, ShowsCaptionLinesGaugeAndCancel)
{
    LoadedProgram program;
    ProgressDialog gauge(*program.ctx);
    gauge.show("Receive Results", "", true);
    EXPECT_TRUE(gauge.isVisible());
    EXPECT_EQ(gauge.windowTitle(), QStringLiteral("Receive Results"));
    EXPECT_TRUE(gauge.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(gauge.isModal());
    gauge.setLine2("Receiving results...");
    gauge.setPosition(57);
    EXPECT_EQ(gauge.label2()->text(), QStringLiteral("Receiving results..."));
    EXPECT_EQ(gauge.progressBar()->value(), 57);
    EXPECT_FALSE(gauge.cancelRequested());
    gauge.cancelButton()->click();
    EXPECT_TRUE(gauge.cancelRequested());
    gauge.hide();
    EXPECT_FALSE(gauge.isVisible());
    // Showing again starts without a Cancel; file work hides the button.
    gauge.show("Save", "file.zit", false);
    EXPECT_FALSE(gauge.cancelRequested());
    EXPECT_FALSE(gauge.cancelButton()->isVisibleTo(&gauge));
    EXPECT_EQ(gauge.label1()->text(), QStringLiteral("file.zit"));
}

// A transfer's messages and questions open in front of the progress dialog,
// which stays on top of everything else, even while the main window has the
// focus.
struct TransferMessageCase {
    const char* name;
    bool answers;
    int silentAfterRecords;
    const char* firstMessageKey;
};

void PrintTo(const TransferMessageCase& c, std::ostream* os)
{
    *os << c.name;
}

class TransferMessages : public ::testing::TestWithParam<TransferMessageCase> {};

TEST_P(TransferMessages, BelongToTheProgressDialog)
{
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    QWidget mainWindow;
    mainWindow.show();
    QtPrompts prompts;
    prompts.attach(&ctx, &mainWindow);
    ctx.language.prompts = &prompts;
    ProgressDialog gauge(ctx, &mainWindow);

    ScriptedPort port;
    ScriptedInstrument instrument(port);
    instrument.identificationPayload = ScriptedInstrument::payload(114, {"TeraTester"});
    for (int i = 0; i < 30; ++i)
        instrument.records.push_back(rec(1, 1 + i, 0, coded('R', 1, 7, std::to_string(100 + i))));
    instrument.answerMrd = GetParam().answers;
    instrument.silentAfterRecords = GetParam().silentAfterRecords;
    InstrumentLink link(port);

    struct Seen {
        QWidget* owner;
        QString text;
    };
    std::vector<Seen> seen;
    // Answers each box (Yes ends the exchange with a silent instrument).
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.push_back({box->parentWidget(), box->text()});
        QAbstractButton* answer = box->buttons().constFirst();
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::YesRole)
                answer = b;
        answer->click();
    });
    answerer.start(5);

    ReceiveHooks hooks;
    hooks.querySaveChanges = [] { return true; };
    // Once the progress dialog shows, the user clicks the main window.
    QTimer::singleShot(0, &mainWindow, [&] { mainWindow.activateWindow(); });
    receiveResults(ctx, link, gauge, hooks, port);

    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen[0].text.startsWith(ctx.language.decode(ctx.language.texts.text(GetParam().firstMessageKey))))
        << seen[0].text.toStdString();
    for (const Seen& s : seen)
        EXPECT_EQ(s.owner, &gauge) << s.text.toStdString();

    // With the progress dialog gone, the main window owns them again.
    seen.clear();
    prompts.message(MsgType::Information, "done", MbOK);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, &mainWindow);
    ctx.language.prompts = &program.prompts;
}

INSTANTIATE_TEST_SUITE_P(Cases, TransferMessages,
                         ::testing::Values(TransferMessageCase{"NoInstrument", false, -1, "CommError_40"},
                                           TransferMessageCase{"StopAfter10Of30", true, 10, "MeasuresMissing_30"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------------ instrument's data

TEST(InstrumentDataDialog, ShowsStoredRowThenFreshIdentification)
{
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    ScriptedPort port;
    ScriptedInstrument instrument(port);
    instrument.identificationPayload =
        ScriptedInstrument::payload(114, {"A", "B", "C", "SN9", "Firm", "User", "D", "E", "F", "G"});
    InstrumentLink link(port);
    RecordingProgress progress;
    InstrumentInfoDialog dialog(ctx, link, progress);

    dialog.show(); // a structure without received results
    EXPECT_EQ(dialog.instrBox()->toPlainText(), QStringLiteral("\n\n\n"));
    EXPECT_EQ(dialog.numBox()->text(), QString());
    EXPECT_EQ(dialog.firmBox()->toPlainText(), QString());

    dialog.receiveInstrumentData();
    EXPECT_EQ(dialog.instrBox()->toPlainText(), QStringLiteral("A\nB\nC\nD\nE\nF\nG"));
    EXPECT_EQ(dialog.numBox()->text(), QStringLiteral("SN9"));
    EXPECT_EQ(dialog.instrBox()->textCursor().position(), 0);
    dialog.accept();

    ctx.document.structure.table.setCell(1, 0, "L1\rL2\rL3\rSN4\rL5\rL6\rL7\rL8");
    ctx.document.structure.table.setCell(2, 0, "F1\rF2");
    dialog.show();
    EXPECT_EQ(dialog.instrBox()->toPlainText(), QStringLiteral("L1\nL2\nL3\nL5"));
    EXPECT_EQ(dialog.numBox()->text(), QStringLiteral("SN4"));
    EXPECT_EQ(dialog.firmBox()->toPlainText(), QStringLiteral("F1\nF2"));
}

// ------------------------------------------------------------ transfers of the main window

// The progress dialog of the main window; what the transfer reports from the
// worker is also handed to `fromWorker`.
class WatchedProgress : public ProgressDialog {
public:
    using ProgressDialog::ProgressDialog;
    using ProgressDialog::show;
    void setLine2(const std::string& text) override
    {
        watch();
        ProgressDialog::setLine2(text);
    }
    void setPosition(int percent) override
    {
        watch();
        ProgressDialog::setPosition(percent);
    }
    std::function<void()> fromWorker;

private:
    void watch()
    {
        if (QThread::currentThread() != thread() && fromWorker)
            fromWorker();
    }
};

struct TransferWork {
    const char* name;
    void (*start)(MainWindow&, InstrumentInfoDialog&);
};

void PrintTo(const TransferWork& c, std::ostream* os)
{
    *os << c.name;
}

class MainWindowTransfer : public ::testing::TestWithParam<TransferWork> {};

// A transfer, and the instrument's-data dialog asking the instrument, run on
// a worker through the main window's work, which turns its commands off
// meanwhile. They only read the language, which the window's thread reads
// at the same time (F1 reads the help file's name and the tree's topic); the
// window applies the family's profile for what came once they are over.
TEST_P(MainWindowTransfer, LeavesTheLanguageToTheWindowAndItsCommandsOff)
{
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    program.prompts.allowAnyMessage();
    ScriptedPort port;
    ScriptedInstrument instrument(port);
    instrument.identificationPayload = ScriptedInstrument::payload(114, {"TeraTester", "", "", "SN7"});
    for (int i = 0; i < 5; ++i)
        instrument.records.push_back(rec(1, 1 + i, 0, coded('R', 1, 7, std::to_string(100 + i))));
    InstrumentLink link(port);
    MainWindow form(ctx);
    WatchedProgress progress(ctx, &form);
    InstrumentInfoDialog instrumentData(ctx, link, progress, &form);
    MainWindow::Windows windows;
    windows.progress = &progress;
    windows.instrumentData = &instrumentData;
    form.setWindows(windows, &link);

    // A value the family's profile sets, changed: the work must not set it.
    constexpr int Marker = 4242;
    ctx.language.profile.treeHelpContext = Marker;
    std::vector<int> seenByWork;
    bool commandsOn = false;
    progress.fromWorker = [&] {
        seenByWork.push_back(ctx.language.profile.treeHelpContext);
        commandsOn |= callOnThreadOf(&form, [&] { return form.action("&Open_30")->isEnabled(); });
    };
    GetParam().start(form, instrumentData);

    ASSERT_FALSE(seenByWork.empty());
    for (int seen : seenByWork)
        EXPECT_EQ(seen, Marker) << "the work applied the profile to the shared language";
    EXPECT_FALSE(commandsOn) << "the main window's commands stayed on during the work";
    EXPECT_EQ(ctx.document.familyCode, 14);
    EXPECT_EQ(ctx.language.profile.treeHelpContext, 1200) << "the window applies the profile afterwards";
    EXPECT_TRUE(form.action("&Open_30")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Kinds, MainWindowTransfer,
                         ::testing::Values(TransferWork{"ReceiveResults",
                                                        [](MainWindow& form, InstrumentInfoDialog&) {
                                                            form.action("&ReceiveResults_30")->trigger();
                                                            EXPECT_EQ(form.tree()->topLevelItemCount(), 1);
                                                        }},
                                           TransferWork{"InstrumentData",
                                                        [](MainWindow&, InstrumentInfoDialog& dialog) {
                                                            dialog.receiveInstrumentData();
                                                            EXPECT_EQ(dialog.numBox()->text(), QStringLiteral("SN7"));
                                                        }}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zentrova::test
