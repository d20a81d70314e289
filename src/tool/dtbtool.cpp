// dtbtool: lists, copies and checks DTB files with the editor's own core.
#include <cstdio>
#include <cstring>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "tool.h"

namespace {

const char kUsage[] =
    "usage: dtbtool COMMAND ARGS\n"
    "\n"
    "  list FILE                   print the key, the header and one line per chunk\n"
    "                              (label, tab, value, tab, chunk index), with \\,\n"
    "                              tab, CR, LF and other control bytes in a value\n"
    "                              written \\\\, \\t, \\r, \\n and \\xHH\n"
    "  copy IN OUT [--key K]       read IN and write it to OUT, enciphered with key K\n"
    "                              if given, as the editor's Key box takes it: a number\n"
    "                              from 0 to 4294967295, hex after 0x, or four hex bytes\n"
    "                              least significant first (CD AB 34 12)\n"
    "  tree FILE [--hide-identifiers]\n"
    "                              print the tree view's items in order, two blanks\n"
    "                              per level (item text, tab, chunk index)\n"
    "  check FILE [--repair OUT]   list every place where the child counts disagree\n"
    "                              with the chunks; exit status 1 when there is one;\n"
    "                              --repair writes FILE to OUT with the counts set\n"
    "                              to what the chunks hold\n"
    "  export FILE [OUT]           write FILE as JSON to OUT, or to the standard\n"
    "                              output when OUT is - or not given\n"
    "  import IN OUT               write the JSON file IN (- for the standard input)\n"
    "                              back as the DTB file OUT\n"
    "  find FILE... (--text T | --regex R | --value N | --name N) [--type T] [--case] [--whole]\n"
    "                              print each match: file, path, label, value (tabs\n"
    "                              between); exit status 0 matched, 1 none, 2 trouble\n"
    "  replace FILE... (the same) --with X [--dry-run]\n"
    "                              replace in each file, all or nothing; --dry-run shows\n"
    "                              each value and what it would become, writing nothing\n"
    "  diff A B [--json]           print what differs from A to B, by the tree: + path  value,\n"
    "                              - path  value, ~ path  old -> new (--json: one JSON\n"
    "                              object a line); exit status 0 same, 1 different, 2 trouble\n"
    "  merge BASE OURS THEIRS -o OUT [--favor ours|theirs] [--name NAME]\n"
    "                              merge the changes OURS and THEIRS made to BASE into OUT;\n"
    "                              each conflict is listed (! path  base | ours | theirs)\n"
    "                              and nothing is written (exit status 1) unless --favor\n"
    "                              settles them; 2 on trouble; messages call OUT NAME\n"
    "  get FILE PATH...            print the chunk at each path as list does (label, tab,\n"
    "                              value, tab, chunk index); exit status 1 and the reason\n"
    "                              for a path that names no chunk\n"
    "  set FILE PATH VALUE [PATH VALUE...] [--hex]\n"
    "                              store each VALUE in the chunk at its PATH as the\n"
    "                              editor's Data box reads it (--hex: as bytes, as its Hex\n"
    "                              box reads them) and save; a refused value or a path\n"
    "                              that names no chunk changes nothing (exit status 1)\n"
    "  --help                      this text\n"
    "\n"
    "Exit status: 0 done; 1 refused (a file, path or value refused, or a file that\n"
    "could not be read or written; for check, a count that disagrees); 2 usage error.\n"
    "find, diff and merge answer as grep and diff do: 1 is no match, different or\n"
    "conflicts left, and trouble (a file that cannot be read or written) is 2.\n"
    "Messages and warnings go to stderr.\n";

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n on every platform
    _setmode(_fileno(stdin), _O_BINARY);   // JSON read from a pipe arrives as it was sent
#endif
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const char* command = argv[1];
    if (!std::strcmp(command, "--help") || !std::strcmp(command, "-h")) {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    int result = kBadUsage;
    if (!std::strcmp(command, "list")) result = ListCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "copy")) result = CopyCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "tree")) result = TreeCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "check")) result = CheckCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "export")) result = ExportCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "import")) result = ImportCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "find")) result = FindCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "replace")) result = ReplaceCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "diff")) result = DiffCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "merge")) result = MergeCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "get")) result = GetCommand(argc - 2, argv + 2);
    if (!std::strcmp(command, "set")) result = SetCommand(argc - 2, argv + 2);
    if (result == kBadUsage) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    return result;
}
