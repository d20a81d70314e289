// Reading and writing the DTB file format.
//
// Layout: the 32-bit key in plain (little-endian), then one enciphered stream
// of the 7 header bytes and the chunks back to back. A chunk is its 32-bit
// type code and then, by shape: 4 value bytes (scalar), a 16-bit child count
// and a 32-bit node number (node), or a 32-bit length and that many payload
// bytes (pool). The stream ends where the file ends.
#pragma once

#include <cstdint>

#include "editor_state.h"

// The size of the blocks the file is read and written in.
const int32_t kFileBlock = 8192;

// Loads the document from FileHandle, positioned at the start of the file.
// 0 when the end of the file was reached (a file that ends inside the header
// or a chunk loads what is whole, with a warning); -1 after a reported
// failure, with the chunks read whole before it in the table.
int32_t ReadDocument(EditorState* state);

// Writes the document over FileHandle from its start and cuts the file at the
// end of what was written. 0 (also when no file is open), or -1 after a
// reported failure. Only the cipher state of the document changes.
int32_t WriteDocument(EditorState* state);
// The same into file; size (when given) receives the bytes the file holds.
int32_t WriteDocumentTo(EditorState* state, NativeHandle file, int64_t* size);
