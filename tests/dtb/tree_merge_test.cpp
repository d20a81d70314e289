#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "dtb_kit.h"
#include "tree_check.h"
#include "tree_diff.h"
#include "tree_edit.h"
#include "tree_merge.h"
#include "tree_shape.h"

namespace {

// One random edit among the children of node parent: a scalar's value
// changed, an integer inserted, or a child removed; never where a name
// would come or go (an identifier, a chunk after a childless node).
void Edit(Document* doc, int32_t parent, std::mt19937& rng) {
    TreeShape shape = {};
    BuildTreeShape(doc, true, &shape);
    std::vector<int32_t> kids;
    for (int32_t c = shape.Items[ItemOfChunk(&shape, parent)].FirstChild; c != -1; c = shape.Items[c].NextSibling)
        kids.push_back(c);
    auto afterChildless = [&](size_t k) {
        return k > 0 && shape.Items[kids[k - 1]].HasChildren && shape.Items[kids[k - 1]].FirstChild == -1;
    };
    for (int tries = 0; tries < 20; ++tries) {
        size_t k = rng() % (kids.size() + 1);
        int32_t chunk = k < kids.size() ? shape.Items[kids[k]].Chunk : SubtreeEnd(doc, parent);
        uint32_t type = k < kids.size() ? doc->Chunks[chunk].Type : 0;
        int what = static_cast<int>(rng() % 3);
        if (what == 0 && k < kids.size() && IsScalarType(type)) {
            doc->Chunks[chunk].Value[0] ^= 1;
        } else if (what == 1 && !afterChildless(k) && (k > 0 || doc->Chunks[parent + 1].Type != kTypeIdentifier)) {
            ChunkRecord r = {0, {uint8_t(rng()), 0, 0, 0, 0, 0}, 0, 0, 0};
            InsertChunkAt(doc, &r, chunk);
            AdjustParentCount(doc, parent, 1);
        } else if (what == 2 && k < kids.size() && type != kTypeIdentifier && !afterChildless(k)) {
            RemoveSubtree(doc, chunk, parent, true);
        } else {
            continue;
        }
        break;
    }
    FreeTreeShape(&shape);
}

// The merge into out: each conflict's places as "base,ours,theirs;", or "failed".
std::string Merged(TestDocument& base, TestDocument& ours, TestDocument& theirs, MergeFavor favor, TestDocument& out) {
    MergeConflicts list = {};
    int32_t result = MergeDocuments(base.get(), ours.get(), theirs.get(), favor, out.get(), &list);
    std::string where;
    for (int32_t k = 0; k < list.Count; ++k)
        where += std::to_string(list.Items[k].Base) + "," + std::to_string(list.Items[k].Ours) + "," +
                 std::to_string(list.Items[k].Theirs) + ";";
    FreeConflicts(&list);
    return result == 0 ? where : "failed";
}

}  // namespace

// Edits in places apart merge into what applying both gives, and the merge
// checks clean; a comparison is empty exactly when the bytes agree.
TEST(TreeMerge, DisjointEditsMergeAsBothApplied) {
    std::mt19937 rng(22);
    int merged = 0;  // rounds whose two places were apart
    for (int round = 0; round < 150; ++round) {
        DtbBuilder tree = RandomTree(rng, 40);
        TestDocument base, ours, theirs, both, out;
        base.Load(tree), ours.Load(tree), theirs.Load(tree), both.Load(tree);
        std::vector<int32_t> nodes;
        for (int32_t i = 0; i < base->ChunkCount; ++i)
            if (IsNodeType(base.chunk(i).Type) && ChildCountOf(base.chunk(i)) > 0) nodes.push_back(i);
        if (nodes.size() < 2) continue;
        int32_t p1 = nodes[rng() % nodes.size()], p2 = nodes[rng() % nodes.size()];
        if (p1 > p2) std::swap(p1, p2);
        if (p2 < SubtreeEnd(base.get(), p1)) continue;  // one inside the other: the same place
        uint32_t seed = rng();
        std::mt19937 r1(seed), r2(seed + 1), r3(seed), r4(seed + 1);
        Edit(ours.get(), p1, r1);
        Edit(theirs.get(), p2, r2);
        Edit(both.get(), p2, r4);  // the later place first, so p1 still stands where it stood
        Edit(both.get(), p1, r3);
        EXPECT_EQ(Merged(base, ours, theirs, FavorNone, out), "") << "round " << round;
        EXPECT_EQ(out.Rows(), both.Rows()) << "round " << round;
        EXPECT_EQ(CheckTreeCounts(out.get(), nullptr, nullptr), 0);
        ++merged;

        DifferenceList list = {};
        for (TestDocument* other : {&ours, &base}) {
            ASSERT_EQ(CompareDocuments(base.get(), other->get(), &list), 0);
            EXPECT_EQ(list.Count == 0, base.Saved() == other->Saved()) << "round " << round;
        }
        FreeDifferences(&list);
    }
    EXPECT_GT(merged, 100);  // most rounds must test a merge, not skip it
}

