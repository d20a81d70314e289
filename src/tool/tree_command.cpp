#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display_text.h"
#include "document.h"
#include "tool.h"
#include "tree_shape.h"

namespace {

// Writes an item's text whole: a text longer than the view's own gets a
// buffer of its own, as list does with its lines.
bool PrintItemText(const EditorState* state, int32_t chunk) {
    char text[kTextSize];
    int32_t length = FormatTreeItemText(state, chunk, text, sizeof text);
    if (length < kTextSize) {
        std::fwrite(text, 1, static_cast<size_t>(length), stdout);
        return true;
    }
    char* whole = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!whole) {
        std::fprintf(stderr, "Could not allocate memory.\n");
        return false;
    }
    FormatTreeItemText(state, chunk, whole, static_cast<size_t>(length) + 1);
    std::fwrite(whole, 1, static_cast<size_t>(length), stdout);
    std::free(whole);
    return true;
}

}  // namespace

// dtbtool tree FILE [--hide-identifiers]. Returns -1 on a usage error.
int TreeCommand(int argc, char** argv) {
    bool hide = false;
    if (argc == 2 && !std::strcmp(argv[1], "--hide-identifiers")) {
        hide = true;
    } else if (argc != 1) {
        return -1;
    }
    EditorState state;
    if (!StartDocument(&state)) return kExitRefused;
    state.ShowIdentifiers = hide ? 0 : 1;
    state.ShowAsTree = 1;
    TreeShape shape = {};
    bool done = LoadFile(&state, argv[0]) && BuildTreeShape(&state, &shape) == 0;
    for (int32_t k = 0; done && k < shape.ItemCount; ++k) {
        const TreeItem& item = shape.Items[k];
        for (int32_t d = 0; d < item.Depth; ++d) std::fputs("  ", stdout);
        done = PrintItemText(&state, item.Chunk);
        if (done) std::printf("\t%d\n", item.Chunk);
    }
    FreeTreeShape(&shape);
    FreeDocument(&state);
    return done && std::fflush(stdout) == 0 ? kExitOk : kExitRefused;
}
