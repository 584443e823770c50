// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The main window keeps answering while long work runs: a timer on the
// window's thread ticks every few milliseconds, and no gap between two ticks
// may reach what a user notices, during a transfer from the simulated
// instrument and during an import of the largest download into the history.
#include "app/windows/MainWindow.h"
#include "comm/InstrumentLink.h"
#include "comm/Receive.h"
#include "comm/SerialDevicePort.h"
#include "comm/windows/ProgressDialog.h"
#include "history/HistoryArchive.h"
#include "history/HistorySettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace zentrova;
using namespace zentrova::test;

namespace {

#ifdef __SANITIZE_ADDRESS__
// Under the sanitizers every step runs several times slower and timings mean
// little: the flows are checked, and only a window frozen for the whole work
// fails.
constexpr qint64 LongestGapMs = 1000;
#else
// What a user calls an instant answer.
constexpr qint64 LongestGapMs = 100;
#endif

// The longest the window's thread went without running its event loop,
// from construction until longest() is asked.
class EventLoopWatch {
public:
    EventLoopWatch()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        clock_.start();
        timer_.start();
    }
    qint64 longest()
    {
        QCoreApplication::processEvents(); // the stretch since the last tick counts too
        tick();
        return longest_;
    }
    int ticks() const { return ticks_; }

private:
    void tick()
    {
        const qint64 now = clock_.elapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
        ++ticks_;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    int ticks_ = 0;
};

struct Window {
    LoadedProgram p{false};
    AppContext& ctx = *p.ctx;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<ProgressDialog> progress;
    SerialDevicePort serial;
    InstrumentLink link{serial};

    Window()
    {
        mainWindow = std::make_unique<MainWindow>(ctx);
        progress = std::make_unique<ProgressDialog>(ctx, mainWindow.get());
        MainWindow::Windows windows;
        windows.progress = progress.get();
        mainWindow->setWindows(windows, &link);
        mainWindow->activated();
        p.prompts.allowAnyMessage();
    }
    void trigger(const char* key) { mainWindow->findChild<QAction*>(QString::fromLatin1(key))->trigger(); }
};

// A simulated instrument holding `records` generated results.
class Simulator {
public:
    // `baud` 0: replies as fast as the line takes them.
    Simulator(int records, int baud)
    {
        process_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-sim"),
                       {QStringLiteral("--set"), QStringLiteral("generate %1").arg(records), QStringLiteral("--set"),
                        QStringLiteral("baud %1").arg(baud), QStringLiteral("--idle-exit"), QStringLiteral("30")});
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            device = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~Simulator()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    QString device;

private:
    QProcess process_;
};

} // namespace

TEST(Responsiveness, WindowAnswersThroughATransferAndCancelStopsIt)
{
    Window w;
    Simulator sim(3000, 0);
    ASSERT_FALSE(sim.device.isEmpty()) << "the simulator did not start";
    w.serial.setPortName(sim.device);
    w.serial.setBaudRate(115200);

    EventLoopWatch watch;
    w.trigger("&ReceiveResults_30");
    EXPECT_LT(watch.longest(), LongestGapMs);
    EXPECT_GT(watch.ticks(), 10) << "the transfer ran on the window's thread";
    EXPECT_EQ(w.ctx.document.structure.table.rowCount() - 1, 3000) << "the window took the received document";
    EXPECT_FALSE(w.ctx.document.structure.tree.empty());

    // Cancel pressed in the middle of a second transfer ends it soon, with
    // the rows received so far kept.
    Simulator again(2000, 115200);
    ASSERT_FALSE(again.device.isEmpty());
    w.serial.setPortName(again.device);
    w.ctx.document.saved = true; // no question about the first results
    int shownAt = -1;
    QTimer press;
    press.setInterval(20);
    QElapsedTimer sincePress;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (w.progress->isVisible() && w.progress->progressBar()->value() >= 2 && shownAt < 0) {
            shownAt = w.progress->progressBar()->value();
            w.progress->cancelButton()->click();
            sincePress.start();
        }
    });
    press.start();
    EventLoopWatch second;
    w.trigger("&ReceiveResults_30");
    EXPECT_LT(second.longest(), LongestGapMs);
    ASSERT_GE(shownAt, 0) << "the progress bar never moved";
    EXPECT_LT(sincePress.elapsed(), 2000) << "the transfer went on after Cancel";
    const int kept = w.ctx.document.structure.table.rowCount() - 1;
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 2000);
}

TEST(Responsiveness, WindowAnswersThroughAHistoryImportOfTheLargestDownload)
{
    Window w;
    QTemporaryDir dir;
    HistorySettings history;
    history.database = dir.filePath(QStringLiteral("history.sqlite"));
    saveHistorySettings(w.ctx.language.settings, history);

    constexpr int Results = 65535;
    resetToNewStructure(w.ctx.document, w.ctx.language, w.ctx.defaultNames);
    clearStructure(w.ctx.document);
    for (int i = 0; i < Results; ++i) {
        const std::string r =
            diagnosticRecord(1 + i / 250, 1 + i % 250, std::to_string(10 + i % 90) + ".4", "3.1", "12.03.2024");
        decodeRecord(w.ctx, r.data(), r.size(), i + 1);
    }
    NullProgress quiet;
    buildTreeFromResults(w.ctx, quiet);
    // The command follows the results as the window refreshes; it asks again itself.
    w.mainWindow->findChild<QAction*>(QStringLiteral("&AddToHistory_30"))->setEnabled(true);

    // The installation is typed into the question when it comes.
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            d->setTextValue(QStringLiteral("Large substation"));
            d->accept();
        }
    });
    answer.start();

    EventLoopWatch watch;
    w.trigger("&AddToHistory_30");
    EXPECT_LT(watch.longest(), LongestGapMs);
    EXPECT_GT(watch.ticks(), 10) << "the import ran on the window's thread";

    HistoryArchive archive;
    ArchiveLocation where;
    QString error;
    ASSERT_TRUE(parseArchiveLocation(history.database, where, &error));
    ASSERT_TRUE(archive.open(where, ArchiveAccess::Read, &error)) << error.toStdString();
    const qint64 site = archive.findInstallation(QStringLiteral("Large substation"), &error);
    ASSERT_GT(site, 0) << error.toStdString();
    std::vector<PointEntry> points;
    ASSERT_TRUE(archive.points(site, points, &error));
    EXPECT_EQ(points.size(), size_t(Results));
}
