// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>

class QTextBrowser;

namespace zentrova {

struct AppContext;

// The help window: the HTML help pages that lie beside the program, opened at
// the topic of the help context in force.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows topic<context>.html beside the help index (the index itself when
    // there is no such page).
    static void showTopic(AppContext& ctx, int helpContext, QWidget* parent);
    // The page shown for a help context: exposed for the tests.
    static QString topicPath(const QString& helpFile, int helpContext);

private:
    QTextBrowser* browser_;
};

} // namespace zentrova
