// The shape of the tree view, computed from the chunk table alone: one item
// per shown chunk, in table order, with the links a view needs to list the
// children of one node without walking the rest. No text is stored: an
// item's text is made on demand, so a table of a million chunks costs a
// million small records and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document.h"

struct TreeItem {
    int32_t Chunk;        // table index of the chunk it shows
    int32_t Parent;       // chunk index of the parent node, -1 at the top level
    int32_t ParentItem;   // item index of the parent, -1 at the top level
    int32_t FirstChild;   // item index, -1 when none
    int32_t NextSibling;  // item index, -1 for the last child
    int32_t Depth;        // 0 at the top level
    uint32_t Image;       // the chunk's type code, which is also its image index
    bool HasChildren;     // nodes show an expand button even when empty
    int32_t Placed;       // nodes: the chunks placed directly under it, a hidden identifier included
};

// Items in table order, which is also the pre-order of the tree. Item 0, when
// there is one, is the first top-level item; the others follow through
// NextSibling.
struct TreeShape {
    std::vector<TreeItem> Items;
    int32_t TopLevelCount = 0;  // items at the top level
    int32_t ItemCount() const { return static_cast<int32_t>(Items.size()); }
};

// Builds the shape from the table in one pass; with identifiersShown false,
// the identifier right after a node gets no item (it is in the node's label)
// but is counted under the node all the same. The parent chain is followed
// through the items themselves, so nesting depth costs no stack. Counts that
// disagree with the table are no error: a node the table leaves short has
// fewer children, chunks beyond all counts stand at the top level, and
// chunks of an unknown type get no item and are not counted. Returns 0, or -1
// after a report when memory runs out (the shape is then empty). Its memory
// is reused by the next build, until FreeTreeShape gives it back.
int32_t BuildTreeShape(const Document* doc, bool identifiersShown, TreeShape* shape);
// The same, telling teller's hook instead of doc's when memory runs out.
int32_t BuildTreeShape(const Document* doc, bool identifiersShown, TreeShape* shape, const Document* teller);
void FreeTreeShape(TreeShape* shape);

// The item that shows chunk, or -1 (a hidden identifier, an unknown type, an
// index outside the table).
int32_t ItemOfChunk(const TreeShape* shape, int32_t chunk);

// The name a node goes by: the identifier right after it, up to its first
// zero byte, as its label shows it; empty for a chunk that is no node or a
// node with no identifier after it. Paths and the pairing of two trees name
// nodes by the same rule.
PayloadView NodeNameOf(const Document* doc, int32_t chunk);

// The text of a chunk's tree item: the node label for a node, the value text
// alone otherwise. The node label is the identifier text (the type-5 chunk
// right after the node, up to its first zero byte), then the node number as
// "(%d)"; the identifier is cut first, so the number always shows. escaped
// writes control bytes as FormatChunkText does. Writes at most outSize bytes
// (outSize >= 1) and returns the length of the whole text, as snprintf does.
int32_t FormatTreeItemText(const Document* doc, int32_t chunk, char* out, size_t outSize, bool escaped = false);
