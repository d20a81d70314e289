// The file layer on Windows: a file is a HANDLE, and the calls are the ones
// the editor has always made (ReadFile, WriteFile, SetFilePointer,
// SetEndOfFile, GetLastError).
//
// A save's temporary and the swap that puts it in place go through the
// wide-character calls on "\\?\" paths: the temporary's name is short, but
// beside a file whose path is already 259 characters long nothing longer
// fits within MAX_PATH, and every file that can be opened must be savable.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "../file_layer.h"
#include "temporary_name.h"

namespace {

HANDLE H(NativeHandle file) { return reinterpret_cast<HANDLE>(file); }
NativeHandle Wrap(HANDLE h) { return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<NativeHandle>(h); }

bool Win32Read(void*, NativeHandle file, void* buffer, int32_t count, int32_t* got) {
    DWORD n = 0;
    BOOL ok = ReadFile(H(file), buffer, static_cast<DWORD>(count), &n, nullptr);
    *got = static_cast<int32_t>(n);
    return ok != 0;
}

bool Win32Write(void*, NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    DWORD n = 0;
    BOOL ok = WriteFile(H(file), buffer, static_cast<DWORD>(count), &n, nullptr);
    *written = static_cast<int32_t>(n);
    // A write that stops short succeeds without a reason: the disk is full.
    if (ok && n < static_cast<DWORD>(count)) SetLastError(ERROR_DISK_FULL);
    return ok && n == static_cast<DWORD>(count);
}

bool Win32SeekStart(void*, NativeHandle file) { return SetFilePointer(H(file), 0, nullptr, FILE_BEGIN) == 0; }

bool Win32SetEnd(void*, NativeHandle file) { return SetEndOfFile(H(file)) != 0; }

int64_t Win32Length(void*, NativeHandle file) {
    LARGE_INTEGER size;
    return GetFileType(H(file)) == FILE_TYPE_DISK && GetFileSizeEx(H(file), &size) ? size.QuadPart : -1;
}

bool Win32Reserve(void*, NativeHandle file, int64_t size) {
    LARGE_INTEGER current;
    if (!GetFileSizeEx(H(file), &current)) return false;
    if (current.QuadPart < size) {
        LARGE_INTEGER end;
        end.QuadPart = size;
        if (!SetFilePointerEx(H(file), end, nullptr, FILE_BEGIN) || !SetEndOfFile(H(file))) return false;
    }
    return Win32SeekStart(nullptr, file);
}

bool Win32Flush(void*, NativeHandle file) { return FlushFileBuffers(H(file)) != 0; }

bool Win32Close(void*, NativeHandle file) { return CloseHandle(H(file)) != 0; }

int32_t Win32LastError(void*) { return static_cast<int32_t>(GetLastError()); }

// path as a full "\\?\" path in wide characters, or nullptr (the last error
// says why). Freed with free().
wchar_t* LongPath(const char* path) {
    int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    wchar_t* wide =
        length > 0 ? static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * static_cast<size_t>(length))) : nullptr;
    if (!wide || !MultiByteToWideChar(CP_ACP, 0, path, -1, wide, length)) {
        std::free(wide);
        return nullptr;
    }
    if (std::wcsncmp(wide, L"\\\\?\\", 4) == 0) return wide;
    DWORD full = GetFullPathNameW(wide, 0, nullptr, nullptr);
    // "\\?\UNC\" replaces the two leading separators of a network path.
    wchar_t* result = full ? static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (full + 8))) : nullptr;
    if (result) {
        wchar_t* body = result + 4;
        DWORD written = GetFullPathNameW(wide, full, body, nullptr);
        if (written == 0 || written >= full) {
            std::free(result);
            result = nullptr;
        } else if (body[0] == L'\\' && body[1] == L'\\') {
            std::memmove(result + 8, body + 2, sizeof(wchar_t) * (written - 1));
            std::memcpy(result, L"\\\\?\\UNC\\", 8 * sizeof(wchar_t));
        } else {
            std::memcpy(result, L"\\\\?\\", 4 * sizeof(wchar_t));
        }
    }
    std::free(wide);
    return result;
}

char* Copy(const char* text) {
    size_t length = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(length));
    if (copy) std::memcpy(copy, text, length);
    return copy;
}

SaveTargetKind Win32InspectSaveTarget(void*, const char* path, char** target) {
    *target = Copy(path);
    wchar_t* wide = *target ? LongPath(path) : nullptr;
    if (!wide) return TargetUnreachable;
    DWORD attributes = GetFileAttributesW(wide);
    DWORD error = GetLastError();
    std::free(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        SetLastError(error);
        return error == ERROR_FILE_NOT_FOUND ? TargetMissing : TargetUnreachable;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return TargetNotFile;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetLastError(ERROR_ACCESS_DENIED);  // what writing to it would give
        return TargetReadOnly;
    }
    return TargetFile;
}

