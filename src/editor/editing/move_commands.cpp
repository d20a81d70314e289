// Move Up, Move Down and Duplicate of the chunk selected in the view shown:
// the core's moves, among the siblings the tree shows, in the list as well.
#include "editing.h"
#include "tree_move.h"
#include "views/views.h"

int32_t SelectedChunk(Editor* e) {
    if (e->ShowAsTree) return SelectedTreeChunk(e);
    return e->CurrentChunk >= 0 ? ListLineToChunkIndex(e, e->CurrentChunk) : -1;
}

// With identifiers hidden the tree folds a name into its node's label, and
// a chunk's span is not what the user sees: the tree edits refuse then, as
// Insert does.
bool ChunkCommandsAllowed(Editor* e) { return SelectedChunk(e) >= 0 && (e->ShowIdentifiers || !e->ShowAsTree); }

int32_t MoveTarget(Editor* e, bool down) {
    if (!ChunkCommandsAllowed(e)) return -1;
    const int32_t chunk = SelectedChunk(e);
    return down ? SiblingAfter(&e->Doc, chunk) : SiblingBefore(&e->Doc, chunk);
}

int32_t MoveChunk(Editor* e, bool down) {
    const int32_t target = MoveTarget(e, down);
    return target < 0 ? -1 : MoveSubtree(&e->Doc, SelectedChunk(e), target, down ? MoveAfter : MoveBefore);
}

int32_t DuplicateChunk(Editor* e) { return ChunkCommandsAllowed(e) ? DuplicateSubtree(&e->Doc, SelectedChunk(e)) : -1; }
