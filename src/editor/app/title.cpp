#include <cstring>

#include "editor.h"
#include "report.h"
#include "shell.h"

void UpdateTitle(EditorState* state) {
    HWND window = MainWindowOf(state);
    // 20 + 3 + 259 + 12 + 2 characters at most: the caption always fits.
    char caption[512];
    std::strcpy(caption, kProgramTitle);
    if (state->FileHandle != kNoFile) {
        std::strncat(caption, " - ", sizeof caption - std::strlen(caption) - 1);
        std::strncat(caption, state->FileName, sizeof caption - std::strlen(caption) - 1);
        if (state->ReadOnly) std::strncat(caption, " [read-only]", sizeof caption - std::strlen(caption) - 1);
    }
    if (state->Modified) std::strncat(caption, " *", sizeof caption - std::strlen(caption) - 1);
    char shown[512];
    GetWindowTextA(window, shown, sizeof shown);
    if (std::strcmp(shown, caption) != 0) SetWindowTextA(window, caption);
}

int32_t UpdateTitleAndCommands(EditorState* state) {
    HWND window = MainWindowOf(state);
    bool open = state->FileHandle != kNoFile;
    UpdateTitle(state);
    EnableWindow(ControlOf(state, IDM_INSERT), open);
    EnableWindow(ControlOf(state, IDM_REMOVE), open);
    HMENU menu = GetMenu(window);
    UINT menuState = open ? MF_ENABLED : MF_GRAYED;
    static const UINT kFileCommands[] = {IDM_SAVE, IDM_SAVE_AS, IDM_REVERT, IDM_CLOSE};
    for (UINT command : kFileCommands) EnableMenuItem(menu, command, MF_BYCOMMAND | menuState);
    bool tree = state->ShowAsTree == 1;
    HWND treeView = ControlOf(state, IDC_CHUNK_TREE);
    HWND list = ControlOf(state, IDC_CHUNK_LIST);
    EnableWindow(treeView, tree);
    EnableWindow(list, !tree);
    ShowWindow(treeView, tree ? SW_SHOW : SW_HIDE);
    ShowWindow(list, tree ? SW_HIDE : SW_SHOW);
    return 0;
}
