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

// The escape of byte c (at most 4 characters and the zero into escape), or
// 0 when c stands for itself.
size_t EscapeOf(unsigned char c, bool backslashes, char* escape) {
    char letter = c == '\t' ? 't' : c == '\r' ? 'r' : c == '\n' ? 'n' : c == '\\' && backslashes ? '\\' : 0;
    if (letter) return static_cast<size_t>(std::snprintf(escape, 5, "\\%c", letter));
    if (c < 0x20 || c == 0x7F) return static_cast<size_t>(std::snprintf(escape, 5, "\\x%02X", c));
    return 0;
}

// Appends n bytes of text as Append does, escaped when asked (only whole
// escapes, as far as they fit); returns the length of the whole text.
size_t AppendText(char* out, size_t outSize, size_t* at, const char* text, size_t n, bool escaped,
                  bool backslashes = false) {
    if (!escaped) {
        Append(out, outSize, at, text, n);
        return n;
    }
    size_t whole = 0;
    bool cut = false;
    for (size_t k = 0; k < n; ++k) {
        char escape[5];
        size_t length = EscapeOf(static_cast<unsigned char>(text[k]), backslashes, escape);
        const char* piece = length ? escape : text + k;
        if (!length) length = 1;
        whole += length;
        cut = cut || *at + length + 1 > outSize;
        if (!cut) Append(out, outSize, at, piece, length);
    }
    return whole;
}

}  // namespace

int32_t EscapeControlBytes(const char* text, size_t n, char* out, size_t outSize, bool backslashes) {
    size_t at = 0;
    out[0] = '\0';
    return static_cast<int32_t>(AppendText(out, outSize, &at, text, n, true, backslashes));
}

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
                        bool labelled, bool escaped) {
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
    size_t valueLength = AppendText(out, outSize, &at, value.Text, value.Length, escaped);
    return static_cast<int32_t>(labelLength + separatorLength + valueLength);
}

int32_t FormatListLine(const Document* doc, int32_t index, char* out, size_t outSize, bool escaped) {
    char suffix[16];
    int suffixLength = std::snprintf(suffix, sizeof suffix, "\t%d", index);
    size_t room = outSize > static_cast<size_t>(suffixLength) ? outSize - static_cast<size_t>(suffixLength) : 1;
    int32_t textLength = FormatChunkText(doc, index, out, room, "\t", true, escaped);
    size_t at = std::strlen(out);
    Append(out, outSize, &at, suffix, static_cast<size_t>(suffixLength));
    return textLength + suffixLength;
}

int32_t ChunkIndexFromListLine(const char* line) {
    const char* end = line + std::strlen(line);
    const char* p = end;
    while (p > line && p[-1] >= '0' && p[-1] <= '9') --p;
    int64_t index = 0;
    ReadDecimalText(p, 0, INT32_MAX, &index);
    return static_cast<int32_t>(index);
}
