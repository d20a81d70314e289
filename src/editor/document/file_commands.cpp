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
    if (state->FileHandle != kNoFile) CloseHandle(FileOf(state));
    state->FileHandle = kNoFile;
    state->ReadOnly = false;
}

// No chunks, a zero header and key, nothing to save and nothing missing.
void EmptyDocument(EditorState* state) {
    state->ChunkCount = 0;
    state->PoolUsed = 0;
    std::memset(state->HeaderBytes, 0, sizeof state->HeaderBytes);
    state->Key = 0;
    state->Modified = false;
    state->Incomplete = false;
}

// The views are about to stand for a table that is going away: empty them,
// so that no line, item or pane names a chunk of the old table.
void EmptyViews(EditorState* state) {
    SendToControl(state, IDC_CHUNK_LIST, LB_RESETCONTENT, 0, 0);
    ClearChunkTree(state);
    ClearDetailPane(state);
    CurrentChunk = -1;
}

// Reads the document's file from its start. A file that fails before its
// first chunk (no DTB at all, an empty file) is not the document's: it is
// let go and the document left empty, so that nothing is ever saved over it.
void ReadDocumentFile(EditorState* state) {
    if (ReadDocument(state) != 0 && state->ChunkCount == 0) {
        CloseDocumentFile(state);
        EmptyDocument(state);
    }
    state->Modified = false;
}

