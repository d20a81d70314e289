#include <gtest/gtest.h>

#include "test_support.h"
#include "text_convert.h"
#include "tree_check.h"
#include "tree_edit.h"
#include "clipboard_block.h"

TEST(TreeEdit, GuardsRefuseInTheirOrder) {
    TestDocument doc;
    doc->ShowAsTree = 1;
    doc->ShowIdentifiers = 1;
    EXPECT_EQ(CheckInsertAllowed(doc.get(), -1), 0);  // empty table: no selection needed
    EXPECT_EQ(CheckRemoveAllowed(doc.get(), -1), -1);
    EXPECT_EQ(doc.last(), "Please select a chunk before continuing.");
    EXPECT_EQ(OfferedLocations(doc.get(), -1), 0u);

    doc.Load(DtbBuilder().Top(1).Node(16, 1, 1).Scalar(0, 5));
    EXPECT_EQ(CheckInsertAllowed(doc.get(), -1), -1);
    EXPECT_EQ(doc.last(), doc.messages[0].text);
    doc->ShowIdentifiers = 0;
    EXPECT_EQ(CheckRemoveAllowed(doc.get(), 1), -1);
    EXPECT_EQ(doc.last(), "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.");
    doc->ShowAsTree = 0;
    EXPECT_EQ(CheckInsertAllowed(doc.get(), -1), -1);
    EXPECT_EQ(doc.last(), "Due to the DTB file tree format, all inserting must be done in Tree View. Please switch to "
                          "Tree View before inserting.");
    EXPECT_EQ(doc.messages.back().kind, ReportInformation);

    EXPECT_EQ(OfferedLocations(doc.get(), 0), LocationBefore | LocationAfter | LocationUnder);
    EXPECT_EQ(OfferedLocations(doc.get(), 1), LocationBefore | LocationAfter);
    int32_t index = 0, parent = 0;
    EXPECT_EQ(ChooseTarget(doc.get(), 1, 0, LocationUnder, true, &index, &parent), -1);
}

TEST(TreeEdit, InsertPlacesTheChunkAndCountsItOnce) {
    TestDocument doc;
    EXPECT_EQ(InsertNewChunk(doc.get(), -1, -1, 0, true, 0, "5"), 0);
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"0:05 00 00 00", "header 00 01 00 00 00 00 00"}));

    // 0 R(2) [1 A(1) [2 seven], 3 nine], 4 ten
    doc.Load(DtbBuilder().Top(2).Node(16, 2, 0).Node(16, 1, 1).Scalar(0, 7).Scalar(0, 9).Scalar(0, 10));
    EXPECT_EQ(InsertNewChunk(doc.get(), 2, 1, LocationAfter, true, 0, "1"), 3);  // last child of A
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationAfter, true, 0, "2"), 5);  // past the whole subtree of R
    EXPECT_EQ(InsertNewChunk(doc.get(), 6, -1, LocationAfter, true, 0, "3"), 7);  // after the last chunk: appended
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, true, 16, "12"), 1);  // first child
    EXPECT_EQ(InsertNewChunk(doc.get(), 2, 0, LocationBefore | LocationOnly, true, 0, "4"), 2);
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{
                              "16:04 00 00 00 00 00", "16:00 00 0C 00 00 00", "0:04 00 00 00", "16:02 00 01 00 00 00",
                              "0:07 00 00 00", "0:01 00 00 00", "0:09 00 00 00", "0:02 00 00 00", "0:0A 00 00 00",
                              "0:03 00 00 00", "header 00 04 00 00 00 00 00"}));
}

TEST(TreeEdit, BuildsTheRecordOfEveryDialogType) {
    for (const InsertTypeEntry& e : kInsertTypeEntries) EXPECT_EQ(TypeFromEntryText(e.Text), e.Type) << e.Text;
    // Integers and node numbers: hex after an x or decimal, whole; floats:
    // decimal, or with an x their bit pattern, a NaN's included; a text that
    // is not the form builds nothing.
    const struct {
        uint32_t type;
        const char* text;
        const char* value;  // nullptr: refused
    } cases[] = {{0, "0x1F", "1F 00 00 00"},       {0, "-5", "FB FF FF FF"},        {0, "abc", nullptr},
                 {0, "0x80000000", "00 00 00 80"}, {0, "12abc", nullptr},          {0, "1 2", nullptr},
                 {0, "2147483648", nullptr},       {1, "2.25", "00 00 10 40"},      {1, "-0", "00 00 00 80"},
                 {1, "0x3FC00000", "00 00 C0 3F"}, {1, "0x7FC00001", "01 00 C0 7F"}, {1, "abc", nullptr},
                 {8, "DE AD BE EF", "DE AD BE EF"}, {6, "ZZ 1", nullptr},            {17, "12", "00 00 0C 00 00 00"},
                 {19, "0x10", "00 00 10 00 00 00"}, {16, "1.5", nullptr}};
    ChunkRecord r;
    for (const auto& c : cases) {
        ASSERT_EQ(BuildRecordFromText(c.type, c.text, &r), c.value ? 0 : -1) << c.text;
        char hex[20];
        FormatHexBytes(r.Value, IsNodeType(c.type) ? 6 : 4, hex);
        if (c.value) {
            EXPECT_STREQ(hex, c.value) << c.text;
        }
    }
    EXPECT_EQ(BuildRecordFromText(3, "1", &r), -1);

    // Text payloads lose their carriage returns and have no slot of their own.
    TestDocument doc;
    doc.Load(DtbBuilder().Top(1).Scalar(0, 1));
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 7, "a\r\nb\r"), 0);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 33, ""), 0);
    EXPECT_EQ(doc.payload(1) + "|" + doc.payload(0), "a\nb|");
    EXPECT_EQ(doc.chunk(1).SlotLength + doc.chunk(0).SlotLength, 0);
    EXPECT_EQ(doc.chunk(0).PoolOffset, 0u);
    EXPECT_EQ(doc->PoolUsed, 3);
    // A payload the pool cannot take leaves no record behind.
    std::vector<std::string> before = doc.Rows();
    TestAllocator failing(0);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 5, std::string(5000, 'x').c_str()), -1);
    EXPECT_EQ(doc.Rows(), before);
}

