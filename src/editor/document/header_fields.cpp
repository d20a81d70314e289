// The header boxes and the Key box: shown from the document, stored back as one undoable change.
#include <cstring>
#include <initializer_list>

#include "base/editor.h"
#include "chunk_types.h"
#include "file_commands.h"
#include "document.h"
#include "text_convert.h"
#include "tree_edit.h"

namespace {

const int kBoxTextSize = 32;

void ShowBox(Editor* e, int id, const uint8_t* bytes, int32_t count) {
    char text[kBoxTextSize];
    FormatHexBytes(bytes, count, text);
    SetControlText(e, id, text);
    SendToControl(e, id, EM_SETMODIFY, FALSE, 0);
}

// Byte 0 is read as the two hex digits its box shows, not as the decimal
// the other boxes would take from them.
bool ReadByteZero(const char* text, int32_t, uint8_t* field) { return ReadHeaderByteText(text, field); }

// The key's four bytes, least significant first, as dtbtool copy --key reads them.
bool ReadKey(const char* text, int32_t, uint8_t* field) {
    uint32_t key = ReadU32(field);
    if (!ReadKeyText(text, &key)) return false;
    WriteU32(field, key);
    return true;
}

// Reads box id into field (width bytes) when the user edited it; a box that
// only shows the document's value is left alone, so a save never changes a
// header byte the user did not touch. A text that is not the box's form is
// refused with form, and the field keeps its bytes.
bool ReadBox(Editor* e, int id, int32_t width, uint8_t* field, const char* form,
             bool (*reader)(const char*, int32_t, uint8_t*) = ReadNumberEntry) {
    if (!SendToControl(e, id, EM_GETMODIFY, 0, 0)) return true;
    char text[kBoxTextSize];
    SendToControl(e, id, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    uint8_t read[4];
    std::memcpy(read, field, static_cast<size_t>(width));
    if (!reader(text, width, read)) {
        ReportFormat(&e->Doc, ReportInformation, "%s Press Esc to put back the stored value.", form);
        return false;
    }
    std::memcpy(field, read, static_cast<size_t>(width));
    return true;
}

}  // namespace

void ShowHeaderField(Editor* e, int id) {
    uint8_t key[4];
    WriteU32(key, e->Doc.Key);  // least significant byte first, as in memory
    switch (id) {
    case IDC_HEADER0_BOX:
        return ShowBox(e, id, e->Doc.HeaderBytes, 1);
    case IDC_HEADER12_BOX:
        return ShowBox(e, id, e->Doc.HeaderBytes + 1, 2);
    case IDC_HEADER36_BOX:
        return ShowBox(e, id, e->Doc.HeaderBytes + 3, 4);
    default:
        return ShowBox(e, IDC_KEY_BOX, key, 4);
    }
}

void ShowHeaderFields(Editor* e) {
    for (int id : {IDC_HEADER0_BOX, IDC_HEADER12_BOX, IDC_HEADER36_BOX, IDC_KEY_BOX}) ShowHeaderField(e, id);
}

bool ReadHeaderFields(Editor* e) {
    // A byte run shorter than its field leaves the other bytes as they were.
    // What was read before a refusal is stored: one change for all the boxes.
    uint8_t header[kHeaderSize];
    std::memcpy(header, e->Doc.HeaderBytes, kHeaderSize);
    uint8_t key[4];
    WriteU32(key, e->Doc.Key);
    bool read = ReadBox(e, IDC_HEADER0_BOX, 1, header,
                        "Header byte 0 takes one or two hex digits, such as 1C, or hex after 0x (such as 0x1C).",
                        ReadByteZero) &&
                ReadBox(e, IDC_HEADER36_BOX, 4, header + 3,
                        "Header bytes 3-6 take four hex bytes (such as DE AD BE EF), a number, or hex after 0x.") &&
                ReadBox(e, IDC_KEY_BOX, 4, key,
                        "The key takes a number from 0 to 4294967295, hex after 0x, or four hex bytes (such as "
                        "CD AB 34 12, least significant first).",
                        ReadKey);
    WriteHeaderAndKey(&e->Doc, header, ReadU32(key));
    return read;
}
