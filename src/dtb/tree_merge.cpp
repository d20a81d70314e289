#include "tree_merge.h"

#include <cstring>
#include <new>
#include <vector>

#include "chunk_types.h"
#include "document.h"
#include "tree_pairing.h"

namespace {

enum ActionKind { CopyOurs, CopyTheirs, MergeAnchor };

struct Action {
    ActionKind Kind;
    int32_t B, O, T;  // items
};

// One level being written: the actions for its children, and the merged
// node they go under (-1: the top level) with the children written so far.
struct Frame {
    std::vector<Action> actions;
    size_t next = 0;
    int32_t out = -1;
    int64_t written = 0;
};

bool SameOwnHeader(const Document* x, const Document* y) {
    return x->HeaderBytes[0] == y->HeaderBytes[0] && std::memcmp(x->HeaderBytes + 3, y->HeaderBytes + 3, 4) == 0;
}

struct Merger {
    PairingSide b, o, t;
    MergeFavor favor;
    Document* merged;
    MergeConflicts* conflicts;
    const char* failure = nullptr;
    int32_t unalignedFirst = -1;  // base item of the first list too different to align, and how many
    int32_t unalignedCount = 0;

    void Conflict(int32_t itemB, int32_t itemO, int32_t itemT) {
        conflicts->Items.push_back({itemB < 0 ? -1 : b.Shape.Items[itemB].Chunk,
                                    itemO < 0 ? -1 : o.Shape.Items[itemO].Chunk,
                                    itemT < 0 ? -1 : t.Shape.Items[itemT].Chunk});
    }

    // The stretch [from, to) of side's list is the base's [baseFrom, baseTo), untouched.
    bool Untouched(const PairingSide& side, const std::vector<int32_t>& list, const std::vector<int32_t>& pairOfB,
                   const std::vector<int32_t>& base, size_t baseFrom, size_t baseTo, size_t from, size_t to) const {
        if (to - from != baseTo - baseFrom) return false;
        for (size_t k = 0; k < baseTo - baseFrom; ++k)
            if (pairOfB[baseFrom + k] != static_cast<int32_t>(from + k) ||
                !SameSubtree(b, base[baseFrom + k], side, list[from + k]))
                return false;
        return true;
    }

    void Stretch(const std::vector<int32_t>& lb, const std::vector<int32_t>& lo, const std::vector<int32_t>& lt,
                 const std::vector<int32_t>& bo, const std::vector<int32_t>& bt, size_t b0, size_t b1, size_t o0,
                 size_t o1, size_t t0, size_t t1, std::vector<Action>* actions) {
        bool takeOurs;
        if (Untouched(o, lo, bo, lb, b0, b1, o0, o1)) {
            takeOurs = false;
        } else if (Untouched(t, lt, bt, lb, b0, b1, t0, t1)) {
            takeOurs = true;
        } else {
            bool agree = o1 - o0 == t1 - t0;
            for (size_t k = 0; agree && k < o1 - o0; ++k) agree = SameSubtree(o, lo[o0 + k], t, lt[t0 + k]);
            if (!agree) Conflict(b0 < b1 ? lb[b0] : -1, o0 < o1 ? lo[o0] : -1, t0 < t1 ? lt[t0] : -1);
            takeOurs = agree || favor != FavorTheirs;
        }
        if (takeOurs) {
            for (size_t k = o0; k < o1; ++k) actions->push_back({CopyOurs, -1, lo[k], -1});
        } else {
            for (size_t k = t0; k < t1; ++k) actions->push_back({CopyTheirs, -1, -1, lt[k]});
        }
    }

