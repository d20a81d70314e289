// Texts as the commands print them: whole, and on one line (the escaping
// that list, find, diff and merge share), and paths as they print them.
#include <cstdio>

#include "display_text.h"
#include "tool.h"

std::string WholeText(const std::function<int32_t(char* out, size_t outSize)>& make) {
    std::string text(kTextSize, '\0');
    int32_t n = make(&text[0], text.size());
    if (n < 0) return "";
    if (static_cast<size_t>(n) >= text.size()) {
        text.assign(static_cast<size_t>(n) + 1, '\0');
        make(&text[0], text.size());
    }
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string PathText(const Document* doc, const PathIndex* index, int32_t chunk) {
    return WholeText([&](char* out, size_t size) { return FormatChunkPath(doc, index, chunk, out, size); });
}

std::string EscapedText(const char* text, size_t n) {
    return WholeText([&](char* out, size_t size) { return EscapeControlBytes(text, n, out, size, true); });
}

void PrintEscaped(const char* text, size_t n) {
    std::string escaped = EscapedText(text, n);
    std::fwrite(escaped.data(), 1, escaped.size(), stdout);
}
