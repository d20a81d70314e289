#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "display_text.h"
#include "test_support.h"

namespace {

struct Doc : TestDocument {
    int32_t Add(uint32_t type, std::vector<uint8_t> value = {}) {
        ChunkRecord r = {};
        r.Type = type;
        if (!value.empty()) std::memcpy(r.Value, value.data(), std::min<size_t>(6, value.size()));
        EXPECT_EQ(InsertChunkAt(&state, &r, state.ChunkCount), 0);
        return state.ChunkCount - 1;
    }
    int32_t AddText(uint32_t type, const std::string& s) {
        int32_t i = Add(type);
        EXPECT_EQ(ReplacePayload(&state, i, reinterpret_cast<const uint8_t*>(s.data()), int32_t(s.size())), 0);
        return i;
    }
    std::string Text(int32_t i, const char* separator = "\t", int32_t labelled = 1) {
        char out[kTextSize];
        int32_t whole = FormatChunkText(&state, i, out, sizeof out, separator, labelled);
        EXPECT_EQ(std::min(whole, kTextSize - 1), int32_t(std::strlen(out)));
        return out;
    }
    std::string Line(int32_t i) {
        char out[kTextSize];
        int32_t whole = FormatListLine(&state, i, out, sizeof out);
        EXPECT_EQ(std::min(whole, kTextSize - 1), int32_t(std::strlen(out)));
        return out;
    }
};

std::vector<uint8_t> Le(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

TEST(ChunkText, EveryTypeWithItsLabel) {
    Doc doc;
    const std::vector<uint8_t> four = {0x01, 0x02, 0x0A, 0xFF, 0x77, 0x77}, six = {0x02, 0x00, 0x07, 0x00, 0x00, 0x00};
    const std::pair<int32_t, const char*> cases[] = {
        {doc.Add(0, Le(5)), "Integer(0x00)\t5"},          {doc.Add(1, Le(0x3FC00000)), "Float(0x01)\t1.500000"},
        {doc.AddText(2, "f(x)"), "Function(0x02)\tf(x)"},  {doc.AddText(5, "abc"), "String(0x05)\tabc"},
        {doc.Add(6, four), "Unknown(0x06)\t01 02 0A FF"},  {doc.AddText(7, "seven"), "String(0x07)\tseven"},
        {doc.Add(8, four), "Unknown(0x08)\t01 02 0A FF"},  {doc.Add(9, four), "Unknown(0x09)\t01 02 0A FF"},
        {doc.Add(16, six), "Node(0x10)\t02 00 07 00 00 00"}, {doc.Add(17, six), "Node(0x11)\t02 00 07 00 00 00"},
        {doc.AddText(18, "x12"), "String(0x12)\tx12"},     {doc.Add(19, six), "Node(0x13)\t02 00 07 00 00 00"},
        {doc.AddText(32, "x20"), "String(0x20)\tx20"},     {doc.AddText(33, "a\\b.dtb"), "File Ref(0x21)\ta\\b.dtb"},
        {doc.AddText(34, "c.dtb"), "File Ref(0x22)\tc.dtb"}, {doc.AddText(35, "\xE9t\xE9"), "String(0x23)\t\xE9t\xE9"},
    };
    for (const auto& c : cases) EXPECT_EQ(doc.Text(c.first), c.second);
}

TEST(ChunkText, NumbersPayloadsSeparatorsAndLabels) {
    Doc doc;
    EXPECT_EQ(doc.Text(doc.Add(0, Le(0xFFFFFFFF))), "Integer(0x00)\t-1");
    EXPECT_EQ(doc.Text(doc.Add(0, Le(0x80000000))), "Integer(0x00)\t-2147483648");
    EXPECT_EQ(doc.Text(doc.Add(1, Le(0xBE800000))), "Float(0x01)\t-0.250000");
    EXPECT_EQ(doc.Text(doc.Add(1, Le(0x7F7FFFFF)), ""), "Float(0x01)340282346638528859811704183484516925440.000000");
    EXPECT_EQ(doc.Text(doc.AddText(5, std::string("abc\0def", 7))), "String(0x05)\tabc");
    EXPECT_EQ(doc.Text(doc.AddText(5, "")), "String(0x05)\t");
    int32_t five = doc.Add(0, Le(5));
    EXPECT_EQ(doc.Text(five, ": ", 0), ": 5");
    EXPECT_EQ(doc.Text(five, "", 0), "5");
    EXPECT_EQ(doc.Text(five, ": ", 1), "Integer(0x00): 5");
    EXPECT_EQ(doc.Text(five, "\t", 2), "\t5");  // only 1 means labelled
    for (uint32_t unknown : {3u, 4u, 36u, 0x100u, 0xFFFFFFFFu}) {
        int32_t i = doc.Add(unknown, Le(5));
        EXPECT_EQ(doc.Text(i, ": ", 1), "") << unknown;
        EXPECT_EQ(doc.Line(i), "\t" + std::to_string(i)) << unknown;
    }
}

TEST(ChunkText, CutTextsStayInsideTheBufferAndReportTheWholeLength) {
    Doc doc;
    const std::string payload = std::string(5000, 'p') + "12345";
    int32_t i = doc.AddText(5, payload);
    const std::string whole = "String(0x05)\t" + payload;
    for (size_t size : {size_t(1), size_t(2), size_t(13), size_t(14), size_t(2048), whole.size(), whole.size() + 1}) {
        std::string buffer(size + 32, '#');
        int32_t length = FormatChunkText(doc.get(), i, &buffer[0], size, "\t", 1);
        EXPECT_EQ(length, int32_t(whole.size())) << size;
        EXPECT_EQ(std::string(buffer.c_str()), whole.substr(0, size - 1)) << size;
        EXPECT_EQ(buffer.substr(size), std::string(32, '#')) << size;
    }
}

TEST(ListLine, KeepsTheIndexWhenCut) {
    Doc doc;
    for (int k = 0; k < 12; ++k) doc.Add(0, Le(5));
    int32_t twelve = doc.Add(0, Le(5));
    EXPECT_EQ(doc.Line(twelve), "Integer(0x00)\t5\t12");

    int32_t big = doc.AddText(7, std::string(5000, 'z') + "77");
    char out[kTextSize + 16];
    std::memset(out, '#', sizeof out);
    int32_t whole = FormatListLine(doc.get(), big, out, kTextSize);
    EXPECT_EQ(whole, int32_t(std::strlen("String(0x07)\t") + 5002 + 3));
    EXPECT_EQ(std::string(out), "String(0x07)\t" + std::string(kTextSize - 1 - 13 - 3, 'z') + "\t13");
    EXPECT_EQ(out[kTextSize], '#');
    EXPECT_EQ(ChunkIndexFromListLine(out), big);

    // Room for the index alone.
    whole = FormatListLine(doc.get(), twelve, out, 4);
    EXPECT_STREQ(out, "\t12");
    EXPECT_EQ(whole, 18);
}

TEST(ListLine, EveryLineReadsBackToItsChunk) {
    Doc doc;
    const std::string texts[] = {"Level 3", "123", "", "tab\t99", std::string(3000, '8'), "x\t"};
    for (int k = 0; k < 1100; ++k) {
        if (k % 3 == 0) doc.AddText(5, texts[(k / 3) % 6]);
        if (k % 3 == 1) doc.Add(0, Le(uint32_t(k * 1000)));
        if (k % 3 == 2) doc.Add(8, Le(0x39393939));  // "39 39 39 39"
    }
    for (int32_t n = 0; n < doc->ChunkCount; ++n) ASSERT_EQ(ChunkIndexFromListLine(doc.Line(n).c_str()), n) << n;
    EXPECT_EQ(ChunkIndexFromListLine(""), 0);
    EXPECT_EQ(ChunkIndexFromListLine("abc\t"), 0);
    EXPECT_EQ(ChunkIndexFromListLine("x\t007"), 7);
}

}  // namespace
