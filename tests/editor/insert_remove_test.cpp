// Insert and Remove through the real "Insert Chunk..." dialog and the main
// window's commands, on a tree with grandchildren.
#include "editing_fixture.h"

namespace {

using Insert = EditingTest;
using Remove = EditingTest;

const char kStart[] = "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(1)#3 0:7 32'text one' 0:42 16(2)#4 5'gamma' "
                      "1:1069547520 18'last'";
const char kTreeView[] = "Due to the DTB file tree format, all inserting must be done in Tree View. Please switch to "
                         "Tree View before inserting.";
const char kSelect[] = "Please select a chunk before continuing.";
const char kHidden[] = "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.";

TEST_F(Insert, GuardsRefuseInTheirOrderForBothCommands) {
    ASSERT_EQ(Table(), kStart);
    Click(IDC_SHOW_AS_TREE);  // the list: refused even with nothing selected
    Command(IDM_INSERT);
    Command(IDM_REMOVE);
    Click(IDC_SHOW_AS_TREE);
    Pick(-1);
    Command(IDM_INSERT);
    Command(IDM_REMOVE);
    Pick(2);
    Click(IDC_SHOW_IDENTIFIERS);
    Command(IDM_INSERT);
    Command(IDM_REMOVE);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({kTreeView, kTreeView, kSelect, kSelect, kHidden, kHidden}));
    for (const Box& box : g_boxes) EXPECT_TRUE(box.owner == window && box.flags == MB_ICONINFORMATION);
    EXPECT_TRUE(g_dialogLooks.empty());
    EXPECT_EQ(Table(), kStart);
    EXPECT_EQ(SelectedChunk(), -1);  // Remove rebuilds the tree even when it refuses
}

TEST_F(Insert, DialogOffersWhatTheSelectionAllows) {
    int32_t used = state.PoolUsed;
    Pick(4);  // a node: every location
    Answer(IDC_INSERT_UNDER, "String - 35", "not kept", IDCANCEL);
    Command(IDM_INSERT);
    Pick(5);  // a number: nothing under it
    Answer(0, "", "", IDCANCEL);
    Command(IDM_INSERT);
    ASSERT_EQ(g_dialogLooks.size(), 2u);
    const DialogLook& node = g_dialogLooks[0];
    const DialogLook& number = g_dialogLooks[1];
    EXPECT_TRUE(node.enabled[0] && node.enabled[1] && node.enabled[2]);
    EXPECT_TRUE(number.enabled[0] && number.enabled[1] && !number.enabled[2]);
    EXPECT_TRUE(node.checked[0] && !node.checked[1] && !node.checked[2]);
    EXPECT_TRUE(node.typeEnabled && node.textEnabled && node.textShown.empty() && node.owner == window);
    EXPECT_EQ(node.entries, 16);
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(node.rect.left, (desktop.right - (node.rect.right - node.rect.left)) / 2);
    EXPECT_EQ(node.rect.top, (desktop.bottom - (node.rect.bottom - node.rect.top)) / 2);
    EXPECT_EQ(Table(), kStart);  // Cancel leaves everything, the pool included
    EXPECT_EQ(state.PoolUsed, used);
    EXPECT_TRUE(g_boxes.empty());
}

// A refused OK keeps the dialog and what it holds; the location chosen next
// is the one used, not a mix with the refused one.
TEST_F(Insert, RefusalsInsideTheDialogKeepItOpen) {
    Pick(5);
    Answer(IDC_INSERT_AFTER, "", "keep me");
    Answer(IDC_INSERT_BEFORE, "Integer - 0", "9");
    Command(IDM_INSERT);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "Select a Chunk Type.");
    EXPECT_TRUE(g_boxes[0].owner && g_boxes[0].owner != window && g_boxes[0].flags == MB_ICONINFORMATION);
    ASSERT_EQ(g_dialogLooks.size(), 2u);
    EXPECT_EQ(g_dialogLooks[1].textShown, "keep me");
    EXPECT_EQ(Table(), "4 16(3)#1 5'alpha' 17(2)#2 5'beta' 19(2)#3 0:9 0:7 32'text one' 0:42 16(2)#4 5'gamma' "
                       "1:1069547520 18'last'");

    // A parent at 65535 takes no more: the user is told while choosing.
    WriteU16(state.HeaderBytes + 1, 65535);
    Pick(9);
    Answer(0, "Integer - 0", "1");
    Answer(IDC_INSERT_UNDER, "Integer - 0", "1");
    Command(IDM_INSERT);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[1].text, "This node already holds 65535 chunks; no more can be added.");
    EXPECT_TRUE(g_boxes[1].owner != window && TopLevelCountOf(state) == 65535 && Children(9) == 3);
    EXPECT_EQ(state.ChunkCount, 14);
}

