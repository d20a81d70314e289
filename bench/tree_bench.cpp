// The tree's table work on a table of a million chunks: the shape the tree
// view is made from, the subtree end and the parent read from the table,
// find over every chunk, and single edits at the front and the back, whose
// cost should follow the records they move.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clipboard_block.h"
#include "dtb_kit.h"
#include "find_replace.h"
#include "journal.h"
#include "tree_edit.h"
#include "tree_move.h"
#include "tree_shape.h"

namespace {

const int32_t kItemChunks = 41;  // one item of the root: see MakeTable
const int32_t kItems = 1000000 / kItemChunks;
const int32_t kChunks = 1 + kItems * kItemChunks;

// Letter case as the editor's code page folds it, for A to Z.
const CaseFold* AsciiFold() {
    static CaseFold fold = [] {
        CaseFold f;
        for (int c = 0; c < 256; ++c) f.lower[c] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return f;
    }();
    return &fold;
}

// The table read from the stream, with room for the edits below, so that
// nothing grows inside the timed loops.
Document* Loaded(const DtbBuilder& stream) {
    TestDocument* doc = new TestDocument;
    if (doc->Load(stream) != 0 || EnsureRoom(doc->get(), 1 << 20, 4096) != 0) std::abort();
    return doc->get();
}

// One root node with about 24,000 items; an item is a node with its name,
// eight values and a list of thirty texts: the shape of a large data tree,
// 1,000,000 chunks and three levels deep.
Document* MakeTable() {
    static Document* doc = [] {
        DtbBuilder b = DtbBuilder().Top(1).Node(16, static_cast<uint16_t>(kItems), 0);
        for (int32_t item = 0; item < kItems; ++item) {
            b.Node(17, 10, item).Text(5, "item" + std::to_string(item));
            for (uint32_t k = 0; k < 8; ++k) b.Scalar(k % 2, k);
            b.Node(19, 30, 0);
            for (int k = 0; k < 30; ++k) b.Text(k % 3 ? 32 : 2, k % 5 ? "some text" : "Another Text");
        }
        return Loaded(b);
    }();
    return doc;
}

void BM_TreeShape(benchmark::State& st) {
    Document* s = MakeTable();
    TreeShape shape = {};
    for (auto _ : st) {
        if (BuildTreeShape(s, true, &shape) != 0) std::abort();
        benchmark::DoNotOptimize(shape.Items);
    }
    st.counters["items"] = shape.ItemCount();
    FreeTreeShape(&shape);
}

void BM_TreeShape_HiddenIdentifiers(benchmark::State& st) {
    Document* s = MakeTable();
    TreeShape shape = {};
    for (auto _ : st) {
        if (BuildTreeShape(s, false, &shape) != 0) std::abort();
        benchmark::DoNotOptimize(shape.Items);
    }
    FreeTreeShape(&shape);
}

// A million nodes, each the only child of the one before: no stack to blow.
void BM_TreeShape_DeepChain(benchmark::State& st) {
    static Document* s = [] {
        DtbBuilder b = DtbBuilder().Top(1);
        for (int32_t i = 0; i < kChunks - 1; ++i) b.Node(16, 1, i);
        return Loaded(b.Scalar(0, 1));
    }();
    TreeShape shape = {};
    for (auto _ : st) {
        if (BuildTreeShape(s, true, &shape) != 0) std::abort();
        benchmark::DoNotOptimize(shape.Items);
    }
    st.counters["depth"] = shape.Items[shape.ItemCount() - 1].Depth;
    FreeTreeShape(&shape);
}

void BM_SubtreeEnd_Root(benchmark::State& st) {
    Document* s = MakeTable();
    for (auto _ : st) benchmark::DoNotOptimize(SubtreeEnd(s, 0));
}

void BM_ParentOfChunk_LastItem(benchmark::State& st) {
    Document* s = MakeTable();
    int32_t last = 1 + (kItems - 1) * kItemChunks;
    if (ParentOfChunk(s, last) != 0) std::abort();
    for (auto _ : st) benchmark::DoNotOptimize(ParentOfChunk(s, last));
}

void BM_FindNext_NoMatch(benchmark::State& st) {
    Document* s = MakeTable();
    ReportHook recorder = s->Reporter;
    s->Reporter = nullptr;  // "Could not find string." every time
    for (auto _ : st) benchmark::DoNotOptimize(FindNextChunk(s, 0, "not there", true, AsciiFold()));
    s->Reporter = recorder;
}

void BM_FindNext_LastItem(benchmark::State& st) {
    Document* s = MakeTable();
    std::string name = "ITEM" + std::to_string(kItems - 1);
    for (auto _ : st) benchmark::DoNotOptimize(FindNextChunk(s, 0, name.c_str(), true, AsciiFold()));
}

// Insert and remove one chunk; arg 0 at the front (every record moves),
// arg 1 at the back (none does).
void BM_InsertRemove(benchmark::State& st) {
    Document* s = MakeTable();
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
    Document* s = MakeTable();
    bool back = st.range(0) == 1;
    int32_t source = 1;
    int32_t count = SubtreeEnd(s, source) - source;
    size_t size = static_cast<size_t>(ClipboardBlockSize(s, source, count));
    uint8_t* block = static_cast<uint8_t*>(std::malloc(size));
    WriteClipboardBlock(s, source, count, block);
    int32_t selected = back ? 1 + (kItems - 1) * kItemChunks : 1;
    int32_t used = s->PoolUsed;
    for (auto _ : st) {
        int32_t index = PasteClipboardBlock(s, block, size, selected, 0, LocationAfter, true);
        RemoveSubtree(s, index, 0, true);
        s->PoolUsed = used;
    }
    std::free(block);
}

// Two top-level nodes of items of 40 chunks: one of 100,001 chunks, then
// one of 900,001.
DtbBuilder TwoNodes() {
    DtbBuilder b = DtbBuilder().Top(2);
    for (int32_t node = 0, items = 2500; node < 2; ++node, items = 22500) {
        b.Node(16, static_cast<uint16_t>(items), node);
        for (int32_t item = 0; item < items; ++item) {
            b.Node(17, 39, item);
            for (uint32_t k = 0; k < 39; ++k) b.Text(k % 3 ? 32 : 2, "some text");
        }
    }
    return b;
}

// Undo (arg 0) or redo (arg 1) of the Remove of a 100,001-chunk subtree from
// a table of 1,000,002: the core's step alone, the other one untimed.
void BM_UndoRedo_Remove100k(benchmark::State& st) {
    static Document* doc = [] {
        Document* d = Loaded(TwoNodes());
        if (RemoveSubtree(d, 0, -1, true) != 0 || d->ChunkCount != 900001) std::abort();
        return d;
    }();
    const bool redo = st.range(0) == 1;
    int32_t show = 0;
    for (auto _ : st) {
        if (redo) {
            st.PauseTiming();
            UndoChange(doc, &show);
            st.ResumeTiming();
            RedoChange(doc, &show);
        } else {
            UndoChange(doc, &show);
            st.PauseTiming();
            RedoChange(doc, &show);
            st.ResumeTiming();
        }
    }
    st.counters["journal MiB"] = static_cast<double>(doc->History.Bytes) / 1048576.0;
}

// Move (arg 0) of a node with its 100,001-chunk subtree past the other
// 900,001 chunks of a 1,000,002-chunk table, or the Undo (arg 1) that takes
// it back: the records rotate, and the journal notes where they went.
void BM_MoveSubtree100k(benchmark::State& st) {
    static Document* doc = Loaded(TwoNodes());
    const bool undo = st.range(0) == 1;
    int32_t show = 0;
    for (auto _ : st) {
        if (undo) st.PauseTiming();
        if (MoveSubtree(doc, 0, 100001, MoveAfter) != 900001) std::abort();
        if (undo)
            st.ResumeTiming();
        else
            st.PauseTiming();
        UndoChange(doc, &show);
        if (!undo) st.ResumeTiming();
    }
    st.counters["journal bytes"] = static_cast<double>(doc->History.Bytes);
}

// 1,000 single inserts spread over the million-chunk table: what the journal
// holds for them, against the table's own 24 MiB. They are undone afterwards.
void BM_JournalOf1000Edits(benchmark::State& st) {
    Document* s = MakeTable();
    for (auto _ : st) {
        ClearJournal(s);
        for (int32_t k = 0; k < 1000; ++k)
            InsertNewChunk(s, 1 + k * 997, ParentOfChunk(s, 1 + k * 997), LocationBefore, true, 32, "new text");
        st.counters["journal KiB"] = static_cast<double>(s->History.Bytes) / 1024.0;
        for (int32_t show = 0; UndoChange(s, &show) == 0;) {
        }
    }
}

// Find All and Replace All over the million chunks: a plain text (146,000
// matches), a regular expression, a number range; Replace All of 97,600
// integers and its Undo (Arg 1).
void FindAll(benchmark::State& st, const FindOptions& options) {
    Document* s = MakeTable();
    Finder* finder = MakeFinder(s, options);
    std::vector<int32_t> found;
    for (auto _ : st) {
        found.clear();
        if (FindAllMatches(finder, s, &found, Progress()) != WalkDone) std::abort();
    }
    st.counters["matches"] = static_cast<double>(found.size());
    FreeFinder(finder);
}
void BM_FindAll_Text(benchmark::State& st) {
    FindOptions o;
    o.Pattern = "another";
    FindAll(st, o);
}
void BM_FindAll_Regex(benchmark::State& st) {
    FindOptions o;
    o.Pattern = "an.ther\\s+t";
    o.Regex = true;
    FindAll(st, o);
}
void BM_FindAll_Number(benchmark::State& st) {
    FindOptions o;
    o.Pattern = "2..6";
    o.LookIn = LookNumbers;
    FindAll(st, o);
}
void BM_ReplaceAll_Integers(benchmark::State& st) {
    Document* s = MakeTable();
    FindOptions o;
    o.Pattern = "0..6";
    o.LookIn = LookIntegers;
    Finder* finder = MakeFinder(s, o);
    const bool undo = st.range(0) == 1;
    int32_t replaced = 0, show = 0;
    for (auto _ : st) {
        if (undo) st.PauseTiming();
        if (ReplaceAllMatches(finder, s, "9", &replaced, Progress()) != WalkDone) std::abort();
        if (undo) {
            st.ResumeTiming();
        } else {
            st.PauseTiming();
        }
        UndoChange(s, &show);
        if (!undo) st.ResumeTiming();
    }
    st.counters["replaced"] = replaced;
    FreeFinder(finder);
}

}  // namespace

BENCHMARK(BM_UndoRedo_Remove100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveSubtree100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalOf1000Edits)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeShape)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeShape_HiddenIdentifiers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeShape_DeepChain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubtreeEnd_Root)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParentOfChunk_LastItem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNext_NoMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNext_LastItem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAll_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAll_Regex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindAll_Number)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceAll_Integers)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertRemove)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyPaste)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
