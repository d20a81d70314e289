// The application shell: start-up and teardown, the shortcut hook, the main
// window and its commands, the title, and the About box.
#pragma once

#include <windows.h>

#include <cstdint>

#include "editor_state.h"

// Everything before the main window runs: common controls, the state and its
// memory, the view flags, the shortcuts and their hook, the clipboard format.
// -1 when the document memory could not be had: its message has been shown
// and the editor must end rather than run on memory it does not have.
int32_t StartEditor(EditorState* state, HINSTANCE instance);
// Everything after the main window has ended: the hook goes, the memory is
// freed. An open file is left to the end of the process.
void EndEditor(EditorState* state);

LRESULT CALLBACK ShortcutHook(int code, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Caption, file commands, Insert and Remove, and which view is shown.
int32_t UpdateTitleAndCommands(EditorState* state);
// The caption alone: the title, then the file (" [read-only]" when it is
// open for reading only), then " *" while the document has unsaved changes.
void UpdateTitle(EditorState* state);

// Centres window on the desktop.
void CentreOnDesktop(HWND window);

// The page beside the program: the program's folder (up to its last path
// separator) and "donate.htm". False, with nothing to open, when the
// program's path names no folder or the page's path would not fit in size
// bytes: a bare page name would be looked for in whatever folder is current.
bool DonatePagePath(const char* programPath, char* path, size_t size);
