// The editor's main window from the real template and dialog procedure,
// driven as a user drives it. Message boxes, file dialogs, the page opener
// and the beep go through the editor's seams and are answered here; the
// "Insert Chunk..." dialog is answered from a timer through its controls.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <deque>
#include <string>
#include <vector>

#include "base/editor.h"
#include "dtb_kit.h"

struct Box {
    HWND owner;
    std::string text;
    UINT flags;
};

// One press in the Insert dialog: a location (0: as it is), a type entry and
// a Data/ID text (empty: as they are), then OK or Cancel.
struct DialogAnswer {
    int location;
    std::string type, text;
    int button;
};

// What the user saw, and what the user answers next: each test's own, the seams' context.
struct User {
    std::vector<Box> boxes;
    std::deque<int> answers;                            // to questions; OK for the rest
    std::deque<std::pair<std::string, DWORD>> choices;  // file chosen, or "" and the dialog's error (0: cancel)
    std::vector<DWORD> dialogFlags;
    bool readOnly = false;  // "Open as read-only" ticked in the next dialog
    int beeps = 0;
    std::deque<DialogAnswer> insertAnswers;
    // The Insert dialog as it was answered: the locations enabled (B, A, U),
    // the one checked, T and D for an enabled type list and Data/ID box.
    std::vector<std::string> insertLooks;              // "BAU B TD"
    std::vector<std::pair<std::string, POINT>> menus;  // each context menu's items, "|" between, and where
    std::deque<UINT> menuChoices;                      // the command chosen in each
};
UserSeams TestSeams(User* user);  // the seams, answering as user does
std::string WindowText(HWND window);
// Where a window is on the screen and its size, "left,top wxh".
std::string Place(HWND window);
// The dialog of this thread (another editor has its own) captioned so, once it takes input; null until then.
HWND ThreadDialog(const char* caption);
// A double-click on a line of a list view, as the mouse does it (the list first takes the focus).
void DoubleClickLine(HWND listView, int line);
// Each line of a list view: the texts of its first columns, "|" between.
std::vector<std::string> ListViewLines(HWND listView, int columns);
inline const std::string kTitle = "KLV DTB Editor v1.0d";
const char kRecentKey[] = "Software\\KLV\\DTB Editor Tests\\Recent Files";

// Seventeen chunks of every kind, three levels deep: kTestTable is its Table().
// Header 1C 09 00 DE AD BE EF, key 0x1234ABCD unless another is given.
std::vector<uint8_t> TestFile(uint32_t key = 0x1234ABCD);
extern const char kTestTable[];

// Every test starts with the main window up and TestFile() in path, opened
// when the fixture says so.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void CreateMainWindow();
    void EndMainWindow();  // destroys it and lets the file go, for another run
    void Pump();           // the messages, as the dialog manager's loop runs them
    template <class Done>
    bool PumpUntil(Done done, DWORD milliseconds = 3000) {
        for (DWORD start = GetTickCount(); Pump(), !done();) {
            if (GetTickCount() - start > milliseconds) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }
    HWND Control(int id) const { return GetDlgItem(window, id); }
    void Command(int id, WORD code = 0) {
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(Control(id))), Pump();
    }
    void Click(int id) { SendMessageA(Control(id), BM_CLICK, 0, 0), Pump(); }         // a check box, as the mouse does
    std::string Text(int id) const { return WindowText(id ? Control(id) : window); }  // 0: the caption
    void Type(int id, const std::string& text) {  // replaces the text as typing does
        SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
        SendDlgItemMessageA(window, id, EM_REPLACESEL, TRUE, LPARAM(text.c_str()));
    }
    void Edit(int32_t chunk, const std::string& text) { Select(chunk), Type(IDC_DATA_BOX, text); }
    bool Grayed(UINT command) const { return GetMenuState(GetMenu(window), command, MF_BYCOMMAND) & MF_GRAYED; }
    bool PaneLocked() const { return GetWindowLongA(Control(IDC_DATA_BOX), GWL_STYLE) & ES_READONLY; }
    std::vector<std::string> BoxTexts() const;
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes);
    static std::vector<uint8_t> ReadFile(const std::string& file);
    static std::vector<std::string> FileRows(const std::string& file);  // as TestDocument::Rows
    void OpenFile(const std::string& file);  // File > Open, answered so that unsaved work is dropped

    // Every item of the tree in pre-order, as chunk:depth:image:text, with +
    // for an expand button. Nodes not yet opened are opened to be read, and
    // closed again.
    std::vector<std::string> TreeItems() const;
    int32_t SelectedChunk() const;  // -1 for none
    // Selects chunk in the view shown (-1: nothing), as the tree's own
    // selecting does. False when the selection did not move.
    bool Select(int32_t chunk);
    std::vector<std::string> ListLines() const;
    void Answer(int location, const std::string& type = "", const std::string& text = "", int button = IDOK) {
        user.insertAnswers.push_back({location, type, text, button});
    }
    // The top-level count, then every chunk as type:value, type(children)#number
    // or type'payload'; the counts must agree with the table.
    std::string Table() const;

    bool openAtStart = false;
    Editor e;
    HWND window = nullptr;
    std::string folder, path;
    User user;
};

void PressKeys(std::initializer_list<WORD> keys);
// A drop of files as Explorer makes it (WM_DROPFILES); the window's DragFinish frees it.
WPARAM Dropped(const std::vector<std::string>& files);  // real key strokes: down in order, up in reverse
// The clipboard as another program reads and writes it; CF_TEXT up to its zero.
std::vector<uint8_t> ClipboardBytes(UINT format);
void PutOnClipboard(UINT format, const std::vector<uint8_t>& bytes);
