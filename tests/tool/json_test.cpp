// The JSON form both ways: exact round trips of any table the reader takes,
// and bad JSON refused with the path of the problem.
#include <fcntl.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif
#include <cstdio>
#include <random>
#include <string>
#include "chunk_types.h"
#include "dtb_kit.h"
#include "json_form.h"

// A stream holding text: a file, or a pipe, which cannot be read again from its start (text must fit its buffer).
static std::FILE* StreamOf(const std::string& text, bool pipe) {
    std::FILE* in = pipe ? nullptr : std::tmpfile();
    int ends[2];
#ifdef _WIN32
    if (pipe && _pipe(ends, 1 << 16, _O_BINARY) == 0) {
#else
    if (pipe && ::pipe(ends) == 0) {
#endif
        EXPECT_EQ(write(ends[1], text.data(), unsigned(text.size())), long(text.size()));
        close(ends[1]);
        return fdopen(ends[0], "rb");
    }
    std::fwrite(text.data(), 1, text.size(), in);
    std::rewind(in);
    return in;
}

static std::string Export(TestDocument& doc) {
    std::string json;
    auto append = [](void* out, const char* bytes, size_t n) {
        return static_cast<std::string*>(out)->append(bytes, n), true;
    };
    EXPECT_TRUE(ExportJson(doc.get(), append, &json));
    return json;
}

// The document made of json, or the error.
static std::string Import(const std::string& json, TestDocument& doc, bool pipe = false) {
    std::FILE* in = StreamOf(json, pipe);
    std::string error;
    bool read = ImportJson(doc.get(), in, &error);
    std::fclose(in);
    EXPECT_EQ(read, error.empty());
    return error;
}

// Every value in its natural form, the bits of floats no number carries, texts of any byte, and counts only where the
// children do not say them.
TEST(Json, ExportsValuesInTheirNaturalForm) {
    TestDocument doc;
    DtbBuilder b;
    b.Top(3).Node(17, 2, -2).Text(5, std::string("q\"\\\n\x01\xE9", 6)).Scalar(0, 0xFFFFFFFB).Scalar(1, 0x42C80000);
    doc.Load(b.Scalar(1, 0x80000000).Scalar(1, 0x7FC00001).Scalar(8, 0x04030201).Node(19, 4, 7));
    doc->Key = 0xDEADBEEF;
    EXPECT_EQ(Export(doc),
              "{\n  \"key\": 3735928559,\n  \"header\": \"00 03 00 00 00 00 00\",\n  \"chunks\": [\n"
              "    {\"type\": 17, \"name\": \"Node\", \"number\": -2, \"children\": [\n"
              "      {\"type\": 5, \"name\": \"String\", \"value\": \"q\\\"\\\\\\n\\u0001\xC3\xA9\"},\n"
              "      {\"type\": 0, \"name\": \"Integer\", \"value\": -5}\n"
              "    ]},\n"
              "    {\"type\": 1, \"name\": \"Float\", \"value\": 100.0},\n"
              "    {\"type\": 1, \"name\": \"Float\", \"value\": -0.0},\n"
              "    {\"type\": 1, \"name\": \"Float\", \"bits\": \"7FC00001\"},\n"
              "    {\"type\": 8, \"name\": \"Unknown\", \"value\": \"01 02 03 04\"},\n"
              "    {\"type\": 19, \"name\": \"Node\", \"number\": 7, \"count\": 4, \"children\": []}\n  ]\n}\n");
}

// Random trees of every type, counts that disagree with the table, texts of every byte value and past a block, and
// floats of every kind: the file made of the exported JSON is the file.
TEST(Json, RoundTripsAreExact) {
    std::mt19937 rng(16);
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    const uint32_t floats[] = {0x7FC00001, 0xFF800000, 0x80000000, 0x00000001, 0x807FFFFF, 0x7F7FFFFF, 0x3DCCCCCD};
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        DtbBuilder b = RandomTree(rng, 1 + static_cast<int32_t>(rng() % 80), round % 4 ? 6 : 9000);
        b.Text(33, bytes).Scalar(1, floats[round % 7]).Scalar(1, static_cast<uint32_t>(rng()));
        if (round % 3 == 0) b.Node(16, 300, 5).Text(5, "left short");
        TestDocument doc, back;
        doc.Load(b);
        doc->Key = static_cast<uint32_t>(rng());
        for (int k = 0; k < 3 && round % 2; ++k) {  // counts that disagree, the header's too
            const int32_t i = static_cast<int32_t>(rng() % uint32_t(doc->ChunkCount));
            WriteU16(IsNodeType(doc.chunk(i).Type) ? doc->Chunks[i].Value : doc->HeaderBytes + 1, uint16_t(rng() % 5));
        }
        ASSERT_EQ(Import(Export(doc), back), "");
        ASSERT_TRUE(back.Saved() == doc.Saved());
        EXPECT_EQ(back.log(), "");
    }
}

