#include "safe_save.h"

#include <cstdlib>

#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"

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
Rewrite RewriteInPlace(EditorState* state, const char* path, const char* target, const char* temporary, int64_t size) {
    int32_t refusal = FileLastError();
    NativeHandle file = FileOpenForRewrite(target);
    if (file == kNoFile) {
        ReportFormat(state, ReportError, kReplaceFailed, path, refusal);
        return NotRewritten;
    }
    Rewrite result = Rewritten;
    if (!FileReserve(file, size)) {
        ReportFormat(state, ReportError, kWriteFailed, path, FileLastError());
        result = NotRewritten;
    } else if (WriteDocumentTo(state, file, nullptr) != 0 || !FileFlush(file)) {
        ReportFormat(state, ReportError, "SAVE FAILED: Could not write file %s (%d). The saved document is kept in %s.",
                     path, FileLastError(), temporary);
        result = RewriteBroken;
    }
    FileClose(file);
    return result;
}

}  // namespace

int32_t SaveDocumentSafely(EditorState* state, const char* path, NativeHandle* held) {
    char* target = nullptr;
    SaveTargetKind kind = FileInspectSaveTarget(path, &target);
    if (kind != TargetMissing && kind != TargetFile) {
        if (kind == TargetNotFile) {
            ReportFormat(state, ReportError, "SAVE FAILED: %s is not a regular file", path);
        } else {
            ReportFormat(state, ReportError, kCreateFailed, path, FileLastError());
        }
        std::free(target);
        return -1;
    }
    FileRemoveStaleTemporaries(target);
    char* temporary = nullptr;
    NativeHandle file = FileCreateTemporary(target, &temporary);
    if (file == kNoFile) {
        ReportFormat(state, ReportError, kCreateFailed, path, FileLastError());
        std::free(target);
        return -1;
    }
    int64_t size = 0;
    bool written = WriteDocumentTo(state, file, &size) == 0;  // reports its own failure
    if (written && !FileFlush(file)) {
        ReportFormat(state, ReportError, kWriteFailed, path, FileLastError());
        written = false;
    }
    if (!FileClose(file) && written) {
        ReportFormat(state, ReportError, kWriteFailed, path, FileLastError());
        written = false;
    }
    int32_t result = -1;
    bool deleteTemporary = true;
    if (written) {
        if (held && *held != kNoFile) {
            FileClose(*held);
            *held = kNoFile;
        }
        switch (FileReplaceWith(temporary, target)) {
        case Replaced:
            result = 0;
            deleteTemporary = false;  // it is the file now
            break;
        case ReplaceInUse: {
            Rewrite rewrite = RewriteInPlace(state, path, target, temporary, size);
            result = rewrite == Rewritten ? 0 : -1;
            deleteTemporary = rewrite != RewriteBroken;  // else it is the only whole copy
            break;
        }
        case ReplaceFailed:
            ReportFormat(state, ReportError, kReplaceFailed, path, FileLastError());
            break;
        }
    }
    if (deleteTemporary) FileDelete(temporary);
    std::free(temporary);
    std::free(target);
    return result;
}
