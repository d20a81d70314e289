// dtbtool import: JSON back into a document, read as a stream of events
// (the JSON library's SAX interface, fed from a buffer of the file), so
// that a large file costs its table and pool and not a tree of JSON values.
// Each chunk gets its record when its object opens, in the order of the
// file, and its fields when it closes: JSON does not fix the order of an
// object's fields, and the children of a node may come before its type.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include <nlohmann/json.hpp>

#include "chunk_types.h"
#include "json_form.h"
#include "text_convert.h"
#include "tree_edit.h"

namespace {

using Json = nlohmann::json;

// As strings, so that a key is compared by its length first.
const std::string kTopFields[] = {"key", "header", "chunks"};
const std::string kChunkFields[] = {"type", "name", "value", "bits", "number", "count", "children"};
enum ChunkField { FieldType, FieldName, FieldValue, FieldBits, FieldNumber, FieldCount, FieldChildren };

const char kWholeNumber[] = "expected a whole number from 0 to 4294967295";
const char kHeaderBytes[] = "expected seven hex bytes (such as 1C 09 00 DE AD BE EF)";
const char kInteger[] = "expected an integer from -2147483648 to 2147483647";
const char kCount[] = "expected a count from 0 to 65535";
const char kBits[] = "expected eight hex digits (such as 7FC00001)";
const char kChunks[] = "expected an array of chunks";
const char kHexDigits[] = "0123456789abcdefABCDEF";

// A field's value as it came; what it must be is judged once the chunk's
// type is known.
struct Given {
    enum Kind { Nothing, Integer, Real, Text, Other } kind = Nothing;
    int64_t integer = 0;  // also an unsigned value up to INT64_MAX; larger ones are Other
    double real = 0;
    std::string text;
};

// What became of a text value stored as it came, its chunk's type known
// already; said only once the chunk's other fields are judged, as for one
// whose type comes after it.
enum TextStored { TextNotYet, TextInPool, TextBeyondByte, TextNoMemory };

// One open object or array. Frames are kept for reuse as the parser goes in
// and out, so that a chunk costs no allocation of its own.
struct Frame {
    enum Kind { Top, List, Chunk };
    Kind kind = Top;
    int32_t position = 0;  // Chunk: its place in its list; List: 1 for a node's children, 0 for "chunks"
    int32_t record = -1;   // Chunk: its record; List: the record of the node that holds it (-1: none)
    int32_t elements = 0;  // List: how many so far
    int field = -1;        // objects: the field whose value comes next
    uint32_t seen = 0;     // objects: a bit for each field given
    Given given[7];        // Chunk: the values, by ChunkField
    int32_t children = 0;  // Chunk
    TextStored stored = TextNotYet;
};

// Exactly count hex bytes, read by the strict reader the editor's Hex box uses.
bool ReadHexExactly(const std::string& text, int32_t count, uint8_t* out) {
    std::vector<uint8_t> bytes(text.size() / 2 + 1);
    if (ReadHexBytesText(text.data(), text.size(), bytes.data()) != count) return false;
    std::copy(bytes.begin(), bytes.begin() + count, out);
    return true;
}

class Reader : public nlohmann::json_sax<Json> {
public:
    Reader(Document* doc, std::string* error) : doc_(doc), error_(error) {}

    bool null() override { return Value(Given()); }
    bool boolean(bool) override { return Value(Other()); }
    bool number_integer(number_integer_t v) override {
        Given g;
        g.kind = Given::Integer;
        g.integer = v;
        return Value(g);
    }
    bool number_unsigned(number_unsigned_t v) override {
        if (v > static_cast<number_unsigned_t>(INT64_MAX)) return Value(Other());
        return number_integer(static_cast<number_integer_t>(v));
    }
    bool number_float(number_float_t v, const string_t&) override {
        Given g;
        g.kind = Given::Real;
        g.real = v;
        return Value(g);
    }
    // A chunk's name is only checked to be a string, and a text value whose
    // chunk's type is known goes straight into the pool; other strings are
    // kept until their object closes.
    bool string(string_t& v) override {
        Frame* f = depth_ > 0 ? &Back() : nullptr;
        if (f && f->kind == Frame::Chunk && f->field == FieldName) {
            f->given[FieldName].kind = Given::Text;
            return true;
        }
        if (f && f->kind == Frame::Chunk && f->field == FieldValue && (f->seen & (1u << FieldType)) &&
            IsPoolType(static_cast<uint32_t>(f->given[FieldType].integer))) {
            f->given[FieldValue].kind = Given::Text;
            f->stored = StoreText(f->record, v);
            return true;
        }
        text_.kind = Given::Text;
        text_.text.assign(v);
        return Value(text_);
    }
    bool binary(binary_t&) override { return Value(Other()); }

