#include "chunk_types.h"

#include <cstring>

const TypeRow kTypeRows[36] = {
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

const char* LabelOfType(uint32_t type) { return type < 36 ? kTypeRows[type].label : nullptr; }

int64_t EncodedChunkSize(const ChunkRecord& record) {
    uint8_t head[kLongestChunkHead];
    int64_t size = EncodeChunkHead(record, head);
    return IsPoolType(record.Type) ? size + record.Length : size;
}

ChunkLayouts::ChunkLayouts() {
    for (uint32_t type = 0; type < 37; ++type) {
        ChunkShape shape = ShapeOfType(type);
        ChunkLayout& row = Rows[type];
        row.ValueMask = shape == ShapeScalar ? 0xFFFFFFFFull : shape == ShapeNode ? 0xFFFFFFFFFFFFull : 0;
        row.LengthMask = shape == ShapePool ? 0xFFFFFFFFu : 0;
        row.Head = shape == ShapeNode ? 10 : shape == ShapeUnknown ? 0 : 8;
    }
}

const ChunkLayouts kChunkLayouts;
