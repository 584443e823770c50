// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The structure model: positions, the rows of an element, naming, clearing.
#include "structure/Structure.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// A result row: position lines, names, function code.
void addRow(ResultTable& t, long o, long b, long e, const std::string& code, const std::string& value = "")
{
    const int r = t.appendRow();
    t.setCell(1, r, std::to_string(o) + "\r" + std::to_string(b) + "\r" + std::to_string(e));
    t.setCell(2, r, "Obj\rBlk\rEl" + std::to_string(e) + "\r1,2");
    t.setCell(3, r, code);
    t.setCell(4, r, value);
}

ElementNode* node(Structure& s, ElementNode* parent, int32_t number, uint8_t kind)
{
    ElementNode* n = s.tree.add(parent);
    n->info.number = number;
    n->info.kind = kind;
    return n;
}

std::vector<int> rowsOf(const Structure& s, const ElementNode& n, int depth, bool sorted = false)
{
    return rowsOfElement(s, n, depth, sorted);
}

TEST(Position, DepthOneShiftsOneLevel)
{
    Structure s;
    ElementNode* top = node(s, nullptr, 3, KindObject);
    ElementNode* point = node(s, top, 7, KindMeasuringPoint);
    const Position p = positionOf(*point, 1);
    EXPECT_EQ(p.object, 1);
    EXPECT_EQ(p.block, 3);
    EXPECT_EQ(p.element, 7);
    EXPECT_EQ(p.depth, 2);
    const Position q = positionOf(*top, 1);
    EXPECT_EQ(q.object, 1);
    EXPECT_EQ(q.block, 3);
    EXPECT_EQ(q.depth, 1);
    const Position full = positionOf(*point, 3);
    EXPECT_EQ(full.object, 3);
    EXPECT_EQ(full.block, 7);
    EXPECT_EQ(full.element, 0);
}

TEST(RowsOfElement, TopLevelAtDepthOneCollectsItsBlock)
{
    Structure s;
    ElementNode* top = node(s, nullptr, 3, KindObject);
    addRow(s.table, 1, 3, 1, "500");  // 1
    addRow(s.table, 1, 2, 1, "500");  // 2: other block
    addRow(s.table, 1, 3, 9, "501");  // 3
    addRow(s.table, 2, 3, 1, "500");  // 4: other object
    addRow(s.table, 1, 3, 4, "0");    // 5: no result
    addRow(s.table, 1, 3, 4, "");     // 6: no result
    addRow(s.table, 1, 3, 2, "x502"); // 7: digits only count
    EXPECT_EQ(rowsOf(s, *top, 1), (std::vector<int>{1, 3, 7}));
}

TEST(RowsOfElement, SecondLevelEndsAtTheFirstHigherElement)
{
    Structure s;
    ElementNode* top = node(s, nullptr, 1, KindObject);
    ElementNode* point = node(s, top, 2, KindMeasuringPoint);
    addRow(s.table, 1, 1, 2, "500"); // 1
    addRow(s.table, 1, 1, 1, "500"); // 2 lower element: skipped
    addRow(s.table, 1, 1, 2, "501"); // 3
    addRow(s.table, 1, 1, 3, "500"); // 4 higher element: the walk ends here
    addRow(s.table, 1, 1, 2, "502"); // 5 never reached
    EXPECT_EQ(rowsOf(s, *point, 1, false), (std::vector<int>{1, 3}));
    EXPECT_EQ(rowsOf(s, *point, 1, true), (std::vector<int>{1, 3}));
}

