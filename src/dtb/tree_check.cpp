#include "tree_check.h"

#include "chunk_types.h"
#include "tree_shape.h"

int32_t CheckTreeCounts(EditorState* state, CountFaultHook hook, void* context) {
    // Identifiers are chunks like any other here: a hidden one would still be
    // counted, but it would vanish from the top level's items.
    int32_t shown = state->ShowIdentifiers;
    state->ShowIdentifiers = 1;
    TreeShape shape = {};
    int32_t built = BuildTreeShape(state, &shape);
    state->ShowIdentifiers = shown;
    if (built != 0) return -1;

    int32_t faults = 0;
    auto add = [&](CountFaultKind kind, int32_t chunk, int32_t expected, int32_t found) {
        CountFault fault = {kind, chunk, expected, found};
        if (hook) hook(context, &fault);
        faults += 1;
    };
    int32_t headerCount = TopLevelCountOf(*state);
    int32_t topLevel = 0;
    int32_t item = 0;
    for (int32_t i = 0; i < state->ChunkCount; ++i) {
        const ChunkRecord& r = state->Chunks[i];
        if (item >= shape.ItemCount || shape.Items[item].Chunk != i) {  // only unknown types have no item
            add(FaultUnknownType, i, static_cast<int32_t>(r.Type), 0);
            continue;
        }
        const TreeItem& t = shape.Items[item++];
        if (t.Parent == -1 && ++topLevel > headerCount) add(FaultBeyondCounts, i, headerCount, topLevel);
        if (IsNodeType(r.Type) && r.Length < ChildCountOf(r)) add(FaultNodeShort, i, ChildCountOf(r), r.Length);
    }
    if (topLevel != headerCount) add(FaultHeaderCount, -1, headerCount, topLevel);
    FreeTreeShape(&shape);
    return faults;
}
