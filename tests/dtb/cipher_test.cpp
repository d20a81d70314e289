#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>

#include "cipher.h"
#include "text_convert.h"

namespace {

EditorState Seeded(uint32_t key) {
    EditorState s;
    InitEditorState(&s);
    s.Key = key;
    SeedCipher(&s);
    return s;
}

// Keystream bytes worked out from the definition apart from this code: the
// start (for key 0 the first word is 0x53DC0000 by hand), the lagged index
// wrapping after 146 steps, both indices wrapping after 249 with changed
// words (so no period of 249), and a stretch far on.
TEST(Cipher, KnownKeystreamAcrossTheRingWraps) {
    const struct {
        uint32_t key;
        int at;
        const char* hex;
    } kStream[] = {{0, 0, "38 1B 91 34 A6 F0 D4 E5"}, {0, 144, "85 06 E9 33 C8 9E"}, {0, 247, "3C 70 46 56 22 BE"},
                   {0, 1000, "31 7D DB 49"}, {0xDEADBEEF, 0, "19 71 21 CF 8C 75 5D C3"},
                   {0xDEADBEEF, 144, "AE 8B 50 3A 43 50"}, {0xDEADBEEF, 247, "DD 04 FE D6 1A 7C"}};
    EXPECT_EQ(Seeded(0).CipherTable[0], 0x53DC0000u);
    for (const auto& c : kStream) {
        EditorState s = Seeded(c.key);
        uint8_t stream[1004];
        for (uint8_t& b : stream) b = NextCipherByte(&s, 0);
        char text[32];
        FormatHexBytes(stream + c.at, int32_t(std::strlen(c.hex) + 1) / 3, text);
        EXPECT_STREQ(text, c.hex) << c.key << " at " << c.at;
    }
}

// The block routine must give exactly the byte step's result and state,
// whatever the call sizes and wherever the wraps of the ring fall inside a
// call; a second pass after seeding again restores the bytes.
TEST(Cipher, ApplyCipherMatchesTheByteStepForAnySplit) {
    std::mt19937 random(20240611);
    std::vector<std::vector<int64_t>> splits = {
        {145, 1, 1, 102, 1, 249, 0, 248, 2, 103, 104, 146, 249, 250}, {0, 0, 8192}, {146, 103, 0, 1, 248, 1}};
    for (int round = 0; round < 3; ++round) {
        splits.emplace_back();
        while (splits.back().size() < 40) splits.back().push_back(random() % 5 == 0 ? 0 : random() % 400);
    }
    for (uint32_t key : {0u, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        for (const std::vector<int64_t>& sizes : splits) {
            const int64_t total = std::accumulate(sizes.begin(), sizes.end(), int64_t(0));
            std::vector<uint8_t> data(size_t(total) + 2);
            for (uint8_t& x : data) x = static_cast<uint8_t>(random());
            const std::vector<uint8_t> original = data;
            std::vector<uint8_t> expected = data;
            EditorState bytewise = Seeded(key), blocks = Seeded(key);
            for (int64_t i = 1; i <= total; ++i) expected[size_t(i)] = NextCipherByte(&bytewise, expected[size_t(i)]);
            int64_t at = 1;  // the first and last bytes lie outside every call
            for (int64_t n : sizes) {
                ASSERT_EQ(ApplyCipher(&blocks, data.data(), at, n), 0);
                at += n;
            }
            ASSERT_EQ(data, expected) << "key " << key << ", split " << &sizes - splits.data();
            EXPECT_EQ(blocks.CipherIndexA, bytewise.CipherIndexA);
            EXPECT_EQ(blocks.CipherIndexB, bytewise.CipherIndexB);
            EXPECT_EQ(std::memcmp(blocks.CipherTable, bytewise.CipherTable, sizeof bytewise.CipherTable), 0);
            SeedCipher(&blocks);
            ApplyCipher(&blocks, data.data(), 1, total);
            EXPECT_EQ(data, original);
        }
    }
}

}  // namespace
