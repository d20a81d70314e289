// dtbtool: lists, copies and checks DTB files with the editor's own core.
#include <cstdio>
#include <cstring>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "document.h"
#include "dtb_file.h"
#include "file_layer.h"
#include "report.h"
#include "tool.h"

namespace {

const char kUsage[] =
    "usage: dtbtool COMMAND ARGS\n"
    "\n"
    "  list FILE                   print the key, the header and one line per chunk\n"
    "                              (label, tab, value, tab, chunk index)\n"
    "  copy IN OUT [--key K]       read IN and write it to OUT, enciphered with key K\n"
    "                              if given (0 to 4294967295, decimal or hex after 0x)\n"
    "  tree FILE [--hide-identifiers]\n"
    "                              print the tree view's items in order, two blanks\n"
    "                              per level (item text, tab, chunk index)\n"
    "  check FILE                  list every place where the child counts disagree\n"
    "                              with the chunks; exit status 1 when there is one\n"
    "  --help                      this text\n"
    "\n"
    "Exit status: 0 done, 1 a file was refused or could not be read or written,\n"
    "2 usage error. Messages and warnings go to stderr.\n";

void ToStderr(void*, const char* text, ReportKind) { std::fprintf(stderr, "%s\n", text); }

}  // namespace

bool StartDocument(EditorState* state) {
    InitEditorState(state);
    state->Reporter = ToStderr;
    return AllocateDocument(state) == 0;
}

bool LoadFile(EditorState* state, const char* path) {
    state->FileHandle = FileOpenRead(path);
    if (state->FileHandle == kNoFile) {
        ReportFormat(state, ReportError, "Could not open file %s (%d)", path, FileLastError());
        return false;
    }
    int32_t result = ReadDocument(state);
    FileClose(state->FileHandle);
    state->FileHandle = kNoFile;
    return result == 0;
}

int main(int argc, char** argv) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n on every platform
#endif
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const char* command = argv[1];
    if (!std::strcmp(command, "--help") || !std::strcmp(command, "-h")) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    int result = -1;
    if (!std::strcmp(command, "list")) result = ListCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "copy")) result = CopyCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "tree")) result = TreeCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "check")) result = CheckCommand(argc - 2, argv + 2);
    if (result == -1) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    return result;
}
