#include <gtest/gtest.h>

#include "clipboard_block.h"
#include "table_fixture.h"
#include "tree_check.h"
#include "tree_edit.h"

namespace {

std::vector<uint8_t> Block(const TestDocument& doc, int32_t first) {
    int32_t count = SubtreeEnd(&doc.state, first) - first;
    std::vector<uint8_t> block(static_cast<size_t>(ClipboardBlockSize(&doc.state, first, count)));
    WriteClipboardBlock(&doc.state, first, count, block.data());
    return block;
}

std::string Text(const TestDocument& doc, int32_t first) {
    int32_t count = SubtreeEnd(&doc.state, first) - first;
    std::vector<char> text(static_cast<size_t>(ClipboardTextSize(&doc.state, first, count)));
    EXPECT_EQ(WriteClipboardText(&doc.state, first, count, text.data(), text.size()), 0);
    EXPECT_EQ(std::strlen(text.data()) + 1, text.size());
    return text.data();
}

int32_t Paste(TestDocument& doc, const std::vector<uint8_t>& block, int32_t selected, int32_t parent,
              uint32_t location) {
    return PasteClipboardBlock(doc.get(), block.data(), block.size(), selected, parent, location);
}

std::vector<std::string> RowRange(const TestDocument& doc, int32_t first, int32_t count) {
    std::vector<std::string> rows = Rows(doc);
    return std::vector<std::string>(rows.begin() + first, rows.begin() + first + count);
}

}  // namespace

TEST(ClipboardBlock, HoldsTheSpanInExactBytesAndText) {
    TestDocument doc;
    Fill(doc, {I(5)}, 1);
    EXPECT_EQ(Block(doc, 0), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}));
    EXPECT_EQ(Text(doc, 0), "Integer(0x00): 5\r\n");

    Fill(doc, {N(2, 7), S("abc"), S("", 32), I(1)}, 2);
    std::vector<uint8_t> block = Block(doc, 0);
    EXPECT_EQ(block.size(), 33u);
    EXPECT_EQ(ReadU32(block.data()), 3u);
    EXPECT_EQ(ReadU16(block.data() + 8), 2);
    EXPECT_EQ(Text(doc, 0), "Node(0x10): 02 00 07 00 00 00\r\nString(0x05): abc\r\nString(0x20): \r\n");

    // The last top-level node takes everything to the end; lines are never cut.
    Fill(doc, {I(1), N(1, 0), N(1, 0), S(std::string(3000, 't'))}, 2);
    EXPECT_EQ(ReadU32(Block(doc, 1).data()), 3u);
    EXPECT_EQ(Text(doc, 3), "String(0x05): " + std::string(3000, 't') + "\r\n");
    char small[8];
    EXPECT_EQ(WriteClipboardText(doc.get(), 3, 1, small, sizeof small), -1);
}

TEST(ClipboardBlock, RefusesAnythingButOneCompleteSubtree) {
    TestDocument doc;
    Fill(doc, {N(1, 0), I(1)}, 1);
    std::vector<std::string> before = Rows(doc);
    DtbBuilder good;
    good.U32(2).Node(16, 1, 3).Text(32, "xyz");
    std::vector<std::vector<uint8_t>> refused = {
        {1, 0},
        DtbBuilder().U32(0).plain,
        std::vector<uint8_t>(good.plain.begin(), good.plain.end() - 1),
        DtbBuilder(good).U32(0).plain,                                   // bytes left over
        DtbBuilder().U32(1).U32(3).U32(0).plain,                         // unknown type
        DtbBuilder().U32(2).Node(16, 2, 0).Scalar(0, 1).plain,           // the node wants more
        DtbBuilder().U32(2).Scalar(0, 1).Scalar(0, 2).plain,             // two top-level chunks
        DtbBuilder().U32(3).Scalar(0, 1).Node(16, 2, 0).Scalar(0, 2).plain,  // ...that even add up
        DtbBuilder().U32(1).Node(16, 1, 0).Scalar(0, 1).plain,           // the count stops short
        DtbBuilder().U32(3).Scalar(0, 1).plain,                          // entries past the end
        DtbBuilder().U32(1).U32(5).U32(0xFFFFFFFFu).plain,               // a payload past the end
    };
    for (const std::vector<uint8_t>& block : refused) {
        int32_t count = 0;
        EXPECT_EQ(CheckClipboardBlock(block.data(), block.size(), &count), -1);
        EXPECT_EQ(Paste(doc, block, 0, -1, LocationAfter), kBlockRefused);
    }
    EXPECT_EQ(Rows(doc), before);
    EXPECT_TRUE(doc.messages.empty());
    int32_t count = 0;
    EXPECT_EQ(CheckClipboardBlock(good.plain.data(), good.plain.size(), &count), 0);
    EXPECT_EQ(count, 2);
}

