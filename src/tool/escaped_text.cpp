// Texts as the commands print them: whole, and on one line (the escaping
// that list, find, diff and merge share).
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

std::string EscapedText(const char* text, size_t n) {
    std::string out;
    out.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        unsigned char c = static_cast<unsigned char>(text[k]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void PrintEscaped(const char* text, size_t n) {
    std::string escaped = EscapedText(text, n);
    std::fwrite(escaped.data(), 1, escaped.size(), stdout);
}
