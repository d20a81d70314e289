// The editing commands on a loaded nested file: the "Insert Chunk..." dialog
// is answered from a timer as a user would (radio buttons clicked, a type
// chosen, text typed, OK or Cancel pressed), beeps are counted, and the
// clipboard is read and written as another program would.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "editing/editing.h"
#include "editor_fixture.h"
#include "test_support.h"
#include "tree_check.h"

// What the dialog showed when an answer was given.
struct DialogLook {
    HWND owner;
    bool enabled[3];  // Before, After, Under
    bool checked[3];
    bool typeEnabled;
    bool textEnabled;
    int entries;
    std::string textShown;  // the Data/ID box
    RECT rect;
};

// One press of OK or Cancel. location 0 leaves the radio buttons alone, an
// empty type or text leaves the combo box or the Data/ID box alone.
struct DialogAnswer {
    int location;
    std::string type;
    std::string text;
    int button;
};

inline std::deque<DialogAnswer> g_dialogAnswers;
inline std::vector<DialogLook> g_dialogLooks;
inline int g_beeps = 0;

// The Insert dialog of this thread: a second editor on the same desktop has its own.
inline HWND InsertDialogOfThisThread() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM at) -> BOOL {
        char caption[32] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (std::string(caption) != "Insert Chunk...") return TRUE;
        *reinterpret_cast<HWND*>(at) = window;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

inline void AnswerInsertDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = InsertDialogOfThisThread();
    if (!dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) return;  // not up, or a box is on it
    const int radios[3] = {IDC_INSERT_BEFORE, IDC_INSERT_AFTER, IDC_INSERT_UNDER};
    DialogLook look = {};
    look.owner = GetWindow(dialog, GW_OWNER);
    for (int i = 0; i < 3; ++i) {
        look.enabled[i] = IsWindowEnabled(GetDlgItem(dialog, radios[i]));
        look.checked[i] = IsDlgButtonChecked(dialog, radios[i]) == BST_CHECKED;
    }
    look.typeEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_CHUNK_TYPE));
    look.textEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_DATA_ID));
    look.entries = int(SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETCOUNT, 0, 0));
    char text[kTextSize] = "";
    GetDlgItemTextA(dialog, IDC_DATA_ID, text, sizeof text);
    look.textShown = text;
    GetWindowRect(dialog, &look.rect);
    g_dialogLooks.push_back(look);
    if (g_dialogAnswers.empty()) {
        ADD_FAILURE() << "unexpected Insert dialog";
        SendMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        return;
    }
    DialogAnswer answer = g_dialogAnswers.front();
    g_dialogAnswers.pop_front();
    if (answer.location) SendMessageA(GetDlgItem(dialog, answer.location), BM_CLICK, 0, 0);
    if (!answer.type.empty()) {
        LRESULT at = SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_FINDSTRINGEXACT, WPARAM(-1),
                                         reinterpret_cast<LPARAM>(answer.type.c_str()));
        EXPECT_NE(at, CB_ERR) << answer.type;
        SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_SETCURSEL, WPARAM(at), 0);
    }
    if (!answer.text.empty()) SetDlgItemTextA(dialog, IDC_DATA_ID, answer.text.c_str());
    SendMessageA(GetDlgItem(dialog, answer.button), BM_CLICK, 0, 0);
}

// A file whose tree has depth:
//  0 node 16 #1 (3) [ 1 "alpha"/5, 2 node 17 #2 (2) [ 3 "beta"/5, 4 node 19 #3 (1) [ 5 7/0 ] ], 6 "text one"/32 ]
//  7 42/0
//  8 node 16 #4 (2) [ 9 "gamma"/5, 10 1.5f/1 ]
// 11 "last"/18
// Header 1C 04 00 01 02 03 04 (four top-level chunks), key 0x5EED.
inline std::vector<uint8_t> NestedFile() {
    DtbBuilder b;
    b.Header({0x1C, 4, 0, 1, 2, 3, 4});
    b.Node(16, 3, 1).Text(5, "alpha").Node(17, 2, 2).Text(5, "beta").Node(19, 1, 3).Scalar(0, 7).Text(32, "text one");
    b.Scalar(0, 42).Node(16, 2, 4).Text(5, "gamma").Scalar(1, 0x3FC00000).Text(18, "last");
    return b.File(0x5EED);
}

class EditingTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        g_dialogAnswers.clear();
        g_dialogLooks.clear();
        g_beeps = 0;
        SoundBeep = [](UINT type) -> BOOL {
            EXPECT_EQ(type, 0u);
            ++g_beeps;
            return TRUE;
        };
        timer = SetTimer(nullptr, 0, 10, AnswerInsertDialog);
        path = WriteFile("nested.dtb", NestedFile());
        OpenFile(path);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        EXPECT_TRUE(g_dialogAnswers.empty()) << "dialog answers left over";
        EditorTest::TearDown();
    }
    // Selects chunk (or nothing, for -1) and gives the tree the focus, as a
    // click on an item does. The focus comes first: a tree that gets it
    // without a selection selects its first item.
    void Pick(int32_t chunk) {
        SetFocus(Control(IDC_CHUNK_TREE));
        Pump();
        if (chunk < 0) {
            TreeView_SelectItem(Control(IDC_CHUNK_TREE), nullptr);
            Pump();
            EXPECT_EQ(Selected(), nullptr);
        } else {
            Select(chunk);
        }
    }
    void Answer(int location, const std::string& type = "", const std::string& text = "", int button = IDOK) {
        g_dialogAnswers.push_back({location, type, text, button});
    }
    uint16_t Children(int32_t chunk) const { return chunk < 0 ? TopLevelCountOf(state) : ChildCountOf(state.Chunks[chunk]); }
    uint32_t Value(int32_t chunk) const { return ReadU32(state.Chunks[chunk].Value); }
    // The top-level count, then every chunk as type:value, type(children)#number
    // or type'payload'.
    std::string Table() const {
        std::string all = std::to_string(TopLevelCountOf(state));
        for (int32_t i = 0; i < state.ChunkCount; ++i) {
            const ChunkRecord& r = state.Chunks[i];
            all += " " + std::to_string(r.Type);
            if (IsPoolType(r.Type)) {
                all += "'" + Payload(i) + "'";
            } else if (IsNodeType(r.Type)) {
                all += "(" + std::to_string(ChildCountOf(r)) + ")#" + std::to_string(NodeNumberOf(r));
            } else {
                all += ":" + std::to_string(Value(i));
            }
        }
        return all;
    }
    int32_t Faults() { return CheckTreeCounts(&state, nullptr, nullptr); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const Box& box : g_boxes) texts.push_back(box.text);
        return texts;
    }

    UINT_PTR timer = 0;
    std::string path;
};

// The clipboard as another program sees it.
inline std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(not opened)";
    if (HANDLE memory = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(memory));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return text;
}

inline std::vector<uint8_t> ClipboardBlock(UINT format) {
    std::vector<uint8_t> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE memory = GetClipboardData(format)) {
        const uint8_t* at = static_cast<const uint8_t*>(GlobalLock(memory));
        bytes.assign(at, at + GlobalSize(memory));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return bytes;
}

// Replaces the clipboard with bytes under format.
inline void PutOnClipboard(UINT format, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!bytes.empty()) memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
    CloseClipboard();
}
