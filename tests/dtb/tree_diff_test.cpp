#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "chunk_path.h"
#include "display_text.h"
#include "dtb_kit.h"
#include "tree_diff.h"

namespace {

struct Paths {
    const Document* doc;
    PathIndex index = {};
    explicit Paths(const Document* d) : doc(d) { BuildPathIndex(doc, &index); }
    ~Paths() { FreePathIndex(&index); }
    std::string operator()(int32_t chunk) const {
        char path[256];
        FormatChunkPath(doc, &index, chunk, path, sizeof path);
        return path;
    }
};

std::string ValueText(const Document* doc, int32_t chunk) {
    char text[256];
    FormatChunkText(doc, chunk, text, sizeof text, " ", true);
    return text;
}

// The differences of a and b as the lines a user reads them; places gets where each one is in a, as [path],
// and log the messages through a's hook.
std::vector<std::string> Lines(const DtbBuilder& a, const DtbBuilder& b, uint32_t keyB = 0,
                               std::string* places = nullptr, std::string* log = nullptr) {
    TestDocument da, db;
    da.Load(a);
    db.Load(b);
    db->Key = keyB;
    DifferenceList list = {};
    std::vector<std::string> lines;
    if (CompareDocuments(da.get(), db.get(), &list) != 0) return {"failed"};
    Paths pathA(da.get()), pathB(db.get());
    for (int32_t k = 0; k < list.Count(); ++k) {
        const Difference& d = list.Items[k];
        if (places) *places += "[" + pathA(d.PlaceA) + "]";
        switch (d.Kind) {
        case DifferenceAdded:
            lines.push_back("+ " + pathB(d.ChunkB) + "  " + ValueText(db.get(), d.ChunkB));
            break;
        case DifferenceRemoved:
            lines.push_back("- " + pathA(d.ChunkA) + "  " + ValueText(da.get(), d.ChunkA));
            break;
        case DifferenceChanged:
            lines.push_back("~ " + pathA(d.ChunkA) + "  " + ValueText(da.get(), d.ChunkA) + " -> " +
                            ValueText(db.get(), d.ChunkB));
            break;
        case DifferenceHeader:
            lines.push_back("~ header");
            break;
        case DifferenceKey:
            lines.push_back("~ key");
            break;
        }
    }
    FreeDifferences(&list);
    if (log) *log = da.log();
    return lines;
}

// The differences' places in a, alone.
std::string Places(const DtbBuilder& a, const DtbBuilder& b) {
    std::string places;
    Lines(a, b, 0, &places);
    return places;
}

// settings{window{42, "t"}, 7}, list{...} under header: the list counts listCount, its children follow.
DtbBuilder Base(uint16_t listCount = 4, const std::vector<uint8_t>& header = {0, 2, 0, 0, 0, 0, 0}) {
    DtbBuilder b;
    b.Header(header).Node(16, 3, 1).Text(5, "settings").Node(16, 3, 2).Text(5, "window").Scalar(0, 42).Text(2, "t");
    return b.Scalar(0, 7).Node(17, listCount, 3);
}

// Base with the list holding these integers.
DtbBuilder List(const std::vector<uint32_t>& values) {
    DtbBuilder b = Base(static_cast<uint16_t>(values.size()));
    for (uint32_t v : values) b.Scalar(0, v);
    return b;
}

typedef std::vector<std::string> Lines_;

}  // namespace

// Each kind of edit shows as the one difference a user made, at its path.
TEST(TreeDiff, EditsShowAsTheyWereMade) {
    EXPECT_EQ(Lines(List({1, 2, 3, 4}), List({1, 2, 3, 4})), Lines_{});
    // An insertion in the middle is one addition; later siblings are not changed.
    EXPECT_EQ(Lines(List({1, 2, 3, 4}), List({1, 2, 9, 3, 4})), Lines_{"+ 1/2  Integer(0x00) 9"});
    EXPECT_EQ(Lines(List({1, 2, 3, 4}), List({1, 3, 4})), Lines_{"- 1/1  Integer(0x00) 2"});
    // Two siblings that swapped: one of them moved, shown where it went and where it came from.
    Lines_ swapped = Lines(List({1, 2, 3, 4}), List({2, 1, 3, 4}));
    EXPECT_TRUE(swapped == (Lines_{"- 1/0  Integer(0x00) 1", "+ 1/1  Integer(0x00) 1"}) ||
                swapped == (Lines_{"+ 1/0  Integer(0x00) 2", "- 1/1  Integer(0x00) 2"}))
        << testing::PrintToString(swapped);
    // A value and a type within one shape are changes; across shapes a removal and an addition.
    EXPECT_EQ(Lines(List({1, 2, 3, 4}), Base().Scalar(0, 1).Scalar(1, 2).Text(2, "x").Scalar(0, 5)),
              (Lines_{"~ 1/1  Integer(0x00) 2 -> Float(0x01) 0.000000", "+ 1/2  Function(0x02) x",
                      "~ 1/2  Integer(0x00) 3 -> Integer(0x00) 5", "- 1/3  Integer(0x00) 4"}));
}

