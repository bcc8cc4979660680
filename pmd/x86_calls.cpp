#include "x86_calls.h"

#include <algorithm>
#include <cstring>

namespace pmd {

namespace {

constexpr uint32_t kSpan = 1u << 24;           // displacements in [-kSpan, kSpan) are converted
constexpr uint32_t kRing = (2 * kSpan) - 1;    // modulo 2^25
constexpr int32_t kSampleBlock = 1024, kSampleBlocks = 16;

inline bool is_Site(uint8_t b) { return (b & 0xFE) == 0xE8; }

inline uint32_t load32(const uint8_t* p) {
  return p[0] | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void store32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

template <bool kToTargets>
void convert(uint8_t* buf, int32_t n) {
  for (int32_t i = 0; i < n - 4;) {
    if (!is_Site(buf[i])) {
      ++i;
      continue;
    }
    const uint32_t v = load32(buf + i + 1);
    if (v + kSpan <= kRing) {  // within the span (the sum wraps for negative ones)
      const uint32_t next = static_cast<uint32_t>(i) + 5;
      store32(buf + i + 1, ((v + kSpan + (kToTargets ? next : 0u - next)) & kRing) - kSpan);
    }
    i += 5;
  }
}

// Sites, and sites whose displacement is within the converted span, in
// [from, to).
void count_Sites(const uint8_t* src, int32_t n, int32_t from, int32_t to, int64_t& sites, int64_t& near) {
  const int32_t last = std::min(to, n - 4);
  for (int32_t i = from; i < last;) {
    if (!is_Site(src[i])) {
      ++i;
      // Eight bytes at a time while none is E8 or E9 (most of any data
      // but code): a zero byte in (w ^ E8..) & FE.. is a site.
      while (i + 8 <= last) {
        uint64_t w;
        std::memcpy(&w, src + i, 8);
        const uint64_t v = (w ^ 0xE8E8E8E8E8E8E8E8u) & 0xFEFEFEFEFEFEFEFEu;
        if (((v - 0x0101010101010101u) & ~v & 0x8080808080808080u) != 0) break;
        i += 8;
      }
      continue;
    }
    ++sites;
    near += load32(src + i + 1) + kSpan <= kRing;
    i += 5;
  }
}

}  // namespace

bool plan_Calls(const uint8_t* src, int32_t n) {
  int64_t sites = 0, near = 0, sampled = 0;
  if (n <= kSampleBlock * kSampleBlocks) {
    count_Sites(src, n, 0, n, sites, near);
    sampled = n;
  } else {
    for (int64_t k = 0; k < kSampleBlocks; ++k) {
      const int32_t at = static_cast<int32_t>((int64_t(n) - kSampleBlock) * k / (kSampleBlocks - 1));
      count_Sites(src, n, at, at + kSampleBlock, sites, near);
      sampled += kSampleBlock;
    }
  }
  // Code has a near call or jump every hundred bytes or so (x86 code here:
  // 1.2-3.8 % of the bytes), and 80-93 % of its sites are near ones. In other
  // data an E8 or E9 byte is followed by any four bytes, seldom a near
  // displacement; tables of small numbers have near ones, but few sites.
  return near >= 16 && near * 2 >= sites && near * 256 >= sampled;
}

void calls_To_Targets(uint8_t* buf, int32_t n) { convert<true>(buf, n); }
void targets_To_Calls(uint8_t* buf, int32_t n) { convert<false>(buf, n); }

}  // namespace pmd
