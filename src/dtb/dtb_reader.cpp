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

enum ChunkCut { ChunkTaken, ChunkIncomplete, ChunkRefused };

// Takes the chunk at p if all of it is among the remaining bytes. On
// ChunkIncomplete, wanted is the chunk's whole size when known.
ChunkCut TakeChunk(EditorState* state, const uint8_t* p, int32_t remaining, int64_t* wanted) {
    *wanted = 0;
    if (remaining < 4) return ChunkIncomplete;
    if (EnsureRoom(state, 0, kUsualReserve) != 0) return ChunkRefused;
    ChunkRecord& r = state->Chunks[state->ChunkCount];
    r.Type = ReadU32(p);
    switch (ShapeOfType(r.Type)) {
    case ShapeScalar:
        if (remaining < 8) return ChunkIncomplete;
        std::memcpy(r.Value, p + 4, 4);
        return ChunkTaken;
    case ShapeNode:
        if (remaining < 10) return ChunkIncomplete;
        std::memcpy(r.Value, p + 4, 6);
        return ChunkTaken;
    case ShapePool: {
        if (remaining < 8) return ChunkIncomplete;
        uint32_t length = ReadU32(p + 4);
        *wanted = static_cast<int64_t>(length) + 8;
        if (remaining < *wanted) return ChunkIncomplete;
        // It fits in the buffer, so length is below 2^31.
        if (EnsureRoom(state, static_cast<int32_t>(length), kUsualReserve) != 0) return ChunkRefused;
        ChunkRecord& rec = state->Chunks[state->ChunkCount];  // EnsureRoom may have moved the table
        rec.Length = rec.SlotLength = static_cast<int32_t>(length);
        rec.PoolOffset = static_cast<uint32_t>(state->PoolUsed);
        std::memcpy(state->Pool + state->PoolUsed, p + 8, length);
        state->PoolUsed += static_cast<int32_t>(length);
        return ChunkTaken;
    }
    case ShapeUnknown:
        break;
    }
    char hex[16];
    FormatHexBytes(p, 4, hex);
    ReportFormat(state, ReportError, "Unknown chunk %s", hex);
    return ChunkRefused;
}

int32_t ChunkSize(const ChunkRecord& r) {
    switch (ShapeOfType(r.Type)) {
    case ShapeScalar: return 8;
    case ShapeNode: return 10;
    case ShapePool: return 8 + r.Length;
    case ShapeUnknown: break;
    }
    return 4;
}

}  // namespace

int32_t ReadDocument(EditorState* state) {
    // Whatever stops the load early leaves the document knowing it holds
    // only part of its file.
    state->Incomplete = true;
    uint8_t key[4];
    int32_t got = 0;
    bool ok = FileRead(state->FileHandle, key, 4, &got);
    if (!ok || got < 4) {
        int32_t code = FileLastError();
        for (int32_t i = 0; i < got; ++i) {  // what did arrive replaces the key's first bytes
            state->Key &= ~(0xFFu << (8 * i));
            state->Key |= static_cast<uint32_t>(key[i]) << (8 * i);
        }
        ReportFormat(state, ReportError, "Could not read key from file (%d)", code);
        return -1;
    }
    state->Key = ReadU32(key);
    SeedCipher(state);
    state->ChunkCount = 0;
    state->PoolUsed = 0;
    // A file too short to supply its header gets a zero one rather than the
    // previous document's.
    std::memset(state->HeaderBytes, 0, sizeof state->HeaderBytes);

    ReadBuffer buffer;
    int32_t carry = 0;
    bool headerTaken = false;
    for (;;) {
        if (!FileRead(state->FileHandle, buffer.bytes + carry, buffer.capacity - carry, &got)) {
            ReportFormat(state, ReportError, "Error reading from file (%d)", FileLastError());
            return -1;
        }
        if (got == 0) {
            if (carry > 0)
                ReportFormat(state, ReportWarning,
                             "The file ends inside %s: its last %d bytes were not loaded and will not be saved.",
                             headerTaken ? "a chunk" : "its header", carry);
            state->Incomplete = carry > 0;
            return 0;
        }
        ApplyCipher(state, buffer.bytes, carry, got);
        int32_t avail = carry + got;
        int32_t pos = 0;
        if (!headerTaken) {
            if (avail < kHeaderSize) {  // only a short read or a short file gets here
                carry = avail;
                continue;
            }
            std::memcpy(state->HeaderBytes, buffer.bytes, kHeaderSize);
            headerTaken = true;
            pos = kHeaderSize;
        }
        int64_t wanted = 0;
        while (pos < avail) {
            ChunkCut cut = TakeChunk(state, buffer.bytes + pos, avail - pos, &wanted);
            if (cut == ChunkRefused) return -1;
            if (cut == ChunkIncomplete) break;
            pos += ChunkSize(state->Chunks[state->ChunkCount]);
            state->ChunkCount += 1;
        }
        carry = avail - pos;
        std::memmove(buffer.bytes, buffer.bytes + pos, static_cast<size_t>(carry));
        if (carry == buffer.capacity && !buffer.Grow(carry, wanted)) {
            Report(state, ReportError, "Could not allocate memory.");
            return -1;
        }
    }
}
