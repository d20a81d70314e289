#include <gtest/gtest.h>
#include <cstring>
#include <random>
#include "chunk_types.h"
#include "clipboard_block.h"
#include "document.h"
#include "find_replace.h"
#include "dtb_kit.h"
#include "journal.h"
#include "tree_check.h"
#include "tree_edit.h"

// One random change of any kind, as the user makes them; false when it was refused (and so changed nothing).
static bool RandomEdit(TestDocument& doc, std::mt19937& rng) {
    static const uint32_t kTypes[] = {0, 1, 5, 6, 8, 16, 17, 32};
    int32_t chunk = doc->ChunkCount ? static_cast<int32_t>(rng() % uint32_t(doc->ChunkCount)) : -1;
    int32_t parent = ParentOfChunk(doc.get(), chunk);
    std::string text =
        rng() % 4 ? std::to_string(rng() % 100) : std::string(8000 + rng() % 9000, char('a' + rng() % 26));
    uint32_t location = 1u << (rng() % 3);
    switch (rng() % 6) {
    case 0:
        if (!(OfferedLocations(doc.get(), chunk) & location)) location = LocationBefore;
        return InsertNewChunk(doc.get(), chunk, parent, location, true, kTypes[rng() % 8], text.c_str()) >= 0;
    case 1:
        return chunk >= 0 && RemoveSubtree(doc.get(), chunk, parent, true) == chunk;
    case 2: {
        if (chunk < 0) return false;
        int32_t units = 0, count = ShownSpanEnd(doc.get(), chunk, true, &units) - chunk;
        std::vector<uint8_t> block(size_t(ClipboardBlockSize(doc.get(), chunk, count)));
        WriteClipboardBlock(doc.get(), chunk, count, block.data());
        int32_t to = static_cast<int32_t>(rng() % uint32_t(doc->ChunkCount));
        if (!(OfferedLocations(doc.get(), to) & location)) location = LocationBefore;
        return PasteClipboardBlock(doc.get(), block.data(), block.size(), to, ParentOfChunk(doc.get(), to), location,
                                   true) >= 0;
    }
    case 3: {
        if (chunk < 0 || IsPoolType(doc.chunk(chunk).Type)) return false;
        uint8_t value[6];
        std::memcpy(value, doc.chunk(chunk).Value, 6);
        value[IsNodeType(doc.chunk(chunk).Type) ? 2 + rng() % 4 : rng() % 4] ^=
            uint8_t(1 + rng() % 255);  // counts stay
        EXPECT_EQ(WriteChunkValue(doc.get(), chunk, value), WriteDone);
        EXPECT_EQ(std::memcmp(doc.chunk(chunk).Value, value, 6), 0);
        return true;
    }
    case 4: {
        if (chunk < 0 || !IsPoolType(doc.chunk(chunk).Type)) return false;
        const WriteResult expected = doc.payload(chunk) == text ? WriteUnchanged : WriteDone;
        EXPECT_EQ(
            WriteChunkPayload(doc.get(), chunk, reinterpret_cast<const uint8_t*>(text.data()), int32_t(text.size())),
            expected);
        EXPECT_EQ(doc.payload(chunk), text);
        return true;
    }
    default: {
        uint8_t header[kHeaderSize];
        std::memcpy(header, doc->HeaderBytes, kHeaderSize);
        header[rng() % 2 ? 0 : 3 + rng() % 4] ^= 0x5A;  // never the top-level count
        const uint32_t key = rng() % 2 ? doc->Key : uint32_t(rng());
        WriteHeaderAndKey(doc.get(), header, key);
        EXPECT_TRUE(std::memcmp(doc->HeaderBytes, header, kHeaderSize) == 0 && doc->Key == key);
        return true;
    }
    }
}

