// How the chunks of two documents are paired by their tree, for the
// comparison and the merge: each side's shape with a hash of every subtree,
// and the pairing of one list of siblings with another.
#pragma once

#include <cstdint>
#include <vector>

#include "document.h"
#include "tree_shape.h"

// Past this many cells (n * m for the middles of two sibling lists that
// differ), siblings are paired by position instead of aligned: the alignment
// costs n * m steps and 4 bytes a cell.
const int64_t kAlignCellLimit = 4000000;

// One document as the pairing reads it: its shape with identifiers shown (a
// node's name is its child 0) and per item a hash of its whole subtree.
struct PairingSide {
    const Document* Doc;
    TreeShape Shape;
    uint64_t* Hash;
};

// Builds both; 0, or -1 after a report when memory runs out.
int32_t PrepareSide(const Document* doc, PairingSide* side);
void FreeSide(PairingSide* side);

// The items of the children of parentItem (-1: the top level), in order.
void ChildItems(const PairingSide& side, int32_t parentItem, std::vector<int32_t>* out);

// Type and value (scalars), type, number and the count's disagreement with
// the children there are (nodes), type and every payload byte (texts).
bool SameChunk(const PairingSide& a, int32_t itemA, const PairingSide& b, int32_t itemB);

// The whole subtrees hold the same chunks in the same shape.
bool SameSubtree(const PairingSide& a, int32_t itemA, const PairingSide& b, int32_t itemB);

// Pairs sibling list a (items of side A) with list b (of side B): pairOfA[i]
// is the position in b paired with a[i], or -1. The pairs keep the order of
// both lists. Throws std::bad_alloc when memory runs out.
void PairSiblings(const PairingSide& A, const std::vector<int32_t>& a, const PairingSide& B,
                  const std::vector<int32_t>& b, std::vector<int32_t>* pairOfA);
