// The commands of the main window, each in its fixed order of steps, each
// ending through AfterChange (after_change.cpp), which brings the views, the
// header boxes, the title and commands and the windows that describe the
// document up to date. What the user typed is committed before any command
// that uses the document or drops the view it was typed in; a typed value
// that is refused stops the command, so it is never lost unseen.
#include "commands.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "journal.h"

#include "base/editor.h"
#include "document/file_commands.h"
#include "document/recent_files.h"
#include "editing/editing.h"
#include "document.h"
#include "shell.h"
#include "views/compare_window.h"
#include "views/find_dialog.h"
#include "views/structure_check.h"
#include "views/views.h"

namespace {

// The Data box into its chunk. False after a refusal.
bool CommitDataBox(Editor* e) {
    bool committed = ApplyDetailEdit(e);
    AfterChange(e, ChangedTyped);
    return committed;
}

// The Data box and the header boxes: before every command that saves, edits
// the table, or drops the document.
bool CommitEdits(Editor* e) {
    bool committed = ApplyDetailEdit(e) && ReadHeaderFields(e);
    AfterChange(e, ChangedTyped);
    return committed;
}

// A click on check box id flips flag, once what is typed in the Data box is
// stored; while that is refused the box goes back as it was. True when the
// flag flipped.
bool TakeToggle(Editor* e, WORD notification, int id, bool* flag) {
    if (notification != BN_CLICKED) return false;
    if (!CommitDataBox(e)) {
        SendToControl(e, id, BM_SETCHECK, *flag ? BST_CHECKED : BST_UNCHECKED, 0);
        return false;
    }
    *flag = !*flag;
    return true;
}

// New, Open and Revert end alike: a next document (result 0) replaces the
// one shown, once the views have let go of its table, and is shown afresh.
// None leaves the views and what is typed in the boxes as they were. A file
// whose counts disagree with its chunks is said so once it is shown, as the
// tree then shows chunks under nodes they may not belong to.
void TakeDocument(Editor* e, int32_t result, Document* next) {
    if (result != 0) return AfterChange(e, ChangedNothing);
    EmptyViews(e);
    AdoptDocument(e, next);
    AfterChange(e, ChangedDocument);
    TellStructureFaults(e);
}

bool TreeHasFocus(Editor* e) {
    HWND focus = GetFocus();
    return focus && focus == ControlOf(e, IDC_CHUNK_TREE);
}

// The end of an edit of the table that answers with the chunk to select:
// -1 for one refused, cancelled or declined, which changed nothing, so that
// the views keep their selection.
void EndTableEdit(Editor* e, int32_t chunk) { AfterChange(e, chunk >= 0 ? ChangedTable : ChangedNothing, chunk); }

}  // namespace

void CommandExit(Editor* e) {
    if (!CommitEdits(e) || !ConfirmDiscard(e)) return AfterChange(e, ChangedNothing);
    if (e->WindowIcon) {
        DestroyIcon(e->WindowIcon);
        e->WindowIcon = nullptr;
    }
    EndDialog(e->Window, IDCANCEL);
}

void CommandListSelection(Editor* e, WORD notification) {
    if (notification != LBN_SELCHANGE) return;
    int32_t line = static_cast<int32_t>(SendToControl(e, IDC_CHUNK_LIST, LB_GETCURSEL, 0, 0));
    if (line == e->CurrentChunk) return;
    if (!CommitDataBox(e)) {  // the edit stays, and with it its line
        SendToControl(e, IDC_CHUNK_LIST, LB_SETCURSEL, static_cast<WPARAM>(e->CurrentChunk), 0);
        return;
    }
    e->CurrentChunk = line;
    ShowChunkDetail(e, e->CurrentChunk);
}

