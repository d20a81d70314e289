#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "dtb_file.h"
#include "test_support.h"

namespace {

// An allocator that always moves a block and fills new bytes with garbage, so
// stale pointers and missing zero-filling show; it can fail from a chosen call
// on, and logs the resizes of a watched document.
struct TrackingAllocator {
    std::map<void*, size_t> sizes;
    int calls = 0;
    int failFrom = -1;  // the calls from this one on return nullptr
    const EditorState* watched = nullptr;
    std::vector<std::pair<bool, int32_t>> log;  // table block?, ChunkCount at the time
};
TrackingAllocator* g_alloc = nullptr;

void* TrackedResize(void* block, size_t bytes) {
    TrackingAllocator& a = *g_alloc;
    if (a.watched) a.log.push_back({block == a.watched->Chunks, a.watched->ChunkCount});
    if (a.failFrom >= 0 && a.calls++ >= a.failFrom) return nullptr;
    void* grown = std::malloc(bytes);
    std::memset(grown, 0xCD, bytes);
    if (block) std::memcpy(grown, block, std::min(a.sizes[block], bytes));
    a.sizes.erase(block);
    std::free(block);
    a.sizes[grown] = bytes;
    return grown;
}
void TrackedFree(void* block) {
    g_alloc->sizes.erase(block);
    std::free(block);
}
const BlockAllocator kTracked = {TrackedResize, TrackedFree};

struct AllocatorScope {
    TrackingAllocator alloc;
    AllocatorScope() { g_alloc = &alloc, SetBlockAllocator(&kTracked); }
    ~AllocatorScope() { SetBlockAllocator(nullptr), g_alloc = nullptr; }
    void FailFromCall(int n) { alloc.calls = 0, alloc.failFrom = n; }
};

ChunkRecord Scalar(uint32_t value) {
    ChunkRecord r = {};
    WriteU32(r.Value, value);
    return r;
}

// Members are built in order: the document lives under the tracking allocator.
class DocumentTest : public testing::Test {
protected:
    AllocatorScope scope;
    TestDocument doc;

    void AddScalars(int n) {
        for (int i = 0; i < n; ++i) {
            ChunkRecord r = Scalar(uint32_t(doc->ChunkCount));
            ASSERT_EQ(InsertChunkAt(doc.get(), &r, doc->ChunkCount), 0);
        }
    }
    std::vector<uint32_t> Values() {
        std::vector<uint32_t> v;
        for (int32_t i = 0; i < doc->ChunkCount; ++i) v.push_back(ReadU32(doc.chunk(i).Value));
        return v;
    }
    int32_t Replace(int32_t i, const std::string& s) {
        return ReplacePayload(doc.get(), i, reinterpret_cast<const uint8_t*>(s.data()), int32_t(s.size()));
    }
    // A string as the reader leaves it: its slot is as long as its text.
    void AddLoadedString(const std::string& s) {
        ChunkRecord r = {};
        r.Type = 5;
        ASSERT_EQ(InsertChunkAt(doc.get(), &r, doc->ChunkCount), 0);
        ASSERT_EQ(Replace(doc->ChunkCount - 1, s), 0);
        doc->Chunks[doc->ChunkCount - 1].SlotLength = int32_t(s.size());
    }
};

TEST_F(DocumentTest, FreshCapacitiesAndPoolSteps) {
    EXPECT_EQ(doc->PoolCapacity, 4096);
    EXPECT_EQ(doc->ChunkCapacity, 256);
    EXPECT_EQ(doc->PoolUsed, 0);
    EXPECT_EQ(doc->ChunkCount, 0);
    // 8192 bytes take two steps in one resize, to leave a spare byte.
    scope.alloc.watched = doc.get();
    ASSERT_EQ(EnsureRoom(doc.get(), 8192, 0), 0);
    EXPECT_EQ(doc->PoolCapacity, 3 * 4096);
    EXPECT_EQ(scope.alloc.log, (std::vector<std::pair<bool, int32_t>>{{false, 0}}));
    EXPECT_EQ(std::count(doc->Pool + 4096, doc->Pool + 3 * 4096, 0), 2 * 4096);
    doc->PoolUsed = 3 * 4096 - 1;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 0), 0);
    EXPECT_EQ(doc->PoolCapacity, 3 * 4096);
    doc->PoolUsed = 3 * 4096;  // the last byte is in use: even 0 more bytes grow it
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 0), 0);
    EXPECT_EQ(doc->PoolCapacity, 4 * 4096);
}

TEST_F(DocumentTest, TableGrowsOnceBeforeChunk252OfA300ChunkRead) {
    DtbBuilder b;
    b.Header({0, 0, 0, 0, 0, 0, 0});
    for (uint32_t i = 0; i < 300; ++i) b.Scalar(0, i);
    MemoryFile file(b.File(7));
    // A failed growth ends the load, with what came before it kept.
    scope.FailFromCall(0);
    EXPECT_EQ(ReadDocument(doc.get()), -1);
    EXPECT_EQ(doc->ChunkCount, 252);
    ASSERT_EQ(doc.messages.size(), 1u);
    EXPECT_EQ(doc.messages[0].text, "Could not allocate memory.");

    scope.alloc.failFrom = -1;
    scope.alloc.watched = doc.get();
    file.position = 0;
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    EXPECT_EQ(doc->ChunkCapacity, 512);
    EXPECT_EQ(scope.alloc.log, (std::vector<std::pair<bool, int32_t>>{{true, 252}}));
    EXPECT_EQ(Values()[299], 299u);
}

