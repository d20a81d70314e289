#include <gtest/gtest.h>
#include "clipboard_block.h"
#include "dtb_kit.h"
#include "tree_edit.h"

static std::string Check(const std::vector<uint8_t>& block) {  // the answer, the records and the top-level entries
    int32_t count = 7, units = 7, result = CheckClipboardBlock(block.data(), block.size(), &count, &units);
    return Joined(result, count, units);
}

static int32_t Paste(TestDocument& doc, const std::vector<uint8_t>& block, int32_t selected, int32_t parent,
                     uint32_t at, bool shown = true) {
    return PasteClipboardBlock(doc.get(), block.data(), block.size(), selected, parent, at, shown);
}

// The block in exact bytes, and the text beside it, whose lines are never cut.
TEST(ClipboardBlock, HoldsTheSpanInExactBytesAndText) {
    TestDocument doc;
    doc.Load(
        DtbBuilder().Top(2).Node(16, 2, 7).Text(5, "abc").Text(32, "").Scalar(0, 1).Text(5, std::string(3000, 't')));
    const struct {
        int32_t first, count;
        std::vector<uint8_t> block;
        std::string text;
    } spans[] = {{0, 3, DtbBuilder().U32(3).Node(16, 2, 7).Text(5, "abc").Text(32, "").plain,
                  "Node(0x10): 02 00 07 00 00 00\r\nString(0x05): abc\r\nString(0x20): \r\n"},
                 {3, 1, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, "Integer(0x00): 1\r\n"},
                 {4, 1, DtbBuilder().U32(1).Text(5, std::string(3000, 't')).plain,
                  "String(0x05): " + std::string(3000, 't') + "\r\n"}};
    for (const auto& t : spans) {
        std::vector<uint8_t> block(static_cast<size_t>(ClipboardBlockSize(doc.get(), t.first, t.count)));
        WriteClipboardBlock(doc.get(), t.first, t.count, block.data());
        std::vector<char> text(static_cast<size_t>(ClipboardTextSize(doc.get(), t.first, t.count)), '#');
        EXPECT_EQ(WriteClipboardText(doc.get(), t.first, t.count, text.data(), text.size()), 0);
        EXPECT_EQ(block == t.block && text.size() == t.text.size() + 1 && text.data() == t.text, true) << t.first;
        EXPECT_EQ(WriteClipboardText(doc.get(), t.first, t.count, text.data(), text.size() - 1), -1);
    }
}

TEST(ClipboardBlock, RefusesAnythingButOneItemOfTheTree) {
    TestDocument doc;
    doc.Load(DtbBuilder().Top(1).Node(16, 1, 0).Scalar(0, 1));
    const DtbBuilder good = DtbBuilder().U32(2).Node(16, 1, 3).Text(32, "xyz");
    const std::vector<std::vector<uint8_t>> refused = {
        {1, 0},
        DtbBuilder().U32(0).plain,
        std::vector<uint8_t>(good.plain.begin(), good.plain.end() - 1),
        DtbBuilder(good).U32(0).plain,                                       // bytes left over
        DtbBuilder().U32(1).U32(3).U32(0).plain,                             // unknown type
        DtbBuilder().U32(2).Node(16, 2, 0).Scalar(0, 1).plain,               // the node wants more
        DtbBuilder().U32(3).Scalar(0, 1).Node(16, 2, 0).Scalar(0, 2).plain,  // two top-level chunks that add up
        DtbBuilder().U32(1).Node(16, 1, 0).Scalar(0, 1).plain,               // the count stops short
        DtbBuilder().U32(3).Scalar(0, 1).plain,                              // entries past the end
        DtbBuilder().U32(0x80000000u).Scalar(0, 1).plain,                    // a count beyond any table
        DtbBuilder().U32(1).U32(5).U32(0xFFFFFFFFu).plain,                   // a payload past the end
        DtbBuilder().U32(2).Node(16, 0, 0).Scalar(0, 1).plain,               // a childless node's second: no name
        DtbBuilder().U32(2).Scalar(0, 1).Text(5, "x").plain,                 // a name after what is no node
        DtbBuilder().U32(3).Node(16, 0, 0).Text(5, "n").Text(5, "m").plain,  // one name only
        DtbBuilder().U32(3).Node(16, 1, 0).Scalar(0, 1).Text(5, "m").plain,  // a name after a node with children
    };
    for (const std::vector<uint8_t>& block : refused) {
        EXPECT_EQ(Check(block), "-1 7 7") << &block - refused.data();
        EXPECT_EQ(Paste(doc, block, 0, -1, LocationAfter), kBlockRefused);
    }
    EXPECT_EQ(doc.log() + std::to_string(doc->ChunkCount) + std::to_string(doc->Modified), "20");
    EXPECT_EQ(Check(good.plain) + ", " + Check(DtbBuilder().U32(2).Node(16, 0, 0).Text(5, "name").plain),
              "0 2 1, 0 2 2");
}

