#include "tree_edit.h"

#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "document.h"
#include "report.h"
#include "text_convert.h"

const char kParentFullMessage[] = "This node already holds 65535 chunks; no more can be added.";

const InsertTypeEntry kInsertTypeEntries[kInsertTypeCount] = {
    {"Integer - 0", 0},           {"Float - 1", 1},     {"Function - 2", 2},  {"Keyword - 5", 5},
    {"Unknown - 6", 6},           {"Unknown - 7", 7},   {"Unknown - 8", 8},   {"Unknown - 9", 9},
    {"Node (Common) - 16", 16},   {"Node (?] - 17", 17}, {"String (Common)- 18", 18}, {"Node (?] - 19", 19},
    {"String - 32", 32},          {"File - 33", 33},    {"File - 34", 34},    {"String - 35", 35},
};

namespace {

bool IsNodeAt(const EditorState* state, int32_t index) {
    return index >= 0 && index < state->ChunkCount && IsNodeType(state->Chunks[index].Type);
}

// A parent as the edits accept it: the top level, or a node before child.
bool ValidParent(const EditorState* state, int32_t parent, int32_t child) {
    return parent == -1 || (parent < child && IsNodeAt(state, parent));
}

uint8_t* CountField(EditorState* state, int32_t parent) {
    return parent == -1 ? state->HeaderBytes + 1 : state->Chunks[parent].Value;
}

}  // namespace

int32_t SubtreeEnd(const EditorState* state, int32_t index) {
    if (index < 0 || index >= state->ChunkCount) return state->ChunkCount;
    const ChunkRecord* chunks = state->Chunks;
    if (!IsNodeType(chunks[index].Type)) return index + 1;
    // Children still owed by the nodes of the subtree that are not yet full;
    // wide, because every node of a long run may add 65534 to it.
    int64_t owed = ChildCountOf(chunks[index]);
    int32_t j = index + 1;
    for (; owed > 0 && j < state->ChunkCount; ++j) {
        ChunkShape kind = ShapeOfType(chunks[j].Type);
        if (kind == ShapeUnknown) continue;
        owed -= 1;
        if (kind == ShapeNode) owed += ChildCountOf(chunks[j]);
    }
    return j;
}

int32_t ShownSpanEnd(const EditorState* state, int32_t index, bool identifiersShown, int32_t* units) {
    *units = 1;
    if (!identifiersShown && IsNodeAt(state, index) && ChildCountOf(state->Chunks[index]) == 0 &&
        index + 1 < state->ChunkCount && state->Chunks[index + 1].Type == kTypeIdentifier) {
        *units = 2;
        return index + 2;
    }
    return SubtreeEnd(state, index);
}

