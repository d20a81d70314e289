// Start-up, the end of the run, the About box, and keys pressed as a user
// does, through the input queue, the shortcut hook and the dialog manager.
#include "app/message_box.h"
#include "app/shell.h"
#include "document.h"
#include "driver.h"

namespace {

const std::string kTitle = "KLV DTB Editor v1.0d";

using Shell = EditorTest;

TEST_F(Shell, StartsInTreeModeWithNothingOpen) {
    EXPECT_EQ(Caption(), kTitle);
    for (UINT command : {IDM_SAVE, IDM_SAVE_AS, IDM_REVERT, IDM_CLOSE}) EXPECT_TRUE(Grayed(command));
    for (UINT command : {IDM_NEW, IDM_OPEN, IDM_EXIT, IDM_COPY, IDM_PASTE}) EXPECT_FALSE(Grayed(command));
    EXPECT_FALSE(IsWindowEnabled(Control(IDM_INSERT)) || IsWindowEnabled(Control(IDM_REMOVE)));
    EXPECT_TRUE(IsWindowVisible(Control(IDC_CHUNK_TREE)) && IsWindowEnabled(Control(IDC_CHUNK_TREE)));
    EXPECT_FALSE(IsWindowVisible(Control(IDC_CHUNK_LIST)) || IsWindowEnabled(Control(IDC_CHUNK_LIST)));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_SHOW_AS_TREE) + IsDlgButtonChecked(window, IDC_SHOW_IDENTIFIERS), 2u);
    EXPECT_EQ(state.ClipboardFormat, RegisterClipboardFormatA("KLVDTB"));
    EXPECT_TRUE(state.MessageHook && state.Accelerators && SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    HIMAGELIST images = TreeView_GetImageList(Control(IDC_CHUNK_TREE), TVSIL_NORMAL);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(ImageList_GetImageCount(images) * 100 + width + height, 3634);  // 36 images of 17 x 17
    // Nothing to type into: the pane belongs to no chunk.
    EXPECT_TRUE(GetWindowLongA(Control(IDC_DATA_BOX), GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(TreeItems().empty() && g_user.boxes.empty());
}

// Without its memory the editor says so (no window owns the box yet) and
// goes no further.
TEST(ShellStart, MemoryFailureEndsTheRunBeforeAnyWindow) {
    static const BlockAllocator kNoMemory = {[](void*, size_t) -> void* { return nullptr; }, [](void*) {}};
    static std::vector<Box> boxes;
    MessageBoxSeam previous = ShowMessageBox;
    ShowMessageBox = [](HWND owner, const char* text, const char*, UINT flags) {
        boxes.push_back({owner, text, flags});
        return IDOK;
    };
    SetBlockAllocator(&kNoMemory);
    EditorState state;
    EXPECT_EQ(StartEditor(&state, GetModuleHandleA(nullptr)), -1);
    SetBlockAllocator(nullptr);
    ShowMessageBox = previous;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text == "Could not allocate memory." && !boxes[0].owner && boxes[0].flags == MB_ICONERROR);
    EXPECT_TRUE(!state.MessageHook && !HookState && !state.Pool && !state.Chunks);
}

// Exit, the close box and Alt+F4, Close and New ask before unsaved work goes,
// and only then; a failed save or Cancel keeps it. Esc ends nothing.
TEST_F(Shell, UnsavedWorkIsNeverDroppedUnasked) {
    std::string path = WriteFile("a.dtb", StandardFile());
    const std::string question = "Save changes to " + path + "?";
    auto end = [&](int way) {
        if (way == 0) Command(IDM_EXIT);
        if (way == 1) PostMessageA(window, WM_CLOSE, 0, 0);
        if (way == 2) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump();
    };
    for (int way = 0; way < 3; ++way) {
        if (way) CreateMainWindow();
        OpenFile(path);
        Select(2);
        Type(IDC_DATA_BOX, "7");  // typed, not yet taken in: it counts
        PostMessageA(Control(IDC_DATA_BOX), WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
        g_user.answers.push_back(IDCANCEL);
        end(way);
        EXPECT_TRUE(IsWindowVisible(window)) << way;
        EXPECT_EQ(Caption(), kTitle + " - " + path + " *");
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{question});
        EXPECT_EQ(g_user.boxes[0].flags, UINT(MB_YESNOCANCEL | MB_ICONQUESTION));
        g_user.answers.push_back(way == 2 ? IDYES : IDNO);
        end(way);
        EXPECT_FALSE(IsWindowVisible(window)) << way;  // what ending does to a modeless test window
        EXPECT_EQ(WindowIcon, nullptr);
        DestroyWindow(window);
        CloseHandle(FileOf(&state));
        state.FileHandle = kNoFile;
        EXPECT_EQ(FileRows(path)[2], way == 2 ? "0:07 00 00 00" : "0:2A 00 00 00");  // saved on Yes only
        g_user.boxes.clear();
    }
    CreateMainWindow();
    OpenFile(path);
    Command(IDM_EXIT);  // nothing changed: no question
    EXPECT_TRUE(!IsWindowVisible(window) && g_user.boxes.empty());
    DestroyWindow(window);
    CloseHandle(FileOf(&state));
    state.FileHandle = kNoFile;

    CreateMainWindow();
    OpenFile(path);
    g_user.boxes.clear();
    Select(2);
    Type(IDC_DATA_BOX, "12abc");  // refused: nothing ends, nothing is asked
    Command(IDM_CLOSE);
    Command(IDM_EXIT);
    EXPECT_TRUE(IsWindowVisible(window) && state.FileHandle != kNoFile);
    Type(IDC_DATA_BOX, "8");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    g_user.answers.insert(g_user.answers.end(), {IDYES, IDYES});
    size_t dialogs = g_user.dialogs.size();
    Command(IDM_CLOSE);  // Yes, and the save fails: nothing is closed
    Command(IDM_NEW);
    EXPECT_TRUE(state.FileHandle != kNoFile && state.Modified && g_user.dialogs.size() == dialogs);
    ASSERT_EQ(g_user.boxes.size(), 6u);
    EXPECT_EQ(g_user.boxes[3].text, "SAVE FAILED: Could not create file " + path + " (5)");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Only OK or Enter ends the box; Donate opens the page beside the program
// as often as it is pressed, and never a page by a relative name.
TEST_F(Shell, AboutBox) {
    static HWND about;
    static int step;
    static bool openAfterEsc;
    about = nullptr;
    step = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
        about = FindWindowA(nullptr, "About");
        if (!about) return;
        if (step == 0) {
            for (int press = 0; press < 2; ++press) SendMessageA(about, WM_COMMAND, IDC_DONATE, 0);
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        } else if (step == 1) {
            openAfterEsc = IsWindowVisible(about);
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        }
        ++step;
    });
    Command(IDM_ABOUT);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(openAfterEsc && step == 2 && !IsWindow(about));
    char program[MAX_PATH];
    std::string page(program, GetModuleFileNameA(nullptr, program, sizeof program));
    page = page.substr(0, page.find_last_of('\\') + 1) + "donate.htm";
    EXPECT_EQ(g_user.pages, std::vector<std::string>(2, page));

    std::string deep = "C:\\" + std::string(250, 'd') + "\\x.exe";  // no room for its folder
    char path[MAX_PATH] = "";
    EXPECT_TRUE(DonatePagePath("Z:/a.b/x.exe", path, sizeof path) && std::string(path) == "Z:/a.b/donate.htm");
    for (const char* bad : {"x.exe", "", "sub\\x.exe", deep.c_str()}) EXPECT_FALSE(DonatePagePath(bad, path, sizeof path));
}