    bool start_object(std::size_t) override {
        if (depth_ == 0) {
            Push(Frame::Top, -1, 0);
            return true;
        }
        Frame& f = Back();
        if (f.kind != Frame::List) return Fail(Path(true), Expected(f));
        ChunkRecord blank = {};
        if (InsertChunkAt(doc_, &blank, doc_->ChunkCount) != 0) return Fail(Path(false), "no memory for the chunk");
        Push(Frame::Chunk, doc_->ChunkCount - 1, f.elements++);
        return true;
    }

    bool key(string_t& name) override {
        Frame& f = Back();
        const std::string* fields = f.kind == Frame::Top ? kTopFields : kChunkFields;
        int count = f.kind == Frame::Top ? 3 : 7;
        f.field = -1;
        for (int i = 0; i < count && f.field < 0; ++i)
            if (name == fields[i]) f.field = i;
        auto at = [&] { return Path(false) + (f.kind == Frame::Top ? "" : ".") + name; };
        if (f.field < 0) return Fail(at(), "unknown field");
        if (f.seen & (1u << f.field)) return Fail(at(), "given twice");
        f.seen |= 1u << f.field;
        return true;
    }

    bool end_object() override {
        Frame& f = Back();
        if (f.kind == Frame::Chunk && !FinishChunk(f)) return false;
        for (int i = 0; f.kind == Frame::Top && i < 3; ++i)
            if (!(f.seen & (1u << i))) return Fail("document", "missing \"" + kTopFields[i] + "\"");
        --depth_;
        return true;
    }

    bool start_array(std::size_t) override {
        if (depth_ == 0) return Fail("document", "expected an object");
        Frame& f = Back();
        bool list = (f.kind == Frame::Top && f.field == 2) || (f.kind == Frame::Chunk && f.field == FieldChildren);
        if (!list) return Fail(Path(true), Expected(f));
        Push(Frame::List, f.record, f.kind == Frame::Top ? 0 : 1);
        return true;
    }

    bool end_array() override {
        int32_t elements = Back().elements;
        --depth_;
        if (Back().kind == Frame::Chunk) Back().children = elements;
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        std::string what = e.what();
        size_t end = what.find("] ");  // the library's own tag, "[json.exception.parse_error.101] "
        return Fail(depth_ == 0 ? "document" : Path(true), end == std::string::npos ? what : what.substr(end + 2));
    }

private:
    Frame& Back() { return frames_[depth_ - 1]; }
    const Frame& Back() const { return frames_[depth_ - 1]; }

    void Push(Frame::Kind kind, int32_t record, int32_t position) {
        if (depth_ == frames_.size()) frames_.emplace_back();
        Frame& f = frames_[depth_++];
        f.kind = kind, f.record = record, f.position = position;
        f.elements = 0, f.field = -1, f.seen = 0, f.children = 0, f.stored = TextNotYet;
    }

    static Given Other() {
        Given g;
        g.kind = Given::Other;
        return g;
    }

    bool Fail(const std::string& where, const std::string& what) {
        if (error_->empty()) *error_ = (where.empty() ? "document" : where) + ": " + what;
        return false;
    }

    // The path of the innermost frame, and of the field it waits for.
    std::string Path(bool withField) const {
        std::string path;
        for (size_t i = 0; i < depth_; ++i) {
            const Frame& step = frames_[i];
            if (step.kind == Frame::List) path += step.position ? ".children" : "chunks";
            if (step.kind == Frame::Chunk) path += "[" + std::to_string(step.position) + "]";
        }
        const Frame& f = Back();
        if (withField && f.kind == Frame::List) return path + "[" + std::to_string(f.elements) + "]";
        if (withField && f.field >= 0) {
            if (f.kind == Frame::Top) return kTopFields[f.field];
            path += "." + kChunkFields[f.field];
        }
        return path;
    }

    // What the field the frame waits for takes, for a value of the wrong kind.
    std::string Expected(const Frame& f) const {
        if (f.kind == Frame::List) return "expected a chunk (an object)";
        if (f.kind == Frame::Top) return f.field == 0 ? kWholeNumber : f.field == 1 ? kHeaderBytes : kChunks;
        switch (f.field) {
        case FieldType:
            return "expected the type code of a known chunk";
        case FieldName:
            return "expected a string";
        case FieldBits:
            return kBits;
        case FieldNumber:
            return kInteger;
        case FieldCount:
            return kCount;
        case FieldChildren:
            return kChunks;
        default:
            return "expected the chunk's value";
        }
    }

