#include "report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

const char kProgramTitle[] = "KLV DTB Editor v1.0d";

void InitEditorState(EditorState* state) {
    std::memset(state, 0, sizeof *state);
    state->FileHandle = kNoFile;
}

void Report(const EditorState* state, ReportKind kind, const char* text) {
    if (state->Reporter) state->Reporter(state->ReporterContext, text, kind);
}

void ReportFormat(const EditorState* state, ReportKind kind, const char* format, ...) {
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Report(state, kind, text);
}
