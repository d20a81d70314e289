#include "dtb_kit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include "chunk_types.h"
#include "cipher.h"
#include "dtb_file.h"
#include "text_convert.h"

namespace {

MemoryFile& FileAt(NativeHandle file) { return *reinterpret_cast<MemoryFile*>(file); }
int32_t& ErrorOf(void* context) { return static_cast<MemoryFile*>(context)->error; }

bool Read(void* context, NativeHandle file, void* buffer, int32_t count, int32_t* got) {
    MemoryFile& f = FileAt(file);
    *got = 0;
    ErrorOf(context) = 0;  // as on the platform, the end of the file is no failure: code 0
    if (f.failReadAt >= 0 && static_cast<int64_t>(f.position) >= f.failReadAt) {
        ErrorOf(context) = 5;
        return false;
    }
    size_t left = f.bytes.size() - std::min(f.position, f.bytes.size());
    size_t n = std::min({static_cast<size_t>(count), left, static_cast<size_t>(f.readStep)});
    if (n) std::memcpy(buffer, f.bytes.data() + f.position, n);
    f.position += n;
    *got = static_cast<int32_t>(n);
    return true;
}

bool Write(void* context, NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    MemoryFile& f = FileAt(file);
    int64_t n = count;
    if (f.failWriteAt >= 0) n = std::max<int64_t>(0, std::min(n, f.failWriteAt - f.writtenTotal));
    if (f.position + static_cast<size_t>(n) > f.bytes.size()) f.bytes.resize(f.position + static_cast<size_t>(n));
    if (n) std::memcpy(f.bytes.data() + f.position, buffer, static_cast<size_t>(n));
    f.position += static_cast<size_t>(n);
    f.writtenTotal += n;
    *written = static_cast<int32_t>(n);
    if (n < count) ErrorOf(context) = 112;  // disk full
    return n == count || f.quietShortWrites;
}

void* MovingResize(void* context, void* block, size_t bytes) {
    TestAllocator& a = *static_cast<TestAllocator*>(context);
    int call = a.resizes++;
    if (a.failFrom >= 0 && call >= a.failFrom) return nullptr;
    void* grown = std::memset(std::malloc(bytes), 0xCD, bytes);
    if (block) std::memcpy(grown, block, std::min(a.sizes[block], bytes));
    a.sizes.erase(block);
    std::free(block);
    a.sizes[grown] = bytes;
    return grown;
}

void MovingFree(void* context, void* block) {
    static_cast<TestAllocator*>(context)->sizes.erase(block);
    std::free(block);
}

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

std::vector<uint8_t> DtbBuilder::File(uint32_t key) const {
    CipherState cipher;
    SeedCipher(&cipher, key);
    std::vector<uint8_t> file(4);
    WriteU32(file.data(), key);
    file.reserve(4 + plain.size());
    // Byte by byte, as the cipher is defined: the reader's faster way is
    // checked against it whenever it reads a built file.
    for (uint8_t b : plain) file.push_back(NextCipherByte(&cipher, b));
    return file;
}

DtbBuilder RandomTree(std::mt19937& rng, int32_t size, uint32_t longestText) {
    DtbBuilder chunks;
    int32_t topLevel = 0;
    while (size > 0) topLevel += AddSubtree(chunks, rng, size, longestText, 2);
    return DtbBuilder().Top(static_cast<uint16_t>(topLevel)).Raw(chunks.plain.data(), chunks.plain.size());
}

MemoryFile::MemoryFile(std::vector<uint8_t> content) : bytes(std::move(content)), layer(*PlatformFileLayer()) {
    layer.Read = Read;
    layer.Write = Write;
    layer.SeekStart = [](void*, NativeHandle file) { return FileAt(file).position = 0, true; };
    layer.SetEnd = [](void*, NativeHandle file) { return FileAt(file).bytes.resize(FileAt(file).position), true; };
    layer.Reserve = [](void*, NativeHandle file, int64_t) { return FileAt(file).position = 0, true; };
    layer.Flush = [](void*, NativeHandle) { return true; };
    layer.Close = [](void*, NativeHandle) { return true; };
    layer.LastError = [](void* context) { return ErrorOf(context); };
    layer.Length = [](void*, NativeHandle file) { return static_cast<int64_t>(FileAt(file).bytes.size()); };
    layer.Context = this;
}

void MemoryFile::Attach(Document* doc) {
    doc->Files = &layer;
    doc->FileHandle = reinterpret_cast<NativeHandle>(this);
}

TestAllocator::TestAllocator() : blocks{MovingResize, MovingFree, this} {}

TestDocument::TestDocument(const BlockAllocator* memory) {
    InitDocument(&doc);
    doc.Reporter = [](void* self, const char* text, ReportKind kind) {
        static_cast<TestDocument*>(self)->messages.push_back({text, kind});
    };
    doc.ReporterContext = this;
    doc.Memory = memory;
    AllocateDocument(&doc);
}

int32_t TestDocument::Load(MemoryFile* file) {
    file->Attach(&doc);
    int32_t result = ReadDocument(&doc);
    doc.FileHandle = kNoFile;
    doc.Files = nullptr;
    return result;
}

int32_t TestDocument::Load(const DtbBuilder& stream) {
    MemoryFile file(stream.File(0));
    return Load(&file);
}

std::vector<std::string> TestDocument::Rows() const {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < doc.ChunkCount; ++i) {
        const ChunkRecord& r = doc.Chunks[i];
        char hex[32];
        FormatHexBytes(r.Value, IsNodeType(r.Type) ? 6 : 4, hex);
        std::string payload(reinterpret_cast<const char*>(doc.Pool + r.PoolOffset),
                            IsPoolType(r.Type) ? size_t(r.Length) : 0);
        rows.push_back(std::to_string(r.Type) + ":" + (IsPoolType(r.Type) ? "'" + payload + "'" : hex));
    }
    char header[32];
    FormatHexBytes(doc.HeaderBytes, kHeaderSize, header);
    rows.push_back(std::string("header ") + header);
    return rows;
}

std::vector<uint8_t> TestDocument::Saved() {
    MemoryFile file;
    const FileLayer* files = doc.Files;
    doc.Files = &file.layer;
    int64_t size = 0;
    bool written = WriteDocumentTo(&doc, reinterpret_cast<NativeHandle>(&file), &size) == 0 &&
                   size == static_cast<int64_t>(file.bytes.size());
    doc.Files = files;
    return written ? file.bytes : std::vector<uint8_t>();
}

std::string TestDocument::log() const {
    std::string all;
    for (const Message& m : messages) all += std::to_string(m.kind) + ":" + m.text + "\n";
    return all;
}

bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}
