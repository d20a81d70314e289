// Conversions between bytes or numbers and 8-bit text, shared by the reader's
// messages, the header boxes, the display text, the detail pane and the
// Insert dialog.
#pragma once

#include <cstddef>
#include <cstdint>

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

// A whole number from 0 to 4294967295 written out exactly: decimal digits,
// or "0x" and hex digits, with nothing before or after. False,
// with value unchanged, for anything else.
bool ParseWholeNumber(const char* text, uint32_t* value);