class Keys : public EditorTest {
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
    std::string path;
};

// Ctrl+C and Ctrl+X stay with an edit box, Ctrl+V reaches it through the
// Paste command, Ctrl+P is no shortcut at all, and in a dialog over the
// window every key is the dialog's.
TEST_F(Keys, ClipboardKeysInEditBoxesAndDialogs) {
    PutOnClipboard(CF_TEXT, {'b', 0});
    Focus(IDC_FIND_BOX, "hello");
    PressKeys({VK_CONTROL, 'C'});
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "hello"; }));
    Focus(IDC_FIND_BOX, "");
    PressKeys({VK_CONTROL, 'V'});
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_FIND_BOX) == "hello"; }));
    Focus(IDC_FIND_BOX, "abc");
    PressKeys({VK_CONTROL, 'P'});
    PressKeys({VK_CONTROL, 'X'});
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "abc"; }));
    EXPECT_TRUE(Text(IDC_FIND_BOX).empty() && g_user.boxes.empty() && state.ChunkCount == 17);

    // Ctrl+V typed into the Insert dialog's Data/ID box pastes there.
    static std::string pasted;
    static int tick;
    tick = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = FindWindowA(nullptr, "Insert Chunk...");
        if (!dialog || !IsWindowEnabled(dialog)) return;
        if (GetForegroundWindow() != dialog) {  // keys go to the window in front
            SetForegroundWindow(dialog);
        } else if (tick++ == 0) {
            SetFocus(GetDlgItem(dialog, IDC_DATA_ID));
            PressKeys({VK_CONTROL, 'V'});
        } else if (tick > 10) {
            char text[64] = "";
            GetDlgItemTextA(dialog, IDC_DATA_ID, text, sizeof text);
            pasted = text;
            SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        }
    });
    KillTimer(nullptr, insertTimer);
    Select(2);
    Command(IDM_INSERT);
    KillTimer(nullptr, timer);
    EXPECT_EQ(pasted, "abc");
    EXPECT_EQ(state.ChunkCount, 17);
}

