// Throughput of the core on one generated 64 MiB DTB file: the cipher, the
// reader and the writer, beside a plain memcpy of the same bytes. The reader
// and the writer run once through a real file in /tmp (in the page cache, so
// what is measured is the system calls, not the disk) and once through a file
// in memory, which leaves the core's own cost.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "cipher.h"
#include "dtb_file.h"
#include "dtb_kit.h"
#include "file_layer.h"

namespace {

const size_t kStreamBytes = size_t{64} << 20;
const uint32_t kKey = 0x5EED1234;

void ToStderr(void*, const char* text, ReportKind) { std::fprintf(stderr, "core: %s\n", text); }

void NewDocument(Document* doc) {
    InitDocument(doc);
    doc->Reporter = ToStderr;
    if (AllocateDocument(doc) != 0) std::abort();
}

// A mix shaped like real data trees: most chunks are numbers, nodes and short
// names; a few carry long texts, which hold a good share of the bytes.
std::vector<uint8_t> MakeFile() {
    static const uint32_t kScalars[] = {0, 1, 6, 8, 9};
    static const uint32_t kNodes[] = {16, 17, 19};
    static const uint32_t kPools[] = {2, 5, 7, 18, 32, 33, 34, 35};
    std::mt19937 rng(12345);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };

    DtbBuilder b;
    b.plain.reserve(kStreamBytes + 16384);
    b.Header({1, 0xFF, 0xFF, 0, 0, 0, 0});
    while (b.plain.size() < kStreamBytes) {
        uint32_t roll = pick(100);
        if (roll < 40) {  // numbers
            uint32_t type = kScalars[pick(5)];
            b.Scalar(type, static_cast<uint32_t>(rng()));
        } else if (roll < 60) {  // nodes
            uint32_t type = kNodes[pick(3)];
            uint16_t children = static_cast<uint16_t>(pick(9));
            b.Node(type, children, static_cast<int32_t>(pick(100000)));
        } else {  // names and keywords, now and then a long text
            uint32_t length = roll < 98 ? 1 + pick(48) : 256 + pick(8184 - 256 + 1);
            uint32_t type = kPools[pick(8)];
            std::string text(length, ' ');
            for (char& c : text) c = static_cast<char>('a' + pick(26));
            b.Text(type, text);
        }
    }
    return b.File(kKey);
}

const std::vector<uint8_t>& File() {
    static const std::vector<uint8_t> file = MakeFile();
    return file;
}

// The generated file on disk, written once and removed at exit.
struct DiskCopy {
    std::string path = "/tmp/dtb_core_bench_" + std::to_string(getpid()) + ".dtb";
    DiskCopy() {
        if (!SaveFile(path, File())) std::abort();
    }
    ~DiskCopy() { std::remove(path.c_str()); }
};

const std::string& DiskFile() {
    static const DiskCopy copy;
    return copy.path;
}

// The loaded document, for the writer.
Document& Loaded() {
    static Document* doc = [] {
        Document* d = new Document;
        NewDocument(d);
        MemoryFile file(File());
        file.Attach(d);
        if (ReadDocument(d) != 0) std::abort();
        d->FileHandle = kNoFile;
        d->Files = nullptr;
        return d;
    }();
    return *doc;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(File().size()));
}