    bool Value(const Given& g) {
        if (depth_ == 0) return Fail("document", "expected an object");
        Frame& f = Back();
        if (f.kind == Frame::List) return Fail(Path(true), Expected(f));
        if (f.kind == Frame::Top) return TopValue(f, g);
        if (f.field == FieldChildren) return Fail(Path(true), kChunks);
        bool ok = true;
        switch (f.field) {
        case FieldType:
            ok = g.kind == Given::Integer && g.integer >= 0 && g.integer < 256 && LabelOfType(uint32_t(g.integer));
            break;
        case FieldName:
            ok = g.kind == Given::Text;
            break;
        case FieldBits:
            ok = g.kind == Given::Text && g.text.size() == 8 && std::strspn(g.text.c_str(), kHexDigits) == 8;
            break;
        case FieldNumber:
            ok = g.kind == Given::Integer && g.integer >= INT32_MIN && g.integer <= INT32_MAX;
            break;
        case FieldCount:
            ok = g.kind == Given::Integer && g.integer >= 0 && g.integer <= kMostChildren;
            break;
        default:
            break;
        }
        if (!ok) return Fail(Path(true), Expected(f));
        f.given[f.field] = g;
        return true;
    }

    bool TopValue(const Frame& f, const Given& g) {
        if (f.field == 0 && g.kind == Given::Integer && g.integer >= 0 && g.integer <= 0xFFFFFFFFll) {
            doc_->Key = static_cast<uint32_t>(g.integer);
        } else if (!(f.field == 1 && g.kind == Given::Text && ReadHexExactly(g.text, kHeaderSize, doc_->HeaderBytes))) {
            return Fail(Path(true), Expected(f));
        }
        return true;
    }

    // The chunk's record from its fields, each judged by its type.
    // The path is made only for a problem: made for every chunk, it would
    // cost the depth of the chunk each time, and a deep chain its square.
    bool FinishChunk(Frame& f) {
        auto given = [&](ChunkField field) { return (f.seen & (1u << field)) != 0; };
        auto misplaced = [&](ChunkField field, const char* why) {
            return Fail(Path(false) + "." + kChunkFields[field], why);
        };
        if (!given(FieldType)) return Fail(Path(false), "missing \"type\"");
        ChunkRecord& r = doc_->Chunks[f.record];
        r.Type = static_cast<uint32_t>(f.given[FieldType].integer);
        if (!IsNodeType(r.Type)) {
            for (ChunkField field : {FieldNumber, FieldCount, FieldChildren})
                if (given(field)) return misplaced(field, "only a node has it");
        } else if (given(FieldValue) || given(FieldBits)) {
            return misplaced(given(FieldValue) ? FieldValue : FieldBits, "a node has no value");
        }
        if (r.Type != 1 && given(FieldBits)) return misplaced(FieldBits, "only a Float has bits");
        if (IsNodeType(r.Type)) return FinishNode(f, r);
        if (r.Type == kTypeFloat && given(FieldBits)) {
            if (given(FieldValue)) return misplaced(FieldBits, "\"value\" is given already");
            WriteU32(r.Value, static_cast<uint32_t>(std::strtoul(f.given[FieldBits].text.c_str(), nullptr, 16)));
            return true;
        }
        if (!given(FieldValue)) return Fail(Path(false), "missing \"value\"");
        const Given& v = f.given[FieldValue];
        auto at = [&] { return Path(false) + ".value"; };
        if (r.Type == kTypeInteger) {
            if (v.kind != Given::Integer || v.integer < INT32_MIN || v.integer > INT32_MAX) return Fail(at(), kInteger);
            WriteU32(r.Value, static_cast<uint32_t>(static_cast<int32_t>(v.integer)));
        } else if (r.Type == kTypeFloat) {
            if (v.kind != Given::Integer && v.kind != Given::Real) return Fail(at(), "expected a number");
            float value = static_cast<float>(v.kind == Given::Real ? v.real : static_cast<double>(v.integer));
            if (!std::isfinite(value)) return Fail(at(), "expected a number within a 32-bit float's range");
            std::memcpy(r.Value, &value, 4);
        } else if (IsScalarType(r.Type)) {
            if (v.kind != Given::Text || !ReadHexExactly(v.text, 4, r.Value))
                return Fail(at(), "expected four hex bytes (such as DE AD BE EF)");
        } else {
            return FinishText(f, v);
        }
        return true;
    }

