#include "file_layer.h"

#include <cstdio>

#include "os/temporary_name.h"

namespace {
const FileLayer* g_layer = nullptr;
const FileLayer& Layer() { return g_layer ? *g_layer : *PlatformFileLayer(); }
}  // namespace

void SetFileLayer(const FileLayer* layer) { g_layer = layer; }

bool FileRead(NativeHandle file, void* buffer, int32_t count, int32_t* got) {
    return Layer().Read(file, buffer, count, got);
}
bool FileWrite(NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    return Layer().Write(file, buffer, count, written);
}
bool FileSeekStart(NativeHandle file) { return Layer().SeekStart(file); }
bool FileSetEnd(NativeHandle file) { return Layer().SetEnd(file); }
bool FileReserve(NativeHandle file, int64_t size) { return Layer().Reserve(file, size); }
bool FileFlush(NativeHandle file) { return Layer().Flush(file); }
bool FileClose(NativeHandle file) { return Layer().Close(file); }
int32_t FileLastError() { return Layer().LastError(); }
SaveTargetKind FileInspectSaveTarget(const char* path, char** target) { return Layer().InspectSaveTarget(path, target); }
NativeHandle FileCreateTemporary(const char* target, char** temporary) {
    return Layer().CreateTemporary(target, temporary);
}
ReplaceOutcome FileReplaceWith(const char* temporary, const char* target) {
    return Layer().ReplaceWith(temporary, target);
}
NativeHandle FileOpenForRewrite(const char* target) { return Layer().OpenForRewrite(target); }
bool FileDelete(const char* path) { return Layer().Delete(path); }
void FileRemoveStaleTemporaries(const char* target) { Layer().RemoveStaleTemporaries(target); }

size_t FolderLength(const char* path) {
    size_t folder = 0;
    for (size_t i = 0; path[i]; ++i)
        if (path[i] == '/' || path[i] == '\\') folder = i + 1;
    return folder;
}

void TemporaryPrefix(const char* target, bool foldCase, char* prefix) {
    // FNV-1a of the file's own name: the same for every save of one file, and
    // short whatever the name's length, so the temporary always fits where
    // the file itself does.
    uint32_t hash = 2166136261u;
    for (const char* p = target + FolderLength(target); *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (foldCase && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        hash = (hash ^ c) * 16777619u;
    }
    std::snprintf(prefix, kTemporaryPrefixSize, "~dtb%08x-", static_cast<unsigned>(hash));
}
