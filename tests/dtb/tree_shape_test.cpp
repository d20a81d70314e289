#include <gtest/gtest.h>

#include <algorithm>

#include "display_text.h"
#include "test_support.h"
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

}  // namespace

TEST(TreeShape, BuildsTheItemsAndTextsOfTheExampleTables) {
    TestDocument doc;
    EXPECT_EQ(Outline(doc, 1), "");

    doc.Load(DtbBuilder().Top(2).Node(16, 2, 7).Text(5, "a").Scalar(0, 5).Scalar(0, 6));
    EXPECT_EQ(Outline(doc, 1), "a(7)\t0\n  a\t1\n  5\t2\n6\t3\n");
    EXPECT_EQ(Outline(doc, 0), "a(7)\t0\n  5\t2\n6\t3\n");
    EXPECT_EQ(doc.chunk(0).Length, 2);  // the hidden identifier still counts

    doc.Load(DtbBuilder().Top(2).Node(16, 3, 1).Text(5, "r").Node(17, 2, 2).Text(5, "a").Scalar(0, 7).Text(5, "s")
                 .Scalar(0, 9));
    EXPECT_EQ(Outline(doc, 1), "r(1)\t0\n  r\t1\n  a(2)\t2\n    a\t3\n    7\t4\n  s\t5\n9\t6\n");
    EXPECT_EQ(Outline(doc, 0), "r(1)\t0\n  a(2)\t2\n    7\t4\n  s\t5\n9\t6\n");

    // Closing cascades: A and then R are full before the 9.
    doc.Load(DtbBuilder().Top(2).Node(16, 1, 1).Node(16, 1, 2).Scalar(0, 7).Scalar(0, 9));
    EXPECT_EQ(Outline(doc, 1), "(1)\t0\n  (2)\t1\n    7\t2\n9\t3\n");

    // A node with no children closes at once, even before its identifier,
    // which is then counted under the node's parent (at the top level, nowhere).
    doc.Load(DtbBuilder().Top(3).Node(16, 0, -1).Text(5, "k").Scalar(0, 1));
    EXPECT_EQ(Outline(doc, 1), "k(-1)\t0\nk\t1\n1\t2\n");
    EXPECT_EQ(Outline(doc, 0), "k(-1)\t0\n1\t2\n");
    doc.Load(DtbBuilder().Top(2).Node(16, 3, 9).Node(16, 0, 3).Text(5, "k").Scalar(0, 1).Scalar(0, 2));
    EXPECT_EQ(Outline(doc, 0), "(9)\t0\n  k(3)\t1\n  1\t3\n2\t4\n");
    EXPECT_EQ(doc.chunk(0).Length, 3);
    EXPECT_EQ(doc.chunk(1).Length, 0);

    // A table that ends inside a node, and a chunk of an unknown type: no
    // item, not counted.
    doc.Load(DtbBuilder().Top(1).Node(16, 3, 4).Scalar(0, 1).Scalar(0, 2).Scalar(0, 5));
    doc->Chunks[2].Type = 3;
    EXPECT_EQ(Outline(doc, 1), "(4)\t0\n  1\t1\n  5\t3\n");
    EXPECT_EQ(doc.chunk(0).Length, 2);

    DtbBuilder wide = DtbBuilder().Top(2).Node(19, 200, 0);  // a count wider than a byte
    for (uint32_t i = 0; i <= 200; ++i) wide.Scalar(0, i);
    doc.Load(wide);
    const std::string tree = Outline(doc, 1);
    EXPECT_EQ(tree.substr(tree.size() - 18), "  199\t200\n200\t201\n");
    EXPECT_EQ(doc.chunk(0).Length, 200);

    // Texts are cut to the views' buffer; a node's number always shows, and
    // its identifier stops at its first zero byte, as the label is a C text.
    doc.Load(DtbBuilder().Top(2).Node(16, 1, INT32_MIN).Text(5, std::string(3000, 'n')).Node(16, 1, 5)
                 .Text(5, std::string("ab\0cd", 5)));
    char text[kTextSize];
    EXPECT_EQ(FormatTreeItemText(doc.get(), 0, text, sizeof text), 3000 + 13);
    EXPECT_EQ(std::string(text), std::string(2047 - 13, 'n') + "(-2147483648)");
    EXPECT_EQ(FormatTreeItemText(doc.get(), 2, text, 4), 5);
    EXPECT_STREQ(text, "(5)");
}

// A chain far deeper than any stack would take: copies of one node.
TEST(TreeShape, TakesAnyDepth) {
    TestDocument doc;
    const int32_t depth = 300000;
    doc.Load(DtbBuilder().Top(1).Node(16, 1, 0).Scalar(0, 1));
    const ChunkRecord node = doc.chunk(0), leaf = doc.chunk(1);
    ASSERT_EQ(EnsureRoom(doc.get(), 0, depth + 1), 0);
    std::fill(doc->Chunks, doc->Chunks + depth, node);
    doc->Chunks[depth] = leaf;
    doc->ChunkCount = depth + 1;
    TreeShape shape = {};
    ASSERT_EQ(BuildTreeShape(doc.get(), &shape), 0);
    EXPECT_EQ(shape.Items[depth].Depth, depth);
    EXPECT_EQ(shape.Items[depth].Parent, depth - 1);
    EXPECT_EQ(SubtreeEnd(doc.get(), 0), depth + 1);
    EXPECT_EQ(ParentOfChunk(doc.get(), depth), depth - 1);
    FreeTreeShape(&shape);
}

// The table's own subtree end and parent agree with the tree's sibling walk
// (the next sibling, else the parent's next sibling...) and parent links,
// also for counts that disagree with the table.
TEST(TreeShape, LinksAndTableWalksAgreeWithTheTree) {
    std::mt19937 rng(7);
    TestDocument doc;
    for (int round = 0; round < 120; ++round) {
        DtbBuilder b = RandomTree(rng, 1 + static_cast<int32_t>(rng() % 40));
        if (round % 3 == 0) b.Node(16, 300, 0);  // a node left short at the end
        doc.Load(b);
        if (round % 2) doc->ChunkCount -= static_cast<int32_t>(rng() % doc->ChunkCount);  // more left short
        for (int32_t show = 0; show < 2; ++show) {
            doc->ShowIdentifiers = show;
            TreeShape shape = {};
            ASSERT_EQ(BuildTreeShape(doc.get(), &shape), 0);
            for (int32_t c = 0; c < doc->ChunkCount; ++c) {
                int32_t item = ItemOfChunk(&shape, c);
                if (item == -1) continue;  // a hidden identifier
                const TreeItem& t = shape.Items[item];
                EXPECT_EQ(t.Image, doc.chunk(c).Type);
                EXPECT_EQ(t.HasChildren, IsNodeType(t.Image) ? 1 : 0);
                EXPECT_EQ(ParentOfChunk(doc.get(), c), t.Parent);
                EXPECT_EQ(t.Parent, t.ParentItem == -1 ? -1 : shape.Items[t.ParentItem].Chunk);
                int32_t walk = item;
                while (walk != -1 && shape.Items[walk].NextSibling == -1) walk = shape.Items[walk].ParentItem;
                walk = walk == -1 ? doc->ChunkCount : shape.Items[shape.Items[walk].NextSibling].Chunk;
                int32_t end = SubtreeEnd(doc.get(), c);
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
