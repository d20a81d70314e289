#include "tree_pairing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "chunk_path.h"
#include "chunk_types.h"
#include "document.h"

namespace {

uint64_t Mix(uint64_t h) {
    h ^= h >> 30;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    return h ^ (h >> 31);
}

uint64_t Combine(uint64_t h, uint64_t v) { return Mix(h * 0x9E3779B97F4A7C15ull + v); }

// Counts the table leaves a node short of, so that two nodes that look the
// same but are cut at different places still differ.
int32_t CountGap(const TreeItem& t, const ChunkRecord& r) { return ChildCountOf(r) - t.Placed; }

uint64_t OwnHash(const Document* doc, const TreeItem& t) {
    const ChunkRecord& r = doc->Chunks[t.Chunk];
    uint64_t h = Mix(r.Type + 1);
    switch (ShapeOfType(r.Type)) {
    case ShapeScalar:
        return Combine(h, ReadU32(r.Value));
    case ShapeNode:
        return Combine(Combine(h, static_cast<uint32_t>(NodeNumberOf(r))), static_cast<uint32_t>(CountGap(t, r)));
    case ShapePool: {
        const uint8_t* p = doc->Pool + r.PoolOffset;
        h = Combine(h, static_cast<uint32_t>(r.Length));
        int32_t k = 0;
        for (; k + 8 <= r.Length; k += 8) {
            uint64_t word;
            std::memcpy(&word, p + k, 8);
            h = Combine(h, word);
        }
        for (; k < r.Length; ++k) h = Combine(h, p[k]);
        return h;
    }
    default:
        return h;
    }
}

ChunkShape ShapeOf(const PairingSide& side, int32_t item) { return ShapeOfType(side.Shape.Items[item].Image); }

// A node's name (its identifier's shown text), or an empty view: the same
// rule as the chunk paths', so that names pair where paths name.
PayloadView NameOfItem(const PairingSide& side, int32_t item) {
    return NodeNameOf(side.Doc, side.Shape.Items[item].Chunk);
}

struct Named {
    PayloadView name;
    int32_t position;
};

int CompareNames(PayloadView x, PayloadView y) {
    int c = std::memcmp(x.Text, y.Text, std::min(x.Length, y.Length));
    if (c != 0) return c;
    return x.Length < y.Length ? -1 : x.Length > y.Length ? 1 : 0;
}

// Keeps, among the pairs of the positions in a that consider says, the
// largest set whose order agrees on both sides.
template <typename Consider>
void KeepLongestRun(std::vector<int32_t>* pairOfA, Consider consider) {
    std::vector<int32_t>& pairs = *pairOfA;
    std::vector<int32_t> tails;  // positions in a, by the length of the run they end
    std::vector<int32_t> before(pairs.size(), -1);
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i] < 0 || !consider(i)) continue;
        auto at = std::lower_bound(tails.begin(), tails.end(), pairs[i],
                                   [&](int32_t t, int32_t v) { return pairs[static_cast<size_t>(t)] < v; });
        if (at != tails.begin()) before[i] = at[-1];
        if (at == tails.end()) {
            tails.push_back(static_cast<int32_t>(i));
        } else {
            *at = static_cast<int32_t>(i);
        }
    }
    std::vector<bool> kept(pairs.size(), false);
    for (int32_t i = tails.empty() ? -1 : tails.back(); i >= 0; i = before[static_cast<size_t>(i)])
        kept[static_cast<size_t>(i)] = true;
    for (size_t i = 0; i < pairs.size(); ++i)
        if (consider(i) && !kept[i]) pairs[i] = -1;
}

// Undoes pairs that cross (siblings that swapped places): they become a
// removal and an addition. A name is the surer sign of the same node, so
// named pairs keep their order first and the others give way to them; the
// others never cross each other, as the alignment made them in order.
void KeepOrdered(const std::vector<bool>& named, std::vector<int32_t>* pairOfA) {
    std::vector<int32_t>& pairs = *pairOfA;
    KeepLongestRun(pairOfA, [&](size_t i) { return named[i]; });
    std::vector<int32_t> nextNamed(pairs.size() + 1, INT32_MAX);  // the b position of the next named pair
    for (size_t i = pairs.size(); i-- > 0;) nextNamed[i] = named[i] && pairs[i] >= 0 ? pairs[i] : nextNamed[i + 1];
    int32_t lastNamed = -1;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i] < 0) continue;
        if (named[i])
            lastNamed = pairs[i];
        else if (pairs[i] < lastNamed || pairs[i] > nextNamed[i + 1])
            pairs[i] = -1;
    }
}