NativeHandle Win32CreateTemporary(void*, const char* target, char** temporary) {
    *temporary = nullptr;
    wchar_t* wideTarget = LongPath(target);
    if (!wideTarget) return kNoFile;
    // The swap keeps the old file's security and age; its attributes the new
    // file is given from the start, as not every system's swap carries them.
    DWORD attributes = GetFileAttributesW(wideTarget);
    std::free(wideTarget);
    attributes = attributes == INVALID_FILE_ATTRIBUTES
                     ? 0
                     : attributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    char prefix[kTemporaryPrefixSize];
    TemporaryPrefix(target, true, prefix);
    size_t folder = FolderLength(target);
    unsigned unique = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[kTemporaryPrefixSize + 16];
        std::snprintf(name, sizeof name, "%s%04x%s", prefix, (unique + static_cast<unsigned>(attempt)) & 0xFFFFu,
                      kTemporarySuffix);
        size_t nameLength = std::strlen(name);
        char* path = static_cast<char*>(std::malloc(folder + nameLength + 1));
        if (!path) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return kNoFile;
        }
        std::memcpy(path, target, folder);
        std::memcpy(path + folder, name, nameLength + 1);
        wchar_t* wide = LongPath(path);
        HANDLE file = wide ? CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr)
                           : INVALID_HANDLE_VALUE;
        DWORD error = GetLastError();
        std::free(wide);
        if (file != INVALID_HANDLE_VALUE) {
            *temporary = path;
            return Wrap(file);
        }
        std::free(path);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            SetLastError(error);
            return kNoFile;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return kNoFile;
}

ReplaceOutcome Win32ReplaceWith(void*, const char* temporary, const char* target) {
    wchar_t* from = LongPath(temporary);
    wchar_t* to = from ? LongPath(target) : nullptr;
    BOOL done = FALSE;
    if (to) {
        if (GetFileAttributesW(to) != INVALID_FILE_ATTRIBUTES) {
            done = ReplaceFileW(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                                nullptr, nullptr);
        } else {
            done = MoveFileExW(from, to, MOVEFILE_WRITE_THROUGH);
        }
    }
    DWORD error = GetLastError();
    std::free(from);
    std::free(to);
    SetLastError(error);
    if (done) return Replaced;
    // Another program's handle without delete sharing refuses the swap
    // but would let the file be written.
    bool inUse = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
                 error == ERROR_UNABLE_TO_REMOVE_REPLACED;
    return inUse ? ReplaceInUse : ReplaceFailed;
}

NativeHandle Win32OpenForRewrite(void*, const char* target) {
    wchar_t* wide = LongPath(target);
    HANDLE file = wide ? CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                       : INVALID_HANDLE_VALUE;
    DWORD error = GetLastError();
    std::free(wide);
    SetLastError(error);
    return Wrap(file);
}

bool Win32Delete(void*, const char* path) {
    wchar_t* wide = LongPath(path);
    bool done = wide && DeleteFileW(wide);
    std::free(wide);
    return done;
}

void Win32RemoveStaleTemporaries(void*, const char* target) {
    char prefix[kTemporaryPrefixSize];
    TemporaryPrefix(target, true, prefix);
    size_t folder = FolderLength(target);
    size_t patternLength = folder + std::strlen(prefix) + 1 + std::strlen(kTemporarySuffix);
    char* pattern = static_cast<char*>(std::malloc(patternLength + 1));
    if (!pattern) return;
    std::memcpy(pattern, target, folder);
    std::snprintf(pattern + folder, patternLength + 1 - folder, "%s*%s", prefix, kTemporarySuffix);
    wchar_t* widePattern = LongPath(pattern);
    std::free(pattern);
    if (!widePattern) return;
    // The folder part of the long pattern, to put each found name after.
    size_t wideFolder = std::wcslen(widePattern);
    while (wideFolder > 0 && widePattern[wideFolder - 1] != L'\\') --wideFolder;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            size_t nameLength = std::wcslen(found.cFileName);
            wchar_t* path = static_cast<wchar_t*>(std::malloc(sizeof(wchar_t) * (wideFolder + nameLength + 1)));
            if (!path) break;
            std::memcpy(path, widePattern, sizeof(wchar_t) * wideFolder);
            std::memcpy(path + wideFolder, found.cFileName, sizeof(wchar_t) * (nameLength + 1));
            DeleteFileW(path);  // refused while another save holds it open: that one is not stale
            std::free(path);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::free(widePattern);
}

const FileLayer kWin32 = {Win32Read,
                          Win32Write,
                          Win32SeekStart,
                          Win32SetEnd,
                          Win32Reserve,
                          Win32Flush,
                          Win32Close,
                          Win32LastError,
                          Win32Length,
                          Win32InspectSaveTarget,
                          Win32CreateTemporary,
                          Win32ReplaceWith,
                          Win32OpenForRewrite,
                          Win32Delete,
                          Win32RemoveStaleTemporaries,
                          nullptr};

}  // namespace

const FileLayer* PlatformFileLayer() { return &kWin32; }

NativeHandle FileOpenRead(const char* path) {
    return Wrap(
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

NativeHandle FileCreateNew(const char* path) {
    return Wrap(
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}
