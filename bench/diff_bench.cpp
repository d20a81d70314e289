// Comparing and merging files of a million chunks that differ in a thousand
// places, and one list as long as a node allows with a few edits: the cost
// should follow the file once, not the differences times the file, nor the
// product of two lists' lengths.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chunk_types.h"
#include "dtb_kit.h"
#include "tree_shape.h"
#include "tree_diff.h"
#include "tree_merge.h"

namespace {

const int32_t kItems = 1000000 / 41;

// MakeTable's shape (tree_bench.cpp): one root, items of a name, eight values
// and thirty texts. changed(item) says whether the item's first value is 1
// instead of 0, and removed(item) whether its third text is gone.
template <typename Changed>
DtbBuilder Table(Changed changed) {
    DtbBuilder b = DtbBuilder().Top(1).Node(16, static_cast<uint16_t>(kItems), 0);
    for (int32_t item = 0; item < kItems; ++item) {
        b.Node(17, 10, item).Text(5, "item" + std::to_string(item));
        for (uint32_t k = 0; k < 8; ++k) b.Scalar(k % 2, k == 0 && changed(item) ? 1 : k);
        b.Node(19, 30, 0);
        for (int k = 0; k < 30; ++k) b.Text(k % 3 ? 32 : 2, k % 5 ? "some text" : "Another Text");
    }
    return b;
}

Document* Loaded(const DtbBuilder& b) {
    TestDocument* doc = new TestDocument;
    if (doc->Load(b) != 0) std::abort();
    return doc->get();
}

// A thousand places, evenly spread; the merge's two sides take every other one.
bool Place(int32_t item) { return item % 24 == 0 && item / 24 < 1000; }
Document* Base() {
    static Document* d = Loaded(Table([](int32_t) { return false; }));
    return d;
}
Document* Changed() {
    static Document* d = Loaded(Table(Place));
    return d;
}
Document* Ours() {
    static Document* d = Loaded(Table([](int32_t i) { return Place(i) && i % 48 == 0; }));
    return d;
}
Document* Theirs() {
    static Document* d = Loaded(Table([](int32_t i) { return Place(i) && i % 48 != 0; }));
    return d;
}

// The process's peak resident memory in bytes, where the system tells it.
double PeakBytes() {
    double kib = 0;
#if defined(__linux__)
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (!std::strncmp(line, "VmHWM:", 6)) kib = std::atof(line + 6);
        std::fclose(f);
    }
#endif
    return kib * 1024;
}

// The file's size: a key, a header, and each chunk's head with its payload.
double FileBytes(const Document* doc) {
    double bytes = 4 + kHeaderSize;
    for (int32_t i = 0; i < doc->ChunkCount; ++i) bytes += static_cast<double>(EncodedChunkSize(doc->Chunks[i]));
    return bytes;
}

void BM_Diff(benchmark::State& st) {
    Document* a = Base();
    Document* b = Changed();
    double before = PeakBytes();
    DifferenceList list = {};
    for (auto _ : st)
        if (CompareDocuments(a, b, &list) != 0) std::abort();
    st.counters["differences"] = list.Count();
    // What the comparison holds besides the two documents: per chunk of each,
    // a shape item and a subtree hash (the sibling lists are small beside them).
    double held = static_cast<double>(a->ChunkCount + b->ChunkCount) * (sizeof(TreeItem) + sizeof(uint64_t));
    st.counters["held_per_file_byte"] = held / (FileBytes(a) + FileBytes(b));
    st.counters["documents_per_file_byte"] =
        (static_cast<double>(a->ChunkCount + b->ChunkCount) * sizeof(ChunkRecord) + a->PoolUsed + b->PoolUsed) /
        (FileBytes(a) + FileBytes(b));
    st.counters["peak_growth_MB"] = (PeakBytes() - before) / 1e6;
    FreeDifferences(&list);
}

void BM_Merge(benchmark::State& st) {
    Document* base = Base();
    Document* ours = Ours();
    Document* theirs = Theirs();
    TestDocument out;
    MergeConflicts conflicts = {};
    for (auto _ : st)
        if (MergeDocuments(base, ours, theirs, FavorNone, out.get(), &conflicts) != 0) std::abort();
    st.counters["conflicts"] = conflicts.Count();
    st.counters["chunks"] = out->ChunkCount;
    FreeConflicts(&conflicts);
}

// One node of distinct integers, 65,534 of them in the base; edits(k, out)
// appends what stands at position k instead of the base's value.
const int32_t kWide = 65534;
template <typename Edits>
Document* WideList(int32_t count, Edits edits) {
    DtbBuilder b = DtbBuilder().Top(1).Node(16, static_cast<uint16_t>(count), 0);
    for (int32_t k = 0; k < kWide; ++k) edits(k, &b);
    return Loaded(b);
}
void Keep(int32_t k, DtbBuilder* b) { b->Scalar(0, static_cast<uint32_t>(k)); }
// Ten values changed, every 6,000th from the 3,000th, and one inserted near
// the front: 65,535 siblings.
void TenAndOne(int32_t k, DtbBuilder* b) {
    if (k == 100) b->Scalar(0, 0xABCDEF);
    b->Scalar(0, static_cast<uint32_t>(k % 6000 == 3000 && k < 60000 ? ~k : k));
}
Document* WideBase() {
    static Document* d = WideList(kWide, Keep);
    return d;
}

void BM_DiffWideList(benchmark::State& st) {
    Document* a = WideBase();
    static Document* b = WideList(kWide + 1, TenAndOne);
    DifferenceList list = {};
    for (auto _ : st)
        if (CompareDocuments(a, b, &list) != 0) std::abort();
    st.counters["differences"] = list.Count();
    FreeDifferences(&list);
}

// Ours inserts one value at the front and changes the last; theirs changes
// ten in between.
void BM_MergeWideList(benchmark::State& st) {
    Document* base = WideBase();
    static Document* ours = WideList(kWide + 1, [](int32_t k, DtbBuilder* b) {
        if (k == 0) b->Scalar(0, 0xABCDEF);
        b->Scalar(0, static_cast<uint32_t>(k == kWide - 1 ? ~k : k));
    });
    static Document* theirs = WideList(kWide, [](int32_t k, DtbBuilder* b) {
        b->Scalar(0, static_cast<uint32_t>(k % 6000 == 3000 && k < 60000 ? ~k : k));
    });
    TestDocument out;
    MergeConflicts conflicts = {};
    for (auto _ : st)
        if (MergeDocuments(base, ours, theirs, FavorNone, out.get(), &conflicts) != 0) std::abort();
    st.counters["conflicts"] = conflicts.Count();
    st.counters["chunks"] = out->ChunkCount;
    FreeConflicts(&conflicts);
}

}  // namespace

BENCHMARK(BM_Diff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiffWideList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeWideList)->Unit(benchmark::kMillisecond);
