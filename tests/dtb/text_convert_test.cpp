#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "text_convert.h"

// A hex digit's value, and 0 for any other character.
TEST(NumberText, HexDigits) {
    const std::pair<char, int32_t> digits[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15},
                                               {'g', 0}, {'G', 0}, {'/', 0},  {':', 0},  {'@', 0},  {'`', 0}};
    for (const auto& d : digits) EXPECT_EQ(HexDigitValue(d.first), d.second) << d.first;
}

enum Reader { Decimal, HexNumber16, Lenient4, Integer, Float, Entry1, Entry4, Key, Whole };

// What a reading leaves in a field of five bytes of 0xEE: its first four as hex, or "-" when it refused, which must
// leave the field as it was.
static std::string Reading(Reader reader, const char* text) {
    uint8_t field[5] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    uint32_t bits = 0xEEEEEEEE;
    int32_t integer = static_cast<int32_t>(bits);
    int64_t wide = integer;
    bool read = reader == Decimal       ? ReadDecimalText(text, -128, 255, &wide)
                : reader == HexNumber16 ? ReadHexNumberText(text, 16, &bits)
                : reader == Lenient4    ? ReadLenientHexBytesText(text, 4, field)
                : reader == Integer     ? ReadIntegerText(text, &integer)
                : reader == Float       ? ReadFloatText(text, &bits)
                : reader == Key         ? ReadKeyText(text, &bits)
                : reader == Whole       ? ReadWholeNumberText(text, &bits)
                                        : ReadNumberEntry(text, reader == Entry1 ? 1 : 4, field);
    if (reader == Decimal) integer = static_cast<int32_t>(wide);
    if (reader == Integer || reader == Decimal) std::memcpy(field, &integer, 4);
    if (reader == Float || reader == Whole || reader == HexNumber16 || reader == Key) std::memcpy(field, &bits, 4);
    char hex[17] = "################";
    FormatHexBytes(field, 5, hex);
    EXPECT_EQ(std::string(hex).substr(11) + (hex + 15), " EE#") << text;  // nothing past the zero
    return read ? std::string(hex, 11) : hex == std::string("EE EE EE EE EE") ? "-" : "changed";
}

