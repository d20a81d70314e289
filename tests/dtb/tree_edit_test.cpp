#include <gtest/gtest.h>

#include "test_support.h"
#include "text_convert.h"
#include "tree_edit.h"

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
    EXPECT_EQ(ChooseTarget(doc.get(), 1, 0, LocationUnder, &index, &parent), -1);
}

TEST(TreeEdit, InsertPlacesTheChunkAndCountsItOnce) {
    TestDocument doc;
    EXPECT_EQ(InsertNewChunk(doc.get(), -1, -1, 0, 0, "5"), 0);
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"0:05 00 00 00", "header 00 01 00 00 00 00 00"}));

    // 0 R(2) [1 A(1) [2 seven], 3 nine], 4 ten
    doc.Load(DtbBuilder().Top(2).Node(16, 2, 0).Node(16, 1, 1).Scalar(0, 7).Scalar(0, 9).Scalar(0, 10));
    EXPECT_EQ(InsertNewChunk(doc.get(), 2, 1, LocationAfter, 0, "1"), 3);  // last child of A
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationAfter, 0, "2"), 5);  // past the whole subtree of R
    EXPECT_EQ(InsertNewChunk(doc.get(), 6, -1, LocationAfter, 0, "3"), 7);  // after the last chunk: appended
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, 16, "12"), 1);  // first child
    EXPECT_EQ(InsertNewChunk(doc.get(), 2, 0, LocationBefore | LocationOnly, 0, "4"), 2);
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{
                              "16:04 00 00 00 00 00", "16:00 00 0C 00 00 00", "0:04 00 00 00", "16:02 00 01 00 00 00",
                              "0:07 00 00 00", "0:01 00 00 00", "0:09 00 00 00", "0:02 00 00 00", "0:0A 00 00 00",
                              "0:03 00 00 00", "header 00 04 00 00 00 00 00"}));
}

TEST(TreeEdit, BuildsTheRecordOfEveryDialogType) {
    for (const InsertTypeEntry& e : kInsertTypeEntries) EXPECT_EQ(TypeFromEntryText(e.Text), e.Type) << e.Text;
    // Integers and node numbers: hex after an x (a sign before it is no part
    // of it), else decimal, clamped, never byte pairs; floats: decimal, or
    // with an x their bit pattern, a NaN's included.
    const struct {
        uint32_t type;
        const char* text;
        const char* value;
    } cases[] = {{0, "0x1F", "1F 00 00 00"},       {0, "-5", "FB FF FF FF"},        {0, "abc", "00 00 00 00"},
                 {0, "0x80000000", "00 00 00 80"}, {0, "-0x1", "01 00 00 00"},      {0, "1 2", "01 00 00 00"},
                 {0, "2147483648", "FF FF FF 7F"}, {1, "2.25", "00 00 10 40"},      {1, "-0", "00 00 00 80"},
                 {1, "0x3FC00000", "00 00 C0 3F"}, {1, "0x7FC00001", "01 00 C0 7F"}, {8, "DE AD BE EF", "DE AD BE EF"},
                 {17, "12", "00 00 0C 00 00 00"},  {19, "0x10", "00 00 10 00 00 00"}};
    ChunkRecord r;
    for (const auto& c : cases) {
        ASSERT_EQ(BuildRecordFromText(c.type, c.text, &r), 0);
        char hex[20];
        FormatHexBytes(r.Value, IsNodeType(c.type) ? 6 : 4, hex);
        EXPECT_STREQ(hex, c.value) << c.text;
    }
    EXPECT_EQ(BuildRecordFromText(3, "1", &r), -1);

    // Text payloads lose their carriage returns and have no slot of their own.
    TestDocument doc;
    doc.Load(DtbBuilder().Top(1).Scalar(0, 1));
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, 7, "a\r\nb\r"), 0);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, 33, ""), 0);
    EXPECT_EQ(doc.payload(1) + "|" + doc.payload(0), "a\nb|");
    EXPECT_EQ(doc.chunk(1).SlotLength + doc.chunk(0).SlotLength, 0);
    EXPECT_EQ(doc.chunk(0).PoolOffset, 0u);
    EXPECT_EQ(doc->PoolUsed, 3);
    // A payload the pool cannot take leaves no record behind.
    std::vector<std::string> before = doc.Rows();
    TestAllocator failing(0);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, 5, std::string(5000, 'x').c_str()), -1);
    EXPECT_EQ(doc.Rows(), before);
}

TEST(TreeEdit, RemoveTakesTheSubtreeAndOneCount) {
    TestDocument doc;
    // 0 R(2) [1 A(2) [2 x, 3 B(1) [4 y]], 5 z], 6 last(1) [7 w]
    doc.Load(DtbBuilder().Top(2).Node(16, 2, 0).Node(16, 2, 1).Text(5, "x").Node(16, 1, 2).Text(5, "y").Text(5, "z")
                 .Node(16, 1, 3).Scalar(0, 4));
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, 1), 2);  // a text child: one record
    EXPECT_EQ(doc.Rows()[1] + " " + doc.Rows()[2], "16:01 00 01 00 00 00 16:01 00 02 00 00 00");
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, 0), 1);  // A with B and y
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, -1), 2);  // the last top-level node: to the end
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"16:01 00 00 00 00 00", "5:'z'", "header 00 01 00 00 00 00 00"}));
    EXPECT_EQ(doc->PoolUsed, 3);  // the pool keeps what was removed
    EXPECT_EQ(RemoveSubtree(doc.get(), 0, -1), 0);
    EXPECT_EQ(doc.Rows(), std::vector<std::string>{"header 00 00 00 00 00 00 00"});
    EXPECT_EQ(RemoveSubtree(doc.get(), 0, -1), -1);
}
