// Arbitrary text through every conversion. Outputs go to buffers of exactly
// the size promised, so a write past them stops the run; the results are held
// to the definitions (the hex number summed digit by digit from the end, the
// decimal readings of the C library) and to each other.
#include <cerrno>
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "text_convert.h"

#define REQUIRE(cond)                                                          \
    do {                                                                       \
        if (!(cond)) {                                                         \
            std::fprintf(stderr, "REQUIRE failed: %s (line %d)\n", #cond, __LINE__); \
            std::abort();                                                      \
        }                                                                      \
    } while (0)

namespace {

// Walks from the last character towards the last x, adding digit * 16^k.
uint32_t HexNumberByDefinition(const char* text) {
    uint32_t value = 0;
    uint32_t weight = 1;
    for (size_t i = std::strlen(text); i-- > 0;) {
        if (text[i] == 'x' || text[i] == 'X') break;
        value += static_cast<uint32_t>(HexDigitValue(text[i])) * weight;
        weight *= 16;
    }
    return value;
}

void HexBytesByDefinition(const char* text, int32_t count, uint8_t* bytes) {
    int32_t written = 0;
    int32_t digits = 0;
    int32_t high = 0;
    for (const char* p = text; *p && written < count; ++p) {
        if (*p == ' ') continue;
        if (digits++ % 2 == 0) {
            high = HexDigitValue(*p);
        } else {
            bytes[written++] = static_cast<uint8_t>(high * 16 + HexDigitValue(*p));
        }
    }
}

int32_t DecimalByLibrary(const char* text) {
    errno = 0;
    long long v = std::strtoll(text, nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

uint32_t Bits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// What strtof gives when it is held to plain decimal: a text that (after
// blanks and a sign) does not begin with a digit or a point is no number, and
// "0x" is the digit 0 followed by something else.
uint32_t DecimalFloatByLibrary(const char* text) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    const char* sign = p;
    if (*p == '+' || *p == '-') ++p;
    if (!(*p >= '0' && *p <= '9') && *p != '.') return 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        char zero[3] = {*sign == '-' ? '-' : '+', '0', '\0'};
        return Bits(std::strtof(zero, nullptr));
    }
    return Bits(std::strtof(text, nullptr));
}

uint32_t LittleEndian(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

void CheckHexBytes(const char* text) {
    for (int32_t count = 0; count <= 8; ++count) {
        std::vector<uint8_t> expected(static_cast<size_t>(count), 0xA5);
        HexBytesByDefinition(text, count, expected.data());
        uint8_t* got = new uint8_t[static_cast<size_t>(count)];
        std::memset(got, 0xA5, static_cast<size_t>(count));
        REQUIRE(ParseHexBytes(text, count, got) == 0);
        REQUIRE(count == 0 || std::memcmp(got, expected.data(), static_cast<size_t>(count)) == 0);
        delete[] got;
    }
}

// The strict readers take the whole text or nothing: a refused text leaves
// the field as it was, and what they take agrees with the plain readings.
void CheckTypedReaders(const char* text) {
    uint8_t* one = new uint8_t[1];
    uint8_t* four = new uint8_t[4];
    one[0] = 0x5A;
    std::memset(four, 0x5A, 4);
    bool oneRead = ReadNumberEntry(text, 1, one);
    bool fourRead = ReadNumberEntry(text, 4, four);
    if (!oneRead) REQUIRE(one[0] == 0x5A);
    if (!fourRead) REQUIRE(LittleEndian(four) == 0x5A5A5A5Au);
    // A byte that reads reads the same as the first of four (a wider hex
    // number or a wider decimal may be refused for the byte only).
    if (oneRead && fourRead && !std::strchr(text, ' ')) REQUIRE(one[0] == four[0]);
    int32_t integer = 0x12345678;
    if (!ReadIntegerText(text, &integer)) REQUIRE(integer == 0x12345678);
    else if (!std::strpbrk(text, "xX")) REQUIRE(integer == DecimalByLibrary(text));
    uint32_t bits = 0xDEADBEEF;
    if (!ReadFloatText(text, &bits)) REQUIRE(bits == 0xDEADBEEFu);
    else if (!std::strpbrk(text, "xX")) REQUIRE(bits == DecimalFloatByLibrary(text));
    delete[] one;
    delete[] four;
}

void CheckHexRoundTrip(const uint8_t* data, size_t size) {
    int32_t n = static_cast<int32_t>(size < 700 ? size : 700);  // as many as a 2048-byte text shows
    size_t room = n ? 3 * static_cast<size_t>(n) : 1;
    char* text = new char[room];
    FormatHexBytes(data, n, text);
    REQUIRE(std::strlen(text) == (n ? 3 * static_cast<size_t>(n) - 1 : 0));
    uint8_t* back = new uint8_t[static_cast<size_t>(n) + 1];
    REQUIRE(ParseHexBytes(text, n, back) == 0);
    REQUIRE(n == 0 || std::memcmp(back, data, static_cast<size_t>(n)) == 0);
    for (int32_t i = 0; i < n; ++i) {
        char pair[3] = {text[3 * i], text[3 * i + 1], '\0'};
        REQUIRE(std::isxdigit(static_cast<unsigned char>(pair[0])) && !std::islower(static_cast<unsigned char>(pair[0])));
        REQUIRE(std::isxdigit(static_cast<unsigned char>(pair[1])) && !std::islower(static_cast<unsigned char>(pair[1])));
        REQUIRE(i == n - 1 || text[3 * i + 2] == ' ');
    }
    delete[] back;
    delete[] text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input as a zero-terminated text, in a block of its own size so
    // that reading past the terminator is caught.
    char* text = new char[size + 1];
    if (size) std::memcpy(text, data, size);
    text[size] = '\0';

    REQUIRE(ParseHexNumber(text) == HexNumberByDefinition(text));
    CheckHexBytes(text);
    REQUIRE(ParseDecimal(text) == DecimalByLibrary(text));
    CheckTypedReaders(text);
    CheckHexRoundTrip(data, size);

    delete[] text;
    return 0;
}
