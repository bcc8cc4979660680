#include "utf8_window.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
// last may reach past `to`, not past `end`). The ASCII bytes are counted by
// value apart, and only once the characters show that packing may pay.
struct cCounts {
  uint32_t byCode[0x800] = {};  // two-byte characters by code point
  uint32_t byValue[128] = {};   // ASCII bytes by value
  int64_t broken = 0, pairs = 0, length = 0;
  void add(const uint8_t* from, const uint8_t* to, const uint8_t* end);
  // ASCII bytes are never part of another unit: those in [from, to) are
  // the ones add() passed.
  void add_Values(const uint8_t* from, const uint8_t* to) {
    for (const uint8_t* p = from; p < to; ++p)
      if (*p < 0x80) ++byValue[*p];
  }
};

void cCounts::add(const uint8_t* p, const uint8_t* to, const uint8_t* end) {
  const uint8_t* const from = p;
  while (p < to) {
    const uint8_t b = *p;
    if (b < 0x80) {
      ++p;
      // Eight ASCII bytes at a time.
      uint64_t w;
      while (to - p >= 8 && (std::memcpy(&w, p, 8), (w & 0x8080808080808080u) == 0)) p += 8;
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
  const uint8_t* from[kSampleBlocks];
  const uint8_t* to[kSampleBlocks];
  int blocks = 0;
  if (n <= kSampleBlock * kSampleBlocks) {
    c.add(src, end, end);
    from[0] = src;
    to[0] = end;
    blocks = 1;
  } else {
    // Blocks spread evenly over the input, each starting at a unit. Binary
    // data is turned down after a block or two: the rule below could no
    // longer hold.
    for (int64_t k = 0; k < kSampleBlocks; ++k) {
      const uint8_t* p = src + (int64_t(n) - kSampleBlock) * k / (kSampleBlocks - 1);
      for (int skip = 0; skip < 3 && p > src && is_Trail(*p); ++skip) ++p;
      c.add(p, std::min(p + kSampleBlock, end), end);
      from[blocks] = p;
      to[blocks++] = std::min(p + kSampleBlock, end);
      if (c.broken * 16 > c.pairs + (kSampleBlocks - 1 - k) * kSampleBlock / 2) return false;
    }
  }
  // The bytes saved are at most the characters: too few of them cannot pay,
  // whatever the window and the escape byte.
  if (c.pairs < 8 || c.pairs < c.length / 32) return false;
  for (int k = 0; k < blocks; ++k) c.add_Values(from[k], to[k]);
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

namespace {

// Packs the unit at p, returning the next one.
inline const uint8_t* pack_Unit(const uint8_t* p, const uint8_t* end, uint8_t*& o, uint8_t esc, uint32_t base,
                                int32_t& broken) {
  const uint8_t b = *p;
  if (b < 0x80) {
    if (b == esc) *o++ = esc;
    *o++ = b;
    return p + 1;
  }
  if ((b & 0xE0) == 0xC0 && end - p > 1 && is_Trail(p[1])) {
    const uint32_t d = code_Point2(p) - base;  // wraps below the window
    if (d < kWindowSize) {
      *o++ = static_cast<uint8_t>(0x80 + d);
    } else {
      o[0] = b;
      o[1] = p[1];
      o += 2;
    }
    return p + 2;
  }
  const int k = whole_Trail(p, end);
  if (k < 0) {
    o[0] = esc;
    o[1] = b;
    o += 2;
    ++broken;
    return p + 1;
  }
  for (int j = 0; j <= k; ++j) *o++ = *p++;  // 1 to 4 bytes: a library call costs more
  return p;
}

// Unpacks the unit at p where it can neither read past the input nor write
// past the output (4 bytes each way); returns the next one.
inline const uint8_t* unpack_Unit(const uint8_t* p, uint8_t*& q, uint8_t esc, const uint16_t* pairOf) {
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
  return p;
}

#if defined(__x86_64__)
// Sixteen bytes at a time over runs of ASCII bytes and window characters,
// which are most of a text that packs: the units are told apart by masks,
// and the bytes kept (or made) are gathered by a byte shuffle from a table.
// The first other unit goes on its own. SSSE3, looked for at run time.

// Byte shuffles by an 8-bit mask of lanes: the indices of the bytes taken
// (0x80 past them: zeros) and their number.
struct cShuffle {
  uint8_t idx[256][16];
  uint8_t count[256];
};

// Packing: the lanes to keep, packed to the front.
constexpr cShuffle kKeep = [] {
  cShuffle t{};
  for (int m = 0; m < 256; ++m) {
    int n = 0;
    for (int j = 0; j < 8; ++j)
      if (m >> j & 1) t.idx[m][n++] = static_cast<uint8_t>(j);
    t.count[m] = static_cast<uint8_t>(n);
    for (int j = n; j < 16; ++j) t.idx[m][j] = 0x80;
  }
  return t;
}();

// Unpacking: of 8 units interleaved with their second bytes (u0 t0 u1 t1
// ...), every unit, and its t where the mask marks a window character.
constexpr cShuffle kSpread = [] {
  cShuffle t{};
  for (int m = 0; m < 256; ++m) {
    int n = 0;
    for (int j = 0; j < 8; ++j) {
      t.idx[m][n++] = static_cast<uint8_t>(2 * j);
      if (m >> j & 1) t.idx[m][n++] = static_cast<uint8_t>(2 * j + 1);
    }
    t.count[m] = static_cast<uint8_t>(n);
    for (int j = n; j < 16; ++j) t.idx[m][j] = 0x80;
  }
  return t;
}();

inline bool have_Ssse3() {
  // (Initialised here too: a static constructor may pack before the
  // library's own start-up has looked at the processor.)
  static const bool yes = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
  }();
  return yes;
}

inline __m128i bytes(uint8_t v) { return _mm_set1_epi8(static_cast<char>(v)); }
inline uint32_t mask_Of(__m128i v) { return static_cast<uint32_t>(_mm_movemask_epi8(v)); }

// Packs from p while 17 bytes can be read; returns where it stopped.
[[gnu::target("ssse3")]] const uint8_t* pack_Blocks(const uint8_t* p, const uint8_t* end, uint8_t*& out, uint8_t esc,
                                                   uint32_t base, int32_t& broken) {
  uint8_t* o = out;
  const __m128i lead5 = bytes(0x1F), trail6 = bytes(0x3F), top2 = bytes(0xC0), top3 = bytes(0xE0);
  const __m128i hiOfBase = bytes(static_cast<uint8_t>(base >> 6 & 0x1F)), loOfBase = bytes(base & 0x3F);
  const __m128i escs = bytes(esc), one = bytes(1), sixtyFour = bytes(64), offset = bytes(0x80);
  while (end - p >= 17) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const uint32_t high = mask_Of(v);
    const __m128i leads = _mm_cmpeq_epi8(_mm_and_si128(v, top3), top2);
    const uint32_t leadBits = mask_Of(leads);
    const uint32_t lanes = (leadBits & 0x8000) ? 0x7FFF : 0xFFFF;  // a last lead goes with the next block
    const uint32_t trail = mask_Of(_mm_cmpeq_epi8(_mm_and_si128(v, top2), offset));
    // The window character of a lead and its continuation byte: its lead's
    // low bits one or none above the window's, the offset within 0..63.
    const __m128i k = _mm_sub_epi8(_mm_and_si128(v, lead5), hiOfBase);
    const __m128i above = _mm_cmpeq_epi8(k, one);
    const __m128i d =
        _mm_add_epi8(_mm_sub_epi8(_mm_and_si128(next, trail6), loOfBase), _mm_and_si128(above, sixtyFour));
    const __m128i inside = _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(k, _mm_setzero_si128()), above),
                                         _mm_cmpeq_epi8(_mm_and_si128(d, top2), _mm_setzero_si128()));
    const __m128i charLanes = _mm_and_si128(leads, inside);
    const uint32_t chars = mask_Of(charLanes) & lanes;
    const uint32_t escaped = mask_Of(_mm_cmpeq_epi8(v, escs));
    // Units the block takes: ASCII bytes but the escape byte, and window
    // characters (a lead followed by its continuation byte); the first other
    // one ends the run of lanes coded here.
    const uint32_t good = ((~high & ~escaped) | chars | (chars << 1 & trail)) & ~((chars << 1 & ~trail) >> 1);
    const uint32_t bad = ~good & lanes;
    const int run = bad ? __builtin_ctz(bad) : (lanes == 0xFFFF ? 16 : 15);
    if (run == 0) {  // the other unit on its own, and on to the next block
      p = pack_Unit(p, end, o, esc, base, broken);
      continue;
    }
    const __m128i units =
        _mm_or_si128(_mm_and_si128(charLanes, _mm_add_epi8(d, offset)), _mm_andnot_si128(charLanes, v));
    const uint32_t keep = ~(chars << 1) & ((1u << run) - 1);
    const uint32_t lo = keep & 0xFF, hi = keep >> 8 & 0xFF;
    const __m128i* const idxLo = reinterpret_cast<const __m128i*>(kKeep.idx[lo]);
    const __m128i* const idxHi = reinterpret_cast<const __m128i*>(kKeep.idx[hi]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(units, _mm_loadu_si128(idxLo)));
    o += kKeep.count[lo];
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(_mm_srli_si128(units, 8), _mm_loadu_si128(idxHi)));
    o += kKeep.count[hi];
    p += run;
  }
  out = o;
  return p;
}

