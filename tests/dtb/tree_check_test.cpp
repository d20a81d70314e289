#include <gtest/gtest.h>
#include <string>
#include "dtb_kit.h"
#include "chunk_path.h"
#include "journal.h"
#include "tree_check.h"

// The check's lines, one per fault, as the editor and dtbtool show them. With cuts, each line cut to any smaller
// buffer must be the start of the whole, with the whole's length returned.
static std::string FaultLines(TestDocument& doc, bool cuts = false) {
    struct Context {
        TestDocument* doc;
        PathIndex index;
        std::string lines;
        bool cuts;
    } c = {&doc, {}, "", cuts};
    EXPECT_EQ(BuildPathIndex(doc.get(), &c.index), 0);
    auto add = [](void* context, const CountFault* f) {
        Context& c = *static_cast<Context*>(context);
        char line[256];
        const int32_t length = FormatCountFault(c.doc->get(), &c.index, f, line, sizeof line);
        const std::string whole = line;
        EXPECT_EQ(length, static_cast<int32_t>(whole.size()));
        for (size_t size = 1; c.cuts && size <= whole.size(); ++size) {
            char cut[256];
            EXPECT_EQ(FormatCountFault(c.doc->get(), &c.index, f, cut, size), length);
            EXPECT_EQ(cut, whole.substr(0, size - 1));
        }
        c.lines += whole + "\n";
    };
    EXPECT_GE(CheckTreeCounts(doc.get(), add, &c), 0);
    FreePathIndex(&c.index);
    return c.lines;
}

// A place is named by its path too, where it has one: a chunk of an unknown type has none.
TEST(TreeCheck, FaultsNameTheirPlacesByPath) {
    TestDocument doc;
    DtbBuilder b = DtbBuilder().Top(1).Node(16, 3, 1).Text(5, "items").Node(16, 1, 2).Text(5, "item");
    doc.Load(b.Node(16, 3, 3).Text(5, "item").Scalar(0, 1));
    doc->Chunks[6].Type = 3;
    EXPECT_EQ(FaultLines(doc, true),
              "chunk 4 (items/item[2]): node has 1 of its 3 children\n"
              "chunk 6: unknown type 3, counted nowhere\n");
}

// Each broken table is repaired into the table whose counts say what it holds, as one change: undo gives back the
// exact bytes and shows where the repair began, redo the repair again.
TEST(TreeCheck, RepairSetsTheCountsToTheTableAsOneChange) {
    std::string wide(65536 * 8, '\0');  // more top-level chunks than the header can count
    const struct {
        DtbBuilder broken, repaired;
        std::string faults, left;  // the last lines the check finds before the repair, all it finds after
        int32_t changed, shown;
    } cases[] = {
        {DtbBuilder().Top(1).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 3, 2).Scalar(0, 7),
         DtbBuilder().Top(3).Node(16, 1, 1).Scalar(0, 5).Scalar(0, 6).Node(19, 1, 2).Scalar(0, 7),
         "chunk 2 (1): beyond all counts (top-level chunk 2, the header counts 1)\n"
         "chunk 3 (2): beyond all counts (top-level chunk 3, the header counts 1)\n"
         "chunk 3 (2): node has 1 of its 3 children\n"
         "header: top-level count 1, but the table holds 3 top-level chunks\n",
         "", 2, 3},
        {DtbBuilder().Top(1).Node(16, 3, 1).Text(5, "n").Node(17, 2, 2).Node(16, 4, 3),
         DtbBuilder().Top(1).Node(16, 2, 1).Text(5, "n").Node(17, 1, 2).Node(16, 0, 3),
         "chunk 0 (n): node has 2 of its 3 children\nchunk 2 (n/1): node has 1 of its 2 children\n"
         "chunk 3 (n/1/0): node has 0 of its 4 children\n",
         "", 3, 0},
        {DtbBuilder().Top(7).Scalar(0, 1), DtbBuilder().Top(1).Scalar(0, 1),
         "header: top-level count 7, but the table holds 1 top-level chunks\n", "", 1, -2},
        {DtbBuilder().Top(0).Raw(wide.data(), wide.size()), DtbBuilder().Top(65535).Raw(wide.data(), wide.size()),
         "chunk 65535 (65535): beyond all counts (top-level chunk 65536, the header counts 0)\n"
         "header: top-level count 0, but the table holds 65536 top-level chunks\n",
         "chunk 65535 (65535): beyond all counts (top-level chunk 65536, the header counts 65535)\n"
         "header: top-level count 65535, but the table holds 65536 top-level chunks\n",
         1, -2},
    };
    for (const auto& c : cases) {
        TestDocument doc, want;
        doc.Load(c.broken);
        want.Load(c.repaired);
        const std::vector<uint8_t> before = doc.Saved();
        const std::string lines = FaultLines(doc);
        EXPECT_EQ(lines.substr(lines.size() > c.faults.size() ? lines.size() - c.faults.size() : 0), c.faults);
        EXPECT_EQ(RepairTreeCounts(doc.get()), c.changed) << c.faults;
        EXPECT_EQ(doc.Rows(), want.Rows());
        EXPECT_EQ(FaultLines(doc), c.left) << "after the repair";
        int32_t shown = -1, undone = UndoChange(doc.get(), &shown);
        EXPECT_EQ(
            std::to_string(undone) + " shows " + std::to_string(shown) + (CanUndo(doc.get()) ? ", more to undo" : ""),
            "0 shows " + std::to_string(c.shown));
        EXPECT_TRUE(doc.Saved() == before) << "undo gives back other bytes: " << c.faults;
        ASSERT_EQ(RedoChange(doc.get(), &shown), 0);
        EXPECT_EQ(doc.Rows(), want.Rows());
        EXPECT_EQ(doc.log(), "");
    }
    TestDocument clean;  // nothing to repair: no change to undo
    clean.Load(DtbBuilder().Top(2).Node(16, 1, 1).Text(5, "a").Node(17, 0, 2));
    EXPECT_EQ(Joined(RepairTreeCounts(clean.get()), CanUndo(clean.get()), clean->Modified), "0 0 0");
}
