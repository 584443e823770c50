// The main window after its first activation, the language dialog and the
// heading dialogs, driven offscreen with scripted answers.
#include "app/windows/AboutBox.h"
#include "app/windows/MainWindow.h"
#include "language/windows/LanguageDialog.h"
#include "report/windows/CommentsDialog.h"
#include "report/windows/PrintoutHeadingDialog.h"
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
