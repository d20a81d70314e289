// Edits of the tree that the chunk table encodes: where a new chunk goes,
// the span of a chunk with its subtree, and the one child count that every
// insertion or removal changes. Everything here works on the table alone;
// the view only says which chunk is selected and which its parent is.
#pragma once

#include <cstdint>

#include "editor_state.h"

// Where the Insert dialog puts a chunk relative to the selected one.
enum : uint32_t {
    LocationBefore = 1,   // the sibling right before it
    LocationAfter = 2,    // the sibling right after its subtree
    LocationUnder = 4,    // the first child of the selected node
    LocationOnly = 0x1000 // paste: the dialog asks for a location only
};

// A node holds at most this many children, the file this many top-level
// chunks: the counts are 16 bits wide.
const int32_t kMostChildren = 65535;

extern const char kParentFullMessage[];

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
int32_t SubtreeEnd(const EditorState* state, int32_t index);

// The end of what the tree shows as the item of index: its subtree, and
// with identifiers hidden, for a node without children, also the identifier
// folded into its label (which the parent counts as a child of its own).
// units receives how many of the parent's children the span holds: 1, or 2
// for such a node and its identifier. Remove, Cut, Copy and After take this
// span, so that what the user sees as one item goes, or moves, as one.
int32_t ShownSpanEnd(const EditorState* state, int32_t index, bool identifiersShown, int32_t* units);

// The chunk index of the node that counts index among its children, or -1
// for the top level (also for an index outside the table). Reads backwards
// from index over the complete subtrees of its earlier siblings, so it costs
// the distance to the parent; the view, which knows the parent, passes it
// to the edits instead.
int32_t ParentOfChunk(const EditorState* state, int32_t index);

// The child count of parent (a node's chunk index) or of the top level (-1).
int32_t ParentCount(const EditorState* state, int32_t parent);

// Adds delta to the count of parent, or of the top level when it is -1. A
// count that would pass 65535 refuses with kParentFullMessage and changes
// nothing; one that would fall below 0 stops at 0 rather than wrapping. -1
// also when parent is not a node.
int32_t AdjustParentCount(EditorState* state, int32_t parent, int32_t delta);

// 0 when parent can take units more chunks, else -1 after kParentFullMessage.
int32_t CheckParentRoom(EditorState* state, int32_t parent, int32_t units);

// The locations the dialog offers for the selected chunk: none without a
// selection, Before and After, and Under too for a node.
uint32_t OfferedLocations(const EditorState* state, int32_t selected);

// The table index and the parent of a chunk placed at location relative to
// selected, whose parent is selectedParent. With no selection (-1) the chunk
// goes to the end of the table at the top level. Under puts it first among
// the node's children, but after an identifier that is its first child, so
// that the node keeps its name; After puts it after the span the tree shows
// (ShownSpanEnd). LocationOnly is ignored; the dialog returns a single
// location, and should it return several, Under wins over After over
// Before. Returns 0, or -1 for Under on a chunk that is not a node or a
// selection outside the table.
int32_t ChooseTarget(const EditorState* state, int32_t selected, int32_t selectedParent, uint32_t location,
                     bool identifiersShown, int32_t* index, int32_t* parent);

// The Insert dialog's command guards, with their refusal messages:
// the list view, no selection in a table that has chunks (insert) or no
// selection at all (remove), identifiers hidden. 0 when the command may go on.
int32_t CheckInsertAllowed(EditorState* state, int32_t selected);
int32_t CheckRemoveAllowed(EditorState* state, int32_t selected);

// One entry of the Insert dialog's chunk type list.
struct InsertTypeEntry {
    const char* Text;
    uint32_t Type;
};
const int32_t kInsertTypeCount = 16;
extern const InsertTypeEntry kInsertTypeEntries[kInsertTypeCount];

// The type code written at the end of an entry's text.
uint32_t TypeFromEntryText(const char* text);

// The value bytes of a scalar chunk of type read from typed text, strictly
// (text_convert.h): an Integer by ReadIntegerText, a Float by ReadFloatText,
// the unknown scalars as one to four hex bytes, written from value[0] on.
// False, with value unchanged, for text that is not the type's form or a
// type that is not scalar.
bool ReadScalarText(uint32_t type, const char* text, uint8_t* value);

// The record the Insert dialog makes of a type and its Data/ID text, all
// but a text payload: scalars by ReadScalarText, node numbers by
// ReadIntegerText; a new node has ChildCount 0. A pool type gets its Type
// only; its payload is stored when the chunk is placed. Returns 0, or -1 for
// a type the dialog does not offer or a text that is not the type's form.
int32_t BuildRecordFromText(uint32_t type, const char* text, ChunkRecord* record);

// The whole Insert after the dialog: builds the record from type and text,
// places it at location (ChooseTarget), stores a text payload (carriage
// returns dropped) by the payload replacement rule, and adds one to the
// parent's count. A full parent refuses before anything changes; a failed
// growth changes nothing either. Returns the new chunk's index, or -1.
int32_t InsertNewChunk(EditorState* state, int32_t selected, int32_t selectedParent, uint32_t location,
                       bool identifiersShown, uint32_t type, const char* text);

// Removes chunk index with the span the tree shows for it (ShownSpanEnd) and
// takes its units off the count of parent (-1: the top level). The pool is
// not touched. Returns index, or -1 for an index outside the table or a
// parent that is not a node standing before it.
int32_t RemoveSubtree(EditorState* state, int32_t index, int32_t parent, bool identifiersShown);
