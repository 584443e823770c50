// The main window after its first activation, the language dialog and the
// heading dialogs, driven offscreen with scripted answers.
#include "app/windows/AboutBox.h"
#include "app/windows/MainWindow.h"
#include "language/windows/LanguageDialog.h"
#include "report/windows/CommentsDialog.h"
#include "report/windows/PrintoutHeadingDialog.h"
#include "structure/windows/ElementTreeView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include "report/windows/AnnotatedGrid.h"
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
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

    void create()
    {
        form = std::make_unique<MainWindow>(*p.ctx);
        personal = std::make_unique<PrintoutHeadingDialog>(*p.ctx, form.get());
        about = std::make_unique<AboutBox>(*p.ctx, form.get());
        language = std::make_unique<LanguageDialog>(*p.ctx, form.get());
        comments = std::make_unique<CommentsDialog>(*p.ctx, form.get());
        MainWindow::Windows w;
        w.personal = personal.get();
        w.about = about.get();
        w.language = language.get();
        w.comments = comments.get();
        form->setWindows(w, nullptr);
        form->activated();
    }
    QString menuTitle(int i) const { return form->menuBar()->actions().at(i)->text(); }
};

TEST(MainWindow, FirstActivationShowsEnglishMenusAndFourToolButtons)
{
    Gui g;
    g.create();
    EXPECT_FALSE(g.p.ctx->quitRequested);
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
    EXPECT_EQ(g.form->action("&Contents_30")->shortcut(), QKeySequence(Qt::Key_F1));

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

    EXPECT_EQ(g.form->windowTitle(),
              g.p.ctx->decode(g.p.ctx->texts.text("MainCaptionTive5kV_20")) + QStringLiteral(": "));
    EXPECT_EQ(g.form->resultsGrid()->data().colCount(), 6);
    EXPECT_EQ(g.form->resultsGrid()->data().cell(5, 0), headingText(g.p.ctx->texts.text("VGlava6_0")));
    EXPECT_TRUE(g.about->version()->text().endsWith(u"4.02"));
}

TEST(MainWindow, MissingKeyEndsTheProgramNamingTheKey)
{
    Gui g;
    g.p.dir.editLine("english.lng", "&Comments_30=", "");
    g.p.prompts.expectMessage(MbOK);
    g.create();
    EXPECT_TRUE(g.p.ctx->quitRequested);
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
    c.document.fileName = c.decode(c.texts.defaultFileName);

    // Pick the second language in the dialog and press OK.
    QTimer::singleShot(0, [&] {
        g.language->buttons()->button(1)->setChecked(true);
        g.language->okButton()->click();
    });
    ASSERT_TRUE(g.language->execute());
    g.form->applyInterfaceTexts();
    g.form->applyFamilyProfile();

    EXPECT_NE(g.menuTitle(0), englishFile);
    EXPECT_EQ(g.menuTitle(0), c.decode(c.texts.text("&File_30")));
    EXPECT_EQ(c.settings.readSetting("SETUP", "LANGUAGE", ""), "2");
    EXPECT_EQ(c.document.fileName, c.decode(c.texts.text("Noname_8")) + QStringLiteral(".ZIT"));
    EXPECT_NE(c.texts.text("Noname_8"), "Noname");
    EXPECT_EQ(c.structureFileMask, "*.ZIT");
    EXPECT_TRUE(g.form->windowTitle().endsWith(c.document.fileName));
    EXPECT_EQ(g.language->windowTitle(), c.decode(c.texts.text("SelectLanguage_25")));

    // Cancel keeps the language.
    QTimer::singleShot(0, [&] {
        g.language->buttons()->button(0)->setChecked(true);
        g.language->reject();
    });
    EXPECT_FALSE(g.language->execute());
    EXPECT_EQ(c.language.selectedIndex(), 1);
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
        ElementNode* block = addElementNode(c, nullptr);
        block->name = "001";
        block->info.kind = KindObject;
        block->info.number = 1;
        point = addElementNode(c, block);
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
    QString gridName() const { return p.ctx->decode(form->resultsGrid()->data().cell(1, 1)); }
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
    EXPECT_EQ(g.p.prompts.messages[0], c.texts.text("CannotStore_60") + "\rU+010D U+010C");
    EXPECT_EQ(g.point->name, "Point 1");
    EXPECT_EQ(g.item()->text(0), QStringLiteral("Point 1"));
    EXPECT_EQ(g.gridName(), QStringLiteral("Point 1"));
    EXPECT_TRUE(c.document.saved);

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
    ASSERT_EQ(c.language.codec().codePage(), 1250);
    g.item()->setText(0, QStringLiteral("Kabel čšž ČŠŽ"));
    ASSERT_EQ(g.point->name, "Kabel \xe8\x9a\x9e \xc8\x8a\x8e");

    g.chooseLanguage(0);
    ASSERT_EQ(c.language.codec().codePage(), 1252);
    EXPECT_EQ(g.item()->text(0), QStringLiteral("Kabel èšž ÈŠŽ"));
    EXPECT_EQ(g.gridName(), g.item()->text(0));
    EXPECT_EQ(g.point->name, "Kabel \xe8\x9a\x9e \xc8\x8a\x8e") << "a language change leaves the bytes alone";
    EXPECT_TRUE(g.p.prompts.messages.empty());
}

