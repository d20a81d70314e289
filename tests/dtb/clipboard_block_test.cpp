#include <gtest/gtest.h>

#include "clipboard_block.h"
#include "test_support.h"
#include "tree_check.h"
#include "tree_edit.h"

namespace {

std::vector<uint8_t> Block(TestDocument& doc, int32_t first) {
    int32_t count = SubtreeEnd(doc.get(), first) - first;
    std::vector<uint8_t> block(static_cast<size_t>(ClipboardBlockSize(doc.get(), first, count)));
    WriteClipboardBlock(doc.get(), first, count, block.data());
    return block;
}

std::string Text(TestDocument& doc, int32_t first) {
    int32_t count = SubtreeEnd(doc.get(), first) - first;
    std::vector<char> text(static_cast<size_t>(ClipboardTextSize(doc.get(), first, count)));
    EXPECT_EQ(WriteClipboardText(doc.get(), first, count, text.data(), text.size()), 0);
    EXPECT_EQ(std::strlen(text.data()) + 1, text.size());
    return text.data();
}

int32_t Paste(TestDocument& doc, const std::vector<uint8_t>& block, int32_t selected, int32_t parent,
              uint32_t location) {
    return PasteClipboardBlock(doc.get(), block.data(), block.size(), selected, parent, location, true);
}

}  // namespace

TEST(ClipboardBlock, HoldsTheSpanInExactBytesAndText) {
    TestDocument doc;
    doc.Load(DtbBuilder().Top(1).Scalar(0, 5));
    EXPECT_EQ(Block(doc, 0), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}));
    EXPECT_EQ(Text(doc, 0), "Integer(0x00): 5\r\n");

    doc.Load(DtbBuilder().Top(2).Node(16, 2, 7).Text(5, "abc").Text(32, "").Scalar(0, 1));
    EXPECT_EQ(Block(doc, 0), DtbBuilder().U32(3).Node(16, 2, 7).Text(5, "abc").Text(32, "").plain);  // 33 bytes
    EXPECT_EQ(Text(doc, 0), "Node(0x10): 02 00 07 00 00 00\r\nString(0x05): abc\r\nString(0x20): \r\n");

    // Lines are never cut.
    doc.Load(DtbBuilder().Top(1).Text(5, std::string(3000, 't')));
    EXPECT_EQ(Text(doc, 0), "String(0x05): " + std::string(3000, 't') + "\r\n");
    char small[8];
    EXPECT_EQ(WriteClipboardText(doc.get(), 0, 1, small, sizeof small), -1);
}

TEST(ClipboardBlock, RefusesAnythingButOneItemOfTheTree) {
    TestDocument doc;
    doc.Load(DtbBuilder().Top(1).Node(16, 1, 0).Scalar(0, 1));
    std::vector<std::string> before = doc.Rows();
    DtbBuilder good;
    good.U32(2).Node(16, 1, 3).Text(32, "xyz");
    const std::vector<std::vector<uint8_t>> refused = {
        {1, 0}, DtbBuilder().U32(0).plain, std::vector<uint8_t>(good.plain.begin(), good.plain.end() - 1),
        DtbBuilder(good).U32(0).plain,                                   // bytes left over
        DtbBuilder().U32(1).U32(3).U32(0).plain,                         // unknown type
        DtbBuilder().U32(2).Node(16, 2, 0).Scalar(0, 1).plain,           // the node wants more
        DtbBuilder().U32(3).Scalar(0, 1).Node(16, 2, 0).Scalar(0, 2).plain,  // two top-level chunks that add up
        DtbBuilder().U32(1).Node(16, 1, 0).Scalar(0, 1).plain,           // the count stops short
        DtbBuilder().U32(3).Scalar(0, 1).plain,                          // entries past the end
        DtbBuilder().U32(1).U32(5).U32(0xFFFFFFFFu).plain,               // a payload past the end
        DtbBuilder().U32(2).Node(16, 0, 0).Scalar(0, 1).plain,           // a childless node's second: no name
        DtbBuilder().U32(2).Scalar(0, 1).Text(5, "x").plain,             // a name after what is no node
        DtbBuilder().U32(3).Node(16, 0, 0).Text(5, "n").Text(5, "m").plain,  // one name only
    };
    for (const std::vector<uint8_t>& block : refused) EXPECT_EQ(Paste(doc, block, 0, -1, LocationAfter), kBlockRefused);
    EXPECT_EQ(doc.Rows(), before);
    EXPECT_TRUE(doc.messages.empty());
    EXPECT_EQ(Paste(doc, good.plain, 0, -1, LocationAfter), 2);
}

