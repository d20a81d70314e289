#include "json_scan.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using Sax = nlohmann::json_sax<nlohmann::json>;

const size_t kBlock = 1 << 16;
const int kEnd = -1;

inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// One pass over the input. Every reading step returns false where it is
// unsure; an event the handler refuses sets stopped_.
class Scanner {
public:
    Scanner(JsonInput* input, Sax* sax) : in_(*input), sax_(sax) {}
    ScanOutcome Run();

private:
    int Peek() { return in_.pos < in_.end || More() ? static_cast<uint8_t>(in_.bytes[in_.pos]) : kEnd; }
    int SkipSpace() {
        int c = Peek();
        while (c == ' ' || c == '\n' || c == '\r' || c == '\t') ++in_.pos, c = Peek();
        return c;
    }
    bool More();
    bool String(std::string* out);
    bool Escape(std::string* out);
    bool Number();
    bool Word(const char* word);
    bool Value(int c);
    bool Key();
    bool Closed(int c, bool* more);

    JsonInput& in_;
    Sax* sax_;
    std::string text_, number_;  // reused: a string's bytes are copied once
    std::vector<bool> open_;     // the containers open, true for an object
    bool stopped_ = false;
};

// Another block of the file; false at its end. A rewindable file's bytes
// before the one being read are dropped first.
bool Scanner::More() {
    if (in_.ended) return false;
    if (in_.rewindable && in_.pos > 0) {
        std::memmove(in_.bytes.data(), in_.bytes.data() + in_.pos, in_.end - in_.pos);
        in_.end -= in_.pos, in_.pos = 0;
    }
    if (in_.bytes.size() - in_.end < kBlock) in_.bytes.resize(in_.end + (in_.end > kBlock ? in_.end : kBlock));
    size_t got = std::fread(in_.bytes.data() + in_.end, 1, in_.bytes.size() - in_.end, in_.in);
    in_.end += got;
    in_.ended = got == 0;
    return got > 0;
}

// A string's characters after its opening quote, up to its closing one:
// runs of plain bytes at once, escapes and two-byte UTF-8 characters one by one.
bool Scanner::String(std::string* out) {
    out->clear();
    for (;;) {
        const char* bytes = in_.bytes.data();
        size_t run = in_.pos;
        while (run < in_.end) {
            uint8_t c = static_cast<uint8_t>(bytes[run]);
            if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) break;
            ++run;
        }
        out->append(bytes + in_.pos, run - in_.pos);
        in_.pos = run;
        int c = Peek();  // a new block may start with plain bytes
        if (c != '"' && c != '\\' && c >= 0x20 && c < 0x80) continue;
        if (c == kEnd || c < 0x20) return false;
        ++in_.pos;
        if (c == '"') return true;
        if (c == '\\') {
            if (!Escape(out)) return false;
            continue;
        }
        int next = c >= 0xC2 && c <= 0xDF ? Peek() : kEnd;  // what follows a two-byte character's lead
        if (next == kEnd || (next & 0xC0) != 0x80) return false;
        ++in_.pos;
        out->push_back(static_cast<char>(c)), out->push_back(static_cast<char>(next));
    }
}

bool Scanner::Escape(std::string* out) {
    int c = Peek();
    ++in_.pos;
    switch (c) {
    case '"':
    case '\\':
    case '/':
        return out->push_back(static_cast<char>(c)), true;
    case 'b':
        return out->push_back('\b'), true;
    case 'f':
        return out->push_back('\f'), true;
    case 'n':
        return out->push_back('\n'), true;
    case 'r':
        return out->push_back('\r'), true;
    case 't':
        return out->push_back('\t'), true;
    case 'u':
        break;
    default:
        return false;
    }
    unsigned code = 0;
    for (int i = 0; i < 4; ++i, ++in_.pos) {
        int h = Peek();
        int digit = IsDigit(h) ? h - '0' : (h | 0x20) >= 'a' && (h | 0x20) <= 'f' ? (h | 0x20) - 'a' + 10 : -1;
        if (digit < 0) return false;
        code = code * 16 + static_cast<unsigned>(digit);
    }
    if (code >= 0xD800 && code <= 0xDFFF) return false;  // halves of a pair: the library's to judge
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | code >> 6)), out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | code >> 12));
        out->push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return true;
}

