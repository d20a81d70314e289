// The list, the tree and the detail pane on a loaded file: what they show,
// what they read back, and when.
#include "display_text.h"
#include "editor_fixture.h"
#include "test_support.h"
#include "views/views.h"

namespace {

class Views : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        path = WriteFile("a.dtb", StandardFile());
        OpenFile(path);
    }
    uint32_t Value(int32_t chunk) const { return ReadU32(state.Chunks[chunk].Value); }
    std::string path;
};

TEST_F(Views, ListLinesReadBackToTheirChunk) {
    Select(4);
    Click(IDC_SHOW_AS_TREE);
    EXPECT_TRUE(IsWindowVisible(Control(IDC_CHUNK_LIST)) && !IsWindowVisible(Control(IDC_CHUNK_TREE)));
    EXPECT_TRUE(CurrentChunk == -1 && Text(IDC_DATA_BOX) == "02 00 02 00 00 00");  // the pane stays
    std::vector<std::string> lines = ListLines();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[12], "String(0x07)\tLevel 3\t12");
    char line[kTextSize];
    for (int32_t i = 0; i < 17; ++i) {
        FormatListLine(&state, i, line, sizeof line);
        EXPECT_EQ(lines[size_t(i)], line);
        Select(i);  // the pane shows the chunk the line names
        EXPECT_EQ(CurrentChunk, i);
    }
    EXPECT_EQ(Text(IDC_DATA_BOX), "XabcX");
    EXPECT_EQ(ListLineToChunkIndex(&state, 12), 12);  // not the 3 of its text
    EXPECT_EQ(ListLineToChunkIndex(&state, 17), -1);   // no such line: no index
    EXPECT_EQ(ListLineToChunkIndex(&state, -1), -1);
    Click(IDC_SHOW_IDENTIFIERS);  // the list does not change, but no line is current
    EXPECT_TRUE(ListLines() == lines && CurrentChunk == -1 && state.ShowIdentifiers == 0);
    Click(IDC_SHOW_AS_TREE);
    EXPECT_TRUE(CurrentChunk == -1 && !Selected() && IsWindowVisible(Control(IDC_CHUNK_TREE)));
}

TEST_F(Views, TreeItemsNestAsTheTableSays) {
    // chunk, depth, text; a node shows an expand button
    auto check = [&](const std::vector<std::tuple<int32_t, int, const char*>>& expected) {
        std::vector<HTREEITEM> items = TreeItems();
        ASSERT_EQ(items.size(), expected.size());
        HWND tree = Control(IDC_CHUNK_TREE);
        for (size_t i = 0; i < items.size(); ++i) {
            TVITEMA item = {};
            item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
            item.hItem = items[i];
            TreeView_GetItem(tree, &item);
            int32_t chunk = std::get<0>(expected[i]);
            uint32_t type = state.Chunks[chunk].Type;
            int depth = 0;
            for (HTREEITEM up = TreeView_GetParent(tree, items[i]); up; up = TreeView_GetParent(tree, up)) ++depth;
            EXPECT_TRUE(item.lParam == chunk && depth == std::get<1>(expected[i])) << chunk;
            EXPECT_EQ(ItemText(items[i]), std::get<2>(expected[i]));
            EXPECT_TRUE(item.iImage == int(type) && item.iSelectedImage == int(type)) << chunk;
            EXPECT_EQ(item.cChildren != 0, IsNodeType(type)) << chunk;
        }
    };
    std::vector<std::tuple<int32_t, int, const char*>> all = {
        {0, 0, "settings(1)"}, {1, 1, "settings"}, {2, 1, "42"}, {3, 1, "1.500000"}, {4, 1, "window(2)"},
        {5, 2, "window"}, {6, 2, "Main Window"}, {7, 0, "DE AD BE EF"}, {8, 0, "line one\nline two"},
        {9, 0, "(-1)"}, {10, 0, "data\\sky.dds"}, {11, 0, "OnLoad(x)"}, {12, 0, "Level 3"},
        {13, 0, "01 02 03 04"}, {14, 0, "05 06 07 08"}, {15, 0, "maps\\level3.map"}, {16, 0, "XabcX"}};
    check(all);
    EXPECT_EQ(state.Chunks[0].Length * 10 + state.Chunks[4].Length, 42);  // the build's child counters
    Select(6);
    Click(IDC_SHOW_IDENTIFIERS);  // rebuilt without identifiers: the same chunk is selected again
    all.erase(all.begin() + 5);
    all.erase(all.begin() + 1);
    check(all);
    EXPECT_TRUE(SelectedChunk() == 6 && GetFocus() == Control(IDC_CHUNK_TREE));
    Click(IDC_SHOW_IDENTIFIERS);
    Select(5);
    Click(IDC_SHOW_IDENTIFIERS);  // a chunk that lost its item: nothing selected, the pane stays
    EXPECT_TRUE(!Selected() && Text(IDC_DATA_BOX) == "window");
}

