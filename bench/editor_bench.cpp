// How long the editor's views take on large documents, under the real
// controls: opening and showing a file, one edit's refresh, a Find that
// lands deep in the tree, and switching views, in the tree and in the list.
// Run with scripts/bench-editor.sh; it prints a Markdown table.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/commands.h"
#include "app/editor.h"
#include "app/message_box.h"
#include "app/shell.h"
#include "chunk_types.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "tree_edit.h"
#include "views/views.h"

namespace {

// The generated documents: top-level nodes, each with an identifier, eight
// leaves of assorted types and eight child nodes, down to a fixed depth; the
// last leaf of all (the deepest, last node's) says "needle".
const int kLeaves = 8;
const int kSubnodes = 8;

void Add(EditorState* doc, uint32_t type, const char* text, uint32_t value) {
    ChunkRecord r = {};
    r.Type = type;
    WriteU32(r.Value, value);
    InsertChunkAt(doc, &r, doc->ChunkCount);
    if (IsPoolType(type))
        ReplacePayload(doc, doc->ChunkCount - 1, reinterpret_cast<const uint8_t*>(text), static_cast<int32_t>(std::strlen(text)));
}

void AddNode(EditorState* doc, int depth, int* number, bool last) {
    ChunkRecord r = {};
    r.Type = 16;
    WriteU16(r.Value, static_cast<uint16_t>(1 + kLeaves + (depth > 0 ? kSubnodes : 0)));
    WriteU32(r.Value + 2, static_cast<uint32_t>(++*number));
    InsertChunkAt(doc, &r, doc->ChunkCount);
    char text[32];
    std::snprintf(text, sizeof text, "node %d", *number);
    Add(doc, 5, text, 0);
    static const uint32_t kTypes[kLeaves] = {0, 1, 2, 18, 32, 6, 33, 35};
    for (int i = 0; i < kLeaves; ++i) Add(doc, kTypes[i], "some text here", static_cast<uint32_t>(i));
    for (int i = 0; depth > 0 && i < kSubnodes; ++i) AddNode(doc, depth - 1, number, last && i == kSubnodes - 1);
    if (last && depth == 0) ReplacePayload(doc, doc->ChunkCount - 1, reinterpret_cast<const uint8_t*>("needle"), 6);
}

// A chain of nodes, each named and holding the next; the last holds "needle".
void AddChain(EditorState* doc, int32_t levels) {
    for (int32_t level = 0; level < levels; ++level) {
        ChunkRecord r = {};
        r.Type = 16;
        WriteU16(r.Value, 2);
        WriteU32(r.Value + 2, static_cast<uint32_t>(level));
        InsertChunkAt(doc, &r, doc->ChunkCount);
        Add(doc, 5, "link", 0);
    }
    Add(doc, 32, "needle", 0);
}

// A file of about `chunks` chunks; wide files are leaves at the top level,
// a depth below 0 a chain of that many levels.
bool WriteBenchFile(const char* path, int32_t chunks, int depth, bool wide) {
    EditorState doc;
    InitEditorState(&doc);
    if (AllocateDocument(&doc) != 0) return false;
    int per = 2 + kLeaves;
    for (int d = 0; d < depth; ++d) per = 2 + kLeaves + kSubnodes * per;
    int number = 0;
    if (wide) {
        for (int32_t i = 0; i < chunks; ++i) Add(&doc, i == chunks - 1 ? 2 : 0, "needle", static_cast<uint32_t>(i));
    } else if (depth < 0) {
        AddChain(&doc, -depth);
    } else {
        int top = (chunks + per - 1) / per;
        for (int i = 0; i < top; ++i) AddNode(&doc, depth, &number, i == top - 1);
    }
    doc.Key = 0x1234ABCD;
    DeleteFileA(path);
    doc.FileHandle = FileCreateNew(path);
    bool written = doc.FileHandle != kNoFile && WriteDocument(&doc) == 0;
    if (doc.FileHandle != kNoFile) FileClose(doc.FileHandle);
    FreeDocument(&doc);
    return written;
}

std::string g_path;

BOOL ChooseBenchFile(OPENFILENAMEA* dialog, int32_t, DWORD* error) {
    *error = 0;
    std::snprintf(dialog->lpstrFile, dialog->nMaxFile, "%s", g_path.c_str());
    return TRUE;
}

int AnswerYes(HWND, const char* text, const char*, UINT flags) {
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
// refresh the Insert and Remove commands run.
void TimeEdits(EditorState* state, double* insert, double* remove) {
    int32_t middle = state->ChunkCount / 2;
    while (middle > 0 && !IsNodeType(state->Chunks[middle].Type)) --middle;
    int32_t parent = ParentOfChunk(state, middle);
    int32_t added = InsertNewChunk(state, middle, parent, LocationAfter, true, 0, "7");
    *insert = Time([&] { ShowEditedTable(state, added); });
    int32_t at = RemoveSubtree(state, added, parent, true);
    *remove = Time([&] { ShowEditedTable(state, at); });
    state->Modified = false;  // the document is as it was
}

// One pass over a file, from closed to closed, the tree shown at both ends.
enum { kTreeOpen, kListOpen, kTreeInsert, kListInsert, kTreeRemove, kListRemove,
       kTreeFind, kListFind, kToList, kToTree, kFigureCount };
struct Pass {
    double Ms[kFigureCount];
    size_t Memory;
    int32_t Chunks;
    bool Found;
};

Pass Measure(EditorState* state) {
    Pass p = {};
    Settle();
    size_t before = CommittedBytes();
    p.Ms[kTreeOpen] = Time([] { Command(IDM_OPEN); });
    p.Memory = CommittedBytes() - before;
    p.Chunks = state->ChunkCount;
    TimeEdits(state, &p.Ms[kTreeInsert], &p.Ms[kTreeRemove]);
    p.Ms[kTreeFind] = Time([] { Command(IDM_FIND); });
    p.Found = SelectedTreeChunk(state) == state->ChunkCount - 1;
    p.Ms[kToList] = Time([] { SendDlgItemMessageA(g_window, IDC_SHOW_AS_TREE, BM_CLICK, 0, 0); });
    TimeEdits(state, &p.Ms[kListInsert], &p.Ms[kListRemove]);
    p.Ms[kListFind] = Time([] { Command(IDM_FIND); });
    p.Found = p.Found && CurrentChunk == state->ChunkCount - 1;
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

void Run(EditorState* state, const char* name, int32_t chunks, int depth, bool wide) {
    if (g_only && !std::strstr(name, g_only)) return;
    if (!WriteBenchFile(g_path.c_str(), chunks, depth, wide)) {
        std::printf("| %s | could not write the file |\n", name);
        return;
    }
    HANDLE file = CreateFileA(g_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    SetWindowTextA(ControlOf(state, IDC_FIND_BOX), "needle");

    Pass passes[kPasses];
    bool found = true;
    for (Pass& p : passes) {
        p = Measure(state);
        found = found && p.Found;
    }
    double ms[kFigureCount];
    for (int f = 0; f < kFigureCount; ++f) {
        double one[kPasses];
        for (int i = 0; i < kPasses; ++i) one[i] = passes[i].Ms[f];
        std::nth_element(one, one + kPasses / 2, one + kPasses);
        ms[f] = one[kPasses / 2];
    }
    std::printf("| %s | %d | %.1f | %.1f | %.0f / %.0f | %.0f / %.0f | %.0f / %.0f | %.0f / %.0f%s | %.0f / %.0f |\n",
                name, passes[0].Chunks, static_cast<double>(size.QuadPart) / 1048576.0,
                static_cast<double>(passes[0].Memory) / static_cast<double>(size.QuadPart), ms[kTreeOpen],
                ms[kListOpen], ms[kTreeInsert], ms[kListInsert], ms[kTreeRemove], ms[kListRemove], ms[kTreeFind],
                ms[kListFind], found ? "" : " (missed)", ms[kToList], ms[kToTree]);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_only = argv[1];
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    g_path = std::string(temp) + "dtbedit-bench.dtb";
    ShowMessageBox = AnswerYes;
    RunFileDialog = ChooseBenchFile;

    EditorState state;
    if (StartEditor(&state, GetModuleHandleA(nullptr)) != 0) return 1;
    g_window = CreateDialogParamA(nullptr, "MainDlg", nullptr, MainDialogProc, reinterpret_cast<LPARAM>(&state));
    if (!g_window) return 1;
    ShowWindow(g_window, SW_SHOW);
    Settle();

    std::printf("Milliseconds, tree / list. Memory: the editor's growth on opening, as a multiple of the file's size.\n\n");
    std::printf("| file | chunks | MiB | memory | open and show | insert refresh | remove refresh | deep Find | "
                "switch view |\n|---|---|---|---|---|---|---|---|---|\n");
    Run(&state, "nested, depth 2", 10000, 1, false);
    Run(&state, "nested, depth 3", 100000, 2, false);
    Run(&state, "nested, depth 4", 1000000, 3, false);
    Run(&state, "flat", 65535, 0, true);
    Run(&state, "chain, 15,000 levels", 30001, -15000, false);
    DestroyWindow(g_window);
    EndEditor(&state);
    DeleteFileA(g_path.c_str());
    return 0;
}
