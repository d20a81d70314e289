// Arbitrary bytes as a DTB file. Whatever the reader makes of them must not
// depend on how the file arrives (whole blocks or short reads), and a file it
// accepted must save back to its own bytes and load again to the same table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "chunk_types.h"
#include "document.h"
#include "dtb_file.h"
#include "editor_state.h"
#include "file_layer.h"

#define REQUIRE(cond)                                                          \
    do {                                                                       \
        if (!(cond)) {                                                         \
            std::fprintf(stderr, "REQUIRE failed: %s (line %d)\n", #cond, __LINE__); \
            std::abort();                                                      \
        }                                                                      \
    } while (0)

namespace {

// The one file the layer serves, whatever the handle. Reads after the key
// deliver at most readStep bytes each; the key is read whole, as any file
// delivers four bytes in one read.
struct FuzzFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int32_t readStep = INT32_MAX;
};
FuzzFile* g_file = nullptr;

bool Read(NativeHandle, void* buffer, int32_t count, int32_t* got) {
    size_t left = g_file->bytes.size() - g_file->position;
    size_t n = static_cast<size_t>(count);
    if (g_file->position >= 4 && count > g_file->readStep) n = static_cast<size_t>(g_file->readStep);
    if (n > left) n = left;
    if (n) std::memcpy(buffer, g_file->bytes.data() + g_file->position, n);
    g_file->position += n;
    *got = static_cast<int32_t>(n);
    return true;
}

bool Write(NativeHandle, const void* buffer, int32_t count, int32_t* written) {
    size_t end = g_file->position + static_cast<size_t>(count);
    if (end > g_file->bytes.size()) g_file->bytes.resize(end);
    if (count) std::memcpy(g_file->bytes.data() + g_file->position, buffer, static_cast<size_t>(count));
    g_file->position = end;
    *written = count;
    return true;
}

bool SeekStart(NativeHandle) {
    g_file->position = 0;
    return true;
}

bool SetEnd(NativeHandle) {
    g_file->bytes.resize(g_file->position);
    return true;
}

int32_t LastError() { return 0; }

FileLayer MakeMemoryLayer() {
    FileLayer layer = *PlatformFileLayer();
    layer.Read = Read;
    layer.Write = Write;
    layer.SeekStart = SeekStart;
    layer.SetEnd = SetEnd;
    layer.LastError = LastError;
    return layer;
}
const FileLayer kMemoryLayer = MakeMemoryLayer();

struct Document {
    EditorState state;
    bool ready;
    Document() {
        InitEditorState(&state);
        state.Reporter = [](void*, const char*, ReportKind) {};
        state.FileHandle = 1;
        ready = AllocateDocument(&state) == 0;
    }
    ~Document() { FreeDocument(&state); }
};

int32_t Load(Document& doc, FuzzFile& file) {
    g_file = &file;
    file.position = 0;
    return ReadDocument(&doc.state);
}

bool SameTable(const EditorState& a, const EditorState& b) {
    if (a.Key != b.Key || a.ChunkCount != b.ChunkCount) return false;
    if (std::memcmp(a.HeaderBytes, b.HeaderBytes, kHeaderSize) != 0) return false;
    for (int32_t i = 0; i < a.ChunkCount; ++i) {
        const ChunkRecord& x = a.Chunks[i];
        const ChunkRecord& y = b.Chunks[i];
        if (x.Type != y.Type) return false;
        switch (ShapeOfType(x.Type)) {
        case ShapeScalar:
            if (std::memcmp(x.Value, y.Value, 4) != 0) return false;
            break;
        case ShapeNode:
            if (std::memcmp(x.Value, y.Value, 6) != 0) return false;
            break;
        case ShapePool:
            if (x.Length != y.Length || x.SlotLength != x.Length) return false;
            if (std::memcmp(a.Pool + x.PoolOffset, b.Pool + y.PoolOffset, static_cast<size_t>(x.Length)) != 0)
                return false;
            break;
        case ShapeUnknown:
            return false;  // the reader never loads one
        }
    }
    return true;
}

// Bytes of the file that the loaded table accounts for.
size_t LoadedBytes(const EditorState& s) {
    size_t total = 4 + kHeaderSize;
    for (int32_t i = 0; i < s.ChunkCount; ++i) {
        const ChunkRecord& r = s.Chunks[i];
        total += IsScalarType(r.Type) ? 8 : IsNodeType(r.Type) ? 10 : 8 + static_cast<size_t>(r.Length);
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetFileLayer(&kMemoryLayer);
    FuzzFile input;
    input.bytes.assign(data, data + size);

    Document first;
    if (!first.ready) return 0;
    int32_t result = Load(first, input);
    REQUIRE(result == 0 || result == -1);

    // The same file in short reads, so that every split of the header and of
    // a chunk between reads turns up somewhere.
    FuzzFile trickle;
    trickle.bytes = input.bytes;
    trickle.readStep = size ? 1 + static_cast<int32_t>((data[size - 1] + size) % 97) : 1;
    Document second;
    if (!second.ready) return 0;
    REQUIRE(Load(second, trickle) == result);
    REQUIRE(SameTable(first.state, second.state));
    if (result != 0) return 0;

    // Saved with no change, the file comes back as it was, up to the last
    // whole chunk; a header cut short is saved as seven zero bytes.
    FuzzFile saved;
    g_file = &saved;
    REQUIRE(WriteDocument(&first.state) == 0);
    size_t loaded = LoadedBytes(first.state);
    if (size >= loaded) {
        REQUIRE(saved.bytes.size() == loaded);
        REQUIRE(std::memcmp(saved.bytes.data(), data, loaded) == 0);
    } else {
        REQUIRE(size < loaded && first.state.ChunkCount == 0 && saved.bytes.size() == loaded);
    }

    Document again;
    if (!again.ready) return 0;
    REQUIRE(Load(again, saved) == 0);
    REQUIRE(SameTable(first.state, again.state));
    return 0;
}