// Unpacks from p while 16 bytes can be read and 32 written; returns where it
// stopped.
[[gnu::target("ssse3")]] const uint8_t* unpack_Blocks(const uint8_t* p, const uint8_t* pLast, uint8_t*& out,
                                                     const uint8_t* qLast, uint8_t esc, uint32_t base,
                                                     const uint16_t* pairOf) {
  uint8_t* q = out;
  const __m128i top2 = bytes(0xC0), offset = bytes(0x80), trail6 = bytes(0x3F), escs = bytes(esc);
  const __m128i loOfBase = bytes(base & 0x3F), leadOfBase = bytes(static_cast<uint8_t>(0xC0 | base >> 6));
  while (pLast - p >= 16 && qLast - q >= 32) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i isChar = _mm_cmpeq_epi8(_mm_and_si128(v, top2), offset);
    const uint32_t chars = mask_Of(isChar);
    // ASCII bytes but the escape byte, and window characters: the first
    // other unit ends the run of lanes unpacked here.
    const uint32_t bad = (mask_Of(v) & ~chars) | mask_Of(_mm_cmpeq_epi8(v, escs));
    const int run = bad ? __builtin_ctz(bad) : 16;
    if (run == 0) {  // the other unit on its own (it reads and writes at most 4 bytes)
      p = unpack_Unit(p, q, esc, pairOf);
      continue;
    }
    // A character's offset from the window's first continuation byte: past
    // 63 its lead is one higher.
    const __m128i s = _mm_add_epi8(_mm_sub_epi8(v, offset), loOfBase);
    const __m128i lead = _mm_sub_epi8(leadOfBase, _mm_cmpgt_epi8(s, trail6));
    const __m128i second = _mm_or_si128(_mm_and_si128(s, trail6), offset);
    const __m128i units = _mm_or_si128(_mm_and_si128(isChar, lead), _mm_andnot_si128(isChar, v));
    const uint32_t taken = chars & ((1u << run) - 1);
    const uint32_t lo = taken & 0xFF, hi = taken >> 8;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(q),
                     _mm_shuffle_epi8(_mm_unpacklo_epi8(units, second),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSpread.idx[lo]))));
    if (run > 8)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(q + kSpread.count[lo]),
                       _mm_shuffle_epi8(_mm_unpackhi_epi8(units, second),
                                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSpread.idx[hi]))));
    q += run + (kSpread.count[lo] - 8) + (kSpread.count[hi] - 8);
    p += run;
  }
  out = q;
  return p;
}
#endif

}  // namespace

int32_t pack_Window(const cWindow& w, const uint8_t* src, int32_t n, uint8_t* dst, int32_t& broken) {
  const uint8_t* p = src;
  const uint8_t* const end = src + n;
  uint8_t* o = dst;
  broken = 0;
#if defined(__x86_64__)
  if (have_Ssse3()) p = pack_Blocks(p, end, o, w.esc, w.base, broken);
#endif
  while (p < end) p = pack_Unit(p, end, o, w.esc, w.base, broken);
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
  const uint8_t* p = src;
  uint8_t* q = dst;
#if defined(__x86_64__)
  if (have_Ssse3()) p = unpack_Blocks(p, src + n, q, dst + cap, esc, base, pairOf);
#endif
  // Away from both ends a unit reads at most 4 bytes and writes at most 4.
  if (n >= 4 && cap >= 4) {
    const uint8_t* const pEnd = src + n - 4;
    uint8_t* const qEnd = dst + cap - 4;
    while (p <= pEnd && q <= qEnd) p = unpack_Unit(p, q, esc, pairOf);
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
      std::memcpy(unit, &pairOf[c - 0x80], 2);
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
