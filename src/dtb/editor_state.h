// The one editor state record and the chunk record: the document as every
// layer sees it. Plain data only; the operations live beside it.
#pragma once

#include <cstddef>
#include <cstdint>

// Window-system handles are carried as opaque pointer-sized values so that the
// core never needs the platform headers. A file handle is the platform's own
// value (a HANDLE on Windows, a descriptor elsewhere); -1 means none.
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

const int32_t kFileNameSize = 260;
const int32_t kHeaderSize = 7;
const int32_t kCipherTableSize = 256;

// One chunk of the table. Node types keep ChildCount (u16 LE, bytes 0-1) and
// NodeNumber (i32 LE, bytes 2-5) in Value; scalar types use bytes 0-3.
struct ChunkRecord {
    uint32_t Type;
    uint8_t Value[6];
    int32_t Length;       // pool types: payload size; node types: the tree builder's child counter
    uint32_t PoolOffset;  // pool types: first payload byte in Pool
    int32_t SlotLength;   // pool types: bytes reserved at PoolOffset
};

struct EditorState {
    NativeHandle Accelerators;
    NativeHandle MainWindow;
    NativeHandle FileHandle;
    NativeHandle Instance;
    NativeHandle MessageHook;
    char FileName[kFileNameSize];
    uint32_t ClipboardFormat;
    int32_t ShowIdentifiers;
    int32_t ShowAsTree;

    NativeHandle PoolHandle;
    uint8_t* Pool;
    int32_t PoolUsed;
    int32_t PoolCapacity;

    NativeHandle ChunkTableHandle;
    ChunkRecord* Chunks;
    int32_t ChunkCount;
    int32_t ChunkCapacity;

    uint8_t HeaderBytes[kHeaderSize];
    uint32_t Key;

    // Not file data: how the document stands to its file. Modified: changed
    // since it was read or last saved. Incomplete: the reader stopped before
    // the end of the file, so saving over that file would lose its rest.
    // ReadOnly: FileHandle is open for reading only, so Save is refused.
    bool Modified;
    bool Incomplete;
    bool ReadOnly;

    uint32_t CipherTable[kCipherTableSize];
    int32_t CipherIndexA;
    int32_t CipherIndexB;

    // Not file data: how this state reports to its user.
    ReportHook Reporter;
    void* ReporterContext;
};

// Zero-fills the record and marks that no file is open, as the program does
// before anything else touches the state.
void InitEditorState(EditorState* state);
