// The core's only way to files: a handful of calls with a POSIX and a Win32
// implementation, chosen at build time. A file is a NativeHandle; kNoFile is
// none. Every call that fails leaves its reason in FileLastError().
#pragma once

#include <cstdint>

#include "editor_state.h"

// Reads up to count bytes; got receives how many arrived (0 at the end of the
// file). Returns false when the read itself failed.
bool FileRead(NativeHandle file, void* buffer, int32_t count, int32_t* got);
// Writes count bytes; written receives how many were written. A write that
// stops short is a failure, with the platform's code for a full disk when
// the system gave no reason of its own.
bool FileWrite(NativeHandle file, const void* buffer, int32_t count, int32_t* written);
bool FileSeekStart(NativeHandle file);
// Cuts the file at the current position.
bool FileSetEnd(NativeHandle file);
// Makes the file at least size bytes long on disk, so that rewriting that
// much in place cannot run out of room half-way; the position is the start.
bool FileReserve(NativeHandle file, int64_t size);
// Puts everything written so far on the disk itself.
bool FileFlush(NativeHandle file);
bool FileClose(NativeHandle file);
// The platform's code for the last failure (errno or GetLastError()).
int32_t FileLastError();

// Opening, for the command line tool, the tests and the tools; the editor
// opens its document's file itself with the access and sharing it needs.
NativeHandle FileOpenRead(const char* path);
NativeHandle FileCreateNew(const char* path);  // read-write, fails if path exists
bool FileDelete(const char* path);

// What a save finds where it is to write.
enum SaveTargetKind : int32_t {
    TargetMissing = 0,      // no file yet: it will be created
    TargetFile = 1,         // a file that may be replaced
    TargetReadOnly = 2,     // a file the user may not change (FileLastError() says why)
    TargetNotFile = 3,      // a folder, a pipe, a device: nothing to replace
    TargetUnreachable = 4,  // the folder is missing or cannot be looked at (FileLastError())
};

enum ReplaceOutcome : int32_t {
    Replaced = 0,
    ReplaceInUse = 1,   // another program holds the file so that it cannot be swapped, only rewritten
    ReplaceFailed = 2,  // FileLastError() says why
};

// The platform's half of a safe save. Paths are the user's 8-bit text; the
// names made here are allocated with malloc and freed by the caller.
//
// Looks at path, following symbolic links to the file they name (the link
// stays, its target gets the content), and sets *target to that file's path.
SaveTargetKind FileInspectSaveTarget(const char* path, char** target);
// Creates a new file beside target under a short name no file has yet,
// carrying target's permissions, attributes and creation time when it
// exists; *temporary receives its path. The name is the same for every
// save of one target but for its unique part, so stale ones can be found.
NativeHandle FileCreateTemporary(const char* target, char** temporary);
// Puts the closed temporary in target's place in one step, keeping what
// makes target the user's file (attributes, security, creation time).
ReplaceOutcome FileReplaceWith(const char* temporary, const char* target);
// Opens target for rewriting in place, beside whatever other program holds it.
NativeHandle FileOpenForRewrite(const char* target);
// Deletes the temporaries of earlier saves of target that a crash or a
// killed run left behind; one that another save is still writing is kept.
void FileRemoveStaleTemporaries(const char* target);

// A seam for the tests: every call above goes through this table, so a test
// can make any step fail at a chosen point. Tests start from a copy of
// PlatformFileLayer() and replace what they need; nullptr restores it.
struct FileLayer {
    bool (*Read)(NativeHandle, void*, int32_t, int32_t*);
    bool (*Write)(NativeHandle, const void*, int32_t, int32_t*);
    bool (*SeekStart)(NativeHandle);
    bool (*SetEnd)(NativeHandle);
    bool (*Reserve)(NativeHandle, int64_t);
    bool (*Flush)(NativeHandle);
    bool (*Close)(NativeHandle);
    int32_t (*LastError)();
    SaveTargetKind (*InspectSaveTarget)(const char*, char**);
    NativeHandle (*CreateTemporary)(const char*, char**);
    ReplaceOutcome (*ReplaceWith)(const char*, const char*);
    NativeHandle (*OpenForRewrite)(const char*);
    bool (*Delete)(const char*);
    void (*RemoveStaleTemporaries)(const char*);
};
const FileLayer* PlatformFileLayer();
void SetFileLayer(const FileLayer* layer);
