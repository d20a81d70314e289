// Find and Replace over a list of files, for dtbtool and the editor's
// "Files in folder" alike: each file read, searched and, when replacing,
// saved through the safe save, whole or not at all. Several files are in
// flight at once (a save spends most of its time waiting for the disk), and
// each file's outcome reaches the caller in the order of the list. Nothing
// thrown crosses this interface.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "chunk_path.h"
#include "find_replace.h"

struct FileOutcome {
    size_t Index;  // in the list
    const char* Path;
    // The file as read, after the replacement when replacing (in memory
    // only on a dry run); nullptr when it could not be read.
    const Document* Doc;
    // The matches in table order, with their paths, for find and a dry run
    // (a dry run's found before replacing); empty for a replace.
    const std::vector<int32_t>* Found;
    const PathIndex* Paths;  // nullptr while Found is empty
    int32_t Replaced;        // values replaced (on a dry run: that would be)
    bool Failed;             // not read, refused or not saved: the file is as it was
    const char* Messages;    // what the core said about the file, a line each; "" for nothing
};

typedef void (*FileOutcomeHook)(void* context, const FileOutcome& outcome);

struct FilesSearch {
    FindOptions Options;
    const char* Replacement = nullptr;  // nullptr: find
    bool DryRun = false;                // replace in memory, write nothing
    const char* const* Files = nullptr;
    size_t FileCount = 0;
    // Raised from any thread: no file is begun after it, and those begun
    // end whole (replaced and saved, or as they were).
    const std::atomic<bool>* Stop = nullptr;
    // A dry run's matches before they are replaced, on the thread that read
    // the file, in no order; the values are still as they were.
    FileOutcomeHook BeforeReplace = nullptr;
    // Each file's outcome in the order of the list, one at a time.
    FileOutcomeHook Each = nullptr;
    void* Context = nullptr;
};

// Returns how many files were done: all of them, or those begun before a stop.
size_t SearchFiles(const FilesSearch& search);

// Files held at once: find reads on as many threads as there are cores to
// share; a replace keeps more in flight, most of them waiting for a flush.
const unsigned kFindThreads = 2;
const unsigned kReplaceThreads = 8;
