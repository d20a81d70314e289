#include "journal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "document.h"

const char kTooLargeToUndo[] = "This change is too large to be undone.";

namespace {

// A note is its kind, then a chunk index: a run (count, then each record
// followed by its payload bytes), or one snapshot (a record and its payload,
// or for index -1 the header and the key).
enum NoteKind : uint8_t { Inserted = 1, Removing, Before, After, Moved };

const size_t kHeadSize = 1 + 4;
const size_t kHeaderSnapshotSize = kHeaderSize + 4;

size_t PayloadSize(const ChunkRecord& r) { return IsPoolType(r.Type) ? static_cast<size_t>(r.Length) : 0; }

size_t Limit(const Journal& j) { return j.Limit ? j.Limit : kJournalLimit; }

// The open change cannot be recorded whole: what it holds goes at once.
void LoseOpen(Journal& j) {
    j.Lost = true;
    std::free(j.Open);
    j.Open = nullptr;
    j.OpenSize = j.OpenCapacity = 0;
}

// Room for n more bytes of notes, or false once the change is lost. A
// change past the limit is still recorded whole: only when it ends is the
// user asked whether to make it without its undo, and a No takes it back
// from its own notes.
bool Room(Journal& j, size_t n) {
    if (j.Lost) return false;
    if (n > SIZE_MAX / 2 - j.OpenSize) {
        LoseOpen(j);
        return false;
    }
    if (j.OpenSize + n <= j.OpenCapacity) return true;
    size_t capacity = std::max(j.OpenSize + n, std::max<size_t>(256, j.OpenCapacity * 2));
    uint8_t* grown = static_cast<uint8_t*>(std::realloc(j.Open, capacity));
    if (!grown) {
        LoseOpen(j);
        return false;
    }
    j.Open = grown;
    j.OpenCapacity = capacity;
    return true;
}

void Put(Journal& j, const void* bytes, size_t n) {
    if (n) std::memcpy(j.Open + j.OpenSize, bytes, n);
    j.OpenSize += n;
}

void PutHead(Journal& j, NoteKind kind, int32_t index) {
    Put(j, &kind, 1);
    Put(j, &index, 4);
}

void PutRecord(const Document* doc, Journal& j, const ChunkRecord& r) {
    Put(j, &r, sizeof r);
    Put(j, doc->Pool + r.PoolOffset, PayloadSize(r));
}

void NoteRun(Document* doc, NoteKind kind, int32_t index, int32_t count) {
    Journal& j = doc->History;
    if (j.Depth == 0 || j.KeepsNone) return;
    size_t size = kHeadSize + 4;
    for (int32_t i = index; i < index + count; ++i) size += sizeof(ChunkRecord) + PayloadSize(doc->Chunks[i]);
    if (!Room(j, size)) return;
    PutHead(j, kind, index);
    Put(j, &count, 4);
    for (int32_t i = index; i < index + count; ++i) PutRecord(doc, j, doc->Chunks[i]);
}

void NoteSnapshot(Document* doc, NoteKind kind, int32_t index) {
    Journal& j = doc->History;
    if (j.Depth == 0 || j.KeepsNone) return;
    size_t size = kHeadSize + (index < 0 ? kHeaderSnapshotSize : sizeof(ChunkRecord) + PayloadSize(doc->Chunks[index]));
    if (!Room(j, size)) return;
    PutHead(j, kind, index);
    if (index >= 0) {
        PutRecord(doc, j, doc->Chunks[index]);
    } else {
        Put(j, doc->HeaderBytes, kHeaderSize);
        Put(j, &doc->Key, 4);
    }
}

// Reading notes back. Records are copied out, as the notes keep no alignment.
struct Note {
    NoteKind kind;
    int32_t index;
    int32_t count;        // runs
    const uint8_t* body;  // the records, or the snapshot
    const uint8_t* end;
};

ChunkRecord RecordAt(const uint8_t* p) {
    ChunkRecord r;
    std::memcpy(&r, p, sizeof r);
    return r;
}

Note ReadNote(const uint8_t* p) {
    Note n = {static_cast<NoteKind>(p[0]), 0, 1, p + kHeadSize + 4, nullptr};
    std::memcpy(&n.index, p + 1, 4);
    if (n.kind == Moved) {  // count and destination: the records themselves stay in the table
        std::memcpy(&n.count, p + kHeadSize, 4);
        n.body = p + kHeadSize + 4;
        n.end = n.body + 4;
        return n;
    }
    if (n.kind == Inserted || n.kind == Removing) {
        std::memcpy(&n.count, p + kHeadSize, 4);
    } else {
        n.body = p + kHeadSize;
        if (n.index < 0) {
            n.end = n.body + kHeaderSnapshotSize;
            return n;
        }
    }
    const uint8_t* q = n.body;
    for (int32_t k = 0; k < n.count; ++k) q += sizeof(ChunkRecord) + PayloadSize(RecordAt(q));
    n.end = q;
    return n;
}

// A record back in its place with its payload back in its own slot.
const uint8_t* RestoreRecord(Document* doc, int32_t index, const uint8_t* p) {
    ChunkRecord r = RecordAt(p);
    doc->Chunks[index] = r;
    size_t n = PayloadSize(r);
    if (n) std::memcpy(doc->Pool + r.PoolOffset, p + sizeof r, n);
    return p + sizeof r + n;
}

void PutBackRun(Document* doc, const Note& n) {
    ChunkRecord* at = doc->Chunks + n.index;
    std::memmove(at + n.count, at, static_cast<size_t>(doc->ChunkCount - n.index) * sizeof(ChunkRecord));
    doc->ChunkCount += n.count;
    const uint8_t* p = n.body;
    for (int32_t k = 0; k < n.count; ++k) p = RestoreRecord(doc, n.index + k, p);
}

// A move of count records from index to before the record at to (as the
// table stood before it), forwards; backwards, the move that undoes it.
MovedRun MoveOf(const Note& n, bool forwards) {
    int32_t to;
    std::memcpy(&to, n.body, 4);
    MovedRun run = {n.index, n.count, to};
    return forwards ? run : UndoingMove(run);
}

void PutBackSnapshot(Document* doc, const Note& n) {
    if (n.index >= 0) {
        RestoreRecord(doc, n.index, n.body);
    } else {
        std::memcpy(doc->HeaderBytes, n.body, kHeaderSize);
        std::memcpy(&doc->Key, n.body + kHeaderSize, 4);
    }
}

// Applies an entry's notes forwards (redo) or backwards (undo). The table
// room any note could need is made first (the records of all of them:
// more than the runs put back need, never less), so that nothing fails
// half-way.
int32_t Apply(Document* doc, const JournalEntry& entry, bool forwards) {
    int32_t count = 0, growth = 0;
    for (const uint8_t* p = entry.Ops; p < entry.Ops + entry.Size; ++count) {
        Note n = ReadNote(p);
        growth += n.kind == Moved ? 0 : n.count;
        p = n.end;
    }
    Note* notes = static_cast<Note*>(std::malloc(static_cast<size_t>(count) * sizeof(Note)));
    if (!notes) {
        ReportOutOfMemory(doc);
        return -1;
    }
    const uint8_t* p = entry.Ops;
    for (int32_t k = 0; k < count; ++k) p = (notes[k] = ReadNote(p)).end;
    int32_t result = EnsureRoom(doc, 0, growth);
    for (int32_t k = 0; result == 0 && k < count; ++k) {
        const Note& n = notes[forwards ? k : count - 1 - k];
        if (n.kind == (forwards ? Inserted : Removing))
            PutBackRun(doc, n);
        else if (n.kind == (forwards ? Removing : Inserted))
            RemoveChunks(doc, n.index, n.count);
        else if (n.kind == (forwards ? After : Before))
            PutBackSnapshot(doc, n);
        else if (n.kind == Moved)
            MoveRecords(doc, MoveOf(n, forwards));
    }
    std::free(notes);
    return result;
}

// The table splice of notes applied forwards or backwards: one run, none, or
// more than one.
Splice SpliceOf(const uint8_t* ops, size_t size, bool forwards) {
    Splice s = {SpliceNone, 0, 0, 0};
    for (const uint8_t* p = ops; p < ops + size;) {
        Note n = ReadNote(p);
        p = n.end;
        if (n.kind != Inserted && n.kind != Removing && n.kind != Moved) continue;
        if (s.Kind != SpliceNone) return {SpliceMany, 0, 0, 0};
        if (n.kind == Moved) {
            MovedRun run = MoveOf(n, forwards);
            s = {SpliceMove, run.From, run.Count, run.To};
            continue;
        }
        bool adds = (n.kind == Inserted) == forwards;
        s = {SpliceRun, n.index, adds ? 0 : n.count, adds ? n.count : 0};
    }
    return s;
}

// The records notes rewrite in place.
int32_t RewrittenBy(const uint8_t* ops, size_t size) {
    int32_t n = 0;
    for (const uint8_t* p = ops; p < ops + size;) {
        Note note = ReadNote(p);
        p = note.end;
        n += note.kind == Before && note.index >= 0;
    }
    return n;
}

void CountSplice(Journal& j, const Splice& s) {
    if (s.Kind == SpliceNone) return;
    j.Last = s;
    ++j.Steps;
}

void FreeEntries(Journal& j, int32_t from, int32_t to) {
    for (int32_t k = from; k < to; ++k) {
        j.Bytes -= j.Entries[k].Size;
        std::free(j.Entries[k].Ops);
    }
}

// Past the limit, the oldest entries go until an eighth of it is free, so
// that a long run of small edits moves the entries only now and then.
void DropOldest(Journal& j) {
    const size_t keep = Limit(j) - Limit(j) / 8;
    int32_t n = 0;
    for (size_t freed = 0; j.Bytes - freed > keep && n < j.Count - 1; ++n) freed += j.Entries[n].Size;
    FreeEntries(j, 0, n);
    std::memmove(j.Entries, j.Entries + n, static_cast<size_t>(j.Count - n) * sizeof(JournalEntry));
    j.Count -= n;
    j.Done -= n;
    j.SavedAt = j.SavedAt >= n ? j.SavedAt - n : -1;
}

// The open change as the newest entry, replacing whatever could be redone.
bool Commit(Journal& j, int32_t at) {
    FreeEntries(j, j.Done, j.Count);
    j.Count = j.Done;
    if (j.SavedAt > j.Done) j.SavedAt = -1;
    if (j.Count == j.Capacity) {
        int32_t capacity = std::max(16, j.Capacity * 2);
        void* grown = std::realloc(j.Entries, static_cast<size_t>(capacity) * sizeof(JournalEntry));
        if (!grown) return false;
        j.Entries = static_cast<JournalEntry*>(grown);
        j.Capacity = capacity;
    }
    CountSplice(j, SpliceOf(j.Open, j.OpenSize, true));
    ++j.Changes;
    j.Rewritten = RewrittenBy(j.Open, j.OpenSize);
    uint8_t* ops = static_cast<uint8_t*>(std::realloc(j.Open, j.OpenSize));  // no slack kept
    j.Entries[j.Count++] = {ops ? ops : j.Open, j.OpenSize, at};
    j.Done = j.Count;
    j.Bytes += j.OpenSize;
    j.Open = nullptr;
    j.OpenSize = j.OpenCapacity = 0;
    if (j.Bytes > Limit(j)) DropOldest(j);
    return true;
}

// The values the open change touches, as the user counts them: the records
// it inserts or removes, or else the records it rewrites.
int64_t ValuesOfOpen(const Journal& j) {
    int64_t moved = 0;
    for (const uint8_t* p = j.Open; p < j.Open + j.OpenSize;) {
        Note n = ReadNote(p);
        p = n.end;
        if (n.kind == Inserted || n.kind == Removing) moved += n.count;
    }
    return moved ? moved : RewrittenBy(j.Open, j.OpenSize);
}

// A change too large to undo, asked about before it stands. True when it
// is to stand (the user said Yes, or there is no one to ask: then it is
// said afterwards); false once it has been taken back.
bool MayStandWithoutUndo(Document* doc) {
    Journal& j = doc->History;
    if (!doc->Confirm) return true;
    char question[kMessageSize];
    const long long values = ValuesOfOpen(j);
    std::snprintf(question, sizeof question, "This change cannot be undone afterwards (%lld %s). Make it anyway?",
                  values, values == 1 ? "value" : "values");
    if (doc->Confirm(doc->ConfirmContext, question)) return true;
    JournalEntry open = {j.Open, j.OpenSize, -1};
    return Apply(doc, open, false) != 0;  // should even that fail, the change stands as made
}

int32_t Walk(Document* doc, bool forwards, int32_t* show) {
    Journal& j = doc->History;
    if (forwards ? !CanRedo(doc) : !CanUndo(doc)) return -1;
    const JournalEntry& entry = j.Entries[forwards ? j.Done : j.Done - 1];
    if (Apply(doc, entry, forwards) != 0) return -1;
    const uint32_t steps = j.Steps;
    CountSplice(j, SpliceOf(entry.Ops, entry.Size, forwards));
    ++j.Changes;
    j.Rewritten = RewrittenBy(entry.Ops, entry.Size);
    j.Done += forwards ? 1 : -1;
    doc->Modified = j.Done != j.SavedAt;
    *show = entry.At < 0 ? -2 : std::min(entry.At, doc->ChunkCount - 1);
    // A move is shown where its chunk stands: back at its old place once undone.
    if (j.Last.Kind == SpliceMove && j.Steps != steps)
        *show = MovedTo(MovedRun{j.Last.At, j.Last.Removed, j.Last.Inserted});
    return 0;
}

}  // namespace

