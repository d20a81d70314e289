// Edit > Go To: a path typed or pasted, the chunk it names selected.
#include <string>

#include "base/window_place.h"
#include "display_text.h"
#include "find_dialog.h"
#include "document.h"
#include "views.h"

namespace {

struct GoToRequest {
    Editor* E;
    PathIndex Paths;
    int32_t Chunk;
};

// A refused path keeps the dialog open with the text as typed, so that it
// can be corrected rather than typed again; the refusal belongs to the
// dialog. The dialog opens where the user last left it, first beside the
// chunk views.
INT_PTR CALLBACK GoToDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    GoToRequest* request = reinterpret_cast<GoToRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        request = reinterpret_cast<GoToRequest*>(lParam);
        char path[kTextSize] = "";
        FormatChunkPath(&request->E->Doc, &request->Paths, request->E->PaneChunk, path, sizeof path);
        HWND box = GetDlgItem(dialog, IDC_GO_TO_PATH);
        SetWindowTextA(box, path);
        if (!PutBack(dialog, request->E->GoToPlace, false)) PlaceBesideViews(request->E, dialog);
        SetFocus(box);
        SendMessageA(box, EM_SETSEL, 0, -1);
        return FALSE;  // the focus is set
    }
    if (message == WM_DESTROY && request) RememberPlace(dialog, &request->E->GoToPlace);
    if (message != WM_COMMAND || !request) return FALSE;
    if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
    } else if (LOWORD(wParam) == IDOK) {
        const std::string path = DialogText(dialog, IDC_GO_TO_PATH);
        char why[kMessageSize];
        request->Chunk = FindChunkByPath(&request->E->Doc, &request->Paths, path.c_str(), why, sizeof why);
        if (request->Chunk >= 0) {
            EndDialog(dialog, IDOK);
        } else {
            TellUser(request->E, why, MB_ICONWARNING);
            SetFocus(GetDlgItem(dialog, IDC_GO_TO_PATH));
        }
    }
    return TRUE;
}

}  // namespace

int32_t AskChunkPath(Editor* e) {
    GoToRequest request = {e, {}, -1};
    if (BuildPathIndex(&e->Doc, &request.Paths) != 0) return -1;
    INT_PTR answer =
        DialogBoxParamA(e->Instance, "GoToDlg", e->Window, GoToDialogProc, reinterpret_cast<LPARAM>(&request));
    FreePathIndex(&request.Paths);
    return answer == IDOK ? request.Chunk : -1;
}
