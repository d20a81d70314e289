#include <cstdio>
#include <cstdlib>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "text_convert.h"
#include "tool.h"

// dtbtool list FILE. Returns -1 on a usage error.
int ListCommand(int argc, char** argv) {
    if (argc != 1) return -1;
    EditorState state;
    if (!StartDocument(&state)) return kExitRefused;
    bool loaded = LoadFile(&state, argv[0]);
    if (loaded) {
        uint8_t key[4];
        WriteU32(key, state.Key);
        char hex[32];
        FormatHexBytes(key, 4, hex);
        std::printf("key %s\n", hex);
        FormatHexBytes(state.HeaderBytes, kHeaderSize, hex);
        std::printf("header %s\n", hex);
        // The list view's own line, but never cut: a line that outgrows the
        // usual text gets a buffer of its own.
        char line[kTextSize];
        for (int32_t i = 0; i < state.ChunkCount; ++i) {
            int32_t length = FormatListLine(&state, i, line, sizeof line);
            if (length < kTextSize) {
                std::fwrite(line, 1, static_cast<size_t>(length), stdout);
            } else {
                char* whole = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
                if (!whole) {
                    std::fprintf(stderr, "Could not allocate memory.\n");
                    loaded = false;
                    break;
                }
                FormatListLine(&state, i, whole, static_cast<size_t>(length) + 1);
                std::fwrite(whole, 1, static_cast<size_t>(length), stdout);
                std::free(whole);
            }
            std::fputc('\n', stdout);
        }
    }
    FreeDocument(&state);
    return loaded && std::fflush(stdout) == 0 ? kExitOk : kExitRefused;
}
