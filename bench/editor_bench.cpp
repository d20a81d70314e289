// How long the editor's views take on large documents, under the real
// controls: opening and showing a file, one edit's refresh, a Find that
// lands deep in the tree, and switching views, in the tree and in the list.
// Run with scripts/bench-editor.sh; it prints a Markdown table. With
// "files FOLDER", Find All and Replace All in the folder's files instead.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/commands.h"
#include "base/editor.h"
#include "app/shell.h"
#include "chunk_types.h"
#include "dtb_kit.h"
#include "journal.h"
#include "tree_edit.h"
#include "tree_move.h"
#include "views/find_dialog.h"
#include "views/views.h"

namespace {

// The generated documents: top-level nodes, each with an identifier, eight
// leaves of assorted types and eight child nodes, down to a fixed depth; the
// last leaf of all (the deepest, last node's) says "needle".
const int kLeaves = 8;
const int kSubnodes = 8;

void AddNode(DtbBuilder& b, int depth, int* number, bool last) {
    b.Node(16, static_cast<uint16_t>(1 + kLeaves + (depth > 0 ? kSubnodes : 0)), ++*number);
    b.Text(5, "node " + std::to_string(*number));
    static const uint32_t kTypes[kLeaves] = {0, 1, 2, 18, 32, 6, 33, 35};
    for (uint32_t i = 0; i < kLeaves; ++i) {
        if (!IsPoolType(kTypes[i]))
            b.Scalar(kTypes[i], i);
        else
            b.Text(kTypes[i], last && depth == 0 && i == kLeaves - 1 ? "needle" : "some text here");
    }
    for (int i = 0; depth > 0 && i < kSubnodes; ++i) AddNode(b, depth - 1, number, last && i == kSubnodes - 1);
}

// A file of about `chunks` chunks; wide files are leaves at the top level,
// a depth below 0 a chain of that many levels, each node named and holding
// the next, the last holding "needle".
bool WriteBenchFile(const char* path, int32_t chunks, int depth, bool wide) {
    DtbBuilder b;
    int per = 2 + kLeaves;
    for (int d = 0; d < depth; ++d) per = 2 + kLeaves + kSubnodes * per;
    int number = 0;
    if (wide) {
        b.Top(static_cast<uint16_t>(chunks));
        for (int32_t i = 0; i < chunks - 1; ++i) b.Scalar(0, static_cast<uint32_t>(i));
        b.Text(2, "needle");
    } else if (depth < 0) {
        b.Top(1);
        for (int32_t level = 0; level < -depth; ++level) b.Node(16, 2, level).Text(5, "link");
        b.Text(32, "needle");
    } else {
        int top = (chunks + per - 1) / per;
        b.Top(static_cast<uint16_t>(top));
        for (int i = 0; i < top; ++i) AddNode(b, depth, &number, i == top - 1);
    }
    return SaveFile(path, b.File(0x1234ABCD));
}

std::string g_path;

BOOL ChooseBenchFile(void*, OPENFILENAMEA* dialog, bool, DWORD* error) {
    *error = 0;
    std::snprintf(dialog->lpstrFile, dialog->nMaxFile, "%s", g_path.c_str());
    return TRUE;
}

int AnswerYes(void*, HWND, const char* text, const char*, UINT flags) {
    if ((flags & MB_TYPEMASK) != MB_YESNO) std::fprintf(stderr, "message: %s\n", text);
    return IDYES;
}

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HWND g_window = nullptr;

// Runs what the command queued and paints the window, as the user sees it.
void Settle() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(g_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    RedrawWindow(g_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

template <class Step>
double Time(Step step) {
    Settle();
    double start = Now();
    step();
    Settle();
    return (Now() - start) * 1000.0;
}

void Command(int id) { SendMessageA(g_window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;  // the memory committed to the process
}

// One insert after the middle chunk and its removal, each followed by the
// refresh the Insert and Remove commands run; then the removal undone and
// redone through the commands, core step and refresh together.
void TimeEdits(Editor* e, double* insert, double* remove, double* undo, double* redo) {
    Document* doc = &e->Doc;
    int32_t middle = doc->ChunkCount / 2;
    while (middle > 0 && !IsNodeType(doc->Chunks[middle].Type)) --middle;
    int32_t parent = ParentOfChunk(doc, middle);
    int32_t added = InsertNewChunk(doc, middle, parent, LocationAfter, true, 0, "7");
    *insert = Time([&] { AfterChange(e, ChangedTable, added); });
    int32_t at = RemoveSubtree(doc, added, parent, true);
    *remove = Time([&] { AfterChange(e, ChangedTable, at); });
    MarkSaved(doc);  // the document is as it was
    *undo = Time([] { Command(IDM_UNDO); });
    *redo = Time([] { Command(IDM_REDO); });
    // Find starts from no selection, as after opening.
    SendDlgItemMessageA(g_window, IDC_CHUNK_TREE, TVM_SELECTITEM, TVGN_CARET, 0);
    SendDlgItemMessageA(g_window, IDC_CHUNK_LIST, LB_SETCURSEL, WPARAM(-1), 0);
    e->CurrentChunk = -1;
}

// One pass over a file, from closed to closed, the tree shown at both ends.
enum {
    kTreeOpen,
    kListOpen,
    kTreeInsert,
    kListInsert,
    kTreeRemove,
    kListRemove,
    kTreeUndo,
    kListUndo,
    kTreeRedo,
    kListRedo,
    kTreeFind,
    kListFind,
    kToList,
    kToTree,
    kFigureCount
};
struct Pass {
    double Ms[kFigureCount];
    double Memory;  // may be below 0: a file smaller than the last one's freed blocks
    int32_t Chunks;
    bool Found;
};

Pass Measure(Editor* e) {
    Pass p = {};
    Settle();
    size_t before = CommittedBytes();
    p.Ms[kTreeOpen] = Time([] { Command(IDM_OPEN); });
    p.Memory = static_cast<double>(CommittedBytes()) - static_cast<double>(before);
    p.Chunks = e->Doc.ChunkCount;
    TimeEdits(e, &p.Ms[kTreeInsert], &p.Ms[kTreeRemove], &p.Ms[kTreeUndo], &p.Ms[kTreeRedo]);
    p.Ms[kTreeFind] = Time([] { Command(IDM_FIND); });
    p.Found = SelectedTreeChunk(e) == e->Doc.ChunkCount - 1;
    p.Ms[kToList] = Time([] { SendDlgItemMessageA(g_window, IDC_SHOW_AS_TREE, BM_CLICK, 0, 0); });
    TimeEdits(e, &p.Ms[kListInsert], &p.Ms[kListRemove], &p.Ms[kListUndo], &p.Ms[kListRedo]);
    p.Ms[kListFind] = Time([] { Command(IDM_FIND); });
    p.Found = p.Found && e->CurrentChunk == e->Doc.ChunkCount - 1;
    Command(IDM_CLOSE);
    p.Ms[kListOpen] = Time([] { Command(IDM_OPEN); });
    p.Ms[kToTree] = Time([] { SendDlgItemMessageA(g_window, IDC_SHOW_AS_TREE, BM_CLICK, 0, 0); });
    Command(IDM_CLOSE);
    return p;
}

// Each figure is the median of five passes: single timings under Wine
// wander by half their size and more.
const int kPasses = 5;

const char* g_only = nullptr;  // runs only the files whose name holds this text

void Run(Editor* e, const char* name, int32_t chunks, int depth, bool wide) {
    if (g_only && !std::strstr(name, g_only)) return;
    if (!WriteBenchFile(g_path.c_str(), chunks, depth, wide)) {
        std::printf("| %s | could not write the file |\n", name);
        return;
    }
    HANDLE file = CreateFileA(g_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    SetWindowTextA(ControlOf(e, IDC_FIND_BOX), "needle");

    Pass passes[kPasses];
    bool found = true;
    for (Pass& p : passes) {
        p = Measure(e);
        found = found && p.Found;
    }
    double ms[kFigureCount];
    for (int f = 0; f < kFigureCount; ++f) {
        double one[kPasses];
        for (int i = 0; i < kPasses; ++i) one[i] = passes[i].Ms[f];
        std::nth_element(one, one + kPasses / 2, one + kPasses);
        ms[f] = one[kPasses / 2];
    }
    std::printf(
        "| %s | %d | %.1f | %.1f | %.0f / %.0f | %.0f / %.0f | %.0f / %.0f | %.0f / %.0f | %.0f / %.0f "
        "| %.0f / %.0f%s | %.0f / %.0f |\n",
        name, passes[0].Chunks, static_cast<double>(size.QuadPart) / 1048576.0,
        passes[0].Memory / static_cast<double>(size.QuadPart), ms[kTreeOpen], ms[kListOpen], ms[kTreeInsert],
        ms[kListInsert], ms[kTreeRemove], ms[kListRemove], ms[kTreeUndo], ms[kListUndo], ms[kTreeRedo], ms[kListRedo],
        ms[kTreeFind], ms[kListFind], found ? "" : " (missed)", ms[kToList], ms[kToTree]);
    std::fflush(stdout);
}

// Find All and Replace All in files through the dialog, over every DTB file
// of a folder (scripts/bench-files.sh makes them): until each run has ended
// and its list or summary is shown.
double RunInFiles(HWND dialog, int button) {
    return Time([&] {
        SendDlgItemMessageA(dialog, button, BM_CLICK, 0, 0);
        for (FindReplaceDialog* d = FindDialogOf(dialog); d->Busy;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            Settle();
        }
    });
}

void RunFilesBench(Editor* e, const char* folder) {
    Command(IDM_FIND_IN_FILES);
    HWND dialog = e->FindDialog;
    SetDlgItemTextA(dialog, IDC_FILES_FOLDER, folder);
    SetDlgItemTextA(dialog, IDC_FILES_PATTERN, "*.dtb");
    CheckDlgButton(dialog, IDC_FILES_SUBFOLDERS, BST_UNCHECKED);
    char status[256];
    const char* steps[][3] = {{"find", "lava", ""}, {"replace", "lava", "magma"}, {"replace back", "magma", "lava"}};
    for (const auto& step : steps) {
        SetDlgItemTextA(dialog, IDC_FIND_WHAT, step[1]);
        SetDlgItemTextA(dialog, IDC_REPLACE_WITH, step[2]);
        double ms = RunInFiles(dialog, *step[2] ? IDC_REPLACE_ALL : IDC_FIND_ALL);
        GetDlgItemTextA(dialog, IDC_FIND_STATUS, status, sizeof status);
        std::printf("editor %s: %.2f s, %s\n", step[0], ms / 1000.0, status);
        std::fflush(stdout);
    }
}

// Find and Replace on a file of a million matches: a thousand nodes of a
// thousand texts each. Find All until its list is filled and painted, then
// Replace All of every one with the views refreshed, and its Undo.
void RunFindAndReplace(Editor* e) {
    if (g_only && !std::strstr("find", g_only)) return;
    DtbBuilder b;
    b.Top(1000);
    for (int n = 0; n < 1000; ++n) {
        b.Node(16, 1000, n);
        for (int i = 0; i < 1000; ++i) b.Text(2, "needle");
    }
    if (!SaveFile(g_path, b.File(0x1234ABCD))) return;
    double ms[3][3];
    size_t shown = 0;
    int32_t replaced = 0;
    for (auto& pass : ms) {
        Command(IDM_OPEN);
        Command(IDM_FIND_REPLACE);
        HWND dialog = e->FindDialog;
        SetDlgItemTextA(dialog, IDC_FIND_WHAT, "needle");
        SetDlgItemTextA(dialog, IDC_REPLACE_WITH, "pin");
        pass[0] = Time([&] { SendDlgItemMessageA(dialog, IDC_FIND_ALL, BM_CLICK, 0, 0); });
        shown = static_cast<size_t>(SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LVM_GETITEMCOUNT, 0, 0));
        pass[1] = Time([&] { SendDlgItemMessageA(dialog, IDC_REPLACE_ALL, BM_CLICK, 0, 0); });
        char status[64];
        GetDlgItemTextA(dialog, IDC_FIND_STATUS, status, sizeof status);
        replaced = std::atoi(status);
        pass[2] = Time([] { Command(IDM_UNDO); });
        DestroyWindow(dialog);
        MarkSaved(&e->Doc);
        Command(IDM_CLOSE);
    }
    double median[3];
    for (int f = 0; f < 3; ++f) {
        double one[3] = {ms[0][f], ms[1][f], ms[2][f]};
        std::nth_element(one, one + 1, one + 3);
        median[f] = one[1];
    }
    std::printf(
        "\n| matches | Find All, listed and painted | Replace All, views refreshed | its Undo |\n"
        "|---|---|---|---|\n| %zu (%d replaced) | %.0f | %.0f | %.0f |\n",
        shown, replaced, median[0], median[1], median[2]);
    std::fflush(stdout);
}

// Rearranging, whole commands in the tree (the core's step and the refresh):
// Move Down of a leaf among 65,534 top-level siblings, and a node with a
// 100,000-chunk subtree moved behind the rest of a 1,000,000-chunk file;
// each with its Undo. Medians of three.
double Median3(double a, double b, double c) { return std::max(std::min(a, b), std::min(std::max(a, b), c)); }

void TimeMove(Editor* e, const char* name, const DtbBuilder& b, int32_t chunk, int32_t target) {
    if (!SaveFile(g_path, b.File(0x1234ABCD))) return;
    double ms[2][3];
    for (int pass = 0; pass < 3; ++pass) {
        Command(IDM_OPEN);
        SelectTreeChunk(e, chunk);
        Settle();
        ms[0][pass] = Time([&] {
            if (target < 0) return Command(IDM_MOVE_DOWN);
            AfterChange(e, ChangedTable, MoveSubtree(&e->Doc, chunk, target, MoveAfter));
        });
        ms[1][pass] = Time([] { Command(IDM_UNDO); });
        MarkSaved(&e->Doc);
        Command(IDM_CLOSE);
    }
    std::printf("| %s | %.0f | %.0f |\n", name, Median3(ms[0][0], ms[0][1], ms[0][2]),
                Median3(ms[1][0], ms[1][1], ms[1][2]));
    std::fflush(stdout);
}

void RunMoves(Editor* e) {
    if (g_only && !std::strstr("move", g_only)) return;
    std::printf("\n| move, in the tree | command and refresh | its Undo |\n|---|---|---|\n");
    DtbBuilder flat;
    flat.Top(65534);
    for (uint32_t i = 0; i < 65534; ++i) flat.Scalar(0, i);
    TimeMove(e, "Move Down of a leaf among 65,534", flat, 32767, -1);
    DtbBuilder nested;
    const int kMoved = 17, kRest = 153;  // nodes of 5,850 chunks: 100,000 moved of 1,000,000
    nested.Top(static_cast<uint16_t>(1 + kRest)).Node(16, kMoved, 0);
    int number = 0;
    for (int i = 0; i < kMoved + kRest; ++i) AddNode(nested, 3, &number, false);
    TimeMove(e, "a 100,000-chunk subtree behind 900,000", nested, 0, 1 + (kMoved + kRest - 1) * 5850);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_only = argv[1];
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    g_path = std::string(temp) + "dtbedit-bench.dtb";
    UserSeams user = PlatformSeams();
    user.MessageBox = AnswerYes;
    user.FileDialog = ChooseBenchFile;
    static Editor editor;
    if (!StartEditor(&editor, GetModuleHandleA(nullptr), user)) return 1;
    g_window = CreateDialogParamA(nullptr, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&editor));
    if (!g_window) return 1;
    ShowWindow(g_window, SW_SHOW);
    Settle();
    if (argc > 2 && !std::strcmp(argv[1], "files")) {
        RunFilesBench(&editor, argv[2]);
        DestroyWindow(g_window);
        EndEditor(&editor);
        return 0;
    }

    std::printf(
        "Milliseconds, tree / list. Memory: the editor's growth on opening, as a multiple of the file's size.\n\n");
    std::printf(
        "| file | chunks | MiB | memory | open and show | insert refresh | remove refresh | undo | redo | "
        "deep Find | switch view |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
    Run(&editor, "nested, depth 2", 10000, 1, false);
    Run(&editor, "nested, depth 3", 100000, 2, false);
    Run(&editor, "nested, depth 4", 1000000, 3, false);
    Run(&editor, "flat", 65534, 0, true);  // one short of full, so that the insert goes in
    Run(&editor, "chain, 15,000 levels", 30001, -15000, false);
    RunFindAndReplace(&editor);
    RunMoves(&editor);
    DestroyWindow(g_window);
    EndEditor(&editor);
    DeleteFileA(g_path.c_str());
    return 0;
}