    bool FinishNode(const Frame& f, ChunkRecord& r) {
        if (!(f.seen & (1u << FieldNumber))) return Fail(Path(false), "missing \"number\"");
        bool counted = (f.seen & (1u << FieldCount)) != 0;
        if (!counted && f.children > kMostChildren)
            return Fail(Path(false) + ".children", "a node holds at most 65535 chunks");
        // The table would give the children past the count to the node's
        // parent: a tree other than the one written.
        if (counted && f.given[FieldCount].integer < f.children)
            return Fail(Path(false) + ".count",
                        "smaller than the number of children listed (" + std::to_string(f.children) + ")");
        WriteU16(r.Value, static_cast<uint16_t>(counted ? f.given[FieldCount].integer : f.children));
        WriteU32(r.Value + 2, static_cast<uint32_t>(static_cast<int32_t>(f.given[FieldNumber].integer)));
        return true;
    }

    // A text value, stored as it came or now.
    bool FinishText(const Frame& f, const Given& v) {
        auto at = [&] { return Path(false) + ".value"; };
        if (v.kind != Given::Text) return Fail(at(), "expected a string");
        TextStored stored = f.stored == TextNotYet ? StoreText(f.record, v.text) : f.stored;
        if (stored == TextBeyondByte) return Fail(at(), "holds a character beyond U+00FF, which no byte stands for");
        if (stored == TextNoMemory) return Fail(at(), "no memory for the text");
        return true;
    }

    // UTF-8 back to bytes, each character the byte of its number, straight
    // into the pool as the record's payload.
    TextStored StoreText(int32_t record, const std::string& text) {
        if (text.size() > static_cast<size_t>(INT32_MAX) ||
            EnsureRoom(doc_, static_cast<int32_t>(text.size()), kUsualReserve) != 0)
            return TextNoMemory;
        uint8_t* out = doc_->Pool + doc_->PoolUsed;
        int32_t n = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            uint8_t c = static_cast<uint8_t>(text[i]);
            if (c < 0x80) {
                out[n++] = c;
            } else if (c < 0xC4 && i + 1 < text.size()) {  // U+0080-U+00FF
                out[n++] = static_cast<uint8_t>((c & 0x1F) << 6 | (text[++i] & 0x3F));
            } else {
                return TextBeyondByte;
            }
        }
        ChunkRecord& r = doc_->Chunks[record];
        if (n > 0) r.PoolOffset = static_cast<uint32_t>(doc_->PoolUsed);
        r.Length = n;
        doc_->PoolUsed += n;
        return TextInPool;
    }

    Document* doc_;
    std::string* error_;
    std::vector<Frame> frames_;
    size_t depth_ = 0;  // frames_[0, depth_) are open
    Given text_;        // a string kept for its field, reused
};

// The file's bytes for the parser, a block at a time, counted as they pass.
// The parser takes a zero byte for the end of its input; where it stopped at
// one, the place of that byte is known for the message.
struct Source {
    std::FILE* in;
    std::vector<char> block = std::vector<char>(size_t{1} << 16);
    size_t at = 0;
    size_t end = 0;
    int current;
    int last = EOF;  // the byte the parser took last
    int64_t line = 1;
    int64_t column = 0;

    explicit Source(std::FILE* file) : in(file), current(Get()) {}
    int Get() {
        if (at == end) {
            end = std::fread(block.data(), 1, block.size(), in);
            at = 0;
            if (end == 0) return EOF;
        }
        return static_cast<uint8_t>(block[at++]);
    }
    void Next() {
        last = current;
        if (current == '\n') {
            line += 1;
            column = 0;
        } else {
            column += 1;
        }
        current = Get();
    }
};

class SourceIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    explicit SourceIterator(Source* source) : source_(source) {}
    char operator*() const { return static_cast<char>(source_->current); }
    SourceIterator& operator++() {
        source_->Next();
        return *this;
    }
    // Only the end is ever compared with: a null source is the end.
    bool operator==(const SourceIterator& other) const { return AtEnd() == other.AtEnd(); }
    bool operator!=(const SourceIterator& other) const { return !(*this == other); }

private:
    bool AtEnd() const { return !source_ || source_->current == EOF; }
    Source* source_;
};

}  // namespace

bool ImportJson(Document* doc, std::FILE* in, std::string* error) {
    error->clear();
    Reader reader(doc, error);
    Source source(in);
    bool parsed = Json::sax_parse(SourceIterator(&source), SourceIterator(nullptr), &reader);
    if (parsed && error->empty() && source.last == 0) {
        // The parser took the zero byte (the last it read) for the end.
        *error = "document: parse error at line " + std::to_string(source.line) + ", column " +
                 std::to_string(source.column) +
                 ": syntax error while parsing value - a zero byte after the document; "
                 "expected end of input";
    }
    return parsed && error->empty();
}
