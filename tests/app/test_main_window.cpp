// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The main window after its first activation, the language dialog and the
// heading dialogs, driven offscreen with scripted answers.
#include "app/windows/AboutBox.h"
#include "app/windows/MainWindow.h"
#include "base/FileHistory.h"
#include "base/FileIO.h"
#include "history/windows/HistoryWindow.h"
#include "language/windows/LanguageDialog.h"
#include "report/windows/CommentsDialog.h"
#include "report/windows/PrintoutHeadingDialog.h"
#include "shell/windows/FileDatesModel.h"
#include "structure/windows/ElementTreeView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include "report/windows/AnnotatedGrid.h"
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

using namespace zentrova;
using namespace zentrova::test;

namespace {

struct Gui {
    LoadedProgram p{false};
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<PrintoutHeadingDialog> personal;
    std::unique_ptr<AboutBox> about;
    std::unique_ptr<LanguageDialog> language;
    std::unique_ptr<CommentsDialog> comments;
    HistoryWindow* history = nullptr;

    void create(const QString& commandLineFile = {})
    {
        // A window of an earlier test may have ended the program, after
        // which every dialog's loop ends at once: the program's own loop,
        // run once, clears that.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        form = std::make_unique<MainWindow>(*p.ctx);
        form->commandLineFile = commandLineFile;
        personal = std::make_unique<PrintoutHeadingDialog>(*p.ctx, form.get());
        about = std::make_unique<AboutBox>(*p.ctx, form.get());
        language = std::make_unique<LanguageDialog>(*p.ctx, form.get());
        comments = std::make_unique<CommentsDialog>(*p.ctx, form.get());
        MainWindow::Windows w;
        w.headingDialog = personal.get();
        w.about = about.get();
        w.language = language.get();
        w.comments = comments.get();
        w.history = history;
        form->setWindows(w, nullptr);
        form->activated();
    }
    QString menuTitle(int i) const { return form->menuBar()->actions().at(i)->text(); }
};

TEST(MainWindow, FirstActivationShowsEnglishMenusAndFourToolButtons)
{
    Gui g;
    g.create();
    EXPECT_FALSE(g.p.ctx->language.quitRequested);
    EXPECT_FALSE(g.form->firstActivationPending());
    EXPECT_EQ(g.menuTitle(0), QStringLiteral("&File"));
    EXPECT_EQ(g.menuTitle(3), QStringLiteral("&Printout heading"));
    EXPECT_EQ(g.form->action("&OperatorTestSite_30")->text(), QStringLiteral("&Operator/Test site..."));

    for (const char* hidden : {"&New_30", "&SendStructure_30", "&SetDefaultNames_30", "CalcLength_30"})
        EXPECT_FALSE(g.form->action(hidden)->isVisible()) << hidden;
    for (const char* shown :
         {"&Open_30", "&Save_30", "&SaveAs_30", "&Export_30", "&PrintPreview_30", "&Exit_30", "&ReceiveResults_30",
          "&InstrumentsData_30", "&COMPort_30", "&SelectLanguage_30", "&Comments_30", "&Contents_30", "&About_30"})
        EXPECT_TRUE(g.form->action(shown)->isVisible()) << shown;
    struct Key {
        const char* action;
        const char* keys;
    };
    for (const Key& k :
         {Key{"&Contents_30", "F1"}, Key{"&Open_30", "Ctrl+O"}, Key{"&Save_30", "Ctrl+S"},
          Key{"&SaveAs_30", "Ctrl+Shift+S"}, Key{"&PrintPreview_30", "Ctrl+P"}, Key{"&Exit_30", "Ctrl+Q"}})
        EXPECT_EQ(g.form->action(k.action)->shortcut(), QKeySequence(QString::fromLatin1(k.keys))) << k.action;

    int visible = 0;
    for (QToolButton* b : g.form->findChildren<QToolButton*>())
        if (b->objectName().startsWith(u"Ico") && !b->isHidden() && b->parentWidget()->isVisibleTo(g.form.get()))
            ++visible;
    g.form->show();
    QStringList shownButtons;
    for (const char* name : {"IcoNew", "IcoOpen", "IcoSave", "IcoSendS", "IcoReceiveR", "IcoPrint", "IcoCalibrate"})
        if (g.form->toolButton(name)->isVisible())
            shownButtons << QString::fromLatin1(name);
    EXPECT_EQ(shownButtons, (QStringList{"IcoOpen", "IcoSave", "IcoReceiveR", "IcoPrint"}));
    EXPECT_FALSE(g.form->toolButton("IcoOpen")->toolTip().isEmpty());
    EXPECT_FALSE(g.form->toolButton("IcoOpen")->icon().isNull());

    EXPECT_EQ(g.form->windowTitle(), g.p.ctx->language.decode(g.p.ctx->language.texts.text("MainCaptionTive5kV_20")) +
                                         QStringLiteral(": [*]"));
    EXPECT_FALSE(g.form->isWindowModified());
    EXPECT_EQ(g.form->resultsGrid()->data().colCount(), 6);
    EXPECT_EQ(g.form->resultsGrid()->data().cell(5, 0), headingText(g.p.ctx->language.texts.text("VGlava6_0")));
    EXPECT_TRUE(g.about->version()->text().endsWith(u"4.02"));
}

TEST(MainWindow, MissingKeyEndsTheProgramNamingTheKey)
{
    Gui g;
    g.p.dir.editLine("english.lng", "&Comments_30=", "");
    g.p.prompts.expectMessage(MbOK);
    g.create();
    EXPECT_TRUE(g.p.ctx->language.quitRequested);
    ASSERT_EQ(g.p.prompts.messages.size(), 1u);
    EXPECT_EQ(g.p.prompts.messages[0], "Error in LANGUAGE.INI\r&Comments_30");
    // The program ends with code 1 once its event loop runs; left pending,
    // that exit would end the next dialog another test opens.
    EXPECT_EQ(QCoreApplication::exec(), 1);
}

TEST(MainWindow, ChoosingSlovenianChangesCaptionsNameAndMask)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    const QString englishFile = g.menuTitle(0);
    c.document.fileName = c.language.decode(c.language.texts.defaultFileName);

