#include "find_replace.h"

#include <boost/regex.hpp>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "chunk_path.h"
#include "chunk_types.h"
#include "document.h"
#include "journal.h"
#include "text_convert.h"

struct Finder {
    FindOptions Options;
    std::string Pattern;  // folded to lower case when case does not matter
    boost::regex Expression;
    bool IsNumber = false;  // the pattern reads as a number or a range
    bool IsRange = false;
    double Low = 0;
    double High = 0;
    // What a Float is held against: the nearest floats to the typed ends (a
    // single number's twice), so that the digits a float is shown with find
    // it. A single number matches by its bits, and none when its nearest
    // float is infinite; a range's ends stop at the largest finite floats.
    float FloatLow = 0;
    float FloatHigh = 0;
    bool NoFloat = false;
    int32_t First = 0;
    int32_t End = -1;  // -1: the end of the table, wherever it is by then
};

namespace {
// The range's end in the table as it is now: the table may have shrunk since.
int32_t EndNow(const Finder* f, const Document* doc) {
    return f->End < 0 ? doc->ChunkCount : std::min(f->End, doc->ChunkCount);
}
}  // namespace

namespace {

// Walks report progress this often.
const int32_t kProgressStep = 1 << 16;

// The fold of A-Z alone, for a front end that knows no code page.
const CaseFold& AsciiFold() {
    static const CaseFold fold = [] {
        CaseFold f;
        for (int c = 0; c < 256; ++c) f.lower[c] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return f;
    }();
    return fold;
}

// "42", "-1.5", "0x2A": the whole text, as strtod reads it, never NaN.
bool ReadNumber(const std::string& text, double* value) {
    const char* s = text.c_str();
    while (*s == ' ') ++s;
    if (!*s) return false;
    char* end = nullptr;
    *value = std::strtod(s, &end);
    while (*end == ' ') ++end;
    return *end == '\0' && !std::isnan(*value);
}

// The float nearest to the number ReadNumber read from text as value,
// rounded once from the digits: value cast to float would round twice, and
// miss the float just past a halfway point. Beyond the floats it is an
// infinity or a zero, by value.
float NearestFloat(const std::string& text, double value) {
    const char* s = text.c_str();
    const char* end = s + text.size();
    while (std::isspace(static_cast<unsigned char>(*s))) ++s;  // as strtod skips them
    while (end > s && end[-1] == ' ') --end;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    std::chars_format format = std::chars_format::general;
    if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s += 2;
        format = std::chars_format::hex;
    }
    float f = 0;
    std::from_chars_result read = std::from_chars(s, end, f, format);
    if (read.ec == std::errc::result_out_of_range) {
        f = std::fabs(value) >= 1 ? HUGE_VALF : 0.0f;
    } else if (read.ec != std::errc() || read.ptr != end) {
        f = static_cast<float>(value);  // strtod took what from_chars does not: its reading is all there is
    }
    return negative ? -f : f;
}

// "N" or "A..B" (either order), as numbers and as the floats held against Floats.
bool ReadRange(const std::string& text, Finder* f) {
    size_t dots = text.find("..");
    f->IsRange = dots != std::string::npos;
    const std::string low = f->IsRange ? text.substr(0, dots) : text;
    const std::string high = f->IsRange ? text.substr(dots + 2) : text;
    if (!ReadNumber(low, &f->Low) || !ReadNumber(high, &f->High)) return false;
    f->FloatLow = NearestFloat(low, f->Low);
    f->FloatHigh = NearestFloat(high, f->High);
    if (f->Low > f->High) std::swap(f->Low, f->High);
    if (f->FloatLow > f->FloatHigh) std::swap(f->FloatLow, f->FloatHigh);
    if (f->IsRange) {
        f->FloatLow = std::min(std::max(f->FloatLow, -FLT_MAX), FLT_MAX);
        f->FloatHigh = std::min(std::max(f->FloatHigh, -FLT_MAX), FLT_MAX);
    } else {
        // The decimal -0 is 0: a stored -0 is told apart, as its bits are.
        f->NoFloat = std::isinf(f->FloatLow);
        if (f->FloatLow == 0) f->FloatLow = f->FloatHigh = 0.0f;
    }
    return true;
}

bool FloatMatches(const Finder* f, const ChunkRecord& r) {
    float x;
    std::memcpy(&x, r.Value, sizeof x);
    if (f->IsRange) return x >= f->FloatLow && x <= f->FloatHigh;
    return !f->NoFloat && std::memcmp(&x, &f->FloatLow, sizeof x) == 0;
}