TEST(ClipboardBlock, PasteCountsOneChunkAndCopiesThePayloadsAnew) {
    TestDocument doc;
    const std::vector<uint8_t> three = DtbBuilder().U32(3).Node(17, 2, 4).Text(5, "id").Text(32, "abc").plain;
    EXPECT_EQ(Paste(doc, three, -1, -1, 0), 0);  // empty table: the run is the table
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"17:02 00 04 00 00 00", "5:'id'", "32:'abc'",
                                                    "header 00 01 00 00 00 00 00"}));
    EXPECT_EQ(doc.chunk(2).SlotLength, 3);

    // 0 R(3) [1 a, 2 B(1) [3 x], 4 c], 5 d
    doc.Load(DtbBuilder().Top(2).Node(16, 3, 0).Scalar(0, 1).Node(16, 1, 2).Scalar(0, 3).Scalar(0, 4).Scalar(0, 5));
    EXPECT_EQ(Paste(doc, three, -1, -1, 0), 6);  // nothing selected: a new last top-level chunk
    EXPECT_EQ(Paste(doc, three, 2, 0, LocationOnly | LocationUnder), 3);
    EXPECT_EQ(Paste(doc, three, 1, 0, LocationOnly | LocationBefore), 1);
    EXPECT_EQ(doc.Rows()[0] + doc.Rows()[5] + doc.Rows().back(),  // each one more child, not three
              "16:04 00 00 00 00 00" "16:02 00 02 00 00 00" "header 00 03 00 00 00 00 00");
    EXPECT_EQ(doc->PoolUsed, 15);
    const uint8_t edit[] = {'Z'};
    ReplacePayload(doc.get(), 2, edit, 1);
    EXPECT_EQ(doc.payload(2) + doc.payload(7) + doc.payload(13), "Zidid");
}

// Insert and paste both refuse a parent that already holds 65535 chunks; a
// count of 0 does not wrap.
TEST(ClipboardBlock, FullCountsRefuseAndEmptyOnesDoNotWrap) {
    TestDocument doc;
    doc.Load(DtbBuilder().Header({0, 0xFF, 0xFF, 0, 0, 0, 0}).Node(16, 65535, 0).Scalar(0, 1));
    std::vector<std::string> before = doc.Rows();
    const std::vector<uint8_t> block = DtbBuilder().U32(1).Text(5, "pasted").plain;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, true, 5, "text"), -1);
    EXPECT_EQ(doc.last(), "This node already holds 65535 chunks; no more can be added.");
    EXPECT_EQ(doc.messages.back().kind, ReportInformation);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationAfter, true, 0, "1"), -1);  // the top level is full too
    EXPECT_EQ(Paste(doc, block, 0, -1, LocationUnder), -1);
    EXPECT_EQ(Paste(doc, block, -1, -1, 0), -1);
    EXPECT_EQ(AdjustParentCount(doc.get(), 0, +1), -1);
    EXPECT_EQ(doc.messages.size(), 5u);
    EXPECT_EQ(doc.Rows(), before);
    EXPECT_EQ(doc->PoolUsed, 0);

    doc.Load(DtbBuilder().Top(0).Node(16, 0, 0).Scalar(0, 1).Scalar(0, 2));
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, -1, true), 1);
    EXPECT_EQ(AdjustParentCount(doc.get(), 0, -1), 0);
    EXPECT_EQ(doc.Rows(),
              (std::vector<std::string>{"16:00 00 00 00 00 00", "0:02 00 00 00", "header 00 00 00 00 00 00 00"}));
    EXPECT_EQ(AdjustParentCount(doc.get(), 1, +1), -1);  // not a node
}

