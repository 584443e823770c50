// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The print preview: paging, zoom, margins, the page range and printing
// without a printer.
#include "test_compose_fixture.h"

#include "base/FileIO.h"

#include "report/ComposePreview.h"
#include "report/windows/MarginsDialog.h"
#include "report/windows/PageRangeDialog.h"
#include "report/windows/PrintPreview.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// A preview that remembers what it was asked to print instead of printing.
class RecordingPreview : public PrintPreview {
public:
    using PrintPreview::PrintPreview;
    void printRange(int from, int to) override { printed.emplace_back(from, to); }
    std::vector<std::pair<int, int>> printed;
};

// Runs `answer` on the modal dialog that the next call opens.
void onModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr) << "no dialog came up";
        answer(w);
    });
}

void typeInZoom(PrintPreview& preview, const QString& text)
{
    QComboBox* zoom = preview.zoomBox();
    zoom->setEditText(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(zoom->lineEdit(), &press);
}

struct PreviewSample : ReportSample {
    RecordingPreview preview{*p.ctx};
    PreviewSample()
    {
        preview.setProgress(&progress);
        preview.initPreview();
    }
    bool paging(const char* name) { return preview.button(name)->isEnabled(); }
};

TEST(Preview, PagingButtonsAndIndicator)
{
    PreviewSample s;
    s.addRows(1);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    ASSERT_EQ(s.preview.prn().pageCount(), 1);
    for (const char* b : {"IcoLeftK", "IcoLeft", "IcoRight", "IcoRightK"})
        EXPECT_FALSE(s.paging(b)) << b;
    const QString of = s.p.ctx->language.decode(s.p.ctx->language.texts.text("of_5"));
    EXPECT_EQ(s.preview.pageIndicator()->text(), QStringLiteral("1 ") + of + QStringLiteral(" 1"));

    s.addRows(150);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    const int count = s.preview.prn().pageCount();
    ASSERT_GE(count, 3);
    EXPECT_EQ(s.preview.currentPage(), 1);
    EXPECT_FALSE(s.paging("IcoLeftK"));
    EXPECT_FALSE(s.paging("IcoLeft"));
    EXPECT_TRUE(s.paging("IcoRight"));
    EXPECT_TRUE(s.paging("IcoRightK"));

    s.preview.button("IcoRight")->click();
    EXPECT_EQ(s.preview.currentPage(), 2);
    EXPECT_TRUE(s.paging("IcoLeft"));
    s.preview.button("IcoRightK")->click();
    EXPECT_EQ(s.preview.currentPage(), count);
    EXPECT_EQ(s.preview.pageIndicator()->text(), QStringLiteral("%1 %2 %1").arg(count).arg(of));
    EXPECT_FALSE(s.paging("IcoRight"));
    EXPECT_FALSE(s.paging("IcoRightK"));
    s.preview.showNextPage(); // past the end: nothing happens
    EXPECT_EQ(s.preview.currentPage(), count);
    s.preview.button("IcoLeft")->click();
    EXPECT_EQ(s.preview.currentPage(), count - 1);
    s.preview.button("IcoLeftK")->click();
    EXPECT_EQ(s.preview.currentPage(), 1);
    s.preview.showPreviousPage();
    EXPECT_EQ(s.preview.currentPage(), 1);

    // A page number typed into the box: its first number, kept within the
    // document; no number leaves the page as it is.
    auto typePage = [&](const QString& text) {
        s.preview.pageIndicator()->setText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(s.preview.pageIndicator(), &press);
    };
    typePage(QStringLiteral("3 %1 %2").arg(of).arg(count));
    EXPECT_EQ(s.preview.currentPage(), 3);
    EXPECT_TRUE(s.paging("IcoLeft"));
    typePage(QStringLiteral("next"));
    EXPECT_EQ(s.preview.pageIndicator()->text(), QStringLiteral("3 %1 %2").arg(of).arg(count));
    typePage(QStringLiteral("999999999999"));
    EXPECT_EQ(s.preview.currentPage(), count);

    // The heading or the comments changed while the preview is open: it
    // shows them at once, on the page it was showing; when closed, nothing
    // is composed.
    s.preview.show();
    s.preview.showPage(2);
    s.p.ctx->document.heading.site[0] = "Lakeside Plant";
    auto shows = [&](const char* text) {
        const auto texts = s.preview.prn().page(1).texts();
        return QStringList(texts.begin(), texts.end()).contains(QString::fromLatin1(text));
    };
    s.preview.refreshIfShown();
    EXPECT_EQ(s.preview.currentPage(), 2);
    EXPECT_TRUE(shows("Lakeside Plant"));
    s.preview.close();
    s.p.ctx->document.heading.site[0] = "Hillside Plant";
    s.preview.refreshIfShown();
    EXPECT_FALSE(shows("Hillside Plant"));

    // A new composition starts again at its first page.
    s.preview.showLastPage();
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    EXPECT_EQ(s.preview.currentPage(), 1);
}

TEST(Preview, ZoomStepsTypedValuesAndFits)
{
    PreviewSample s;
    s.addRows(3);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    PreviewPageView* view = s.preview.pageView();
    QComboBox* zoom = s.preview.zoomBox();
    ASSERT_EQ(zoom->count(), 14);
    EXPECT_EQ(zoom->currentText(), QStringLiteral("100%"));
    EXPECT_EQ(view->percent(), 100);
    EXPECT_EQ(zoom->itemText(ZoomWholePage), s.p.ctx->language.decode(s.p.ctx->language.texts.text("WholePage_12")));

    typeInZoom(s.preview, QStringLiteral("130"));
    EXPECT_EQ(view->fit(), PreviewPageView::Fit::Percent);
    EXPECT_EQ(view->percent(), 130);
    s.preview.button("IcoZoomIn")->click();
    EXPECT_EQ(view->percent(), 150);
    EXPECT_EQ(zoom->currentText(), QStringLiteral("150%"));

    typeInZoom(s.preview, QStringLiteral("130"));
    s.preview.button("IcoZoomOut")->click();
    EXPECT_EQ(view->percent(), 125);
    EXPECT_EQ(zoom->currentText(), QStringLiteral("125%"));

    // Not a number: ignored. Zero: no invisible page.
    typeInZoom(s.preview, QStringLiteral("abc"));
    EXPECT_EQ(view->percent(), 125);
    EXPECT_EQ(zoom->currentText(), QStringLiteral("125%"));
    typeInZoom(s.preview, QStringLiteral("0"));
    EXPECT_EQ(view->percent(), ZoomMin);

    // "Whole Page": the page fits the window; its value counts as 0, so zoom
    // in goes to the first step and zoom out has nowhere to go.
    s.preview.resize(900, 700);
    emit zoom->activated(ZoomWholePage);
    EXPECT_EQ(view->fit(), PreviewPageView::Fit::WholePage);
    const QRect page = view->pageRect();
    EXPECT_LE(page.height(), view->viewport()->height());
    EXPECT_LE(page.width(), view->viewport()->width());
    EXPECT_FALSE(s.paging("IcoZoomOut"));
    EXPECT_TRUE(s.paging("IcoZoomIn"));
    s.preview.button("IcoZoomIn")->click();
    EXPECT_EQ(view->fit(), PreviewPageView::Fit::Percent);
    EXPECT_EQ(view->percent(), 25);
    EXPECT_FALSE(s.paging("IcoZoomOut"));

    emit zoom->activated(ZoomPageWidth);
    EXPECT_NEAR(view->pageRect().width(), view->viewport()->width() - 32, 2);

    // 100 % is the paper's size on the screen.
    emit zoom->activated(3);
    EXPECT_NEAR(view->pageRect().width(),
                s.preview.prn().pagePixels().width() * double(view->logicalDpiX()) / s.preview.prn().printerDpiX(), 1);
    emit zoom->activated(11);
    EXPECT_FALSE(s.paging("IcoZoomIn"));
    EXPECT_TRUE(s.paging("IcoZoomOut"));
}

TEST(Preview, PageRangeOutsideTheDocumentIsRefusedAndTheDialogStays)
{
    PreviewSample s;
    s.addRows(150);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    const int count = s.preview.prn().pageCount();
    ASSERT_GE(count, 3);

    // Print with a range that is no pages of the document: a message that
    // says which pages there are, and the dialog waits for a correction.
    auto printWith = [&](const QString& from, const QString& to, bool refused) {
        bool stillOpen = false;
        const size_t messages = s.p.prompts.messages.size();
        if (refused)
            s.p.prompts.expectMessage(MbOK);
        onModal([&](QWidget* w) {
            auto* d = qobject_cast<PageRangeDialog*>(w);
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->fromPage()->text(), QStringLiteral("1"));
            EXPECT_EQ(d->toPage()->text(), QString::number(count));
            d->fromPage()->setText(from);
            d->toPage()->setText(to);
            d->printButton()->click();
            stillOpen = d->isVisible();
            if (stillOpen)
                d->reject();
        });
        s.preview.button("IcoPrint")->click();
        EXPECT_EQ(stillOpen, refused) << from.toStdString() << "-" << to.toStdString();
        ASSERT_EQ(s.p.prompts.messages.size(), messages + (refused ? 1 : 0));
        if (refused) {
            EXPECT_EQ(s.p.prompts.messages.back(),
                      s.p.ctx->language.texts.text("PageRangeInvalid_60") + " " + std::to_string(count) + ".");
        }
    };
    printWith(QStringLiteral("x"), QString::number(count), true);
    printWith(QStringLiteral("3"), QStringLiteral("2"), true);
    printWith(QStringLiteral("0"), QStringLiteral("2"), true);
    printWith(QStringLiteral("2"), QString::number(count + 1), true);
    EXPECT_TRUE(s.preview.printed.empty());
    printWith(QStringLiteral("2"), QStringLiteral("page 3"), false);
    ASSERT_EQ(s.preview.printed.size(), 1u);
    EXPECT_EQ(s.preview.printed[0], std::make_pair(2, 3));

    // Cancel prints nothing either.
    onModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    s.preview.printPages();
    EXPECT_EQ(s.preview.printed.size(), 1u);
}

