#include "report.h"

#include <cstdarg>
#include <cstdio>

const char kOutOfMemory[] = "Could not allocate memory.";

void Report(const Document* doc, ReportKind kind, const char* text) {
    if (doc->Reporter) doc->Reporter(doc->ReporterContext, text, kind);
}

void ReportOutOfMemory(const Document* doc) { Report(doc, ReportError, kOutOfMemory); }

void ReportOpenFailed(const Document* doc, const char* path, int32_t code) {
    ReportFormat(doc, ReportError, "Could not open file %s (%d)", path, code);
}

void ReportFormat(const Document* doc, ReportKind kind, const char* format, ...) {
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Report(doc, kind, text);
}
