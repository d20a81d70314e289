#include "file_commands.h"

#include <cstdio>
#include <cstring>

#include "app/editor.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"
#include "recent_files.h"
#include "safe_save.h"
#include "views/views.h"

namespace {

void CloseDocumentFile(Editor* e) {
    if (e->Doc.FileHandle != kNoFile) CloseHandle(FileOf(e));
    e->Doc.FileHandle = kNoFile;
    e->Doc.ReadOnly = false;
}

// No chunks, a zero header and key, nothing to save and nothing missing.
void EmptyDocument(Document* doc) {
    doc->ChunkCount = 0;
    doc->PoolUsed = 0;
    std::memset(doc->HeaderBytes, 0, sizeof doc->HeaderBytes);
    doc->Key = 0;
    ClearJournal(doc);
    doc->Incomplete = false;
}

// Reads the document's file from its start. A file that fails before its
// first chunk (no DTB at all, an empty file) is not the document's: it is
// let go and the document left empty, so that nothing is ever saved over it.
void ReadDocumentFile(Editor* e) {
    if (ReadDocument(&e->Doc) != 0 && e->Doc.ChunkCount == 0) {
        CloseDocumentFile(e);
        EmptyDocument(&e->Doc);
    }
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

FileChoice ChooseDtbFile(Editor* e, bool forSaving, bool* readOnly) {
    return ChooseDtbFileInto(e, e->Doc.FileName, forSaving, readOnly,
                             forSaving ? "Save DTB File As..." : "Load DTB File...");
}

FileChoice ChooseDtbFileInto(Editor* e, char* path, bool forSaving, bool* readOnly, const char* title) {
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

int32_t NewDocument(Editor* e) {
    if (ChooseDtbFile(e, true, nullptr) != FileChosen) return -1;
    CloseDocumentFile(e);
    NativeHandle file = OpenDocumentFile(e->Doc.FileName, true, false);
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    if (file == kNoFile) {
        ReportFormat(&e->Doc, ReportError, "New failed: Could not create file %s (%d)", e->Doc.FileName,
                     static_cast<int>(GetLastError()));
        return -1;
    }
    // A file that existed keeps its bytes until a save. An empty one, new or
    // not, gets the empty document at once: the editor never leaves behind a
    // file it would refuse to open.
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(reinterpret_cast<HANDLE>(file), &size) && size.QuadPart == 0) {
        Document empty;
        InitDocument(&empty);
        empty.Reporter = e->Doc.Reporter;
        empty.ReporterContext = e->Doc.ReporterContext;
        if (WriteDocumentTo(&empty, file, nullptr) != 0) {  // it has said why
            CloseHandle(reinterpret_cast<HANDLE>(file));
            if (created) DeleteFileA(e->Doc.FileName);
            return -1;
        }
    }
    EmptyDocument(&e->Doc);
    e->Doc.FileHandle = file;
    AddRecentFile(e, e->Doc.FileName);
    return 0;
}

namespace {

// Open's question about the document that is open, and its closing: with
// unsaved changes the offer to save them that Exit and Close make, without
// any the plain question. 1 when one was closed, 0 when none was open, -1
// when the user keeps it (or its save failed).
int32_t CloseForOpen(Editor* e) {
    if (e->Doc.Modified) {
        if (!ConfirmDiscard(e)) return -1;
    } else if (e->Doc.FileHandle == kNoFile) {
        return 0;
    } else if (AskUser(e, "Current file will close without saving.  Continue?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return -1;
    }
    CloseDocumentFile(e);
    EmptyDocument(&e->Doc);
    EmptyViews(e);
    return 1;
}

// Opens the file in FileName as the document's, read-only when asked or
// when it may only be read.
int32_t OpenChosenFile(Editor* e, bool readOnly, bool replaced) {
    // A file marked read-only is one the user keeps from being written,
    // whoever the user is.
    DWORD attributes = GetFileAttributesA(e->Doc.FileName);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) readOnly = true;
    NativeHandle file = OpenDocumentFile(e->Doc.FileName, false, readOnly);
    // A file that may be read but not written can still be looked at.
    if (file == kNoFile && !readOnly && GetLastError() == ERROR_ACCESS_DENIED) {
        readOnly = true;
        file = OpenDocumentFile(e->Doc.FileName, false, true);
    }
    if (file == kNoFile) {
        ReportOpenFailed(&e->Doc, e->Doc.FileName, static_cast<int32_t>(GetLastError()));
        return replaced ? 0 : -1;
    }
    e->Doc.FileHandle = file;
    e->Doc.ReadOnly = readOnly;
    // Also with no file open before: the views may still show a document
    // whose file was lost, and the table is about to change under them.
    EmptyViews(e);
    ReadDocumentFile(e);
    if (e->Doc.FileHandle != kNoFile) AddRecentFile(e, e->Doc.FileName);
    return 0;
}

}  // namespace

int32_t OpenDocument(Editor* e) {
    int32_t closed = CloseForOpen(e);
    if (closed < 0) return -1;
    bool readOnly = false;
    if (ChooseDtbFile(e, false, &readOnly) != FileChosen) return closed ? 0 : -1;
    return OpenChosenFile(e, readOnly, closed != 0);
}

int32_t OpenDocumentPath(Editor* e, const char* path) {
    int32_t closed = CloseForOpen(e);
    if (closed < 0) return -1;
    DWORD length = GetFullPathNameA(path, kFileNameSize, e->Doc.FileName, nullptr);
    if (length == 0 || length >= static_cast<DWORD>(kFileNameSize)) {
        ReportOpenFailed(&e->Doc, path, static_cast<int32_t>(length ? ERROR_FILENAME_EXCED_RANGE : GetLastError()));
        e->Doc.FileName[0] = '\0';
        return closed ? 0 : -1;
    }
    return OpenChosenFile(e, false, closed != 0);
}

int32_t RevertDocument(Editor* e) {
    if (e->Doc.FileHandle == kNoFile) return 0;
    if (AskUser(e, "Current file will be reverted to last save.  Continue?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return -1;
    SetFilePointer(FileOf(e), 0, nullptr, FILE_BEGIN);
    e->Doc.ChunkCount = 0;
    e->Doc.PoolUsed = 0;
    EmptyViews(e);
    ReadDocumentFile(e);
    return 0;
}

int32_t SaveDocument(Editor* e) {
    if (e->Doc.FileHandle == kNoFile) return 0;
    if (RefuseReadOnly(e, e->Doc.FileName)) return -1;
    if (!MayOverwritePart(e, e->Doc.FileName)) return -1;
    return SaveAndReopen(e, e->Doc.FileName);
}

int32_t SaveDocumentAs(Editor* e) {
    char previous[kFileNameSize];
    std::memcpy(previous, e->Doc.FileName, sizeof previous);
    if (ChooseDtbFile(e, true, nullptr) != FileChosen) return -1;
    char target[kFileNameSize];
    std::memcpy(target, e->Doc.FileName, sizeof target);
    // Until the new file is in place the document stays on its old one.
    std::memcpy(e->Doc.FileName, previous, sizeof previous);
    bool sameFile = e->Doc.FileHandle != kNoFile && lstrcmpiA(target, previous) == 0;
    if (sameFile && !MayOverwritePart(e, target)) return -1;
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
