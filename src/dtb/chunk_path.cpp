#include "chunk_path.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "chunk_types.h"
#include "document.h"
#include "text_convert.h"
#include "tree_edit.h"

namespace {

bool IsDigits(const char* text, size_t length) {
    if (length == 0) return false;
    for (size_t k = 0; k < length; ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    return true;
}

bool NeedsBackslash(uint8_t c) { return c == '\\' || c == '/' || c == '[' || c == ']'; }
bool IsControl(uint8_t c) { return c < 0x20 || c == 0x7F; }

// Writes bytes at offsets [at, at + n) of a path whose first limit bytes
// fit out; the rest is dropped, as snprintf drops what does not fit.
struct ClippedOut {
    char* out;
    size_t limit;
    void Put(size_t at, const char* bytes, size_t n) const {
        for (size_t k = 0; k < n && at + k < limit; ++k) out[at + k] = bytes[k];
    }
};

// The text of one step: its length, and written at offset at when out is set.
size_t WriteStep(const Document* doc, const PathIndex* index, int32_t item, const ClippedOut* out, size_t at) {
    const TreeItem& t = index->Shape.Items[item];
    PayloadView name = NodeNameOf(doc, t.Chunk);
    char number[16];
    size_t n = 0;
    if (name.Length == 0 || index->Shared[item]) {
        int written = std::snprintf(number, sizeof number, name.Length ? "[%d]" : "%d", index->Position[item]);
        n = static_cast<size_t>(written);
    }
    size_t length = 0;
    if (name.Length != 0) {
        if (IsDigits(name.Text, name.Length) || name.Text[0] == '#') {
            if (out) out->Put(at + length, "\\", 1);
            length += 1;
        }
        for (size_t k = 0; k < name.Length; ++k) {
            uint8_t c = static_cast<uint8_t>(name.Text[k]);
            char escaped[5];
            size_t size = 1;
            if (IsControl(c)) {
                std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                size = 4;
            } else if (NeedsBackslash(c)) {
                escaped[0] = '\\';
                escaped[1] = static_cast<char>(c);
                size = 2;
            } else {
                escaped[0] = static_cast<char>(c);
            }
            if (out) out->Put(at + length, escaped, size);
            length += size;
        }
    }
    if (out) out->Put(at + length, number, n);
    return length + n;
}

// One step of a typed path, read: a position, a name, or both.
struct Step {
    std::string name;
    bool named = false;
    int32_t position = -1;
};

// Reads the step that starts at *p, up to an unescaped '/' or the end, and
// leaves *p there. False with why set when the step is malformed. A node
// holds at most kMostChildren children; the top level has no such bound.
bool ReadStep(const char** p, bool topLevel, Step* step, std::string* why) {
    const char* s = *p;
    const char* end = s;
    while (*end && *end != '/') end += (*end == '\\' && end[1]) ? 2 : 1;
    *p = end;
    if (s == end) {
        *why = "A path has no empty steps: it is names and positions joined by single '/'.";
        return false;
    }
    if (IsDigits(s, static_cast<size_t>(end - s))) {
        long long value = end - s > 10 ? LLONG_MAX : std::strtoll(s, nullptr, 10);
        if (value > (topLevel ? INT32_MAX : kMostChildren)) {
            *why = "The position " + std::string(s, end) + " is past any chunk's.";
            return false;
        }
        step->position = static_cast<int32_t>(value);
        return true;
    }
    step->named = true;
    for (const char* c = s; c < end; ++c) {
        if (*c == '[') {
            const char* digits = c + 1;
            const char* close = digits;
            while (close < end && *close >= '0' && *close <= '9') ++close;
            if (close + 1 != end || *close != ']' || close == digits || close - digits > 9) {
                *why = "In \"" + std::string(s, end) +
                       "\", '[' must be followed by a position and ']' at the end of the step (write \\[ for a '[' in "
                       "a name).";
                return false;
            }
            step->position = static_cast<int32_t>(std::strtol(digits, nullptr, 10));
            return true;
        }
        if (*c != '\\') {
            step->name += *c;
            continue;
        }
        ++c;
        if (c == end) {
            *why = "The path ends with a '\\' that escapes nothing.";
            return false;
        }
        if (*c == 'x') {
            if (end - c < 3 || !std::isxdigit(static_cast<unsigned char>(c[1])) ||
                !std::isxdigit(static_cast<unsigned char>(c[2]))) {
                *why = "\\x in a path must be followed by two hex digits.";
                return false;
            }
            step->name += static_cast<char>(HexDigitValue(c[1]) * 16 + HexDigitValue(c[2]));
            c += 2;
        } else {
            step->name += *c;
        }
    }
    return true;
}

// Orders named items by parent, then name, then position (items of one
// parent ascend as their positions do).
struct NameOrder {
    const Document* doc;
    const TreeItem* items;
    int Compare(int32_t parentItem, PayloadView name, int32_t item) const {
        if (parentItem != items[item].ParentItem) return parentItem < items[item].ParentItem ? -1 : 1;
        PayloadView other = NodeNameOf(doc, items[item].Chunk);
        int order = std::memcmp(name.Text, other.Text, std::min(name.Length, other.Length));
        if (order != 0) return order;
        return name.Length == other.Length ? 0 : name.Length < other.Length ? -1 : 1;
    }
    bool operator()(int32_t a, int32_t b) const {
        int order = Compare(items[a].ParentItem, NodeNameOf(doc, items[a].Chunk), b);
        return order != 0 ? order < 0 : a < b;
    }
};

// The child of parentItem (-1: the top level) that step names, or -1 with
// why. The path up to the step, [path, upTo), is copied into a refusal only:
// copied at each step, it would cost a deep path its depth squared.
int32_t ChildForStep(const Document* doc, const PathIndex* index, int32_t parentItem, const Step& step,
                     const char* path, const char* upTo, std::string* why) {
    const int32_t first = index->SiblingsAt[parentItem + 1];
    const int32_t count = index->SiblingsAt[parentItem + 2] - first;
    int32_t found = -1;
    if (!step.named) {
        found = step.position < count ? index->Siblings[first + step.position] : -1;
    } else {
        const NameOrder order = {doc, index->Shape.Items.data()};
        const PayloadView name = {step.name.data(), step.name.size()};
        const auto end = index->Named.end();
        auto at = std::lower_bound(index->Named.begin(), end, 0,
                                   [&](int32_t item, int) { return order.Compare(parentItem, name, item) > 0; });
        for (; at != end && order.Compare(parentItem, name, *at) == 0; ++at) {
            if (step.position != -1 && index->Position[*at] != step.position) continue;
            if (found != -1) {
                *why = "Several nodes at \"" + std::string(path, upTo) + "\" are named \"" + step.name +
                       "\": add the position of the one meant, as in name[position].";
                return -1;
            }
            found = *at;
        }
    }
    if (found == -1) *why = "There is no chunk at \"" + std::string(path, upTo) + "\".";
    return found;
}

// Everything but the shape, which is built already.
void FillPathIndex(const Document* doc, PathIndex* index) {
    const int32_t count = index->Shape.ItemCount();
    const TreeItem* items = index->Shape.Items.data();
    const size_t slots = static_cast<size_t>(count) + 2;
    index->Position.assign(slots, 0);
    index->Shared.assign(slots, false);
    index->Siblings.assign(slots, 0);
    index->SiblingsAt.assign(slots, 0);
    index->Named.clear();
    // Every item is some parent's child, so the parents' runs fill Siblings.
    for (int32_t i = -1; i < count; ++i) {  // -1: the top level
        int32_t at = index->SiblingsAt[i + 1];
        int32_t k = 0;
        for (int32_t child = i == -1 ? (count ? 0 : -1) : items[i].FirstChild; child != -1;
             child = items[child].NextSibling, ++k) {
            index->Position[child] = k;
            index->Siblings[at + k] = child;
        }
        index->SiblingsAt[i + 2] = at + k;
    }
    for (int32_t i = 0; i < count; ++i)
        if (NodeNameOf(doc, items[i].Chunk).Length) index->Named.push_back(i);
    const NameOrder order = {doc, items};
    std::vector<int32_t>& named = index->Named;
    std::sort(named.begin(), named.end(), order);
    for (size_t k = 1; k < named.size(); ++k) {
        if (order.Compare(items[named[k - 1]].ParentItem, NodeNameOf(doc, items[named[k - 1]].Chunk), named[k]) == 0)
            index->Shared[named[k - 1]] = index->Shared[named[k]] = true;
    }
}

int32_t Refuse(const std::string& reason, char* why, size_t whySize) {
    std::snprintf(why, whySize, "%s", reason.c_str());
    return -1;
}

}  // namespace

int32_t BuildPathIndex(const Document* doc, PathIndex* index) {
    if (BuildTreeShape(doc, true, &index->Shape) != 0) return -1;
    try {
        FillPathIndex(doc, index);
        return 0;
    } catch (const std::bad_alloc&) {
        FreePathIndex(index);
        ReportOutOfMemory(doc);
        return -1;
    }
}

void FreePathIndex(PathIndex* index) { *index = PathIndex(); }

int32_t FormatChunkPath(const Document* doc, const PathIndex* index, int32_t chunk, char* out, size_t outSize) {
    out[0] = '\0';
    int32_t item = ItemOfChunk(&index->Shape, chunk);
    if (item == -1) return -1;
    const TreeItem* items = index->Shape.Items.data();
    size_t total = 0;
    for (int32_t i = item; i != -1; i = items[i].ParentItem)
        total += WriteStep(doc, index, i, nullptr, 0) + (items[i].ParentItem != -1 ? 1 : 0);
    // Steps go in from the deepest, each ending where the one below starts.
    ClippedOut clipped = {out, outSize - 1};
    size_t end = total;
    for (int32_t i = item; i != -1; i = items[i].ParentItem) {
        size_t start = end - WriteStep(doc, index, i, nullptr, 0);
        WriteStep(doc, index, i, &clipped, start);
        if (items[i].ParentItem != -1) clipped.Put(start - 1, "/", 1);
        end = start - 1;
    }
    out[std::min(total, outSize - 1)] = '\0';
    return total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total);
}

