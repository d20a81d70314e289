// The record of a run over the files of a folder (find_dialog.h has the
// scope's entry points), shared by the run and its list: what the run's
// thread fills and the dialog's thread shows.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "files_search.h"
#include "find_dialog.h"
#include "folder_walk.h"

enum FilesPhase : int32_t { FilesFinding, FilesCounting, FilesReplacing };

// A line of the list: a match (path, type and value in Text from At, each
// ending in a zero) or a file that could not be read or changed (Problem:
// the reason at At).
struct FilesLine {
    uint32_t File;  // in FilesRun::Listing.Files, or past it for a folder
    bool Problem;
    size_t At;
};

struct FilesRun {
    HWND Dialog;
    FilesPhase Phase;
    std::string Pattern, With;  // the options point into these
    FindOptions Options;
    bool Subfolders;
    std::string Folder, Patterns;
    std::string OpenFile;  // the editor's file, in full; left to the editor
    FolderFiles Listing;
    std::vector<const char*> Names;  // the files searched, in full
    std::vector<uint32_t> NameFile;  // each one's place in Listing.Files
    std::string Paths;               // the full names Names point into
    std::atomic<bool> Stop;
    std::thread Thread;

    // Filled by the run's thread, read by the dialog's, under Lock.
    std::mutex Lock;
    std::vector<char> Text;
    std::vector<FilesLine> Lines;
    size_t Done = 0;      // files handed over
    size_t Matched = 0;   // files with a match, or changed
    int64_t Matches = 0;  // matches, or values replaced
    size_t Failed = 0;    // files not read, or not changed
    std::string Current;
    bool Posted = false;       // a progress message is on its way
    bool Walked = false;       // the folder was looked through
    bool OpenMatched = false;  // the editor's file is among the files
    int32_t InEditor = 0;      // replacing: values replaced in the editor's file, -1 when it refused
};

// The list's lines (files_found.cpp).
// The lines of one file's outcome, for the run's thread.
void AddFileLines(FilesRun* r, const FileOutcome& o, uint32_t file);
