// Reading a DTB file into the document: the key, then the deciphered header and chunks.
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "cipher.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"
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

// Takes the chunk at p into the table if all of it is among the remaining
// bytes; wanted is its whole size (for a short one, when known). False
// after a report (an unknown type, no memory).
bool TakeChunk(Document* doc, const uint8_t* p, int32_t remaining, ChunkCut* cut, int64_t* wanted) {
    if (remaining >= 4 && EnsureRoom(doc, 0, kUsualReserve) != 0) return false;
    ChunkRecord r = {};
    *cut = DecodeChunk(p, remaining, &r, wanted);
    if (*cut == ChunkUnknown) {
        char hex[16];
        FormatHexBytes(p, 4, hex);
        ReportFormat(doc, ReportError, "Unknown chunk %s", hex);
        return false;
    }
    if (*cut == ChunkShort) return true;
    if (IsPoolType(r.Type)) {
        if (EnsureRoom(doc, r.Length, kUsualReserve) != 0) return false;
        r.SlotLength = r.Length;
        r.PoolOffset = static_cast<uint32_t>(doc->PoolUsed);
        std::memcpy(doc->Pool + doc->PoolUsed, p + 8, static_cast<size_t>(r.Length));
        doc->PoolUsed += r.Length;
    }
    doc->Chunks[doc->ChunkCount++] = r;
    return true;
}

}  // namespace

int32_t ReadDocument(Document* doc) {
    // Whatever stops the load early leaves the document knowing it holds
    // only part of its file. No change made before can be undone into it.
    ClearJournal(doc);
    doc->Incomplete = true;
    const FileLayer& files = FilesOf(doc);
    uint8_t key[4];
    int32_t got = 0;
    bool ok = files.Read(files.Context, doc->FileHandle, key, 4, &got);
    if (!ok || got < 4) {
        int32_t code = files.LastError(files.Context);
        for (int32_t i = 0; i < got; ++i) {  // what did arrive replaces the key's first bytes
            doc->Key &= ~(0xFFu << (8 * i));
            doc->Key |= static_cast<uint32_t>(key[i]) << (8 * i);
        }
        ReportFormat(doc, ReportError, "Could not read key from file (%d)", code);
        return -1;
    }
    doc->Key = ReadU32(key);
    CipherState cipher;  // the reader's own: where the keystream stands in this file
    SeedCipher(&cipher, doc->Key);
    doc->ChunkCount = 0;
    doc->PoolUsed = 0;
    // A file too short to supply its header gets a zero one rather than the
    // previous document's.
    std::memset(doc->HeaderBytes, 0, sizeof doc->HeaderBytes);

    ReadBuffer buffer;
    int32_t carry = 0;
    bool headerTaken = false;
    for (;;) {
        if (!files.Read(files.Context, doc->FileHandle, buffer.bytes + carry, buffer.capacity - carry, &got)) {
            ReportFormat(doc, ReportError, "Error reading from file (%d)", files.LastError(files.Context));
            return -1;
        }
        if (got == 0) {
            if (carry > 0)
                ReportFormat(doc, ReportWarning,
                             "The file ends inside %s: its last %d bytes were not loaded and will not be saved.",
                             headerTaken ? "a chunk" : "its header", carry);
            // A save would write a header the file never had: as much a
            // change of the file as a lost chunk, and asked about the same way.
            else if (!headerTaken)
                Report(doc, ReportWarning,
                       "The file ends after its key: it has no header, and a save will write "
                       "seven zero bytes for one.");
            doc->Incomplete = carry > 0 || !headerTaken;
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
        ChunkCut cut = ChunkWhole;
        while (pos < avail && cut == ChunkWhole) {
            if (!TakeChunk(doc, buffer.bytes + pos, avail - pos, &cut, &wanted)) return -1;
            if (cut == ChunkWhole) pos += static_cast<int32_t>(wanted);
        }
        carry = avail - pos;
        std::memmove(buffer.bytes, buffer.bytes + pos, static_cast<size_t>(carry));
        if (carry == buffer.capacity && !buffer.Grow(carry, wanted)) {
            ReportOutOfMemory(doc);
            return -1;
        }
    }
}
