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
#include "display_text.h"
#include "document.h"
#include "report.h"
#include "text_convert.h"
#include "tree_edit.h"
#include "value_forms.h"
#include "views.h"

namespace {

HWND DataBox(Editor* e) { return ControlOf(e, IDC_DATA_BOX); }

// The payload as shown, every line feed as CR LF, as the multi-line box
// wants it. nullptr when memory runs out.
char* PayloadText(PayloadView payload) {
    size_t feeds = 0;
    for (size_t i = 0; i < payload.Length; ++i) feeds += payload.Text[i] == '\n';
    char* text = static_cast<char*>(std::malloc(payload.Length + feeds + 1));
    if (!text) return nullptr;
    char* out = text;
    for (size_t i = 0; i < payload.Length; ++i) {
        if (payload.Text[i] == '\n') *out++ = '\r';
        *out++ = payload.Text[i];
    }
    *out = '\0';
    return text;
}

// The whole text of the Data box, or nullptr when memory runs out.
char* DataBoxText(Editor* e, size_t* length) {
    HWND box = DataBox(e);
    *length = static_cast<size_t>(SendMessageA(box, WM_GETTEXTLENGTH, 0, 0));
    char* text = static_cast<char*>(std::malloc(*length + 1));
    if (!text) return nullptr;
    *length = static_cast<size_t>(SendMessageA(box, WM_GETTEXT, *length + 1, reinterpret_cast<LPARAM>(text)));
    text[*length] = '\0';
    return text;
}

void SetPaneText(Editor* e, const char* length, const char* data, bool readOnly) {
    SetControlText(e, IDC_LENGTH_BOX, length);
    SendMessageA(DataBox(e), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(data));
    SendMessageA(DataBox(e), EM_SETMODIFY, FALSE, 0);
    SendMessageA(DataBox(e), EM_SETREADONLY, readOnly, 0);
}

enum Commit { Unchanged, Written, Refused };

Commit Refuse(Editor* e, const char* why) {
    Report(&e->Doc, ReportInformation, why);
    return Refused;
}

// Reads the Data box into value (n bytes) by the chunk's form.
Commit ReadValue(Editor* e, const ChunkRecord& r, const char* text, uint8_t* value) {
    if (IsScalarType(r.Type))
        return ReadScalarText(r.Type, text, value) ? Written : Refuse(e, ValueFormOfType(r.Type, true));
    if (!ReadHexBytesText(text, 6, value)) return Refuse(e, ValueFormOfType(r.Type, true));
    return std::memcmp(value, r.Value, 2) == 0 ? Written : Refuse(e, kChildCountIsKept);
}

// Writes the Data box into chunk when the user changed it. A text that was
// only shown is never read back: a float with more than six decimals would
// not survive it.
Commit WriteDetailIntoChunk(Editor* e, int32_t chunk) {
    if (chunk < 0 || chunk >= e->Doc.ChunkCount) return Unchanged;
    if (!SendMessageA(DataBox(e), EM_GETMODIFY, 0, 0)) return Unchanged;
    ChunkShape shape = ShapeOfType(e->Doc.Chunks[chunk].Type);
    if (shape == ShapeUnknown) return Unchanged;
    size_t length = 0;
    char* text = DataBoxText(e, &length);
    if (!text) {
        ReportOutOfMemory(&e->Doc);
        return Refused;
    }
    Commit result = Unchanged;
    const ChunkRecord& r = e->Doc.Chunks[chunk];
    if (shape != ShapePool) {
        uint8_t value[6];
        std::memcpy(value, r.Value, sizeof value);
        result = ReadValue(e, r, text, value);
        if (result == Written && std::memcmp(value, r.Value, sizeof value) == 0) result = Unchanged;
        if (result == Written) WriteChunkValue(&e->Doc, chunk, value);
    } else {
        size_t n = 0;
        for (size_t i = 0; i < length; ++i)
            if (text[i] != '\r') text[n++] = text[i];
        if (n == static_cast<size_t>(r.Length) && std::memcmp(text, e->Doc.Pool + r.PoolOffset, n) == 0) {
            result = Unchanged;
        } else if (n > INT32_MAX ||
                   WriteChunkPayload(&e->Doc, chunk, reinterpret_cast<uint8_t*>(text), static_cast<int32_t>(n)) != 0) {
            result = Refused;  // its message has been shown
        } else {
            result = Written;
        }
    }
    std::free(text);
    // The box now says what the chunk holds; only a new edit is written again.
    if (result != Refused) SendMessageA(DataBox(e), EM_SETMODIFY, FALSE, 0);
    return result;
}

}  // namespace

void ShowChunkDetail(Editor* e, int32_t line) {
    int32_t chunk = e->ShowAsTree ? SelectedTreeChunk(e) : ListLineToChunkIndex(e, line);
    if (chunk >= 0 || !e->ShowAsTree) ShowChunkInPane(e, chunk);
}

void ShowChunkInPane(Editor* e, int32_t chunk) {
    if (chunk < 0 || chunk >= e->Doc.ChunkCount || ShapeOfType(e->Doc.Chunks[chunk].Type) == ShapeUnknown) {
        ClearDetailPane(e);
        return;
    }
    e->PaneChunk = chunk;
    const ChunkRecord& r = e->Doc.Chunks[chunk];
    char length[64];
    if (!IsPoolType(r.Type)) {
        char value[kValueTextSize];
        FormatValueText(r, value);
        SetPaneText(e, IsNodeType(r.Type) ? "6" : "4", value, false);
        return;
    }
    // A payload the box cannot carry back whole (a zero byte ends the text a
    // box holds; carriage returns are taken out of what is typed) is shown,
    // but cannot be edited: writing it back would drop bytes the user never saw.
    PayloadView shown = ShownPayload(&e->Doc, r);
    bool zero = shown.Length < static_cast<size_t>(r.Length);
    bool returns = std::memchr(e->Doc.Pool + r.PoolOffset, '\r', static_cast<size_t>(r.Length)) != nullptr;
    if (zero) {
        std::snprintf(length, sizeof length, "%d - shown to its first zero byte, read-only", r.Length);
    } else if (returns) {
        std::snprintf(length, sizeof length, "%d - holds carriage returns, read-only", r.Length);
    } else {
        std::snprintf(length, sizeof length, "%d", r.Length);
    }
    char* text = PayloadText(shown);
    if (!text) {
        ReportOutOfMemory(&e->Doc);
        ClearDetailPane(e);
        return;
    }
    SetPaneText(e, length, text, zero || returns);
    std::free(text);
}

bool ApplyDetailEdit(Editor* e) {
    int32_t chunk = e->PaneChunk;
    Commit result = WriteDetailIntoChunk(e, chunk);
    if (result == Refused) return false;
    if (result == Written) {
        // The line or the item shows the chunk afresh, and the pane what was stored.
        if (e->ShowAsTree) {
            RefreshTreeChunk(e, chunk);
        } else {
            RedrawChunkListLine(e, chunk);
        }
        ShowChunkInPane(e, chunk);
    }
    return true;
}

void ClearDetailPane(Editor* e) {
    e->PaneChunk = -1;
    SetPaneText(e, "", "", true);
}
