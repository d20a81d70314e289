#include "value_forms.h"

#include "chunk_types.h"

const char kChildCountIsKept[] =
    "The child count of a node (its first two bytes) is kept by the editor and cannot be typed. "
    "Change the node number (the last four bytes) only.";

const char* ValueFormOfType(uint32_t type, bool inDataBox) {
    switch (type) {
    case 0:
        return "An Integer takes a whole number from -2147483648 to 2147483647, or up to eight hex digits after 0x.";
    case 1:
        return "A Float takes a decimal number such as 1.5 or -2.5e3, or its bit pattern as up to eight hex digits "
               "after 0x.";
    default:
        break;
    }
    if (IsNodeType(type))
        return inDataBox ? "A node takes up to six hex bytes, such as 02 00 07 00 00 00: the child count, then the "
                           "node number."
                         : "A node takes its number: a whole number from -2147483648 to 2147483647, or up to eight "
                           "hex digits after 0x.";
    return "This chunk takes one to four hex bytes, such as 01 02 0A FF.";
}
