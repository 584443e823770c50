// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/QtTranslations.h"

#include "shell/AppContext.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace zentrova {

namespace {
// Captions of Qt's standard buttons, and the texts of Qt's dialogs that its
// catalogue of some languages lacks, taken from the language file.
class ButtonTexts : public QTranslator {
public:
    explicit ButtonTexts(const AppContext& ctx) : ctx_(ctx) {}
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        struct Caption {
            const char* context;
            const char* qt;
            const char* key;
        };
        static const Caption captions[] = {
            {"QPlatformTheme", "OK", "&OK_11"},
            {"QPlatformTheme", "Cancel", "&Cancel_11"},
            {"QPlatformTheme", "&Yes", "&Yes_11"},
            {"QPlatformTheme", "&No", "&No_11"},
            {"QPlatformTheme", "Save", "&Save_11"},
            {"QPlatformTheme", "Help", "&Help_11"},
            {"QPlatformTheme", "Abort", "&Abort_11"},
            {"QPlatformTheme", "Retry", "&Retry_11"},
            {"QPlatformTheme", "Ignore", "&Ignore_11"},
            // The print dialog's type of its PDF printer.
            {"QPrintDialog", "Write PDF file", "QtWritePdfFile_30"},
            // The file dialog's Type column.
            {"QAbstractFileIconProvider", "Folder", "QtFolder_20"},
            {"QAbstractFileIconProvider", "Drive", "QtDrive_20"},
        };
        for (const Caption& c : captions)
            if (qstrcmp(context, c.context) == 0 && qstrcmp(sourceText, c.qt) == 0) {
                const std::string& text = ctx_.language.texts.text(c.key);
                return text.empty() ? QString() : ctx_.language.decode(text);
            }
        return QString();
    }

private:
    const AppContext& ctx_;
};
} // namespace

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations()
{
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
    if (buttons_)
        QCoreApplication::removeTranslator(buttons_.get());
}

void QtTranslations::apply(const AppContext& ctx)
{
    const QString code = TextCodec::languageCodeForLcid(ctx.language.languageFiles.codec().lcid());
    if (code == installed_)
        return;
    if (translator_)
        QCoreApplication::removeTranslator(translator_.get());
    if (buttons_)
        QCoreApplication::removeTranslator(buttons_.get());
    translator_.reset();
    buttons_.reset();
    installed_ = code;
    if (code.isEmpty() || code == QLatin1String("en"))
        return;
    auto translator = std::make_unique<QTranslator>();
    // Qt's own folder first; a portable copy may bring them beside the program.
    const QString name = QStringLiteral("qt_") + code;
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        translator->load(name, ctx.language.programDir + QStringLiteral("translations"))) {
        QCoreApplication::installTranslator(translator.get());
        translator_ = std::move(translator);
    }
    // Installed last, so asked first.
    buttons_ = std::make_unique<ButtonTexts>(ctx);
    QCoreApplication::installTranslator(buttons_.get());
}

} // namespace zentrova
