// The file commands and the header boxes: how the document meets the file on
// disk and the boxes of the "Header Bytes and Key" group.
#pragma once

#include <cstdint>

#include "base/editor.h"

// The open (forSaving false) or save dialog under title, on path
// (kFileNameSize bytes), which holds the name to start from and receives the
// one chosen. Chosen: readOnly, when given, says whether the user asked to
// open it read-only. The save dialog asks before it names an existing file.
// The callers only tell Chosen from the rest: a cancel and a failure
// (already reported) both leave the document as it was.
enum FileChoice : int32_t { FileChosen = 0, FileCancelled = -1, FileDialogFailed = -2 };
FileChoice ChooseDtbFile(Editor* e, char* path, bool forSaving, bool* readOnly, const char* title);

// New, Open and Revert make the next document in next, beside the one
// shown, and return 0; the shell then lets its views go of the old table
// and adopts it (AdoptDocument). -1 when there is none: a cancel or a
// failure (a file that cannot be opened, or read up to its first chunk)
// leaves the document, its file, its unsaved changes and its history as
// they were. Unsaved changes are offered for saving first (not by Revert,
// which asks whether to drop them).
int32_t NewDocument(Editor* e, Document* next);
int32_t OpenDocument(Editor* e, Document* next);
// Open of a file the user named elsewhere (the command line, a drop, the
// recent files): the same offer to save, checks and messages, without the dialog.
// A relative path is taken from the current folder.
int32_t OpenDocumentPath(Editor* e, const char* path, Document* next);
int32_t RevertDocument(Editor* e, Document* next);
// next becomes the document: only now do the old one's table, history and
// file (unless next reads through it) go. The views must have let go of
// the old table before.
void AdoptDocument(Editor* e, Document* next);

// Save: the document into the open file, which is never put at risk (the
// core's SaveDocumentSafely). Refused for a file opened read-only; asks
// first when the document holds only part of its file. 0 also when no file
// is open, -1 after a reported failure or a No.
int32_t SaveDocument(Editor* e);
// Save As: the same into a file chosen in the save dialog, which becomes the
// document's file. -1 when cancelled or after a reported failure, with the
// document still on its old file.
int32_t SaveDocumentAs(Editor* e);

// The Close command's part in the document: its file closed, no chunks, a
// zero header and key.
void CloseDocument(Editor* e);

// Before the document is dropped (Exit, Close, New): when it has changes,
// asks "Save changes to ...?" and saves on Yes. True when the caller may go
// on: nothing to save, No, or a save that went through.
bool ConfirmDiscard(Editor* e);

// Opens path for the document as every command does: read and write access
// (read only when asked), others may only read; created when asked and
// missing. Returns the handle or kNoFile, with GetLastError() as the system
// left it (ERROR_ALREADY_EXISTS after creating one that was there).
NativeHandle OpenDocumentFile(const char* path, bool create, bool readOnly);

// Header boxes (IDC_HEADER0_BOX to IDC_KEY_BOX) from the document, and the
// editable ones (IDC_HEADER0_BOX, IDC_HEADER36_BOX, IDC_KEY_BOX) back.
// A box the user did not change since it was shown is not read back; one
// whose text is not its form is refused with a message (false), and the
// document keeps that field.
void ShowHeaderFields(Editor* e);
// One of the boxes alone, from the document (what was typed there goes).
void ShowHeaderField(Editor* e, int id);
bool ReadHeaderFields(Editor* e);
