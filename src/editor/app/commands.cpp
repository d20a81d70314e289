// The commands of the main window, each in its fixed order of steps. After
// an edit the views follow the table's change (the tree changes only the
// items that differ; the list redraws what it shows), and every command that
// can change the document ends through AfterCommand, which refreshes the
// header boxes and then the title. What the user typed is committed before
// any command that uses the document or drops the view it was typed in; a
// typed value that is refused stops the command, so it is never lost unseen.
#include "commands.h"

#include <windowsx.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "journal.h"

#include "document/file_commands.h"
#include "document/recent_files.h"
#include "document/structure_check.h"
#include "report.h"
#include "editing/editing.h"
#include "editor.h"
#include "shell.h"
#include "views/compare_window.h"
#include "views/find_dialog.h"
#include "views/views.h"

namespace {

// A rebuilt view has no selection, so the pane belongs to no chunk. After
// an edit (edited) the tree changes only what differs; the list, which
// holds no lines of its own, is always filled afresh.
void RebuildView(Editor* e, bool edited = false) {
    if (!e->ShowAsTree) {
        FillChunkList(e);
    } else if (edited) {
        FollowChunkTree(e);
    } else {
        BuildChunkTree(e);
    }
    e->CurrentChunk = -1;
    ClearDetailPane(e);
}

// The Data box into its chunk; the title then says whether that changed the
// document. False after a refusal.
bool CommitDataBox(Editor* e) {
    bool committed = ApplyDetailEdit(e);
    UpdateTitle(e);
    return committed;
}

// The Data box and the header boxes: before every command that saves, edits
// the table, or drops the document.
bool CommitEdits(Editor* e) {
    bool committed = ApplyDetailEdit(e) && ReadHeaderFields(e);
    UpdateTitle(e);
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

// Every command that may change the document ends here, in this order: the
// header boxes show the stored header and key (unless the document was left
// as it was: then they keep what is typed), then the title and the states
// of the commands follow the document.
void AfterCommand(Editor* e, bool changed = true) {
    if (changed) ShowHeaderFields(e);
    UpdateTitleAndCommands(e);
}

// New, Open and Revert end alike: a document that changed is shown afresh.
// One left as it was keeps the views and what is typed in the boxes.
void AfterDocumentChange(Editor* e, int32_t result) {
    if (result == 0) {
        ForgetStaleMatches(e, true);
        ForgetStaleDifferences(e, true);
        RebuildView(e);
    }
    AfterCommand(e, result == 0);
}

bool TreeHasFocus(Editor* e) {
    HWND focus = GetFocus();
    return focus && focus == ControlOf(e, IDC_CHUNK_TREE);
}

}  // namespace

void CommandExit(Editor* e) {
    if (!CommitEdits(e) || !ConfirmDiscard(e)) {
        AfterCommand(e, false);
        return;
    }
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

void CommandShowIdentifiers(Editor* e, WORD notification) {
    if (!TakeToggle(e, notification, IDC_SHOW_IDENTIFIERS, &e->ShowIdentifiers)) return;
    int32_t chunk = e->ShowAsTree ? SelectedTreeChunk(e) : -1;
    RebuildView(e);
    if (e->ShowAsTree) SelectTreeChunk(e, chunk);
}

void CommandShowAsTree(Editor* e, WORD notification) {
    if (!TakeToggle(e, notification, IDC_SHOW_AS_TREE, &e->ShowAsTree)) return;
    UpdateTitleAndCommands(e);
    RebuildView(e);
}

void CommandSave(Editor* e) {
    if (!CommitEdits(e)) return;
    SaveDocument(e);
    // The file is opened anew after a save; should that fail, the title says so.
    AfterCommand(e);
}

void CommandSaveAs(Editor* e) {
    if (!CommitEdits(e)) return;
    SaveDocumentAs(e);
    AfterCommand(e);
}

void CommandClose(Editor* e) {
    if (!CommitEdits(e) || !ConfirmDiscard(e)) {
        AfterCommand(e, false);
        return;
    }
    CloseDocument(e);
    ForgetStaleMatches(e, true);
    ForgetStaleDifferences(e, true);
    EmptyViews(e);
    AfterCommand(e);
}

// What is typed counts among the changes Open offers to save. A file whose
// counts disagree with its chunks is said so once it is shown, as the tree
// then shows chunks under nodes they may not belong to.
void CommandOpen(Editor* e) {
    int32_t result = CommitEdits(e) ? OpenDocument(e) : -1;
    AfterDocumentChange(e, result);
    if (result == 0 && e->Doc.FileHandle != kNoFile) TellStructureFaults(e);
}

void CommandOpenPath(Editor* e, const char* path) {
    int32_t result = CommitEdits(e) ? OpenDocumentPath(e, path) : -1;
    AfterDocumentChange(e, result);
    if (result == 0 && e->Doc.FileHandle != kNoFile) TellStructureFaults(e);
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
    UINT command = e->User.TrackMenu(e->User.Context, GetSubMenu(menu, 0), point.x, point.y, e->Window);
    DestroyMenu(menu);
    if (command) SendMessageA(e->Window, WM_COMMAND, command, 0);
    return true;
}

void ShowChunk(Editor* e, int32_t chunk) {
    if (chunk < 0) return;
    if (e->ShowAsTree) {
        if (!SelectTreeChunk(e, chunk)) SelectTreeChunk(e, chunk - 1);
        return;
    }
    SendToControl(e, IDC_CHUNK_LIST, LB_SETCURSEL, static_cast<WPARAM>(chunk), 0);
    e->CurrentChunk = chunk;
    ShowChunkDetail(e, chunk);
}

// Values replaced in place move no chunk, so the tree keeps its open nodes;
// but it does not follow a changed text, so every item it holds is written
// afresh.
void ShowReplacedValues(Editor* e, int32_t chunk) {
    RebuildView(e, true);
    if (e->ShowAsTree) RefreshTreeTexts(e);
    ShowChunk(e, chunk);
    AfterCommand(e);
}

void CommandGoTo(Editor* e) {
    if (!CommitDataBox(e)) return;
    ShowChunk(e, AskChunkPath(e));
}

void CommandFindReplace(Editor* e) { OpenFindDialog(e); }
void CommandCompareWith(Editor* e) { OpenCompareWindow(e); }

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
        AfterCommand(e, ReadHeaderFields(e));
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

void CommandRevert(Editor* e) { AfterDocumentChange(e, RevertDocument(e)); }

void CommandInsert(Editor* e) {
    if (!CommitEdits(e)) return;
    int32_t chunk = InsertChunk(e);
    if (chunk >= 0) ShowEditedTable(e, chunk);
    AfterCommand(e);
}

// A refused or declined removal changed nothing: the views keep their selection.
void CommandRemove(Editor* e) {
    if (!CommitEdits(e)) return;
    int32_t chunk = RemoveChunk(e);
    if (chunk >= 0) ShowEditedTable(e, chunk);
    AfterCommand(e);
}

void ShowEditedTable(Editor* e, int32_t chunk) {
    RebuildView(e, true);
    SelectTreeChunk(e, chunk);
}

void CommandNew(Editor* e) {
    if (!CommitEdits(e) || !ConfirmDiscard(e)) {
        AfterCommand(e, false);
        return;
    }
    AfterDocumentChange(e, NewDocument(e));
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
        CopyToClipboard(e, true);
        if (e->ShowAsTree) RebuildView(e, true);
        AfterCommand(e);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_CUT, 0, 0);
    }
}

