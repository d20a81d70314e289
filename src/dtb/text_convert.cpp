#include "text_convert.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"

void FormatHexBytes(const uint8_t* bytes, int32_t count, char* text) {
    static const char kDigits[] = "0123456789ABCDEF";
    char* out = text;
    for (int32_t i = 0; i < count; ++i) {
        if (i) *out++ = ' ';
        *out++ = kDigits[bytes[i] >> 4];
        *out++ = kDigits[bytes[i] & 15];
    }
    *out = '\0';
}

int32_t HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// The typed text without the white space around it, as [begin, end).
struct Span {
    const char* begin;
    const char* end;
    explicit Span(const char* text) : begin(text), end(text + std::strlen(text)) {
        while (begin < end && IsBlank(*begin)) ++begin;
        while (end > begin && IsBlank(end[-1])) --end;
    }
    bool Holds(char c) const { return std::memchr(begin, c, static_cast<size_t>(end - begin)) != nullptr; }
    bool HoldsX() const { return Holds('x') || Holds('X'); }
};

// [0]x and hex digits whose value fits in bits bits.
bool ReadHexAfterX(const Span& t, int bits, uint32_t* value) {
    const char* p = t.begin;
    if (p < t.end && *p == '0') ++p;
    if (p == t.end || (*p != 'x' && *p != 'X')) return false;
    const char* digits = ++p;
    while (p < t.end && *p == '0') ++p;
    const char* significant = p;
    for (; p < t.end; ++p)
        if (!IsHexDigit(*p)) return false;
    if (digits == t.end || (t.end - significant) * 4 > bits) return false;
    uint32_t v = 0;
    for (p = significant; p < t.end; ++p) v = v << 4 | static_cast<uint32_t>(HexDigitValue(*p));
    *value = v;
    return true;
}

// A sign and decimal digits whose value lies within [low, high].
bool ReadDecimalIn(const Span& t, int64_t low, int64_t high, int64_t* value) {
    const char* p = t.begin;
    bool negative = p < t.end && *p == '-';
    if (p < t.end && (*p == '-' || *p == '+')) ++p;
    if (p == t.end) return false;
    int64_t v = 0;
    for (; p < t.end; ++p) {
        if (!IsDigit(*p)) return false;
        v = v * 10 + (*p - '0');
        if (v > high - low) return false;  // far outside either limit: stop before it overflows
    }
    v = negative ? -v : v;
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

}  // namespace

bool ReadDecimalText(const char* text, int64_t low, int64_t high, int64_t* value) {
    return ReadDecimalIn(Span(text), low, high, value);
}

bool ReadHexNumberText(const char* text, int32_t bits, uint32_t* value) {
    return ReadHexAfterX(Span(text), bits, value);
}

int32_t ReadHexBytesText(const char* text, size_t length, uint8_t* bytes) {
    int32_t count = 0;
    size_t i = 0;
    while (i < length) {
        if (IsBlank(text[i])) {
            ++i;
        } else if (i + 1 < length && IsHexDigit(text[i]) && IsHexDigit(text[i + 1])) {
            bytes[count++] = static_cast<uint8_t>(HexDigitValue(text[i]) << 4 | HexDigitValue(text[i + 1]));
            i += 2;
        } else {
            return -1;
        }
    }
    return count;
}

bool ReadFloatText(const char* text, uint32_t* bits) {
    Span t(text);
    if (t.HoldsX()) return ReadHexAfterX(t, 32, bits);
    const char* p = t.begin;
    if (p < t.end && (*p == '+' || *p == '-')) ++p;
    const char* mantissa = p;
    while (p < t.end && IsDigit(*p)) ++p;
    if (p < t.end && *p == '.') ++p;
    while (p < t.end && IsDigit(*p)) ++p;
    if (p == mantissa || (p == mantissa + 1 && *mantissa == '.')) return false;
    if (p < t.end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < t.end && (*p == '+' || *p == '-')) ++p;
        const char* exponent = p;
        while (p < t.end && IsDigit(*p)) ++p;
        if (p == exponent) return false;
    }
    if (p != t.end) return false;
    // The checked text alone goes to strtof, which would also take hex,
    // "inf" and "nan".
    size_t n = static_cast<size_t>(t.end - t.begin);
    char local[512];
    char* number = n < sizeof local ? local : static_cast<char*>(std::malloc(n + 1));
    if (!number) return false;
    std::memcpy(number, t.begin, n);
    number[n] = '\0';
    float f = std::strtof(number, nullptr);
    if (number != local) std::free(number);
    if (!std::isfinite(f)) return false;  // beyond the largest float
    std::memcpy(bits, &f, sizeof f);
    return true;
}

