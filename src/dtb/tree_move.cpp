#include "tree_move.h"

#include <new>
#include <vector>

#include "chunk_types.h"
#include "clipboard_block.h"
#include "journal.h"
#include "tree_edit.h"

namespace {

bool IsNodeAt(const Document* doc, int32_t index) {
    return index >= 0 && index < doc->ChunkCount && IsNodeType(doc->Chunks[index].Type);
}

// A node's name: the identifier right after a node that counts it as its
// first child.
bool IsNameChunk(const Document* doc, int32_t chunk) {
    return chunk > 0 && chunk < doc->ChunkCount && doc->Chunks[chunk].Type == kTypeIdentifier &&
           IsNodeAt(doc, chunk - 1) && ChildCountOf(doc->Chunks[chunk - 1]) > 0;
}

// The table index place relative to target puts a chunk at (the table as
// it is), and its parent there. False for a child place of a chunk that is
// no node.
bool PlaceOf(const Document* doc, int32_t target, MovePlace place, int32_t* index, int32_t* parent) {
    switch (place) {
    case MoveBefore:
    case MoveAfter:
        *index = place == MoveBefore ? target : SubtreeEnd(doc, target);
        *parent = ParentOfChunk(doc, target);
        return true;
    case MoveFirstChild:
    case MoveLastChild:
        if (!IsNodeAt(doc, target)) return false;
        *index = place == MoveLastChild ? SubtreeEnd(doc, target) : target + (IsNameChunk(doc, target + 1) ? 2 : 1);
        *parent = target;
        return true;
    }
    return false;
}

// Why nothing can go to place relative to target, or nullptr.
const char* WhyNotPlace(const Document* doc, int32_t target, MovePlace place, int32_t* index, int32_t* parent) {
    if (target < 0 || target >= doc->ChunkCount) return "There is no chunk there to move to.";
    if (place == MoveBefore && IsNameChunk(doc, target))
        return "A node's name stays its first child: nothing can go before it.";
    if (!PlaceOf(doc, target, place, index, parent)) return "Only a node can hold other chunks.";
    return nullptr;
}

}  // namespace

const char* WhyNotMove(const Document* doc, int32_t chunk, int32_t target, MovePlace place) {
    if (chunk < 0 || chunk >= doc->ChunkCount) return "There is no chunk to move.";
    if (IsNameChunk(doc, chunk)) return "A node's name stays its first child: move the node instead.";
    int32_t index = 0, parent = -1;
    if (const char* why = WhyNotPlace(doc, target, place, &index, &parent)) return why;
    const int32_t end = SubtreeEnd(doc, chunk);
    bool itself = target == chunk && (place == MoveBefore || place == MoveAfter);
    if (!itself && target >= chunk && target < end) return "A chunk cannot move into its own subtree.";
    if (parent != ParentOfChunk(doc, chunk) && ParentCount(doc, parent) + 1 > kMostChildren)
        return ParentFullMessage(parent);
    return nullptr;
}

int32_t MoveSubtree(Document* doc, int32_t chunk, int32_t target, MovePlace place) {
    if (const char* why = WhyNotMove(doc, chunk, target, place)) {
        Report(doc, ReportInformation, why);
        return -1;
    }
    int32_t index = 0, parent = -1;
    PlaceOf(doc, target, place, &index, &parent);
    const int32_t end = SubtreeEnd(doc, chunk), oldParent = ParentOfChunk(doc, chunk);
    // A place at either end of the run moves no record: only the counts may
    // say that it now belongs to another parent.
    const bool rotates = index != chunk && index != end;
    if (!rotates && parent == oldParent) return chunk;
    BeginChange(doc);
    if (parent != oldParent) {
        AdjustParentCount(doc, oldParent, -1);
        AdjustParentCount(doc, parent, +1);
    }
    const MovedRun run = {chunk, end - chunk, index};
    if (rotates) {
        MoveRecords(doc, run);
        NoteMoved(doc, run);
    }
    const int32_t now = rotates ? MovedTo(run) : chunk;
    return EndChange(doc, true, now) ? now : -1;
}

int32_t SiblingBefore(const Document* doc, int32_t chunk) {
    if (chunk < 0 || chunk >= doc->ChunkCount || IsNameChunk(doc, chunk)) return -1;
    const int32_t parent = ParentOfChunk(doc, chunk);
    int32_t before = -1, at = parent + 1;  // the top level's first chunk is 0
    while (at < chunk) before = at, at = SubtreeEnd(doc, at);
    return at == chunk && !IsNameChunk(doc, before) ? before : -1;
}

int32_t SiblingAfter(const Document* doc, int32_t chunk) {
    if (chunk < 0 || chunk >= doc->ChunkCount || IsNameChunk(doc, chunk)) return -1;
    const int32_t parent = ParentOfChunk(doc, chunk);
    const int32_t next = SubtreeEnd(doc, chunk), last = parent < 0 ? doc->ChunkCount : SubtreeEnd(doc, parent);
    return next < last ? next : -1;
}

const char* WhyNotCopy(const Document* doc, int32_t chunk, int32_t target, MovePlace place) {
    if (chunk < 0 || chunk >= doc->ChunkCount) return "There is no chunk to copy.";
    int32_t index = 0, parent = -1;
    if (const char* why = WhyNotPlace(doc, target, place, &index, &parent)) return why;
    return ParentCount(doc, parent) + 1 > kMostChildren ? ParentFullMessage(parent) : nullptr;
}

int32_t CopySubtree(Document* doc, int32_t chunk, int32_t target, MovePlace place) {
    int32_t index = 0, parent = -1;
    const char* why = WhyNotCopy(doc, chunk, target, place);
    if (!why) PlaceOf(doc, target, place, &index, &parent);
    if (why) {
        Report(doc, ReportInformation, why);
        return -1;
    }
    // The copy goes through the clipboard's own block, never the clipboard:
    // fresh payload slots, and the counts inside the subtree as they are.
    const int32_t count = SubtreeEnd(doc, chunk) - chunk;
    std::vector<uint8_t> block;
    try {
        block.resize(static_cast<size_t>(ClipboardBlockSize(doc, chunk, count)));
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(doc);
        return -1;
    }
    WriteClipboardBlock(doc, chunk, count, block.data());
    return PasteBlockAt(doc, block.data(), block.size(), index, parent);
}

int32_t DuplicateSubtree(Document* doc, int32_t chunk) { return CopySubtree(doc, chunk, chunk, MoveAfter); }
