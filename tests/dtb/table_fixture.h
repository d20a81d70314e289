// Chunk tables written out in a line, their contents as comparable rows, and
// random trees: shared by the tree, edit and clipboard tests.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "text_convert.h"

struct ChunkEntry {
    uint32_t type;
    uint8_t value[6];
    std::string text;
};

inline ChunkEntry N(uint16_t children, int32_t number, uint32_t type = 16) {
    ChunkEntry c = {type, {}, {}};
    WriteU16(c.value, children);
    WriteU32(c.value + 2, static_cast<uint32_t>(number));
    return c;
}
inline ChunkEntry S(const std::string& text, uint32_t type = 5) { return {type, {}, text}; }
inline ChunkEntry I(int32_t v, uint32_t type = 0) {
    ChunkEntry c = {type, {}, {}};
    WriteU32(c.value, static_cast<uint32_t>(v));
    return c;
}

inline void Append(TestDocument& doc, const ChunkEntry& c) {
    ChunkRecord r = {};
    r.Type = c.type;
    std::memcpy(r.Value, c.value, 6);
    InsertChunkAt(doc.get(), &r, doc->ChunkCount);
    if (IsPoolType(c.type))
        ReplacePayload(doc.get(), doc->ChunkCount - 1, reinterpret_cast<const uint8_t*>(c.text.data()),
                       static_cast<int32_t>(c.text.size()));
}

// Replaces the table with the chunks and sets the top-level count.
inline void Fill(TestDocument& doc, std::initializer_list<ChunkEntry> chunks, uint16_t topLevel) {
    doc->ChunkCount = 0;
    for (const ChunkEntry& c : chunks) Append(doc, c);
    WriteU16(doc->HeaderBytes + 1, topLevel);
}

// While alive, every growth of the document's blocks fails.
struct FailingGrowth {
    FailingGrowth() {
        static const BlockAllocator kFailing = {
            [](void*, size_t) -> void* { return nullptr; },
            [](void* block) { std::free(block); },
        };
        SetBlockAllocator(&kFailing);
    }
    ~FailingGrowth() { SetBlockAllocator(nullptr); }
};

// One row per chunk, "type:value bytes" or "type:'payload'", then the header.
inline std::vector<std::string> Rows(const TestDocument& doc) {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < doc.state.ChunkCount; ++i) {
        const ChunkRecord& r = doc.chunk(i);
        char hex[32];
        FormatHexBytes(r.Value, IsNodeType(r.Type) ? 6 : 4, hex);
        rows.push_back(std::to_string(r.Type) + ":" + (IsPoolType(r.Type) ? "'" + doc.payload(i) + "'" : hex));
    }
    char header[32];
    FormatHexBytes(doc.state.HeaderBytes, kHeaderSize, header);
    rows.push_back(std::string("header ") + header);
    return rows;
}

// A random table whose counts agree with it: size chunks and as many more
// as the open nodes still need, identifiers after many nodes (after some
// empty ones too, where they are the node's sibling), every known type.
inline void FillRandomTree(TestDocument& doc, std::mt19937& rng, int32_t size) {
    static const uint32_t kLeaves[] = {0, 1, 2, 5, 6, 7, 8, 9, 18, 32, 33, 34, 35};
    static const uint32_t kNodes[] = {16, 17, 19};
    doc->ChunkCount = 0;
    std::vector<int32_t> owed;  // children still owed by the open nodes
    int32_t topLevel = 0;
    bool identifierNext = false;
    for (int32_t made = 0;; ++made) {
        while (!owed.empty() && owed.back() == 0) owed.pop_back();
        if (made >= size && owed.empty()) break;
        if (owed.empty()) {
            topLevel += 1;
        } else {
            owed.back() -= 1;
        }
        if (identifierNext) {
            Append(doc, S("id" + std::to_string(made)));
            identifierNext = false;
        } else if (made < size && rng() % 3 == 0) {
            uint16_t children = static_cast<uint16_t>(rng() % 4);
            Append(doc, N(children, static_cast<int32_t>(rng() % 100), kNodes[rng() % 3]));
            if (children > 0) owed.push_back(children);
            identifierNext = rng() % 2 == 0;
        } else {
            uint32_t type = kLeaves[rng() % 13];
            if (IsPoolType(type)) {
                Append(doc, S(std::string(rng() % 5, static_cast<char>('a' + rng() % 26)), type));
            } else {
                Append(doc, I(static_cast<int32_t>(rng()), type));
            }
        }
    }
    WriteU16(doc->HeaderBytes + 1, static_cast<uint16_t>(topLevel));
}
