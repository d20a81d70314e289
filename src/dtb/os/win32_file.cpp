// The file layer on Windows: a file is a HANDLE, and the calls are the ones
// the editor has always made (ReadFile, WriteFile, SetFilePointer,
// SetEndOfFile, GetLastError).
#include <windows.h>

#include "../file_layer.h"

namespace {

HANDLE H(NativeHandle file) { return reinterpret_cast<HANDLE>(file); }

bool Win32Read(NativeHandle file, void* buffer, int32_t count, int32_t* got) {
    DWORD n = 0;
    BOOL ok = ReadFile(H(file), buffer, static_cast<DWORD>(count), &n, nullptr);
    *got = static_cast<int32_t>(n);
    return ok != 0;
}

bool Win32Write(NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    DWORD n = 0;
    BOOL ok = WriteFile(H(file), buffer, static_cast<DWORD>(count), &n, nullptr);
    *written = static_cast<int32_t>(n);
    return ok != 0;
}

bool Win32SeekStart(NativeHandle file) { return SetFilePointer(H(file), 0, nullptr, FILE_BEGIN) == 0; }

bool Win32SetEnd(NativeHandle file) { return SetEndOfFile(H(file)) != 0; }

int32_t Win32LastError() { return static_cast<int32_t>(GetLastError()); }

const FileLayer kWin32 = {Win32Read, Win32Write, Win32SeekStart, Win32SetEnd, Win32LastError};

NativeHandle Wrap(HANDLE h) { return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<NativeHandle>(h); }

}  // namespace

const FileLayer* PlatformFileLayer() { return &kWin32; }

NativeHandle FileOpenRead(const char* path) {
    return Wrap(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

NativeHandle FileCreateNew(const char* path) {
    return Wrap(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool FileClose(NativeHandle file) { return CloseHandle(H(file)) != 0; }

bool FileReplace(const char* from, const char* to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileDelete(const char* path) { return DeleteFileA(path) != 0; }
