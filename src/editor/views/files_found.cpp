// The list of a run over files: a results list (base/result_list.h) whose
// lines are matches (file, path, type, value) and files that could not be
// read or changed; a line's file opens through Open, its chunk selected.

#include <cstdio>
#include <cstring>

#include "base/result_list.h"
#include "base/window_place.h"
#include "chunk_path.h"
#include "chunk_types.h"
#include "display_text.h"
#include "find_in_files.h"
#include "views.h"

namespace {

HWND ListOf(const FindReplaceDialog* d) { return GetDlgItem(d->Window, IDC_FILES_RESULTS); }

// The zero-ended texts from at on: for a match its path, type and value.
const char* Field(const FilesRun* r, size_t at, int k) {
    const char* text = r->Text.data() + at;
    while (k-- > 0) text += std::strlen(text) + 1;
    return text;
}

void FillCell(const void* owner, LVITEMA* item) {
    const FilesRun* r = static_cast<const FindReplaceDialog*>(owner)->Files;
    if (!r) return;
    std::lock_guard<std::mutex> hold(const_cast<FilesRun*>(r)->Lock);
    if (item->iItem < 0 || static_cast<size_t>(item->iItem) >= r->Lines.size()) return;
    const FilesLine& line = r->Lines[static_cast<size_t>(item->iItem)];
    const char* text = "";
    if (item->iSubItem == 0) {
        text = line.File < r->Listing.Files.size() ? r->Listing.Files[line.File].c_str() : "";
    } else if (line.Problem) {
        text = item->iSubItem == 1 ? "(not read or not changed)" : item->iSubItem == 3 ? Field(r, line.At, 0) : "";
    } else {
        text = Field(r, line.At, item->iSubItem - 1);
    }
    std::snprintf(item->pszText, static_cast<size_t>(item->cchTextMax), "%s", text);
}

void Append(FilesRun* r, const char* text) { r->Text.insert(r->Text.end(), text, text + std::strlen(text) + 1); }

// Opens the line's file (through Open, unless it is the file open) and
// selects the chunk its path names.
void Activate(FindReplaceDialog* d, int32_t index) {
    const FilesRun* r = d->Files;
    if (d->Busy || !r || index < 0 || static_cast<size_t>(index) >= r->Lines.size()) return;
    const FilesLine line = r->Lines[static_cast<size_t>(index)];
    if (line.Problem || line.File >= r->Listing.Files.size()) return;
    std::string file = r->Listing.Root + r->Listing.Files[line.File];
    std::string path = Field(r, line.At, 0);
    Editor* e = d->E;
    char full[MAX_PATH * 2], open[MAX_PATH * 2];
    bool same = GetFullPathNameA(file.c_str(), sizeof full, full, nullptr) &&
                GetFullPathNameA(e->Doc.FileName, sizeof open, open, nullptr) && lstrcmpiA(full, open) == 0;
    if (!same) e->OpenPath(e, file.c_str());
    if (!GetFullPathNameA(e->Doc.FileName, sizeof open, open, nullptr) || lstrcmpiA(full, open) != 0) return;
    PathIndex index_ = {};
    if (BuildPathIndex(&e->Doc, &index_) != 0) return;
    char why[kMessageSize];
    int32_t chunk = FindChunkByPath(&e->Doc, &index_, path.c_str(), why, sizeof why);
    FreePathIndex(&index_);
    if (chunk >= 0) ShowChunk(e, chunk);
}

}  // namespace

void InitFilesList(FindReplaceDialog* d) {
    static const char* const kColumns[] = {"File", "Path", "Type", "Value"};
    static const int kPercents[] = {28, 28, 18, 24};
    AddResultColumns(d->Window, ListOf(d), 316, kColumns, kPercents, 4);  // the list's width in the template
}

void ShowFilesLines(FindReplaceDialog* d, size_t lines) {
    HWND list = ListOf(d);
    size_t before = static_cast<size_t>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    SendMessageA(list, LVM_SETITEMCOUNT, lines, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (lines < before || before == 0) InvalidateRect(list, nullptr, TRUE);
}

LRESULT FilesListNotice(FindReplaceDialog* d, const NMHDR* header) {
    int32_t line = ResultListNotice(header, FillCell, d);
    if (line >= 0) {
        KeepKeys keep(d->Window);
        Activate(d, line);
    }
    return 0;
}

void ActivateSelectedFileLine(FindReplaceDialog* d) { Activate(d, SelectedResultLine(ListOf(d))); }

void AddFileLines(FilesRun* r, const FileOutcome& o, uint32_t file) {
    if (o.Failed) {
        std::string reason(o.Messages);
        while (!reason.empty() && reason.back() == '\n') reason.pop_back();
        for (char& c : reason)
            if (c == '\n') c = ' ';
        r->Lines.push_back({file, true, r->Text.size()});
        Append(r, reason.c_str());
        return;
    }
    char text[kTextSize];
    for (int32_t chunk : *o.Found) {
        r->Lines.push_back({file, false, r->Text.size()});
        FormatChunkPath(o.Doc, o.Paths, chunk, text, sizeof text);
        Append(r, text);
        const char* label = LabelOfType(o.Doc->Chunks[chunk].Type);
        Append(r, label ? label : "");
        FormatChunkText(o.Doc, chunk, text, sizeof text, "", false, true);
        Append(r, text);
    }
}
