#include "test_support.h"

#include <algorithm>

namespace {

MemoryFile* g_file = nullptr;
int32_t g_error = 0;

bool Read(NativeHandle, void* buffer, int32_t count, int32_t* got) {
    MemoryFile& f = *g_file;
    *got = 0;
    if (f.failReadAt >= 0 && static_cast<int64_t>(f.position) >= f.failReadAt) {
        g_error = 5;
        return false;
    }
    f.reads += 1;
    size_t left = f.bytes.size() - std::min(f.position, f.bytes.size());
    size_t n = std::min({static_cast<size_t>(count), left, static_cast<size_t>(f.readStep)});
    if (n) std::memcpy(buffer, f.bytes.data() + f.position, n);
    f.position += n;
    *got = static_cast<int32_t>(n);
    return true;
}

bool Write(NativeHandle, const void* buffer, int32_t count, int32_t* written) {
    MemoryFile& f = *g_file;
    int64_t n = count;
    if (f.failWriteAt >= 0 && f.writtenTotal + n > f.failWriteAt) n = std::max<int64_t>(0, f.failWriteAt - f.writtenTotal);
    if (f.position + static_cast<size_t>(n) > f.bytes.size()) f.bytes.resize(f.position + static_cast<size_t>(n));
    if (n) std::memcpy(f.bytes.data() + f.position, buffer, static_cast<size_t>(n));
    f.position += static_cast<size_t>(n);
    f.writtenTotal += n;
    *written = static_cast<int32_t>(n);
    if (n < count) g_error = 112;  // disk full
    return n == count;
}

bool SeekStart(NativeHandle) {
    g_file->position = 0;
    return true;
}

bool SetEnd(NativeHandle) {
    g_file->bytes.resize(g_file->position);
    return true;
}

int32_t LastError() { return g_error; }

const FileLayer kMemoryLayer = {Read, Write, SeekStart, SetEnd, LastError};

}  // namespace

MemoryFile::MemoryFile(std::vector<uint8_t> content) : bytes(std::move(content)) {
    g_file = this;
    g_error = 0;
    SetFileLayer(&kMemoryLayer);
}

MemoryFile::~MemoryFile() {
    SetFileLayer(nullptr);
    g_file = nullptr;
}

std::vector<uint8_t> ReferenceCipher(uint32_t key, std::vector<uint8_t> bytes) {
    EditorState s;
    InitEditorState(&s);
    s.Key = key;
    SeedCipher(&s);
    for (uint8_t& b : bytes) b = NextCipherByte(&s, b);
    return bytes;
}

std::vector<uint8_t> DtbBuilder::File(uint32_t key) const {
    std::vector<uint8_t> file(4);
    WriteU32(file.data(), key);
    std::vector<uint8_t> enciphered = ReferenceCipher(key, plain);
    file.insert(file.end(), enciphered.begin(), enciphered.end());
    return file;
}
