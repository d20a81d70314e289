#include "tree_diff.h"

#include <cstring>
#include <new>
#include <vector>

#include "chunk_types.h"
#include "document.h"
#include "tree_pairing.h"

namespace {

void Add(DifferenceList* list, DifferenceKind kind, int32_t a, int32_t b, int32_t place) {
    list->Items.push_back({kind, a, b, place});
}

// The header's count is judged by what it says of the file: a count that
// follows the top-level chunks there are is no difference of its own, and
// neither is a count both files say alike (a top-level chunk added or
// removed shows as itself).
bool SameHeader(const Document* a, const PairingSide& sa, const Document* b, const PairingSide& sb) {
    if (std::memcmp(a->HeaderBytes, b->HeaderBytes, kHeaderSize) == 0) return true;
    for (int k = 0; k < kHeaderSize; ++k)
        if ((k < 1 || k > 2) && a->HeaderBytes[k] != b->HeaderBytes[k]) return false;
    return TopLevelCountOf(*a) - sa.Shape.TopLevelCount == TopLevelCountOf(*b) - sb.Shape.TopLevelCount;
}

// One pair of sibling lists being walked: the pairs, removals and additions
// in the order of the documents.
struct Frame {
    std::vector<int32_t> a;  // items, as Entry::A / Entry::B index them
    std::vector<int32_t> b;
    int32_t parentA;  // item
    struct Entry {
        int32_t A;  // position in a, or -1
        int32_t B;
        int32_t Before;  // additions: the position in a they would come before
    };
    std::vector<Entry> entries;
    size_t next = 0;
};

// The lists too different to align: the first one's parent item in the
// first document, and how many.
struct Unaligned {
    int32_t first = -1;
    int32_t count = 0;
};

bool PlanFrame(const PairingSide& sa, int32_t parentA, const PairingSide& sb, int32_t parentB, Frame* f,
               Unaligned* unaligned) {
    f->parentA = parentA;
    if (!ChildItems(sa, parentA, &f->a) || !ChildItems(sb, parentB, &f->b)) return false;
    std::vector<int32_t> pairOfA;
    PairingResult paired = PairSiblings(sa, f->a, sb, f->b, &pairOfA);
    if (paired == PairingFailed) return false;
    if (paired == PairingByPosition && unaligned->count++ == 0) unaligned->first = parentA;
    std::vector<bool> pairedB(f->b.size(), false);
    for (int32_t p : pairOfA)
        if (p >= 0) pairedB[static_cast<size_t>(p)] = true;
    size_t i = 0, j = 0;
    while (i < f->a.size() || j < f->b.size()) {
        if (i < f->a.size() && pairOfA[i] < 0) {
            f->entries.push_back({static_cast<int32_t>(i++), -1, -1});
        } else if (j < f->b.size() && !pairedB[j]) {
            f->entries.push_back({-1, static_cast<int32_t>(j++), static_cast<int32_t>(i)});
        } else {
            f->entries.push_back({static_cast<int32_t>(i++), static_cast<int32_t>(j++), -1});
        }
    }
    return true;
}

// The chunk of the first document nearest to where an addition would go.
int32_t PlaceOfAddition(const PairingSide& sa, const Frame& f, const Frame::Entry& e) {
    size_t before = static_cast<size_t>(e.Before);
    int32_t item = before < f.a.size() ? f.a[before] : !f.a.empty() ? f.a.back() : f.parentA;
    return item >= 0 ? sa.Shape.Items[item].Chunk : -1;
}

bool Walk(const PairingSide& sa, const PairingSide& sb, DifferenceList* list, Unaligned* unaligned) {
    std::vector<Frame> stack(1);
    if (!PlanFrame(sa, -1, sb, -1, &stack.back(), unaligned)) return false;
    while (!stack.empty()) {
        Frame& f = stack.back();
        if (f.next == f.entries.size()) {
            stack.pop_back();
            continue;
        }
        Frame::Entry e = f.entries[f.next++];
        int32_t itemA = e.A >= 0 ? f.a[static_cast<size_t>(e.A)] : -1;
        int32_t itemB = e.B >= 0 ? f.b[static_cast<size_t>(e.B)] : -1;
        int32_t chunkA = itemA >= 0 ? sa.Shape.Items[itemA].Chunk : -1;
        int32_t chunkB = itemB >= 0 ? sb.Shape.Items[itemB].Chunk : -1;
        if (itemB < 0) {
            Add(list, DifferenceRemoved, chunkA, -1, chunkA);
            continue;
        }
        if (itemA < 0) {
            Add(list, DifferenceAdded, -1, chunkB, PlaceOfAddition(sa, f, e));
            continue;
        }
        if (!SameChunk(sa, itemA, sb, itemB)) Add(list, DifferenceChanged, chunkA, chunkB, chunkA);
        // Equal subtrees hold nothing to report; the hash says so at once.
        if (sa.Hash[itemA] == sb.Hash[itemB] && SameSubtree(sa, itemA, sb, itemB)) continue;
        if (sa.Shape.Items[itemA].HasChildren && sb.Shape.Items[itemB].HasChildren) {
            stack.emplace_back();  // f is stale from here on
            if (!PlanFrame(sa, itemA, sb, itemB, &stack.back(), unaligned)) return false;
        }
    }
    return true;
}

// The key, the header, then the trees. False when a pairing runs out of
// memory; the list's own growth throws.
bool Compare(const PairingSide& sa, const PairingSide& sb, DifferenceList* list, Unaligned* unaligned) {
    const Document* a = sa.Doc;
    const Document* b = sb.Doc;
    if (a->Key != b->Key) Add(list, DifferenceKey, -1, -1, -1);
    if (!SameHeader(a, sa, b, sb)) Add(list, DifferenceHeader, -1, -1, -1);
    return Walk(sa, sb, list, unaligned);
}

}  // namespace

int32_t CompareDocuments(const Document* a, const Document* b, DifferenceList* list) {
    list->Items.clear();
    PairingSide sa, sb;
    if (PrepareSide(a, &sa, a) != 0 || PrepareSide(b, &sb, a) != 0) return -1;
    Unaligned unaligned;
    bool done;
    try {
        done = Compare(sa, sb, list, &unaligned);
    } catch (const std::bad_alloc&) {
        done = false;
    }
    if (!done) {
        list->Items.clear();
        ReportOutOfMemory(a);
        return -1;
    }
    if (unaligned.count > 0) {
        char lists[kMessageSize / 2];
        NameSiblingLists(sa, unaligned.first, unaligned.count - 1, lists, sizeof lists);
        ReportFormat(a, ReportWarning,
                     "%s differ by more than %d siblings removed and added, too many to align: they are compared "
                     "by position.",
                     lists, kAlignEditLimit);
    }
    return 0;
}

void FreeDifferences(DifferenceList* list) { *list = DifferenceList(); }
