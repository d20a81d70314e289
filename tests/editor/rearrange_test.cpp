// Move Up and Move Down by their keys in the tree and the list, chunks
// dragged with the real mouse (moved, copied with Ctrl, cancelled with Esc,
// refused), Duplicate and Copy Path: judged by the saved file, and by Undo
// giving its own bytes back.
#include "driver.h"
#include "views/views.h"

namespace {

class Rearrange : public EditorTest {
protected:
    Rearrange() { openAtStart = true; }
    // kTestTable with each from in turn replaced by its to.
    static std::string Edited(std::initializer_list<std::pair<const char*, const char*>> changes) {
        std::string table = kTestTable;
        for (const auto& [from, to] : changes) table.replace(table.find(from), strlen(from), to);
        return table;
    }
    // The point at fraction of the height of chunk's row in the tree, on the screen.
    POINT RowPoint(int32_t chunk, double fraction) const {
        HWND tree = Control(IDC_CHUNK_TREE);
        HTREEITEM item = TreeView_GetFirstVisible(tree);
        for (TVITEMA data = {}; item; item = TreeView_GetNextVisible(tree, item)) {
            data.mask = TVIF_HANDLE | TVIF_PARAM, data.hItem = item;
            if (TreeView_GetItem(tree, &data) && TreeItemChunk(&e, data.lParam) == chunk) break;
        }
        RECT row = {};
        EXPECT_TRUE(item && TreeView_GetItemRect(tree, item, &row, TRUE)) << "no row shows chunk " << chunk;
        POINT at = {row.left + 4, row.top + LONG((row.bottom - row.top) * fraction)};
        ClientToScreen(tree, &at);
        return at;
    }
    static void Mouse(DWORD flags, POINT at = {}) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags | (flags & MOUSEEVENTF_MOVE ? MOUSEEVENTF_ABSOLUTE : 0);
        input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        SendInput(1, &input, sizeof input);
    }
    // The left button pressed on chunk and the mouse taken to fraction of to's row.
    void DragOver(int32_t chunk, int32_t to, double fraction) {
        POINT from = RowPoint(chunk, 0.5), over = RowPoint(to, fraction);
        Mouse(MOUSEEVENTF_MOVE, from), Pump();
        Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_MOVE, {from.x, from.y + 30}), Mouse(MOUSEEVENTF_MOVE, over);
        PumpUntil([&] { return e.Drag.Active; });
        Pump();
    }
    void Drop(std::initializer_list<WORD> keys = {}) {
        for (WORD key : keys) keybd_event(BYTE(key), 0, 0, 0);
        Pump();
        Mouse(MOUSEEVENTF_LEFTUP);
        for (WORD key : keys) keybd_event(BYTE(key), 0, KEYEVENTF_KEYUP, 0);
        PumpUntil([&] { return !e.Drag.Active; });
    }
    // The file saved now reads back as table; Undo back to the start, saved,
    // gives the file's own bytes.
    void SavedAndUndone(const std::string& table) {
        Command(IDM_SAVE);
        const std::vector<uint8_t> saved = ReadFile(path);
        while (!Grayed(IDM_UNDO)) Command(IDM_UNDO);
        Command(IDM_SAVE);
        EXPECT_EQ(ReadFile(path), TestFile()) << "Undo does not give the file's own bytes back";
        OpenFile(WriteFile("saved.dtb", saved));
        EXPECT_EQ(Table(), table);
    }
};

// The moves trade places with the previous or next sibling, a name staying
// first; at either end the key does nothing. In the list the line moves
// among the same siblings.
TEST_F(Rearrange, KeysMoveAmongSiblingsInTreeAndList) {
    Select(8);
    for (WORD key : {VK_DOWN, VK_UP, VK_UP, VK_UP}) PressKeys({VK_MENU, key}), Pump();
    EXPECT_EQ(Joined(SelectedChunk(), Grayed(IDM_MOVE_UP), Grayed(IDM_MOVE_DOWN)), "2 1 0");
    Click(IDC_SHOW_AS_TREE);
    Select(11);
    SetFocus(Control(IDC_CHUNK_LIST));
    PressKeys({VK_MENU, VK_DOWN}), Pump();
    EXPECT_EQ(e.CurrentChunk, 12);
    const std::string moved = Edited({{"0:42 ", "1:1069547520 0:42 "},
                                      {"32'one\ntwo' 1:1069547520", "32'one\ntwo'"},
                                      {"2'OnLoad(x)' 7'Level 3'", "7'Level 3' 2'OnLoad(x)'"}});
    EXPECT_TRUE(user.boxes.empty()) << BoxTexts()[0];
    SavedAndUndone(moved);
}

