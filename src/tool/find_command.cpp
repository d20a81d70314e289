// dtbtool find and replace: the core's Find and Replace over many files.
// Files are read (and for replace written) on two threads, each file whole
// or not at all; what each file says is printed in the order given, a
// file's matches as they are made.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "chunk_path.h"
#include "chunk_types.h"
#include "display_text.h"
#include "find_replace.h"
#include "safe_save.h"
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

// How a file went.
struct Outcome {
    bool Matched = false;
    bool Failed = false;
};

// What one file gives: its messages for stderr, and for replace its lines
// for stdout (find prints its lines as it makes them).
struct FileResult {
    std::string Out;
    std::string Err;
    bool Failed = false;
};

void ToResult(void* context, const char* text, ReportKind) {
    static_cast<FileResult*>(context)->Err.append(text).append("\n");
}

// A chunk's whole text (as list shows it, escaped the same way).
std::string ValueText(const Document* doc, int32_t chunk) {
    std::string text =
        WholeText([&](char* out, size_t size) { return FormatChunkText(doc, chunk, out, size, "", false); });
    return EscapedText(text.data(), text.size());
}

// "FILE<TAB>path<TAB>label<TAB>": how every line about a chunk starts.
std::string LineHead(const Document* doc, const PathIndex* index, const char* file, int32_t chunk) {
    return std::string(file) + "\t" + PathText(doc, index, chunk) + "\t" + LabelOfType(doc->Chunks[chunk].Type) + "\t";
}

bool Found(const Document* doc, const Finder* finder, std::vector<int32_t>* found, PathIndex* index) {
    return FindAllMatches(finder, doc, found, Progress()) == WalkDone && BuildPathIndex(doc, index) == 0;
}

// The files take turns at the output in the order given: file i prints
// once every file before it has, while the next is already being read.
struct Turns {
    std::mutex Lock;
    std::condition_variable Passed;
    size_t Turn = 0;
    void Await(size_t i) {
        std::unique_lock<std::mutex> hold(Lock);
        Passed.wait(hold, [&] { return Turn == i; });
    }
    void Pass() {
        {
            std::lock_guard<std::mutex> hold(Lock);
            ++Turn;
        }
        Passed.notify_all();
    }
};

// Prints one line a match as it is made: a deep file's paths add up to far
// more than the file, so its output is never held whole.
void PrintMatches(const Document* doc, const std::vector<int32_t>& found, const PathIndex* index, const char* file,
                  FileResult* r) {
    for (int32_t chunk : found) {
        std::string line = LineHead(doc, index, file, chunk) + ValueText(doc, chunk) + "\n";
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) {
            r->Failed = true;  // the reader went away: nobody sees the rest
            return;
        }
    }
}

// Replaces in memory; saves, or with --dry-run lists each value as it is
// and as it would be.
void ReplaceIn(const Criteria& c, Document* doc, const Finder* finder, const char* file, FileResult* r) {
    if (doc->Incomplete) {
        r->Err += "the file ends before its last chunk does; a save would lose the rest, so it is left as it is\n";
        r->Failed = true;
        return;
    }
    std::vector<int32_t> found;
    std::vector<std::string> before;
    PathIndex index = {};
    if (c.DryRun) {
        r->Failed = !Found(doc, finder, &found, &index);
        for (int32_t chunk : found) before.push_back(ValueText(doc, chunk));
    }
    int32_t replaced = 0;
    r->Failed = r->Failed || ReplaceAllMatches(finder, doc, c.With, &replaced, Progress()) != WalkDone;
    for (size_t k = 0; !r->Failed && k < found.size(); ++k) {
        std::string after = ValueText(doc, found[k]);
        if (after != before[k]) r->Out += LineHead(doc, &index, file, found[k]) + before[k] + " -> " + after + "\n";
    }
    FreePathIndex(&index);
    if (!r->Failed && !c.DryRun && replaced > 0) r->Failed = SaveDocumentInSweptFolder(doc, file) != 0;
    if (!r->Failed)
        r->Out +=
            std::string(file) + ": " + std::to_string(replaced) + (c.DryRun ? " would be replaced\n" : " replaced\n");
}

// File i, read and searched (or replaced) before its turn, printed in it.
void RunOne(const Criteria& c, bool replacing, size_t i, Turns* turns, Outcome* outcome) {
    const char* file = c.Files[i];
    FileResult r;
    Document doc;
    r.Failed = !StartDocument(&doc, ToResult, &r) || !LoadFile(&doc, file);
    Finder* finder = r.Failed ? nullptr : MakeFinder(&doc, c.Options);
    std::vector<int32_t> found;
    PathIndex index = {};
    if (finder && replacing) ReplaceIn(c, &doc, finder, file, &r);
    if (finder && !replacing) r.Failed = !Found(&doc, finder, &found, &index);
    r.Failed = r.Failed || !finder;
    if (r.Failed && replacing) r.Err.insert(0, std::string(file) + ": not changed: ");
    turns->Await(i);
    std::fputs(r.Out.c_str(), stdout);
    if (!r.Failed && !replacing) PrintMatches(&doc, found, &index, file, &r);
    std::fputs(r.Err.c_str(), stderr);
    turns->Pass();
    outcome->Matched = !found.empty();
    outcome->Failed = r.Failed;
    FreePathIndex(&index);
    FreeFinder(finder);
    FreeDocument(&doc);
}

// The saves skip the look for stale temporaries that each would make
// through its whole folder: each folder is looked through once, here.
void SweepFolders(const std::vector<const char*>& files) {
    Document doc;
    InitDocument(&doc);
    std::vector<std::string> swept;
    for (const char* file : files) {
        std::string folder(file);
        folder.erase(folder.find_last_of("/\\") == std::string::npos ? 0 : folder.find_last_of("/\\") + 1);
        if (std::find(swept.begin(), swept.end(), folder) != swept.end()) continue;
        SweepStaleTemporaries(&doc, folder.c_str());
        swept.push_back(folder);
    }
}

// Runs every file on two threads, each file printed as soon as all before
// it are.
int RunAll(const Criteria& c, bool replacing) {
    if (replacing && !c.DryRun) SweepFolders(c.Files);
    std::vector<Outcome> results(c.Files.size());
    std::atomic<size_t> next(0);
    Turns turns;
    auto work = [&] {
        for (size_t i; (i = next++) < results.size();) RunOne(c, replacing, i, &turns, &results[i]);
    };
    std::vector<std::thread> workers;
    for (unsigned k = 0; k < std::min<size_t>(2, results.size()); ++k) workers.emplace_back(work);
    for (std::thread& t : workers) t.join();
    bool matched = false, failed = false;
    for (const Outcome& r : results) {
        matched = matched || r.Matched;
        failed = failed || r.Failed;
    }
    if (std::fflush(stdout) != 0) failed = true;
    if (replacing) return failed ? kExitRefused : kExitDone;
    return failed ? kExitTrouble : matched ? kExitDone : kExitNoMatch;
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
