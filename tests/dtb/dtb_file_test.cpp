#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include "chunk_types.h"
#include "dtb_file.h"
#include "dtb_kit.h"

static const std::vector<uint8_t> kHeader = {0x11, 0x03, 0x00, 0xA3, 0xA4, 0xA5, 0xA6};
static const uint32_t kKey = 0xC0FFEE;

static int32_t Load(TestDocument& doc, const std::vector<uint8_t>& bytes, int32_t step = 1 << 30, int64_t failAt = -1) {
    MemoryFile file(bytes);
    file.readStep = step, file.failReadAt = failAt;
    return doc.Load(&file);
}

// Splits inside a type code (1-3), a value, a pool chunk's length (5-7) or payload (8 on), at the first block boundary
// and a later one, whatever the reads deliver; then chunks of 8184-8193 bytes (not all fit beside the header) and more.
TEST(DtbReader, ChunksSplitByABlockBoundaryAndLargeChunks) {
    const std::pair<uint32_t, int> cases[] = {{6, 1}, {6, 3},  {8, 4},  {9, 7},  {16, 2},  {19, 9},
                                              {5, 2}, {18, 5}, {32, 7}, {34, 8}, {35, 13}, {2, 18}};
    auto fillTo = [](DtbBuilder& b, size_t end) { b.Text(7, std::string(end - 4 - b.plain.size() - 8, char(end))); };
    std::vector<DtbBuilder> files;
    for (const auto& c : cases) {
        for (size_t boundary : {size_t(8192), size_t(16384)}) {
            DtbBuilder b = DtbBuilder().Header(kHeader);
            if (boundary > 8192) fillTo(b, 4 + 8192);
            fillTo(b, 4 + boundary - size_t(c.second));  // the split: bytes before the boundary
            files.push_back(IsScalarType(c.first) ? b.Scalar(c.first, 0x01020304)
                            : IsNodeType(c.first) ? b.Node(c.first, 3, 77)
                                                  : b.Text(c.first, "hello world"));
        }
    }
    for (size_t total : {8184, 8185, 8186, 8187, 8189, 8190, 8191, 8192, 8193, 16385, 100008})
        files.push_back(DtbBuilder().Header(kHeader).Text(5, std::string(total - 8, char(total))));
    for (DtbBuilder& b : files) {
        const std::vector<uint8_t> file =
            b.Scalar(0, 0xAABBCCDD).Node(17, 2, -5).Text(33, "tail").Scalar(1, 7).File(kKey);
        TestDocument doc;  // read again and again, as by Revert: each read starts afresh
        for (int32_t step : {1 << 30, 4097, 13, 7}) {
            SCOPED_TRACE(std::to_string(&b - files.data()) + ", reads of " + std::to_string(step));
            ASSERT_EQ(Load(doc, file, file.size() > 30000 ? 4097 : step), 0);
            EXPECT_EQ(doc.Saved(), file);
            EXPECT_EQ(doc.log(), "");
        }
    }
}

