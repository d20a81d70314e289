// A chunk dragged in the tree with the left button: the main window holds
// the mouse from the tree's notice to the drop, shows where the chunk would
// land (a line between items, or the node that takes it highlighted), opens
// a closed node held over for a moment and scrolls near the edges. The move
// or copy itself is the core's, one change like any other edit.
#include <cstring>

#include "chunk_types.h"
#include "editing.h"
#include "tree_move.h"
#include "views/views.h"

namespace {

const UINT_PTR kDragTimer = 0x4452;  // the edge scroll and the opening of a node held over
const UINT kDragTick = 100;          // milliseconds between two scroll steps
const DWORD kOpenAfter = 700;        // milliseconds over a closed node before it opens

HWND TreeOf(Editor* e) { return ControlOf(e, IDC_CHUNK_TREE); }

int32_t ChunkOfItem(Editor* e, HTREEITEM item) {
    TVITEMA it = {};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    if (!item || !SendMessageA(TreeOf(e), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return -1;
    return TreeItemChunk(e, it.lParam);
}

bool IsOpen(HWND tree, HTREEITEM item) {
    return SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED;
}

HTREEITEM FirstChildItem(HWND tree, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
}

// Where a drop at point (tree's client) puts the chunk: the upper or lower
// third of an item before or after it, the middle of a node its last child.
// Below an open node the chunk goes first inside it, where the line shows.
// The item the line or the highlight is drawn at comes back in *shown.
void DropPlaceAt(Editor* e, POINT point, HTREEITEM* shown, bool* after) {
    TreeDrag& d = e->Drag;
    HWND tree = TreeOf(e);
    TVHITTESTINFO hit = {};
    hit.pt = point;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    d.Target = ChunkOfItem(e, item);
    *shown = item;
    *after = false;
    if (d.Target < 0) return;
    RECT row = {};
    memcpy(&row, &item, sizeof item);  // the message takes the item in the rectangle
    SendMessageA(tree, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&row));
    const LONG third = (row.bottom - row.top) / 3;
    const bool node = IsNodeType(e->Doc.Chunks[d.Target].Type);
    if (point.y < row.top + third || (!node && point.y < (row.top + row.bottom) / 2)) {
        d.Place = MoveBefore;
    } else if (point.y >= row.bottom - third || !node) {
        *after = true;
        d.Place = MoveAfter;
        if (node && IsOpen(tree, item) && FirstChildItem(tree, item)) {
            d.Place = MoveFirstChild;
            // A named node's name stays first: the line goes below it.
            HTREEITEM name = FirstChildItem(tree, item);
            const int32_t first = ChunkOfItem(e, name);
            if (first == d.Target + 1 && e->Doc.Chunks[first].Type == kTypeIdentifier) *shown = name;
        }
    } else {
        d.Place = MoveLastChild;
    }
}

HCURSOR CopyDragCursor(Editor* e) {
    if (!e->Drag.CopyArrow) e->Drag.CopyArrow = LoadCursorA(e->Instance, "COPY_DRAG");
    return e->Drag.CopyArrow;
}

// Whether the core takes the chunk where the cursor is: a copy goes
// anywhere an insertion could, a move nowhere inside its own subtree.
bool DropAllowed(Editor* e, bool copy) {
    const TreeDrag& d = e->Drag;
    const MovePlace place = static_cast<MovePlace>(d.Place);
    if (d.Target < 0) return false;
    return !(copy ? WhyNotCopy(&e->Doc, d.Chunk, d.Target, place) : WhyNotMove(&e->Doc, d.Chunk, d.Target, place));
}

void ShowDropPlace(Editor* e, HTREEITEM shown, bool after, bool allowed) {
    HWND tree = TreeOf(e);
    const bool into = allowed && e->Drag.Place == MoveLastChild;
    const bool line = allowed && !into;
    SendMessageA(tree, TVM_SETINSERTMARK, after, reinterpret_cast<LPARAM>(line ? shown : nullptr));
    SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(into ? shown : nullptr));
}

// Opens the closed node the cursor has rested on for a moment, and scrolls
// the tree a line when the cursor is near its top or bottom edge.
void OpenAndScroll(Editor* e, POINT point) {
    HWND tree = TreeOf(e);
    TreeDrag& d = e->Drag;
    TVHITTESTINFO hit = {};
    hit.pt = point;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item != d.Over) {
        d.Over = item;
        d.OverSince = GetTickCount();
    } else if (item && !IsOpen(tree, item) && GetTickCount() - d.OverSince >= kOpenAfter) {
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    }
    RECT client = {};
    GetClientRect(tree, &client);
    const LONG edge = static_cast<LONG>(SendMessageA(tree, TVM_GETITEMHEIGHT, 0, 0));
    if (point.y < client.top + edge) SendMessageA(tree, WM_VSCROLL, SB_LINEUP, 0);
    if (point.y >= client.bottom - edge) SendMessageA(tree, WM_VSCROLL, SB_LINEDOWN, 0);
}