int32_t ParentOfChunk(const EditorState* state, int32_t index) {
    if (index < 0 || index >= state->ChunkCount) return -1;
    // Read backwards, the complete subtrees between the parent and index
    // pile up; the first node that owes more children than that pile holds
    // is the one that also counts index.
    const ChunkRecord* chunks = state->Chunks;
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

int32_t ParentCount(const EditorState* state, int32_t parent) {
    return parent == -1 ? TopLevelCountOf(*state) : ChildCountOf(state->Chunks[parent]);
}

int32_t AdjustParentCount(EditorState* state, int32_t parent, int32_t delta) {
    if (parent != -1 && !IsNodeAt(state, parent)) return -1;
    int32_t count = ParentCount(state, parent) + delta;
    if (count > kMostChildren) {
        Report(state, ReportInformation, kParentFullMessage);
        return -1;
    }
    if (count < 0) count = 0;
    WriteU16(CountField(state, parent), static_cast<uint16_t>(count));
    return 0;
}

int32_t CheckParentRoom(EditorState* state, int32_t parent, int32_t units) {
    if (ParentCount(state, parent) + units <= kMostChildren) return 0;
    Report(state, ReportInformation, kParentFullMessage);
    return -1;
}

uint32_t OfferedLocations(const EditorState* state, int32_t selected) {
    if (selected < 0 || selected >= state->ChunkCount) return 0;
    uint32_t offered = LocationBefore | LocationAfter;
    return IsNodeAt(state, selected) ? offered | LocationUnder : offered;
}

int32_t ChooseTarget(const EditorState* state, int32_t selected, int32_t selectedParent, uint32_t location,
                     bool identifiersShown, int32_t* index, int32_t* parent) {
    if (selected == -1) {
        *index = state->ChunkCount;
        *parent = -1;
        return 0;
    }
    if (selected < 0 || selected >= state->ChunkCount || !ValidParent(state, selectedParent, selected)) return -1;
    if (location & LocationUnder) {
        if (!IsNodeAt(state, selected)) return -1;
        bool named = ChildCountOf(state->Chunks[selected]) > 0 && selected + 1 < state->ChunkCount &&
                     state->Chunks[selected + 1].Type == kTypeIdentifier;
        *index = selected + (named ? 2 : 1);
        *parent = selected;
    } else if (location & LocationAfter) {
        int32_t units = 0;
        *index = ShownSpanEnd(state, selected, identifiersShown, &units);
        *parent = selectedParent;
    } else {
        *index = selected;
        *parent = selectedParent;
    }
    return 0;
}

namespace {

// The guards of Insert and Remove, in their order. Insert may go on without
// a selection in an empty table (the new chunk becomes chunk 0); Remove may not.
int32_t CheckEditGuards(EditorState* state, int32_t selected, bool emptyTableNeedsSelection) {
    const char* refusal = nullptr;
    if (state->ShowAsTree != 1) {
        refusal = "Due to the DTB file tree format, all inserting must be done in Tree View. "
                  "Please switch to Tree View before inserting.";
    } else if (selected == -1 && (state->ChunkCount != 0 || emptyTableNeedsSelection)) {
        refusal = "Please select a chunk before continuing.";
    } else if (state->ShowIdentifiers == 0) {
        refusal = "Hiding data may result in improper insertion. Turn on show Identifiers before inserting.";
    }
    if (!refusal) return 0;
    Report(state, ReportInformation, refusal);
    return -1;
}

}  // namespace

int32_t CheckInsertAllowed(EditorState* state, int32_t selected) { return CheckEditGuards(state, selected, false); }

int32_t CheckRemoveAllowed(EditorState* state, int32_t selected) { return CheckEditGuards(state, selected, true); }

uint32_t TypeFromEntryText(const char* text) {
    const char* p = text + std::strlen(text);
    while (p > text && p[-1] >= '0' && p[-1] <= '9') --p;
    return static_cast<uint32_t>(ParseDecimal(p));
}

bool ReadScalarText(uint32_t type, const char* text, uint8_t* value) {
    int32_t number = 0;
    uint32_t bits = 0;
    if (!IsScalarType(type)) return false;
    if (type == 0) {
        if (!ReadIntegerText(text, &number)) return false;
        WriteU32(value, static_cast<uint32_t>(number));
    } else if (type == 1) {
        if (!ReadFloatText(text, &bits)) return false;
        WriteU32(value, bits);
    } else {
        return ReadHexBytesText(text, 4, value);
    }
    return true;
}

int32_t BuildRecordFromText(uint32_t type, const char* text, ChunkRecord* record) {
    std::memset(record, 0, sizeof *record);
    record->Type = type;
    int32_t number = 0;
    switch (ShapeOfType(type)) {
    case ShapeScalar:
        return ReadScalarText(type, text, record->Value) ? 0 : -1;
    case ShapeNode:
        if (!ReadIntegerText(text, &number)) return -1;
        WriteU32(record->Value + 2, static_cast<uint32_t>(number));
        return 0;
    case ShapePool:
        return 0;
    case ShapeUnknown:
        break;
    }
    return -1;
}

int32_t InsertNewChunk(EditorState* state, int32_t selected, int32_t selectedParent, uint32_t location,
                       bool identifiersShown, uint32_t type, const char* text) {
    ChunkRecord record;
    int32_t index = 0;
    int32_t parent = -1;
    if (BuildRecordFromText(type, text, &record) != 0) return -1;
    if (ChooseTarget(state, selected, selectedParent, location, identifiersShown, &index, &parent) != 0) return -1;
    if (CheckParentRoom(state, parent, 1) != 0) return -1;

    // The payload goes to the pool only once the place is certain, so that a
    // refusal leaves the pool as it was; it loses its carriage returns.
    uint8_t* payload = nullptr;
    size_t n = 0;
    if (IsPoolType(type)) {
        size_t length = std::strlen(text);
        payload = static_cast<uint8_t*>(std::malloc(length + 1));
        if (!payload || length > static_cast<size_t>(INT32_MAX)) {
            std::free(payload);
            Report(state, ReportError, "Could not allocate memory.");
            return -1;
        }
        for (size_t k = 0; k < length; ++k)
            if (text[k] != '\r') payload[n++] = static_cast<uint8_t>(text[k]);
    }
    int32_t result = InsertChunkAt(state, &record, index);
    if (result == 0 && payload) {
        result = ReplacePayload(state, index, payload, static_cast<int32_t>(n));
        if (result != 0) RemoveChunks(state, index, 1);
    }
    std::free(payload);
    if (result != 0) return -1;
    AdjustParentCount(state, parent, +1);
    state->Modified = true;
    return index;
}

int32_t RemoveSubtree(EditorState* state, int32_t index, int32_t parent, bool identifiersShown) {
    if (index < 0 || index >= state->ChunkCount || !ValidParent(state, parent, index)) return -1;
    int32_t units = 0;
    int32_t end = ShownSpanEnd(state, index, identifiersShown, &units);
    AdjustParentCount(state, parent, -units);
    RemoveChunks(state, index, end - index);
    state->Modified = true;
    return index;
}
