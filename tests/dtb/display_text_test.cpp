#include <gtest/gtest.h>
#include <string>
#include "display_text.h"
#include "dtb_kit.h"
#include "tree_shape.h"

// Every text is cut to its buffer and reports its whole length, as snprintf does; a cut list line keeps its index, so
// it always reads back to its chunk.
TEST(ChunkText, ValuesLabelsAndCuts) {
    TestDocument doc;
    const std::string payload = std::string(5000, 'p') + "12345";
    DtbBuilder b;
    b.Top(0).Text(5, payload).Text(35, "\xE9t\xE9").Scalar(0, 0x80000000).Scalar(1, 0xBE800000);
    doc.Load(b.Scalar(1, 0x7F7FFFFF).Text(5, std::string("abc\0def", 7)).Scalar(9, 0x39393939));
    const std::pair<int32_t, std::string> lines[] = {
        {1, "String(0x23)\t\xE9t\xE9\t1"}, {2, "Integer(0x00)\t-2147483648\t2"},
        {3, "Float(0x01)\t-0.250000\t3"},  {4, "Float(0x01)\t340282346638528859811704183484516925440.000000\t4"},
        {5, "String(0x05)\tabc\t5"},       {6, "Unknown(0x09)\t39 39 39 39\t6"}};
    char out[kTextSize];
    for (const auto& l : lines) {
        EXPECT_EQ(FormatListLine(doc.get(), l.first, out, sizeof out), int32_t(l.second.size()));
        EXPECT_EQ(out + std::to_string(ChunkIndexFromListLine(out)), l.second + std::to_string(l.first));
    }
    const std::string text = "String(0x05)\t" + payload;
    for (size_t size : {1, 2, 3, 13, 14, 15, 2048, 5018, 5019, 5020, 5021, 5022}) {
        std::string buffer(size + 32, '#');
        EXPECT_EQ(FormatChunkText(doc.get(), 0, &buffer[0], size, "\t", true), int32_t(text.size())) << size;
        EXPECT_EQ(buffer.c_str() + buffer.substr(size), text.substr(0, size - 1) + std::string(32, '#')) << size;
        EXPECT_EQ(FormatListLine(doc.get(), 0, &buffer[0], size), int32_t(text.size() + 2)) << size;
        const std::string kept = text.substr(0, size < 3 ? 0 : size - 3) + std::string("\t0").substr(0, size - 1);
        EXPECT_EQ(buffer.c_str() + buffer.substr(size), kept + std::string(32, '#')) << size;
    }
    for (uint32_t unknown : {3u, 4u, 10u, 15u, 20u, 31u, 36u, 0x100u, 0xFFFFFFFFu}) {  // no label, no separator
        doc->Chunks[6].Type = unknown;
        EXPECT_EQ(FormatChunkText(doc.get(), 6, out, sizeof out, ": ", true), 0);
        EXPECT_EQ(std::to_string(FormatListLine(doc.get(), 6, out, sizeof out)) + out, "2\t6") << unknown;
    }
    const char digits[] = "742";  // the index is the run of digits that ends the line, and no more
    EXPECT_EQ(ChunkIndexFromListLine("abc\t") + ChunkIndexFromListLine("x\t007") + ChunkIndexFromListLine(digits + 1),
              49);
}

// A view of one line per chunk writes line breaks and other control bytes as dtbtool does (backslashes as they are),
// whole escapes or none at a cut, and reports the whole length; what is stored stays as it was.
TEST(ChunkText, ControlBytesWrittenOutForOneLine) {
    TestDocument doc;
    const std::string stored = std::string("one\r\ntwo\x01\x7F\\\0z", 13);
    doc.Load(DtbBuilder().Top(2).Node(16, 1, 7).Text(5, "a\tb").Text(32, stored));
    char out[kTextSize];
    EXPECT_EQ(FormatChunkText(doc.get(), 2, out, sizeof out, " ", true, true), 32);
    EXPECT_EQ(std::string(out), "String(0x20) one\\r\\ntwo\\x01\\x7F\\");
    EXPECT_EQ(FormatListLine(doc.get(), 2, out, sizeof out, true), 34);
    EXPECT_EQ(std::string(out), "String(0x20)\tone\\r\\ntwo\\x01\\x7F\\\t2");
    EXPECT_EQ(FormatTreeItemText(doc.get(), 0, out, sizeof out, true), 7);
    EXPECT_EQ(std::string(out), "a\\tb(7)");
    EXPECT_EQ(FormatTreeItemText(doc.get(), 0, out, 6, true), 7);  // the name is cut first, never inside an escape
    EXPECT_EQ(std::string(out), "a(7)");
    EXPECT_EQ(EscapeControlBytes(stored.data(), 11, out, sizeof out, true), 20);
    EXPECT_EQ(std::string(out), "one\\r\\ntwo\\x01\\x7F\\\\");
    std::string cuts;
    for (size_t size : {1, 4, 5, 6, 7, 8, 9, 10})
        cuts += std::to_string(EscapeControlBytes(stored.data(), 8, out, size, false)) + ":" + out + " ";
    EXPECT_EQ(cuts, "10: 10:one 10:one 10:one\\r 10:one\\r 10:one\\r\\n 10:one\\r\\nt 10:one\\r\\ntw ");
    EXPECT_EQ(doc.payload(2), stored);
}
