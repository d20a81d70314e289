#include <gtest/gtest.h>
#include "display_text.h"
#include "dtb_kit.h"
#include "tree_check.h"
#include "tree_edit.h"
#include "tree_shape.h"

// The tree as dtbtool prints it, and after a slash the chunks placed under each node.
static std::string Outline(TestDocument& doc, bool identifiersShown) {
    TreeShape shape = {};
    EXPECT_EQ(BuildTreeShape(doc.get(), identifiersShown, &shape), 0);
    std::string out;
    for (const TreeItem* t = shape.Items; t < shape.Items + shape.ItemCount; ++t) {
        char text[kTextSize];
        FormatTreeItemText(doc.get(), t->Chunk, text, sizeof text);
        out += std::string(2 * t->Depth, ' ') + text + "\t" + std::to_string(t->Chunk) +
               (t->HasChildren ? "/" + std::to_string(t->Placed) : "") + "\n";
    }
    FreeTreeShape(&shape);
    return out;
}

// The tool tests hold the sample's trees; here, what it does not have.
TEST(TreeShape, BuildsTheItemsAndTextsOfTheExampleTables) {
    const struct { DtbBuilder table; const char* shown; const char* hidden; } cases[] = {
        // A node with no children closes at once, even before its identifier, which is then counted under the node's
        // parent (at the top level, nowhere).
        {DtbBuilder().Top(3).Node(16, 0, -1).Text(5, "k").Scalar(0, 1), "k(-1)\t0/0\nk\t1\n1\t2\n", "k(-1)\t0/0\n1\t2\n"},
        {DtbBuilder().Top(2).Node(16, 3, 9).Node(16, 0, 3).Text(5, "k").Scalar(0, 1).Scalar(0, 2),
         "(9)\t0/3\n  k(3)\t1/0\n  k\t2\n  1\t3\n2\t4\n", "(9)\t0/3\n  k(3)\t1/0\n  1\t3\n2\t4\n"},
        {DtbBuilder().Top(3).Node(17, 1, 1).Node(16, 0, 2).Text(5, "k").Scalar(0, 1),  // no room: counted further up
         "(1)\t0/1\n  k(2)\t1/0\nk\t2\n1\t3\n", "(1)\t0/1\n  k(2)\t1/0\n1\t3\n"},
        {DtbBuilder().Top(1).Node(19, 3, 4).Scalar(0, 1).Text(2, "f"), "(4)\t0/2\n  1\t1\n  f\t2\n", "(4)\t0/2\n  1\t1\n  f\t2\n"},
    };
    TestDocument doc;
    for (const auto& c : cases) {
        doc.Load(c.table);
        EXPECT_EQ(Outline(doc, true) + "|" + Outline(doc, false), c.shown + std::string("|") + c.hidden);
    }
    doc->Chunks[2].Type = 3;  // an unknown type: no item, not counted, a fault (and the node left short another)
    EXPECT_EQ(Outline(doc, true) + std::to_string(CheckTreeCounts(doc.get(), nullptr, nullptr)), "(4)\t0/1\n  1\t1\n2");
    // Texts are cut to the buffer; a node's number always shows, and its identifier stops at its first zero byte, as
    // the label is a C text.
    doc.Load(DtbBuilder().Top(2).Node(16, 1, INT32_MIN).Text(5, std::string(3000, 'n')).Node(16, 1, 5)
                 .Text(5, std::string("ab\0cd", 5)));
    char text[kTextSize];
    const struct { int32_t chunk; size_t size; int32_t length; std::string text; } cuts[] = {
        {0, sizeof text, 3013, std::string(2047 - 13, 'n') + "(-2147483648)"}, {2, 4, 5, "(5)"}, {2, 3, 5, "(5"},
        {2, 6, 5, "ab(5)"}, {1, 3, 3000, "nn"}};
    for (const auto& c : cuts)
        EXPECT_EQ(std::to_string(FormatTreeItemText(doc.get(), c.chunk, text, c.size)) + text, std::to_string(c.length) + c.text);
    DtbBuilder chain = DtbBuilder().Top(1);  // a chain deeper than any stack would take, each node named
    for (int32_t i = 0; i < 300000; ++i) chain.Node(16, 2, i).Text(5, "");
    doc.Load(chain.Scalar(0, 1));
    TreeShape shape = {};
    ASSERT_EQ(BuildTreeShape(doc.get(), false, &shape), 0);
    EXPECT_EQ(std::to_string(shape.Items[300000].Depth) + " " + std::to_string(shape.Items[300000].Parent) + " " +
                  std::to_string(SubtreeEnd(doc.get(), 0)) + " " + std::to_string(ParentOfChunk(doc.get(), 600000)),
              "300000 599998 600001 599998");
    FreeTreeShape(&shape);
}
