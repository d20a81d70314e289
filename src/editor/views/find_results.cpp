// Find All's list, and what it shares with the Compare window's: a list view
// of no data of its own, each cell made from the chunk table when it is
// drawn, so a million lines cost a million indices and nothing more.

#include <algorithm>
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

void FillCell(const void* owner, LVITEMA* item) {
    const FindReplaceDialog* d = static_cast<const FindReplaceDialog*>(owner);
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
        FormatChunkText(doc, chunk, item->pszText, size, "", false, true);
    }
}

}  // namespace

void AddResultColumns(HWND dialog, HWND list, int widthUnits, const char* const* names, const int* percents,
                      int count) {
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT box = {0, 0, widthUnits, 0};
    MapDialogRect(dialog, &box);
    for (int c = 0; c < count; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(names[c]);
        column.cx = box.right * percents[c] / 100;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
}

void FitResultColumns(HWND list, int columns, int32_t lines, void (*fill)(const void* owner, LVITEMA* item),
                      const void* owner) {
    // A million lines are not all measured: the first ones tell the widths.
    const int32_t kMeasured = 1000;
    const int kPadding = 16;  // the list's margins either side of a cell's text
    RECT client;
    GetClientRect(list, &client);
    const int bound = client.right * 2 / 5;
    char text[kTextSize];
    for (int c = 0; c < columns; ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        text[0] = '\0';
        SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
        const int title = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
        int widest = title;
        for (int32_t k = 0; k < lines && k < kMeasured; ++k) {
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = k;
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            text[0] = '\0';
            fill(owner, &item);
            widest = std::max(
                widest, static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text))));
        }
        int width = std::max(std::min(widest, bound), title) + kPadding;
        SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), MAKELPARAM(width, 0));
    }
}

int32_t ResultListNotice(const NMHDR* header, void (*fill)(const void* owner, LVITEMA* item), const void* owner) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        LVITEMA* item = &reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item;
        if (!(item->mask & LVIF_TEXT) || item->cchTextMax <= 0) return -1;
        item->pszText[0] = '\0';
        fill(owner, item);
        return -1;
    }
    case NM_DBLCLK:  // some lists tell a double-click only this way, others also as an activation
    case LVN_ITEMACTIVATE:
        return reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    default:
        return -1;
    }
}

int32_t SelectedResultLine(HWND list) {
    return static_cast<int32_t>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void InitFoundList(FindReplaceDialog* d) {
    static const char* const kColumns[] = {"Path", "Type", "Value"};
    static const int kPercents[] = {45, 22, 30};
    AddResultColumns(d->Window, ListOf(d), 316, kColumns, kPercents, 3);  // the list's width in the template
}

bool ShowFoundList(FindReplaceDialog* d) {
    FreePaths(d);
    d->HasPaths = BuildPathIndex(&d->E->Doc, &d->Paths) == 0;
    d->FoundStep = d->E->Doc.History.Steps;
    if (!d->HasPaths) d->Found.clear();
    SendMessageA(ListOf(d), LVM_SETITEMCOUNT, d->Found.size(), 0);
    InvalidateRect(ListOf(d), nullptr, TRUE);
    if (!d->Found.empty()) FitResultColumns(ListOf(d), 3, static_cast<int32_t>(d->Found.size()), FillCell, d);
    return d->HasPaths;
}

void ClearFoundList(FindReplaceDialog* d) {
    d->Found.clear();
    d->Found.shrink_to_fit();
    FreePaths(d);
    SendMessageA(ListOf(d), LVM_SETITEMCOUNT, 0, 0);
}

int32_t SelectedFoundChunk(FindReplaceDialog* d) {
    int32_t line = SelectedResultLine(ListOf(d));
    return LineIsCurrent(d, line) ? d->Found[static_cast<size_t>(line)] : -1;
}

LRESULT FoundListNotice(FindReplaceDialog* d, const NMHDR* header, int32_t* chunk) {
    int32_t line = ResultListNotice(header, FillCell, d);
    *chunk = LineIsCurrent(d, line) ? d->Found[static_cast<size_t>(line)] : -1;
    return 0;
}
