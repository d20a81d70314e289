// The chunk views of the main window: the flat list, the tree, the detail
// pane that shows and edits one chunk, and find. They only move data between
// the controls and the core, which makes every text and every shape.
#pragma once

#include <cstdint>

#include "base/editor.h"

// List view (IDC_CHUNK_LIST): one line per chunk, the chunk index at its end.
// The list stores nothing: line n is chunk n, drawn (and read with
// LB_GETTEXT) from the chunk table when needed.
void InitChunkList(Editor* e);
void MeasureChunkListLine(HWND window, MEASUREITEMSTRUCT* measure);
void DrawChunkListLine(Editor* e, const DRAWITEMSTRUCT* draw);
void FillChunkList(Editor* e);
// Shows line afresh after its chunk changed.
void RedrawChunkListLine(Editor* e, int32_t line);
// The line a typed letter goes to: the next one after current (wrapping)
// whose text starts with the letter, case ignored; -2 when none does (the
// answer WM_CHARTOITEM wants for "nothing to do").
int32_t ListLineForLetter(Editor* e, char letter, int32_t current);
// The chunk index a list line carries, or -1 for a line the list does not hold.
int32_t ListLineToChunkIndex(Editor* e, int32_t line);

// Tree view (IDC_CHUNK_TREE): items carry a key as item data, which
// TreeItemChunk turns into the chunk it shows now. The control holds the top
// level and the children of the nodes opened so far. BuildChunkTree builds
// it afresh with every node closed.
void BuildChunkTree(Editor* e);
// The tree after an edit, undo or redo: what a build afresh shows with every
// node that was open still open (as far as it still exists), reached by
// changing only the items that differ when the control shows the table as
// it was one journal step ago; otherwise every item is put in anew.
void FollowChunkTree(Editor* e);
// The chunk a tree item's data stands for now, or -1.
int32_t TreeItemChunk(const Editor* e, LPARAM data);
// Puts the children of the node being expanded into the control, the first
// time it opens (the TVN_ITEMEXPANDING notice).
void OpenTreeItem(Editor* e, const NMTREEVIEWA* notice);
// Deletes every item; for the commands that empty the document's views.
void ClearChunkTree(Editor* e);
// Releases the model's memory at the end of the run.
void FreeTreeModel(TreeModel* tree);
// The chunk of the selected item, or -1.
int32_t SelectedTreeChunk(Editor* e);
// Sets the text of chunk's item afresh, and of the node it names when it
// is an identifier; a chunk without an item in the control needs nothing.
void RefreshTreeChunk(Editor* e, int32_t chunk);
// The same for every item the control holds, after values changed in place.
void RefreshTreeTexts(Editor* e);
// The same, and in *parent the chunk of the selected item's parent (-1 at
// the top level), as the tree shows it: the view knows every item's parent,
// so no edit has to search the table or walk the control for it.
int32_t SelectedTreeChunkAndParent(Editor* e, int32_t* parent);
// Selects the item of chunk, opening the nodes on its way, scrolls it into
// view and focuses the tree. False, with the selection unchanged, when the
// chunk has no item (-1, a hidden identifier, a chunk outside the table).
bool SelectTreeChunk(Editor* e, int32_t chunk);

// Detail pane (IDC_LENGTH_BOX and IDC_DATA_BOX): shows one chunk, the pane's chunk, or
// none (both boxes empty and read-only).
// Shows the tree's selected chunk (tree mode) or the chunk of line (list
// mode). Without a selection in the tree the pane is left as it is.
void ShowChunkDetail(Editor* e, int32_t line);
// Shows chunk (it becomes the pane's chunk); -1 or a type the pane does not
// know empties the pane. With Hex ticked the Data box holds the chunk's
// bytes in hex (a payload's, a scalar's four, a node's six); else its value
// or text, each line break as a line.
void ShowChunkInPane(Editor* e, int32_t chunk);
// Writes an edited Data box into the pane's chunk when it reads wholly as
// the chunk's form, then shows the chunk afresh in its line or item and in
// the pane. False after the refusal (the chunk and the box keep what they
// hold); true when written or when there was nothing to write.
bool ApplyDetailEdit(Editor* e);
// Empties both boxes and makes them read-only; what was typed is dropped.
void ClearDetailPane(Editor* e);
// Empties the list, the tree and the pane, which then belongs to no chunk:
// for the commands that drop the table the views show, so that no line,
// item or pane names a chunk of the old table.
void EmptyViews(Editor* e);

// The chunk a change or a search was about, in the view shown: in the tree
// its item (a hidden identifier's node for it) with its path opened and the
// keys in the tree, in the list its line. -1 shows nothing.
void ShowChunk(Editor* e, int32_t chunk);

// A dialog that selects chunks (Find and Replace, Go To) opens beside the
// chunk view shown, or where it hides least of the selection.
void PlaceBesideViews(Editor* e, HWND dialog);

// Find (IDC_FIND_BOX): selects the next chunk (backwards: the previous one)
// whose text holds the search text, letter case folded as the code page in
// use folds it. List mode: the line selected, or -1; tree mode: line when
// found, or -1.
int32_t FindNext(Editor* e, int32_t line, bool backwards);
// The case folding of the system's 8-bit code page codePage, as the system
// lower-cases text; bytes it cannot fold on their own (a lead byte of a
// double-byte code page) stay as they are.
void BuildCaseFold(UINT codePage, CaseFold* fold);