// A number, to the event the library gives it: a whole number without a
// sign as unsigned, with one as signed, any other as a double by strtod,
// which is what the library reads it with.
bool Scanner::Number() {
    number_.clear();
    auto digits = [&] {
        size_t before = number_.size();
        for (int c = Peek(); IsDigit(c) && number_.size() < 64; c = Peek())
            number_.push_back(static_cast<char>(c)), ++in_.pos;
        return number_.size() > before;
    };
    if (Peek() == '-') number_.push_back('-'), ++in_.pos;
    bool leadingZero = Peek() == '0';
    if (!digits() || (leadingZero && number_.size() > 1 + (number_[0] == '-'))) return false;
    size_t whole = number_.size() - (number_[0] == '-');
    bool integral = true;
    if (Peek() == '.') {
        number_.push_back('.'), ++in_.pos, integral = false;
        if (!digits()) return false;
    }
    if (Peek() == 'e' || Peek() == 'E') {
        number_.push_back('e'), ++in_.pos, integral = false;
        if (Peek() == '+' || Peek() == '-') number_.push_back(static_cast<char>(Peek())), ++in_.pos;
        if (!digits()) return false;
    }
    if (number_.size() >= 64 || (integral && whole > 18)) return false;
    if (integral) {
        int64_t value = 0;
        for (char d : number_) value = d == '-' ? value : value * 10 + (d - '0');
        stopped_ =
            number_[0] == '-' ? !sax_->number_integer(-value) : !sax_->number_unsigned(static_cast<uint64_t>(value));
        return true;
    }
    double value = std::strtod(number_.c_str(), nullptr);
    if (!std::isfinite(value)) return false;
    stopped_ = !sax_->number_float(value, number_);
    return true;
}

bool Scanner::Word(const char* word) {
    for (; *word; ++word, ++in_.pos)
        if (Peek() != *word) return false;
    return true;
}

// The value that starts with byte c, or the opening of a container.
bool Scanner::Value(int c) {
    switch (c) {
    case '{':
    case '[': {
        ++in_.pos;
        bool object = c == '{';
        if (!(object ? sax_->start_object(static_cast<size_t>(-1)) : sax_->start_array(static_cast<size_t>(-1))))
            return stopped_ = true;
        if (SkipSpace() == (object ? '}' : ']')) {
            ++in_.pos;
            stopped_ = !(object ? sax_->end_object() : sax_->end_array());
            return true;
        }
        open_.push_back(object);
        return !object || Key();
    }
    case '"':
        ++in_.pos;
        if (!String(&text_)) return false;
        stopped_ = !sax_->string(text_);
        return true;
    case 't':
    case 'f':
        if (!Word(c == 't' ? "true" : "false")) return false;
        stopped_ = !sax_->boolean(c == 't');
        return true;
    case 'n':
        if (!Word("null")) return false;
        stopped_ = !sax_->null();
        return true;
    default:
        return (c == '-' || IsDigit(c)) && Number();
    }
}

// A key and its colon.
bool Scanner::Key() {
    if (SkipSpace() != '"') return false;
    ++in_.pos;
    if (!String(&text_)) return false;
    if (!sax_->key(text_)) return stopped_ = true;
    if (SkipSpace() != ':') return false;
    ++in_.pos;
    return true;
}

// After a value: the containers that close with byte c and those after it;
// *more when a value follows.
bool Scanner::Closed(int c, bool* more) {
    *more = false;
    while (!open_.empty()) {
        bool object = open_.back();
        if (c == ',') {
            ++in_.pos;
            *more = true;
            return !object || Key();
        }
        if (c != (object ? '}' : ']')) return false;
        ++in_.pos;
        open_.pop_back();
        if (!(object ? sax_->end_object() : sax_->end_array())) return stopped_ = true;
        c = SkipSpace();
    }
    return c == kEnd;  // nothing but white space after the document
}

ScanOutcome Scanner::Run() {
    int c = SkipSpace();
    for (;;) {
        size_t depth = open_.size();
        if (!Value(c) || stopped_) break;
        if (open_.size() == depth) {  // a whole value: what it closes, up to the next value
            bool more = false;
            if (!Closed(SkipSpace(), &more) || stopped_) break;
            if (!more) return ScanRead;
        }
        c = SkipSpace();
    }
    return stopped_ ? ScanStopped : ScanUnsure;
}

}  // namespace

JsonInput::JsonInput(std::FILE* file) : in(file) {
    start = std::ftell(file);
    rewindable = start >= 0 && std::fseek(file, start, SEEK_SET) == 0;
}

ScanOutcome ScanJson(JsonInput* input, nlohmann::json_sax<nlohmann::json>* handler) {
    return Scanner(input, handler).Run();
}
