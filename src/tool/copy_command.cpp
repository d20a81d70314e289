// dtbtool copy: a file rewritten through the safe save, optionally under a new key.
#include <cstdio>
#include <cstring>

#include "document.h"
#include "safe_save.h"
#include "text_convert.h"
#include "tool.h"

// dtbtool copy IN OUT [--key K]. Returns kBadUsage on a usage error.
int CopyCommand(int argc, char** argv) {
    bool newKey = argc == 4 && !std::strcmp(argv[2], "--key");
    uint32_t probe = 0;
    if (newKey && !ReadKeyText(argv[3], &probe)) {
        std::fprintf(stderr,
                     "dtbtool: the key takes a number from 0 to 4294967295, hex after 0x, or four hex bytes (such as "
                     "CD AB 34 12, least significant first), not \"%s\"\n",
                     argv[3]);
        return kBadUsage;
    }
    if (!newKey && argc != 2) return kBadUsage;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    bool done = LoadFile(&doc, argv[0]);
    if (newKey) ReadKeyText(argv[3], &doc.Key);  // as the Key box: bytes not typed keep the file's
    done = done && SaveDocumentSafely(&doc, argv[1], nullptr) == 0;
    FreeDocument(&doc);
    return done ? kExitDone : kExitRefused;
}
