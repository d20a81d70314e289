// The chunk a change or a search was about, selected in the view shown.
#include "chunk_types.h"
#include "views.h"

void ShowChunk(Editor* e, int32_t chunk) {
    if (chunk < 0) return;
    if (e->ShowAsTree) {
        // A hidden identifier has no item of its own: its node stands for it.
        const Document& doc = e->Doc;
        bool identifier = chunk > 0 && chunk < doc.ChunkCount && doc.Chunks[chunk].Type == kTypeIdentifier &&
                          IsNodeType(doc.Chunks[chunk - 1].Type);
        if (!SelectTreeChunk(e, chunk) && identifier) SelectTreeChunk(e, chunk - 1);
        return;
    }
    SendToControl(e, IDC_CHUNK_LIST, LB_SETCURSEL, static_cast<WPARAM>(chunk), 0);
    e->CurrentChunk = chunk;
    ShowChunkDetail(e, chunk);
}
