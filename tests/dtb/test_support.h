// Shared by the core tests: a builder of DTB streams (also the one way they
// write down a table), an in-memory file behind the core's file layer, a
// document with a message recorder, and a block allocator they control.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "document.h"
#include "editor_state.h"
#include "file_layer.h"

// Header and chunks in plain form, enciphered on request as a whole file.
struct DtbBuilder {
    std::vector<uint8_t> plain;

    DtbBuilder& Raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        plain.insert(plain.end(), b, b + n);
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

// While alive, the file behind every handle (one made inside another's life
// stands in for it until it ends). Reads deliver at most readStep bytes, a
// read from failReadAt on fails, writes fail past failWriteAt bytes in all.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int32_t readStep = 1 << 30;
    int64_t failReadAt = -1;
    int64_t failWriteAt = -1;
    int64_t writtenTotal = 0;

    explicit MemoryFile(std::vector<uint8_t> content = {});
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

private:
    MemoryFile* outer;
};

struct Message {
    std::string text;
    ReportKind kind;
};

// An editor state with its memory, whose messages are recorded.
struct TestDocument {
    EditorState state;
    std::vector<Message> messages;

    TestDocument();
    ~TestDocument() { FreeDocument(&state); }
    TestDocument(const TestDocument&) = delete;
    TestDocument& operator=(const TestDocument&) = delete;

    EditorState* operator->() { return &state; }
    EditorState* get() { return &state; }
    const ChunkRecord& chunk(int32_t i) const { return state.Chunks[i]; }
    std::string payload(int32_t i) const {
        return std::string(reinterpret_cast<const char*>(state.Pool + chunk(i).PoolOffset), size_t(chunk(i).Length));
    }
    std::string last() const { return messages.empty() ? "" : messages.back().text; }
    // The stream's table, pool, header and key, as the reader loads them.
    void Load(const DtbBuilder& stream);
    // One row per chunk, "type:value bytes" or "type:'payload'", then the header.
    std::vector<std::string> Rows() const;
};
std::vector<std::string> RowsOf(const EditorState& state);  // the same rows of any document

// While alive, the documents' blocks come from here: every resize moves the
// block and fills the new bytes with garbage, so stale pointers and missing
// zero-filling show; resizes are counted, and from failFrom on they fail. It
// can grow only the blocks it made.
struct TestAllocator {
    int resizes = 0;
    int failFrom = -1;

    explicit TestAllocator(int failFrom = -1);
    ~TestAllocator();
};

// Writes bytes as the file dir/name (the tool tests' fixtures). False when it
// could not be written whole.
bool SaveFile(const std::string& dir, const char* name, const std::vector<uint8_t>& bytes);
