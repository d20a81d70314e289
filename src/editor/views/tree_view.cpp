// The tree view control, filled from the core's tree shape. The control is
// never walked: Wine's tree view checks every item handle it is given by a
// linear search, so the chunk-to-item table below is what keeps selecting,
// finding and rebuilding linear in the size of the tree.
#include <cstdlib>

#include "app/editor.h"
#include "display_text.h"
#include "tree_shape.h"
#include "views.h"

namespace {

TreeShape g_shape;               // the shape of what the control shows
HTREEITEM* g_items = nullptr;    // the control's item for each shape item
int32_t g_itemCapacity = 0;
bool g_rebuilding = false;

HWND TreeOf(EditorState* state) { return ControlOf(state, IDC_CHUNK_TREE); }

void DeleteAllItems(HWND tree) {
    g_rebuilding = true;
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    g_rebuilding = false;
    g_shape.ItemCount = 0;
    g_shape.TopLevelCount = 0;
}

bool ReserveHandles(int32_t count) {
    if (count <= g_itemCapacity) return true;
    void* grown = std::realloc(g_items, static_cast<size_t>(count) * sizeof(HTREEITEM));
    if (!grown) return false;
    g_items = static_cast<HTREEITEM*>(grown);
    g_itemCapacity = count;
    return true;
}

}  // namespace

bool TreeIsRebuilding() { return g_rebuilding; }

void ClearChunkTree(EditorState* state) { DeleteAllItems(TreeOf(state)); }

int32_t BuildChunkTree(EditorState* state) {
    HWND tree = TreeOf(state);
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    DeleteAllItems(tree);
    // The shape also resets every node's child counter in the table, which
    // the view requires whether or not items can be made.
    if (BuildTreeShape(state, &g_shape) == 0 && !ReserveHandles(g_shape.ItemCount)) g_shape.ItemCount = 0;
    char text[kTextSize];
    TVINSERTSTRUCTA insert = {};
    insert.hInsertAfter = TVI_LAST;
    for (int32_t i = 0; i < g_shape.ItemCount; ++i) {
        const TreeItem& item = g_shape.Items[i];
        FormatTreeItemText(state, item.Chunk, text, sizeof text);
        insert.hParent = item.ParentItem < 0 ? TVI_ROOT : g_items[item.ParentItem];
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        insert.item.pszText = text;
        insert.item.iImage = static_cast<int>(item.Image);
        insert.item.iSelectedImage = static_cast<int>(item.Image);
        insert.item.lParam = item.Chunk;
        if (item.HasChildren) {
            insert.item.mask |= TVIF_CHILDREN;
            insert.item.cChildren = 1;
        }
        g_items[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!g_items[i]) {  // the control is out of memory: keep what it holds
            g_shape.ItemCount = i;
            break;
        }
    }
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    return 0;
}

int32_t SelectedTreeChunk(EditorState* state) {
    HWND tree = TreeOf(state);
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!selected) return -1;
    TVITEMA item = {};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = selected;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return static_cast<int32_t>(item.lParam);
}

int32_t SelectedTreeChunkAndParent(EditorState* state, int32_t* parent) {
    *parent = -1;
    int32_t chunk = SelectedTreeChunk(state);
    int32_t item = ItemOfChunk(&g_shape, chunk);
    if (item < 0) return -1;  // an item the shape does not know is no selection to edit at
    *parent = g_shape.Items[item].Parent;
    return chunk;
}

int32_t SelectTreeChunk(EditorState* state, HTREEITEM start, int32_t chunk) {
    int32_t found = ItemOfChunk(&g_shape, chunk);
    if (found < 0) return -1;
    if (start != TVI_ROOT && start != nullptr) {
        // Only the descendants of start count: climb the shape's parent links.
        TVITEMA item = {};
        item.mask = TVIF_HANDLE | TVIF_PARAM;
        item.hItem = start;
        if (!SendMessageA(TreeOf(state), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
        int32_t above = ItemOfChunk(&g_shape, static_cast<int32_t>(item.lParam));
        int32_t at = g_shape.Items[found].ParentItem;
        while (at >= 0 && at != above) at = g_shape.Items[at].ParentItem;
        if (at < 0) return -1;
    }
    HWND tree = TreeOf(state);
    HTREEITEM handle = g_items[found];
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(handle));
    SetFocus(tree);
    return 0;
}
