// What differs between two documents, chunk by chunk, by their trees: one
// inserted chunk is one addition, not a change of every chunk after it.
//
// Chunks pair by the tree, level by level: the children of two paired nodes
// (and the two top levels) pair with each other and nothing else. Among
// siblings, named nodes pair by name (the k-th of a name with the k-th of
// that name); the other siblings pair as a sequence: the common start and
// end are set aside and the middle is aligned by the fewest siblings removed
// and added, whole equal subtrees being kept. What the alignment leaves
// between two aligned pairs pairs in order where the shape agrees (value,
// payload or node: a type change within a shape is a change), the rest is
// added or removed. Pairs that would cross (siblings that swapped places)
// are undone until the order agrees, named pairs kept first: the moved ones
// show as removed and added. Comparing b with a pairs the same chunks as a
// with b; equally good pairings are told apart by the lists' contents, never
// by which file holds them.
//
// The alignment costs about the siblings removed and added times the two
// middles' length, and is bounded: past kAlignEditLimit (10,000) removed and
// added, the middles pair by position instead (same shape: changed;
// otherwise removed and added), and a warning through a's hook names the
// lists. Two lists of 65,535 siblings then take at most about a third of a
// second, and memory for their length.
#pragma once

#include <cstdint>
#include <vector>

#include "document.h"

enum DifferenceKind : int32_t {
    DifferenceAdded = 1,    // ChunkB is new, with its subtree
    DifferenceRemoved = 2,  // ChunkA is gone, with its subtree
    DifferenceChanged = 3,  // type, value, payload or node number differ
    DifferenceHeader = 4,   // header bytes other than the top-level count, or that count's fault
    DifferenceKey = 5,
};

// One line of a comparison: the chunk in the first document or -1, the
// chunk in the second or -1 (both -1 for the header and the key).
struct Difference {
    DifferenceKind Kind;
    int32_t ChunkA;
    int32_t ChunkB;
    // Where the line is in the first document, for a view of it to go to:
    // ChunkA, or for an addition the sibling now standing where ChunkB would
    // go, the last sibling when it would come last, its parent when it would
    // be the only child, -1 at an empty top level (and for the header and key).
    int32_t PlaceA;
};

// The key first, then the header, then the chunks' differences in the order
// of the documents.
struct DifferenceList {
    std::vector<Difference> Items;
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
};

// Compares a with b into list (its memory is reused).
// 0, or -1 after a report (through a's hook) when memory runs out.
int32_t CompareDocuments(const Document* a, const Document* b, DifferenceList* list);
void FreeDifferences(DifferenceList* list);
