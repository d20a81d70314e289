// The document: one DTB file in memory (the chunk table, the data pool of
// their text payloads, the header and the key), the file it belongs to,
// and how it reports to its user, reads and writes files and gets memory.
// Plain data; the operations live beside it and take it first. Nothing of
// any window is here: how a view shows the document is its own business.
#pragma once

#include <cstddef>
#include <cstdint>

#include "journal.h"

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
// Releases both blocks; does not close the file.
void FreeDocument(Document* doc);

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
