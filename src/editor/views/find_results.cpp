// Find All's list: a results list (base/result_list.h) whose lines are the
// chunks found.

#include <algorithm>
#include <cstdio>

#include "chunk_types.h"
#include "display_text.h"
#include "base/result_list.h"
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
