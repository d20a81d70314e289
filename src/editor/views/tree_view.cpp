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
#include <new>
#include <vector>

#include "base/editor.h"
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

// Keys are never given back while items are reused; past this many (against
// the items held) the next edit puts every item in anew with fresh keys.
const int32_t kStaleKeysPerHeld = 4;
const int32_t kStaleKeysAlways = 65536;

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

// Deletes every item: the deep ones first, as above. Without a selection no
// deletion moves it up the tree, item by item.
void DeleteAllItems(TreeModel* model, HWND tree) {
    BusyCursor busy(model->Held > kManyItems);
    model->Rebuilding = true;
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    const TreeShape& shape = model->Shape;
    for (int32_t i = shape.ItemCount() - 1; i >= 0; --i)
        if (model->Items[i] && shape.Items[i].Depth % kCutDepth == kCutDepth - 1)
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(model->Items[i]));
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    model->Held = 0;
    model->KeyCount = 0;
    model->Shape.Items.clear();
    model->Shape.TopLevelCount = 0;
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
    FormatTreeItemText(&e->Doc, item.Chunk, text, sizeof text, true);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text;
    insert.item.iImage = static_cast<int>(item.Image);
    insert.item.iSelectedImage = static_cast<int>(item.Image);
    insert.item.lParam = key;
    insert.item.cChildren = item.HasChildren;
    model.Items[i] =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
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

// Where a chunk of the table before the splice stands after it; -1 for one
// that went, and for every chunk when the splice is not known.
int32_t MovedChunk(const Splice* s, int32_t chunk) {
    if (!s) return -1;
    if (s->Kind == SpliceMove) return ChunkAfterMove(MovedRun{s->At, s->Removed, s->Inserted}, chunk);
    if (s->Kind != SpliceRun || chunk < s->At) return chunk;
    return chunk >= s->At + s->Removed ? chunk + s->Inserted - s->Removed : -1;
}

// A chunk of a run that moved: its item cannot stay where it stands in the
// control, though it stays open when it was.
bool InMovedRun(const Splice* s, int32_t chunk) {
    return s && s->Kind == SpliceMove && chunk >= s->At && chunk < s->At + s->Removed;
}

// An item the control held before the edit, in pre-order.
struct HeldItem {
    int32_t Chunk;  // its chunk after the edit, -1 when gone
    int32_t Key;
    HTREEITEM Handle;
    int32_t Parent;  // index among the held items, -1 at the top level
    int32_t Depth;
    bool HeldChildren;  // its children were put in (it was opened once)
    bool LostChild;     // an item under it went
    int8_t Open;        // expanded: 1, 0, or -1 not yet asked
    int32_t ReusedAs;   // the shape item that keeps it, -1 when it goes
    bool Moved;         // its chunk moved with a run: it cannot keep its place
};

// What the new shape's items become.
enum : uint8_t { kNotHeld = 0, kHeld = 1, kHoldsChildren = 2, kToOpen = 4 };

bool IsOpen(HWND tree, HeldItem* held) {
    if (held->Open < 0)  // asked only of nodes that cannot keep their item: each ask costs a search of the control
        held->Open = (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(held->Handle), TVIS_EXPANDED) &
                      TVIS_EXPANDED) != 0;
    return held->Open != 0;
}

// One edit followed: the items the control held before it, in pre-order,
// and what each item of the new shape becomes. The buffers go with it.
struct FollowedEdit {
    std::vector<HeldItem> Held;
    std::vector<int32_t> HeldOf;     // per new shape item: the held item of its chunk, or -1
    std::vector<uint8_t> Fate;       // per new shape item
    std::vector<int32_t> LastChild;  // per new item holding children: the last one put in so far
};

