// The editor's one window-state record: the document it shows, the main
// window and what its controls need to remember, the seams through which it
// asks or tells the user, and the one step every change ends with. The main
// window owns it (its DWLP_USER), and every part of the window layer is
// handed it; this folder is the bottom layer every other one includes.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdint>
#include <string>

#include "document.h"
#include "find_replace.h"
#include "resource.h"
#include "tree_shape.h"

// The program title; also the caption of every message box.
extern const char kProgramTitle[];

// ShellExecuteA's shape, after the seams' context.
using ShellOpener = HINSTANCE (*)(void* context, HWND owner, const char* verb, const char* file, const char* parameters,
                                  const char* folder, int show);

// The editor's only ways to ask or tell the user something, to run the
// system's file dialogs, page opener and context menus and to beep: the platform's own, or
// the tests' answers in the user's place. Each is handed Context first, as
// the core's report hook is (the platform's: nullptr).
struct UserSeams {
    void* Context;
    // MessageBoxA's shape; returns the button pressed.
    int (*MessageBox)(void* context, HWND owner, const char* text, const char* caption, UINT flags);
    // The open dialog (forSaving false) or the save dialog. TRUE when a file
    // was chosen; otherwise error receives the extended error, 0 for a cancel.
    BOOL (*FileDialog)(void* context, OPENFILENAMEA* dialog, bool forSaving, DWORD* error);
    ShellOpener ShellOpen;
    BOOL (*Beep)(void* context, UINT type);
    // A context menu at x, y (screen); returns the command chosen, 0 for none.
    UINT (*TrackMenu)(void* context, HMENU menu, int x, int y, HWND owner);
};
const UserSeams& PlatformSeams();

// The tree view's model: the core's shape of the tree, and the control's
// item of each shape item, nullptr until that item has been put in. An
// item's data is its key, which stays when an edit moves the chunks, so
// that an edit changes only the items that differ; ChunkOfKey says which
// chunk a key shows now.
struct TreeModel {
    TreeShape Shape;
    HTREEITEM* Items;
    int32_t* Keys;  // of each shape item that has an item
    int32_t Capacity;
    int32_t* ChunkOfKey;
    int32_t KeyCount;
    int32_t KeyCapacity;
    int32_t Held;         // items put into the control since it was last emptied
    bool Rebuilding;      // items are being deleted: their notices are no user's
    uint32_t SyncedStep;  // the journal's Steps when the control last showed the table
};

// The last files opened or saved, newest first (recent_files.h).
const int32_t kRecentCount = 8;
struct RecentFiles {
    char Paths[kRecentCount][kFileNameSize];
    int32_t Count;
    const char* Key;  // under HKEY_CURRENT_USER
    int FixedItems;   // the File menu's own items, before the list
};

// The search F3 and Shift+F3 repeat in the main window: the one run last.
enum SearchKind : int32_t { SearchedNothing = 0, SearchedBox, SearchedDialog };

// What a command or an edit did, for the one step that brings up to date
// everything that depends on the document (AfterChange below).
enum ChangeKind : int32_t {
    ChangedNothing = 0,  // the document is as it was: what is typed stays in the boxes
    ChangedTyped,        // the Data box was stored (its line or item shows it already)
    ChangedHeader,       // the header boxes were stored, or the file saved
    ChangedValue,        // one value rewritten in place, the chunk shown
    ChangedValues,       // values rewritten in place, any number of them
    ChangedTable,        // chunks came, went or moved: the views follow the table
    ChangedDocument,     // another document, or none: the views are built afresh
    ChangedView,         // the view shown or its options; the document is as it was
};

// A chunk dragged in the tree, from the tree's notice until the drop, Esc or
// the right button: where it would land now, shown in the tree.
struct TreeDrag {
    bool Active;
    int32_t Chunk;      // the chunk carried, with its subtree
    int32_t Target;     // where it lands: place relative to target, -1 for nowhere
    int32_t Place;      // a MovePlace
    bool Copy;          // Ctrl is held: a copy goes there, the chunk stays
    bool Allowed;       // the core takes it there
    HTREEITEM Over;     // the item under the cursor, opened after a moment
    DWORD OverSince;    // since when (GetTickCount)
    HCURSOR CopyArrow;  // the arrow with a plus, made once
};

