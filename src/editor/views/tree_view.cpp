// The tree view control, filled lazily from the core's tree shape: the
// control holds the top level and the children of every node the user (or
// a selection) has opened, nothing more, so a document of any size shows at
// the cost of its top level. The control is never walked: Wine's tree view
// checks every item handle it is given by a linear search, so the
// shape-to-item table below is what keeps selecting, finding and opening
// linear in what is shown. For the same reason an edit changes only the
// items that differ rather than building the control afresh.
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

// Deletes the items below the top level (all of them with everything): the
// deep ones first, as above. Without a selection no deletion moves it up
// the tree, item by item.
void DeleteItems(TreeModel* model, HWND tree, bool everything) {
    BusyCursor busy(model->Held > kManyItems);
    model->Rebuilding = true;
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    const TreeShape& shape = model->Shape;
    for (int32_t i = shape.ItemCount - 1; i >= 0; --i)
        if (model->Items[i] && shape.Items[i].Depth % kCutDepth == kCutDepth - 1)
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(model->Items[i]));
    if (everything) {
        SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        model->Held = 0;
        model->KeyCount = 0;
        model->Shape.ItemCount = 0;
        model->Shape.TopLevelCount = 0;
    } else {  // closed as in a control built afresh, without the children it held
        for (int32_t i = 0; i >= 0 && i < shape.ItemCount; i = shape.Items[i].NextSibling) {
            int32_t child = shape.Items[i].FirstChild;
            if (child < 0 || !model->Items[child]) continue;
            for (; child >= 0; child = shape.Items[child].NextSibling)
                SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(model->Items[child]));
            TVITEMA closed = {};
            closed.mask = TVIF_HANDLE | TVIF_STATE;
            closed.hItem = model->Items[i];
            closed.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
            SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&closed));
        }
        model->Held = shape.TopLevelCount;
    }
    model->Rebuilding = false;
}

bool ReserveHandles(TreeModel* model, int32_t count) {
    if (count > model->Capacity) {
        void* items = std::realloc(model->Items, static_cast<size_t>(count) * sizeof(HTREEITEM));
        if (items) model->Items = static_cast<HTREEITEM*>(items);
        void* keys = std::realloc(model->Keys, static_cast<size_t>(count) * sizeof(int32_t));
        if (keys) model->Keys = static_cast<int32_t*>(keys);
        if (!items || !keys) return false;
        model->Capacity = count;
    }
    if (count > 0) std::memset(model->Items, 0, static_cast<size_t>(count) * sizeof(HTREEITEM));
    return true;
}

// A new key for an item that shows chunk, or -1 without the memory for one.
int32_t NewKey(TreeModel* model, int32_t chunk) {
    if (model->KeyCount == model->KeyCapacity) {
        int32_t capacity = model->KeyCapacity ? 2 * model->KeyCapacity : 1024;
        void* grown = std::realloc(model->ChunkOfKey, static_cast<size_t>(capacity) * sizeof(int32_t));
        if (!grown) return -1;
        model->ChunkOfKey = static_cast<int32_t*>(grown);
        model->KeyCapacity = capacity;
    }
    model->ChunkOfKey[model->KeyCount] = chunk;
    return model->KeyCount++;
}

// The item of shape item i, put into the control under parent after the
// item after. False when the control or the memory runs out.
bool InsertItem(Editor* e, HWND tree, HTREEITEM parent, HTREEITEM after, int32_t i) {
    TreeModel& model = e->Tree;
    const TreeItem& item = model.Shape.Items[i];
    int32_t key = NewKey(&model, item.Chunk);
    if (key < 0) return false;
    char text[kTextSize];
    FormatTreeItemText(&e->Doc, item.Chunk, text, sizeof text);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text;
    insert.item.iImage = static_cast<int>(item.Image);
    insert.item.iSelectedImage = static_cast<int>(item.Image);
    insert.item.lParam = key;
    insert.item.cChildren = item.HasChildren;
    model.Items[i] = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    model.Keys[i] = key;
    model.Held += model.Items[i] != nullptr;
    return model.Items[i] != nullptr;
}

// Appends the items of a sibling run, first to last, under parent (TVI_ROOT
// for the top level). False when the control runs out of memory.
bool InsertSiblings(Editor* e, HWND tree, HTREEITEM parent, int32_t first) {
    for (int32_t i = first; i >= 0; i = e->Tree.Shape.Items[i].NextSibling)
        if (!InsertItem(e, tree, parent, TVI_LAST, i)) return false;
    return true;
}

// Where a top-level chunk of the table before the splice stands after it;
// -1 for one that went.
int32_t MovedChunk(const Splice& s, int32_t chunk) {
    if (s.Kind != SpliceRun || chunk < s.At) return chunk;
    return chunk >= s.At + s.Removed ? chunk + s.Inserted - s.Removed : -1;
}

