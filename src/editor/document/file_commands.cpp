#include "file_commands.h"

#include <cstdio>
#include <cstring>

#include "base/editor.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "journal.h"
#include "recent_files.h"
#include "safe_save.h"

namespace {

void CloseDocumentFile(Editor* e) {
    if (e->Doc.FileHandle != kNoFile) CloseHandle(FileOf(e));
    e->Doc.FileHandle = kNoFile;
    e->Doc.ReadOnly = false;
}

// No chunks, a zero header and key, nothing to save and nothing missing:
// for what follows the table, another table.
void EmptyDocument(Document* doc) {
    doc->ChunkCount = 0;
    doc->PoolUsed = 0;
    std::memset(doc->HeaderBytes, 0, sizeof doc->HeaderBytes);
    doc->Key = 0;
    ClearJournal(doc);
    doc->Incomplete = false;
    ++doc->History.Steps;
    ++doc->History.Changes;
}

// The document the next one is read into, beside the one shown: the same
// hooks, memory and file layer, and empty. False after a report.
bool StartNextDocument(const Editor* e, Document* next) {
    InitDocument(next);
    next->Reporter = e->Doc.Reporter;
    next->ReporterContext = e->Doc.ReporterContext;
    next->Confirm = e->Doc.Confirm;
    next->ConfirmContext = e->Doc.ConfirmContext;
    next->Files = e->Doc.Files;
    next->Memory = e->Doc.Memory;
    next->History.Limit = e->Doc.History.Limit;
    return AllocateDocument(next) == 0;
}

// Lets go of a next document that is not taken: its memory, and its file
// unless that is the document's own.
void DropNextDocument(Editor* e, Document* next) {
    if (next->FileHandle != kNoFile && next->FileHandle != e->Doc.FileHandle)
        CloseHandle(reinterpret_cast<HANDLE>(next->FileHandle));
    FreeDocument(next);
}

// Reads next's file from its start. A file that fails before its first
// chunk (no DTB at all, an empty file) is no document: false, and the one
// shown stays, so that nothing is ever saved over such a file.
bool ReadNextDocument(Document* next) {
    SetFilePointer(reinterpret_cast<HANDLE>(next->FileHandle), 0, nullptr, FILE_BEGIN);
    return ReadDocument(next) == 0 || next->ChunkCount > 0;
}

// Whether path names the document's open file, which a second handle could
// not open for writing: a command on that file goes through the open handle.
bool IsOpenFile(const Editor* e, const char* path) {
    return e->Doc.FileHandle != kNoFile && lstrcmpiA(path, e->Doc.FileName) == 0;
}

// Saving over a file that was read only in part loses the rest of it: asked
// first, with No the default.
bool MayOverwritePart(Editor* e, const char* path) {
    if (!e->Doc.Incomplete) return true;
    char question[kMessageSize];
    std::snprintf(question, sizeof question,
                  "Only part of %s could be read. Saving over it loses the part that is not shown.  Save anyway?",
                  path);
    return AskUser(e, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// The document's file is reopened after every save, successful or not: the
// save closes it before the new file takes its place. Success makes path
// the document's file, writable, and the document one with nothing unsaved.
// A read-only file, or one opened read-only, is refused before the save
// starts, in words that say what to do instead.
bool RefuseReadOnly(Editor* e, const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
                    !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!readOnly && !(e->Doc.ReadOnly && path == e->Doc.FileName)) return false;
    ReportFormat(&e->Doc, ReportError,
                 "%s is read-only, so it cannot be saved over. Save As saves a copy under "
                 "another name.",
                 path);
    return true;
}

int32_t SaveAndReopen(Editor* e, const char* path) {
    if (RefuseReadOnly(e, path)) return -1;
    bool hadFile = e->Doc.FileHandle != kNoFile;
    int32_t result = SaveDocumentSafely(&e->Doc, path, &e->Doc.FileHandle);
    if (result == 0) {
        if (path != e->Doc.FileName) std::snprintf(e->Doc.FileName, sizeof e->Doc.FileName, "%s", path);
        e->Doc.ReadOnly = false;
        MarkSaved(&e->Doc);
        e->Doc.Incomplete = false;
        AddRecentFile(e, e->Doc.FileName);
    }
    if (e->Doc.FileHandle == kNoFile && (hadFile || result == 0)) {
        e->Doc.FileHandle = OpenDocumentFile(e->Doc.FileName, false, e->Doc.ReadOnly);
        if (e->Doc.FileHandle == kNoFile)
            ReportOpenFailed(&e->Doc, e->Doc.FileName, static_cast<int32_t>(GetLastError()));
    }
    return result;
}

}  // namespace

NativeHandle OpenDocumentFile(const char* path, bool create, bool readOnly) {
    HANDLE file = CreateFileA(path, readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<NativeHandle>(file);
}

FileChoice ChooseDtbFile(Editor* e, char* path, bool forSaving, bool* readOnly, const char* title) {
    OPENFILENAMEA dialog = {};
    // The layout every version of the dialog knows, without the later fields.
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = e->Window;
    dialog.hInstance = e->Instance;
    dialog.lpstrFilter = "KLV Data (*.dtb)\0*.dtb\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = kFileNameSize;
    dialog.lpstrInitialDir = e->Doc.FileName;
    dialog.lpstrTitle = title;
    // A file chosen to save over is confirmed in the dialog; one chosen to
    // open may be opened read-only there.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | (forSaving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    dialog.lpstrDefExt = forSaving ? ".dtb" : nullptr;
    DWORD error = 0;
    if (e->User.FileDialog(e->User.Context, &dialog, forSaving, &error)) {
        if (readOnly) *readOnly = (dialog.Flags & OFN_READONLY) != 0;
        return FileChosen;
    }
    if (error == 0) return FileCancelled;
    e->User.MessageBox(e->User.Context, nullptr, "Common Dialog Failure", kProgramTitle, MB_OK | MB_ICONERROR);
    return FileDialogFailed;
}

void AdoptDocument(Editor* e, Document* next) {
    if (e->Doc.FileHandle != kNoFile && e->Doc.FileHandle != next->FileHandle) CloseHandle(FileOf(e));
    // A step for the views and lists that follow the table: the table is another.
    next->History.Steps = e->Doc.History.Steps + 1;
    next->History.Changes = e->Doc.History.Changes + 1;
    FreeDocument(&e->Doc);
    e->Doc = *next;
    AddRecentFile(e, e->Doc.FileName);
}

int32_t NewDocument(Editor* e, Document* next) {
    char path[kFileNameSize];
    std::memcpy(path, e->Doc.FileName, sizeof path);
    if (ChooseDtbFile(e, path, true, nullptr, "Save DTB File As...") != FileChosen) return -1;
    if (!StartNextDocument(e, next)) return -1;
    bool created = false;
    if (IsOpenFile(e, path)) {
        next->FileHandle = e->Doc.FileHandle;
    } else {
        next->FileHandle = OpenDocumentFile(path, true, false);
        created = GetLastError() != ERROR_ALREADY_EXISTS;
    }
    if (next->FileHandle == kNoFile) {
        ReportFormat(&e->Doc, ReportError, "New failed: Could not create file %s (%d)", path,
                     static_cast<int>(GetLastError()));
        FreeDocument(next);
        return -1;
    }
    // A file that existed keeps its bytes until a save. An empty one, new or
    // not, gets the empty document at once: the editor never leaves behind a
    // file it would refuse to open.
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(reinterpret_cast<HANDLE>(next->FileHandle), &size) && size.QuadPart == 0 &&
        WriteDocumentTo(next, next->FileHandle, nullptr) != 0) {  // it has said why
        DropNextDocument(e, next);
        if (created) DeleteFileA(path);
        return -1;
    }
    std::memcpy(next->FileName, path, sizeof path);
    return 0;
}

namespace {

// Opens path as the next document's file, read-only when asked or when it
// may only be read; the document's own file through its open handle.
bool OpenNextFile(Editor* e, Document* next, const char* path, bool readOnly) {
    // A file marked read-only is one the user keeps from being written,
    // whoever the user is.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) readOnly = true;
    if (IsOpenFile(e, path)) {
        next->FileHandle = e->Doc.FileHandle;
        next->ReadOnly = readOnly || e->Doc.ReadOnly;
        return true;
    }
    next->FileHandle = OpenDocumentFile(path, false, readOnly);
    // A file that may be read but not written can still be looked at.
    if (next->FileHandle == kNoFile && !readOnly && GetLastError() == ERROR_ACCESS_DENIED) {
        readOnly = true;
        next->FileHandle = OpenDocumentFile(path, false, true);
    }
    if (next->FileHandle == kNoFile) {
        ReportOpenFailed(&e->Doc, path, static_cast<int32_t>(GetLastError()));
        return false;
    }
    next->ReadOnly = readOnly;
    return true;
}

// Reads path whole before anything of the document shown goes: 0 when it
// is the document now, -1 (reported) with the document, its file, its
// unsaved changes and its history as they were.
int32_t OpenFilePath(Editor* e, const char* path, bool readOnly, Document* next) {
    if (!StartNextDocument(e, next)) return -1;
    if (!OpenNextFile(e, next, path, readOnly) || !ReadNextDocument(next)) {
        DropNextDocument(e, next);
        return -1;
    }
    std::snprintf(next->FileName, sizeof next->FileName, "%s", path);
    return 0;
}

}  // namespace

// Unsaved changes are offered for saving first; No opens the other file
// without them, but they go only once that file is read. Without any
// changes nothing can be lost, so nothing is asked.
int32_t OpenDocument(Editor* e, Document* next) {
    if (!ConfirmDiscard(e)) return -1;
    char path[kFileNameSize];
    std::memcpy(path, e->Doc.FileName, sizeof path);
    bool readOnly = false;
    if (ChooseDtbFile(e, path, false, &readOnly, "Load DTB File...") != FileChosen) return -1;
    return OpenFilePath(e, path, readOnly, next);
}

int32_t OpenDocumentPath(Editor* e, const char* path, Document* next) {
    if (!ConfirmDiscard(e)) return -1;
    char full[kFileNameSize];
    DWORD length = GetFullPathNameA(path, kFileNameSize, full, nullptr);
    if (length == 0 || length >= static_cast<DWORD>(kFileNameSize)) {
        ReportOpenFailed(&e->Doc, path, static_cast<int32_t>(length ? ERROR_FILENAME_EXCED_RANGE : GetLastError()));
        return -1;
    }
    return OpenFilePath(e, full, false, next);
}

// The file is read again through its open handle; should that fail, the
// document stays as it was, unsaved changes and all.
int32_t RevertDocument(Editor* e, Document* next) {
    if (e->Doc.FileHandle == kNoFile) return -1;
    if (AskUser(e, "Current file will be reverted to last save.  Continue?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return -1;
    return OpenFilePath(e, e->Doc.FileName, e->Doc.ReadOnly, next);
}

int32_t SaveDocument(Editor* e) {
    if (e->Doc.FileHandle == kNoFile) return 0;
    if (RefuseReadOnly(e, e->Doc.FileName)) return -1;
    if (!MayOverwritePart(e, e->Doc.FileName)) return -1;
    return SaveAndReopen(e, e->Doc.FileName);
}

int32_t SaveDocumentAs(Editor* e) {
    // Until the new file is in place the document stays on its old one.
    char target[kFileNameSize];
    std::memcpy(target, e->Doc.FileName, sizeof target);
    if (ChooseDtbFile(e, target, true, nullptr, "Save DTB File As...") != FileChosen) return -1;
    if (IsOpenFile(e, target) && !MayOverwritePart(e, target)) return -1;
    return SaveAndReopen(e, target);
}

void CloseDocument(Editor* e) {
    CloseDocumentFile(e);
    EmptyDocument(&e->Doc);
}

bool ConfirmDiscard(Editor* e) {
    if (!e->Doc.Modified) return true;
    char question[kMessageSize];
    std::snprintf(question, sizeof question, "Save changes to %s?",
                  e->Doc.FileHandle != kNoFile ? e->Doc.FileName : "the document");
    switch (AskUser(e, question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDNO:
        return true;
    case IDYES:
        return (e->Doc.FileHandle != kNoFile ? SaveDocument(e) : SaveDocumentAs(e)) == 0;
    default:
        return false;
    }
}
