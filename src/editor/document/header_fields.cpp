#include <cstring>

#include "app/editor.h"
#include "chunk_types.h"
#include "file_commands.h"
#include "report.h"
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
// header byte the user did not touch. A text that is not the box's form is
// refused with form, and the field keeps its bytes.
bool ReadBox(EditorState* state, int id, int32_t width, uint8_t* field, const char* form) {
    if (!SendToControl(state, id, EM_GETMODIFY, 0, 0)) return true;
    char text[kBoxTextSize];
    SendToControl(state, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    uint8_t read[4];
    std::memcpy(read, field, static_cast<size_t>(width));
    if (!ReadNumberEntry(text, width, read)) {
        Report(state, ReportInformation, form);
        return false;
    }
    if (std::memcmp(read, field, static_cast<size_t>(width)) != 0) {
        std::memcpy(field, read, static_cast<size_t>(width));
        state->Modified = true;
    }
    return true;
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

bool ReadHeaderFields(EditorState* state) {
    // A byte run shorter than its field leaves the other bytes as they were.
    uint8_t key[4];
    WriteU32(key, state->Key);
    bool read = ReadBox(state, IDC_HEADER0_BOX, 1, state->HeaderBytes,
                        "Header byte 0 takes a number from 0 to 255, or hex after 0x (such as 0x1C).") &&
                ReadBox(state, IDC_HEADER36_BOX, 4, state->HeaderBytes + 3,
                        "Header bytes 3-6 take four hex bytes (such as DE AD BE EF), a number, or hex after 0x.") &&
                ReadBox(state, IDC_KEY_BOX, 4, key,
                        "The key takes a number from 0 to 4294967295, hex after 0x, or four hex bytes (such as "
                        "CD AB 34 12, least significant first).");
    state->Key = ReadU32(key);
    return read;
}