TEST(ClipboardBlock, FailedGrowthLeavesTheDocumentAsItWas) {
    TestDocument doc;
    doc.Load(DtbBuilder().Top(2).Node(16, 1, 0).Scalar(0, 1).Text(5, std::string(4000, 'p')));  // pool nearly full
    const std::vector<std::string> before = doc.Rows();
    DtbBuilder wide;  // more records than the table has room for
    wide.U32(253).Node(16, 252, 0);
    for (uint32_t i = 0; i < 252; ++i) wide.Scalar(0, i);
    TestAllocator failing(0);
    EXPECT_EQ(Paste(doc, wide.plain, 0, -1, LocationBefore), -1);
    EXPECT_EQ(doc.Rows(), before);
    // The pool fails at the third entry: the run is taken out again.
    const std::vector<uint8_t> block =
        DtbBuilder().U32(3).Node(16, 2, 0).Text(5, "abc").Text(32, std::string(200, 'q')).plain;
    EXPECT_EQ(Paste(doc, block, 0, -1, LocationUnder), -1);
    EXPECT_EQ(doc.last(), "Could not allocate memory.");
    EXPECT_EQ(doc.Rows(), before);
    EXPECT_EQ(doc->PoolUsed, 4000);
}

// Random inserts, removals and pastes of a copied subtree keep every count in
// agreement with the table; a paste gives the copied rows, and taking it out
// again gives the table back.
TEST(ClipboardBlock, RandomEditsAndPastesKeepTheCountsConsistent) {
    std::mt19937 rng(11);
    TestDocument doc;
    for (int round = 0; round < 60; ++round) {
        doc.Load(RandomTree(rng, 1 + static_cast<int32_t>(rng() % 30)));
        for (int step = 0; step < 12; ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
            int32_t selected = doc->ChunkCount && rng() % 8 ? static_cast<int32_t>(rng() % doc->ChunkCount) : -1;
            int32_t parent = ParentOfChunk(doc.get(), selected);
            uint32_t location = 1u << (rng() % 3);
            if (!(OfferedLocations(doc.get(), selected) & location)) location = LocationBefore;
            int32_t source = doc->ChunkCount ? static_cast<int32_t>(rng() % doc->ChunkCount) : -1;
            uint32_t action = rng() % 3;
            if (action == 0 || source == -1) {
                uint32_t type = kInsertTypeEntries[rng() % kInsertTypeCount].Type;
                ASSERT_GE(InsertNewChunk(doc.get(), selected, parent, location, true, type, "70"), 0);
            } else if (action == 1) {
                ASSERT_EQ(RemoveSubtree(doc.get(), source, ParentOfChunk(doc.get(), source), true), source);
            } else {
                int32_t count = SubtreeEnd(doc.get(), source) - source;
                std::vector<std::string> before = doc.Rows();
                int32_t index = Paste(doc, Block(doc, source), selected, parent, location | LocationOnly);
                ASSERT_GE(index, 0);
                std::vector<std::string> after = doc.Rows();
                EXPECT_EQ(std::vector<std::string>(after.begin() + index, after.begin() + index + count),
                          std::vector<std::string>(before.begin() + source, before.begin() + source + count));
                if (rng() % 2) {
                    ASSERT_EQ(RemoveSubtree(doc.get(), index, ParentOfChunk(doc.get(), index), true), index);
                    EXPECT_EQ(doc.Rows(), before);
                }
            }
            ASSERT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
        }
    }
}