// The items the control holds, read off the old shape before it goes:
// each with its chunk after the edit, its parent and whether it was opened.
void ReadHeldItems(Editor* e, HWND tree, const Splice* s, bool reuse, FollowedEdit* edit) {
    const TreeModel& model = e->Tree;
    const TreeShape& shape = model.Shape;
    std::vector<int32_t> heldOf(static_cast<size_t>(shape.ItemCount()), -1);  // per old shape item
    for (int32_t i = 0; i < shape.ItemCount(); ++i) {
        if (!model.Items[i]) continue;
        const TreeItem& t = shape.Items[i];
        int32_t parent = t.ParentItem >= 0 ? heldOf[static_cast<size_t>(t.ParentItem)] : -1;
        HeldItem held = {MovedChunk(s, t.Chunk),
                         model.Keys[i],
                         model.Items[i],
                         parent,
                         t.Depth,
                         t.FirstChild >= 0 && model.Items[t.FirstChild] != nullptr,
                         false,
                         -1,
                         -1,
                         InMovedRun(s, t.Chunk)};
        if (!reuse && held.HeldChildren) IsOpen(tree, &held);
        heldOf[static_cast<size_t>(i)] = static_cast<int32_t>(edit->Held.size());
        edit->Held.push_back(held);
    }
}

// Pairs each held item with the new shape's item of its chunk, wherever
// a move took it.
void PairHeldItems(const TreeShape& shape, FollowedEdit* edit) {
    edit->HeldOf.assign(static_cast<size_t>(shape.ItemCount()), -1);
    for (size_t k = 0; k < edit->Held.size(); ++k) {
        int32_t j = edit->Held[k].Chunk >= 0 ? ItemOfChunk(&shape, edit->Held[k].Chunk) : -1;
        if (j >= 0) edit->HeldOf[static_cast<size_t>(j)] = static_cast<int32_t>(k);
    }
}

// Which items of the new shape the control is to hold, which held items
// keep their place (the same chunk under the same parent, not moved), and
// which nodes are to be opened.
void ChooseFates(HWND tree, const TreeShape& shape, bool reuse, FollowedEdit* edit) {
    std::vector<HeldItem>& held = edit->Held;
    std::vector<uint8_t>& fate = edit->Fate;
    for (int32_t j = 0; j < shape.ItemCount(); ++j) {
        const TreeItem& t = shape.Items[j];
        if (t.ParentItem >= 0 && !(fate[static_cast<size_t>(t.ParentItem)] & kHoldsChildren)) continue;
        uint8_t& now = fate[static_cast<size_t>(j)];
        now = kHeld;
        const int32_t k = edit->HeldOf[static_cast<size_t>(j)];
        if (k < 0) continue;
        HeldItem& old = held[static_cast<size_t>(k)];
        int32_t oldParentNow = old.Parent < 0 ? -1 : held[static_cast<size_t>(old.Parent)].ReusedAs;
        bool sameParent = old.Parent < 0 ? t.ParentItem < 0 : oldParentNow >= 0 && oldParentNow == t.ParentItem;
        if (reuse && sameParent && !old.Moved) old.ReusedAs = j;
        if (old.HeldChildren && t.FirstChild >= 0 && (old.ReusedAs == j || IsOpen(tree, &old)))
            now |= kHoldsChildren | (old.ReusedAs == j ? 0 : kToOpen);
    }
}

// What goes: each held item that stays not, with what it holds. The deep
// ones first, cut every kCutDepth levels, then those whose parents stay.
void DeleteGoneItems(TreeModel* model, HWND tree, std::vector<HeldItem>* heldItems) {
    std::vector<HeldItem>& held = *heldItems;
    model->Rebuilding = true;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = held.size(); i-- > 0;) {
            const HeldItem& old = held[i];
            if (old.ReusedAs >= 0) continue;
            bool cut = old.Depth % kCutDepth == kCutDepth - 1;
            bool top = old.Parent < 0 || held[static_cast<size_t>(old.Parent)].ReusedAs >= 0;
            if (pass == 1 && top && old.Parent >= 0) {  // its parent may close with it, asked while it is open
                IsOpen(tree, &held[static_cast<size_t>(old.Parent)]);
                held[static_cast<size_t>(old.Parent)].LostChild = true;
            }
            if (pass == 0 ? cut : top && !cut)
                SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(old.Handle));
        }
    }
    model->Rebuilding = false;
}

