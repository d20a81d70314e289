// Edits of the tree that the chunk table encodes: where a new chunk goes,
// the span of a chunk with its subtree, and the one child count that every
// insertion or removal changes. Everything here works on the table alone;
// the view only says which chunk is selected and which its parent is.
#pragma once

#include <cstdint>

#include "document.h"

// Where an insertion or a paste puts a chunk relative to the selected one.
enum : uint32_t {
    LocationBefore = 1,  // the sibling right before it
    LocationAfter = 2,   // the sibling right after its subtree
    LocationUnder = 4,   // the first child of the selected node
};

// A node holds at most this many children, the file this many top-level
// chunks: the counts are 16 bits wide.
const int32_t kMostChildren = 65535;

// What a full parent (-1: the top level) says when refusing one more chunk.
extern const char kParentFullMessage[];
extern const char kTopLevelFullMessage[];
const char* ParentFullMessage(int32_t parent);

// The index of the first chunk after the subtree of index: index + 1 for a
// chunk that is not a node; for a node, its ChildCount subtrees are skipped
// with one running count of the children still owed, so depth costs nothing.
// A table that ends inside the subtree gives ChunkCount. Unknown types never
// reach the table (the reader, the Insert dialog and paste refuse them);
// should one be there, it is passed over uncounted, as the tree does, and one
// that follows the subtree is not part of it.
//
// This agrees with the tree's own sibling walk (next sibling, else the
// parent's next sibling, ...) except in one case: with identifiers hidden, a
// type-5 chunk right after a node whose ChildCount is 0 has no item and is
// counted under the node's parent. A sibling walk from the node would take
// it into the node's span; here the span is the node alone. That is the sound
// answer: removing both would take two children from the parent while its
// count drops by one.
int32_t SubtreeEnd(const Document* doc, int32_t index);

// The end of what the tree shows as the item of index: its subtree, and
// with identifiers hidden, for a node without children, also the identifier
// folded into its label when the node's parent counts it as a child of its
// own (after the last child of a full parent it is counted further up, and
// stays).
// units receives how many of the parent's children the span holds: 1, or 2
// for such a node and its identifier. Remove, Cut, Copy and After take this
// span, so that what the user sees as one item goes, or moves, as one.
int32_t ShownSpanEnd(const Document* doc, int32_t index, bool identifiersShown, int32_t* units);

// The chunk index of the node that counts index among its children, or -1
// for the top level (also for an index outside the table). Reads backwards
// from index over the complete subtrees of its earlier siblings, so it costs
// the distance to the parent; the view, which knows the parent, passes it
// to the edits instead.
int32_t ParentOfChunk(const Document* doc, int32_t index);

// The child count of parent (a node's chunk index) or of the top level (-1).
int32_t ParentCount(const Document* doc, int32_t parent);

// Adds delta to the count of parent, or of the top level when it is -1. A
// count that would pass 65535 refuses with ParentFullMessage and changes
// nothing; one that would fall below 0 stops at 0 rather than wrapping. -1
// also when parent is not a node.
int32_t AdjustParentCount(Document* doc, int32_t parent, int32_t delta);

// 0 when parent can take units more chunks, else -1 after ParentFullMessage.
int32_t CheckParentRoom(Document* doc, int32_t parent, int32_t units);

// The locations there are for the selected chunk: none without a
// selection, Before and After, and Under too for a node.
uint32_t OfferedLocations(const Document* doc, int32_t selected);

// The table index and the parent of a chunk placed at location relative to
// selected, whose parent is selectedParent. With no selection (-1) the chunk
// goes to the end of the table at the top level. Under puts it first among
// the node's children, but after an identifier that is its first child, so
// that the node keeps its name; After puts it after the span the tree shows
// (ShownSpanEnd). Should location hold several, Under wins over After over
// Before. Returns 0, or -1 for Under on a chunk that is not a node or a
// selection outside the table.
int32_t ChooseTarget(const Document* doc, int32_t selected, int32_t selectedParent, uint32_t location,
                     bool identifiersShown, int32_t* index, int32_t* parent);

// A whole insertion: builds the record from type and text,
// places it at location (ChooseTarget), stores a text payload (carriage
// returns dropped) by the payload replacement rule, and adds one to the
// parent's count. A full parent refuses before anything changes; a failed
// growth changes nothing either. Returns the new chunk's index, or -1.
int32_t InsertNewChunk(Document* doc, int32_t selected, int32_t selectedParent, uint32_t location,
                       bool identifiersShown, uint32_t type, const char* text);

// Removes chunk index with the span the tree shows for it (ShownSpanEnd) and
// takes its units off the count of parent (-1: the top level). The pool is
// not touched. Returns index, or -1 for an index outside the table, a
// parent that is not a node standing before it, or a removal too large to
// undo that the user declined (journal.h).
int32_t RemoveSubtree(Document* doc, int32_t index, int32_t parent, bool identifiersShown);

// The edits the user makes outside the tree, one undoable change each when
// they change anything: a chunk's six value bytes or its payload, the
// header and the key. Unchanged: the bytes were those already there, and no
// change is made; Refused: no memory for the payload (reported), or a change
// too large to undo that the user declined; nothing changed.
enum WriteResult : int32_t { WriteUnchanged = 0, WriteDone = 1, WriteRefused = -1 };
WriteResult WriteChunkValue(Document* doc, int32_t index, const uint8_t* value);  // 6 bytes
WriteResult WriteChunkPayload(Document* doc, int32_t index, const uint8_t* bytes, int32_t n);
WriteResult WriteHeaderAndKey(Document* doc, const uint8_t* header, uint32_t key);  // kHeaderSize bytes
