// The list, the tree and the detail pane on a loaded file: what they show,
// what they take back, and when; the header boxes; Find.
#include "display_text.h"
#include "driver.h"
#include "find_match.h"
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
    bool PaneLocked() const { return GetWindowLongA(Control(IDC_DATA_BOX), GWL_STYLE) & ES_READONLY; }
    std::string path;
};

TEST_F(Views, ListLinesReadBackToTheirChunk) {
    Click(IDC_SHOW_AS_TREE);
    EXPECT_TRUE(IsWindowVisible(Control(IDC_CHUNK_LIST)) && !IsWindowVisible(Control(IDC_CHUNK_TREE)));
    std::vector<std::string> lines = ListLines();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[12], "String(0x07)\tLevel 3\t12");
    for (int32_t i = 0; i < 17; ++i) EXPECT_TRUE(Select(i));  // the pane shows the chunk the line names
    EXPECT_EQ(Text(IDC_DATA_BOX), "XabcX");
    EXPECT_EQ(ListLineToChunkIndex(&state, 12), 12);  // not the 3 of its text
    EXPECT_EQ(ListLineToChunkIndex(&state, 17), -1);   // no such line: no index
    Click(IDC_SHOW_IDENTIFIERS);  // the list does not change, but no line is current
    EXPECT_TRUE(ListLines() == lines && CurrentChunk == -1 && state.ShowIdentifiers == 0);
    EXPECT_TRUE(Text(IDC_DATA_BOX).empty() && PaneLocked());
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
            item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_CHILDREN | TVIF_PARAM;
            item.hItem = items[i];
            TreeView_GetItem(tree, &item);
            int32_t chunk = std::get<0>(expected[i]);
            uint32_t type = state.Chunks[chunk].Type;
            int depth = 0;
            for (HTREEITEM up = TreeView_GetParent(tree, items[i]); up; up = TreeView_GetParent(tree, up)) ++depth;
            EXPECT_TRUE(item.lParam == chunk && depth == std::get<1>(expected[i]) && item.iImage == int(type)) << chunk;
            EXPECT_EQ(ItemText(items[i]), std::get<2>(expected[i]));
            EXPECT_EQ(item.cChildren != 0, IsNodeType(type)) << chunk;
        }
    };
    std::vector<std::tuple<int32_t, int, const char*>> all = {
        {0, 0, "settings(1)"}, {1, 1, "settings"}, {2, 1, "42"}, {3, 1, "1.500000"}, {4, 1, "window(2)"},
        {5, 2, "window"}, {6, 2, "Main Window"}, {7, 0, "DE AD BE EF"}, {8, 0, "line one\nline two"},
        {9, 0, "(-1)"}, {10, 0, "data\\sky.dds"}, {11, 0, "OnLoad(x)"}, {12, 0, "Level 3"},
        {13, 0, "01 02 03 04"}, {14, 0, "05 06 07 08"}, {15, 0, "maps\\level3.map"}, {16, 0, "XabcX"}};
    check(all);
    Select(6);
    Click(IDC_SHOW_IDENTIFIERS);  // rebuilt without identifiers: the same chunk is selected again
    all.erase(all.begin() + 5);
    all.erase(all.begin() + 1);
    check(all);
    EXPECT_TRUE(SelectedChunk() == 6 && GetFocus() == Control(IDC_CHUNK_TREE) && Text(IDC_DATA_BOX) == "Main Window");
    Click(IDC_SHOW_IDENTIFIERS);
    Select(5);
    Type(IDC_DATA_BOX, "pane");  // an identifier edited: its node's name follows at once
    Click(IDC_SHOW_IDENTIFIERS);  // a chunk that lost its item: nothing selected, nothing to type into
    EXPECT_TRUE(!Selected() && Text(IDC_DATA_BOX).empty() && PaneLocked());
    EXPECT_EQ(ItemText(TreeItems()[3]), "pane(2)");
}

