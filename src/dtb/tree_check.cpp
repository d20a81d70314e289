#include "tree_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "chunk_types.h"
#include "journal.h"
#include "tree_edit.h"
#include "tree_shape.h"

namespace {

// Whether the table is exactly the header's count of whole subtrees of known
// types: one pass with one running count of the chunks still owed, and no
// memory. Most files are whole, and opening one should not pay for a shape.
bool CountsAgree(const Document* doc) {
    int64_t owed = TopLevelCountOf(*doc);
    for (int32_t i = 0; i < doc->ChunkCount; ++i) {
        const ChunkRecord& r = doc->Chunks[i];
        if (owed == 0 || ShapeOfType(r.Type) == ShapeUnknown) return false;
        owed += (IsNodeType(r.Type) ? ChildCountOf(r) : 0) - 1;
    }
    return owed == 0;
}

// Writes the n bytes at offset at of a line whose first outSize - 1 bytes
// fit out; the rest is dropped, as snprintf drops it.
void Put(char* out, size_t outSize, size_t at, const char* bytes, size_t n) {
    for (size_t k = 0; k < n && at + k + 1 < outSize; ++k) out[at + k] = bytes[k];
}

}  // namespace

int32_t CheckTreeCounts(const Document* doc, CountFaultHook hook, void* context) {
    if (CountsAgree(doc)) return 0;
    // Identifiers are chunks like any other here: a hidden one would still be
    // counted, but it would vanish from the top level's items.
    TreeShape shape = {};
    if (BuildTreeShape(doc, true, &shape) != 0) return -1;

    int32_t faults = 0;
    auto add = [&](CountFaultKind kind, int32_t chunk, int32_t expected, int32_t found) {
        CountFault fault = {kind, chunk, expected, found};
        if (hook) hook(context, &fault);
        faults += 1;
    };
    int32_t headerCount = TopLevelCountOf(*doc);
    int32_t topLevel = 0;
    int32_t item = 0;
    for (int32_t i = 0; i < doc->ChunkCount; ++i) {
        const ChunkRecord& r = doc->Chunks[i];
        if (item >= shape.ItemCount() || shape.Items[item].Chunk != i) {  // only unknown types have no item
            add(FaultUnknownType, i, static_cast<int32_t>(r.Type), 0);
            continue;
        }
        const TreeItem& t = shape.Items[item++];
        if (t.Parent == -1 && ++topLevel > headerCount) add(FaultBeyondCounts, i, headerCount, topLevel);
        if (IsNodeType(r.Type) && t.Placed < ChildCountOf(r)) add(FaultNodeShort, i, ChildCountOf(r), t.Placed);
    }
    if (topLevel != headerCount) add(FaultHeaderCount, -1, headerCount, topLevel);
    FreeTreeShape(&shape);
    return faults;
}

int32_t FormatCountFault(const Document* doc, const PathIndex* index, const CountFault* f, char* out, size_t outSize) {
    char what[128];  // what is wrong at the place
    switch (f->Kind) {
    case FaultNodeShort:
        std::snprintf(what, sizeof what, "node has %d of its %d children", f->Found, f->Expected);
        break;
    case FaultBeyondCounts:
        std::snprintf(what, sizeof what, "beyond all counts (top-level chunk %d, the header counts %d)", f->Found,
                      f->Expected);
        break;
    case FaultHeaderCount:
        return std::snprintf(out, outSize, "header: top-level count %d, but the table holds %d top-level chunks",
                             f->Expected, f->Found);
    case FaultUnknownType:
        std::snprintf(what, sizeof what, "unknown type %d, counted nowhere", f->Expected);
        break;
    default:
        std::snprintf(what, sizeof what, "fault %d", static_cast<int>(f->Kind));
        break;
    }
    // The path goes straight into out, however long; the rest after it.
    char place[32];
    char none[1];
    size_t length = static_cast<size_t>(std::snprintf(place, sizeof place, "chunk %d", f->Chunk));
    Put(out, outSize, 0, place, length);
    if (index) {
        const size_t at = length + 2;
        int32_t path = FormatChunkPath(doc, index, f->Chunk, at < outSize ? out + at : none,
                                       at < outSize ? outSize - at : sizeof none);
        if (path >= 0) {
            Put(out, outSize, length, " (", 2);
            length = at + static_cast<size_t>(path);
            Put(out, outSize, length++, ")", 1);
        }
    }
    Put(out, outSize, length, ": ", 2);
    Put(out, outSize, length + 2, what, std::strlen(what));
    length += 2 + std::strlen(what);
    out[std::min(length, outSize - 1)] = '\0';
    return static_cast<int32_t>(std::min<size_t>(length, INT32_MAX));
}

int32_t RepairTreeCounts(Document* doc) {
    // A node is left short only where the table ends, so cutting its count
    // moves no chunk to another parent: one shape serves the whole repair.
    TreeShape shape = {};
    if (BuildTreeShape(doc, true, &shape) != 0) return -1;
    int32_t changed = 0;
    int32_t first = -1;
    BeginChange(doc);
    for (int32_t k = 0; k < shape.ItemCount(); ++k) {
        const TreeItem& t = shape.Items[k];
        ChunkRecord& r = doc->Chunks[t.Chunk];
        if (!IsNodeType(r.Type) || t.Placed >= ChildCountOf(r)) continue;
        NoteBefore(doc, t.Chunk);
        WriteU16(r.Value, static_cast<uint16_t>(t.Placed));
        NoteAfter(doc, t.Chunk);
        if (changed++ == 0) first = t.Chunk;
    }
    const int32_t topLevel = std::min(shape.TopLevelCount, kMostChildren);
    if (topLevel != TopLevelCountOf(*doc)) {
        NoteBefore(doc, -1);
        WriteU16(doc->HeaderBytes + 1, static_cast<uint16_t>(topLevel));
        NoteAfter(doc, -1);
        changed += 1;
    }
    if (!EndChange(doc, changed > 0, first)) changed = 0;
    FreeTreeShape(&shape);
    return changed;
}
