#include <cstdlib>

#include "app/editor.h"
#include "display_text.h"
#include "views.h"

int32_t FillChunkList(EditorState* state) {
    HWND list = ControlOf(state, IDC_CHUNK_LIST);
    // Quarters of the average character width: the value column starts 20
    // characters in, the index column lies beyond the visible width.
    INT stops[2] = {80, 400};
    SendMessageA(list, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops));
    // One repaint for the whole fill instead of one per line.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_INITSTORAGE, static_cast<WPARAM>(state->ChunkCount),
                 static_cast<LPARAM>(state->ChunkCount) * 32);
    char line[kTextSize];
    for (int32_t i = 0; i < state->ChunkCount; ++i) {
        FormatListLine(state, i, line, sizeof line);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    return 0;
}

int32_t ListLineToChunkIndex(EditorState* state, int32_t line) {
    if (line < 0) return -1;
    HWND list = ControlOf(state, IDC_CHUNK_LIST);
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(line), 0);
    if (length == LB_ERR) return -1;  // not a line of the list: no index to read
    char local[kTextSize];
    char* text = length < kTextSize ? local : static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!text) return -1;
    int32_t index = -1;
    if (SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text)) != LB_ERR)
        index = ChunkIndexFromListLine(text);
    if (text != local) std::free(text);
    return index;
}