TEST_F(Views, PaneShowsAndStoresEveryShapeInBothViews) {
    const std::tuple<int32_t, const char*, const char*> shown[] = {
        {0, "6", "04 00 01 00 00 00"}, {1, "8", "settings"},     {2, "4", "42"},
        {3, "4", "1.500000"},          {7, "4", "DE AD BE EF"},   {8, "17", "line one\r\nline two"},
        {9, "6", "00 00 FF FF FF FF"}, {11, "9", "OnLoad(x)"},   {14, "4", "05 06 07 08"}};
    for (int list = 0; list < 2; ++list) {
        if (list) {
            Click(IDC_SHOW_AS_TREE);
            g_user.answers.push_back(IDYES);
            Command(IDM_REVERT);
            g_user.boxes.clear();
        }
        for (const auto& s : shown) {
            Select(std::get<0>(s));
            EXPECT_EQ(Text(IDC_LENGTH_BOX) + "|" + Text(IDC_DATA_BOX), std::get<1>(s) + std::string("|") + std::get<2>(s));
            EXPECT_FALSE(PaneLocked());
        }
        // What is typed is stored and shown back as stored; what is not its
        // chunk's form is refused, and the chunk, the box and the selection stay.
        const struct {
            int32_t chunk;
            const char* typed;
            const char* shown;  // nullptr: refused
        } edits[] = {{2, "0x1A", "26"},          {2, " -5", "-5"},        {2, "12abc", nullptr},
                     {2, "12 34", nullptr},      {3, "2.25", "2.250000"}, {3, "abc", nullptr},
                     {3, "x3FC00001", "1.500000"}, {13, "AA BB", "AA BB 03 04"}, {13, "ZZ 1", nullptr},
                     {0, "04 00 07 00 00 00", "04 00 07 00 00 00"}, {0, "05 00", nullptr},
                     {1, "a\r\nb", "a\r\nb"}, {1, "a longer text", "a longer text"}, {1, "", ""}};
        for (const auto& e : edits) {
            Select(e.chunk);
            std::string was = Text(IDC_DATA_BOX);
            uint32_t value = Value(e.chunk);
            Type(IDC_DATA_BOX, e.typed);
            size_t boxes = g_user.boxes.size();
            Command(IDM_FIND);  // takes the edit in, as leaving the chunk does
            EXPECT_EQ(g_user.boxes.size(), boxes + (e.shown ? 0 : 1)) << e.typed;
            EXPECT_EQ(Text(IDC_DATA_BOX), e.shown ? e.shown : e.typed) << e.typed;
            if (!e.shown) {
                EXPECT_EQ(Value(e.chunk), value) << e.typed;
                EXPECT_FALSE(Select(e.chunk == 2 ? 3 : 2)) << e.typed;  // the edit keeps its chunk
                EXPECT_EQ(list ? CurrentChunk : SelectedChunk(), e.chunk);
                Type(IDC_DATA_BOX, was);
            }
        }
        EXPECT_EQ(NodeNumberOf(state.Chunks[0]), 7);
        EXPECT_EQ(BoxTexts()[0], "An Integer takes a whole number from -2147483648 to 2147483647, or up to eight hex "
                                 "digits after 0x.");
        EXPECT_EQ(g_user.boxes[0].flags, UINT(MB_OK | MB_ICONINFORMATION));
        g_user.boxes.clear();
        Select(2);
        Type(IDC_DATA_BOX, "77");
        Select(3);
        EXPECT_EQ(list ? ListLines()[2] : ItemText(TreeItems()[2]), list ? "Integer(0x00)\t77\t2" : "77");
        EXPECT_EQ(Caption(), "KLV DTB Editor v1.0d - " + path + " *");
    }
}

