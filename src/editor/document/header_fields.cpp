#include <cstring>

#include "app/editor.h"
#include "chunk_types.h"
#include "file_commands.h"
#include "report.h"
#include "text_convert.h"

namespace {

const int kBoxTextSize = 32;

void ShowBox(Editor* e, int id, const uint8_t* bytes, int32_t count) {
    char text[kBoxTextSize];
    FormatHexBytes(bytes, count, text);
    SetControlText(e, id, text);
    SendToControl(e, id, EM_SETMODIFY, FALSE, 0);
}

// Reads box id into field (width bytes) when the user edited it; a box that
// only shows the document's value is left alone, so a save never changes a
// header byte the user did not touch. A text that is not the box's form is
// refused with form, and the field keeps its bytes.
bool ReadBox(Editor* e, int id, int32_t width, uint8_t* field, const char* form) {
    if (!SendToControl(e, id, EM_GETMODIFY, 0, 0)) return true;
    char text[kBoxTextSize];
    SendToControl(e, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    uint8_t read[4];
    std::memcpy(read, field, static_cast<size_t>(width));
    if (!ReadNumberEntry(text, width, read)) {
        Report(&e->Doc, ReportInformation, form);
        return false;
    }
    std::memcpy(field, read, static_cast<size_t>(width));
    return true;
}

}  // namespace

void ShowHeaderFields(Editor* e) {
    ShowBox(e, IDC_HEADER0_BOX, e->Doc.HeaderBytes, 1);
    ShowBox(e, IDC_HEADER12_BOX, e->Doc.HeaderBytes + 1, 2);
    ShowBox(e, IDC_HEADER36_BOX, e->Doc.HeaderBytes + 3, 4);
    uint8_t key[4];
    WriteU32(key, e->Doc.Key);  // least significant byte first, as in memory
    ShowBox(e, IDC_KEY_BOX, key, 4);
}

bool ReadHeaderFields(Editor* e) {
    // A byte run shorter than its field leaves the other bytes as they were.
    // What was read before a refusal is stored: one change for all the boxes.
    uint8_t header[kHeaderSize];
    std::memcpy(header, e->Doc.HeaderBytes, kHeaderSize);
    uint8_t key[4];
    WriteU32(key, e->Doc.Key);
    bool read = ReadBox(e, IDC_HEADER0_BOX, 1, header,
                        "Header byte 0 takes a number from 0 to 255, or hex after 0x (such as 0x1C).") &&
                ReadBox(e, IDC_HEADER36_BOX, 4, header + 3,
                        "Header bytes 3-6 take four hex bytes (such as DE AD BE EF), a number, or hex after 0x.") &&
                ReadBox(e, IDC_KEY_BOX, 4, key,
                        "The key takes a number from 0 to 4294967295, hex after 0x, or four hex bytes (such as "
                        "CD AB 34 12, least significant first).");
    WriteHeaderAndKey(&e->Doc, header, ReadU32(key));
    return read;
}
