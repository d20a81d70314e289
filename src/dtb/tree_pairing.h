// How the chunks of two documents are paired by their tree, for the
// comparison and the merge: each side's shape with a hash of every subtree,
// and the pairing of one list of siblings with another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document.h"
#include "tree_shape.h"

// Two sibling lists are aligned by the fewest siblings removed and added
// that turn one into the other, at a cost of about that number times the
// lists' length. Past this many (in their middles, named nodes aside) the
// alignment gives up and the middles pair by position, which the caller must
// say: two lists of 65,535 siblings then cost at most about a third of a
// second, and memory for their length alone.
const int32_t kAlignEditLimit = 10000;

// One document as the pairing reads it: its shape with identifiers shown (a
// node's name is its child 0) and per item a hash of its whole subtree.
struct PairingSide {
    const Document* Doc = nullptr;
    TreeShape Shape;
    std::vector<uint64_t> Hash;
};

// Builds both; 0, or -1 when memory runs out, told through teller's hook
// (the document the comparison or merge answers to).
int32_t PrepareSide(const Document* doc, PairingSide* side, const Document* teller);
void FreeSide(PairingSide* side);

// The items of the children of parentItem (-1: the top level), in order.
// False when memory runs out, unreported: the comparison or merge that asked
// says so through the document it answers to.
bool ChildItems(const PairingSide& side, int32_t parentItem, std::vector<int32_t>* out);

// Type and value (scalars), type, number and the count's disagreement with
// the children there are (nodes), type and every payload byte (texts).
bool SameChunk(const PairingSide& a, int32_t itemA, const PairingSide& b, int32_t itemB);

// The whole subtrees hold the same chunks in the same shape.
bool SameSubtree(const PairingSide& a, int32_t itemA, const PairingSide& b, int32_t itemB);

enum PairingResult : int32_t {
    PairingFailed = -1,     // memory ran out; unreported, as for ChildItems
    PairingAligned = 0,     // every pair by names and the alignment
    PairingByPosition = 1,  // the middles differ past kAlignEditLimit
};

// Pairs sibling list a (items of side A) with list b (of side B): pairOfA[i]
// is the position in b paired with a[i], or -1. The pairs keep the order of
// both lists, and pairing b with a gives the same pairs the other way round.
PairingResult PairSiblings(const PairingSide& A, const std::vector<int32_t>& a, const PairingSide& B,
                           const std::vector<int32_t>& b, std::vector<int32_t>* pairOfA);

// Names the sibling lists under parentItem (an item of side, -1: the top
// level) and under more others for a message: "The children of items and
// those of 2 more nodes", "The top-level chunks".
void NameSiblingLists(const PairingSide& side, int32_t parentItem, int32_t more, char* out, size_t outSize);
