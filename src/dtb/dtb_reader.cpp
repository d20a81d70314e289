// Reading a DTB file into the document: the key, then the deciphered header and chunks.
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "cipher.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "journal.h"
#include "text_convert.h"

namespace {

// The read buffer: one 8192-byte block, grown only when a single pool chunk
// is larger than the whole buffer, so that such a chunk is read whole
// instead of silently ending the load. It grows by doubling as the chunk's
// bytes actually arrive, so an absurd length in a short file costs nothing.
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

// Takes the chunk at p into the table if all of it is among the remaining
// bytes; wanted is its whole size (for a short one, when known). left and
// taken are as for MakeRoom. False after a report (an unknown type, no
// memory).
bool TakeChunk(Document* doc, const uint8_t* p, int32_t remaining, int64_t left, int64_t taken, ChunkCut* cut,
               int64_t* wanted) {
    if (remaining < 4) return *wanted = 0, *cut = ChunkShort, true;
    if (!MakeRoom(doc, 0, left, taken)) return false;
    // Decoded in its slot: a record put together on the stack and copied
    // whole makes the CPU wait for its parts' stores at every chunk.
    ChunkRecord* r = doc->Chunks + doc->ChunkCount;
    *r = ChunkRecord();
    *cut = DecodeChunk(p, remaining, r, wanted);
    if (*cut == ChunkUnknown) {
        char hex[16];
        FormatHexBytes(p, 4, hex);
        ReportFormat(doc, ReportError, "Unknown chunk %s", hex);
        return false;
    }
    if (*cut == ChunkShort) return true;
    if (IsPoolType(r->Type)) {
        int32_t length = r->Length;
        if (!MakeRoom(doc, length, left, taken)) return false;
        r = doc->Chunks + doc->ChunkCount;  // the table may have moved
        r->SlotLength = length;
        r->PoolOffset = static_cast<uint32_t>(doc->PoolUsed);
        // What a short copy writes past the payload is pool room not yet used.
        if (length <= kShortPayload && remaining >= 8 + kShortPayload &&
            doc->PoolCapacity - doc->PoolUsed > kShortPayload)
            std::memcpy(doc->Pool + doc->PoolUsed, p + 8, kShortPayload);
        else
            std::memcpy(doc->Pool + doc->PoolUsed, p + 8, static_cast<size_t>(length));
        doc->PoolUsed += length;
    }
    doc->ChunkCount++;
    return true;
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

// Takes the whole chunks of bytes [*pos, avail) into the table; *pos ends at
// the first one that is not whole, and wanted is its size when known.
// length and taken are the file's and the stream's, as ReadDocument keeps
// them. False after a report.
bool TakeWholeChunks(Document* doc, const uint8_t* bytes, int32_t avail, int32_t* pos, int64_t length, int64_t taken,
                     int64_t* wanted) {
    int32_t at = *pos;
    ChunkCut cut = ChunkWhole;
    while (at < avail && cut == ChunkWhole) {
        int64_t left = length < 0 ? -1 : length - 4 - taken - at;
        if (!TakeChunk(doc, bytes + at, avail - at, left, taken + at, &cut, wanted)) return false;
        if (cut == ChunkWhole) at += static_cast<int32_t>(*wanted);
    }
    *pos = at;
    return true;
}

}  // namespace

int32_t ReadDocument(Document* doc) {
    // Whatever stops the load early leaves the document knowing it holds
    // only part of its file. No change made before can be undone into it.
    ClearJournal(doc);
    doc->Incomplete = true;
    const FileLayer& files = FilesOf(doc);
    if (!ReadKey(doc, files)) return -1;
    CipherState cipher;  // the reader's own: where the keystream stands in this file
    SeedCipher(&cipher, doc->Key);
    doc->ChunkCount = 0;
    doc->PoolUsed = 0;
    // A file too short to supply its header gets a zero one rather than the
    // previous document's.
    std::memset(doc->HeaderBytes, 0, sizeof doc->HeaderBytes);

    // Where the stream stands: its bytes before the buffer's first, and the
    // file's bytes from there on (-1: the length is not known).
    int64_t taken = 0;
    const int64_t length = files.Length ? files.Length(files.Context, doc->FileHandle) : -1;
    ReadBuffer buffer;
    int32_t carry = 0;
    bool headerTaken = false;
    for (;;) {
        int32_t got = 0;
        if (!files.Read(files.Context, doc->FileHandle, buffer.bytes + carry, buffer.capacity - carry, &got)) {
            ReportFormat(doc, ReportError, "Error reading from file (%d)", files.LastError(files.Context));
            return -1;
        }
        if (got == 0) {
            EndOfFile(doc, carry, headerTaken);
            return 0;
        }
        ApplyCipher(&cipher, buffer.bytes, carry, got);
        int32_t avail = carry + got;
        int32_t pos = 0;
        if (!headerTaken) {
            if (avail < kHeaderSize) {  // only a short read or a short file gets here
                carry = avail;
                continue;
            }
            std::memcpy(doc->HeaderBytes, buffer.bytes, kHeaderSize);
            headerTaken = true;
            pos = kHeaderSize;
        }
        int64_t wanted = 0;
        if (!TakeWholeChunks(doc, buffer.bytes, avail, &pos, length, taken, &wanted)) return -1;
        taken += pos;
        carry = avail - pos;
        std::memmove(buffer.bytes, buffer.bytes + pos, static_cast<size_t>(carry));
        if (carry == buffer.capacity && !buffer.Grow(carry, wanted)) {
            ReportOutOfMemory(doc);
            return -1;
        }
    }
}
