// At home on Windows: a file from the command line or dropped from
// Explorer, the recent files, the keys and the context menu, and what the
// built program says of itself in its resources.
#include "driver.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "document/recent_files.h"
#include "views/views.h"

namespace {

using Desktop = EditorTest;

// A drop of files as Explorer makes it; the window's DragFinish frees it.
WPARAM Dropped(const std::vector<std::string>& files) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& f : files) size += f.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(drop + 1);
    for (const std::string& f : files) at = std::copy(f.begin(), f.end(), at) + 1;  // the zeros are there
    GlobalUnlock(memory);
    return reinterpret_cast<WPARAM>(memory);
}

std::string MenuText(HMENU menu, UINT id) {
    char text[MAX_PATH + 8] = "";
    GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

// A file named on the command line opens once the window is up, found from
// the current folder, blanks and all; one that is not there is said so and
// leaves the editor empty. A drop opens its first file, with Open's question.
TEST_F(Desktop, FilesFromTheCommandLineAndFromExplorer) {
    const std::string spaced = WriteFile("with blanks.dtb", TestFile());
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA(folder.c_str());
    for (const char* named : {"with blanks.dtb", "missing.dtb"}) {
        EndMainWindow();
        e.StartFile = named;
        CreateMainWindow();
        EXPECT_TRUE(PumpUntil([&] { return Text(0) != kTitle || !g_user.boxes.empty(); })) << named;
    }
    SetCurrentDirectoryA(current);
    e.StartFile = nullptr;
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not open file " + folder + "\\missing.dtb (2)"});
    EXPECT_TRUE(Text(0) == kTitle && TreeItems().empty());
    const std::string longer = folder + "\\" + std::string(300, 'x') + ".dtb";  // said so, never cut to another file
    SendMessageA(window, WM_DROPFILES, Dropped({longer}), 0);
    EXPECT_TRUE(BoxTexts().back() == "Could not open file " + longer + " (206)" && Text(0) == kTitle);
    g_user.boxes.pop_back();
    SendMessageA(window, WM_DROPFILES, Dropped({path}), 0);
    EXPECT_EQ(Text(0), kTitle + " - " + path);
    g_user.answers.push_back(IDYES);
    SendMessageA(window, WM_DROPFILES, Dropped({spaced, path}), 0);
    EXPECT_EQ(Text(0), kTitle + " - " + spaced);
    EXPECT_EQ(BoxTexts()[1], "2 files were dropped; only the first is opened: " + spaced);
    EXPECT_EQ(BoxTexts()[2], "Current file will close without saving.  Continue?");
}

// The files opened or saved, newest first at the foot of the File menu, at
// most eight, are there again in the next run; one that is gone is taken off
// the list when chosen.
TEST_F(Desktop, RecentFiles) {
    const std::string b = WriteFile("b.dtb", TestFile()), c = folder + "\\c.dtb";
    OpenFile(path);
    OpenFile(b);
    g_user.choices.push_back({c, 0});
    Command(IDM_SAVE_AS);
    OpenFile(path);  // up to the top again
    auto recent = [&] {
        std::string all;
        HMENU file = GetSubMenu(GetMenu(window), 0);
        for (UINT k = 0; k < 9; ++k) all += MenuText(file, IDM_RECENT_FIRST + k) + "|";
        return all;
    };
    EXPECT_EQ(recent(), "&1 " + path + "|&2 " + c + "|&3 " + b + "|||||||");
    for (int k = 0; k < 7; ++k) AddRecentFile(&e, (folder + "\\gone" + std::to_string(k) + ".dtb").c_str());
    EndMainWindow();
    CreateMainWindow();  // the next run
    std::string listed = recent();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '&'), 8);
    EXPECT_EQ(listed.substr(0, listed.find('|')), "&1 " + folder + "\\gone6.dtb");
    EXPECT_NE(listed.find("&8 " + path + "|"), std::string::npos);
    Command(IDM_RECENT_FIRST + 1);
    EXPECT_EQ(BoxTexts().back(), folder + "\\gone5.dtb could not be found. It is taken off the recent files.");
    Command(IDM_RECENT_FIRST + 6);  // now the seventh: a.dtb, still there
    EXPECT_EQ(Text(0), kTitle + " - " + path);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRecentKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "File7", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "File8", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(recent().substr(0, 3 + path.size()), "&1 " + path);
}

