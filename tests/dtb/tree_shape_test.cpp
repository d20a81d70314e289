#include <gtest/gtest.h>
#include "display_text.h"
#include "dtb_kit.h"
#include "tree_check.h"
#include "tree_edit.h"
#include "tree_shape.h"

// An unknown type has no item and is not counted, so its node is left short; texts are cut to the buffer, a node's
// number always shows, and its identifier stops at its first zero byte, as the label is a C text. The tool tests hold
// the sample's trees, the random edits every other shape.
TEST(TreeShape, ItemsAndTheirTexts) {
    TestDocument doc;
    doc.Load(DtbBuilder().Top(1).Node(19, 3, 4).Scalar(0, 1).Text(2, "f"));
    doc->Chunks[2].Type = 3;
    TreeShape shape = {};
    ASSERT_EQ(BuildTreeShape(doc.get(), true, &shape), 0);
    EXPECT_EQ(Joined(shape.ItemCount(), shape.Items[0].Placed, CheckTreeCounts(doc.get(), nullptr, nullptr)), "2 1 2");
    FreeTreeShape(&shape);
    DtbBuilder named = DtbBuilder().Top(2).Node(16, 1, INT32_MIN).Text(5, std::string(3000, 'n'));
    doc.Load(named.Node(16, 1, 5).Text(5, std::string("ab\0cd", 5)));
    char text[kTextSize];
    const struct {
        int32_t chunk;
        size_t size;
        int32_t length;
        std::string text;
    } cuts[] = {{0, sizeof text, 3013, std::string(2047 - 13, 'n') + "(-2147483648)"},
                {2, 4, 5, "(5)"},
                {2, 3, 5, "(5"},
                {2, 6, 5, "ab(5)"},
                {1, 3, 3000, "nn"}};
    for (const auto& c : cuts)
        EXPECT_EQ(std::to_string(FormatTreeItemText(doc.get(), c.chunk, text, c.size)) + text,
                  std::to_string(c.length) + c.text);
    DtbBuilder chain = DtbBuilder().Top(1);  // a chain deeper than any stack would take, each node named
    for (int32_t i = 0; i < 300000; ++i) chain.Node(16, 2, i).Text(5, "");
    doc.Load(chain.Scalar(0, 1));
    ASSERT_EQ(BuildTreeShape(doc.get(), false, &shape), 0);
    EXPECT_EQ(Joined(shape.Items[300000].Depth, shape.Items[300000].Parent, SubtreeEnd(doc.get(), 0),
                     ParentOfChunk(doc.get(), 600000)),
              "300000 599998 600001 599998");
    FreeTreeShape(&shape);
}
