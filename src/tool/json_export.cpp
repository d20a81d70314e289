// dtbtool export: the document as JSON, one chunk a line, so that a change
// of one value is a change of one line.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chunk_types.h"
#include "json_form.h"
#include "text_convert.h"
#include "tree_shape.h"

namespace {

// Indentation stops growing here: a chain of a million levels stays a file
// of lines, not of blanks.
const int32_t kDeepestIndent = 40;

struct Writer {
    JsonEmitter emit;
    void* context;
    std::string buffer;
    bool failed;

    void Put(const char* text) { buffer += text; }
    void Put(const std::string& text) { buffer += text; }
    void Indent(int32_t depth) { buffer.append(static_cast<size_t>(2 * (2 + std::min(depth, kDeepestIndent))), ' '); }
    void Flush(size_t atLeast) {
        if (buffer.size() < atLeast || failed) return;
        failed = !emit(context, buffer.data(), buffer.size());
        buffer.clear();
    }
};

// The label without its "(0x..)".
std::string NameOfType(uint32_t type) {
    std::string label = LabelOfType(type);
    return label.substr(0, label.find('('));
}

// Each byte as the character of the same number, in UTF-8, escaped as JSON
// wants: quotes, backslashes and control characters.
void PutText(Writer& w, const uint8_t* bytes, size_t n) {
    w.buffer += '"';
    for (size_t i = 0; i < n; ++i) {
        uint8_t b = bytes[i];
        if (b == '"' || b == '\\') {
            w.buffer += '\\';
            w.buffer += static_cast<char>(b);
        } else if (b >= 0x80) {
            w.buffer += static_cast<char>(0xC0 | (b >> 6));
            w.buffer += static_cast<char>(0x80 | (b & 0x3F));
        } else if (b >= 0x20) {
            w.buffer += static_cast<char>(b);
        } else if (b == '\n') {
            w.buffer += "\\n";
        } else if (b == '\t') {
            w.buffer += "\\t";
        } else if (b == '\r') {
            w.buffer += "\\r";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", b);
            w.buffer += escaped;
        }
    }
    w.buffer += '"';
}

// The shortest decimal text that reads back as the same float, always with
// a point or an exponent so that a JSON reader takes it as a fraction (and
// -0.0 keeps its sign); false when none does (NaN, infinities).
bool FloatText(uint32_t bits, char* text, size_t size) {
    float value;
    std::memcpy(&value, &bits, 4);
    if (!std::isfinite(value)) return false;
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(text, size, "%.*g", digits, static_cast<double>(value));
        float back = static_cast<float>(std::strtod(text, nullptr));
        if (std::memcmp(&back, &bits, 4) != 0) continue;
        if (std::strchr(text, 'e') && std::fabs(value) < 1e15f && value == std::floor(value))
            std::snprintf(text, size, "%.1f", static_cast<double>(value));  // 100.0, not 1e+02
        if (!std::strpbrk(text, ".e")) std::strncat(text, ".0", size - std::strlen(text) - 1);
        return true;
    }
    return false;
}

void PutValue(Writer& w, const Document* doc, const ChunkRecord& r) {
    char text[40];
    switch (ShapeOfType(r.Type)) {
    case ShapeScalar:
        if (r.Type == kTypeInteger) {
            std::snprintf(text, sizeof text, "\"value\": %d", static_cast<int>(static_cast<int32_t>(ReadU32(r.Value))));
            w.Put(text);
        } else if (r.Type == kTypeFloat) {
            char number[32];
            if (FloatText(ReadU32(r.Value), number, sizeof number)) {
                w.Put("\"value\": ");
                w.Put(number);
            } else {
                std::snprintf(text, sizeof text, "\"bits\": \"%08X\"", static_cast<unsigned>(ReadU32(r.Value)));
                w.Put(text);
            }
        } else {
            FormatHexBytes(r.Value, 4, text);
            w.Put(std::string("\"value\": \"") + text + "\"");
        }
        break;
    case ShapePool:
        w.Put("\"value\": ");
        PutText(w, doc->Pool + r.PoolOffset, static_cast<size_t>(r.Length));
        break;
    case ShapeNode:
    case ShapeUnknown:
        break;
    }
}

// A node's head: its number, its count where the children do not say it,
// and the opening of its children.
void PutNode(Writer& w, const ChunkRecord& r, int32_t children) {
    char text[64];
    std::snprintf(text, sizeof text, "\"number\": %d, ", static_cast<int>(NodeNumberOf(r)));
    w.Put(text);
    if (ChildCountOf(r) != children) {
        std::snprintf(text, sizeof text, "\"count\": %u, ", static_cast<unsigned>(ChildCountOf(r)));
        w.Put(text);
    }
    w.Put(children ? "\"children\": [\n" : "\"children\": []}");
}

}  // namespace

bool ExportJson(const Document* doc, JsonEmitter emit, void* context) {
    TreeShape shape = {};
    if (BuildTreeShape(doc, true, &shape) != 0) return false;
    Writer w = {emit, context, std::string(), false};
    char head[64];
    FormatHexBytes(doc->HeaderBytes, kHeaderSize, head);
    w.Put("{\n  \"key\": " + std::to_string(doc->Key) + ",\n  \"header\": \"" + head + "\",\n  \"chunks\": [");
    w.Put(shape.ItemCount() ? "\n" : "]\n}\n");
    for (int32_t i = 0; i < shape.ItemCount() && !w.failed; ++i) {
        const TreeItem& item = shape.Items[i];
        const ChunkRecord& r = doc->Chunks[item.Chunk];
        w.Indent(item.Depth);
        std::snprintf(head, sizeof head, "{\"type\": %u, \"name\": \"", static_cast<unsigned>(r.Type));
        w.Put(head + NameOfType(r.Type) + "\", ");
        if (IsNodeType(r.Type)) {
            int32_t children = 0;
            for (int32_t c = item.FirstChild; c != -1; c = shape.Items[c].NextSibling) ++children;
            PutNode(w, r, children);
            if (children) continue;  // closed after its last child
        } else {
            PutValue(w, doc, r);
            w.Put("}");
        }
        // The item is complete: so is every parent whose last child it is.
        for (int32_t done = i;;) {
            const TreeItem& d = shape.Items[done];
            if (d.NextSibling != -1) {
                w.Put(",\n");
                break;
            }
            w.Put("\n");
            if (d.ParentItem == -1) {
                w.Put("  ]\n}\n");
                break;
            }
            done = d.ParentItem;
            w.Indent(shape.Items[done].Depth);
            w.Put("]}");
        }
        w.Flush(1 << 16);
    }
    w.Flush(0);
    FreeTreeShape(&shape);
    return !w.failed;
}
