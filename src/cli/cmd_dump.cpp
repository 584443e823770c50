// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// dump FILE: the whole content of a structure file as JSON on stdout.
#include "cli/Cli.h"

#include "report/ReportPages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace zentrova::cli {

namespace {

class Json {
public:
    explicit Json(const AppContext& ctx) : ctx_(ctx) {}

    QJsonValue text(const std::string& bytes) const { return ctx_.language.decode(bytes); }

    QJsonArray node(const ElementNode& n) const;
    QJsonObject table(const ReportTable* t) const;
    QJsonObject page(const ReportPages& pages, int i) const;
    QJsonObject document(const ReportPages& pages, bool complete) const;

private:
    const AppContext& ctx_;
};

QJsonObject Json::table(const ReportTable* t) const
{
    QJsonObject o;
    if (!t)
        return o;
    o[QStringLiteral("object")] = text(t->objectName);
    o[QStringLiteral("block")] = text(t->blockName);
    const ReportTableTexts* sub = subDataOf(*t);
    o[QStringLiteral("sub1")] = text(sub ? sub->text1 : std::string());
    o[QStringLiteral("sub2")] = text(sub ? sub->text2 : std::string());
    QJsonArray rows;
    for (int r = 0; r < t->rowCount(); ++r) {
        QJsonArray row;
        for (int c = 0; c < t->colCount(); ++c)
            row.append(text(t->cell(c, r)));
        rows.append(row);
    }
    o[QStringLiteral("cells")] = rows;
    return o;
}

QJsonObject Json::page(const ReportPages& pages, int i) const
{
    const ReportPageEntry& e = pages.entry(i);
    QJsonObject o;
    o[QStringLiteral("kind")] = int(e.kind);
    o[QStringLiteral("index")] = int(e.index);
    if (const ReportTables* t = pages.tablesOfEntry(i)) {
        o[QStringLiteral("tables")] = QJsonArray{table(t->a.get()), table(t->b.get())};
        return o;
    }
    const ReportPage* p = pages.pageOfEntry(i);
    if (!p)
        return o;
    o[QStringLiteral("object")] = text(p->objectName);
    if (e.kind != ReportObject)
        o[QStringLiteral("block")] = text(p->blockName);
    QJsonArray edits;
    for (int n = 1; n <= p->editCount(); ++n)
        edits.append(text(p->edit(n)));
    o[QStringLiteral("edits")] = edits;
    if (p->checkCount() > 0)
        o[QStringLiteral("checks")] = QString::fromStdString(p->checkString());
    if (e.kind == ReportFloorPlan) {
        const auto* plan = static_cast<const FloorPlanPage*>(p);
        o[QStringLiteral("image")] = text(plan->imagePath());
        o[QStringLiteral("image_loaded")] = !plan->picture().isNull();
    }
    return o;
}

QJsonArray Json::node(const ElementNode& n) const
{
    QJsonArray children;
    for (const auto& child : n.children()) {
        QJsonObject c;
        c[QStringLiteral("name")] = text(child->name);
        c[QStringLiteral("kind")] = int(child->info.kind);
        c[QStringLiteral("number")] = int(child->info.number);
        c[QStringLiteral("selection")] = text(child->info.selection);
        c[QStringLiteral("children")] = node(*child);
        children.append(c);
    }
    return children;
}

QJsonObject Json::document(const ReportPages& pages, bool complete) const
{
    QJsonObject doc;
    doc[QStringLiteral("family")] = int(ctx_.document.familyCode);

    const PrintoutHeading& h = ctx_.document.heading;
    QJsonObject heading;
    heading[QStringLiteral("OP1")] = text(h.op[0]);
    heading[QStringLiteral("OP2")] = text(h.op[1]);
    heading[QStringLiteral("OP3")] = text(h.op[2]);
    heading[QStringLiteral("FOOTER")] = text(h.footer[0]);
    heading[QStringLiteral("FOOTER2")] = text(h.footer[1]);
    heading[QStringLiteral("FOOTER3")] = text(h.footer[2]);
    heading[QStringLiteral("site1")] = text(h.site[0]);
    heading[QStringLiteral("site2")] = text(h.site[1]);
    heading[QStringLiteral("site3")] = text(h.site[2]);
    heading[QStringLiteral("Logo")] = text(h.logo);
    heading[QStringLiteral("LogoText")] = h.logoMode;
    doc[QStringLiteral("heading")] = heading;

    QJsonArray comments, autotest;
    for (const auto& s : ctx_.document.comments.lines)
        comments.append(text(s));
    for (const auto& s : ctx_.document.comments.autotest)
        autotest.append(text(s));
    doc[QStringLiteral("comments")] = comments;
    doc[QStringLiteral("autotest")] = autotest;
    doc[QStringLiteral("checks")] = text(ctx_.document.comments.checks);
    doc[QStringLiteral("results_discarded")] = ctx_.document.resultsDiscarded;
    // Only a file cut short says so: a whole file dumps as it always did.
    if (!complete)
        doc[QStringLiteral("complete")] = false;

    // The top level is a list like every node's children.
    QJsonArray tree;
    for (const auto& root : ctx_.document.structure.tree.roots()) {
        QJsonObject c;
        c[QStringLiteral("name")] = text(root->name);
        c[QStringLiteral("kind")] = int(root->info.kind);
        c[QStringLiteral("number")] = int(root->info.number);
        c[QStringLiteral("selection")] = text(root->info.selection);
        c[QStringLiteral("children")] = node(*root);
        tree.append(c);
    }
    doc[QStringLiteral("tree")] = tree;

    QJsonArray table;
    const ResultTable& t = ctx_.document.structure.table;
    for (int r = 0; r < t.rowCount(); ++r) {
        QJsonArray row;
        for (const auto& cell : t.row(r))
            row.append(text(cell));
        table.append(row);
    }
    doc[QStringLiteral("table")] = table;

    QJsonArray list;
    for (int i = 1; i <= pages.count(); ++i)
        list.append(page(pages, i));
    doc[QStringLiteral("pages")] = list;
    return doc;
}

} // namespace

void dumpHelp()
{
    std::printf("Usage: zentrova-cli dump FILE\n\n"
                "Reads the structure file FILE and prints its content as one JSON object:\n"
                "family, heading (OP1..OP3, FOOTER..FOOTER3, site1..site3, Logo, LogoText),\n"
                "comments (200), autotest (5), checks, results_discarded, complete (only\n"
                "when the file ends before its end marker: false), tree (name, kind,\n"
                "number, selection, children), table (rows of cells) and pages (kind, index\n"
                "and the page's fields). Texts are decoded from the active language's code\n"
                "page; a line break inside a text is \"\\r\". Nothing is asked or written.\n"
                "A file that ends before its end marker is dumped as far as it goes, with a\n"
                "warning on stderr.\n");
}

int dumpCommand(const QStringList& args)
{
    if (args.size() != 1 || args.front().startsWith(u'-')) {
        fail(QStringLiteral("dump takes exactly one FILE (see zentrova-cli dump --help)"));
        return ExitUsage;
    }
    int rc = ExitOk;
    auto program = loadProgramWithInput(args.front(), rc);
    if (!program)
        return rc;
    const ReportPages& pages = program->ctx->document.reportPages;
    const QByteArray json =
        QJsonDocument(Json(*program->ctx).document(pages, program->lastRead.complete)).toJson(QJsonDocument::Indented);
    return writeStandardOutput(std::string_view(json.constData(), size_t(json.size())));
}

} // namespace zentrova::cli
