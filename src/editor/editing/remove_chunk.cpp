// The Remove command: the selected chunk goes with its whole subtree, and
// its parent counts one child less. No question, no undo.
#include "editing.h"
#include "tree_edit.h"
#include "views/views.h"

int32_t RemoveChunk(EditorState* state) {
    int32_t parent = -1;
    int32_t selected = SelectedTreeChunkAndParent(state, &parent);
    if (CheckRemoveAllowed(state, selected) != 0) return -1;
    return RemoveSubtree(state, selected, parent, state->ShowIdentifiers == 1);
}
