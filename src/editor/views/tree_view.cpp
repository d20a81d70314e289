// The tree view control, filled lazily from the core's tree shape: the
// control holds the top level and the children of every node the user (or
// a selection) has opened, nothing more, so a document of any size shows at
// the cost of its top level. The control is never walked: Wine's tree view
// checks every item handle it is given by a linear search, so the
// shape-to-item table below is what keeps selecting, finding and opening
// linear in what is shown.
#include <cstdlib>
#include <cstring>

#include "app/editor.h"
#include "chunk_types.h"
#include "display_text.h"
#include "tree_shape.h"
#include "views.h"

namespace {

TreeShape g_shape;               // the shape of what the control shows
HTREEITEM* g_items = nullptr;    // the control's item for each shape item; nullptr until opened
int32_t g_itemCapacity = 0;
int32_t g_itemsHeld = 0;         // items put into the control since it was last emptied
bool g_rebuilding = false;

// Some controls check every item handle by searching all items (Wine's
// does), so that putting in or taking out a deep chain of n levels costs
// n * n steps: seconds for tens of thousands of levels. The window says
// it is busy meanwhile.
const int32_t kManyItems = 10000;

struct BusyCursor {
    HCURSOR previous;
    explicit BusyCursor(bool busy) : previous(busy ? SetCursor(LoadCursorA(nullptr, IDC_WAIT)) : nullptr) {}
    ~BusyCursor() {
        if (previous) SetCursor(previous);
    }
};

HWND TreeOf(EditorState* state) { return ControlOf(state, IDC_CHUNK_TREE); }

// The control deletes an item's children recursively, a level of the stack
// for every level of the tree, so a deep chain that was opened to its end
// would overflow the stack. The deep items go first, from the deepest up,
// cut every kCutDepth levels: no single deletion then goes deeper than that.
const int32_t kCutDepth = 256;

void DeleteAllItems(HWND tree) {
    BusyCursor busy(g_itemsHeld > kManyItems);
    g_rebuilding = true;
    // Without a selection no deletion moves it up the tree, item by item.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    for (int32_t i = g_shape.ItemCount - 1; i >= 0; --i)
        if (g_items[i] && g_shape.Items[i].Depth % kCutDepth == kCutDepth - 1)
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(g_items[i]));
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    g_rebuilding = false;
    g_itemsHeld = 0;
    g_shape.ItemCount = 0;
    g_shape.TopLevelCount = 0;
}

bool ReserveHandles(int32_t count) {
    if (count > g_itemCapacity) {
        void* grown = std::realloc(g_items, static_cast<size_t>(count) * sizeof(HTREEITEM));
        if (!grown) return false;
        g_items = static_cast<HTREEITEM*>(grown);
        g_itemCapacity = count;
    }
    std::memset(g_items, 0, static_cast<size_t>(count) * sizeof(HTREEITEM));
    return true;
}

// Appends the items of a sibling run, first to last, under parent (TVI_ROOT
// for the top level). False when the control runs out of memory.
bool InsertSiblings(EditorState* state, HWND tree, HTREEITEM parent, int32_t first) {
    char text[kTextSize];
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    for (int32_t i = first; i >= 0; i = g_shape.Items[i].NextSibling) {
        const TreeItem& item = g_shape.Items[i];
        FormatTreeItemText(state, item.Chunk, text, sizeof text);
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
        insert.item.pszText = text;
        insert.item.iImage = static_cast<int>(item.Image);
        insert.item.iSelectedImage = static_cast<int>(item.Image);
        insert.item.lParam = item.Chunk;
        insert.item.cChildren = item.HasChildren;
        g_items[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!g_items[i]) return false;
        g_itemsHeld += 1;
    }
    return true;
}

// Puts the children of shape item i into the control, once.
void OpenItem(EditorState* state, int32_t i) {
    int32_t first = g_shape.Items[i].FirstChild;
    if (first < 0 || g_items[first] || !g_items[i]) return;
    InsertSiblings(state, TreeOf(state), g_items[i], first);
}

}  // namespace

bool TreeIsRebuilding() { return g_rebuilding; }

void ClearChunkTree(EditorState* state) {
    HWND tree = TreeOf(state);
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    DeleteAllItems(tree);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

int32_t BuildChunkTree(EditorState* state) {
    HWND tree = TreeOf(state);
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    DeleteAllItems(tree);
    // The shape also resets every node's child counter in the table, which
    // the view requires whether or not items can be made.
    if (BuildTreeShape(state, &g_shape) == 0 && !ReserveHandles(g_shape.ItemCount)) g_shape.ItemCount = 0;
    if (g_shape.ItemCount > 0) InsertSiblings(state, tree, TVI_ROOT, 0);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    return 0;
}

void OpenTreeItem(EditorState* state, const NMTREEVIEWA* notice) {
    if (!(notice->action & TVE_EXPAND)) return;
    int32_t i = ItemOfChunk(&g_shape, static_cast<int32_t>(notice->itemNew.lParam));
    if (i >= 0 && g_items[i] == notice->itemNew.hItem) OpenItem(state, i);
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

void RefreshTreeChunk(EditorState* state, int32_t chunk) {
    char text[kTextSize];
    // An identifier's text is also its node's name.
    bool names = chunk > 0 && chunk < state->ChunkCount && state->Chunks[chunk].Type == kTypeIdentifier &&
                 IsNodeType(state->Chunks[chunk - 1].Type);
    for (int32_t c = names ? chunk - 1 : chunk; c <= chunk; ++c) {
        int32_t i = ItemOfChunk(&g_shape, c);
        if (i < 0 || !g_items[i]) continue;
        FormatTreeItemText(state, c, text, sizeof text);
        TVITEMA update = {};
        update.mask = TVIF_HANDLE | TVIF_TEXT;
        update.hItem = g_items[i];
        update.pszText = text;
        SendMessageA(TreeOf(state), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
    }
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
    // Open the path down to the chunk, outermost first. Nesting is not
    // bounded, so the path is kept on the heap rather than in recursion.
    if (!g_items[found]) {
        int32_t depth = g_shape.Items[found].Depth;
        BusyCursor busy(depth > kManyItems / 2);
        int32_t* path = static_cast<int32_t*>(std::malloc((static_cast<size_t>(depth) + 1) * sizeof(int32_t)));
        if (!path) return -1;
        int32_t n = 0;
        for (int32_t at = g_shape.Items[found].ParentItem; at >= 0 && !g_items[g_shape.Items[at].FirstChild];
             at = g_shape.Items[at].ParentItem)
            path[n++] = at;
        while (n > 0) OpenItem(state, path[--n]);
        std::free(path);
        if (!g_items[found]) return -1;  // the control ran out of memory on the way
    }
    HWND tree = TreeOf(state);
    HTREEITEM handle = g_items[found];
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(handle));
    SetFocus(tree);
    return 0;
}