// In the tree the chunk selected before stays selected, when it has an item.
void CommandShowIdentifiers(Editor* e, WORD notification) {
    if (!TakeToggle(e, notification, IDC_SHOW_IDENTIFIERS, &e->ShowIdentifiers)) return;
    int32_t chunk = e->ShowAsTree ? SelectedTreeChunk(e) : -1;
    AfterChange(e, ChangedView);
    if (e->ShowAsTree) SelectTreeChunk(e, chunk);
}

void CommandShowAsTree(Editor* e, WORD notification) {
    if (TakeToggle(e, notification, IDC_SHOW_AS_TREE, &e->ShowAsTree)) AfterChange(e, ChangedView);
}

// The file is opened anew after a save; should that fail, the title says so.
void CommandSave(Editor* e) {
    if (!CommitEdits(e)) return;
    SaveDocument(e);
    AfterChange(e, ChangedHeader);
}

void CommandSaveAs(Editor* e) {
    if (!CommitEdits(e)) return;
    SaveDocumentAs(e);
    AfterChange(e, ChangedHeader);
}

void CommandClose(Editor* e) {
    if (!CommitEdits(e) || !ConfirmDiscard(e)) return AfterChange(e, ChangedNothing);
    EmptyViews(e);
    CloseDocument(e);
    AfterChange(e, ChangedDocument);
}

// What is typed counts among the changes Open offers to save.
void CommandOpen(Editor* e) {
    Document next;
    TakeDocument(e, CommitEdits(e) ? OpenDocument(e, &next) : -1, &next);
}

void CommandOpenPath(Editor* e, const char* path) {
    Document next;
    TakeDocument(e, CommitEdits(e) ? OpenDocumentPath(e, path, &next) : -1, &next);
}

void CommandOpenRecent(Editor* e, int32_t k) {
    if (k < 0 || k >= e->Recent.Count) return;
    char path[kFileNameSize];
    std::memcpy(path, e->Recent.Paths[k], sizeof path);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        RemoveRecentFile(e, k);
        char text[kMessageSize];
        std::snprintf(text, sizeof text, "%s could not be found. It is taken off the recent files.", path);
        TellUser(e, text, MB_ICONINFORMATION);
        return;
    }
    CommandOpenPath(e, path);
}

void CommandDropFiles(Editor* e, HDROP drop) {
    // The path whole, however long: Open says so of one it cannot take, rather
    // than a cut path opening some other file.
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    std::string path(count ? DragQueryFileA(drop, 0, nullptr, 0) : 0, '\0');
    if (!path.empty()) DragQueryFileA(drop, 0, &path[0], static_cast<UINT>(path.size() + 1));
    DragFinish(drop);
    if (path.empty()) return;
    if (count > 1) {
        char text[kMessageSize];
        std::snprintf(text, sizeof text, "%u files were dropped; only the first is opened: %s", count, path.c_str());
        TellUser(e, text, MB_ICONINFORMATION);
    }
    CommandOpenPath(e, path.c_str());
}

