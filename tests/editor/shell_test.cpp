// Start-up, the end of the run, the About box's page, and keys pressed as a
// user does, through the input queue, the shortcut hook and the dialog manager.
#include "app/shell.h"
#include "driver.h"

namespace {

using Shell = EditorTest;

TEST_F(Shell, StartsInTreeModeWithNothingOpen) {
    EXPECT_EQ(Joined(Text(0), Grayed(IDM_SAVE), Grayed(IDM_SAVE_AS), Grayed(IDM_REVERT), Grayed(IDM_CLOSE)),
              kTitle + " 1 1 1 1");
    EXPECT_FALSE(Grayed(IDM_OPEN) || IsWindowEnabled(Control(IDM_INSERT)) || IsWindowEnabled(Control(IDM_REMOVE)));
    EXPECT_EQ(Joined(IsWindowVisible(Control(IDC_CHUNK_TREE)), IsWindowVisible(Control(IDC_CHUNK_LIST)),
                     IsDlgButtonChecked(window, IDC_SHOW_AS_TREE), IsDlgButtonChecked(window, IDC_SHOW_IDENTIFIERS)),
              "1 0 1 1");
    EXPECT_EQ(ImageList_GetImageCount(TreeView_GetImageList(Control(IDC_CHUNK_TREE), TVSIL_NORMAL)), 36);
    EXPECT_TRUE(PaneLocked());  // no chunk to type into
    // Without its memory the editor says so, in a box no window owns yet, and goes no further.
    static const BlockAllocator kNoMemory = {[](void*, void*, size_t) -> void* { return nullptr; }, [](void*, void*) {},
                                             nullptr};
    Editor starved;
    EXPECT_FALSE(StartEditor(&starved, GetModuleHandleA(nullptr), TestSeams(&user), &kNoMemory));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not allocate memory."});
    EXPECT_EQ(user.boxes[0].owner, nullptr);
    // The About box's page beside the program, never one by a relative name.
    char page[MAX_PATH] = "";
    EXPECT_TRUE(DonatePagePath("Z:/a.b/x.exe", page, sizeof page));
    EXPECT_EQ(std::string(page), "Z:/a.b/donate.htm");
    for (const char* bad : {"x.exe", "", "sub\\x.exe"}) EXPECT_FALSE(DonatePagePath(bad, page, sizeof page));
}

// Exit, the close box and Alt+F4, Close and New ask before unsaved work goes,
// and only then; a failed save or Cancel keeps it. Esc ends nothing.
TEST_F(Shell, UnsavedWorkIsNeverDroppedUnasked) {
    for (int way = 0; way < 3; ++way) {  // Exit, the close box, Alt+F4
        if (way) CreateMainWindow();
        OpenFile(path);
        Edit(2, "7");  // typed, not yet taken in: it counts
        PostMessageA(Control(IDC_CHUNK_TREE), WM_KEYDOWN, VK_ESCAPE, 0);
        for (int answer : {IDCANCEL, way == 2 ? IDYES : IDNO}) {
            user.answers.push_back(answer);
            if (way == 0)
                Command(IDM_EXIT);
            else
                PostMessageA(window, way == 1 ? WM_CLOSE : WM_SYSCOMMAND, way == 1 ? 0 : SC_CLOSE, 0);
            Pump();
            EXPECT_EQ(IsWindowVisible(window) != FALSE, answer == IDCANCEL) << way;
            EXPECT_EQ(Text(0), kTitle + " - " + path + " *");
        }
        EXPECT_EQ(BoxTexts(), std::vector<std::string>(2, "Save changes to " + path + "?")) << way;
        EXPECT_EQ(user.boxes[0].flags, UINT(MB_YESNOCANCEL | MB_ICONQUESTION));
        EndMainWindow();
        EXPECT_EQ(FileRows(path)[2], way == 2 ? "0:07 00 00 00" : "0:2A 00 00 00") << way;  // saved on Yes only
        user.boxes.clear();
    }
    CreateMainWindow();
    OpenFile(path);
    Edit(2, "12abc");  // refused: nothing ends, nothing is asked
    Command(IDM_CLOSE);
    Command(IDM_EXIT);
    EXPECT_EQ(Joined(IsWindowVisible(window), e.Doc.FileHandle != kNoFile), "1 1") << "a refused value let it end";
    Type(IDC_DATA_BOX, "8");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    user.answers.insert(user.answers.end(), {IDYES, IDYES});
    Command(IDM_CLOSE);  // Yes, and the save fails: nothing is closed
    Command(IDM_NEW);
    EXPECT_EQ(Joined(e.Doc.FileHandle != kNoFile, e.Doc.Modified, user.dialogFlags.size()), "1 1 4");
    EXPECT_EQ(BoxTexts()[3],
              path + " is read-only, so it cannot be saved over. Save As saves a copy under another name.");
    EXPECT_EQ(Joined(user.boxes[3].flags == (MB_OK | MB_ICONERROR), FileRows(path)[2]), "1 0:07 00 00 00");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A shortcut sends its command and goes no further: Ctrl+S in the Data box
// saves the pending edit and types nothing. Ctrl+Z in an edit box is the
// box's own; in the tree it takes back the document's last changes. Ctrl+C
// and Ctrl+X stay with an edit box, and Ctrl+V reaches it through Paste.
TEST_F(Shell, Keys) {
    OpenFile(path);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
    Edit(2, "4242");
    SetFocus(Control(IDC_DATA_BOX));
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_TRUE(PumpUntil([&] { return FileRows(path)[2] == "0:92 10 00 00" && Text(IDC_DATA_BOX) == "4242"; }));
    Select(6);
    Answer(IDC_INSERT_AFTER, "Integer - 0", "12");
    Command(IDM_INSERT);
    Select(9);
    SetFocus(Control(IDC_DATA_BOX));
    PressKeys({VK_END});
    PressKeys({'X'});
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_DATA_BOX) == "1.500000"; }) && e.Doc.ChunkCount == 18);
    SetFocus(Control(IDC_CHUNK_TREE));
    PressKeys({VK_CONTROL, 'Z'});
    PressKeys({VK_CONTROL, 'Z'});
    PressKeys({VK_CONTROL, 'S'});
    EXPECT_TRUE(PumpUntil([&] { return ReadFile(path) == TestFile(); }));
    EXPECT_EQ(Text(0), kTitle + " - " + path);
    SetWindowTextA(Control(IDC_FIND_BOX), "alpha");
    SetFocus(Control(IDC_FIND_BOX));
    SendMessageA(Control(IDC_FIND_BOX), EM_SETSEL, 0, -1);
    for (WORD key : {WORD('C'), WORD(VK_END), WORD('P'), WORD('V')})
        PressKeys({VK_CONTROL, key});  // Ctrl+P: no shortcut
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_FIND_BOX) == "alphaalpha"; }));
    SendMessageA(Control(IDC_FIND_BOX), EM_SETSEL, 0, 2);
    PressKeys({VK_CONTROL, 'X'});
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_FIND_BOX) == "phaalpha" && ClipboardBytes(CF_TEXT).size() == 2; }));
    EXPECT_EQ(Joined(user.boxes.size(), e.Doc.ChunkCount), "0 17");
}

// The About box opens with the focus on OK: Enter closes it and opens no page.
TEST_F(Shell, EnterClosesTheAboutBox) {
    std::pair<std::string, int> seen = {"", 0};  // the focus, and the ticks the box was open
    SetTimer(window, reinterpret_cast<UINT_PTR>(&seen), 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        auto& [focus, ticks] = *reinterpret_cast<std::pair<std::string, int>*>(id);
        HWND about = ThreadDialog("About");
        if (about && ticks++ == 0) focus = WindowText(GetFocus()), PressKeys({VK_RETURN});
        if (about && ticks == 50) SendMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);  // for the test to go on
    });
    Command(IDM_ABOUT);
    KillTimer(window, reinterpret_cast<UINT_PTR>(&seen));
    EXPECT_EQ(seen.first, "OK");
    EXPECT_LT(seen.second, 50) << "Enter did not close the box";
}

}  // namespace
