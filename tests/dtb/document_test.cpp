#include <gtest/gtest.h>

#include <algorithm>

#include "dtb_file.h"
#include "test_support.h"

namespace {

// Members are built in order: the document lives under the test allocator.
class DocumentTest : public testing::Test {
protected:
    TestAllocator alloc;
    TestDocument doc;

    int32_t LoadScalars(uint32_t n, DtbBuilder b = DtbBuilder().Top(0)) {
        for (uint32_t i = 0; i < n; ++i) b.Scalar(0, i);
        MemoryFile file(b.File(0));
        return ReadDocument(doc.get());
    }
    int32_t Replace(int32_t i, const std::string& s) {
        return ReplacePayload(doc.get(), i, reinterpret_cast<const uint8_t*>(s.data()), int32_t(s.size()));
    }
    void FailFrom(int n) { alloc.resizes = 0, alloc.failFrom = n; }
};

TEST_F(DocumentTest, FreshCapacitiesAndGrowthSteps) {
    EXPECT_EQ(doc->PoolCapacity, 4096);
    EXPECT_EQ(doc->ChunkCapacity, 256);
    // A 300-chunk read grows the table once, to 512 records.
    alloc.resizes = 0;
    ASSERT_EQ(LoadScalars(300), 0);
    EXPECT_EQ(doc->ChunkCapacity, 512);
    EXPECT_EQ(alloc.resizes, 1);
    EXPECT_EQ(ReadU32(doc.chunk(299).Value), 299u);
    // 8192 bytes take two steps in one resize, to leave a spare byte.
    alloc.resizes = 0;
    ASSERT_EQ(EnsureRoom(doc.get(), 8192, 0), 0);
    EXPECT_EQ(doc->PoolCapacity, 3 * 4096);
    EXPECT_EQ(alloc.resizes, 1);
    EXPECT_EQ(std::count(doc->Pool + 4096, doc->Pool + 3 * 4096, 0), 2 * 4096);
    doc->PoolUsed = 3 * 4096 - 1;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 0), 0);
    EXPECT_EQ(doc->PoolCapacity, 3 * 4096);
    doc->PoolUsed = 3 * 4096;  // the last byte is in use: even 0 more bytes grow it
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 0), 0);
    EXPECT_EQ(doc->PoolCapacity, 4 * 4096);

    // The table grows by exactly what a caller of more than 4 slots asks for.
    doc->ChunkCount = 512 - 11;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 10), 0);
    EXPECT_EQ(doc->ChunkCapacity, 512);
    doc->ChunkCount = 512 - 5;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 10), 0);
    EXPECT_EQ(doc->ChunkCapacity, 522);
    const uint8_t* added = reinterpret_cast<const uint8_t*>(doc->Chunks + 512);
    EXPECT_EQ(std::count(added, added + 10 * sizeof(ChunkRecord), 0), long(10 * sizeof(ChunkRecord)));
}

// A text no longer than the slot it was loaded with stays in place; a longer
// one goes to the end of the pool, again at every later longer edit, since
// the slot stays the loaded one.
TEST_F(DocumentTest, PayloadReplacementInPlaceOrRelocated) {
    doc.Load(DtbBuilder().Top(2).Text(5, "abcdef").Text(5, "next"));
    const struct {
        const char* text;
        uint32_t offset;
        int32_t used;
    } steps[] = {{"xyz", 0, 10}, {"123456", 0, 10}, {"longer text", 10, 21}, {"longer text!", 21, 33}, {"", 21, 33}};
    for (const auto& step : steps) {
        ASSERT_EQ(Replace(0, step.text), 0);
        EXPECT_EQ(doc.payload(0) + "|" + doc.payload(1), std::string(step.text) + "|next");
        EXPECT_EQ(doc.chunk(0).PoolOffset, step.offset) << step.text;
        EXPECT_EQ(doc->PoolUsed, step.used) << step.text;
        EXPECT_EQ(doc.chunk(0).SlotLength, 6);
    }
    // A text that needs the pool to grow lands whole in the grown pool.
    const std::string big(6000, 'q');
    ASSERT_EQ(Replace(1, big), 0);
    EXPECT_EQ(doc.chunk(1).PoolOffset, 33u);
    EXPECT_EQ(doc.payload(1), big);
}

// A 300-chunk read grows the table before chunk 252; failing there, it keeps
// what came before, and the document stays usable.
TEST_F(DocumentTest, FailedGrowthBeforeChunk252KeepsTheDocumentUsable) {
    FailFrom(0);
    EXPECT_EQ(LoadScalars(299, DtbBuilder().Top(0).Text(5, "abc")), -1);
    ASSERT_EQ(doc->ChunkCount, 252);
    EXPECT_EQ(EnsureRoom(doc.get(), 5000, 0), -1);
    const ChunkRecord r = {};
    EXPECT_EQ(InsertChunkAt(doc.get(), &r, 0), -1);
    EXPECT_EQ(Replace(0, std::string(5000, 'z')), -1);
    ASSERT_EQ(doc.messages.size(), 4u);
    for (const Message& m : doc.messages) EXPECT_EQ(m.text, "Could not allocate memory.");
    EXPECT_EQ(doc.messages[0].kind, ReportError);
    EXPECT_EQ(doc->PoolCapacity, 4096);
    EXPECT_EQ(doc->ChunkCapacity, 256);
    EXPECT_EQ(doc.payload(0), "abc");

    // The pool half succeeds and the table half fails: the grown pool is
    // kept, and all of its new capacity is there.
    FailFrom(1);
    EXPECT_EQ(EnsureRoom(doc.get(), 5000, 4), -1);
    EXPECT_EQ(doc->PoolCapacity, 8192);
    doc->Pool[8191] = 1;
    FailFrom(-1);  // a record taken from the table itself, while the insertion moves the table
    ASSERT_EQ(InsertChunkAt(doc.get(), &doc->Chunks[2], 0), 0);
    EXPECT_EQ(doc->ChunkCount, 253);
    EXPECT_EQ(doc->ChunkCapacity, 512);
    EXPECT_EQ(doc.Rows()[0] + doc.payload(1), "0:01 00 00 00abc");
}

}  // namespace
