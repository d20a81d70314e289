// Writing the document as a DTB file: the key in plain, then the enciphered header and chunks.
#include <cstring>

#include "chunk_types.h"
#include "cipher.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"

namespace {

// Chunks are gathered into one block and enciphered and written together:
// a write per chunk would cost a system call for every 8 to 10 bytes. A pool
// payload larger than the block goes out in block-sized pieces, so no chunk
// is ever too long to save.
struct WriteBlock {
    Document* doc;
    CipherState cipher;  // where the keystream stands: the writer's own, never the document's
    const FileLayer& files;
    NativeHandle file;
    uint8_t bytes[kFileBlock];
    int32_t used = 0;
    int64_t total = 0;

    WriteBlock(Document* d, const FileLayer& f, NativeHandle h) : doc(d), files(f), file(h) {
        SeedCipher(&cipher, d->Key);
    }

    bool Flush() {
        if (used == 0) return true;
        ApplyCipher(&cipher, bytes, 0, used);
        int32_t written = 0;
        bool ok = files.Write(files.Context, file, bytes, used, &written) && written == used;
        total += used;
        used = 0;
        return ok;
    }

    bool Put(const uint8_t* p, int32_t n) {
        while (n > 0) {
            if (used == kFileBlock && !Flush()) return false;
            int32_t take = kFileBlock - used < n ? kFileBlock - used : n;
            std::memcpy(bytes + used, p, static_cast<size_t>(take));
            used += take;
            p += take;
            n -= take;
        }
        return true;
    }
};

// Encodes the records from *next on that have a payload of at most
// kShortPayload bytes or none, while the block has room for them; *next
// ends at the first record left to the careful way (WriteDocumentTo's own).
void PutShortChunks(const Document* doc, WriteBlock* out, int32_t* next) {
    const uint8_t* const records = reinterpret_cast<const uint8_t*>(doc->Chunks);
    const uint8_t* const pool = doc->Pool;
    const int64_t poolEnd = doc->PoolCapacity - kShortPayload;
    const int32_t lastUsed = kFileBlock - kLongestChunkHead - kShortPayload;
    int32_t i = *next, used = out->used;
    uint8_t* const block = out->bytes;
    while (i < doc->ChunkCount && used <= lastUsed) {
        uint64_t words[3];
        std::memcpy(words, records + static_cast<size_t>(i) * sizeof(ChunkRecord), sizeof words);
        uint32_t type = static_cast<uint32_t>(words[0]);
        const ChunkLayout& row = LayoutOfType(type);
        uint32_t length = static_cast<uint32_t>(words[1] >> 32) & row.LengthMask;
        uint32_t offset = static_cast<uint32_t>(words[2]) & row.LengthMask;  // 0 for the others: some pool byte
        if (row.Head == 0 || length > static_cast<uint32_t>(kShortPayload) || offset > poolEnd) break;
        uint64_t value = (words[0] >> 32 | words[1] << 32) & row.ValueMask;
        uint64_t after = value | length;  // one of them is 0
        uint8_t* o = block + used;
        std::memcpy(o, &type, 4);
        std::memcpy(o + 4, &after, 8);
        // After the head, which a node's ends past the eighth byte; what lies
        // past the payload is written over next.
        std::memcpy(o + row.Head, pool + offset, kShortPayload);
        used += row.Head + static_cast<int32_t>(length);
        ++i;
    }
    out->used = used;
    *next = i;
}

}  // namespace

int32_t WriteDocument(Document* doc) {
    return doc->FileHandle == kNoFile ? 0 : WriteDocumentTo(doc, doc->FileHandle, nullptr);
}

int32_t WriteDocumentTo(Document* doc, NativeHandle file, int64_t* size) {
    const FileLayer& files = FilesOf(doc);
    uint8_t key[4];
    WriteU32(key, doc->Key);
    int32_t written = 0;
    if (!files.SeekStart(files.Context, file) || !files.Write(files.Context, file, key, 4, &written) || written != 4) {
        ReportFormat(doc, ReportError, "Could not write key to file (%d)", files.LastError(files.Context));
        return -1;
    }
    WriteBlock out(doc, files, file);
    out.Put(doc->HeaderBytes, kHeaderSize);
    if (!out.Flush()) {
        ReportFormat(doc, ReportError, "Could not write header to file (%d)", files.LastError(files.Context));
        return -1;
    }
    bool ok = true;
    for (int32_t i = 0; ok && i < doc->ChunkCount;) {
        PutShortChunks(doc, &out, &i);
        if (i == doc->ChunkCount) break;
        const ChunkRecord& r = doc->Chunks[i++];
        uint8_t head[kLongestChunkHead];
        ok = out.Put(head, EncodeChunkHead(r, head)) &&
             (!IsPoolType(r.Type) || out.Put(doc->Pool + r.PoolOffset, r.Length));
    }
    if (!ok || !out.Flush()) {
        ReportFormat(doc, ReportError, "Could not write chunks to file (%d)", files.LastError(files.Context));
        return -1;
    }
    files.SetEnd(files.Context, file);
    if (size) *size = 4 + out.total;
    return 0;
}
