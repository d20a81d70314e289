// The Insert command: the guards, the dialog, then the core's placement.
#include "editing.h"
#include "tree_edit.h"
#include "views/views.h"

int32_t InsertChunk(EditorState* state) {
    int32_t parent = -1;
    int32_t selected = SelectedTreeChunkAndParent(state, &parent);
    if (CheckInsertAllowed(state, selected) != 0) return -1;
    InsertRequest request;
    if (RunInsertDialog(state, &request, selected, parent, 0) != IDOK) return -1;
    // A text payload reaches the pool only here, once the place is certain;
    // the guards let Insert run with identifiers shown only.
    return InsertNewChunk(state, selected, parent, request.Location, true, request.Record.Type, request.Text);
}
