// Reading a DTB file into the document: the key, then the deciphered header and chunks.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "bulk_copy.h"
#include "chunk_types.h"
#include "cipher.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "journal.h"
#include "text_convert.h"

namespace {

// The read buffer: one 8192-byte block, grown only when a single pool chunk
// is larger than the whole buffer and cannot be read straight into the pool
// (the file's length is not known, or says the chunk is cut short), so that
// such a chunk is read whole instead of silently ending the load. It grows by
// doubling as the chunk's bytes actually arrive, so an absurd length in a
// short file costs nothing.
struct ReadBuffer {
    uint8_t block[kFileBlock];
    uint8_t* bytes = block;
    int32_t capacity = kFileBlock;

    ~ReadBuffer() {
        if (bytes != block) std::free(bytes);
    }

    bool Grow(int32_t kept, int64_t wanted) {
        int64_t size = static_cast<int64_t>(capacity) * 2;
        if (size > wanted) size = wanted;
        if (size > INT32_MAX) return false;
        uint8_t* grown = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
        if (!grown) return false;
        std::memcpy(grown, bytes, static_cast<size_t>(kept));
        if (bytes != block) std::free(bytes);
        bytes = grown;
        capacity = static_cast<int32_t>(size);
        return true;
    }
};

// One read in progress: where the file and the keystream stand.
struct Reader {
    Document* doc;
    const FileLayer& files;
    CipherState cipher;  // the reader's own: where the keystream stands in this file
    int64_t length;      // the file's, or -1 when not known
    int64_t taken = 0;   // the stream's bytes before the buffer's first
    ReadBuffer buffer;
    int32_t carry = 0;  // bytes of an incomplete chunk (or header) at the buffer's start

