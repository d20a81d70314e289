#include "file_commands.h"

#include <cstdio>
#include <cstring>

#include "app/editor.h"
#include "app/message_box.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"
#include "safe_save.h"
#include "views/views.h"

namespace {

void CloseDocumentFile(EditorState* state) {
    if (state->FileHandle == kNoFile) return;
    CloseHandle(FileOf(state));
    state->FileHandle = kNoFile;
}

// The views are about to stand for a table that is going away: empty them,
// so that no line or item names a chunk of the old table.
void EmptyViews(EditorState* state) {
    SendToControl(state, IDC_CHUNK_LIST, LB_RESETCONTENT, 0, 0);
    ClearChunkTree(state);
    CurrentChunk = -1;
}

// The document's file is reopened after every save, successful or not: the
// save closes it before the new file takes its place. Success makes path
// the document's file.
int32_t SaveAndReopen(EditorState* state, const char* path) {
    bool hadFile = state->FileHandle != kNoFile;
    int32_t result = SaveDocumentSafely(state, path, &state->FileHandle);
    if (result == 0 && path != state->FileName) std::snprintf(state->FileName, sizeof state->FileName, "%s", path);
    if (state->FileHandle == kNoFile && (hadFile || result == 0)) {
        state->FileHandle = OpenDocumentFile(state->FileName, false);
        if (state->FileHandle == kNoFile)
            ReportFormat(state, ReportError, "Could not open file %s (%d)", state->FileName,
                         static_cast<int>(GetLastError()));
    }
    return result;
}

}  // namespace

NativeHandle OpenDocumentFile(const char* path, bool create) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<NativeHandle>(file);
}

int32_t ChooseDtbFile(EditorState* state, int32_t forSaving) {
    OPENFILENAMEA dialog = {};
    // The layout every version of the dialog knows, without the later fields.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = MainWindowOf(state);
    dialog.hInstance = reinterpret_cast<HINSTANCE>(state->Instance);
    dialog.lpstrFilter = "KLV Data (*.dtb)\0*.dtb\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = state->FileName;
    dialog.nMaxFile = kFileNameSize;
    dialog.lpstrInitialDir = state->FileName;
    dialog.lpstrTitle = forSaving ? "Save DTB File As..." : "Load DTB File...";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | (forSaving ? 0 : OFN_FILEMUSTEXIST);
    dialog.lpstrDefExt = forSaving ? ".dtb" : nullptr;
    DWORD error = 0;
    if (RunFileDialog(&dialog, forSaving, &error)) return 0;
    if (error == 0) return -1;
    ShowMessageBox(nullptr, "Common Dialog Failure", kProgramTitle, MB_OK | MB_ICONERROR);
    return -2;
}

int32_t NewDocument(EditorState* state) {
    if (ChooseDtbFile(state, 1) != 0) return -1;
    CloseDocumentFile(state);
    // Nothing is written: a file that exists keeps its bytes until a save.
    state->FileHandle = OpenDocumentFile(state->FileName, true);
    if (state->FileHandle == kNoFile) {
        ReportFormat(state, ReportError, "New failed: Could not create file %s (%d)", state->FileName,
                     static_cast<int>(GetLastError()));
        return -1;
    }
    state->ChunkCount = 0;
    state->PoolUsed = 0;
    std::memset(state->HeaderBytes, 0, sizeof state->HeaderBytes);
    state->Key = 0;
    return 0;
}

int32_t OpenDocument(EditorState* state) {
    if (state->FileHandle != kNoFile) {
        if (!AskUser(state, "Current file will close without saving.  Continue?")) return -1;
        CloseDocumentFile(state);
        EmptyViews(state);
    }
    if (ChooseDtbFile(state, 0) != 0) return -1;
    state->FileHandle = OpenDocumentFile(state->FileName, false);
    if (state->FileHandle == kNoFile) {
        ReportFormat(state, ReportError, "Could not open file %s (%d)", state->FileName, static_cast<int>(GetLastError()));
        return -1;
    }
    // Also with no file open before: the views may still show a document
    // whose file was lost, and the table is about to change under them.
    EmptyViews(state);
    return ReadDocument(state);
}

int32_t RevertDocument(EditorState* state) {
    if (state->FileHandle == kNoFile) return 0;
    if (!AskUser(state, "Current file will be reverted to last save.  Continue?")) return -1;
    FileSeekStart(state->FileHandle);
    state->ChunkCount = 0;
    state->PoolUsed = 0;
    EmptyViews(state);
    ClearDetailPane(state);
    ReadDocument(state);
    return 0;
}

int32_t SaveDocument(EditorState* state) {
    if (state->FileHandle == kNoFile) return 0;
    return SaveAndReopen(state, state->FileName);
}

int32_t SaveDocumentAs(EditorState* state) {
    char previous[kFileNameSize];
    std::memcpy(previous, state->FileName, sizeof previous);
    if (ChooseDtbFile(state, 1) != 0) return -1;
    char target[kFileNameSize];
    std::memcpy(target, state->FileName, sizeof target);
    // Until the new file is in place the document stays on its old one.
    std::memcpy(state->FileName, previous, sizeof previous);
    return SaveAndReopen(state, target);
}