    // Pick the second language in the dialog and press OK.
    QTimer::singleShot(0, [&] {
        g.language->buttons()->button(1)->setChecked(true);
        g.language->okButton()->click();
    });
    ASSERT_TRUE(g.language->execute());
    g.form->applyInterfaceTexts();
    g.form->applyFamilyProfile();

    EXPECT_NE(g.menuTitle(0), englishFile);
    EXPECT_EQ(g.menuTitle(0), c.language.decode(c.language.texts.text("&File_30")));
    EXPECT_EQ(c.language.settings.readSetting("SETUP", "LANGUAGE", ""), "2");
    EXPECT_EQ(c.document.fileName, c.language.decode(c.language.texts.text("Noname_8")) + QStringLiteral(".ZIT"));
    EXPECT_NE(c.language.texts.text("Noname_8"), "Noname");
    EXPECT_EQ(c.language.structureFileMask, "*.ZIT");
    EXPECT_TRUE(g.form->windowTitle().endsWith(c.document.fileName + QStringLiteral("[*]")));
    EXPECT_EQ(g.language->windowTitle(), c.language.decode(c.language.texts.text("SelectLanguage_25")));
    EXPECT_GT(g.language->minimumWidth(), g.language->fontMetrics().horizontalAdvance(g.language->windowTitle()));
    const QString credits = c.language.decode(c.language.texts.text("AboutCredits_30"));
    EXPECT_NE(credits, QStringLiteral("Insulation test companion"));
    // The credits name the licence, in the language chosen.
    const QString licence = c.language.decode(c.language.texts.text("AboutLicence_60"));
    EXPECT_TRUE(licence.contains(QStringLiteral("GNU GPL")));
    bool creditsShown = false;
    for (QLabel* label : g.about->findChildren<QLabel*>())
        creditsShown |= label->text().contains(credits) && label->text().contains(licence);
    EXPECT_TRUE(creditsShown);

