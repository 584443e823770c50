// Program entry of the GUI: creates the windows in their order and runs the
// message loop until the main window closes.
#include "language/windows/sellang1.h"
#include "shell/AppContext.h"
#include "shell/windows/About.h"
#include "shell/windows/Main.h"
#include "shell/windows/QtPrompts.h"
#include "shell/windows/comment1.h"
#include "shell/windows/personal1.h"

#include <QApplication>
#include <QFile>
#include <QFont>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString());
    // The window fonts the language files expect, mapped to the metric-compatible faces.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

    zentrova::QtPrompts prompts;
    zentrova::AppContext ctx(QApplication::applicationDirPath() + u'/', prompts);

    zentrova::TForm1 form(ctx);
    prompts.attach(&ctx, &form);
    zentrova::TPersonalData personal(ctx, &form);
    zentrova::TAboutBox about(ctx, &form);
    zentrova::TSelectLanguage language(ctx, &form);
    zentrova::TCommentBox comments(ctx, &form);
    form.setDialogs(&personal, &about, &language, &comments);

    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        form.commandLineFile = QFile::encodeName(args.at(1)).toStdString();

    form.showMaximized();
    return app.exec();
}
