#include "document.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "report.h"

#if defined(__SANITIZE_ADDRESS__)
#define DTB_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DTB_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef DTB_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace {

// The blocks grow in fixed small steps, and realloc moves a large block that
// it cannot extend where it stands, at a cost that grows with the block: a
// file of tens of megabytes read into a fresh document took thousands of such
// moves. So the default blocks keep half as much again in reserve, unseen by
// the capacities the document counts, and most steps cost nothing. Sanitizer
// builds poison the reserve, so that it hides no overrun.
struct alignas(std::max_align_t) BlockHead {
    size_t reserved;  // usable bytes after the head
};

void* ReservingResize(void* block, size_t bytes) {
    BlockHead* head = block ? static_cast<BlockHead*>(block) - 1 : nullptr;
    size_t reserve = bytes;
    if (head && bytes <= head->reserved) {
        reserve = head->reserved;
    } else {
        const size_t most = SIZE_MAX - sizeof(BlockHead);
        if (bytes > most) return nullptr;
        if (head && head->reserved <= most / 3 * 2 && head->reserved + head->reserved / 2 > bytes)
            reserve = head->reserved + head->reserved / 2;
        BlockHead* grown = static_cast<BlockHead*>(std::realloc(head, sizeof(BlockHead) + reserve));
        if (!grown && reserve > bytes) {  // the reserve is a convenience, not a need
            reserve = bytes;
            grown = static_cast<BlockHead*>(std::realloc(head, sizeof(BlockHead) + reserve));
        }
        if (!grown) return nullptr;
        grown->reserved = reserve;
        block = grown + 1;
    }
#ifdef DTB_ADDRESS_SANITIZER
    ASAN_UNPOISON_MEMORY_REGION(block, bytes);
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + bytes, reserve - bytes);
#endif
    return block;
}

void ReservingFree(void* block) {
    if (block) std::free(static_cast<BlockHead*>(block) - 1);
}

const BlockAllocator kDefaultAllocator = {ReservingResize, ReservingFree};
const BlockAllocator* g_allocator = &kDefaultAllocator;

const char kAllocFailed[] = "Could not allocate memory.";

// Grows a block to newSize bytes with the bytes past oldSize zeroed. On
// failure the block is untouched and nullptr is returned.
void* GrowBlock(void* block, size_t oldSize, size_t newSize) {
    void* grown = g_allocator->Resize(block, newSize);
    if (grown) std::memset(static_cast<char*>(grown) + oldSize, 0, newSize - oldSize);
    return grown;
}

}  // namespace

void SetBlockAllocator(const BlockAllocator* allocator) {
    g_allocator = allocator ? allocator : &kDefaultAllocator;
}

int32_t AllocateDocument(EditorState* state) {
    void* pool = GrowBlock(nullptr, 0, kPoolStep);
    if (!pool) {
        Report(state, ReportError, kAllocFailed);
        return -1;
    }
    state->Pool = static_cast<uint8_t*>(pool);
    state->PoolHandle = reinterpret_cast<NativeHandle>(pool);
    state->PoolCapacity = kPoolStep;
    state->PoolUsed = 0;

    void* table = GrowBlock(nullptr, 0, kTableStep * sizeof(ChunkRecord));
    if (!table) {
        Report(state, ReportError, kAllocFailed);
        return -1;
    }
    state->Chunks = static_cast<ChunkRecord*>(table);
    state->ChunkTableHandle = reinterpret_cast<NativeHandle>(table);
    state->ChunkCapacity = kTableStep;
    state->ChunkCount = 0;
    return 0;
}

int32_t FreeDocument(EditorState* state) {
    if (state->Pool) g_allocator->Free(state->Pool);
    state->Pool = nullptr;
    state->PoolHandle = 0;
    state->PoolCapacity = state->PoolUsed = 0;
    if (state->Chunks) g_allocator->Free(state->Chunks);
    state->Chunks = nullptr;
    state->ChunkTableHandle = 0;
    state->ChunkCapacity = state->ChunkCount = 0;
    return 0;
}