    // Cancel keeps the language.
    QTimer::singleShot(0, [&] {
        g.language->buttons()->button(0)->setChecked(true);
        g.language->reject();
    });
    EXPECT_FALSE(g.language->execute());
    EXPECT_EQ(c.language.languageFiles.selectedIndex(), 1);
    EXPECT_TRUE(g.language->buttons()->button(1)->isChecked());
}

// Renames in the tree: what the language's code page cannot hold is refused
// with the old name kept; after a language change the tree shows the model's
// bytes decoded as the grid does.
struct TreeGui : Gui {
    ElementNode* point = nullptr;
    TreeGui()
    {
        create();
        AppContext& c = *p.ctx;
        ElementNode* block = addElementNode(c.document, nullptr);
        block->name = "001";
        block->info.kind = KindObject;
        block->info.number = 1;
        point = addElementNode(c.document, block);
        point->name = "Point 1";
        point->info.kind = KindMeasuringPoint;
        point->info.number = 1;
        ResultTable& t = c.document.structure.table;
        const int r = t.appendRow();
        t.setCell(1, r, "1\r1\r1");
        t.setCell(2, r, "Obj\r001\rPoint 1\r13,0");
        t.setCell(3, r, "500");
        t.setCell(4, r, "5075011250");
        c.document.structure.tree.selected = point;
        form->refreshStructureView();
    }
    QTreeWidgetItem* item() const { return form->tree()->itemOf(point); }
    QString gridName() const { return p.ctx->language.decode(form->resultsGrid()->data().cell(1, 1)); }
    void chooseLanguage(int button)
    {
        QTimer::singleShot(0, [this, button] {
            language->buttons()->button(button)->setChecked(true);
            language->okButton()->click();
        });
        form->action("&SelectLanguage_30")->trigger();
    }
};

