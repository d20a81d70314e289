// "Files in folder", the third scope of the Find and Replace dialog: the
// core's search over files (files_search.h) on a thread of its own, so that
// the dialog repaints, moves and hears Stop while it runs. The thread posts
// to the dialog; its lines are listed as they come. The file open in the
// editor is never written behind its back: a replace changes it in the
// editor, as one change Undo takes back.
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

// Posted by a run's thread to the dialog: more lines or files done, and the end.
const UINT kFilesProgressMessage = WM_APP + 40;
const UINT kFilesEndedMessage = WM_APP + 41;

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

// The folder, pattern and subfolder boxes as the user left them last (with
// the recent files, per user), and the controls that fit the scope chosen.
void InitFilesScope(FindReplaceDialog* d);
bool FilesScopeChosen(const FindReplaceDialog* d);
void ShowScopeControls(FindReplaceDialog* d);
// The "..." button: the folder picker, on the folder typed.
void BrowseForFolder(FindReplaceDialog* d);

void FindAllInFiles(FindReplaceDialog* d);
void ReplaceAllInFiles(FindReplaceDialog* d);
// Stop or Esc: the run ends at the next file boundary.
void StopFilesRun(FindReplaceDialog* d);
// The run's messages to the dialog.
void TakeFilesMessage(FindReplaceDialog* d, UINT message);
// The dialog goes: the run is stopped and waited for.
void EndFilesRun(FindReplaceDialog* d);

// The list of the lines (files_found.cpp).
void InitFilesList(FindReplaceDialog* d);
void ShowFilesLines(FindReplaceDialog* d, size_t lines);
LRESULT FilesListNotice(FindReplaceDialog* d, const NMHDR* header);
// Enter on the list: its selected line's file opened and chunk selected.
void ActivateSelectedFileLine(FindReplaceDialog* d);
// The lines of one file's outcome, for the run's thread.
void AddFileLines(FilesRun* r, const FileOutcome& o, uint32_t file);