void BeginChange(Document* doc) {
    Journal& j = doc->History;
    if (j.Depth++ > 0) return;
    j.OpenSize = 0;
    j.Lost = false;
}

bool EndChange(Document* doc, bool changed, int32_t at) {
    Journal& j = doc->History;
    if (j.Depth == 0 || --j.Depth > 0) return true;
    if (j.KeepsNone) {
        if (!changed) return true;
        CountSplice(j, {SpliceMany, 0, 0, 0});  // no notes say what moved
        ++j.Changes;
        doc->Modified = true;
        return true;
    }
    bool stands = true, told = false;
    if (changed && !j.Lost && j.OpenSize > Limit(j)) {
        told = doc->Confirm != nullptr;
        stands = MayStandWithoutUndo(doc);
        j.Lost = true;
    }
    if (!changed || !stands) {
        if (!stands) LoseOpen(j);  // no buffer that large is kept for the next change
        j.OpenSize = 0;
        j.Lost = false;
        return stands;
    }
    if (j.Lost || !Commit(j, at)) {
        ClearJournal(doc);
        j.SavedAt = -1;
        CountSplice(j, {SpliceMany, 0, 0, 0});  // not known
        ++j.Changes;
        if (!told) Report(doc, ReportWarning, kTooLargeToUndo);
    }
    doc->Modified = j.Done != j.SavedAt;
    return true;
}