TEST(ElementTree, RenameTheLanguageCannotStoreIsRefused)
{
    TreeGui g;
    AppContext& c = *g.p.ctx;
    ASSERT_NE(g.item(), nullptr);
    ASSERT_EQ(g.gridName(), QStringLiteral("Point 1"));
    c.document.saved = true;
    g.p.prompts.expectMessage(MbOK);
    g.item()->setText(0, QStringLiteral("Trafo T1 - HV winding čšž ČŠŽ"));
    ASSERT_EQ(g.p.prompts.messages.size(), 1u);
    EXPECT_EQ(g.p.prompts.messages[0], c.language.texts.text("CannotStore_60") + "\rU+010D U+010C");
    EXPECT_EQ(g.point->name, "Point 1");
    EXPECT_EQ(g.item()->text(0), QStringLiteral("Point 1"));
    EXPECT_EQ(g.gridName(), QStringLiteral("Point 1"));
    EXPECT_TRUE(c.document.saved);
    // The typed text is back in the editor, its first refused character selected.
    QApplication::processEvents();
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : g.form->tree()->viewport()->findChildren<QLineEdit*>())
        if (e->isVisibleTo(g.form->tree()->viewport()))
            editor = e;
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("Trafo T1 - HV winding čšž ČŠŽ"));
    EXPECT_EQ(editor->selectionStart(), 22);
    EXPECT_EQ(editor->selectedText(), QStringLiteral("č"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(editor, &escape);
    EXPECT_EQ(g.point->name, "Point 1");

    g.item()->setText(0, QStringLiteral("Trafo T1 - HV winding šž ŠŽ"));
    EXPECT_EQ(g.point->name, "Trafo T1 - HV winding \x9a\x9e \x8a\x8e");
    EXPECT_EQ(g.gridName(), g.item()->text(0));
    EXPECT_FALSE(c.document.saved);
}

TEST(ElementTree, LabelsFollowTheLanguageAsTheGridDoes)
{
    TreeGui g;
    AppContext& c = *g.p.ctx;
    g.chooseLanguage(1);
    ASSERT_EQ(c.language.languageFiles.codec().codePage(), 1250);
    g.item()->setText(0, QStringLiteral("Kabel čšž ČŠŽ"));
    ASSERT_EQ(g.point->name, "Kabel \xe8\x9a\x9e \xc8\x8a\x8e");

    // English lacks č and Č: the dialog asks first, and No keeps Slovenian
    // with the name as it was.
    g.p.prompts.expectMessage(MbNo);
    g.chooseLanguage(0);
    ASSERT_EQ(g.p.prompts.messages.size(), 1u);
    EXPECT_NE(g.p.prompts.messages[0].find("\r    Kabel \xe8\x9a\x9e \xc8\x8a\x8e\r"), std::string::npos);
    ASSERT_EQ(c.language.languageFiles.codec().codePage(), 1250);
    EXPECT_EQ(g.item()->text(0), QStringLiteral("Kabel čšž ČŠŽ"));
    EXPECT_TRUE(g.language->buttons()->button(1)->isChecked());

    // Yes switches; the letters English has stay what they were.
    g.p.prompts.expectMessage(MbYes);
    g.chooseLanguage(0);
    ASSERT_EQ(c.language.languageFiles.codec().codePage(), 1252);
    EXPECT_EQ(g.item()->text(0), QStringLiteral("Kabel ?šž ?ŠŽ"));
    EXPECT_EQ(g.gridName(), g.item()->text(0));
}

// The main window follows the language in Qt's own dialogs too.
TEST(MainWindow, QtDialogsFollowTheLanguage)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_sl.qm")))
        GTEST_SKIP() << "Qt's Slovenian translations are not installed (qt6-translations-l10n)";
    Gui g;
    g.create();
    const QString english = QCoreApplication::translate("QFileDialog", "Look in:");
    QTimer::singleShot(0, [&] {
        g.language->buttons()->button(1)->setChecked(true);
        g.language->okButton()->click();
    });
    g.form->action("&SelectLanguage_30")->trigger();
    ASSERT_EQ(g.p.ctx->language.languageFiles.selectedIndex(), 1);
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), english);
    // Qt's catalogue has no standard buttons in Slovenian: the language file's captions stand in.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              g.p.ctx->language.decode(g.p.ctx->language.texts.text("&Cancel_11")));
    // So does the print dialog's PDF printer, and the file dialog's dates
    // are written as the language writes them, not as the system does.
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Write PDF file"), QStringLiteral("Zapis v datoteko PDF"));
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), QStringLiteral("Mapa"));
    {
        const ProgramDir& dir = g.p.dir;
        dir.writeFile(QStringLiteral("old.zit"), "x");
        const QDateTime changed(QDate(2026, 12, 7), QTime(9, 5));
        QFile file(dir.file(QStringLiteral("old.zit")));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(changed, QFileDevice::FileModificationTime));
        file.close();
        QFileSystemModel files;
        files.setRootPath(dir.path());
        FileDatesModel dates(QLocale(QStringLiteral("sl")), nullptr);
        dates.setSourceModel(&files);
        QModelIndex index;
        QElapsedTimer waited; // the model reads the folder in a thread of its own
        waited.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            index = dates.mapFromSource(files.index(dir.file(QStringLiteral("old.zit")), 3));
        } while (!files.lastModified(dates.mapToSource(index)).isValid() && waited.elapsed() < 10000);
        EXPECT_EQ(dates.data(index, Qt::DisplayRole).toString(),
                  QLocale(QStringLiteral("sl")).toString(changed, QLocale::ShortFormat));
        EXPECT_FALSE(dates.data(index, Qt::DisplayRole).toString().contains(QStringLiteral("Dec")));
    }

    QTimer::singleShot(0, [&] {
        g.language->buttons()->button(0)->setChecked(true);
        g.language->okButton()->click();
    });
    g.form->action("&SelectLanguage_30")->trigger();
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), english);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

