// Throughput of the core on one generated 64 MiB DTB file: the cipher, the
// reader and the writer, beside a plain memcpy of the same bytes. The reader
// and the writer run once through a real file in /tmp (in the page cache, so
// what is measured is the system calls, not the disk) and once through a file
// layer in memory, which leaves the core's own cost.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "cipher.h"
#include "document.h"
#include "dtb_file.h"
#include "editor_state.h"
#include "file_layer.h"

namespace {

const size_t kStreamBytes = size_t{64} << 20;
const uint32_t kKey = 0x5EED1234;

void ToStderr(void*, const char* text, ReportKind) { std::fprintf(stderr, "core: %s\n", text); }

void InitDocument(EditorState* s) {
    InitEditorState(s);
    s->Reporter = ToStderr;
    if (AllocateDocument(s) != 0) std::abort();
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    WriteU32(b, v);
    out.insert(out.end(), b, b + 4);
}

// A mix shaped like real data trees: most chunks are numbers, nodes and short
// names; a few carry long texts, which hold a good share of the bytes.
std::vector<uint8_t> MakeFile() {
    static const uint32_t kScalars[] = {0, 1, 6, 8, 9};
    static const uint32_t kNodes[] = {16, 17, 19};
    static const uint32_t kPools[] = {2, 5, 7, 18, 32, 33, 34, 35};
    std::mt19937 rng(12345);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };

    std::vector<uint8_t> plain;
    plain.reserve(kStreamBytes + 16384);
    const uint8_t header[kHeaderSize] = {1, 0xFF, 0xFF, 0, 0, 0, 0};
    plain.insert(plain.end(), header, header + kHeaderSize);
    while (plain.size() < kStreamBytes) {
        uint32_t roll = pick(100);
        if (roll < 40) {  // numbers
            PutU32(plain, kScalars[pick(5)]);
            PutU32(plain, static_cast<uint32_t>(rng()));
        } else if (roll < 60) {  // nodes
            PutU32(plain, kNodes[pick(3)]);
            plain.push_back(static_cast<uint8_t>(pick(9)));
            plain.push_back(0);
            PutU32(plain, pick(100000));
        } else {  // names and keywords, now and then a long text
            uint32_t length = roll < 98 ? 1 + pick(48) : 256 + pick(8184 - 256 + 1);
            PutU32(plain, kPools[pick(8)]);
            PutU32(plain, length);
            for (uint32_t i = 0; i < length; ++i) plain.push_back(static_cast<uint8_t>('a' + pick(26)));
        }
    }
    EditorState s;
    InitEditorState(&s);
    s.Key = kKey;
    SeedCipher(&s);
    ApplyCipher(&s, plain.data(), 0, static_cast<int64_t>(plain.size()));
    std::vector<uint8_t> file(4 + plain.size());
    WriteU32(file.data(), kKey);
    std::memcpy(file.data() + 4, plain.data(), plain.size());
    return file;
}

const std::vector<uint8_t>& File() {
    static const std::vector<uint8_t> file = MakeFile();
    return file;
}

// The file layer in memory: reads copy out of the generated file, writes
// copy into a buffer reserved once, so neither allocates while measured.
struct MemoryFile {
    const uint8_t* source = nullptr;
    size_t sourceSize = 0;
    std::vector<uint8_t> sink;
    size_t position = 0;
    size_t end = 0;
};
MemoryFile g_memory;

bool MemRead(NativeHandle, void* buffer, int32_t count, int32_t* got) {
    size_t n = g_memory.sourceSize - g_memory.position;
    if (n > static_cast<size_t>(count)) n = static_cast<size_t>(count);
    std::memcpy(buffer, g_memory.source + g_memory.position, n);
    g_memory.position += n;
    *got = static_cast<int32_t>(n);
    return true;
}
bool MemWrite(NativeHandle, const void* buffer, int32_t count, int32_t* written) {
    if (g_memory.position + static_cast<size_t>(count) > g_memory.sink.size()) return false;
    std::memcpy(g_memory.sink.data() + g_memory.position, buffer, static_cast<size_t>(count));
    g_memory.position += static_cast<size_t>(count);
    *written = count;
    return true;
}
bool MemSeekStart(NativeHandle) {
    g_memory.position = 0;
    return true;
}
bool MemSetEnd(NativeHandle) {
    g_memory.end = g_memory.position;
    return true;
}
int32_t MemLastError() { return 0; }
FileLayer MakeMemoryLayer() {
    FileLayer layer = *PlatformFileLayer();
    layer.Read = MemRead;
    layer.Write = MemWrite;
    layer.SeekStart = MemSeekStart;
    layer.SetEnd = MemSetEnd;
    layer.LastError = MemLastError;
    return layer;
}
const FileLayer kMemoryLayer = MakeMemoryLayer();

// Swaps the memory layer in for the life of one benchmark.
struct UseMemoryLayer {
    UseMemoryLayer() {
        g_memory.source = File().data();
        g_memory.sourceSize = File().size();
        g_memory.sink.resize(File().size());
        g_memory.position = 0;
        SetFileLayer(&kMemoryLayer);
    }
    ~UseMemoryLayer() { SetFileLayer(nullptr); }
};