// A paste adds its top-level entries to one count, and copies the payloads anew; refused with nothing changed where
// the parent is full or no room can be had, and whole once there is.
TEST(ClipboardBlock, PasteCountsOneItemAndCopiesThePayloadsAnew) {
    TestAllocator alloc;
    TestDocument doc(alloc.Blocks());
    const std::vector<uint8_t> three = DtbBuilder().U32(3).Node(17, 2, 4).Text(5, "id").Text(32, "abc").plain;
    // 0 R(3) [1 a, 2 B(1) [3 x], 4 c], 5 d
    doc.Load(DtbBuilder().Top(2).Node(16, 3, 0).Scalar(0, 1).Node(16, 1, 2).Scalar(0, 3).Scalar(0, 4).Scalar(0, 5));
    EXPECT_EQ(Paste(doc, three, -1, -1, 0), 6);  // nothing selected: a new last top-level chunk
    const std::vector<std::string> rows = doc.Rows();
    EXPECT_EQ(rows[6] + "|" + rows[7] + "|" + rows[8] + "|" + Joined(doc.chunk(8).SlotLength, doc->Modified),
              "17:02 00 04 00 00 00|5:'id'|32:'abc'|3 1");
    EXPECT_EQ(Paste(doc, three, 2, 0, LocationUnder), 3);
    EXPECT_EQ(Paste(doc, three, 1, 0, LocationBefore), 1);
    EXPECT_EQ(doc.Rows()[0] + "|" + doc.Rows()[5] + "|" + doc.Rows().back(),  // each one more child, not three
              "16:04 00 00 00 00 00|16:02 00 02 00 00 00|header 00 03 00 00 00 00 00");
    const uint8_t edit[] = {'Z'};
    ReplacePayload(doc.get(), 2, edit, 1);
    EXPECT_EQ(doc.payload(2) + "|" + doc.payload(7) + "|" + doc.payload(13) + "|" + std::to_string(doc->PoolUsed),
              "Z|id|id|15");
    EXPECT_EQ(Joined(Paste(doc, three, 4, 3, LocationUnder), Paste(doc, three, 4, 5, LocationBefore)),
              "-1 -1");  // no node; no parent

    doc.Load(DtbBuilder().Top(2).Node(16, 65534, 0).Scalar(0, 1).Text(5, std::string(4000, 'p')));  // pool nearly full
    const std::vector<std::string> before = doc.Rows();
    DtbBuilder wide = DtbBuilder().U32(253).Node(16, 252, 0);  // more records than the table has room for
    for (uint32_t i = 0; i < 252; ++i) wide.Scalar(0, i);
    alloc.failFrom = alloc.resizes;
    EXPECT_EQ(Paste(doc, wide.plain, 0, -1, LocationBefore), -1);
    const std::vector<uint8_t> block =
        DtbBuilder().U32(3).Node(16, 2, 0).Text(5, "abc").Text(32, std::string(200, 'q')).plain;
    EXPECT_EQ(Paste(doc, block, 0, -1, LocationUnder), -1);  // the pool fails at the third entry: the run goes again
    EXPECT_EQ(Paste(doc, DtbBuilder().U32(2).Node(16, 0, 0).Text(5, "n").plain, 0, -1, LocationUnder), -1);  // 2 units
    EXPECT_EQ(doc.Rows(), before);
    const std::string oom = "0:Could not allocate memory.\n";
    EXPECT_EQ(doc.log() + std::to_string(doc->PoolUsed), oom + oom + "1:" + kParentFullMessage + "\n4000");
    alloc.failFrom = -1;
    EXPECT_EQ(Paste(doc, block, 0, -1, LocationUnder), 1);
    EXPECT_EQ(doc.payload(3) + doc.Rows()[0], std::string(200, 'q') + "16:FF FF 00 00 00 00");
}