bool CommandContextMenu(Editor* e, HWND control, LPARAM at) {
    POINT point = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (control == ControlOf(e, IDC_CHUNK_TREE)) {
        HTREEITEM item = nullptr;
        if (at == -1) {  // Shift+F10 or the menu key: at the selected item
            item = TreeView_GetSelection(control);
            RECT box = {};
            if (item && TreeView_GetItemRect(control, item, &box, TRUE)) point = {box.left, box.bottom};
            ClientToScreen(control, &point);
        } else {  // a right click selects the item it lands on, as in Explorer
            TVHITTESTINFO hit = {};
            hit.pt = point;
            ScreenToClient(control, &hit.pt);
            item = TreeView_HitTest(control, &hit);
            if (item) TreeView_SelectItem(control, item);
        }
        if (!item) return true;
    } else if (control == ControlOf(e, IDC_CHUNK_LIST)) {
        LRESULT line = SendMessageA(control, LB_GETCURSEL, 0, 0);
        if (at == -1) {
            RECT box = {};
            if (line < 0 || SendMessageA(control, LB_GETITEMRECT, static_cast<WPARAM>(line),
                                         reinterpret_cast<LPARAM>(&box)) == LB_ERR)
                return true;
            point = {box.left, box.bottom};
            ClientToScreen(control, &point);
        } else {
            POINT inside = point;
            ScreenToClient(control, &inside);
            LRESULT hit = SendMessageA(control, LB_ITEMFROMPOINT, 0, MAKELPARAM(inside.x, inside.y));
            if (HIWORD(hit)) return true;  // below the last line
            if (LOWORD(hit) != line) {
                SendMessageA(control, LB_SETCURSEL, LOWORD(hit), 0);
                CommandListSelection(e, LBN_SELCHANGE);
            }
        }
    } else {
        return false;  // the other controls keep their own
    }
    SetFocus(control);
    HMENU menu = LoadMenuA(e->Instance, "CHUNK_MENU");
    UpdateChunkCommands(e, GetSubMenu(menu, 0));
    UINT command = e->User.TrackMenu(e->User.Context, GetSubMenu(menu, 0), point.x, point.y, e->Window);
    DestroyMenu(menu);
    if (command) SendMessageA(e->Window, WM_COMMAND, command, 0);
    return true;
}

void CommandGoTo(Editor* e) {
    if (CommitDataBox(e)) ShowChunk(e, AskChunkPath(e));
}

void CommandFindReplace(Editor* e) { OpenFindDialog(e); }
void CommandFindInFiles(Editor* e) { OpenFindInFiles(e); }

// The document is compared as the user sees it, the Data box's edit too.
void CommandCompareWith(Editor* e) {
    if (!CommitDataBox(e)) return;
    char path[kFileNameSize] = "";
    if (ChooseDtbFile(e, path, false, nullptr, "Compare With...") == FileChosen) OpenCompareWindow(e, path);
}

void CommandAbout(Editor* e) { DialogBoxParamA(e->Instance, "AboutDlg", e->Window, AboutDialogProc, 0); }

void CommandFind(Editor* e, bool backwards) {
    if (!CommitDataBox(e)) return;
    e->LastSearch = SearchedBox;
    int32_t line = FindNext(e, e->CurrentChunk, backwards);
    if (line >= 0 && !e->ShowAsTree) e->CurrentChunk = line;
}

void CommandRepeatSearch(Editor* e, bool backwards) {
    if (e->LastSearch == SearchedDialog && e->FindDialog) {
        SendMessageA(e->FindDialog, WM_COMMAND, MAKEWPARAM(backwards ? IDC_FIND_PREVIOUS : IDC_FIND_NEXT, 1), 0);
    } else {
        CommandFind(e, backwards);
    }
}

void CommandEnter(Editor* e) {
    HWND focus = GetFocus();
    if (focus && focus == ControlOf(e, IDC_DATA_BOX)) {
        CommitDataBox(e);
    } else if (focus && (focus == ControlOf(e, IDC_HEADER0_BOX) || focus == ControlOf(e, IDC_HEADER36_BOX) ||
                         focus == ControlOf(e, IDC_KEY_BOX))) {
        AfterChange(e, ReadHeaderFields(e) ? ChangedHeader : ChangedNothing);
    } else {
        CommandFind(e);
    }
}

void CommandShowHex(Editor* e, WORD notification) {
    if (!TakeToggle(e, notification, IDC_SHOW_HEX, &e->ShowHex)) return;
    ShowChunkInPane(e, e->PaneChunk);
}

bool CommandPutBack(Editor* e, HWND box) {
    if (box == ControlOf(e, IDC_DATA_BOX)) {
        ShowChunkInPane(e, e->PaneChunk);
    } else if (box == ControlOf(e, IDC_HEADER0_BOX) || box == ControlOf(e, IDC_HEADER36_BOX) ||
               box == ControlOf(e, IDC_KEY_BOX)) {
        ShowHeaderField(e, GetDlgCtrlID(box));
    } else {
        return false;
    }
    UpdateUndoCommands(e);
    return true;
}

