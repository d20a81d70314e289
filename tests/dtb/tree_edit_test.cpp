#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include "chunk_types.h"
#include "clipboard_block.h"
#include "dtb_kit.h"
#include "tree_check.h"
#include "text_convert.h"
#include "tree_edit.h"
#include "tree_shape.h"

using Rows = std::vector<std::string>;

// 0 R(2) [1 A(1) [2 seven], 3 nine], 4 ten: each insertion where its location puts it (Under over After over Before),
// built from its text, counted once by its parent; one refused for its text or place, or failing, changes nothing.
TEST(TreeEdit, InsertPlacesTheChunkAndCountsItOnce) {
    TestAllocator alloc;
    TestDocument doc(alloc.Blocks());
    EXPECT_EQ(Joined(InsertNewChunk(doc.get(), -1, -1, 0, true, 0, "5"), OfferedLocations(doc.get(), -1)), "0 0");
    EXPECT_EQ(doc.Rows(), Rows({"0:05 00 00 00", "header 00 01 00 00 00 00 00"}));
    doc.Load(DtbBuilder().Top(2).Node(16, 2, 0).Node(16, 1, 1).Scalar(0, 7).Scalar(0, 9).Scalar(0, 10));
    EXPECT_EQ(Joined(OfferedLocations(doc.get(), 0), OfferedLocations(doc.get(), 4), OfferedLocations(doc.get(), 5)),
              "7 3 0");
    const struct {
        int32_t selected, parent;
        uint32_t location, type;
        const char* text;
        int32_t index;
    } steps[] = {{2, 1, LocationAfter, 1, "2.5", 3},
                 {0, -1, LocationAfter, 8, "DE AD", 5},
                 {6, -1, LocationAfter, 33, "a\r\nb\r", 7},
                 {0, -1, LocationUnder | LocationAfter, 17, "-4", 1},
                 {2, 0, LocationBefore | LocationAfter, 5, "", 5},
                 {2, 0, LocationBefore, 0, "0x1F", 2},
                 {2, 1, LocationUnder, 0, "1", -1},
                 {99, -1, LocationBefore, 0, "1", -1},
                 {-2, -1, LocationBefore, 0, "1", -1},
                 {2, 2, LocationBefore, 0, "1", -1},
                 {2, 3, LocationBefore, 0, "1", -1},
                 {0, 0, LocationUnder, 0, "1", -1},
                 {0, -1, 1, 0, "1 2", -1},
                 {0, -1, 1, 1, "abc", -1},
                 {0, -1, 1, 9, "ZZ 1", -1},
                 {0, -1, 1, 16, "1.5", -1},
                 {0, -1, 1, 3, "1", -1},
                 {0, -1, 1, 36, "1", -1},
                 {0, -1, 1, 20, "1", -1}};
    for (const auto& s : steps)
        EXPECT_EQ(InsertNewChunk(doc.get(), s.selected, s.parent, s.location, true, s.type, s.text), s.index) << s.text;
    const Rows rows = {"16:05 00 00 00 00 00", "17:00 00 FC FF FF FF", "0:1F 00 00 00", "16:02 00 01 00 00 00",
                       "0:07 00 00 00",        "1:00 00 20 40",        "5:''",          "0:09 00 00 00",
                       "8:DE AD 00 00",        "0:0A 00 00 00",        "33:'a\nb'",     "header 00 04 00 00 00 00 00"};
    EXPECT_EQ(doc.Rows(), rows);
    alloc.failFrom = alloc.resizes;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 5, std::string(5000, 'x').c_str()), -1);
    doc->ChunkCount = doc->ChunkCapacity - 4;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 32, "t"), -1);
    doc->ChunkCount = 11;
    EXPECT_EQ(doc.Rows(), rows);
    EXPECT_EQ(doc.log(), "0:Could not allocate memory.\n0:Could not allocate memory.\n");
    uint8_t value[4] = {1, 2, 3, 4};  // only scalars have scalar text
    EXPECT_FALSE(ReadScalarText(16, "1", value) || ReadScalarText(5, "1", value) || ReadU32(value) != 0x04030201u);
}

