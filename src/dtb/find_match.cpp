#include "find_match.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "report.h"

bool ChunkIsSearched(const Document* doc, int32_t index, bool identifiersSearched) {
    switch (doc->Chunks[index].Type) {
    case 2:
    case 18:
    case 32:
    case 33:
    case 34:
    case 35:
        return true;
    case kTypeIdentifier:
        return identifiersSearched;
    default:
        return false;
    }
}

bool PayloadContains(PayloadView payload, const uint8_t* needle, size_t needleLength, const CaseFold* fold) {
    const uint8_t* text = reinterpret_cast<const uint8_t*>(payload.Text);
    const uint8_t* lower = fold->lower;
    const uint8_t first = needle[0];
    for (size_t at = 0; at + needleLength <= payload.Length; ++at) {
        if (lower[text[at]] != first) continue;
        size_t k = 1;
        while (k < needleLength && lower[text[at + k]] == needle[k]) ++k;
        if (k == needleLength) return true;
    }
    return false;
}

int32_t FindNextChunk(Document* doc, int32_t start, const char* text, bool identifiersSearched, const CaseFold* fold,
                      bool backwards) {
    size_t textLength = std::strlen(text);
    if (textLength == 0) return -1;
    uint8_t* needle = static_cast<uint8_t*>(std::malloc(textLength));
    if (!needle) {
        ReportOutOfMemory(doc);
        return -1;
    }
    for (size_t i = 0; i < textLength; ++i) needle[i] = fold->lower[static_cast<uint8_t>(text[i])];
    int32_t found = -1;
    const int32_t step = backwards ? -1 : 1;
    start = backwards ? std::min(start, doc->ChunkCount - 1) : std::max(start, 0);
    for (int32_t i = start; i >= 0 && i < doc->ChunkCount && found == -1; i += step) {
        const ChunkRecord& r = doc->Chunks[i];
        if (ChunkIsSearched(doc, i, identifiersSearched) &&
            PayloadContains(ShownPayload(doc, r), needle, textLength, fold))
            found = i;
    }
    std::free(needle);
    if (found == -1) Report(doc, ReportExclamation, "Could not find string.");
    return found;
}
