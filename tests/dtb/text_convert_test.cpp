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

// What a conversion leaves in a field of six bytes pre-filled with 0xEE.
Bytes HexBytes(const char* text, int32_t count) {
    Bytes out(6, 0xEE);
    EXPECT_EQ(ParseHexBytes(text, count, out.data()), 0);
    return out;
}
Bytes Entry(const char* text, int32_t width) {
    Bytes out(6, 0xEE);
    ReadNumberEntry(text, width, out.data());
    return out;
}

uint32_t Bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

TEST(HexText, FormatAndDigits) {
    EXPECT_EQ(Hex({0x01, 0x02, 0x0A, 0xFF}), "01 02 0A FF");
    EXPECT_EQ(Hex({0x00, 0xFF}), "00 FF");
    EXPECT_EQ(Hex({0x80, 0x7F, 0xC3}), "80 7F C3");
    EXPECT_EQ(Hex({}), "");
    const char* digits = "0123456789abcdef", *upper = "ABCDEF";
    for (int c = 0; c < 256; ++c) {
        const char* at = c ? std::strchr(digits, c) : nullptr;
        const char* up = c ? std::strchr(upper, c) : nullptr;
        EXPECT_EQ(HexDigitValue(char(c)), at ? at - digits : up ? up - upper + 10 : 0) << c;
    }
}

TEST(HexText, NumberReadsFromTheEndBackToTheLastX) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"0x1F", 31},    {"0X10", 16},  {"0x1G", 16}, {"0x123456789", 0x23456789}, {"0xFFFFFFFF", 0xFFFFFFFF},
        {"abc0x10", 16}, {"-0x10", 16}, {"0x1x2", 2}, {"0x10 ", 0x100}, {"x", 0}, {"0x", 0}, {"", 0}, {"1F", 31}};
    for (const auto& c : cases) EXPECT_EQ(ParseHexNumber(c.first), c.second) << '"' << c.first << '"';
}