TEST(Preview, MarginsWithCommaOrPointInEitherLocale)
{
    const QLocale previous;
    for (QLocale::Language language : {QLocale::English, QLocale::German}) {
        QLocale::setDefault(QLocale(language));
        for (const char* typedText : {"3,5", "3.5"}) {
            const QString typed = QString::fromLatin1(typedText);
            PreviewSample s;
            s.addRows(2);
            ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
            onModal([&](QWidget* w) {
                auto* d = qobject_cast<MarginsDialog*>(w);
                ASSERT_NE(d, nullptr);
                EXPECT_EQ(d->field(MarginTexts::Left)->text(), QStringLiteral("2.54")) << "what the settings say";
                d->field(MarginTexts::Left)->setText(typed);
                d->saveButton()->click();
            });
            s.preview.button("IcoMargins")->click();
            const std::string stored = s.p.ctx->language.settings.readSetting("MARGINS", "MarginLeft", "");
            EXPECT_EQ(stored, language == QLocale::German ? "3,5" : "3.5") << typed.toStdString();
            EXPECT_DOUBLE_EQ(s.preview.prn().margins().left, 35) << "recomposed with the new margin";
            EXPECT_EQ(s.preview.marginTexts().text[MarginTexts::Left], stored);
        }
    }
    QLocale::setDefault(previous);
}