// 0 R(2) [1 A(2) [2 x, 3 B(1) [4 y]], 5 z], 6 last(1) [7 w]: the span goes, and one from its parent's count.
TEST(TreeEdit, RemoveTakesTheSubtreeAndOneCount) {
    TestDocument doc;
    DtbBuilder b;
    b.Top(2).Node(16, 2, 0).Node(16, 2, 1).Text(5, "x").Node(16, 1, 2).Text(5, "y").Text(5, "z");
    doc.Load(b.Node(16, 1, 3).Scalar(0, 4));
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, 0, true), 1);  // A, x, B and y
    for (const auto& refused : {std::pair<int32_t, int32_t>{2, 1}, {4, -1}, {-1, -1}, {1, 1}, {1, 2}})
        EXPECT_EQ(RemoveSubtree(doc.get(), refused.first, refused.second, true), -1);
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, -1, true), 2);  // the last top-level node: to the end
    EXPECT_EQ(doc.Rows(), Rows({"16:01 00 00 00 00 00", "5:'z'", "header 00 01 00 00 00 00 00"}));
    EXPECT_EQ(Joined(doc->PoolUsed, doc->Modified), "3 1");  // the pool keeps what went
    doc.Load(DtbBuilder().Top(1).Node(16, 0, 0).Scalar(0, 2));
    EXPECT_EQ(Joined(AdjustParentCount(doc.get(), 0, -1), AdjustParentCount(doc.get(), 1, 1),
                     AdjustParentCount(doc.get(), 2, 1)),
              "0 -1 -1");
    EXPECT_EQ(AdjustParentCount(doc.get(), -1, 65534), 0);
    EXPECT_EQ(AdjustParentCount(doc.get(), -1, 1), -1);  // full, and said so of the top level
    EXPECT_EQ(doc.log(), "1:The top level already holds 65535 chunks; no more can be added.\n");
    EXPECT_EQ(Joined(ParentCount(doc.get(), -1), ParentCount(doc.get(), 0)), "65535 0");
    EXPECT_EQ(Joined(SubtreeEnd(doc.get(), -1), SubtreeEnd(doc.get(), 2), ParentOfChunk(doc.get(), -1),
                     ParentOfChunk(doc.get(), 2), ParentOfChunk(doc.get(), doc->ChunkCount)),
              "2 2 -1 -1 -1");                                  // past the table: no parent
    doc.Load(DtbBuilder().Top(1).Node(16, 2, 0).Scalar(0, 1));  // a node still owed a child
    EXPECT_EQ(ParentOfChunk(doc.get(), 2), -1);
}

