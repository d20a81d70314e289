// The detail pane: the Length box and the Data box, where one chunk's value
// is shown and edited. Texts are sized to the value, never cut, so a long
// payload survives a round trip through the pane whole.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/editor.h"
#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "report.h"
#include "text_convert.h"
#include "tree_shape.h"
#include "views.h"

namespace {

HWND DataBox(EditorState* state) { return ControlOf(state, IDC_DATA_BOX); }

// The payload up to its first zero byte, every line feed as CR LF, as the
// multi-line box wants it. nullptr when memory runs out.
char* PayloadText(const EditorState* state, const ChunkRecord& r) {
    const uint8_t* payload = state->Pool + r.PoolOffset;
    const void* zero = std::memchr(payload, 0, static_cast<size_t>(r.Length));
    size_t length = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - payload) : static_cast<size_t>(r.Length);
    size_t feeds = 0;
    for (size_t i = 0; i < length; ++i) feeds += payload[i] == '\n';
    char* text = static_cast<char*>(std::malloc(length + feeds + 1));
    if (!text) return nullptr;
    char* out = text;
    for (size_t i = 0; i < length; ++i) {
        if (payload[i] == '\n') *out++ = '\r';
        *out++ = static_cast<char>(payload[i]);
    }
    *out = '\0';
    return text;
}

// The whole text of the Data box, or nullptr when memory runs out.
char* DataBoxText(EditorState* state, size_t* length) {
    HWND box = DataBox(state);
    *length = static_cast<size_t>(SendMessageA(box, WM_GETTEXTLENGTH, 0, 0));
    char* text = static_cast<char*>(std::malloc(*length + 1));
    if (!text) return nullptr;
    *length = static_cast<size_t>(SendMessageA(box, WM_GETTEXT, *length + 1, reinterpret_cast<LPARAM>(text)));
    text[*length] = '\0';
    return text;
}

// Writes the Data box into chunk when the user changed it. A text that was
// only shown is never read back: a float with more than six decimals, or a
// payload with carriage returns or a zero byte, would not survive it.
// True when the chunk changed.
bool WriteDetailIntoChunk(EditorState* state, int32_t chunk) {
    if (chunk < 0 || chunk >= state->ChunkCount) return false;
    if (!SendMessageA(DataBox(state), EM_GETMODIFY, 0, 0)) return false;
    uint32_t type = state->Chunks[chunk].Type;
    ChunkShape shape = ShapeOfType(type);
    if (shape == ShapeUnknown) return false;
    size_t length = 0;
    char* text = DataBoxText(state, &length);
    if (!text) {
        Report(state, ReportError, "Could not allocate memory.");
        return false;
    }
    bool written = true;
    ChunkRecord& r = state->Chunks[chunk];
    if (type == 0) {
        WriteU32(r.Value, static_cast<uint32_t>(ReadIntegerText(text)));
    } else if (type == 1) {
        WriteU32(r.Value, ReadFloatTextBits(text));
    } else if (shape == ShapeScalar) {
        ParseHexBytes(text, 4, r.Value);
    } else if (shape == ShapeNode) {
        ParseHexBytes(text, 6, r.Value);
    } else {
        size_t n = 0;
        for (size_t i = 0; i < length; ++i)
            if (text[i] != '\r') text[n++] = text[i];
        written = n <= INT32_MAX && ReplacePayload(state, chunk, reinterpret_cast<uint8_t*>(text), static_cast<int32_t>(n)) == 0;
    }
    std::free(text);
    // The box now says what the chunk holds; only a new edit is written again.
    if (written) SendMessageA(DataBox(state), EM_SETMODIFY, FALSE, 0);
    return written;
}

}  // namespace

int32_t ShowChunkDetail(EditorState* state, int32_t line) {
    int32_t chunk;
    if (state->ShowAsTree == 1) {
        chunk = SelectedTreeChunk(state);
        if (chunk < 0) return -1;
    } else {
        chunk = ListLineToChunkIndex(state, line);
    }
    ShowChunkInPane(state, chunk);
    return 0;
}

void ShowChunkInPane(EditorState* state, int32_t chunk) {
    if (chunk < 0 || chunk >= state->ChunkCount) return;
    const ChunkRecord& r = state->Chunks[chunk];
    ChunkShape shape = ShapeOfType(r.Type);
    if (shape == ShapeUnknown) return;  // both boxes keep what they show
    char length[16] = "4";
    char value[64];
    char* text = value;
    if (r.Type == 0) {
        std::snprintf(value, sizeof value, "%d", static_cast<int32_t>(ReadU32(r.Value)));
    } else if (r.Type == 1) {
        float f;
        std::memcpy(&f, r.Value, sizeof f);
        std::snprintf(value, sizeof value, "%f", static_cast<double>(f));
    } else if (shape == ShapeScalar) {
        FormatHexBytes(r.Value, 4, value);
    } else if (shape == ShapeNode) {
        std::strcpy(length, "6");
        FormatHexBytes(r.Value, 6, value);
    } else {
        std::snprintf(length, sizeof length, "%d", r.Length);
        text = PayloadText(state, r);
        if (!text) {
            Report(state, ReportError, "Could not allocate memory.");
            return;
        }
    }
    SetControlText(state, IDC_LENGTH_BOX, length);
    SendMessageA(DataBox(state), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(DataBox(state), EM_SETMODIFY, FALSE, 0);
    if (text != value) std::free(text);
}

int32_t ApplyDetailToListLine(EditorState* state, int32_t line) {
    int32_t chunk = ListLineToChunkIndex(state, line);
    // The line's text is made from the chunk, so the line keeps its place
    // and its selection and is only drawn again.
    if (WriteDetailIntoChunk(state, chunk)) RedrawChunkListLine(state, line);
    return 0;
}

int32_t ApplyDetailToTreeItem(EditorState* state) {
    HWND tree = ControlOf(state, IDC_CHUNK_TREE);
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!selected) return 0;
    return ApplyDetailToTreeItemOf(state, selected, SelectedTreeChunk(state));
}

int32_t ApplyDetailToTreeItemOf(EditorState* state, HTREEITEM item, int32_t chunk) {
    if (!item || !WriteDetailIntoChunk(state, chunk)) return 0;
    char text[kTextSize];
    FormatTreeItemText(state, chunk, text, sizeof text);
    TVITEMA update = {};
    update.mask = TVIF_HANDLE | TVIF_TEXT;
    update.hItem = item;
    update.pszText = text;
    update.cchTextMax = kTextSize;
    SendMessageA(ControlOf(state, IDC_CHUNK_TREE), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
    return 0;
}

void ClearDetailPane(EditorState* state) {
    SendMessageA(DataBox(state), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    SetControlText(state, IDC_LENGTH_BOX, "");
    SendMessageA(DataBox(state), EM_SETMODIFY, FALSE, 0);
}