TEST(Preview, MarginWithoutDigitsIsRefusedAndTheReportStays)
{
    PreviewSample s;
    s.addRows(60);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    const int pages = s.preview.prn().pageCount();

    s.p.prompts.expectMessage(MbOK);
    bool stillOpen = false;
    onModal([&](QWidget* w) {
        auto* d = qobject_cast<MarginsDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->field(MarginTexts::Bottom)->setText(QStringLiteral("cm"));
        d->saveButton()->click();
        stillOpen = d->isVisible();
        d->reject();
    });
    s.preview.editMargins();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(s.p.prompts.messages.size(), 1u);
    EXPECT_NE(s.p.prompts.messages[0].find(s.p.ctx->language.texts.text("Bottom_7")), std::string::npos);
    EXPECT_EQ(s.p.ctx->language.settings.readSetting("MARGINS", "MarginBottom", "unset"), "unset");
    EXPECT_EQ(s.preview.prn().pageCount(), pages);

    // A broken value in the settings file: the composition says so and the
    // previous pages stay on show.
    s.p.ctx->language.settings.writeSetting("MARGINS", "MarginTop", "wide");
    s.preview.loadMargins();
    s.p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(s.preview.recompose());
    EXPECT_EQ(s.preview.prn().pageCount(), pages);
    EXPECT_NE(s.p.prompts.messages.back().find("wide"), std::string::npos);
}

TEST(Preview, MarginThatDoesNotFitThePaperIsNamedAndNothingIsSaved)
{
    PreviewSample s;
    s.addRows(60);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    s.p.prompts.expectMessage(MbOK);
    bool stillOpen = false;
    QWidget* focused = nullptr;
    onModal([&](QWidget* w) {
        auto* d = qobject_cast<MarginsDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->field(MarginTexts::Top)->setText(QStringLiteral("99"));
        d->field(MarginTexts::Left)->setText(QStringLiteral("3"));
        d->saveButton()->click();
        stillOpen = d->isVisible();
        focused = d->focusWidget();
        d->reject();
    });
    s.preview.editMargins();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(focused, s.preview.marginsDialog()->field(MarginTexts::Top)) << "ready for the correction";
    ASSERT_EQ(s.p.prompts.messages.size(), 1u);
    EXPECT_NE(s.p.prompts.messages[0].find(s.p.ctx->language.texts.text("Top_7") + ": 99 cm"), std::string::npos);
    for (const char* key : {"MarginTop", "MarginLeft"})
        EXPECT_EQ(s.p.ctx->language.settings.readSetting("MARGINS", key, "unset"), "unset") << key;
    EXPECT_EQ(s.preview.marginTexts().text[MarginTexts::Top], "2.54");
}