// What stays takes its new chunk; what comes is put in after its sibling
// before it. False when the control runs out of memory.
bool PlaceItems(Editor* e, HWND tree, FollowedEdit* edit) {
    TreeModel& model = e->Tree;
    const TreeShape& shape = model.Shape;
    int32_t lastTop = -1;
    int32_t placed = 0;
    for (int32_t j = 0; j < shape.ItemCount(); ++j) {
        if (!edit->Fate[static_cast<size_t>(j)]) continue;
        const TreeItem& t = shape.Items[j];
        edit->LastChild[static_cast<size_t>(j)] = -1;
        int32_t& before = t.ParentItem >= 0 ? edit->LastChild[static_cast<size_t>(t.ParentItem)] : lastTop;
        const int32_t k = edit->HeldOf[static_cast<size_t>(j)];
        if (k >= 0 && edit->Held[static_cast<size_t>(k)].ReusedAs == j) {
            const HeldItem& old = edit->Held[static_cast<size_t>(k)];
            model.Items[j] = old.Handle;
            model.Keys[j] = old.Key;
            model.ChunkOfKey[old.Key] = t.Chunk;
        } else {
            HTREEITEM parent = t.ParentItem >= 0 ? model.Items[t.ParentItem] : TVI_ROOT;
            if (!InsertItem(e, tree, parent, before >= 0 ? model.Items[before] : TVI_FIRST, j)) return false;
        }
        before = j;
        ++placed;
    }
    model.Held = placed;
    return true;
}

// A node whose last child went loses its button and its open state in some
// controls: it is a node all the same, which can be opened, and open still
// when it holds children again. Then the nodes to open are opened.
void OpenNodesAgain(TreeModel* model, HWND tree, FollowedEdit* edit) {
    for (const HeldItem& old : edit->Held) {
        int32_t j = old.ReusedAs;
        if (j < 0 || !old.LostChild) continue;
        uint8_t& fate = edit->Fate[static_cast<size_t>(j)];
        TVITEMA button = {};
        button.mask = TVIF_HANDLE | TVIF_CHILDREN;
        button.hItem = model->Items[j];
        button.cChildren = model->Shape.Items[j].HasChildren;
        if (!(fate & kHoldsChildren)) {
            button.mask |= TVIF_STATE;
            button.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
        }
        SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&button));
        if ((fate & kHoldsChildren) && old.Open == 1) fate |= kToOpen;
    }
    for (int32_t j = 0; j < model->Shape.ItemCount(); ++j)
        if (edit->Fate[static_cast<size_t>(j)] & kToOpen)
            SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(model->Items[j]));
}

// Should the new shape not be had, the caller deletes every item: the
// deep ones go here first, cut as above.
void LetGoOfDeepItems(TreeModel* model, HWND tree, const std::vector<HeldItem>& held) {
    model->Rebuilding = true;
    for (size_t i = held.size(); i-- > 0;)
        if (held[i].Depth % kCutDepth == kCutDepth - 1)
            SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(held[i].Handle));
    model->Rebuilding = false;
    model->Shape.Items.clear();
}

