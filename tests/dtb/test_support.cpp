#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "cipher.h"
#include "dtb_file.h"
#include "text_convert.h"

namespace {

MemoryFile* g_file = nullptr;
int32_t g_error = 0;

bool Read(NativeHandle, void* buffer, int32_t count, int32_t* got) {
    MemoryFile& f = *g_file;
    *got = 0;
    if (f.failReadAt >= 0 && static_cast<int64_t>(f.position) >= f.failReadAt) {
        g_error = 5;
        return false;
    }
    size_t left = f.bytes.size() - std::min(f.position, f.bytes.size());
    size_t n = std::min({static_cast<size_t>(count), left, static_cast<size_t>(f.readStep)});
    if (n) std::memcpy(buffer, f.bytes.data() + f.position, n);
    f.position += n;
    *got = static_cast<int32_t>(n);
    return true;
}

bool Write(NativeHandle, const void* buffer, int32_t count, int32_t* written) {
    MemoryFile& f = *g_file;
    int64_t n = count;
    if (f.failWriteAt >= 0) n = std::max<int64_t>(0, std::min(n, f.failWriteAt - f.writtenTotal));
    if (f.position + static_cast<size_t>(n) > f.bytes.size()) f.bytes.resize(f.position + static_cast<size_t>(n));
    if (n) std::memcpy(f.bytes.data() + f.position, buffer, static_cast<size_t>(n));
    f.position += static_cast<size_t>(n);
    f.writtenTotal += n;
    *written = static_cast<int32_t>(n);
    if (n < count) g_error = 112;  // disk full
    return n == count;
}

FileLayer MakeMemoryLayer() {
    FileLayer layer = *PlatformFileLayer();
    layer.Read = Read;
    layer.Write = Write;
    layer.SeekStart = [](NativeHandle) { return g_file->position = 0, true; };
    layer.SetEnd = [](NativeHandle) { return g_file->bytes.resize(g_file->position), true; };
    layer.LastError = [] { return g_error; };
    return layer;
}
const FileLayer kMemoryLayer = MakeMemoryLayer();

TestAllocator* g_allocator = nullptr;
std::map<void*, size_t> g_sizes;

void* TestResize(void* block, size_t bytes) {
    int call = g_allocator->resizes++;
    if (g_allocator->failFrom >= 0 && call >= g_allocator->failFrom) return nullptr;
    void* grown = std::memset(std::malloc(bytes), 0xCD, bytes);
    if (block) std::memcpy(grown, block, std::min(g_sizes[block], bytes));
    g_sizes.erase(block);
    std::free(block);
    g_sizes[grown] = bytes;
    return grown;
}

const BlockAllocator kTestAllocator = {TestResize, [](void* block) { g_sizes.erase(block), std::free(block); }};

// Appends a chunk with its subtree; nodes once the budget is spent have only
// leaves below. An identifier after a node is its first child, or after an
// empty node, where room allows, its next sibling: then 2 chunks are counted.
int32_t AddSubtree(DtbBuilder& b, std::mt19937& rng, int32_t& budget, uint32_t longestText, int32_t room) {
    static const uint32_t kLeaves[] = {0, 1, 2, 5, 6, 7, 8, 9, 18, 32, 33, 34, 35}, kNodes[] = {16, 17, 19};
    if (--budget < 0 || rng() % 3) {
        uint32_t type = kLeaves[rng() % 13];
        if (IsPoolType(type)) {
            b.Text(type, std::string(rng() % (longestText + 1), static_cast<char>('a' + rng() % 26)));
        } else {
            b.Scalar(type, static_cast<uint32_t>(rng()));
        }
        return 1;
    }
    int32_t children = static_cast<int32_t>(rng() % 4), made = rng() % 2 && (children > 0 || room > 1) ? 1 : 0;
    b.Node(kNodes[rng() % 3], static_cast<uint16_t>(children), static_cast<int32_t>(rng() % 100));
    if (made) b.Text(5, "id" + std::to_string(budget));
    if (made && children == 0) return 2;
    while (made < children) made += AddSubtree(b, rng, budget, longestText, children - made);
    return 1;
}

}  // namespace

MemoryFile::MemoryFile(std::vector<uint8_t> content) : bytes(std::move(content)), outer(g_file) {
    g_file = this;
    g_error = 0;
    SetFileLayer(&kMemoryLayer);
}

MemoryFile::~MemoryFile() {
    g_file = outer;
    if (!outer) SetFileLayer(nullptr);
}

std::vector<uint8_t> DtbBuilder::File(uint32_t key) const {
    EditorState s;
    InitEditorState(&s);
    s.Key = key;
    SeedCipher(&s);
    std::vector<uint8_t> file(4);
    WriteU32(file.data(), key);
    for (uint8_t b : plain) file.push_back(NextCipherByte(&s, b));
    return file;
}

DtbBuilder RandomTree(std::mt19937& rng, int32_t size, uint32_t longestText) {
    DtbBuilder chunks;
    int32_t topLevel = 0;
    while (size > 0) topLevel += AddSubtree(chunks, rng, size, longestText, 2);
    return DtbBuilder().Top(static_cast<uint16_t>(topLevel)).Raw(chunks.plain.data(), chunks.plain.size());
}

TestDocument::TestDocument() {
    InitEditorState(&state);
    state.Reporter = [](void* self, const char* text, ReportKind kind) {
        static_cast<TestDocument*>(self)->messages.push_back({text, kind});
    };
    state.ReporterContext = this;
    state.FileHandle = 1;  // any value but kNoFile: MemoryFile serves every handle
    AllocateDocument(&state);
}

void TestDocument::Load(const DtbBuilder& stream) {
    MemoryFile file(stream.File(0));
    EXPECT_EQ(ReadDocument(&state), 0);
}

std::vector<std::string> RowsOf(const EditorState& state) {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < state.ChunkCount; ++i) {
        const ChunkRecord& r = state.Chunks[i];
        char hex[32];
        FormatHexBytes(r.Value, IsNodeType(r.Type) ? 6 : 4, hex);
        std::string payload(reinterpret_cast<const char*>(state.Pool + r.PoolOffset), IsPoolType(r.Type) ? size_t(r.Length) : 0);
        rows.push_back(std::to_string(r.Type) + ":" + (IsPoolType(r.Type) ? "'" + payload + "'" : hex));
    }
    char header[32];
    FormatHexBytes(state.HeaderBytes, kHeaderSize, header);
    rows.push_back(std::string("header ") + header);
    return rows;
}

std::vector<std::string> TestDocument::Rows() const { return RowsOf(state); }

TestAllocator::TestAllocator(int failFrom) : failFrom(failFrom) {
    g_allocator = this;
    SetBlockAllocator(&kTestAllocator);
}

TestAllocator::~TestAllocator() {
    SetBlockAllocator(nullptr);
    g_allocator = nullptr;
}

bool SaveFile(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = dir + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
