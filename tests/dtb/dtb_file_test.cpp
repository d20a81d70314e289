#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dtb_file.h"
#include "test_support.h"

namespace {

const std::vector<uint8_t> kHeader = {0x11, 0x03, 0x00, 0xA3, 0xA4, 0xA5, 0xA6};
const uint32_t kKey = 0xC0FFEE;
const int32_t kWhole = 1 << 30;  // reads deliver all they are asked for
// Shorter reads must not matter, except for the key, which one read of 4 bytes
// must deliver; so no step below 4.

std::string Dropped(int64_t n, const char* where = "a chunk") {
    return std::string("The file ends inside ") + where + ": its last " + std::to_string(n) +
           " bytes were not loaded and will not be saved.";
}

std::string Pattern(size_t n, int seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 31 + size_t(seed)) % 251 + 1);
    return s;
}

// Adds a pool chunk that makes the file end exactly at offset end.
DtbBuilder& FillTo(DtbBuilder& b, size_t end) { return b.Text(7, Pattern(end - 4 - b.plain.size() - 8, int(end))); }
DtbBuilder& AddTail(DtbBuilder& b) {
    return b.Scalar(0, 0xAABBCCDD).Node(17, 2, -5).Text(33, "tail").Scalar(1, 0x3FC00000);
}

int32_t Load(TestDocument& doc, const std::vector<uint8_t>& bytes, int32_t step = kWhole, int64_t failReadAt = -1) {
    MemoryFile file(bytes);
    file.readStep = step;
    file.failReadAt = failReadAt;
    return ReadDocument(doc.get());
}

// What the writer makes of the document: a read and a write with no change in
// between give the file back byte for byte, up to the last whole chunk.
std::vector<uint8_t> Saved(TestDocument& doc) {
    MemoryFile file;
    EXPECT_EQ(WriteDocument(doc.get()), 0);
    return file.bytes;
}

void ExpectMessage(const TestDocument& doc, const std::string& text, ReportKind kind) {
    ASSERT_EQ(doc.messages.size(), 1u);
    EXPECT_EQ(doc.messages[0].text, text);
    EXPECT_EQ(doc.messages[0].kind, kind);
}

TEST(DtbReader, LoadsEveryFieldAndStartsAfreshWhenReadAgain) {
    DtbBuilder b;
    b.Header(kHeader).Node(16, 1, 5).Text(5, "abc").Scalar(1, 0x3F800000).Text(33, Pattern(9000, 5));
    b.Node(19, 0xFFFF, -2);
    TestDocument doc;
    MemoryFile file(b.File(kKey));
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    file.position = 0;
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    EXPECT_EQ(doc->Key, kKey);
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"16:01 00 05 00 00 00", "5:'abc'", "1:00 00 80 3F",
                                                     "33:'" + Pattern(9000, 5) + "'", "19:FF FF FE FF FF FF",
                                                     "header 11 03 00 A3 A4 A5 A6"}));
    EXPECT_EQ(doc.chunk(3).PoolOffset, 3u);
    EXPECT_EQ(doc.chunk(3).SlotLength, 9000);
    EXPECT_EQ(doc.chunk(1).SlotLength, 3);
    EXPECT_EQ(doc->PoolUsed, 9003);
    EXPECT_TRUE(doc.messages.empty());
}

// Splits inside the type code (1-3), a scalar's or node's value, a pool
// chunk's length (5-7) and its payload (8 on), at the first block boundary and
// at a later one, whatever the sizes the reads deliver; then chunks of 8184 to
// 8193 bytes and far larger ones right after the header. A first chunk of 8186
// to 8192 bytes does not fit beside the header and is read from the second
// block, without taking the header again; longer ones are read whole.
TEST(DtbReader, ChunksSplitByABlockBoundaryAndLargeChunks) {
    const std::pair<uint32_t, int> cases[] = {{6, 1}, {6, 3}, {8, 4}, {9, 7},   {16, 2},  {19, 9},
                                              {5, 2}, {18, 5}, {32, 7}, {34, 8}, {35, 13}, {2, 18}};
    std::vector<DtbBuilder> files;
    for (const auto& c : cases) {
        for (size_t boundary : {size_t(8192), size_t(16384)}) {
            DtbBuilder b;
            b.Header(kHeader);
            if (boundary > 8192) FillTo(b, 4 + 8192);
            FillTo(b, 4 + boundary - size_t(c.second));  // the split: bytes before the boundary
            if (IsScalarType(c.first)) b.Scalar(c.first, 0x01020304);
            if (IsNodeType(c.first)) b.Node(c.first, 3, 77);
            if (IsPoolType(c.first)) b.Text(c.first, "hello world");
            files.push_back(AddTail(b));
        }
    }
    for (size_t total : {8184, 8185, 8186, 8187, 8188, 8189, 8190, 8191, 8192, 8193, 16385, 100008})
        files.push_back(AddTail(DtbBuilder().Header(kHeader).Text(5, Pattern(total - 8, int(total)))));
    for (const DtbBuilder& b : files) {
        const std::vector<uint8_t> file = b.File(kKey);
        for (int32_t step : {kWhole, 4097, 13, 7}) {
            if (step < 20 && file.size() > 30000) continue;
            SCOPED_TRACE(std::to_string(&b - files.data()) + ", reads of " + std::to_string(step));
            TestDocument doc;
            ASSERT_EQ(Load(doc, file, step), 0);
            EXPECT_EQ(Saved(doc), file);
            EXPECT_TRUE(doc.messages.empty());
        }
    }
}

