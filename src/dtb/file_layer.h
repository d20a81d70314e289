// The core's only way to files: a table of calls with a POSIX and a Win32
// implementation, chosen at build time. A document reads and writes through
// its own table when it has one (the tests' in-memory files and failing
// disks), else through the platform's. A file is a NativeHandle; kNoFile is
// none. Every call that fails leaves its reason in LastError().
#pragma once

#include <cstdint>

#include "document.h"

// What a save finds where it is to write.
enum SaveTargetKind : int32_t {
    TargetMissing = 0,      // no file yet: it will be created
    TargetFile = 1,         // a file that may be replaced
    TargetReadOnly = 2,     // a file the user may not change (LastError() says why)
    TargetNotFile = 3,      // a folder, a pipe, a device: nothing to replace
    TargetUnreachable = 4,  // the folder is missing or cannot be looked at (LastError())
};

enum ReplaceOutcome : int32_t {
    Replaced = 0,
    ReplaceInUse = 1,   // another program holds the file so that it cannot be swapped, only rewritten
    ReplaceFailed = 2,  // LastError() says why
};

struct FileLayer {
    // Reads up to count bytes; got receives how many arrived (0 at the end of
    // the file). False when the read itself failed.
    bool (*Read)(void* context, NativeHandle file, void* buffer, int32_t count, int32_t* got);
    // Writes count bytes; written receives how many were written. A write
    // that stops short is a failure, with the platform's code for a full disk
    // when the system gave no reason of its own.
    bool (*Write)(void* context, NativeHandle file, const void* buffer, int32_t count, int32_t* written);
    bool (*SeekStart)(void* context, NativeHandle file);
    bool (*SetEnd)(void* context, NativeHandle file);  // cuts the file at the current position
    // Makes the file at least size bytes long on disk, so that rewriting that
    // much in place cannot run out of room half-way; the position is the start.
    bool (*Reserve)(void* context, NativeHandle file, int64_t size);
    bool (*Flush)(void* context, NativeHandle file);  // everything written so far onto the disk itself
    bool (*Close)(void* context, NativeHandle file);
    int32_t (*LastError)(void* context);  // the platform's code for the last failure (errno or GetLastError())
    // The file's length in bytes, or -1 when it has none that bounds what a
    // read returns (a pipe, a device) or it cannot be told.
    int64_t (*Length)(void* context, NativeHandle file);

    // The platform's half of a safe save (safe_save.h). Paths are the user's
    // 8-bit text; names made here are allocated with malloc, freed by the caller.
    //
    // Looks at path, following symbolic links to the file they name (the link
    // stays, its target gets the content), and sets *target to that file's path.
    SaveTargetKind (*InspectSaveTarget)(void* context, const char* path, char** target);
    // Creates a new file beside target under a short name no file has yet,
    // carrying target's permissions and attributes when it exists;
    // *temporary receives its path. The name is the same for every save of one
    // target but for its unique part, so stale ones can be found.
    NativeHandle (*CreateTemporary)(void* context, const char* target, char** temporary);
    // Puts the closed temporary in target's place in one step, keeping what
    // makes target the user's file (attributes, security, creation time).
    ReplaceOutcome (*ReplaceWith)(void* context, const char* temporary, const char* target);
    // Opens target for rewriting in place, beside whatever other program holds it.
    NativeHandle (*OpenForRewrite)(void* context, const char* target);
    bool (*Delete)(void* context, const char* path);
    // Deletes the temporaries of earlier saves of target that a crash or a
    // killed run left behind; one that another save is still writing is kept.
    // A target that ends in a separator stands for every file in that folder.
    void (*RemoveStaleTemporaries)(void* context, const char* target);

    // Handed back as the first argument of every call, so that a layer with
    // state of its own (a test's failing disk) needs no globals; the
    // platform's is nullptr.
    void* Context;
};

const FileLayer* PlatformFileLayer();
// The table doc's files go through.
inline const FileLayer& FilesOf(const Document* doc) { return doc->Files ? *doc->Files : *PlatformFileLayer(); }

// Opening, for the command line tool and the tests; the editor opens its
// document's file itself with the access and sharing it needs.
NativeHandle FileOpenRead(const char* path);
NativeHandle FileCreateNew(const char* path);  // read-write, fails if path exists