// Where each difference is in the first file, for a view of it to go to:
// a removal or change at its own chunk, an addition at the chunk now in its
// place, else the last sibling, else the parent, else nowhere.
TEST(TreeDiff, PlacesInTheFirstFile) {
    EXPECT_EQ(Places(List({1, 2, 3, 4}), List({1, 2, 9, 3, 4})), "[1/2]");
    EXPECT_EQ(Places(List({1, 2, 3, 4}), List({1, 2, 3, 4, 9})), "[1/3]");
    EXPECT_EQ(Places(List({1, 2, 3, 4}), List({1, 3, 5})), "[1/1][1/3]");
    EXPECT_EQ(Places(List({}), List({9})), "[1]");
    EXPECT_EQ(Places(DtbBuilder().Top(0), DtbBuilder().Top(1).Scalar(0, 9)), "[]");
    EXPECT_EQ(Places(List({1, 2, 3, 4}), List({1, 2, 3, 4})), "");
}

// Files from a few seeds often coincide: no difference listed exactly then,
// another key alone being the key's line.
TEST(TreeDiff, RandomFilesAlikeHaveNoDifference) {
    std::mt19937 rng(7);
    int same = 0;
    for (int round = 0; round < 400; ++round) {
        std::mt19937 seedA(rng() % 6), seedB(rng() % 6);
        const int32_t size = 3 + static_cast<int32_t>(rng() % 40);
        TestDocument a, b;
        a.Load(RandomTree(seedA, size, 1)), b.Load(RandomTree(seedB, size, 1));
        b->Key = 99;
        DifferenceList list = {};
        ASSERT_EQ(CompareDocuments(a.get(), b.get(), &list), 0);
        b->Key = a->Key;
        bool bytesAgree = a.Saved() == b.Saved();
        same += bytesAgree;
        EXPECT_EQ(list.Count() == 1, bytesAgree) << "round " << round;
        EXPECT_EQ(list.Items[0].Kind, DifferenceKey);
        FreeDifferences(&list);
    }
    EXPECT_GT(same, 10);
}

// The key and the header's own bytes are differences; a top-level count that
// follows an added chunk is not.
TEST(TreeDiff, KeyAndHeader) {
    EXPECT_EQ(Lines(Base(0), Base(0), 0x1234), Lines_{"~ key"});
    EXPECT_EQ(Lines(Base(0), Base(0, {9, 2, 0, 0, 0, 0, 0})), Lines_{"~ header"});
    EXPECT_EQ(Lines(Base(0), Base(0, {0, 3, 0, 0, 0, 0, 0}).Scalar(0, 8)), Lines_{"+ 2  Integer(0x00) 8"});
    EXPECT_EQ(Lines(Base(0), Base(0, {0, 3, 0, 0, 0, 0, 0})), Lines_{"~ header"});
    // Headers alike are no difference, whatever the chunks after them.
    EXPECT_EQ(Lines(DtbBuilder().Top(3).Scalar(0, 1), DtbBuilder().Top(3).Scalar(0, 1).Scalar(0, 2)),
              Lines_{"+ 1  Integer(0x00) 2"});
}

// A list as long as a node allows aligns by its few differences; past the
// alignment's bound the middles pair by position, and a warning says so. A
// chain as deep as a file allows takes no stack.
TEST(TreeDiff, BoundsHold) {
    std::vector<uint32_t> a(65534), b;
    std::iota(a.begin(), a.end(), 0);
    b = a;
    b.insert(b.begin(), 99999);
    b[60000] = 7;
    EXPECT_EQ(Lines(List(a), List(b)),
              (Lines_{"+ 1/0  Integer(0x00) 99999", "~ 1/59999  Integer(0x00) 59999 -> Integer(0x00) 7"}));

    // 5,001 values changed are 10,002 siblings removed and added.
    a.resize(5001), b = a;
    for (uint32_t& v : b) v += 5001;
    std::string log;
    EXPECT_EQ(Lines(List(a), List(b), 0, nullptr, &log).back(), "~ 1/5000  Integer(0x00) 5000 -> Integer(0x00) 10001");
    EXPECT_EQ(log,
              "2:The children of 1 differ by more than 10000 siblings removed and added, too many to align: they are "
              "compared by position.\n");

    DtbBuilder deepA = DtbBuilder().Top(1), deepB = DtbBuilder().Top(1);
    for (int k = 0; k < 100000; ++k) {
        deepA.Node(16, 1, k);
        deepB.Node(16, 1, k);
    }
    EXPECT_EQ(Lines(deepA.Scalar(0, 1), deepB.Scalar(0, 2)).size(), 1u);
}