void NoteInserted(Document* doc, int32_t index, int32_t count) { NoteRun(doc, Inserted, index, count); }

void NoteMoved(Document* doc, const MovedRun& run) {
    Journal& j = doc->History;
    if (j.Depth == 0 || j.KeepsNone || !Room(j, kHeadSize + 8)) return;
    PutHead(j, Moved, run.From);
    Put(j, &run.Count, 4);
    Put(j, &run.To, 4);
}
void NoteRemoving(Document* doc, int32_t index, int32_t count) { NoteRun(doc, Removing, index, count); }
void NoteBefore(Document* doc, int32_t index) { NoteSnapshot(doc, Before, index); }
void NoteAfter(Document* doc, int32_t index) { NoteSnapshot(doc, After, index); }

bool CanUndo(const Document* doc) { return doc->History.Depth == 0 && doc->History.Done > 0; }
bool CanRedo(const Document* doc) { return doc->History.Depth == 0 && doc->History.Done < doc->History.Count; }

int32_t UndoChange(Document* doc, int32_t* show) { return Walk(doc, false, show); }
int32_t RedoChange(Document* doc, int32_t* show) { return Walk(doc, true, show); }

void MarkSaved(Document* doc) {
    doc->History.SavedAt = doc->History.Done;
    doc->Modified = false;
}

void ClearJournal(Document* doc) {
    ReleaseHistory(&doc->History);
    doc->Modified = false;
}