// What the user sees as one item goes and moves as one: a node keeps the identifier that names it, and with
// identifiers hidden a childless node takes the identifier folded into its label along, when its parent counts it.
TEST(TreeEdit, EditsKeepWhatTheTreeShows) {
    TestDocument doc;
    // 0 window(2) [1 "window", 2 five], 3 empty(0), 4 "empty" (counted at the top), 5 six
    doc.Load(
        DtbBuilder().Top(4).Node(17, 2, 2).Text(5, "window").Scalar(0, 5).Node(16, 0, 3).Text(5, "empty").Scalar(0, 6));
    auto span = [&](int32_t i, bool shown) {  // the end of what the tree shows as the item, and its units
        int32_t units = 0, end = ShownSpanEnd(doc.get(), i, shown, &units);
        return Joined(end, units);
    };
    const std::pair<int32_t, bool> spans[] = {{3, false}, {3, true}, {0, false}, {4, false}, {5, false}};
    const char* ends[] = {"5 2", "4 1", "3 1", "5 1", "6 1"};
    for (const auto& s : spans) EXPECT_EQ(span(s.first, s.second), ends[&s - spans]) << s.first;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, true, 0, "7"), 2);  // after the name
    EXPECT_EQ(doc.Rows()[0] + " " + doc.Rows()[1] + " " + doc.Rows()[2],
              "17:03 00 02 00 00 00 5:'window' 0:07 00 00 00");
    EXPECT_EQ(InsertNewChunk(doc.get(), 4, -1, LocationUnder, false, 0, "1"), 5);  // unnamed: the first place
    EXPECT_EQ(RemoveSubtree(doc.get(), 5, 4, true), 5);
    EXPECT_EQ(InsertNewChunk(doc.get(), 4, -1, LocationAfter, true, 0, "8"), 5);  // after the name when hidden only
    EXPECT_EQ(RemoveSubtree(doc.get(), 5, -1, true), 5);
    EXPECT_EQ(InsertNewChunk(doc.get(), 4, -1, LocationAfter, false, 0, "8"), 6);
    EXPECT_EQ(RemoveSubtree(doc.get(), 4, -1, false), 4);  // the node and its name: two from the top level
    EXPECT_EQ(doc.Rows().back(), "header 00 03 00 00 00 00 00");
    doc.Load(DtbBuilder().Top(2).Node(16, 0, 7).Text(5, "gone"));
    doc->ChunkCount = 1;  // a name beyond the table is none
    char label[8];
    int32_t index = 0, parent = 0;
    EXPECT_EQ(span(0, false) + " " + std::to_string(FormatTreeItemText(doc.get(), 0, label, 8)), "1 1 3");
    WriteU16(doc->Chunks[0].Value, 1);  // a node with a child, cut short: Under is its first place still
    ASSERT_EQ(ChooseTarget(doc.get(), 0, -1, LocationUnder, true, &index, &parent), 0);
    EXPECT_EQ(Joined(index, parent, ChooseTarget(doc.get(), 1, -1, LocationAfter, true, &index, &parent)),
              "1 0 -1");  // a chunk beyond the table is no target
    // The last child of a full parent: its hidden name is counted further up, and stays.
    doc.Load(DtbBuilder().Top(2).Node(16, 1, 0).Node(16, 0, 1).Text(5, "top"));
    EXPECT_EQ(span(1, false), "2 1");
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, 0, false), 1);
    EXPECT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
}

// The tree's links against the table's own walks: the subtree end is the sibling walk's (the next sibling, else the
// parent's next sibling...), the parent the item's.
static void ExpectShapeAgrees(TestDocument& doc, bool shown) {
    TreeShape shape = {};
    ASSERT_EQ(BuildTreeShape(doc.get(), shown, &shape), 0);
    int32_t topLevel = 0, last = -1;
    for (int32_t c = 0; c < doc->ChunkCount; ++c) {
        const int32_t item = ItemOfChunk(&shape, c), end = SubtreeEnd(doc.get(), c);
        ASSERT_EQ(item == -1, !shown && c > 0 && doc.chunk(c).Type == 5 && IsNodeType(doc.chunk(c - 1).Type));
        if (item == -1) continue;  // a hidden identifier
        const TreeItem& t = shape.Items[item];
        ASSERT_EQ(item * 2 + t.HasChildren, ++last * 2 + IsNodeType(doc.chunk(c).Type));
        ASSERT_EQ(ParentOfChunk(doc.get(), c), t.Parent);
        ASSERT_EQ(t.Parent, t.ParentItem == -1 ? -1 : shape.Items[t.ParentItem].Chunk);
        ASSERT_EQ(t.FirstChild,
                  item + 1 < shape.ItemCount() && shape.Items[item + 1].ParentItem == item ? item + 1 : -1);
        if (t.HasChildren && end < doc->ChunkCount) {
            ASSERT_EQ(t.Placed, ChildCountOf(doc.chunk(c)));
        }
        topLevel += t.Parent == -1;
        int32_t walk = item;
        while (walk != -1 && shape.Items[walk].NextSibling == -1) walk = shape.Items[walk].ParentItem;
        walk = walk == -1 ? doc->ChunkCount : shape.Items[shape.Items[walk].NextSibling].Chunk;
        if (walk == end) continue;  // else only where an empty node's identifier is hidden
        ASSERT_EQ(Joined(ItemOfChunk(&shape, end), ChildCountOf(doc.chunk(end - 1)), shown), "-1 0 0");
        ASSERT_EQ(walk, std::min(end + 1, doc->ChunkCount));
    }
    EXPECT_EQ(Joined(shape.ItemCount(), shape.TopLevelCount), Joined(last + 1, topLevel));
    FreeTreeShape(&shape);
}

