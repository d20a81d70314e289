// Find: the next chunk, in table order, whose text contains the search text,
// letter case ignored.
#pragma once

#include <cstdint>

#include "document.h"

// The lower case of every 8-bit character in one code page: the front end
// gives the platform's own for the code page in use.
struct CaseFold {
    uint8_t lower[256];
};

// Whether find looks at chunk index: the text chunks 2, 5, 18, 32, 33, 34 and
// 35 (never 7), and type 5 only when identifiersSearched (identifiers are
// shown, or the list view is showing).
bool ChunkIsSearched(const Document* doc, int32_t index, bool identifiersSearched);

// Whether the payload as shown (ShownPayload), however long, contains
// needle (lower-cased already by fold, needleLength > 0), case folded.
bool PayloadContains(PayloadView payload, const uint8_t* needle, size_t needleLength, const CaseFold* fold);

// The first searched chunk from start on (start is the chunk after the
// selected one, 0 with no selection) that contains text; no wrap to the
// start of the table. Backwards: the first from start down to chunk 0. An
// empty text returns -1 at once, without a message; no match returns -1
// after the notice "Could not find string.".
int32_t FindNextChunk(Document* doc, int32_t start, const char* text, bool identifiersSearched, const CaseFold* fold,
                      bool backwards = false);
