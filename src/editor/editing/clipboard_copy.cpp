// Copy and Cut: the selected chunk with its subtree goes on the clipboard
// twice, as the editor's own block (for a paste here or in another running
// editor) and as text (for every other program). A cut then removes it,
// only once both are in place.
#include "app/editor.h"
#include "app/message_box.h"
#include "clipboard_block.h"
#include "editing.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

const UINT kShared = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

BOOL PlatformBeep(UINT type) { return MessageBeep(type); }

// Movable shared memory of size bytes, locked; nullptr after the message.
HGLOBAL AllocateLocked(const EditorState* state, int64_t size, void** at) {
    HGLOBAL memory = size > 0 && static_cast<uint64_t>(size) <= SIZE_MAX ? GlobalAlloc(kShared, static_cast<SIZE_T>(size))
                                                                       : nullptr;
    *at = memory ? GlobalLock(memory) : nullptr;
    if (*at) return memory;
    if (memory) GlobalFree(memory);
    TellUser(state, "Could not allocate memory.", MB_ICONERROR);
    return nullptr;
}

// Hands memory to the clipboard, which then owns it; on refusal it is ours
// to free, and the user hears why as a lack of memory.
bool GiveToClipboard(const EditorState* state, UINT format, HGLOBAL memory) {
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    TellUser(state, "Could not allocate memory.", MB_ICONERROR);
    return false;
}

}  // namespace

BeepSeam SoundBeep = PlatformBeep;

int32_t CopyToClipboard(EditorState* state, int32_t mode) {
    int32_t parent = -1;
    int32_t selected = state->ShowAsTree == 1 ? SelectedTreeChunkAndParent(state, &parent) : -1;
    if (selected < 0) {  // the list is shown, or nothing is selected
        SoundBeep(0);
        return -1;
    }
    // What the tree shows as the item: its subtree, and a folded name with it.
    int32_t units = 0;
    int32_t count = ShownSpanEnd(state, selected, state->ShowIdentifiers == 1, &units) - selected;

    void* bytes = nullptr;
    HGLOBAL block = AllocateLocked(state, ClipboardBlockSize(state, selected, count), &bytes);
    if (!block) return -1;
    WriteClipboardBlock(state, selected, count, static_cast<uint8_t*>(bytes));
    GlobalUnlock(block);

    if (!OpenClipboard(MainWindowOf(state))) {
        GlobalFree(block);
        // The system's own wording.
        TellUser(state, "Could not open clipbard.", MB_ICONERROR);
        return -1;
    }
    EmptyClipboard();
    if (!GiveToClipboard(state, state->ClipboardFormat, block)) {
        CloseClipboard();
        return -1;
    }
    int64_t textSize = ClipboardTextSize(state, selected, count);
    void* textBytes = nullptr;
    HGLOBAL text = AllocateLocked(state, textSize, &textBytes);
    if (!text) {  // the block alone is on the clipboard; a cut removes nothing
        CloseClipboard();
        return -1;
    }
    WriteClipboardText(state, selected, count, static_cast<char*>(textBytes), static_cast<size_t>(textSize));
    GlobalUnlock(text);
    bool textPlaced = GiveToClipboard(state, CF_TEXT, text);
    CloseClipboard();
    if (!textPlaced) return -1;

    if (mode == 1) RemoveSubtree(state, selected, parent, state->ShowIdentifiers == 1);
    return 0;
}
