#include "safe_save.h"

#include <cstdlib>

#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"

namespace {

const char kCreateFailed[] = "SAVE FAILED: Could not create file %s (%d)";
const char kWriteFailed[] = "SAVE FAILED: Could not write file %s (%d)";
const char kReplaceFailed[] = "SAVE FAILED: Could not replace file %s (%d)";

enum Rewrite { Rewritten, NotRewritten, RewriteBroken };

// The temporary holds the whole document on disk, but the swap was refused
// because another program holds the file. Written in place, the file changes
// only once room for every byte is secured, so a full disk cannot leave it
// half old, half new. Should the writing fail all the same, the temporary is
// the one whole copy left, and the message says where it is.
struct Content {
    ContentWriter write;
    void* context;
};

Rewrite RewriteInPlace(Document* doc, const char* path, const char* target, const char* temporary, int64_t size,
                       const Content& content) {
    const FileLayer& files = FilesOf(doc);
    int32_t refusal = files.LastError(files.Context);
    NativeHandle file = files.OpenForRewrite(files.Context, target);
    if (file == kNoFile) {
        ReportFormat(doc, ReportError, kReplaceFailed, path, refusal);
        return NotRewritten;
    }
    Rewrite result = Rewritten;
    if (!files.Reserve(files.Context, file, size)) {
        ReportFormat(doc, ReportError, kWriteFailed, path, files.LastError(files.Context));
        result = NotRewritten;
    } else if (content.write(doc, file, nullptr, content.context) != 0 || !files.Flush(files.Context, file)) {
        ReportFormat(doc, ReportError, "SAVE FAILED: Could not write file %s (%d). The saved document is kept in %s.",
                     path, files.LastError(files.Context), temporary);
        result = RewriteBroken;
    }
    files.Close(files.Context, file);
    return result;
}

int32_t WriteWholeDocument(Document* doc, NativeHandle file, int64_t* size, void*) {
    return WriteDocumentTo(doc, file, size);
}

// Writes the content into the open temporary and closes it; false after a
// report. *size: the bytes written.
bool WriteTemporary(Document* doc, const char* path, NativeHandle file, const Content& content, int64_t* size) {
    const FileLayer& files = FilesOf(doc);
    bool written = content.write(doc, file, size, content.context) == 0;  // reports its own failure
    if (written && !files.Flush(files.Context, file)) {
        ReportFormat(doc, ReportError, kWriteFailed, path, files.LastError(files.Context));
        written = false;
    }
    if (!files.Close(files.Context, file) && written) {
        ReportFormat(doc, ReportError, kWriteFailed, path, files.LastError(files.Context));
        written = false;
    }
    return written;
}

// The written temporary becomes the file at target: swapped in, or where
// another program holds the file, copied into it. 0, or -1 after a report;
// *keepTemporary when the temporary is the file now or its only whole copy.
int32_t PutInPlace(Document* doc, const char* path, const char* target, const char* temporary, int64_t size,
                   const Content& content, NativeHandle* held, bool* keepTemporary) {
    const FileLayer& files = FilesOf(doc);
    if (held && *held != kNoFile) {
        files.Close(files.Context, *held);
        *held = kNoFile;
    }
    *keepTemporary = false;
    switch (files.ReplaceWith(files.Context, temporary, target)) {
    case Replaced:
        *keepTemporary = true;  // it is the file now
        return 0;
    case ReplaceInUse: {
        Rewrite rewrite = RewriteInPlace(doc, path, target, temporary, size, content);
        *keepTemporary = rewrite == RewriteBroken;  // it is the only whole copy
        return rewrite == Rewritten ? 0 : -1;
    }
    case ReplaceFailed:
        ReportFormat(doc, ReportError, kReplaceFailed, path, files.LastError(files.Context));
        break;
    }
    return -1;
}

int32_t Save(Document* doc, const char* path, NativeHandle* held, const Content& content, bool sweep) {
    const FileLayer& files = FilesOf(doc);
    char* target = nullptr;
    SaveTargetKind kind = files.InspectSaveTarget(files.Context, path, &target);
    if (kind != TargetMissing && kind != TargetFile) {
        if (kind == TargetNotFile) {
            ReportFormat(doc, ReportError, "SAVE FAILED: %s is not a regular file", path);
        } else {
            ReportFormat(doc, ReportError, kCreateFailed, path, files.LastError(files.Context));
        }
        std::free(target);
        return -1;
    }
    if (sweep) files.RemoveStaleTemporaries(files.Context, target);
    char* temporary = nullptr;
    NativeHandle file = files.CreateTemporary(files.Context, target, &temporary);
    if (file == kNoFile) {
        ReportFormat(doc, ReportError, kCreateFailed, path, files.LastError(files.Context));
        std::free(target);
        return -1;
    }
    int64_t size = 0;
    int32_t result = -1;
    bool keepTemporary = false;
    if (WriteTemporary(doc, path, file, content, &size))
        result = PutInPlace(doc, path, target, temporary, size, content, held, &keepTemporary);
    if (!keepTemporary) files.Delete(files.Context, temporary);
    std::free(temporary);
    std::free(target);
    return result;
}

}  // namespace

int32_t SaveContentSafely(Document* doc, const char* path, NativeHandle* held, ContentWriter write, void* context) {
    return Save(doc, path, held, {write, context}, true);
}

int32_t SaveDocumentSafely(Document* doc, const char* path, NativeHandle* held) {
    return Save(doc, path, held, {WriteWholeDocument, nullptr}, true);
}

int32_t SaveDocumentInSweptFolder(Document* doc, const char* path) {
    return Save(doc, path, nullptr, {WriteWholeDocument, nullptr}, false);
}

void SweepStaleTemporaries(const Document* doc, const char* folder) {
    const FileLayer& files = FilesOf(doc);
    files.RemoveStaleTemporaries(files.Context, *folder ? folder : "./");
}
