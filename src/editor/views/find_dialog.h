// Go To and the modeless Find and Replace dialog: thin callers of the
// core's chunk paths and find walks. The dialog's record is reached from
// its window (DWLP_USER); the Editor holds its window while it is open.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/editor.h"
#include "chunk_path.h"

// Asks for a path (the selection's preselected) until one names a chunk or
// the user cancels; the chunk, or -1.
int32_t AskChunkPath(Editor* e);

struct FilesRun;  // find_in_files.h

struct FindReplaceDialog {
    Editor* E;
    HWND Window;
    // Find All's chunks, and the paths they are shown with; valid while the
    // journal's Steps stay FoundStep.
    std::vector<int32_t> Found;
    PathIndex Paths;
    bool HasPaths;
    uint32_t FoundStep;
    // The chunk the last Find went to: the tree shows a hidden identifier
    // as its node, and the next search must go on from the identifier.
    int32_t LastFound;
    int32_t ScopeRoot;  // "Selected subtree": the node whose subtree is searched
    // A walk under way: when it began, whether its controls are shown, and
    // whether Stop or Esc was pressed.
    bool Busy;
    bool Shown;
    bool StopAsked;
    DWORD WalkStart;
    DWORD LastPump;     // when the walk last looked at the thread's messages
    uint32_t StatusAt;  // the journal's Changes the status line was written at
    // "Files in folder": the last run over files, its lines listed while
    // the dialog shows them; nullptr before the first.
    FilesRun* Files;
};

// Opens the dialog as it was last closed (first beside the chunk views),
// and brings it forward with the Find what box selected.
void OpenFindDialog(Editor* e);
// The same, on the scope "Files in folder" (Ctrl+Shift+F).
void OpenFindInFiles(Editor* e);
INT_PTR CALLBACK FindDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The dialog whose window this is, or nullptr.
FindReplaceDialog* FindDialogOf(HWND window);
// After any change: the status line goes, as it describes the document as
// it was, and Find All's list is emptied once the chunks it names may have
// moved (or the document is another), so that it never selects a wrong chunk.
void ForgetStaleMatches(Editor* e, bool documentReplaced);

// The dialog's parts that the scope "Files in folder" shares.
// The status line describes the document as it is now: any change to it
// empties the line (ForgetStaleMatches).
void SetFindStatus(FindReplaceDialog* d, const char* text);
// A text just searched for or put in goes first in its box's drop-down list.
void RememberText(HWND dialog, int id, const std::string& text);
// The options as the controls show them; pattern holds the text they point at.
FindOptions ReadFindOptions(FindReplaceDialog* d, const std::string& pattern);
// Stores what is typed in the Data box and compiles the options: nullptr
// after a refusal (said).
Finder* StartFindAction(FindReplaceDialog* d, const std::string& pattern);
// Stop and the bar in, the buttons that start another walk out, and the
// main window closed to commands; or all back as they were.
void ShowWalkControls(FindReplaceDialog* d, bool walking);

// "Files in folder", the third scope (find_in_files.cpp): the core's search
// over files on a thread of its own, so that the dialog repaints, moves and
// hears Stop while it runs; the thread posts to the dialog, and its lines
// are listed as they come. The file open in the editor is never written
// behind its back: a replace changes it in the editor, as one change.
// Posted by a run's thread to the dialog: more lines or files done, and the end.
const UINT kFilesProgressMessage = WM_APP + 40;
const UINT kFilesEndedMessage = WM_APP + 41;

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

// Find All's list.
void InitFoundList(FindReplaceDialog* d);
// Shows d->Found afresh, paths from a new index; false when memory ran out.
bool ShowFoundList(FindReplaceDialog* d);
void ClearFoundList(FindReplaceDialog* d);
// The list's notices; true when the chunk of a line was asked for (*chunk).
LRESULT FoundListNotice(FindReplaceDialog* d, const NMHDR* header, int32_t* chunk);
// The chunk of the list's selected line, or -1.
int32_t SelectedFoundChunk(FindReplaceDialog* d);