void CommandRevert(Editor* e) {
    Document next;
    TakeDocument(e, RevertDocument(e, &next), &next);
}

void CommandInsert(Editor* e) {
    if (CommitEdits(e)) EndTableEdit(e, InsertChunk(e));
}

void CommandRemove(Editor* e) {
    if (CommitEdits(e)) EndTableEdit(e, RemoveChunk(e));
}

void CommandNew(Editor* e) {
    Document next;
    TakeDocument(e, CommitEdits(e) && ConfirmDiscard(e) ? NewDocument(e, &next) : -1, &next);
}

void CommandCopy(Editor* e) {
    if (TreeHasFocus(e)) {
        // The clipboard gets what the Data box shows, as a cut does.
        if (CommitDataBox(e)) CopyToClipboard(e, false);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_COPY, 0, 0);
    }
}

void CommandCut(Editor* e) {
    if (TreeHasFocus(e)) {
        if (!CommitEdits(e)) return;
        AfterChange(e, CopyToClipboard(e, true) ? ChangedTable : ChangedNothing);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_CUT, 0, 0);
    }
}

namespace {

// Undo and Redo end as an edit does, with the chunk the change was about
// selected and shown (in the tree with its path open) and the header boxes
// as restored. A change of the header or key leaves the views alone; one
// that moved no chunk rewrote one value or many.
void WalkJournal(Editor* e, bool forwards) {
    if (!CommitEdits(e)) return;
    int32_t show = -1;
    const uint32_t steps = e->Doc.History.Steps;
    if ((forwards ? RedoChange(&e->Doc, &show) : UndoChange(&e->Doc, &show)) != 0) {
        e->User.Beep(e->User.Context, MB_OK);
        return AfterChange(e, ChangedNothing);
    }
    ChangeKind what = show == kShowHeader             ? ChangedHeader
                      : e->Doc.History.Steps != steps ? ChangedTable
                      : e->Doc.History.Rewritten > 1  ? ChangedValues
                                                      : ChangedValue;
    AfterChange(e, what, show);
}

}  // namespace

void CommandCheckStructure(Editor* e) {
    if (!CommitEdits(e)) return;
    AfterChange(e, RunStructureCheck(e) ? ChangedTable : ChangedNothing);
}

void CommandUndo(Editor* e) { WalkJournal(e, false); }

void CommandRedo(Editor* e) { WalkJournal(e, true); }

void CommandPaste(Editor* e) {
    if (TreeHasFocus(e)) {
        if (CommitEdits(e)) EndTableEdit(e, PasteFromClipboard(e));
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_PASTE, 0, 0);
    }
}

// Move Up, Move Down and Duplicate: the moved chunk, or the copy, selected
// and shown, the nodes that were open still open.
void CommandMoveChunk(Editor* e, bool down) {
    if (CommitEdits(e)) EndTableEdit(e, MoveChunk(e, down));
}

void CommandDuplicate(Editor* e) {
    if (CommitEdits(e)) EndTableEdit(e, DuplicateChunk(e));
}

// A chunk dropped in the tree: moved there, or copied with Ctrl held.
void CommandTreeDrop(Editor* e) {
    const TreeDrag drop = EndTreeDrag(e);
    if (drop.Allowed && CommitEdits(e)) EndTableEdit(e, DropChunk(e, drop));
}

// The path as Go To reads it, and the value as the Data box shows it (what
// is typed there stored first), for other programs; the chunk block of Copy
// and Cut stays on the clipboard.
void CommandCopyPath(Editor* e) {
    if (CommitDataBox(e) && ChunkCommandsAllowed(e)) CopyChunkPath(e, SelectedChunk(e));
}

void CommandCopyValue(Editor* e) {
    if (!CommitDataBox(e) || !ChunkCommandsAllowed(e)) return;
    PutTextOnClipboard(e, DialogText(e->Window, IDC_DATA_BOX));
}
