// The journal of changes that Undo and Redo walk. Each entry holds what one
// change took out of the document and put in (records with their payload
// bytes, a node's or the header's count, the header and the key), never a
// copy of the document, so its memory follows the edits.
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

struct Document;

struct JournalEntry {
    uint8_t* Ops;  // the notes, in the order they were made
    size_t Size;
    int32_t At;  // the chunk the change was about (-1: the header or key)
};

// What a change did to the table, for views that follow the table's edits
// without being built afresh.
enum SpliceKind : int32_t {
    SpliceNone = 0,  // no record came or went (a value, a count, the header)
    SpliceRun = 1,   // Removed records at At gave way to Inserted ones
    SpliceMany = 2,  // more than one run, or not known: a view had best be built afresh
};
struct Splice {
    SpliceKind Kind;
    int32_t At;
    int32_t Removed;
    int32_t Inserted;
};

struct Journal {
    JournalEntry* Entries;
    int32_t Count;
    int32_t Capacity;
    int32_t Done;     // entries [0, Done) are applied; the rest can be redone
    int32_t SavedAt;  // the Done of the saved state; -1 once no walk leads back to it
    size_t Bytes;     // of all entries' notes
    size_t Limit;     // 0: kJournalLimit
    // For a document whose changes nobody will undo (a command-line run):
    // nothing is noted or kept, so no change costs memory for its undo or
    // is too large for it. Changes are still counted, and Modified set.
    bool KeepsNone;

    // The change being recorded.
    int32_t Depth;
    uint8_t* Open;
    size_t OpenSize;
    size_t OpenCapacity;
    bool Lost;  // the open change could not be recorded whole

    // The changes done, undone or redone that moved records, counted since
    // the document was made and never reset, and the splice of the latest.
    uint32_t Steps;
    Splice Last;
    // Every change done, undone or redone, counted the same way: for what
    // describes the document and goes stale with any change of it.
    uint32_t Changes;
    // The records the latest of them rewrote in place (a view that shows
    // one value afresh where one changed, every value where many did).
    int32_t Rewritten;
};

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