    Reader(Document* d, const FileLayer& f) : doc(d), files(f) {
        SeedCipher(&cipher, d->Key);
        length = files.Length ? files.Length(files.Context, d->FileHandle) : -1;
    }
    // The file's bytes from buffer position at on (-1: not known).
    int64_t Left(int32_t at) const { return length < 0 ? -1 : length - 4 - taken - at; }
};

// Makes room for one more record and payload bytes more. The file's length,
// when known, bounds the payloads still to come (left: the file's bytes from
// this chunk on), so the pool grows once to hold them all, and the table to
// what the chunks so far suggest for the rest (taken: the stream bytes read
// before this chunk). Both are filled right after, so neither is zeroed.
// Without a length they grow in the usual steps. False after a report.
bool MakeRoom(Document* doc, int32_t payload, int64_t left, int64_t taken) {
    bool poolFull = doc->PoolUsed + static_cast<int64_t>(payload) >= doc->PoolCapacity;
    bool tableFull = doc->ChunkCount + kUsualReserve >= doc->ChunkCapacity;
    if (!poolFull && !tableFull) return true;
    if (left < 0) return EnsureRoom(doc, payload, kUsualReserve) == 0;
    int64_t pool = 0, table = 0;
    if (poolFull) {
        pool = doc->PoolUsed + (payload > left ? payload : left) + 1;
        int64_t need = doc->PoolUsed + static_cast<int64_t>(payload) + 1;
        if (pool > INT32_MAX) pool = need > INT32_MAX ? need : INT32_MAX;
    }
    if (tableFull) {  // a quarter more than the guess, and never more than the bytes can hold
        double guess = static_cast<double>(left) * (doc->ChunkCount + 1) / static_cast<double>(taken + 1) * 1.25;
        int64_t most = left / 8 + 1;
        table = doc->ChunkCount + kUsualReserve + kTableStep +
                (guess < static_cast<double>(most) ? static_cast<int64_t>(guess) : most);
    }
    return ReserveForLoad(doc, pool, table) == 0;
}

// Takes the chunks at bytes[*at, avail) that are whole and carry a payload
// of at most kShortPayload bytes or none, as long as the table and the pool
// have room for them without growing. Most chunks of a file are such: their
// mixed types cost no branches here, only table lookups. *at ends at the
// first chunk left to the careful way (TakeChunk).
void TakeShortChunks(Document* doc, const uint8_t* bytes, int32_t avail, int32_t* at) {
    // Whatever a chunk is, its type, the next eight bytes and a short
    // payload's fixed-size copy lie inside the bytes.
    const int32_t reach = 8 + kShortPayload;
    int32_t pos = *at, count = doc->ChunkCount, used = doc->PoolUsed;
    const int32_t lastCount = doc->ChunkCapacity - kUsualReserve, lastUsed = doc->PoolCapacity - kShortPayload - 1;
    uint8_t* const records = reinterpret_cast<uint8_t*>(doc->Chunks);
    uint8_t* const pool = doc->Pool;
    while (avail - pos >= reach && count < lastCount && used < lastUsed) {
        const uint8_t* p = bytes + pos;
        uint32_t type = ReadU32(p);
        const ChunkLayout& row = LayoutOfType(type);
        uint64_t after;
        std::memcpy(&after, p + 4, 8);
        uint32_t length = static_cast<uint32_t>(after) & row.LengthMask;
        if (row.Head == 0 || length > static_cast<uint32_t>(kShortPayload)) break;
        // Stored as three words (of a little-endian record), padding too, so
        // that a record read back whole holds nothing but what the file gave;
        // each word straight from its register, as one put together in memory
        // and copied would make the CPU wait for its parts' stores.
        uint64_t value = after & row.ValueMask, offset = static_cast<uint32_t>(used) & row.LengthMask;
        uint64_t words[3] = {type | value << 32, value >> 32 | static_cast<uint64_t>(length) << 32,
                             offset | static_cast<uint64_t>(length) << 32};
        uint8_t* r = records + static_cast<size_t>(count) * sizeof(ChunkRecord);
        std::memcpy(r, &words[0], 8);
        std::memcpy(r + 8, &words[1], 8);
        std::memcpy(r + 16, &words[2], 8);
        std::memcpy(pool + used, p + 8, kShortPayload);  // past the payload: pool room not yet used
        used += static_cast<int32_t>(length);
        pos += row.Head + static_cast<int32_t>(length);
        ++count;
    }
    doc->ChunkCount = count;
    doc->PoolUsed = used;
    *at = pos;
}

// The file has ended, carry bytes after the last whole chunk (or inside the
// header, when it was not taken): what was not loaded is said, and keeps the
// document incomplete.
void EndOfFile(Document* doc, int32_t carry, bool headerTaken) {
    if (carry > 0)
        ReportFormat(doc, ReportWarning,
                     "The file ends inside %s: its last %d bytes were not loaded and will not be saved.",
                     headerTaken ? "a chunk" : "its header", carry);
    // A save would write a header the file never had: as much a change of
    // the file as a lost chunk, and asked about the same way.
    else if (!headerTaken)
        Report(doc, ReportWarning,
               "The file ends after its key: it has no header, and a save will write seven zero bytes for one.");
    doc->Incomplete = carry > 0 || !headerTaken;
}

enum Step { StepFailed, StepEnded, StepOn };

// The rest of the payload of the pool chunk being taken, its first present
// bytes already in the pool. The keystream stands where the buffer's bytes
// end, which is where these begin; the buffer, used up, takes them piece by
// piece on their way to the pool. StepEnded after the warning when the file
// ends first; StepFailed after a report.
Step ReadRestOfPayload(Reader& in, int32_t present, int32_t length) {
    Document* doc = in.doc;
    uint8_t* to = doc->Pool + doc->PoolUsed;
    uint8_t* piece = in.buffer.bytes;
    for (int32_t have = present; have < length;) {
        int32_t got = 0, want = length - have < in.buffer.capacity ? length - have : in.buffer.capacity;
        if (!in.files.Read(in.files.Context, doc->FileHandle, piece, want, &got)) {
            ReportFormat(doc, ReportError, "Error reading from file (%d)", in.files.LastError(in.files.Context));
            return StepFailed;
        }
        if (got == 0) {
            EndOfFile(doc, 8 + have, true);
            return StepEnded;
        }
        ApplyCipher(&in.cipher, piece, 0, got);
        CopyAround(to + have, piece, static_cast<size_t>(got));
        have += got;
    }
    in.taken += length - present;  // read as if it had been in the buffer
    return StepOn;
}

// The chunk at buffer position *at, one that TakeShortChunks left: into the
// table if all of it is among the buffer's avail bytes, or, for a pool chunk
// whose payload runs on past them and that the file's length says is there
// whole, with the rest of its payload read into the pool (the buffer is then
// used up: *at becomes avail). *cut says whether it was whole, and wanted is
// its whole size (for a short one, when known); *at moves past a chunk taken.
Step TakeChunk(Reader& in, int32_t avail, int32_t* at, ChunkCut* cut, int64_t* wanted) {
    Document* doc = in.doc;
    const uint8_t* p = in.buffer.bytes + *at;
    const int32_t remaining = avail - *at;
    if (remaining < 4) return *wanted = 0, *cut = ChunkShort, StepOn;
    const int64_t left = in.Left(*at), taken = in.taken + *at;
    if (!MakeRoom(doc, 0, left, taken)) return StepFailed;
    ChunkRecord* r = doc->Chunks + doc->ChunkCount;
    *r = ChunkRecord();
    *cut = DecodeChunk(p, remaining, r, wanted);
    if (*cut == ChunkUnknown) {
        char hex[16];
        FormatHexBytes(p, 4, hex);
        ReportFormat(doc, ReportError, "Unknown chunk %s", hex);
        return StepFailed;
    }
    const bool streamed =
        *cut == ChunkShort && IsPoolType(r->Type) && remaining >= 8 && *wanted <= left && *wanted - 8 < INT32_MAX;
    if (*cut == ChunkShort && !streamed) return StepOn;
    if (IsPoolType(r->Type)) {
        const int32_t length = static_cast<int32_t>(*wanted - 8);
        if (!MakeRoom(doc, length, left, taken)) return StepFailed;
        r = doc->Chunks + doc->ChunkCount;  // the table may have moved
        r->Length = r->SlotLength = length;
        r->PoolOffset = static_cast<uint32_t>(doc->PoolUsed);
        const int32_t present = streamed ? remaining - 8 : length;
        CopyAround(doc->Pool + doc->PoolUsed, p + 8, static_cast<size_t>(present));
        Step step = streamed ? ReadRestOfPayload(in, present, length) : StepOn;
        if (step != StepOn) return step;
        doc->PoolUsed += length;
    }
    doc->ChunkCount++;
    *cut = ChunkWhole;
    *at = streamed ? avail : *at + static_cast<int32_t>(*wanted);
    return StepOn;
}

// Takes the whole chunks of the buffer's bytes [*pos, avail) into the table;
// *pos ends at the first one that is not whole, and wanted is its size when
// known.
Step TakeWholeChunks(Reader& in, int32_t avail, int32_t* pos, int64_t* wanted) {
    ChunkCut cut = ChunkWhole;
    while (*pos < avail && cut == ChunkWhole) {
        TakeShortChunks(in.doc, in.buffer.bytes, avail, pos);
        if (*pos == avail) break;
        Step step = TakeChunk(in, avail, pos, &cut, wanted);
        if (step != StepOn) return step;
    }
    return StepOn;
}

// The key's four bytes, or false after a report; what did arrive of a
// short key replaces the key's first bytes.
bool ReadKey(Document* doc, const FileLayer& files) {
    uint8_t key[4];
    int32_t got = 0;
    if (files.Read(files.Context, doc->FileHandle, key, 4, &got) && got >= 4) {
        doc->Key = ReadU32(key);
        return true;
    }
    int32_t code = files.LastError(files.Context);
    for (int32_t i = 0; i < got; ++i) {
        doc->Key &= ~(0xFFu << (8 * i));
        doc->Key |= static_cast<uint32_t>(key[i]) << (8 * i);
    }
    ReportFormat(doc, ReportError, "Could not read key from file (%d)", code);
    return false;
}

}  // namespace

