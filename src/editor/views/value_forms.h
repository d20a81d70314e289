// What the user is told when a typed value is not the form its field takes:
// one sentence per form, shared by the detail pane and the Insert dialog.
#pragma once

#include <cstdint>

// The form of a chunk type's typed value (the Data box and the Insert
// dialog's Data/ID box).
const char* ValueFormOfType(uint32_t type, bool inDataBox);

// A node's child count belongs to the editor, not to what is typed.
extern const char kChildCountIsKept[];
