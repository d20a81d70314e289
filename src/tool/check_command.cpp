// dtbtool check: where the child counts disagree with the table, and --repair.
#include <cstdio>
#include <cstring>

#include "chunk_path.h"
#include "document.h"
#include "safe_save.h"
#include "tool.h"
#include "tree_check.h"

namespace {

// The paths are looked up only once the check finds a fault: a file that
// checks clean does not pay for them.
struct Printer {
    const Document* Doc;
    PathIndex Index;
    bool Tried;  // to build the index
    bool Built;
};

void PrintFault(void* context, const CountFault* f) {
    Printer& p = *static_cast<Printer*>(context);
    if (!p.Tried) p.Built = BuildPathIndex(p.Doc, &p.Index) == 0;
    p.Tried = true;
    const PathIndex* index = p.Built ? &p.Index : nullptr;
    std::string line = WholeText([&](char* out, size_t size) { return FormatCountFault(p.Doc, index, f, out, size); });
    std::printf("%s\n", line.c_str());
}

}  // namespace

// dtbtool check FILE [--repair OUT]. Returns kBadUsage on a usage error.
int CheckCommand(int argc, char** argv) {
    bool repair = argc == 3 && !std::strcmp(argv[1], "--repair");
    if (argc != 1 && !repair) return kBadUsage;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    Printer printer = {&doc, {}, false, false};
    int32_t faults = LoadFile(&doc, argv[0]) ? CheckTreeCounts(&doc, PrintFault, &printer) : -1;
    if (printer.Built) FreePathIndex(&printer.Index);
    // A repair is judged by what it leaves: a file that no count can mend
    // (too many top-level chunks) is written, but still fails the check.
    if (repair && faults >= 0) {
        faults = RepairTreeCounts(&doc) >= 0 && SaveDocumentSafely(&doc, argv[2], nullptr) == 0
                     ? CheckTreeCounts(&doc, nullptr, nullptr)
                     : -1;
    }
    FreeDocument(&doc);
    if (std::fflush(stdout) != 0 || faults < 0) return kExitRefused;
    return faults == 0 ? kExitDone : kExitDifferent;
}
