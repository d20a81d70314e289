// Saving never puts the only copy of a file at risk: the document is written
// into a new file beside the old one, which replaces the old one in a single
// move only when every byte is on disk. A failed write costs the new file
// and nothing else.
#include <cstdio>

#include "app/editor.h"
#include "dtb_file.h"
#include "file_commands.h"
#include "file_layer.h"
#include "report.h"

namespace {

// After the move failed: the document goes back to the file it had.
void ReopenPreviousFile(EditorState* state) {
    state->FileHandle = OpenDocumentFile(state->FileName, false);
    if (state->FileHandle == kNoFile)
        ReportFormat(state, ReportError, "Could not open file %s (%d)", state->FileName, static_cast<int>(GetLastError()));
}

}  // namespace

int32_t SaveDocumentSafely(EditorState* state, const char* path) {
    char fresh[kFileNameSize + 8];
    std::snprintf(fresh, sizeof fresh, "%s.new", path);
    // Never over an existing file: a leftover of that name may be the user's.
    NativeHandle file = FileCreateNew(fresh);
    if (file == kNoFile) {
        ReportFormat(state, ReportError, "SAVE FAILED: Could not create file %s (%d)", fresh,
                     static_cast<int>(GetLastError()));
        return -1;
    }
    NativeHandle previous = state->FileHandle;
    state->FileHandle = file;
    int32_t written = WriteDocument(state);  // reports its own failure
    state->FileHandle = previous;
    if (written == 0 && !FlushFileBuffers(reinterpret_cast<HANDLE>(file))) {
        ReportFormat(state, ReportError, "SAVE FAILED: Could not write file %s (%d)", fresh,
                     static_cast<int>(GetLastError()));
        written = -1;
    }
    FileClose(file);
    if (written != 0) {
        FileDelete(fresh);
        return -1;
    }
    // The document's own file is open without write sharing; it must be
    // closed before anything can take its place.
    bool wasOpen = previous != kNoFile;
    if (wasOpen) {
        FileClose(previous);
        state->FileHandle = kNoFile;
    }
    if (!FileReplace(fresh, path)) {
        int error = static_cast<int>(GetLastError());
        FileDelete(fresh);
        ReportFormat(state, ReportError, "SAVE FAILED: Could not replace file %s (%d)", path, error);
        if (wasOpen) ReopenPreviousFile(state);
        return -1;
    }
    state->FileHandle = OpenDocumentFile(path, false);
    if (state->FileHandle == kNoFile) {
        // The file is saved; only keeping it open failed.
        ReportFormat(state, ReportError, "Could not open file %s (%d)", path, static_cast<int>(GetLastError()));
        return -1;
    }
    return 0;
}