// Random edits, undone and redone in random order and saved now and then, against a model that keeps the file of every
// state: each step gives that file exactly, the counts stay true, and the document is modified exactly when it is not
// the saved state. A refused edit, and one that changed nothing, leave the journal as it was.
TEST(Journal, UndoAndRedoWalkTheStatesExactly) {
    std::mt19937 rng(14);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TestDocument doc;
        doc.Load(RandomTree(rng, 1 + static_cast<int32_t>(rng() % 60), round % 3 ? 6 : 9000));
        std::vector<std::vector<uint8_t>> states = {doc.Saved()};
        size_t at = 0, saved = 0;
        for (int step = 0; step < 50; ++step) {
            int32_t show = -1;
            const uint32_t action = rng() % 10, moves = doc->History.Steps;
            const int32_t count = doc->ChunkCount;
            if (action < 5) {
                if (!RandomEdit(doc, rng) || doc.Saved() == states[at]) {
                    ASSERT_TRUE(doc.Saved() == states[at]);
                    continue;
                }
                states.resize(++at);
                states.push_back(doc.Saved());
                saved = saved >= at ? SIZE_MAX : saved;
            } else if (action < 8) {
                ASSERT_EQ(UndoChange(doc.get(), &show), at ? 0 : -1);
                at -= at ? 1 : 0;
            } else if (action < 9) {
                ASSERT_EQ(RedoChange(doc.get(), &show), at + 1 < states.size() ? 0 : -1);
                at += at + 1 < states.size() ? 1 : 0;
            } else {
                MarkSaved(doc.get());
                saved = at;
            }
            ASSERT_TRUE(doc.Saved() == states[at]) << "step " << step;
            ASSERT_EQ(doc->Modified, at != saved);
            ASSERT_EQ(CanUndo(doc.get()) * 2 + CanRedo(doc.get()), (at > 0) * 2 + (at + 1 < states.size()));
            ASSERT_EQ(CheckTreeCounts(doc.get(), nullptr, nullptr), 0);
            ASSERT_TRUE(show >= -2 && show < doc->ChunkCount);
            const Splice& moved = doc->History.Last;  // what a view is told of the table's change
            ASSERT_EQ(doc->ChunkCount - count, doc->History.Steps == moves ? 0 : moved.Inserted - moved.Removed);
            ASSERT_TRUE(doc->History.Steps == moves || (moved.Kind == SpliceRun && moved.At <= count));
        }
        for (int32_t show = 0; UndoChange(doc.get(), &show) == 0;) {
        }
        EXPECT_EQ(doc.Saved(), states[0]);
        EXPECT_EQ(doc.log(), "");
    }
}

// The journal keeps what the edits cost, not what the document holds, drops its oldest entries past its limit, and
// takes a change larger than the limit without its undo, saying so. Reading a file forgets every change.
TEST(Journal, MemoryFollowsTheEditsWithinTheLimit) {
    DtbBuilder wide = DtbBuilder().Top(20000);
    for (uint32_t i = 0; i < 20000; ++i) wide.Scalar(0, i);
    TestDocument doc;
    doc.Load(wide);
    for (int32_t i = 0; i < 1000; ++i) InsertNewChunk(doc.get(), i * 7, -1, LocationAfter, true, 0, "5");
    EXPECT_LT(doc->History.Bytes, size_t(160) * 1000);
    ASSERT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 32, "t"), 0);
    const int32_t entries = doc->History.Count;
    const uint8_t same[7] = {'t'};  // writes that change nothing are no change
    EXPECT_EQ(Joined(WriteChunkPayload(doc.get(), 0, same, 1), WriteChunkValue(doc.get(), 1, same + 1),
                     WriteChunkPayload(doc.get(), 1, same, 0)),
              "0 0 0");
    EXPECT_EQ(doc->History.Count, entries);
    doc->History.Limit = 20000;
    const std::string big(15000, 'b');
    ASSERT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 32, big.c_str()), 0);
    int32_t kept = doc->History.Count, show = 0;
    EXPECT_TRUE(kept > 20 && kept < 60 && doc->History.Bytes <= 17500);  // an eighth of the limit left free
    EXPECT_EQ(doc->History.SavedAt, -1);  // the state as read went with the oldest entries
    MarkSaved(doc.get());
    ASSERT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 32, big.c_str()), 0);  // drops again; saved stays
    ASSERT_EQ(UndoChange(doc.get(), &show), 0);
    EXPECT_FALSE(doc->Modified);
    // A change of exactly the limit (its record, its text, the header before and after: 65 bytes besides the text)
    // is kept, also alone past the eighth kept free, and the change before it goes.
    ASSERT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 0, "1"), 0);
    ASSERT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 32, std::string(20000 - 65, 'm').c_str()), 0);
    EXPECT_EQ(Joined(doc->History.Count, CanUndo(doc.get())), "1 1");
    EXPECT_EQ(doc->History.Bytes, 20000u);
    ASSERT_EQ(UndoChange(doc.get(), &show), 0);
    ASSERT_EQ(InsertNewChunk(doc.get(), 0, -1, LocationBefore, true, 32, (big + big).c_str()), 0);
    EXPECT_TRUE(doc->Modified && !CanUndo(doc.get()) && doc->History.Bytes == 0);
    EXPECT_EQ(doc.log(), std::string("2:") + kTooLargeToUndo + "\n");
    ASSERT_EQ(RemoveSubtree(doc.get(), 1, -1, true), 1);  // the saved state stays out of reach
    ASSERT_EQ(UndoChange(doc.get(), &show), 0);
    EXPECT_TRUE(doc->Modified && show == 1 && doc.payload(0) == big + big && doc.chunk(1).Type == 0);
    doc.Load(wide);
    EXPECT_FALSE(CanUndo(doc.get()) || doc->Modified);
}

