#include "tree_shape.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"

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

int32_t BuildTreeShape(const Document* doc, bool identifiersShown, TreeShape* shape) {
    shape->ItemCount = 0;
    shape->TopLevelCount = 0;
    if (!ReserveItems(shape, doc->ChunkCount)) {
        ReportOutOfMemory(doc);
        return -1;
    }
    const ChunkRecord* chunks = doc->Chunks;
    TreeItem* items = shape->Items;
    int32_t parentItem = -1;  // the current parent; -1 is the top level
    int32_t p = -1;           // its chunk index
    int32_t lastChild = -1;   // the current parent's last item so far
    bool skip = false;
    for (int32_t i = 0; i < doc->ChunkCount; ++i) {
        // Close full nodes. A node left here is never current again, so the
        // climbs of the whole build pass each node at most once.
        while (p != -1 && items[parentItem].Placed + 1 > ChildCountOf(chunks[p])) {
            lastChild = parentItem;
            parentItem = items[parentItem].ParentItem;
            p = parentItem == -1 ? -1 : items[parentItem].Chunk;
        }
        if (skip) {  // a hidden identifier: counted, not shown
            if (p != -1) items[parentItem].Placed += 1;
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
        t.HasChildren = kind == ShapeNode;
        t.Placed = 0;
        if (lastChild != -1) {
            items[lastChild].NextSibling = item;
        } else if (parentItem != -1) {
            items[parentItem].FirstChild = item;
        }
        if (p != -1) {
            items[parentItem].Placed += 1;
        } else {
            shape->TopLevelCount += 1;
        }
        lastChild = item;
        if (kind == ShapeNode) {
            skip = !identifiersShown && i + 1 < doc->ChunkCount && chunks[i + 1].Type == kTypeIdentifier;
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

PayloadView NodeNameOf(const Document* doc, int32_t chunk) {
    const ChunkRecord* r = doc->Chunks;
    if (!IsNodeType(r[chunk].Type) || chunk + 1 >= doc->ChunkCount || r[chunk + 1].Type != kTypeIdentifier)
        return {"", 0};
    return ShownPayload(doc, r[chunk + 1]);
}

int32_t FormatTreeItemText(const Document* doc, int32_t chunk, char* out, size_t outSize, bool escaped) {
    const ChunkRecord& r = doc->Chunks[chunk];
    if (!IsNodeType(r.Type)) return FormatChunkText(doc, chunk, out, outSize, "", false, escaped);

    char suffix[16];
    size_t suffixLength = static_cast<size_t>(std::snprintf(suffix, sizeof suffix, "(%d)", NodeNumberOf(r)));
    PayloadView name = NodeNameOf(doc, chunk);
    size_t room = outSize - 1;
    size_t suffixShown = suffixLength < room ? suffixLength : room;
    size_t nameRoom = room - suffixShown;  // the name is cut first, so the number always shows
    size_t nameLength = name.Length;
    if (escaped) {
        nameLength = static_cast<size_t>(EscapeControlBytes(name.Text, name.Length, out, nameRoom + 1, false));
    } else {
        std::memcpy(out, name.Text, std::min(nameLength, nameRoom));
        out[std::min(nameLength, nameRoom)] = '\0';
    }
    size_t nameShown = std::strlen(out);
    std::memcpy(out + nameShown, suffix, suffixShown);
    out[nameShown + suffixShown] = '\0';
    return static_cast<int32_t>(nameLength + suffixLength);
}