    // False when memory runs out.
    bool Plan(int32_t pb, int32_t po, int32_t pt, Frame* f) {
        std::vector<int32_t> lb, lo, lt, bo, bt;
        if (!ChildItems(b, pb, &lb) || !ChildItems(o, po, &lo) || !ChildItems(t, pt, &lt)) return false;
        PairingResult ours = PairSiblings(b, lb, o, lo, &bo);
        PairingResult theirs = PairSiblings(b, lb, t, lt, &bt);
        if (ours == PairingFailed || theirs == PairingFailed) return false;
        // Pairs by position could shift every later one and merge edits
        // into the wrong siblings: such a list is one stretch, which one
        // side takes whole unless both changed it.
        if (ours == PairingByPosition || theirs == PairingByPosition) {
            const size_t before = conflicts->Items.size();
            Stretch(lb, lo, lt, bo, bt, 0, lb.size(), 0, lo.size(), 0, lt.size(), &f->actions);
            if (conflicts->Items.size() == before) return true;
            if (pb >= 0) {  // the list's own node says where it is better than its first child
                conflicts->Items.resize(before);
                Conflict(pb, po, pt);
            }
            if (unalignedCount++ == 0) unalignedFirst = pb;
            return true;
        }
        size_t b0 = 0, o0 = 0, t0 = 0;
        for (size_t i = 0; i <= lb.size(); ++i) {
            bool anchor = i < lb.size() && bo[i] >= 0 && bt[i] >= 0;
            if (!anchor && i < lb.size()) continue;
            size_t o1 = anchor ? static_cast<size_t>(bo[i]) : lo.size();
            size_t t1 = anchor ? static_cast<size_t>(bt[i]) : lt.size();
            if (i > b0 || o1 > o0 || t1 > t0) Stretch(lb, lo, lt, bo, bt, b0, i, o0, o1, t0, t1, &f->actions);
            if (anchor) f->actions.push_back({MergeAnchor, lb[i], lo[o1], lt[t1]});
            b0 = i + 1, o0 = o1 + 1, t0 = t1 + 1;
        }
        return true;
    }

    int32_t Append(const PairingSide& side, int32_t item, int64_t count) {
        if (count > 0xFFFF) {
            failure = "The merged file would have a node of more than 65535 children.";
            return -1;
        }
        ChunkRecord r = side.Doc->Chunks[side.Shape.Items[item].Chunk];
        if (IsPoolType(r.Type)) {
            std::memcpy(merged->Pool + merged->PoolUsed, side.Doc->Pool + r.PoolOffset, static_cast<size_t>(r.Length));
            r.PoolOffset = static_cast<uint32_t>(merged->PoolUsed);
            r.SlotLength = r.Length;
            merged->PoolUsed += r.Length;
        }
        if (IsNodeType(r.Type)) WriteU16(r.Value, static_cast<uint16_t>(count));
        merged->Chunks[merged->ChunkCount] = r;
        return merged->ChunkCount++;
    }

    // A subtree taken whole: its counts become the children it has.
    bool CopySubtree(const PairingSide& side, int32_t item) {
        const TreeItem* items = side.Shape.Items.data();
        for (int32_t x = item; x < side.Shape.ItemCount() && (x == item || items[x].Depth > items[item].Depth); ++x)
            if (Append(side, x, items[x].HasChildren ? items[x].Placed : 0) < 0) return false;
        return true;
    }

    // The anchor's own chunk: the side that changed it, or the favored one.
    const PairingSide* Chosen(const Action& a, int32_t* item) {
        bool oursSame = SameChunk(b, a.B, o, a.O);
        bool theirsSame = SameChunk(b, a.B, t, a.T);
        if (!oursSame && !theirsSame && !SameChunk(o, a.O, t, a.T)) {
            Conflict(a.B, a.O, a.T);
            if (favor == FavorTheirs) theirsSame = false, oursSame = true;
        }
        *item = oursSame ? a.T : a.O;
        return oursSame ? &t : &o;
    }

