#include <cstring>

#include "chunk_types.h"
#include "cipher.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"

namespace {

// Chunks are gathered into one block and enciphered and written together:
// a write per chunk would cost a system call for every 8 to 10 bytes. A pool
// payload larger than the block goes out in block-sized pieces, so no chunk
// is ever too long to save.
struct WriteBlock {
    EditorState* state;
    NativeHandle file;
    uint8_t bytes[kFileBlock];
    int32_t used = 0;
    int64_t total = 0;

    bool Flush() {
        if (used == 0) return true;
        ApplyCipher(state, bytes, 0, used);
        int32_t written = 0;
        bool ok = FileWrite(file, bytes, used, &written) && written == used;
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

bool PutChunk(WriteBlock& out, const EditorState& state, const ChunkRecord& r) {
    uint8_t head[10];
    WriteU32(head, r.Type);
    switch (ShapeOfType(r.Type)) {
    case ShapeScalar:
        std::memcpy(head + 4, r.Value, 4);
        return out.Put(head, 8);
    case ShapeNode:
        std::memcpy(head + 4, r.Value, 6);
        return out.Put(head, 10);
    case ShapePool:
        WriteU32(head + 4, static_cast<uint32_t>(r.Length));
        return out.Put(head, 8) && out.Put(state.Pool + r.PoolOffset, r.Length);
    case ShapeUnknown:
        break;
    }
    return out.Put(head, 4);
}

}  // namespace

int32_t WriteDocument(EditorState* state) {
    return state->FileHandle == kNoFile ? 0 : WriteDocumentTo(state, state->FileHandle, nullptr);
}

int32_t WriteDocumentTo(EditorState* state, NativeHandle file, int64_t* size) {
    uint8_t key[4];
    WriteU32(key, state->Key);
    int32_t written = 0;
    if (!FileSeekStart(file) || !FileWrite(file, key, 4, &written) || written != 4) {
        ReportFormat(state, ReportError, "Could not write key to file (%d)", FileLastError());
        return -1;
    }
    SeedCipher(state);
    WriteBlock out;
    out.state = state;
    out.file = file;
    out.Put(state->HeaderBytes, kHeaderSize);
    if (!out.Flush()) {
        ReportFormat(state, ReportError, "Could not write header to file (%d)", FileLastError());
        return -1;
    }
    for (int32_t i = 0; i < state->ChunkCount; ++i) {
        if (!PutChunk(out, *state, state->Chunks[i])) {
            ReportFormat(state, ReportError, "Could not write chunks to file (%d)", FileLastError());
            return -1;
        }
    }
    if (!out.Flush()) {
        ReportFormat(state, ReportError, "Could not write chunks to file (%d)", FileLastError());
        return -1;
    }
    FileSetEnd(file);
    if (size) *size = 4 + out.total;
    return 0;
}
