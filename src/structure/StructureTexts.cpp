// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/StructureTexts.h"

#include "base/TextCodec.h"
#include "structure/StructureContext.h"

#include <QSet>

namespace zentrova {

namespace {

// The heading's lines and the comments. The logo's path is the system's
// bytes, as every file name, and is left as it is.
template <typename Visit>
void forEachHeadingText(PrintoutHeading& heading, Comments& comments, Visit&& visit)
{
    for (auto* lines : {&heading.op, &heading.footer, &heading.site})
        for (std::string& line : *lines)
            visit(line);
    for (std::string& line : comments.lines)
        visit(line);
    for (std::string& line : comments.autotest)
        visit(line);
}

// Every text of the open structure, in a fixed order: tree, result table,
// report pages and tables, heading, comments. `visit` may change the text.
template <typename Visit>
void forEachStructureText(StructureContext& ctx, Visit&& visit)
{
    Structure& s = ctx.document.structure;
    s.tree.forEach([&](ElementNode& node) { visit(node.name); });
    for (int r = 0; r < s.table.rowCount(); ++r)
        for (std::string& cell : s.table.row(r))
            visit(cell);

    ReportPages& pages = ctx.document.reportPages;
    for (int i = 1; i <= pages.count(); ++i) {
        if (ReportPage* page = pages.pageOfEntry(i)) {
            visit(page->objectName);
            visit(page->blockName);
            for (int n = 1; n <= page->editCount(); ++n) {
                std::string edit = page->edit(n);
                visit(edit);
                page->setEdit(n, std::move(edit));
            }
            if (auto* plan = dynamic_cast<FloorPlanPage*>(page)) {
                std::string path = plan->imagePath();
                visit(path);
                if (path != plan->imagePath())
                    plan->setImagePath(path, ctx.language.decode(path));
            }
        }
        if (ReportTables* pair = pages.tablesOfEntry(i)) {
            for (int which = 0; which < 2; ++which) {
                ReportTable& t = *pair->table(which);
                visit(t.objectName);
                visit(t.blockName);
                if (ReportTableTexts* sub = subDataOf(t)) {
                    visit(sub->text1);
                    visit(sub->text2);
                }
                for (int r = 0; r < t.rowCount(); ++r)
                    for (int c = 0; c < t.colCount(); ++c) {
                        std::string cell = t.cell(c, r);
                        visit(cell);
                        t.setCell(c, r, std::move(cell));
                    }
            }
        }
    }

    forEachHeadingText(ctx.document.heading, ctx.document.comments, visit);
}

// The heading and comments the settings file keeps for new structures.
struct KeptTexts {
    PrintoutHeading heading;
    Comments comments;
    explicit KeptTexts(const Settings& settings)
    {
        heading.load(settings);
        comments.load(settings);
    }
};

bool isAscii(const std::string& bytes)
{
    for (char c : bytes)
        if ((unsigned char)c >= 0x80)
            return false;
    return true;
}

} // namespace

QStringList structureLinesNotHeldBy(StructureContext& ctx, const TextCodec& from, const TextCodec& to)
{
    QStringList lines;
    QSet<QString> seen;
    const auto check = [&](std::string& bytes) {
        if (isAscii(bytes))
            return;
        // Element names and cells hold several lines; name only the ones affected.
        for (const QString& line : from.decode(bytes).split(QLatin1Char('\r'))) {
            if (!to.unencodable(line).isEmpty() && !seen.contains(line)) {
                seen.insert(line);
                lines.append(line);
            }
        }
    };
    forEachStructureText(ctx, check);
    KeptTexts kept(ctx.language.settings);
    forEachHeadingText(kept.heading, kept.comments, check);
    return lines;
}

bool convertStructureTexts(StructureContext& ctx, const TextCodec& from, const TextCodec& to)
{
    if (from.codePage() == to.codePage())
        return false;
    bool changed = false;
    const auto convert = [&](std::string& bytes) {
        if (isAscii(bytes))
            return;
        std::string converted = to.encode(from.decode(bytes));
        if (converted != bytes) {
            bytes = std::move(converted);
            changed = true;
        }
    };
    forEachStructureText(ctx, convert);
    const bool structureChanged = changed;
    if (structureChanged)
        ctx.document.saved = false;
    // The settings file's copies are read in the new language from now on.
    changed = false;
    KeptTexts kept(ctx.language.settings);
    forEachHeadingText(kept.heading, kept.comments, convert);
    if (changed) {
        kept.heading.save(ctx.language.settings);
        kept.comments.save(ctx.language.settings);
    }
    return structureChanged;
}

} // namespace zentrova