// Key only, inside the header, key and header only, inside any chunk: what is whole loads, and a warning counts every
// byte that is not; a pool length that no file this short can satisfy costs nothing.
TEST(DtbReader, FilesCutAnywhereLoadWhatIsWhole) {
    auto dropped = [](size_t n, const char* where) {
        return "2:The file ends inside " + std::string(where) + ": its last " + std::to_string(n) +
               " bytes were not loaded and will not be saved.\n";
    };
    const std::vector<uint8_t> file = DtbBuilder()
                                          .Header(kHeader)
                                          .Node(16, 2, 1)
                                          .Scalar(0, 9)
                                          .Text(5, "abc")
                                          .Text(5, std::string(20, 'z'))
                                          .File(kKey);
    const size_t ends[] = {11, 21, 29, 40, 68};  // the header's and the chunks'
    for (size_t length = 4; length <= file.size(); ++length) {
        for (int32_t step : {1 << 30, 5}) {
            SCOPED_TRACE(std::to_string(length) + " bytes, reads of " + std::to_string(step));
            TestDocument doc;
            std::memset(doc->HeaderBytes, 0x55, 7);
            ASSERT_EQ(Load(doc, std::vector<uint8_t>(file.begin(), file.begin() + long(length)), step), 0);
            size_t end = 4;
            for (size_t e : ends) end = e <= length ? e : end;
            const std::vector<uint8_t> whole(file.begin(), file.begin() + long(end > 4 ? end : 11));
            EXPECT_EQ(doc.Saved(), end > 4 ? whole : DtbBuilder().Top(0).File(kKey));  // no header: a zero one
            EXPECT_EQ(doc.log(), length > end  ? dropped(length - end, end == 4 ? "its header" : "a chunk")
                                 : length == 4 ? "2:The file ends after its key: it has no header, and a save will "
                                                 "write seven zero bytes for one.\n"
                                               : "");
            EXPECT_EQ(doc->Incomplete, length > end || length == 4);  // a save over the file would change it
        }
    }
    for (uint32_t length : {0xFFFFFFFFu, 0x7FFFFFF9u}) {
        TestDocument doc;
        const std::string present(20000, 'q');
        ASSERT_EQ(Load(doc, DtbBuilder().Header(kHeader).U32(5).U32(length).Raw(present.data(), 20000).File(kKey)), 0);
        EXPECT_EQ(doc.log() + std::to_string(doc->PoolCapacity), dropped(20008, "a chunk") + "4096");
    }
}

// A file of known length costs one resize of the pool and a few of the table, whatever its chunks; without a length
// (a pipe) the blocks grow by steps. Either way the bytes loaded are the file's, in blocks that come full of garbage.
TEST(DtbReader, BlocksSizedFromTheFileLength) {
    DtbBuilder b = DtbBuilder().Header(kHeader);
    for (uint32_t i = 0; i < 20000; ++i) i % 3 ? b.Scalar(0, i) : b.Text(5, std::string(i % 50, char('a' + i % 26)));
    const std::vector<uint8_t> file = b.File(kKey);
    for (bool known : {true, false}) {
        TestAllocator memory;
        TestDocument doc(memory.Blocks());
        MemoryFile source(file);
        source.Attach(doc.get());
        FileLayer layer = *doc->Files;
        if (!known) layer.Length = [](void*, NativeHandle) { return int64_t{-1}; };
        doc->Files = &layer;
        ASSERT_EQ(ReadDocument(doc.get()), 0);
        EXPECT_EQ(doc.Saved(), file);
        EXPECT_EQ(Joined(known, memory.resizes <= 6, doc->PoolCapacity <= int32_t(file.size())),
                  Joined(known, known, true));
    }
}

