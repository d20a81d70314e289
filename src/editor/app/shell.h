// The application shell: start-up and teardown, the shortcut hook, the main
// window and its commands, the title, and the About box.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/editor.h"

// Everything before the main window runs: common controls, the document and
// its memory, the view flags, the shortcuts and their hook, the clipboard
// format. user is how it meets its user (PlatformSeams(), or a test's
// answers) and memory where its blocks come from (nullptr: the usual heap).
// False when the document's memory could not be had: its message has been
// shown and the editor must end rather than run on memory it does not have.
bool StartEditor(Editor* e, HINSTANCE instance, const UserSeams& user, const BlockAllocator* memory = nullptr);
// Everything after the main window has ended: the hook goes, the memory is
// freed. An open file is left to the end of the process.
void EndEditor(Editor* e);

LRESULT CALLBACK ShortcutHook(int code, WPARAM wParam, LPARAM lParam);
// The main window's procedure; its creation parameter is the Editor.
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The step every change ends with (the Editor's AfterChange hook; editor.h
// says what it refreshes, in which order).
void AfterChange(Editor* e, ChangeKind what, int32_t show = -1);

// Caption, file commands, Insert and Remove, and which view is shown.
void UpdateTitleAndCommands(Editor* e);
// Undo and Redo grayed when there is nothing to walk; a value typed and not
// yet stored can be undone.
void UpdateUndoCommands(Editor* e);
// Move Up, Move Down, Duplicate, Copy Path and Copy Value in menu (the main
// window's or the context menu) grayed while the selection allows none:
// nothing selected, or no sibling to trade places with.
void UpdateChunkCommands(Editor* e, HMENU menu);
// The caption alone: the title, then the file (" [read-only]" when it is
// open for reading only), then " *" while the document has unsaved changes.
void UpdateTitle(Editor* e);

// The page beside the program: the program's folder (up to its last path
// separator) and "donate.htm". False, with nothing to open, when the
// program's path names no folder or the page's path would not fit in size
// bytes: a bare page name would be looked for in whatever folder is current.
bool DonatePagePath(const char* programPath, char* path, size_t size);
