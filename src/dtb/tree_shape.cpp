#include "tree_shape.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"

namespace {

// One pass over the table, front to back: the parent chain is followed
// through the items already placed, so nesting depth costs no stack.
class ShapeBuilder {
public:
    ShapeBuilder(const Document* doc, bool identifiersShown, TreeShape* shape)
        : doc_(doc), identifiersShown_(identifiersShown), shape_(*shape), items_(shape->Items) {}

    void Run() {
        items_.clear();
        shape_.TopLevelCount = 0;
        items_.reserve(static_cast<size_t>(doc_->ChunkCount));
        for (int32_t i = 0; i < doc_->ChunkCount; ++i) {
            CloseFullNodes();
            if (skip_) {  // a hidden identifier: counted, not shown
                if (p_ != -1) items_[parentItem_].Placed += 1;
                skip_ = false;
                continue;
            }
            if (ShapeOfType(doc_->Chunks[i].Type) != ShapeUnknown) Place(i);
        }
    }

private:
    // A node left here is never current again, so the climbs of the whole
    // build pass each node at most once.
    void CloseFullNodes() {
        while (p_ != -1 && items_[parentItem_].Placed + 1 > ChildCountOf(doc_->Chunks[p_])) {
            lastChild_ = parentItem_;
            parentItem_ = items_[parentItem_].ParentItem;
            p_ = parentItem_ == -1 ? -1 : items_[parentItem_].Chunk;
        }
    }

    // Chunk i as the next child of the current parent; a node becomes the
    // current parent itself.
    void Place(int32_t i) {
        const uint32_t type = doc_->Chunks[i].Type;
        const bool node = IsNodeType(type);
        const int32_t item = static_cast<int32_t>(items_.size());
        const int32_t depth = parentItem_ == -1 ? 0 : items_[parentItem_].Depth + 1;
        items_.push_back({i, p_, parentItem_, -1, -1, depth, type, node, 0});  // within the reserve: never throws
        if (lastChild_ != -1) {
            items_[lastChild_].NextSibling = item;
        } else if (parentItem_ != -1) {
            items_[parentItem_].FirstChild = item;
        }
        if (p_ != -1) {
            items_[parentItem_].Placed += 1;
        } else {
            shape_.TopLevelCount += 1;
        }
        lastChild_ = item;
        if (node) {
            skip_ = !identifiersShown_ && i + 1 < doc_->ChunkCount && doc_->Chunks[i + 1].Type == kTypeIdentifier;
            parentItem_ = item;
            p_ = i;
            lastChild_ = -1;
        }
    }

    const Document* doc_;
    const bool identifiersShown_;
    TreeShape& shape_;
    std::vector<TreeItem>& items_;
    int32_t parentItem_ = -1;  // the current parent; -1 is the top level
    int32_t p_ = -1;           // its chunk index
    int32_t lastChild_ = -1;   // the current parent's last item so far
    bool skip_ = false;
};

}  // namespace

int32_t BuildTreeShape(const Document* doc, bool identifiersShown, TreeShape* shape) {
    return BuildTreeShape(doc, identifiersShown, shape, doc);
}

int32_t BuildTreeShape(const Document* doc, bool identifiersShown, TreeShape* shape, const Document* teller) {
    try {
        ShapeBuilder(doc, identifiersShown, shape).Run();
        return 0;
    } catch (const std::bad_alloc&) {
        FreeTreeShape(shape);
        ReportOutOfMemory(teller);
        return -1;
    }
}

void FreeTreeShape(TreeShape* shape) { *shape = TreeShape(); }

int32_t ItemOfChunk(const TreeShape* shape, int32_t chunk) {
    // Items stand in table order, so their chunk indices ascend.
    int32_t low = 0;
    int32_t high = shape->ItemCount();
    while (low < high) {
        int32_t middle = low + (high - low) / 2;
        if (shape->Items[middle].Chunk < chunk) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low < shape->ItemCount() && shape->Items[low].Chunk == chunk ? low : -1;
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
