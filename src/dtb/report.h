// Messages from the core to the user, through the document's report hook.
#pragma once

#include "document.h"

extern const char kOutOfMemory[];  // "Could not allocate memory."

// Message texts are formatted into buffers of this size, as the editor's are.
const int kMessageSize = 512;

void Report(const Document* doc, ReportKind kind, const char* text);
void ReportOutOfMemory(const Document* doc);

// printf-style; the result is cut to kMessageSize - 1 characters.
void ReportFormat(const Document* doc, ReportKind kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
