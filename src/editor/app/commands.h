// One handler per command of the main window; the dialog procedure only
// dispatches. Each runs the command's steps in their fixed order.
#pragma once

#include <windows.h>

#include "editor.h"

void CommandExit(Editor* e);
void CommandListSelection(Editor* e, WORD notification);
void CommandShowIdentifiers(Editor* e, WORD notification);
void CommandShowAsTree(Editor* e, WORD notification);
void CommandSave(Editor* e);
void CommandSaveAs(Editor* e);
void CommandClose(Editor* e);
void CommandOpen(Editor* e);
void CommandAbout(Editor* e);
void CommandFind(Editor* e);
void CommandRevert(Editor* e);
void CommandInsert(Editor* e);
void CommandRemove(Editor* e);
void CommandNew(Editor* e);
void CommandCopy(Editor* e);
void CommandCut(Editor* e);
void CommandPaste(Editor* e);
// Each first commits what is typed, so the menu's Undo takes back a typed
// edit that was not yet stored.
void CommandUndo(Editor* e);
void CommandRedo(Editor* e);

// The view's refresh after a table edit: the view is rebuilt and, in the
// tree, chunk selected (-1 selects nothing). Insert and Remove end with it.
void ShowEditedTable(Editor* e, int32_t chunk);
