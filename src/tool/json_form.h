// DTB files as JSON, lossless both ways: dtbtool export and import.
//
// The form: {"key": K, "header": "1C 09 00 DE AD BE EF", "chunks": [...]},
// the seven header bytes as they are (bytes 1-2 are the top-level count).
// The chunks nest as the tree view shows them with identifiers: each is
// {"type": T, "name": N, ...} with, by its type,
//   Integer (0)                "value": a whole number
//   Float (1)                  "value": a number, or "bits": eight hex digits
//                              where no number reads back as the same 32 bits
//                              (NaN, infinities)
//   Unknown (6, 8, 9)          "value": four hex bytes
//   texts (2, 5, 7, 18, 32-35) "value": a string
//   Node (16, 17, 19)          "number": a whole number, "children": [...],
//                              and "count" where the node's child count is
//                              not the number of its children.
// "name" is for the reader; import takes any string there.
//
// Texts are 8-bit: byte b is the character U+00bb (as ISO 8859-1 reads it),
// so ASCII stays as it is, and a text in the file takes only U+0000-U+00FF.
#pragma once

#include <cstdio>
#include <string>

#include "document.h"

// Writes the document as JSON; bytes go to emit, in pieces. False once emit
// fails (it has reported why).
typedef bool (*JsonEmitter)(void* context, const char* bytes, size_t n);
bool ExportJson(const Document* doc, JsonEmitter emit, void* context);

// Reads JSON from in into the document (which must be empty). False with
// *error set to the JSON path of the problem and what it is, such as
// "chunks[3].children[0].value: expected an integer".
bool ImportJson(Document* doc, std::FILE* in, std::string* error);
