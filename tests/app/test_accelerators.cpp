// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Every menu and every dialog of the program, in each language: no two of
// their entries share an accelerator, so Alt and a letter always reach the
// one entry it is written under.
#include "app/windows/AboutBox.h"
#include "app/windows/MainWindow.h"
#include "comm/InstrumentLink.h"
#include "comm/windows/InstrumentInfoDialog.h"
#include "comm/windows/PortDialog.h"
#include "comm/windows/ProgressDialog.h"
#include "history/windows/HistorySettingsDialog.h"
#include "history/windows/HistoryWindow.h"
#include "language/windows/LanguageDialog.h"
#include "report/windows/CommentsDialog.h"
#include "report/windows/ExportDialog.h"
#include "report/windows/PrintPreview.h"
#include "report/windows/PrintoutHeadingDialog.h"
#include "shell/Startup.h"
#include "structure/windows/ChartWindow.h"
#include "structure/windows/ComparisonDialog.h"
#include "structure/windows/RecordDetailDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTimer>

namespace zentrova::test {
namespace {

// The program's windows as main() creates them.
struct AllWindows {
    LoadedProgram p{false};
    InstrumentLink link{p.ctx->language.settings};
    MainWindow form{*p.ctx};
    ProgressDialog gauge{*p.ctx, &form};
    PortDialog com{*p.ctx, link, &form};
    PrintPreview preview{*p.ctx, &form};
    PrintoutHeadingDialog personal{*p.ctx, &form};
    AboutBox about{*p.ctx, &form};
    LanguageDialog language{*p.ctx, &form};
    ExportDialog exportDlg{*p.ctx, &form};
    InstrumentInfoDialog instrumentData{*p.ctx, link, gauge, &form};
    CommentsDialog comments{*p.ctx, &form};
    RecordDetailDialog recordDetail{*p.ctx, &form};
    ChartWindow chart{*p.ctx, &form};
    HistoryWindow history{*p.ctx, &form};
    HistorySettingsDialog historySettings{*p.ctx, &form};

    AllWindows()
    {
        form.setWindows({.progress = &gauge,
                         .portDialog = &com,
                         .preview = &preview,
                         .headingDialog = &personal,
                         .about = &about,
                         .language = &language,
                         .exportDialog = &exportDlg,
                         .instrumentData = &instrumentData,
                         .comments = &comments,
                         .recordDetail = &recordDetail,
                         .chart = &chart,
                         .history = &history,
                         .historySettings = &historySettings},
                        &link);
        form.activated();
    }
};

QString describe(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// "Alt+C" for "&Copy"; empty for a text without an accelerator.
QString accelerator(const QString& text)
{
    return QKeySequence::mnemonic(text).toString().toUpper();
}

// Each accelerator used more than once among `texts`, with the texts that share it.
QStringList sharedAccelerators(const QString& where, const QStringList& texts)
{
    QMap<QString, QStringList> byKey;
    for (const QString& text : texts)
        if (const QString key = accelerator(text); !key.isEmpty())
            byKey[key] << text;
    QStringList shared;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it.value().size() > 1)
            shared << where + QStringLiteral(": ") + it.key() + QStringLiteral(" in ") +
                          it.value().join(QStringLiteral(" | "));
    return shared;
}

// What a window offers to Alt and a letter: its buttons, the labels of its
// fields, its group boxes, tabs and menu bar, as far as they are shown; each
// menu on its own, with all its entries: those hidden for the instrument
// family at hand or for the grid's focus are shown at other times.
QStringList sharedAcceleratorsOfEveryWindow()
{
    QStringList shared;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* menu = qobject_cast<QMenu*>(top)) {
            QStringList texts;
            for (QAction* a : menu->actions())
                if (!a->isSeparator())
                    texts << a->text();
            shared += sharedAccelerators(QStringLiteral("menu ") + describe(menu), texts);
            continue;
        }
        QStringList texts;
        for (QWidget* w : top->findChildren<QWidget*>()) {
            // A page of a stack not in front (the search panel's own Cancel)
            // is never in reach together with the others.
            if (w->window() != top || !w->isVisibleTo(top))
                continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                texts << b->text();
            else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
                texts << l->text();
            else if (auto* g = qobject_cast<QGroupBox*>(w))
                texts << g->title();
            else if (auto* tabs = qobject_cast<QTabBar*>(w))
                for (int i = 0; i < tabs->count(); ++i)
                    texts << tabs->tabText(i);
            else if (auto* bar = qobject_cast<QMenuBar*>(w))
                for (QAction* a : bar->actions())
                    texts << a->text();
        }
        shared += sharedAccelerators(QStringLiteral("window ") + describe(top), texts);
    }
    return shared;
}

TEST(Accelerators, NoTwoEntriesOfAMenuOrDialogShareOne)
{
    // A window of an earlier test may have ended the program: the program's
    // own loop, run once, clears that.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    AllWindows all;
    ASSERT_FALSE(all.p.ctx->language.quitRequested);
    for (int language = 0; language < int(all.p.ctx->language.languageFiles.entries().size()); ++language) {
        SCOPED_TRACE(all.p.ctx->language.languageFiles.entries()[size_t(language)].section);
        ASSERT_TRUE(changeLanguage(*all.p.ctx, language));
        all.form.applyInterfaceTexts();
        all.form.applyFamilyProfile();
        ComparisonDialog comparison(*all.p.ctx, InspectionComparison{}, QStringLiteral("older.ZIT"), &all.form);
        const QStringList shared = sharedAcceleratorsOfEveryWindow();
        EXPECT_TRUE(shared.isEmpty()) << shared.join(u'\n').toStdString();
    }
}

} // namespace
} // namespace zentrova::test
