// The journal of changes that Undo and Redo walk (its record, Journal, is
// the document's: document.h). Each entry holds what one change took out of
// the document and put in (records with their payload bytes, a node's or
// the header's count, the header and the key), never a copy of the
// document, so its memory follows the edits.
//
// The edit operations record themselves: between BeginChange and EndChange
// the core notes every run of records inserted or removed and every record
// or header rewritten. The payload slots of records that left the table are
// never written again (the pool only grows, and only a record in the table
// rewrites its own slot), so an undone insertion can be redone into the
// same slots without the pool growing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document.h"

// The oldest entries are dropped to keep the journal within this. A single
// change larger than it cannot be undone: before it stands, the document's
// Confirm hook asks "This change cannot be undone afterwards (N values).
// Make it anyway?", and No takes it back. Yes (or no hook to ask) makes it
// and empties the journal; without a hook the user is told afterwards.
const size_t kJournalLimit = size_t(64) << 20;
extern const char kTooLargeToUndo[];  // "This change is too large to be undone."

// Opens a change, or nests in the open one.
void BeginChange(Document* doc);
// Closes it. The outermost close of a change that changed the document
// becomes one entry (anything that could be redone is dropped); one that did
// not leaves the journal as it was. at: the chunk the change was about.
// False when the change was too large to undo and the user declined it:
// it has been taken back whole, and the caller reports that nothing changed.
bool EndChange(Document* doc, bool changed, int32_t at);

// Notes for the open change; nothing outside one.
// count (at least 1) records at index were just inserted / are about to be removed.
void NoteInserted(Document* doc, int32_t index, int32_t count);
void NoteRemoving(Document* doc, int32_t index, int32_t count);
// count records moved from From to before the record that stood at To
// (MoveRecords, document.h), just done.
void NoteMoved(Document* doc, const MovedRun& run);
// A record (index >= 0) or the header and key (-1) before and after a rewrite.
void NoteBefore(Document* doc, int32_t index);
void NoteAfter(Document* doc, int32_t index);

bool CanUndo(const Document* doc);
bool CanRedo(const Document* doc);
// Takes back the last change done / does again the last one undone, exactly.
// *show: the chunk to show afterwards (-1: none; kShowHeader: the header or
// key, which no view shows a chunk for). 0,
// or -1 with nothing changed (nothing to do, or no memory: reported).
const int32_t kShowHeader = -2;
int32_t UndoChange(Document* doc, int32_t* show);
int32_t RedoChange(Document* doc, int32_t* show);

// The document as it is now is the saved one.
void MarkSaved(Document* doc);
// Forgets every change: the document as it is now is the saved one.
void ClearJournal(Document* doc);
