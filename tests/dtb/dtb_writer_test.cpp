#include <gtest/gtest.h>

#include <random>
#include <string>

#include "dtb_file.h"
#include "test_support.h"

namespace {

const std::vector<uint8_t> kHeader = {0x01, 0x04, 0x00, 0x33, 0x44, 0x55, 0x66};

DtbBuilder RandomStream(std::mt19937& random, int chunks) {
    static const uint32_t kScalars[] = {0, 1, 6, 8, 9}, kNodes[] = {16, 17, 19},
                          kPools[] = {2, 5, 7, 18, 32, 33, 34, 35};
    DtbBuilder b;
    for (int i = 0; i < 7; ++i) b.plain.push_back(static_cast<uint8_t>(random()));
    for (int i = 0; i < chunks; ++i) {
        switch (random() % 3) {
        case 0: b.Scalar(kScalars[random() % 5], static_cast<uint32_t>(random())); break;
        case 1: b.Node(kNodes[random() % 3], static_cast<uint16_t>(random()), static_cast<int32_t>(random())); break;
        default: {
            size_t n = random() % 20 == 0 ? 8000 + random() % 20000 : random() % 300;
            std::string text(n, '\0');
            for (char& c : text) c = static_cast<char>(random());
            b.Text(kPools[random() % 8], text);
        }
        }
    }
    return b;
}

TEST(DtbWriter, RoundTripsGeneratedFilesByteForByte) {
    std::mt19937 random(77);
    for (int round = 0; round < 12; ++round) {
        const uint32_t key = static_cast<uint32_t>(random());
        const DtbBuilder stream = RandomStream(random, round * 40);
        const std::vector<uint8_t> original = stream.File(key);
        for (bool tail : {false, true}) {
            SCOPED_TRACE("round " + std::to_string(round) + (tail ? " with a cut-short tail" : ""));
            // An incomplete last chunk is dropped and not saved.
            DtbBuilder withTail = stream;
            if (tail) withTail.U32(5).U32(16).Raw("abc", 3);
            MemoryFile file(withTail.File(key));
            TestDocument doc;
            ASSERT_EQ(ReadDocument(doc.get()), 0);
            ASSERT_EQ(WriteDocument(doc.get()), 0);
            ASSERT_EQ(file.bytes, original);
            EXPECT_EQ(doc.messages.size(), tail ? 1u : 0u);
        }
    }
}

TEST(DtbWriter, NoFileOrAnEmptyDocument) {
    MemoryFile file(std::vector<uint8_t>(100, 0xEE));
    TestDocument doc;
    doc->FileHandle = kNoFile;
    EXPECT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.writtenTotal, 0);
    EXPECT_EQ(file.bytes.size(), 100u);

    doc->FileHandle = 1;  // an empty document is its key and header, and cuts the file
    doc->Key = 0x01020304;
    std::memcpy(doc->HeaderBytes, kHeader.data(), 7);
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, DtbBuilder().Header(kHeader).File(0x01020304));
    EXPECT_EQ(std::vector<uint8_t>(file.bytes.begin(), file.bytes.begin() + 4), (std::vector<uint8_t>{4, 3, 2, 1}));
    EXPECT_TRUE(doc.messages.empty());
}

DtbBuilder Stream(const std::string& third) {
    DtbBuilder b;
    b.Header(kHeader).Node(16, 3, 1).Scalar(0, 42).Text(5, third).Scalar(1, 0x3FC00000);
    return b;
}

TEST(DtbWriter, EditsReachTheFile) {
    MemoryFile file(Stream("ab").File(9));
    TestDocument doc;
    ASSERT_EQ(ReadDocument(doc.get()), 0);
    // A longer text moves in the pool and is written from its new place.
    const std::string longer = "a much longer text";
    ASSERT_EQ(ReplacePayload(doc.get(), 2, reinterpret_cast<const uint8_t*>(longer.data()), int32_t(longer.size())), 0);
    ASSERT_NE(doc.chunk(2).PoolOffset, 0u);
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, Stream(longer).File(9));

    // A new key enciphers everything anew, and the file reads back the same.
    doc->Key = 0xFEEDBEEF;
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    EXPECT_EQ(file.bytes, Stream(longer).File(0xFEEDBEEF));
    TestDocument again;
    file.position = 0;
    ASSERT_EQ(ReadDocument(again.get()), 0);
    EXPECT_EQ(again.payload(2), longer);
    EXPECT_EQ(again->Key, 0xFEEDBEEFu);

    // After a removal nothing of the old tail is left.
    ASSERT_EQ(RemoveChunks(doc.get(), 2, 1), 0);
    ASSERT_EQ(WriteDocument(doc.get()), 0);
    DtbBuilder shorter;
    shorter.Header(kHeader).Node(16, 3, 1).Scalar(0, 42).Scalar(1, 0x3FC00000);
    EXPECT_EQ(file.bytes, shorter.File(0xFEEDBEEF));
}

TEST(DtbWriter, ShortWritesAreReportedAndLeaveTheRestOfTheFile) {
    std::mt19937 random(5);
    DtbBuilder b = RandomStream(random, 200);
    b.Text(5, std::string(20000, 'w'));
    const std::vector<uint8_t> original = b.File(0xABCD);
    ASSERT_GT(original.size(), size_t(11 + 2 * 8192));
    const std::string key = "key", header = "header", chunks = "chunks";
    const std::pair<int64_t, std::string> cases[] = {
        {0, key},       {3, key},           {4, header},           {10, header},
        {11, chunks},   {11 + 8191, chunks}, {11 + 8192 + 10, chunks}, {int64_t(original.size()) - 1, chunks}};
    for (const auto& c : cases) {
        SCOPED_TRACE("fail at " + std::to_string(c.first));
        // An older, longer file beneath: after a failure it is not cut.
        MemoryFile file(original);
        TestDocument doc;
        ASSERT_EQ(ReadDocument(doc.get()), 0);
        std::vector<uint8_t> old = original;
        old.resize(original.size() + 1000, 0xEE);
        file.bytes = old;
        file.failWriteAt = c.first;
        EXPECT_EQ(WriteDocument(doc.get()), -1);
        ASSERT_EQ(doc.messages.size(), 1u);
        EXPECT_EQ(doc.messages[0].text, "Could not write " + c.second + " to file (112)");
        EXPECT_EQ(file.bytes, old);
        // The document is as it was: it still writes the original file.
        file.failWriteAt = -1;
        ASSERT_EQ(WriteDocument(doc.get()), 0);
        EXPECT_EQ(file.bytes, original);
    }
}

}  // namespace
