#include "chunk_types.h"

#include <cstring>

namespace {

struct TypeRow {
    ChunkShape shape;
    const char* label;
};

// Indexed by type code; codes 36 and above are all unknown.
const TypeRow kTypes[36] = {
    {ShapeScalar, "Integer(0x00)"}, {ShapeScalar, "Float(0x01)"},  {ShapePool, "Function(0x02)"},
    {ShapeUnknown, nullptr},        {ShapeUnknown, nullptr},       {ShapePool, "String(0x05)"},
    {ShapeScalar, "Unknown(0x06)"}, {ShapePool, "String(0x07)"},   {ShapeScalar, "Unknown(0x08)"},
    {ShapeScalar, "Unknown(0x09)"}, {ShapeUnknown, nullptr},       {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},        {ShapeUnknown, nullptr},       {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},        {ShapeNode, "Node(0x10)"},     {ShapeNode, "Node(0x11)"},
    {ShapePool, "String(0x12)"},    {ShapeNode, "Node(0x13)"},     {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},        {ShapeUnknown, nullptr},       {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},        {ShapeUnknown, nullptr},       {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},        {ShapeUnknown, nullptr},       {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},        {ShapeUnknown, nullptr},       {ShapePool, "String(0x20)"},
    {ShapePool, "File Ref(0x21)"},  {ShapePool, "File Ref(0x22)"}, {ShapePool, "String(0x23)"},
};

}  // namespace

ChunkShape ShapeOfType(uint32_t type) { return type < 36 ? kTypes[type].shape : ShapeUnknown; }

const char* LabelOfType(uint32_t type) { return type < 36 ? kTypes[type].label : nullptr; }

int32_t EncodeChunkHead(const ChunkRecord& record, uint8_t* out) {
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

int64_t EncodedChunkSize(const ChunkRecord& record) {
    uint8_t head[kLongestChunkHead];
    int64_t size = EncodeChunkHead(record, head);
    return IsPoolType(record.Type) ? size + record.Length : size;
}

ChunkCut DecodeChunk(const uint8_t* bytes, int64_t available, ChunkRecord* record, int64_t* size) {
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
