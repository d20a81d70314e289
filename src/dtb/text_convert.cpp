#include "text_convert.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

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

uint32_t ParseHexNumber(const char* text) {
    // Reading forward from the last x gives the same value as summing digit
    // times 16^k from the end: the shifts drop the same high digits.
    const char* from = text;
    for (const char* p = text; *p; ++p)
        if (*p == 'x' || *p == 'X') from = p + 1;
    uint32_t value = 0;
    for (const char* p = from; *p; ++p) value = (value << 4) | static_cast<uint32_t>(HexDigitValue(*p));
    return value;
}

int32_t ParseHexBytes(const char* text, int32_t count, uint8_t* bytes) {
    int32_t written = 0;
    bool high = true;
    int32_t pending = 0;
    for (const char* p = text; *p && written < count; ++p) {
        if (*p == ' ') continue;
        if (high) {
            pending = HexDigitValue(*p) << 4;
        } else {
            bytes[written++] = static_cast<uint8_t>(pending | HexDigitValue(*p));
        }
        high = !high;
    }
    return 0;
}

int32_t ParseDecimal(const char* text) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float ParseDecimalFloat(const char* text) {
    // strtod would also take hex floats, "inf" and "nan"; the entry rule is
    // plain decimal, so only that prefix is handed over.
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') ++p;
    }
    if (p == digits || (p == digits + 1 && *digits == '.')) return 0.0f;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-') ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9') ++e;
            p = e;
        }
    }
    // The whole prefix is handed over: leading zeros or an exponent after a
    // long mantissa still change the value, however long the text is.
    char local[512];
    size_t n = static_cast<size_t>(p - start);
    char* number = n < sizeof local ? local : static_cast<char*>(std::malloc(n + 1));
    if (!number) return 0.0f;
    std::memcpy(number, start, n);
    number[n] = '\0';
    float value = std::strtof(number, nullptr);
    if (number != local) std::free(number);
    return value;
}

bool ContainsX(const char* text) { return std::strpbrk(text, "xX") != nullptr; }

bool ParseWholeNumber(const char* text, uint32_t* value) {
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* p = hex ? text + 2 : text;
    uint64_t v = 0;
    int digits = 0;
    for (; *p; ++p, ++digits) {
        if (hex ? !std::isxdigit(static_cast<unsigned char>(*p)) : !(*p >= '0' && *p <= '9')) return false;
        v = hex ? v << 4 | static_cast<uint64_t>(HexDigitValue(*p)) : v * 10 + static_cast<uint64_t>(*p - '0');
        if (v > UINT32_MAX) return false;
    }
    if (digits == 0) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

void ReadNumberEntry(const char* text, int32_t width, uint8_t* field) {
    if (ContainsX(text)) {
        uint32_t v = ParseHexNumber(text);
        for (int32_t i = 0; i < width; ++i) field[i] = static_cast<uint8_t>(v >> (8 * i));
    } else if (std::strchr(text, ' ')) {
        ParseHexBytes(text, width, field);
    } else {
        uint32_t v = static_cast<uint32_t>(ParseDecimal(text));
        for (int32_t i = 0; i < width; ++i) field[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

int32_t ReadIntegerText(const char* text) {
    return ContainsX(text) ? static_cast<int32_t>(ParseHexNumber(text)) : ParseDecimal(text);
}

uint32_t ReadFloatTextBits(const char* text) {
    if (ContainsX(text)) return ParseHexNumber(text);
    float f = ParseDecimalFloat(text);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void ReadHeaderBoxText(const char* text, int32_t width, uint8_t* field) {
    bool ownRendering = width == 1 && std::isxdigit(static_cast<unsigned char>(text[0])) &&
                        std::isxdigit(static_cast<unsigned char>(text[1])) && text[2] == '\0';
    if (ownRendering) {
        field[0] = static_cast<uint8_t>(HexDigitValue(text[0]) << 4 | HexDigitValue(text[1]));
    } else {
        ReadNumberEntry(text, width, field);
    }
}