bool ReadLenientHexBytesText(const char* text, int32_t count, uint8_t* bytes) {
    // The digits alone: a pair may be split by a blank, a tab or a line break.
    uint8_t read[8];
    int32_t n = 0;
    for (const char* p = text; *p; ++p) {
        if (IsBlank(*p)) continue;
        if (!IsHexDigit(*p) || n == 2 * count || n == 2 * static_cast<int32_t>(sizeof read)) return false;
        if (n % 2 == 0)
            read[n / 2] = static_cast<uint8_t>(HexDigitValue(*p) << 4);
        else
            read[n / 2] = static_cast<uint8_t>(read[n / 2] | HexDigitValue(*p));
        ++n;
    }
    if (n == 0 || n % 2 != 0) return false;
    std::memcpy(bytes, read, static_cast<size_t>(n / 2));
    return true;
}

bool ReadIntegerText(const char* text, int32_t* value) {
    Span t(text);
    uint32_t bits = 0;
    int64_t v = 0;
    if (t.HoldsX()) {
        if (!ReadHexAfterX(t, 32, &bits)) return false;
        *value = static_cast<int32_t>(bits);
        return true;
    }
    if (!ReadDecimalIn(t, INT32_MIN, INT32_MAX, &v)) return false;
    *value = static_cast<int32_t>(v);
    return true;
}

bool ReadWholeNumberText(const char* text, uint32_t* value) {
    Span t(text);
    int64_t v = 0;
    if (t.HoldsX()) return ReadHexAfterX(t, 32, value);
    if (!ReadDecimalIn(t, 0, UINT32_MAX, &v)) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

bool ReadNumberEntry(const char* text, int32_t width, uint8_t* field) {
    Span t(text);
    uint32_t v = 0;
    if (t.HoldsX()) {
        if (!ReadHexAfterX(t, 8 * width, &v)) return false;
    } else if (t.Holds(' ')) {
        return ReadLenientHexBytesText(text, width, field);
    } else {
        int64_t limit = (int64_t{1} << (8 * width)) - 1;  // unsigned; negative down to the signed limit
        int64_t d = 0;
        if (!ReadDecimalIn(t, -(limit + 1) / 2, limit, &d)) return false;
        v = static_cast<uint32_t>(d);
    }
    for (int32_t i = 0; i < width; ++i) field[i] = static_cast<uint8_t>(v >> (8 * i));
    return true;
}

bool ReadKeyText(const char* text, uint32_t* key) {
    uint8_t bytes[4];
    WriteU32(bytes, *key);
    if (!ReadNumberEntry(text, 4, bytes)) return false;
    *key = ReadU32(bytes);
    return true;
}

bool ReadHeaderByteText(const char* text, uint8_t* byte) {
    Span t(text);
    size_t n = static_cast<size_t>(t.end - t.begin);
    uint32_t value = 0;
    if (n >= 1 && n <= 2 && IsHexDigit(t.begin[0]) && IsHexDigit(t.end[-1])) {
        value = static_cast<uint32_t>(HexDigitValue(t.begin[0]));
        if (n == 2) value = value << 4 | static_cast<uint32_t>(HexDigitValue(t.begin[1]));
    } else if (!t.HoldsX() || !ReadHexAfterX(t, 8, &value)) {
        return false;
    }
    *byte = static_cast<uint8_t>(value);
    return true;
}

bool IsPlainTextPayload(const uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (bytes[i] < 32 && bytes[i] != '\t' && bytes[i] != '\r' && bytes[i] != '\n') return false;
    return true;
}

namespace {

// The forms a line break takes in a payload.
const char kLf = 1, kCrLf = 2, kCr = 3;

// Text with every line break (CR LF, lone CR, lone LF) as one '\n'; forms,
// when given, receives each break's form. Returns the length written.
size_t FoldBreaks(const uint8_t* bytes, size_t length, char* out, char* forms, size_t* breaks) {
    size_t n = 0;
    *breaks = 0;
    for (size_t i = 0; i < length; ++i) {
        char form = bytes[i] == '\n' ? kLf : 0;
        if (bytes[i] == '\r') {
            form = i + 1 < length && bytes[i + 1] == '\n' ? kCrLf : kCr;
            if (form == kCrLf) ++i;
        }
        if (form && forms) forms[*breaks] = form;
        if (form) ++*breaks;
        out[n++] = form ? '\n' : static_cast<char>(bytes[i]);
    }
    return n;
}

size_t CountBreaks(const char* text, size_t from, size_t to) {
    return static_cast<size_t>(std::count(text + from, text + to, '\n'));
}

}  // namespace

char* PayloadToEditText(const uint8_t* bytes, size_t length, size_t* textLength) {
    char* text = static_cast<char*>(std::malloc(2 * length + 1));
    if (!text) return nullptr;
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        bool crlf = bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n';
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            text[n++] = '\r';
            text[n++] = '\n';
            i += crlf;
        } else {
            text[n++] = static_cast<char>(bytes[i]);
        }
    }
    text[n] = '\0';
    *textLength = n;
    return text;
}

