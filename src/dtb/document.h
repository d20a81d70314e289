// The document: one DTB file in memory (the chunk table, the data pool of
// their text payloads, the header and the key), the file it belongs to,
// and how it reports to its user, reads and writes files and gets memory.
// Plain data; the operations live beside it and take it first. Nothing of
// any window is here: how a view shows the document is its own business.
#pragma once

#include <cstddef>
#include <cstdint>

// A file handle is the platform's own value (a HANDLE on Windows, a
// descriptor elsewhere), carried as an opaque pointer-sized value so that
// the core never needs the platform headers; kNoFile is none.
typedef intptr_t NativeHandle;
const NativeHandle kNoFile = -1;

enum ReportKind : int32_t {
    ReportError = 0,        // something failed; the operation stops
    ReportInformation = 1,  // a refusal of a command
    ReportWarning = 2,      // the operation went through, but the user must know something
    ReportExclamation = 3,  // a notice such as "not found"
};

// Where the core's messages go. The front end supplies it: a message box on
// Windows, stderr in the command line tool, a recorder in the tests.
typedef void (*ReportHook)(void* context, const char* text, ReportKind kind);
// A question for the user before the core makes a change that cannot be
// taken back; true for Yes.
typedef bool (*ConfirmHook)(void* context, const char* question);

const int32_t kFileNameSize = 260;
const int32_t kHeaderSize = 7;

// One chunk of the table. Node types keep ChildCount (u16 LE, bytes 0-1) and
// NodeNumber (i32 LE, bytes 2-5) in Value; scalar types use bytes 0-3.
struct ChunkRecord {
    uint32_t Type;
    uint8_t Value[6];
    int32_t Length;       // pool types: payload size
    uint32_t PoolOffset;  // pool types: first payload byte in Pool
    int32_t SlotLength;   // pool types: bytes reserved at PoolOffset
};

// The history of changes that Undo and Redo walk (journal.h records and
// walks it; the document owns its memory). Each entry holds the notes of
// one change, never a copy of the document.
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
    SpliceMove = 3,  // Removed records at At moved, whole, to before the record that stood at Inserted
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

struct FileLayer;       // file_layer.h
struct BlockAllocator;  // below

struct Document {
    // The file the document belongs to, open while it does (kNoFile: none).
    NativeHandle FileHandle;
    char FileName[kFileNameSize];
    bool ReadOnly;  // open for reading only: Save is refused

    // The chunk table and the append-only data pool; both only ever grow.
    ChunkRecord* Chunks;
    int32_t ChunkCount;
    int32_t ChunkCapacity;
    uint8_t* Pool;
    int32_t PoolUsed;
    int32_t PoolCapacity;

    uint8_t HeaderBytes[kHeaderSize];  // bytes 1-2: the top-level count
    uint32_t Key;

    // Modified: not the saved state (as the journal tells). Incomplete: the
    // reader stopped before the end of the file, so saving over that file
    // would lose its rest.
    bool Modified;
    bool Incomplete;
    Journal History;  // the changes Undo and Redo walk

    // How the document meets the world; null seams are the platform's own.
    ReportHook Reporter;
    void* ReporterContext;
    ConfirmHook Confirm;  // null: nobody to ask (journal.h says what then)
    void* ConfirmContext;
    const FileLayer* Files;
    const BlockAllocator* Memory;
};

// Zero-fills the record and marks that no file is open, as the program does
// before anything else touches it.
void InitDocument(Document* doc);

const int32_t kPoolStep = 4096;  // pool growth step and initial size, bytes
const int32_t kTableStep = 256;  // table growth step and initial size, records
// The table slots callers ask for before adding one record. EnsureRoom takes
// a request of exactly this many as "one record at a time" and grows the
// table by kTableStep, so that a run of single inserts does not resize at
// each; any other count is the exact room wanted, for a caller that adds a
// known number at once.
const int32_t kUsualReserve = 4;

// Creates both blocks (4096 pool bytes, 256 records). 0, or -1 after a report.
int32_t AllocateDocument(Document* doc);
// Releases both blocks and the history; does not close the file.
void FreeDocument(Document* doc);
// Frees the history's entries and buffers, keeping its settings (Limit,
// KeepsNone) and its counts of changes (Steps, Last, Changes), which views
// compare across the document's whole life.
void ReleaseHistory(Journal* history);

// Makes sure poolBytes more payload bytes and tableSlots more records fit.
// On failure the previous blocks are kept whole, so the document stays usable.
// Every pointer into Pool or Chunks taken before the call is stale after it.
int32_t EnsureRoom(Document* doc, int32_t poolBytes, int32_t tableSlots);

// For a reader that fills the pool and the table front to back: grows them
// to at least poolCapacity bytes and tableCapacity records, each in one
// resize and without zeroing what is new, which the reader is about to
// overwrite (a block already that large stays). 0, or -1 after a report,
// with the previous blocks kept whole.
int32_t ReserveForLoad(Document* doc, int64_t poolCapacity, int64_t tableCapacity);

// Inserts a copy of record at index (0 <= index <= ChunkCount). 0, or -1 with
// nothing inserted.
int32_t InsertChunkAt(Document* doc, const ChunkRecord* record, int32_t index);

// A run of records moved whole: Count records from From to before the
// record that stood at To, the table as it was before the move (To <= From
// or To >= From + Count). Nothing else changes: no count, no payload.
struct MovedRun {
    int32_t From;
    int32_t Count;
    int32_t To;
};
void MoveRecords(Document* doc, const MovedRun& run);
// Where the run stands after the move, where a chunk of the table before it
// stands after it, and the move that takes it back.
int32_t MovedTo(const MovedRun& run);
int32_t ChunkAfterMove(const MovedRun& run, int32_t chunk);
MovedRun UndoingMove(const MovedRun& run);

// Removes count records from index on; the pool keeps their payloads and no
// parent count changes here.
void RemoveChunks(Document* doc, int32_t index, int32_t count);

// Stores a new payload of n bytes for a pool record: in place when it fits its
// slot, else appended at the end of the pool. 0, or -1 with the record unchanged.
// bytes must not point into the pool, which may move.
int32_t ReplacePayload(Document* doc, int32_t index, const uint8_t* bytes, int32_t n);

// A pool record's payload as text is shown: up to its first zero byte.
struct PayloadView {
    const char* Text;
    size_t Length;
};
PayloadView ShownPayload(const Document* doc, const ChunkRecord& record);

// Where the blocks come from. Resize(context, nullptr, n) allocates; a
// failed Resize returns nullptr and leaves the old block as it was (as
// realloc does). Context is handed to both, as it is given here.
struct BlockAllocator {
    void* (*Resize)(void* context, void* block, size_t bytes);
    void (*Free)(void* context, void* block);
    void* Context;
};

// Messages from the core to the user, through the document's report hook.
extern const char kOutOfMemory[];  // "Could not allocate memory."

// Message texts are formatted into buffers of this size, as the editor's are.
const int kMessageSize = 512;

void Report(const Document* doc, ReportKind kind, const char* text);
void ReportOutOfMemory(const Document* doc);
// "Could not open file PATH (CODE)": every front end's words for a file it
// could not open, code being the platform's own.
void ReportOpenFailed(const Document* doc, const char* path, int32_t code);

// printf-style; the result is cut to kMessageSize - 1 characters.
void ReportFormat(const Document* doc, ReportKind kind, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
