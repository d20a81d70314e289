#include "tool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display_text.h"
#include "dtb_file.h"
#include "file_layer.h"

namespace {

void ToStderr(void*, const char* text, ReportKind) { std::fprintf(stderr, "%s\n", text); }

// A list line is label, tab, value, tab, index: only the value can hold
// control bytes, and the two tabs around it must stay tabs.
void PrintListLine(const char* line, size_t n) {
    const char* first = static_cast<const char*>(std::memchr(line, '\t', n));
    const char* last = line + n;
    while (last > line && last[-1] != '\t') --last;
    if (!first || last - 1 <= first) return (void)std::fwrite(line, 1, n, stdout);
    std::fwrite(line, 1, static_cast<size_t>(first + 1 - line), stdout);
    PrintEscaped(first + 1, static_cast<size_t>(last - 1 - (first + 1)));
    std::fwrite(last - 1, 1, static_cast<size_t>(line + n - (last - 1)), stdout);
}

}  // namespace

bool StartDocument(Document* doc, ReportHook report, void* context) {
    InitDocument(doc);
    doc->Reporter = report ? report : ToStderr;
    doc->ReporterContext = context;
    doc->History.KeepsNone = true;  // nothing here is undone: a change costs no memory for it
    return AllocateDocument(doc) == 0;
}

bool LoadFile(Document* doc, const char* path) {
    const FileLayer& files = FilesOf(doc);
    doc->FileHandle = FileOpenRead(path);
    if (doc->FileHandle == kNoFile) {
        ReportOpenFailed(doc, path, files.LastError(files.Context));
        return false;
    }
    int32_t result = ReadDocument(doc);
    files.Close(files.Context, doc->FileHandle);
    doc->FileHandle = kNoFile;
    return result == 0;
}

bool PrintWhole(const Document* doc, int32_t chunk, TextMaker make, TextPrinter print) {
    char text[kTextSize];
    int32_t length = make(doc, chunk, text, sizeof text);
    if (length < kTextSize) return print(text, static_cast<size_t>(length)), true;
    char* whole = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
    if (!whole) {
        ReportOutOfMemory(doc);
        return false;
    }
    make(doc, chunk, whole, static_cast<size_t>(length) + 1);
    print(whole, static_cast<size_t>(length));
    std::free(whole);
    return true;
}

bool PrintChunkLine(const Document* doc, int32_t chunk) {
    bool printed = PrintWhole(
        doc, chunk,
        [](const Document* d, int32_t c, char* out, size_t size) { return FormatListLine(d, c, out, size); },
        PrintListLine);
    if (printed) std::fputc('\n', stdout);
    return printed;
}

std::string WholeText(const std::function<int32_t(char* out, size_t outSize)>& make) {
    std::string text(kTextSize, '\0');
    int32_t n = make(&text[0], text.size());
    if (n < 0) return "";
    if (static_cast<size_t>(n) >= text.size()) {
        text.assign(static_cast<size_t>(n) + 1, '\0');
        make(&text[0], text.size());
    }
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string PathText(const Document* doc, const PathIndex* index, int32_t chunk) {
    return WholeText([&](char* out, size_t size) { return FormatChunkPath(doc, index, chunk, out, size); });
}

std::string EscapedText(const char* text, size_t n) {
    return WholeText([&](char* out, size_t size) { return EscapeControlBytes(text, n, out, size, true); });
}

void PrintEscaped(const char* text, size_t n) {
    std::string escaped = EscapedText(text, n);
    std::fwrite(escaped.data(), 1, escaped.size(), stdout);
}
