#include "find_match.h"

#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "report.h"

namespace {

CaseFold MakeWesternFold() {
    CaseFold fold;
    for (int c = 0; c < 256; ++c) fold.lower[c] = static_cast<uint8_t>(c);
    for (int c = 'A'; c <= 'Z'; ++c) fold.lower[c] = static_cast<uint8_t>(c + 0x20);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) fold.lower[c] = static_cast<uint8_t>(c + 0x20);
    fold.lower[0x8A] = 0x9A;
    fold.lower[0x8C] = 0x9C;
    fold.lower[0x8E] = 0x9E;
    fold.lower[0x9F] = 0xFF;
    return fold;
}
const CaseFold kWestern = MakeWesternFold();

}  // namespace

const CaseFold* WesternCaseFold() { return &kWestern; }

bool ChunkIsSearched(const EditorState* state, int32_t index, bool identifiersSearched) {
    switch (state->Chunks[index].Type) {
    case 2: case 18: case 32: case 33: case 34: case 35:
        return true;
    case kTypeIdentifier:
        return identifiersSearched;
    default:
        return false;
    }
}

bool PayloadContains(const uint8_t* payload, int32_t length, const uint8_t* needle, int32_t needleLength,
                     const CaseFold* fold) {
    const void* zero = std::memchr(payload, 0, static_cast<size_t>(length));
    if (zero) length = static_cast<int32_t>(static_cast<const uint8_t*>(zero) - payload);
    const uint8_t* lower = fold->lower;
    const uint8_t first = needle[0];
    for (int32_t at = 0; at + needleLength <= length; ++at) {
        if (lower[payload[at]] != first) continue;
        int32_t k = 1;
        while (k < needleLength && lower[payload[at + k]] == needle[k]) ++k;
        if (k == needleLength) return true;
    }
    return false;
}

int32_t FindNextChunk(EditorState* state, int32_t start, const char* text, bool identifiersSearched,
                      const CaseFold* fold) {
    size_t textLength = std::strlen(text);
    if (textLength == 0) return -1;
    uint8_t* needle = static_cast<uint8_t*>(std::malloc(textLength));
    if (!needle || textLength > static_cast<size_t>(INT32_MAX)) {
        std::free(needle);
        Report(state, ReportError, "Could not allocate memory.");
        return -1;
    }
    for (size_t i = 0; i < textLength; ++i) needle[i] = fold->lower[static_cast<uint8_t>(text[i])];
    int32_t found = -1;
    for (int32_t i = start < 0 ? 0 : start; i < state->ChunkCount && found == -1; ++i) {
        const ChunkRecord& r = state->Chunks[i];
        if (ChunkIsSearched(state, i, identifiersSearched) &&
            PayloadContains(state->Pool + r.PoolOffset, r.Length, needle, static_cast<int32_t>(textLength), fold))
            found = i;
    }
    std::free(needle);
    if (found == -1) Report(state, ReportExclamation, "Could not find string.");
    return found;
}
