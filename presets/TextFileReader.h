#pragma once
// The line and value readers shared by the preset files and the UI settings file.
//
// A key line is: optional blanks, a four-character key written lowest byte first (so the text
// "dhtM" is the key 'Mthd'), blanks, a number, and an optional ";comment". Lines starting with
// ";" are comments.

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Reads one line of `file` into `line` (capacity bytes, always terminated). Tabs become blanks,
// the line ends at the first byte of value 13 or less (not stored), trailing blanks are removed.
// Characters beyond the capacity are dropped, never written past it. A last line without a
// line end is still returned; false only when the file has nothing more to read.
bool ReadTextLine(std::FILE* file, char* line, size_t capacity);

// The key at `*position`: 0 when fewer than four characters remain or the text starts with ";",
// otherwise the four bytes as a little-endian number, and `*position` moves past them.
uint32_t ReadKey(const char** position);

// Skip blanks, then read the number made of at most 64 characters among the digits and
// ". , - e E"; conversion stops at the first character it cannot use; no number gives 0.
// `*position` moves past the collected characters. Independent of the C library's locale.
int32_t ReadIntValue(const char** position);
double ReadFloatValue(const char** position);

// Moves `*position` past blanks.
void SkipBlanks(const char** position);

// Writes a four-character key (first character most significant) as the text the readers
// expect: its bytes lowest first.
void KeyText(uint32_t key, char text[5]);

// Writes "%.2f" of `value` into `text` (at least 48 bytes) without regard to the C library's
// locale, so a decimal comma never reaches a file.
void FormatTwoDecimals(double value, char* text, size_t capacity);
