#include "file_layer.h"

namespace {
const FileLayer* g_layer = nullptr;
const FileLayer& Layer() { return g_layer ? *g_layer : *PlatformFileLayer(); }
}  // namespace

void SetFileLayer(const FileLayer* layer) { g_layer = layer; }

bool FileRead(NativeHandle file, void* buffer, int32_t count, int32_t* got) {
    return Layer().Read(file, buffer, count, got);
}
bool FileWrite(NativeHandle file, const void* buffer, int32_t count, int32_t* written) {
    return Layer().Write(file, buffer, count, written);
}
bool FileSeekStart(NativeHandle file) { return Layer().SeekStart(file); }
bool FileSetEnd(NativeHandle file) { return Layer().SetEnd(file); }
int32_t FileLastError() { return Layer().LastError(); }
