// The editor's only ways to ask or tell the user something, and to run the
// system's file dialogs and page opener. Each is a replaceable function
// pointer so that the tests can answer in the user's place; everything else
// the tests drive is the real window code.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>

#include "editor_state.h"

// MessageBoxA's shape; returns the button pressed (IDOK, IDYES, IDNO).
typedef int (*MessageBoxSeam)(HWND owner, const char* text, const char* caption, UINT flags);
extern MessageBoxSeam ShowMessageBox;

// Runs the open dialog (forSaving 0) or the save dialog (1). TRUE when a file
// was chosen; otherwise error receives the dialog's extended error code,
// 0 when the user cancelled.
typedef BOOL (*FileDialogSeam)(OPENFILENAMEA* dialog, int32_t forSaving, DWORD* error);
extern FileDialogSeam RunFileDialog;

// ShellExecuteA's shape.
typedef HINSTANCE (*ShellOpenSeam)(HWND owner, const char* verb, const char* file, const char* parameters,
                                  const char* folder, int show);
extern ShellOpenSeam OpenWithShell;

// A message box owned by the main window (none before it exists), with the
// program title as caption, an OK button and the given icon.
void TellUser(const EditorState* state, const char* text, UINT icon);

// A Yes/No question owned by the main window; true when the answer is Yes
// (a box that could not be shown counts as No: nothing is dropped unasked).
bool AskUser(const EditorState* state, const char* question);

// The core's report hook (context: the EditorState): a message box whose icon
// follows the kind of report.
void ReportToUser(void* context, const char* text, ReportKind kind);
