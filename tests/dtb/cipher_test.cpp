#include <gtest/gtest.h>

#include <random>

#include "test_support.h"

namespace {

// The keystream written out plainly from its definition, apart from the code
// under test: 249 live words, lag 103, seeded by the LCG.
struct PlainKeystream {
    uint32_t t[256];
    int a = 103, b = 0;
    explicit PlainKeystream(uint32_t key) {
        uint32_t s = key;
        for (int i = 0; i < 256; ++i) {
            s = s * 1103515245u + 12345u;
            uint32_t lo = s;
            s = s * 1103515245u + 12345u;
            t[i] = (s & 0x7FFF0000u) | (lo >> 16);
        }
    }
    uint8_t Next() {
        t[b] ^= t[a];
        uint8_t out = static_cast<uint8_t>(t[b]);
        a = (a + 1) % 249;
        b = (b + 1) % 249;
        return out;
    }
};

std::vector<uint8_t> Keystream(uint32_t key, size_t n) {
    PlainKeystream k(key);
    std::vector<uint8_t> out(n);
    for (uint8_t& x : out) x = k.Next();
    return out;
}

EditorState Seeded(uint32_t key) {
    EditorState s;
    InitEditorState(&s);
    s.Key = key;
    SeedCipher(&s);
    return s;
}

const uint32_t kKeys[] = {0, 1, 0x1234, 0x7FFFFFFF, 0x80000000, 0xDEADBEEF, 0xFFFFFFFF};

TEST(Cipher, KnownAnswersAndTheByteStep) {
    // Worked by hand from the seeding rule: for key 0 the first LCG step gives
    // 12345 (upper half 0) and the second 0x53DC0000 in its bits 16-30.
    EditorState zero = Seeded(0);
    EXPECT_EQ(zero.CipherTable[0], 0x53DC0000u);
    EXPECT_EQ(zero.CipherTable[103], 0x0C02B738u);
    EXPECT_EQ(Keystream(0, 8), (std::vector<uint8_t>{0x38, 0x1B, 0x91, 0x34, 0xA6, 0xF0, 0xD4, 0xE5}));
    EXPECT_EQ(Keystream(0xDEADBEEF, 8), (std::vector<uint8_t>{0x19, 0x71, 0x21, 0xCF, 0x8C, 0x75, 0x5D, 0xC3}));
    // Key 0 is an ordinary seed, and the files the tests build use the same stream.
    EXPECT_EQ(ReferenceCipher(0, std::vector<uint8_t>(300, 0)), Keystream(0, 300));
    for (uint32_t key : kKeys) {
        EditorState c = Seeded(key);
        PlainKeystream ref(key);
        EXPECT_EQ(c.CipherIndexA, 103);
        EXPECT_EQ(c.CipherIndexB, 0);
        ASSERT_EQ(std::memcmp(c.CipherTable, ref.t, sizeof ref.t), 0) << key;
        for (int i = 0; i < 1000; ++i) {
            uint8_t in = static_cast<uint8_t>(i * 37);
            ASSERT_EQ(NextCipherByte(&c, in), uint8_t(in ^ ref.Next())) << key << " byte " << i;
        }
        EXPECT_EQ(c.CipherIndexA, ref.a);
        EXPECT_EQ(std::memcmp(c.CipherTable, ref.t, sizeof ref.t), 0);  // whole words are stored
    }
}

// Runs of the block routine must match the byte loop exactly, whatever the
// call sizes and wherever the two wraps of the ring fall inside a call.
TEST(Cipher, ApplyCipherMatchesTheByteLoopForAnySplit) {
    std::mt19937 random(20240611);
    const std::vector<int64_t> fixedSplits[] = {
        {145, 1, 1, 102, 1, 249, 0, 248, 2, 103, 104, 146, 249, 250}, {0, 0, 8192}, {146, 103, 0, 1, 248, 1}};
    for (uint32_t key : kKeys) {
        for (int round = 0; round < 8; ++round) {
            std::vector<int64_t> sizes = round < 3 ? fixedSplits[round] : std::vector<int64_t>{};
            while (sizes.size() < 40 && round >= 3) sizes.push_back(random() % 5 == 0 ? 0 : random() % 400);
            int64_t total = 0;
            for (int64_t n : sizes) total += n;
            std::vector<uint8_t> data(size_t(total) + 2);
            for (uint8_t& x : data) x = static_cast<uint8_t>(random());
            std::vector<uint8_t> expected = data;
            EditorState bytewise = Seeded(key), blocks = Seeded(key);
            for (int64_t i = 1; i <= total; ++i) expected[size_t(i)] = NextCipherByte(&bytewise, expected[size_t(i)]);
            int64_t at = 1;  // the first and last bytes lie outside every call
            for (int64_t n : sizes) {
                ASSERT_EQ(ApplyCipher(&blocks, data.data(), at, n), 0);
                at += n;
            }
            ASSERT_EQ(data, expected) << "key " << key << " round " << round;
            EXPECT_EQ(blocks.CipherIndexA, bytewise.CipherIndexA);
            EXPECT_EQ(blocks.CipherIndexB, bytewise.CipherIndexB);
            EXPECT_EQ(std::memcmp(blocks.CipherTable, bytewise.CipherTable, sizeof bytewise.CipherTable), 0);
        }
    }
}

TEST(Cipher, SecondPassAfterReseedingRestoresAndThePeriodIsNot249) {
    std::vector<uint8_t> original(10000);
    for (size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>(i * 7 + 3);
    for (uint32_t key : kKeys) {
        std::vector<uint8_t> data = original;
        EditorState c = Seeded(key);
        ApplyCipher(&c, data.data(), 0, 249);
        EXPECT_EQ(c.CipherIndexA, 103);  // both indices are back...
        EXPECT_EQ(c.CipherIndexB, 0);
        ApplyCipher(&c, data.data(), 249, int64_t(data.size()) - 249);
        std::vector<uint8_t> stream = Keystream(key, 498);  // ...but the words have changed
        EXPECT_NE(std::vector<uint8_t>(stream.begin(), stream.begin() + 249),
                  std::vector<uint8_t>(stream.begin() + 249, stream.end()));
        SeedCipher(&c);
        ApplyCipher(&c, data.data(), 0, int64_t(data.size()));
        EXPECT_EQ(data, original) << key;
    }
}

}  // namespace