struct Editor;
// The shell's step after every change (app/after_change.cpp), in this
// order: the views (with chunk show selected, -1 for none), the header
// boxes, the title and the states of the commands, then every window that
// describes the document (Find's status and list, the Compare list). The
// views and dialogs that change the document end through it, never
// refreshing or emptying any of these themselves.
typedef void (*AfterChangeHook)(Editor* e, ChangeKind what, int32_t show);
// Open of a file named elsewhere (app/commands.cpp): unsaved changes are
// offered for saving first, and a cancel leaves the document as it was.
typedef void (*OpenPathHook)(Editor* e, const char* path);

struct Editor {
    Document Doc;
    UserSeams User;
    HINSTANCE Instance;
    HWND Window;  // the main window; owner of every message box and dialog
    HACCEL Accelerators;
    HHOOK MessageHook;
    UINT ClipboardFormat;  // "KLVDTB"
    bool ShowIdentifiers;  // IDC_SHOW_IDENTIFIERS
    bool ShowAsTree;       // IDC_SHOW_AS_TREE: the tree is shown, else the list
    bool ShowHex;          // IDC_SHOW_HEX: the Data box shows and takes the chunk's bytes in hex
    // List mode: the line whose chunk the pane shows, -1 for none; always -1
    // in tree mode, where the tree's selection says which chunk it is.
    int32_t CurrentChunk;
    int32_t PaneChunk;  // the chunk the detail pane shows, -1 for none
    HICON WindowIcon;
    HIMAGELIST TreeImages;
    TreeModel Tree;
    WNDPROC ListProc;     // the list box's own procedure, under the editor's
    WNDPROC DataBoxProc;  // the Data box's own procedure, under the editor's
    INT TabStops[2];      // the list's columns, in pixels
    CaseFold Fold;        // letter case as the code page in use folds it
    RecentFiles Recent;
    // The modeless Find and Replace dialog once made, else nullptr; closing it
    // hides it, so that it opens again as it was left for the rest of the run.
    HWND FindDialog;
    HWND CompareWindow;  // the modeless Compare window while it is open, else nullptr
    OpenPathHook OpenPath;
    SearchKind LastSearch;
    // Where the user last left Go To and the Compare window (and the
    // Compare window's size), for the rest of the run; empty until then.
    RECT GoToPlace;
    RECT ComparePlace;
    const char* StartFile;  // the file named on the command line, opened once the window is up; or nullptr
    AfterChangeHook AfterChange;
    TreeDrag Drag;
};

// The editor whose main window is window (or nullptr).
inline Editor* EditorOf(HWND window) { return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, DWLP_USER)); }

inline HWND ControlOf(const Editor* e, int id) { return GetDlgItem(e->Window, id); }
inline LRESULT SendToControl(const Editor* e, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(e->Window, id, message, wParam, lParam);
}
inline void SetControlText(const Editor* e, int id, const char* text) {
    SendToControl(e, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
// The whole text of a dialog's control, however long.
inline std::string DialogText(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(box)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(box, &text[0], static_cast<int>(text.size()))));
    return text;
}
inline HANDLE FileOf(const Editor* e) { return reinterpret_cast<HANDLE>(e->Doc.FileHandle); }

// The window the user is in, which owns every message and question: the
// active window when it is the main window or one of the editor's dialogs
// over it, else the main window (none before it exists). When the message
// closes, that window is active again with the focus where it was.
HWND MessageOwner(const Editor* e);
// A message box with the program title as caption, an OK button and the
// given icon.
void TellUser(const Editor* e, const char* text, UINT icon);
// A question (MB_YESNO, MB_YESNOCANCEL, and the flags that go with them);
// returns the button pressed.
int AskUser(const Editor* e, const char* question, UINT flags);
// The core's report hook (context: the Editor): a message box whose icon
// follows the kind of report.
void ReportToUser(void* context, const char* text, ReportKind kind);
// The core's confirm hook (context: the Editor): a Yes/No warning, No the default.
bool ConfirmWithUser(void* context, const char* question);
