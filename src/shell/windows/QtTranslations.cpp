#include "shell/windows/QtTranslations.h"

#include "shell/AppContext.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zentrova {

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations()
{
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
}

void QtTranslations::apply(const AppContext& ctx)
{
    const QString code = TextCodec::languageCodeForLcid(ctx.language.codec().lcid());
    if (code == installed_)
        return;
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
    translator_.reset();
    installed_.clear();
    if (code.isEmpty() || code == QLatin1String("en"))
        return;
    auto translator = std::make_unique<QTranslator>();
    // Qt's own folder first; a portable copy may bring them beside the program.
    const QString name = QStringLiteral("qt_") + code;
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        !translator->load(name, ctx.programDir + QStringLiteral("translations")))
        return;
    QCoreApplication::installTranslator(translator.get());
    translator_ = std::move(translator);
    installed_ = code;
}

} // namespace zentrova
