// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/CellObject.h"
#include "structure/ResultColumns.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zentrova {

// Element kinds of an installation structure.
enum ElementKind : uint8_t {
    KindNone = 0,
    KindObject = 1,
    KindObjectIT = 2,
    KindBlock = 3,
    KindLightningConductor = 4,
    KindBondingPoint = 5,
    KindCircuit = 6,
    KindFuse = 7,
    KindPole = 8,
    KindConnection1 = 9,
    KindConnection2 = 10,
    KindEarthing = 11,
    KindResidualCurrentDevice = 12,
    KindMeasuringPoint = 13,
};
constexpr int KindCount = 14;

// Tree level of a kind (1 = top); kinds past the table count as level 3.
int kindLevel(unsigned kind);
// Index in the tree image list; -1 for no image.
int kindImage(unsigned kind);
// Language key of the kind's name, nullptr for none.
const char* kindLanguageKey(unsigned kind);

struct ElementInfo {
    uint8_t kind = KindNone;
    std::string selection; // one "0"/"1" per measurement offered for the kind
    int32_t number = 0;    // ties result rows to the element
};

// One element of the tree. The node owns its record and its children.
class ElementNode {
public:
    std::string name; // bytes; CR separates lines
    ElementInfo info;

    ElementNode* parent() const { return parent_; }
    const std::vector<std::unique_ptr<ElementNode>>& children() const { return children_; }
    int depth() const; // 0 for a top-level node
    int imageIndex() const { return kindImage(info.kind); }

private:
    friend class ElementTree;
    ElementNode* parent_ = nullptr;
    std::vector<std::unique_ptr<ElementNode>> children_;
};

class ElementTree {
public:
    const std::vector<std::unique_ptr<ElementNode>>& roots() const { return roots_; }
    bool empty() const { return roots_.empty(); }
    size_t count() const;
    // Adds a node named "???" as the last child of `parent` (or the last
    // top-level node).
    ElementNode* add(ElementNode* parent);
    void clear();
    // Depth-first, in display order.
    void forEach(const std::function<void(ElementNode&)>& visit) const;
    ElementNode* first() const { return roots_.empty() ? nullptr : roots_.front().get(); }
    ElementNode* last() const;

    ElementNode* selected = nullptr;

private:
    std::vector<std::unique_ptr<ElementNode>> roots_;
};

// The result table: rows of 10 byte-string cells, never fewer than one row.
// Row 0 is the instrument's identification (IdentificationColumn), every
// further row one result (ResultColumn; read one through ResultRow).
class ResultTable {
public:
    static constexpr int ColumnCount = 10;
    using Row = std::array<std::string, ColumnCount>;

    ResultTable() { rows_.emplace_back(); }

    int rowCount() const { return int(rows_.size()); }
    const std::string& cell(int col, int row) const;
    void setCell(int col, int row, std::string text);
    const std::string& cell(ResultColumn col, int row) const { return cell(int(col), row); }
    void setCell(ResultColumn col, int row, std::string text) { setCell(int(col), row, std::move(text)); }
    const std::string& identification(IdentificationColumn col) const { return cell(int(col), 0); }
    void setIdentification(IdentificationColumn col, std::string text) { setCell(int(col), 0, std::move(text)); }
    const Row& row(int r) const { return rows_[size_t(r)].cells; }
    Row& row(int r) { return rows_[size_t(r)].cells; }
    CellObject* object(int col, int row) const;
    void setObject(int col, int row, std::unique_ptr<CellObject> obj);
    // The tags of a received record's items in the order they came, one byte
    // each: the cells group the items by tag, which loses that order. Kept
    // beside the row while the program runs, never written to a structure
    // file; empty for a row read from a file or typed.
    const std::string& itemOrder(int row) const;
    void setItemOrder(int row, std::string tags);

    // Grows or shrinks to `n` rows (at least one); dropped rows free their objects.
    void setRowCount(int n);
    int appendRow(); // index of the new empty row
    // Moves row `from` to position `to` (the rows between shift by one), the
    // cells moved, not copied.
    void moveRow(int from, int to);
    void emptyRow(int r);
    // clearResultTable: one empty row remains.
    void clear();

private:
    struct Entry {
        Row cells;
        std::unique_ptr<std::array<std::unique_ptr<CellObject>, ColumnCount>> objects;
        std::string itemOrder;
    };
    std::deque<Entry> rows_;
};

// The position triple (object, block, element) a node stands for, and the
// node's depth as the position rule counts it.
struct Position {
    long object = 0, block = 0, element = 0;
    int depth = 0;
};

struct Structure {
    ElementTree tree;
    ResultTable table;
};

Position positionOf(const ElementNode& node, int positionDepth);
// Result rows belonging to `node`, in table order.
std::vector<int> rowsOfElement(const Structure& s, const ElementNode& node, int positionDepth, bool resultsSorted);
// The function code of a result row (ResultRow::functionCode); 0 means no result.
long functionCodeOf(const ResultTable& t, int row);

} // namespace zentrova
