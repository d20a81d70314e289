#include <gtest/gtest.h>

#include <string>

#include "dtb_file.h"
#include "test_support.h"

namespace {

const std::vector<uint8_t> kHeader = {0x11, 0x03, 0x00, 0xA3, 0xA4, 0xA5, 0xA6};
const int32_t kWhole = 1 << 30;  // reads deliver all they are asked for
// Shorter reads must not matter, except for the key, which one read of 4 bytes
// must deliver; so no step below 4.

std::string Dropped(int64_t n) {
    return "The file ends inside a chunk: its last " + std::to_string(n) +
           " bytes were not loaded and will not be saved.";
}

std::string Pattern(size_t n, int seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + size_t(seed)) % 251 + 1);
    return s;
}

// A file under construction, with the plain encoding of each of its chunks.
struct Model {
    DtbBuilder b;
    std::vector<std::vector<uint8_t>> chunks;

    Model() { b.Header(kHeader); }
    size_t size() const { return b.plain.size(); }
    template <class Add>
    Model& Chunk(Add add) {
        size_t at = size();
        add(b);
        chunks.emplace_back(b.plain.begin() + long(at), b.plain.end());
        return *this;
    }
    Model& Scalar(uint32_t type, uint32_t v) { return Chunk([&](DtbBuilder& x) { x.Scalar(type, v); }); }
    Model& Node(uint32_t type, uint16_t n, int32_t id) { return Chunk([&](DtbBuilder& x) { x.Node(type, n, id); }); }
    Model& Text(uint32_t type, const std::string& s) { return Chunk([&](DtbBuilder& x) { x.Text(type, s); }); }
    // A pool chunk that makes the stream end exactly at offset end.
    Model& FillTo(size_t end) { return Text(7, Pattern(end - size() - 8, int(chunks.size()))); }
    std::vector<uint8_t> File() const { return b.File(0xC0FFEE); }
};

int32_t Load(TestDocument& doc, const std::vector<uint8_t>& bytes, int32_t step = kWhole, int64_t failReadAt = -1) {
    MemoryFile file(bytes);
    file.readStep = step;
    file.failReadAt = failReadAt;
    return ReadDocument(doc.get());
}

// The document holds the model's header and first count chunks, with the
// payloads packed from the start of the pool.
void ExpectLoaded(const TestDocument& doc, const Model& m, size_t count) {
    EXPECT_EQ(std::vector<uint8_t>(doc.state.HeaderBytes, doc.state.HeaderBytes + 7), kHeader);
    ASSERT_EQ(doc.state.ChunkCount, int32_t(count));
    uint32_t pool = 0;
    for (size_t i = 0; i < count; ++i) {
        const ChunkRecord& r = doc.chunk(int32_t(i));
        DtbBuilder e;
        e.U32(r.Type);
        if (IsPoolType(r.Type)) {
            e.U32(uint32_t(r.Length)).Raw(doc.state.Pool + r.PoolOffset, size_t(r.Length));
            EXPECT_EQ(r.SlotLength, r.Length);
            EXPECT_EQ(r.PoolOffset, pool);
            pool += uint32_t(r.Length);
        } else {
            e.Raw(r.Value, IsNodeType(r.Type) ? 6 : 4);
        }
        ASSERT_EQ(e.plain, m.chunks[i]) << "chunk " << i;
    }
    EXPECT_EQ(doc.state.PoolUsed, int32_t(pool));
}

void ExpectMessage(const TestDocument& doc, const std::string& text, ReportKind kind) {
    ASSERT_EQ(doc.messages.size(), 1u);
    EXPECT_EQ(doc.messages[0].text, text);
    EXPECT_EQ(doc.messages[0].kind, kind);
}

void AddTail(Model& m) { m.Scalar(0, 0xAABBCCDD).Node(17, 2, -5).Text(33, "tail").Scalar(1, 0x3FC00000); }

// Splits inside the type code (1-3), a scalar's or node's value, a pool
// chunk's length (5-7) and its payload (8 on), at the first block boundary and
// at a later one, whatever the sizes the reads deliver.
TEST(DtbReader, ChunksSplitByABlockBoundary) {
    const std::pair<uint32_t, int> cases[] = {{6, 1}, {6, 3}, {8, 4}, {9, 7},   {16, 2},  {19, 9},
                                              {5, 2}, {18, 5}, {32, 7}, {34, 8}, {35, 13}, {2, 18}};
    for (const auto& c : cases) {
        for (size_t boundary : {size_t(8192), size_t(16384)}) {
            Model m;
            if (boundary > 8192) m.FillTo(8192);
            m.FillTo(boundary - size_t(c.second));  // the split: bytes before the boundary
            if (IsScalarType(c.first)) m.Scalar(c.first, 0x01020304);
            if (IsNodeType(c.first)) m.Node(c.first, 3, 77);
            if (IsPoolType(c.first)) m.Text(c.first, "hello world");
            AddTail(m);
            for (int32_t step : {kWhole, 4097, 13, 7}) {
                SCOPED_TRACE("type " + std::to_string(c.first) + " split " + std::to_string(c.second) + " at " +
                             std::to_string(boundary) + ", reads of " + std::to_string(step));
                TestDocument doc;
                ASSERT_EQ(Load(doc, m.File(), step), 0);
                ExpectLoaded(doc, m, m.chunks.size());
                EXPECT_EQ(doc->Key, 0xC0FFEEu);
                EXPECT_TRUE(doc.messages.empty());
            }
        }
    }
}