TEST_F(Views, PaneShowsAndWritesBackEveryShapeInBothViews) {
    const std::tuple<int32_t, const char*, const char*> shown[] = {
        {0, "6", "04 00 01 00 00 00"}, {1, "8", "settings"},     {2, "4", "42"},
        {3, "4", "1.500000"},          {7, "4", "DE AD BE EF"},   {8, "17", "line one\r\nline two"},
        {9, "6", "00 00 FF FF FF FF"}, {11, "9", "OnLoad(x)"},   {14, "4", "05 06 07 08"}};
    for (int list = 0; list < 2; ++list) {
        if (list) {
            Click(IDC_SHOW_AS_TREE);
            g_answers.push_back(IDYES);
            Command(IDM_REVERT);
        }
        for (const auto& s : shown) {
            Select(std::get<0>(s));
            EXPECT_EQ(Text(IDC_LENGTH_BOX) + "|" + Text(IDC_DATA_BOX), std::get<1>(s) + std::string("|") + std::get<2>(s));
        }
        auto edit = [&](int32_t chunk, const std::string& text) {
            Select(chunk);
            Type(IDC_DATA_BOX, text);
            Select(chunk == 2 ? 3 : 2);  // leaving the chunk writes it back
        };
        edit(2, "0x1A");
        EXPECT_EQ(Value(2), 26u);
        edit(2, " -5");
        EXPECT_EQ(Value(2), uint32_t(-5));
        edit(2, "12 34");
        EXPECT_EQ(Value(2), 12u);
        edit(3, "2.25");
        EXPECT_EQ(Value(3), 0x40100000u);
        edit(3, "x3FC00001");  // with an x: the float's bit pattern
        EXPECT_EQ(Value(3), 0x3FC00001u);
        edit(0, "05 00");  // only the child count changes
        EXPECT_TRUE(ChildCountOf(state.Chunks[0]) == 5 && NodeNumberOf(state.Chunks[0]) == 1);
        edit(13, "AA BB");
        EXPECT_EQ(Value(13), 0x0403BBAAu);
        int32_t used = state.PoolUsed;
        uint32_t offset = state.Chunks[1].PoolOffset;
        edit(1, "a\r\nb");  // shorter: in place, without carriage returns
        EXPECT_TRUE(Payload(1) == "a\nb" && state.Chunks[1].PoolOffset == offset);
        edit(1, "a longer text");  // longer than its slot: to the end of the pool
        EXPECT_TRUE(Payload(1) == "a longer text" && state.Chunks[1].PoolOffset == uint32_t(used));
        edit(1, "");
        EXPECT_EQ(state.Chunks[1].Length, 0);
        edit(2, "77");  // its line or item shows the new value at once
        EXPECT_EQ(list ? ListLines()[2] : ItemText(TreeItems()[2]), list ? "Integer(0x00)\t77\t2" : "77");
        Select(2);
        Type(IDC_DATA_BOX, "78");
        Select(2);  // the same line again: nothing written, nothing shown
        EXPECT_EQ(Value(2), 77u);
    }
    state.Chunks[12].Type = 3;  // a type the pane does not know: both boxes stay, nothing is written
    Select(12);
    EXPECT_EQ(Text(IDC_DATA_BOX), "78");
    Select(11);
    EXPECT_EQ(Payload(12), "Level 3");
}

// Values whose text does not read back as themselves survive being looked at,
// and a payload of any length is shown and edited whole.
TEST_F(Views, OnlyWhatTheUserChangedIsWrittenBack) {
    DtbBuilder b;
    b.Header({0x1C, 6, 0, 0, 0, 0, 0}).Scalar(1, 0x33D6BF95).Text(32, "a\rb").Text(32, std::string("ab\0cd", 5));
    b.Scalar(1, 0x7FC00001).Text(5, std::string(4000, 'q') + "\n" + std::string(999, 'q')).Scalar(0, 1);
    std::vector<uint8_t> bytes = b.File(99);
    std::string tricky = WriteFile("tricky.dtb", bytes);
    OpenFile(tricky);
    for (int list = 0; list < 2; ++list) {
        for (int32_t chunk = 0; chunk < 6; ++chunk) Select(chunk);
        Command(IDM_FIND);
        Command(IDM_SAVE);
        EXPECT_EQ(ReadFile(tricky), bytes) << list;
        Select(4);
        std::string shown = Text(IDC_DATA_BOX);
        EXPECT_EQ(shown, std::string(4000, 'q') + "\r\n" + std::string(999 + list, 'q'));
        Type(IDC_DATA_BOX, shown + "q");
        Select(5);
        EXPECT_EQ(state.Chunks[4].Length, 5001 + list);
        std::string line = list ? ListLines()[4] : ItemText(TreeItems()[4]);
        EXPECT_EQ(line.size(), size_t(kTextSize - 1));  // lines and items are cut, the index kept
        EXPECT_EQ(line.substr(line.size() - 2), list ? "\t4" : "qq");
        Command(IDM_SAVE);
        bytes = ReadFile(tricky);
        Click(IDC_SHOW_AS_TREE);
    }
}

