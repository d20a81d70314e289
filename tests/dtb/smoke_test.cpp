#include <gtest/gtest.h>

#include "dtb_file.h"
#include "test_support.h"

TEST(Smoke, ReadsWhatItWrites) {
    DtbBuilder b;
    b.Header({1, 1, 0, 3, 4, 5, 6}).Node(16, 1, 5).Text(5, "abc");
    MemoryFile file(b.File(0x1234));
    TestDocument doc;
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    EXPECT_EQ(doc->ChunkCount, 2);
    EXPECT_EQ(doc.payload(1), "abc");
    std::vector<uint8_t> original = file.bytes;
    file.bytes.clear();
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, original);
}
