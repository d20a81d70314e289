#include <gtest/gtest.h>
#include <cstring>
#include <numeric>
#include <random>
#include "cipher.h"
#include "text_convert.h"

// Keystream bytes worked out from the definition apart from this code: the start, the lagged index wrapping after 146
// steps, both indices wrapping after 249 with changed words (so no period of 249), and a stretch far on.
TEST(Cipher, KnownKeystreamAcrossTheRingWraps) {
    const struct {
        uint32_t key;
        int at;
        const char* hex;
    } kStream[] = {{0, 0, "38 1B 91 34 A6 F0 D4 E5"},
                   {0, 144, "85 06 E9 33 C8 9E"},
                   {0, 247, "3C 70 46 56 22 BE"},
                   {0, 1000, "31 7D DB 49"},
                   {0xDEADBEEF, 0, "19 71 21 CF 8C 75 5D C3"},
                   {0xDEADBEEF, 144, "AE 8B 50 3A 43 50"},
                   {0xDEADBEEF, 247, "DD 04 FE D6 1A 7C"}};
    for (const auto& c : kStream) {
        CipherState s;
        SeedCipher(&s, c.key);
        uint8_t stream[1004];
        for (uint8_t& b : stream) b = NextCipherByte(&s, 0);
        char text[32];
        FormatHexBytes(stream + c.at, int32_t(std::strlen(c.hex) + 1) / 3, text);
        EXPECT_STREQ(text, c.hex) << c.key << " at " << c.at;
    }
}

// Every way of applying the keystream this CPU runs must give exactly the byte step's result and state, whatever the
// call sizes (short ones, runs across the ring's wraps, long ones across many of a variant's blocks), from odd starts.
TEST(Cipher, EveryVariantMatchesTheByteStepForAnySplit) {
    std::mt19937 random(20240611);
    std::vector<std::vector<int64_t>> splits = {{145, 1, 1, 102, 1, 249, 0, 248, 2, 103, 104, 146, 249, 250},
                                                {0, 0, 8192},
                                                {146, 103, 0, 1, 248, 1},
                                                {1023, 1024, 1025, 4095, 2049, 15, 70001},
                                                {}};
    while (splits.back().size() < 200) splits.back().push_back(random() % 5 == 0 ? 0 : random() % 400);
    const CipherVariant* variants = nullptr;
    int32_t supported = CipherVariants(&variants);
    for (int32_t v = -1; v < supported; ++v) {  // -1: ApplyCipher itself
        auto apply = v < 0 ? ApplyCipher : variants[v].Apply;
        const char* name = v < 0 ? "ApplyCipher" : variants[v].Name;
        for (uint32_t key : {0u, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
            for (const std::vector<int64_t>& sizes : splits) {
                std::vector<uint8_t> data(size_t(std::accumulate(sizes.begin(), sizes.end(), int64_t(0))) + 2);
                for (uint8_t& x : data) x = static_cast<uint8_t>(random());
                std::vector<uint8_t> expected = data;
                CipherState bytewise, blocks;
                SeedCipher(&bytewise, key), SeedCipher(&blocks, key);
                for (size_t i = 1; i + 1 < data.size(); ++i) expected[i] = NextCipherByte(&bytewise, expected[i]);
                int64_t at = 1;  // the first and last bytes lie outside every call
                for (int64_t n : sizes) apply(&blocks, data.data(), at, n), at += n;
                ASSERT_EQ(data, expected) << name << ", key " << key << ", split " << &sizes - splits.data();
                EXPECT_EQ(std::memcmp(&blocks, &bytewise, sizeof blocks), 0) << name;  // the whole state, indices too
            }
        }
    }
}
