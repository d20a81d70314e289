// At home on Windows: a file from the command line or dropped from
// Explorer, the recent files, the keys and the context menu, and what the
// built program says of itself in its resources.
#include "driver.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "chunk_types.h"
#include "document/recent_files.h"
#include "views/views.h"

namespace {

using Desktop = EditorTest;

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
        EXPECT_TRUE(PumpUntil([&] { return Text(0) != kTitle || !user.boxes.empty(); })) << named;
    }
    SetCurrentDirectoryA(current);
    e.StartFile = nullptr;
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not open file " + folder + "\\missing.dtb (2)"});
    EXPECT_EQ(Joined(Text(0), TreeItems().size()), kTitle + " 0");
    const std::string longer = folder + "\\" + std::string(300, 'x') + ".dtb";  // said so, never cut to another file
    SendMessageA(window, WM_DROPFILES, Dropped({longer}), 0);
    EXPECT_EQ(Joined(BoxTexts().back(), Text(0)), "Could not open file " + longer + " (206) " + kTitle);
    user.boxes.pop_back();
    SendMessageA(window, WM_DROPFILES, Dropped({path}), 0);
    EXPECT_EQ(Text(0), kTitle + " - " + path);
    SendMessageA(window, WM_DROPFILES, Dropped({spaced, path}), 0);  // nothing unsaved: nothing asked
    EXPECT_EQ(Text(0), kTitle + " - " + spaced);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Could not open file " + folder + "\\missing.dtb (2)",
                                                    "2 files were dropped; only the first is opened: " + spaced}));
}

// The files opened or saved, newest first at the foot of the File menu, at
// most eight, are there again in the next run; one that is gone is taken off
// the list when chosen.
TEST_F(Desktop, RecentFiles) {
    const std::string b = WriteFile("b.dtb", TestFile()), c = folder + "\\c.dtb";
    OpenFile(path);
    OpenFile(b);
    user.choices.push_back({c, 0});
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
    user.menuChoices = {IDM_COPY, IDM_REMOVE};
    Select(6);
    RECT box = {};
    TreeView_GetItemRect(tree, TreeView_GetParent(tree, TreeView_GetParent(tree, TreeView_GetSelection(tree))), &box,
                         TRUE);
    POINT at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ClientToScreen(tree, &at);
    SendMessageA(window, WM_CONTEXTMENU, WPARAM(tree), MAKELPARAM(at.x, at.y));          // a right click on chunk 3
    EXPECT_EQ(Joined(SelectedChunk(), ClipboardBytes(e.ClipboardFormat).at(0)), "3 5");  // its five chunks
    SendMessageA(window, WM_CONTEXTMENU, WPARAM(tree), LPARAM(-1));                      // Shift+F10: chunk 3 goes
    Pump();
    EXPECT_EQ(e.Doc.ChunkCount, 11);
    ASSERT_EQ(user.menus.size(), 2u);
    EXPECT_EQ(user.menus[0].first,
              "&Insert...|&Remove\tDel||&Copy\tCtrl+C|Cu&t\tCtrl+X|&Paste\tCtrl+V|&Duplicate\tCtrl+D||M&ove Up\tAlt+Up|"
              "Move Do&wn\tAlt+Down||Copy Pat&h\tCtrl+Shift+C|Copy &Value");
    EXPECT_EQ(Joined(user.menus[0].second.x - at.x, user.menus[1].second.y > at.y), "0 1");
    HMENU menu = GetMenu(window);
    EXPECT_EQ(MenuText(menu, IDM_COPY) + "|" + MenuText(menu, IDM_CUT) + "|" + MenuText(menu, IDM_PASTE),
              "&Copy...\tCtrl+C|Cu&t...\tCtrl+X|&Paste...\tCtrl+V");
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[64] = "";
        GetWindowTextA(child, text, sizeof text);
        EXPECT_EQ(std::string(text).find("&F"), std::string::npos) << text;  // Alt+F is the File menu's
    }
}

