// One handler per command of the main window; the dialog procedure only
// dispatches. Each runs the command's steps in their fixed order.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "base/editor.h"

void CommandExit(Editor* e);
void CommandListSelection(Editor* e, WORD notification);
void CommandShowIdentifiers(Editor* e, WORD notification);
void CommandShowAsTree(Editor* e, WORD notification);
void CommandSave(Editor* e);
void CommandSaveAs(Editor* e);
void CommandClose(Editor* e);
void CommandOpen(Editor* e);
// Open of a file named on the command line, dropped on the window, or chosen
// from the recent files; one of those no longer there is taken off the list.
void CommandOpenPath(Editor* e, const char* path);
void CommandOpenRecent(Editor* e, int32_t k);
// A drop of files from Explorer: the first is opened, and the user told when
// there were more.
void CommandDropFiles(Editor* e, HDROP drop);
// The context menu of a tree item or list line, at the mouse (which first
// selects what it is on) or, for the keyboard (at == -1), at the selection.
// False for any other control, which keeps its own.
bool CommandContextMenu(Editor* e, HWND control, LPARAM at);
void CommandAbout(Editor* e);
// The search box's Find, forwards from the selection (backwards: from the
// chunk before it, towards the start); neither wraps.
void CommandFind(Editor* e, bool backwards = false);
// F3 and Shift+F3 in the main window: the search that ran last again, the
// Find and Replace dialog's (open or closed) or the search box's.
void CommandRepeatSearch(Editor* e, bool backwards);
// Enter: in the Data box it stores the value and the chunk stays selected,
// in a header box it stores the header boxes, anywhere else it finds.
void CommandEnter(Editor* e);
void CommandShowHex(Editor* e, WORD notification);
// Esc in the Data box or a header box: the box shows the stored value again
// and what was typed there is dropped. False for any other control.
bool CommandPutBack(Editor* e, HWND box);
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
// Lists the counts that disagree with the table and, when the user chooses
// Repair, repairs them as one change and shows the table afresh.
void CommandCheckStructure(Editor* e);

// Move Up (down false) and Move Down, Duplicate, Copy Path and Copy Value
// of the selected chunk; each does nothing while unavailable (grayed).
void CommandMoveChunk(Editor* e, bool down);
void CommandDuplicate(Editor* e);
void CommandTreeDrop(Editor* e);
void CommandCopyPath(Editor* e);
void CommandCopyValue(Editor* e);

void CommandGoTo(Editor* e);
// Opens the modeless Find and Replace dialog, or brings it forward.
void CommandFindReplace(Editor* e);
void CommandFindInFiles(Editor* e);  // the dialog, on its scope "Files in folder"
void CommandCompareWith(Editor* e);
