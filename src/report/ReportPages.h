// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/GridData.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zentrova {

class Settings;
class InterfaceTexts;
struct ReportLabels;

// The two free texts a report table carries; they hang from the cell object
// of its cell (0,0) and are stored with the table.
struct ReportTableTexts {
    std::string text1;
    std::string text2;
};

// Kinds of report pages, as stored in the structure file.
enum ReportKind : uint8_t {
    ReportObject = 1,              // ObjectPage
    ReportDistributionBlock = 2,   // DistributionBlockPage
    ReportLightningProtection = 3, // LightningProtectionPage
    ReportFloorPlan = 4,           // FloorPlanPage
    ReportBlockTables = 5,         // tables A (11 columns) and B (5 columns) of a block
    ReportLightningTables = 6,     // tables A (5 columns) and B (2 columns) of a lightning set
};
constexpr bool isReportKind(long kind)
{
    return kind >= ReportObject && kind <= ReportLightningTables;
}

// One entry of the page set: its kind and its number within the kind, as read.
struct ReportPageEntry {
    uint8_t kind = 0;
    int32_t index = 0;
};

// A filled-in inspection form: fixed label texts (from the language file,
// never stored), edit texts, check boxes and the names of the elements it
// belongs to. Labels, edits and check boxes are numbered from 1 as in the
// form's template; a number outside the form reads as empty / unticked and
// is ignored when written.
class ReportPage {
public:
    virtual ~ReportPage();
    ReportKind kind() const { return kind_; }

    int labelCount() const { return labels_ ? int(labels_->size()) : 0; }
    const std::string& label(int n) const;
    int editCount() const { return int(edits_.size()); }
    const std::string& edit(int n) const;
    void setEdit(int n, std::string text);
    int checkCount() const { return int(checks_.size()); }
    bool checked(int n) const;
    void setChecked(int n, bool on);
    // One character per box in box order, "1" ticked, "0" not.
    std::string checkString() const;
    // Box k is ticked when character k is "1"; boxes past the string's end
    // and any other character clear.
    void setCheckString(const std::string& s);

    std::string objectName;
    std::string blockName; // the block, or for kinds 3 and 4 the lightning set

protected:
    ReportPage(ReportKind kind, std::shared_ptr<const std::vector<std::string>> labels, int edits, int checks);

private:
    ReportKind kind_;
    std::shared_ptr<const std::vector<std::string>> labels_;
    std::vector<std::string> edits_;
    std::vector<bool> checks_;
};

// Object inspection page: 21 labels, 14 edits.
class ObjectPage : public ReportPage {
public:
    static constexpr int LabelCount = 21, EditCount = 14, CheckCount = 0;
    explicit ObjectPage(std::shared_ptr<const std::vector<std::string>> labels)
        : ReportPage(ReportObject, std::move(labels), EditCount, CheckCount)
    {
    }
};

// Distribution block page: 38 labels (9 texts and the 29 check-box captions),
// 6 edits, 29 check boxes.
class DistributionBlockPage : public ReportPage {
public:
    static constexpr int LabelCount = 38, EditCount = 6, CheckCount = 29;
    explicit DistributionBlockPage(std::shared_ptr<const std::vector<std::string>> labels)
        : ReportPage(ReportDistributionBlock, std::move(labels), EditCount, CheckCount)
    {
    }
};

// Lightning-protection page: 48 labels, 20 edits, 24 check boxes.
class LightningProtectionPage : public ReportPage {
public:
    static constexpr int LabelCount = 48, EditCount = 20, CheckCount = 24;
    explicit LightningProtectionPage(std::shared_ptr<const std::vector<std::string>> labels)
        : ReportPage(ReportLightningProtection, std::move(labels), EditCount, CheckCount)
    {
    }
};

// Floor plan of a lightning-protection set: 2 labels, 1 edit and a picture.
class FloorPlanPage : public ReportPage {
public:
    static constexpr int LabelCount = 2, EditCount = 1, CheckCount = 0;
    static constexpr int ImageWidth = 730, ImageHeight = 450;
    explicit FloorPlanPage(std::shared_ptr<const std::vector<std::string>> labels)
        : ReportPage(ReportFloorPlan, std::move(labels), EditCount, CheckCount)
    {
    }

    const std::string& imagePath() const { return imagePath_; }
    // Keeps the path (it is written back as it is) and loads the picture when
    // the path names an existing file; otherwise the page has no picture.
    // `decodedPath` is the path as the file system names it.
    void setImagePath(std::string path, const QString& decodedPath);
    const QImage& picture() const { return picture_; }

private:
    std::string imagePath_;
    QImage picture_;
};

