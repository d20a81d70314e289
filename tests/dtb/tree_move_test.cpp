#include <gtest/gtest.h>

#include <random>

#include "chunk_types.h"
#include "dtb_kit.h"
#include "journal.h"
#include "tree_check.h"
#include "tree_edit.h"
#include "tree_move.h"

namespace {

// 0 R(3) [1 name "r", 2 A(2) [3 name "a", 4 seven], 5 nine], 6 ten, 7 B(0)
DtbBuilder Small() {
    DtbBuilder b;
    b.Top(3).Node(16, 3, 0).Text(5, "r").Node(16, 2, 1).Text(5, "a").Scalar(0, 7).Scalar(0, 9).Scalar(0, 10);
    return b.Node(17, 0, 2);
}

}  // namespace

// Each place a move can take, and each it cannot: the rows afterwards (the counts follow), or the reason and no
// change at all. Move Up and Move Down trade places with the siblings around, never with a node's name.
TEST(TreeMove, PlacesAndRefusals) {
    const struct {
        int32_t chunk, target;
        MovePlace place;
        const char* rows;  // the table's types and counts, or the report
    } cases[] = {
        {6, 2, MoveFirstChild, "2 16(3) 5 16(3) 5 0 0 0 17(0)"},
        {6, 0, MoveLastChild, "2 16(4) 5 16(2) 5 0 0 0 17(0)"},
        {5, 7, MoveFirstChild, "3 16(2) 5 16(2) 5 0 0 17(1) 0"},
        {2, 6, MoveAfter, "4 16(2) 5 0 0 16(2) 5 0 17(0)"},
        {4, 2, MoveBefore, "3 16(4) 5 0 16(1) 5 0 0 17(0)"},
        {6, 6, MoveBefore, "3 16(3) 5 16(2) 5 0 0 0 17(0)"},
        {0, 4, MoveAfter, "1:A chunk cannot move into its own subtree."},
        {2, 2, MoveLastChild, "1:A chunk cannot move into its own subtree."},
        {3, 0, MoveAfter, "1:A node's name stays its first child: move the node instead."},
        {6, 3, MoveBefore, "1:A node's name stays its first child: nothing can go before it."},
        {6, 4, MoveLastChild, "1:Only a node can hold other chunks."},
    };
    for (const auto& c : cases) {
        TestDocument doc;
        doc.Load(Small());
        const std::vector<uint8_t> before = doc.Saved();
        int32_t now = MoveSubtree(doc.get(), c.chunk, c.target, c.place);
        std::string rows = doc.log().empty() ? std::to_string(TopLevelCountOf(*doc.get())) : doc.log();
        for (int32_t i = 0; doc.log().empty() && i < doc->ChunkCount; ++i) {
            const ChunkRecord& r = doc.chunk(i);
            rows +=
                " " + std::to_string(r.Type) + (IsNodeType(r.Type) ? "(" + std::to_string(ChildCountOf(r)) + ")" : "");
        }
        if (!doc.log().empty()) rows.pop_back();  // the line break
        EXPECT_EQ(rows, c.rows) << c.chunk << " to " << c.target;
        EXPECT_EQ(now < 0, !doc.log().empty()) << c.chunk << " to " << c.target;
        int32_t show = -1;
        if (now >= 0 && UndoChange(doc.get(), &show) == 0) {
            EXPECT_EQ(Joined(show, doc.Saved() == before), Joined(c.chunk, 1));
        }
    }
    TestDocument doc;
    doc.Load(Small());
    EXPECT_EQ(Joined(SiblingBefore(doc.get(), 2), SiblingBefore(doc.get(), 4), SiblingBefore(doc.get(), 6),
                     SiblingAfter(doc.get(), 2), SiblingAfter(doc.get(), 5), SiblingAfter(doc.get(), 3),
                     SiblingBefore(doc.get(), 0), SiblingAfter(doc.get(), 7)),
              "-1 -1 0 5 -1 -1 -1 -1");
    // An identifier after an empty node is its sibling, not its name: it moves up past it.
    TestDocument empty;
    empty.Load(DtbBuilder().Top(2).Node(16, 0, 1).Text(5, "x"));
    EXPECT_EQ(SiblingBefore(empty.get(), 1), 0);
    // A copy may go inside its own subtree, and a name may be copied; a place is refused as for a move.
    EXPECT_EQ(Joined(!WhyNotCopy(doc.get(), 2, 2, MoveLastChild), !WhyNotCopy(doc.get(), 3, 0, MoveAfter),
                     std::string(WhyNotCopy(doc.get(), 6, 3, MoveBefore))),
              "1 1 A node's name stays its first child: nothing can go before it.");
}

// Random moves and copies on random trees: the counts always agree with the table, a move costs the history a few
// bytes whatever it carries, Move Up then Move Down is the identity, and Undo walks back to the file's own bytes
// through every state, Redo forward again.
TEST(TreeMove, RandomMovesKeepTheCountsAndUndoGivesTheBytesBack) {
    std::mt19937 rng(32);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        TestDocument doc;
        doc.Load(RandomTree(rng, 20 + static_cast<int32_t>(rng() % 60), 40));
        std::vector<std::vector<uint8_t>> states = {doc.Saved()};
        for (int step = 0; step < 25; ++step) {
            const int32_t chunk = static_cast<int32_t>(rng() % uint32_t(doc->ChunkCount));
            const int32_t target = static_cast<int32_t>(rng() % uint32_t(doc->ChunkCount));
            const MovePlace place = static_cast<MovePlace>(rng() % 4);
            const size_t bytes = doc->History.Bytes;
            const int32_t done = doc->History.Done;
            const bool copy = rng() % 5 == 0;
            int32_t now =
                copy ? CopySubtree(doc.get(), chunk, target, place) : MoveSubtree(doc.get(), chunk, target, place);
            ASSERT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0) << chunk << " to " << target;
            if (now < 0 || doc->History.Done == done) continue;  // refused, or already there
            if (!copy) {
                EXPECT_LE(doc->History.Bytes - bytes, 200u) << "a move noted what it carried";
            }
            states.push_back(doc.Saved());
            // (An identifier moved first under a node becomes its name, which Move Down leaves where it is.)
            int32_t up = doc.chunk(now).Type == kTypeIdentifier ? -1 : SiblingBefore(doc.get(), now);
            if (up >= 0 && rng() % 2) {
                int32_t moved = MoveSubtree(doc.get(), now, up, MoveBefore);
                states.push_back(doc.Saved());
                ASSERT_EQ(MoveSubtree(doc.get(), moved, SiblingAfter(doc.get(), moved), MoveAfter), now);
                ASSERT_TRUE(doc.Saved() == states[states.size() - 2]) << "Move Up then Move Down changed the table";
                states.push_back(doc.Saved());
            }
        }
        int32_t show = 0;
        for (size_t k = states.size() - 1; k > 0; --k) {
            ASSERT_EQ(UndoChange(doc.get(), &show), 0);
            ASSERT_TRUE(doc.Saved() == states[k - 1]) << "undo " << k;
        }
        while (RedoChange(doc.get(), &show) == 0) {
        }
        EXPECT_TRUE(doc.Saved() == states.back());
    }
}