namespace {

// Undo and Redo end as an edit does, with the chunk the change was about
// selected and shown (in the tree with its path open) and the header boxes
// as restored. A change of the header or key leaves the views alone.
void WalkJournal(Editor* e, bool forwards) {
    if (!CommitEdits(e)) return;
    int32_t show = -1;
    if ((forwards ? RedoChange(&e->Doc, &show) : UndoChange(&e->Doc, &show)) != 0) {
        e->User.Beep(e->User.Context, MB_OK);
    } else if (show != kShowHeader) {
        RebuildView(e, true);
        ShowChunk(e, show);
        if (e->ShowAsTree) RefreshTreeChunk(e, show);  // a value taken back: the one change the tree does not follow
    }
    AfterCommand(e);
}

}  // namespace

void CommandCheckStructure(Editor* e) {
    if (!CommitEdits(e)) return;
    if (RunStructureCheck(e, ShowChunk)) ShowEditedTable(e, -1);
    AfterCommand(e);
}

void CommandUndo(Editor* e) { WalkJournal(e, false); }

void CommandRedo(Editor* e) { WalkJournal(e, true); }

void CommandPaste(Editor* e) {
    if (TreeHasFocus(e)) {
        if (!CommitEdits(e)) return;
        int32_t chunk = PasteFromClipboard(e);
        if (chunk >= 0) ShowEditedTable(e, chunk);
        AfterCommand(e);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_PASTE, 0, 0);
    }
}
