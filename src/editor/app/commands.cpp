// The commands of the main window, each in its fixed order of steps. The
// views are never patched here, only rebuilt (which costs what they show,
// not what the document holds); the title and the header boxes are
// refreshed after every command that can change them.
#include "commands.h"

#include <cstring>

#include "document/file_commands.h"
#include "editing/editing.h"
#include "editor.h"
#include "shell.h"
#include "views/views.h"

namespace {

void RebuildView(EditorState* state) {
    if (state->ShowAsTree == 1) {
        BuildChunkTree(state);
        return;
    }
    FillChunkList(state);
    // The refill drops the list's selection; the current line must still be
    // a line of the list, and shown as selected.
    int32_t lines = static_cast<int32_t>(SendToControl(state, IDC_CHUNK_LIST, LB_GETCOUNT, 0, 0));
    if (CurrentChunk >= lines) CurrentChunk = -1;
    if (CurrentChunk != -1) SendToControl(state, IDC_CHUNK_LIST, LB_SETCURSEL, static_cast<WPARAM>(CurrentChunk), 0);
}

// The Data box is written back before any command that needs the document
// as the user sees it, or that is about to rebuild the view under it.
void ApplyPendingEdits(EditorState* state) {
    if (CurrentChunk != -1) ApplyDetailToListLine(state, CurrentChunk);
    if (state->ShowAsTree == 1) ApplyDetailToTreeItem(state);
}

void SelectInTree(EditorState* state, int32_t chunk) { SelectTreeChunk(state, TVI_ROOT, chunk); }

// New, Open and Revert end alike: a document that changed is shown afresh.
void AfterDocumentChange(EditorState* state, int32_t result) {
    if (result == 0) {
        RebuildView(state);
        ClearDetailPane(state);
        CurrentChunk = -1;
    }
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

bool TreeHasFocus(EditorState* state) {
    HWND focus = GetFocus();
    return focus && focus == ControlOf(state, IDC_CHUNK_TREE);
}

}  // namespace

void CommandExit(EditorState*, HWND window, WPARAM wParam) {
    // No question and no save: unsaved changes are dropped.
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
    if (CurrentChunk != -1) ApplyDetailToListLine(state, CurrentChunk);
    CurrentChunk = line;
    ShowChunkDetail(state, CurrentChunk);
}

void CommandShowIdentifiers(EditorState* state, WORD notification) {
    if (notification != BN_CLICKED) return;
    state->ShowIdentifiers = state->ShowIdentifiers == 0 ? 1 : 0;
    if (state->ShowAsTree == 1) {
        int32_t chunk = SelectedTreeChunk(state);
        ApplyPendingEdits(state);
        BuildChunkTree(state);
        SelectInTree(state, chunk);
    } else {
        FillChunkList(state);
        CurrentChunk = -1;
    }
}

void CommandShowAsTree(EditorState* state, WORD notification) {
    if (notification != BN_CLICKED) return;
    state->ShowAsTree = state->ShowAsTree == 0 ? 1 : 0;
    UpdateTitleAndCommands(state);
    CurrentChunk = -1;
    RebuildView(state);
}

void CommandSave(EditorState* state) {
    ApplyPendingEdits(state);
    ReadHeaderFields(state);
    SaveDocument(state);
    ShowHeaderFields(state);
    // The file is opened anew after a save; should that fail, the title says so.
    UpdateTitleAndCommands(state);
}

void CommandSaveAs(EditorState* state) {
    ApplyPendingEdits(state);
    ReadHeaderFields(state);
    SaveDocumentAs(state);
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

void CommandClose(EditorState* state) {
    if (state->FileHandle != kNoFile) CloseHandle(FileOf(state));
    state->FileHandle = kNoFile;
    SendToControl(state, IDC_CHUNK_LIST, LB_RESETCONTENT, 0, 0);
    state->ChunkCount = 0;
    std::memset(state->HeaderBytes, 0, sizeof state->HeaderBytes);
    state->Key = 0;
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
    ApplyPendingEdits(state);
    int32_t line = FindNext(state, CurrentChunk);
    if (line >= 0 && state->ShowAsTree == 0) CurrentChunk = line;
}

void CommandRevert(EditorState* state) { AfterDocumentChange(state, RevertDocument(state)); }

void CommandInsert(EditorState* state) {
    ReadHeaderFields(state);
    // The rebuild below drops the selection the edit belongs to.
    ApplyPendingEdits(state);
    int32_t chunk = InsertChunk(state);
    if (chunk >= 0) ShowEditedTable(state, chunk);
    ShowHeaderFields(state);
    UpdateTitleAndCommands(state);
}

void CommandRemove(EditorState* state) {
    ReadHeaderFields(state);
    ApplyPendingEdits(state);
    ShowEditedTable(state, RemoveChunk(state));
    UpdateTitleAndCommands(state);
    ShowHeaderFields(state);
}

void ShowEditedTable(EditorState* state, int32_t chunk) {
    RebuildView(state);
    SelectInTree(state, chunk);
}

void CommandNew(EditorState* state) { AfterDocumentChange(state, NewDocument(state)); }

void CommandCopy(EditorState* state) {
    if (TreeHasFocus(state)) {
        // The clipboard gets what the Data box shows, as a cut does.
        ApplyPendingEdits(state);
        CopyToClipboard(state, 0);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_COPY, 0, 0);
    }
}

void CommandCut(EditorState* state) {
    if (TreeHasFocus(state)) {
        ApplyPendingEdits(state);
        CopyToClipboard(state, 1);
        if (state->ShowAsTree == 1) BuildChunkTree(state);
        UpdateTitleAndCommands(state);
        ShowHeaderFields(state);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_CUT, 0, 0);
    }
}

void CommandPaste(EditorState* state) {
    if (TreeHasFocus(state)) {
        ApplyPendingEdits(state);
        PasteFromClipboard(state);
        if (state->ShowAsTree == 1) BuildChunkTree(state);
        UpdateTitleAndCommands(state);
        ShowHeaderFields(state);
    } else if (HWND focus = GetFocus()) {
        SendMessageA(focus, WM_PASTE, 0, 0);
    }
}