TEST_F(Views, HeaderBoxesReadBackOnlyWhatWasTyped) {
    const std::pair<int, const char*> typed[] = {
        {0, nullptr},        {IDC_HEADER0_BOX, "300"},      {IDC_HEADER0_BOX, "-1"},
        {IDC_HEADER0_BOX, "1C"}, {IDC_HEADER36_BOX, "0x102"}, {IDC_HEADER36_BOX, "4294967295"},
        {IDC_HEADER36_BOX, "00 00 00 01"}, {IDC_HEADER36_BOX, " AB"}, {IDC_KEY_BOX, "4294967295"},
        {IDC_KEY_BOX, "0x5"}, {IDC_KEY_BOX, "1234567890123456789012345678901234x1"}};
    const char* after[] = {"1C|DE AD BE EF|CD AB 34 12", "2C|DE AD BE EF|CD AB 34 12", "FF|DE AD BE EF|CD AB 34 12",
                           "1C|DE AD BE EF|CD AB 34 12", "1C|02 01 00 00|CD AB 34 12", "1C|FF FF FF 7F|CD AB 34 12",
                           "1C|00 00 00 01|CD AB 34 12", "1C|AB 00 00 01|CD AB 34 12", "1C|AB 00 00 01|FF FF FF 7F",
                           "1C|AB 00 00 01|05 00 00 00", "1C|AB 00 00 01|FF FF FF 7F"};
    for (size_t i = 0; i < std::size(typed); ++i) {
        if (typed[i].second) Type(typed[i].first, typed[i].second);
        Command(IDM_SAVE);
        EXPECT_EQ(Text(IDC_HEADER0_BOX) + "|" + Text(IDC_HEADER36_BOX) + "|" + Text(IDC_KEY_BOX), after[i]) << i;
        if (i == 0) {
            EXPECT_EQ(ReadFile(path), StandardFile());  // shown as 1C, never read as decimal 1
        }
    }
    Type(IDC_HEADER0_BOX, "7");  // reaches the document only through a command that reads it
    g_answers.push_back(IDYES);
    Command(IDM_REVERT);
    EXPECT_EQ(Text(IDC_HEADER0_BOX), "1C");
}

TEST_F(Views, FindMovesForwardThroughTextChunks) {
    auto find = [&](const char* text, int32_t expected) {
        SetWindowTextA(Control(IDC_FIND_BOX), text);
        size_t boxes = g_boxes.size();
        Command(IDM_FIND);
        int32_t at = state.ShowAsTree ? SelectedChunk() : CurrentChunk;
        EXPECT_EQ(at, expected) << text;
        return g_boxes.size() - boxes;
    };
    EXPECT_EQ(find("ABC", 16), 0u);  // from chunk 0, case ignored
    EXPECT_TRUE(GetFocus() == Control(IDC_CHUNK_TREE) && Text(IDC_DATA_BOX) == "XabcX");
    EXPECT_EQ(find("window", 16), 1u);  // no wrap
    EXPECT_TRUE(g_boxes[0].text == "Could not find string." && g_boxes[0].owner == window);
    EXPECT_EQ(g_boxes[0].flags, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(find("", 16), 0u);
    Select(0);
    find("window", 5);  // the identifier itself, never a node label
    find("window", 6);
    find("level", 15);  // type 7 is never searched
    Click(IDC_SHOW_IDENTIFIERS);
    Select(0);
    EXPECT_EQ(find("settings", 0), 1u);  // hidden identifiers are not searched in the tree...
    Click(IDC_SHOW_AS_TREE);
    EXPECT_EQ(find("settings", 1), 0u);  // ...but are in the list
    EXPECT_EQ(SendMessageA(Control(IDC_CHUNK_LIST), LB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(GetFocus() == Control(IDC_CHUNK_LIST) && Text(IDC_DATA_BOX) == "settings");
    Type(IDC_DATA_BOX, "settings too");
    EXPECT_EQ(find("too", 1), 1u);  // the pending edit is taken in before the search
    EXPECT_EQ(Payload(1), "settings too");
    find("abc", 16);
}

}  // namespace