TEST(CommentsDialog, KeepsTwoHundredLinesAndWritesChecks)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    c.comments.lines[0] = "Insulation of the main feeder checked";
    c.comments.checks = "1";
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
    EXPECT_EQ(c.settings.readSetting("COMMENTS", "checks", ""), "101");
    EXPECT_EQ(c.settings.readSetting("COMMENTS", "comm200", ""), "line 200");
    EXPECT_EQ(c.settings.readSetting("COMMENTS", "comm1", ""), "line 1");
}

TEST(PrintoutHeadingDialog, TogglesModeAndWritesTheHeading)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    c.heading.op[0] = "Ana Novak";
    c.heading.logoMode = 0;
    c.heading.logo = "/nonexistent/logo.bmp";
    g.personal->fillFromHeading();
    EXPECT_EQ(g.personal->operatorEdit(0)->text(), QStringLiteral("Ana Novak"));
    EXPECT_EQ(g.personal->toggleButton()->text(), c.decode(c.texts.text("Picture_11")));
    g.personal->toggleMode();
    EXPECT_EQ(g.personal->mode(), 1);
    EXPECT_EQ(g.personal->toggleButton()->text(), c.decode(c.texts.text("Text_11")));
    EXPECT_TRUE(g.personal->picture()->pixmap().isNull()) << "a missing logo shows nothing";

    g.personal->siteEdit(2)->setText(QStringLiteral("Substation 3"));
    c.document.saved = true;
    g.personal->accept();
    EXPECT_FALSE(c.document.saved);
    EXPECT_EQ(c.settings.readSetting("OPERATOR", "LogoText", ""), "1");
    EXPECT_EQ(c.settings.readSetting("SITE", "site3", ""), "Substation 3");
    EXPECT_EQ(c.settings.readSetting("OPERATOR", "OP1", ""), "Ana Novak");
}

// Characters the language's code page lacks keep the dialog open with what was
// typed, and nothing reaches ZENTRO.INI (the comments dialog does the same).
TEST(PrintoutHeadingDialog, TextTheLanguageCannotStoreIsRefused)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    c.heading.footer[0] = "Footer one";
    const std::string site = c.settings.readSetting("SITE", "site2", "none");
    const std::string stored = c.settings.readSetting("OPERATOR", "FOOTER", "none");
    g.personal->fillFromHeading();
    const QString typed = QStringLiteral("Trafo T1 - HV winding čšž ČŠŽ");
    g.personal->footerEdit(0)->setText(typed);
    g.personal->siteEdit(1)->setText(QStringLiteral("Hall B"));
    c.document.saved = true;
    g.p.prompts.expectMessage(MbOK);
    g.personal->accept();
    ASSERT_EQ(g.p.prompts.messages.size(), 1u);
    EXPECT_EQ(g.p.prompts.messages[0], c.texts.text("CannotStore_60") + "\rU+010D U+010C");
    EXPECT_NE(g.personal->result(), QDialog::Accepted);
    EXPECT_EQ(g.personal->footerEdit(0)->text(), typed);
    EXPECT_EQ(c.settings.readSetting("OPERATOR", "FOOTER", "none"), stored);
    EXPECT_EQ(c.settings.readSetting("SITE", "site2", "none"), site);
    EXPECT_TRUE(c.document.saved);

    // Without them the heading is taken, in the code page's bytes.
    g.personal->footerEdit(0)->setText(QStringLiteral("HV winding šž ŠŽ"));
    g.personal->accept();
    EXPECT_EQ(g.personal->result(), QDialog::Accepted);
    EXPECT_EQ(c.settings.readSetting("OPERATOR", "FOOTER", ""), "HV winding \x9a\x9e \x8a\x8e");
}

TEST(PrintoutHeadingDialog, LoadsBmpAndJpegLogosAndRefusesOtherFiles)
{
    Gui g;
    g.create();
    AppContext& c = *g.p.ctx;
    QImage img(120, 60, QImage::Format_RGB32);
    img.fill(Qt::blue);
    for (const char* name : {"logo.bmp", "logo.jpg"}) {
        ASSERT_TRUE(img.save(g.p.dir.file(name)));
        c.heading.logo = g.p.dir.file(name).toStdString();
        c.heading.logoMode = 1;
        g.personal->fillFromHeading();
        EXPECT_FALSE(g.personal->picture()->pixmap().isNull()) << name;
    }
    g.p.dir.writeFile("notes.bmp", "this is not a picture");
    g.p.prompts.expectFile(g.p.dir.file("notes.bmp"));
    g.p.prompts.expectMessage(MbOK);
    QMetaObject::invokeMethod(g.personal.get(), [&] {
        for (QPushButton* b : g.personal->findChildren<QPushButton*>())
            if (b->text() == c.decode(c.texts.text("Load_11")))
                b->click();
    });
    EXPECT_EQ(g.p.prompts.fileRequests.back().pattern, QStringLiteral("*.BMP *.JPG *.JPEG"));
    EXPECT_FALSE(g.personal->picture()->pixmap().isNull()) << "the previous logo stays";
}

} // namespace