namespace {

// The blocks of the file after its key, into the document. 0 at the end of
// the file, -1 after a report.
int32_t ReadBlocks(Reader& in) {
    Document* doc = in.doc;
    const FileLayer& files = in.files;
    ReadBuffer& buffer = in.buffer;
    bool headerTaken = false;
    for (;;) {
        int32_t got = 0;
        if (!files.Read(files.Context, doc->FileHandle, buffer.bytes + in.carry, buffer.capacity - in.carry, &got)) {
            ReportFormat(doc, ReportError, "Error reading from file (%d)", files.LastError(files.Context));
            return -1;
        }
        if (got == 0) {
            EndOfFile(doc, in.carry, headerTaken);
            return 0;
        }
        // Each block is deciphered once, as it arrives, and its chunks taken
        // while it is still in the cache.
        ApplyCipher(&in.cipher, buffer.bytes, in.carry, got);
        int32_t avail = in.carry + got;
        int32_t pos = 0;
        if (!headerTaken) {
            if (avail < kHeaderSize) {  // only a short read or a short file gets here
                in.carry = avail;
                continue;
            }
            std::memcpy(doc->HeaderBytes, buffer.bytes, kHeaderSize);
            headerTaken = true;
            pos = kHeaderSize;
        }
        int64_t wanted = 0;
        Step step = TakeWholeChunks(in, avail, &pos, &wanted);
        if (step != StepOn) return step == StepEnded ? 0 : -1;
        in.taken += pos;
        in.carry = avail - pos;
        std::memmove(buffer.bytes, buffer.bytes + pos, static_cast<size_t>(in.carry));
        if (in.carry == buffer.capacity && !buffer.Grow(in.carry, wanted)) {
            ReportOutOfMemory(doc);
            return -1;
        }
    }
}

}  // namespace

int32_t ReadDocument(Document* doc) {
    // Whatever stops the load early leaves the document knowing it holds
    // only part of its file. No change made before can be undone into it.
    ClearJournal(doc);
    doc->Incomplete = true;
    const FileLayer& files = FilesOf(doc);
    if (!ReadKey(doc, files)) return -1;
    Reader in(doc, files);
    doc->ChunkCount = 0;
    doc->PoolUsed = 0;
    // A file too short to supply its header gets a zero one rather than the
    // previous document's.
    std::memset(doc->HeaderBytes, 0, sizeof doc->HeaderBytes);
    int32_t result = ReadBlocks(in);
    FinishCopiesAround();
    return result;
}