// A change past the limit is asked about before it stands. No takes it back whole: the file, the history, the
// modified mark and the steps views follow stay as they were, and the edit says it changed nothing. Yes makes it
// without its undo, and nothing more is said.
TEST(Journal, AChangeTooLargeToUndoIsAskedFirst) {
    std::pair<std::vector<std::string>, bool> answers;  // the questions asked, and the answer to give
    DtbBuilder b = DtbBuilder().Top(2).Node(16, 100, 1);
    for (uint32_t i = 0; i < 100; ++i) b.Scalar(0, i);
    TestDocument doc;
    doc.Load(b.Text(32, "t"));
    doc->Confirm = [](void* context, const char* question) {
        auto& a = *static_cast<decltype(answers)*>(context);
        return a.first.push_back(question), a.second;
    };
    doc->ConfirmContext = &answers;
    doc->History.Limit = 2000;  // one value fits, the node's hundred do not
    ASSERT_EQ(InsertNewChunk(doc.get(), 101, -1, LocationAfter, true, 0, "5"), 102);
    const std::vector<uint8_t> before = doc.Saved();
    const std::string kept = Joined(doc->History.Count, doc->History.Steps, doc->History.Changes, doc->Modified);
    std::vector<uint8_t> block(size_t(ClipboardBlockSize(doc.get(), 0, 101)));
    WriteClipboardBlock(doc.get(), 0, 101, block.data());
    const std::string big(3000, 'b');
    FindOptions all;
    all.Pattern = "0..99", all.LookIn = LookIntegers;
    Finder* finder = MakeFinder(doc.get(), all);
    int32_t replaced = -1;
    const int32_t removed = RemoveSubtree(doc.get(), 0, -1, true);
    const int32_t pasted = PasteClipboardBlock(doc.get(), block.data(), block.size(), 0, -1, LocationBefore, true);
    const WriteResult written = WriteChunkPayload(doc.get(), 101, reinterpret_cast<const uint8_t*>(big.data()), 3000);
    const WalkResult walked = ReplaceAllMatches(finder, doc.get(), "7", &replaced, Progress());
    EXPECT_EQ(Joined(removed, pasted, written, walked, replaced), "-1 -1 -1 2 0");
    EXPECT_TRUE(doc.Saved() == before) << "a declined change left something behind";
    EXPECT_EQ(Joined(doc->History.Count, doc->History.Steps, doc->History.Changes, doc->Modified), kept);
    EXPECT_EQ(answers.first.at(2), "This change cannot be undone afterwards (1 value). Make it anyway?");
    std::string counts;
    for (const std::string& q : answers.first) counts += q.substr(41, q.find(')') - 41) + ";";
    EXPECT_EQ(counts, "101 values;101 values;1 value;100 values;");
    answers.second = true;
    EXPECT_EQ(ReplaceAllMatches(finder, doc.get(), "7", &replaced, Progress()), WalkDone);
    FreeFinder(finder);
    EXPECT_EQ(Joined(replaced, doc.chunk(50).Value[0], CanUndo(doc.get()), doc->Modified), "100 7 0 1");
    EXPECT_EQ(doc.log(), "") << "the change was told again after it was made";
}
