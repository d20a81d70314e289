#include <cstdio>
#include <cstring>

#include "document.h"
#include "safe_save.h"
#include "text_convert.h"
#include "tool.h"

// dtbtool copy IN OUT [--key K]. Returns -1 on a usage error.
int CopyCommand(int argc, char** argv) {
    uint32_t key = 0;
    bool newKey = argc == 4 && !std::strcmp(argv[2], "--key");
    if (newKey && !ParseWholeNumber(argv[3], &key)) {
        std::fprintf(stderr, "dtbtool: the key must be a whole number from 0 to 4294967295, "
                             "decimal or hex after 0x, not \"%s\"\n", argv[3]);
        return -1;
    }
    if (!newKey && argc != 2) return -1;
    EditorState state;
    if (!StartDocument(&state)) return kExitRefused;
    bool done = LoadFile(&state, argv[0]);
    if (newKey) state.Key = key;
    done = done && SaveDocumentSafely(&state, argv[1], nullptr) == 0;
    FreeDocument(&state);
    return done ? kExitOk : kExitRefused;
}