// A closed node held over opens; a drop on the upper third of an item goes
// before it, on the middle of a node last inside it, with Ctrl a copy after the lower third; Esc, or a drop
// inside the dragged node's own subtree (the no-drop cursor shown), changes
// nothing and says nothing.
TEST_F(Rearrange, DragMovesCopiesAndRefuses) {
    HWND tree = Control(IDC_CHUNK_TREE);
    DragOver(13, 0, 0.5);  // held over a closed node a moment, which then opens
    EXPECT_TRUE(PumpUntil([&] { return TreeView_GetItemState(tree, TreeView_GetRoot(tree), TVIS_EXPANDED); }));
    PressKeys({VK_ESCAPE}), Drop();
    Select(6);  // its nodes open
    DragOver(13, 10, 0.15), Drop();
    EXPECT_EQ(SelectedChunk(), 10);
    DragOver(10, 3, 0.5), Drop();
    EXPECT_EQ(SelectedChunk(), 8);
    DragOver(16, 12, 0.85), Drop({VK_CONTROL});
    EXPECT_EQ(SelectedChunk(), 13);
    const std::string moved = Edited({{"17(3)#2", "17(4)#2"},
                                      {"32'one\ntwo' ", "32'one\ntwo' 8:67305985 "},
                                      {"2'OnLoad(x)' 7'Level 3' 8:67305985", "2'OnLoad(x)' 18'last' 7'Level 3'"}});
    EXPECT_EQ(Table(), moved);
    DragOver(2, 14, 0.5);
    PressKeys({VK_ESCAPE}), Drop();
    DragOver(3, 6, 0.5);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_NO)) << "a refused drop shows no no-drop cursor";
    Drop();
    EXPECT_TRUE(user.boxes.empty()) << BoxTexts()[0];
    SavedAndUndone(moved);
}

// The answer to Go To: the clipboard's text pasted into the path box, then
// OK; Cancel should the path be refused.
void PasteIntoGoTo(HWND window, UINT, UINT_PTR id, DWORD) {
    if (HWND dialog = ThreadDialog("Go To")) {
        KillTimer(window, id);
        SetTimer(window, id, 10, [](HWND, UINT, UINT_PTR, DWORD) {
            if (HWND left = ThreadDialog("Go To")) SendMessageA(GetDlgItem(left, IDCANCEL), BM_CLICK, 0, 0);
        });
        SetDlgItemTextA(dialog, IDC_GO_TO_PATH, "");
        SendDlgItemMessageA(dialog, IDC_GO_TO_PATH, WM_PASTE, 0, 0);
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    }
}

// Duplicate puts a copy of the subtree right after it; Copy Path and Copy
// Value put text on the clipboard beside the chunk block Copy left there,
// and the path pasted into Go To finds the chunk again.
TEST_F(Rearrange, DuplicateAndTheTextsCopied) {
    Select(3);
    PressKeys({VK_CONTROL, 'D'}), Pump();
    EXPECT_EQ(SelectedChunk(), 8);
    const std::string twice =
        Edited({{"16(4)", "16(5)"}, {"32'one\ntwo' ", "32'one\ntwo' 17(3)#2 5'beta' 19(1)#3 0:7 32'one\ntwo' "}});
    Select(2);
    Command(IDM_COPY);
    const std::vector<uint8_t> block = ClipboardBytes(e.ClipboardFormat);
    Select(11);
    PressKeys({VK_CONTROL, VK_SHIFT, 'C'}), Pump();
    const std::vector<uint8_t> path = ClipboardBytes(CF_TEXT);
    Command(IDM_COPY_VALUE);
    const std::vector<uint8_t> value = ClipboardBytes(CF_TEXT);
    EXPECT_EQ(Joined(std::string(path.begin(), path.end()), std::string(value.begin(), value.end())),
              "alpha/beta[3]/1/0 7");
    EXPECT_EQ(ClipboardBytes(e.ClipboardFormat), block) << "the chunk block is gone from the clipboard";
    std::vector<uint8_t> text = path;
    text.push_back(0);
    PutOnClipboard(CF_TEXT, text);
    Select(0);
    SetTimer(window, 1, 10, PasteIntoGoTo);
    Command(IDM_GO_TO);
    KillTimer(window, 1);
    EXPECT_EQ(SelectedChunk(), 11);
    SavedAndUndone(twice);
}

}  // namespace