// Random trees, some left short, agree with their tree; random edits, identifiers shown or hidden, keep it so and the
// counts true. A paste gives the copied rows, and taking it out gives the table back.
TEST(TreeEdit, RandomEditsKeepTheTreeAndItsCounts) {
    static const uint32_t kTypes[] = {0, 1, 2, 5, 6, 7, 8, 9, 16, 17, 18, 19, 32, 33, 34, 35};
    std::mt19937 rng(11);
    TestDocument doc;
    for (int round = 0; round < 120; ++round) {
        DtbBuilder b = RandomTree(rng, 1 + static_cast<int32_t>(rng() % 40));
        if (round % 4 == 1) b.Node(16, 300, 0);  // a node left short at the end
        doc.Load(b);
        if (round % 4 == 3) doc->ChunkCount -= static_cast<int32_t>(rng() % doc->ChunkCount);  // more left short
        for (int step = 0; step < (round % 2 ? 2 : 12); ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
            const bool shown = rng() % 2;
            ExpectShapeAgrees(doc, shown);
            if (round % 2) continue;
            auto item = [&](int32_t i) {  // a hidden identifier has no item: its node's is taken
                return i > 0 && !shown && doc.chunk(i).Type == 5 && IsNodeType(doc.chunk(i - 1).Type) ? i - 1 : i;
            };
            int32_t selected = item(doc->ChunkCount && rng() % 8 ? static_cast<int32_t>(rng() % doc->ChunkCount) : -1);
            int32_t source = item(doc->ChunkCount ? static_cast<int32_t>(rng() % doc->ChunkCount) : -1);
            int32_t parent = ParentOfChunk(doc.get(), selected);
            uint32_t location = 1u << (rng() % 3), action = source == -1 ? 0 : rng() % 3;
            if (!(OfferedLocations(doc.get(), selected) & location)) location = LocationBefore;
            if (action == 0) {
                ASSERT_GE(InsertNewChunk(doc.get(), selected, parent, location, shown, kTypes[rng() % 16], "70"), 0);
            } else if (action == 1) {
                ASSERT_EQ(RemoveSubtree(doc.get(), source, ParentOfChunk(doc.get(), source), shown), source);
            } else {
                int32_t units = 0, count = ShownSpanEnd(doc.get(), source, shown, &units) - source;
                std::vector<uint8_t> block(size_t(ClipboardBlockSize(doc.get(), source, count)));
                WriteClipboardBlock(doc.get(), source, count, block.data());
                const Rows before = doc.Rows(), copied(before.begin() + source, before.begin() + source + count);
                int32_t index =
                    PasteClipboardBlock(doc.get(), block.data(), block.size(), selected, parent, location, shown);
                const Rows after = doc.Rows();
                ASSERT_GE(index, 0);
                EXPECT_EQ(Rows(after.begin() + index, after.begin() + index + count), copied);
                if (rng() % 2) {
                    ASSERT_EQ(RemoveSubtree(doc.get(), index, ParentOfChunk(doc.get(), index), shown), index);
                }
                if (doc->ChunkCount == int32_t(before.size()) - 1) {
                    EXPECT_EQ(doc.Rows(), before);
                }
            }
            ASSERT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
        }
    }
}