// Delete removes the selected chunk in the tree, and a character in a box;
// F3 finds the next match. The context menu offers the chunk commands for
// the item clicked, which it selects, or for the keyboard at the selection.
TEST_F(Desktop, KeysAndTheContextMenu) {
    OpenFile(path);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }));
    HWND tree = Control(IDC_CHUNK_TREE);
    EXPECT_TRUE(GetWindowLongA(tree, GWL_STYLE) & WS_TABSTOP);
    Select(13);
    PressKeys({VK_DELETE});
    EXPECT_TRUE(PumpUntil([&] { return e.Doc.ChunkCount == 16; }));
    Edit(2, "42");
    SetFocus(Control(IDC_DATA_BOX));
    PressKeys({VK_HOME});
    PressKeys({VK_DELETE});
    EXPECT_TRUE(PumpUntil([&] { return Text(IDC_DATA_BOX) == "2"; }) && e.Doc.ChunkCount == 16);
    SetWindowTextA(Control(IDC_FIND_BOX), "abc");
    SetFocus(tree);
    PressKeys({VK_F3});
    EXPECT_TRUE(PumpUntil([&] { return SelectedChunk() == 14; }));
    g_user.menuChoices = {IDM_COPY, IDM_REMOVE};
    Select(6);
    RECT box = {};
    TreeView_GetItemRect(tree, TreeView_GetParent(tree, TreeView_GetParent(tree, TreeView_GetSelection(tree))), &box, TRUE);
    POINT at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ClientToScreen(tree, &at);
    SendMessageA(window, WM_CONTEXTMENU, WPARAM(tree), MAKELPARAM(at.x, at.y));  // a right click on chunk 3
    EXPECT_TRUE(SelectedChunk() == 3 && ClipboardBytes(e.ClipboardFormat).at(0) == 5);  // its five chunks
    SendMessageA(window, WM_CONTEXTMENU, WPARAM(tree), LPARAM(-1));  // Shift+F10: chunk 3 goes
    Pump();
    EXPECT_EQ(e.Doc.ChunkCount, 11);
    ASSERT_EQ(g_user.menus.size(), 2u);
    EXPECT_EQ(g_user.menus[0].first, "&Insert...|&Remove\tDel||&Copy\tCtrl+C|Cu&t\tCtrl+X|&Paste\tCtrl+V");
    EXPECT_TRUE(g_user.menus[0].second.x == at.x && g_user.menus[1].second.y > at.y);
    HMENU menu = GetMenu(window);
    EXPECT_EQ(MenuText(menu, IDM_COPY) + MenuText(menu, IDM_CUT) + MenuText(menu, IDM_PASTE),
              "&Copy...\tCtrl+C" "Cu&t...\tCtrl+X" "&Paste...\tCtrl+V");
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[64] = "";
        GetWindowTextA(child, text, sizeof text);
        EXPECT_EQ(std::string(text).find("&F"), std::string::npos) << text;  // Alt+F is the File menu's
    }
}