void BM_Memcpy(benchmark::State& state) {
    const std::vector<uint8_t>& file = File();
    std::vector<uint8_t> copy(file.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), file.data(), file.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

void BM_ApplyCipher(benchmark::State& state) {
    std::vector<uint8_t> buffer = File();
    CipherState cipher;
    for (auto _ : state) {
        SeedCipher(&cipher, kKey);
        ApplyCipher(&cipher, buffer.data(), 0, static_cast<int64_t>(buffer.size()));
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

// The cipher by its definition, a byte at a time, for comparison.
void BM_NextCipherByteLoop(benchmark::State& state) {
    std::vector<uint8_t> buffer = File();
    CipherState cipher;
    for (auto _ : state) {
        SeedCipher(&cipher, kKey);
        for (uint8_t& b : buffer) b = NextCipherByte(&cipher, b);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

void CheckLoaded(benchmark::State& state, const Document& doc) {
    if (doc.ChunkCount != Loaded().ChunkCount || doc.PoolUsed != Loaded().PoolUsed)
        state.SkipWithError("the file did not load whole");
}

// A document that already holds a file of this size, as for Revert: its
// blocks are large enough and nothing grows while measured.
void BM_ReadDocument_Memory(benchmark::State& state) {
    MemoryFile file(File());
    Document doc;
    NewDocument(&doc);
    file.Attach(&doc);
    ReadDocument(&doc);  // the blocks grow here, not while measured
    for (auto _ : state) {
        file.position = 0;
        if (ReadDocument(&doc) != 0) state.SkipWithError("ReadDocument failed");
    }
    CheckLoaded(state, doc);
    FreeDocument(&doc);
    SetBytes(state);
}

// A fresh document for every load, as for the first Open: the table and the
// pool grow step by step while the file arrives.
void BM_ReadDocument_MemoryFresh(benchmark::State& state) {
    MemoryFile file(File());
    for (auto _ : state) {
        Document doc;
        NewDocument(&doc);
        file.Attach(&doc);
        file.position = 0;
        if (ReadDocument(&doc) != 0) state.SkipWithError("ReadDocument failed");
        state.PauseTiming();
        CheckLoaded(state, doc);
        FreeDocument(&doc);
        state.ResumeTiming();
    }
    SetBytes(state);
}

void BM_ReadDocument_File(benchmark::State& state) {
    const std::string& path = DiskFile();
    const FileLayer& files = *PlatformFileLayer();
    Document doc;
    NewDocument(&doc);
    doc.FileHandle = FileOpenRead(path.c_str());
    ReadDocument(&doc);  // the blocks grow here, and the file is in the page cache
    files.Close(files.Context, doc.FileHandle);
    for (auto _ : state) {
        doc.FileHandle = FileOpenRead(path.c_str());
        if (doc.FileHandle == kNoFile || ReadDocument(&doc) != 0) state.SkipWithError("ReadDocument failed");
        files.Close(files.Context, doc.FileHandle);
    }
    CheckLoaded(state, doc);
    FreeDocument(&doc);
    SetBytes(state);
}

void BM_WriteDocument_Memory(benchmark::State& state) {
    Document& doc = Loaded();
    MemoryFile sink(std::vector<uint8_t>(File().size()));  // reserved once: no growth while measured
    sink.Attach(&doc);
    for (auto _ : state) {
        if (WriteDocument(&doc) != 0) state.SkipWithError("WriteDocument failed");
    }
    if (sink.bytes != File()) state.SkipWithError("the saved file differs from the loaded one");
    doc.FileHandle = kNoFile;
    SetBytes(state);
}

// Saving over the file that is open, as Save does: the pages are in the cache
// and the length does not change.
void BM_WriteDocument_File(benchmark::State& state) {
    Document& doc = Loaded();
    const FileLayer& files = *PlatformFileLayer();
    std::string path = "/tmp/dtb_core_bench_" + std::to_string(getpid()) + "_saved.dtb";
    doc.Files = nullptr;
    doc.FileHandle = FileCreateNew(path.c_str());
    if (doc.FileHandle == kNoFile) {
        state.SkipWithError("cannot create the file to save to");
        return;
    }
    WriteDocument(&doc);  // the file's blocks exist before the measured saves
    for (auto _ : state) {
        if (WriteDocument(&doc) != 0) state.SkipWithError("WriteDocument failed");
    }
    files.Close(files.Context, doc.FileHandle);
    doc.FileHandle = kNoFile;
    files.Delete(files.Context, path.c_str());
    SetBytes(state);
}

}  // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyCipher)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NextCipherByteLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDocument_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDocument_MemoryFresh)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDocument_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDocument_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDocument_File)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
