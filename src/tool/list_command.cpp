// dtbtool list: the key, the header and one escaped line per chunk.
#include <cstdio>
#include <cstring>

#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "text_convert.h"
#include "tool.h"

namespace {

// A list line is label, tab, value, tab, index: only the value can hold
// control bytes, and the two tabs around it must stay tabs.
void PrintListLine(const char* line, size_t n) {
    const char* first = static_cast<const char*>(std::memchr(line, '\t', n));
    const char* last = line + n;
    while (last > line && last[-1] != '\t') --last;
    if (!first || last - 1 <= first) return (void)std::fwrite(line, 1, n, stdout);
    std::fwrite(line, 1, static_cast<size_t>(first + 1 - line), stdout);
    PrintEscaped(first + 1, static_cast<size_t>(last - 1 - (first + 1)));
    std::fwrite(last - 1, 1, static_cast<size_t>(line + n - (last - 1)), stdout);
}

}  // namespace

bool PrintChunkLine(const Document* doc, int32_t chunk) {
    bool printed = PrintWhole(
        doc, chunk,
        [](const Document* d, int32_t c, char* out, size_t size) { return FormatListLine(d, c, out, size); },
        PrintListLine);
    if (printed) std::fputc('\n', stdout);
    return printed;
}

// dtbtool list FILE. Returns -1 on a usage error.
int ListCommand(int argc, char** argv) {
    if (argc != 1) return -1;
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
    return loaded && std::fflush(stdout) == 0 ? kExitOk : kExitRefused;
}
