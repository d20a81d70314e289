// Paste: the editor's block from the clipboard (put there by this editor or
// another one) goes in as one run where the user says. The block is another
// program's memory as far as this one knows: it is checked against the real
// size of that memory before anything changes.
#include "clipboard_block.h"
#include "editing.h"
#include "document.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

// The system may hand out the clipboard's memory rounded up to its
// allocation unit; those bytes are zero (the block is allocated zero-filled).
const size_t kMostPadding = 15;

// The index of the pasted run, kBlockRefused for a block that is no
// complete subtree, -1 after a message.
int32_t PasteBlock(Editor* e, const uint8_t* block, size_t size, int32_t selected, int32_t parent, uint32_t location) {
    int32_t result = PasteClipboardBlock(&e->Doc, block, size, selected, parent, location, e->ShowIdentifiers);
    // A refused block has changed nothing, so a shorter reading may be tried.
    for (size_t pad = 1; result == kBlockRefused && pad <= kMostPadding && pad < size && block[size - pad] == 0; ++pad)
        result = PasteClipboardBlock(&e->Doc, block, size - pad, selected, parent, location, e->ShowIdentifiers);
    return result;
}

}  // namespace

int32_t PasteFromClipboard(Editor* e) {
    if (!IsClipboardFormatAvailable(e->ClipboardFormat) || !e->ShowAsTree) {
        e->User.Beep(e->User.Context, 0);
        return -1;
    }
    int32_t parent = -1;
    int32_t selected = SelectedTreeChunkAndParent(e, &parent);
    uint32_t location = 0;
    if (e->Doc.ChunkCount != 0 && selected != -1) {
        // Asked before the clipboard is opened: no other program waits on it
        // while the user chooses.
        InsertRequest request;
        if (!RunInsertDialog(e, &request, selected, parent, true)) return -1;
        location = request.Location;
    } else {
        selected = -1;  // appended as a new last top-level chunk
        parent = -1;
    }

    if (!OpenClipboard(e->Window)) {
        TellUser(e, "Could not open clipboard.", MB_ICONERROR);
        return -1;
    }
    int32_t result = -1;
    HANDLE memory = GetClipboardData(e->ClipboardFormat);
    const uint8_t* block = memory ? static_cast<const uint8_t*>(GlobalLock(memory)) : nullptr;
    if (!memory) {  // gone since it was looked for
        e->User.Beep(e->User.Context, 0);
    } else if (!block) {
        ReportOutOfMemory(&e->Doc);
    } else {
        result = PasteBlock(e, block, GlobalSize(memory), selected, parent, location);
        GlobalUnlock(memory);
        if (result == kBlockRefused) e->User.Beep(e->User.Context, 0);
    }
    CloseClipboard();
    return result >= 0 ? result : -1;
}