// A text payload's value is its text as shown: up to the first zero byte.
// What follows it is kept as it is by a replacement.
PayloadView TextOf(const Document* doc, int32_t chunk) { return ShownPayload(doc, doc->Chunks[chunk]); }

// Where the plain pattern occurs in text from offset on, or npos.
size_t FindPlain(const Finder* f, const char* text, size_t length, size_t offset) {
    const std::string& p = f->Pattern;
    if (p.size() > length) return std::string::npos;
    if (f->Options.MatchCase) {
        return std::string_view(text, length).find(p, offset);
    }
    const uint8_t* lower = f->Options.Fold->lower;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    const uint8_t first = static_cast<uint8_t>(p[0]);
    for (size_t at = offset; at + p.size() <= length; ++at) {
        if (lower[bytes[at]] != first) continue;
        size_t k = 1;
        while (k < p.size() && lower[bytes[at + k]] == static_cast<uint8_t>(p[k])) ++k;
        if (k == p.size()) return at;
    }
    return std::string::npos;
}

// A pattern that gave up on a text, for Guarded to report: the length of
// the text tells the user why this one and not the others.
struct RunawayPattern {
    size_t TextLength;
};

// Runs a match over a text of length bytes, turning the library's giving up
// into a RunawayPattern.
template <typename Match>
auto Running(size_t length, Match match) -> decltype(match()) {
    try {
        return match();
    } catch (const boost::regex_error& e) {
        if (e.code() == boost::regex_constants::error_complexity || e.code() == boost::regex_constants::error_stack)
            throw RunawayPattern{length};
        throw;
    }
}

bool TextMatches(const Finder* f, PayloadView text) {
    if (f->Options.Regex) {
        return Running(text.Length, [&] {
            if (f->Options.WholeValue) return boost::regex_match(text.Text, text.Text + text.Length, f->Expression);
            return boost::regex_search(text.Text, text.Text + text.Length, f->Expression);
        });
    }
    if (f->Options.WholeValue) return text.Length == f->Pattern.size() && FindPlain(f, text.Text, text.Length, 0) == 0;
    return FindPlain(f, text.Text, text.Length, 0) != std::string::npos;
}

bool NumberMatches(const Finder* f, const ChunkRecord& r, uint32_t look) {
    if (!f->IsNumber) return false;
    if (look == LookFloats) return FloatMatches(f, r);
    double v;
    if (look == LookNodeNumbers) {
        v = NodeNumberOf(r);
    } else if (look == LookUnknownScalars) {
        // Four bytes of unknown meaning: either reading of them will do.
        uint32_t bits = ReadU32(r.Value);
        double asSigned = static_cast<int32_t>(bits);
        if (asSigned >= f->Low && asSigned <= f->High) return true;
        v = bits;
    } else {
        v = static_cast<int32_t>(ReadU32(r.Value));
    }
    return v >= f->Low && v <= f->High;
}

// Whether chunk matches; a regular expression that runs away throws, so
// every caller runs inside Guarded.
bool Matches(const Finder* f, const Document* doc, int32_t chunk) {
    const ChunkRecord& r = doc->Chunks[chunk];
    if (f->Options.Type != kAnyType && r.Type != f->Options.Type) return false;
    uint32_t look = LookInOfChunk(doc, chunk) & f->Options.LookIn;
    if (look & (LookTexts | LookNames)) {
        if (r.Type < 64 && (f->Options.SkippedTypes >> r.Type & 1)) return false;
        return TextMatches(f, TextOf(doc, chunk));
    }
    return look != 0 && NumberMatches(f, r, look);
}

