#include "clipboard_block.h"

#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "journal.h"
#include "tree_edit.h"

namespace {

const char kTextSeparator[] = ": ";

}  // namespace

int64_t ClipboardBlockSize(const Document* doc, int32_t first, int32_t count) {
    int64_t size = 4;
    for (int32_t i = first; i < first + count; ++i) size += EncodedChunkSize(doc->Chunks[i]);
    return size;
}

void WriteClipboardBlock(const Document* doc, int32_t first, int32_t count, uint8_t* block) {
    WriteU32(block, static_cast<uint32_t>(count));
    uint8_t* p = block + 4;
    for (int32_t i = first; i < first + count; ++i) {
        const ChunkRecord& r = doc->Chunks[i];
        p += EncodeChunkHead(r, p);
        if (IsPoolType(r.Type) && r.Length > 0) std::memcpy(p, doc->Pool + r.PoolOffset, static_cast<size_t>(r.Length));
        if (IsPoolType(r.Type)) p += r.Length;
    }
}

int64_t ClipboardTextSize(const Document* doc, int32_t first, int32_t count) {
    int64_t size = 1;
    char none[1];
    for (int32_t i = first; i < first + count; ++i)
        size += FormatChunkText(doc, i, none, sizeof none, kTextSeparator, true) + 2;
    return size;
}

int32_t WriteClipboardText(const Document* doc, int32_t first, int32_t count, char* text, size_t size) {
    size_t at = 0;
    text[0] = '\0';
    for (int32_t i = first; i < first + count; ++i) {
        size_t length = static_cast<size_t>(FormatChunkText(doc, i, text + at, size - at, kTextSeparator, true));
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
        ChunkRecord r = {};
        int64_t entry = 0;
        if (DecodeChunk(block + at, static_cast<int64_t>(size - at), &r, &entry) != ChunkWhole) return -1;
        if (owed == 0) {
            // A second top-level entry only as the identifier of a childless node.
            if (k != 1 || !childlessNode || r.Type != kTypeIdentifier) return -1;
            owed = 1;
        }
        if (IsNodeType(r.Type)) owed += ChildCountOf(r);
        childlessNode = k == 0 && IsNodeType(r.Type) && owed == 1;
        at += static_cast<size_t>(entry);
        owed -= 1;
        if (owed == 0) topLevel += 1;
    }
    if (owed != 0 || at != size) return -1;
    *recordCount = static_cast<int32_t>(count);
    *units = topLevel;
    return 0;
}

int32_t PasteClipboardBlock(Document* doc, const uint8_t* block, size_t size, int32_t selected, int32_t selectedParent,
                            uint32_t location, bool identifiersShown) {
    int32_t index = 0;
    int32_t parent = -1;
    int32_t count = 0;
    int32_t units = 0;
    if (CheckClipboardBlock(block, size, &count, &units) != 0) return kBlockRefused;
    if (ChooseTarget(doc, selected, selectedParent, location, identifiersShown, &index, &parent) != 0) return -1;
    return PasteBlockAt(doc, block, size, index, parent);
}

int32_t PasteBlockAt(Document* doc, const uint8_t* block, size_t size, int32_t index, int32_t parent) {
    int32_t count = 0;
    int32_t units = 0;
    if (CheckClipboardBlock(block, size, &count, &units) != 0) return kBlockRefused;
    if (CheckParentRoom(doc, parent, units) != 0) return -1;
    if (EnsureRoom(doc, 0, count) != 0) return -1;

    BeginChange(doc);
    AdjustParentCount(doc, parent, +units);
    ChunkRecord* at = doc->Chunks + index;
    std::memmove(at + count, at, static_cast<size_t>(doc->ChunkCount - index) * sizeof(ChunkRecord));
    doc->ChunkCount += count;
    int32_t poolUsedBefore = doc->PoolUsed;
    const uint8_t* p = block + 4;
    for (int32_t k = 0; k < count; ++k) {
        ChunkRecord r = {};
        int64_t entry = 0;
        DecodeChunk(p, static_cast<int64_t>(block + size - p), &r, &entry);  // checked whole above
        if (IsPoolType(r.Type)) {
            if (EnsureRoom(doc, r.Length, kUsualReserve) != 0) {
                // The records behind the run move back down over it.
                RemoveChunks(doc, index, count);
                AdjustParentCount(doc, parent, -units);
                doc->PoolUsed = poolUsedBefore;
                EndChange(doc, false, index);
                return -1;
            }
            r.SlotLength = r.Length;
            r.PoolOffset = static_cast<uint32_t>(doc->PoolUsed);
            if (r.Length > 0) std::memcpy(doc->Pool + doc->PoolUsed, p + 8, static_cast<size_t>(r.Length));
            doc->PoolUsed += r.Length;
        }
        p += entry;
        doc->Chunks[index + k] = r;  // EnsureRoom may have moved the table
    }
    NoteInserted(doc, index, count);
    return EndChange(doc, true, index) ? index : -1;
}
