#include <gtest/gtest.h>

#include "find_match.h"
#include "test_support.h"

TEST(FindMatch, SearchesTextChunksForwardWithoutWrappingIgnoringCase) {
    TestDocument doc;
    // 0 node, 1 its identifier, 2 xabcx, 3 integer, 4 type 7, 5 abc again
    doc.Load(DtbBuilder().Top(4).Node(16, 1, 0).Text(5, "ABCnode").Text(33, "xabcx").Scalar(0, 1).Text(7, "abc")
                 .Text(2, "--aBc"));
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "ABC", true, WesternCaseFold()), 1);
    EXPECT_EQ(FindNextChunk(doc.get(), 2, "ABC", true, WesternCaseFold()), 2);  // start is the chunk after the selection
    EXPECT_EQ(FindNextChunk(doc.get(), 3, "ABC", true, WesternCaseFold()), 5);  // type 7 is never searched
    EXPECT_TRUE(doc.messages.empty());
    EXPECT_EQ(FindNextChunk(doc.get(), 6, "ABC", true, WesternCaseFold()), -1);  // no wrap
    ASSERT_EQ(doc.messages.size(), 1u);
    EXPECT_EQ(doc.last(), "Could not find string.");
    EXPECT_EQ(doc.messages[0].kind, ReportExclamation);
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "", true, WesternCaseFold()), -1);  // silently
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "1", true, WesternCaseFold()), -1);  // numbers are not text
    EXPECT_EQ(doc.messages.size(), 2u);

    // Identifiers not searched (hidden in the tree): every type-5 chunk is passed over.
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "node", false, WesternCaseFold()), -1);
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "node", true, WesternCaseFold()), 1);

    // Case folds in the Western code page, and payloads are read whole.
    const std::pair<uint8_t, uint8_t> folds[] = {{'Q', 'q'},   {0xC9, 0xE9}, {0xD7, 0xD7},  // the multiplication sign
                                                 {0xDF, 0xDF}, {0x8A, 0x9A}, {0x9F, 0xFF}, {0xE9, 0xE9}};
    for (const auto& f : folds) EXPECT_EQ(WesternCaseFold()->lower[f.first], f.second) << int(f.first);
    std::string tail(5000, 'a');
    tail.replace(4000, 5, "N\xC9" "EDL");
    doc.Load(DtbBuilder().Top(3).Text(32, tail).Text(32, std::string("ab\0needle", 9)).Text(18, "caf\xC9"));
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "n\xE9" "edl", true, WesternCaseFold()), 0);  // far past any view's buffer
    EXPECT_EQ(FindNextChunk(doc.get(), 1, "needle", true, WesternCaseFold()), -1);     // behind a zero byte
    EXPECT_EQ(FindNextChunk(doc.get(), 1, "CAF\xE9", true, WesternCaseFold()), 2);
}