// Saving over a file that was read only in part loses the rest of it: asked
// first, with No the default.
bool MayOverwritePart(EditorState* state, const char* path) {
    if (!state->Incomplete) return true;
    char question[kMessageSize];
    std::snprintf(question, sizeof question,
                  "Only part of %s could be read. Saving over it loses the part that is not shown.  Save anyway?",
                  path);
    return ShowMessageBox(MainWindowOf(state), question, kProgramTitle,
                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The document's file is reopened after every save, successful or not: the
// save closes it before the new file takes its place. Success makes path
// the document's file, writable, and the document one with nothing unsaved.
int32_t SaveAndReopen(EditorState* state, const char* path) {
    bool hadFile = state->FileHandle != kNoFile;
    int32_t result = SaveDocumentSafely(state, path, &state->FileHandle);
    if (result == 0) {
        if (path != state->FileName) std::snprintf(state->FileName, sizeof state->FileName, "%s", path);
        state->ReadOnly = false;
        state->Modified = false;
        state->Incomplete = false;
    }
    if (state->FileHandle == kNoFile && (hadFile || result == 0)) {
        state->FileHandle = OpenDocumentFile(state->FileName, false, state->ReadOnly);
        if (state->FileHandle == kNoFile)
            ReportFormat(state, ReportError, "Could not open file %s (%d)", state->FileName,
                         static_cast<int>(GetLastError()));
    }
    return result;
}

}  // namespace

NativeHandle OpenDocumentFile(const char* path, bool create, bool readOnly) {
    HANDLE file = CreateFileA(path, readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<NativeHandle>(file);
}

int32_t ChooseDtbFile(EditorState* state, int32_t forSaving, bool* readOnly) {
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
    // A file chosen to save over is confirmed in the dialog; one chosen to
    // open may be opened read-only there.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | (forSaving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    dialog.lpstrDefExt = forSaving ? ".dtb" : nullptr;
    DWORD error = 0;
    if (RunFileDialog(&dialog, forSaving, &error)) {
        if (readOnly) *readOnly = (dialog.Flags & OFN_READONLY) != 0;
        return 0;
    }
    if (error == 0) return -1;
    ShowMessageBox(nullptr, "Common Dialog Failure", kProgramTitle, MB_OK | MB_ICONERROR);
    return -2;
}

int32_t NewDocument(EditorState* state) {
    if (ChooseDtbFile(state, 1, nullptr) != 0) return -1;
    CloseDocumentFile(state);
    HANDLE file = CreateFileA(state->FileName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (file == INVALID_HANDLE_VALUE) {
        ReportFormat(state, ReportError, "New failed: Could not create file %s (%d)", state->FileName,
                     static_cast<int>(GetLastError()));
        return -1;
    }
    // A file that existed keeps its bytes until a save. An empty one, new or
    // not, gets the empty document at once: the editor never leaves behind a
    // file it would refuse to open.
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart == 0) {
        EditorState empty;
        InitEditorState(&empty);
        empty.Reporter = state->Reporter;
        empty.ReporterContext = state->ReporterContext;
        if (WriteDocumentTo(&empty, reinterpret_cast<NativeHandle>(file), nullptr) != 0) {  // it has said why
            CloseHandle(file);
            if (created) DeleteFileA(state->FileName);
            return -1;
        }
    }
    EmptyDocument(state);
    state->FileHandle = reinterpret_cast<NativeHandle>(file);
    return 0;
}

int32_t OpenDocument(EditorState* state) {
    bool replaced = false;
    if (state->FileHandle != kNoFile) {
        if (!AskUser(state, "Current file will close without saving.  Continue?")) return -1;
        CloseDocumentFile(state);
        EmptyDocument(state);
        EmptyViews(state);
        replaced = true;
    }
    bool readOnly = false;
    if (ChooseDtbFile(state, 0, &readOnly) != 0) return replaced ? 0 : -1;
    // A file marked read-only is one the user keeps from being written,
    // whoever the user is.
    DWORD attributes = GetFileAttributesA(state->FileName);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) readOnly = true;
    NativeHandle file = OpenDocumentFile(state->FileName, false, readOnly);
    // A file that may be read but not written can still be looked at.
    if (file == kNoFile && !readOnly && GetLastError() == ERROR_ACCESS_DENIED) {
        readOnly = true;
        file = OpenDocumentFile(state->FileName, false, true);
    }
    if (file == kNoFile) {
        ReportFormat(state, ReportError, "Could not open file %s (%d)", state->FileName, static_cast<int>(GetLastError()));
        return replaced ? 0 : -1;
    }
    state->FileHandle = file;
    state->ReadOnly = readOnly;
    // Also with no file open before: the views may still show a document
    // whose file was lost, and the table is about to change under them.
    EmptyViews(state);
    ReadDocumentFile(state);
    return 0;
}

int32_t RevertDocument(EditorState* state) {
    if (state->FileHandle == kNoFile) return 0;
    if (!AskUser(state, "Current file will be reverted to last save.  Continue?")) return -1;
    FileSeekStart(state->FileHandle);
    state->ChunkCount = 0;
    state->PoolUsed = 0;
    EmptyViews(state);
    ReadDocumentFile(state);
    return 0;
}

int32_t SaveDocument(EditorState* state) {
    if (state->FileHandle == kNoFile) return 0;
    if (state->ReadOnly) {
        ReportFormat(state, ReportError, "SAVE FAILED: Could not create file %s (%d)", state->FileName,
                     static_cast<int>(ERROR_ACCESS_DENIED));
        return -1;
    }
    if (!MayOverwritePart(state, state->FileName)) return -1;
    return SaveAndReopen(state, state->FileName);
}

int32_t SaveDocumentAs(EditorState* state) {
    char previous[kFileNameSize];
    std::memcpy(previous, state->FileName, sizeof previous);
    if (ChooseDtbFile(state, 1, nullptr) != 0) return -1;
    char target[kFileNameSize];
    std::memcpy(target, state->FileName, sizeof target);
    // Until the new file is in place the document stays on its old one.
    std::memcpy(state->FileName, previous, sizeof previous);
    bool sameFile = state->FileHandle != kNoFile && lstrcmpiA(target, previous) == 0;
    if (sameFile && !MayOverwritePart(state, target)) return -1;
    return SaveAndReopen(state, target);
}

void CloseDocument(EditorState* state) {
    CloseDocumentFile(state);
    EmptyDocument(state);
}

bool ConfirmDiscard(EditorState* state) {
    if (!state->Modified) return true;
    char question[kMessageSize];
    std::snprintf(question, sizeof question, "Save changes to %s?",
                  state->FileHandle != kNoFile ? state->FileName : "the document");
    switch (ShowMessageBox(MainWindowOf(state), question, kProgramTitle, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDNO:
        return true;
    case IDYES:
        return (state->FileHandle != kNoFile ? SaveDocument(state) : SaveDocumentAs(state)) == 0;
    default:
        return false;
    }
}
