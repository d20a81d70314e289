// The editor's main window from the real template and dialog procedure,
// driven as a user drives it. Message boxes, file dialogs, the page opener
// and the beep go through the editor's seams and are answered here; the
// "Insert Chunk..." dialog is answered from a timer through its controls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <cderr.h>
#include <commdlg.h>

#include <deque>
#include <string>
#include <vector>

#include "app/editor.h"
#include "chunk_types.h"
#include "test_support.h"

struct Box {
    HWND owner;
    std::string text;
    UINT flags;
};

// One press in the Insert dialog: a radio button (0: as it is), a type and a
// Data/ID text (empty: as they are), then OK or Cancel.
struct DialogAnswer {
    int location;
    std::string type;
    std::string text;
    int button;
};

// What the Insert dialog showed when it was answered.
struct DialogLook {
    HWND owner;
    bool enabled[3];  // Before, After, Under
    bool checked[3];
    bool typeEnabled;
    bool textEnabled;
    int entries;
    std::string textShown;  // the Data/ID box
};

// What the user saw and what the user will answer next.
struct User {
    std::vector<Box> boxes;
    std::deque<int> answers;                             // to questions; OK for the rest
    std::vector<OPENFILENAMEA> dialogs;
    std::deque<std::pair<std::string, DWORD>> choices;  // path chosen, or "" and an error (0: cancel)
    bool readOnly = false;                               // "Open as read-only" ticked in the next dialog
    std::vector<std::string> pages;
    int beeps = 0;
    std::deque<DialogAnswer> insertAnswers;
    std::vector<DialogLook> insertLooks;
};
extern User g_user;

// 17 chunks: node 16 (4, 1) [ "settings"/5, 42, 1.5f, node 17 (2, 2) [ "window"/5, "Main Window"/18 ] ],
// DE AD BE EF/6, "line one\nline two"/32, node 19 (0, -1), "data\sky.dds"/33, "OnLoad(x)"/2,
// "Level 3"/7, 01 02 03 04/8, 05 06 07 08/9, "maps\level3.map"/34, "XabcX"/35.
// Header 1C 0A 00 DE AD BE EF, key 0x1234ABCD.
std::vector<uint8_t> StandardFile();

// 0 node 16 #1 (3) [ 1 "alpha"/5, 2 node 17 #2 (2) [ 3 "beta"/5, 4 node 19 #3 (1) [ 5 7/0 ] ], 6 "text one"/32 ]
// 7 42/0, 8 node 16 #4 (2) [ 9 "gamma"/5, 10 1.5f/1 ], 11 "last"/18. Header 1C 04 00 01 02 03 04, key 0x5EED.
std::vector<uint8_t> NestedFile();

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void CreateMainWindow();
    // Runs the window's messages as the dialog manager's loop does.
    void Pump();
    template <class Done>
    bool PumpUntil(Done done, DWORD milliseconds = 3000) {
        for (DWORD start = GetTickCount(); Pump(), !done();) {
            if (GetTickCount() - start > milliseconds) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }
    void Command(int id, WORD code = 0);
    void Click(int id);  // a real click on a check box
    HWND Control(int id) const { return GetDlgItem(window, id); }
    std::string Text(int id) const;
    std::string Caption() const { return Text(0); }
    void Type(int id, const std::string& text);  // replaces the text as typing does
    bool Grayed(UINT command) const { return GetMenuState(GetMenu(window), command, MF_BYCOMMAND) & MF_GRAYED; }
    std::vector<std::string> BoxTexts() const;

    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes);
    static std::vector<uint8_t> ReadFile(const std::string& path);
    static std::vector<std::string> FileRows(const std::string& path);  // the file's chunks as TestDocument::Rows
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void OpenFile(const std::string& path);  // File > Open; a question about an open file is answered Yes

    std::vector<HTREEITEM> TreeItems() const;  // pre-order; every node's children loaded, none left open
    int32_t ChunkOf(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    HTREEITEM Selected() const { return TreeView_GetSelection(Control(IDC_CHUNK_TREE)); }
    int32_t SelectedChunk() const { return Selected() ? ChunkOf(Selected()) : -1; }
    // Selects chunk in the view shown, as a click does (-1: nothing), the
    // tree taking the focus first. False when the selection did not move.
    bool Select(int32_t chunk);
    std::vector<std::string> ListLines() const;
    std::string Payload(int32_t chunk) const;
    void Answer(int location, const std::string& type = "", const std::string& text = "", int button = IDOK) {
        g_user.insertAnswers.push_back({location, type, text, button});
    }
    // The top-level count, then every chunk as type:value, type(children)#number or type'payload'.
    std::string Table() const;
    int32_t Faults();  // places where the counts disagree with the table

    EditorState state;
    HWND window = nullptr;
    std::string folder;
    UINT_PTR insertTimer = 0;
};

void PressKeys(std::initializer_list<WORD> keys);  // real key strokes: down in order, up in reverse

// The clipboard as another program reads and writes it.
std::string ClipboardText();
std::vector<uint8_t> ClipboardBytes(UINT format);
void PutOnClipboard(UINT format, const std::vector<uint8_t>& bytes);
