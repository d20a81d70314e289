// The one-line text of a chunk, and the list line built from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document.h"

// The views' working texts: 2047 characters and the terminating zero.
const int32_t kTextSize = 2048;

// The text of a value that is not a payload: an Integer in decimal, a Float
// with six decimals, any other scalar as its four bytes and a node as its
// six, in hex ("01 02 0A FF"). Writes at most 63 characters and the zero
// into out; returns the length.
const size_t kValueTextSize = 64;
size_t FormatValueText(const ChunkRecord& record, char* out);

// Writes n bytes of text into out (outSize >= 1 bytes) with its control
// bytes (below 0x20, and 0x7F) as dtbtool writes them, \t, \r, \n or \xHH,
// and with backslashes a backslash as \\, so that the text reads back
// unambiguously; cut to fit, never inside an escape. Returns the length of
// the whole text, as snprintf does.
int32_t EscapeControlBytes(const char* text, size_t n, char* out, size_t outSize, bool backslashes);

// Writes [label] separator value for chunk index into out (outSize bytes,
// at least 1), cut to fit; an unknown type gives "". labelled puts the type
// label first. Payload text stops at its first zero byte; escaped writes its
// control bytes as EscapeControlBytes does (not its backslashes), for a view
// of one line per chunk. Returns the length of the whole text, as snprintf
// does, so a caller that must not cut can size its buffer from it.
int32_t FormatChunkText(const Document* doc, int32_t index, char* out, size_t outSize, const char* separator,
                        bool labelled, bool escaped = false);

// The list line of a chunk: its labelled text with a tab separator, a tab,
// and the chunk index. When the line must be cut, the display text is cut and
// the index is kept, so the line always reads back to its chunk. escaped as
// for FormatChunkText. Returns the length of the whole line.
int32_t FormatListLine(const Document* doc, int32_t index, char* out, size_t outSize, bool escaped = false);

// The chunk index written at the end of a list line: the run of decimal
// digits that ends the text (0 when there is none, or it is past any index).
int32_t ChunkIndexFromListLine(const char* line);
