// Rearranging the tree: a chunk with its subtree moved to another place,
// or duplicated beside itself, each one change that Undo takes back whole.
// A move rewrites no record: the run of records rotates in the table, and
// the old parent's and the new parent's counts follow (the header's count
// for the top level). Moves and duplicates work on the tree with its
// identifiers shown: a named node's name is its child 0 and stays first.
#pragma once

#include <cstdint>

#include "document.h"

// Where a move puts a chunk, relative to a target chunk.
enum MovePlace : int32_t {
    MoveBefore = 0,      // right before target, among target's siblings
    MoveAfter = 1,       // right after target's subtree
    MoveFirstChild = 2,  // the node target's first child (after its name)
    MoveLastChild = 3,   // the node target's last child
};

// Whether chunk can move to place relative to target: nullptr when it can
// (a move to where it stands already included), else the sentence that says
// why not. Refused: a name chunk (the node moves, not its name); a place
// inside chunk's own subtree; before a node's name; a node as target of a
// child place that is no node; a new parent that already holds 65535
// chunks (the top level by the header's count).
const char* WhyNotMove(const Document* doc, int32_t chunk, int32_t target, MovePlace place);

// Moves chunk with its subtree to place relative to target, as one change.
// Returns where the chunk stands now; -1 after the refusal is reported, or
// when the change was declined (too large to undo) or memory ran out.
int32_t MoveSubtree(Document* doc, int32_t chunk, int32_t target, MovePlace place);

// The sibling that Move Up / Move Down trade places with: the one before
// chunk (never a node's name), or the one after its subtree. -1 when there
// is none: chunk stands first or last, or is a name.
int32_t SiblingBefore(const Document* doc, int32_t chunk);
int32_t SiblingAfter(const Document* doc, int32_t chunk);

// A copy of chunk with its subtree (fresh payload slots, so editing one
// never changes the other) right after it, or at place relative to target,
// as one change. Refused as an insertion is (a full parent). Returns the
// copy's index, or -1 after a report.
int32_t DuplicateSubtree(Document* doc, int32_t chunk);
// Whether a copy of chunk can go to place relative to target: nullptr when
// it can, else why not (as WhyNotMove, but a copy may go anywhere inside
// the chunk's own subtree, and a name may be copied).
const char* WhyNotCopy(const Document* doc, int32_t chunk, int32_t target, MovePlace place);
int32_t CopySubtree(Document* doc, int32_t chunk, int32_t target, MovePlace place);
