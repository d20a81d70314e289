// Conversions between bytes or numbers and 8-bit text, shared by the reader's
// messages, the header boxes, the display text, the detail pane and the
// Insert dialog.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document.h"

// Writes the bytes as "01 02 0A FF" (two upper-case digits each, one blank
// between). text needs room for 3 * count characters (3 * count - 1 and the
// terminating zero); count 0 gives "".
void FormatHexBytes(const uint8_t* bytes, int32_t count, char* text);

// 0-15 for a hex digit, 0 for anything else.
int32_t HexDigitValue(char c);

// Typed values: one reader for each form, strict. A reader takes the whole
// text, less the white space around it, as its form or refuses it, leaving
// its output as it was. The forms:
// - decimal integer: an optional sign, then decimal digits;
// - hex number: an optional 0, then x or X, then hex digits (leading zeros
//   allowed);
// - hex bytes: pairs of hex digits, white space between bytes but never
//   inside one ("1C 05", "1C05");
// - float: a sign, digits with an optional point, an optional exponent;
// - key: the number entry rule's reading of four bytes (ReadKeyText).
// The one exception is ReadLenientHexBytesText, for the entry rule that lets
// a blank split a byte.

// A decimal integer from low to high.
bool ReadDecimalText(const char* text, int64_t low, int64_t high, int64_t* value);

// A hex number whose value fits in bits bits (at most 32).
bool ReadHexNumberText(const char* text, int32_t bits, uint32_t* value);

// Hex bytes in the length bytes of text (a zero byte is no white space);
// nothing at all is no bytes. bytes needs room for length / 2. Returns how
// many were read, or -1 (bytes then hold no meaning).
int32_t ReadHexBytesText(const char* text, size_t length, uint8_t* bytes);

// A float: within the range of a float, or its bit pattern as a hex number.
bool ReadFloatText(const char* text, uint32_t* bits);

// The lenient exception, as the Data box's entry rule for a node's and an
// unknown scalar's bytes and the number entry rule's byte run read them:
// hex digit pairs with white space anywhere, also between the two digits of
// a byte ("1 2" is the byte 12). One to count (at most 8) bytes, written
// from bytes[0] on.
bool ReadLenientHexBytesText(const char* text, int32_t count, uint8_t* bytes);

// The readers below choose among the forms.

// An Integer or node number: a decimal integer from -2147483648 to
// 2147483647, or the 32-bit pattern as a hex number.
bool ReadIntegerText(const char* text, int32_t* value);

// A whole number from 0 to 4294967295: a decimal integer or a hex number.
bool ReadWholeNumberText(const char* text, uint32_t* value);

// A typed number for a field of width bytes (1 or 4), by the entry rule: a
// hex number when the text holds an x; else lenient hex bytes when it holds
// a blank; else a decimal integer, which may be negative (stored as its two's
// complement) or reach the field's unsigned limit. The field receives the
// result least significant byte first; byte pairs write only the bytes
// typed, in the order typed.
bool ReadNumberEntry(const char* text, int32_t width, uint8_t* field);

// The key as its box takes it: the entry rule for a field of four bytes
// holding the key least significant byte first, so a byte run typed in the
// order the box shows replaces only the bytes typed. False, with key
// unchanged, for anything else.
bool ReadKeyText(const char* text, uint32_t* key);

// Header byte 0 as typed: one or two hex digits, as its box shows it (1C),
// or a hex number. False, with byte unchanged, for anything else.
bool ReadHeaderByteText(const char* text, uint8_t* byte);

// Payload text in an edit box, whose only line break is CR LF.
//
// Whether a payload can be typed over as text: no zero byte and no control
// byte but tab and the line breaks (a box carries those back whole; it
// would hide the rest from the user who writes them back).
bool IsPlainTextPayload(const uint8_t* bytes, size_t length);
// The payload with every line break (CR LF, a lone LF, a lone CR) as CR LF,
// malloc'd and zero-terminated, *textLength its length; nullptr when memory
// runs out.
char* PayloadToEditText(const uint8_t* bytes, size_t length, size_t* textLength);
// The edit text as a payload again, each line break (CR LF, or a lone CR or
// LF a paste brought) in the form of original's break it stands for: breaks
// in the text's unchanged start and end keep theirs, as do those of the
// changed middle when it holds as many as before; a new one takes the form
// of original's first break, CR LF in a text with none. malloc'd (at least
// one byte), *length its length; nullptr when memory runs out.
uint8_t* EditTextToPayload(const char* text, size_t textLength, const uint8_t* original, size_t originalLength,
                           size_t* length);

// The value bytes of a scalar chunk of type read from typed text, strictly:
// an Integer by ReadIntegerText, a Float by ReadFloatText, the unknown
// scalars as one to four lenient hex bytes, written from value[0] on.
// False, with value unchanged, for text that is not the type's form or a
// type that is not scalar.
bool ReadScalarText(uint32_t type, const char* text, uint8_t* value);

// The record an insertion makes of a type and its typed text, all
// but a text payload: scalars by ReadScalarText, node numbers by
// ReadIntegerText; a new node has ChildCount 0. A pool type gets its Type
// only; its payload is stored when the chunk is placed. Returns 0, or -1 for
// a type the dialog does not offer or a text that is not the type's form.
int32_t BuildRecordFromText(uint32_t type, const char* text, ChunkRecord* record);
