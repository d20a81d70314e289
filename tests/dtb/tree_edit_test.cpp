#include <gtest/gtest.h>

#include <set>

#include "table_fixture.h"
#include "tree_check.h"
#include "tree_edit.h"

namespace {

const char kListView[] =
    "Due to the DTB file tree format, all inserting must be done in Tree View. Please switch to Tree View before "
    "inserting.";
const char kSelect[] = "Please select a chunk before continuing.";
const char kHidden[] = "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.";

std::string LastMessage(const TestDocument& doc) { return doc.messages.empty() ? "" : doc.messages.back().text; }

uint16_t CountOf(const TestDocument& doc, int32_t i) { return ChildCountOf(doc.chunk(i)); }

}  // namespace

TEST(TreeEdit, GuardsRefuseInTheirOrder) {
    TestDocument doc;
    doc->ShowAsTree = 1;
    doc->ShowIdentifiers = 1;
    EXPECT_EQ(CheckInsertAllowed(doc.get(), -1), 0);  // empty table: no selection needed
    EXPECT_EQ(CheckRemoveAllowed(doc.get(), -1), -1);
    EXPECT_EQ(LastMessage(doc), kSelect);
    EXPECT_EQ(OfferedLocations(doc.get(), -1), 0u);

    Fill(doc, {N(1, 1), I(5)}, 1);
    EXPECT_EQ(CheckInsertAllowed(doc.get(), -1), -1);
    EXPECT_EQ(LastMessage(doc), kSelect);
    doc->ShowIdentifiers = 0;
    EXPECT_EQ(CheckRemoveAllowed(doc.get(), 1), -1);
    EXPECT_EQ(LastMessage(doc), kHidden);
    doc->ShowAsTree = 0;
    EXPECT_EQ(CheckInsertAllowed(doc.get(), -1), -1);
    EXPECT_EQ(LastMessage(doc), kListView);
    EXPECT_EQ(doc.messages.back().kind, ReportInformation);

    EXPECT_EQ(OfferedLocations(doc.get(), 0), LocationBefore | LocationAfter | LocationUnder);
    EXPECT_EQ(OfferedLocations(doc.get(), 1), LocationBefore | LocationAfter);
    int32_t index = 0, parent = 0;
    EXPECT_EQ(ChooseTarget(doc.get(), 1, 0, LocationUnder, &index, &parent), -1);
}

TEST(TreeEdit, InsertPlacesTheChunkAndCountsItOnce) {
    TestDocument doc;
    EXPECT_EQ(InsertNewChunk(doc.get(), -1, -1, 0, 0, "5"), 0);
    EXPECT_EQ(Rows(doc), (std::vector<std::string>{"0:05 00 00 00", "header 00 01 00 00 00 00 00"}));

    // 0 R(2) [1 A(1) [2 seven], 3 nine], 4 ten
    Fill(doc, {N(2, 0), N(1, 1), I(7), I(9), I(10)}, 2);
    EXPECT_EQ(InsertNewChunk(doc.get(), 2, 1, LocationAfter, 0, "1"), 3);  // last child of A
    EXPECT_EQ(CountOf(doc, 1), 2);
    EXPECT_EQ(ReadU32(doc.chunk(4).Value), 9u);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationAfter, 0, "2"), 5);  // past the whole subtree of R
    EXPECT_EQ(InsertNewChunk(doc.get(), 6, -1, LocationAfter, 0, "3"), 7);  // after the last chunk: appended
    EXPECT_EQ(doc->ChunkCount, 8);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, 16, "12"), 1);  // first child
    EXPECT_EQ(CountOf(doc, 0), 3);
    EXPECT_EQ(InsertNewChunk(doc.get(), 2, 0, LocationBefore | LocationOnly, 0, "4"), 2);
    EXPECT_EQ(CountOf(doc, 0), 4);
    EXPECT_EQ(TopLevelCountOf(doc.state), 4);
    EXPECT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
}