// Typed values are the form whole (less white space around it) or nothing; hex after an x, for a field as wide as it
// fits. The lenient byte pairs alone let a blank split a byte, and leave the bytes they do not reach.
TEST(TypedText, EveryReaderTakesTheWholeFormOrNothing) {
    const std::string zeros(1500, '0');  // a long text keeps its value whatever a copy of it might cut
    const struct {
        Reader reader;
        std::string text;
        const char* field;
    } cases[] = {{Decimal, "255", "FF 00 00 00"},
                 {Decimal, " -128\t", "80 FF FF FF"},
                 {Decimal, "+007", "07 00 00 00"},
                 {Decimal, "256", "-"},
                 {Decimal, "-129", "-"},
                 {HexNumber16, "0xFFFF", "FF FF 00 00"},
                 {HexNumber16, " x0001 ", "01 00 00 00"},
                 {HexNumber16, "0x10000", "-"},
                 {HexNumber16, "FF", "-"},
                 {HexNumber16, "0x", "-"},
                 {Lenient4, "1 2", "12 EE EE EE"},
                 {Lenient4, "a b c d", "AB CD EE EE"},
                 {Integer, "0x1F", "1F 00 00 00"},
                 {Integer, " -5 ", "FB FF FF FF"},
                 {Integer, "0X80000000", "00 00 00 80"},
                 {Integer, "2147483647", "FF FF FF 7F"},
                 {Integer, "-2147483648", "00 00 00 80"},
                 {Integer, "12abc", "-"},
                 {Integer, "", "-"},
                 {Integer, "1 2", "-"},
                 {Integer, "-0x1", "-"},
                 {Integer, "0x123456789", "-"},
                 {Integer, "2147483648", "-"},
                 {Integer, "-2147483649", "-"},
                 {Integer, std::string(30, '9'), "-"},
                 {Float, "1.5e3", "00 80 BB 44"},
                 {Float, "2E-2", "0A D7 A3 3C"},
                 {Float, "  +.5 ", "00 00 00 3F"},
                 {Float, "1.", "00 00 80 3F"},
                 {Float, "-0", "00 00 00 80"},
                 {Float, "1e-99999", "00 00 00 00"},
                 {Float, zeros + "1.5", "00 00 C0 3F"},
                 {Float, "0." + zeros + "1e1501", "00 00 80 3F"},
                 {Float, "0x7FC00001", "01 00 C0 7F"},
                 {Float, "", "-"},
                 {Float, ".", "-"},
                 {Float, "1e", "-"},
                 {Float, "3e1.5", "-"},
                 {Float, "-.25x", "-"},
                 {Float, "0x1p3", "-"},
                 {Float, "inf", "-"},
                 {Float, "1e39", "-"},
                 {Float, std::string(400, '9') + ".5", "-"},
                 {Entry1, "255", "FF EE EE EE"},
                 {Entry1, "-1", "FF EE EE EE"},
                 {Entry1, "-128", "80 EE EE EE"},
                 {Entry1, "0x1C", "1C EE EE EE"},
                 {Entry1, "AB CD", "-"},
                 {Entry1, "300", "-"},
                 {Entry1, "-129", "-"},
                 {Entry1, "1C", "-"},
                 {Entry4, "0x102", "02 01 00 00"},
                 {Entry4, "-1", "FF FF FF FF"},
                 {Entry4, "0A 0B", "0A 0B EE EE"},
                 {Entry4, "00 00 00 01", "00 00 00 01"},
                 {Entry4, "4294967295", "FF FF FF FF"},
                 {Entry4, "-2147483648", "00 00 00 80"},
                 {Entry4, "4294967296", "-"},
                 {Entry4, "-2147483649", "-"},
                 {Entry4, "1 2 3", "-"},
                 {Entry4, "0x 10", "-"},
                 {Entry4, "01 02 03 04 05", "-"},
                 {Lenient4, "DE AD BE EF", "DE AD BE EF"},
                 {Lenient4, "0a0b", "0A 0B EE EE"},
                 {Lenient4, " de\tad\r\n", "DE AD EE EE"},
                 {Lenient4, "ZZ 1", "-"},
                 {Lenient4, "ABC", "-"},
                 {Lenient4, "  ", "-"},
                 {Lenient4, "01 02 03 04 05", "-"},
                 {Key, "CD AB", "CD AB EE EE"},
                 {Key, "-1", "FF FF FF FF"},
                 {Key, "0x12345678", "78 56 34 12"},
                 {Key, "4294967296", "-"},
                 {Whole, "4294967295", "FF FF FF FF"},
                 {Whole, "0xDEADbeef", "EF BE AD DE"},
                 {Whole, "-1", "-"},
                 {Whole, "0x100000000", "-"},
                 {Whole, " 1 ", "01 00 00 00"},
                 {Whole, "x10", "10 00 00 00"},
                 {Whole, "0x1G", "-"}};
    for (const auto& c : cases)
        EXPECT_EQ(Reading(c.reader, c.text.c_str()), c.field) << c.reader << " \"" << c.text << '"';
}

