// Typed values: the forms a chunk's value is typed in, the sentence that
// names each form when a text is not in it (shared by the detail pane, the
// Insert dialog and dtbtool set), and the one reading of the Data box.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document.h"
#include "tree_edit.h"

// The form of a chunk type's typed value (the Data box and the Insert
// dialog's Data/ID box).
const char* ValueFormOfType(uint32_t type, bool inDataBox);

// A node's child count belongs to the editor, not to what is typed.
extern const char kChildCountIsKept[];

// A chunk's value as read from what was typed, not yet stored.
struct TypedValue {
    uint8_t Value[6];  // a scalar's or a node's six value bytes, those not typed as they were
    uint8_t* Payload;  // a text's bytes (malloc'd), else nullptr
    int32_t Length;    // of Payload
};

enum ValueRead : int32_t { ValueReadDone = 0, ValueRefused = 1, ValueReadFailed = -1 };

// Reads text (length bytes, zero-terminated) as the new value of chunk, as
// the Data box reads it. As typed: a scalar by ReadScalarText; a node as up
// to six hex bytes (ReadLenientHexBytesText), of which the first two, the child
// count, must stay as they are; a text whole, each line break in the form it
// had in the chunk (EditTextToPayload). In hex (hex true): exactly a
// scalar's four bytes or a node's six, any number for a text (ReadHexBytesText).
// Done: *value holds the result until FreeTypedValue. Refused: *why is the
// sentence that says the form (static), and *value holds nothing. Failed:
// memory ran out (reported).
ValueRead ReadTypedValue(const Document* doc, int32_t chunk, const char* text, size_t length, bool hex,
                         TypedValue* value, const char** why);
void FreeTypedValue(TypedValue* value);

// Stores a value read for chunk as one change (WriteChunkValue or
// WriteChunkPayload), with their results.
WriteResult WriteTypedValue(Document* doc, int32_t chunk, const TypedValue& value);
