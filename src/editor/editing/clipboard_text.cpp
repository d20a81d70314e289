// Copy Path and Copy Value: a text for any other program, placed beside the
// chunk block that Copy or Cut left on the clipboard, which stays as it was
// for the next Paste.
#include <cstring>
#include <string>

#include "chunk_path.h"
#include "editing.h"

namespace {

// A copy of the clipboard's data in format, or nullptr for none (or no memory).
HGLOBAL CopyOfClipboardData(UINT format) {
    HANDLE data = GetClipboardData(format);
    SIZE_T size = data ? GlobalSize(data) : 0;
    const void* from = size ? GlobalLock(data) : nullptr;
    HGLOBAL copy = from ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (to) {
        std::memcpy(to, from, size);
        GlobalUnlock(copy);
    } else if (copy) {
        GlobalFree(copy);
        copy = nullptr;
    }
    if (from) GlobalUnlock(data);
    return copy;
}

}  // namespace

bool PutTextOnClipboard(Editor* e, const std::string& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    void* at = memory ? GlobalLock(memory) : nullptr;
    if (!at) {
        if (memory) GlobalFree(memory);
        ReportOutOfMemory(&e->Doc);
        return false;
    }
    std::memcpy(at, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!OpenClipboard(e->Window)) {
        GlobalFree(memory);
        TellUser(e, "Could not open clipboard.", MB_ICONERROR);
        return false;
    }
    // Emptying the clipboard is the only way to own it: the chunk block
    // goes back on it with the text.
    HGLOBAL block = CopyOfClipboardData(e->ClipboardFormat);
    EmptyClipboard();
    if (block && !SetClipboardData(e->ClipboardFormat, block)) GlobalFree(block);
    bool placed = SetClipboardData(CF_TEXT, memory) != nullptr;
    if (!placed) GlobalFree(memory);
    CloseClipboard();
    if (!placed) ReportOutOfMemory(&e->Doc);
    return placed;
}

bool CopyChunkPath(Editor* e, int32_t chunk) {
    PathIndex paths;
    if (chunk < 0 || BuildPathIndex(&e->Doc, &paths) != 0) return false;
    std::string path(kTextSize, '\0');
    int32_t n = FormatChunkPath(&e->Doc, &paths, chunk, &path[0], path.size());
    if (n >= static_cast<int32_t>(path.size())) {
        path.assign(static_cast<size_t>(n) + 1, '\0');
        FormatChunkPath(&e->Doc, &paths, chunk, &path[0], path.size());
    }
    FreePathIndex(&paths);
    if (n < 0) return false;
    path.resize(static_cast<size_t>(n));
    return PutTextOnClipboard(e, path);
}