// A first chunk of 8186 to 8192 bytes does not fit beside the header and is
// read from the second block, without taking the header again; longer chunks
// are read whole, and so is everything after them.
TEST(DtbReader, LargeChunks) {
    std::vector<size_t> totals = {16385, 100008};
    for (size_t t = 8184; t <= 8193; ++t) totals.push_back(t);
    for (size_t total : totals) {
        Model m;
        m.Text(5, Pattern(total - 8, int(total)));
        AddTail(m);
        for (int32_t step : {kWhole, 4097, 7}) {
            if (step == 7 && total > 20000) continue;
            SCOPED_TRACE("chunk of " + std::to_string(total) + " bytes, reads of " + std::to_string(step));
            TestDocument doc;
            ASSERT_EQ(Load(doc, m.File(), step), 0);
            ExpectLoaded(doc, m, m.chunks.size());
            EXPECT_TRUE(doc.messages.empty());
        }
    }
}

// Key only, inside the header, key and header only, inside any chunk: what
// is whole loads, and a warning counts every byte that is not.
TEST(DtbReader, FilesCutAnywhereLoadWhatIsWhole) {
    Model m;
    m.Node(16, 2, 1).Scalar(0, 9).Text(5, "abc").Text(5, Pattern(20, 1));
    const std::vector<uint8_t> file = m.File();
    for (size_t length = 4; length <= file.size(); ++length) {
        for (int32_t step : {kWhole, 5}) {
            SCOPED_TRACE(std::to_string(length) + " bytes, reads of " + std::to_string(step));
            TestDocument doc;
            std::memset(doc->HeaderBytes, 0x55, 7);
            ASSERT_EQ(Load(doc, std::vector<uint8_t>(file.begin(), file.begin() + long(length)), step), 0);
            EXPECT_EQ(doc->Key, 0xC0FFEEu);
            size_t whole = 0, end = 4 + 7;
            while (whole < m.chunks.size() && end + m.chunks[whole].size() <= length) end += m.chunks[whole++].size();
            if (length < end) {  // not even the header
                EXPECT_EQ(std::vector<uint8_t>(doc->HeaderBytes, doc->HeaderBytes + 7), std::vector<uint8_t>(7, 0));
                EXPECT_EQ(doc->ChunkCount, 0);
                end = 4;
            } else {
                ExpectLoaded(doc, m, whole);
            }
            if (length > end) ExpectMessage(doc, Dropped(int64_t(length - end)), ReportWarning);
            else EXPECT_TRUE(doc.messages.empty());
        }
    }
}

TEST(DtbReader, ShortKeyLeavesTheDocumentAsItWas) {
    Model m;
    m.Scalar(0, 1).Text(5, "kept");
    TestDocument doc;
    ASSERT_EQ(Load(doc, m.File()), 0);
    doc->Key = 0x11223344;
    EXPECT_EQ(Load(doc, {0xAA, 0xBB}), -1);
    EXPECT_EQ(doc->Key, 0x1122BBAAu);
    ExpectLoaded(doc, m, 2);
    ExpectMessage(doc, "Could not read key from file (0)", ReportError);

    doc->Key = 0x11223344;
    EXPECT_EQ(Load(doc, {}), -1);
    EXPECT_EQ(Load(doc, m.File(), kWhole, 0), -1);
    EXPECT_EQ(doc->Key, 0x11223344u);
    EXPECT_EQ(doc.messages.back().text, "Could not read key from file (5)");
    EXPECT_EQ(doc->ChunkCount, 2);
}

TEST(DtbReader, FailedBlockReadKeepsWhatWasWhole) {
    Model m;
    for (uint32_t i = 0; i < 1100; ++i) m.Scalar(0, i);
    TestDocument doc;
    EXPECT_EQ(Load(doc, m.File(), kWhole, 4 + 8192), -1);
    ExpectLoaded(doc, m, (8192 - 7) / 8);
    ExpectMessage(doc, "Error reading from file (5)", ReportError);
}

TEST(DtbReader, UnknownTypeCodesStopTheLoad) {
    const std::pair<uint32_t, const char*> cases[] = {
        {3, "Unknown chunk 03 00 00 00"},  {0x100, "Unknown chunk 00 01 00 00"},
        {4, "Unknown chunk 04 00 00 00"},  {20, "Unknown chunk 14 00 00 00"},
        {36, "Unknown chunk 24 00 00 00"}, {0xFFFFFFFF, "Unknown chunk FF FF FF FF"}};
    for (const auto& c : cases) {
        for (bool rest : {true, false}) {
            Model m;
            m.Scalar(0, 1).Text(5, "before");
            m.b.U32(c.first);
            if (rest) m.b.U32(0).U32(0).U32(0);
            TestDocument doc;
            EXPECT_EQ(Load(doc, m.File()), -1);
            ExpectLoaded(doc, m, 2);
            ExpectMessage(doc, c.second, ReportError);
        }
    }
}

TEST(DtbReader, AbsurdPoolLengthInAShortFile) {
    for (uint32_t length : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFF9u}) {
        for (size_t present : {size_t(100), size_t(20000)}) {
            Model m;
            m.Scalar(0, 1);
            m.b.U32(5).U32(length).Raw(Pattern(present, 4).data(), present);
            TestDocument doc;
            ASSERT_EQ(Load(doc, m.File()), 0);
            ExpectLoaded(doc, m, 1);
            EXPECT_EQ(doc->PoolCapacity, 4096);
            ExpectMessage(doc, Dropped(int64_t(8 + present)), ReportWarning);
        }
    }
}

TEST(DtbReader, ReadingAgainStartsThePoolAfresh) {
    Model m;
    m.Node(16, 2, 3).Text(5, "abc").Scalar(1, 0x3F800000).Text(33, Pattern(9000, 5));
    TestDocument doc;
    MemoryFile file(m.File());
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    file.position = 0;
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    ExpectLoaded(doc, m, m.chunks.size());
}

}  // namespace