// The fewest removals and additions that turn x into y, found from both ends
// at once (a middle stretch of the best path, then each half the same way),
// so that the memory is the lists' length and the time their length times
// the removals and additions. The pairs of equal elements it keeps are
// written to pairOfX.
class Alignment {
public:
    Alignment(const std::vector<uint64_t>& x, const std::vector<uint64_t>& y, std::vector<int32_t>* pairOfX)
        : x_(x), y_(y), pairOfX_(*pairOfX), offset_(static_cast<int32_t>(y.size()) + 1) {
        forward_.resize(x.size() + y.size() + 3);
        backward_.resize(x.size() + y.size() + 3);
    }

    // False when more than limit removals and additions are needed.
    bool Run(int32_t limit) {
        return Align(0, static_cast<int32_t>(x_.size()), 0, static_cast<int32_t>(y_.size()), limit);
    }

private:
    // Each half of a best path needs at most half of its removals and
    // additions: the halves cannot pass the limit, and the depth is about
    // the logarithm of their number.
    bool Align(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t limit) {
        for (; x0 < x1 && y0 < y1 && x_[x0] == y_[y0]; ++x0, ++y0) pairOfX_[x0] = y0;
        for (; x0 < x1 && y0 < y1 && x_[x1 - 1] == y_[y1 - 1]; --x1, --y1) pairOfX_[x1 - 1] = y1 - 1;
        if (x0 == x1 || y0 == y1) return (x1 - x0) + (y1 - y0) <= limit;
        int32_t midX = 0, midY = 0;
        if (!Middle(x0, x1, y0, y1, limit, &midX, &midY)) return false;
        Align(x0, midX, y0, midY, INT32_MAX);
        Align(midX, x1, midY, y1, INT32_MAX);
        return true;
    }

    // A point on a best path through [x0, x1) x [y0, y1), on diagonals
    // k = x - y: forward_[k] is the furthest x a path from the start reaches
    // on k with the removals and additions so far, backward_[k] the nearest
    // x a path from the end reaches. Where they meet, the path is best.
    bool Middle(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t limit, int32_t* midX, int32_t* midY) {
        int32_t* forward = forward_.data() + offset_;
        int32_t* backward = backward_.data() + offset_;
        const int32_t lowest = x0 - y1, highest = x1 - y0;  // the diagonals inside the box
        const int32_t startK = x0 - y0, endK = x1 - y1;
        const bool odd = ((startK - endK) & 1) != 0;
        int32_t fLow = startK, fHigh = startK, bLow = endK, bHigh = endK;
        forward[startK] = x0;
        backward[endK] = x1;
        for (int32_t cost = 1;; ++cost) {
            // Each round adds a removal or an addition at each end: a path
            // found from the start now needs 2 * cost - 1, from the end 2 * cost.
            if (2 * static_cast<int64_t>(cost) - 1 > limit) return false;
            if (fLow > lowest)
                forward[--fLow - 1] = -1;
            else
                ++fLow;
            if (fHigh < highest)
                forward[++fHigh + 1] = -1;
            else
                --fHigh;
            for (int32_t k = fHigh; k >= fLow; k -= 2) {
                int32_t x = forward[k - 1] < forward[k + 1] ? forward[k + 1] : forward[k - 1] + 1;
                int32_t y = x - k;
                for (; x < x1 && y < y1 && x_[x] == y_[y]; ++x, ++y) continue;
                forward[k] = x;
                if (odd && bLow <= k && k <= bHigh && backward[k] <= x) {
                    *midX = x, *midY = y;
                    return true;
                }
            }
            if (2 * static_cast<int64_t>(cost) > limit) return false;
            if (bLow > lowest)
                backward[--bLow - 1] = INT32_MAX;
            else
                ++bLow;
            if (bHigh < highest)
                backward[++bHigh + 1] = INT32_MAX;
            else
                --bHigh;
            for (int32_t k = bHigh; k >= bLow; k -= 2) {
                int32_t x = backward[k - 1] < backward[k + 1] ? backward[k - 1] : backward[k + 1] - 1;
                int32_t y = x - k;
                for (; x > x0 && y > y0 && x_[x - 1] == y_[y - 1]; --x, --y) continue;
                backward[k] = x;
                if (!odd && fLow <= k && k <= fHigh && x <= forward[k]) {
                    *midX = x, *midY = y;
                    return true;
                }
            }
        }
    }