TEST(Json, BadJsonIsRefusedWithItsPath) {
    const std::string head = "{\"key\": 1, \"header\": \"00 01 00 00 00 00 00\", \"chunks\": [";
    const std::pair<std::string, const char*> cases[] = {
        {"", "document: "},
        {"[]", "document: expected an object"},
        {head + "{\"type\": 0, \"value\": 1},]}", "chunks[1]: "},
        {"{\"key\": -1}", "key: expected a whole number from 0 to 4294967295"},
        {"{\"key\": 4294967296}", "key: expected a whole number from 0 to 4294967295"},
        {"{\"header\": \"00 01\"}", "header: expected seven hex bytes (such as 1C 09 00 DE AD BE EF)"},
        {"{\"key\": 1, \"keys\": 2}", "keys: unknown field"},
        {"{\"key\": 1, \"key\": 2}", "key: given twice"},
        {"{\"key\": 1, \"header\": \"00 00 00 00 00 00 00\"}", "document: missing \"chunks\""},
        {"{\"chunks\": {}}", "chunks: expected an array of chunks"},
        {head + "7]}", "chunks[0]: expected a chunk (an object)"},
        {head + "{\"value\": 1}]}", "chunks[0]: missing \"type\""},
        {head + "{\"type\": 3}]}", "chunks[0].type: expected the type code of a known chunk"},
        {head + "{\"type\": \"0\"}]}", "chunks[0].type: expected the type code of a known chunk"},
        {head + "{\"type\": 0, \"value\": 1.5}]}",
         "chunks[0].value: expected an integer from -2147483648 to 2147483647"},
        {head + "{\"type\": 0, \"value\": 2147483648}]}",
         "chunks[0].value: expected an integer from -2147483648 to 2147483647"},
        {head + "{\"type\": 0}]}", "chunks[0]: missing \"value\""},
        {head + "{\"type\": 1, \"value\": 1e39}]}", "chunks[0].value: expected a number within a 32-bit float's range"},
        {head + "{\"type\": 1, \"value\": \"1\"}]}", "chunks[0].value: expected a number"},
        {head + "{\"type\": 1, \"bits\": \"7FC0000\"}]}",
         "chunks[0].bits: expected eight hex digits (such as 7FC00001)"},
        {head + "{\"type\": 1, \"value\": 1, \"bits\": \"7FC00001\"}]}", "chunks[0].bits: \"value\" is given already"},
        {head + "{\"type\": 0, \"value\": 1, \"bits\": \"7FC00001\"}]}", "chunks[0].bits: only a Float has bits"},
        {head + "{\"type\": 6, \"value\": \"01 02 03\"}]}",
         "chunks[0].value: expected four hex bytes (such as DE AD BE EF)"},
        {head + "{\"type\": 5, \"value\": 5}]}", "chunks[0].value: expected a string"},
        {head + "{\"type\": 5, \"value\": \"\\u0100\"}]}",
         "chunks[0].value: holds a character beyond U+00FF, which no byte stands for"},
        {head + "{\"type\": 5, \"value\": \"a\", \"children\": []}]}", "chunks[0].children: only a node has it"},
        {head + "{\"type\": 16, \"number\": 1, \"value\": 2}]}", "chunks[0].value: a node has no value"},
        {head + "{\"type\": 16, \"children\": []}]}", "chunks[0]: missing \"number\""},
        {head + "{\"type\": 16, \"number\": 1, \"count\": 65536}]}",
         "chunks[0].count: expected a count from 0 to 65535"},
        {head + "{\"type\": 17, \"number\": 1, \"count\": 1, \"children\": [{\"type\": 0, \"value\": 0}, "
                "{\"type\": 16, \"number\": 2, \"count\": 0, \"children\": [{\"type\": 0, \"value\": 0}]}]}]}",
         "chunks[0].children[1].count: smaller than the number of children listed (1)"},
        {head + "]}\n" + std::string("\0this is not JSON {{{", 21),
         "document: parse error at line 2, column 1: syntax "
         "error while parsing value - a zero byte after the document; expected end of input"},
        {head + "]} \t" + std::string(1, '\0'),
         "document: parse error at line 1, column 61: syntax error while parsing "
         "value - a zero byte after the document; expected end of input"},
        {head + "{\"type\": 16, \"number\": 1, \"children\": [{\"type\": 0, \"value\": true}]}]}",
         "chunks[0].children[0].value: expected an integer from -2147483648 to 2147483647"},
        {head + "{\"type\": 16, \"number\": 1, \"children\": [{\"type\": 0, \"value\": 0}, {\"typo\": 0}]}]}",
         "chunks[0].children[1].typo: unknown field"},
    };
    for (const auto& c : cases) {
        TestDocument doc, piped;
        const std::string said = Import(c.first, doc);
        // What the JSON library says it met is its own wording: only the path before it is pinned.
        const std::string wanted = c.second;
        EXPECT_EQ(said.substr(0, wanted.back() == ' ' ? wanted.size() : std::string::npos), wanted) << c.first;
        EXPECT_EQ(Import(c.first, piped, true), said) << "from a pipe: " << c.first;
    }
    std::string wide = head + "{\"type\": 16, \"number\": 1, \"children\": [";  // more than a count holds
    for (int i = 0; i < 65536; ++i) wide += std::string(i ? "," : "") + "{\"type\": 0, \"value\": 0}";
    TestDocument doc;
    EXPECT_EQ(Import(wide + "]}]}", doc), "chunks[0].children: a node holds at most 65535 chunks");
}
