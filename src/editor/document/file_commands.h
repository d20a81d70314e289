// The file commands and the header boxes: how the document meets the file on
// disk and the boxes of the "Header Bytes and Key" group.
#pragma once

#include <cstdint>

#include "editor_state.h"

// The open (forSaving 0) or save (1) dialog on FileName. 0 when a file was
// chosen (its path is in FileName), -1 when cancelled, -2 after a reported
// dialog failure.
int32_t ChooseDtbFile(EditorState* state, int32_t forSaving);

// 0 when the command went through; the shell then rebuilds the views.
int32_t NewDocument(EditorState* state);
int32_t OpenDocument(EditorState* state);
int32_t RevertDocument(EditorState* state);  // 0 also when the re-read failed

// Save: the document into the open file, which is never put at risk (the
// core's SaveDocumentSafely). 0 also when no file is open, -1 after a
// reported failure.
int32_t SaveDocument(EditorState* state);
// Save As: the same into a file chosen in the save dialog, which becomes the
// document's file. -1 when cancelled or after a reported failure, with the
// document still on its old file.
int32_t SaveDocumentAs(EditorState* state);

// Opens path for the document as every command does: read and write access,
// others may only read. Returns the handle or kNoFile.
NativeHandle OpenDocumentFile(const char* path, bool create);

// Header boxes 2004 to 2007 from the document, and 2004, 2006, 2007 back.
// A box the user did not change since it was shown is not read back.
int32_t ShowHeaderFields(EditorState* state);
int32_t ReadHeaderFields(EditorState* state);
