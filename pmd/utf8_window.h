// Packing of UTF-8 text whose letters are two-byte characters of one script
// (Cyrillic, Greek, Hebrew, Arabic, accented Latin...): each character of a
// window of 64 code points becomes one byte. The model's order then counts
// letters, not halves of them, and there are fewer symbols to code.
//
// Packed bytes, by their value c:
//   c < 0x80, c != esc  the ASCII byte c;
//   esc, r              the byte r itself (esc, and every byte of a broken
//                       sequence);
//   0x80..0xBF          the character base + (c - 0x80), two bytes unpacked;
//   0xC0..0xFF          a lead byte, copied with its continuation bytes: one
//                       for 0xC0-0xDF, two for 0xE0-0xEF, three for
//                       0xF0-0xF7, none for 0xF8-0xFF.
// Any input packs and unpacks back to itself; the plan keeps the packing
// only where it removes enough bytes to pay.
#pragma once
#include <cstdint>

namespace pmd {

constexpr uint32_t kWindowSize = 64;
constexpr uint32_t kWindowBaseMin = 0x80;                   // the first two-byte code point
constexpr uint32_t kWindowBaseMax = 0x800 - kWindowSize;  // the window ends with the two-byte range

struct cWindow {
  uint32_t base = kWindowBaseMin;  // first code point of the window
  uint8_t esc = 0;                 // an ASCII value: the rarest one in the input
};

// Picks the window for `src` from a sample of it (all of a short input);
// false where the sample shows that packing would not pay.
bool plan_Window(const uint8_t* src, int32_t n, cWindow& w);
// Packs `n` bytes into `dst` (room for 2n bytes; a text that pays takes
// fewer than n, and only the pages written are used) and counts the bytes
// of broken sequences; returns the packed length.
int32_t pack_Window(const cWindow& w, const uint8_t* src, int32_t n, uint8_t* dst, int32_t& broken);
// Whether packing `n` bytes into `m` pays: a 32nd of the bytes saved, at
// least 8 (the stream's cost of the window), and text, not binary data that
// happens to hold such pairs (broken sequences rare against the bytes saved).
inline bool window_Pays(int32_t n, int32_t m, int32_t broken) {
  const int64_t gain = int64_t(n) - m;
  return gain >= 8 && gain >= n / 32 && int64_t(broken) * 16 <= gain;
}
// Unpacks `n` packed bytes, writing at most `cap` bytes; returns the number
// written. A unit cut off by the end of the input or the capacity gives the
// bytes it has.
int32_t unpack_Window(const cWindow& w, const uint8_t* src, int32_t n, uint8_t* dst, int32_t cap);

}  // namespace pmd
