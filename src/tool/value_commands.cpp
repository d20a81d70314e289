// dtbtool get and set: values read and written by their chunks' paths, set
// taking each value as the editor's Data box reads it, all or nothing.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chunk_path.h"
#include "document.h"
#include "safe_save.h"
#include "tool.h"
#include "value_forms.h"

namespace {

// The file, read, and the index its paths are read through. False after
// the message.
bool Open(Document* doc, PathIndex* index, const char* file) {
    return StartDocument(doc) && LoadFile(doc, file) && BuildPathIndex(doc, index) == 0;
}

// The chunk path names, or -1 after "FILE: PATH: why" on stderr.
int32_t ChunkAt(const Document* doc, const PathIndex* index, const char* file, const char* path, const char* refused) {
    char why[kMessageSize];
    int32_t chunk = FindChunkByPath(doc, index, path, why, sizeof why);
    if (chunk < 0) std::fprintf(stderr, "%s: %s%s: %s\n", file, refused, path, why);
    return chunk;
}

}  // namespace

// dtbtool get FILE PATH... Returns kBadUsage on a usage error.
int GetCommand(int argc, char** argv) {
    if (argc < 2) return kBadUsage;
    Document doc;
    PathIndex index = {};
    bool done = Open(&doc, &index, argv[0]);
    bool printed = done;
    for (int k = 1; printed && k < argc; ++k) {
        int32_t chunk = ChunkAt(&doc, &index, argv[0], argv[k], "");
        if (chunk < 0) done = false;
        if (chunk >= 0) printed = PrintChunkLine(&doc, chunk);
    }
    FreePathIndex(&index);
    FreeDocument(&doc);
    return done && printed && std::fflush(stdout) == 0 ? kExitDone : kExitRefused;
}

// dtbtool set FILE PATH VALUE [PATH VALUE...] [--hex]: every value is read
// before any is stored, and the file is saved only when all of them are.
// --hex may stand wherever a path could, never in place of a value, so that
// any text can be a value. Returns kBadUsage on a usage error.
int SetCommand(int argc, char** argv) {
    const char* file = nullptr;
    bool hex = false;
    std::vector<const char*> pairs;
    for (int k = 0; k < argc; ++k) {
        bool value = pairs.size() % 2 == 1;
        if (!value && !std::strcmp(argv[k], "--hex")) {
            hex = true;
        } else if (!value && argv[k][0] == '-' && argv[k][1] == '-') {
            return kBadUsage;
        } else if (!file) {
            file = argv[k];
        } else {
            pairs.push_back(argv[k]);
        }
    }
    if (!file || pairs.empty() || pairs.size() % 2 != 0) return kBadUsage;
    Document doc;
    PathIndex index = {};
    bool ok = Open(&doc, &index, file);
    if (ok && doc.Incomplete) {
        std::fprintf(stderr, "%s: not changed: the file ends before its last chunk does; a save would lose the rest\n",
                     file);
        ok = false;
    }
    std::vector<int32_t> chunks;
    std::vector<TypedValue> values;
    bool refused = false;
    for (size_t k = 0; ok && k < pairs.size(); k += 2) {
        const char *path = pairs[k], *text = pairs[k + 1];
        int32_t chunk = ChunkAt(&doc, &index, file, path, "not changed: ");
        TypedValue value;
        const char* why = "";
        ValueRead read =
            chunk < 0 ? ValueRefused : ReadTypedValue(&doc, chunk, text, std::strlen(text), hex, &value, &why);
        if (read == ValueRefused && chunk >= 0) {
            std::string shown = EscapedText(text, std::strlen(text));
            std::fprintf(stderr, "%s: not changed: %s refuses \"%s\": %s\n", file, path, shown.c_str(), why);
        }
        if (read == ValueReadDone) chunks.push_back(chunk), values.push_back(value);
        refused = refused || read == ValueRefused;
        ok = read != ValueReadFailed;
    }
    bool changed = false;
    for (size_t k = 0; ok && !refused && k < values.size(); ++k) {
        WriteResult written = WriteTypedValue(&doc, chunks[k], values[k]);
        changed = changed || written == WriteDone;
        ok = written != WriteRefused;
    }
    if (ok && !refused && changed) ok = SaveDocumentSafely(&doc, file, nullptr) == 0;
    for (TypedValue& value : values) FreeTypedValue(&value);
    FreePathIndex(&index);
    FreeDocument(&doc);
    return ok && !refused ? kExitDone : kExitRefused;
}
