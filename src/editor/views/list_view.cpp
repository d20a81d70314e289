// The list view: a list box that stores nothing (no-data, owner-drawn).
// Line n is chunk n; its text is made when the line is drawn or read, so
// filling the list costs the same for ten chunks as for a million.
#include <cstring>

#include "base/editor.h"
#include "chunk_types.h"
#include "display_text.h"
#include "views.h"

namespace {

HWND ListOf(Editor* e) { return ControlOf(e, IDC_CHUNK_LIST); }

bool IsLine(HWND list, WPARAM line) {
    return static_cast<LONG_PTR>(line) >= 0 && static_cast<LRESULT>(line) < SendMessageA(list, LB_GETCOUNT, 0, 0);
}

// The line as shown and as read: at most kTextSize - 1 characters, a long
// value cut, the index at the end never. Returns its length.
int32_t ShownLine(Editor* e, int32_t line, char (&text)[kTextSize]) {
    int32_t length = FormatListLine(&e->Doc, line, text, sizeof text, true);
    return length < kTextSize ? length : kTextSize - 1;
}

// A list of no data has no text to give, so its lines are read as they are
// drawn: whoever asks (the views, a screen reader, a test) gets the line.
LRESULT CALLBACK ChunkListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* e = EditorOf(GetParent(list));
    if (message == LB_GETTEXTLEN || message == LB_GETTEXT) {
        if (!IsLine(list, wParam)) return LB_ERR;
        char text[kTextSize];
        int32_t length = ShownLine(e, static_cast<int32_t>(wParam), text);
        // LB_GETTEXT's buffer holds LB_GETTEXTLEN characters and the zero.
        if (message == LB_GETTEXT) std::memcpy(reinterpret_cast<char*>(lParam), text, static_cast<size_t>(length) + 1);
        return length;
    }
    return CallWindowProcA(e->ListProc, list, message, wParam, lParam);
}

}  // namespace

void InitChunkList(Editor* e) {
    HWND list = ListOf(e);
    // Quarters of the average character width: the value column starts 20
    // characters in, the index column lies beyond the visible width.
    RECT stops = {80, 0, 400, 0};
    MapDialogRect(e->Window, &stops);
    e->TabStops[0] = stops.left;
    e->TabStops[1] = stops.right;
    e->ListProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ChunkListProc)));
}

void MeasureChunkListLine(HWND window, MEASUREITEMSTRUCT* measure) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    measure->itemHeight = static_cast<UINT>(metrics.tmHeight);
}

void DrawChunkListLine(Editor* e, const DRAWITEMSTRUCT* draw) {
    HDC dc = draw->hDC;
    const RECT& area = draw->rcItem;
    // The focus rectangle is drawn by inverting: a focus change alone
    // inverts it again, which also takes it off the line that lost it.
    if (draw->itemAction == ODA_FOCUS) {
        DrawFocusRect(dc, &area);
        return;
    }
    if (static_cast<int>(draw->itemID) >= 0) {
        bool selected = (draw->itemState & ODS_SELECTED) != 0;
        FillRect(dc, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        // Only the first two columns can show; a cut line still shows them whole.
        char line[kTextSize];
        int32_t length = ShownLine(e, static_cast<int32_t>(draw->itemID), line);
        TabbedTextOutA(dc, area.left + 1, area.top, line, length, 2, e->TabStops, area.left + 1);
    }
    if (draw->itemState & ODS_FOCUS) DrawFocusRect(dc, &area);
}

void FillChunkList(Editor* e) {
    HWND list = ListOf(e);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_SETCOUNT, static_cast<WPARAM>(e->Doc.ChunkCount), 0);
    InvalidateRect(list, nullptr, TRUE);
}

void RedrawChunkListLine(Editor* e, int32_t line) {
    RECT area;
    HWND list = ListOf(e);
    if (SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&area)) != LB_ERR)
        InvalidateRect(list, &area, TRUE);
}

int32_t ListLineForLetter(Editor* e, char letter, int32_t current) {
    // CharLowerA lower-cases a single character passed in place of the text.
    auto lower = [](char c) {
        return reinterpret_cast<uintptr_t>(
            CharLowerA(reinterpret_cast<char*>(static_cast<uintptr_t>(static_cast<uint8_t>(c)))));
    };
    uintptr_t wanted = lower(letter);
    int32_t count = e->Doc.ChunkCount;
    // A line starts with its type's label, so only the types are looked at.
    for (int32_t step = 1; step <= count; ++step) {
        int32_t line = (current + step) % count;
        const char* label = LabelOfType(e->Doc.Chunks[line].Type);
        if (label && lower(label[0]) == wanted) return line;
    }
    return -2;
}

int32_t ListLineToChunkIndex(Editor* e, int32_t line) {
    if (line < 0) return -1;
    char text[kTextSize];
    if (SendMessageA(ListOf(e), LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text)) == LB_ERR)
        return -1;  // not a line of the list: no index to read
    return ChunkIndexFromListLine(text);
}
