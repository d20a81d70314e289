#include <gtest/gtest.h>

#include "find_match.h"
#include "table_fixture.h"

TEST(FindMatch, SearchesTextChunksForwardWithoutWrapping) {
    TestDocument doc;
    doc->ShowAsTree = 1;
    doc->ShowIdentifiers = 1;
    // 0 node, 1 its identifier, 2 xabcx, 3 integer, 4 type 7, 5 abc again
    Fill(doc, {N(1, 0), S("ABCnode"), S("xabcx", 33), I(1), S("abc", 7), S("--aBc", 2)}, 4);
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "ABC"), 1);
    EXPECT_EQ(FindNextChunk(doc.get(), 2, "ABC"), 2);  // start is the chunk after the selection
    EXPECT_EQ(FindNextChunk(doc.get(), 3, "ABC"), 5);  // type 7 is never searched
    EXPECT_TRUE(doc.messages.empty());
    EXPECT_EQ(FindNextChunk(doc.get(), 6, "ABC"), -1);  // no wrap
    ASSERT_EQ(doc.messages.size(), 1u);
    EXPECT_EQ(doc.messages[0].text, "Could not find string.");
    EXPECT_EQ(doc.messages[0].kind, ReportExclamation);
    EXPECT_EQ(FindNextChunk(doc.get(), 0, ""), -1);  // silently
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "1"), -1);  // numbers are not text
    EXPECT_EQ(doc.messages.size(), 2u);

    // Hidden identifiers: every type-5 chunk is passed over in the tree view,
    // none in the list view.
    doc->ShowIdentifiers = 0;
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "node"), -1);
    doc->ShowAsTree = 0;
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "node"), 1);
}

TEST(FindMatch, FoldsCaseInTheWesternCodePageAndReadsWholePayloads) {
    EXPECT_EQ(LowerCaseByte('Q'), 'q');
    EXPECT_EQ(LowerCaseByte(0xC9), 0xE9);  // E acute
    EXPECT_EQ(LowerCaseByte(0xD7), 0xD7);  // the multiplication sign has no case
    EXPECT_EQ(LowerCaseByte(0xDF), 0xDF);  // sharp s is lower case already
    EXPECT_EQ(LowerCaseByte(0x8A), 0x9A);
    EXPECT_EQ(LowerCaseByte(0x9F), 0xFF);
    EXPECT_EQ(LowerCaseByte(0xE9), 0xE9);

    TestDocument doc;
    std::string tail(5000, 'a');
    tail.replace(4000, 5, "N\xC9" "EDL");
    Fill(doc, {S(tail, 32), S(std::string("ab\0needle", 9), 32), S("caf\xC9", 18)}, 3);
    EXPECT_EQ(FindNextChunk(doc.get(), 0, "n\xE9" "edl"), 0);  // far past any view's buffer
    EXPECT_EQ(FindNextChunk(doc.get(), 1, "needle"), -1);     // behind a zero byte
    EXPECT_EQ(FindNextChunk(doc.get(), 1, "CAF\xE9"), 2);
}
