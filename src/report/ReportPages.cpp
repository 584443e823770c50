// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/ReportPages.h"

#include "base/Settings.h"
#include "language/Language.h"

#include <QFileInfo>
#include <QImageReader>

namespace zentrova {

namespace {

const std::string EmptyText;

// Heading and unit keys of the four report tables: kind 5 table A and B,
// kind 6 table A and B. An empty key leaves the cell empty.
struct TableKeys {
    int columns;
    std::vector<const char*> headings;
    std::vector<const char*> units;
};

const TableKeys& tableKeys(ReportKind kind, int which)
{
    static const TableKeys keys[4] = {
        {11,
         {"Glava0_0", "Glava1_0", "Glava2_0", "Glava3_0", "Glava4_0", "Glava5_0", "Glava6_0", "Glava7_0", "Glava8_0",
          "Glava9_0", "Glava10_0"},
         {"", "GlavaE1_0", "GlavaE2_0", "GlavaE3_0", "GlavaE4_0", "GlavaE5_0", "GlavaE6_0", "GlavaE7_0", "GlavaE8_0",
          "GlavaE9_0", "GlavaE10_0"}},
        {5,
         {"GlavaF0_0", "GlavaF1_0", "GlavaF2_0", "GlavaF3_0", "GlavaF4_0"},
         {"", "GlavaFE1_0", "GlavaFE2_0", "GlavaFE3_0", "GlavaFE4_0"}},
        {5,
         {"GlavaS10_0", "GlavaS11_0", "GlavaS12_0", "GlavaS13_0", "GlavaS14_0"},
         {"", "GlavaS1E1_0", "GlavaS1E2_0", "GlavaS1E3_0", ""}},
        {2, {"GlavaS20_0", "GlavaS21_0"}, {"", "GlavaS2E1_0"}},
    };
    return keys[(kind == ReportLightningTables ? 2 : 0) + (which ? 1 : 0)];
}

bool isPageKind(ReportKind kind)
{
    return kind >= ReportObject && kind <= ReportFloorPlan;
}
bool isTableKind(ReportKind kind)
{
    return kind == ReportBlockTables || kind == ReportLightningTables;
}

template <size_t N>
std::shared_ptr<const std::vector<std::string>> asVector(const std::array<std::string, N>& a)
{
    return std::make_shared<const std::vector<std::string>>(a.begin(), a.end());
}

} // namespace

// ------------------------------------------------------------- ReportPage

ReportPage::ReportPage(ReportKind kind, std::shared_ptr<const std::vector<std::string>> labels, int edits, int checks)
    : kind_(kind), labels_(std::move(labels)), edits_(size_t(edits)), checks_(size_t(checks), false)
{
}

ReportPage::~ReportPage() = default;

const std::string& ReportPage::label(int n) const
{
    return (n >= 1 && n <= labelCount()) ? (*labels_)[size_t(n - 1)] : EmptyText;
}

const std::string& ReportPage::edit(int n) const
{
    return (n >= 1 && n <= editCount()) ? edits_[size_t(n - 1)] : EmptyText;
}

void ReportPage::setEdit(int n, std::string text)
{
    if (n >= 1 && n <= editCount())
        edits_[size_t(n - 1)] = std::move(text);
}

bool ReportPage::checked(int n) const
{
    return n >= 1 && n <= checkCount() && checks_[size_t(n - 1)];
}

void ReportPage::setChecked(int n, bool on)
{
    if (n >= 1 && n <= checkCount())
        checks_[size_t(n - 1)] = on;
}

std::string ReportPage::checkString() const
{
    std::string s;
    s.reserve(checks_.size());
    for (bool b : checks_)
        s.push_back(b ? '1' : '0');
    return s;
}

void ReportPage::setCheckString(const std::string& s)
{
    for (size_t k = 0; k < checks_.size(); ++k)
        checks_[k] = k < s.size() && s[k] == '1';
}

void FloorPlanPage::setImagePath(std::string path, const QString& decodedPath)
{
    imagePath_ = std::move(path);
    picture_ = QImage();
    // Only ordinary files: a device or a folder named here is no picture, and
    // a path with a NUL in it names no file at all.
    if (imagePath_.empty() || decodedPath.contains(QChar(u'\0')) || !QFileInfo(decodedPath).isFile())
        return;
    QImageReader reader(decodedPath);
    picture_ = reader.read(); // a picture that does not decode leaves the page without one
}

// --------------------------------------------------------------- ReportPages

ReportPages::ReportPages() = default;
ReportPages::~ReportPages() = default;
ReportPages::ReportPages(ReportPages&&) noexcept = default;
ReportPages& ReportPages::operator=(ReportPages&&) noexcept = default;

const ReportPageEntry& ReportPages::entry(int i) const
{
    static const ReportPageEntry none;
    return (i >= 1 && i <= count()) ? entries_[size_t(i - 1)].rec : none;
}

int ReportPages::countOf(ReportKind kind) const
{
    if (isPageKind(kind))
        return int(pages_[kind - 1].size());
    if (isTableKind(kind))
        return int(tables_[kind - ReportBlockTables].size());
    return 0;
}

std::shared_ptr<const std::vector<std::string>> ReportPages::labelsFor(ReportKind kind, const ReportLabels& l)
{
    std::shared_ptr<const std::vector<std::string>> fresh;
    switch (kind) {
    case ReportObject:
        fresh = asVector(l.objLabels);
        break;
    case ReportDistributionBlock:
        fresh = asVector(l.blokLabels);
        break;
    case ReportLightningProtection:
        fresh = asVector(l.strelaLabels);
        break;
    default:
        fresh = asVector(l.tlorisLabels);
        break;
    }
    // Pages of one kind share their labels while the language stays the same.
    auto& cached = labelCache_[kind - 1];
    if (!cached || *cached != *fresh)
        cached = std::move(fresh);
    return cached;
}

ReportPage* ReportPages::createPage(ReportKind kind, int32_t index, const ReportLabels& labels)
{
    if (!isPageKind(kind) || count() >= MaxEntries)
        return nullptr;
    auto shared = labelsFor(kind, labels);
    std::unique_ptr<ReportPage> page;
    switch (kind) {
    case ReportObject:
        page = std::make_unique<ObjectPage>(shared);
        break;
    case ReportDistributionBlock:
        page = std::make_unique<DistributionBlockPage>(shared);
        break;
    case ReportLightningProtection:
        page = std::make_unique<LightningProtectionPage>(shared);
        break;
    default:
        page = std::make_unique<FloorPlanPage>(shared);
        break;
    }
    auto& list = pages_[kind - 1];
    entries_.push_back({{uint8_t(kind), index}, int(list.size())});
    list.push_back(std::move(page));
    return list.back().get();
}

ReportTables* ReportPages::createTables(ReportKind kind, int32_t index, const InterfaceTexts& texts,
                                        const QFont& reportFont)
{
    if (!isTableKind(kind) || count() >= MaxEntries)
        return nullptr;
    auto pair = std::make_unique<ReportTables>();
    pair->a = newReportTable(kind, 0, texts, reportFont);
    pair->b = newReportTable(kind, 1, texts, reportFont);
    auto& list = tables_[kind - ReportBlockTables];
    entries_.push_back({{uint8_t(kind), index}, int(list.size())});
    list.push_back(std::move(pair));
    return list.back().get();
}

ReportPage* ReportPages::pageOfEntry(int i) const
{
    if (i < 1 || i > count())
        return nullptr;
    const Entry& e = entries_[size_t(i - 1)];
    return page(ReportKind(e.rec.kind), e.slot + 1);
}

ReportTables* ReportPages::tablesOfEntry(int i) const
{
    if (i < 1 || i > count())
        return nullptr;
    const Entry& e = entries_[size_t(i - 1)];
    return tables(ReportKind(e.rec.kind), e.slot + 1);
}

ReportPage* ReportPages::page(ReportKind kind, int number) const
{
    if (!isPageKind(kind))
        return nullptr;
    const auto& list = pages_[kind - 1];
    return (number >= 1 && size_t(number) <= list.size()) ? list[size_t(number - 1)].get() : nullptr;
}

ReportTables* ReportPages::tables(ReportKind kind, int number) const
{
    if (!isTableKind(kind))
        return nullptr;
    const auto& list = tables_[kind - ReportBlockTables];
    return (number >= 1 && size_t(number) <= list.size()) ? list[size_t(number - 1)].get() : nullptr;
}

void ReportPages::discard(const Settings& s)
{
    // Walking backwards and writing every page would leave the first page's
    // values; writing the first page of each kind gives the same file with
    // a fraction of the writes.
    if (const ReportPage* p = page(ReportObject, 1)) {
        static const char* const keys[8] = {"network",     "distributor",  "InstType", "purpose",
                                            "instruments", "traceability", "methods",  "safety"};
        for (int k = 0; k < 8; ++k)
            s.writeSetting("OBJPAGE", keys[k], p->edit(4 + k));
    }
    if (const ReportPage* p = page(ReportDistributionBlock, 1)) {
        s.writeSetting("BLOKPAGE", "regulatives", p->edit(6));
        s.writeSetting("BLOKPAGE", "check", p->checkString());
    }
    if (const ReportPage* p = page(ReportLightningProtection, 1))
        s.writeSetting("STRELAPAGE", "check", p->checkString());
    clear();
}

void ReportPages::clear()
{
    entries_.clear();
    for (auto& list : pages_)
        list.clear();
    for (auto& list : tables_)
        list.clear();
}

// ---------------------------------------------------------- table primitives

int reportTableColumns(ReportKind kind, int which)
{
    return isTableKind(kind) ? tableKeys(kind, which).columns : 0;
}

std::unique_ptr<ReportTable> newReportTable(ReportKind kind, int which, const InterfaceTexts& texts,
                                            const QFont& reportFont)
{
    if (!isTableKind(kind))
        return nullptr;
    const TableKeys& keys = tableKeys(kind, which);
    auto t = std::make_unique<ReportTable>(keys.columns, 3);
    t->setFixedRows(2);
    t->setDefaultColWidth(30);
    t->setDefaultRowHeight(10);
    t->setAlignment(AlignCenter);
    for (int c = 0; c < keys.columns; ++c) {
        t->setCell(c, 0, texts.text(keys.headings[size_t(c)]));
        if (*keys.units[size_t(c)])
            t->setCell(c, 1, texts.text(keys.units[size_t(c)]));
        auto data = std::make_unique<CellData>();
        data->font = reportFont;
        if (c == 0)
            data->subData = std::make_shared<ReportTableTexts>();
        t->setCellData(c, 0, std::move(data));
    }
    return t;
}

void ensureTableSize(GridData& table, int rows, int cols)
{
    if (cols > table.colCount())
        table.setColCount(cols);
    // Rows arrive one at a time in the form this grid had; from three rows
    // on the heading and unit rows are fixed.
    if (rows > table.rowCount()) {
        table.setRowCount(rows);
        if (rows >= 3)
            table.setFixedRows(2);
    }
}

void setTableCell(GridData& table, int col, int row, std::string text)
{
    if (col < 0 || row < 0)
        return;
    ensureTableSize(table, row + 1, col + 1);
    table.setCell(col, row, std::move(text));
}

std::string readTableCell(const GridData& table, int col, int row)
{
    std::string s = table.cell(col, row);
    std::erase(s, '\n');
    return s;
}

bool tableIsEmpty(const GridData* table)
{
    if (!table || table->rowCount() <= 2)
        return true;
    for (int r = 2; r < table->rowCount(); ++r)
        for (int c = 0; c < table->colCount(); ++c)
            if (!table->cell(c, r).empty())
                return false;
    return true;
}

void deleteTableRow(GridData& table, int row)
{
    if (row < 0 || row >= table.rowCount())
        return;
    for (int c = 0; c < table.colCount(); ++c) {
        table.takeCellData(c, row); // frees the object and the ReportTableTexts hanging from it
        table.setCell(c, row, {});
    }
    table.moveRow(row, table.rowCount() - 1);
    if (table.rowCount() > 2)
        table.setRowCount(table.rowCount() - 1);
}

void emptyTable(GridData& table)
{
    for (int r = table.rowCount() - 1; r >= 2; --r)
        deleteTableRow(table, r);
    deleteTableRow(table, 1);
    deleteTableRow(table, 0);
}

ReportTableTexts* subDataOf(const GridData& table)
{
    const CellData* d = table.cellData(0, 0);
    return d ? d->subData.get() : nullptr;
}

ReportTableTexts* ensureSubData(GridData& table)
{
    if (!table.contains(0, 0))
        return nullptr;
    CellData* d = table.cellData(0, 0);
    if (!d) {
        table.setCellData(0, 0, std::make_unique<CellData>());
        d = table.cellData(0, 0);
    }
    if (!d->subData)
        d->subData = std::make_shared<ReportTableTexts>();
    return d->subData.get();
}

QFont reportTableFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(9);
    return f;
}

} // namespace zentrova