// A shortcut sends its command and goes no further: Ctrl+S in the Data box
// saves the pending edit and types nothing.
TEST_F(Keys, ShortcutsReachTheCommandsOnly) {
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
    EXPECT_TRUE(g_user.boxes.empty());
}

// Enter runs Find from every box; a box that takes a value scrolls, so a
// value wider than the box is typed whole.
TEST_F(Keys, EnterFindsAndBoxesTakeWholeValues) {
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
    Focus(IDC_HEADER0_BOX, "");
    for (WORD key : {'0', 'X', '2', 'A'}) PressKeys({key});
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_HEADER0_BOX) == "0x2a"; })) << Text(IDC_HEADER0_BOX);
    Command(IDM_SAVE);
    EXPECT_TRUE(state.HeaderBytes[0] == 0x2A && g_user.boxes.empty());
}

TEST_F(Keys, TreeAndListKeys) {
    Select(0);
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_RIGHT});  // items start collapsed
    PressKeys({VK_DOWN});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 1; }));
    Type(IDC_DATA_BOX, "edited");
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_DOWN});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 2 && Payload(1) == "edited"; }));
    // A letter in the list goes to the next line that starts with it.
    Click(IDC_SHOW_AS_TREE);
    Select(3);
    SetFocus(Control(IDC_CHUNK_LIST));
    PressKeys({'N'});
    EXPECT_TRUE(PumpUntil([&] { return CurrentChunk == 4 && Text(IDC_DATA_BOX) == "02 00 02 00 00 00"; }));
    PressKeys({'F'});  // File Ref, from the line after
    EXPECT_TRUE(PumpUntil([&] { return CurrentChunk == 10; }));
    PressKeys({'Q'});  // no line: nothing moves
    PressKeys({VK_UP});
    EXPECT_TRUE(PumpUntil([&] { return CurrentChunk == 9; }));
    EXPECT_TRUE(g_user.boxes.empty());
}

}  // namespace
