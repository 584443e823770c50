// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
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
    // English language leaves Qt English, one without Qt translations gets
    // at least the standard buttons in its own words.
    void apply(const AppContext& ctx);
    // The language code of the active language, empty when it is not known.
    const QString& installed() const { return installed_; }

private:
    std::unique_ptr<QTranslator> translator_;
    // Qt's standard buttons (OK, Cancel, ... of the print and file dialogs)
    // with the program's own captions: Qt's catalogue of some languages
    // lacks them.
    std::unique_ptr<QTranslator> buttons_;
    QString installed_;
};

} // namespace zentrova