// Strict hex: whole bytes only, blanks between them; header byte 0 reads the two digits it shows as hex.
TEST(TypedText, HexRunsAndTheHeaderByte) {
    const std::pair<std::string, const char*> runs[] = {{"1C 05 00", "1C 05 00"},
                                                        {"1c0500", "1C 05 00"},
                                                        {" \t1C\r\n05 ", "1C 05"},
                                                        {"", ""},
                                                        {"1 C", "-"},
                                                        {"1C0", "-"},
                                                        {"1G", "-"},
                                                        {"0x1C", "-"},
                                                        {"1C,05", "-"},
                                                        {std::string("1C\0", 3), "-"}};
    for (const auto& r : runs) {
        uint8_t bytes[8];
        char hex[32] = "-";
        int32_t n = ReadHexBytesText(r.first.data(), r.first.size(), bytes);
        if (n >= 0) FormatHexBytes(bytes, n, hex);
        EXPECT_EQ(std::string(hex), r.second) << '"' << r.first << '"';
    }
    uint8_t cut[2];
    EXPECT_EQ(ReadHexBytesText("1C05", 3, cut), -1);  // the length given is the end, whatever follows it
    const std::pair<const char*, int> bytes[] = {{"2A", 0x2A},  {"16", 0x16}, {" f ", 0x0F}, {"0x1c", 0x1C}, {"x7", 7},
                                                 {"0x100", -1}, {"123", -1},  {"-1", -1},    {"", -1},       {"G", -1},
                                                 {"1 C", -1},   {"1G", -1},   {"G1", -1}};
    for (const auto& b : bytes) {
        uint8_t byte = 0xEE;
        EXPECT_EQ(ReadHeaderByteText(b.first, &byte) ? byte : byte == 0xEE ? -1 : -2, b.second) << b.first;
    }
}

// Texts go to the box with every line break as CR LF and come back byte for byte; a break keeps its form through
// an edit elsewhere, and a new one takes the form the text already uses.
TEST(PayloadText, LineBreaksKeepTheirForm) {
    const struct {
        std::string payload, shown, edited, stored;
    } cases[] = {
        {"a\nb", "a\r\nb", "a\r\nb\r\nc", "a\nb\nc"},
        {"a\r\nb", "a\r\nb", "Xa\r\nb\r\n", "Xa\r\nb\r\n"},
        {"a\rb", "a\r\nb", "a\r\n\r\nb", "a\r\rb"},
        {"ab", "ab", "a\r\nb", "a\r\nb"},
        {"", "", "", ""},
        {"\r\r\n\n\n\r", "\r\n\r\n\r\n\r\n\r\n", "\r\n\r\n\r\n\r\n", "\r\r\n\n\n"},
        {"1\n2\r\n3\r4", "1\r\n2\r\n3\r\n4", "1\r\nX\r\nY\r\n4", "1\nX\r\nY\r4"},  // the middle keeps its breaks
        {"1\r2\n3\r\n4", "1\r\n2\r\n3\r\n4", "1\r\n2\r\nnew\r\n3\r\n4", "1\r2\nnew\r3\r\n4"},
        {"a\nb\r\nc", "a\r\nb\r\nc", "ab\r\nc", "ab\r\nc"},
        {"a\r\nb\nc", "a\r\nb\r\nc", "\r\nc", "\nc"},
        {"a\r\nb", "a\r\nb", "a\nb\rc", "a\r\nb\r\nc"},
        {"\t\xE9\x7F", "\t\xE9\x7F", "\t\xE9\x7F", "\t\xE9\x7F"}};
    for (const auto& c : cases) {
        const uint8_t* payload = reinterpret_cast<const uint8_t*>(c.payload.data());
        size_t n = 0;
        char* shown = PayloadToEditText(payload, c.payload.size(), &n);
        EXPECT_EQ(std::string(shown, n) + "|" + shown, c.shown + "|" + c.shown);
        for (const std::string* typed : {&c.shown, &c.edited}) {
            uint8_t* stored = EditTextToPayload(typed->data(), typed->size(), payload, c.payload.size(), &n);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(stored), n), typed == &c.shown ? c.payload : c.stored);
            std::free(stored);
        }
        std::free(shown);
    }
    const std::pair<std::string, bool> plain[] = {{"a b\tc\r\n", true}, {"\xFF", true},  {std::string("a\0", 2), false},
                                                  {"\x01", false},      {"\x1F", false}, {"\x1B[0m", false}};
    for (const auto& p : plain)
        EXPECT_EQ(IsPlainTextPayload(reinterpret_cast<const uint8_t*>(p.first.data()), p.first.size()), p.second);
}