TEST(TreeEdit, BuildsTheRecordOfEveryDialogType) {
    std::set<uint32_t> types;
    for (const InsertTypeEntry& e : kInsertTypeEntries) {
        EXPECT_EQ(TypeFromEntryText(e.Text), e.Type) << e.Text;
        EXPECT_NE(ShapeOfType(e.Type), ShapeUnknown);
        types.insert(e.Type);
    }
    EXPECT_EQ(types.size(), 16u);
    EXPECT_STREQ(kInsertTypeEntries[10].Text, "String (Common)- 18");

    ChunkRecord r;
    auto value = [&](uint32_t type, const char* text) {
        EXPECT_EQ(BuildRecordFromText(type, text, &r), 0);
        return ReadU32(r.Value);
    };
    EXPECT_EQ(value(0, "0x1F"), 31u);
    EXPECT_EQ(value(0, "-5"), static_cast<uint32_t>(-5));
    EXPECT_EQ(value(0, "abc"), 0u);
    EXPECT_EQ(value(1, "2.25"), 0x40100000u);
    EXPECT_EQ(value(1, "0x3FC00000"), 0x3FC00000u);  // with an x: the bit pattern
    EXPECT_EQ(value(8, "DE AD BE EF"), 0xEFBEADDEu);
    value(17, "12");
    EXPECT_EQ(NodeNumberOf(r), 12);
    EXPECT_EQ(ChildCountOf(r), 0);
    EXPECT_EQ(BuildRecordFromText(3, "1", &r), -1);

    TestDocument doc;
    Fill(doc, {I(1)}, 1);
    int32_t used = doc->PoolUsed;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, 7, "a\r\nb\r"), 0);
    EXPECT_EQ(doc.payload(0), "a\nb");
    EXPECT_EQ(doc.chunk(0).SlotLength, 0);
    EXPECT_EQ(doc->PoolUsed, used + 3);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, 33, ""), 0);
    EXPECT_EQ(doc.chunk(0).Length, 0);
    EXPECT_EQ(doc.chunk(0).PoolOffset, 0u);
    EXPECT_EQ(doc->PoolUsed, used + 3);

    // A payload the pool cannot take leaves no record behind.
    std::vector<std::string> before = Rows(doc);
    FailingGrowth failing;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, 5, std::string(5000, 'x').c_str()), -1);
    EXPECT_EQ(Rows(doc), before);
}

TEST(TreeEdit, RemoveTakesTheSubtreeAndOneCount) {
    TestDocument doc;
    // 0 R(2) [1 A(2) [2 x, 3 B(1) [4 y]], 5 z], 6 last(1) [7 w]
    Fill(doc, {N(2, 0), N(2, 1), S("x"), N(1, 2), S("y"), S("z"), N(1, 3), I(4)}, 2);
    int32_t used = doc->PoolUsed;
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, 1), 2);  // a text child: one record
    EXPECT_EQ(CountOf(doc, 1), 1);
    EXPECT_EQ(NodeNumberOf(doc.chunk(2)), 2);  // B moved down
    EXPECT_EQ(doc->PoolUsed, used);
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, 0), 1);  // A with B and y
    EXPECT_EQ(doc.payload(1), "z");
    EXPECT_EQ(CountOf(doc, 0), 1);
    EXPECT_EQ(RemoveSubtree(doc.get(), 2, -1), 2);  // the last top-level node: to the end
    EXPECT_EQ(doc->ChunkCount, 2);
    EXPECT_EQ(TopLevelCountOf(doc.state), 1);
    EXPECT_EQ(RemoveSubtree(doc.get(), 0, -1), 0);
    EXPECT_EQ(doc->ChunkCount, 0);
    EXPECT_EQ(TopLevelCountOf(doc.state), 0);
    EXPECT_EQ(RemoveSubtree(doc.get(), 0, -1), -1);
}

TEST(TreeEdit, FullCountsRefuseAndEmptyOnesDoNotWrap) {
    TestDocument doc;
    Fill(doc, {N(65535, 0), I(1)}, 65535);
    std::vector<std::string> before = Rows(doc);
    int32_t used = doc->PoolUsed;
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationUnder, 5, "text"), -1);
    EXPECT_EQ(LastMessage(doc), "This node already holds 65535 chunks; no more can be added.");
    EXPECT_EQ(doc.messages.back().kind, ReportInformation);
    EXPECT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationAfter, 0, "1"), -1);  // the top level is full too
    EXPECT_EQ(doc.messages.size(), 2u);
    EXPECT_EQ(Rows(doc), before);
    EXPECT_EQ(doc->PoolUsed, used);

    Fill(doc, {N(0, 0), I(1), I(2)}, 0);
    EXPECT_EQ(RemoveSubtree(doc.get(), 1, -1), 1);
    EXPECT_EQ(TopLevelCountOf(doc.state), 0);
    EXPECT_EQ(AdjustParentCount(doc.get(), 0, -1), 0);
    EXPECT_EQ(CountOf(doc, 0), 0);
    EXPECT_EQ(AdjustParentCount(doc.get(), 1, +1), -1);  // not a node
}

TEST(TreeEdit, RandomEditsKeepTheCountsConsistent) {
    std::mt19937 rng(11);
    TestDocument doc;
    for (int round = 0; round < 50; ++round) {
        FillRandomTree(doc, rng, 30);
        for (int step = 0; step < 20; ++step) {
            int32_t selected = doc->ChunkCount ? static_cast<int32_t>(rng() % doc->ChunkCount) : -1;
            int32_t parent = ParentOfChunk(doc.get(), selected);
            if (rng() % 2) {
                uint32_t location = 1u << (rng() % 3);
                if (!(OfferedLocations(doc.get(), selected) & location)) location = LocationBefore;
                uint32_t type = kInsertTypeEntries[rng() % kInsertTypeCount].Type;
                ASSERT_GE(InsertNewChunk(doc.get(), selected, parent, location, type, "7"), 0);
            } else if (selected != -1) {
                ASSERT_EQ(RemoveSubtree(doc.get(), selected, parent), selected);
            }
            ASSERT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0) << "round " << round << " step " << step;
        }
    }
}
