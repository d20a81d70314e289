#include "clipboard_block.h"

#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "tree_edit.h"

namespace {

const char kTextSeparator[] = ": ";

int64_t EntrySize(const ChunkRecord& r) {
    switch (ShapeOfType(r.Type)) {
    case ShapeScalar: return 8;
    case ShapeNode: return 10;
    case ShapePool: return 8 + static_cast<int64_t>(r.Length);
    case ShapeUnknown: break;
    }
    return 4;
}

}  // namespace

int64_t ClipboardBlockSize(const EditorState* state, int32_t first, int32_t count) {
    int64_t size = 4;
    for (int32_t i = first; i < first + count; ++i) size += EntrySize(state->Chunks[i]);
    return size;
}

int32_t WriteClipboardBlock(const EditorState* state, int32_t first, int32_t count, uint8_t* block) {
    WriteU32(block, static_cast<uint32_t>(count));
    uint8_t* p = block + 4;
    for (int32_t i = first; i < first + count; ++i) {
        const ChunkRecord& r = state->Chunks[i];
        WriteU32(p, r.Type);
        p += 4;
        switch (ShapeOfType(r.Type)) {
        case ShapeScalar:
            std::memcpy(p, r.Value, 4);
            p += 4;
            break;
        case ShapeNode:
            std::memcpy(p, r.Value, 6);
            p += 6;
            break;
        case ShapePool:
            WriteU32(p, static_cast<uint32_t>(r.Length));
            if (r.Length > 0) std::memcpy(p + 4, state->Pool + r.PoolOffset, static_cast<size_t>(r.Length));
            p += 4 + r.Length;
            break;
        case ShapeUnknown:
            break;
        }
    }
    return 0;
}

int64_t ClipboardTextSize(const EditorState* state, int32_t first, int32_t count) {
    int64_t size = 1;
    char none[1];
    for (int32_t i = first; i < first + count; ++i)
        size += FormatChunkText(state, i, none, sizeof none, kTextSeparator, 1) + 2;
    return size;
}

int32_t WriteClipboardText(const EditorState* state, int32_t first, int32_t count, char* text, size_t size) {
    size_t at = 0;
    text[0] = '\0';
    for (int32_t i = first; i < first + count; ++i) {
        size_t length = static_cast<size_t>(FormatChunkText(state, i, text + at, size - at, kTextSeparator, 1));
        if (size - at < length + 3) return -1;  // the line, its end and the final zero
        at += length;
        text[at++] = '\r';
        text[at++] = '\n';
        text[at] = '\0';
    }
    return 0;
}

int32_t CheckClipboardBlock(const uint8_t* block, size_t size, int32_t* recordCount, int32_t* units) {
    if (size < 4) return -1;
    uint32_t count = ReadU32(block);
    if (count == 0 || count > static_cast<uint32_t>(INT32_MAX)) return -1;
    size_t at = 4;
    int64_t owed = 1;  // the one subtree the block must be
    int32_t topLevel = 0;
    bool childlessNode = false;
    for (uint32_t k = 0; k < count; ++k) {
        if (size - at < 4) return -1;
        uint32_t type = ReadU32(block + at);
        if (owed == 0) {
            // A second top-level entry only as the identifier of a childless node.
            if (k != 1 || !childlessNode || type != kTypeIdentifier) return -1;
            owed = 1;
        }
        at += 4;
        ChunkShape kind = ShapeOfType(type);
        size_t need = kind == ShapeNode ? 6 : 4;
        if (kind == ShapeUnknown || size - at < need) return -1;
        if (kind == ShapeNode) owed += ReadU16(block + at);
        childlessNode = k == 0 && kind == ShapeNode && owed == 1;
        if (kind == ShapePool) {
            uint32_t length = ReadU32(block + at);
            if (length > size - at - 4 || length > static_cast<uint32_t>(INT32_MAX)) return -1;
            need += length;
        }
        at += need;
        owed -= 1;
        if (owed == 0) topLevel += 1;
    }
    if (owed != 0 || at != size) return -1;
    *recordCount = static_cast<int32_t>(count);
    *units = topLevel;
    return 0;
}

int32_t PasteClipboardBlock(EditorState* state, const uint8_t* block, size_t size, int32_t selected,
                            int32_t selectedParent, uint32_t location, bool identifiersShown) {
    int32_t count = 0;
    int32_t units = 0;
    int32_t index = 0;
    int32_t parent = -1;
    if (CheckClipboardBlock(block, size, &count, &units) != 0) return kBlockRefused;
    if (ChooseTarget(state, selected, selectedParent, location, identifiersShown, &index, &parent) != 0) return -1;
    if (CheckParentRoom(state, parent, units) != 0) return -1;
    if (EnsureRoom(state, 0, count) != 0) return -1;

    AdjustParentCount(state, parent, +units);
    ChunkRecord* at = state->Chunks + index;
    std::memmove(at + count, at, static_cast<size_t>(state->ChunkCount - index) * sizeof(ChunkRecord));
    state->ChunkCount += count;
    int32_t poolUsedBefore = state->PoolUsed;

    const uint8_t* p = block + 4;
    for (int32_t k = 0; k < count; ++k) {
        ChunkRecord r;
        std::memset(&r, 0, sizeof r);
        r.Type = ReadU32(p);
        p += 4;
        switch (ShapeOfType(r.Type)) {
        case ShapeScalar:
            std::memcpy(r.Value, p, 4);
            p += 4;
            break;
        case ShapeNode:
            std::memcpy(r.Value, p, 6);
            p += 6;
            break;
        case ShapePool: {
            int32_t length = static_cast<int32_t>(ReadU32(p));
            if (EnsureRoom(state, length, kUsualReserve) != 0) {
                // The records behind the run move back down over it.
                RemoveChunks(state, index, count);
                AdjustParentCount(state, parent, -units);
                state->PoolUsed = poolUsedBefore;
                return -1;
            }
            r.Length = r.SlotLength = length;
            r.PoolOffset = static_cast<uint32_t>(state->PoolUsed);
            if (length > 0) std::memcpy(state->Pool + state->PoolUsed, p + 4, static_cast<size_t>(length));
            state->PoolUsed += length;
            p += 4 + length;
            break;
        }
        case ShapeUnknown:  // refused by the check above
            break;
        }
        state->Chunks[index + k] = r;  // EnsureRoom may have moved the table
    }
    state->Modified = true;
    return index;
}