// The new bytes of a matching chunk: its payload, or its six value bytes.
// False with why when the replacement does not fit the chunk.
bool Replaced(const Finder* f, const Document* doc, int32_t chunk, const std::string& with, std::string* out,
              std::string* why) {
    const ChunkRecord& r = doc->Chunks[chunk];
    uint32_t look = LookInOfChunk(doc, chunk);
    if (look & LookNumbers) {
        uint8_t value[6];
        std::memcpy(value, r.Value, sizeof value);
        int32_t integer;
        uint32_t bits;
        if (look == LookFloats) {
            if (!ReadFloatText(with.c_str(), &bits)) {
                *why = "\"" + with + "\" is not a Float";
                return false;
            }
            WriteU32(value, bits);
        } else if (ReadIntegerText(with.c_str(), &integer)) {
            WriteU32(value + (look == LookNodeNumbers ? 2 : 0), static_cast<uint32_t>(integer));
        } else if (look == LookUnknownScalars && ReadWholeNumberText(with.c_str(), &bits)) {
            WriteU32(value, bits);
        } else {
            *why = "\"" + with + "\" is not a whole number from -2147483648 to 2147483647";
            return false;
        }
        out->assign(reinterpret_cast<const char*>(value), sizeof value);
        return true;
    }
    PayloadView text = TextOf(doc, chunk);
    std::string result;
    if (f->Options.Regex) {
        auto flags = boost::format_perl;
        result = Running(text.Length, [&] {
            if (!f->Options.WholeValue)
                return boost::regex_replace(std::string(text.Text, text.Length), f->Expression, with, flags);
            boost::match_results<const char*> m;
            boost::regex_match(text.Text, text.Text + text.Length, m, f->Expression);
            return m.format(with, flags);
        });
    } else if (f->Options.WholeValue) {
        result = with;
    } else {
        size_t from = 0;
        for (size_t at; (at = FindPlain(f, text.Text, text.Length, from)) != std::string::npos;
             from = at + f->Pattern.size())
            result.append(text.Text + from, at - from).append(with);
        result.append(text.Text + from, text.Length - from);
    }
    if (result.find('\0') != std::string::npos) {
        *why = "the replacement puts a zero byte in the text, which would end it there";
        return false;
    }
    size_t tail = static_cast<size_t>(r.Length) - text.Length;
    if (result.size() > static_cast<size_t>(INT32_MAX) - tail) {
        *why = "the text would be longer than a chunk can hold";
        return false;
    }
    result.append(text.Text + text.Length, tail);
    *out = std::move(result);
    return true;
}

struct Planned {
    int32_t Chunk;
    size_t Offset;  // into the plan's bytes
    size_t Length;
};

bool SameAsNow(const Document* doc, const Planned& p, const std::string& bytes) {
    const ChunkRecord& r = doc->Chunks[p.Chunk];
    const uint8_t* now = IsPoolType(r.Type) ? doc->Pool + r.PoolOffset : r.Value;
    size_t length = IsPoolType(r.Type) ? static_cast<size_t>(r.Length) : sizeof r.Value;
    return length == p.Length && std::memcmp(now, bytes.data() + p.Offset, length) == 0;
}

void RefuseAt(Document* doc, int32_t chunk, const std::string& why) {
    PathIndex index = {};
    char path[kMessageSize / 2] = "";
    if (BuildPathIndex(doc, &index) == 0) FormatChunkPath(doc, &index, chunk, path, sizeof path);
    FreePathIndex(&index);
    ReportFormat(doc, ReportInformation, "Nothing was replaced: the chunk at %s refuses it: %s.", path, why.c_str());
}

// Makes the planned writes as one change. The room is secured first, so
// that the writes themselves cannot fail half-way.
WalkResult Apply(Document* doc, const std::vector<Planned>& plan, const std::string& bytes) {
    int64_t growth = 0;
    for (const Planned& p : plan) {
        const ChunkRecord& r = doc->Chunks[p.Chunk];
        if (IsPoolType(r.Type) && static_cast<int64_t>(p.Length) > r.SlotLength)
            growth += static_cast<int64_t>(p.Length);
    }
    if (growth > INT32_MAX - doc->PoolUsed) {
        Report(doc, ReportInformation, "Nothing was replaced: the texts would not fit in the document.");
        return WalkFailed;
    }
    if (EnsureRoom(doc, static_cast<int32_t>(growth), kUsualReserve) != 0) return WalkFailed;
    BeginChange(doc);
    for (const Planned& p : plan) {
        ChunkRecord& r = doc->Chunks[p.Chunk];
        NoteBefore(doc, p.Chunk);
        const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data()) + p.Offset;
        if (IsPoolType(r.Type)) {
            ReplacePayload(doc, p.Chunk, b, static_cast<int32_t>(p.Length));
        } else {
            std::memcpy(r.Value, b, sizeof r.Value);
        }
        NoteAfter(doc, p.Chunk);
    }
    return EndChange(doc, !plan.empty(), plan.empty() ? -1 : plan.front().Chunk) ? WalkDone : WalkDeclined;
}

// Plans the replacement of every match in [first, end), then makes it.
WalkResult ReplaceRange(const Finder* f, Document* doc, int32_t first, int32_t end, const char* replacement,
                        int32_t* replaced, const Progress& progress) {
    *replaced = 0;
    std::vector<Planned> plan;
    std::string bytes, next, why;
    const std::string with = replacement;
    for (int32_t i = first; i < end; ++i) {
        if (progress.Hook && (i - first) % kProgressStep == 0 && i != first &&
            !progress.Hook(progress.Context, i - first, end - first))
            return WalkStopped;
        if (!Matches(f, doc, i)) continue;
        if (!Replaced(f, doc, i, with, &next, &why)) {
            RefuseAt(doc, i, why);
            return WalkFailed;
        }
        Planned p = {i, bytes.size(), next.size()};
        bytes += next;
        if (!SameAsNow(doc, p, bytes)) {
            plan.push_back(p);
        } else {
            bytes.resize(p.Offset);
        }
    }
    WalkResult result = Apply(doc, plan, bytes);
    if (result == WalkDone) *replaced = static_cast<int32_t>(plan.size());
    return result;
}