    // The key is ours unless only theirs changed it; the header's own bytes
    // merge as one value.
    void Start(const Document* base, const Document* ours, const Document* theirs) {
        merged->Key = ours->Key == base->Key ? theirs->Key : ours->Key;
        const Document* header = SameOwnHeader(base, ours) ? theirs : ours;
        if (!SameOwnHeader(base, ours) && !SameOwnHeader(base, theirs) && !SameOwnHeader(ours, theirs)) {
            Conflict(-1, -1, -1);
            if (favor == FavorTheirs) header = theirs;
        }
        std::memcpy(merged->HeaderBytes, header->HeaderBytes, kHeaderSize);
    }

    bool Run() {
        std::vector<Frame> stack(1);
        if (!Plan(-1, -1, -1, &stack.back())) return false;
        while (!stack.empty()) {
            Frame& f = stack.back();
            if (f.next == f.actions.size()) {
                int64_t written = f.written;
                int32_t out = f.out;
                stack.pop_back();
                if (out < 0) {
                    if (written > 0xFFFF) {
                        failure = "The merged file would have more than 65535 chunks at its top level.";
                        return false;
                    }
                    WriteU16(merged->HeaderBytes + 1, static_cast<uint16_t>(written));
                } else if (written > 0xFFFF) {
                    failure = "The merged file would have a node of more than 65535 children.";
                    return false;
                } else {
                    WriteU16(merged->Chunks[out].Value, static_cast<uint16_t>(written));
                }
                continue;
            }
            Action a = f.actions[f.next++];
            f.written += 1;
            if (a.Kind == CopyOurs || a.Kind == CopyTheirs) {
                if (!CopySubtree(a.Kind == CopyOurs ? o : t, a.Kind == CopyOurs ? a.O : a.T)) return false;
                continue;
            }
            int32_t item = -1;
            const PairingSide* side = Chosen(a, &item);
            int32_t out = Append(*side, item, 0);
            if (side->Shape.Items[item].HasChildren) {
                stack.emplace_back();  // f is stale from here on
                stack.back().out = out;
                if (!Plan(a.B, a.O, a.T, &stack.back())) return false;
            }
        }
        return true;
    }
};

}  // namespace

int32_t MergeDocuments(const Document* base, const Document* ours, const Document* theirs, MergeFavor favor,
                       Document* merged, MergeConflicts* conflicts) {
    conflicts->Items.clear();
    Merger m;
    m.favor = favor;
    m.merged = merged;
    m.conflicts = conflicts;
    if (PrepareSide(base, &m.b, merged) != 0 || PrepareSide(ours, &m.o, merged) != 0 ||
        PrepareSide(theirs, &m.t, merged) != 0)
        return -1;
    // Every merged chunk comes from ours or theirs, each at most once.
    int64_t slots = static_cast<int64_t>(ours->ChunkCount) + theirs->ChunkCount;
    int64_t bytes = static_cast<int64_t>(ours->PoolUsed) + theirs->PoolUsed;
    merged->ChunkCount = 0;
    merged->PoolUsed = 0;
    bool done = slots < INT32_MAX && bytes < INT32_MAX &&
                EnsureRoom(merged, static_cast<int32_t>(bytes), static_cast<int32_t>(slots) + 1) == 0;
    try {
        if (done) m.Start(base, ours, theirs);
        done = done && m.Run();
    } catch (const std::bad_alloc&) {
        done = false;
    }
    if (!done) {
        merged->ChunkCount = 0;
        merged->PoolUsed = 0;
        if (m.failure)
            Report(merged, ReportError, m.failure);
        else
            ReportOutOfMemory(merged);
        return -1;
    }
    if (m.unalignedCount > 0) {
        char lists[kMessageSize / 2];
        NameSiblingLists(m.b, m.unalignedFirst, m.unalignedCount - 1, lists, sizeof lists);
        ReportFormat(merged, ReportWarning,
                     "%s were changed on both sides, one of them by more than %d siblings removed and added, too "
                     "many to align: %s one conflict.",
                     lists, kAlignEditLimit, m.unalignedCount > 1 ? "each list is" : "they are");
    }
    return 0;
}

void FreeConflicts(MergeConflicts* conflicts) { *conflicts = MergeConflicts(); }
