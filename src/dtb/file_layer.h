// The core's only way to files: a handful of calls with a POSIX and a Win32
// implementation, chosen at build time. A file is a NativeHandle; kNoFile is
// none. Every call that fails leaves its reason in FileLastError().
#pragma once

#include <cstdint>

#include "editor_state.h"

// Reads up to count bytes; got receives how many arrived (0 at the end of the
// file). Returns false when the read itself failed.
bool FileRead(NativeHandle file, void* buffer, int32_t count, int32_t* got);
// Writes count bytes; written receives how many were written. Returns false
// on failure; a short write counts as failed by the caller.
bool FileWrite(NativeHandle file, const void* buffer, int32_t count, int32_t* written);
bool FileSeekStart(NativeHandle file);
// Cuts the file at the current position.
bool FileSetEnd(NativeHandle file);
// The platform's code for the last failure (errno or GetLastError()).
int32_t FileLastError();

// Opening, for the command line tool and the tests; the editor opens its
// files itself with the access and sharing it needs.
NativeHandle FileOpenRead(const char* path);
NativeHandle FileCreateNew(const char* path);  // read-write, fails if path exists
bool FileClose(NativeHandle file);
// Moves from over to, replacing to in one step where the platform can.
bool FileReplace(const char* from, const char* to);
bool FileDelete(const char* path);

// A seam for the tests: every call above goes through this table, so a test
// can make a read or a write fail at a chosen point. nullptr restores the
// platform's own.
struct FileLayer {
    bool (*Read)(NativeHandle, void*, int32_t, int32_t*);
    bool (*Write)(NativeHandle, const void*, int32_t, int32_t*);
    bool (*SeekStart)(NativeHandle);
    bool (*SetEnd)(NativeHandle);
    int32_t (*LastError)();
};
const FileLayer* PlatformFileLayer();
void SetFileLayer(const FileLayer* layer);
