// The editor's program-wide variables and the few helpers every part of the
// window layer uses to reach the main window's controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "editor_state.h"
#include "resource.h"

// The one editor state, as the shortcut hook sees it (set before the hook is
// installed) and as the main window sees it (set when the window starts).
extern EditorState* HookState;
extern EditorState* WindowState;

// The list line whose chunk the detail pane shows; -1 for none, and always
// -1 in tree mode, where the tree's selection says which chunk it is.
// Written by the shell only.
extern int32_t CurrentChunk;

extern HIMAGELIST TreeImages;  // the tree's images, owned by the main window
extern HICON WindowIcon;       // the main window's small icon; nullptr once destroyed

inline HWND MainWindowOf(const EditorState* state) { return reinterpret_cast<HWND>(state->MainWindow); }
inline HWND ControlOf(const EditorState* state, int id) { return GetDlgItem(MainWindowOf(state), id); }
inline LRESULT SendToControl(const EditorState* state, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(MainWindowOf(state), id, message, wParam, lParam);
}
inline void SetControlText(const EditorState* state, int id, const char* text) {
    SendToControl(state, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}
inline HANDLE FileOf(const EditorState* state) { return reinterpret_cast<HANDLE>(state->FileHandle); }
