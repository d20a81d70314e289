// dtbtool merge BASE OURS THEIRS -o OUT [--favor ours|theirs] [--name NAME]:
// the changes of two files to their base, combined; every conflict listed
// and nothing written unless a favor settles them.
#include <cstdio>
#include <cstring>
#include <string>

#include "chunk_path.h"
#include "display_text.h"
#include "safe_save.h"
#include "text_convert.h"
#include "tool.h"
#include "tree_merge.h"

namespace {

std::string Described(const Document* doc, int32_t chunk) {
    if (chunk < 0) return "(none)";
    std::string text =
        WholeText([&](char* out, size_t size) { return FormatChunkText(doc, chunk, out, size, " ", true); });
    return EscapedText(text.data(), text.size());
}

std::string HeaderText(const Document* doc) {
    char hex[32];
    FormatHexBytes(doc->HeaderBytes, kHeaderSize, hex);
    return hex;
}

// The place of a conflict by the first of the three documents that has it,
// through their path indexes, made once for all the conflicts.
std::string PlaceOf(const Document* const docs[3], const PathIndex paths[3], const MergeConflict& c) {
    const int32_t chunks[3] = {c.Base, c.Ours, c.Theirs};
    for (int k = 0; k < 3; ++k)
        if (chunks[k] >= 0) return PathText(docs[k], &paths[k], chunks[k]);
    return "header";
}

// The files' messages, with OUT's path given as NAME: as git's merge driver,
// OUT is a temporary whose name means nothing to the user. A message names
// a file between blanks (or its ends), so only a whole word is taken.
struct Naming {
    std::string Out;
    std::string Name;
};

void ToStderrNamed(void* context, const char* message, ReportKind) {
    const Naming& n = *static_cast<const Naming*>(context);
    std::string text = message;
    size_t at = 0;
    while (!n.Out.empty() && (at = text.find(n.Out, at)) != std::string::npos) {
        const size_t end = at + n.Out.size();
        if ((at > 0 && text[at - 1] != ' ') || (end < text.size() && text[end] != ' ')) {
            ++at;
            continue;
        }
        text.replace(at, n.Out.size(), n.Name);
        at += n.Name.size();
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

// The command line: three files, -o OUT, and the options.
struct MergeArguments {
    const char* Files[3] = {};
    const char* Out = nullptr;
    const char* Name = nullptr;
    MergeFavor Favor = FavorNone;
};

bool ReadArguments(int argc, char** argv, MergeArguments* m) {
    int named = 0;
    for (int k = 0; k < argc; ++k) {
        if (!std::strcmp(argv[k], "-o") && k + 1 < argc) {
            m->Out = argv[++k];
        } else if (!std::strcmp(argv[k], "--name") && k + 1 < argc) {
            m->Name = argv[++k];
        } else if (!std::strcmp(argv[k], "--favor") && k + 1 < argc) {
            ++k;
            if (!std::strcmp(argv[k], "ours"))
                m->Favor = FavorOurs;
            else if (!std::strcmp(argv[k], "theirs"))
                m->Favor = FavorTheirs;
            else
                return false;
        } else if (named < 3 && std::strncmp(argv[k], "-", 1) != 0) {
            m->Files[named++] = argv[k];
        } else {
            return false;
        }
    }
    return named == 3 && m->Out;
}

// One line a conflict: its place, then the three values.
void PrintConflicts(const Document* const inputs[3], const MergeConflicts& conflicts) {
    PathIndex paths[3] = {};
    for (int s = 0; s < 3 && conflicts.Count() > 0; ++s) BuildPathIndex(inputs[s], &paths[s]);
    for (int32_t k = 0; k < conflicts.Count(); ++k) {
        const MergeConflict& c = conflicts.Items[k];
        const bool header = c.Base < 0 && c.Ours < 0 && c.Theirs < 0;
        const int32_t chunks[3] = {c.Base, c.Ours, c.Theirs};
        std::string values[3];
        for (int s = 0; s < 3; ++s) values[s] = header ? HeaderText(inputs[s]) : Described(inputs[s], chunks[s]);
        std::printf("! %s  base %s | ours %s | theirs %s\n", PlaceOf(inputs, paths, c).c_str(), values[0].c_str(),
                    values[1].c_str(), values[2].c_str());
    }
    for (PathIndex& index : paths) FreePathIndex(&index);
}

}  // namespace

int MergeCommand(int argc, char** argv) {
    MergeArguments m;
    if (!ReadArguments(argc, argv, &m)) return kBadUsage;
    Naming naming = {m.Out, m.Name ? m.Name : m.Out};
    Document docs[4];
    bool ok = true;
    for (Document& d : docs) ok = StartDocument(&d, ToStderrNamed, &naming) && ok;
    for (int k = 0; ok && k < 3; ++k) ok = LoadFile(&docs[k], m.Files[k]);
    int status = kExitTrouble;
    MergeConflicts conflicts = {};
    if (ok && MergeDocuments(&docs[0], &docs[1], &docs[2], m.Favor, &docs[3], &conflicts) == 0) {
        const Document* const inputs[3] = {&docs[0], &docs[1], &docs[2]};
        PrintConflicts(inputs, conflicts);
        if (conflicts.Count() && m.Favor == FavorNone) {
            std::fprintf(stderr, "%d conflict%s: %s not written\n", conflicts.Count(),
                         conflicts.Count() == 1 ? "" : "s", naming.Name.c_str());
            status = kExitDifferent;
        } else {
            status = SaveDocumentSafely(&docs[3], m.Out, nullptr) == 0 ? kExitDone : kExitTrouble;
        }
    }
    FreeConflicts(&conflicts);
    for (Document& d : docs) FreeDocument(&d);
    std::fflush(stdout);
    return status;
}