TEST(TreeEdit, RemoveTakesTheSubtreeAndOneCount) {
    TestDocument doc;
    // 0 R(2) [1 A(2) [2 x, 3 B(1) [4 y]], 5 z], 6 last(1) [7 w]
    doc.Load(DtbBuilder().Top(2).Node(16, 2, 0).Node(16, 2, 1).Text(5, "x").Node(16, 1, 2).Text(5, "y").Text(5, "z")
                 .Node(16, 1, 3).Scalar(0, 4));
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, 1, true), 2);  // a text child: one record
    EXPECT_EQ(doc.Rows()[1] + " " + doc.Rows()[2], "16:01 00 01 00 00 00 16:01 00 02 00 00 00");
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, 0, true), 1);  // A with B and y
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, -1, true), 2);  // the last top-level node: to the end
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"16:01 00 00 00 00 00", "5:'z'", "header 00 01 00 00 00 00 00"}));
    EXPECT_EQ(doc->PoolUsed, 3);  // the pool keeps what was removed
    EXPECT_EQ(RemoveSubtree(doc.get(), 0, -1, true), 0);
    EXPECT_EQ(doc.Rows(), std::vector<std::string>{"header 00 00 00 00 00 00 00"});
    EXPECT_EQ(RemoveSubtree(doc.get(), 0, -1, true), -1);
}

// What the user sees as one item goes and moves as one: a node keeps the
// identifier that names it, and with identifiers hidden a childless node
// takes the identifier folded into its label along.
TEST(TreeEdit, EditsKeepWhatTheTreeShows) {
    TestDocument doc;
    // 0 window(2) [1 "window", 2 five], 3 empty(0), 4 "empty" (counted at the top), 5 six
    const DtbBuilder table = DtbBuilder().Top(4).Node(17, 2, 2).Text(5, "window").Scalar(0, 5).Node(16, 0, 3)
                                 .Text(5, "empty").Scalar(0, 6);
    doc.Load(table);
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, true, 0, "7"), 2);  // after the name
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(doc.Rows()[1] + " " + doc.Rows()[2], "5:'window' 0:07 00 00 00");
    EXPECT_EQ(doc.Rows()[0], "17:03 00 02 00 00 00");
    // After the childless node: after its folded name when it is hidden only.
    EXPECT_EQ(InsertNewChunk(doc.get(), 4, -1, LocationAfter, true, 0, "8"), 5);
    EXPECT_EQ(RemoveSubtree(doc.get(), 5, -1, true), 5);
    EXPECT_EQ(InsertNewChunk(doc.get(), 4, -1, LocationAfter, false, 0, "8"), 6);
    EXPECT_EQ(doc.Rows().back(), "header 00 05 00 00 00 00 00");

    // Cut with the name hidden: both go, the top level counts two less, and
    // the block pastes back as the two.
    doc.Load(table);
    int32_t units = 0;
    EXPECT_EQ(ShownSpanEnd(doc.get(), 3, false, &units), 5);
    EXPECT_EQ(units, 2);
    EXPECT_EQ(ShownSpanEnd(doc.get(), 3, true, &units), 4);
    EXPECT_EQ(units, 1);
    std::vector<uint8_t> block(size_t(ClipboardBlockSize(doc.get(), 3, 2)));
    WriteClipboardBlock(doc.get(), 3, 2, block.data());
    const std::vector<std::string> before = doc.Rows();
    EXPECT_EQ(RemoveSubtree(doc.get(), 3, -1, false), 3);
    EXPECT_EQ(doc.Rows().size(), before.size() - 2);
    EXPECT_EQ(doc.Rows().back(), "header 00 02 00 00 00 00 00");
    EXPECT_EQ(PasteClipboardBlock(doc.get(), block.data(), block.size(), 0, -1, LocationAfter, false), 3);
    EXPECT_EQ(doc.Rows(), before);
    EXPECT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
    // Paste under a named node lands after the name too.
    EXPECT_EQ(PasteClipboardBlock(doc.get(), block.data(), block.size(), 0, -1, LocationUnder, true), 2);
    EXPECT_EQ(doc.Rows()[0], "17:04 00 02 00 00 00");
    EXPECT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
}
