// Find and Replace over every kind of value: texts, the names of nodes and
// numbers, in one document, for the editor's dialog and dtbtool alike.
// Options go in as a plain record; a compiled Finder answers whether a chunk
// matches and what it becomes; the walks over the table report progress
// and can be stopped. Replace All is one change: one Undo takes it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document.h"

// What is looked in; any combination.
enum LookIn : uint32_t {
    LookTexts = 1,            // every text payload but a node's name
    LookNames = 2,            // the identifiers that name nodes
    LookIntegers = 4,         // type 0
    LookFloats = 8,           // type 1
    LookNodeNumbers = 16,     // nodes' numbers
    LookUnknownScalars = 32,  // types 6, 8, 9: their four bytes as a 32-bit number
    LookNumbers = LookIntegers | LookFloats | LookNodeNumbers | LookUnknownScalars,
    LookEverything = LookTexts | LookNames | LookNumbers,
};

const int64_t kAnyType = -1;

// The lower case of every 8-bit character in one code page: the front end
// gives the platform's own for the code page in use.
struct CaseFold {
    uint8_t lower[256];
};

struct FindOptions {
    const char* Pattern = "";  // the text, the pattern, or for numbers "42" or "10..20"
    uint32_t LookIn = LookTexts;
    int64_t Type = kAnyType;  // only chunks of this type code
    // Texts of these type codes (bit t for type t) are passed over.
    uint64_t SkippedTypes = 0;
    bool MatchCase = false;   // letters are told apart (other bytes always are)
    bool WholeValue = false;  // the pattern must match the whole text, not part of it
    bool Regex = false;       // Pattern is a regular expression (Perl syntax)
    // How a text that is not a regular expression folds its letters when
    // case does not matter; null: A-Z alone (a regular expression always
    // folds by the library's own rule).
    const CaseFold* Fold = nullptr;
    bool Wrap = true;  // Find Next goes round at an end of the range
    // The chunks looked at: [First, End) of the table (a subtree's span, or
    // 0 and -1 for the whole document).
    int32_t First = 0;
    int32_t End = -1;
};

// The search box's find as a preset of the options: text in the texts of
// types 2, 5, 18 and 32-35 (never 7's payloads; type 5 only when
// identifiersSearched: the identifiers are shown, or the list is), letter
// case folded by fold, forwards or backwards from the selection without
// going round.
FindOptions SearchBoxOptions(const char* text, bool identifiersSearched, const CaseFold* fold);

// The search box's Find: the first match from start on (backwards: from
// start down to chunk 0; start is the chunk after the selected one, or
// before it). An empty text returns -1 at once, without a message; no match
// returns -1 after the notice "Could not find string.".
int32_t FindNextChunk(Document* doc, int32_t start, const char* text, bool identifiersSearched, const CaseFold* fold,
                      bool backwards = false);

// Called every few thousand chunks with how far a walk has come; returning
// false stops the walk (a stopped Replace All changes nothing).
typedef bool (*ProgressHook)(void* context, int64_t done, int64_t total);
struct Progress {
    ProgressHook Hook = nullptr;
    void* Context = nullptr;
};

struct Finder;

// Compiles the options against a document's table. nullptr after a report
// (a pattern that does not compile, an error naming where and why; numbers
// alone looked in with a pattern that is no number or range). A Float is
// found by the float nearest to a typed number, so that the digits it is
// shown with find it: a number matches the one float it rounds to (never a
// stored -0, nor any float when it rounds to an infinity), a range every
// float between the floats its ends round to. A pattern that runs away on a
// text stops a walk with an error naming the text's length.
Finder* MakeFinder(const Document* doc, const FindOptions& options);
void FreeFinder(Finder* finder);

// Whether chunk matches.
bool ChunkMatches(const Finder* finder, const Document* doc, int32_t chunk);

// The next match after from (before it when backwards) within the options'
// range, wrapping round its ends once when the options Wrap; from -1 starts
// at the range's start (its end, backwards). -1 when nothing matches;
// *wrapped tells whether the search passed an end to find it.
int32_t FindNextMatch(const Finder* finder, const Document* doc, int32_t from, bool backwards, bool* wrapped);

// Declined: the change was too large to undo and the user chose not to make it.
enum WalkResult : int32_t { WalkDone = 0, WalkStopped = 1, WalkDeclined = 2, WalkFailed = -1 };

// Every match in table order, appended to found. Failed: no memory (reported).
WalkResult FindAllMatches(const Finder* finder, const Document* doc, std::vector<int32_t>* found,
                          const Progress& progress);

// Replaces what matches in every matching chunk with replacement, as one
// change, all or nothing. For a text the matches in it are replaced (the
// whole text with WholeValue), with $0-$9 standing for the groups of a
// regular expression; a number is replaced whole by the replacement read as
// a value of the chunk's type. When any match refuses (a number that does
// not read as its type, a text that does not fit), nothing changes and the
// report names the first refusing chunk by its path and says why. *replaced:
// the number of values replaced (values a replacement leaves as they were
// are not counted).
WalkResult ReplaceAllMatches(const Finder* finder, Document* doc, const char* replacement, int32_t* replaced,
                             const Progress& progress);

// The same for the one chunk, when it matches; *replaced is 0 or 1.
WalkResult ReplaceInChunk(const Finder* finder, Document* doc, int32_t chunk, const char* replacement,
                          int32_t* replaced);

// The chunk's category among LookIn (0 for an unknown type).
uint32_t LookInOfChunk(const Document* doc, int32_t chunk);
