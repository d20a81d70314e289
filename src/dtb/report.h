// Messages from the core to the user, through the front end's hook.
#pragma once

#include "editor_state.h"

// The program title; also the caption of every message box.
extern const char kProgramTitle[];

// Message texts are formatted into buffers of this size, as the editor's are.
const int kMessageSize = 512;

void Report(const EditorState* state, ReportKind kind, const char* text);

// printf-style; the result is cut to kMessageSize - 1 characters.
void ReportFormat(const EditorState* state, ReportKind kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
