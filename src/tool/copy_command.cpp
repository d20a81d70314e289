// dtbtool copy: a file rewritten through the safe save, optionally under a new key.
#include <cstdio>
#include <cstring>

#include "document.h"
#include "safe_save.h"
#include "text_convert.h"
#include "tool.h"

// dtbtool copy IN OUT [--key K]. Returns kBadUsage on a usage error.
int CopyCommand(int argc, char** argv) {
    uint32_t key = 0;
    bool newKey = argc == 4 && !std::strcmp(argv[2], "--key");
    if (newKey && !ParseWholeNumber(argv[3], &key)) {
        std::fprintf(stderr,
                     "dtbtool: the key must be a whole number from 0 to 4294967295, "
                     "decimal or hex after 0x, not \"%s\"\n",
                     argv[3]);
        return kBadUsage;
    }
    if (!newKey && argc != 2) return kBadUsage;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    bool done = LoadFile(&doc, argv[0]);
    if (newKey) doc.Key = key;
    done = done && SaveDocumentSafely(&doc, argv[1], nullptr) == 0;
    FreeDocument(&doc);
    return done ? kExitDone : kExitRefused;
}
