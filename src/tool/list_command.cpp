// dtbtool list: the key, the header and one escaped line per chunk.
#include <cstdio>
#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "text_convert.h"
#include "tool.h"

// dtbtool list FILE. Returns kBadUsage on a usage error.
int ListCommand(int argc, char** argv) {
    if (argc != 1) return kBadUsage;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    bool loaded = LoadFile(&doc, argv[0]);
    if (loaded) {
        uint8_t key[4];
        WriteU32(key, doc.Key);
        char hex[32];
        FormatHexBytes(key, 4, hex);
        std::printf("key %s\n", hex);
        FormatHexBytes(doc.HeaderBytes, kHeaderSize, hex);
        std::printf("header %s\n", hex);
        for (int32_t i = 0; loaded && i < doc.ChunkCount; ++i) loaded = PrintChunkLine(&doc, i);
    }
    FreeDocument(&doc);
    return loaded && std::fflush(stdout) == 0 ? kExitDone : kExitRefused;
}
