// The document's memory: the chunk table and the append-only data pool, both
// growable, zero-filled and contiguous, with stable addresses between calls
// of EnsureRoom.
#pragma once

#include <cstddef>
#include <cstdint>

#include "editor_state.h"

const int32_t kPoolStep = 4096;      // pool growth step and initial size, bytes
const int32_t kTableStep = 256;      // table growth step and initial size, records
const int32_t kUsualReserve = 4;     // the table slots callers ask for before adding one record

// Creates both blocks (4096 pool bytes, 256 records). 0, or -1 after a report.
int32_t AllocateDocument(EditorState* state);
// Releases both blocks; does not close the file.
int32_t FreeDocument(EditorState* state);

// Makes sure poolBytes more payload bytes and tableSlots more records fit.
// On failure the previous blocks are kept whole, so the document stays usable.
// Every pointer into Pool or Chunks taken before the call is stale after it.
int32_t EnsureRoom(EditorState* state, int32_t poolBytes, int32_t tableSlots);

// Inserts a copy of record at index (0 <= index <= ChunkCount). 0, or -1 with
// nothing inserted.
int32_t InsertChunkAt(EditorState* state, const ChunkRecord* record, int32_t index);

// Removes count records from index on; the pool keeps their payloads and no
// parent count changes here.
int32_t RemoveChunks(EditorState* state, int32_t index, int32_t count);

// Stores a new payload of n bytes for a pool record: in place when it fits its
// slot, else appended at the end of the pool. 0, or -1 with the record unchanged.
// bytes must not point into the pool, which may move.
int32_t ReplacePayload(EditorState* state, int32_t index, const uint8_t* bytes, int32_t n);

// Where the blocks come from. Resize(nullptr, n) allocates; a failed Resize
// returns nullptr and leaves the old block as it was (as realloc does). Tests
// and platform front ends may swap it; nullptr restores the default.
struct BlockAllocator {
    void* (*Resize)(void* block, size_t bytes);
    void (*Free)(void* block);
};
void SetBlockAllocator(const BlockAllocator* allocator);
