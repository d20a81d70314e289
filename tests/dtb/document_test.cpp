// The document's blocks come from the moving allocator here: every growth moves them, so a pointer kept across one
// shows, and a failed growth must leave the document whole and usable.
#include <gtest/gtest.h>
#include "dtb_kit.h"

static int32_t Replace(TestDocument& doc, int32_t i, const std::string& s) {
    return ReplacePayload(doc.get(), i, reinterpret_cast<const uint8_t*>(s.data()), int32_t(s.size()));
}

// A text no longer than the slot it was loaded with stays in place; a longer one goes to the end of the pool, again
// at every later longer edit, since the slot stays the loaded one; one that needs the pool to grow, by one step or by
// several, lands whole in the moved pool.
TEST(Document, PayloadReplacementInPlaceOrRelocated) {
    TestAllocator alloc;
    TestDocument doc(alloc.Blocks());
    doc.Load(DtbBuilder().Top(2).Text(5, "abcdef").Text(5, "next"));
    const struct {
        std::string text;
        uint32_t offset;
        int32_t used;
    } steps[] = {{"xyz", 0, 10},
                 {"123456", 0, 10},
                 {"longer text", 10, 21},
                 {"longer text!", 21, 33},
                 {"", 21, 33},
                 {std::string(4063, 'a'), 33, 4096},
                 {std::string(4064, 'b'), 4096, 8160},
                 {std::string(20000, 'c'), 8160, 28160}};
    for (const auto& step : steps) {
        ASSERT_EQ(Replace(doc, 0, step.text), 0);
        EXPECT_EQ(doc.payload(0) + "|" + doc.payload(1), step.text + "|next");
        EXPECT_EQ(doc.chunk(0).PoolOffset * 100000 + uint32_t(doc->PoolUsed),
                  step.offset * 100000 + uint32_t(step.used));
        ASSERT_EQ(EnsureRoom(doc.get(), 5000, 300), 0);  // and the room promised is there
        EXPECT_TRUE(doc->PoolCapacity - doc->PoolUsed >= 5000 && doc->ChunkCapacity - doc->ChunkCount >= 300);
    }
    RemoveChunks(doc.get(), 0, -1);  // no count, no place: nothing goes
    RemoveChunks(doc.get(), 2, 1);
    EXPECT_EQ(doc.payload(0) + "|" + doc.payload(1) + std::to_string(doc->ChunkCount),
              std::string(20000, 'c') + "|next2");
    const ChunkRecord r = {};
    EXPECT_EQ(Joined(InsertChunkAt(doc.get(), &r, 3), InsertChunkAt(doc.get(), &r, -1), Replace(doc, 2, "x"),
                     EnsureRoom(doc.get(), -1, 0), EnsureRoom(doc.get(), 0, -1)),
              "-1 -1 -1 -1 -1");  // outside the table; negative room
    EXPECT_EQ(doc.log(), "0:Could not allocate memory.\n0:Could not allocate memory.\n");
}

// A 300-chunk read grows the table before chunk 252; failing there, it keeps what came before, and the document stays
// usable.
TEST(Document, FailedGrowthKeepsTheDocumentWholeAndUsable) {
    TestAllocator alloc;
    TestDocument doc(alloc.Blocks());
    DtbBuilder b = DtbBuilder().Top(0).Text(5, "abc");
    for (uint32_t i = 0; i < 299; ++i) b.Scalar(0, i);
    alloc.failFrom = alloc.resizes;
    EXPECT_EQ(doc.Load(b), -1);
    const ChunkRecord r = {};
    EXPECT_EQ(
        EnsureRoom(doc.get(), 5000, 0) + InsertChunkAt(doc.get(), &r, 0) + Replace(doc, 0, std::string(5000, 'z')), -3);
    const std::string oom = "0:Could not allocate memory.\n";
    EXPECT_EQ(doc.log(), oom + oom + oom + oom);
    EXPECT_EQ(doc.payload(0) + std::to_string(doc->ChunkCount) + std::to_string(doc->Incomplete), "abc2521");
    // The pool half succeeds and the table half fails: the grown pool is kept, and all of its new capacity is there.
    alloc.failFrom = alloc.resizes + 1;
    EXPECT_EQ(EnsureRoom(doc.get(), 5000, 4), -1);
    EXPECT_GE(doc->PoolCapacity, doc->PoolUsed + 5000);
    doc->Pool[doc->PoolCapacity - 1] = 1;
    alloc.failFrom = -1;  // a record taken from the table itself, while the insertion moves the table
    ASSERT_EQ(InsertChunkAt(doc.get(), &doc->Chunks[2], 0), 0);
    EXPECT_EQ(doc.Rows()[0] + doc.payload(1) + std::to_string(doc->ChunkCount), "0:01 00 00 00abc253");
    alloc.failFrom = alloc.resizes + 1;  // no memory for the table: no blocks, no leak, a report
    TestDocument none(alloc.Blocks());
    EXPECT_TRUE(none->Pool == nullptr && none->Chunks == nullptr && none.log() == oom);
}