// Files from a few seeds often coincide: no difference listed exactly then,
// and another key alone is the key's line.
TEST(TreeMerge, NoDifferenceExactlyWhenTheBytesAgree) {
    std::mt19937 rng(7);
    int same = 0;
    for (int round = 0; round < 400; ++round) {
        TestDocument a, b;
        std::mt19937 seedA(rng() % 6), seedB(rng() % 6);
        a.Load(RandomTree(seedA, 3, 1));
        b.Load(RandomTree(seedB, 3, 1));
        b->Key = 99;
        DifferenceList list = {};
        ASSERT_EQ(CompareDocuments(a.get(), b.get(), &list), 0);
        b->Key = a->Key;
        bool bytesAgree = a.Saved() == b.Saved();
        same += bytesAgree;
        EXPECT_EQ(list.Count == 1, bytesAgree) << "round " << round;
        EXPECT_EQ(list.Items[0].Kind, DifferenceKey);
        FreeDifferences(&list);
    }
    EXPECT_GT(same, 10);
}

// The same place changed two ways is a conflict, which a favor settles; one
// side's change to the key and the header is kept.
TEST(TreeMerge, ConflictsAndFavors) {
    auto file = [](uint32_t v, uint32_t w, uint8_t h0) {
        return DtbBuilder().Header({h0, 1, 0, 0, 0, 0, 0}).Node(16, 3, 1).Text(5, "s").Scalar(0, v).Scalar(0, w);
    };
    TestDocument base, ours, theirs, out;
    base.Load(file(1, 2, 0)), ours.Load(file(5, 2, 0)), theirs.Load(file(6, 3, 7));
    theirs->Key = 44;
    EXPECT_EQ(Merged(base, ours, theirs, FavorNone, out), "2,2,2;");
    EXPECT_EQ(Merged(base, ours, theirs, FavorTheirs, out), "2,2,2;");
    EXPECT_EQ(out.Rows(), theirs.Rows());
    EXPECT_EQ(out->Key, 44u);
    EXPECT_EQ(Merged(base, ours, theirs, FavorOurs, out), "2,2,2;");
    TestDocument oursWon;
    oursWon.Load(file(5, 3, 7));
    EXPECT_EQ(out.Rows(), oursWon.Rows());
    // A removal against a change: the place is the removed chunk's.
    TestDocument removed;
    removed.Load(DtbBuilder().Top(1).Node(16, 2, 1).Text(5, "s").Scalar(0, 2));
    EXPECT_EQ(Merged(base, removed, theirs, FavorNone, out), "2,-1,2;");
    // Headers changed two ways.
    TestDocument header;
    header.Load(file(1, 2, 9));
    EXPECT_EQ(Merged(base, header, theirs, FavorNone, out), "-1,-1,-1;");
    // Without memory for the result, the merge says so.
    TestAllocator memory;
    memory.failFrom = 0;
    TestDocument starved(memory.Blocks());
    EXPECT_EQ(Merged(base, ours, theirs, FavorTheirs, starved) + "|" + starved.log(),
              "failed|0:Could not allocate memory.\n");
}
