// dtbtool check: where the child counts disagree with the table, and --repair.
#include <cstdio>
#include <cstring>

#include "document.h"
#include "safe_save.h"
#include "tool.h"
#include "tree_check.h"

namespace {

void PrintFault(void*, const CountFault* f) {
    char line[160];
    FormatCountFault(f, line, sizeof line);
    std::printf("%s\n", line);
}

}  // namespace

// dtbtool check FILE [--repair OUT]. Returns -1 on a usage error.
int CheckCommand(int argc, char** argv) {
    bool repair = argc == 3 && !std::strcmp(argv[1], "--repair");
    if (argc != 1 && !repair) return -1;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    int32_t faults = LoadFile(&doc, argv[0]) ? CheckTreeCounts(&doc, PrintFault, nullptr) : -1;
    // A repair is judged by what it leaves: a file that no count can mend
    // (too many top-level chunks) is written, but still fails the check.
    if (repair && faults >= 0) {
        faults = RepairTreeCounts(&doc) >= 0 && SaveDocumentSafely(&doc, argv[2], nullptr) == 0
                     ? CheckTreeCounts(&doc, nullptr, nullptr)
                     : -1;
    }
    FreeDocument(&doc);
    if (std::fflush(stdout) != 0) return kExitRefused;
    return faults == 0 ? kExitOk : kExitRefused;
}
