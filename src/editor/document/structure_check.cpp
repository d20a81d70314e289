// The structure check in the editor: the warning on open and the Check
// Structure dialog with its Repair button.
#include "document/structure_check.h"

#include <cstdio>
#include <string>

#include "report.h"
#include "tree_check.h"

namespace {

// The check's lines as the dialog shows them (the same lines dtbtool check
// prints), and the first alone for the warning on open.
struct FaultLines {
    std::string all;
    std::string first;
    int32_t count = 0;
};

void AddFault(void* context, const CountFault* fault) {
    FaultLines& lines = *static_cast<FaultLines*>(context);
    char line[160];
    FormatCountFault(fault, line, sizeof line);
    if (lines.count++ == 0) lines.first = line;
    lines.all += line;
    lines.all += "\r\n";
}

INT_PTR CALLBACK StructureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const Editor* e = reinterpret_cast<const Editor*>(lParam);
        FaultLines lines;
        int32_t faults = CheckTreeCounts(&e->Doc, AddFault, &lines);
        char summary[kMessageSize];
        if (faults == 0) {
            std::snprintf(summary, sizeof summary, "The child counts agree with the chunks: nothing to repair.");
        } else if (faults > 0) {
            std::snprintf(summary, sizeof summary,
                          "%d %s where the child counts disagree with the chunks. Repair sets the counts to what the "
                          "chunks hold%s.",
                          faults, faults == 1 ? "place" : "places",
                          e->Doc.ReadOnly ? " (not in a file open read-only)" : "; Undo takes it back");
        } else {
            std::snprintf(summary, sizeof summary, "The structure could not be checked.");
        }
        SetDlgItemTextA(dialog, IDC_STRUCTURE_SUMMARY, summary);
        SetDlgItemTextA(dialog, IDC_STRUCTURE_LIST, lines.all.c_str());
        EnableWindow(GetDlgItem(dialog, IDC_REPAIR), faults > 0 && !e->Doc.ReadOnly);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_REPAIR || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            EndDialog(dialog, LOWORD(wParam) == IDC_REPAIR ? IDC_REPAIR : IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void TellStructureFaults(Editor* e) {
    FaultLines lines;
    if (CheckTreeCounts(&e->Doc, AddFault, &lines) <= 0) return;
    char text[kMessageSize];
    std::snprintf(text, sizeof text,
                  "The child counts of this file disagree with its chunks in %d %s, the first: %s.\n\n"
                  "The tree may show chunks under other nodes than intended. Edit > Check Structure lists every "
                  "place and can repair the counts.",
                  lines.count, lines.count == 1 ? "place" : "places", lines.first.c_str());
    TellUser(e, text, MB_ICONWARNING);
}

bool RunStructureCheck(Editor* e) {
    INT_PTR chosen =
        DialogBoxParamA(e->Instance, "StructureDlg", e->Window, StructureDialogProc, reinterpret_cast<LPARAM>(e));
    return chosen == IDC_REPAIR && RepairTreeCounts(&e->Doc) > 0;
}