void EndDrag(Editor* e) {
    HWND tree = TreeOf(e);
    e->Drag.Active = false;  // before the capture goes: its notice finds the drag over
    KillTimer(e->Window, kDragTimer);
    SendMessageA(tree, TVM_SETINSERTMARK, FALSE, 0);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    if (GetCapture() == e->Window) ReleaseCapture();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace

bool BeginTreeDrag(Editor* e, const NMTREEVIEWA* notice) {
    const int32_t chunk = TreeItemChunk(e, notice->itemNew.lParam);
    if (chunk < 0 || !e->ShowIdentifiers || e->Drag.Active) return false;
    TreeDrag& d = e->Drag;
    d.Active = true;
    d.Chunk = chunk;
    d.Target = -1;
    d.Over = nullptr;
    SetCapture(e->Window);
    SetTimer(e->Window, kDragTimer, kDragTick, nullptr);
    TrackTreeDrag(e);
    return true;
}

void TrackTreeDrag(Editor* e) {
    if (!e->Drag.Active) return;
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(TreeOf(e), &point);
    HTREEITEM shown = nullptr;
    bool after = false;
    DropPlaceAt(e, point, &shown, &after);
    TreeDrag& d = e->Drag;
    d.Copy = GetKeyState(VK_CONTROL) < 0;
    d.Allowed = DropAllowed(e, d.Copy);
    ShowDropPlace(e, shown, after, d.Allowed);
    SetCursor(!d.Allowed ? LoadCursorA(nullptr, IDC_NO) : d.Copy ? CopyDragCursor(e) : LoadCursorA(nullptr, IDC_ARROW));
}

void TreeDragTick(Editor* e) {
    if (!e->Drag.Active) return;
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(TreeOf(e), &point);
    OpenAndScroll(e, point);
    TrackTreeDrag(e);
}

void CancelTreeDrag(Editor* e) {
    if (e->Drag.Active) EndDrag(e);
}

TreeDrag EndTreeDrag(Editor* e) {
    TrackTreeDrag(e);
    const TreeDrag drop = e->Drag;
    if (drop.Active) EndDrag(e);
    return drop;
}

int32_t DropChunk(Editor* e, const TreeDrag& drop) {
    if (!drop.Active || !drop.Allowed) return -1;
    const MovePlace place = static_cast<MovePlace>(drop.Place);
    // Dropped where it stands: nothing changes, and nothing goes into the history.
    if (!drop.Copy && drop.Target == drop.Chunk && (place == MoveBefore || place == MoveAfter)) return -1;
    return drop.Copy ? CopySubtree(&e->Doc, drop.Chunk, drop.Target, place)
                     : MoveSubtree(&e->Doc, drop.Chunk, drop.Target, place);
}

bool TreeDragKey(Editor* e, const MSG* message) {
    if (!e->Drag.Active || message->message < WM_KEYFIRST || message->message > WM_KEYLAST) return false;
    if (message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE)
        CancelTreeDrag(e);
    else
        TrackTreeDrag(e);  // Ctrl pressed or let go: the cursor shows a copy or a move
    return true;
}