// Named on the command line, a file that is no structure file is refused
// and the window keeps no name Save could write to.
TEST(MainWindow, CommandLineFileThatIsNoStructureFileIsRefused)
{
    Gui g;
    g.p.dir.writeFile(QStringLiteral("photo.ZIT"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    g.p.prompts.expectMessage(MbOK);
    g.create(g.p.dir.file(QStringLiteral("photo.ZIT")));
    ASSERT_EQ(g.p.prompts.messages.size(), 1u);
    EXPECT_EQ(g.p.prompts.messages[0], g.p.ctx->language.encode(g.p.dir.file(QStringLiteral("photo.ZIT"))) +
                                           "\rThis file is not a structure file.");
    EXPECT_TRUE(g.p.ctx->document.fileName.isEmpty());
    EXPECT_FALSE(g.form->windowTitle().contains(QStringLiteral("photo")));
}

// What the window keeps between runs, the recent files of its File menu and
// the mark of unsaved changes in its title.
TEST(MainWindow, RemembersLayoutAndRecentFilesAndMarksChanges)
{
    Gui g;
    std::string structure;
    ASSERT_TRUE(readWholeFile(QStringLiteral(ZENTROVA_TEST_DATA_DIR "/structure/full.ZIT"), structure));
    for (const char* name : {"a.ZIT", "b.ZIT"})
        g.p.dir.writeFile(QString::fromLatin1(name), structure);
    g.create(g.p.dir.file(QStringLiteral("a.ZIT")));
    EXPECT_TRUE(g.p.prompts.messages.empty());
    EXPECT_FALSE(g.form->isWindowModified());

    g.form->openRecentFile(g.p.dir.file(QStringLiteral("b.ZIT")));
    g.form->refreshRecentFiles();
    QStringList shown;
    for (QAction* a : g.form->recentFileActions())
        if (a->isVisible())
            shown << a->text();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("&1 ")) && shown[0].endsWith(QStringLiteral("b.ZIT")))
        << shown[0].toStdString();
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("&2 ")) && shown[1].endsWith(QStringLiteral("a.ZIT")))
        << shown[1].toStdString();

    // A change marks the title; saving clears the mark.
    ElementNode* first = g.p.ctx->document.structure.tree.first();
    ASSERT_NE(first, nullptr);
    emit g.form->tree()->renamed(first, "Renamed");
    EXPECT_TRUE(g.form->isWindowModified());
    g.form->action("&Save_30")->trigger();
    EXPECT_FALSE(g.form->isWindowModified());

    // A structure file dropped on the window opens as from the menu.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(g.p.dir.file(QStringLiteral("a.ZIT")))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window: without a drag in progress the application passes no drop on.
    static_cast<QObject*>(g.form.get())->event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_EQ(g.p.ctx->document.fileName, g.p.dir.file(QStringLiteral("a.ZIT")));
    EXPECT_EQ(recentFiles(g.p.ctx->language.settings).value(0), g.p.dir.file(QStringLiteral("a.ZIT")));

    g.form->resize(700, 500);
    g.form->saveWindowLayout();
    Gui next;
    next.p.ctx->language.settings = g.p.ctx->language.settings;
    next.create();
    ASSERT_TRUE(next.form->restoreWindowLayout());
    EXPECT_EQ(next.form->size(), QSize(700, 500));
}

