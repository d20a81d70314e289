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

// atof-like: the longest prefix that forms a decimal floating-point number
// (exponent allowed), 0 when none, rounded to the nearest float.
float ParseDecimalFloat(const char* text);

bool ContainsX(const char* text);

// A whole number from 0 to 4294967295 written out exactly: decimal digits,
// or "0x" and hex digits, with nothing before or after. False,
// with value unchanged, for anything else.
bool ParseWholeNumber(const char* text, uint32_t* value);

// A typed number for a field of width bytes (1 or 4): hex after an x,
// else hex byte pairs when the text holds a blank, else decimal. The field
// receives the result least significant byte first; the byte-pair reading
// writes only the bytes it has, in the order typed.
void ReadNumberEntry(const char* text, int32_t width, uint8_t* field);

// An Integer or node number as the detail pane and the Insert dialog read
// it: hex after an x, otherwise decimal.
int32_t ReadIntegerText(const char* text);

// A Float as the detail pane and the Insert dialog read it: with an x the hex
// number is the float's bit pattern, otherwise a decimal number.
uint32_t ReadFloatTextBits(const char* text);

// A header or key box as the editor reads it back: the number entry rule,
// except that exactly two hex digits in a one-byte field are read as hex.
// That is how the byte-0 box shows its byte, and a box must read its own
// rendering back as itself (the entry rule would read "1C" as decimal 1).
// The four-byte boxes show "01 02 03 04", which the entry rule reads back
// already. Bytes a byte-pair reading does not reach keep their values.
void ReadHeaderBoxText(const char* text, int32_t width, uint8_t* field);
