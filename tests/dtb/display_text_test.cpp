#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "display_text.h"
#include "test_support.h"

namespace {

// The chunk's text, or with no separator its list line, checking the length
// returned against the text written.
std::string Text(TestDocument& doc, int32_t i, const char* separator = "\t", int32_t labelled = 1) {
    char out[kTextSize];
    int32_t whole = separator ? FormatChunkText(doc.get(), i, out, sizeof out, separator, labelled)
                              : FormatListLine(doc.get(), i, out, sizeof out);
    EXPECT_EQ(std::min(whole, kTextSize - 1), int32_t(std::strlen(out)));
    return out;
}

TEST(ChunkText, EveryTypeWithItsLabelAndSeparator) {
    TestDocument doc;
    DtbBuilder b;
    b.Top(0).Scalar(0, 5).Scalar(1, 0x3FC00000).Text(2, "f(x)").Text(5, "abc").Scalar(6, 0xFF0A0201);
    b.Text(7, "seven").Scalar(8, 0xFF0A0201).Scalar(9, 0xFF0A0201).Node(16, 2, 7).Node(17, 2, 7).Text(18, "x12");
    b.Node(19, 2, 7).Text(32, "x20").Text(33, "a\\b.dtb").Text(34, "c.dtb").Text(35, "\xE9t\xE9");
    b.Scalar(0, 0xFFFFFFFF).Scalar(0, 0x80000000).Scalar(1, 0xBE800000).Scalar(1, 0x7F7FFFFF);
    doc.Load(b.Text(5, std::string("abc\0def", 7)).Text(5, ""));
    const char* expected[] = {
        "Integer(0x00)\t5",           "Float(0x01)\t1.500000",       "Function(0x02)\tf(x)", "String(0x05)\tabc",
        "Unknown(0x06)\t01 02 0A FF", "String(0x07)\tseven",         "Unknown(0x08)\t01 02 0A FF",
        "Unknown(0x09)\t01 02 0A FF", "Node(0x10)\t02 00 07 00 00 00", "Node(0x11)\t02 00 07 00 00 00",
        "String(0x12)\tx12",          "Node(0x13)\t02 00 07 00 00 00", "String(0x20)\tx20",
        "File Ref(0x21)\ta\\b.dtb",   "File Ref(0x22)\tc.dtb",       "String(0x23)\t\xE9t\xE9",
        "Integer(0x00)\t-1",          "Integer(0x00)\t-2147483648",  "Float(0x01)\t-0.250000",
        "Float(0x01)\t340282346638528859811704183484516925440.000000", "String(0x05)\tabc", "String(0x05)\t"};
    for (int32_t i = 0; i < 22; ++i) EXPECT_EQ(Text(doc, i), expected[i]);
    EXPECT_EQ(Text(doc, 0, ": ", 0), ": 5");
    EXPECT_EQ(Text(doc, 0, "", 0), "5");
    EXPECT_EQ(Text(doc, 0, ": ", 1), "Integer(0x00): 5");
    EXPECT_EQ(Text(doc, 0, "\t", 2), "\t5");  // only 1 means labelled
    for (uint32_t unknown : {3u, 4u, 36u, 0x100u, 0xFFFFFFFFu}) {  // no label, no separator
        doc->Chunks[0].Type = unknown;
        EXPECT_EQ(Text(doc, 0, ": ", 1), "") << unknown;
        EXPECT_EQ(Text(doc, 0, nullptr), "\t0") << unknown;
    }
}

// Cut texts stay inside the buffer and report their whole length, as
// snprintf does; a cut list line keeps its index.
TEST(ChunkText, CutTextsStayInsideTheBuffer) {
    TestDocument doc;
    const std::string payload = std::string(5000, 'p') + "12345";
    doc.Load(DtbBuilder().Top(1).Text(5, payload));
    const std::string text = "String(0x05)\t" + payload;
    for (size_t size : {1, 2, 3, 13, 14, 15, 2048, 5018, 5019, 5020, 5021, 5022}) {
        std::string buffer(size + 32, '#');
        EXPECT_EQ(FormatChunkText(doc.get(), 0, &buffer[0], size, "\t", 1), int32_t(text.size())) << size;
        EXPECT_EQ(buffer.c_str() + buffer.substr(size), text.substr(0, size - 1) + std::string(32, '#')) << size;
        EXPECT_EQ(FormatListLine(doc.get(), 0, &buffer[0], size), int32_t(text.size() + 2)) << size;
        const std::string kept = text.substr(0, size < 3 ? 0 : size - 3) + std::string("\t0").substr(0, size - 1);
        EXPECT_EQ(buffer.c_str() + buffer.substr(size), kept + std::string(32, '#')) << size;
    }
}

// The index is read from the end of the line, so nothing in the value
// disturbs it.
TEST(ListLine, EveryLineReadsBackToItsChunk) {
    TestDocument doc;
    const std::string texts[] = {"Level 3", "123", "", "tab\t99", std::string(3000, '8'), "x\t"};
    DtbBuilder b;
    b.Top(0);
    for (int k = 0; k < 1100; ++k) {
        if (k % 3 == 0) b.Text(5, texts[(k / 3) % 6]);
        if (k % 3 == 1) b.Scalar(0, uint32_t(k * 1000));
        if (k % 3 == 2) b.Scalar(8, 0x39393939);  // "39 39 39 39"
    }
    doc.Load(b);
    EXPECT_EQ(Text(doc, 13, nullptr), "Integer(0x00)\t13000\t13");
    for (int32_t n = 0; n < doc->ChunkCount; ++n) ASSERT_EQ(ChunkIndexFromListLine(Text(doc, n, nullptr).c_str()), n);
    EXPECT_EQ(ChunkIndexFromListLine("abc\t"), 0);
    EXPECT_EQ(ChunkIndexFromListLine("x\t007"), 7);
}

}  // namespace