// The control brought to what a build afresh would make of the edited table
// with the same nodes open, as far as they still exist. With reuse, only
// what differs changes: an item whose chunk is still there under the same
// parent keeps its place, its key (now for its moved chunk), its text and
// its state, and the items of the edit come and go. Without it (the keys
// of items long gone have piled up) every item is put in anew and the open
// nodes are opened again. False, with the control to be built afresh, when
// memory runs out.
bool FollowEdit(Editor* e, HWND tree, const Splice* s, bool reuse) {
    TreeModel& model = e->Tree;
    FollowedEdit edit;
    try {
        ReadHeldItems(e, tree, s, reuse, &edit);
    } catch (const std::bad_alloc&) {
        return false;
    }
    BusyCursor busy(edit.Held.size() > static_cast<size_t>(kManyItems));
    if (!reuse) {
        DeleteAllItems(&model, tree);
    } else {
        model.Rebuilding = true;
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, 0);
        model.Rebuilding = false;
    }
    bool shaped = BuildTreeShape(&e->Doc, e->ShowIdentifiers, &model.Shape) == 0 &&
                  ReserveHandles(&model, model.Shape.ItemCount());
    try {
        if (shaped) edit.Fate.assign(static_cast<size_t>(model.Shape.ItemCount()), 0);
        if (shaped) PairHeldItems(model.Shape, &edit);
        if (shaped) edit.LastChild.assign(static_cast<size_t>(model.Shape.ItemCount()), -1);
    } catch (const std::bad_alloc&) {
        shaped = false;
    }
    if (!shaped) {
        if (reuse) LetGoOfDeepItems(&model, tree, edit.Held);
        model.Shape.Items.clear();
        return false;
    }
    ChooseFates(tree, model.Shape, reuse, &edit);
    if (reuse) DeleteGoneItems(&model, tree, &edit.Held);
    if (!PlaceItems(e, tree, &edit)) return false;
    OpenNodesAgain(&model, tree, &edit);
    // The node right before the edit may be named by what it changed.
    if (s && s->Kind == SpliceRun && s->At > 0) RefreshTreeChunk(e, s->At - 1);
    return true;
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
    DeleteAllItems(&model, tree);
    if (BuildTreeShape(&e->Doc, e->ShowIdentifiers, &model.Shape) != 0 ||
        !ReserveHandles(&model, model.Shape.ItemCount()))
        model.Shape.Items.clear();
    if (model.Shape.ItemCount() > 0) InsertSiblings(e, tree, TVI_ROOT, 0);
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
    // A change that moved no record keeps every chunk where it was; one run
    // moved is followed; anything else is not known.
    const Splice same = {SpliceNone, 0, 0, 0};
    const uint32_t synced = e->Tree.SyncedStep;
    const Splice* s =
        journal.Steps == synced ? &same
        : journal.Steps == synced + 1 && (journal.Last.Kind == SpliceRun || journal.Last.Kind == SpliceMove)
            ? &journal.Last
            : nullptr;
    // Keys of items long gone pile up with every edit: now and then every
    // item is put in anew, which starts them afresh.
    bool reuse = s && e->Tree.KeyCount < kStaleKeysPerHeld * e->Tree.Held + kStaleKeysAlways;
    bool follows = FollowEdit(e, tree, s, reuse);
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
        FormatTreeItemText(&e->Doc, c, text, sizeof text, true);
        TVITEMA update = {};
        update.mask = TVIF_HANDLE | TVIF_TEXT;
        update.hItem = e->Tree.Items[i];
        update.pszText = text;
        SendMessageA(TreeOf(e), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
    }
}

// Item by item rather than chunk by chunk: finding a chunk's item is a
// search. Only texts that differ are set: some tree controls lay out every
// item again for each text set, which over a thousand items takes seconds.
void RefreshTreeTexts(Editor* e) {
    const TreeShape& shape = e->Tree.Shape;
    char text[kTextSize], shown[kTextSize];
    for (int32_t i = 0; i < shape.ItemCount(); ++i) {
        if (!e->Tree.Items[i]) continue;
        FormatTreeItemText(&e->Doc, shape.Items[i].Chunk, text, sizeof text, true);
        TVITEMA held = {};
        held.mask = TVIF_HANDLE | TVIF_TEXT;
        held.hItem = e->Tree.Items[i];
        held.pszText = shown;
        held.cchTextMax = sizeof shown;
        if (SendMessageA(TreeOf(e), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&held)) && std::strcmp(shown, text) == 0)
            continue;
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
