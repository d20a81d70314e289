#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "dtb_kit.h"
#include "tree_pairing.h"

namespace {

// The pairing of the two files' top-level siblings: for each of x's, the position in y it pairs with, or "-";
// "(by position)" after it when the alignment gave up.
std::string Pairs(const DtbBuilder& x, const DtbBuilder& y, std::vector<int32_t>* pairOfA = nullptr) {
    TestDocument a, b;
    a.Load(x), b.Load(y);
    PairingSide sa, sb;
    std::vector<int32_t> la, lb, pairs;
    if (PrepareSide(a.get(), &sa, a.get()) != 0 || PrepareSide(b.get(), &sb, a.get()) != 0 ||
        !ChildItems(sa, -1, &la) || !ChildItems(sb, -1, &lb))
        return "failed";
    const PairingResult result = PairSiblings(sa, la, sb, lb, &pairs);
    std::string text;
    for (int32_t p : pairs) text += (text.empty() ? "" : " ") + (p < 0 ? std::string("-") : std::to_string(p));
    if (pairOfA) *pairOfA = pairs;
    return result == PairingByPosition ? text + " (by position)" : text;
}

DtbBuilder Values(const std::vector<uint32_t>& values) {
    DtbBuilder b = DtbBuilder().Top(static_cast<uint16_t>(values.size()));
    for (uint32_t v : values) b.Scalar(0, v);
    return b;
}

// Two named nodes of one child each, as (number, name, value) twice.
DtbBuilder Two(int32_t n1, const char* x, uint32_t v1, int32_t n2, const char* y, uint32_t v2) {
    return DtbBuilder().Top(2).Node(16, 2, n1).Text(5, x).Scalar(0, v1).Node(16, 2, n2).Text(5, y).Scalar(0, v2);
}

}  // namespace

// Named nodes pair by name wherever they stand (a shared name in order), never with another name; the unnamed
// siblings align by equal subtrees, and what is left between two aligned pairs pairs where the shape agrees.
TEST(TreePairing, NamesFirstThenTheRestInOrder) {
    EXPECT_EQ(Pairs(Two(1, "a", 1, 2, "b", 5), Two(1, "a", 1, 2, "b", 6)), "0 1");
    EXPECT_EQ(Pairs(Two(1, "a", 1, 2, "b", 5), Two(1, "a", 1, 2, "c", 5)), "0 -");
    EXPECT_EQ(Pairs(Two(1, "a", 1, 2, "a", 5), Two(1, "a", 1, 9, "a", 5)), "0 1");
    EXPECT_EQ(Pairs(Two(1, "a", 1, 2, "b", 5), Two(2, "b", 5, 1, "a", 1)), "1 -");  // swapped: the second moved
    EXPECT_EQ(Pairs(Values({1, 2, 3}), Values({9, 1, 2, 3})), "1 2 3");
    EXPECT_EQ(Pairs(Values({1, 2, 3, 4}), Values({1, 3, 4})), "0 - 1 2");
    EXPECT_EQ(Pairs(Values({1, 2, 3}), DtbBuilder().Top(3).Scalar(0, 1).Node(16, 0, 4).Scalar(0, 3)), "0 - 2");
    // A name outweighs an unnamed sibling that would cross it, whichever file comes first.
    const DtbBuilder valueFirst = DtbBuilder().Top(2).Scalar(0, 1).Node(16, 2, 0).Text(5, "n").Scalar(0, 2);
    const DtbBuilder nodeFirst = DtbBuilder().Top(2).Node(16, 3, 0).Text(5, "n").Scalar(0, 3).Scalar(0, 4).Scalar(0, 1);
    EXPECT_EQ(Pairs(valueFirst, nodeFirst), "- 0");
    EXPECT_EQ(Pairs(nodeFirst, valueFirst), "1 -");
}

// Pairing y with x gives the pairs of x with y the other way round, whatever the lists: of equally good pairings
// the lists' contents choose, never which side holds them.
TEST(TreePairing, TheSameBothWays) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::mt19937 seedA(rng() % 6), seedB(rng() % 6);
        const int32_t size = 3 + static_cast<int32_t>(rng() % 40);
        const DtbBuilder x = RandomTree(seedA, size, 1), y = RandomTree(seedB, size, 1);
        std::vector<int32_t> xy, yx;
        Pairs(x, y, &xy);
        Pairs(y, x, &yx);
        std::vector<int32_t> back(yx.size(), -1);
        for (size_t i = 0; i < xy.size(); ++i)
            if (xy[i] >= 0) back[static_cast<size_t>(xy[i])] = static_cast<int32_t>(i);
        EXPECT_EQ(back, yx) << "round " << round;
    }
}
