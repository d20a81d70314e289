// dtbtool diff A B [--json]: the differences of two files by their trees,
// one a line, with exit statuses as diff's.
#include <cstdio>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "chunk_path.h"
#include "chunk_types.h"
#include "display_text.h"
#include "text_convert.h"
#include "tool.h"
#include "tree_diff.h"

namespace {

std::string HexOf(const uint8_t* bytes, int32_t n) {
    char hex[64];
    FormatHexBytes(bytes, n, hex);
    return hex;
}

std::string KeyText(const Document& doc) {
    uint8_t key[4];
    WriteU32(key, doc.Key);
    return HexOf(key, 4);
}

// The label and the value, whole, as list shows them (unescaped).
std::string ValueOf(const Document* doc, int32_t chunk) {
    return WholeText([&](char* out, size_t size) { return FormatChunkText(doc, chunk, out, size, " ", true); });
}

// Texts are 8-bit; JSON strings are UTF-8, so each byte is its ISO 8859-1 character.
std::string Utf8(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct Printer {
    bool json;
    void Line(char mark, const char* kind, const std::string& path, const std::string* old,
              const std::string* now) const {
        if (json) {
            nlohmann::ordered_json line = {{"kind", kind}, {"path", Utf8(path)}};
            if (old) line["old"] = Utf8(*old);
            if (now) line["new"] = Utf8(*now);
            std::printf("%s\n", line.dump().c_str());
            return;
        }
        std::printf("%c %s  ", mark, path.c_str());
        if (old) std::fputs(EscapedText(old->data(), old->size()).c_str(), stdout);
        if (old && now) std::fputs(" -> ", stdout);
        if (now) std::fputs(EscapedText(now->data(), now->size()).c_str(), stdout);
        std::fputc('\n', stdout);
    }
};

int Compare(Document* a, Document* b, const Printer& out) {
    DifferenceList list = {};
    PathIndex pathsA = {}, pathsB = {};
    if (CompareDocuments(a, b, &list) != 0 || BuildPathIndex(a, &pathsA) != 0 || BuildPathIndex(b, &pathsB) != 0) {
        FreeDifferences(&list);
        FreePathIndex(&pathsA);
        return kExitTrouble;
    }
    for (int32_t k = 0; k < list.Count(); ++k) {
        const Difference& d = list.Items[k];
        std::string old, now;
        switch (d.Kind) {
        case DifferenceKey:
            old = KeyText(*a), now = KeyText(*b);
            out.Line('~', "key", "key", &old, &now);
            break;
        case DifferenceHeader:
            old = HexOf(a->HeaderBytes, kHeaderSize), now = HexOf(b->HeaderBytes, kHeaderSize);
            out.Line('~', "header", "header", &old, &now);
            break;
        case DifferenceAdded:
            now = ValueOf(b, d.ChunkB);
            out.Line('+', "added", PathText(b, &pathsB, d.ChunkB), nullptr, &now);
            break;
        case DifferenceRemoved:
            old = ValueOf(a, d.ChunkA);
            out.Line('-', "removed", PathText(a, &pathsA, d.ChunkA), &old, nullptr);
            break;
        case DifferenceChanged:
            old = ValueOf(a, d.ChunkA), now = ValueOf(b, d.ChunkB);
            out.Line('~', "changed", PathText(a, &pathsA, d.ChunkA), &old, &now);
            break;
        }
    }
    int status = list.Count() ? kExitDifferent : kExitDone;
    FreeDifferences(&list);
    FreePathIndex(&pathsA);
    FreePathIndex(&pathsB);
    return std::fflush(stdout) == 0 ? status : kExitTrouble;
}

}  // namespace

int DiffCommand(int argc, char** argv) {
    Printer out = {false};
    const char* files[2] = {};
    int named = 0;
    for (int k = 0; k < argc; ++k) {
        if (!std::strcmp(argv[k], "--json")) {
            out.json = true;
        } else if (named < 2 && std::strncmp(argv[k], "--", 2) != 0) {
            files[named++] = argv[k];
        } else {
            return kBadUsage;
        }
    }
    if (named != 2) return kBadUsage;
    Document a, b;
    bool started = StartDocument(&a);
    started = StartDocument(&b) && started;
    int status = kExitTrouble;
    if (started && LoadFile(&a, files[0]) && LoadFile(&b, files[1])) status = Compare(&a, &b, out);
    FreeDocument(&a);
    FreeDocument(&b);
    return status;
}