TEST(ClipboardBlock, PastePlacesTheRunAndCountsOneChunk) {
    TestDocument doc;
    const std::vector<uint8_t> three = DtbBuilder().U32(3).Node(17, 2, 4).Text(5, "id").Text(32, "abc").plain;
    EXPECT_EQ(Paste(doc, three, -1, -1, 0), 0);  // empty table: the run is the table
    EXPECT_EQ(Rows(doc), (std::vector<std::string>{"17:02 00 04 00 00 00", "5:'id'", "32:'abc'",
                                                   "header 00 01 00 00 00 00 00"}));
    EXPECT_EQ(doc.chunk(2).SlotLength, 3);
    EXPECT_EQ(doc->PoolUsed, 5);

    // 0 R(3) [1 a, 2 B(1) [3 x], 4 c], 5 d
    Fill(doc, {N(3, 0), I(1), N(1, 2), I(3), I(4), I(5)}, 2);
    EXPECT_EQ(Paste(doc, three, -1, -1, 0), 6);  // nothing selected: a new last top-level chunk
    EXPECT_EQ(TopLevelCountOf(doc.state), 3);
    EXPECT_EQ(Paste(doc, three, 2, 0, LocationOnly | LocationUnder), 3);
    EXPECT_EQ(ChildCountOf(doc.chunk(2)), 2);  // one more child, not three
    EXPECT_EQ(Paste(doc, three, 2, 0, LocationOnly | LocationAfter), 7);  // behind B's subtree
    EXPECT_EQ(ChildCountOf(doc.chunk(0)), 4);
    EXPECT_EQ(Paste(doc, three, 1, 0, LocationOnly | LocationBefore), 1);
    EXPECT_EQ(ChildCountOf(doc.chunk(0)), 5);
    EXPECT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);

    // Each paste copies the payloads anew.
    const uint8_t edit[] = {'Z'};
    ReplacePayload(doc.get(), 3, edit, 1);
    EXPECT_EQ(doc.payload(3), "Z");
    EXPECT_EQ(doc.payload(8), "abc");

    // A full parent takes nothing.
    Fill(doc, {N(65535, 0), I(1)}, 1);
    std::vector<std::string> before = Rows(doc);
    EXPECT_EQ(Paste(doc, three, 0, -1, LocationUnder), -1);
    EXPECT_EQ(doc.messages.back().text, kParentFullMessage);
    EXPECT_EQ(Rows(doc), before);
}

TEST(ClipboardBlock, FailedGrowthLeavesTheDocumentAsItWas) {
    TestDocument doc;
    Fill(doc, {N(1, 0), I(1), S(std::string(4000, 'p'))}, 2);  // the pool is nearly full
    std::vector<ChunkRecord> records(doc->Chunks, doc->Chunks + doc->ChunkCount);
    std::vector<std::string> before = Rows(doc);
    int32_t used = doc->PoolUsed;
    const std::vector<uint8_t> block =
        DtbBuilder().U32(3).Node(16, 2, 0).Text(5, "abc").Text(32, std::string(200, 'q')).plain;
    {
        FailingGrowth failing;
        EXPECT_EQ(Paste(doc, block, 0, -1, LocationUnder), -1);  // fails at the third entry
    }
    EXPECT_EQ(doc.messages.back().text, "Could not allocate memory.");
    EXPECT_EQ(Rows(doc), before);
    EXPECT_EQ(doc->PoolUsed, used);
    EXPECT_EQ(std::memcmp(records.data(), doc->Chunks, records.size() * sizeof(ChunkRecord)), 0);

    // The table has room for four more records, the run needs five.
    for (int i = 0; i < 249; ++i) Append(doc, I(i));
    before = Rows(doc);
    const std::vector<uint8_t> five =
        DtbBuilder().U32(5).Node(16, 4, 0).Scalar(0, 1).Scalar(0, 2).Scalar(0, 3).Scalar(0, 4).plain;
    FailingGrowth failing;
    EXPECT_EQ(Paste(doc, five, 0, -1, LocationBefore), -1);
    EXPECT_EQ(Rows(doc), before);
}

TEST(ClipboardBlock, CopyThenPasteGivesTheSubtreeAndRemoveUndoesIt) {
    std::mt19937 rng(3);
    TestDocument doc;
    for (int round = 0; round < 300; ++round) {
        FillRandomTree(doc, rng, 1 + static_cast<int32_t>(rng() % 30));
        int32_t source = static_cast<int32_t>(rng() % doc->ChunkCount);
        int32_t count = SubtreeEnd(doc.get(), source) - source;
        std::vector<uint8_t> block = Block(doc, source);
        std::vector<std::string> copied = RowRange(doc, source, count);
        std::vector<std::string> before = Rows(doc);

        int32_t selected = rng() % 8 ? static_cast<int32_t>(rng() % doc->ChunkCount) : -1;
        int32_t parent = ParentOfChunk(doc.get(), selected);
        uint32_t location = 1u << (rng() % 3);
        if (!(OfferedLocations(doc.get(), selected) & location)) location = LocationAfter;
        int32_t index = Paste(doc, block, selected, parent, location | LocationOnly);
        ASSERT_GE(index, 0);
        EXPECT_EQ(RowRange(doc, index, count), copied);
        EXPECT_EQ(SubtreeEnd(doc.get(), index), index + count);
        EXPECT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
        EXPECT_EQ(RemoveSubtree(doc.get(), index, ParentOfChunk(doc.get(), index)), index);
        EXPECT_EQ(Rows(doc), before);
    }
}
