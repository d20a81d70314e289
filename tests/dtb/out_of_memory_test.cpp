// Memory running out at any allocation of the functions that build lists: each says so once and fails whole.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "chunk_path.h"
#include "dtb_kit.h"
#include "find_replace.h"
#include "tree_diff.h"
#include "tree_merge.h"

static int allocationsLeft = -1;  // before the one that fails; -1: none fails, -2: it has failed

void* operator new(std::size_t n) {
    if (allocationsLeft == 0) {
        allocationsLeft = -2;
        throw std::bad_alloc();
    }
    if (allocationsLeft > 0) --allocationsLeft;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"  // the blocks are malloc's, as some compilers miss
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

// Fails entry's first allocation, then its second...: each failed run returns -1 and tells doc once; the last, 0.
static void FailEachAllocation(const char* name, TestDocument& doc, const std::function<int32_t()>& entry) {
    for (int k = 0; allocationsLeft != 0; ++k) {
        doc.messages.clear();
        allocationsLeft = k;
        const int32_t result = entry();
        const bool failed = allocationsLeft == -2;
        allocationsLeft = failed ? -1 : 0;
        EXPECT_EQ(Joined(result, doc.log()), failed ? "-1 0:Could not allocate memory.\n" : "0 ") << name << " " << k;
    }
    allocationsLeft = -1;
}

TEST(OutOfMemory, EveryListBuilderFailsWhole) {
    auto tree = [](uint32_t v) { return DtbBuilder().Top(3).Node(16, 2, 1).Text(5, "a").Scalar(0, v).Text(2, "t"); };
    TestDocument base, ours, theirs, merged;
    base.Load(tree(1)), ours.Load(tree(5)), theirs.Load(tree(1).Node(17, 0, 2));
    TreeShape shape;
    PathIndex index;
    DifferenceList differences;
    MergeConflicts conflicts;
    const FindOptions options = SearchBoxOptions("t", true, nullptr);
    FailEachAllocation("shape", base, [&] { return BuildTreeShape(base.get(), true, &shape); });
    FailEachAllocation("paths", base, [&] { return BuildPathIndex(base.get(), &index); });
    FailEachAllocation("compare", base, [&] { return CompareDocuments(base.get(), ours.get(), &differences); });
    FailEachAllocation("merge", merged, [&] {
        return MergeDocuments(base.get(), ours.get(), theirs.get(), FavorNone, merged.get(), &conflicts);
    });
    FailEachAllocation("finder", base, [&] {
        Finder* finder = MakeFinder(base.get(), options);
        FreeFinder(finder);
        return finder ? 0 : -1;
    });
    EXPECT_EQ(Joined(shape.ItemCount(), index.Named.size(), differences.Count(), conflicts.Count()), "4 1 1 0");
}
