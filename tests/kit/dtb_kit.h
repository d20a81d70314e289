// The test kit: what the tests, the fuzzers, the benchmarks and the sample
// maker share to make DTB data and to run the core without a disk. A stream
// builder (also the one way they write down a table), an in-memory file
// behind a document's file layer, a moving allocator behind its blocks, and
// a document that records its messages.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "document.h"
#include "file_layer.h"

// Header and chunks in plain form, enciphered on request as a whole file.
struct DtbBuilder {
    std::vector<uint8_t> plain;

    DtbBuilder& Raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        if (n) plain.insert(plain.end(), b, b + n);  // never a null range, which GCC warns of
        return *this;
    }
    DtbBuilder& U16(uint16_t v) {
        const uint8_t b[] = {uint8_t(v), uint8_t(v >> 8)};
        return Raw(b, 2);
    }
    DtbBuilder& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    DtbBuilder& Header(const std::vector<uint8_t>& h) { return Raw(h.data(), h.size()); }
    // A header of zeros but for the top-level count.
    DtbBuilder& Top(uint16_t count) { return Header({0, uint8_t(count), uint8_t(count >> 8), 0, 0, 0, 0}); }
    DtbBuilder& Scalar(uint32_t type, uint32_t v) { return U32(type).U32(v); }
    DtbBuilder& Node(uint32_t type, uint16_t children, int32_t number) {
        return U32(type).U16(children).U32(static_cast<uint32_t>(number));
    }
    DtbBuilder& Text(uint32_t type, const std::string& s) {
        return U32(type).U32(static_cast<uint32_t>(s.size())).Raw(s.data(), s.size());
    }
    // The whole file: key in plain, then the stream enciphered byte by byte.
    std::vector<uint8_t> File(uint32_t key) const;
};

// A random tree of every known type whose counts agree with it: size chunks
// and identifiers, then only the leaves that open nodes still need. Many nodes
// have an identifier after them (after empty ones, as their sibling); texts
// are up to longestText bytes long.
DtbBuilder RandomTree(std::mt19937& rng, int32_t size, uint32_t longestText = 4);

// A file in memory. Reads deliver at most readStep bytes, a read from
// failReadAt on fails, writes fail past failWriteAt bytes in all (as a full
// disk does; quietly, returning success, with quietShortWrites). Everything
// but reading and writing is the platform's.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int32_t readStep = 1 << 30;
    int64_t failReadAt = -1;
    int64_t failWriteAt = -1;
    bool quietShortWrites = false;
    int64_t writtenTotal = 0;
    int32_t error = 0;  // the layer's LastError(), as the platform's is per thread
    FileLayer layer;    // its context is this file

    explicit MemoryFile(std::vector<uint8_t> content = {});
    MemoryFile(const MemoryFile&) = delete;
    // The document reads and writes this file from now on.
    void Attach(Document* doc);
};

// The blocks of the documents given Blocks() come from here: every resize
// moves the block and fills the new bytes with garbage, so stale pointers
// and missing zero-filling show; resizes are counted, and from failFrom on
// they fail. It must outlive those documents.
struct TestAllocator {
    int resizes = 0;
    int failFrom = -1;
    std::map<void*, size_t> sizes;  // of the blocks it handed out
    BlockAllocator blocks;

    TestAllocator();
    TestAllocator(const TestAllocator&) = delete;
    TestAllocator& operator=(const TestAllocator&) = delete;
    const BlockAllocator* Blocks() const { return &blocks; }
};

struct Message {
    std::string text;
    ReportKind kind;
};

// A document with its memory (from memory, when given), whose messages are
// recorded.
struct TestDocument {
    Document doc;
    std::vector<Message> messages;

    explicit TestDocument(const BlockAllocator* memory = nullptr);
    ~TestDocument() { FreeDocument(&doc); }
    TestDocument(const TestDocument&) = delete;
    TestDocument& operator=(const TestDocument&) = delete;

    Document* operator->() { return &doc; }
    Document* get() { return &doc; }
    const ChunkRecord& chunk(int32_t i) const { return doc.Chunks[i]; }
    std::string payload(int32_t i) const {
        return std::string(reinterpret_cast<const char*>(doc.Pool + chunk(i).PoolOffset), size_t(chunk(i).Length));
    }
    std::string log() const;  // every message as "kind:text", one a line
    // Reads file (the stream's, key 0, by default) as the document's; the
    // reader's result. The document has no file afterwards.
    int32_t Load(const DtbBuilder& stream);
    int32_t Load(MemoryFile* file);
    // One row per chunk, "type:value bytes" or "type:'payload'", then the header.
    std::vector<std::string> Rows() const;
    // The bytes the writer makes of the document (through a file in memory).
    std::vector<uint8_t> Saved();
};

// Values (numbers or texts) joined with blanks, so that one EXPECT_EQ on
// several results says which of them broke.
inline std::string JoinedText(const std::string& text) { return text; }
template <typename Value>
std::string JoinedText(const Value& value) {
    return std::to_string(value);
}
template <typename... Values>
std::string Joined(const Values&... values) {
    std::string s;
    ((s += JoinedText(values) + " "), ...);
    if (!s.empty()) s.pop_back();
    return s;
}

// Writes bytes as the file path. False when it could not be written whole.
bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes);
