#include "display_text.h"

#include <cstdio>
#include <cstring>

#include "chunk_types.h"
#include "text_convert.h"

namespace {

// Appends n bytes to out as far as they fit, always leaving it terminated.
void Append(char* out, size_t outSize, size_t* at, const char* text, size_t n) {
    size_t room = *at + 1 < outSize ? outSize - 1 - *at : 0;
    size_t take = n < room ? n : room;
    std::memcpy(out + *at, text, take);
    *at += take;
    out[*at] = '\0';
}

}  // namespace

int32_t FormatChunkText(const EditorState* state, int32_t index, char* out, size_t outSize,
                        const char* separator, int32_t labelled) {
    out[0] = '\0';
    const ChunkRecord& r = state->Chunks[index];
    const char* label = LabelOfType(r.Type);
    if (!label) return 0;

    char number[64];
    const char* value = number;
    size_t valueLength = 0;
    switch (r.Type) {
    case 0:
        valueLength = static_cast<size_t>(std::snprintf(number, sizeof number, "%d", static_cast<int32_t>(ReadU32(r.Value))));
        break;
    case 1: {
        float f;
        std::memcpy(&f, r.Value, sizeof f);
        // %f of the largest floats needs 46 characters; the buffer holds them.
        valueLength = static_cast<size_t>(std::snprintf(number, sizeof number, "%f", static_cast<double>(f)));
        break;
    }
    default:
        if (IsPoolType(r.Type)) {
            value = reinterpret_cast<const char*>(state->Pool + r.PoolOffset);
            const void* zero = std::memchr(value, 0, static_cast<size_t>(r.Length));
            valueLength = zero ? static_cast<size_t>(static_cast<const char*>(zero) - value) : static_cast<size_t>(r.Length);
        } else {
            FormatHexBytes(r.Value, IsNodeType(r.Type) ? 6 : 4, number);
            valueLength = std::strlen(number);
        }
    }

    size_t at = 0;
    size_t labelLength = labelled == 1 ? std::strlen(label) : 0;
    size_t separatorLength = std::strlen(separator);
    Append(out, outSize, &at, label, labelLength);
    Append(out, outSize, &at, separator, separatorLength);
    Append(out, outSize, &at, value, valueLength);
    return static_cast<int32_t>(labelLength + separatorLength + valueLength);
}

int32_t FormatListLine(const EditorState* state, int32_t index, char* out, size_t outSize) {
    char suffix[16];
    int suffixLength = std::snprintf(suffix, sizeof suffix, "\t%d", index);
    size_t room = outSize > static_cast<size_t>(suffixLength) ? outSize - static_cast<size_t>(suffixLength) : 1;
    int32_t textLength = FormatChunkText(state, index, out, room, "\t", 1);
    size_t at = std::strlen(out);
    Append(out, outSize, &at, suffix, static_cast<size_t>(suffixLength));
    return textLength + suffixLength;
}

int32_t ChunkIndexFromListLine(const char* line) {
    const char* end = line + std::strlen(line);
    const char* p = end;
    while (p > line && p[-1] >= '0' && p[-1] <= '9') --p;
    return ParseDecimal(p);
}
