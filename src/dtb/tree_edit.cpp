#include "tree_edit.h"

#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "document.h"
#include "journal.h"
#include "text_convert.h"

const char kParentFullMessage[] = "This node already holds 65535 chunks; no more can be added.";
const char kTopLevelFullMessage[] = "The top level already holds 65535 chunks; no more can be added.";

const char* ParentFullMessage(int32_t parent) { return parent == -1 ? kTopLevelFullMessage : kParentFullMessage; }

namespace {

bool IsNodeAt(const Document* doc, int32_t index) {
    return index >= 0 && index < doc->ChunkCount && IsNodeType(doc->Chunks[index].Type);
}

// A parent as the edits accept it: the top level, or a node before child.
bool ValidParent(const Document* doc, int32_t parent, int32_t child) {
    return parent == -1 || (parent < child && IsNodeAt(doc, parent));
}

uint8_t* CountField(Document* doc, int32_t parent) {
    return parent == -1 ? doc->HeaderBytes + 1 : doc->Chunks[parent].Value;
}

}  // namespace

int32_t SubtreeEnd(const Document* doc, int32_t index) {
    if (index < 0 || index >= doc->ChunkCount) return doc->ChunkCount;
    const ChunkRecord* chunks = doc->Chunks;
    if (!IsNodeType(chunks[index].Type)) return index + 1;
    // Children still owed by the nodes of the subtree that are not yet full;
    // wide, because every node of a long run may add 65534 to it.
    int64_t owed = ChildCountOf(chunks[index]);
    int32_t j = index + 1;
    for (; owed > 0 && j < doc->ChunkCount; ++j) {
        ChunkShape kind = ShapeOfType(chunks[j].Type);
        if (kind == ShapeUnknown) continue;
        owed -= 1;
        if (kind == ShapeNode) owed += ChildCountOf(chunks[j]);
    }
    return j;
}

int32_t ShownSpanEnd(const Document* doc, int32_t index, bool identifiersShown, int32_t* units) {
    *units = 1;
    // After the last child of a full parent the folded name is counted further
    // up: taking it along would take a child from a count that never had it.
    if (!identifiersShown && IsNodeAt(doc, index) && ChildCountOf(doc->Chunks[index]) == 0 &&
        index + 1 < doc->ChunkCount && doc->Chunks[index + 1].Type == kTypeIdentifier &&
        ParentOfChunk(doc, index + 1) == ParentOfChunk(doc, index)) {
        *units = 2;
        return index + 2;
    }
    return SubtreeEnd(doc, index);
}

int32_t ParentOfChunk(const Document* doc, int32_t index) {
    if (index < 0 || index >= doc->ChunkCount) return -1;
    // Read backwards, the complete subtrees between the parent and index
    // pile up; the first node that owes more children than that pile holds
    // is the one that also counts index.
    const ChunkRecord* chunks = doc->Chunks;
    int64_t subtrees = 0;
    for (int32_t k = index - 1; k >= 0; --k) {
        ChunkShape kind = ShapeOfType(chunks[k].Type);
        if (kind == ShapeUnknown) continue;
        int64_t children = kind == ShapeNode ? ChildCountOf(chunks[k]) : 0;
        if (children > subtrees) return k;
        subtrees += 1 - children;
    }
    return -1;
}

int32_t ParentCount(const Document* doc, int32_t parent) {
    return parent == -1 ? TopLevelCountOf(*doc) : ChildCountOf(doc->Chunks[parent]);
}

int32_t AdjustParentCount(Document* doc, int32_t parent, int32_t delta) {
    if (parent != -1 && !IsNodeAt(doc, parent)) return -1;
    int32_t count = ParentCount(doc, parent) + delta;
    if (count > kMostChildren) {
        Report(doc, ReportInformation, ParentFullMessage(parent));
        return -1;
    }
    if (count < 0) count = 0;
    NoteBefore(doc, parent);
    WriteU16(CountField(doc, parent), static_cast<uint16_t>(count));
    NoteAfter(doc, parent);
    return 0;
}

int32_t CheckParentRoom(Document* doc, int32_t parent, int32_t units) {
    if (ParentCount(doc, parent) + units <= kMostChildren) return 0;
    Report(doc, ReportInformation, ParentFullMessage(parent));
    return -1;
}

uint32_t OfferedLocations(const Document* doc, int32_t selected) {
    if (selected < 0 || selected >= doc->ChunkCount) return 0;
    uint32_t offered = LocationBefore | LocationAfter;
    return IsNodeAt(doc, selected) ? offered | LocationUnder : offered;
}

