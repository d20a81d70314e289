// Copy and Cut: the selected chunk with its subtree goes on the clipboard
// twice, as the editor's own block (for a paste here or in another running
// editor) and as text (for every other program). A cut then removes it,
// only once both are in place.
#include "clipboard_block.h"
#include "editing.h"
#include "document.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

const UINT kShared = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

// Movable shared memory of size bytes, locked; nullptr after the message.
HGLOBAL AllocateLocked(const Editor* e, int64_t size, void** at) {
    HGLOBAL memory =
        size > 0 && static_cast<uint64_t>(size) <= SIZE_MAX ? GlobalAlloc(kShared, static_cast<SIZE_T>(size)) : nullptr;
    *at = memory ? GlobalLock(memory) : nullptr;
    if (*at) return memory;
    if (memory) GlobalFree(memory);
    ReportOutOfMemory(&e->Doc);
    return nullptr;
}

// Hands memory to the clipboard, which then owns it; on refusal it is ours
// to free, and the user hears why as a lack of memory.
bool GiveToClipboard(const Editor* e, UINT format, HGLOBAL memory) {
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    ReportOutOfMemory(&e->Doc);
    return false;
}

}  // namespace

bool CopyToClipboard(Editor* e, bool cut) {
    int32_t parent = -1;
    int32_t selected = e->ShowAsTree ? SelectedTreeChunkAndParent(e, &parent) : -1;
    if (selected < 0) {  // the list is shown, or nothing is selected
        e->User.Beep(e->User.Context, 0);
        return false;
    }
    // What the tree shows as the item: its subtree, and a folded name with it.
    int32_t units = 0;
    int32_t count = ShownSpanEnd(&e->Doc, selected, e->ShowIdentifiers, &units) - selected;

    void* bytes = nullptr;
    HGLOBAL block = AllocateLocked(e, ClipboardBlockSize(&e->Doc, selected, count), &bytes);
    if (!block) return false;
    WriteClipboardBlock(&e->Doc, selected, count, static_cast<uint8_t*>(bytes));
    GlobalUnlock(block);

    if (!OpenClipboard(e->Window)) {
        GlobalFree(block);
        // The system's own wording, its misspelling included: users search
        // for the message as they saw it.
        TellUser(e, "Could not open clipbard.", MB_ICONERROR);
        return false;
    }
    EmptyClipboard();
    if (!GiveToClipboard(e, e->ClipboardFormat, block)) {
        CloseClipboard();
        return false;
    }
    int64_t textSize = ClipboardTextSize(&e->Doc, selected, count);
    void* textBytes = nullptr;
    HGLOBAL text = AllocateLocked(e, textSize, &textBytes);
    if (!text) {  // the block alone is on the clipboard; a cut removes nothing
        CloseClipboard();
        return false;
    }
    WriteClipboardText(&e->Doc, selected, count, static_cast<char*>(textBytes), static_cast<size_t>(textSize));
    GlobalUnlock(text);
    bool textPlaced = GiveToClipboard(e, CF_TEXT, text);
    CloseClipboard();
    if (!textPlaced) return false;

    if (cut) RemoveSubtree(&e->Doc, selected, parent, e->ShowIdentifiers);
    return true;
}
