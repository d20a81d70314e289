#include "tree_pairing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "chunk_types.h"
#include "report.h"

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

// Within a stretch that the alignment left unpaired, what still has the same
// shape on both sides pairs in order: a value or a type that changed.
void PairLeftovers(const PairingSide& A, const std::vector<int32_t>& a, const std::vector<int32_t>& ua, size_t i0,
                   size_t i1, const PairingSide& B, const std::vector<int32_t>& b, const std::vector<int32_t>& ub,
                   size_t j0, size_t j1, std::vector<int32_t>* pairOfA) {
    size_t j = j0;
    for (size_t i = i0; i < i1 && j < j1; ++i) {
        size_t k = j;
        while (k < j1 && ShapeOf(A, a[ua[i]]) != ShapeOf(B, b[ub[k]])) ++k;
        if (k == j1) continue;
        (*pairOfA)[ua[i]] = static_cast<int32_t>(ub[k]);
        j = k + 1;
    }
}

// Keeps the largest set of pairs whose order agrees on both sides; the rest
// (siblings that swapped places) become a removal and an addition.
void KeepOrdered(std::vector<int32_t>* pairOfA) {
    std::vector<int32_t>& pairs = *pairOfA;
    std::vector<int32_t> tails;  // positions in a, by the length of the run they end
    std::vector<int32_t> before(pairs.size(), -1);
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i] < 0) continue;
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
        if (!kept[i]) pairs[i] = -1;
}

}  // namespace

int32_t PrepareSide(const Document* doc, PairingSide* side) {
    side->Doc = doc;
    side->Shape = TreeShape{};
    side->Hash = nullptr;
    if (BuildTreeShape(doc, true, &side->Shape) != 0) return -1;
    const int32_t n = side->Shape.ItemCount;
    side->Hash = static_cast<uint64_t*>(std::malloc(static_cast<size_t>(n > 0 ? n : 1) * sizeof(uint64_t)));
    if (!side->Hash) {
        FreeSide(side);
        ReportOutOfMemory(doc);
        return -1;
    }
    // Children come after their parent, so one backward pass has every
    // child's hash ready when its parent is reached.
    const TreeItem* items = side->Shape.Items;
    for (int32_t i = n - 1; i >= 0; --i) {
        uint64_t h = OwnHash(doc, items[i]);
        for (int32_t c = items[i].FirstChild; c != -1; c = items[c].NextSibling) h = Combine(h, side->Hash[c]);
        side->Hash[i] = h;
    }
    return 0;
}

void FreeSide(PairingSide* side) {
    FreeTreeShape(&side->Shape);
    std::free(side->Hash);
    side->Hash = nullptr;
}

void ChildItems(const PairingSide& side, int32_t parentItem, std::vector<int32_t>* out) {
    out->clear();
    const TreeItem* items = side.Shape.Items;
    int32_t first = parentItem == -1 ? (side.Shape.ItemCount > 0 ? 0 : -1) : items[parentItem].FirstChild;
    for (int32_t c = first; c != -1; c = items[c].NextSibling) out->push_back(c);
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
    const TreeItem* ia = a.Shape.Items;
    const TreeItem* ib = b.Shape.Items;
    const int32_t depthA = ia[itemA].Depth;
    const int32_t depthB = ib[itemB].Depth;
    for (int32_t k = 0;; ++k) {
        int32_t x = itemA + k;
        int32_t y = itemB + k;
        bool inA = x < a.Shape.ItemCount && (k == 0 || ia[x].Depth > depthA);
        bool inB = y < b.Shape.ItemCount && (k == 0 || ib[y].Depth > depthB);
        if (inA != inB) return false;
        if (!inA) return true;
        if (ia[x].Depth - depthA != ib[y].Depth - depthB || !SameChunk(a, x, b, y)) return false;
    }
}

