#include <cstring>

#include "chunk_types.h"
#include "document.h"
#include "text_convert.h"
#include "tool.h"

// dtbtool copy IN OUT [--key K]. Returns -1 on a usage error.
int CopyCommand(int argc, char** argv) {
    const char* key = nullptr;
    if (argc == 4 && !std::strcmp(argv[2], "--key")) {
        key = argv[3];
    } else if (argc != 2) {
        return -1;
    }
    EditorState state;
    if (!StartDocument(&state)) return kExitRefused;
    bool done = LoadFile(&state, argv[0]);
    if (done && key) {
        // As the key box reads a key: byte pairs that do not fill the field
        // leave the rest of the current key in place.
        uint8_t field[4];
        WriteU32(field, state.Key);
        ReadNumberEntry(key, 4, field);
        state.Key = ReadU32(field);
    }
    done = done && SaveFileSafely(&state, argv[1]);
    FreeDocument(&state);
    return done ? kExitOk : kExitRefused;
}
