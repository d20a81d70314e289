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

HWND TreeOf(Editor* e) { return ControlOf(e, IDC_CHUNK_TREE); }

// The control deletes an item's children recursively, a level of the stack
// for every level of the tree, so a deep chain that was opened to its end
// would overflow the stack. The deep items go first, from the deepest up,
// cut every kCutDepth levels: no single deletion then goes deeper than that.
const int32_t kCutDepth = 256;

void DeleteAllItems(TreeModel* model, HWND tree) {
    BusyCursor busy(model->Held > kManyItems);
    model->Rebuilding = true;
    // Without a selection no deletion moves it up the tree, item by item.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    const TreeShape& shape = model->Shape;
    for (int32_t i = shape.ItemCount - 1; i >= 0; --i)
        if (model->Items[i] && shape.Items[i].Depth % kCutDepth == kCutDepth - 1)
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(model->Items[i]));
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    model->Rebuilding = false;
    model->Held = 0;
    model->Shape.ItemCount = 0;
    model->Shape.TopLevelCount = 0;
}

bool ReserveHandles(TreeModel* model, int32_t count) {
    if (count > model->Capacity) {
        void* grown = std::realloc(model->Items, static_cast<size_t>(count) * sizeof(HTREEITEM));
        if (!grown) return false;
        model->Items = static_cast<HTREEITEM*>(grown);
        model->Capacity = count;
    }
    if (count > 0) std::memset(model->Items, 0, static_cast<size_t>(count) * sizeof(HTREEITEM));
    return true;
}

// Appends the items of a sibling run, first to last, under parent (TVI_ROOT
// for the top level). False when the control runs out of memory.
bool InsertSiblings(Editor* e, HWND tree, HTREEITEM parent, int32_t first) {
    TreeModel& model = e->Tree;
    char text[kTextSize];
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    for (int32_t i = first; i >= 0; i = model.Shape.Items[i].NextSibling) {
        const TreeItem& item = model.Shape.Items[i];
        FormatTreeItemText(&e->Doc, item.Chunk, text, sizeof text);
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
        insert.item.pszText = text;
        insert.item.iImage = static_cast<int>(item.Image);
        insert.item.iSelectedImage = static_cast<int>(item.Image);
        insert.item.lParam = item.Chunk;
        insert.item.cChildren = item.HasChildren;
        model.Items[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (!model.Items[i]) return false;
        model.Held += 1;
    }
    return true;
}

// Puts the children of shape item i into the control, once.
void OpenItem(Editor* e, int32_t i) {
    HTREEITEM* items = e->Tree.Items;
    int32_t first = e->Tree.Shape.Items[i].FirstChild;
    if (first < 0 || items[first] || !items[i]) return;
    InsertSiblings(e, TreeOf(e), items[i], first);
}

}  // namespace

void ClearChunkTree(Editor* e) {
    HWND tree = TreeOf(e);
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    DeleteAllItems(&e->Tree, tree);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

void BuildChunkTree(Editor* e) {
    HWND tree = TreeOf(e);
    TreeModel& model = e->Tree;
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    DeleteAllItems(&model, tree);
    if (BuildTreeShape(&e->Doc, e->ShowIdentifiers, &model.Shape) != 0 ||
        !ReserveHandles(&model, model.Shape.ItemCount))
        model.Shape.ItemCount = 0;
    if (model.Shape.ItemCount > 0) InsertSiblings(e, tree, TVI_ROOT, 0);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

void FreeTreeModel(TreeModel* tree) {
    FreeTreeShape(&tree->Shape);
    std::free(tree->Items);
    tree->Items = nullptr;
    tree->Capacity = 0;
}

void OpenTreeItem(Editor* e, const NMTREEVIEWA* notice) {
    if (!(notice->action & TVE_EXPAND)) return;
    int32_t i = ItemOfChunk(&e->Tree.Shape, static_cast<int32_t>(notice->itemNew.lParam));
    if (i >= 0 && e->Tree.Items[i] == notice->itemNew.hItem) OpenItem(e, i);
}

int32_t SelectedTreeChunk(Editor* e) {
    HWND tree = TreeOf(e);
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!selected) return -1;
    TVITEMA item = {};
    item.mask = TVIF_HANDLE | TVIF_PARAM;
    item.hItem = selected;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return static_cast<int32_t>(item.lParam);
}

void RefreshTreeChunk(Editor* e, int32_t chunk) {
    char text[kTextSize];
    // An identifier's text is also its node's name.
    bool names = chunk > 0 && chunk < e->Doc.ChunkCount && e->Doc.Chunks[chunk].Type == kTypeIdentifier &&
                 IsNodeType(e->Doc.Chunks[chunk - 1].Type);
    for (int32_t c = names ? chunk - 1 : chunk; c <= chunk; ++c) {
        int32_t i = ItemOfChunk(&e->Tree.Shape, c);
        if (i < 0 || !e->Tree.Items[i]) continue;
        FormatTreeItemText(&e->Doc, c, text, sizeof text);
        TVITEMA update = {};
        update.mask = TVIF_HANDLE | TVIF_TEXT;
        update.hItem = e->Tree.Items[i];
        update.pszText = text;
        SendMessageA(TreeOf(e), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
    }
}

int32_t SelectedTreeChunkAndParent(Editor* e, int32_t* parent) {
    *parent = -1;
    int32_t chunk = SelectedTreeChunk(e);
    int32_t item = ItemOfChunk(&e->Tree.Shape, chunk);
    if (item < 0) return -1;  // an item the shape does not know is no selection to edit at
    *parent = e->Tree.Shape.Items[item].Parent;
    return chunk;
}

bool SelectTreeChunk(Editor* e, int32_t chunk) {
    const TreeShape& shape = e->Tree.Shape;
    HTREEITEM* items = e->Tree.Items;
    int32_t found = ItemOfChunk(&shape, chunk);
    if (found < 0) return false;
    // Open the path down to the chunk, outermost first. Nesting is not
    // bounded, so the path is kept on the heap rather than in recursion.
    if (!items[found]) {
        int32_t depth = shape.Items[found].Depth;
        BusyCursor busy(depth > kManyItems / 2);
        int32_t* path = static_cast<int32_t*>(std::malloc((static_cast<size_t>(depth) + 1) * sizeof(int32_t)));
        if (!path) return false;
        int32_t n = 0;
        for (int32_t at = shape.Items[found].ParentItem; at >= 0 && !items[shape.Items[at].FirstChild];
             at = shape.Items[at].ParentItem)
            path[n++] = at;
        while (n > 0) OpenItem(e, path[--n]);
        std::free(path);
        if (!items[found]) return false;  // the control ran out of memory on the way
    }
    HWND tree = TreeOf(e);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[found]));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items[found]));
    SetFocus(tree);
    return true;
}