uint8_t* EditTextToPayload(const char* text, size_t textLength, const uint8_t* original, size_t originalLength,
                           size_t* length) {
    char* was = static_cast<char*>(std::malloc(2 * originalLength + 1));
    char* now = static_cast<char*>(std::malloc(textLength + 1));
    uint8_t* out = static_cast<uint8_t*>(std::malloc(2 * textLength + 1));
    if (!was || !now || !out) {
        std::free(was), std::free(now), std::free(out);
        return nullptr;
    }
    char* forms = was + originalLength;
    size_t breaks = 0, nowBreaks = 0;
    size_t wasLength = FoldBreaks(original, originalLength, was, forms, &breaks);
    size_t nowLength = FoldBreaks(reinterpret_cast<const uint8_t*>(text), textLength, now, nullptr, &nowBreaks);
    size_t head = 0;
    while (head < wasLength && head < nowLength && was[head] == now[head]) ++head;
    size_t tail = 0;
    while (tail < wasLength - head && tail < nowLength - head && was[wasLength - 1 - tail] == now[nowLength - 1 - tail])
        ++tail;
    bool middleKept = CountBreaks(was, head, wasLength - tail) == CountBreaks(now, head, nowLength - tail);
    char fresh = breaks ? forms[0] : kCrLf;
    size_t n = 0;
    for (size_t i = 0, k = 0; i < nowLength; ++i) {
        if (now[i] != '\n') {
            out[n++] = static_cast<uint8_t>(now[i]);
            continue;
        }
        // k counts the breaks before this one; those of the tail are the
        // original's last ones.
        bool known = i < head || i >= nowLength - tail || middleKept;
        char form = known ? forms[i < nowLength - tail ? k : breaks - nowBreaks + k] : fresh;
        ++k;
        if (form != kLf) out[n++] = '\r';
        if (form != kCr) out[n++] = '\n';
    }
    std::free(was);
    std::free(now);
    *length = n;
    return out;
}

bool ReadScalarText(uint32_t type, const char* text, uint8_t* value) {
    int32_t number = 0;
    uint32_t bits = 0;
    if (!IsScalarType(type)) return false;
    if (type == kTypeInteger) {
        if (!ReadIntegerText(text, &number)) return false;
        WriteU32(value, static_cast<uint32_t>(number));
    } else if (type == kTypeFloat) {
        if (!ReadFloatText(text, &bits)) return false;
        WriteU32(value, bits);
    } else {
        return ReadLenientHexBytesText(text, 4, value);
    }
    return true;
}

int32_t BuildRecordFromText(uint32_t type, const char* text, ChunkRecord* record) {
    std::memset(record, 0, sizeof *record);
    record->Type = type;
    int32_t number = 0;
    switch (ShapeOfType(type)) {
    case ShapeScalar:
        return ReadScalarText(type, text, record->Value) ? 0 : -1;
    case ShapeNode:
        if (!ReadIntegerText(text, &number)) return -1;
        WriteU32(record->Value + 2, static_cast<uint32_t>(number));
        return 0;
    case ShapePool:
        return 0;
    case ShapeUnknown:
        break;
    }
    return -1;
}