TEST(CommentsDialog, KeepsTwoHundredLinesAndWritesChecks)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    c.document.comments.lines[0] = "Insulation of the main feeder checked";
    c.document.comments.checks = "1";
    g.comments->fillFromSettings();
    EXPECT_FALSE(g.comments->checkBox(0)->isChecked()) << "a short checks text clears every box";
    QPlainTextEdit* box = g.comments->commentBox();
    EXPECT_EQ(box->toPlainText(), QStringLiteral("Insulation of the main feeder checked"));

    // Pasting 250 lines leaves the previous text.
    QStringList many;
    for (int i = 0; i < 250; ++i)
        many << QStringLiteral("line %1").arg(i + 1);
    box->selectAll();
    box->insertPlainText(many.join(u'\n'));
    EXPECT_EQ(box->toPlainText(), QStringLiteral("Insulation of the main feeder checked"));

    // Exactly 200 lines are accepted; a 201st typed line is undone.
    box->setPlainText(many.mid(0, 200).join(u'\n'));
    EXPECT_EQ(lineCountOf(box->toPlainText()), 200);
    box->moveCursor(QTextCursor::End);
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(box, &press);
    }
    EXPECT_EQ(lineCountOf(box->toPlainText()), 200);

    g.comments->checkBox(0)->setChecked(true);
    g.comments->checkBox(2)->setChecked(true);
    c.document.saved = true;
    g.comments->accept();
    EXPECT_FALSE(c.document.saved);
    EXPECT_EQ(c.language.settings.readSetting("COMMENTS", "checks", ""), "101");
    EXPECT_EQ(c.language.settings.readSetting("COMMENTS", "comm200", ""), "line 200");
    EXPECT_EQ(c.language.settings.readSetting("COMMENTS", "comm1", ""), "line 1");
}

TEST(PrintoutHeadingDialog, TogglesModeAndWritesTheHeading)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    c.document.heading.op[0] = "Ana Novak";
    c.document.heading.logoMode = 0;
    c.document.heading.logo = "/nonexistent/logo.bmp";
    g.personal->fillFromHeading();
    EXPECT_EQ(g.personal->operatorEdit(0)->text(), QStringLiteral("Ana Novak"));
    EXPECT_EQ(g.personal->toggleButton()->text(), c.language.decode(c.language.texts.text("Picture_11")));
    g.personal->toggleMode();
    EXPECT_EQ(g.personal->mode(), 1);
    EXPECT_EQ(g.personal->toggleButton()->text(), c.language.decode(c.language.texts.text("Text_11")));
    EXPECT_TRUE(g.personal->picture()->pixmap().isNull()) << "a missing logo shows nothing";

    g.personal->siteEdit(2)->setText(QStringLiteral("Substation 3"));
    c.document.saved = true;
    g.personal->accept();
    EXPECT_FALSE(c.document.saved);
    EXPECT_EQ(c.language.settings.readSetting("OPERATOR", "LogoText", ""), "1");
    EXPECT_EQ(c.language.settings.readSetting("SITE", "site3", ""), "Substation 3");
    EXPECT_EQ(c.language.settings.readSetting("OPERATOR", "OP1", ""), "Ana Novak");
}

