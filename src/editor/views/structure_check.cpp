// The structure check in the editor: the warning on open and the Check
// Structure dialog, whose lines select their places, with its Repair button.
#include "structure_check.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/result_list.h"
#include "base/window_place.h"
#include "chunk_path.h"
#include "document.h"
#include "tree_check.h"
#include "views.h"

namespace {

// The check's places, named as dtbtool check names them: by number and path.
struct Faults {
    const Document* Doc = nullptr;
    PathIndex Paths = {};
    bool HasPaths = false;
    std::vector<CountFault> All;

    explicit Faults(const Document* doc) : Doc(doc) {}
    ~Faults() {
        if (HasPaths) FreePathIndex(&Paths);
    }
    Faults(const Faults&) = delete;
    Faults& operator=(const Faults&) = delete;

    // The number of places, or -1 when the check could not be made (reported).
    int32_t Check() {
        int32_t count = CheckTreeCounts(Doc, Add, this);
        HasPaths = count > 0 && BuildPathIndex(Doc, &Paths) == 0;
        return count;
    }
    std::string Line(size_t k) const {
        char line[kMessageSize];
        FormatCountFault(Doc, HasPaths ? &Paths : nullptr, &All[k], line, sizeof line);
        return line;
    }
    static void Add(void* context, const CountFault* fault) { static_cast<Faults*>(context)->All.push_back(*fault); }
};

struct StructureDialog {
    Editor* E;
    Faults F;
};

void FillCell(const void* owner, LVITEMA* item) {
    const Faults& f = static_cast<const StructureDialog*>(owner)->F;
    if (item->iItem < 0 || static_cast<size_t>(item->iItem) >= f.All.size()) return;
    std::snprintf(item->pszText, static_cast<size_t>(item->cchTextMax), "%s",
                  f.Line(static_cast<size_t>(item->iItem)).c_str());
}

// The place of a line selected in the main window, the keys left here.
void GoToPlace(HWND dialog, StructureDialog* d, int32_t line) {
    if (line < 0 || static_cast<size_t>(line) >= d->F.All.size()) return;
    KeepKeys keep(dialog);
    ShowChunk(d->E, d->F.All[static_cast<size_t>(line)].Chunk);
}

BOOL InitStructureDialog(HWND dialog, StructureDialog* d) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    int32_t faults = d->F.Check();
    char summary[kMessageSize];
    if (faults == 0) {
        std::snprintf(summary, sizeof summary, "The child counts agree with the chunks: nothing to repair.");
    } else if (faults > 0) {
        std::snprintf(summary, sizeof summary,
                      "%d %s where the child counts disagree with the chunks. Repair sets the counts to what the "
                      "chunks hold%s. A double-click on a place selects it.",
                      faults, faults == 1 ? "place" : "places",
                      d->E->Doc.ReadOnly ? " (not in a file open read-only)" : "; Undo takes it back");
    } else {
        std::snprintf(summary, sizeof summary, "The structure could not be checked.");
    }
    SetDlgItemTextA(dialog, IDC_STRUCTURE_SUMMARY, summary);
    HWND list = GetDlgItem(dialog, IDC_STRUCTURE_LIST);
    static const char* const kColumns[] = {"Place"};
    static const int kPercents[] = {96};
    AddResultColumns(dialog, list, 250, kColumns, kPercents, 1);  // the list's width in the template
    int32_t lines = static_cast<int32_t>(d->F.All.size());
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(lines), 0);
    if (lines > 0) FitResultColumns(list, 1, lines, FillCell, d);
    EnableWindow(GetDlgItem(dialog, IDC_REPAIR), faults > 0 && !d->E->Doc.ReadOnly);
    return TRUE;
}

INT_PTR CALLBACK StructureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitStructureDialog(dialog, reinterpret_cast<StructureDialog*>(lParam));
    StructureDialog* d = reinterpret_cast<StructureDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!d) return FALSE;
    HWND list = GetDlgItem(dialog, IDC_STRUCTURE_LIST);
    switch (message) {
    case WM_COMMAND:
        // Enter (IDOK: the dialog has no default button) on a line goes to its place.
        if (LOWORD(wParam) == IDOK && GetFocus() == list) {
            GoToPlace(dialog, d, SelectedResultLine(list));
        } else if (LOWORD(wParam) == IDC_REPAIR || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            EndDialog(dialog, LOWORD(wParam) == IDC_REPAIR ? IDC_REPAIR : IDCANCEL);
        }
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_STRUCTURE_LIST) return FALSE;
        GoToPlace(dialog, d, ResultListNotice(header, FillCell, d));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

void TellStructureFaults(Editor* e) {
    Faults faults(&e->Doc);
    if (faults.Check() <= 0) return;
    char text[kMessageSize];
    std::snprintf(text, sizeof text,
                  "The child counts of this file disagree with its chunks in %d %s, the first: %s.\n\n"
                  "The tree may show chunks under other nodes than intended. Edit > Check Structure lists every "
                  "place and can repair the counts.",
                  static_cast<int>(faults.All.size()), faults.All.size() == 1 ? "place" : "places",
                  faults.Line(0).c_str());
    TellUser(e, text, MB_ICONWARNING);
}

bool RunStructureCheck(Editor* e) {
    StructureDialog d = {e, Faults(&e->Doc)};
    INT_PTR chosen =
        DialogBoxParamA(e->Instance, "StructureDlg", e->Window, StructureDialogProc, reinterpret_cast<LPARAM>(&d));
    return chosen == IDC_REPAIR && RepairTreeCounts(&e->Doc) > 0;
}
