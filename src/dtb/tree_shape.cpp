#include "tree_shape.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "report.h"

namespace {

bool ReserveItems(TreeShape* shape, int32_t count) {
    if (count <= shape->Capacity) return true;
    void* grown = std::realloc(shape->Items, static_cast<size_t>(count) * sizeof(TreeItem));
    if (!grown) return false;
    shape->Items = static_cast<TreeItem*>(grown);
    shape->Capacity = count;
    return true;
}

}  // namespace

int32_t BuildTreeShape(EditorState* state, TreeShape* shape) {
    shape->ItemCount = 0;
    shape->TopLevelCount = 0;
    if (!ReserveItems(shape, state->ChunkCount)) {
        Report(state, ReportError, "Could not allocate memory.");
        return -1;
    }
    ChunkRecord* chunks = state->Chunks;
    TreeItem* items = shape->Items;
    int32_t parentItem = -1;   // the current parent; -1 is the top level
    int32_t p = -1;            // its chunk index
    int32_t lastChild = -1;    // the current parent's last item so far
    bool skip = false;
    for (int32_t i = 0; i < state->ChunkCount; ++i) {
        // Close full nodes. A node left here is never current again, so the
        // climbs of the whole build pass each node at most once.
        while (p != -1 && chunks[p].Length + 1 > ChildCountOf(chunks[p])) {
            lastChild = parentItem;
            parentItem = items[parentItem].ParentItem;
            p = parentItem == -1 ? -1 : items[parentItem].Chunk;
        }
        if (skip) {  // a hidden identifier: counted, not shown
            if (p != -1) chunks[p].Length += 1;
            skip = false;
            continue;
        }
        uint32_t type = chunks[i].Type;
        ChunkShape kind = ShapeOfType(type);
        if (kind == ShapeUnknown) continue;

        int32_t item = shape->ItemCount++;
        TreeItem& t = items[item];
        t.Chunk = i;
        t.Parent = p;
        t.ParentItem = parentItem;
        t.FirstChild = -1;
        t.NextSibling = -1;
        t.Depth = parentItem == -1 ? 0 : items[parentItem].Depth + 1;
        t.Image = type;
        t.HasChildren = kind == ShapeNode ? 1 : 0;
        if (lastChild != -1) {
            items[lastChild].NextSibling = item;
        } else if (parentItem != -1) {
            items[parentItem].FirstChild = item;
        }
        if (p != -1) {
            chunks[p].Length += 1;
        } else {
            shape->TopLevelCount += 1;
        }
        lastChild = item;
        if (kind == ShapeNode) {
            skip = state->ShowIdentifiers == 0 && i + 1 < state->ChunkCount && chunks[i + 1].Type == kTypeIdentifier;
            chunks[i].Length = 0;
            parentItem = item;
            p = i;
            lastChild = -1;
        }
    }
    return 0;
}

void FreeTreeShape(TreeShape* shape) {
    std::free(shape->Items);
    std::memset(shape, 0, sizeof *shape);
}

int32_t ItemOfChunk(const TreeShape* shape, int32_t chunk) {
    // Items stand in table order, so their chunk indices ascend.
    int32_t low = 0;
    int32_t high = shape->ItemCount;
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (shape->Items[middle].Chunk < chunk) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < shape->ItemCount && shape->Items[low].Chunk == chunk ? low : -1;
}

int32_t FormatTreeItemText(const EditorState* state, int32_t chunk, char* out, size_t outSize) {
    const ChunkRecord& r = state->Chunks[chunk];
    if (!IsNodeType(r.Type)) return FormatChunkText(state, chunk, out, outSize, "", 0);

    char suffix[16];
    size_t suffixLength = static_cast<size_t>(std::snprintf(suffix, sizeof suffix, "(%d)", NodeNumberOf(r)));
    const char* name = "";
    size_t nameLength = 0;
    if (chunk + 1 < state->ChunkCount && state->Chunks[chunk + 1].Type == kTypeIdentifier) {
        const ChunkRecord& id = state->Chunks[chunk + 1];
        name = reinterpret_cast<const char*>(state->Pool + id.PoolOffset);
        const void* zero = std::memchr(name, 0, static_cast<size_t>(id.Length));
        nameLength = zero ? static_cast<size_t>(static_cast<const char*>(zero) - name) : static_cast<size_t>(id.Length);
    }
    size_t room = outSize - 1;
    size_t suffixShown = suffixLength < room ? suffixLength : room;
    size_t nameShown = nameLength < room - suffixShown ? nameLength : room - suffixShown;
    std::memcpy(out, name, nameShown);
    std::memcpy(out + nameShown, suffix, suffixShown);
    out[nameShown + suffixShown] = '\0';
    return static_cast<int32_t>(nameLength + suffixLength);
}