// The two result tables of a kind-5 or kind-6 entry.
struct ReportTables {
    std::unique_ptr<ReportTable> a;
    std::unique_ptr<ReportTable> b;
    ReportTable* table(int i) const { return i == 0 ? a.get() : b.get(); }
};

// The report page set of the open structure: an ordered list of entries,
// each a page or a pair of tables, with one counter per kind.
class ReportPages {
public:
    // Far beyond any installation (the instrument numbers at most a few
    // hundred blocks); records past it are refused, so a damaged file cannot
    // make the set grow without bound.
    static constexpr int MaxEntries = 10000;

    ReportPages();
    ~ReportPages();
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;
    ReportPages(ReportPages&&) noexcept;
    ReportPages& operator=(ReportPages&&) noexcept;

    int count() const { return int(entries_.size()); }
    bool empty() const { return entries_.empty(); }
    // Entry i, 1-based.
    const ReportPageEntry& entry(int i) const;
    // Pages (or table pairs) of one kind.
    int countOf(ReportKind kind) const;

    // Appends an entry of kind 1..4 with its page built from the labels of
    // the language; nullptr when the kind is not a page kind or the set is full.
    ReportPage* createPage(ReportKind kind, int32_t index, const ReportLabels& labels);
    // Appends a kind-5 or kind-6 entry with its two new tables (headings and
    // units from the language texts, heading cells in `reportFont`).
    ReportTables* createTables(ReportKind kind, int32_t index, const InterfaceTexts& texts, const QFont& reportFont);

    // The page or tables of entry i (1-based); nullptr for the other sort.
    ReportPage* pageOfEntry(int i) const;
    ReportTables* tablesOfEntry(int i) const;
    // The page (tables) numbered `number` (1-based) within its kind.
    ReportPage* page(ReportKind kind, int number) const;
    ReportTables* tables(ReportKind kind, int number) const;

    // Frees every page and table. The first page of each form kind leaves
    // its values in the settings (OBJPAGE, BLOKPAGE, STRELAPAGE) for the
    // next report: the set is walked from its last entry to its first, so
    // the first page of a kind is the one whose values remain.
    void discard(const Settings& settings);
    // Frees everything without touching the settings.
    void clear();

private:
    struct Entry {
        ReportPageEntry rec;
        int slot = 0; // position within its kind's list
    };
    std::shared_ptr<const std::vector<std::string>> labelsFor(ReportKind kind, const ReportLabels& labels);

    std::vector<Entry> entries_;
    std::array<std::vector<std::unique_ptr<ReportPage>>, 4> pages_;    // kinds 1..4
    std::array<std::vector<std::unique_ptr<ReportTables>>, 2> tables_; // kinds 5, 6
    std::array<std::shared_ptr<const std::vector<std::string>>, 4> labelCache_;
};

// ---- table primitives

// A new report table of kind 5 or 6 (`which` 0 = table A, 1 = table B):
// 3 rows, the kind's columns, headings in row 0 and units in row 1 (both
// fixed), a cell object with `reportFont` on every heading cell and an empty
// ReportTableTexts on cell (0,0). nullptr for another kind.
std::unique_ptr<ReportTable> newReportTable(ReportKind kind, int which, const InterfaceTexts& texts,
                                            const QFont& reportFont);
// Column counts of the two tables of a kind (0 for another kind).
int reportTableColumns(ReportKind kind, int which);
// Grows the table (never shrinks it) to at least `rows` x `cols`; from 3
// rows on its first two rows are fixed.
void ensureTableSize(GridData& table, int rows, int cols);
// Sets a cell, growing the table as needed.
void setTableCell(GridData& table, int col, int row, std::string text);
// The cell text with every line feed removed.
std::string readTableCell(const GridData& table, int col, int row);
// True for no table, a table with at most the two fixed rows, or one whose
// data rows (2 and up) are all empty.
bool tableIsEmpty(const GridData* table);
// Frees the row's cell objects, moves the following rows up and drops the
// last row unless only two remain.
void deleteTableRow(GridData& table, int row);
// Deletes the rows from the last down to row 2, then rows 1 and 0.
void emptyTable(GridData& table);
// The table's ReportTableTexts (on cell (0,0)); nullptr when it has none.
ReportTableTexts* subDataOf(const GridData& table);
// The ReportTableTexts of cell (0,0), created when missing (the table must have that cell).
ReportTableTexts* ensureSubData(GridData& table);

// The font of the tables' heading cells: the report typeface, 9 points.
QFont reportTableFont();

} // namespace zentrova
