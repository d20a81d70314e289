#include "files_search.h"

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "dtb_file.h"
#include "file_layer.h"
#include "safe_save.h"

namespace {

// One file under way, with everything the core says about it.
struct FileWork {
    size_t Index = 0;
    Document Doc;
    std::string Messages;
    std::vector<int32_t> Found;
    PathIndex Paths = {};
    bool HasPaths = false;
    int32_t Replaced = 0;
    bool Read = false;
    bool Failed = false;
};

void Collect(void* context, const char* text, ReportKind) {
    try {
        static_cast<FileWork*>(context)->Messages.append(text).append("\n");
    } catch (...) {  // a message that cannot be kept is lost, not the run
    }
}

bool ReadInto(FileWork* w, const char* path) {
    InitDocument(&w->Doc);
    w->Doc.Reporter = Collect;
    w->Doc.ReporterContext = w;
    w->Doc.History.KeepsNone = true;  // nothing here is undone: a change costs no memory for it
    if (AllocateDocument(&w->Doc) != 0) return false;
    const FileLayer& files = FilesOf(&w->Doc);
    w->Doc.FileHandle = FileOpenRead(path);
    if (w->Doc.FileHandle == kNoFile) {
        ReportOpenFailed(&w->Doc, path, files.LastError(files.Context));
        return false;
    }
    int32_t result = ReadDocument(&w->Doc);
    files.Close(files.Context, w->Doc.FileHandle);
    w->Doc.FileHandle = kNoFile;
    return result == 0;
}

bool FindIn(FileWork* w, const Finder* finder) {
    if (FindAllMatches(finder, &w->Doc, &w->Found, Progress()) != WalkDone) return false;
    if (w->Found.empty()) return true;
    w->HasPaths = BuildPathIndex(&w->Doc, &w->Paths) == 0;
    return w->HasPaths;
}

FileOutcome OutcomeOf(const FilesSearch& s, const FileWork& w) {
    FileOutcome o = {w.Index,    s.Files[w.Index], w.Read ? &w.Doc : nullptr, &w.Found, nullptr,
                     w.Replaced, w.Failed,         w.Messages.c_str()};
    if (w.HasPaths) o.Paths = &w.Paths;
    return o;
}

// Replaces in memory, then saves unless it is a dry run; false after a report.
bool ReplaceIn(const FilesSearch& s, size_t i, FileWork* w, const Finder* finder) {
    if (w->Doc.Incomplete) {
        Report(&w->Doc, ReportError,
               "the file ends before its last chunk does; a save would lose the rest, so it is left as it is");
        return false;
    }
    if (s.DryRun) {
        if (!FindIn(w, finder)) return false;
        if (s.BeforeReplace) s.BeforeReplace(s.Context, OutcomeOf(s, *w));
    }
    if (ReplaceAllMatches(finder, &w->Doc, s.Replacement, &w->Replaced, Progress()) != WalkDone) return false;
    return s.DryRun || w->Replaced == 0 || SaveDocumentInSweptFolder(&w->Doc, s.Files[i]) == 0;
}

void Work(const FilesSearch& s, size_t i, FileWork* w) {
    w->Read = ReadInto(w, s.Files[i]);
    Finder* finder = w->Read ? MakeFinder(&w->Doc, s.Options) : nullptr;
    w->Failed = !finder || !(s.Replacement ? ReplaceIn(s, i, w, finder) : FindIn(w, finder));
    FreeFinder(finder);
}

// Files done ahead of the one whose turn it is to be handed over: a slow
// flush holds up the hand-over, not the work, up to this many files.
const size_t kWindow = 64;

// The files are handed over in the order of the list, each as soon as
// every file before it has been, by whichever thread finds it ready.
struct Handover {
    std::mutex Lock;
    std::condition_variable Moved;
    size_t Next = 0;  // the next file to begin
    size_t Turn = 0;  // the next file to hand over
    bool Handing = false;
    FileWork* Parked[kWindow] = {};
};

bool Stopped(const FilesSearch& s) { return s.Stop && s.Stop->load(); }

// The next file to begin, once the window has room for it; false when
// none is left or a stop was raised.
bool Claim(const FilesSearch& s, Handover* h, size_t* i) {
    std::unique_lock<std::mutex> hold(h->Lock);
    h->Moved.wait(hold, [&] { return h->Next < h->Turn + kWindow; });
    if (Stopped(s) || h->Next >= s.FileCount) return false;
    *i = h->Next++;
    return true;
}

void Release(FileWork* w) {
    if (w->HasPaths) FreePathIndex(&w->Paths);
    FreeDocument(&w->Doc);
    delete w;
}

// Leaves the done file for its turn, and hands over every file whose turn
// has come, unless another thread is doing so: it finds this one too.
void Park(const FilesSearch& s, Handover* h, FileWork* w) {
    std::unique_lock<std::mutex> hold(h->Lock);
    h->Parked[w->Index % kWindow] = w;
    if (h->Handing) return;
    h->Handing = true;
    while (FileWork* ready = h->Parked[h->Turn % kWindow]) {
        h->Parked[h->Turn % kWindow] = nullptr;
        hold.unlock();
        if (s.Each) s.Each(s.Context, OutcomeOf(s, *ready));
        Release(ready);
        hold.lock();
        ++h->Turn;
        h->Moved.notify_all();
    }
    h->Handing = false;
}

void Worker(const FilesSearch& s, Handover* h) {
    for (size_t i;;) {
        FileWork* w = nullptr;
        try {
            w = new FileWork;
        } catch (...) {  // the other threads go on without this one
            return;
        }
        if (!Claim(s, h, &i)) {
            delete w;
            return;
        }
        w->Index = i;
        try {
            Work(s, i, w);
        } catch (...) {  // a vector or a text that could not grow
            w->Failed = true;
            Collect(w, kOutOfMemory, ReportError);
        }
        Park(s, h, w);
    }
}

// The saves skip the look for stale temporaries that each would make
// through its whole folder: each folder is looked through once, here.
void SweepFolders(const FilesSearch& s) {
    Document doc;
    InitDocument(&doc);
    std::vector<std::string> swept;
    for (size_t i = 0; i < s.FileCount; ++i) {
        std::string folder(s.Files[i]);
        size_t separator = folder.find_last_of("/\\");
        folder.erase(separator == std::string::npos ? 0 : separator + 1);
        if (std::find(swept.begin(), swept.end(), folder) != swept.end()) continue;
        SweepStaleTemporaries(&doc, folder.c_str());
        swept.push_back(folder);
    }
}

}  // namespace

size_t SearchFiles(const FilesSearch& s) {
    try {
        if (s.Replacement && !s.DryRun) SweepFolders(s);
    } catch (...) {  // stale temporaries then stay for a later save to remove
    }
    Handover h;
    unsigned threads = s.Replacement && !s.DryRun ? kReplaceThreads : kFindThreads;
    std::vector<std::thread> workers;
    try {
        workers.reserve(threads);
        for (unsigned k = 0; k < std::min<size_t>(threads, s.FileCount); ++k)
            workers.emplace_back(Worker, std::cref(s), &h);
    } catch (...) {  // no thread to be had: the ones there are (or this one) do it all
    }
    if (workers.empty()) Worker(s, &h);
    for (std::thread& t : workers) t.join();
    return h.Next;
}