// The generated file on disk, written once and removed at exit.
struct DiskCopy {
    std::string path = "/tmp/dtb_core_bench_" + std::to_string(getpid()) + ".dtb";
    DiskCopy() {
        NativeHandle f = FileCreateNew(path.c_str());
        int32_t written = 0;
        if (f == kNoFile || !FileWrite(f, File().data(), static_cast<int32_t>(File().size()), &written) ||
            written != static_cast<int32_t>(File().size()))
            std::abort();
        FileClose(f);
    }
    ~DiskCopy() { FileDelete(path.c_str()); }
};

const std::string& DiskFile() {
    static const DiskCopy copy;
    return copy.path;
}

// The loaded document, for the writer.
EditorState& Loaded() {
    static EditorState* state = [] {
        EditorState* s = new EditorState;
        InitDocument(s);
        UseMemoryLayer memory;
        s->FileHandle = 1;
        if (ReadDocument(s) != 0) std::abort();
        return s;
    }();
    return *state;
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
    EditorState s;
    InitEditorState(&s);
    s.Key = kKey;
    for (auto _ : state) {
        SeedCipher(&s);
        ApplyCipher(&s, buffer.data(), 0, static_cast<int64_t>(buffer.size()));
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

// The cipher by its definition, a byte at a time, for comparison.
void BM_NextCipherByteLoop(benchmark::State& state) {
    std::vector<uint8_t> buffer = File();
    EditorState s;
    InitEditorState(&s);
    s.Key = kKey;
    for (auto _ : state) {
        SeedCipher(&s);
        for (uint8_t& b : buffer) b = NextCipherByte(&s, b);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

void CheckLoaded(benchmark::State& state, const EditorState& s) {
    if (s.ChunkCount != Loaded().ChunkCount || s.PoolUsed != Loaded().PoolUsed)
        state.SkipWithError("the file did not load whole");
}

// A document that already holds a file of this size, as for Revert: its
// blocks are large enough and nothing grows while measured.
void BM_ReadDocument_Memory(benchmark::State& state) {
    UseMemoryLayer memory;
    EditorState s;
    InitDocument(&s);
    s.FileHandle = 1;
    ReadDocument(&s);  // the blocks grow here, not while measured
    for (auto _ : state) {
        g_memory.position = 0;
        if (ReadDocument(&s) != 0) state.SkipWithError("ReadDocument failed");
    }
    CheckLoaded(state, s);
    FreeDocument(&s);
    SetBytes(state);
}

// A fresh document for every load, as for the first Open: the table and the
// pool grow step by step while the file arrives.
void BM_ReadDocument_MemoryFresh(benchmark::State& state) {
    UseMemoryLayer memory;
    for (auto _ : state) {
        EditorState s;
        InitDocument(&s);
        s.FileHandle = 1;
        g_memory.position = 0;
        if (ReadDocument(&s) != 0) state.SkipWithError("ReadDocument failed");
        state.PauseTiming();
        CheckLoaded(state, s);
        FreeDocument(&s);
        state.ResumeTiming();
    }
    SetBytes(state);
}

void BM_ReadDocument_File(benchmark::State& state) {
    const std::string& path = DiskFile();
    EditorState s;
    InitDocument(&s);
    s.FileHandle = FileOpenRead(path.c_str());
    ReadDocument(&s);  // the blocks grow here, and the file is in the page cache
    FileClose(s.FileHandle);
    for (auto _ : state) {
        s.FileHandle = FileOpenRead(path.c_str());
        if (s.FileHandle == kNoFile || ReadDocument(&s) != 0) state.SkipWithError("ReadDocument failed");
        FileClose(s.FileHandle);
    }
    CheckLoaded(state, s);
    FreeDocument(&s);
    SetBytes(state);
}

void BM_WriteDocument_Memory(benchmark::State& state) {
    EditorState& s = Loaded();
    UseMemoryLayer memory;
    s.FileHandle = 1;
    for (auto _ : state) {
        if (WriteDocument(&s) != 0) state.SkipWithError("WriteDocument failed");
    }
    if (g_memory.end != File().size() || std::memcmp(g_memory.sink.data(), File().data(), File().size()) != 0)
        state.SkipWithError("the saved file differs from the loaded one");
    SetBytes(state);
}

// Saving over the file that is open, as Save does: the pages are in the cache
// and the length does not change.
void BM_WriteDocument_File(benchmark::State& state) {
    EditorState& s = Loaded();
    std::string path = "/tmp/dtb_core_bench_" + std::to_string(getpid()) + "_saved.dtb";
    s.FileHandle = FileCreateNew(path.c_str());
    if (s.FileHandle == kNoFile) {
        state.SkipWithError("cannot create the file to save to");
        return;
    }
    WriteDocument(&s);  // the file's blocks exist before the measured saves
    for (auto _ : state) {
        if (WriteDocument(&s) != 0) state.SkipWithError("WriteDocument failed");
    }
    FileClose(s.FileHandle);
    FileDelete(path.c_str());
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