    const std::vector<uint64_t>& x_;
    const std::vector<uint64_t>& y_;
    std::vector<int32_t>& pairOfX_;
    const int32_t offset_;  // of diagonal 0 in the two below: the lowest, -m, has a guard before it
    std::vector<int32_t> forward_, backward_;
};

// One list's siblings split by whether they are named: the named with
// their names, by name and then position, and the positions of the others.
struct NameSplit {
    std::vector<Named> named;
    std::vector<int32_t> unnamed;
};

NameSplit SplitByName(const PairingSide& side, const std::vector<int32_t>& list) {
    NameSplit split;
    for (size_t i = 0; i < list.size(); ++i) {
        PayloadView name = NameOfItem(side, list[i]);
        if (name.Length)
            split.named.push_back({name, static_cast<int32_t>(i)});
        else
            split.unnamed.push_back(static_cast<int32_t>(i));
    }
    std::sort(split.named.begin(), split.named.end(), [](const Named& x, const Named& y) {
        int c = CompareNames(x.name, y.name);
        return c != 0 ? c < 0 : x.position < y.position;
    });
    return split;
}

// The k-th node of a name on one side pairs with the k-th on the other.
void PairByName(const NameSplit& a, const NameSplit& b, std::vector<int32_t>* pairOfA) {
    for (size_t i = 0, j = 0; i < a.named.size() && j < b.named.size();) {
        int c = CompareNames(a.named[i].name, b.named[j].name);
        if (c == 0) (*pairOfA)[static_cast<size_t>(a.named[i].position)] = b.named[j].position;
        if (c <= 0) ++i;
        if (c >= 0) ++j;
    }
}

// The unnamed siblings of both lists as two sequences: the k-th of A's is
// a[ua[k]], a position in list a.
struct Sequences {
    const PairingSide& A;
    const std::vector<int32_t>& a;
    const std::vector<int32_t>& ua;
    const PairingSide& B;
    const std::vector<int32_t>& b;
    const std::vector<int32_t>& ub;
    uint64_t HashA(size_t i) const { return A.Hash[a[ua[i]]]; }
    uint64_t HashB(size_t j) const { return B.Hash[b[ub[j]]]; }
    bool SameShape(size_t i, size_t j) const { return ShapeOf(A, a[ua[i]]) == ShapeOf(B, b[ub[j]]); }
    void Pair(size_t i, size_t j, std::vector<int32_t>* pairOfA) const { (*pairOfA)[ua[i]] = ub[j]; }
};

// Within a stretch that the alignment left unpaired, what still has the same
// shape on both sides pairs in order: a value or a type that changed.
void PairLeftovers(const Sequences& s, size_t i0, size_t i1, size_t j0, size_t j1, std::vector<int32_t>* pairOfA) {
    size_t j = j0;
    for (size_t i = i0; i < i1 && j < j1; ++i) {
        size_t k = j;
        while (k < j1 && !s.SameShape(i, k)) ++k;
        if (k == j1) continue;
        s.Pair(i, k, pairOfA);
        j = k + 1;
    }
}

