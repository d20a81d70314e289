// Messages from the core to the user, through the document's report hook.
#pragma once

#include "document.h"

extern const char kOutOfMemory[];  // "Could not allocate memory."

// Message texts are formatted into buffers of this size, as the editor's are.
const int kMessageSize = 512;

void Report(const Document* doc, ReportKind kind, const char* text);
void ReportOutOfMemory(const Document* doc);
// "Could not open file PATH (CODE)": every front end's words for a file it
// could not open, code being the platform's own.
void ReportOpenFailed(const Document* doc, const char* path, int32_t code);

// printf-style; the result is cut to kMessageSize - 1 characters.
void ReportFormat(const Document* doc, ReportKind kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