TEST_F(Insert, BeforeAfterAndUnderCountOnceInTheRightParent) {
    auto insert = [&](int32_t selected, int location, const char* type, const char* text, int32_t expected) {
        Pick(selected);
        Answer(location, type, text);
        Command(IDM_INSERT);
        EXPECT_EQ(SelectedChunk(), expected) << type;  // the new chunk is selected and shown
        EXPECT_EQ(TreeItems().size(), size_t(state.ChunkCount));
        EXPECT_EQ(Faults(), 0) << type;
    };
    insert(5, IDC_INSERT_AFTER, "Integer - 0", "0x1F", 6);     // after an only child
    insert(4, IDC_INSERT_AFTER, "Keyword - 5", "kw", 7);       // after a last child whose parent goes on
    insert(2, IDC_INSERT_UNDER, "Node (Common) - 16", "12", 3);  // first child of a node with children
    insert(10, IDC_INSERT_BEFORE, "String - 32", "s", 10);     // before a top-level chunk
    insert(15, IDC_INSERT_AFTER, "Float - 1", "2.25", 16);     // after the last chunk of all
    const char kEnd[] = "6 16(3)#1 5'alpha' 17(4)#2 16(0)#12 5'beta' 19(2)#3 0:7 0:31 5'kw' 32'text one' 32's' "
                        "0:42 16(2)#4 5'gamma' 1:1069547520 18'last' 1:1074790400";
    EXPECT_EQ(Table(), kEnd);
    EXPECT_EQ(Text(IDC_DATA_BOX), "2.250000");
    EXPECT_EQ(ItemText(TreeView_GetParent(Control(IDC_CHUNK_TREE), TreeItems()[3])), "(2)");  // lost its identifier
    Command(IDM_SAVE);
    g_answers.push_back(IDYES);
    Command(IDM_REVERT);
    EXPECT_EQ(Table(), kEnd);
    EXPECT_TRUE(g_boxes.size() == 1 && g_boxes[0].flags == (MB_YESNO | MB_ICONQUESTION));
}

TEST_F(Remove, TakesWholeSubtreesAndOneCount) {
    int32_t used = state.PoolUsed;
    auto remove = [&](int32_t chunk, const char* after, int32_t selected) {
        Pick(chunk);
        Command(IDM_REMOVE);
        EXPECT_EQ(Table(), after);
        EXPECT_EQ(SelectedChunk(), selected) << after;  // what followed the span
        EXPECT_EQ(TreeItems().size(), size_t(state.ChunkCount));
        EXPECT_EQ(Faults(), 0);
    };
    remove(2, "4 16(2)#1 5'alpha' 32'text one' 0:42 16(2)#4 5'gamma' 1:1069547520 18'last'", 2);  // grandchildren
    remove(0, "3 0:42 16(2)#4 5'gamma' 1:1069547520 18'last'", 0);
    remove(1, "2 0:42 18'last'", 1);
    remove(1, "1 0:42", -1);  // the last one: nothing follows
    remove(0, "0", -1);
    EXPECT_EQ(state.PoolUsed, used);  // payloads stay in the pool
    Command(IDM_REMOVE);              // an empty table: nothing to remove
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({kSelect}));

    // An empty table takes a chunk without a selection, and offers no place.
    Answer(0, "Integer - 0", "-5");
    Command(IDM_INSERT);
    ASSERT_EQ(g_dialogLooks.size(), 1u);
    const DialogLook& look = g_dialogLooks[0];
    EXPECT_TRUE(!look.enabled[0] && !look.enabled[1] && !look.enabled[2] && look.checked[0]);
    EXPECT_EQ(Table(), "1 0:4294967291");
    EXPECT_EQ(SelectedChunk(), 0);
}

}  // namespace
