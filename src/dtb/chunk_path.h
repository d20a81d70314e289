// Chunk paths: one readable name per chunk, unique in its file and the same
// in two files wherever their trees are the same, so that a user, a script
// and a comparison of two files can all point at "the same" chunk.
//
// A path is the steps from the top level down, joined with '/'. A node with
// a name that none of its siblings has is its name; every other chunk is
// its position among its siblings, counted from 0 (a node's identifier is
// its child 0); a named node whose name a sibling node also has is
// name[position]: settings/window/3, items/item[2]/1. In a name, '\', '/',
// '[' and ']' are written after a '\', control bytes as \xHH, and a name of
// digits alone gets a '\' in front so that it does not read as a position,
// as does a name that begins with '#'.
//
// A path may also be a chunk's number in the table, as dtbtool list prints
// it: #N for chunk N, whatever its place in the tree.
//
// The tree is the one the tree view shows with identifiers (tree_shape.h):
// chunks of an unknown type have no path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document.h"
#include "tree_shape.h"

// What paths are made from and read by: the tree's shape, and for each of
// its items the position among its siblings and whether its name is shared;
// the children of each parent side by side, and the named nodes in order of
// parent and name. Built in one pass (and a sort of the names), so that
// formatting a path costs its depth, however wide the file, and reading one
// its depth times the logarithm of the names.
struct PathIndex {
    TreeShape Shape;
    std::vector<int32_t> Position;    // per item
    std::vector<bool> Shared;         // per item: a named node whose name a sibling node also has
    std::vector<int32_t> Siblings;    // every item, the top level first, then the children of item 0, 1, ...
    std::vector<int32_t> SiblingsAt;  // where the children of item i start in Siblings: [i + 1]; the top level's: [0]
    std::vector<int32_t> Named;       // the items of named nodes, by parent, then name, then position
};

// 0, or -1 after a report when memory runs out (the index is then empty).
int32_t BuildPathIndex(const Document* doc, PathIndex* index);
void FreePathIndex(PathIndex* index);

// Writes the path of chunk into out (outSize >= 1 bytes), cut to fit, and
// returns the length of the whole path as snprintf does; -1 (and "") for a
// chunk that has no path.
int32_t FormatChunkPath(const Document* doc, const PathIndex* index, int32_t chunk, char* out, size_t outSize);

// The chunk a path names, or -1 with the reason in why (a whole sentence,
// cut to whySize). "#" and digits alone is a chunk's number; anything else
// after a '#' is a name.
int32_t FindChunkByPath(const Document* doc, const PathIndex* index, const char* path, char* why, size_t whySize);