TEST(RowsOfElement, DepthThreeAndSortedEarlyEnd)
{
    Structure s;
    ElementNode* obj = node(s, nullptr, 1, KindObject);
    ElementNode* blk = node(s, obj, 2, KindBlock);
    ElementNode* el = node(s, blk, 5, KindFuse);
    addRow(s.table, 1, 2, 5, "1"); // 1
    addRow(s.table, 1, 3, 5, "1"); // 2 higher block
    addRow(s.table, 1, 2, 5, "1"); // 3
    addRow(s.table, 2, 2, 5, "1"); // 4 higher object
    addRow(s.table, 1, 2, 6, "1"); // 5
    EXPECT_EQ(rowsOf(s, *obj, 3), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(rowsOf(s, *obj, 3, true), (std::vector<int>{1, 2, 3})) << "sorted: a higher object ends the walk";
    EXPECT_EQ(rowsOf(s, *blk, 3), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(rowsOf(s, *blk, 3, true), (std::vector<int>{1})) << "sorted: a higher block ends the walk";
    EXPECT_EQ(rowsOf(s, *el, 3), (std::vector<int>{1, 3}));
}

TEST(Naming, NumberedNamesContinueFromTheLargest)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    resetToNewStructure(c.document, c.language, c.defaultNames);
    const ElementTree& tree = c.document.structure.tree;
    ASSERT_EQ(tree.roots().size(), 1u);
    EXPECT_EQ(tree.roots()[0]->name, "Object1");
    EXPECT_EQ(tree.roots()[0]->info.kind, KindObject);
    EXPECT_EQ(tree.selected, tree.first());
    EXPECT_TRUE(c.document.saved);
    EXPECT_EQ(c.document.fileName, QStringLiteral("Noname.ZIT"));
    EXPECT_EQ(c.document.structure.table.rowCount(), 1);

    ElementNode* second = addElementNode(c.document, nullptr);
    EXPECT_FALSE(c.document.saved);
    EXPECT_EQ(second->name, "???");
    initElement(c.document, second, KindObject, true, c.newElementNames());
    EXPECT_EQ(second->name, "Object2");

    // Every node of the tree competes with a top-level node.
    ElementNode* child = addElementNode(c.document, tree.roots()[0].get());
    child->name = "Object9x";
    ElementNode* third = addElementNode(c.document, nullptr);
    initElement(c.document, third, KindObject, true, c.newElementNames());
    EXPECT_EQ(third->name, "Object10");

    // The stored default name is the base.
    c.defaultNames.names[DefaultNames::Object] = "Plant ";
    ElementNode* fourth = addElementNode(c.document, nullptr);
    initElement(c.document, fourth, KindObject, true, c.newElementNames());
    EXPECT_EQ(fourth->name, "Plant 1");

    ElementNode* plain = addElementNode(c.document, nullptr);
    initElement(c.document, plain, KindMeasuringPoint, false, c.newElementNames());
    EXPECT_EQ(plain->name, "xxx");
    EXPECT_EQ(plain->imageIndex(), 15);
    initElement(c.document, nullptr, KindObject, true, c.newElementNames()); // nothing happens
}

TEST(Kinds, LevelsAndImages)
{
    EXPECT_EQ(kindLevel(KindObject), 1);
    EXPECT_EQ(kindLevel(KindCircuit), 2);
    EXPECT_EQ(kindLevel(KindMeasuringPoint), 3);
    EXPECT_EQ(kindImage(KindCircuit), 14);
    EXPECT_EQ(kindImage(KindNone), -1);
    EXPECT_EQ(kindLevel(200), 3) << "unknown kinds sit at the lowest level";
    EXPECT_EQ(kindImage(200), -1);
}

// Counts live cell objects, so clearing can be seen to free them.
struct Counted : CellObject {
    static inline int alive = 0;
    Counted() { ++alive; }
    ~Counted() override { --alive; }
};

TEST(Clearing, FreesEveryRecordAndObject)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    ElementNode* top = addElementNode(c.document, nullptr);
    for (int i = 0; i < 50; ++i)
        addElementNode(c.document, addElementNode(c.document, top));
    c.document.structure.tree.selected = top;
    for (int i = 0; i < 20; ++i) {
        addRow(c.document.structure.table, 1, 1, i, "500");
        c.document.structure.table.setObject(i % 10, i + 1, std::make_unique<Counted>());
    }
    c.document.structure.table.setObject(2, 0, std::make_unique<Counted>());
    EXPECT_EQ(Counted::alive, 21);
    EXPECT_EQ(c.document.structure.tree.count(), 101u);

    clearStructure(c.document);
    clearResultTable(c.document);
    EXPECT_TRUE(c.document.structure.tree.empty());
    EXPECT_EQ(c.document.structure.tree.selected, nullptr);
    EXPECT_EQ(c.document.structure.table.rowCount(), 1);
    EXPECT_EQ(Counted::alive, 0);
    for (int col = 0; col < ResultTable::ColumnCount; ++col)
        EXPECT_EQ(c.document.structure.table.cell(col, 0), "");
}

TEST(ResultTable, MovesRowsAndIgnoresOutOfRange)
{
    ResultTable t;
    for (int i = 1; i <= 4; ++i)
        t.setCell(1, i, std::to_string(i));
    t.setObject(3, 4, std::make_unique<Counted>());
    t.moveRow(4, 1);
    EXPECT_EQ(t.cell(1, 1), "4");
    EXPECT_EQ(t.cell(1, 2), "1");
    EXPECT_EQ(t.cell(1, 4), "3");
    EXPECT_NE(t.object(3, 1), nullptr) << "the object moves with its row";
    EXPECT_EQ(t.cell(10, 1), "");
    EXPECT_EQ(t.cell(1, 99), "");
    t.setCell(10, 1, "ignored");
    t.moveRow(1, 99);
    EXPECT_EQ(t.rowCount(), 5);
    t.setRowCount(0);
    EXPECT_EQ(t.rowCount(), 1) << "never fewer than one row";
    EXPECT_EQ(Counted::alive, 0);
}

} // namespace