// On a wide file an edit changes only the items that differ; what shows
// after every edit, undo and redo is what a tree built afresh shows with the
// same nodes opened and the same chunk selected: the same items, buttons,
// open nodes, selection and scrolling. Nodes opened before an edit (named,
// nested, empty, far from the edit) stay open and can be closed and opened
// again after it.
TEST_F(Desktop, EditsOnAWideFileShowWhatARebuildShows) {
    DtbBuilder b;
    b.Top(600);
    for (int i = 0; i < 600; ++i) {
        if (i % 7 == 0)
            b.Node(16, 3, i).Text(5, "n" + std::to_string(i)).Scalar(0, 1).Node(17, 1, -i).Scalar(0, 2);
        else if (i % 7 == 5)
            b.Node(19, 0, i);  // a node without children
        else
            b.Scalar(0, uint32_t(i));
    }
    OpenFile(WriteFile("wide.dtb", b.File(3)));
    HWND tree = Control(IDC_CHUNK_TREE);
    std::vector<int32_t> opened;
    auto picture = [&] {  // the items shown, as they are; opened gets the open nodes
        std::string all;
        opened.clear();
        for (HTREEITEM item = TreeView_GetRoot(tree); item;) {
            char text[64] = "";
            TVITEMA data = {};
            data.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
            data.hItem = item, data.pszText = text, data.cchTextMax = sizeof text;
            TreeView_GetItem(tree, &data);
            int32_t chunk = TreeItemChunk(&e, data.lParam);
            bool open = data.state & TVIS_EXPANDED;
            if (open) opened.push_back(chunk);
            all += std::to_string(chunk) + text + (data.cChildren ? "[+]" : "") + (open ? "+" : "") +
                   (data.state & TVIS_SELECTED ? "*" : "") + " ";
            HTREEITEM next = open ? TreeView_GetChild(tree, item) : nullptr;
            for (; !next && item; item = TreeView_GetParent(tree, item)) next = TreeView_GetNextSibling(tree, item);
            item = next;
        }
        TVITEMA first = {};
        first.mask = TVIF_HANDLE | TVIF_PARAM;
        first.hItem = TreeView_GetFirstVisible(tree);
        TreeView_GetItem(tree, &first);
        return all + "| from " + std::to_string(TreeItemChunk(&e, first.lParam));
    };
    auto open = [&](int32_t chunk, UINT how = TVE_EXPAND) {  // as a click on the node's button does
        int32_t i = ItemOfChunk(&e.Tree.Shape, chunk);
        ASSERT_TRUE(i >= 0 && e.Tree.Items[i]) << chunk;
        TreeView_Expand(tree, e.Tree.Items[i], how);
        Pump();
    };
    auto at = [&](int32_t number) {  // the chunk of the node numbered so
        for (int32_t c = 0; c < e.Doc.ChunkCount; ++c)
            if (IsNodeType(e.Doc.Chunks[c].Type) && NodeNumberOf(e.Doc.Chunks[c]) == number) return c;
        return -1;
    };
    // Named, nested, empty, where edits land, the last.
    for (int32_t node : {0, 3, 9, 11, 14, 20, 297, 300, 935}) open(node);
    const int32_t kChunk = INT32_MIN;  // selected is a chunk; otherwise the chunk after the node numbered node
    const struct {
        int command;
        int32_t selected;
        int location;
        uint32_t moves;
        int32_t node = kChunk;
    } steps[] = {// moves: chunks came or went
                 {IDM_INSERT, 300, IDC_INSERT_AFTER, 1},
                 {IDM_REMOVE, 5, 0, 1},
                 {IDM_INSERT, 13, IDC_INSERT_UNDER, 1},
                 {IDM_CUT, 16, 0, 1},
                 {IDM_PASTE, 700, IDC_INSERT_BEFORE, 1},
                 {IDM_UNDO, 1, 0, 1},
                 {IDM_UNDO, 1, 0, 1},
                 {IDM_REDO, 1, 0, 1},
                 {IDM_REMOVE, 7, 0, 1},
                 {0, 6, 0, 0},
                 {IDM_INSERT, 9, IDC_INSERT_BEFORE, 1},
                 {IDM_UNDO, 1, 0, 1},
                 {IDM_UNDO, 1, 0, 0},
                 {IDM_REMOVE, 1, 0, 1, -189},  // the only child of an open node
                 {IDM_UNDO, 1, 0, 1},
                 {IDM_INSERT, 0, IDC_INSERT_UNDER, 1, 12},  // into an open empty node
                 {IDM_MOVE_DOWN, 0, 0, 1, 14},              // an open node past a leaf
                 {IDM_MOVE_UP, 0, 0, 1, 189},               // an open node far from the others
                 {IDM_UNDO, 1, 0, 1},
                 {IDM_REDO, 1, 0, 1},
                 {IDM_DUPLICATE, 0, 0, 1, 14},  // its open nodes closed in the copy
                 {IDM_REMOVE, 0, 0, 1, 7},      // an open node with an open node in it
                 {IDM_UNDO, 1, 0, 1},
                 {IDM_REMOVE, 0, 0, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        const uint32_t moved = e.Doc.History.Steps;
        Select(step.node == kChunk ? step.selected : at(step.node) + step.selected);
        if (step.location) Answer(step.location, step.command == IDM_INSERT ? "Integer - 0" : "", "5");
        if (step.command)
            Command(step.command);
        else
            Type(IDC_DATA_BOX, "77"), Select(step.selected + 1);  // a value: the next edit follows it
        EXPECT_EQ(e.Doc.History.Steps, moved + step.moves);
        const std::string followed = picture();
        const std::vector<int32_t> open_nodes = opened;
        for (int32_t kept : {at(189), at(595)})  // opened before, far from every edit
            EXPECT_EQ(std::count(open_nodes.begin(), open_nodes.end(), kept), 1)
                << "closed: the node at chunk " << kept;
        int32_t selected = SelectedChunk();
        BuildChunkTree(&e);
        for (int32_t node : open_nodes) open(node);
        TreeView_Select(tree, TreeView_GetRoot(tree), TVGN_FIRSTVISIBLE);  // opening scrolled it
        SelectTreeChunk(&e, selected);
        Pump();
        EXPECT_EQ(followed, picture());
    }
    // Every node still opens, shows its children and closes again.
    for (int32_t i = 0; i >= 0 && i < e.Tree.Shape.ItemCount(); i = e.Tree.Shape.Items[i].NextSibling) {
        const TreeItem& node = e.Tree.Shape.Items[i];
        if (!node.HasChildren) continue;
        open(node.Chunk, TVE_COLLAPSE), open(node.Chunk);
        EXPECT_EQ(TreeView_GetChild(tree, e.Tree.Items[i]) != nullptr, node.FirstChild >= 0) << node.Chunk;
        EXPECT_TRUE(TreeView_GetItemState(tree, e.Tree.Items[i], TVIS_EXPANDED) & TVIS_EXPANDED || node.FirstChild < 0);
    }
}

// Keys of items gone are never reused while the tree follows edits; once
// they pass four per item held and 65536 more, the next edit puts every item
// in anew with fresh keys, and the nodes that were open are open again.
TEST_F(Desktop, ManyKeysOfItemsGoneRebuildTheTree) {
    DtbBuilder b;
    b.Top(4).Node(16, 65535, 1);
    for (int i = 0; i < 65535; ++i) b.Scalar(0, uint32_t(i));
    b.Node(16, 20, 2);
    for (int i = 0; i < 20; ++i) b.Scalar(0, uint32_t(i));
    b.Node(16, 1, 3).Scalar(0, 7).Scalar(0, 8);
    OpenFile(WriteFile("stale.dtb", b.File(3)));
    HWND tree = Control(IDC_CHUNK_TREE);
    auto item = [&](int32_t chunk) { return e.Tree.Items[ItemOfChunk(&e.Tree.Shape, chunk)]; };
    for (int32_t node : {0, 65536, 65557}) TreeView_Expand(tree, item(node), TVE_EXPAND);
    Pump();
    Select(0), Command(IDM_REMOVE);  // 65535 items gone, 24 held
    Select(0), Command(IDM_REMOVE);  // 21 more gone, 3 held: still followed
    EXPECT_EQ(e.Tree.KeyCount, 65560);
    Select(2), Answer(IDC_INSERT_AFTER, "Integer - 0", "5"), Command(IDM_INSERT);
    EXPECT_EQ(e.Tree.KeyCount, 4);
    EXPECT_EQ(TreeView_GetItemState(tree, item(0), TVIS_EXPANDED) & TVIS_EXPANDED, UINT(TVIS_EXPANDED));
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
    std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                         SizeofResource(module, found));
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
                             "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>", ">true</dpiAware>"})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    FreeLibrary(module);
    // Both programs carry the one version of the build.
    for (std::string program : {std::string("Z:" DTBEDIT_EXE), std::string("Z:" DTBTOOL_EXE)}) {
        std::replace(program.begin(), program.end(), '/', '\\');
        std::vector<char> info(GetFileVersionInfoSizeA(program.c_str(), nullptr));
        ASSERT_TRUE(!info.empty() && GetFileVersionInfoA(program.c_str(), 0, DWORD(info.size()), info.data()))
            << program;
        char* version = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                                   reinterpret_cast<void**>(&version), &length));
        EXPECT_STREQ(version, DTB_VERSION) << program;
    }
}

}  // namespace
