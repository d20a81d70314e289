// dtbtool tree: the tree view's items in order, indented by depth.
#include <cstdio>
#include <cstring>

#include "document.h"
#include "tool.h"
#include "tree_shape.h"

// dtbtool tree FILE [--hide-identifiers]. Returns kBadUsage on a usage error.
int TreeCommand(int argc, char** argv) {
    bool hide = false;
    if (argc == 2 && !std::strcmp(argv[1], "--hide-identifiers")) {
        hide = true;
    } else if (argc != 1) {
        return kBadUsage;
    }
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    TreeShape shape = {};
    bool done = LoadFile(&doc, argv[0]) && BuildTreeShape(&doc, !hide, &shape) == 0;
    for (int32_t k = 0; done && k < shape.ItemCount(); ++k) {
        const TreeItem& item = shape.Items[k];
        for (int32_t d = 0; d < item.Depth; ++d) std::fputs("  ", stdout);
        done = PrintWhole(
            &doc, item.Chunk,
            [](const Document* d, int32_t c, char* out, size_t size) { return FormatTreeItemText(d, c, out, size); },
            PrintEscaped);
        if (done) std::printf("\t%d\n", item.Chunk);
    }
    FreeTreeShape(&shape);
    FreeDocument(&doc);
    return done && std::fflush(stdout) == 0 ? kExitDone : kExitRefused;
}
