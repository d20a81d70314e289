#include "app/editor.h"
#include "chunk_types.h"
#include "file_commands.h"
#include "text_convert.h"

namespace {

const int kBoxTextSize = 32;

void ShowBox(EditorState* state, int id, const uint8_t* bytes, int32_t count) {
    char text[kBoxTextSize];
    FormatHexBytes(bytes, count, text);
    SetControlText(state, id, text);
    SendToControl(state, id, EM_SETMODIFY, FALSE, 0);
}

// Reads box id into field (width bytes) when the user edited it; a box that
// only shows the document's value is left alone, so a save never changes a
// header byte the user did not touch.
void ReadBox(EditorState* state, int id, int32_t width, uint8_t* field) {
    if (!SendToControl(state, id, EM_GETMODIFY, 0, 0)) return;
    char text[kBoxTextSize];
    SendToControl(state, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    ReadHeaderBoxText(text, width, field);
}

}  // namespace

int32_t ShowHeaderFields(EditorState* state) {
    ShowBox(state, IDC_HEADER0_BOX, state->HeaderBytes, 1);
    ShowBox(state, IDC_HEADER12_BOX, state->HeaderBytes + 1, 2);
    ShowBox(state, IDC_HEADER36_BOX, state->HeaderBytes + 3, 4);
    uint8_t key[4];
    WriteU32(key, state->Key);  // least significant byte first, as in memory
    ShowBox(state, IDC_KEY_BOX, key, 4);
    return 0;
}

int32_t ReadHeaderFields(EditorState* state) {
    // A byte run shorter than its field leaves the other bytes as they were.
    ReadBox(state, IDC_HEADER0_BOX, 1, state->HeaderBytes);
    ReadBox(state, IDC_HEADER36_BOX, 4, state->HeaderBytes + 3);
    uint8_t key[4];
    WriteU32(key, state->Key);
    ReadBox(state, IDC_KEY_BOX, 4, key);
    state->Key = ReadU32(key);
    return 0;
}
