// dtbtool find and replace: the command line of the core's search over
// files (files_search.h); what each file says is printed in the order
// given, a file's matches as they are made.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chunk_path.h"
#include "chunk_types.h"
#include "display_text.h"
#include "files_search.h"
#include "text_convert.h"
#include "tool.h"

namespace {

struct Criteria {
    FindOptions Options;
    const char* With = nullptr;  // replace: the replacement
    bool DryRun = false;
    std::vector<const char*> Files;
};

// Reads the arguments after the command; false on a usage error (said).
bool ReadCriteria(int argc, char** argv, bool replacing, Criteria* c) {
    int given = 0;
    for (int k = 0; k < argc; ++k) {
        const char* a = argv[k];
        const char* value = k + 1 < argc ? argv[k + 1] : nullptr;
        auto criterion = [&](uint32_t look, bool regex) {
            c->Options.Pattern = value;
            c->Options.LookIn = look;
            c->Options.Regex = regex;
            ++given;
            ++k;
        };
        if (!std::strcmp(a, "--case")) {
            c->Options.MatchCase = true;
        } else if (!std::strcmp(a, "--whole")) {
            c->Options.WholeValue = true;
        } else if (replacing && !std::strcmp(a, "--dry-run")) {
            c->DryRun = true;
        } else if (a[0] == '-' && a[1] == '-' && !value) {
            std::fprintf(stderr, "dtbtool: %s needs a value after it\n", a);
            return false;
        } else if (!std::strcmp(a, "--text")) {
            criterion(LookTexts, false);
        } else if (!std::strcmp(a, "--regex")) {
            criterion(LookTexts, true);
        } else if (!std::strcmp(a, "--value")) {
            criterion(LookNumbers, false);
        } else if (!std::strcmp(a, "--name")) {
            criterion(LookNames, false);
        } else if (!std::strcmp(a, "--type")) {
            uint32_t type;
            if (!ReadWholeNumberText(value, &type) || ShapeOfType(type) == ShapeUnknown) {
                std::fprintf(stderr, "dtbtool: --type takes a chunk type code such as 5 or 0x20, not \"%s\"\n", value);
                return false;
            }
            c->Options.Type = type;
            ++k;
        } else if (replacing && !std::strcmp(a, "--with")) {
            c->With = value;
            ++k;
        } else if (a[0] == '-' && a[1] == '-') {
            std::fprintf(stderr, "dtbtool: unknown option %s\n", a);
            return false;
        } else {
            c->Files.push_back(a);
        }
    }
    if (given != 1 || c->Files.empty() || (replacing && !c->With)) {
        std::fprintf(stderr, "dtbtool: give one or more files and exactly one of --text, --regex, --value, --name%s\n",
                     replacing ? ", and --with" : "");
        return false;
    }
    return true;
}

// What the run gives, file by file: a dry run's values as they were, kept
// until the file's turn, and whether anything matched or failed.
struct Run {
    const Criteria* C;
    bool Replacing;
    std::vector<std::vector<std::string>> Before;
    bool Matched = false;
    bool Failed = false;
};

// A chunk's whole text (as list shows it, escaped the same way).
std::string ValueText(const Document* doc, int32_t chunk) {
    std::string text =
        WholeText([&](char* out, size_t size) { return FormatChunkText(doc, chunk, out, size, "", false); });
    return EscapedText(text.data(), text.size());
}

// "FILE<TAB>path<TAB>label<TAB>": how every line about a chunk starts.
std::string LineHead(const FileOutcome& o, int32_t chunk) {
    return std::string(o.Path) + "\t" + PathText(o.Doc, o.Paths, chunk) + "\t" +
           LabelOfType(o.Doc->Chunks[chunk].Type) + "\t";
}

// Prints one line a match as it is made: a deep file's paths add up to far
// more than the file, so its output is never held whole. False when the
// reader went away: nobody sees the rest.
bool PrintMatches(const FileOutcome& o) {
    for (int32_t chunk : *o.Found) {
        std::string line = LineHead(o, chunk) + ValueText(o.Doc, chunk) + "\n";
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) return false;
    }
    return true;
}

void KeepBefore(void* context, const FileOutcome& o) {
    std::vector<std::string>& before = static_cast<Run*>(context)->Before[o.Index];
    for (int32_t chunk : *o.Found) before.push_back(ValueText(o.Doc, chunk));
}

// A replaced file's lines: a dry run's each value as it was and as it would
// be, then the count.
void PrintReplaced(const Run& run, const FileOutcome& o) {
    const std::vector<std::string>& before = run.Before[o.Index];
    for (size_t k = 0; k < before.size(); ++k) {
        std::string after = ValueText(o.Doc, (*o.Found)[k]);
        if (after != before[k])
            std::fputs((LineHead(o, (*o.Found)[k]) + before[k] + " -> " + after + "\n").c_str(), stdout);
    }
    std::printf("%s: %d %s\n", o.Path, o.Replaced, run.C->DryRun ? "would be replaced" : "replaced");
}

void PrintOutcome(void* context, const FileOutcome& o) {
    Run* run = static_cast<Run*>(context);
    bool failed = o.Failed;
    if (!failed && run->Replacing) PrintReplaced(*run, o);
    if (!failed && !run->Replacing) failed = !PrintMatches(o);
    if (o.Failed && run->Replacing) std::fprintf(stderr, "%s: not changed: ", o.Path);
    std::fputs(o.Messages, stderr);
    if (run->Replacing) std::vector<std::string>().swap(run->Before[o.Index]);
    run->Matched = run->Matched || (!o.Failed && !o.Found->empty());
    run->Failed = run->Failed || failed;
}

// Runs every file, each printed as soon as all before it are.
int RunAll(const Criteria& c, bool replacing) {
    Run run;
    run.C = &c;
    run.Replacing = replacing;
    if (replacing) run.Before.resize(c.Files.size());
    FilesSearch search;
    search.Options = c.Options;
    search.Replacement = replacing ? c.With : nullptr;
    search.DryRun = c.DryRun;
    search.Files = c.Files.data();
    search.FileCount = c.Files.size();
    search.BeforeReplace = KeepBefore;
    search.Each = PrintOutcome;
    search.Context = &run;
    SearchFiles(search);
    if (std::fflush(stdout) != 0) run.Failed = true;
    if (replacing) return run.Failed ? kExitRefused : kExitDone;
    return run.Failed ? kExitTrouble : run.Matched ? kExitDone : kExitNoMatch;
}

}  // namespace

// dtbtool find FILE... criteria. Returns kBadUsage on a usage error.
int FindCommand(int argc, char** argv) {
    Criteria c;
    return ReadCriteria(argc, argv, false, &c) ? RunAll(c, false) : kBadUsage;
}

// dtbtool replace FILE... criteria --with X [--dry-run]. Returns kBadUsage on a usage error.
int ReplaceCommand(int argc, char** argv) {
    Criteria c;
    return ReadCriteria(argc, argv, true, &c) ? RunAll(c, true) : kBadUsage;
}
