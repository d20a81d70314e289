#include <gtest/gtest.h>

#include <cstring>

#include "chunk_path.h"
#include "dtb_kit.h"

namespace {

std::string PathOf(TestDocument& doc, const PathIndex& index, int32_t chunk) {
    char path[256];
    int32_t length = FormatChunkPath(doc.get(), &index, chunk, path, sizeof path);
    return length == static_cast<int32_t>(std::strlen(path)) ? path : "length " + std::to_string(length);
}

// What a typed path selects: the chunk, or the refusal.
std::string Resolve(TestDocument& doc, const PathIndex& index, const char* path) {
    char why[256] = "";
    int32_t chunk = FindChunkByPath(doc.get(), &index, path, why, sizeof why);
    return chunk >= 0 ? std::to_string(chunk) : why;
}

}  // namespace

// Names where they are unique, positions where there is no name or it is shared, escapes where a name could be
// read as something else; every path reads back to its chunk.
TEST(ChunkPath, EveryChunkHasOneThatReadsBack) {
    TestDocument doc;
    DtbBuilder b;
    b.Top(4).Node(16, 3, 1).Text(5, "settings").Node(16, 3, 2).Text(5, "window").Scalar(0, 42).Text(2, "t");
    b.Scalar(1, 0).Node(16, 4, 3).Text(5, "items").Node(16, 2, 4).Text(5, "item").Scalar(0, 7);
    b.Node(16, 2, 5).Text(5, "item").Text(2, "lava").Node(17, 0, 6).Node(16, 1, 7).Text(5, "12");
    doc.Load(b.Node(19, 1, 8).Text(5, std::string("a/b[1]\\\t\0x", 10)));
    PathIndex index = {};
    ASSERT_EQ(BuildPathIndex(doc.get(), &index), 0);
    const std::string expected =
        "settings settings/0 settings/window settings/window/0 settings/window/1 settings/window/2 settings/2 items "
        "items/0 items/item[1] items/item[1]/0 items/item[1]/1 items/item[2] items/item[2]/0 items/item[2]/1 items/3 "
        "\\12 \\12/0 a\\/b\\[1\\]\\\\\\x09 a\\/b\\[1\\]\\\\\\x09/0";
    std::string paths;
    for (int32_t i = 0; i < doc->ChunkCount; ++i) {
        std::string path = PathOf(doc, index, i);
        paths += (i ? " " : "") + path;
        EXPECT_EQ(Resolve(doc, index, path.c_str()), std::to_string(i)) << path;
    }
    EXPECT_EQ(paths, expected);
    // Positions reach named chunks too, and a needless [position] is taken.
    EXPECT_EQ(Resolve(doc, index, "0/1/1") + " " + Resolve(doc, index, "settings[0]/window[1]"), "4 2");
    char cut[6];
    EXPECT_EQ(FormatChunkPath(doc.get(), &index, 14, cut, sizeof cut), 15);
    EXPECT_EQ(std::string(cut), "items");

    const struct {
        const char* path;
        const char* why;
    } refused[] = {
        {"", "The path is empty."},
        {"items/item",
         "Several nodes at \"items/item\" are named \"item\": add the position of the one meant, as in "
         "name[position]."},
        {"items/item[3]", "There is no chunk at \"items/item[3]\"."},
        {"items/9", "There is no chunk at \"items/9\"."},
        {"12", "There is no chunk at \"12\"."},
        {"settings/window/1/0", "\"settings/window/1\" is not a node: nothing is under it."},
        {"settings//window", "A path has no empty steps: it is names and positions joined by single '/'."},
        {"settings/", "A path has no empty steps: it is names and positions joined by single '/'."},
        {"settings\\", "The path ends with a '\\' that escapes nothing."},
        {"a\\x4", "\\x in a path must be followed by two hex digits."},
        {"items/item[x]",
         "In \"item[x]\", '[' must be followed by a position and ']' at the end of the step (write \\[ for a '[' in a "
         "name)."},
        {"99999999999", "The position 99999999999 is past any chunk's."},
        {"0000000012", "There is no chunk at \"0000000012\"."},  // ten digits are still read
    };
    for (const auto& r : refused) EXPECT_EQ(Resolve(doc, index, r.path), r.why) << r.path;
    FreePathIndex(&index);
}

// #N is chunk N of the table, as dtbtool list numbers it; a name that begins with '#' is written after a '\', so
// that it never reads as a number, while a '#' followed by anything but digits still reads as a name.
TEST(ChunkPath, NumbersNameChunksOfTheTable) {
    TestDocument doc;
    DtbBuilder b = DtbBuilder().Top(4).Node(16, 1, 1).Text(5, "#3").Scalar(0, 7).Scalar(0, 8);
    doc.Load(b.Node(16, 2, 2).Text(5, "#").Text(2, "x"));
    PathIndex index = {};
    ASSERT_EQ(BuildPathIndex(doc.get(), &index), 0);
    std::string paths;
    for (int32_t i = 0; i < doc->ChunkCount; ++i) {
        std::string path = PathOf(doc, index, i);
        paths += (i ? " " : "") + path;
        EXPECT_EQ(Resolve(doc, index, path.c_str()), std::to_string(i)) << path;
    }
    EXPECT_EQ(paths, "\\#3 \\#3/0 1 2 \\# \\#/0 \\#/1");
    const struct {
        const char* path;
        const char* chunk;  // or the refusal
    } cases[] = {
        {"#0", "0"},
        {"#3", "3"},
        {"#6", "6"},
        {"#7", "There is no chunk #7: the file has 7 chunks."},
        {"#99999999999999999999999", "There is no chunk #99999999999999999999999: the file has 7 chunks."},
        {"#3/0", "1"},  // a step of a longer path is a name
        {"#", "4"},
        {"#12abc", "There is no chunk at \"#12abc\"."},
    };
    for (const auto& c : cases) EXPECT_EQ(Resolve(doc, index, c.path), c.chunk) << c.path;
    FreePathIndex(&index);
}

TEST(ChunkPath, RandomTreesReadBack) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        TestDocument doc;
        ASSERT_EQ(doc.Load(RandomTree(rng, 300)), 0);
        PathIndex index = {};
        ASSERT_EQ(BuildPathIndex(doc.get(), &index), 0);
        for (int32_t i = 0; i < doc->ChunkCount; ++i) {
            std::string path = PathOf(doc, index, i);
            ASSERT_EQ(Resolve(doc, index, path.c_str()), std::to_string(i)) << path;
        }
        FreePathIndex(&index);
    }
}

// The top level holds whatever the table does: positions past a node's 65,535 children read there, not under a node.
TEST(ChunkPath, TopLevelPositionsPassANodesBound) {
    TestDocument doc;
    DtbBuilder b = DtbBuilder().Top(65535);
    for (int32_t i = 0; i < 70000; ++i) b.Scalar(0, static_cast<uint32_t>(i));
    doc.Load(b.Node(16, 2, 1).Text(5, "last").Scalar(0, 9));
    PathIndex index = {};
    ASSERT_EQ(BuildPathIndex(doc.get(), &index), 0);
    EXPECT_EQ(Resolve(doc, index, "65536") + " " + Resolve(doc, index, "last/1") + " " + PathOf(doc, index, 70002),
              "65536 70002 last/1");
    EXPECT_EQ(Resolve(doc, index, "70001"), "There is no chunk at \"70001\".");
    EXPECT_EQ(Resolve(doc, index, "last/65536"), "The position 65536 is past any chunk's.");
    FreePathIndex(&index);
}
