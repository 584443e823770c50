// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Text export: byte-exact files, file naming and the replace question.
#include "base/Progress.h"
#include "report/ReportPages.h"
#include "structure/Export.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace zentrova;
using namespace zentrova::test;

namespace {

std::string expected(const char* name)
{
    QFile f(QStringLiteral(ZENTROVA_TEST_DATA_DIR "/export/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll().toStdString();
}

// Two blocks with measuring points, results with multi-line cells and a row
// that carries no result.
struct ExportSample {
    LoadedProgram p;
    ExportSample()
    {
        AppContext& c = *p.ctx;
        c.document.heading.op = {"Ana Novak", "Elektro d.o.o.", ""};
        c.document.heading.site = {"Substation 3", "Hall B", ""};
        c.document.heading.footer = {"Footer one", "", ""};
        ElementNode* b1 = node(nullptr, "001", 1);
        node(b1, "001", 1);
        node(b1, "Motor M2", 2);
        ElementNode* b2 = node(nullptr, "002", 2);
        node(b2, "001", 1);
        row("1\r1\r1", "\r001\r001\r13,0", "500", "501508<12.5", "5095025.0", "07.12.2026", "10:15");
        row("1\r1\r2", "\r001\r002\r13,0", "501", "5015084.21\r5060001.62\r5070002.35!", "5095022.5", "07.12.2026",
            "10:21");
        row("1\r1\r2", "\r001\r002\r13,0", "0", "5015081", "", "", "");
        row("1\r2\r1", "\r002\r001\r13,0", "500", "5015071250", "509501500", "08.12.2026", "09:02");
    }
    ElementNode* node(ElementNode* parent, const char* name, int number)
    {
        ElementNode* n = p.ctx->document.structure.tree.add(parent);
        n->name = name;
        n->info.kind = parent ? KindMeasuringPoint : KindObject;
        n->info.number = number;
        return n;
    }
    void row(const char* pos, const char* names, const char* code, const char* results, const char* params,
             const char* date, const char* time)
    {
        ResultTable& t = p.ctx->document.structure.table;
        const int r = t.appendRow();
        t.setCell(1, r, pos);
        t.setCell(2, r, names);
        t.setCell(3, r, code);
        t.setCell(4, r, results);
        t.setCell(5, r, "5060009.9");
        t.setCell(6, r, params);
        t.setCell(7, r, date);
        t.setCell(8, r, time);
    }
    // A block's tables with one filled row in table A; a second pair left empty.
    void addTables()
    {
        AppContext& c = *p.ctx;
        ReportTables* t =
            c.document.reportPages.createTables(ReportBlockTables, 1, c.language.texts, reportTableFont());
        ASSERT_NE(t, nullptr);
        t->a->objectName = "Plant";
        t->a->blockName = "Board 1";
        t->b->objectName = "Plant";
        t->b->blockName = "Board 1";
        setTableCell(*t->a, 0, 2, "F1 Lighting");
        setTableCell(*t->a, 1, 2, "16");
        setTableCell(*t->a, 2, 2, "1\r5");
        setTableCell(*t->a, 3, 2, "250\r>999");
        setTableCell(*t->a, 0, 3, "F2");
        ASSERT_NE(c.document.reportPages.createTables(ReportBlockTables, 2, c.language.texts, reportTableFont()),
                  nullptr);
    }
};

TEST(Export, TabCrLfWithReportTables)
{
    ExportSample s;
    s.addTables();
    NullProgress progress;
    ExportFormat f;
    f.column = ExportFormat::Tab;
    f.row = ExportFormat::CrLf;
    const std::string out = exportText(s.p.ctx->language, s.p.ctx->document, f, progress);
    EXPECT_EQ(out, expected("tab_crlf_pages.txt"));
}

TEST(Export, SemicolonLfWithoutPages)
{
    ExportSample s;
    NullProgress progress;
    ExportFormat f;
    f.column = ExportFormat::Semicolon;
    f.row = ExportFormat::Lf;
    EXPECT_EQ(exportText(s.p.ctx->language, s.p.ctx->document, f, progress), expected("semicolon_lf.txt"));
}

TEST(Export, RowDelimitersAndSemicolonsInTexts)
{
    ExportSample s;
    s.p.ctx->document.structure.table.setCell(7, 1, "a;b");
    NullProgress progress;
    ExportFormat f;
    f.column = ExportFormat::Semicolon;
    f.row = ExportFormat::Cr;
    const std::string out = exportText(s.p.ctx->language, s.p.ctx->document, f, progress);
    EXPECT_EQ(out.find('\n'), std::string::npos);
    EXPECT_NE(out.find(";a;b, 10:15\r"), std::string::npos) << "written unquoted";
}

// Several measurements in one row give several dates and times; a name may
// hold a line break. Within a cell they are joined by a space, so every row
// delimiter still ends a row.
TEST(Export, LineBreaksInsideACellBecomeSpaces)
{
    ExportSample s;
    AppContext& c = *s.p.ctx;
    c.document.structure.table.setCell(7, 1, "07.12.2026\r08.12.2026");
    c.document.structure.table.setCell(8, 1, "10:15\r10:20\n");
    c.document.structure.tree.roots()[0]->children()[1]->name = "Motor\rM2";
    c.document.heading.footer[0] = "Footer\rone";
    NullProgress progress;
    for (int row : {ExportFormat::CrLf, ExportFormat::Cr, ExportFormat::Lf}) {
        SCOPED_TRACE(row);
        ExportFormat f;
        f.row = row;
        const std::string out = exportText(c.language, c.document, f, progress);
        const std::string rd = f.rowDelimiter();
        EXPECT_NE(out.find(rd + "1\t001\t"), std::string::npos);
        EXPECT_NE(out.find("\t07.12.2026 08.12.2026, 10:15 10:20 " + rd), std::string::npos);
        EXPECT_NE(out.find(rd + "\tMotor M2" + rd), std::string::npos);
        EXPECT_NE(out.find(rd + "Footer one" + rd), std::string::npos);
        // No line break but the row delimiters.
        std::string rest = out;
        for (size_t at; (at = rest.find(rd)) != std::string::npos;)
            rest.erase(at, rd.size());
        EXPECT_EQ(rest.find_first_of("\r\n"), std::string::npos);
    }
}

TEST(ExportNames, DotInTheFileNamePartOnly)
{
    const std::pair<const char*, const char*> chosen[] = {
        {"/home/ana/report", "/home/ana/report.TXT"},
        {"/home/ana/site.v2/report", "/home/ana/site.v2/report.TXT"},
        {"/home/ana/report.csv", "/home/ana/report.csv"},
    };
    for (auto [in, out] : chosen)
        EXPECT_EQ(exportFileName(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
    EXPECT_EQ(proposedExportName(QStringLiteral("/a.b/plant.ZIT")), QStringLiteral("/a.b/plant.TXT"));
    EXPECT_EQ(proposedExportName(QString()), QString());
}

TEST(ExportCommand, ReplaceQuestionNoAsksAgainYesWrites)
{
    ExportSample s;
    AppContext& c = *s.p.ctx;
    const QString target = s.p.dir.file("out.TXT");
    s.p.dir.writeFile("out.TXT", "old");
    NullProgress progress;

    s.p.prompts.expectFile(s.p.dir.file("out")); // ".TXT" is appended
    s.p.prompts.expectMessage(MbNo);
    s.p.prompts.expectFile(target);
    s.p.prompts.expectMessage(MbYes);
    EXPECT_TRUE(runExport(c.language, c.document, c.exportFormat, progress));
    EXPECT_NE(s.p.dir.readFile("out.TXT"), "old");
    EXPECT_EQ(s.p.prompts.fileRequests[0].title, c.language.texts.text("ExportTo_40"));
    ASSERT_GE(s.p.prompts.messages.size(), 1u);
    EXPECT_EQ(s.p.prompts.messages[0], c.language.encode(target) + "\r" + c.language.texts.text("AlreadyExists_40") +
                                           "\r" + c.language.texts.text("ReplaceIt_40"));

    // Cancel on the question writes nothing.
    s.p.dir.writeFile("out.TXT", "keep");
    s.p.prompts.expectFile(target);
    s.p.prompts.expectMessage(MbCancel);
    EXPECT_FALSE(runExport(c.language, c.document, c.exportFormat, progress));
    EXPECT_EQ(s.p.dir.readFile("out.TXT"), "keep");
}

TEST(ExportCommand, UnwritableTargetReportsAndKeepsNothingHalfWritten)
{
    ExportSample s;
    AppContext& c = *s.p.ctx;
    NullProgress progress;
    s.p.prompts.expectFile(QStringLiteral("/nonexistent-folder/out.TXT"));
    s.p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(runExport(c.language, c.document, c.exportFormat, progress));
    EXPECT_NE(s.p.prompts.messages.back().find("/nonexistent-folder/out.TXT"), std::string::npos);
}

} // namespace
