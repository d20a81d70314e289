#include <gtest/gtest.h>

#include "display_text.h"
#include "table_fixture.h"
#include "tree_edit.h"
#include "tree_shape.h"

namespace {

// The tree as dtbtool prints it: two blanks per level, text, tab, chunk.
std::string Outline(TestDocument& doc, int32_t showIdentifiers) {
    doc->ShowIdentifiers = showIdentifiers;
    TreeShape shape = {};
    EXPECT_EQ(BuildTreeShape(doc.get(), &shape), 0);
    std::string out;
    for (int32_t k = 0; k < shape.ItemCount; ++k) {
        const TreeItem& t = shape.Items[k];
        char text[kTextSize];
        FormatTreeItemText(doc.get(), t.Chunk, text, sizeof text);
        out += std::string(2 * t.Depth, ' ') + text + "\t" + std::to_string(t.Chunk) + "\n";
    }
    FreeTreeShape(&shape);
    return out;
}

// The subtree end as the view finds it: the next sibling, else the parent's
// next sibling, and so on; the table's end when the climb passes the top.
int32_t SiblingWalk(const TreeShape& shape, int32_t item, int32_t chunkCount) {
    while (item != -1 && shape.Items[item].NextSibling == -1) item = shape.Items[item].ParentItem;
    return item == -1 ? chunkCount : shape.Items[shape.Items[item].NextSibling].Chunk;
}

}  // namespace

TEST(TreeShape, BuildsTheItemsOfTheExampleTables) {
    TestDocument doc;
    EXPECT_EQ(Outline(doc, 1), "");

    Fill(doc, {N(2, 7), S("a"), I(5), I(6)}, 2);
    EXPECT_EQ(Outline(doc, 1), "a(7)\t0\n  a\t1\n  5\t2\n6\t3\n");
    EXPECT_EQ(Outline(doc, 0), "a(7)\t0\n  5\t2\n6\t3\n");
    EXPECT_EQ(doc.chunk(0).Length, 2);  // the hidden identifier still counts

    Fill(doc, {N(3, 1), S("r"), N(2, 2), S("a"), I(7), S("s"), I(9)}, 2);
    EXPECT_EQ(Outline(doc, 1), "r(1)\t0\n  r\t1\n  a(2)\t2\n    a\t3\n    7\t4\n  s\t5\n9\t6\n");
    EXPECT_EQ(Outline(doc, 0), "r(1)\t0\n  a(2)\t2\n    7\t4\n  s\t5\n9\t6\n");

    // Closing cascades: A and then R are full before the 9.
    Fill(doc, {N(1, 1), N(1, 2), I(7), I(9)}, 2);
    EXPECT_EQ(Outline(doc, 1), "(1)\t0\n  (2)\t1\n    7\t2\n9\t3\n");

    // A node with no children closes at once, even before its identifier,
    // which is then counted under the node's parent (at the top level, nowhere).
    Fill(doc, {N(0, -1), S("k"), I(1)}, 3);
    EXPECT_EQ(Outline(doc, 1), "k(-1)\t0\nk\t1\n1\t2\n");
    EXPECT_EQ(Outline(doc, 0), "k(-1)\t0\n1\t2\n");
    Fill(doc, {N(3, 9), N(0, 3), S("k"), I(1), I(2)}, 2);
    EXPECT_EQ(Outline(doc, 0), "(9)\t0\n  k(3)\t1\n  1\t3\n2\t4\n");
    EXPECT_EQ(doc.chunk(0).Length, 3);
    EXPECT_EQ(doc.chunk(1).Length, 0);

    // A table that ends inside a node, and chunks of an unknown type: no item,
    // not counted.
    Fill(doc, {N(3, 4), I(1), I(2, 3), I(5)}, 1);
    EXPECT_EQ(Outline(doc, 1), "(4)\t0\n  1\t1\n  5\t3\n");
    EXPECT_EQ(doc.chunk(0).Length, 2);
}

