// The Insert and Remove commands: the guards, the dialog, then the core's
// placement or removal. Remove asks nothing: Undo takes it back.
#include "editing.h"
#include "document.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

// The guards of both commands, in their order. Insert may go on without a
// selection in an empty table (the new chunk becomes chunk 0); Remove may not.
bool EditAllowed(Editor* e, int32_t selected, bool needsSelection) {
    const char* refusal = nullptr;
    if (!e->ShowAsTree) {
        refusal =
            "Due to the DTB file tree format, all inserting must be done in Tree View. "
            "Please switch to Tree View before inserting.";
    } else if (selected == -1 && (e->Doc.ChunkCount != 0 || needsSelection)) {
        refusal = "Please select a chunk before continuing.";
    } else if (!e->ShowIdentifiers) {
        refusal = "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.";
    }
    if (refusal) Report(&e->Doc, ReportInformation, refusal);
    return !refusal;
}

}  // namespace

int32_t InsertChunk(Editor* e) {
    int32_t parent = -1;
    int32_t selected = SelectedTreeChunkAndParent(e, &parent);
    InsertRequest request;
    if (!EditAllowed(e, selected, false) || !RunInsertDialog(e, &request, selected, parent, false)) return -1;
    // The guards let Insert run with identifiers shown only.
    return InsertNewChunk(&e->Doc, selected, parent, request.Location, true, request.Type, request.Text);
}

int32_t RemoveChunk(Editor* e) {
    int32_t parent = -1;
    int32_t selected = SelectedTreeChunkAndParent(e, &parent);
    if (!EditAllowed(e, selected, true)) return -1;
    return RemoveSubtree(&e->Doc, selected, parent, e->ShowIdentifiers);
}
