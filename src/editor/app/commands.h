// One handler per command of the main window; the dialog procedure only
// dispatches. Each runs the command's steps in their fixed order.
#pragma once

#include <windows.h>

#include "editor_state.h"

void CommandExit(EditorState* state, HWND window, WPARAM wParam);
void CommandListSelection(EditorState* state, WORD notification);
void CommandShowIdentifiers(EditorState* state, WORD notification);
void CommandShowAsTree(EditorState* state, WORD notification);
void CommandSave(EditorState* state);
void CommandSaveAs(EditorState* state);
void CommandClose(EditorState* state);
void CommandOpen(EditorState* state);
void CommandAbout(EditorState* state);
void CommandFind(EditorState* state);
void CommandRevert(EditorState* state);
void CommandInsert(EditorState* state);
void CommandRemove(EditorState* state);
void CommandNew(EditorState* state);
void CommandCopy(EditorState* state);
void CommandCut(EditorState* state);
void CommandPaste(EditorState* state);

// The view's refresh after a table edit: the view is rebuilt and, in the
// tree, chunk selected (-1 selects nothing). Insert and Remove end with it.
void ShowEditedTable(EditorState* state, int32_t chunk);
