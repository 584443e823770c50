#pragma once
#include <QString>

#include <memory>

class QTranslator;

namespace zentrova {

struct AppContext;

// Qt's own texts (the file and print dialogs, the buttons of its boxes) in
// the program's active language, from Qt's translations ("qt_sl.qm").
class QtTranslations {
public:
    QtTranslations();
    ~QtTranslations();
    // Replaces the installed translation by that of the active language; an
    // English language, or one without Qt translations, leaves Qt English.
    void apply(const AppContext& ctx);
    // The language code of the installed translation, empty for none.
    const QString& installed() const { return installed_; }

private:
    std::unique_ptr<QTranslator> translator_;
    QString installed_;
};

} // namespace zentrova