// Characters the language's code page lacks keep the dialog open with what was
// typed, and nothing reaches ZENTRO.INI (the comments dialog does the same).
TEST(PrintoutHeadingDialog, TextTheLanguageCannotStoreIsRefused)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    c.document.heading.footer[0] = "Footer one";
    const std::string site = c.language.settings.readSetting("SITE", "site2", "none");
    const std::string stored = c.language.settings.readSetting("OPERATOR", "FOOTER", "none");
    g.personal->fillFromHeading();
    const QString typed = QStringLiteral("Trafo T1 - HV winding čšž ČŠŽ");
    g.personal->footerEdit(0)->setText(typed);
    g.personal->siteEdit(1)->setText(QStringLiteral("Hall B"));
    c.document.saved = true;
    g.p.prompts.expectMessage(MbOK);
    g.personal->accept();
    ASSERT_EQ(g.p.prompts.messages.size(), 1u);
    EXPECT_EQ(g.p.prompts.messages[0], c.language.texts.text("CannotStore_60") + "\rU+010D U+010C");
    EXPECT_NE(g.personal->result(), QDialog::Accepted);
    EXPECT_EQ(g.personal->footerEdit(0)->text(), typed);
    EXPECT_EQ(c.language.settings.readSetting("OPERATOR", "FOOTER", "none"), stored);
    EXPECT_EQ(c.language.settings.readSetting("SITE", "site2", "none"), site);
    EXPECT_TRUE(c.document.saved);

    // Without them the heading is taken, in the code page's bytes.
    g.personal->footerEdit(0)->setText(QStringLiteral("HV winding šž ŠŽ"));
    g.personal->accept();
    EXPECT_EQ(g.personal->result(), QDialog::Accepted);
    EXPECT_EQ(c.language.settings.readSetting("OPERATOR", "FOOTER", ""), "HV winding \x9a\x9e \x8a\x8e");
}

TEST(PrintoutHeadingDialog, LoadsBmpJpegPngAndSvgLogosAndRefusesOtherFiles)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    QImage img(120, 60, QImage::Format_RGB32);
    img.fill(Qt::blue);
    g.p.dir.writeFile("logo.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"60\">"
                                  "<rect width=\"120\" height=\"60\" fill=\"blue\"/></svg>");
    for (const char* name : {"logo.bmp", "logo.jpg", "logo.png", "logo.svg"}) {
        if (!QByteArray(name).endsWith(".svg")) {
            ASSERT_TRUE(img.save(g.p.dir.file(name)));
        }
        c.document.heading.logo = g.p.dir.file(name).toStdString();
        c.document.heading.logoMode = 1;
        g.personal->fillFromHeading();
        EXPECT_FALSE(g.personal->picture()->pixmap().isNull()) << name;
    }
    g.p.dir.writeFile("notes.bmp", "this is not a picture");
    g.p.prompts.expectFile(g.p.dir.file("notes.bmp"));
    g.p.prompts.expectMessage(MbOK);
    QMetaObject::invokeMethod(g.personal.get(), [&] {
        for (QPushButton* b : g.personal->findChildren<QPushButton*>())
            if (b->text() == c.language.decode(c.language.texts.text("Load_11")))
                b->click();
    });
    EXPECT_EQ(g.p.prompts.fileRequests.back().pattern, QStringLiteral("*.BMP *.JPG *.JPEG *.PNG *.SVG"));
    EXPECT_FALSE(g.personal->picture()->pixmap().isNull()) << "the previous logo stays";
}

// A correction rule set the settings chose that is not installed here, and
// a setting refused, are told once per run in the status bar when the
// judging is first used: the history window opened a second time says
// nothing more.
TEST(MainWindow, JudgingProblemsAreToldOnceInTheStatusBar)
{
    Gui g;
    auto history = std::make_unique<HistoryWindow>(*g.p.ctx);
    g.history = history.get();
    g.create();
    Settings& settings = g.p.ctx->language.settings;
    settings.writeSetting("EVALUATION", "Correction_cable", "gone");
    settings.writeSetting("EVALUATION", "StepVoltageFall", "much");
    settings.writeSetting("HISTORY", "Database", g.p.dir.file("archive.sqlite").toStdString());
    g.form->action("&HistoryWindow_30")->trigger();
    const QString told = g.form->statusBar()->currentMessage();
    EXPECT_TRUE(told.contains(QStringLiteral("\"gone\" chosen for cable is not installed here"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("StepVoltageFall=much"))) << told.toStdString();
    history->hide();
    g.form->statusBar()->clearMessage();
    g.form->action("&HistoryWindow_30")->trigger();
    EXPECT_TRUE(g.form->statusBar()->currentMessage().isEmpty()) << "once per run";
    history->hide();
}

} // namespace
