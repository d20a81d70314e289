#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "text_convert.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(Bytes bytes) {
    std::string text(3 * bytes.size() + 8, '#');
    FormatHexBytes(bytes.data(), int32_t(bytes.size()), &text[0]);
    EXPECT_EQ(text.substr(text.size() - 7), std::string(7, '#'));  // nothing past the zero
    return text.c_str();
}

// What a reading leaves in a field of five bytes pre-filled with 0xEE, as hex.
template <class Reading>
std::string Field(Reading read) {
    Bytes out(5, 0xEE);
    read(out.data());
    return Hex(out);
}

// A hex number is read from the end back to the last x; byte pairs skip
// blanks anywhere, drop an unpaired last digit and leave the bytes they do not
// reach. Any other character is a digit of value 0.
TEST(HexText, FormatDigitsNumbersAndBytePairs) {
    EXPECT_EQ(Hex({0x01, 0x02, 0x0A, 0xFF}), "01 02 0A FF");
    EXPECT_EQ(Hex({0x00, 0xFF}), "00 FF");
    EXPECT_EQ(Hex({}), "");
    const std::pair<char, int32_t> digits[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15},
                                               {'g', 0}, {'G', 0}, {'/', 0}, {':', 0}, {'@', 0}, {'`', 0}};
    for (const auto& d : digits) EXPECT_EQ(HexDigitValue(d.first), d.second) << d.first;
    const std::pair<const char*, uint32_t> numbers[] = {
        {"0x1F", 31},    {"0X10", 16},  {"0x1G", 16}, {"0x123456789", 0x23456789}, {"0xFFFFFFFF", 0xFFFFFFFF},
        {"abc0x10", 16}, {"-0x10", 16}, {"0x1x2", 2}, {"0x10 ", 0x100}, {"x", 0}, {"0x", 0}, {"", 0}, {"1F", 31}};
    for (const auto& c : numbers) EXPECT_EQ(ParseHexNumber(c.first), c.second) << '"' << c.first << '"';
    const struct {
        const char* text;
        int32_t count;
        const char* field;
    } pairs[] = {{"01 02 0A FF", 4, "01 02 0A FF EE"}, {"ABC", 2, "AB EE EE EE EE"}, {"1 2", 4, "12 EE EE EE EE"},
                 {"0A0B", 4, "0A 0B EE EE EE"}, {"a b c d e f", 2, "AB CD EE EE EE"}, {"1\t2G", 2, "10 20 EE EE EE"},
                 {"", 4, "EE EE EE EE EE"}};
    for (const auto& c : pairs)
        EXPECT_EQ(Field([&](uint8_t* f) { EXPECT_EQ(ParseHexBytes(c.text, c.count, f), 0); }), c.field) << c.text;
}

TEST(DecimalText, SignWhiteSpaceAndClamping) {
    const std::pair<std::string, int32_t> cases[] = {
        {"123", 123}, {" \t\n-45", -45}, {"+7", 7}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"-", 0}, {"+-5", 0},
        {"- 5", 0},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"4294967295", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN}, {std::string(300, '9'), INT32_MAX}, {"-" + std::string(300, '9'), INT32_MIN},
        {std::string(300, '0') + "42", 42}};
    for (const auto& c : cases) EXPECT_EQ(ParseDecimal(c.first.c_str()), c.second) << '"' << c.first << '"';
}

// Typed values are the form whole, or nothing: the field keeps its bytes.
TEST(TypedText, IntegersAndFloatsAreWholeOrRefused) {
    const std::pair<std::string, const char*> integers[] = {
        {"0x1F", "1F 00 00 00 EE"}, {" -5 ", "FB FF FF FF EE"}, {"+7", "07 00 00 00 EE"},
        {"0X80000000", "00 00 00 80 EE"}, {"x10", "10 00 00 00 EE"}, {"0x00000000FF", "FF 00 00 00 EE"},
        {"2147483647", "FF FF FF 7F EE"}, {"-2147483648", "00 00 00 80 EE"},
        {"12abc", nullptr}, {"abc", nullptr}, {"", nullptr}, {"-", nullptr}, {"1 2", nullptr}, {"12x", nullptr},
        {"-0x1", nullptr}, {"0x", nullptr}, {"0x1G", nullptr}, {"0x123456789", nullptr}, {"2147483648", nullptr},
        {"-2147483649", nullptr}, {std::string(30, '9'), nullptr}, {"1.5", nullptr}};
    for (const auto& c : integers) {
        std::string field = Field([&](uint8_t* f) {
            int32_t v = 0;
            if (ReadIntegerText(c.first.c_str(), &v)) WriteU32(f, uint32_t(v));
        });
        EXPECT_EQ(field, c.second ? c.second : "EE EE EE EE EE") << '"' << c.first << '"';
    }
    const std::string zeros(1500, '0');  // a long text keeps its value whatever a copy of it might cut
    const std::pair<std::string, float> floats[] = {
        {"1.5e3", 1500.0f}, {"2E-2", 0.02f}, {"  +.5 ", 0.5f}, {"1.", 1.0f}, {"1.e2", 100.0f}, {"-0", -0.0f},
        {"1e-99999", 0.0f}, {zeros + "1.5", 1.5f}, {"1" + zeros + "e-1500", 1.0f}, {"0." + zeros + "1e1501", 1.0f}};
    for (const auto& c : floats) {
        uint32_t bits = 0;
        float f = 0;
        ASSERT_TRUE(ReadFloatText(c.first.c_str(), &bits)) << c.first;
        std::memcpy(&f, &bits, 4);
        EXPECT_EQ(f, c.second) << c.first;
        EXPECT_EQ(std::signbit(f), std::signbit(c.second)) << c.first;
    }
    uint32_t bits = 0x12345678;
    EXPECT_TRUE(ReadFloatText("0x7FC00001", &bits));  // a bit pattern, a NaN's too
    EXPECT_EQ(bits, 0x7FC00001u);
    for (const char* bad : {"abc", "", "-", ".", ".e1", "1e", "1e+", "3e1.5", "-.25x", "0x1p3", "inf", "nan", "1e39",
                            "1 2", "1.5f", "0x123456789"}) {
        bits = 0x12345678;
        EXPECT_FALSE(ReadFloatText(bad, &bits)) << bad;
        EXPECT_EQ(bits, 0x12345678u) << bad;
    }
    EXPECT_FALSE(ReadFloatText((std::string(400, '9') + ".5").c_str(), &bits));  // beyond the largest float
}

