// The detail pane: the Length box and the Data box, where one chunk's value
// is shown and edited. Texts are sized to the value, never cut, so a long
// payload survives a round trip through the pane whole. The pane belongs to
// one chunk or to none; what is typed there reaches that chunk only when it
// reads wholly as the chunk's form, and nothing is typed into a pane that
// belongs to no chunk.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/editor.h"
#include "chunk_types.h"
#include "document.h"
#include "report.h"
#include "text_convert.h"
#include "tree_edit.h"
#include "value_forms.h"
#include "views.h"

namespace {

int32_t g_paneChunk = -1;

HWND DataBox(EditorState* state) { return ControlOf(state, IDC_DATA_BOX); }

// The payload up to its first zero byte, every line feed as CR LF, as the
// multi-line box wants it. nullptr when memory runs out.
char* PayloadText(const EditorState* state, const ChunkRecord& r, size_t length) {
    const uint8_t* payload = state->Pool + r.PoolOffset;
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

void SetPaneText(EditorState* state, const char* length, const char* data, bool readOnly) {
    SetControlText(state, IDC_LENGTH_BOX, length);
    SendMessageA(DataBox(state), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(data));
    SendMessageA(DataBox(state), EM_SETMODIFY, FALSE, 0);
    SendMessageA(DataBox(state), EM_SETREADONLY, readOnly, 0);
}

enum Commit { Unchanged, Written, Refused };

Commit Refuse(EditorState* state, const char* why) {
    Report(state, ReportInformation, why);
    return Refused;
}

// Reads the Data box into value (n bytes) by the chunk's form.
Commit ReadValue(EditorState* state, const ChunkRecord& r, const char* text, uint8_t* value) {
    if (IsScalarType(r.Type))
        return ReadScalarText(r.Type, text, value) ? Written : Refuse(state, ValueFormOfType(r.Type, true));
    if (!ReadHexBytesText(text, 6, value)) return Refuse(state, ValueFormOfType(r.Type, true));
    return std::memcmp(value, r.Value, 2) == 0 ? Written : Refuse(state, kChildCountIsKept);
}

// Writes the Data box into chunk when the user changed it. A text that was
// only shown is never read back: a float with more than six decimals would
// not survive it.
Commit WriteDetailIntoChunk(EditorState* state, int32_t chunk) {
    if (chunk < 0 || chunk >= state->ChunkCount) return Unchanged;
    if (!SendMessageA(DataBox(state), EM_GETMODIFY, 0, 0)) return Unchanged;
    ChunkShape shape = ShapeOfType(state->Chunks[chunk].Type);
    if (shape == ShapeUnknown) return Unchanged;
    size_t length = 0;
    char* text = DataBoxText(state, &length);
    if (!text) {
        Report(state, ReportError, "Could not allocate memory.");
        return Refused;
    }
    Commit result = Unchanged;
    ChunkRecord& r = state->Chunks[chunk];
    if (shape != ShapePool) {
        uint8_t value[6];
        std::memcpy(value, r.Value, sizeof value);
        result = ReadValue(state, r, text, value);
        if (result == Written && std::memcmp(value, r.Value, sizeof value) == 0) result = Unchanged;
        if (result == Written) std::memcpy(r.Value, value, sizeof value);
    } else {
        size_t n = 0;
        for (size_t i = 0; i < length; ++i)
            if (text[i] != '\r') text[n++] = text[i];
        if (n == static_cast<size_t>(r.Length) && std::memcmp(text, state->Pool + r.PoolOffset, n) == 0) {
            result = Unchanged;
        } else if (n > INT32_MAX || ReplacePayload(state, chunk, reinterpret_cast<uint8_t*>(text), static_cast<int32_t>(n)) != 0) {
            result = Refused;  // its message has been shown
        } else {
            result = Written;
        }
    }
    std::free(text);
    if (result == Written) state->Modified = true;
    // The box now says what the chunk holds; only a new edit is written again.
    if (result != Refused) SendMessageA(DataBox(state), EM_SETMODIFY, FALSE, 0);
    return result;
}

}  // namespace

int32_t PaneChunk() { return g_paneChunk; }

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
    if (chunk < 0 || chunk >= state->ChunkCount || ShapeOfType(state->Chunks[chunk].Type) == ShapeUnknown) {
        ClearDetailPane(state);
        return;
    }
    g_paneChunk = chunk;
    const ChunkRecord& r = state->Chunks[chunk];
    ChunkShape shape = ShapeOfType(r.Type);
    char length[64] = "4";
    char value[64];
    if (r.Type == 0) {
        std::snprintf(value, sizeof value, "%d", static_cast<int32_t>(ReadU32(r.Value)));
    } else if (r.Type == 1) {
        float f;
        std::memcpy(&f, r.Value, sizeof f);
        std::snprintf(value, sizeof value, "%f", static_cast<double>(f));
    } else if (shape != ShapePool) {
        if (shape == ShapeNode) std::strcpy(length, "6");
        FormatHexBytes(r.Value, shape == ShapeNode ? 6 : 4, value);
    }
    if (shape != ShapePool) {
        SetPaneText(state, length, value, false);
        return;
    }
    // A payload the box cannot carry back whole (a zero byte ends the text a
    // box holds; carriage returns are taken out of what is typed) is shown,
    // but cannot be edited: writing it back would drop bytes the user never saw.
    const uint8_t* payload = state->Pool + r.PoolOffset;
    size_t size = static_cast<size_t>(r.Length);
    const void* zero = std::memchr(payload, 0, size);
    bool returns = std::memchr(payload, '\r', size) != nullptr;
    size_t shown = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - payload) : size;
    if (zero) {
        std::snprintf(length, sizeof length, "%d - shown to its first zero byte, read-only", r.Length);
    } else if (returns) {
        std::snprintf(length, sizeof length, "%d - holds carriage returns, read-only", r.Length);
    } else {
        std::snprintf(length, sizeof length, "%d", r.Length);
    }
    char* text = PayloadText(state, r, shown);
    if (!text) {
        Report(state, ReportError, "Could not allocate memory.");
        ClearDetailPane(state);
        return;
    }
    SetPaneText(state, length, text, zero || returns);
    std::free(text);
}

bool ApplyDetailEdit(EditorState* state) {
    int32_t chunk = g_paneChunk;
    Commit result = WriteDetailIntoChunk(state, chunk);
    if (result == Refused) return false;
    if (result == Written) {
        // The line or the item shows the chunk afresh, and the pane what was stored.
        if (state->ShowAsTree == 1) {
            RefreshTreeChunk(state, chunk);
        } else {
            RedrawChunkListLine(state, chunk);
        }
        ShowChunkInPane(state, chunk);
    }
    return true;
}

void ClearDetailPane(EditorState* state) {
    g_paneChunk = -1;
    SetPaneText(state, "", "", true);
}
