// The "Insert Chunk..." dialog: where a chunk goes relative to the tree's
// selection and, unless a paste only asks where, its type and Data/ID text.
// The dialog changes nothing in the document; its caller places the chunk
// once it has closed with OK.
#include <cstring>

#include "app/editor.h"
#include "app/message_box.h"
#include "app/shell.h"
#include "editing.h"
#include "report.h"
#include "tree_edit.h"
#include "views/value_forms.h"

namespace {

const UINT kRefusalFlags = MB_OK | MB_ICONINFORMATION;

void Enable(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// A parent at 65535 children takes no more: said while the user can still
// choose another place, in a box owned by the dialog.
bool TargetIsFull(HWND dialog, const InsertRequest* request) {
    int32_t index = 0;
    int32_t parent = -1;
    // Whichever way identifiers are shown, the place has the same parent.
    if (ChooseTarget(request->Editor, request->Selected, request->SelectedParent, request->Location, true, &index,
                     &parent) != 0)
        return false;  // no such place: the placement refuses it
    if (ParentCount(request->Editor, parent) < kMostChildren) return false;
    ShowMessageBox(dialog, kParentFullMessage, kProgramTitle, kRefusalFlags);
    return true;
}

}  // namespace

void InitInsertDialog(HWND dialog, InsertRequest* request) {
    uint32_t offered = request->Location;
    Enable(dialog, IDC_INSERT_UNDER, offered & LocationUnder);
    Enable(dialog, IDC_INSERT_BEFORE, offered & LocationBefore);
    Enable(dialog, IDC_INSERT_AFTER, offered & LocationAfter);
    if (offered & LocationOnly) {
        Enable(dialog, IDC_CHUNK_TYPE, false);
        Enable(dialog, IDC_DATA_ID, false);
        request->Location = LocationOnly;
    } else {
        request->Location = 0;
    }
    // Checked even when it is disabled: with nothing selected it is what the
    // dialog returns, and the placement ignores it.
    CheckDlgButton(dialog, IDC_INSERT_BEFORE, BST_CHECKED);
    for (const InsertTypeEntry& entry : kInsertTypeEntries)
        SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Text));
}

int32_t BuildChunkFromDialog(HWND dialog, InsertRequest* request) {
    // Taken afresh on every OK: a press that was refused must not leave its
    // location behind to mix with the one the user picks next.
    uint32_t location = request->Location & LocationOnly;
    if (Checked(dialog, IDC_INSERT_UNDER)) location |= LocationUnder;
    if (Checked(dialog, IDC_INSERT_BEFORE)) location |= LocationBefore;
    if (Checked(dialog, IDC_INSERT_AFTER)) location |= LocationAfter;
    request->Location = location;
    if (!(location & LocationOnly)) {
        LRESULT choice = SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETCURSEL, 0, 0);
        if (choice == CB_ERR) {
            ShowMessageBox(dialog, "Select a Chunk Type.", kProgramTitle, kRefusalFlags);
            return -1;
        }
        char entry[kTextSize] = "";
        if (SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETLBTEXTLEN, static_cast<WPARAM>(choice), 0) <
            kTextSize)
            SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETLBTEXT, static_cast<WPARAM>(choice),
                                reinterpret_cast<LPARAM>(entry));
        GetDlgItemTextA(dialog, IDC_DATA_ID, request->Text, kTextSize);
        uint32_t type = TypeFromEntryText(entry);
        if (BuildRecordFromText(type, request->Text, &request->Record) != 0) {
            // Nothing is stored that was not typed: the dialog stays open with it.
            ShowMessageBox(dialog, ValueFormOfType(type, false), kProgramTitle, kRefusalFlags);
            return -1;
        }
    }
    return TargetIsFull(dialog, request) ? -1 : 0;
}

INT_PTR CALLBACK InsertDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        CentreOnDesktop(dialog);
        InitInsertDialog(dialog, reinterpret_cast<InsertRequest*>(lParam));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    InsertRequest* request = reinterpret_cast<InsertRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case IDOK:
        if (request && BuildChunkFromDialog(dialog, request) == 0) EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:  // the button or Esc
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR RunInsertDialog(EditorState* state, InsertRequest* request, int32_t selected, int32_t selectedParent,
                        uint32_t extra) {
    std::memset(request, 0, sizeof *request);
    request->Editor = state;
    request->Selected = selected;
    request->SelectedParent = selectedParent;
    request->Location = OfferedLocations(state, selected) | extra;
    return DialogBoxParamA(reinterpret_cast<HINSTANCE>(state->Instance), "InsertDlg", MainWindowOf(state),
                           InsertDlgProc, reinterpret_cast<LPARAM>(request));
}
