// Find All's list: a list view of no data of its own, each cell made from
// the chunk table when it is drawn, so a million matches cost a million
// indices and nothing more.

#include <cstdio>

#include "chunk_types.h"
#include "display_text.h"
#include "find_dialog.h"

namespace {

HWND ListOf(const FindReplaceDialog* d) { return GetDlgItem(d->Window, IDC_FIND_RESULTS); }

void FreePaths(FindReplaceDialog* d) {
    if (d->HasPaths) FreePathIndex(&d->Paths);
    d->HasPaths = false;
}

// The cells of a line whose chunk may have moved say nothing rather than
// something wrong.
bool LineIsCurrent(const FindReplaceDialog* d, int32_t line) {
    return d->HasPaths && d->FoundStep == d->E->Doc.History.Steps && line >= 0 &&
           line < static_cast<int32_t>(d->Found.size()) && d->Found[static_cast<size_t>(line)] < d->E->Doc.ChunkCount;
}

void FillCell(const FindReplaceDialog* d, LVITEMA* item) {
    if (!(item->mask & LVIF_TEXT) || item->cchTextMax <= 0) return;
    item->pszText[0] = '\0';
    if (!LineIsCurrent(d, item->iItem)) return;
    const Document* doc = &d->E->Doc;
    int32_t chunk = d->Found[static_cast<size_t>(item->iItem)];
    size_t size = static_cast<size_t>(item->cchTextMax);
    if (item->iSubItem == 0) {
        FormatChunkPath(doc, &d->Paths, chunk, item->pszText, size);
    } else if (item->iSubItem == 1) {
        const char* label = LabelOfType(doc->Chunks[chunk].Type);
        std::snprintf(item->pszText, size, "%s", label ? label : "");
    } else {
        FormatChunkText(doc, chunk, item->pszText, size, "", false);
    }
}

}  // namespace

void InitFoundList(FindReplaceDialog* d) {
    HWND list = ListOf(d);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    static const char* const kColumns[] = {"Path", "Type", "Value"};
    RECT box = {0, 0, 316, 0};  // the list's width in the template, in dialog units
    MapDialogRect(d->Window, &box);
    const int widths[] = {box.right * 45 / 100, box.right * 22 / 100, box.right * 30 / 100};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(kColumns[c]);
        column.cx = widths[c];
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
}

bool ShowFoundList(FindReplaceDialog* d) {
    FreePaths(d);
    d->HasPaths = BuildPathIndex(&d->E->Doc, &d->Paths) == 0;
    d->FoundStep = d->E->Doc.History.Steps;
    if (!d->HasPaths) d->Found.clear();
    SendMessageA(ListOf(d), LVM_SETITEMCOUNT, d->Found.size(), 0);
    InvalidateRect(ListOf(d), nullptr, TRUE);
    return d->HasPaths;
}

void ClearFoundList(FindReplaceDialog* d) {
    d->Found.clear();
    d->Found.shrink_to_fit();
    FreePaths(d);
    SendMessageA(ListOf(d), LVM_SETITEMCOUNT, 0, 0);
}

int32_t SelectedFoundChunk(FindReplaceDialog* d) {
    int32_t line = static_cast<int32_t>(SendMessageA(ListOf(d), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return LineIsCurrent(d, line) ? d->Found[static_cast<size_t>(line)] : -1;
}

LRESULT FoundListNotice(FindReplaceDialog* d, const NMHDR* header, int32_t* chunk) {
    *chunk = -1;
    switch (header->code) {
    case LVN_GETDISPINFOA:
        FillCell(d, &reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item);
        return 0;
    case NM_DBLCLK:  // some lists tell a double-click only this way, others also as an activation
    case LVN_ITEMACTIVATE: {
        int32_t line = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
        if (LineIsCurrent(d, line)) *chunk = d->Found[static_cast<size_t>(line)];
        return 0;
    }
    default:
        return 0;
    }
}