// Runs a walk, turning what the libraries throw into a report: no memory,
// and a regular expression that runs away on a long text.
template <typename Walk>
WalkResult Guarded(const Document* doc, Walk walk) {
    try {
        return walk();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory(doc);
    } catch (const RunawayPattern& r) {
        const std::string text = "The pattern is too complex to run on a text of " + std::to_string(r.TextLength) +
                                 " bytes: simplify it (e.g. avoid nested repeats).";
        Report(doc, ReportError, text.c_str());
    } catch (const std::exception& e) {
        ReportFormat(doc, ReportInformation, "%s", e.what());
    }
    return WalkFailed;
}

// Why a pattern does not compile, in our words: the library's are written
// for programmers and change between its versions. at is where it stopped.
const char* WhyNotValid(boost::regex_constants::error_type code, const std::string& pattern, std::ptrdiff_t at) {
    namespace rc = boost::regex_constants;
    switch (code) {
    case rc::error_brack:
        return "a '[' has no ']' to close it";
    case rc::error_paren:  // the library says this for a lone ')' as for a lone '('
        if (at >= 0 && static_cast<size_t>(at) < pattern.size() && pattern[static_cast<size_t>(at)] == ')')
            return "this ')' closes no '('";
        return "a '(' has no ')' to close it";
    case rc::error_brace:
        return "a '{' and a '}' do not pair up";
    case rc::error_badbrace:
        return "what stands between '{' and '}' is not valid: a repeat is {n}, {n,} or {n,m} with n no more than m, "
               "and \\x{...} holds hex digits";
    case rc::error_badrepeat:
        return "a repeat (*, +, ? or {n,m}) has nothing before it to repeat";
    case rc::error_escape:
        return "a '\\' is followed by nothing, or by something that is no escape";
    case rc::error_backref:
        return "a back-reference names a group that does not exist";
    case rc::error_range:
        return "a range in '[...]' is not valid";
    case rc::error_ctype:  // a range that runs backwards is reported as this too
        return "a character class is unknown (as in [[:alpha:]] or \\p{L}), or a range runs backwards (write [a-z], "
               "not [z-a])";
    case rc::error_collate:
        return "a collating element such as [[.space.]] is unknown";
    case rc::error_perl_extension:
        return "a '(?' construct is unknown or not finished";
    case rc::error_size:
        return "the pattern is too large";
    default:
        return "this cannot be read as a regular expression (Perl syntax)";
    }
}

// Fills f from options. nullptr, or the refusal (with its kind) when the
// options cannot find anything; reason holds a refusal made up here.
const char* Compile(const FindOptions& options, Finder* f, std::string* reason, ReportKind* kind) {
    f->Options = options;
    f->Pattern = options.Pattern ? options.Pattern : "";
    f->Options.Pattern = f->Pattern.c_str();
    f->First = std::max(0, options.First);
    f->End = options.End;
    *kind = ReportInformation;
    if (f->Pattern.empty()) return "Type what to find.";
    f->IsNumber = ReadRange(f->Pattern, f);
    if (!f->IsNumber && !(options.LookIn & (LookTexts | LookNames)))
        return "Numbers are found by value: type a number such as 42 or a range such as 10..20.";
    if (options.Regex) {
        try {
            auto flags = boost::regex::perl | (options.MatchCase ? boost::regex::normal : boost::regex::icase);
            f->Expression.assign(f->Pattern, flags);
        } catch (const boost::regex_error& e) {
            // The position counts from 0, as the library's does.
            *reason = "The pattern is not valid at position " + std::to_string(e.position()) + ": " +
                      WhyNotValid(e.code(), f->Pattern, e.position()) + ".";
            *kind = ReportError;
            return reason->c_str();
        }
    } else if (!options.MatchCase) {
        if (!f->Options.Fold) f->Options.Fold = &AsciiFold();
        for (char& c : f->Pattern) c = static_cast<char>(f->Options.Fold->lower[static_cast<uint8_t>(c)]);
    }
    return nullptr;
}

}  // namespace

