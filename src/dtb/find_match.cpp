#include "find_match.h"

#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "report.h"

namespace {

struct FoldTable {
    uint8_t lower[256];
    FoldTable() {
        for (int c = 0; c < 256; ++c) lower[c] = static_cast<uint8_t>(c);
        for (int c = 'A'; c <= 'Z'; ++c) lower[c] = static_cast<uint8_t>(c + 0x20);
        for (int c = 0xC0; c <= 0xDE; ++c)
            if (c != 0xD7) lower[c] = static_cast<uint8_t>(c + 0x20);
        lower[0x8A] = 0x9A;
        lower[0x8C] = 0x9C;
        lower[0x8E] = 0x9E;
        lower[0x9F] = 0xFF;
    }
};
const FoldTable kFold;

}  // namespace

uint8_t LowerCaseByte(uint8_t c) { return kFold.lower[c]; }

void LowerCaseText(char* text) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) *p = kFold.lower[*p];
}

bool ChunkIsSearched(const EditorState* state, int32_t index) {
    switch (state->Chunks[index].Type) {
    case 2: case 18: case 32: case 33: case 34: case 35:
        return true;
    case kTypeIdentifier:
        return !(state->ShowAsTree == 1 && state->ShowIdentifiers == 0);
    default:
        return false;
    }
}

bool PayloadContains(const uint8_t* payload, int32_t length, const uint8_t* needle, int32_t needleLength) {
    const void* zero = std::memchr(payload, 0, static_cast<size_t>(length));
    if (zero) length = static_cast<int32_t>(static_cast<const uint8_t*>(zero) - payload);
    const uint8_t first = needle[0];
    for (int32_t at = 0; at + needleLength <= length; ++at) {
        if (kFold.lower[payload[at]] != first) continue;
        int32_t k = 1;
        while (k < needleLength && kFold.lower[payload[at + k]] == needle[k]) ++k;
        if (k == needleLength) return true;
    }
    return false;
}

int32_t FindNextChunk(EditorState* state, int32_t start, const char* text) {
    size_t textLength = std::strlen(text);
    if (textLength == 0) return -1;
    uint8_t* needle = static_cast<uint8_t*>(std::malloc(textLength + 1));
    if (!needle || textLength > static_cast<size_t>(INT32_MAX)) {
        std::free(needle);
        Report(state, ReportError, "Could not allocate memory.");
        return -1;
    }
    std::memcpy(needle, text, textLength + 1);
    LowerCaseText(reinterpret_cast<char*>(needle));
    int32_t found = -1;
    for (int32_t i = start < 0 ? 0 : start; i < state->ChunkCount && found == -1; ++i) {
        const ChunkRecord& r = state->Chunks[i];
        if (ChunkIsSearched(state, i) &&
            PayloadContains(state->Pool + r.PoolOffset, r.Length, needle, static_cast<int32_t>(textLength)))
            found = i;
    }
    std::free(needle);
    if (found == -1) Report(state, ReportExclamation, "Could not find string.");
    return found;
}