// Key only, inside the header, key and header only, inside any chunk: what
// is whole loads, and a warning counts every byte that is not.
TEST(DtbReader, FilesCutAnywhereLoadWhatIsWhole) {
    const std::vector<uint8_t> file =
        DtbBuilder().Header(kHeader).Node(16, 2, 1).Scalar(0, 9).Text(5, "abc").Text(5, Pattern(20, 1)).File(kKey);
    const size_t ends[] = {11, 21, 29, 40, 68};  // the header's and the chunks'
    for (size_t length = 4; length <= file.size(); ++length) {
        for (int32_t step : {kWhole, 5}) {
            SCOPED_TRACE(std::to_string(length) + " bytes, reads of " + std::to_string(step));
            TestDocument doc;
            std::memset(doc->HeaderBytes, 0x55, 7);
            ASSERT_EQ(Load(doc, std::vector<uint8_t>(file.begin(), file.begin() + long(length)), step), 0);
            EXPECT_EQ(doc->Key, kKey);
            size_t end = 4;
            for (size_t e : ends) end = e <= length ? e : end;
            if (end == 4) {  // not even the header
                EXPECT_EQ(doc.Rows(), std::vector<std::string>{"header 00 00 00 00 00 00 00"});
            } else {
                EXPECT_EQ(Saved(doc), std::vector<uint8_t>(file.begin(), file.begin() + long(end)));
            }
            if (length > end) ExpectMessage(doc, Dropped(int64_t(length - end), end == 4 ? "its header" : "a chunk"), ReportWarning);
            else EXPECT_TRUE(doc.messages.empty());
            EXPECT_EQ(doc->Incomplete, length > end);  // what a save over the file would lose
        }
    }
    // A pool length that no file this short can satisfy.
    const DtbBuilder whole = DtbBuilder().Header(kHeader).Scalar(0, 1);
    for (uint32_t length : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFF9u}) {
        for (size_t present : {size_t(100), size_t(20000)}) {
            TestDocument doc;
            DtbBuilder cut = DtbBuilder(whole).U32(5).U32(length).Raw(Pattern(present, 4).data(), present);
            ASSERT_EQ(Load(doc, cut.File(kKey)), 0);
            EXPECT_EQ(Saved(doc), whole.File(kKey));
            EXPECT_EQ(doc->PoolCapacity, 4096);
            ExpectMessage(doc, Dropped(int64_t(8 + present)), ReportWarning);
        }
    }
}

