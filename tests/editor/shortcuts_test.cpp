// Keys pressed as a user does, through the input queue, the shortcut hook
// and the dialog manager.
#include "editor_fixture.h"

namespace {

class Shortcuts : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        path = WriteFile("a.dtb", StandardFile());
        OpenFile(path);
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
    }
    void Focus(int id, const char* text = nullptr) {
        if (text) SetWindowTextA(Control(id), text);
        SetFocus(Control(id));
        SendMessageA(Control(id), EM_SETSEL, 0, -1);
        Pump();
    }
    static std::string Clipboard(const char* put = nullptr) {
        std::string text;
        if (!OpenClipboard(nullptr)) return text;
        if (put) {
            EmptyClipboard();
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(put) + 1);
            strcpy(static_cast<char*>(GlobalLock(memory)), put);
            GlobalUnlock(memory);
            SetClipboardData(CF_TEXT, memory);
        } else if (HANDLE memory = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(memory));
            GlobalUnlock(memory);
        }
        CloseClipboard();
        return text;
    }
    std::string path;
};

// Ctrl+C and Ctrl+X stay with an edit box, Ctrl+V reaches it through the
// Paste command, and Ctrl+P is no shortcut at all.
TEST_F(Shortcuts, ClipboardKeysInEditBoxes) {
    Clipboard("before");
    Focus(IDC_FIND_BOX, "hello");
    PressKeys({VK_CONTROL, 'C'});
    EXPECT_TRUE(PumpUntil([] { return Clipboard() == "hello"; }));
    Focus(IDC_KEY_BOX);
    PressKeys({VK_CONTROL, 'V'});
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_KEY_BOX) == "hello"; }));
    Focus(IDC_DATA_BOX, "abc");
    PressKeys({VK_CONTROL, 'P'});
    PressKeys({VK_CONTROL, 'X'});
    EXPECT_TRUE(PumpUntil([] { return Clipboard() == "abc"; }));
    EXPECT_EQ(Text(IDC_DATA_BOX), "");
    Focus(IDC_FIND_BOX, "menu");  // the menu's commands go to the focused box too
    Command(IDM_COPY);
    Command(IDM_CUT);
    EXPECT_TRUE(Clipboard() == "menu" && Text(IDC_FIND_BOX).empty());
    Command(IDM_PASTE);
    EXPECT_EQ(Text(IDC_FIND_BOX), "menu");
    EXPECT_TRUE(g_boxes.empty() && state.ChunkCount == 17);
}

// A shortcut sends its command and goes no further: Ctrl+S in the Data box
// saves the pending edit and types nothing.
TEST_F(Shortcuts, ShortcutsReachTheCommandsOnly) {
    Select(2);
    Focus(IDC_DATA_BOX);
    Type(IDC_DATA_BOX, "4242");
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_TRUE(PumpUntil([&] { return ReadFile(path) != StandardFile(); }));
    EXPECT_EQ(Text(IDC_DATA_BOX), "4242");
    PressKeys({VK_CONTROL, VK_F4});
    EXPECT_TRUE(PumpUntil([&] { return state.FileHandle == kNoFile; }));
    PressKeys({VK_CONTROL, 'S'});  // grayed now: nothing happens
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Shortcuts, EnterRunsFindFromEveryBox) {
    SetWindowTextA(Control(IDC_FIND_BOX), "window");
    for (int id : {IDC_DATA_BOX, IDC_FIND_BOX, IDC_HEADER0_BOX, IDC_KEY_BOX}) {
        Select(0);
        Focus(id);
        std::string before = Text(id);
        PressKeys({VK_RETURN});
        EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 5; })) << id;
        // No line break in the Data box: it shows the chunk found.
        EXPECT_EQ(Text(id), id == IDC_DATA_BOX ? "window" : before) << id;
    }
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(Shortcuts, TreeKeys) {
    Select(0);
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_RIGHT});  // items start collapsed
    PressKeys({VK_DOWN});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 1; }));
    Type(IDC_DATA_BOX, "edited");
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_DOWN});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 2 && Payload(1) == "edited"; }));
    EXPECT_TRUE(g_boxes.empty());
}

// Insert and Remove take in the header boxes and the Data box first, even
// when they refuse; in the list the clipboard commands are the list's own.
TEST_F(Shortcuts, EditingCommandsTakeInTheBoxesFirst) {
    Click(IDC_SHOW_AS_TREE);
    Select(3);
    Type(IDC_DATA_BOX, "2.5");
    Type(IDC_HEADER0_BOX, "300");
    Command(IDM_REMOVE);  // the list is refilled; its current line stays, selected
    EXPECT_TRUE(state.HeaderBytes[0] == 0x2C && Text(IDC_HEADER0_BOX) == "2C");
    EXPECT_TRUE(ReadU32(state.Chunks[3].Value) == 0x40200000 && ListLines().size() == 17);
    EXPECT_TRUE(CurrentChunk == 3 && SendMessageA(Control(IDC_CHUNK_LIST), LB_GETCURSEL, 0, 0) == 3);
    Command(IDM_INSERT);
    for (int id : {IDM_COPY, IDM_CUT, IDM_PASTE}) {
        SetFocus(Control(IDC_CHUNK_LIST));
        Command(id);
    }
    EXPECT_TRUE(state.ChunkCount == 17 && ReadFile(path) == StandardFile());
    EXPECT_EQ(g_boxes.size(), 2u);  // the two refusals of the list view
}

}  // namespace
