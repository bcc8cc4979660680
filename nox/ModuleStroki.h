// ModuleStroki: string helpers for Windows-1251 text held in std::string (one
// byte per character). Letter classes and case mapping are by Windows-1251
// code, never through a locale: А..Я = 192..223, а..я = 224..255, Ё = 168,
// ё = 184.
#pragma once
#include <cstdint>
#include <string>

#include "massiv/massiv_types.h"

// ===================== Bytes and text =====================
// Position of `what` in `bb` at or after `vStart`, -1 when absent. With
// `flagNoCase` both sides are lower-cased (Windows-1251) before comparing.
int32_t find_Bytes(const BB& bb, const std::string& what, int32_t vStart, bool flagNoCase = false);
// The bytes from `vFrom` up to (not including) `vTo` as Windows-1251 text;
// the range is clipped to the array.
std::string bytes_to_Text(const BB& bb, int32_t vFrom, int32_t vTo);

// ===================== Character classes =====================
bool is_Letter(unsigned char c);           // A..Z, a..z, А..Я, а..я, Ё, ё
bool is_WordChar(unsigned char c);         // a letter, "-" or "_"
bool is_WordCharDigit(unsigned char c);    // a word character or 0..9
// One-character forms; anything but one character shows "err len" and gives false.
bool is_WordChar(const std::string& ch);
bool is_WordCharDigit(const std::string& ch);
// True when every character is A..Z, А..Я, "-" or "_" (false for "").
bool is_Upper(const std::string& s);

// ===================== Case =====================
unsigned char lower_Char(unsigned char c);  // Latin and Cyrillic, Ё -> ё
unsigned char upper_Char(unsigned char c);  // Latin and Cyrillic, ё -> Ё
std::string lower_Text(const std::string& s);
std::string upper_Text(const std::string& s);

// ===================== Replacing and squeezing =====================
// Every occurrence of `from` (left to right, not overlapping) by `to`; the
// output is built once. An empty `from` leaves the text unchanged.
void replace_All(std::string& text_izm, const std::string& from, const std::string& to);
// The same without regard to Latin/Cyrillic case of `from`.
void replace_All_NoCase(std::string& text_izm, const std::string& from, const std::string& to);
// Position of `what` at or after `vStart` without regard to case, npos when absent.
size_t find_NoCase(const std::string& text, const std::string& what, size_t vStart);
// Trim blanks at both ends, then squeeze every run of blanks to one.
void trim_Spaces(std::string& text_izm);

// ===================== Tags =====================
// From a position holding "<": the text up to and including the next ">", or
// to the end. Any other position shows "это не тег" and gives "".
std::string tag_At(const std::string& text, int32_t vPoz);
// Lower-cases every Latin letter between a "<" and the next ">".
void lower_Tags(std::string& text_izm);

// ===================== Windows-1251 and UTF-8 =====================
// Unicode code point of a Windows-1251 byte (0x98, unassigned, gives U+0098).
uint32_t unicode_of_1251(unsigned char c);
// UTF-8 text to Windows-1251 bytes (source literals, file names); characters
// without a Windows-1251 code become "?".
std::string win1251(const std::string& utf8);
// Windows-1251 bytes to UTF-8 (log lines, messages).
std::string utf8_of_1251(const std::string& text);
