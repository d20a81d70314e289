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

// The value of the characters after the last "x" or "X" (all of them when
// there is none), each taken as a hex digit, modulo 2^32.
uint32_t ParseHexNumber(const char* text);

// Reads hex digit pairs into at most count bytes, skipping blanks anywhere;
// bytes past the last written one keep their values. Returns 0.
int32_t ParseHexBytes(const char* text, int32_t count, uint8_t* bytes);

// atoi-like: leading white space, one sign, digits up to the first other
// character; no digits gives 0; out of range clamps to the 32-bit limits.
int32_t ParseDecimal(const char* text);

// Typed values, read strictly: the whole text (less white space around it)
// must be the form, or nothing is stored and the result is false with the
// output unchanged. Hex after an x: an optional 0, then x or X, then hex
// digits, as many as the value holds (leading zeros allowed).

// An Integer or node number: decimal from -2147483648 to 2147483647, or the
// 32-bit pattern in hex after an x.
bool ReadIntegerText(const char* text, int32_t* value);

// A Float: a decimal number (sign, digits with an optional point, an
// optional exponent) within the range of a float, or the float's bit
// pattern in hex after an x.
bool ReadFloatText(const char* text, uint32_t* bits);

// Hex digit pairs, white space anywhere, one to count (at most 8) bytes;
// writes only the bytes typed, from bytes[0] on.
bool ReadHexBytesText(const char* text, int32_t count, uint8_t* bytes);

// A typed number for a field of width bytes (1 or 4), by the entry rule: hex
// after an x; else hex byte pairs when the text holds a blank; else decimal,
// which may be negative (stored as its two's complement) or reach the
// field's unsigned limit. The field receives the result least significant
// byte first; byte pairs write only the bytes typed, in the order typed.
bool ReadNumberEntry(const char* text, int32_t width, uint8_t* field);

// Header byte 0 as typed: one or two hex digits, as its box shows it (1C),
// or hex after an x. False, with byte unchanged, for anything else.
bool ReadHeaderByteText(const char* text, uint8_t* byte);

// Bytes typed in hex: pairs of hex digits, white space between bytes but
// never inside one ("1C 05", "1C05"); nothing at all is no bytes. bytes
// needs room for length / 2. Returns how many were read, or -1 for an odd
// digit or any other character (bytes then hold no meaning).
int32_t ReadHexRun(const char* text, size_t length, uint8_t* bytes);

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

// A whole number from 0 to 4294967295 written out exactly: decimal digits,
// or "0x" and hex digits, with nothing before or after. False,
// with value unchanged, for anything else.
bool ParseWholeNumber(const char* text, uint32_t* value);

// The value bytes of a scalar chunk of type read from typed text, strictly:
// an Integer by ReadIntegerText, a Float by ReadFloatText,
// the unknown scalars as one to four hex bytes, written from value[0] on.
// False, with value unchanged, for text that is not the type's form or a
// type that is not scalar.
bool ReadScalarText(uint32_t type, const char* text, uint8_t* value);

// The record an insertion makes of a type and its typed text, all
// but a text payload: scalars by ReadScalarText, node numbers by
// ReadIntegerText; a new node has ChildCount 0. A pool type gets its Type
// only; its payload is stored when the chunk is placed. Returns 0, or -1 for
// a type the dialog does not offer or a text that is not the type's form.
int32_t BuildRecordFromText(uint32_t type, const char* text, ChunkRecord* record);
