// Three-way merge: the changes two documents (ours and theirs) made to a
// common base, combined into a new document, paired by the tree as the
// comparison pairs them (tree_diff.h).
//
// Siblings that both sides kept (paired with the base on both) anchor the
// merge: their values merge one by one (a value only one side changed takes
// that side's), and paired nodes merge their children the same way. Between
// two anchors, the stretch that one side left as the base had it takes the
// other side's; two sides that made it the same agree; anything else is a
// conflict. So is one chunk changed in two different ways, and the header's
// own bytes changed in two different ways. A list whose alignment with the
// base gives up (tree_pairing.h) is one stretch: one side's whole list when
// the other left it as the base had it, else one conflict, which a warning
// through merged's hook explains.
#pragma once

#include <cstdint>
#include <vector>

#include "document.h"

enum MergeFavor : int32_t {
    FavorNone = 0,    // conflicts stay conflicts
    FavorOurs = 1,    // a conflict takes ours
    FavorTheirs = 2,  // a conflict takes theirs
};

// Where two changes met: the first chunk of the place in each document, -1
// where that document has none there; all three -1 for the header. A list of
// siblings too different to align is one place, named by its node (at the
// top level, by its first chunks).
struct MergeConflict {
    int32_t Base;
    int32_t Ours;
    int32_t Theirs;
};

struct MergeConflicts {
    std::vector<MergeConflict> Items;
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
};

// Builds the merge into merged (an allocated document whose table and pool
// are replaced) in pre-order, every node's count and the header's top-level
// count taken from the children it was given, so the result checks clean.
// The key is ours unless only theirs changed it. Conflicts are listed (all
// of them, settled or not, with favor); merged is then only meaningful with
// a favor. 0, or -1 after a report through merged's hook (memory, a level of
// more than 65535 chunks).
int32_t MergeDocuments(const Document* base, const Document* ours, const Document* theirs, MergeFavor favor,
                       Document* merged, MergeConflicts* conflicts);
void FreeConflicts(MergeConflicts* conflicts);
