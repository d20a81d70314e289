// The Find and Replace dialog: its controls read into the core's options,
// its buttons, and the progress of long walks, during which the window
// keeps painting and the main window takes no edit.

#include <cstdio>
#include <string>

#include "base/window_place.h"
#include "chunk_types.h"
#include "find_dialog.h"
#include "find_replace.h"
#include "tree_edit.h"
#include "views.h"

namespace {

// A walk shorter than this shows no progress: the bar would only flicker.
const DWORD kProgressDelay = 200;
const DWORD kPumpInterval = 30;
// Texts offered again in the drop-down lists of Find what and Replace with.
const LRESULT kRemembered = 10;

const struct {
    int Id;
    uint32_t Look;
} kLookBoxes[] = {
    {IDC_LOOK_TEXTS, LookTexts},
    {IDC_LOOK_NAMES, LookNames},
    {IDC_LOOK_INTEGERS, LookIntegers},
    {IDC_LOOK_FLOATS, LookFloats},
    {IDC_LOOK_NODE_NUMBERS, LookNodeNumbers},
    {IDC_LOOK_UNKNOWN, LookUnknownScalars},
};

bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string ItemText(HWND box, LRESULT k) {
    std::string text(static_cast<size_t>(SendMessageA(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(k), 0)) + 1, '\0');
    text.resize(static_cast<size_t>(
        SendMessageA(box, CB_GETLBTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

// The chunk the user has selected in the main window: the pane's.
int32_t SelectionOf(const Editor* e) { return e->PaneChunk; }

// Where a search goes on from: the last match while the view still shows
// it (as itself, or a hidden identifier as its node), else the selection.
int32_t SearchFrom(const FindReplaceDialog* d) {
    int32_t selected = SelectionOf(d->E);
    if (d->LastFound >= 0 && (d->LastFound == selected || d->LastFound - 1 == selected)) return d->LastFound;
    return selected;
}

// The subtree searched stays the one chosen while the selection moves
// inside it; a selection outside it (or none yet) chooses anew.
void ChooseSubtree(FindReplaceDialog* d) {
    const Document* doc = &d->E->Doc;
    int32_t selected = SelectionOf(d->E);
    bool inside = d->ScopeRoot >= 0 && d->ScopeRoot < doc->ChunkCount && selected >= d->ScopeRoot &&
                  selected < SubtreeEnd(doc, d->ScopeRoot);
    if (!inside) d->ScopeRoot = selected;
}

// The core's progress hook: quiet for the first moments, then the bar,
// and the messages of the thread, so that the window repaints and Stop
// and Esc are heard.
bool WalkProgress(void* context, int64_t done, int64_t total) {
    FindReplaceDialog* d = static_cast<FindReplaceDialog*>(context);
    DWORD now = GetTickCount();
    // The walk may call often; a look at the thread's messages costs more
    // than the chunks between two calls, so it is made a few times a second.
    if (now - d->LastPump < kPumpInterval) return true;
    d->LastPump = now;
    if (!d->Shown) {
        if (now - d->WalkStart < kProgressDelay) return true;
        d->Shown = true;
        SendDlgItemMessageA(d->Window, IDC_FIND_PROGRESS, PBM_SETRANGE32, 0, 1000);
        ShowWalkControls(d, true);
    }
    SendDlgItemMessageA(d->Window, IDC_FIND_PROGRESS, PBM_SETPOS,
                        total > 0 ? static_cast<WPARAM>(done * 1000 / total) : 0, 0);
    MSG message;
    while (!d->StopAsked && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {  // for the loop that ends the program, once the walk has
            PostQuitMessage(static_cast<int>(message.wParam));
            d->StopAsked = true;
        } else if (!IsDialogMessageA(d->Window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return !d->StopAsked;
}

Progress BeginWalk(FindReplaceDialog* d) {
    d->Busy = true;
    d->Shown = false;
    d->StopAsked = false;
    d->WalkStart = d->LastPump = GetTickCount();
    return {WalkProgress, d};
}

void EndWalk(FindReplaceDialog* d) {
    if (d->Shown) ShowWalkControls(d, false);
    d->Busy = false;
    d->Shown = false;
}

void FindOnce(FindReplaceDialog* d, bool backwards) {
    std::string pattern = DialogText(d->Window, IDC_FIND_WHAT);
    Finder* finder = StartFindAction(d, pattern);
    if (!finder) return;
    bool wrapped = false;
    int32_t found = FindNextMatch(finder, &d->E->Doc, SearchFrom(d), backwards, &wrapped);
    FreeFinder(finder);
    if (found < 0) {
        SetFindStatus(d, "Nothing matches.");
        return;
    }
    d->LastFound = found;
    ShowChunk(d->E, found);
    const char* where = Ticked(d->Window, IDC_SCOPE_SUBTREE) ? "subtree" : "document";
    char note[128] = "";
    if (wrapped)
        std::snprintf(note, sizeof note,
                      backwards ? "Passed the start of the %s; continued from the end."
                                : "Passed the end of the %s; continued from the start.",
                      where);
    SetFindStatus(d, note);
}

void FindAll(FindReplaceDialog* d) {
    std::string pattern = DialogText(d->Window, IDC_FIND_WHAT);
    Finder* finder = StartFindAction(d, pattern);
    if (!finder) return;
    ClearFoundList(d);
    WalkResult result = FindAllMatches(finder, &d->E->Doc, &d->Found, BeginWalk(d));
    FreeFinder(finder);
    EndWalk(d);
    if (result != WalkDone || !ShowFoundList(d)) {
        ClearFoundList(d);
        SetFindStatus(d, result == WalkStopped ? "Stopped." : "");
        return;
    }
    char status[64];
    std::snprintf(status, sizeof status, d->Found.size() == 1 ? "%zu match." : "%zu matches.", d->Found.size());
    SetFindStatus(d, status);
}

void Replace(FindReplaceDialog* d) {
    std::string pattern = DialogText(d->Window, IDC_FIND_WHAT), with = DialogText(d->Window, IDC_REPLACE_WITH);
    Finder* finder = StartFindAction(d, pattern);
    if (!finder) return;
    RememberText(d->Window, IDC_REPLACE_WITH, with);
    int32_t chunk = SearchFrom(d), replaced = 0;
    FindOptions options = ReadFindOptions(d, pattern);
    bool inScope = chunk >= options.First && (options.End < 0 || chunk < options.End);
    bool matches = chunk >= 0 && inScope && ChunkMatches(finder, &d->E->Doc, chunk);
    WalkResult result = matches ? ReplaceInChunk(finder, &d->E->Doc, chunk, with.c_str(), &replaced) : WalkDone;
    FreeFinder(finder);
    if (result == WalkDeclined) SetFindStatus(d, "Nothing was replaced.");
    if (result != WalkDone) return;  // a refusal has been told
    if (replaced) {
        d->E->AfterChange(d->E, ChangedValue, chunk);
        d->LastFound = chunk;
    }
    FindOnce(d, false);
    if (replaced && DialogText(d->Window, IDC_FIND_STATUS).empty()) SetFindStatus(d, "1 value replaced.");
}

void ReplaceAll(FindReplaceDialog* d) {
    std::string pattern = DialogText(d->Window, IDC_FIND_WHAT), with = DialogText(d->Window, IDC_REPLACE_WITH);
    Finder* finder = StartFindAction(d, pattern);
    if (!finder) return;
    RememberText(d->Window, IDC_REPLACE_WITH, with);
    int32_t replaced = 0;
    WalkResult result = ReplaceAllMatches(finder, &d->E->Doc, with.c_str(), &replaced, BeginWalk(d));
    FreeFinder(finder);
    EndWalk(d);
    if (result == WalkStopped) SetFindStatus(d, "Stopped: nothing was replaced.");
    if (result == WalkDeclined) SetFindStatus(d, "Nothing was replaced.");
    if (result != WalkDone) return;
    if (replaced > 0) d->E->AfterChange(d->E, ChangedValues, SelectionOf(d->E));
    char status[64];
    std::snprintf(status, sizeof status, replaced == 1 ? "%d value replaced." : "%d values replaced.", replaced);
    SetFindStatus(d, status);
}

BOOL InitFindDialog(HWND dialog, Editor* e) {
    FindReplaceDialog* d = new FindReplaceDialog();
    d->E = e;
    d->Window = dialog;
    d->LastFound = -1;
    d->ScopeRoot = -1;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    CheckDlgButton(dialog, IDC_LOOK_TEXTS, BST_CHECKED);
    CheckDlgButton(dialog, IDC_LOOK_NAMES, BST_CHECKED);
    CheckDlgButton(dialog, IDC_SCOPE_DOCUMENT, BST_CHECKED);
    HWND types = GetDlgItem(dialog, IDC_FIND_TYPE);
    SendMessageA(types, CB_SETITEMDATA,
                 static_cast<WPARAM>(SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Any type"))),
                 static_cast<LPARAM>(kAnyType));
    for (uint32_t type = 0; type < 256; ++type) {
        const char* label = LabelOfType(type);
        if (!label) continue;
        LRESULT at = SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
        SendMessageA(types, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(type));
    }
    SendMessageA(types, CB_SETCURSEL, 0, 0);
    InitFoundList(d);
    InitFilesScope(d);
    return TRUE;
}

// The list's Enter and double-click, and the default button's Enter.
void Activate(FindReplaceDialog* d, int32_t chunk) {
    if (chunk < 0) return;
    d->LastFound = chunk;
    ShowChunk(d->E, chunk);
}

// Closing keeps everything the user chose for the next opening; what was
// found goes, as it would go stale unseen.
void HideFindDialog(FindReplaceDialog* d) {
    ClearFoundList(d);
    SetFindStatus(d, "");
    bool active = GetActiveWindow() == d->Window;
    ShowWindow(d->Window, SW_HIDE);
    if (active) SetActiveWindow(d->E->Window);
}

// code 1: a shortcut (F3), which never means the list's Enter.
void DispatchFindCommand(FindReplaceDialog* d, WORD id, WORD code) {
    if (d->Busy) {  // a walk is under way: only Stop and Esc are heard
        if (id == IDC_FIND_STOP || id == IDCANCEL) d->StopAsked = true;
        if (id == IDC_FIND_STOP || id == IDCANCEL) StopFilesRun(d);
        return;
    }
    KeepKeys keep(d->Window);
    bool files = FilesScopeChosen(d);
    switch (id) {
    case IDOK:
    case IDC_FIND_NEXT:  // also Enter, as the default button: on a line of the results it goes to its chunk
        if (code != 1 && GetFocus() == GetDlgItem(d->Window, IDC_FIND_RESULTS))
            return Activate(d, SelectedFoundChunk(d));
        return FindOnce(d, false);
    case IDC_FIND_PREVIOUS:
        return FindOnce(d, true);
    case IDC_FIND_ALL:  // also Enter, as the default button of the files' scope
        if (files && code != 1 && GetFocus() == GetDlgItem(d->Window, IDC_FILES_RESULTS))
            return ActivateSelectedFileLine(d);
        return files ? FindAllInFiles(d) : FindAll(d);
    case IDC_REPLACE:
        return Replace(d);
    case IDC_REPLACE_ALL:
        return files ? ReplaceAllInFiles(d) : ReplaceAll(d);
    case IDC_SCOPE_SUBTREE:
        d->ScopeRoot = SelectionOf(d->E);
        return ShowScopeControls(d);
    case IDC_SCOPE_DOCUMENT:
    case IDC_SCOPE_FILES:
        return ShowScopeControls(d);
    case IDC_FILES_BROWSE:
        return BrowseForFolder(d);
    case IDCANCEL:
        HideFindDialog(d);
        return;
    default:
        return;
    }
}

}  // namespace

// The status line describes the document as it is now: any change to it
// empties the line (ForgetStaleMatches).
void SetFindStatus(FindReplaceDialog* d, const char* text) {
    SetDlgItemTextA(d->Window, IDC_FIND_STATUS, text);
    d->StatusAt = d->E->Doc.History.Changes;
}

// A text just searched for or put in goes first in its box's drop-down
// list, once, and the oldest beyond the last few goes.
void RememberText(HWND dialog, int id, const std::string& text) {
    if (text.empty()) return;
    HWND box = GetDlgItem(dialog, id);
    for (LRESULT k = SendMessageA(box, CB_GETCOUNT, 0, 0) - 1; k >= 0; --k)
        if (ItemText(box, k) == text) SendMessageA(box, CB_DELETESTRING, static_cast<WPARAM>(k), 0);
    SendMessageA(box, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    for (LRESULT n = SendMessageA(box, CB_GETCOUNT, 0, 0); n > kRemembered; --n)
        SendMessageA(box, CB_DELETESTRING, static_cast<WPARAM>(n - 1), 0);
    SetWindowTextA(box, text.c_str());  // a deleted item may have taken the box's text along
}

// The options as the controls show them; pattern holds the text they point at.
FindOptions ReadFindOptions(FindReplaceDialog* d, const std::string& pattern) {
    HWND w = d->Window;
    FindOptions options;
    options.Pattern = pattern.c_str();
    options.LookIn = 0;
    for (const auto& box : kLookBoxes)
        if (Ticked(w, box.Id)) options.LookIn |= box.Look;
    LRESULT type = SendDlgItemMessageA(w, IDC_FIND_TYPE, CB_GETCURSEL, 0, 0);
    options.Type =
        type > 0 ? SendDlgItemMessageA(w, IDC_FIND_TYPE, CB_GETITEMDATA, static_cast<WPARAM>(type), 0) : kAnyType;
    options.MatchCase = Ticked(w, IDC_MATCH_CASE);
    options.WholeValue = Ticked(w, IDC_WHOLE_VALUE);
    options.Regex = Ticked(w, IDC_REGULAR_EXPRESSION);
    options.Fold = &d->E->Fold;  // letters fold as the search box folds them
    if (Ticked(w, IDC_SCOPE_SUBTREE)) {
        ChooseSubtree(d);
        options.First = d->ScopeRoot < 0 ? 0 : d->ScopeRoot;
        options.End = d->ScopeRoot < 0 ? 0 : SubtreeEnd(&d->E->Doc, d->ScopeRoot);
    }
    return options;
}

// Every action first stores what is typed in the Data box, so that it
// searches and replaces what the user sees; a refused value stops it.
Finder* StartFindAction(FindReplaceDialog* d, const std::string& pattern) {
    Editor* e = d->E;
    bool committed = ApplyDetailEdit(e);
    e->AfterChange(e, ChangedTyped, -1);
    if (!committed) return nullptr;
    SetFindStatus(d, "");
    e->LastSearch = SearchedDialog;
    RememberText(d->Window, IDC_FIND_WHAT, pattern);
    return MakeFinder(&e->Doc, ReadFindOptions(d, pattern));
}

// The walk's controls: Stop and the bar in, the buttons that start another
// walk out, and the main window closed to edits, or all back as they were.
void ShowWalkControls(FindReplaceDialog* d, bool walking) {
    static const int kStarters[] = {IDC_FIND_NEXT, IDC_FIND_PREVIOUS, IDC_FIND_ALL, IDC_REPLACE, IDC_REPLACE_ALL};
    for (int id : kStarters) EnableWindow(GetDlgItem(d->Window, id), !walking);
    ShowWindow(GetDlgItem(d->Window, IDC_FIND_STOP), walking ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(d->Window, IDC_FIND_PROGRESS), walking ? SW_SHOW : SW_HIDE);
    EnableWindow(d->E->Window, !walking);
    if (walking) SetFocus(GetDlgItem(d->Window, IDC_FIND_STOP));  // afterwards KeepKeys puts it back
}

FindReplaceDialog* FindDialogOf(HWND window) {
    if (!window || GetWindowLongPtrA(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(FindDialogProc))
        return nullptr;
    return reinterpret_cast<FindReplaceDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

INT_PTR CALLBACK FindDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitFindDialog(dialog, reinterpret_cast<Editor*>(lParam));
    FindReplaceDialog* d = reinterpret_cast<FindReplaceDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!d) return FALSE;
    switch (message) {
    case WM_COMMAND:
        DispatchFindCommand(d, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        DispatchFindCommand(d, IDCANCEL, 0);
        return TRUE;
    case kFilesProgressMessage:
    case kFilesEndedMessage:
        TakeFilesMessage(d, message);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_FILES_RESULTS) {
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, FilesListNotice(d, header));
            return TRUE;
        }
        if (header->idFrom != IDC_FIND_RESULTS) return FALSE;
        int32_t chunk = -1;
        LRESULT result = FoundListNotice(d, header, &chunk);
        if (chunk >= 0 && !d->Busy) {
            KeepKeys keep(d->Window);
            Activate(d, chunk);
        }
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_NCDESTROY:
        EndFilesRun(d);
        ClearFoundList(d);
        if (d->E->FindDialog == dialog) d->E->FindDialog = nullptr;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete d;
        return FALSE;
    default:
        return FALSE;
    }
}

void OpenFindDialog(Editor* e) {
    if (!e->FindDialog) {
        e->FindDialog =
            CreateDialogParamA(e->Instance, "FindDlg", e->Window, FindDialogProc, reinterpret_cast<LPARAM>(e));
        if (!e->FindDialog) return;
        PlaceBesideViews(e, e->FindDialog);
    }
    ShowWindow(e->FindDialog, SW_SHOW);
    SetActiveWindow(e->FindDialog);
    HWND box = GetDlgItem(e->FindDialog, IDC_FIND_WHAT);
    SetFocus(box);
    SendMessageA(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void ForgetStaleMatches(Editor* e, bool documentReplaced) {
    FindReplaceDialog* d = FindDialogOf(e->FindDialog);
    if (!d || d->Busy) return;
    if (documentReplaced) {
        d->LastFound = d->ScopeRoot = -1;
    }
    if (documentReplaced || d->StatusAt != e->Doc.History.Changes) SetFindStatus(d, "");
    if (!d->HasPaths || (!documentReplaced && d->FoundStep == e->Doc.History.Steps)) return;
    ClearFoundList(d);
    SetFindStatus(d, "The document has changed: Find All lists the matches afresh.");
}

void OpenFindInFiles(Editor* e) {
    OpenFindDialog(e);
    FindReplaceDialog* d = FindDialogOf(e->FindDialog);
    if (!d || d->Busy) return;
    CheckDlgButton(d->Window, IDC_SCOPE_DOCUMENT, BST_UNCHECKED);
    CheckDlgButton(d->Window, IDC_SCOPE_SUBTREE, BST_UNCHECKED);
    CheckDlgButton(d->Window, IDC_SCOPE_FILES, BST_CHECKED);
    ShowScopeControls(d);
}