// Values whose text does not read back as themselves survive being looked
// at; a payload the box cannot carry back whole is shown but cannot be
// typed over; one of any length is shown and edited whole.
TEST_F(Views, OnlyWhatTheUserChangedIsWrittenBack) {
    DtbBuilder b;
    b.Header({0x1C, 6, 0, 0, 0, 0, 0}).Scalar(1, 0x33D6BF95).Text(32, "a\rb").Text(32, std::string("abc\0def", 7));
    b.Scalar(1, 0x7FC00001).Text(5, std::string(4000, 'q') + "\n" + std::string(999, 'q')).Scalar(0, 1);
    std::vector<uint8_t> bytes = b.File(99);
    std::string tricky = WriteFile("tricky.dtb", bytes);
    OpenFile(tricky);
    for (int list = 0; list < 2; ++list) {
        for (int32_t chunk = 0; chunk < 6; ++chunk) Select(chunk);
        Select(2);
        EXPECT_TRUE(PaneLocked() && Text(IDC_LENGTH_BOX) == "7 - shown to its first zero byte, read-only");
        SendMessageA(Control(IDC_DATA_BOX), WM_CHAR, 'X', 0);  // a key typed goes nowhere
        Select(1);
        EXPECT_TRUE(PaneLocked() && Text(IDC_LENGTH_BOX) == "3 - holds carriage returns, read-only");
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
    EXPECT_TRUE(g_user.boxes.size() == 1);  // Open's question
}

// What is typed is never dropped: a view switch, the identifiers' box, Save
// and Find take it in first, and commands that show the header boxes anew
// take in what was typed there; without a chunk there is nothing to type in.
TEST_F(Views, TypedEditsAreNeverDropped) {
    Click(IDC_SHOW_AS_TREE);
    Select(2);
    Type(IDC_DATA_BOX, "4242");
    Click(IDC_SHOW_AS_TREE);
    Select(3);
    Type(IDC_DATA_BOX, "0.5");
    Click(IDC_SHOW_IDENTIFIERS);
    EXPECT_TRUE(Value(2) == 4242 && Value(3) == 0x3F000000);
    Click(IDC_SHOW_IDENTIFIERS);
    Type(IDC_KEY_BOX, "3735928559");
    Type(IDC_HEADER0_BOX, "12");  // typed: decimal, as the entry rule reads it
    Select(7);
    SetFocus(Control(IDC_CHUNK_TREE));
    Command(IDM_CUT);
    EXPECT_EQ(Text(IDC_KEY_BOX) + "|" + Text(IDC_HEADER0_BOX), "EF BE AD DE|0C");
    EXPECT_TRUE(Text(IDC_DATA_BOX).empty() && Text(IDC_LENGTH_BOX).empty() && PaneLocked());
    Command(IDM_SAVE);
    std::vector<std::string> saved = FileRows(path);
    EXPECT_EQ(saved.back(), "header 0C 09 00 DE AD BE EF");
    EXPECT_TRUE(saved[2] == "0:92 10 00 00" && state.Key == 0xDEADBEEF);

    // Refused: the header and the key keep their bytes, the box its text.
    const std::pair<int, const char*> typed[] = {{IDC_HEADER0_BOX, "zz"}, {IDC_HEADER36_BOX, "hello world"},
                                                 {IDC_HEADER36_BOX, "1 2 3"}, {IDC_KEY_BOX, "4294967296"}};
    for (const auto& t : typed) {
        Type(t.first, t.second);
        Command(IDM_SAVE);
        EXPECT_EQ(Text(t.first), t.second);
        g_user.answers.push_back(IDYES);
        Command(IDM_REVERT);  // shows the boxes afresh; nothing was read back
    }
    EXPECT_EQ(FileRows(path), saved);
    ASSERT_EQ(g_user.boxes.size(), 8u);
    EXPECT_EQ(g_user.boxes[0].text, "Header byte 0 takes a number from 0 to 255, or hex after 0x (such as 0x1C).");
}

TEST_F(Views, FindMovesForwardThroughTextChunks) {
    auto find = [&](const char* text, int32_t expected) {
        SetWindowTextA(Control(IDC_FIND_BOX), text);
        size_t boxes = g_user.boxes.size();
        Command(IDM_FIND);
        EXPECT_EQ(state.ShowAsTree ? SelectedChunk() : CurrentChunk, expected) << text;
        return g_user.boxes.size() - boxes;
    };
    EXPECT_EQ(find("ABC", 16), 0u);  // from chunk 0, case ignored
    EXPECT_TRUE(GetFocus() == Control(IDC_CHUNK_TREE) && Text(IDC_DATA_BOX) == "XabcX");
    EXPECT_EQ(find("window", 16), 1u);  // no wrap
    EXPECT_TRUE(g_user.boxes[0].text == "Could not find string." && g_user.boxes[0].flags == MB_ICONEXCLAMATION);
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
    EXPECT_TRUE(GetFocus() == Control(IDC_CHUNK_LIST) && Text(IDC_DATA_BOX) == "settings");

    // Letter case folds as the code page in use folds it: Cyrillic here.
    CaseFold fold;
    BuildCaseFold(1251, &fold);
    EXPECT_EQ(fold.lower[0xD7], 0xF7);  // Ч
    EXPECT_EQ(fold.lower[0xDF], 0xFF);  // Я
    EXPECT_EQ(fold.lower[0x9F], 0x9F);  // џ stays: it is no capital of я
    EXPECT_EQ(fold.lower['Q'], 'q');
    BuildCaseFold(1252, &fold);
    EXPECT_EQ(fold.lower[0x9F], 0xFF);  // Ÿ
}

// The focus rectangle is drawn by inverting: a focus change alone takes it
// off the line that had it.
TEST_F(Views, ListFocusRectangleLeavesItsLine) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 20);
    SelectObject(dc, bitmap);
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_LISTBOX;
    draw.hDC = dc;
    draw.rcItem = {0, 0, 200, 20};
    draw.itemAction = ODA_DRAWENTIRE;
    auto pixels = [&] {
        std::vector<COLORREF> all;
        for (int x = 0; x < 200; x += 3) all.push_back(GetPixel(dc, x, 0));
        return all;
    };
    DrawChunkListLine(&state, &draw);
    std::vector<COLORREF> plain = pixels();
    draw.itemState = ODS_FOCUS;
    DrawChunkListLine(&state, &draw);
    EXPECT_NE(pixels(), plain);
    draw.itemAction = ODA_FOCUS;  // the focus goes
    draw.itemState = 0;
    DrawChunkListLine(&state, &draw);
    EXPECT_EQ(pixels(), plain);
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
}

// A valid file of any depth: a chain of 16,000 nested nodes is searched to
// its end, rebuilt and closed without the control's recursion running out
// of stack.
TEST_F(Views, DeepChainsOpenAndClose) {
    DtbBuilder chain;
    const int kLevels = 16000;
    chain.Top(1);
    for (int level = 0; level < kLevels; ++level) chain.Node(16, 1, level);
    chain.Text(32, "needle");
    OpenFile(WriteFile("chain.dtb", chain.File(1)));
    SetWindowTextA(Control(IDC_FIND_BOX), "needle");
    Command(IDM_FIND);
    EXPECT_EQ(SelectedChunk(), kLevels);
    Click(IDC_SHOW_IDENTIFIERS);  // a rebuild that selects the chunk again
    EXPECT_EQ(SelectedChunk(), kLevels);
    Command(IDM_CLOSE);
    EXPECT_TRUE(TreeItems().empty() && g_user.boxes.size() == 1);  // Open's question
}

}  // namespace