// The control brought to what a build afresh would make of the edited table,
// changing only what differs: the opened nodes close without their
// children, the top-level items that went are deleted and the new ones put
// in, and every other item keeps its place, its key (now for its moved
// chunk) and its text. False, with the control to be built afresh, when
// the top level does not follow the splice.
bool FollowSplice(Editor* e, HWND tree, const Splice& s) {
    TreeModel& model = e->Tree;
    const int32_t count = model.Shape.TopLevelCount;
    struct Top {
        int32_t chunk, key;
        HTREEITEM item;
    };
    Top* tops = static_cast<Top*>(std::malloc(static_cast<size_t>(count > 0 ? count : 1) * sizeof(Top)));
    if (!tops) return false;
    int32_t n = 0;
    for (int32_t i = 0; i >= 0 && i < model.Shape.ItemCount; i = model.Shape.Items[i].NextSibling)
        tops[n++] = {MovedChunk(s, model.Shape.Items[i].Chunk), model.Keys[i], model.Items[i]};
    DeleteItems(&model, tree, false);
    bool follows = n == count && BuildTreeShape(&e->Doc, e->ShowIdentifiers, &model.Shape) == 0 &&
                   ReserveHandles(&model, model.Shape.ItemCount);
    HTREEITEM after = TVI_FIRST;
    int32_t k = 0, edited = -1;  // edited: the last top-level item before the splice, which may be its node
    for (int32_t i = 0; follows && i >= 0 && i < model.Shape.ItemCount; i = model.Shape.Items[i].NextSibling) {
        const int32_t chunk = model.Shape.Items[i].Chunk;
        if (s.Kind == SpliceRun && chunk < s.At) edited = i;
        for (; k < n && tops[k].chunk < chunk; ++k) {  // gone, as only a chunk of the splice may be
            follows = tops[k].chunk < 0;
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(tops[k].item));
        }
        if (k < n && tops[k].chunk == chunk) {
            model.Items[i] = tops[k].item;
            model.Keys[i] = tops[k].key;
            model.ChunkOfKey[tops[k++].key] = chunk;
        } else {
            follows = follows && InsertItem(e, tree, TVI_ROOT, after, i);
        }
        after = model.Items[i];
    }
    for (; follows && k < n; ++k) {
        follows = tops[k].chunk < 0;
        SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(tops[k].item));
    }
    std::free(tops);
    model.Held = model.Shape.TopLevelCount;
    if (follows && edited >= 0) RefreshTreeChunk(e, model.Shape.Items[edited].Chunk);  // its name may be what changed
    return follows;
}

// Puts the children of shape item i into the control, once.
void OpenItem(Editor* e, int32_t i) {
    HTREEITEM* items = e->Tree.Items;
    int32_t first = e->Tree.Shape.Items[i].FirstChild;
    if (first < 0 || items[first] || !items[i]) return;
    InsertSiblings(e, TreeOf(e), items[i], first);
}

void BuildAfresh(Editor* e, HWND tree) {
    TreeModel& model = e->Tree;
    DeleteItems(&model, tree, true);
    if (BuildTreeShape(&e->Doc, e->ShowIdentifiers, &model.Shape) != 0 ||
        !ReserveHandles(&model, model.Shape.ItemCount))
        model.Shape.ItemCount = 0;
    if (model.Shape.ItemCount > 0) InsertSiblings(e, tree, TVI_ROOT, 0);
}

}  // namespace

void ClearChunkTree(Editor* e) {
    HWND tree = TreeOf(e);
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    DeleteItems(&e->Tree, tree, true);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

void BuildChunkTree(Editor* e) {
    HWND tree = TreeOf(e);
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    BuildAfresh(e, tree);
    e->Tree.SyncedStep = e->Doc.History.Steps;
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

void FollowChunkTree(Editor* e) {
    HWND tree = TreeOf(e);
    const Journal& journal = e->Doc.History;
    SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
    // Keys of items long gone pile up with every edit: now and then the
    // control is built afresh, which starts them anew.
    const Splice same = {SpliceNone, 0, 0, 0};
    const uint32_t synced = e->Tree.SyncedStep;
    bool follows = e->Tree.KeyCount < 4 * e->Tree.Held + 65536;
    if (journal.Steps == synced) {  // no record came or went: values or counts changed at most
        follows = follows && FollowSplice(e, tree, same);
    } else {
        follows = follows && journal.Steps == synced + 1 && journal.Last.Kind == SpliceRun &&
                  FollowSplice(e, tree, journal.Last);
    }
    if (!follows) BuildAfresh(e, tree);
    e->Tree.SyncedStep = journal.Steps;
    // Scrolled to the start, as a control built afresh is.
    HTREEITEM first = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (first) SendMessageA(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(first));
    SendMessageA(tree, WM_HSCROLL, SB_LEFT, 0);
    SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
}

void FreeTreeModel(TreeModel* tree) {
    FreeTreeShape(&tree->Shape);
    std::free(tree->Items);
    std::free(tree->Keys);
    std::free(tree->ChunkOfKey);
    *tree = TreeModel();
}

int32_t TreeItemChunk(const Editor* e, LPARAM data) {
    return data >= 0 && data < e->Tree.KeyCount ? e->Tree.ChunkOfKey[data] : -1;
}

void OpenTreeItem(Editor* e, const NMTREEVIEWA* notice) {
    if (!(notice->action & TVE_EXPAND)) return;
    int32_t i = ItemOfChunk(&e->Tree.Shape, TreeItemChunk(e, notice->itemNew.lParam));
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
    return TreeItemChunk(e, item.lParam);
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