TEST_F(DocumentTest, TableStepIs256ForTheUsualReserveAndExactOtherwise) {
    doc->ChunkCount = 256 - 11;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 10), 0);
    EXPECT_EQ(doc->ChunkCapacity, 256);
    doc->ChunkCount = 256 - 5;
    ASSERT_EQ(EnsureRoom(doc.get(), 0, 10), 0);
    EXPECT_EQ(doc->ChunkCapacity, 266);
    const uint8_t* added = reinterpret_cast<const uint8_t*>(doc->Chunks + 256);
    EXPECT_EQ(std::count(added, added + 10 * sizeof(ChunkRecord), 0), long(10 * sizeof(ChunkRecord)));
}

TEST_F(DocumentTest, InsertAndRemove) {
    AddScalars(3);
    const ChunkRecord r90 = Scalar(90), r91 = Scalar(91), r92 = Scalar(92);
    ASSERT_EQ(InsertChunkAt(doc.get(), &r90, 3), 0);  // at ChunkCount: appends
    ASSERT_EQ(InsertChunkAt(doc.get(), &r91, 1), 0);
    ASSERT_EQ(InsertChunkAt(doc.get(), &r92, 0), 0);
    EXPECT_EQ(Values(), (std::vector<uint32_t>{92, 0, 91, 1, 2, 90}));
    AddLoadedString("pool");
    const int32_t used = doc->PoolUsed;
    ASSERT_EQ(RemoveChunks(doc.get(), 6, 1), 0);  // the last
    ASSERT_EQ(RemoveChunks(doc.get(), 1, 3), 0);  // a middle span
    EXPECT_EQ(Values(), (std::vector<uint32_t>{92, 2, 90}));
    EXPECT_EQ(doc->PoolUsed, used);
    // A record taken from the table itself, while the insertion moves the table.
    AddScalars(249);
    doc->Chunks[1].Type = 9;
    ASSERT_EQ(InsertChunkAt(doc.get(), &doc->Chunks[1], 0), 0);
    EXPECT_EQ(doc->ChunkCapacity, 512);
    EXPECT_EQ(doc.chunk(0).Type, 9u);
    EXPECT_EQ(ReadU32(doc.chunk(0).Value), 2u);
}

TEST_F(DocumentTest, PayloadReplacementInPlaceOrRelocated) {
    AddLoadedString("abcdef");
    AddLoadedString("next");
    const uint32_t offset = doc.chunk(0).PoolOffset;
    const int32_t used = doc->PoolUsed;
    ASSERT_EQ(Replace(0, "xyz"), 0);  // shorter: in place
    ASSERT_EQ(Replace(0, "123456"), 0);  // as long as the slot: in place
    EXPECT_EQ(doc.chunk(0).PoolOffset, offset);
    EXPECT_EQ(doc->PoolUsed, used);
    EXPECT_EQ(doc.payload(0), "123456");
    EXPECT_EQ(doc.payload(1), "next");
    ASSERT_EQ(Replace(0, "longer text"), 0);  // longer: to the end of the pool
    EXPECT_EQ(doc.chunk(0).PoolOffset, uint32_t(used));
    EXPECT_EQ(doc.payload(0) + doc.payload(1), "longer textnext");
    // The slot stays the loaded one, so a longer text moves again.
    EXPECT_EQ(doc.chunk(0).SlotLength, 6);
    ASSERT_EQ(Replace(0, "longer text!"), 0);
    EXPECT_EQ(doc.chunk(0).PoolOffset, uint32_t(used + 11));
    ASSERT_EQ(Replace(0, ""), 0);
    EXPECT_EQ(doc.chunk(0).Length, 0);
    EXPECT_EQ(doc->PoolUsed, used + 23);
    // A text that needs the pool to grow lands whole in the grown pool.
    const std::string big(6000, 'q');
    ASSERT_EQ(Replace(1, big), 0);
    EXPECT_EQ(doc.chunk(1).PoolOffset, uint32_t(used + 23));
    EXPECT_EQ(doc.payload(1), big);
    EXPECT_GT(doc->PoolCapacity, doc->PoolUsed);
}

TEST_F(DocumentTest, FailedGrowthKeepsTheDocumentUsable) {
    AddLoadedString("abc");
    AddScalars(251);
    scope.FailFromCall(0);
    EXPECT_EQ(EnsureRoom(doc.get(), 5000, 0), -1);
    ChunkRecord r = Scalar(77);
    EXPECT_EQ(InsertChunkAt(doc.get(), &r, 0), -1);
    EXPECT_EQ(Replace(0, std::string(5000, 'z')), -1);
    ASSERT_EQ(doc.messages.size(), 3u);
    for (const Message& m : doc.messages) EXPECT_EQ(m.text, "Could not allocate memory.");
    EXPECT_EQ(doc.messages[0].kind, ReportError);
    EXPECT_EQ(doc->PoolCapacity, 4096);
    EXPECT_EQ(doc->ChunkCapacity, 256);
    EXPECT_EQ(doc->ChunkCount, 252);
    EXPECT_EQ(doc.payload(0), "abc");

    // The pool half succeeds and the table half fails: the grown pool is
    // kept, and all of its new capacity is there.
    scope.FailFromCall(1);
    EXPECT_EQ(EnsureRoom(doc.get(), 5000, 4), -1);
    EXPECT_EQ(doc->PoolCapacity, 8192);
    doc->Pool[8191] = 1;

    scope.alloc.failFrom = -1;
    ASSERT_EQ(InsertChunkAt(doc.get(), &r, 0), 0);
    EXPECT_EQ(doc->ChunkCount, 253);
    EXPECT_EQ(ReadU32(doc.chunk(0).Value), 77u);
    EXPECT_EQ(doc.payload(1), "abc");
}

}  // namespace
