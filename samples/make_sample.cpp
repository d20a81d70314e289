// Writes the project's sample DTB file: a small tree with every shape and
// most type codes, made from nothing but the editor's own core.
#include <cstdio>
#include <cstring>

#include "chunk_types.h"
#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"

namespace {

EditorState g_state;

void Add(uint32_t type, const void* value, int32_t valueSize) {
    ChunkRecord r = {};
    r.Type = type;
    if (IsPoolType(type)) {
        InsertChunkAt(&g_state, &r, g_state.ChunkCount);
        ReplacePayload(&g_state, g_state.ChunkCount - 1, static_cast<const uint8_t*>(value), valueSize);
    } else {
        std::memcpy(r.Value, value, static_cast<size_t>(valueSize));
        InsertChunkAt(&g_state, &r, g_state.ChunkCount);
    }
}
void Text(uint32_t type, const char* text) { Add(type, text, static_cast<int32_t>(std::strlen(text))); }
void Integer(uint32_t type, uint32_t v) {
    uint8_t b[4];
    WriteU32(b, v);
    Add(type, b, 4);
}
void Float(float f) { Add(1, &f, 4); }
void Node(uint32_t type, uint16_t children, int32_t number) {
    uint8_t b[6];
    WriteU16(b, children);
    WriteU32(b + 2, static_cast<uint32_t>(number));
    Add(type, b, 6);
}

void ToStderr(void*, const char* text, ReportKind) { std::fprintf(stderr, "%s\n", text); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUT\n");
        return 2;
    }
    InitEditorState(&g_state);
    g_state.Reporter = ToStderr;
    if (AllocateDocument(&g_state) != 0) return 1;
    g_state.Key = 0x1234ABCD;
    const uint8_t header[kHeaderSize] = {0x1C, 5, 0, 0xDE, 0xAD, 0xBE, 0xEF};
    std::memcpy(g_state.HeaderBytes, header, sizeof header);

    Node(16, 7, 1);                 // top level 1
    Text(5, "settings");
    Integer(0, 42);
    Float(1.5f);
    Node(17, 4, 2);
    Text(5, "window");
    Text(18, "Main Window");
    Integer(0, 0xFFFFFFFF);
    Integer(6, 0xEFBEADDE);
    Text(33, "data\\textures\\sky.dds");
    Text(32, "line one\nline two");
    Node(19, 0, 3);                 // an empty node
    Text(2, "OnLoad(x)");           // top level 2
    Node(16, 2, -1);                // top level 3
    Text(7, "Level 3");
    Text(34, "maps\\level3.map");
    Integer(8, 0x04030201);         // top level 4
    Integer(9, 0);

    std::remove(argv[1]);
    g_state.FileHandle = FileCreateNew(argv[1]);
    if (g_state.FileHandle == kNoFile) {
        std::fprintf(stderr, "Could not create file %s\n", argv[1]);
        return 1;
    }
    int32_t result = WriteDocument(&g_state);
    FileClose(g_state.FileHandle);
    FreeDocument(&g_state);
    return result == 0 ? 0 : 1;
}
