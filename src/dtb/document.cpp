#include "document.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
#ifdef __linux__
#include <sys/mman.h>
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

// The first touch of each page of a large block costs a fault that, for a
// file of tens of megabytes read into a fresh document, outweighs the reading
// itself. Where the system offers it, the blocks a reader is about to fill
// take pages of 2 MiB (only those: in a block that grows by steps, a large
// page would hold much reserve that is never used).
void AskForLargePages(void* block, size_t bytes) {
#ifdef __linux__
    // From the start of block's first page, as madvise wants; the system
    // gives large pages wherever the range holds whole ones.
    uintptr_t start = reinterpret_cast<uintptr_t>(block) / 4096 * 4096;
    madvise(reinterpret_cast<void*>(start), bytes + (reinterpret_cast<uintptr_t>(block) - start), MADV_HUGEPAGE);
#else
    (void)block, (void)bytes;
#endif
}

void* ReservingResize(void*, void* block, size_t bytes) {
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

void ReservingFree(void*, void* block) {
    if (block) std::free(static_cast<BlockHead*>(block) - 1);
}

const BlockAllocator kDefaultAllocator = {ReservingResize, ReservingFree, nullptr};

const BlockAllocator& Memory(const Document* doc) { return doc->Memory ? *doc->Memory : kDefaultAllocator; }

// Grows a block to newSize bytes with the bytes past oldSize zeroed (unless
// zeroed is false). On failure the block is untouched and nullptr is returned.
void* GrowBlock(const Document* doc, void* block, size_t oldSize, size_t newSize, bool zeroed = true) {
    const BlockAllocator& memory = Memory(doc);
    void* grown = memory.Resize(memory.Context, block, newSize);
    if (grown && zeroed) std::memset(static_cast<char*>(grown) + oldSize, 0, newSize - oldSize);
    return grown;
}

bool GrowPool(Document* doc, int64_t capacity, bool zeroed) {
    void* grown = capacity <= INT32_MAX ? GrowBlock(doc, doc->Pool, static_cast<size_t>(doc->PoolCapacity),
                                                    static_cast<size_t>(capacity), zeroed)
                                        : nullptr;
    if (!grown) return false;
    doc->Pool = static_cast<uint8_t*>(grown);
    doc->PoolCapacity = static_cast<int32_t>(capacity);
    return true;
}

bool GrowTable(Document* doc, int64_t capacity, bool zeroed) {
    void* grown = capacity <= INT32_MAX && static_cast<uint64_t>(capacity) <= SIZE_MAX / sizeof(ChunkRecord)
                      ? GrowBlock(doc, doc->Chunks, doc->ChunkCapacity * sizeof(ChunkRecord),
                                  static_cast<size_t>(capacity) * sizeof(ChunkRecord), zeroed)
                      : nullptr;
    if (!grown) return false;
    doc->Chunks = static_cast<ChunkRecord*>(grown);
    doc->ChunkCapacity = static_cast<int32_t>(capacity);
    return true;
}

}  // namespace

void InitDocument(Document* doc) {
    std::memset(doc, 0, sizeof *doc);
    doc->FileHandle = kNoFile;
}

int32_t AllocateDocument(Document* doc) {
    void* pool = GrowBlock(doc, nullptr, 0, kPoolStep);
    void* table = pool ? GrowBlock(doc, nullptr, 0, kTableStep * sizeof(ChunkRecord)) : nullptr;
    if (!table) {
        if (pool) Memory(doc).Free(Memory(doc).Context, pool);
        ReportOutOfMemory(doc);
        return -1;
    }
    doc->Pool = static_cast<uint8_t*>(pool);
    doc->PoolCapacity = kPoolStep;
    doc->PoolUsed = 0;
    doc->Chunks = static_cast<ChunkRecord*>(table);
    doc->ChunkCapacity = kTableStep;
    doc->ChunkCount = 0;
    return 0;
}

void FreeDocument(Document* doc) {
    ReleaseHistory(&doc->History);
    doc->Modified = false;
    const BlockAllocator& memory = Memory(doc);
    if (doc->Pool) memory.Free(memory.Context, doc->Pool);
    if (doc->Chunks) memory.Free(memory.Context, doc->Chunks);
    doc->Pool = nullptr;
    doc->Chunks = nullptr;
    doc->PoolCapacity = doc->PoolUsed = 0;
    doc->ChunkCapacity = doc->ChunkCount = 0;
}

void ReleaseHistory(Journal* history) {
    Journal& j = *history;
    for (int32_t k = 0; k < j.Count; ++k) std::free(j.Entries[k].Ops);
    std::free(j.Entries);
    std::free(j.Open);
    Journal kept = {};
    kept.Limit = j.Limit;
    kept.KeepsNone = j.KeepsNone;
    kept.Steps = j.Steps;
    kept.Changes = j.Changes;
    kept.Last = j.Last;
    j = kept;
}

