// Start-up, the end of the run and the About box.
#include "app/message_box.h"
#include "app/shell.h"
#include "document.h"
#include "editor_fixture.h"

namespace {

using Shell = EditorTest;

TEST_F(Shell, StartsInTreeModeWithNothingOpen) {
    EXPECT_EQ(Caption(), "KLV DTB Editor v1.0d");
    for (UINT command : {IDM_SAVE, IDM_SAVE_AS, IDM_REVERT, IDM_CLOSE}) EXPECT_TRUE(Grayed(command));
    for (UINT command : {IDM_NEW, IDM_OPEN, IDM_EXIT, IDM_COPY, IDM_PASTE}) EXPECT_FALSE(Grayed(command));
    EXPECT_FALSE(IsWindowEnabled(Control(IDM_INSERT)) || IsWindowEnabled(Control(IDM_REMOVE)));
    EXPECT_TRUE(IsWindowVisible(Control(IDC_CHUNK_TREE)) && IsWindowEnabled(Control(IDC_CHUNK_TREE)));
    EXPECT_FALSE(IsWindowVisible(Control(IDC_CHUNK_LIST)) || IsWindowEnabled(Control(IDC_CHUNK_LIST)));
    EXPECT_EQ(IsDlgButtonChecked(window, IDC_SHOW_AS_TREE) + IsDlgButtonChecked(window, IDC_SHOW_IDENTIFIERS), 2u);
    EXPECT_EQ(state.ShowAsTree + state.ShowIdentifiers, 2);
    EXPECT_EQ(CurrentChunk, -1);
    EXPECT_EQ(state.ClipboardFormat, RegisterClipboardFormatA("KLVDTB"));
    EXPECT_TRUE(state.MessageHook && state.Accelerators && SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    RECT desktop, own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &own);
    EXPECT_EQ(own.left, (desktop.right - (own.right - own.left)) / 2);
    EXPECT_EQ(own.top, (desktop.bottom - (own.bottom - own.top)) / 2);
    HIMAGELIST images = TreeView_GetImageList(Control(IDC_CHUNK_TREE), TVSIL_NORMAL);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(ImageList_GetImageCount(images) * 100 + width + height, 3634);  // 36 images of 17 x 17
    EXPECT_TRUE(TreeItems().empty() && g_boxes.empty());
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
    EXPECT_EQ(boxes[0].text, "Could not allocate memory.");
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].flags, UINT(MB_ICONERROR));
    EXPECT_TRUE(!state.MessageHook && !HookState && !state.Pool && !state.Chunks);
}

TEST_F(Shell, ExitEscAndTheCloseBoxEndAtOnce) {
    std::string path = WriteFile("a.dtb", StandardFile());
    for (int way = 0; way < 3; ++way) {
        if (way) CreateMainWindow();
        OpenFile(path);
        Select(2);
        Type(IDC_DATA_BOX, "7");
        if (way == 0) Command(IDM_EXIT);
        if (way == 1) PostMessageA(Control(IDC_DATA_BOX), WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == 2) PostMessageA(window, WM_CLOSE, 0, 0);
        Pump();
        EXPECT_FALSE(IsWindowVisible(window)) << way;  // what ending does to a modeless test window
        EXPECT_EQ(WindowIcon, nullptr);
        DestroyWindow(window);
        CloseHandle(FileOf(&state));
        state.FileHandle = kNoFile;
    }
    EXPECT_EQ(ReadFile(path), StandardFile());
    EXPECT_TRUE(g_boxes.empty());
}

// Only OK or Enter ends the box; Donate opens the page beside the program
// as often as it is pressed.
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
    EXPECT_TRUE(openAfterEsc);
    EXPECT_EQ(step, 2);
    EXPECT_FALSE(IsWindow(about));
    char program[MAX_PATH];
    std::string page(program, GetModuleFileNameA(nullptr, program, sizeof program));
    page = page.substr(0, page.find_last_of('\\') + 1) + "donate.htm";
    EXPECT_EQ(g_pages, std::vector<std::string>(2, page));

    std::string deep = "C:\\" + std::string(250, 'd') + "\\x.exe";  // no room for its folder
    char path[MAX_PATH];
    for (auto c : {std::make_pair("Z:/a.b/x.exe", "Z:/a.b/donate.htm"), {"x.exe", "donate.htm"},
                   {deep.c_str(), "donate.htm"}}) {
        DonatePagePath(c.first, path, sizeof path);
        EXPECT_STREQ(path, c.second);
    }
}

}  // namespace
