// The editor's own clipboard data: a run of chunks with their subtrees as one
// plain block, and the text rendering that goes beside it for other programs.
//
// Block: RecordCount (u32), then that many entries in table order, each a
// chunk encoded as in the file (chunk_types.h), in plain form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document.h"

// Paste's answer for a block it will not read: no message, the caller beeps.
const int32_t kBlockRefused = -2;

// The exact size of the block for the count records from first on.
int64_t ClipboardBlockSize(const Document* doc, int32_t first, int32_t count);
// Writes that block; block holds ClipboardBlockSize bytes.
void WriteClipboardBlock(const Document* doc, int32_t first, int32_t count, uint8_t* block);

// The exact size of the text rendering, terminating zero included: per
// record its labelled display text with ": " and "\r\n", never cut.
int64_t ClipboardTextSize(const Document* doc, int32_t first, int32_t count);
// Writes that text into size bytes. 0, or -1 when it does not fit.
int32_t WriteClipboardText(const Document* doc, int32_t first, int32_t count, char* text, size_t size);

// Reads a block of size bytes (the size of the memory that holds it) and
// accepts it only when its entries are exactly what the tree shows as one
// item, of known chunk types, ending exactly at the end of the block: one
// complete subtree, or a node without children and the identifier after it
// (ShownSpanEnd). Refused: a count of 0, entries that run past the end or
// leave bytes over, an unknown type, child counts that want more entries than
// the block has or leave some over. 0 with recordCount set and units the
// top-level entries (1 or 2), or -1.
int32_t CheckClipboardBlock(const uint8_t* block, size_t size, int32_t* recordCount, int32_t* units);

// Pastes the block at location relative to selected (whose parent is
// selectedParent; -1 selected appends at the top level; ChooseTarget): its
// records go in as one run, each text payload copied anew to the end of the
// pool, and the count of the run's parent goes up by the block's top-level
// entries, whatever the run's length.
// Returns the index of the run's first record; kBlockRefused for a block that
// CheckClipboardBlock refuses, with nothing changed; -1 after a report when
// the parent is full or room cannot be had. Growth that fails part-way takes
// the whole run out again, so the table, the counts and PoolUsed are as they
// were (the pool block may have grown; bytes past PoolUsed mean nothing).
// block must not point into the pool.
int32_t PasteClipboardBlock(Document* doc, const uint8_t* block, size_t size, int32_t selected, int32_t selectedParent,
                            uint32_t location, bool identifiersShown);
// The same at table index, under parent (-1: the top level), for a caller
// that has chosen the place itself.
int32_t PasteBlockAt(Document* doc, const uint8_t* block, size_t size, int32_t index, int32_t parent);
