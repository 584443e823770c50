// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Program entry of the GUI: creates the windows in their order and runs the
// message loop until the main window closes.
#include "app/windows/AboutBox.h"
#include "app/windows/MainWindow.h"
#include "base/FileIO.h"
#include "base/Logging.h"
#include "base/ProgramLicence.h"
#include "base/ProgramPaths.h"
#include "base/Prompts.h"
#include "comm/InstrumentLink.h"
#include "comm/windows/InstrumentInfoDialog.h"
#include "comm/windows/PortDialog.h"
#include "comm/windows/ProgressDialog.h"
#include "history/windows/HistorySettingsDialog.h"
#include "history/windows/HistoryWindow.h"
#include "language/Profile.h"
#include "language/windows/LanguageDialog.h"
#include "report/windows/CommentsDialog.h"
#include "report/windows/ExportDialog.h"
#include "report/windows/PrintPreview.h"
#include "report/windows/PrintoutHeadingDialog.h"
#include "shell/AppContext.h"
#include "shell/windows/QtPrompts.h"
#include "structure/windows/ChartWindow.h"
#include "structure/windows/RecordDetailDialog.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QScreen>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zentrova %s\n%s", zentrova::ProgramVersion, zentrova::LicenceNotice);
        return 0;
    }
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: zentrova [FILE]\n"
                    "       zentrova --version\n\n"
                    "Opens the structure file FILE, when given, in the windowed program.\n"
                    "See zentrova(1); zentrova-cli does the same work without windows.\n");
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    // The launcher's name, so that a desktop shows the window under its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zentrova.Zentrova"));
    // The window fonts the language files expect, mapped to the metric-compatible faces.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

    using namespace zentrova;
    QtPrompts prompts;
    const QString executableDir = QApplication::applicationDirPath();
    AppContext ctx(programDataDir(executableDir), prompts, settingsFilePath(executableDir));
    // A settings file that cannot be kept (a read-only folder) is said once.
    ctx.language.settings.setWriteFailureHandler([&](const QString& problem) {
        prompts.message(MsgType::Error, "Error in ZENTRO.INI\r" + ctx.language.encode(problem), MbOK);
    });
    // The diagnostics the settings ask for ([DIAGNOSTICS] LogLevel).
    setLogDetail(logDetailSetting(ctx.language.settings));
    InstrumentLink link(ctx.language.settings);
    // The program's icon, drawn for it, beside the language files.
    QApplication::setWindowIcon(QIcon(ctx.language.programDir + QStringLiteral("zentrova.svg")));

    MainWindow mainWindow(ctx);
    prompts.attach(&ctx, &mainWindow);
    ProgressDialog progressDialog(ctx, &mainWindow);
    PortDialog portDialog(ctx, link, &mainWindow);
    PrintPreview preview(ctx, &mainWindow);
    PrintoutHeadingDialog headingDialog(ctx, &mainWindow);
    AboutBox about(ctx, &mainWindow);
    LanguageDialog language(ctx, &mainWindow);
    ExportDialog exportDialog(ctx, &mainWindow);
    InstrumentInfoDialog instrumentData(ctx, link, progressDialog, &mainWindow);
    CommentsDialog comments(ctx, &mainWindow);
    RecordDetailDialog recordDetail(ctx, &mainWindow);
    ChartWindow chart(ctx, &mainWindow);
    HistoryWindow history(ctx, &mainWindow);
    HistorySettingsDialog historySettings(ctx, &mainWindow);

    MainWindow::Windows w;
    w.progress = &progressDialog;
    w.portDialog = &portDialog;
    w.preview = &preview;
    w.headingDialog = &headingDialog;
    w.about = &about;
    w.language = &language;
    w.exportDialog = &exportDialog;
    w.instrumentData = &instrumentData;
    w.comments = &comments;
    w.recordDetail = &recordDetail;
    w.chart = &chart;
    w.history = &history;
    w.historySettings = &historySettings;
    mainWindow.setWindows(w, &link);

    // The file name as the system's bytes (QApplication has taken its own
    // options out of argv): a name that is not UTF-8 still opens.
    if (argc > 1)
        mainWindow.commandLineFile = fileNameFromSystem(QByteArray(argv[1]));

    // The size and place of the last run; the first run fills the screen
    // (without a window manager "maximised" means nothing).
    if (mainWindow.restoreWindowLayout()) {
        mainWindow.show();
    } else {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            mainWindow.setGeometry(screen->availableGeometry());
        mainWindow.showMaximized();
    }
    return app.exec();
}
