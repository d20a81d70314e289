#include <cstdio>

#include "document.h"
#include "tool.h"
#include "tree_check.h"

namespace {

void PrintFault(void*, const CountFault* f) {
    switch (f->Kind) {
    case FaultNodeShort:
        std::printf("chunk %d: node has %d of its %d children\n", f->Chunk, f->Found, f->Expected);
        break;
    case FaultBeyondCounts:
        std::printf("chunk %d: beyond all counts (top-level chunk %d, the header counts %d)\n", f->Chunk, f->Found,
                    f->Expected);
        break;
    case FaultHeaderCount:
        std::printf("header: top-level count %d, but the table holds %d top-level chunks\n", f->Expected, f->Found);
        break;
    case FaultUnknownType:
        std::printf("chunk %d: unknown type %d, counted nowhere\n", f->Chunk, f->Expected);
        break;
    }
}

}  // namespace

// dtbtool check FILE. Returns -1 on a usage error.
int CheckCommand(int argc, char** argv) {
    if (argc != 1) return -1;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    int32_t faults = LoadFile(&doc, argv[0]) ? CheckTreeCounts(&doc, PrintFault, nullptr) : -1;
    FreeDocument(&doc);
    if (std::fflush(stdout) != 0) return kExitRefused;
    return faults == 0 ? kExitOk : kExitRefused;
}