int32_t ChooseTarget(const Document* doc, int32_t selected, int32_t selectedParent, uint32_t location,
                     bool identifiersShown, int32_t* index, int32_t* parent) {
    if (selected == -1) {
        *index = doc->ChunkCount;
        *parent = -1;
        return 0;
    }
    if (selected < 0 || selected >= doc->ChunkCount || !ValidParent(doc, selectedParent, selected)) return -1;
    if (location & LocationUnder) {
        if (!IsNodeAt(doc, selected)) return -1;
        bool named = ChildCountOf(doc->Chunks[selected]) > 0 && selected + 1 < doc->ChunkCount &&
                     doc->Chunks[selected + 1].Type == kTypeIdentifier;
        *index = selected + (named ? 2 : 1);
        *parent = selected;
    } else if (location & LocationAfter) {
        int32_t units = 0;
        *index = ShownSpanEnd(doc, selected, identifiersShown, &units);
        *parent = selectedParent;
    } else {
        *index = selected;
        *parent = selectedParent;
    }
    return 0;
}

int32_t InsertNewChunk(Document* doc, int32_t selected, int32_t selectedParent, uint32_t location,
                       bool identifiersShown, uint32_t type, const char* text) {
    ChunkRecord record;
    int32_t index = 0;
    int32_t parent = -1;
    if (BuildRecordFromText(type, text, &record) != 0) return -1;
    if (ChooseTarget(doc, selected, selectedParent, location, identifiersShown, &index, &parent) != 0) return -1;
    if (CheckParentRoom(doc, parent, 1) != 0) return -1;

    // The payload goes to the pool only once the place is certain, so that a
    // refusal leaves the pool as it was; it loses its carriage returns.
    uint8_t* payload = nullptr;
    size_t n = 0;
    if (IsPoolType(type)) {
        size_t length = std::strlen(text);
        payload = static_cast<uint8_t*>(std::malloc(length + 1));
        if (!payload || length > static_cast<size_t>(INT32_MAX)) {
            std::free(payload);
            ReportOutOfMemory(doc);
            return -1;
        }
        for (size_t k = 0; k < length; ++k)
            if (text[k] != '\r') payload[n++] = static_cast<uint8_t>(text[k]);
    }
    int32_t result = InsertChunkAt(doc, &record, index);
    if (result == 0 && payload) {
        result = ReplacePayload(doc, index, payload, static_cast<int32_t>(n));
        if (result != 0) RemoveChunks(doc, index, 1);
    }
    std::free(payload);
    if (result != 0) return -1;
    BeginChange(doc);
    NoteInserted(doc, index, 1);
    AdjustParentCount(doc, parent, +1);
    return EndChange(doc, true, index) ? index : -1;
}

int32_t RemoveSubtree(Document* doc, int32_t index, int32_t parent, bool identifiersShown) {
    if (index < 0 || index >= doc->ChunkCount || !ValidParent(doc, parent, index)) return -1;
    int32_t units = 0;
    int32_t end = ShownSpanEnd(doc, index, identifiersShown, &units);
    BeginChange(doc);
    AdjustParentCount(doc, parent, -units);
    NoteRemoving(doc, index, end - index);
    RemoveChunks(doc, index, end - index);
    return EndChange(doc, true, index) ? index : -1;
}

WriteResult WriteChunkValue(Document* doc, int32_t index, const uint8_t* value) {
    ChunkRecord& r = doc->Chunks[index];
    if (std::memcmp(r.Value, value, sizeof r.Value) == 0) return WriteUnchanged;
    BeginChange(doc);
    NoteBefore(doc, index);
    std::memcpy(r.Value, value, sizeof r.Value);
    NoteAfter(doc, index);
    return EndChange(doc, true, index) ? WriteDone : WriteRefused;
}

WriteResult WriteChunkPayload(Document* doc, int32_t index, const uint8_t* bytes, int32_t n) {
    const ChunkRecord& r = doc->Chunks[index];
    if (r.Length == n && (n == 0 || std::memcmp(doc->Pool + r.PoolOffset, bytes, static_cast<size_t>(n)) == 0))
        return WriteUnchanged;
    BeginChange(doc);
    NoteBefore(doc, index);
    int32_t result = ReplacePayload(doc, index, bytes, n);
    if (result == 0) NoteAfter(doc, index);
    return EndChange(doc, result == 0, index) && result == 0 ? WriteDone : WriteRefused;
}

WriteResult WriteHeaderAndKey(Document* doc, const uint8_t* header, uint32_t key) {
    if (std::memcmp(doc->HeaderBytes, header, kHeaderSize) == 0 && doc->Key == key) return WriteUnchanged;
    BeginChange(doc);
    NoteBefore(doc, -1);
    std::memcpy(doc->HeaderBytes, header, kHeaderSize);
    doc->Key = key;
    NoteAfter(doc, -1);
    return EndChange(doc, true, -1) ? WriteDone : WriteRefused;
}