int32_t EnsureRoom(EditorState* state, int32_t poolBytes, int32_t tableSlots) {
    if (poolBytes < 0 || tableSlots < 0 || !state->Pool || !state->Chunks) {
        Report(state, ReportError, kAllocFailed);
        return -1;
    }
    // The pool keeps at least one spare byte after every request, growing in
    // whole steps; all the steps one request needs are taken in one resize.
    int64_t need = static_cast<int64_t>(poolBytes) + state->PoolUsed;
    if (need >= state->PoolCapacity) {
        int64_t steps = (need - state->PoolCapacity) / kPoolStep + 1;
        int64_t capacity = state->PoolCapacity + steps * kPoolStep;
        void* grown = capacity <= INT32_MAX
                          ? GrowBlock(state->Pool, static_cast<size_t>(state->PoolCapacity),
                                      static_cast<size_t>(capacity))
                          : nullptr;
        if (!grown) {
            Report(state, ReportError, kAllocFailed);
            return -1;
        }
        state->Pool = static_cast<uint8_t*>(grown);
        state->PoolHandle = reinterpret_cast<NativeHandle>(grown);
        state->PoolCapacity = static_cast<int32_t>(capacity);
    }
    // The usual reserve of 4 grows the table by a step of 256; a caller that
    // adds several records at once gets exactly what it asked for.
    if (static_cast<int64_t>(state->ChunkCount) + tableSlots >= state->ChunkCapacity) {
        int64_t step = tableSlots == kUsualReserve ? kTableStep : tableSlots;
        int64_t capacity = state->ChunkCapacity + step;
        void* grown = capacity <= INT32_MAX && static_cast<uint64_t>(capacity) <= SIZE_MAX / sizeof(ChunkRecord)
                          ? GrowBlock(state->Chunks, state->ChunkCapacity * sizeof(ChunkRecord),
                                      static_cast<size_t>(capacity) * sizeof(ChunkRecord))
                          : nullptr;
        if (!grown) {
            Report(state, ReportError, kAllocFailed);
            return -1;
        }
        state->Chunks = static_cast<ChunkRecord*>(grown);
        state->ChunkTableHandle = reinterpret_cast<NativeHandle>(grown);
        state->ChunkCapacity = static_cast<int32_t>(capacity);
    }
    return 0;
}

int32_t InsertChunkAt(EditorState* state, const ChunkRecord* record, int32_t index) {
    if (index < 0 || index > state->ChunkCount) return -1;
    ChunkRecord copy = *record;  // record may point into the table that EnsureRoom moves
    if (EnsureRoom(state, 0, kUsualReserve) != 0) return -1;
    ChunkRecord* at = state->Chunks + index;
    std::memmove(at + 1, at, static_cast<size_t>(state->ChunkCount - index) * sizeof(ChunkRecord));
    *at = copy;
    state->ChunkCount += 1;
    return 0;
}

int32_t RemoveChunks(EditorState* state, int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= state->ChunkCount) return 0;
    if (count > state->ChunkCount - index) count = state->ChunkCount - index;
    ChunkRecord* at = state->Chunks + index;
    std::memmove(at, at + count, static_cast<size_t>(state->ChunkCount - index - count) * sizeof(ChunkRecord));
    state->ChunkCount -= count;
    return 0;
}

int32_t ReplacePayload(EditorState* state, int32_t index, const uint8_t* bytes, int32_t n) {
    if (index < 0 || index >= state->ChunkCount || n < 0) return -1;
    if (n > state->Chunks[index].SlotLength) {
        if (EnsureRoom(state, n, kUsualReserve) != 0) return -1;
        state->Chunks[index].PoolOffset = static_cast<uint32_t>(state->PoolUsed);
        state->PoolUsed += n;
    }
    ChunkRecord& r = state->Chunks[index];
    if (n > 0) std::memcpy(state->Pool + r.PoolOffset, bytes, static_cast<size_t>(n));
    r.Length = n;
    return 0;
}
