// The tree's table work on a table of a million chunks: the shape the tree
// view is made from, the subtree end and the parent read from the table,
// find over every chunk, and single edits at the front and the back, whose
// cost should follow the records they move.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chunk_types.h"
#include "clipboard_block.h"
#include "document.h"
#include "editor_state.h"
#include "find_match.h"
#include "tree_edit.h"
#include "tree_shape.h"

namespace {

const int32_t kItemChunks = 41;      // one item of the root: see MakeTable
const int32_t kItems = 1000000 / kItemChunks;
const int32_t kChunks = 1 + kItems * kItemChunks;

void ToStderr(void*, const char* text, ReportKind) { std::fprintf(stderr, "tree: %s\n", text); }

void Add(EditorState* s, uint32_t type, uint32_t value, uint16_t children, const char* text) {
    ChunkRecord& r = s->Chunks[s->ChunkCount++];
    std::memset(&r, 0, sizeof r);
    r.Type = type;
    if (IsNodeType(type)) {
        WriteU16(r.Value, children);
        WriteU32(r.Value + 2, value);
    } else if (IsPoolType(type)) {
        int32_t n = static_cast<int32_t>(std::strlen(text));
        r.PoolOffset = static_cast<uint32_t>(s->PoolUsed);
        r.Length = r.SlotLength = n;
        std::memcpy(s->Pool + s->PoolUsed, text, static_cast<size_t>(n));
        s->PoolUsed += n;
    } else {
        WriteU32(r.Value, value);
    }
}

// One root node with about 24,000 items; an item is a node with its name,
// eight values and a list of thirty texts: the shape of a large data tree,
// 1,000,000 chunks and three levels deep.
EditorState* MakeTable() {
    static EditorState s;
    if (s.Chunks) return &s;
    InitEditorState(&s);
    s.Reporter = ToStderr;
    if (AllocateDocument(&s) != 0 || EnsureRoom(&s, kChunks * 16, kChunks + 64) != 0) std::abort();
    s.ShowIdentifiers = 1;
    s.ShowAsTree = 1;
    WriteU16(s.HeaderBytes + 1, 1);
    Add(&s, 16, 0, static_cast<uint16_t>(kItems), "");
    char name[32];
    for (int32_t item = 0; item < kItems; ++item) {
        std::snprintf(name, sizeof name, "item%d", item);
        Add(&s, 17, static_cast<uint32_t>(item), 10, "");
        Add(&s, 5, 0, 0, name);
        for (int k = 0; k < 8; ++k) Add(&s, k % 2 ? 1 : 0, static_cast<uint32_t>(k), 0, "");
        Add(&s, 19, 0, 30, "");
        for (int k = 0; k < 30; ++k) Add(&s, k % 3 ? 32 : 2, 0, 0, k % 5 ? "some text" : "Another Text");
    }
    // Room for the edits below without growth inside the timed loops.
    if (EnsureRoom(&s, 1 << 20, 4096) != 0) std::abort();
    return &s;
}

void BM_TreeShape(benchmark::State& st) {
    EditorState* s = MakeTable();
    TreeShape shape = {};
    for (auto _ : st) {
        if (BuildTreeShape(s, &shape) != 0) std::abort();
        benchmark::DoNotOptimize(shape.Items);
    }
    st.counters["items"] = shape.ItemCount;
    FreeTreeShape(&shape);
}

void BM_TreeShape_HiddenIdentifiers(benchmark::State& st) {
    EditorState* s = MakeTable();
    s->ShowIdentifiers = 0;
    TreeShape shape = {};
    for (auto _ : st) {
        if (BuildTreeShape(s, &shape) != 0) std::abort();
        benchmark::DoNotOptimize(shape.Items);
    }
    s->ShowIdentifiers = 1;
    FreeTreeShape(&shape);
}

// A million nodes, each the only child of the one before: no stack to blow.
void BM_TreeShape_DeepChain(benchmark::State& st) {
    static EditorState s;
    if (!s.Chunks) {
        InitEditorState(&s);
        s.Reporter = ToStderr;
        if (AllocateDocument(&s) != 0 || EnsureRoom(&s, 0, kChunks + 8) != 0) std::abort();
        s.ShowIdentifiers = 1;
        for (int32_t i = 0; i < kChunks - 1; ++i) Add(&s, 16, static_cast<uint32_t>(i), 1, "");
        Add(&s, 0, 1, 0, "");
    }
    TreeShape shape = {};
    for (auto _ : st) {
        if (BuildTreeShape(&s, &shape) != 0) std::abort();
        benchmark::DoNotOptimize(shape.Items);
    }
    st.counters["depth"] = shape.Items[shape.ItemCount - 1].Depth;
    FreeTreeShape(&shape);
}

void BM_SubtreeEnd_Root(benchmark::State& st) {
    EditorState* s = MakeTable();
    for (auto _ : st) benchmark::DoNotOptimize(SubtreeEnd(s, 0));
}

void BM_ParentOfChunk_LastItem(benchmark::State& st) {
    EditorState* s = MakeTable();
    int32_t last = 1 + (kItems - 1) * kItemChunks;
    if (ParentOfChunk(s, last) != 0) std::abort();
    for (auto _ : st) benchmark::DoNotOptimize(ParentOfChunk(s, last));
}

void BM_FindNext_NoMatch(benchmark::State& st) {
    EditorState* s = MakeTable();
    s->Reporter = nullptr;  // "Could not find string." every time
    for (auto _ : st) benchmark::DoNotOptimize(FindNextChunk(s, 0, "not there", true, WesternCaseFold()));
    s->Reporter = ToStderr;
}

void BM_FindNext_LastItem(benchmark::State& st) {
    EditorState* s = MakeTable();
    std::string name = "ITEM" + std::to_string(kItems - 1);
    for (auto _ : st) benchmark::DoNotOptimize(FindNextChunk(s, 0, name.c_str(), true, WesternCaseFold()));
}

// Insert and remove one chunk; arg 0 at the front (every record moves),
// arg 1 at the back (none does).
void BM_InsertRemove(benchmark::State& st) {
    EditorState* s = MakeTable();
    bool back = st.range(0) == 1;
    int32_t selected = back ? s->ChunkCount - 1 : 1;
    int32_t parent = ParentOfChunk(s, selected);
    uint32_t location = back ? LocationAfter : LocationBefore;
    int32_t used = s->PoolUsed;
    for (auto _ : st) {
        int32_t index = InsertNewChunk(s, selected, parent, location, true, 32, "new text");
        RemoveSubtree(s, index, parent, true);
        s->PoolUsed = used;  // keep the pool from growing across iterations
    }
}

// Copy one item (41 records) and paste it back; arg as above.
void BM_CopyPaste(benchmark::State& st) {
    EditorState* s = MakeTable();
    bool back = st.range(0) == 1;
    int32_t source = 1;
    int32_t count = SubtreeEnd(s, source) - source;
    size_t size = static_cast<size_t>(ClipboardBlockSize(s, source, count));
    uint8_t* block = static_cast<uint8_t*>(std::malloc(size));
    WriteClipboardBlock(s, source, count, block);
    int32_t selected = back ? 1 + (kItems - 1) * kItemChunks : 1;
    int32_t used = s->PoolUsed;
    for (auto _ : st) {
        int32_t index = PasteClipboardBlock(s, block, size, selected, 0, LocationOnly | LocationAfter, true);
        RemoveSubtree(s, index, 0, true);
        s->PoolUsed = used;
    }
    std::free(block);
}

}  // namespace

BENCHMARK(BM_TreeShape)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeShape_HiddenIdentifiers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeShape_DeepChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubtreeEnd_Root)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParentOfChunk_LastItem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNext_NoMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNext_LastItem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRemove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyPaste)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
