// Paste: the editor's block from the clipboard (put there by this editor or
// another one) goes in as one run where the user says. The block is another
// program's memory as far as this one knows: it is checked against the real
// size of that memory before anything changes.
#include "app/editor.h"
#include "app/message_box.h"
#include "clipboard_block.h"
#include "editing.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

// The system may hand out the clipboard's memory rounded up to its
// allocation unit; those bytes are zero (the block is allocated zero-filled).
const size_t kMostPadding = 15;

// 0 when pasted, kBlockRefused for a block that is no complete subtree,
// -1 after a message.
int32_t PasteBlock(EditorState* state, const uint8_t* block, size_t size, int32_t selected, int32_t parent,
                   uint32_t location) {
    int32_t result = PasteClipboardBlock(state, block, size, selected, parent, location, state->ShowIdentifiers == 1);
    // A refused block has changed nothing, so a shorter reading may be tried.
    for (size_t pad = 1; result == kBlockRefused && pad <= kMostPadding && pad < size && block[size - pad] == 0; ++pad)
        result = PasteClipboardBlock(state, block, size - pad, selected, parent, location, state->ShowIdentifiers == 1);
    return result < 0 ? result : 0;
}

}  // namespace

int32_t PasteFromClipboard(EditorState* state) {
    if (!IsClipboardFormatAvailable(state->ClipboardFormat) || state->ShowAsTree != 1) {
        SoundBeep(0);
        return -1;
    }
    int32_t parent = -1;
    int32_t selected = SelectedTreeChunkAndParent(state, &parent);
    uint32_t location = 0;
    if (state->ChunkCount != 0 && selected != -1) {
        // Asked before the clipboard is opened: no other program waits on it
        // while the user chooses.
        InsertRequest request;
        if (RunInsertDialog(state, &request, selected, parent, LocationOnly) != IDOK) return -1;
        location = request.Location;
    } else {
        selected = -1;  // appended as a new last top-level chunk
        parent = -1;
    }

    if (!OpenClipboard(MainWindowOf(state))) {
        TellUser(state, "Could not open clipboard.", MB_ICONERROR);
        return -1;
    }
    int32_t result = -1;
    HANDLE memory = GetClipboardData(state->ClipboardFormat);
    const uint8_t* block = memory ? static_cast<const uint8_t*>(GlobalLock(memory)) : nullptr;
    if (!memory) {  // gone since it was looked for
        SoundBeep(0);
    } else if (!block) {
        TellUser(state, "Could not allocate memory.", MB_ICONERROR);
    } else {
        result = PasteBlock(state, block, GlobalSize(memory), selected, parent, location);
        GlobalUnlock(memory);
        if (result == kBlockRefused) SoundBeep(0);
    }
    CloseClipboard();
    return result < 0 ? -1 : 0;
}
