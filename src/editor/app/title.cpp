// The window's title and which commands are available, from the document's state.
#include <cstring>

#include "document.h"
#include "editing/editing.h"
#include "journal.h"
#include "shell.h"

void UpdateTitle(Editor* e) {
    HWND window = e->Window;
    // 20 + 3 + 259 + 12 + 2 characters at most: the caption always fits.
    char caption[512];
    std::strcpy(caption, kProgramTitle);
    if (e->Doc.FileHandle != kNoFile) {
        std::strncat(caption, " - ", sizeof caption - std::strlen(caption) - 1);
        std::strncat(caption, e->Doc.FileName, sizeof caption - std::strlen(caption) - 1);
        if (e->Doc.ReadOnly) std::strncat(caption, " [read-only]", sizeof caption - std::strlen(caption) - 1);
    }
    if (e->Doc.Modified) std::strncat(caption, " *", sizeof caption - std::strlen(caption) - 1);
    char shown[512];
    GetWindowTextA(window, shown, sizeof shown);
    if (std::strcmp(shown, caption) != 0) SetWindowTextA(window, caption);
}

void UpdateUndoCommands(Editor* e) {
    static const int kBoxes[] = {IDC_DATA_BOX, IDC_HEADER0_BOX, IDC_HEADER36_BOX, IDC_KEY_BOX};
    bool typed = false;
    for (int id : kBoxes) typed = typed || SendToControl(e, id, EM_GETMODIFY, 0, 0);
    HMENU menu = GetMenu(e->Window);
    EnableMenuItem(menu, IDM_UNDO, MF_BYCOMMAND | (CanUndo(&e->Doc) || typed ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, IDM_REDO, MF_BYCOMMAND | (CanRedo(&e->Doc) && !typed ? MF_ENABLED : MF_GRAYED));
}

void UpdateChunkCommands(Editor* e, HMENU menu) {
    const bool allowed = ChunkCommandsAllowed(e);
    const struct {
        UINT Id;
        bool Available;
    } commands[] = {{IDM_MOVE_UP, MoveTarget(e, false) >= 0},
                    {IDM_MOVE_DOWN, MoveTarget(e, true) >= 0},
                    {IDM_DUPLICATE, allowed},
                    {IDM_COPY_PATH, allowed},
                    {IDM_COPY_VALUE, allowed}};
    for (const auto& c : commands) EnableMenuItem(menu, c.Id, MF_BYCOMMAND | (c.Available ? MF_ENABLED : MF_GRAYED));
}

void UpdateTitleAndCommands(Editor* e) {
    HWND window = e->Window;
    bool open = e->Doc.FileHandle != kNoFile;
    UpdateTitle(e);
    EnableWindow(ControlOf(e, IDM_INSERT), open);
    EnableWindow(ControlOf(e, IDM_REMOVE), open);
    HMENU menu = GetMenu(window);
    UINT menuState = open ? MF_ENABLED : MF_GRAYED;
    static const UINT kFileCommands[] = {IDM_SAVE,  IDM_SAVE_AS,     IDM_REVERT, IDM_CLOSE, IDM_CHECK_STRUCTURE,
                                         IDM_GO_TO, IDM_COMPARE_WITH};
    for (UINT command : kFileCommands) EnableMenuItem(menu, command, MF_BYCOMMAND | menuState);
    // Only a switch touches the views: some controls repaint whole when told
    // to show while shown, which for a long list or tree is slow.
    bool tree = e->ShowAsTree;
    HWND treeView = ControlOf(e, IDC_CHUNK_TREE);
    HWND list = ControlOf(e, IDC_CHUNK_LIST);
    if (((GetWindowLongA(treeView, GWL_STYLE) & WS_VISIBLE) != 0) != tree ||
        ((GetWindowLongA(list, GWL_STYLE) & WS_VISIBLE) != 0) == tree) {
        EnableWindow(treeView, tree);
        EnableWindow(list, !tree);
        ShowWindow(treeView, tree ? SW_SHOW : SW_HIDE);
        ShowWindow(list, tree ? SW_HIDE : SW_SHOW);
    }
    UpdateUndoCommands(e);
    UpdateChunkCommands(e, menu);
}
