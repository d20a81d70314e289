// TEMPORARY: moves to views (tree_view.cpp, from the tree's shape) once the
// shell's files may be touched.
#pragma once
#include "tree_edit.h"
#include "views/views.h"
inline int32_t SelectedTreeChunkAndParent(EditorState* state, int32_t* parent) {
    int32_t chunk = SelectedTreeChunk(state);
    *parent = chunk < 0 ? -1 : ParentOfChunk(state, chunk);
    return chunk;
}
