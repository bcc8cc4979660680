#include "utf8_window.h"

#include <algorithm>
#include <cstring>

namespace pmd {

namespace {

// Continuation bytes that follow a lead byte >= 0xC0.
inline int trail_Count(uint8_t lead) { return lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : 0; }

inline bool is_Trail(uint8_t b) { return (b & 0xC0) == 0x80; }

// The continuation bytes of the unit at p (a byte >= 0x80 that does not
// start a two-byte character), or -1 where it is a broken sequence: a
// continuation byte on its own, or a lead byte without all of its own
// before `end`.
inline int whole_Trail(const uint8_t* p, const uint8_t* end) {
  if (*p < 0xC0) return -1;
  const int k = trail_Count(*p);
  if (k >= end - p) return -1;
  for (int j = 1; j <= k; ++j)
    if (!is_Trail(p[j])) return -1;
  return k;
}

inline uint32_t code_Point2(const uint8_t* p) { return (uint32_t(p[0] & 0x1F) << 6) | (p[1] & 0x3F); }

// Counts of one stretch of the input (units that start in [from, to); the
// last may reach past `to`, not past `end`).
struct cCounts {
  uint32_t byCode[0x800] = {};  // two-byte characters by code point
  uint32_t byValue[128] = {};   // ASCII bytes by value
  int64_t broken = 0, pairs = 0, length = 0;
  void add(const uint8_t* from, const uint8_t* to, const uint8_t* end);
};

void cCounts::add(const uint8_t* p, const uint8_t* to, const uint8_t* end) {
  const uint8_t* const from = p;
  while (p < to) {
    const uint8_t b = *p;
    if (b < 0x80) {
      ++byValue[b];
      ++p;
    } else if ((b & 0xE0) == 0xC0 && end - p > 1 && is_Trail(p[1])) {  // the common case first
      ++byCode[code_Point2(p)];
      ++pairs;
      p += 2;
    } else {
      const int k = whole_Trail(p, end);
      if (k < 0) {
        ++broken;
        ++p;
      } else {
        p += 1 + k;
      }
    }
  }
  length += p - from;
}

constexpr int32_t kSampleBlock = 1024, kSampleBlocks = 16;

}  // namespace

bool plan_Window(const uint8_t* src, int32_t n, cWindow& w) {
  if (n < 1) return false;
  static_assert(kWindowBaseMax + kWindowSize == 0x800);
  cCounts c;
  const uint8_t* const end = src + n;
  if (n <= kSampleBlock * kSampleBlocks) {
    c.add(src, end, end);
  } else {
    // Blocks spread evenly over the input, each starting at a unit. Binary
    // data is turned down after a block or two: the rule below could no
    // longer hold.
    for (int64_t k = 0; k < kSampleBlocks; ++k) {
      const uint8_t* p = src + (int64_t(n) - kSampleBlock) * k / (kSampleBlocks - 1);
      for (int skip = 0; skip < 3 && p > src && is_Trail(*p); ++skip) ++p;
      c.add(p, std::min(p + kSampleBlock, end), end);
      if (c.broken * 16 > c.pairs + (kSampleBlocks - 1 - k) * kSampleBlock / 2) return false;
    }
  }
  const uint8_t esc = static_cast<uint8_t>(std::min_element(c.byValue, c.byValue + 128) - c.byValue);
  // The window holding the most characters (the lowest base of equals).
  uint64_t inWindow = 0;
  for (uint32_t cp = kWindowBaseMin; cp < kWindowBaseMin + kWindowSize; ++cp) inWindow += c.byCode[cp];
  uint64_t best = inWindow;
  uint32_t base = kWindowBaseMin;
  for (uint32_t b = kWindowBaseMin + 1; b <= kWindowBaseMax; ++b) {
    inWindow += c.byCode[b + kWindowSize - 1];
    inWindow -= c.byCode[b - 1];
    if (inWindow > best) {
      best = inWindow;
      base = b;
    }
  }
  const int64_t packed = c.length - int64_t(best) + c.byValue[esc] + c.broken;
  if (!window_Pays(static_cast<int32_t>(c.length), static_cast<int32_t>(packed), static_cast<int32_t>(c.broken)))
    return false;
  w.base = base;
  w.esc = esc;
  return true;
}

int32_t pack_Window(const cWindow& w, const uint8_t* src, int32_t n, uint8_t* dst, int32_t& broken) {
  const uint8_t esc = w.esc;
  const uint32_t base = w.base;
  const uint8_t* p = src;
  const uint8_t* const end = src + n;
  uint8_t* o = dst;
  broken = 0;
  while (p < end) {
    const uint8_t b = *p;
    if (b < 0x80) {
      if (b == esc) *o++ = esc;
      *o++ = b;
      ++p;
    } else if ((b & 0xE0) == 0xC0 && end - p > 1 && is_Trail(p[1])) {
      const uint32_t d = code_Point2(p) - base;  // wraps below the window
      if (d < kWindowSize) {
        *o++ = static_cast<uint8_t>(0x80 + d);
      } else {
        o[0] = b;
        o[1] = p[1];
        o += 2;
      }
      p += 2;
    } else {
      const int k = whole_Trail(p, end);
      if (k < 0) {
        o[0] = esc;
        o[1] = b;
        o += 2;
        ++p;
        ++broken;
      } else {
        for (int j = 0; j <= k; ++j) *o++ = *p++;  // 1 to 4 bytes: a library call costs more
      }
    }
  }
  return static_cast<int32_t>(o - dst);
}

int32_t unpack_Window(const cWindow& w, const uint8_t* src, int32_t n, uint8_t* dst, int32_t cap) {
  const uint8_t esc = w.esc;
  const uint32_t base = w.base;
  // The two bytes of each window character, stored as one.
  uint16_t pairOf[kWindowSize];
  for (uint32_t d = 0; d < kWindowSize; ++d) {
    const uint32_t cp = base + d;
    const uint8_t two[2] = {static_cast<uint8_t>(0xC0 | (cp >> 6)), static_cast<uint8_t>(0x80 | (cp & 0x3F))};
    std::memcpy(&pairOf[d], two, 2);
  }
  // Away from both ends a unit reads at most 4 bytes and writes at most 4.
  const uint8_t* p = src;
  uint8_t* q = dst;
  if (n >= 4 && cap >= 4) {
    const uint8_t* const pEnd = src + n - 4;
    uint8_t* const qEnd = dst + cap - 4;
    while (p <= pEnd && q <= qEnd) {
      const uint8_t c = *p++;
      if (c < 0x80) {
        *q++ = c == esc ? *p++ : c;
      } else if (c < 0xC0) {
        std::memcpy(q, &pairOf[c - 0x80], 2);
        q += 2;
      } else {
        *q++ = c;
        for (int k = trail_Count(c); k > 0; --k) *q++ = *p++;
      }
    }
  }
  int32_t i = static_cast<int32_t>(p - src), o = static_cast<int32_t>(q - dst);
  // The last units, each checked: one cut off gives the bytes it has.
  while (i < n && o < cap) {
    uint8_t unit[4];
    int len;
    const uint8_t c = src[i++];
    if (c < 0x80) {
      if (c == esc) {
        if (i == n) break;  // an escape without its byte
        unit[0] = src[i++];
      } else {
        unit[0] = c;
      }
      len = 1;
    } else if (c < 0xC0) {
      const uint32_t cp = base + (c - 0x80u);
      unit[0] = static_cast<uint8_t>(0xC0 | (cp >> 6));
      unit[1] = static_cast<uint8_t>(0x80 | (cp & 0x3F));
      len = 2;
    } else {
      unit[0] = c;
      len = 1;
      for (int k = trail_Count(c); k > 0 && i < n; --k) unit[len++] = src[i++];
    }
    for (int j = 0; j < len && o < cap; ++j) dst[o++] = unit[j];
  }
  return o;
}

}  // namespace pmd
