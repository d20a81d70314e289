// The editing commands: insertion, removal, clipboard copy, cut and paste,
// and the "Insert Chunk..." dialog that insertion and paste share. The table
// edits themselves are the core's; this layer asks the tree what is selected,
// asks the user where, and moves data to and from the clipboard.
#pragma once

#include <windows.h>

#include <cstdint>

#include "display_text.h"
#include "editor_state.h"

// The dialog's in/out record. On entry Location holds the locations offered
// (LocationOnly for paste); on return the one the user checked. The chosen
// type and the Data/ID text are kept here: the record is placed, and a text
// payload stored, only after the dialog has closed, so that a refusal then
// leaves the pool as it was.
struct InsertRequest {
    ChunkRecord Record;       // Type and, for numbers and nodes, Value
    uint32_t Location;
    EditorState* Editor;
    int32_t Selected;         // the selected chunk, -1 for none
    int32_t SelectedParent;   // its parent node, -1 at the top level
    char Text[kTextSize];     // the Data/ID text as typed
};

// The dialog procedure of "InsertDlg"; its creation parameter is the request.
INT_PTR CALLBACK InsertDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Sets the dialog up from request->Location (locations offered, paste mode).
void InitInsertDialog(HWND dialog, InsertRequest* request);
// The OK handler: 0 lets the dialog close, -1 keeps it open after a message.
int32_t BuildChunkFromDialog(HWND dialog, InsertRequest* request);
// Fills request for the selected chunk (-1: none) and its parent, offering
// the locations it allows plus extra (LocationOnly for paste), and runs the
// dialog modally, owned by the main window. The dialog's result: 1 for OK.
INT_PTR RunInsertDialog(EditorState* state, InsertRequest* request, int32_t selected, int32_t selectedParent,
                        uint32_t extra);

// The new chunk's index, or -1 when nothing was inserted.
int32_t InsertChunk(EditorState* state);
// The index the removed span began at (the chunk to select afterwards), or -1.
int32_t RemoveChunk(EditorState* state);
// mode 0 copies, 1 cuts. 0, or -1 when refused or failed.
int32_t CopyToClipboard(EditorState* state, int32_t mode);
// 0 when a block was pasted, -1 otherwise.
int32_t PasteFromClipboard(EditorState* state);

// The clipboard commands refuse with the default sound and no message; the
// sound goes through this seam (MessageBeep's shape) so tests can count it.
typedef BOOL (*BeepSeam)(UINT type);
extern BeepSeam SoundBeep;
