#include "tree_check.h"

#include "chunk_types.h"
#include "tree_shape.h"

int32_t CheckTreeCounts(const Document* doc, CountFaultHook hook, void* context) {
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
        if (item >= shape.ItemCount || shape.Items[item].Chunk != i) {  // only unknown types have no item
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
