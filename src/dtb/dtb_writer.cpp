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
    for (int32_t i = 0; i < doc->ChunkCount && ok; ++i) {
        const ChunkRecord& r = doc->Chunks[i];
        int32_t payload = IsPoolType(r.Type) ? r.Length : 0;
        if (kFileBlock - out.used >= kLongestChunkHead + kShortPayload + payload) {  // most chunks: straight in
            out.used += EncodeChunkHead(r, out.bytes + out.used);
            const uint8_t* from = doc->Pool + r.PoolOffset;
            if (payload <= kShortPayload && doc->PoolCapacity - static_cast<int64_t>(r.PoolOffset) >= kShortPayload)
                std::memcpy(out.bytes + out.used, from, kShortPayload);  // what lies past it is written over next
            else
                std::memcpy(out.bytes + out.used, from, static_cast<size_t>(payload));
            out.used += payload;
            continue;
        }
        uint8_t head[kLongestChunkHead];
        ok = out.Put(head, EncodeChunkHead(r, head)) && out.Put(doc->Pool + r.PoolOffset, payload);
    }
    if (!ok || !out.Flush()) {
        ReportFormat(doc, ReportError, "Could not write chunks to file (%d)", files.LastError(files.Context));
        return -1;
    }
    files.SetEnd(files.Context, file);
    if (size) *size = 4 + out.total;
    return 0;
}
