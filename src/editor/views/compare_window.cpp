// The Compare window: the core's comparison of the document with another
// file, shown in a results list shared with Find All.

#include "compare_window.h"

#include <cstdio>
#include <cstring>

#include "app/commands.h"
#include "app/shell.h"
#include "chunk_path.h"
#include "chunk_types.h"
#include "display_text.h"
#include "document/file_commands.h"
#include "dtb_file.h"
#include "find_dialog.h"
#include "report.h"
#include "text_convert.h"
#include "tree_diff.h"
#include "views.h"

namespace {

struct CompareState {
    Editor* E;
    HWND Window;
    Document Other;  // the other file as read; its file is closed at once
    bool HasOther;
    DifferenceList Lines;
    PathIndex PathsA, PathsB;
    bool HasPaths;
    uint32_t Step;  // the journal's Steps the lines were made at
};

INT_PTR CALLBACK CompareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

CompareState* StateOf(HWND window) {
    if (!window || GetWindowLongPtrA(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(CompareProc)) return nullptr;
    return reinterpret_cast<CompareState*>(GetWindowLongPtrA(window, DWLP_USER));
}

HWND ListOf(const CompareState* s) { return GetDlgItem(s->Window, IDC_COMPARE_RESULTS); }

void Forget(CompareState* s) {
    if (s->HasPaths) {
        FreePathIndex(&s->PathsA);
        FreePathIndex(&s->PathsB);
    }
    s->HasPaths = false;
    FreeDifferences(&s->Lines);
    if (s->HasOther) FreeDocument(&s->Other);
    s->HasOther = false;
    SendMessageA(ListOf(s), LVM_SETITEMCOUNT, 0, 0);
}

bool LineIsCurrent(const CompareState* s, int32_t line) {
    return s->HasPaths && s->Step == s->E->Doc.History.Steps && line >= 0 && line < s->Lines.Count;
}

void HexCell(const uint8_t* bytes, int32_t n, LVITEMA* item) {
    char hex[64];
    FormatHexBytes(bytes, n, hex);
    std::snprintf(item->pszText, static_cast<size_t>(item->cchTextMax), "%s", hex);
}

// One side's cell of a line: the header's or key's bytes, or the chunk's
// label and value as dtbtool diff shows them.
void SideCell(const Document* doc, int32_t chunk, DifferenceKind kind, LVITEMA* item) {
    uint8_t key[4];
    if (kind == DifferenceKey) {
        WriteU32(key, doc->Key);
        return HexCell(key, 4, item);
    }
    if (kind == DifferenceHeader) return HexCell(doc->HeaderBytes, kHeaderSize, item);
    if (chunk >= 0 && chunk < doc->ChunkCount)
        FormatChunkText(doc, chunk, item->pszText, static_cast<size_t>(item->cchTextMax), " ", true);
}

void FillCell(const void* owner, LVITEMA* item) {
    const CompareState* s = static_cast<const CompareState*>(owner);
    if (!LineIsCurrent(s, item->iItem)) return;
    static const char* const kKinds[] = {"", "Added", "Removed", "Changed", "Header", "Key"};
    const Difference& d = s->Lines.Items[item->iItem];
    const Document* doc = &s->E->Doc;
    size_t size = static_cast<size_t>(item->cchTextMax);
    switch (item->iSubItem) {
    case 0:
        if (d.Kind == DifferenceKey || d.Kind == DifferenceHeader) {
            std::snprintf(item->pszText, size, "%s", d.Kind == DifferenceKey ? "key" : "header");
        } else if (d.Kind == DifferenceAdded) {
            FormatChunkPath(&s->Other, &s->PathsB, d.ChunkB, item->pszText, size);
        } else {
            FormatChunkPath(doc, &s->PathsA, d.ChunkA, item->pszText, size);
        }
        return;
    case 1:
        std::snprintf(item->pszText, size, "%s", kKinds[d.Kind]);
        return;
    case 2:
        return SideCell(doc, d.ChunkA, d.Kind, item);
    default:
        return SideCell(&s->Other, d.ChunkB, d.Kind, item);
    }
}

// The line's place in the document selected there, the keys left with
// this window when it had them.
void Activate(CompareState* s, int32_t line) {
    ForgetStaleDifferences(s->E, false);
    if (!LineIsCurrent(s, line)) return;
    int32_t place = s->Lines.Items[line].PlaceA;
    if (place < 0 || place >= s->E->Doc.ChunkCount) return;
    bool ours = GetActiveWindow() == s->Window;
    HWND focus = GetFocus();
    ShowChunk(s->E, place);
    if (ours) SetFocus(focus ? focus : s->Window);
}

// Reads path into the state's own document, its file let go at once so
// that the other program may go on writing it. False after a report.
bool ReadOther(CompareState* s, const char* path) {
    Editor* e = s->E;
    Document* other = &s->Other;
    InitDocument(other);
    other->Memory = e->Doc.Memory;
    other->Reporter = ReportToUser;
    other->ReporterContext = e;
    if (AllocateDocument(other) != 0) return false;
    s->HasOther = true;
    other->FileHandle = OpenDocumentFile(path, false, true);
    if (other->FileHandle == kNoFile) {
        ReportOpenFailed(&e->Doc, path, static_cast<int32_t>(GetLastError()));
        return false;
    }
    int32_t result = ReadDocument(other);
    CloseHandle(reinterpret_cast<HANDLE>(other->FileHandle));
    other->FileHandle = kNoFile;
    return result == 0 || other->ChunkCount > 0;
}

void Compare(CompareState* s, const char* path) {
    Forget(s);
    SetDlgItemTextA(s->Window, IDC_COMPARE_STATUS, "");
    if (!ReadOther(s, path) || CompareDocuments(&s->E->Doc, &s->Other, &s->Lines) != 0) return Forget(s);
    if (BuildPathIndex(&s->E->Doc, &s->PathsA) != 0) return Forget(s);
    if (BuildPathIndex(&s->Other, &s->PathsB) != 0) {
        FreePathIndex(&s->PathsA);
        return Forget(s);
    }
    s->HasPaths = true;
    s->Step = s->E->Doc.History.Steps;
    char status[kFileNameSize + 64];
    int32_t n = s->Lines.Count;
    if (n == 0) {
        std::snprintf(status, sizeof status, "The files hold the same tree and header.");
    } else if (n == 1 && s->Lines.Items[0].Kind == DifferenceKey) {
        std::snprintf(status, sizeof status, "The files hold the same tree and header; only the key differs.");
    } else {
        std::snprintf(status, sizeof status, n == 1 ? "%d difference from %s." : "%d differences from %s.", n, path);
    }
    SetDlgItemTextA(s->Window, IDC_COMPARE_STATUS, status);
    SendMessageA(ListOf(s), LVM_SETITEMCOUNT, static_cast<WPARAM>(n), 0);
    InvalidateRect(ListOf(s), nullptr, TRUE);
}

INT_PTR CALLBACK CompareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CompareState* s = new CompareState();
        s->E = reinterpret_cast<Editor*>(lParam);
        s->Window = window;
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
        static const char* const kColumns[] = {"Path", "Kind", "This file", "Other file"};
        static const int kPercents[] = {34, 12, 26, 26};
        AddResultColumns(window, ListOf(s), 386, kColumns, kPercents, 4);  // the list's width in the template
        return TRUE;
    }
    CompareState* s = StateOf(window);
    if (!s) return FALSE;
    switch (message) {
    case WM_COMMAND:
        // Enter reaches the dialog as its default button: on a line it goes there.
        if (LOWORD(wParam) == IDOK && GetFocus() == ListOf(s)) Activate(s, SelectedResultLine(ListOf(s)));
        if (LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_COMPARE_RESULTS) return FALSE;
        int32_t line = ResultListNotice(header, FillCell, s);
        if (line >= 0) Activate(s, line);
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    case WM_NCDESTROY:
        Forget(s);
        if (s->E->CompareWindow == window) s->E->CompareWindow = nullptr;
        SetWindowLongPtrA(window, DWLP_USER, 0);
        delete s;
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

bool CompareWindowOf(HWND window) { return StateOf(window) != nullptr; }

void OpenCompareWindow(Editor* e) {
    // The document is compared as the user sees it, the Data box's edit too.
    bool committed = ApplyDetailEdit(e);
    UpdateTitle(e);
    if (!committed) return;
    char path[kFileNameSize] = "";
    if (ChooseDtbFileInto(e, path, false, nullptr, "Compare With...") != FileChosen) return;
    if (!e->CompareWindow) {
        e->CompareWindow =
            CreateDialogParamA(e->Instance, "CompareDlg", e->Window, CompareProc, reinterpret_cast<LPARAM>(e));
        if (!e->CompareWindow) return;
        ShowWindow(e->CompareWindow, SW_SHOW);
    }
    Compare(StateOf(e->CompareWindow), path);
    SetActiveWindow(e->CompareWindow);
    SetFocus(ListOf(StateOf(e->CompareWindow)));
}

void ForgetStaleDifferences(Editor* e, bool documentReplaced) {
    CompareState* s = StateOf(e->CompareWindow);
    if (!s || !s->HasPaths || (!documentReplaced && s->Step == e->Doc.History.Steps)) return;
    Forget(s);
    SetDlgItemTextA(s->Window, IDC_COMPARE_STATUS, "The document has changed: Compare With compares it afresh.");
}