// The middles, rows and cols long from start on: aligned by equal subtrees,
// what that leaves between two of its pairs by shape; or, past the limit,
// by position where the shape agrees.
PairingResult PairMiddles(const Sequences& s, size_t start, size_t rows, size_t cols, std::vector<int32_t>* pairOfA) {
    std::vector<uint64_t> x(rows), y(cols);
    for (size_t i = 0; i < rows; ++i) x[i] = s.HashA(start + i);
    for (size_t j = 0; j < cols; ++j) y[j] = s.HashB(start + j);
    std::vector<int32_t> pairOfX(rows, -1);
    if (!Alignment(x, y, &pairOfX).Run(kAlignEditLimit)) {
        for (size_t k = 0; k < rows && k < cols; ++k)
            if (s.SameShape(start + k, start + k)) s.Pair(start + k, start + k, pairOfA);
        return PairingByPosition;
    }
    size_t gapI = 0, gapJ = 0;
    for (size_t i = 0; i < rows; ++i) {
        if (pairOfX[i] < 0) continue;
        size_t j = static_cast<size_t>(pairOfX[i]);
        PairLeftovers(s, start + gapI, start + i, start + gapJ, start + j, pairOfA);
        s.Pair(start + i, start + j, pairOfA);
        gapI = i + 1;
        gapJ = j + 1;
    }
    PairLeftovers(s, start + gapI, start + rows, start + gapJ, start + cols, pairOfA);
    return PairingAligned;
}

// The common start and end pair as they stand, the middles as above.
PairingResult PairSequences(const Sequences& s, std::vector<int32_t>* pairOfA) {
    const size_t n = s.ua.size();
    const size_t m = s.ub.size();
    size_t start = 0;
    while (start < n && start < m && s.HashA(start) == s.HashB(start)) {
        s.Pair(start, start, pairOfA);
        ++start;
    }
    size_t end = 0;
    while (end < n - start && end < m - start && s.HashA(n - 1 - end) == s.HashB(m - 1 - end)) {
        s.Pair(n - 1 - end, m - 1 - end, pairOfA);
        ++end;
    }
    const size_t rows = n - start - end;
    const size_t cols = m - start - end;
    return rows > 0 && cols > 0 ? PairMiddles(s, start, rows, cols, pairOfA) : PairingAligned;
}

// Named nodes pair by name; the rest pair as a sequence; then pairs that
// cross are undone.
PairingResult PairOneWay(const PairingSide& A, const std::vector<int32_t>& a, const PairingSide& B,
                         const std::vector<int32_t>& b, std::vector<int32_t>* pairOfA) {
    pairOfA->assign(a.size(), -1);
    const NameSplit splitA = SplitByName(A, a);
    const NameSplit splitB = SplitByName(B, b);
    PairByName(splitA, splitB, pairOfA);
    PairingResult result = PairSequences({A, a, splitA.unnamed, B, b, splitB.unnamed}, pairOfA);
    std::vector<bool> named(a.size(), false);
    for (const Named& n : splitA.named) named[static_cast<size_t>(n.position)] = true;
    KeepOrdered(named, pairOfA);
    return result;
}

// Whether list a comes first in an order of lists that does not depend on
// which side holds them: by length, then by their subtrees' hashes.
bool ComesFirst(const PairingSide& A, const std::vector<int32_t>& a, const PairingSide& B,
                const std::vector<int32_t>& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = 0; i < a.size(); ++i)
        if (A.Hash[a[i]] != B.Hash[b[i]]) return A.Hash[a[i]] < B.Hash[b[i]];
    return true;
}

}  // namespace

int32_t PrepareSide(const Document* doc, PairingSide* side, const Document* teller) {
    side->Doc = doc;
    if (BuildTreeShape(doc, true, &side->Shape, teller) != 0) return -1;
    try {
        side->Hash.assign(side->Shape.Items.size(), 0);
    } catch (const std::bad_alloc&) {
        FreeSide(side);
        ReportOutOfMemory(teller);
        return -1;
    }
    // Children come after their parent, so one backward pass has every
    // child's hash ready when its parent is reached.
    const TreeItem* items = side->Shape.Items.data();
    for (int32_t i = side->Shape.ItemCount() - 1; i >= 0; --i) {
        uint64_t h = OwnHash(doc, items[i]);
        for (int32_t c = items[i].FirstChild; c != -1; c = items[c].NextSibling) h = Combine(h, side->Hash[c]);
        side->Hash[i] = h;
    }
    return 0;
}

void FreeSide(PairingSide* side) { *side = PairingSide(); }

