#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "chunk_types.h"
#include "dtb_kit.h"
#include "tree_check.h"
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
    for (int32_t k = 0; k < list.Count(); ++k)
        where += std::to_string(list.Items[k].Base) + "," + std::to_string(list.Items[k].Ours) + "," +
                 std::to_string(list.Items[k].Theirs) + ";";
    FreeConflicts(&list);
    return result == 0 ? where : "failed";
}

// One node holding these integers.
DtbBuilder ListOf(const std::vector<uint32_t>& values) {
    DtbBuilder b = DtbBuilder().Top(1).Node(16, static_cast<uint16_t>(values.size()), 0);
    for (uint32_t v : values) b.Scalar(0, v);
    return b;
}

// Where doc's list (as ListOf makes it) first differs from values, as
// "position got wanted", or ""; both sorted first when sorted.
std::string FirstDifference(TestDocument& doc, std::vector<uint32_t> values, bool sorted = false) {
    std::vector<uint32_t> got;
    for (int32_t i = 1; i < doc->ChunkCount; ++i) got.push_back(ReadU32(doc.chunk(i).Value));
    if (sorted) std::sort(got.begin(), got.end()), std::sort(values.begin(), values.end());
    size_t k =
        static_cast<size_t>(std::mismatch(got.begin(), got.end(), values.begin(), values.end()).first - got.begin());
    return got == values ? "" : Joined(k, k < got.size() ? got[k] : 0, k < values.size() ? values[k] : 0);
}

}  // namespace

// Edits in places apart merge into what applying both gives, and the merge
// checks clean.
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
    }
    EXPECT_GT(merged, 100);  // most rounds must test a merge, not skip it
}

// One list longer than 2,000 siblings, edited by both sides in a few places
// (insertions and changes to values never used before, removals): edits a
// sibling apart all come through, in their places; nearer ones conflict or
// all come through, if in places that equally good readings of a side's
// edits allow.
TEST(TreeMerge, LongListsKeepEveryEdit) {
    std::mt19937 rng(3);
    uint32_t fresh = 1u << 20;
    for (int round = 0; round < 40; ++round) {
        // Slot 2k + 1 holds base sibling k, slot 2k what is inserted before it; 0 is nothing.
        const size_t slots = 2 * (2001 + rng() % 600) + 1, hot = rng() % (slots - 4);  // where edits crowd
        std::vector<uint32_t> base(slots), sides[2], lists[4];                         // base, ours, theirs, both
        std::vector<size_t> touched[2];
        for (size_t s = 1; s < slots; s += 2) base[s] = static_cast<uint32_t>(s);
        for (int side = 0; side < 2; ++side) {
            sides[side] = base;
            for (int edits = 1 + static_cast<int>(rng() % 6); edits > 0; --edits) {
                size_t s = rng() % 3 ? rng() % slots : hot + rng() % 4;
                sides[side][s] = s % 2 && rng() % 2 ? 0 : fresh++;
                touched[side].push_back(s);
            }
        }
        bool near = false, clash = false;
        for (size_t x : touched[0])
            for (size_t y : touched[1]) near = near || (x > y ? x - y : y - x) <= 2;
        for (size_t s = 0; s < slots; ++s) {
            const uint32_t was = base[s], ours = sides[0][s], theirs = sides[1][s];
            clash = clash || (ours != was && theirs != was && ours != theirs);
            const uint32_t now[4] = {was, ours, theirs, ours != was ? ours : theirs};
            for (int k = 0; k < 4; ++k)
                if (now[k]) lists[k].push_back(now[k]);
        }
        TestDocument b, o, t, out;
        b.Load(ListOf(lists[0])), o.Load(ListOf(lists[1])), t.Load(ListOf(lists[2]));
        std::string conflicts = Merged(b, o, t, FavorNone, out);
        EXPECT_EQ(near ? "" : conflicts + FirstDifference(out, lists[3]), "") << "round " << round;
        EXPECT_EQ(clash || !conflicts.empty() ? "" : FirstDifference(out, lists[3], true), "") << "round " << round;
    }
}

// The same place changed two ways is a conflict, which a favor settles; one
// side's change to the key and the header is kept. A list changed past the
// alignment's bound is taken whole when the other side left it alone, and is
// one conflict, said in words, when not.
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
    for (MergeFavor favor : {FavorOurs, FavorTheirs}) {  // a favor settles the header too
        const std::string listed = Merged(base, header, theirs, favor, out);
        EXPECT_EQ(listed + std::to_string(out->HeaderBytes[0]), favor == FavorOurs ? "-1,-1,-1;9" : "-1,-1,-1;7");
    }
    std::vector<uint32_t> many;  // 10,001 values for 1: 10,002 siblings removed and added
    for (uint32_t v = 100; v <= 10100; ++v) many.push_back(v);
    TestDocument one, rewritten, changed, settled;
    one.Load(ListOf({7})), rewritten.Load(ListOf(many)), changed.Load(ListOf({8}));
    std::string alone = Merged(one, rewritten, one, FavorNone, out),
                both = Merged(one, rewritten, changed, FavorTheirs, settled);
    EXPECT_EQ(alone + FirstDifference(out, many) + out.log(), "");
    EXPECT_EQ(both + FirstDifference(settled, {8}) + settled.log(),
              "0,0,0;2:The children of 0 were changed on both sides, one of them by more than 10000 siblings removed "
              "and added, too many to align: they are one conflict.\n");
    // Without memory for the result, the merge says so.
    TestAllocator memory;
    memory.failFrom = 0;
    TestDocument starved(memory.Blocks());
    EXPECT_EQ(Merged(base, ours, theirs, FavorTheirs, starved) + "|" + starved.log(),
              "failed|0:Could not allocate memory.\n");
}
