// The chunk views of the main window: the flat list, the tree, the detail
// pane that shows and edits one chunk, and find. They only move data between
// the controls and the core, which makes every text and every shape.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "editor_state.h"
#include "find_match.h"

// List view (control 1001): one line per chunk, the chunk index at its end.
// The list stores nothing: line n is chunk n, drawn (and read with
// LB_GETTEXT) from the chunk table when needed.
void InitChunkList(EditorState* state);
void MeasureChunkListLine(HWND window, MEASUREITEMSTRUCT* measure);
void DrawChunkListLine(EditorState* state, const DRAWITEMSTRUCT* draw);
int32_t FillChunkList(EditorState* state);
// Shows line afresh after its chunk changed.
void RedrawChunkListLine(EditorState* state, int32_t line);
// The line a typed letter goes to: the next one after current (wrapping)
// whose text starts with the letter, case ignored; -2 when none does (the
// answer WM_CHARTOITEM wants for "nothing to do").
int32_t ListLineForLetter(EditorState* state, char letter, int32_t current);
// The chunk index a list line carries, or -1 for a line the list does not hold.
int32_t ListLineToChunkIndex(EditorState* state, int32_t line);

// Tree view (control 1002): items carry their chunk index as item data. The
// control holds the top level and the children of the nodes opened so far.
int32_t BuildChunkTree(EditorState* state);
// Puts the children of the node being expanded into the control, the first
// time it opens (the TVN_ITEMEXPANDING notice).
void OpenTreeItem(EditorState* state, const NMTREEVIEWA* notice);
// Deletes every item; for the commands that empty the document's views.
void ClearChunkTree(EditorState* state);
// The chunk of the selected item, or -1.
int32_t SelectedTreeChunk(EditorState* state);
// Sets the text of chunk's item afresh, and of the node it names when it
// is an identifier; a chunk without an item in the control needs nothing.
void RefreshTreeChunk(EditorState* state, int32_t chunk);
// The same, and in *parent the chunk of the selected item's parent (-1 at
// the top level), as the tree shows it: the view knows every item's parent,
// so no edit has to search the table or walk the control for it.
int32_t SelectedTreeChunkAndParent(EditorState* state, int32_t* parent);
// Selects the item of chunk among the descendants of start (TVI_ROOT for the
// whole tree), opening the nodes on its way, scrolls it into view and
// focuses the tree. -1, with the selection unchanged, when the chunk has no
// item there.
int32_t SelectTreeChunk(EditorState* state, HTREEITEM start, int32_t chunk);
// True while BuildChunkTree or ClearChunkTree is deleting items: selection
// notices sent then are about items on their way out, not about the user's.
bool TreeIsRebuilding();

// Detail pane (boxes 2001 and 2002): shows one chunk, the pane's chunk, or
// none (both boxes empty and read-only).
// Shows the tree's selected chunk (tree mode) or the chunk of line (list
// mode). -1 when the tree has no selection; the pane is then unchanged.
int32_t ShowChunkDetail(EditorState* state, int32_t line);
// Shows chunk; -1 or a type the pane does not know empties the pane.
void ShowChunkInPane(EditorState* state, int32_t chunk);
// The chunk the pane shows, -1 for none.
int32_t PaneChunk();
// Writes an edited Data box into the pane's chunk when it reads wholly as
// the chunk's form, then shows the chunk afresh in its line or item and in
// the pane. False after the refusal (the chunk and the box keep what they
// hold); true when written or when there was nothing to write.
bool ApplyDetailEdit(EditorState* state);
// Empties both boxes and makes them read-only; what was typed is dropped.
void ClearDetailPane(EditorState* state);

// Find (box 2003): selects the next chunk whose text holds the search text,
// letter case folded as the code page in use folds it. List mode: the line
// selected, or -1; tree mode: line when found, or -1.
int32_t FindNext(EditorState* state, int32_t line);
// The case folding of the system's 8-bit code page codePage, as the system
// lower-cases text; bytes it cannot fold on their own (a lead byte of a
// double-byte code page) stay as they are.
void BuildCaseFold(UINT codePage, CaseFold* fold);