TEST(DtbReader, FailuresKeepWhatWasLoaded) {
    DtbBuilder b = DtbBuilder().Header(kHeader);
    for (uint32_t i = 0; i < 1023; ++i) b.Scalar(0, i);  // the whole chunks of the first block
    const std::vector<uint8_t> first = b.File(kKey);
    for (uint32_t i = 0; i < 100; ++i) b.Scalar(0, i);
    TestDocument doc;
    EXPECT_EQ(Load(doc, b.File(kKey), 1 << 30, 4 + 8192), -1);  // the second block read fails
    EXPECT_EQ(doc.Saved(), first);
    EXPECT_TRUE(doc->Incomplete);
    // A short key: what did arrive replaces the first bytes of the key, and nothing else changes.
    doc->Key = 0x11223344;
    EXPECT_EQ(Load(doc, {0xAA, 0xBB}), -1);
    EXPECT_EQ(Load(doc, first, 1 << 30, 0), -1);
    EXPECT_EQ(doc->Key + doc->ChunkCount, 0x1122BBAAu + 1023);
    EXPECT_EQ(
        doc.log(),
        "0:Error reading from file (5)\n0:Could not read key from file (0)\n0:Could not read key from file (5)\n");
    // A long payload read past its block straight into the pool: a file that ends inside it (shorter than its length
    // said, or not) or a read that fails there loses that chunk alone.
    const DtbBuilder lead = DtbBuilder().Header(kHeader).Scalar(0, 1);
    const std::vector<uint8_t> whole = DtbBuilder(lead).Text(5, std::string(20000, 'x')).File(kKey);
    for (size_t cut : {size_t(4 + 8192), size_t(4 + 12000), whole.size() - 1}) {
        for (bool lying : {false, true}) {
            TestDocument cutShort;
            MemoryFile file(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)));
            file.Attach(cutShort.get());
            FileLayer layer = *cutShort->Files;
            if (lying) layer.Length = [](void*, NativeHandle) { return int64_t{1} << 20; };
            cutShort->Files = &layer;
            const int32_t result = ReadDocument(cutShort.get());
            EXPECT_EQ(Joined(result, cutShort.log(), cutShort->ChunkCount),
                      Joined(0,
                             "2:The file ends inside a chunk: its last " + std::to_string(cut - 19) +
                                 " bytes were not loaded and will not be saved.\n",
                             1));
        }
    }
    for (int32_t step : {1 << 30, 4097}) {
        TestDocument failing;
        const int32_t result = Load(failing, whole, step, 4 + 12000);
        EXPECT_EQ(Joined(result, failing.log(), failing.Saved() == lead.File(kKey)),
                  Joined(-1, std::string("0:Error reading from file (5)\n"), 1));
    }
    // An unknown type code is judged as soon as its four bytes are there.
    const DtbBuilder before = DtbBuilder().Header(kHeader).Scalar(0, 1).Text(5, "before");
    for (const auto& c : {std::make_pair(0x100u, "00 01 00 00"), {36u, "24 00 00 00"}, {0xFFFFFFFFu, "FF FF FF FF"}}) {
        TestDocument bad;
        EXPECT_EQ(Load(bad, DtbBuilder(before).U32(c.first).File(kKey)), -1);
        EXPECT_EQ(bad.Saved(), before.File(kKey));
        EXPECT_EQ(bad.log(), std::string("0:Unknown chunk ") + c.second + "\n");
    }
}

// A write that fails anywhere is reported and leaves the older, longer file beneath uncut, and the document as it was;
// edits reach the file: a relocated text from its new place, a new key everywhere, and nothing of an old tail.
TEST(DtbWriter, ShortWritesAndEdits) {
    std::mt19937 random(5);
    const std::vector<uint8_t> original =
        RandomTree(random, 200, 300).Text(5, "ab").Text(5, std::string(20000, 'w')).File(9);
    const std::pair<int64_t, std::string> cases[] = {{0, "key"},
                                                     {3, "key"},
                                                     {4, "header"},
                                                     {10, "header"},
                                                     {11, "chunks"},
                                                     {11 + 8191, "chunks"},
                                                     {11 + 8192 + 10, "chunks"},
                                                     {int64_t(original.size()) - 1, "chunks"}};
    MemoryFile file(original);
    TestDocument doc;
    EXPECT_EQ(WriteDocument(doc.get()) + doc.Load(&file), 0);  // no file: nothing is written
    for (const auto& c : cases) {
        SCOPED_TRACE("fail at " + std::to_string(c.first));
        file.bytes = original;
        file.bytes.resize(original.size() + 1000, 0xEE);
        const std::vector<uint8_t> old = file.bytes;
        file.writtenTotal = 0;
        file.failWriteAt = c.first;
        file.Attach(doc.get());
        doc.messages.clear();
        EXPECT_EQ(WriteDocument(doc.get()), -1);
        EXPECT_EQ(doc.log(), "0:Could not write " + c.second + " to file (112)\n");
        EXPECT_EQ(file.bytes, old);
        EXPECT_EQ(doc.Saved(), original);
    }
    file.bytes = original;
    file.writtenTotal = 0, file.failWriteAt = 100, file.quietShortWrites = true;  // a short write that claims success
    EXPECT_EQ(WriteDocument(doc.get()), -1);
    EXPECT_EQ(file.bytes, original);
    file.failWriteAt = -1;
    const int32_t last = doc->ChunkCount - 1;
    const std::string longer = "a longer text";
    ASSERT_EQ(
        ReplacePayload(doc.get(), last - 1, reinterpret_cast<const uint8_t*>(longer.data()), int32_t(longer.size())),
        0);
    doc->Key = 0xFEEDBEEF;
    RemoveChunks(doc.get(), last, 1);
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, RandomTree(random = std::mt19937(5), 200, 300).Text(5, longer).File(0xFEEDBEEF));
}
