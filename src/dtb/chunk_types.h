// The chunk type codes and the three shapes every layer groups them into.
#pragma once

#include <cstdint>

#include "editor_state.h"

enum ChunkShape : int32_t {
    ShapeUnknown = 0,
    ShapeScalar = 1,  // 0, 1, 6, 8, 9: four value bytes
    ShapePool = 2,    // 2, 5, 7, 18, 32, 33, 34, 35: length and payload in the pool
    ShapeNode = 3,    // 16, 17, 19: child count and node number
};

const uint32_t kTypeIdentifier = 5;  // the keyword that may follow a node and name it

ChunkShape ShapeOfType(uint32_t type);
inline bool IsScalarType(uint32_t type) { return ShapeOfType(type) == ShapeScalar; }
inline bool IsPoolType(uint32_t type) { return ShapeOfType(type) == ShapePool; }
inline bool IsNodeType(uint32_t type) { return ShapeOfType(type) == ShapeNode; }

// The display label of a known type ("Integer(0x00)"...), or nullptr.
const char* LabelOfType(uint32_t type);

// Little-endian fields that sit unaligned in Value and HeaderBytes.
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
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
inline uint16_t TopLevelCountOf(const EditorState& s) { return ReadU16(s.HeaderBytes + 1); }
