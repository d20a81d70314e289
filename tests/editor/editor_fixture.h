// The main window from the real template and dialog procedure; message
// boxes, file dialogs and the page opener are answered here, everything else
// runs as it does for a user.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <cderr.h>
#include <commctrl.h>
#include <commdlg.h>

#include <deque>
#include <string>
#include <vector>

#include "app/editor.h"
#include "chunk_types.h"

struct Box {
    HWND owner;
    std::string text;
    UINT flags;
};
extern std::vector<Box> g_boxes;            // every box shown (caption checked on the way)
extern std::deque<int> g_answers;            // answers to the next questions
extern std::vector<OPENFILENAMEA> g_dialogs;  // every file dialog run
extern std::deque<std::pair<std::string, DWORD>> g_choices;  // path chosen, or "" and an error (0: cancel)
extern std::vector<std::string> g_pages;     // pages opened by the About box

// 17 chunks: node 16 (4, 1) [ "settings"/5, 42, 1.5f, node 17 (2, 2) [ "window"/5, "Main Window"/18 ] ],
// DE AD BE EF/6, "line one\nline two"/32, node 19 (0, -1), "data\sky.dds"/33, "OnLoad(x)"/2,
// "Level 3"/7, 01 02 03 04/8, 05 06 07 08/9, "maps\level3.map"/34, "XabcX"/35.
// Header 1C 0A 00 DE AD BE EF, key 0x1234ABCD.
std::vector<uint8_t> StandardFile();

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

    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes);
    static std::vector<uint8_t> ReadFile(const std::string& path);
    static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void OpenFile(const std::string& path);  // File > Open; a question about an open file is answered Yes

    std::vector<HTREEITEM> TreeItems() const;  // pre-order; every node's children loaded, none left open
    int32_t ChunkOf(HTREEITEM item) const;
    std::string ItemText(HTREEITEM item) const;
    HTREEITEM Selected() const { return TreeView_GetSelection(Control(IDC_CHUNK_TREE)); }
    int32_t SelectedChunk() const { return Selected() ? ChunkOf(Selected()) : -1; }
    void Select(int32_t chunk);  // in the view shown, as a click does
    std::vector<std::string> ListLines() const;
    std::string Payload(int32_t chunk) const;

    EditorState state;
    HWND window = nullptr;
    std::string folder;
};

void PressKeys(std::initializer_list<WORD> keys);  // real key strokes: down in order, up in reverse