bool ChildItems(const PairingSide& side, int32_t parentItem, std::vector<int32_t>* out) {
    out->clear();
    const TreeItem* items = side.Shape.Items.data();
    int32_t first = parentItem == -1 ? (side.Shape.ItemCount() > 0 ? 0 : -1) : items[parentItem].FirstChild;
    try {
        for (int32_t c = first; c != -1; c = items[c].NextSibling) out->push_back(c);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SameChunk(const PairingSide& a, int32_t itemA, const PairingSide& b, int32_t itemB) {
    const TreeItem& ta = a.Shape.Items[itemA];
    const TreeItem& tb = b.Shape.Items[itemB];
    const ChunkRecord& ra = a.Doc->Chunks[ta.Chunk];
    const ChunkRecord& rb = b.Doc->Chunks[tb.Chunk];
    if (ra.Type != rb.Type) return false;
    switch (ShapeOfType(ra.Type)) {
    case ShapeScalar:
        return std::memcmp(ra.Value, rb.Value, 4) == 0;
    case ShapeNode:
        return NodeNumberOf(ra) == NodeNumberOf(rb) && CountGap(ta, ra) == CountGap(tb, rb);
    case ShapePool:
        return ra.Length == rb.Length &&
               (ra.Length == 0 || std::memcmp(a.Doc->Pool + ra.PoolOffset, b.Doc->Pool + rb.PoolOffset,
                                              static_cast<size_t>(ra.Length)) == 0);
    default:
        return true;
    }
}

bool SameSubtree(const PairingSide& a, int32_t itemA, const PairingSide& b, int32_t itemB) {
    const TreeItem* ia = a.Shape.Items.data();
    const TreeItem* ib = b.Shape.Items.data();
    const int32_t depthA = ia[itemA].Depth;
    const int32_t depthB = ib[itemB].Depth;
    for (int32_t k = 0;; ++k) {
        int32_t x = itemA + k;
        int32_t y = itemB + k;
        bool inA = x < a.Shape.ItemCount() && (k == 0 || ia[x].Depth > depthA);
        bool inB = y < b.Shape.ItemCount() && (k == 0 || ib[y].Depth > depthB);
        if (inA != inB) return false;
        if (!inA) return true;
        if (ia[x].Depth - depthA != ib[y].Depth - depthB || !SameChunk(a, x, b, y)) return false;
    }
}

PairingResult PairSiblings(const PairingSide& A, const std::vector<int32_t>& a, const PairingSide& B,
                           const std::vector<int32_t>& b, std::vector<int32_t>* pairOfA) {
    try {
        // Ties between equally good pairings are settled by which list comes
        // first, never by which side a list is on: pairing b with a must give
        // the same pairs, or two comparisons of the same files would disagree.
        if (ComesFirst(A, a, B, b)) return PairOneWay(A, a, B, b, pairOfA);
        std::vector<int32_t> pairOfB;
        PairingResult result = PairOneWay(B, b, A, a, &pairOfB);
        pairOfA->assign(a.size(), -1);
        for (size_t j = 0; j < pairOfB.size(); ++j)
            if (pairOfB[j] >= 0) (*pairOfA)[static_cast<size_t>(pairOfB[j])] = static_cast<int32_t>(j);
        return result;
    } catch (const std::bad_alloc&) {
        return PairingFailed;
    }
}

void NameSiblingLists(const PairingSide& side, int32_t parentItem, int32_t more, char* out, size_t outSize) {
    char path[kMessageSize / 2] = "";
    if (parentItem >= 0) {
        const int32_t chunk = side.Shape.Items[parentItem].Chunk;
        PathIndex index = {};
        if (BuildPathIndex(side.Doc, &index) != 0 || FormatChunkPath(side.Doc, &index, chunk, path, sizeof path) < 0)
            std::snprintf(path, sizeof path, "#%d", chunk);
        FreePathIndex(&index);
    }
    const char* plural = more == 1 ? "" : "s";
    if (parentItem < 0 && more > 0)
        std::snprintf(out, outSize, "The top-level chunks and the children of %d node%s", more, plural);
    else if (parentItem < 0)
        std::snprintf(out, outSize, "The top-level chunks");
    else if (more > 0)
        std::snprintf(out, outSize, "The children of %s and those of %d more node%s", path, more, plural);
    else
        std::snprintf(out, outSize, "The children of %s", path);
}
