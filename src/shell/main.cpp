// Program entry of the GUI: creates the windows in their order and runs the
// message loop until the main window closes.
#include "comm/InstrumentLink.h"
#include "comm/windows/ConfCOM.h"
#include "comm/windows/GaugeD.h"
#include "comm/windows/IData.h"
#include "language/windows/sellang1.h"
#include "report/windows/export1.h"
#include "report/windows/preview1.h"
#include "shell/AppContext.h"
#include "shell/FileIO.h"
#include "shell/windows/About.h"
#include "shell/windows/Main.h"
#include "shell/windows/QtPrompts.h"
#include "shell/windows/comment1.h"
#include "shell/windows/personal1.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    // The window fonts the language files expect, mapped to the metric-compatible faces.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

    using namespace zentrova;
    QtPrompts prompts;
    AppContext ctx(QApplication::applicationDirPath() + u'/', prompts);
    InstrumentLink link(ctx.settings);

    TForm1 form(ctx);
    prompts.attach(&ctx, &form);
    TGaugeDlg gauge(ctx, &form);
    TConfigureCOM com(ctx, link, &form);
    TPreview preview(ctx, &form);
    TPersonalData personal(ctx, &form);
    TAboutBox about(ctx, &form);
    TSelectLanguage language(ctx, &form);
    TExportDlg exportDlg(ctx, &form);
    TInstrumentData instrumentData(ctx, link, gauge, &form);
    TCommentBox comments(ctx, &form);

    TForm1::Windows w;
    w.gauge = &gauge;
    w.com = &com;
    w.preview = &preview;
    w.personal = &personal;
    w.about = &about;
    w.language = &language;
    w.exportDlg = &exportDlg;
    w.instrumentData = &instrumentData;
    w.comments = &comments;
    form.setWindows(w, &link);

    // The file name as the system's bytes (QApplication has taken its own
    // options out of argv): a name that is not UTF-8 still opens.
    if (argc > 1)
        form.commandLineFile = FileNameFromSystem(QByteArray(argv[1]));

    // Without a window manager "maximised" means nothing: fill the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    return app.exec();
}
