// Where the dialogs that select chunks open: beside the chunk views, so that
// the chunk they select stays in sight.
#include "base/window_place.h"
#include "views.h"

void PlaceBesideViews(Editor* e, HWND dialog) {
    HWND view = ControlOf(e, e->ShowAsTree ? IDC_CHUNK_TREE : IDC_CHUNK_LIST);
    RECT views = {}, selection = {};
    GetWindowRect(view, &views);
    if (e->ShowAsTree) {
        HTREEITEM item = TreeView_GetSelection(view);
        if (item && TreeView_GetItemRect(view, item, &selection, FALSE))
            MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&selection), 2);
    } else {
        LRESULT line = SendMessageA(view, LB_GETCURSEL, 0, 0);
        if (line >= 0 && SendMessageA(view, LB_GETITEMRECT, static_cast<WPARAM>(line),
                                      reinterpret_cast<LPARAM>(&selection)) != LB_ERR)
            MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&selection), 2);
    }
    PlaceBeside(dialog, e->Window, views, selection);
}
