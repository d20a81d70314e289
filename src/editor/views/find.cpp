// Find: the search box's text, folded by the code page in use, searched from the selection on or back.
#include "base/editor.h"
#include "display_text.h"
#include "views.h"

void BuildCaseFold(UINT codePage, CaseFold* fold) {
    for (int c = 0; c < 256; ++c) {
        fold->lower[c] = static_cast<uint8_t>(c);
        char byte = static_cast<char>(c);
        WCHAR wide = 0;
        if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &wide, 1) != 1) continue;
        CharLowerBuffW(&wide, 1);
        char lower = 0;
        BOOL lossy = FALSE;
        if (WideCharToMultiByte(codePage, 0, &wide, 1, &lower, 1, nullptr, &lossy) == 1 && !lossy)
            fold->lower[c] = static_cast<uint8_t>(lower);
    }
}

int32_t FindNext(Editor* e, int32_t line, bool backwards) {
    bool tree = e->ShowAsTree;
    int32_t selected = tree ? SelectedTreeChunk(e) : ListLineToChunkIndex(e, line);
    int32_t start = !backwards ? selected + 1 : selected < 0 ? e->Doc.ChunkCount - 1 : selected - 1;
    char text[kTextSize];
    SendToControl(e, IDC_FIND_BOX, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    // The core says "Could not find string." itself; an empty text is no search.
    // Identifiers hidden in the tree are not searched.
    int32_t found = FindNextChunk(&e->Doc, start, text, !(tree && !e->ShowIdentifiers), &e->Fold, backwards);
    if (found < 0) return -1;
    if (tree) {
        SelectTreeChunk(e, found);
        ShowChunkDetail(e, line);
        return line;
    }
    // After a fill line n holds chunk n; the walk is for a list that does not.
    int32_t count = static_cast<int32_t>(SendToControl(e, IDC_CHUNK_LIST, LB_GETCOUNT, 0, 0));
    int32_t at = found < count && ListLineToChunkIndex(e, found) == found ? found : -1;
    for (int32_t l = 0; at < 0 && l < count; ++l)
        if (ListLineToChunkIndex(e, l) == found) at = l;
    if (at < 0) return -1;
    SendToControl(e, IDC_CHUNK_LIST, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
    ShowChunkDetail(e, at);
    SetFocus(ControlOf(e, IDC_CHUNK_LIST));
    return at;
}