TEST(DtbReader, FailuresKeepWhatWasLoaded) {
    DtbBuilder b;
    b.Header(kHeader);
    for (uint32_t i = 0; i < 1023; ++i) b.Scalar(0, i);  // the whole chunks of the first block
    const std::vector<uint8_t> first = b.File(kKey);
    for (uint32_t i = 0; i < 100; ++i) b.Scalar(0, i);
    TestDocument doc;
    EXPECT_EQ(Load(doc, b.File(kKey), kWhole, 4 + 8192), -1);  // the second block read fails
    EXPECT_EQ(Saved(doc), first);
    ExpectMessage(doc, "Error reading from file (5)", ReportError);
    EXPECT_TRUE(doc->Incomplete);
    TestDocument whole;
    whole.Load(DtbBuilder().Top(0));
    EXPECT_FALSE(whole->Incomplete);

    // A short key: what did arrive replaces the first bytes of the key, and
    // nothing else changes.
    doc->Key = 0x11223344;
    EXPECT_EQ(Load(doc, {0xAA, 0xBB}), -1);
    EXPECT_EQ(doc->Key, 0x1122BBAAu);
    EXPECT_EQ(doc.last(), "Could not read key from file (0)");
    EXPECT_EQ(Load(doc, {}), -1);
    EXPECT_EQ(Load(doc, first, kWhole, 0), -1);
    EXPECT_EQ(doc->Key, 0x1122BBAAu);
    EXPECT_EQ(doc.last(), "Could not read key from file (5)");
    EXPECT_EQ(doc->ChunkCount, 1023);

    // An unknown type code is judged as soon as its four bytes are there.
    const DtbBuilder before = DtbBuilder().Header(kHeader).Scalar(0, 1).Text(5, "before");
    const uint8_t rest[12] = {};
    const std::pair<uint32_t, const char*> unknown[] = {
        {3, "03 00 00 00"}, {0x100, "00 01 00 00"}, {36, "24 00 00 00"}, {0xFFFFFFFF, "FF FF FF FF"}};
    for (const auto& c : unknown) {
        for (size_t more : {0, 12}) {
            TestDocument bad;
            EXPECT_EQ(Load(bad, DtbBuilder(before).U32(c.first).Raw(rest, more).File(kKey)), -1);
            EXPECT_EQ(Saved(bad), before.File(kKey));
            ExpectMessage(bad, std::string("Unknown chunk ") + c.second, ReportError);
        }
    }
}

DtbBuilder Stream(const std::string& third) {
    return DtbBuilder().Header(kHeader).Node(16, 3, 1).Scalar(0, 42).Text(5, third).Scalar(1, 0x3FC00000);
}

TEST(DtbWriter, EditsReachTheFile) {
    MemoryFile file(Stream("ab").File(9));
    TestDocument doc;
    doc->FileHandle = kNoFile;  // no file: nothing is written
    EXPECT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.writtenTotal, 0);
    doc->FileHandle = 1;
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    // A longer text moves in the pool and is written from its new place.
    const std::string longer = "a much longer text";
    ASSERT_EQ(ReplacePayload(doc.get(), 2, reinterpret_cast<const uint8_t*>(longer.data()), int32_t(longer.size())), 0);
    ASSERT_NE(doc.chunk(2).PoolOffset, 0u);
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, Stream(longer).File(9));
    // A new key enciphers everything anew.
    doc->Key = 0xFEEDBEEF;
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, Stream(longer).File(0xFEEDBEEF));
    // After a removal nothing of the old tail is left.
    ASSERT_EQ(RemoveChunks(doc.get(), 2, 1), 0);
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes,
              DtbBuilder().Header(kHeader).Node(16, 3, 1).Scalar(0, 42).Scalar(1, 0x3FC00000).File(0xFEEDBEEF));
    EXPECT_TRUE(doc.messages.empty());
}

// A random tree with a chunk larger than a block round-trips; a write that
// fails anywhere, block boundaries included, is reported and leaves the
// older, longer file beneath uncut.
TEST(DtbWriter, ShortWritesAreReportedAndLeaveTheRestOfTheFile) {
    std::mt19937 random(5);
    const std::vector<uint8_t> original = RandomTree(random, 200, 300).Text(5, std::string(20000, 'w')).File(0xABCD);
    ASSERT_GT(original.size(), size_t(11 + 2 * 8192));
    const std::string key = "key", header = "header", chunks = "chunks";
    const std::pair<int64_t, std::string> cases[] = {
        {0, key},       {3, key},           {4, header},           {10, header},
        {11, chunks},   {11 + 8191, chunks}, {11 + 8192 + 10, chunks}, {int64_t(original.size()) - 1, chunks}};
    for (const auto& c : cases) {
        SCOPED_TRACE("fail at " + std::to_string(c.first));
        MemoryFile file(original);
        TestDocument doc;
        ASSERT_EQ(ReadDocument(doc.get()), 0);
        std::vector<uint8_t> old = original;
        old.resize(original.size() + 1000, 0xEE);
        file.bytes = old;
        file.failWriteAt = c.first;
        EXPECT_EQ(WriteDocument(doc.get()), -1);
        ExpectMessage(doc, "Could not write " + c.second + " to file (112)", ReportError);
        EXPECT_EQ(file.bytes, old);
        // The document is as it was: it still writes the original file, cut.
        file.failWriteAt = -1;
        ASSERT_EQ(WriteDocument(doc.get()), 0);
        EXPECT_EQ(file.bytes, original);
    }
}

}  // namespace