void PairSiblings(const PairingSide& A, const std::vector<int32_t>& a, const PairingSide& B,
                  const std::vector<int32_t>& b, std::vector<int32_t>* pairOfA) {
    pairOfA->assign(a.size(), -1);
    std::vector<Named> namedA, namedB;
    std::vector<int32_t> ua, ub;  // positions of the unnamed siblings
    for (size_t i = 0; i < a.size(); ++i) {
        PayloadView name = NameOfItem(A, a[i]);
        if (name.Length)
            namedA.push_back({name, static_cast<int32_t>(i)});
        else
            ua.push_back(static_cast<int32_t>(i));
    }
    for (size_t j = 0; j < b.size(); ++j) {
        PayloadView name = NameOfItem(B, b[j]);
        if (name.Length)
            namedB.push_back({name, static_cast<int32_t>(j)});
        else
            ub.push_back(static_cast<int32_t>(j));
    }

    // Named nodes: the k-th of a name on one side with the k-th on the other.
    auto byName = [](const Named& x, const Named& y) {
        int c = CompareNames(x.name, y.name);
        return c != 0 ? c < 0 : x.position < y.position;
    };
    std::sort(namedA.begin(), namedA.end(), byName);
    std::sort(namedB.begin(), namedB.end(), byName);
    for (size_t i = 0, j = 0; i < namedA.size() && j < namedB.size();) {
        int c = CompareNames(namedA[i].name, namedB[j].name);
        if (c == 0) (*pairOfA)[static_cast<size_t>(namedA[i].position)] = namedB[j].position;
        if (c <= 0) ++i;
        if (c >= 0) ++j;
    }

    // The rest as a sequence: the common start and end, then the middle.
    auto same = [&](size_t i, size_t j) { return A.Hash[a[ua[i]]] == B.Hash[b[ub[j]]]; };
    const size_t n = ua.size();
    const size_t m = ub.size();
    size_t start = 0;
    while (start < n && start < m && same(start, start)) {
        (*pairOfA)[ua[start]] = ub[start];
        ++start;
    }
    size_t end = 0;
    while (end < n - start && end < m - start && same(n - 1 - end, m - 1 - end)) {
        (*pairOfA)[ua[n - 1 - end]] = ub[m - 1 - end];
        ++end;
    }
    const size_t rows = n - start - end;
    const size_t cols = m - start - end;
    if (rows == 0 || cols == 0) return KeepOrdered(pairOfA);
    if (static_cast<int64_t>(rows) * static_cast<int64_t>(cols) > kAlignCellLimit) {
        for (size_t k = 0; k < rows && k < cols; ++k)
            if (ShapeOf(A, a[ua[start + k]]) == ShapeOf(B, b[ub[start + k]])) (*pairOfA)[ua[start + k]] = ub[start + k];
        return KeepOrdered(pairOfA);
    }
    // length[i][j]: the longest common run of the middles' suffixes from i and j.
    const size_t width = cols + 1;
    std::vector<int32_t> length((rows + 1) * width, 0);
    for (size_t i = rows; i-- > 0;)
        for (size_t j = cols; j-- > 0;)
            length[i * width + j] = same(start + i, start + j)
                                        ? length[(i + 1) * width + j + 1] + 1
                                        : std::max(length[(i + 1) * width + j], length[i * width + j + 1]);
    size_t i = 0, j = 0, gapI = 0, gapJ = 0;
    while (i < rows && j < cols) {
        if (same(start + i, start + j) && length[i * width + j] == length[(i + 1) * width + j + 1] + 1) {
            PairLeftovers(A, a, ua, start + gapI, start + i, B, b, ub, start + gapJ, start + j, pairOfA);
            (*pairOfA)[ua[start + i]] = ub[start + j];
            gapI = ++i;
            gapJ = ++j;
        } else if (length[(i + 1) * width + j] >= length[i * width + j + 1]) {
            ++i;
        } else {
            ++j;
        }
    }
    PairLeftovers(A, a, ua, start + gapI, start + rows, B, b, ub, start + gapJ, start + cols, pairOfA);
    KeepOrdered(pairOfA);
}
