// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/HelpViewer.h"

#include "base/Prompts.h"
#include "shell/AppContext.h"

#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace zentrova {

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(true);
    resize(760, 620);
}

QString HelpViewer::topicPath(const QString& helpFile, int helpContext)
{
    const QFileInfo index(helpFile);
    const QString topic = index.absolutePath() + QStringLiteral("/topic%1.html").arg(helpContext);
    if (QFileInfo::exists(topic))
        return topic;
    return index.exists() ? index.absoluteFilePath() : QString();
}

void HelpViewer::showTopic(AppContext& ctx, int helpContext, QWidget* parent)
{
    const QString page = topicPath(ctx.language.profile.helpFile, helpContext);
    if (page.isEmpty()) {
        ctx.language.prompts->message(
            MsgType::Error,
            ctx.language.encode(QStringLiteral("Help file not found:\r") + ctx.language.profile.helpFile), MbOK);
        return;
    }
    static QPointer<HelpViewer> viewer; // one help window at a time
    if (!viewer)
        viewer = new HelpViewer(parent);
    viewer->browser_->setSource(QUrl::fromLocalFile(page));
    viewer->setWindowTitle(viewer->browser_->documentTitle());
    viewer->show();
    viewer->raise();
}

} // namespace zentrova
