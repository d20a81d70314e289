// The chunk type codes and the three shapes every layer groups them into.
#pragma once

#include <climits>
#include <cstdint>
#include <cstring>

#include "document.h"

enum ChunkShape : int32_t {
    ShapeUnknown = 0,
    ShapeScalar = 1,  // 0, 1, 6, 8, 9: four value bytes
    ShapePool = 2,    // 2, 5, 7, 18, 32, 33, 34, 35: length and payload in the pool
    ShapeNode = 3,    // 16, 17, 19: child count and node number
};

const uint32_t kTypeInteger = 0;
const uint32_t kTypeFloat = 1;
const uint32_t kTypeIdentifier = 5;  // the keyword that may follow a node and name it

// By type code; codes 36 and above are all unknown. The reader and the writer
// look a type up for every chunk, so this is inline.
struct TypeRow {
    ChunkShape shape;
    const char* label;
};
extern const TypeRow kTypeRows[36];
inline ChunkShape ShapeOfType(uint32_t type) { return type < 36 ? kTypeRows[type].shape : ShapeUnknown; }
inline bool IsScalarType(uint32_t type) { return ShapeOfType(type) == ShapeScalar; }
inline bool IsPoolType(uint32_t type) { return ShapeOfType(type) == ShapePool; }
inline bool IsNodeType(uint32_t type) { return ShapeOfType(type) == ShapeNode; }

// The display label of a known type ("Integer(0x00)"...), or nullptr.
const char* LabelOfType(uint32_t type);

// Little-endian fields that sit unaligned in Value and HeaderBytes.
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline void WriteU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint16_t ChildCountOf(const ChunkRecord& r) { return ReadU16(r.Value); }
inline int32_t NodeNumberOf(const ChunkRecord& r) { return static_cast<int32_t>(ReadU32(r.Value + 2)); }
inline uint16_t TopLevelCountOf(const Document& doc) { return ReadU16(doc.HeaderBytes + 1); }

// A chunk's encoding, the same in the file (enciphered) and in the clipboard
// block (plain): the 32-bit type, then by shape 4 value bytes (scalar), a
// 16-bit child count and a 32-bit node number (node), or a 32-bit length and
// that many payload bytes (pool). An unknown type would be its type alone.
const int32_t kLongestChunkHead = 10;
// The bytes before the payload (all of them but for a pool chunk) written
// at out; returns how many.
inline int32_t EncodeChunkHead(const ChunkRecord& record, uint8_t* out) {
    WriteU32(out, record.Type);
    switch (ShapeOfType(record.Type)) {
    case ShapeScalar:
        std::memcpy(out + 4, record.Value, 4);
        return 8;
    case ShapeNode:
        std::memcpy(out + 4, record.Value, 6);
        return 10;
    case ShapePool:
        WriteU32(out + 4, static_cast<uint32_t>(record.Length));
        return 8;
    case ShapeUnknown:
        break;
    }
    return 4;
}
int64_t EncodedChunkSize(const ChunkRecord& record);

// The same layout as masks, for the reader's and the writer's fast ways,
// which take most chunks without a branch on their shape: the bytes before
// the payload (0: unknown), the Value bytes that follow the type, and
// whether the word after the type is a pool length (all ones) or not (0).
struct ChunkLayout {
    uint64_t ValueMask;
    uint32_t LengthMask;
    int32_t Head;
};
struct ChunkLayouts {
    ChunkLayout Rows[37];  // by type code; codes from 36 on share the last
    ChunkLayouts();
};
extern const ChunkLayouts kChunkLayouts;
inline const ChunkLayout& LayoutOfType(uint32_t type) { return kChunkLayouts.Rows[type < 36 ? type : 36]; }

enum ChunkCut { ChunkWhole, ChunkShort, ChunkUnknown };
// Reads the chunk at the start of available bytes into record (Type, and
// Value or Length). ChunkWhole: size is its whole size, a payload starting at
// bytes + 8. ChunkShort: the bytes end inside it; size is its whole size when
// that is known already, else 0. ChunkUnknown: the type is no chunk's, judged
// as soon as its four bytes are there.
inline ChunkCut DecodeChunk(const uint8_t* bytes, int64_t available, ChunkRecord* record, int64_t* size) {
    *size = 0;
    if (available < 4) return ChunkShort;
    record->Type = ReadU32(bytes);
    switch (ShapeOfType(record->Type)) {
    case ShapeScalar:
        if (available < 8) return ChunkShort;
        std::memcpy(record->Value, bytes + 4, 4);
        *size = 8;
        return ChunkWhole;
    case ShapeNode:
        if (available < 10) return ChunkShort;
        std::memcpy(record->Value, bytes + 4, 6);
        *size = 10;
        return ChunkWhole;
    case ShapePool: {
        if (available < 8) return ChunkShort;
        uint32_t length = ReadU32(bytes + 4);
        *size = 8 + static_cast<int64_t>(length);
        if (available < *size || length > static_cast<uint32_t>(INT32_MAX)) return ChunkShort;
        record->Length = static_cast<int32_t>(length);
        return ChunkWhole;
    }
    case ShapeUnknown:
        break;
    }
    return ChunkUnknown;
}