int32_t EnsureRoom(Document* doc, int32_t poolBytes, int32_t tableSlots) {
    if (poolBytes < 0 || tableSlots < 0 || !doc->Pool || !doc->Chunks) {
        ReportOutOfMemory(doc);
        return -1;
    }
    // The pool keeps at least one spare byte after every request, growing in
    // whole steps; all the steps one request needs are taken in one resize.
    int64_t need = static_cast<int64_t>(poolBytes) + doc->PoolUsed;
    if (need >= doc->PoolCapacity) {
        int64_t steps = (need - doc->PoolCapacity) / kPoolStep + 1;
        if (!GrowPool(doc, doc->PoolCapacity + steps * kPoolStep, true)) {
            ReportOutOfMemory(doc);
            return -1;
        }
    }
    // The usual reserve of 4 grows the table by a step of 256; a caller that
    // adds several records at once gets exactly what it asked for.
    if (static_cast<int64_t>(doc->ChunkCount) + tableSlots >= doc->ChunkCapacity) {
        int64_t step = tableSlots == kUsualReserve ? kTableStep : tableSlots;
        if (!GrowTable(doc, doc->ChunkCapacity + step, true)) {
            ReportOutOfMemory(doc);
            return -1;
        }
    }
    return 0;
}

int32_t ReserveForLoad(Document* doc, int64_t poolCapacity, int64_t tableCapacity) {
    bool ok = doc->Pool && doc->Chunks;
    if (ok && poolCapacity > doc->PoolCapacity && (ok = GrowPool(doc, poolCapacity, false)))
        AskForLargePages(doc->Pool, static_cast<size_t>(doc->PoolCapacity));
    if (ok && tableCapacity > doc->ChunkCapacity && (ok = GrowTable(doc, tableCapacity, false)))
        AskForLargePages(doc->Chunks, static_cast<size_t>(doc->ChunkCapacity) * sizeof(ChunkRecord));
    if (!ok) ReportOutOfMemory(doc);
    return ok ? 0 : -1;
}

int32_t InsertChunkAt(Document* doc, const ChunkRecord* record, int32_t index) {
    if (index < 0 || index > doc->ChunkCount) return -1;
    ChunkRecord copy = *record;  // record may point into the table that EnsureRoom moves
    if (EnsureRoom(doc, 0, kUsualReserve) != 0) return -1;
    ChunkRecord* at = doc->Chunks + index;
    std::memmove(at + 1, at, static_cast<size_t>(doc->ChunkCount - index) * sizeof(ChunkRecord));
    *at = copy;
    doc->ChunkCount += 1;
    return 0;
}

void MoveRecords(Document* doc, const MovedRun& run) {
    ChunkRecord* chunks = doc->Chunks;
    if (run.To <= run.From) {
        std::rotate(chunks + run.To, chunks + run.From, chunks + run.From + run.Count);
    } else {
        std::rotate(chunks + run.From, chunks + run.From + run.Count, chunks + run.To);
    }
}

int32_t MovedTo(const MovedRun& run) { return run.To <= run.From ? run.To : run.To - run.Count; }

int32_t ChunkAfterMove(const MovedRun& run, int32_t chunk) {
    const int32_t end = run.From + run.Count;
    if (chunk >= run.From && chunk < end) return MovedTo(run) + chunk - run.From;
    if (run.To <= run.From) return chunk >= run.To && chunk < run.From ? chunk + run.Count : chunk;
    return chunk >= end && chunk < run.To ? chunk - run.Count : chunk;
}

MovedRun UndoingMove(const MovedRun& run) {
    return {MovedTo(run), run.Count, run.To <= run.From ? run.From + run.Count : run.From};
}

void RemoveChunks(Document* doc, int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= doc->ChunkCount) return;
    if (count > doc->ChunkCount - index) count = doc->ChunkCount - index;
    ChunkRecord* at = doc->Chunks + index;
    std::memmove(at, at + count, static_cast<size_t>(doc->ChunkCount - index - count) * sizeof(ChunkRecord));
    doc->ChunkCount -= count;
}

int32_t ReplacePayload(Document* doc, int32_t index, const uint8_t* bytes, int32_t n) {
    if (index < 0 || index >= doc->ChunkCount || n < 0) return -1;
    if (n > doc->Chunks[index].SlotLength) {
        if (EnsureRoom(doc, n, kUsualReserve) != 0) return -1;
        doc->Chunks[index].PoolOffset = static_cast<uint32_t>(doc->PoolUsed);
        doc->PoolUsed += n;
    }
    ChunkRecord& r = doc->Chunks[index];
    if (n > 0) std::memcpy(doc->Pool + r.PoolOffset, bytes, static_cast<size_t>(n));
    r.Length = n;
    return 0;
}

PayloadView ShownPayload(const Document* doc, const ChunkRecord& record) {
    const char* text = reinterpret_cast<const char*>(doc->Pool + record.PoolOffset);
    size_t length = static_cast<size_t>(record.Length);
    const void* zero = std::memchr(text, 0, length);
    return {text, zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : length};
}

const char kOutOfMemory[] = "Could not allocate memory.";

void Report(const Document* doc, ReportKind kind, const char* text) {
    if (doc->Reporter) doc->Reporter(doc->ReporterContext, text, kind);
}

void ReportOutOfMemory(const Document* doc) { Report(doc, ReportError, kOutOfMemory); }

void ReportOpenFailed(const Document* doc, const char* path, int32_t code) {
    ReportFormat(doc, ReportError, "Could not open file %s (%d)", path, code);
}

void ReportFormat(const Document* doc, ReportKind kind, const char* format, ...) {
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Report(doc, kind, text);
}
