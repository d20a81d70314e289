// Shared by the core tests: a document with a message recorder, an in-memory
// file behind the core's file layer, and a builder for DTB byte streams.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "cipher.h"
#include "document.h"
#include "editor_state.h"
#include "file_layer.h"

struct Message {
    std::string text;
    ReportKind kind;
};

// An editor state with its memory, whose messages are recorded.
struct TestDocument {
    EditorState state;
    std::vector<Message> messages;

    TestDocument() {
        InitEditorState(&state);
        state.Reporter = [](void* self, const char* text, ReportKind kind) {
            static_cast<TestDocument*>(self)->messages.push_back({text, kind});
        };
        state.ReporterContext = this;
        state.FileHandle = 1;  // any value but kNoFile: MemoryFile serves every handle
        AllocateDocument(&state);
    }
    ~TestDocument() { FreeDocument(&state); }
    TestDocument(const TestDocument&) = delete;
    TestDocument& operator=(const TestDocument&) = delete;

    EditorState* operator->() { return &state; }
    EditorState* get() { return &state; }
    const ChunkRecord& chunk(int32_t i) const { return state.Chunks[i]; }
    std::string payload(int32_t i) const {
        const ChunkRecord& r = state.Chunks[i];
        return std::string(reinterpret_cast<const char*>(state.Pool + r.PoolOffset), static_cast<size_t>(r.Length));
    }
};

// A file in memory. While it is alive, the core's file layer works on it
// (every handle means this file); reads deliver at most readStep bytes each,
// and writes fail once failWriteAt bytes have been written in all.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int32_t readStep = 1 << 30;
    int64_t failWriteAt = -1;
    int64_t failReadAt = -1;  // a read that would start at or past this offset fails
    int64_t writtenTotal = 0;
    int32_t reads = 0;

    explicit MemoryFile(std::vector<uint8_t> content = {});
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
};

// Chunks in plain form, enciphered on request as a whole file.
struct DtbBuilder {
    std::vector<uint8_t> plain;  // header and chunks, not enciphered

    DtbBuilder& Raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        plain.insert(plain.end(), b, b + n);
        return *this;
    }
    DtbBuilder& U16(uint16_t v) {
        uint8_t b[2];
        WriteU16(b, v);
        return Raw(b, 2);
    }
    DtbBuilder& U32(uint32_t v) {
        uint8_t b[4];
        WriteU32(b, v);
        return Raw(b, 4);
    }
    DtbBuilder& Header(const std::vector<uint8_t>& h) { return Raw(h.data(), h.size()); }
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

// The keystream by its definition, one byte at a time.
std::vector<uint8_t> ReferenceCipher(uint32_t key, std::vector<uint8_t> bytes);
