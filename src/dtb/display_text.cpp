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

size_t FormatValueText(const ChunkRecord& record, char* out) {
    switch (record.Type) {
    case 0:
        return static_cast<size_t>(
            std::snprintf(out, kValueTextSize, "%d", static_cast<int32_t>(ReadU32(record.Value))));
    case 1: {
        float f;
        std::memcpy(&f, record.Value, sizeof f);
        // %f of the largest floats needs 46 characters; the text holds them.
        return static_cast<size_t>(std::snprintf(out, kValueTextSize, "%f", static_cast<double>(f)));
    }
    default:
        FormatHexBytes(record.Value, IsNodeType(record.Type) ? 6 : 4, out);
        return std::strlen(out);
    }
}

int32_t FormatChunkText(const Document* doc, int32_t index, char* out, size_t outSize, const char* separator,
                        bool labelled) {
    out[0] = '\0';
    const ChunkRecord& r = doc->Chunks[index];
    const char* label = LabelOfType(r.Type);
    if (!label) return 0;
    char number[kValueTextSize];
    PayloadView value = {number, 0};
    if (IsPoolType(r.Type)) {
        value = ShownPayload(doc, r);
    } else {
        value.Length = FormatValueText(r, number);
    }
    size_t at = 0;
    size_t labelLength = labelled ? std::strlen(label) : 0;
    size_t separatorLength = std::strlen(separator);
    Append(out, outSize, &at, label, labelLength);
    Append(out, outSize, &at, separator, separatorLength);
    Append(out, outSize, &at, value.Text, value.Length);
    return static_cast<int32_t>(labelLength + separatorLength + value.Length);
}

int32_t FormatListLine(const Document* doc, int32_t index, char* out, size_t outSize) {
    char suffix[16];
    int suffixLength = std::snprintf(suffix, sizeof suffix, "\t%d", index);
    size_t room = outSize > static_cast<size_t>(suffixLength) ? outSize - static_cast<size_t>(suffixLength) : 1;
    int32_t textLength = FormatChunkText(doc, index, out, room, "\t", true);
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
