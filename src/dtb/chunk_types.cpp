#include "chunk_types.h"

namespace {

struct TypeRow {
    ChunkShape shape;
    const char* label;
};

// Indexed by type code; codes 36 and above are all unknown.
const TypeRow kTypes[36] = {
    {ShapeScalar, "Integer(0x00)"},  {ShapeScalar, "Float(0x01)"},    {ShapePool, "Function(0x02)"},
    {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},         {ShapePool, "String(0x05)"},
    {ShapeScalar, "Unknown(0x06)"},  {ShapePool, "String(0x07)"},     {ShapeScalar, "Unknown(0x08)"},
    {ShapeScalar, "Unknown(0x09)"},  {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},         {ShapeNode, "Node(0x10)"},       {ShapeNode, "Node(0x11)"},
    {ShapePool, "String(0x12)"},     {ShapeNode, "Node(0x13)"},       {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},
    {ShapeUnknown, nullptr},         {ShapeUnknown, nullptr},         {ShapePool, "String(0x20)"},
    {ShapePool, "File Ref(0x21)"},   {ShapePool, "File Ref(0x22)"},   {ShapePool, "String(0x23)"},
};

}  // namespace

ChunkShape ShapeOfType(uint32_t type) { return type < 36 ? kTypes[type].shape : ShapeUnknown; }

const char* LabelOfType(uint32_t type) { return type < 36 ? kTypes[type].label : nullptr; }
