#include "value_forms.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "text_convert.h"

const char kChildCountIsKept[] =
    "The child count of a node (its first two bytes) is kept by the editor and cannot be typed. "
    "Change the node number (the last four bytes) only.";

const char* ValueFormOfType(uint32_t type, bool inDataBox) {
    switch (type) {
    case 0:
        return "An Integer takes a whole number from -2147483648 to 2147483647, or up to eight hex digits after 0x.";
    case 1:
        return "A Float takes a decimal number such as 1.5 or -2.5e3, or its bit pattern as up to eight hex digits "
               "after 0x.";
    default:
        break;
    }
    if (IsNodeType(type))
        return inDataBox ? "A node takes up to six hex bytes, such as 02 00 07 00 00 00: the child count, then the "
                           "node number."
                         : "A node takes its number: a whole number from -2147483648 to 2147483647, or up to eight "
                           "hex digits after 0x.";
    return "This chunk takes one to four hex bytes, such as 01 02 0A FF.";
}

namespace {

const char kHexBytesForm[] =
    "In Hex, a text takes pairs of hex digits, such as 1C 05 00, with blanks only between bytes.";

ValueRead ReadFixedValue(const ChunkRecord& r, const char* text, size_t length, bool hex, uint8_t* value,
                         const char** why) {
    const int32_t n = IsNodeType(r.Type) ? 6 : 4;
    if (hex) {
        uint8_t typed[kValueTextSize];
        if (length / 2 >= sizeof typed || ReadHexBytesText(text, length, typed) != n) {
            *why = n == 6 ? "In Hex, a node takes exactly six hex bytes, such as 02 00 07 00 00 00."
                          : "In Hex, this chunk takes exactly four hex bytes, such as 01 02 0A FF.";
            return ValueRefused;
        }
        std::memcpy(value, typed, static_cast<size_t>(n));
    } else if (n == 6 ? !ReadLenientHexBytesText(text, 6, value) : !ReadScalarText(r.Type, text, value)) {
        *why = ValueFormOfType(r.Type, true);
        return ValueRefused;
    }
    if (n == 6 && std::memcmp(value, r.Value, 2) != 0) {
        *why = kChildCountIsKept;
        return ValueRefused;
    }
    return ValueReadDone;
}

}  // namespace

ValueRead ReadTypedValue(const Document* doc, int32_t chunk, const char* text, size_t length, bool hex,
                         TypedValue* value, const char** why) {
    const ChunkRecord& r = doc->Chunks[chunk];
    *value = TypedValue();
    std::memcpy(value->Value, r.Value, sizeof r.Value);
    if (!IsPoolType(r.Type)) return ReadFixedValue(r, text, length, hex, value->Value, why);
    size_t n = 0;
    if (hex) {
        value->Payload = static_cast<uint8_t*>(std::malloc(length / 2 + 1));
        int32_t count = value->Payload ? ReadHexBytesText(text, length, value->Payload) : 0;
        if (count < 0) {
            FreeTypedValue(value);
            *why = kHexBytesForm;
            return ValueRefused;
        }
        n = static_cast<size_t>(count);
    } else {
        value->Payload = EditTextToPayload(text, length, doc->Pool + r.PoolOffset, static_cast<size_t>(r.Length), &n);
    }
    if (!value->Payload || n > INT32_MAX) {  // no payload is that long
        FreeTypedValue(value);
        ReportOutOfMemory(doc);
        return ValueReadFailed;
    }
    value->Length = static_cast<int32_t>(n);
    return ValueReadDone;
}

void FreeTypedValue(TypedValue* value) {
    std::free(value->Payload);
    value->Payload = nullptr;
    value->Length = 0;
}

WriteResult WriteTypedValue(Document* doc, int32_t chunk, const TypedValue& value) {
    if (IsPoolType(doc->Chunks[chunk].Type)) return WriteChunkPayload(doc, chunk, value.Payload, value.Length);
    return WriteChunkValue(doc, chunk, value.Value);
}
