// The commands of the main window, each in its fixed order of steps. The
// views are never patched here, only rebuilt (which costs what they show,
// not what the document holds); the title and the header boxes are
// refreshed after every command that can change them. What the user typed
// is committed before any command that uses the document or drops the
// view it was typed in; a typed value that is refused stops the command, so
// it is never lost unseen.
#include "commands.h"

#include <cstring>

#include "document/file_commands.h"
#include "editing/editing.h"
#include "editor.h"
#include "shell.h"
#include "views/views.h"

namespace {

// A rebuilt view has no selection, so the pane belongs to no chunk.
void RebuildView(EditorState* state) {
    if (state->ShowAsTree == 1) {
        BuildChunkTree(state);
    } else {
        FillChunkList(state);
    }
    CurrentChunk = -1;
    ClearDetailPane(state);
}

// The Data box into its chunk; the title then says whether that changed the
// document. False after a refusal.
bool CommitDataBox(EditorState* state) {
    bool committed = ApplyDetailEdit(state);
    UpdateTitle(state);
    return committed;
}

// The Data box and the header boxes: before every command that saves, edits
// the table, or drops the document.
bool CommitEdits(EditorState* state) {
    bool committed = ApplyDetailEdit(state) && ReadHeaderFields(state);
    UpdateTitle(state);
    return committed;
}

// A check box the user clicked while an edit was refused goes back.
void UndoClick(EditorState* state, int id, int32_t flag) {
    SendToControl(state, id, BM_SETCHECK, flag == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SelectInTree(EditorState* state, int32_t chunk) { SelectTreeChunk(state, TVI_ROOT, chunk); }

// New, Open and Revert end alike: a document that changed is shown afresh.
void AfterDocumentChange(EditorState* state, int32_t result) {
    if (result == 0) RebuildView(state);
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

bool TreeHasFocus(EditorState* state) {
    HWND focus = GetFocus();
    return focus && focus == ControlOf(state, IDC_CHUNK_TREE);
}

}  // namespace

void CommandExit(EditorState* state, HWND window, WPARAM wParam) {
    if (!CommitEdits(state) || !ConfirmDiscard(state)) {
        UpdateTitleAndCommands(state);
        return;
    }
    if (WindowIcon) {
        DestroyIcon(WindowIcon);
        WindowIcon = nullptr;
    }
    EndDialog(window, static_cast<INT_PTR>(wParam));
}

void CommandListSelection(EditorState* state, WORD notification) {
    if (notification != LBN_SELCHANGE) return;
    int32_t line = static_cast<int32_t>(SendToControl(state, IDC_CHUNK_LIST, LB_GETCURSEL, 0, 0));
    if (line == CurrentChunk) return;
    if (!CommitDataBox(state)) {  // the edit stays, and with it its line
        SendToControl(state, IDC_CHUNK_LIST, LB_SETCURSEL, static_cast<WPARAM>(CurrentChunk), 0);
        return;
    }
    CurrentChunk = line;
    ShowChunkDetail(state, CurrentChunk);
}

void CommandShowIdentifiers(EditorState* state, WORD notification) {
    if (notification != BN_CLICKED) return;
    if (!CommitDataBox(state)) {
        UndoClick(state, IDC_SHOW_IDENTIFIERS, state->ShowIdentifiers);
        return;
    }
    state->ShowIdentifiers = state->ShowIdentifiers == 0 ? 1 : 0;
    int32_t chunk = state->ShowAsTree == 1 ? SelectedTreeChunk(state) : -1;
    RebuildView(state);
    if (state->ShowAsTree == 1) SelectInTree(state, chunk);
}

void CommandShowAsTree(EditorState* state, WORD notification) {
    if (notification != BN_CLICKED) return;
    if (!CommitDataBox(state)) {
        UndoClick(state, IDC_SHOW_AS_TREE, state->ShowAsTree);
        return;
    }
    state->ShowAsTree = state->ShowAsTree == 0 ? 1 : 0;
    UpdateTitleAndCommands(state);
    RebuildView(state);
}

void CommandSave(EditorState* state) {
    if (!CommitEdits(state)) return;
    SaveDocument(state);
    ShowHeaderFields(state);
    // The file is opened anew after a save; should that fail, the title says so.
    UpdateTitleAndCommands(state);
}

void CommandSaveAs(EditorState* state) {
    if (!CommitEdits(state)) return;
    SaveDocumentAs(state);
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

void CommandClose(EditorState* state) {
    if (!CommitEdits(state) || !ConfirmDiscard(state)) {
        UpdateTitleAndCommands(state);
        return;
    }
    CloseDocument(state);
    SendToControl(state, IDC_CHUNK_LIST, LB_RESETCONTENT, 0, 0);
    ClearDetailPane(state);
    ClearChunkTree(state);
    CurrentChunk = -1;
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

void CommandOpen(EditorState* state) { AfterDocumentChange(state, OpenDocument(state)); }

void CommandAbout(EditorState* state) {
    DialogBoxParamA(reinterpret_cast<HINSTANCE>(state->Instance), "AboutDlg", MainWindowOf(state), AboutDialogProc, 0);
}

void CommandFind(EditorState* state) {
    if (!CommitDataBox(state)) return;
    int32_t line = FindNext(state, CurrentChunk);
    if (line >= 0 && state->ShowAsTree == 0) CurrentChunk = line;
}

void CommandRevert(EditorState* state) { AfterDocumentChange(state, RevertDocument(state)); }

void CommandInsert(EditorState* state) {
    if (!CommitEdits(state)) return;
    int32_t chunk = InsertChunk(state);
    if (chunk >= 0) ShowEditedTable(state, chunk);
    ShowHeaderFields(state);
    UpdateTitleAndCommands(state);
}

void CommandRemove(EditorState* state) {
    if (!CommitEdits(state)) return;
    ShowEditedTable(state, RemoveChunk(state));
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

void ShowEditedTable(EditorState* state, int32_t chunk) {
    RebuildView(state);
    SelectInTree(state, chunk);
}

void CommandNew(EditorState* state) {
    if (!CommitEdits(state) || !ConfirmDiscard(state)) {
        UpdateTitleAndCommands(state);
        return;
    }
    AfterDocumentChange(state, NewDocument(state));
}

void CommandCopy(EditorState* state) {
    if (TreeHasFocus(state)) {
        // The clipboard gets what the Data box shows, as a cut does.
        if (CommitDataBox(state)) CopyToClipboard(state, 0);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_COPY, 0, 0);
    }
}

void CommandCut(EditorState* state) {
    if (TreeHasFocus(state)) {
        if (!CommitEdits(state)) return;
        CopyToClipboard(state, 1);
        if (state->ShowAsTree == 1) RebuildView(state);
        UpdateTitleAndCommands(state);
        ShowHeaderFields(state);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_CUT, 0, 0);
    }
}

void CommandPaste(EditorState* state) {
    if (TreeHasFocus(state)) {
        if (!CommitEdits(state)) return;
        PasteFromClipboard(state);
        if (state->ShowAsTree == 1) RebuildView(state);
        UpdateTitleAndCommands(state);
        ShowHeaderFields(state);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_PASTE, 0, 0);
    }
}
