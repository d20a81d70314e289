#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

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

TEST(DecimalText, SignWhiteSpaceClampingAndFloatPrefixes) {
    const std::pair<std::string, int32_t> cases[] = {
        {"123", 123}, {" \t\n-45", -45}, {"+7", 7}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"-", 0}, {"+-5", 0},
        {"- 5", 0},
        {"2147483647", INT32_MAX}, {"2147483648", INT32_MAX}, {"4294967295", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN}, {std::string(300, '9'), INT32_MAX}, {"-" + std::string(300, '9'), INT32_MIN},
        {std::string(300, '0') + "42", 42}};
    for (const auto& c : cases) EXPECT_EQ(ParseDecimal(c.first.c_str()), c.second) << '"' << c.first << '"';

    // Floats: the longest prefix that forms a decimal number.
    const std::string zeros(1500, '0');  // a long text keeps its value wherever a copy of it might end
    const std::pair<std::string, float> floats[] = {
        {"1.5e3", 1500.0f}, {"2E-2", 0.02f}, {"  +.5", 0.5f}, {"-.25x", -0.25f}, {"1.", 1.0f}, {"1.e2", 100.0f},
        {"1e", 1.0f},       {"1e+", 1.0f},   {"3e1.5", 30.0f}, {"-", 0.0f},     {".", 0.0f}, {".e1", 0.0f},
        // Decimal only: no hex floats, infinities or NaNs by name; out of
        // range gives infinity or zero, with no undefined conversion on the way.
        {"0x1p3", 0.0f}, {"inf", 0.0f}, {"nan", 0.0f}, {"1e39", INFINITY}, {"1e99999", INFINITY}, {"1e-99999", 0.0f},
        {std::string(400, '9') + ".5", INFINITY}, {zeros + "1.5", 1.5f}, {"1" + zeros + "e-1500", 1.0f},
        {"0." + zeros + "1e1501", 1.0f}};
    for (const auto& c : floats) EXPECT_EQ(ParseDecimalFloat(c.first.c_str()), c.second) << '"' << c.first << '"';
    EXPECT_FALSE(std::signbit(ParseDecimalFloat("-")));
}

// An x anywhere wins over a blank, a blank over decimal; byte pairs write
// only what was typed.
TEST(NumberEntry, OneAndFourByteFields) {
    const struct {
        const char* text;
        int32_t width;
        const char* field;
    } cases[] = {{"300", 1, "2C EE EE EE EE"},   {"-1", 1, "FF EE EE EE EE"},   {"0x1FF", 1, "FF EE EE EE EE"},
                 {"AB CD", 1, "AB EE EE EE EE"}, {"1", 4, "01 00 00 00 EE"},    {"0x1", 4, "01 00 00 00 EE"},
                 {"0x102", 4, "02 01 00 00 EE"}, {"-1", 4, "FF FF FF FF EE"},   {"0A 0B", 4, "0A 0B EE EE EE"},
                 {"0x 10", 4, "10 00 00 00 EE"}, {"1 0x2", 4, "02 00 00 00 EE"}, {"00 00 00 01", 4, "00 00 00 01 EE"},
                 {"4294967295", 4, "FF FF FF 7F EE"}};
    for (const auto& c : cases)
        EXPECT_EQ(Field([&](uint8_t* f) { ReadNumberEntry(c.text, c.width, f); }), c.field) << c.text;
}

// The header boxes show byte 0 as two hex digits; whatever they show must
// read back unchanged, and everything else follows the entry rule.
TEST(HeaderBoxText, OwnRenderingReadsBackAsItself) {
    for (int byte = 0; byte < 256; ++byte) {
        uint8_t shown = uint8_t(byte);
        char text[4];
        FormatHexBytes(&shown, 1, text);
        uint8_t field = uint8_t(~byte);
        ReadHeaderBoxText(text, 1, &field);
        EXPECT_EQ(field, shown) << text;
    }
    EXPECT_EQ(Field([](uint8_t* f) { ReadHeaderBoxText("04 03 02 01", 4, f); }), "04 03 02 01 EE");
    // "1G" is not two hex digits: decimal up to the G; a blank: byte pairs, none complete.
    const std::pair<const char*, const char*> byte0[] = {{"1c", "1C"}, {"300", "2C"}, {"-1", "FF"}, {"7", "07"},
                                                         {"0x1C", "1C"}, {"1G", "01"},  {"", "00"},   {" ", "EE"}};
    for (const auto& c : byte0)
        EXPECT_EQ(Field([&](uint8_t* f) { ReadHeaderBoxText(c.first, 1, f); }).substr(0, 2), c.second) << c.first;
}

}  // namespace