TEST(Preview, SavesThePagesAsPdfAndPrintsToAFileWithoutAPrinter)
{
    PreviewSample s;
    s.addRows(100);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    const int count = s.preview.prn().pageCount();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results"));
    s.p.prompts.expectFile(path);
    s.preview.button("IcoPdf")->click();
    QFile pdf(path + QStringLiteral(".pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << "the extension is added";
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_EQ(bytes.count("/Type /Page\n"), count);

    // Cancelled: nothing written, nothing asked.
    s.p.prompts.expectFile(std::nullopt);
    s.preview.saveAsPdf();

    PrintPreview plain(*s.p.ctx);
    plain.initPreview();
    if (plain.printerAvailable())
        GTEST_SKIP() << "this machine has a printer: printing to a file is not offered";
    ASSERT_TRUE(plain.compose(PrintResults, s.grid));
    EXPECT_EQ(plain.currentSetup().dpiX, 300);
    const QString printed = dir.filePath(QStringLiteral("printed"));
    s.p.prompts.expectFile(printed);
    plain.printRange(2, 3);
    // The file dialog says what it is for.
    EXPECT_EQ(s.p.prompts.fileRequests.back().title, s.p.ctx->language.texts.text("PrintToFile_40"));
    QFile out(printed + QStringLiteral(".pdf"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll().count("/Type /Page\n"), 2);
}

// A PDF file that is there is replaced only when the user says so, with the
// program's own question: No opens the dialog again, Cancel gives up.
TEST(Preview, AsksBeforeReplacingAPdfFile)
{
    PreviewSample s;
    s.addRows(10);
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recv.pdf"));
    ASSERT_TRUE(writeFileSafely(path, "earlier"));
    const AppContext& ctx = *s.p.ctx;
    const std::string question = ctx.language.encode(path) + "\r" + ctx.language.texts.text("AlreadyExists_40") + "\r" +
                                 ctx.language.texts.text("ReplaceIt_40");

    s.p.prompts.expectFile(path);
    s.p.prompts.expectMessage(MbNo);
    s.p.prompts.expectFile(dir.filePath(QStringLiteral("recv")));
    s.p.prompts.expectMessage(MbCancel);
    s.preview.saveAsPdf();
    ASSERT_EQ(s.p.prompts.messages.size(), 2u);
    EXPECT_EQ(s.p.prompts.messages[0], question);
    EXPECT_EQ(s.p.prompts.messages[1], question) << "the extension is added before asking";
    EXPECT_EQ(s.p.prompts.fileRequests.at(1).proposedName, path);
    EXPECT_EQ(QFile(path).size(), 7) << "not replaced";

    s.p.prompts.expectFile(path);
    s.p.prompts.expectMessage(MbYes);
    s.preview.saveAsPdf();
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));
}

TEST(Preview, NoSecondCompositionWhileOneRuns)
{
    // A second Print Preview or a margins click arriving while the pages
    // are being recorded (here: as the gauge moves) must not interleave with
    // them.
    struct Meddling : RecordingProgress {
        std::function<void()> during;
        void setPosition(int percent) override
        {
            RecordingProgress::setPosition(percent);
            if (during) {
                auto once = std::move(during);
                during = nullptr;
                once();
            }
        }
    };
    PreviewSample s;
    s.addRows(120);
    Meddling meddling;
    s.preview.setProgress(&meddling);
    bool nested = true;
    meddling.during = [&] {
        nested = s.preview.compose(PrintResults, s.grid);
        s.preview.editMargins(); // would open a modal dialog if it ran
    };
    ASSERT_TRUE(s.preview.compose(PrintResults, s.grid));
    EXPECT_FALSE(nested);
    EXPECT_TRUE(s.preview.button("IcoPrint")->isEnabled()) << "the tool bar is back when composing ends";
    int rows = 0;
    for (int n = 1; n <= s.preview.prn().pageCount(); ++n)
        for (const QString& t : s.preview.prn().page(n).texts())
            rows += t.startsWith(QStringLiteral("Point "));
    EXPECT_EQ(rows, 120);
}

TEST(PreviewRules, ZoomStepsAndPageRange)
{
    EXPECT_EQ(zoomInIndex(100), 4) << "a step already shown is passed";
    EXPECT_EQ(zoomOutIndex(100), 2);
    EXPECT_EQ(zoomInIndex(5000), 11);
    EXPECT_EQ(zoomOutIndex(10), 0);
    EXPECT_EQ(typedZoom(QStringLiteral("99999999999")), ZoomMax);

    EXPECT_EQ(pagesToPrint("", "2", 5), std::nullopt);
    EXPECT_EQ(pagesToPrint("1", "1", 0), std::nullopt);
    EXPECT_EQ(pagesToPrint("p1", "5.", 5), std::make_optional(std::make_pair(1, 5)));
}

} // namespace