uint32_t LookInOfChunk(const Document* doc, int32_t chunk) {
    uint32_t type = doc->Chunks[chunk].Type;
    switch (ShapeOfType(type)) {
    case ShapePool:
        return type == kTypeIdentifier && chunk > 0 && IsNodeType(doc->Chunks[chunk - 1].Type) ? LookNames : LookTexts;
    case ShapeNode:
        return LookNodeNumbers;
    case ShapeScalar:
        return type == kTypeInteger ? LookIntegers : type == kTypeFloat ? LookFloats : LookUnknownScalars;
    case ShapeUnknown:
        break;
    }
    return 0;
}

Finder* MakeFinder(const Document* doc, const FindOptions& options) {
    std::string reason;
    const char* refusal = kOutOfMemory;
    ReportKind kind = ReportError;
    try {
        std::unique_ptr<Finder> f(new Finder);
        refusal = Compile(options, f.get(), &reason, &kind);
        if (!refusal) return f.release();
    } catch (const std::bad_alloc&) {
        refusal = kOutOfMemory;
        kind = ReportError;
    }
    Report(doc, kind, refusal);
    return nullptr;
}

void FreeFinder(Finder* finder) { delete finder; }

bool ChunkMatches(const Finder* f, const Document* doc, int32_t chunk) {
    bool matches = false;
    Guarded(doc, [&] {
        matches = Matches(f, doc, chunk);
        return WalkDone;
    });
    return matches;
}

int32_t FindNextMatch(const Finder* f, const Document* doc, int32_t from, bool backwards, bool* wrapped) {
    *wrapped = false;
    const int32_t end = EndNow(f, doc);
    const int32_t span = end - f->First;
    if (span <= 0) return -1;
    if (from < f->First || from >= end) from = backwards ? end : f->First - 1;
    int32_t step = backwards ? -1 : 1;
    int32_t found = -1;
    Guarded(doc, [&] {
        int32_t i = from;
        for (int32_t k = 0; k < span; ++k) {
            i += step;
            if (i >= end || i < f->First) {
                if (!f->Options.Wrap) break;
                i = backwards ? end - 1 : f->First;
                *wrapped = true;
            }
            if (Matches(f, doc, i)) {
                found = i;
                return WalkDone;
            }
        }
        return WalkDone;
    });
    return found;
}

WalkResult FindAllMatches(const Finder* f, const Document* doc, std::vector<int32_t>* found, const Progress& progress) {
    return Guarded(doc, [&] {
        const int32_t end = EndNow(f, doc);
        for (int32_t i = f->First; i < end; ++i) {
            if (progress.Hook && (i - f->First) % kProgressStep == 0 && i != f->First &&
                !progress.Hook(progress.Context, i - f->First, end - f->First))
                return WalkStopped;
            if (Matches(f, doc, i)) found->push_back(i);
        }
        return WalkDone;
    });
}

WalkResult ReplaceAllMatches(const Finder* f, Document* doc, const char* replacement, int32_t* replaced,
                             const Progress& progress) {
    *replaced = 0;
    return Guarded(doc,
                   [&] { return ReplaceRange(f, doc, f->First, EndNow(f, doc), replacement, replaced, progress); });
}

WalkResult ReplaceInChunk(const Finder* f, Document* doc, int32_t chunk, const char* replacement, int32_t* replaced) {
    *replaced = 0;
    if (chunk < f->First || chunk >= EndNow(f, doc)) return WalkDone;
    return Guarded(doc, [&] { return ReplaceRange(f, doc, chunk, chunk + 1, replacement, replaced, Progress()); });
}

FindOptions SearchBoxOptions(const char* text, bool identifiersSearched, const CaseFold* fold) {
    const uint32_t kNeverSearched = 7;  // the search box has never looked at these payloads
    FindOptions o;
    o.Pattern = text;
    o.LookIn = identifiersSearched ? uint32_t(LookTexts | LookNames) : uint32_t(LookTexts);
    o.SkippedTypes = uint64_t(1) << kNeverSearched | (identifiersSearched ? 0 : uint64_t(1) << kTypeIdentifier);
    o.Fold = fold;
    o.Wrap = false;
    return o;
}

int32_t FindNextChunk(Document* doc, int32_t start, const char* text, bool identifiersSearched, const CaseFold* fold,
                      bool backwards) {
    if (!*text) return -1;
    Finder* finder = MakeFinder(doc, SearchBoxOptions(text, identifiersSearched, fold));
    if (!finder) return -1;
    bool wrapped = false;
    int32_t found = FindNextMatch(finder, doc, backwards ? start + 1 : start - 1, backwards, &wrapped);
    FreeFinder(finder);
    if (found < 0) Report(doc, ReportExclamation, "Could not find string.");
    return found;
}