// On a wide file an edit changes only the items that differ; what shows
// after every edit, undo and redo is what a tree built afresh shows with
// the same chunk selected: the same items, opened, selected and scrolled.
TEST_F(Desktop, EditsOnAWideFileShowWhatARebuildShows) {
    DtbBuilder b;
    b.Top(600);
    for (int i = 0; i < 600; ++i) {
        if (i % 7) b.Scalar(0, uint32_t(i));
        else b.Node(16, 3, i).Text(5, "n" + std::to_string(i)).Scalar(0, 1).Node(17, 1, -i).Scalar(0, 2);
    }
    OpenFile(WriteFile("wide.dtb", b.File(3)));
    HWND tree = Control(IDC_CHUNK_TREE);
    auto picture = [&] {  // the items the control holds, as they are
        std::string all;
        for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
            char text[64] = "";
            TVITEMA data = {};
            data.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
            data.hItem = item, data.pszText = text, data.cchTextMax = sizeof text;
            TreeView_GetItem(tree, &data);
            all += std::to_string(TreeItemChunk(&e, data.lParam)) + text + (data.state & TVIS_EXPANDED ? "+" : "") +
                   (data.state & TVIS_SELECTED ? "*" : "") + " ";
            HTREEITEM next = TreeView_GetChild(tree, item);
            for (; !next && item; item = TreeView_GetParent(tree, item)) next = TreeView_GetNextSibling(tree, item);
            item = next;
        }
        TVITEMA first = {};
        first.mask = TVIF_HANDLE | TVIF_PARAM;
        first.hItem = TreeView_GetFirstVisible(tree);
        TreeView_GetItem(tree, &first);
        return all + "| " + std::to_string(TreeView_GetCount(tree)) + " from " + std::to_string(TreeItemChunk(&e, first.lParam));
    };
    const struct { int command; int32_t selected; int location; uint32_t moves; } steps[] = {  // moves: chunks came or went
        {IDM_INSERT, 300, IDC_INSERT_AFTER, 1}, {IDM_REMOVE, 5, 0, 1}, {IDM_INSERT, 13, IDC_INSERT_UNDER, 1},
        {IDM_CUT, 16, 0, 1},  {IDM_PASTE, 700, IDC_INSERT_BEFORE, 1}, {IDM_UNDO, 1, 0, 1}, {IDM_UNDO, 1, 0, 1},
        {IDM_REDO, 1, 0, 1},  {IDM_REMOVE, 7, 0, 1}, {0, 6, 0, 0}, {IDM_INSERT, 9, IDC_INSERT_BEFORE, 1},
        {IDM_UNDO, 1, 0, 1},  {IDM_UNDO, 1, 0, 0},   {IDM_REMOVE, 0, 0, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        const uint32_t moved = e.Doc.History.Steps;
        Select(step.selected);
        if (step.location) Answer(step.location, step.command == IDM_INSERT ? "Integer - 0" : "", "5");
        if (step.command) Command(step.command);
        else Type(IDC_DATA_BOX, "77"), Select(step.selected + 1);  // a value: the next edit follows it
        EXPECT_EQ(e.Doc.History.Steps, moved + step.moves);
        const std::string followed = picture();
        int32_t selected = SelectedChunk();
        BuildChunkTree(&e);
        SelectTreeChunk(&e, selected);
        Pump();
        EXPECT_EQ(followed, picture());
    }
}

// The built program asks for the common controls of version 6, to run as
// the user who starts it, and to scale to the screen's DPI; both programs
// carry the build's version.
TEST(Program, ManifestIsInTheExecutable) {
    std::string exe = "Z:" DTBEDIT_EXE;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << exe;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))), SizeofResource(module, found));
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
                             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>", ">true</dpiAware>"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    FreeLibrary(module);
    // Both programs carry the one version of the build.
    for (std::string program : {std::string("Z:" DTBEDIT_EXE), std::string("Z:" DTBTOOL_EXE)}) {
        std::replace(program.begin(), program.end(), '/', '\\');
        std::vector<char> info(GetFileVersionInfoSizeA(program.c_str(), nullptr));
        ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(program.c_str(), 0, DWORD(info.size()), info.data())) << program;
        char* version = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\FileVersion", reinterpret_cast<void**>(&version), &length));
        EXPECT_STREQ(version, DTB_VERSION) << program;
    }
}

}  // namespace