TEST(HexText, BytePairsSkipBlanksAnywhere) {
    EXPECT_EQ(HexBytes("01 02 0A FF", 4), (Bytes{0x01, 0x02, 0x0A, 0xFF, 0xEE, 0xEE}));
    EXPECT_EQ(HexBytes("ABC", 2), (Bytes{0xAB, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));  // unpaired digit dropped
    EXPECT_EQ(HexBytes("1 2", 4), (Bytes{0x12, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(HexBytes("0A0B", 4), (Bytes{0x0A, 0x0B, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(HexBytes("a b c d e f", 2), (Bytes{0xAB, 0xCD, 0xEE, 0xEE, 0xEE, 0xEE}));
    // Only the blank is skipped; any other character is a digit of value 0.
    EXPECT_EQ(HexBytes("1\t2G", 2), (Bytes{0x10, 0x20, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(HexBytes("", 4), Bytes(6, 0xEE));
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

TEST(NumberEntry, OneAndFourByteFields) {
    EXPECT_EQ(Entry("300", 1), (Bytes{0x2C, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("-1", 1)[0], 0xFF);
    EXPECT_EQ(Entry("0x1FF", 1)[0], 0xFF);
    EXPECT_EQ(Entry("AB CD", 1)[0], 0xAB);
    EXPECT_EQ(Entry("1", 4), (Bytes{0x01, 0x00, 0x00, 0x00, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("0x1", 4), (Bytes{0x01, 0x00, 0x00, 0x00, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("00 00 00 01", 4), (Bytes{0x00, 0x00, 0x00, 0x01, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("0x102", 4), (Bytes{0x02, 0x01, 0x00, 0x00, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("4294967295", 4), (Bytes{0xFF, 0xFF, 0xFF, 0x7F, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("-1", 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("0A 0B", 4), (Bytes{0x0A, 0x0B, 0xEE, 0xEE, 0xEE, 0xEE}));  // only what was typed
    // An x anywhere wins over a blank: what follows it is one number.
    EXPECT_EQ(Entry("0x 10", 4), (Bytes{0x10, 0x00, 0x00, 0x00, 0xEE, 0xEE}));
    EXPECT_EQ(Entry("1 0x2", 4), (Bytes{0x02, 0x00, 0x00, 0x00, 0xEE, 0xEE}));
}

TEST(NumberEntry, IntegerAndFloatTexts) {
    EXPECT_EQ(ReadIntegerText("0xFFFFFFFF"), -1);
    EXPECT_EQ(ReadIntegerText("0x80000000"), INT32_MIN);
    EXPECT_EQ(ReadIntegerText("-0x1"), 1);
    EXPECT_EQ(ReadIntegerText(" -5"), -5);
    EXPECT_EQ(ReadIntegerText("1 2"), 1);  // no byte-pair reading for numbers
    EXPECT_EQ(ReadIntegerText("2147483648"), INT32_MAX);
    EXPECT_EQ(ReadFloatTextBits("1.5"), 0x3FC00000u);
    EXPECT_EQ(ReadFloatTextBits("-2"), 0xC0000000u);
    EXPECT_EQ(ReadFloatTextBits("-0"), 0x80000000u);
    EXPECT_EQ(ReadFloatTextBits("abc"), 0u);
    EXPECT_EQ(ReadFloatTextBits("0x3FC00000"), 0x3FC00000u);
    EXPECT_EQ(ReadFloatTextBits("0x7FC00001"), 0x7FC00001u);  // a NaN pattern passes untouched
    EXPECT_EQ(ReadFloatTextBits("0x1"), 1u);
}

TEST(NumberEntry, DecimalFloatPrefixes) {
    const std::pair<const char*, float> cases[] = {
        {"1.5e3", 1500.0f}, {"2E-2", 0.02f}, {"  +.5", 0.5f}, {".5", 0.5f},  {"-.25x", -0.25f}, {"1.", 1.0f},
        {"1.e2", 100.0f},   {"1e", 1.0f},    {"1e+", 1.0f},   {"3e1.5", 30.0f}, {"0.1", 0.1f},
        // Decimal only: no hex floats, infinities or NaNs by name.
        {"0x1p3", 0.0f},    {"inf", 0.0f},   {"nan", 0.0f},   {"-infinity", 0.0f},
        // Out of range: infinity or zero, with no undefined conversion on the way.
        {"1e39", INFINITY}, {"-1e39", -INFINITY}, {"1e99999999999", INFINITY}, {"1e-99999", 0.0f},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDecimalFloat(c.first), c.second) << '"' << c.first << '"';
    for (const char* none : {"-", ".", ".e1", "", "+"}) EXPECT_EQ(Bits(ParseDecimalFloat(none)), 0u) << none;
    EXPECT_EQ(ParseDecimalFloat((std::string(400, '9') + ".5").c_str()), INFINITY);
}

// A number typed into a 2047-character box may be long; its value must not
// depend on where a working copy of it happens to end.
TEST(NumberEntry, LongDecimalFloatsKeepTheirValue) {
    const std::string zeros(1500, '0');
    EXPECT_EQ(ParseDecimalFloat((zeros + "1.5").c_str()), 1.5f);
    EXPECT_EQ(ParseDecimalFloat(("1" + zeros + "e-1500").c_str()), 1.0f);
    EXPECT_EQ(ParseDecimalFloat(("0." + zeros + "1e1501").c_str()), 1.0f);
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
    Bytes key = {0x04, 0x03, 0x02, 0x01, 0xEE, 0xEE};
    char text[16];
    FormatHexBytes(key.data(), 4, text);
    Bytes out(6, 0xEE);
    ReadHeaderBoxText(text, 4, out.data());
    EXPECT_EQ(out, key);

    auto byte0 = [](const char* t) {
        uint8_t field = 0xEE;
        ReadHeaderBoxText(t, 1, &field);
        return int(field);
    };
    EXPECT_EQ(byte0("1c"), 0x1C);
    EXPECT_EQ(byte0("300"), 0x2C);   // three characters: the entry rule, decimal
    EXPECT_EQ(byte0("-1"), 0xFF);
    EXPECT_EQ(byte0("7"), 7);
    EXPECT_EQ(byte0("0x1C"), 0x1C);
    EXPECT_EQ(byte0("1G"), 1);       // not two hex digits: decimal up to the G
    EXPECT_EQ(byte0(""), 0);
    EXPECT_EQ(byte0(" "), 0xEE);     // a blank: byte pairs, none complete
}

}  // namespace
