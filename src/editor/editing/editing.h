// The editing commands: insertion, removal, clipboard copy, cut and paste,
// and the "Insert Chunk..." dialog that insertion and paste share. The table
// edits themselves are the core's; this layer asks the tree what is selected,
// asks the user where, and moves data to and from the clipboard.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "base/editor.h"
#include "display_text.h"

// The Insert dialog's in/out record. The dialog changes nothing in the
// document: the chunk is placed, and a text payload stored, only after it
// has closed, so that a refusal then leaves the pool as it was.
struct InsertRequest {
    // In: what the dialog offers.
    Editor* Owner;           // the editor whose document receives the chunk
    int32_t Selected;        // the selected chunk, -1 for none
    int32_t SelectedParent;  // its parent node, -1 at the top level
    uint32_t Offered;        // the locations the selection allows
    bool PasteOnly;          // a paste asks for the location alone
    // Out: what the user chose.
    uint32_t Location;     // one location, or 0 with nothing selected
    uint32_t Type;         // the chunk type (not for a paste)
    char Text[kTextSize];  // the Data/ID text as typed (not for a paste)
};

// Runs the dialog modally, owned by the main window, for the selected chunk
// (-1: none) and its parent. True when the user pressed OK on a choice the
// dialog accepted; the request then holds it.
bool RunInsertDialog(Editor* e, InsertRequest* request, int32_t selected, int32_t selectedParent, bool pasteOnly);
// The dialog procedure of "InsertDlg"; its creation parameter is the request.
INT_PTR CALLBACK InsertDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Insert and Remove: the new chunk's index, or the index the removed span
// began at (the chunk to select afterwards); -1 when nothing changed.
int32_t InsertChunk(Editor* e);
int32_t RemoveChunk(Editor* e);
// Copy, or cut (the copy, then the removal once both formats are placed).
// False when refused (with the default sound) or after a message.
bool CopyToClipboard(Editor* e, bool cut);
// The index of the pasted run's first chunk, or -1 when nothing was pasted.
int32_t PasteFromClipboard(Editor* e);
// The chunk selected in the view shown (tree item or list line), or -1.
int32_t SelectedChunk(Editor* e);
// Whether Move Up, Move Down, Duplicate and the Copy Path and Copy Value
// commands have a chunk to work on: one selected, and with the tree shown
// its identifiers too.
bool ChunkCommandsAllowed(Editor* e);
// The sibling the selected chunk trades places with (down: the next one),
// -1 when there is none: the command is then unavailable.
int32_t MoveTarget(Editor* e, bool down);
// Move Up / Move Down and Duplicate: where the moved chunk or the copy
// stands now, or -1 when nothing changed.
int32_t MoveChunk(Editor* e, bool down);
int32_t DuplicateChunk(Editor* e);

// text on the clipboard for other programs, beside the chunk block Copy or
// Cut left there, which stays for Paste. False after a message.
bool PutTextOnClipboard(Editor* e, const std::string& text);
// The path of chunk (as Go To reads it) put there so; false for a chunk
// that has no path, or after a message.
bool CopyChunkPath(Editor* e, int32_t chunk);

// Dragging a chunk in the tree, driven by the main window's messages: the
// tree's begin-drag notice, the mouse moves and timer ticks while the main
// window holds the mouse, the left button's release. Begin refuses (false)
// a drag with identifiers hidden, as the other tree edits do. End gives the
// mouse back and says where the chunk was let go; DropChunk then moves it
// there, or copies it when Ctrl was held: where it stands now, or -1 when
// nothing changed (refused, or dropped where it stood).
bool BeginTreeDrag(Editor* e, const NMTREEVIEWA* notice);
void TrackTreeDrag(Editor* e);
void TreeDragTick(Editor* e);
TreeDrag EndTreeDrag(Editor* e);
int32_t DropChunk(Editor* e, const TreeDrag& drop);
void CancelTreeDrag(Editor* e);
// A key while a chunk is dragged: Esc cancels, Ctrl switches between move
// and copy. True when the key was the drag's (it must then go no further).
bool TreeDragKey(Editor* e, const MSG* message);
