// The Compare window: the core's comparison of the document with another
// file, shown in a results list shared with Find All. Each line says which
// file holds the chunk, never a direction; the full values of the selected
// line show beneath the list, whatever its columns cut.

#include "compare_window.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/result_list.h"
#include "base/window_place.h"
#include "chunk_path.h"
#include "chunk_types.h"
#include "display_text.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "find_dialog.h"
#include "document.h"
#include "text_convert.h"
#include "tree_diff.h"
#include "views.h"

namespace {

// The document compared with another file: the other file as read (its
// file closed at once), the lines, and the paths they are shown with.
struct Comparison {
    Document Other;
    bool HasOther = false;
    DifferenceList Lines = {};
    PathIndex PathsA = {}, PathsB = {};
    bool HasPaths = false;
    uint32_t Step = 0;     // the journal's Steps the lines were made at
    uint32_t Changes = 0;  // and its Changes
    std::string Path;
    std::string OtherName;  // the other file's name, without its folder
};

void Forget(Comparison* c) {
    if (c->HasPaths) {
        FreePathIndex(&c->PathsA);
        FreePathIndex(&c->PathsB);
    }
    c->HasPaths = false;
    FreeDifferences(&c->Lines);
    if (c->HasOther) FreeDocument(&c->Other);
    c->HasOther = false;
}

// A control that keeps its distance to the window's edges as it is resized:
// from its left and top, and from its right (Wide) or bottom (Tall, or Low
// for one that moves down with the bottom instead).
struct Anchor {
    int Id;
    bool Wide, Tall, Low, Right;
};
const Anchor kAnchors[] = {
    {IDC_COMPARE_STATUS, true, false, false, false},
    {IDC_COMPARE_RESULTS, true, true, false, false},
    {IDC_COMPARE_DETAIL, true, false, true, false},
    {IDCANCEL, false, false, true, true},
};
const int kAnchorCount = sizeof kAnchors / sizeof kAnchors[0];

struct CompareState {
    Editor* E;
    HWND Window;
    Comparison C;
    RECT Start[kAnchorCount];  // each control's place in the client area as made
    SIZE StartClient;
    SIZE Smallest;  // the window as made: it is never made smaller
};

INT_PTR CALLBACK CompareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

CompareState* StateOf(HWND window) {
    if (!window || GetWindowLongPtrA(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(CompareProc)) return nullptr;
    return reinterpret_cast<CompareState*>(GetWindowLongPtrA(window, DWLP_USER));
}

HWND ListOf(const CompareState* s) { return GetDlgItem(s->Window, IDC_COMPARE_RESULTS); }

bool LineIsCurrent(const CompareState* s, int32_t line) {
    return s->C.HasPaths && s->C.Step == s->E->Doc.History.Steps && line >= 0 && line < s->C.Lines.Count();
}

std::string HexText(const uint8_t* bytes, int32_t n) {
    char hex[64];
    FormatHexBytes(bytes, n, hex);
    return hex;
}

// One side's value of a line as dtbtool diff shows it (the header's or
// key's bytes, or the chunk's label and value, its control bytes escaped),
// whole; "" where that side has nothing.
std::string SideText(const Document* doc, int32_t chunk, DifferenceKind kind) {
    uint8_t key[4];
    if (kind == DifferenceKey) {
        WriteU32(key, doc->Key);
        return HexText(key, 4);
    }
    if (kind == DifferenceHeader) return HexText(doc->HeaderBytes, kHeaderSize);
    if (chunk < 0 || chunk >= doc->ChunkCount) return "";
    std::string text(kTextSize, '\0');
    int32_t n = FormatChunkText(doc, chunk, &text[0], text.size(), " ", true, true);
    if (static_cast<size_t>(n) >= text.size()) {
        text.assign(static_cast<size_t>(n) + 1, '\0');
        FormatChunkText(doc, chunk, &text[0], text.size(), " ", true, true);
    }
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string PathText(const CompareState* s, const Difference& d) {
    if (d.Kind == DifferenceKey) return "key";
    if (d.Kind == DifferenceHeader) return "header";
    char path[kTextSize];
    if (d.Kind == DifferenceAdded) {
        FormatChunkPath(&s->C.Other, &s->C.PathsB, d.ChunkB, path, sizeof path);
    } else {
        FormatChunkPath(&s->E->Doc, &s->C.PathsA, d.ChunkA, path, sizeof path);
    }
    return path;
}

// Which file holds the line's chunk: a chunk only in one of them, or in both but different.
std::string KindText(const CompareState* s, DifferenceKind kind) {
    if (kind == DifferenceRemoved) return "Only in this file";
    if (kind == DifferenceAdded) return "Only in " + s->C.OtherName;
    return "Different";
}

std::string CellText(const CompareState* s, int32_t line, int column) {
    const Difference& d = s->C.Lines.Items[line];
    switch (column) {
    case 0:
        return PathText(s, d);
    case 1:
        return KindText(s, d.Kind);
    case 2:
        return SideText(&s->E->Doc, d.ChunkA, d.Kind);
    default:
        return SideText(&s->C.Other, d.ChunkB, d.Kind);
    }
}

void FillCell(const void* owner, LVITEMA* item) {
    const CompareState* s = static_cast<const CompareState*>(owner);
    if (!LineIsCurrent(s, item->iItem)) return;
    std::snprintf(item->pszText, static_cast<size_t>(item->cchTextMax), "%s",
                  CellText(s, item->iItem, item->iSubItem).c_str());
}

// The selected line's path and both values whole, beneath the list.
void ShowDetail(CompareState* s) {
    int32_t line = SelectedResultLine(ListOf(s));
    std::string detail;
    if (LineIsCurrent(s, line))
        detail = "Path: " + CellText(s, line, 0) + "\r\nThis file: " + CellText(s, line, 2) +
                 "\r\nOther file: " + CellText(s, line, 3);
    SetDlgItemTextA(s->Window, IDC_COMPARE_DETAIL, detail.c_str());
}

void SetStatus(CompareState* s, const char* text) { SetDlgItemTextA(s->Window, IDC_COMPARE_STATUS, text); }

void ShowLines(CompareState* s) {
    HWND list = ListOf(s);
    int32_t n = s->C.HasPaths ? s->C.Lines.Count() : 0;
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(n), 0);
    InvalidateRect(list, nullptr, TRUE);
    if (n > 0) FitResultColumns(list, 4, n, FillCell, s);
    ShowDetail(s);
}

// The line's place in the document selected there.
void Activate(CompareState* s, int32_t line) {
    if (!LineIsCurrent(s, line)) return;
    int32_t place = s->C.Lines.Items[line].PlaceA;
    if (place < 0 || place >= s->E->Doc.ChunkCount) return;
    KeepKeys keep(s->Window);
    ShowChunk(s->E, place);
}

// Reads path into c's own document, its file let go at once so that the
// other program may go on writing it. False after a report.
bool ReadOther(Editor* e, const char* path, Comparison* c) {
    Document* other = &c->Other;
    InitDocument(other);
    other->Memory = e->Doc.Memory;
    other->Reporter = e->Doc.Reporter;
    other->ReporterContext = e->Doc.ReporterContext;
    if (AllocateDocument(other) != 0) return false;
    c->HasOther = true;
    const FileLayer& files = FilesOf(other);
    other->FileHandle = FileOpenRead(path);
    if (other->FileHandle == kNoFile) {
        ReportOpenFailed(&e->Doc, path, files.LastError(files.Context));
        return false;
    }
    int32_t result = ReadDocument(other);
    files.Close(files.Context, other->FileHandle);
    other->FileHandle = kNoFile;
    return result == 0 || other->ChunkCount > 0;
}

// The whole comparison, before any window shows it. False after a report.
bool Compare(Editor* e, const char* path, Comparison* c) {
    c->Path = path;
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    c->OtherName = name;
    if (!ReadOther(e, path, c) || CompareDocuments(&e->Doc, &c->Other, &c->Lines) != 0) return false;
    if (BuildPathIndex(&e->Doc, &c->PathsA) != 0) return false;
    if (BuildPathIndex(&c->Other, &c->PathsB) != 0) {
        FreePathIndex(&c->PathsA);
        return false;
    }
    c->HasPaths = true;
    c->Step = e->Doc.History.Steps;
    c->Changes = e->Doc.History.Changes;
    return true;
}

void ShowComparison(CompareState* s) {
    char status[kFileNameSize + 64];
    int32_t n = s->C.Lines.Count();
    if (n == 0) {
        std::snprintf(status, sizeof status, "The files hold the same tree and header.");
    } else if (n == 1 && s->C.Lines.Items[0].Kind == DifferenceKey) {
        std::snprintf(status, sizeof status, "The files hold the same tree and header; only the key differs.");
    } else {
        std::snprintf(status, sizeof status, n == 1 ? "%d difference from %s." : "%d differences from %s.", n,
                      s->C.Path.c_str());
    }
    SetStatus(s, status);
    ShowLines(s);
}

void Layout(CompareState* s) {
    RECT client;
    GetClientRect(s->Window, &client);
    int dx = client.right - s->StartClient.cx, dy = client.bottom - s->StartClient.cy;
    for (int k = 0; k < kAnchorCount; ++k) {
        const Anchor& a = kAnchors[k];
        RECT r = s->Start[k];
        if (a.Right) OffsetRect(&r, dx, 0);
        if (a.Low) OffsetRect(&r, 0, dy);
        if (a.Wide) r.right += dx;
        if (a.Tall) r.bottom += dy;
        MoveWindow(GetDlgItem(s->Window, a.Id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    }
}

BOOL InitCompareWindow(HWND window, Editor* e) {
    CompareState* s = new CompareState();
    s->E = e;
    s->Window = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    RECT client, own;
    GetClientRect(window, &client);
    GetWindowRect(window, &own);
    s->StartClient = {client.right, client.bottom};
    s->Smallest = {own.right - own.left, own.bottom - own.top};
    for (int k = 0; k < kAnchorCount; ++k) {
        HWND control = GetDlgItem(window, kAnchors[k].Id);
        GetWindowRect(control, &s->Start[k]);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&s->Start[k]), 2);
    }
    static const char* const kColumns[] = {"Path", "Kind", "This file", "Other file"};
    static const int kPercents[] = {34, 12, 26, 26};
    AddResultColumns(window, ListOf(s), 386, kColumns, kPercents, 4);  // the list's width in the template
    if (PutBack(window, e->ComparePlace, true)) Layout(s);
    return TRUE;
}

INT_PTR CALLBACK CompareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return InitCompareWindow(window, reinterpret_cast<Editor*>(lParam));
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
    case WM_SIZE:
        Layout(s);
        return TRUE;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {s->Smallest.cx, s->Smallest.cy};
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != IDC_COMPARE_RESULTS) return FALSE;
        if (header->code == LVN_ITEMCHANGED) ShowDetail(s);
        int32_t line = ResultListNotice(header, FillCell, s);
        if (line >= 0) Activate(s, line);
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    case WM_DESTROY:
        RememberPlace(window, &s->E->ComparePlace);
        return FALSE;
    case WM_NCDESTROY:
        Forget(&s->C);
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

// A file that cannot be compared (not there, not a DTB file) is said so,
// and no window opens for it: an open one keeps what it showed.
void OpenCompareWindow(Editor* e, const char* path) {
    Comparison c;
    if (!Compare(e, path, &c)) return Forget(&c);
    if (!e->CompareWindow) {
        e->CompareWindow =
            CreateDialogParamA(e->Instance, "CompareDlg", e->Window, CompareProc, reinterpret_cast<LPARAM>(e));
        if (!e->CompareWindow) return Forget(&c);
        ShowWindow(e->CompareWindow, SW_SHOW);
    }
    CompareState* s = StateOf(e->CompareWindow);
    Forget(&s->C);
    s->C = c;
    ShowComparison(s);
    SetActiveWindow(e->CompareWindow);
    SetFocus(ListOf(s));
}

void ForgetStaleDifferences(Editor* e, bool documentReplaced) {
    CompareState* s = StateOf(e->CompareWindow);
    if (!s || !s->C.HasPaths || (!documentReplaced && s->C.Changes == e->Doc.History.Changes)) return;
    if (documentReplaced || s->C.Step != e->Doc.History.Steps) {
        Forget(&s->C);
        ShowLines(s);
        SetStatus(s, "The document has changed: Compare With compares it afresh.");
        return;
    }
    // Values changed in place: every line still names its chunk and shows
    // its value as it is now, but the differences may be others.
    s->C.Changes = e->Doc.History.Changes;
    SetStatus(s, "The document has changed since the comparison: Compare With compares it afresh.");
}
