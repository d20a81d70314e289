// dtbtool export FILE [OUT] and import IN.json OUT. Both write their output
// through the safe save, so a failure never harms a file that was there.
#include <cstdio>
#include <cstring>
#include <string>

#include "document.h"
#include "file_layer.h"
#include "json_form.h"
#include "safe_save.h"
#include "tool.h"

namespace {

bool ToStdout(void*, const char* bytes, size_t n) {
    if (std::fwrite(bytes, 1, n, stdout) == n) return true;
    std::fprintf(stderr, "dtbtool: could not write the JSON to the standard output\n");
    return false;
}

struct FileSink {
    Document* doc;
    NativeHandle file;
    int64_t written;
};

bool ToFile(void* context, const char* bytes, size_t n) {
    FileSink& sink = *static_cast<FileSink*>(context);
    const FileLayer& files = FilesOf(sink.doc);
    for (size_t done = 0; done < n;) {
        int32_t piece = static_cast<int32_t>(n - done < (1u << 30) ? n - done : (1u << 30));
        int32_t wrote = 0;
        if (!files.Write(files.Context, sink.file, bytes + done, piece, &wrote)) {
            ReportFormat(sink.doc, ReportError, "Could not write JSON to file (%d)", files.LastError(files.Context));
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    sink.written += static_cast<int64_t>(n);
    return true;
}

int32_t WriteJson(Document* doc, NativeHandle file, int64_t* size, void*) {
    FileSink sink = {doc, file, 0};
    const FileLayer& files = FilesOf(doc);
    if (!files.SeekStart(files.Context, file) || !ExportJson(doc, ToFile, &sink)) return -1;
    if (size) *size = sink.written;
    return 0;
}

}  // namespace

int ExportCommand(int argc, char** argv) {
    if (argc != 1 && argc != 2) return kBadUsage;
    Document doc;
    if (!StartDocument(&doc)) return kExitRefused;
    bool done = LoadFile(&doc, argv[0]);
    // "-" is the standard output, as for any command-line tool; a file of
    // that name is still reached as ./-
    const bool toFile = argc == 2 && std::strcmp(argv[1], "-") != 0;
    if (done)
        done = toFile ? SaveContentSafely(&doc, argv[1], nullptr, WriteJson, nullptr) == 0
                      : ExportJson(&doc, ToStdout, nullptr) && std::fflush(stdout) == 0;
    FreeDocument(&doc);
    return done ? kExitDone : kExitRefused;
}

int ImportCommand(int argc, char** argv) {
    if (argc != 2) return kBadUsage;
    const bool fromStdin = !std::strcmp(argv[0], "-");  // read as binary, as main set it
    std::FILE* in = fromStdin ? stdin : std::fopen(argv[0], "rb");
    if (!in) {
        std::fprintf(stderr, "Could not open file %s\n", argv[0]);
        return kExitRefused;
    }
    Document doc;
    bool done = StartDocument(&doc);
    std::string error;
    if (done && !ImportJson(&doc, in, &error)) {
        std::fprintf(stderr, "%s: %s\n", fromStdin ? "standard input" : argv[0], error.c_str());
        done = false;
    }
    if (!fromStdin) std::fclose(in);
    done = done && SaveDocumentSafely(&doc, argv[1], nullptr) == 0;
    FreeDocument(&doc);
    return done ? kExitDone : kExitRefused;
}
