// The "Insert Chunk..." dialog: where a chunk goes relative to the tree's
// selection and, unless a paste only asks where, its type and Data/ID text.
// What the user chose is checked here, while the dialog is still open to
// choose again; the caller places the chunk once it has closed with OK.
#include <cstring>

#include "base/window_place.h"
#include "editing.h"
#include "document.h"
#include "text_convert.h"
#include "tree_edit.h"
#include "value_forms.h"

namespace {

// The type list as it reads; each entry carries its type code as item data.
struct TypeEntry {
    const char* Text;
    uint32_t Type;
};
const TypeEntry kTypeEntries[] = {
    {"Integer - 0", 0},         {"Float - 1", 1},      {"Function - 2", 2},         {"Keyword - 5", 5},
    {"Unknown - 6", 6},         {"Unknown - 7", 7},    {"Unknown - 8", 8},          {"Unknown - 9", 9},
    {"Node (Common) - 16", 16}, {"Node (?] - 17", 17}, {"String (Common)- 18", 18}, {"Node (?] - 19", 19},
    {"String - 32", 32},        {"File - 33", 33},     {"File - 34", 34},           {"String - 35", 35},
};

void Enable(HWND dialog, int id, bool enabled) { EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Refusals are said in a box owned by the dialog, which stays open.
bool Refuse(HWND dialog, const InsertRequest* request, const char* why) {
    const UserSeams& user = request->Owner->User;
    user.MessageBox(user.Context, dialog, why, kProgramTitle, MB_OK | MB_ICONINFORMATION);
    return false;
}

void InitInsertDialog(HWND dialog, const InsertRequest* request) {
    Enable(dialog, IDC_INSERT_UNDER, request->Offered & LocationUnder);
    Enable(dialog, IDC_INSERT_BEFORE, request->Offered & LocationBefore);
    Enable(dialog, IDC_INSERT_AFTER, request->Offered & LocationAfter);
    Enable(dialog, IDC_CHUNK_TYPE, !request->PasteOnly);
    Enable(dialog, IDC_DATA_ID, !request->PasteOnly);
    // Checked even when it is disabled: with nothing selected it is what the
    // dialog returns, and the placement ignores it.
    CheckDlgButton(dialog, IDC_INSERT_BEFORE, BST_CHECKED);
    for (const TypeEntry& entry : kTypeEntries) {
        LRESULT at = SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.Text));
        SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_SETITEMDATA, static_cast<WPARAM>(at), entry.Type);
    }
}

// The OK press: true lets the dialog close with the choice in request.
bool ReadInsertDialog(HWND dialog, InsertRequest* request) {
    // Taken afresh on every OK: a press that was refused must not leave its
    // location behind to mix with the one the user picks next.
    request->Location = 0;
    if (Checked(dialog, IDC_INSERT_BEFORE)) request->Location = LocationBefore;
    if (Checked(dialog, IDC_INSERT_AFTER)) request->Location = LocationAfter;
    if (Checked(dialog, IDC_INSERT_UNDER)) request->Location = LocationUnder;
    if (!request->PasteOnly) {
        LRESULT choice = SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETCURSEL, 0, 0);
        if (choice == CB_ERR) return Refuse(dialog, request, "Select a Chunk Type.");
        request->Type = static_cast<uint32_t>(
            SendDlgItemMessageA(dialog, IDC_CHUNK_TYPE, CB_GETITEMDATA, static_cast<WPARAM>(choice), 0));
        GetDlgItemTextA(dialog, IDC_DATA_ID, request->Text, kTextSize);
        ChunkRecord record;
        // Nothing is stored that was not typed: the dialog stays open with it.
        if (BuildRecordFromText(request->Type, request->Text, &record) != 0)
            return Refuse(dialog, request, ValueFormOfType(request->Type, false));
    }
    // A parent at 65535 children takes no more: said while the user can
    // still choose another place. Whichever way identifiers are shown, the
    // place has the same parent.
    const Document* doc = &request->Owner->Doc;
    int32_t index = 0;
    int32_t parent = -1;
    if (ChooseTarget(doc, request->Selected, request->SelectedParent, request->Location, true, &index, &parent) == 0 &&
        ParentCount(doc, parent) >= kMostChildren)
        return Refuse(dialog, request, ParentFullMessage(parent));
    return true;
}

}  // namespace

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
        if (request && ReadInsertDialog(dialog, request)) EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:  // the button or Esc
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

bool RunInsertDialog(Editor* e, InsertRequest* request, int32_t selected, int32_t selectedParent, bool pasteOnly) {
    std::memset(request, 0, sizeof *request);
    request->Owner = e;
    request->Selected = selected;
    request->SelectedParent = selectedParent;
    request->Offered = OfferedLocations(&e->Doc, selected);
    request->PasteOnly = pasteOnly;
    return DialogBoxParamA(e->Instance, "InsertDlg", e->Window, InsertDlgProc, reinterpret_cast<LPARAM>(request)) ==
           IDOK;
}
