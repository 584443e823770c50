// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/Structure.h"

#include "structure/ResultRow.h"

namespace zentrova {

namespace {
struct KindInfo {
    int level;
    int image;
    const char* key;
};
const KindInfo NodeKinds[KindCount] = {
    {0, -1, nullptr},       {1, 0, "Object_20"},      {1, 0, "OBJECTIT_20"}, {2, 1, "BLOCK_20"},
    {2, 2, "STRELOVOD_20"}, {2, 3, "GIP_20"},         {2, 14, "CIRCUIT_20"}, {3, 4, "FUSE_20"},
    {3, 5, "STEBER_20"},    {3, 6, "POVEZAVA_20"},    {3, 7, "POVEZAVA_20"}, {3, 8, "OZEMLJITEV_20"},
    {3, 9, "RCD_20"},       {3, 15, "PARTICULAR_20"},
};
const std::string EmptyText;
} // namespace

int kindLevel(unsigned kind)
{
    return kind < KindCount ? NodeKinds[kind].level : 3;
}
int kindImage(unsigned kind)
{
    return kind < KindCount ? NodeKinds[kind].image : -1;
}
const char* kindLanguageKey(unsigned kind)
{
    return kind < KindCount ? NodeKinds[kind].key : nullptr;
}

int ElementNode::depth() const
{
    int d = 0;
    for (const ElementNode* p = parent_; p; p = p->parent_)
        ++d;
    return d;
}

size_t ElementTree::count() const
{
    size_t n = 0;
    forEach([&](ElementNode&) { ++n; });
    return n;
}

ElementNode* ElementTree::add(ElementNode* parent)
{
    auto node = std::make_unique<ElementNode>();
    node->name = "???";
    node->parent_ = parent;
    ElementNode* raw = node.get();
    (parent ? parent->children_ : roots_).push_back(std::move(node));
    return raw;
}

void ElementTree::clear()
{
    selected = nullptr;
    roots_.clear();
}

void ElementTree::forEach(const std::function<void(ElementNode&)>& visit) const
{
    // Iterative, so a deep tree from a damaged file cannot exhaust the stack.
    std::vector<ElementNode*> stack;
    for (auto it = roots_.rbegin(); it != roots_.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        ElementNode* n = stack.back();
        stack.pop_back();
        visit(*n);
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            stack.push_back(it->get());
    }
}

ElementNode* ElementTree::last() const
{
    ElementNode* n = roots_.empty() ? nullptr : roots_.back().get();
    while (n && !n->children_.empty())
        n = n->children_.back().get();
    return n;
}

// ------------------------------------------------------------------ ResultTable

const std::string& ResultTable::cell(int col, int row) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= ColumnCount)
        return EmptyText;
    return rows_[size_t(row)].cells[size_t(col)];
}

void ResultTable::setCell(int col, int row, std::string text)
{
    if (row < 0 || col < 0 || col >= ColumnCount)
        return;
    if (row >= rowCount())
        setRowCount(row + 1);
    rows_[size_t(row)].cells[size_t(col)] = std::move(text);
}

CellObject* ResultTable::object(int col, int row) const
{
    if (row < 0 || row >= rowCount() || col < 0 || col >= ColumnCount)
        return nullptr;
    const auto& objs = rows_[size_t(row)].objects;
    return objs ? (*objs)[size_t(col)].get() : nullptr;
}

void ResultTable::setObject(int col, int row, std::unique_ptr<CellObject> obj)
{
    if (row < 0 || col < 0 || col >= ColumnCount)
        return;
    if (row >= rowCount())
        setRowCount(row + 1);
    auto& objs = rows_[size_t(row)].objects;
    if (!objs)
        objs = std::make_unique<std::array<std::unique_ptr<CellObject>, ColumnCount>>();
    (*objs)[size_t(col)] = std::move(obj);
}

const std::string& ResultTable::itemOrder(int row) const
{
    if (row < 0 || row >= rowCount())
        return EmptyText;
    return rows_[size_t(row)].itemOrder;
}

void ResultTable::setItemOrder(int row, std::string tags)
{
    if (row < 0 || row >= rowCount())
        return;
    rows_[size_t(row)].itemOrder = std::move(tags);
}

void ResultTable::setRowCount(int n)
{
    rows_.resize(size_t(std::max(1, n)));
}

int ResultTable::appendRow()
{
    rows_.emplace_back();
    return rowCount() - 1;
}

void ResultTable::moveRow(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= rowCount() || to >= rowCount())
        return;
    Entry e = std::move(rows_[size_t(from)]);
    rows_.erase(rows_.begin() + from);
    rows_.insert(rows_.begin() + to, std::move(e));
}

void ResultTable::emptyRow(int r)
{
    if (r < 0 || r >= rowCount())
        return;
    rows_[size_t(r)].objects.reset();
    rows_[size_t(r)].itemOrder.clear();
    for (auto& c : rows_[size_t(r)].cells)
        c.clear();
}

void ResultTable::clear()
{
    rows_.resize(1);
    emptyRow(0);
}

// ---------------------------------------------------------------- positions

Position positionOf(const ElementNode& node, int positionDepth)
{
    Position p;
    const ElementNode* chain[3] = {nullptr, nullptr, nullptr};
    int d = node.depth();
    const ElementNode* n = &node;
    for (int level = d; level >= 0; --level, n = n->parent())
        if (level < 3)
            chain[level] = n;
    if (positionDepth == 1) {
        // Two-level trees: every top-level element is a block of object 1.
        p.object = 1;
        p.block = chain[0] ? chain[0]->info.number : 0;
        p.element = (d >= 1 && chain[1]) ? chain[1]->info.number : 0;
        p.depth = d + 1;
    } else {
        p.object = chain[0] ? chain[0]->info.number : 0;
        p.block = (d >= 1 && chain[1]) ? chain[1]->info.number : 0;
        p.element = (d >= 2 && chain[2]) ? chain[2]->info.number : 0;
        p.depth = d;
    }
    return p;
}

long functionCodeOf(const ResultTable& t, int row)
{
    return ResultRow(t, row).functionCode();
}

std::vector<int> rowsOfElement(const Structure& s, const ElementNode& node, int positionDepth, bool resultsSorted)
{
    const Position p = positionOf(node, positionDepth);
    std::vector<int> rows;
    const ResultTable& t = s.table;
    for (int r = 1; r < t.rowCount(); ++r) {
        const ResultRow row(t, r);
        if (row.functionCode() == 0)
            continue;
        const long ro = row.object();
        if (ro < p.object)
            continue;
        if (ro > p.object) {
            if (resultsSorted)
                break;
            continue;
        }
        if (p.depth >= 1) {
            const long rb = row.block();
            if (rb < p.block)
                continue;
            if (rb > p.block) {
                if (resultsSorted)
                    break;
                continue;
            }
        }
        if (p.depth >= 2) {
            const long re = row.element();
            if (re < p.element)
                continue;
            if (re > p.element)
                break;
        }
        rows.push_back(r);
    }
    return rows;
}

} // namespace zentrova
