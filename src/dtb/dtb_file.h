// Reading and writing the DTB file format.
//
// Layout: the 32-bit key in plain (little-endian), then one enciphered stream
// of the 7 header bytes and the chunks back to back (chunk_types.h), ending
// where the file ends.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document.h"

// The size of the blocks the file is read and written in.
const int32_t kFileBlock = 8192;
// Names and keywords, most of the payloads, are this long at most: the reader
// and the writer copy them at this fixed size, which costs none of the
// branches their mixed lengths would.
const int32_t kShortPayload = 64;
// Their fast ways also move a record as three words, as a little-endian CPU
// lays them out.
static_assert(sizeof(ChunkRecord) == 24 && offsetof(ChunkRecord, Length) == 12 &&
                  offsetof(ChunkRecord, PoolOffset) == 16,
              "a record is three words: type and value, value and length, offset and slot");
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the reader and the writer take the file's little-endian words as the CPU's own"
#endif

// Loads the document from FileHandle, positioned at the start of the file.
// 0 when the end of the file was reached (a file that ends inside the header
// or a chunk loads what is whole, with a warning); -1 after a reported
// failure, with the chunks read whole before it in the table. Either way
// Incomplete says whether the file was read to its end.
int32_t ReadDocument(Document* doc);

// Writes the document over file from its start and cuts the file at the end
// of what was written; size (when given) receives the bytes the file holds.
// 0, or -1 after a reported failure. Only the cipher state changes.
int32_t WriteDocumentTo(Document* doc, NativeHandle file, int64_t* size);
// The same into FileHandle; 0 also when no file is open.
int32_t WriteDocument(Document* doc);