TEST(TreeShape, LinksEveryItemAndTakesAnyCountAndDepth) {
    TestDocument doc;
    Fill(doc, {N(200, 0, 19)}, 1);
    for (int i = 0; i < 201; ++i) Append(doc, I(i));
    doc->ShowIdentifiers = 1;
    TreeShape shape = {};
    ASSERT_EQ(BuildTreeShape(doc.get(), &shape), 0);
    EXPECT_EQ(doc.chunk(0).Length, 200);
    EXPECT_EQ(shape.TopLevelCount, 2);
    EXPECT_EQ(shape.Items[0].Image, 19u);
    EXPECT_EQ(shape.Items[0].HasChildren, 1);
    EXPECT_EQ(shape.Items[1].HasChildren, 0);
    int32_t children = 0;
    for (int32_t k = shape.Items[0].FirstChild; k != -1; k = shape.Items[k].NextSibling, ++children)
        EXPECT_EQ(shape.Items[k].ParentItem, 0);
    EXPECT_EQ(children, 200);
    EXPECT_EQ(shape.Items[0].NextSibling, 201);

    // A chain far deeper than any stack would take.
    const int32_t depth = 300000;
    doc->ChunkCount = 0;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, depth + 1), 0);
    for (int32_t i = 0; i < depth; ++i) Append(doc, N(1, i));
    Append(doc, I(1));
    ASSERT_EQ(BuildTreeShape(doc.get(), &shape), 0);
    EXPECT_EQ(shape.Items[depth].Depth, depth);
    EXPECT_EQ(shape.Items[depth].Parent, depth - 1);
    EXPECT_EQ(SubtreeEnd(doc.get(), 0), depth + 1);
    EXPECT_EQ(ParentOfChunk(doc.get(), depth), depth - 1);
    FreeTreeShape(&shape);
}

TEST(TreeShape, CutsLongTextsToTheViewsBufferKeepingTheNodeNumber) {
    TestDocument doc;
    const std::string name(3000, 'n');
    Fill(doc, {N(1, INT32_MIN), S(name), S(std::string(5000, 's'), 32)}, 2);
    char text[kTextSize];
    EXPECT_EQ(FormatTreeItemText(doc.get(), 0, text, sizeof text), 3000 + 13);
    EXPECT_EQ(std::string(text), std::string(2047 - 13, 'n') + "(-2147483648)");
    EXPECT_EQ(FormatTreeItemText(doc.get(), 2, text, sizeof text), 5000);
    EXPECT_EQ(std::strlen(text), 2047u);
    // An identifier stops at its first zero byte, as the label is a C text.
    Fill(doc, {N(1, 5), S(std::string("ab\0cd", 5))}, 1);
    EXPECT_EQ(FormatTreeItemText(doc.get(), 0, text, 4), 5);
    EXPECT_STREQ(text, "(5)");
}

TEST(TreeShape, TableSubtreeEndAndParentAgreeWithTheTree) {
    std::mt19937 rng(7);
    TestDocument doc;
    for (int round = 0; round < 200; ++round) {
        FillRandomTree(doc, rng, 1 + static_cast<int32_t>(rng() % 40));
        // Counts that disagree with the table: some nodes left short, some
        // chunks beyond all counts.
        if (round % 2) doc->ChunkCount -= static_cast<int32_t>(rng() % doc->ChunkCount);
        if (round % 3 == 0) Append(doc, N(2, 0));
        for (int32_t show = 0; show < 2; ++show) {
            doc->ShowIdentifiers = show;
            TreeShape shape = {};
            ASSERT_EQ(BuildTreeShape(doc.get(), &shape), 0);
            for (int32_t c = 0; c < doc->ChunkCount; ++c) {
                int32_t item = ItemOfChunk(&shape, c);
                if (item == -1) continue;  // a hidden identifier
                EXPECT_EQ(ParentOfChunk(doc.get(), c), shape.Items[item].Parent);
                int32_t end = SubtreeEnd(doc.get(), c);
                int32_t walk = SiblingWalk(shape, item, doc->ChunkCount);
                if (walk != end) {  // only where an empty node's identifier is hidden
                    EXPECT_EQ(show, 0);
                    EXPECT_EQ(ItemOfChunk(&shape, end), -1);
                    EXPECT_EQ(ChildCountOf(doc.chunk(end - 1)), 0);
                    EXPECT_EQ(walk, end + 1 < doc->ChunkCount ? end + 1 : doc->ChunkCount);
                }
            }
            FreeTreeShape(&shape);
        }
    }
}