// An x anywhere wins over a blank, a blank over decimal; byte pairs write
// only what was typed, and every reading takes the whole text or nothing.
TEST(TypedText, NumberEntryAndHexBytes) {
    const struct {
        const char* text;
        int32_t width;
        const char* field;  // nullptr: refused
    } cases[] = {{"255", 1, "FF EE EE EE EE"},  {"-1", 1, "FF EE EE EE EE"},   {"-128", 1, "80 EE EE EE EE"},
                 {"12", 1, "0C EE EE EE EE"},   {"0x1C", 1, "1C EE EE EE EE"},  {"AB CD", 1, nullptr},
                 {"300", 1, nullptr},           {"-129", 1, nullptr},       {"0x1FF", 1, nullptr},
                 {"1C", 1, nullptr},            {"zz", 1, nullptr},         {"", 1, nullptr},
                 {"1", 4, "01 00 00 00 EE"},    {"0x1", 4, "01 00 00 00 EE"}, {"0x102", 4, "02 01 00 00 EE"},
                 {"-1", 4, "FF FF FF FF EE"},   {"0A 0B", 4, "0A 0B EE EE EE"}, {"00 00 00 01", 4, "00 00 00 01 EE"},
                 {"3735928559", 4, "EF BE AD DE EE"}, {"4294967295", 4, "FF FF FF FF EE"},
                 {"-2147483648", 4, "00 00 00 80 EE"}, {" 7 ", 4, "07 00 00 00 EE"},
                 {"4294967296", 4, nullptr},    {"hello world", 4, nullptr}, {"1 2 3", 4, nullptr},
                 {"0x 10", 4, nullptr},         {"1 0x2", 4, nullptr},      {"01 02 03 04 05", 4, nullptr}};
    for (const auto& c : cases) {
        std::string field = Field([&](uint8_t* f) { EXPECT_EQ(ReadNumberEntry(c.text, c.width, f), c.field != nullptr); });
        EXPECT_EQ(field, c.field ? c.field : "EE EE EE EE EE") << '"' << c.text << '"';
    }
    const std::pair<const char*, const char*> bytes[] = {
        {"DE AD BE EF", "DE AD BE EF EE"}, {"0a0b", "0A 0B EE EE EE"}, {"1 2", "12 EE EE EE EE"},
        {" de\tad\r\n", "DE AD EE EE EE"}, {"ZZ 1", nullptr}, {"ABC", nullptr}, {"", nullptr}, {"  ", nullptr},
        {"01 02 03 04 05", nullptr}};
    for (const auto& c : bytes) {
        std::string field = Field([&](uint8_t* f) { EXPECT_EQ(ReadHexBytesText(c.first, 4, f), c.second != nullptr); });
        EXPECT_EQ(field, c.second ? c.second : "EE EE EE EE EE") << '"' << c.first << '"';
    }
    // The key box's whole range, and dtbtool's stricter whole number.
    uint32_t v = 7;
    EXPECT_TRUE(ParseWholeNumber("4294967295", &v) && v == 0xFFFFFFFFu);
    EXPECT_TRUE(ParseWholeNumber("0xDEADbeef", &v) && v == 0xDEADBEEFu);
    for (const char* bad : {"", "zz", "-1", "0x", "4294967296", "0x100000000", " 1", "1 ", "+1", "0x1G"}) {
        v = 7;
        EXPECT_FALSE(ParseWholeNumber(bad, &v)) << bad;
        EXPECT_EQ(v, 7u);
    }
}

}  // namespace
