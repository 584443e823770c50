// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/Export.h"

#include "base/FileIO.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "language/ReplaceQuestion.h"
#include "report/ReportPages.h"
#include "structure/ResultRow.h"
#include "structure/ResultsGrid.h"
#include "structure/StructureContext.h"

#include <QFileInfo>

#include <algorithm>

namespace zentrova {

namespace {

void replaceAll(std::string& s, char from, const std::string& to)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == from)
            out += to;
        else
            out.push_back(c);
    }
    s.swap(out);
}

// The role whose map entry is `column`, roles tried from 6 down to 0; -1 for none.
int roleOfColumn(const Profile& p, int column)
{
    for (int role = 6; role >= 0; --role)
        if (p.resultColumnMap[size_t(role)] == column)
            return role;
    return -1;
}

std::string headingOfRole(const LanguageContext& ctx, int role)
{
    std::string h = ctx.texts.text("VGlava" + std::to_string(role) + "_0");
    // The stored heading may already carry line breaks where the file had "$".
    std::replace(h.begin(), h.end(), '$', ',');
    std::replace(h.begin(), h.end(), '\r', ',');
    const size_t first = h.find_first_not_of(',');
    if (first == std::string::npos)
        return {};
    const size_t last = h.find_last_not_of(',');
    return h.substr(first, last - first + 1);
}

std::string positionOf(const ResultRow& row, int depth)
{
    switch (depth) {
    case 3:
        return row.objectName() + ", " + row.blockName() + ", " + row.elementName();
    case 2:
        return row.blockName() + ", " + row.elementName();
    default:
        return row.elementName();
    }
}

// A line break inside one export cell would end the row for every
// spreadsheet: within a cell, lines are joined by a space.
std::string oneLine(std::string s)
{
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

std::string formatted(const LanguageContext& ctx, const std::string& cell)
{
    std::string s = formatResultText(cell, ctx.names);
    replaceAll(s, '\r', ",");
    return s;
}

void tableRows(std::string& out, const GridData& t, const std::string& cd, const std::string& rd)
{
    auto row = [&](int r, const std::string& crReplacement) {
        for (int c = 0; c < t.colCount(); ++c) {
            if (c > 0)
                out += cd;
            std::string cell = readTableCell(t, c, r);
            replaceAll(cell, '\r', crReplacement);
            out += cell;
        }
        out += rd;
    };
    row(0, " ");
    row(1, " ");
    for (int r = 2; r < t.rowCount(); ++r)
        row(r, ",");
}

} // namespace

std::string exportText(const LanguageContext& ctx, const Document& document, const ExportFormat& format,
                       Progress& progress)
{
    const std::string cd = format.columnDelimiter();
    const std::string rd = format.rowDelimiter();
    const Profile& p = ctx.profile;
    const PrintoutHeading& h = document.heading;
    std::string out;

    // Heading lines: operator and site side by side, then the footers.
    for (size_t i = 0; i < 3; ++i)
        out += oneLine(h.op[i]) + cd + cd + oneLine(h.site[i]) + rd;
    for (size_t i = 0; i < 3; ++i)
        out += oneLine(h.footer[i]) + rd;
    out += rd + rd;

    progress.show(ctx.texts.text("Wait_25"), ctx.texts.text("Wait_25"), false);
    progress.setLine2({});
    progress.setPosition(0);

    // The tree, indented by level.
    const size_t nodes = document.structure.tree.count();
    size_t number = 0;
    document.structure.tree.forEach([&](ElementNode& n) {
        const int depth = n.depth();
        if (depth == 1)
            out += cd;
        else if (depth == 2)
            out += cd + cd;
        out += oneLine(n.name) + rd;
        progress.setPosition(nodes > 1 ? int(number * 100 / (nodes - 1)) : 100);
        ++number;
    });
    out += rd + rd;

    // Column headings.
    for (int i = 0; i < p.resultColumnCount; ++i) {
        const int role = roleOfColumn(p, i);
        if (role < 0)
            continue;
        out += headingOfRole(ctx, role);
        if (i != p.resultColumnCount - 1)
            out += cd;
    }
    out += rd;

    // Result rows, numbered from 1; rows without a function code are skipped.
    const ResultTable& t = document.structure.table;
    int running = 0;
    for (int r = 1; r < t.rowCount(); ++r) {
        const ResultRow resultRow(t, r);
        const long k = resultRow.functionCode();
        if (k != 0) {
            std::string row;
            for (int i = 0; i < p.resultColumnCount; ++i) {
                switch (roleOfColumn(p, i)) {
                case 0:
                    row += positionOf(resultRow, p.positionDepth) + cd;
                    break;
                case 2:
                    row += headingText(ctx.names.function(k));
                    replaceAll(row, '\r', "-");
                    row += cd;
                    break;
                case 3:
                    row += formatted(ctx, resultRow.results()) + cd;
                    break;
                case 4:
                    row += formatted(ctx, resultRow.parameters()) + cd;
                    break;
                case 5:
                    row += formatted(ctx, resultRow.subResults()) + cd;
                    break;
                case 6:
                    // Several measurements in one row give several dates and times.
                    row += oneLine(resultRow.date()) + ", " + oneLine(resultRow.time()) + cd;
                    break;
                default:
                    break;
                }
            }
            ++running;
            row = std::to_string(running) + cd + row;
            if (row.size() >= cd.size() && row.compare(row.size() - cd.size(), cd.size(), cd) == 0)
                row.resize(row.size() - cd.size());
            if (!row.empty())
                out += row + rd;
        }
        progress.setPosition(t.rowCount() > 1 ? int(int64_t(r) * 100 / (t.rowCount() - 1)) : 100);
    }

    // The report tables of blocks and lightning-protection sets.
    const ReportPages& pages = document.reportPages;
    for (int e = 1; e <= pages.count(); ++e) {
        const ReportTables* tables = pages.tablesOfEntry(e);
        if (!tables)
            continue;
        for (int which = 0; which < 2; ++which) {
            const ReportTable* table = tables->table(which);
            if (!table || tableIsEmpty(table))
                continue;
            out += rd;
            out += oneLine(table->objectName) + cd + oneLine(table->blockName) + rd;
            out += rd;
            tableRows(out, *table, cd, rd);
        }
    }
    progress.hide();
    return out;
}

QString proposedExportName(const QString& currentFileName)
{
    if (currentFileName.isEmpty())
        return {};
    const qsizetype slash = std::max(currentFileName.lastIndexOf(u'/'), currentFileName.lastIndexOf(u'\\'));
    const qsizetype dot = currentFileName.indexOf(u'.', slash + 1);
    return (dot < 0 ? currentFileName : currentFileName.left(dot)) + QStringLiteral(".TXT");
}

QString exportFileName(const QString& chosen)
{
    const qsizetype slash = std::max(chosen.lastIndexOf(u'/'), chosen.lastIndexOf(u'\\'));
    if (chosen.indexOf(u'.', slash + 1) < 0)
        return chosen + QStringLiteral(".TXT");
    return chosen;
}

bool runExport(const LanguageContext& ctx, const Document& document, const ExportFormat& format, Progress& progress)
{
    FileDialogRequest r;
    r.title = ctx.texts.text("ExportTo_40");
    r.filterName = ctx.texts.text("TextFiles_12");
    r.pattern = QStringLiteral("*.TXT");
    r.proposedName = proposedExportName(document.fileName);
    const auto path = chooseFileToWrite(ctx, r, exportFileName);
    return path && writeChosenFile(ctx, *path, exportText(ctx, document, format, progress));
}

} // namespace zentrova