int32_t FindChunkByPath(const Document* doc, const PathIndex* index, const char* path, char* why, size_t whySize) {
    if (!*path) return Refuse("The path is empty.", why, whySize);
    if (path[0] == '#' && IsDigits(path + 1, std::strlen(path + 1))) {
        long long number = std::strtoll(path + 1, nullptr, 10);  // held at its limit past it, past any table
        if (number < doc->ChunkCount) return static_cast<int32_t>(number);
        std::snprintf(why, whySize, "There is no chunk %s: the file has %d %s.", path, doc->ChunkCount,
                      doc->ChunkCount == 1 ? "chunk" : "chunks");
        return -1;
    }
    try {
        std::string reason;
        int32_t item = -1;
        for (const char* p = path;;) {
            Step step;
            if (item != -1 && !IsNodeType(doc->Chunks[index->Shape.Items[item].Chunk].Type))
                return Refuse("\"" + std::string(path, p - 1) + "\" is not a node: nothing is under it.", why, whySize);
            if (!ReadStep(&p, item == -1, &step, &reason)) return Refuse(reason, why, whySize);
            item = ChildForStep(doc, index, item, step, path, p, &reason);
            if (item == -1) return Refuse(reason, why, whySize);
            if (!*p) return index->Shape.Items[item].Chunk;
            ++p;
        }
    } catch (const std::bad_alloc&) {
        return Refuse(kOutOfMemory, why, whySize);
    }
}
