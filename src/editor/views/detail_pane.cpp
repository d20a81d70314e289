// The detail pane: the Length box and the Data box, where one chunk's value
// is shown and edited. Texts are sized to the value, never cut, so a long
// payload survives a round trip through the pane whole. The pane belongs to
// one chunk or to none; what is typed there reaches that chunk only when it
// reads wholly as the chunk's form, and nothing is typed into a pane that
// belongs to no chunk.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/editor.h"
#include "chunk_types.h"
#include "display_text.h"
#include "document.h"
#include "text_convert.h"
#include "tree_edit.h"
#include "value_forms.h"
#include "views.h"

namespace {

HWND DataBox(Editor* e) { return ControlOf(e, IDC_DATA_BOX); }

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

// Every refusal leaves the typed text in the box; the user is told how to
// drop it, or every later click would refuse it again.
Commit Refuse(Editor* e, const char* why) {
    ReportFormat(&e->Doc, ReportInformation, "%s Press Esc to put back the stored value.", why);
    return Refused;
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
    TypedValue value;
    const char* why = "";
    Commit result = Refused;
    ValueRead read = ReadTypedValue(&e->Doc, chunk, text, length, e->ShowHex, &value, &why);
    if (read == ValueRefused) Refuse(e, why);
    if (read == ValueReadDone) {
        WriteResult written = WriteTypedValue(&e->Doc, chunk, value);
        result = written == WriteDone ? Written : written == WriteUnchanged ? Unchanged : Refused;
        FreeTypedValue(&value);
    }
    std::free(text);
    // The box now says what the chunk holds; only a new edit is written again.
    if (result != Refused) SendMessageA(DataBox(e), EM_SETMODIFY, FALSE, 0);
    return result;
}

// The chunk's bytes in hex: a payload whole, a scalar's four value bytes, a
// node's six. nullptr when memory runs out.
char* HexText(const Document* doc, const ChunkRecord& r) {
    const uint8_t* bytes = IsPoolType(r.Type) ? doc->Pool + r.PoolOffset : r.Value;
    size_t n = IsPoolType(r.Type) ? static_cast<size_t>(r.Length) : IsNodeType(r.Type) ? 6 : 4;
    char* text = static_cast<char*>(std::malloc(3 * n + 1));
    if (text) FormatHexBytes(bytes, static_cast<int32_t>(n), text);
    return text;
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
    char length[80];
    std::snprintf(length, sizeof length, "%d", IsPoolType(r.Type) ? r.Length : IsNodeType(r.Type) ? 6 : 4);
    if (!IsPoolType(r.Type) && !e->ShowHex) {
        char value[kValueTextSize];
        FormatValueText(r, value);
        SetPaneText(e, length, value, false);
        return;
    }
    // A payload the box cannot carry back whole (a zero byte ends the text a
    // box holds; other control bytes would be written back unseen) is shown
    // as text but typed over only in Hex.
    PayloadView shown = ShownPayload(&e->Doc, r);
    bool plain = e->ShowHex || IsPlainTextPayload(e->Doc.Pool + r.PoolOffset, static_cast<size_t>(r.Length));
    if (!plain) {
        bool zero = shown.Length < static_cast<size_t>(r.Length);
        std::snprintf(length, sizeof length, "%d - %s, read-only (Hex edits it)", r.Length,
                      zero ? "shown to its first zero byte" : "holds control bytes");
    }
    size_t n = 0;
    char* text = e->ShowHex ? HexText(&e->Doc, r)
                            : PayloadToEditText(reinterpret_cast<const uint8_t*>(shown.Text), shown.Length, &n);
    if (!text) {
        ReportOutOfMemory(&e->Doc);
        ClearDetailPane(e);
        return;
    }
    SetPaneText(e, length, text, !plain);
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

void EmptyViews(Editor* e) {
    SendToControl(e, IDC_CHUNK_LIST, LB_RESETCONTENT, 0, 0);
    ClearChunkTree(e);
    ClearDetailPane(e);
    e->CurrentChunk = -1;
}
