// Variable-length integer codes: the two-byte 78o family (78o, 78o4, p78),
// o250, and the prefix code p7778 of container headers.
//
// p7778 is defined as a bit string (unary length, then 7k value bits, packed
// LSB first); since the unary prefix sits in the low bits, the k code bytes
// are simply the low 8k bits of  (2^(k-1) - 1) | value << k  as a
// little-endian integer. Writer and reader work on that integer directly.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "cMassiv.h"
#include "platform/msg_box.h"

namespace {

constexpr double kMaxP7778 = 1125899906842624.0;  // 2^50

// Bits of a non-negative double as the bit-field conversion produces them
// (halving, a bit for each fractional half). For whole numbers this is the
// number itself; the loop only runs for fractional input.
uint64_t halving_Bits(double x) {
  if (x == std::floor(x)) return static_cast<uint64_t>(x);
  uint64_t v = 0;
  for (int k = 0; x > 0 && k < 64; ++k) {
    double h = x / 2;
    double f = std::floor(h);
    if (h != f) v |= uint64_t{1} << k;
    x = f;
  }
  return v;
}

// value * 2 + bit in doubles from the top bit down, as the bit-field reader
// accumulates; below 2^53 that is the exact value.
double bits_to_X(uint64_t v) {
  if (v < (uint64_t{1} << 53)) return static_cast<double>(v);
  double x = 0;
  for (int k = 63; k >= 0; --k) x = x * 2 + static_cast<double>((v >> k) & 1);
  return x;
}

}  // namespace

// ------------------------------------------------------------------ 78o

BB cMassiv::N_to_78o(int32_t n, int32_t o, int32_t& vOutLen) {
  vOutLen = 0;
  if (o < 0 || o > 8) {
    platform::msg("o=0..8");
    return {};
  }
  const int32_t d = 256 - (1 << o);
  if (n < 0) {
    // A negative value has no code; it would be stored as a wrong byte.
    platform::msg("отриц");
    return {};
  }
  if (n > (1 << (o + 8)) + d - 1) {
    platform::msg("переполнение");
    return {};
  }
  BB r;
  if (n < d) {
    r.push_back(static_cast<uint8_t>(n));
  } else {
    const int32_t m = n - d;
    r.push_back(static_cast<uint8_t>(d + m / 256));
    r.push_back(static_cast<uint8_t>(m % 256));
  }
  vOutLen = static_cast<int32_t>(r.size());
  return r;
}

int32_t cMassiv::o78_to_N(const BB& bb, int32_t o, int32_t& vStart_izm) {
  if (o < 0 || o > 8) {
    platform::msg("o=0..8");
    return 0;
  }
  if (bb.empty()) {
    platform::msg("pusto");
    return 0;
  }
  const int64_t len = static_cast<int64_t>(bb.size());
  const int64_t p = vStart_izm;
  if (p < 0 || p >= len) {
    platform::msg("err");
    return 0;
  }
  const int32_t d = 256 - (1 << o);
  const int32_t b = bb[static_cast<size_t>(p)];
  if (b < d) {
    vStart_izm = static_cast<int32_t>(p + 1);
    return b;
  }
  if (p + 1 >= len) {
    platform::msg("err");
    return 0;
  }
  vStart_izm = static_cast<int32_t>(p + 2);
  return (b - d) * 256 + bb[static_cast<size_t>(p + 1)] + d;
}

namespace {

// The two-byte codes with split d: a value below d is one byte, a larger one
// the bytes d + (n - d) div 256 and (n - d) mod 256. 78o4 has d = 240, o250
// d = 251; each has its own limit and messages.
void put_Split(cMassiv& m, BB& bb, int32_t n, int32_t& p_izm, int32_t d) {
  if (n < d) {
    m.put_n8(bb, n, p_izm);
    return;
  }
  m.put_n8(bb, d + (n - d) / 256, p_izm);
  m.put_n8(bb, (n - d) % 256, p_izm);
}

// 0 with the message `err` when the code is cut off.
int32_t get_Split(cMassiv& m, const BB& bb, int32_t& vStart_izm, int32_t d, const char* err) {
  const int32_t b = m.get_n8(bb, vStart_izm);
  const int32_t c = b >= d ? m.get_n8(bb, vStart_izm) : 0;
  if (b < 0 || c < 0) {
    platform::msg(err);
    return 0;
  }
  return b < d ? b : (b - d) * 256 + c + d;
}

}  // namespace

void cMassiv::put_78o4(BB& bb, int32_t n, int32_t& p_izm) {
  if (n > 4000) {
    platform::msg("не влезет в 78о4");
    return;
  }
  if (n < 0) {
    platform::msg("отриц");
    return;
  }
  put_Split(*this, bb, n, p_izm, 240);
}

int32_t cMassiv::get_78o4(const BB& bb, int32_t& vStart_izm) { return get_Split(*this, bb, vStart_izm, 240, "err get78o4"); }

void cMassiv::put_o250(BB& bb, int32_t n, int32_t& p_izm) {
  if (n >= 1501) {
    platform::msg("не влезет");
    return;
  }
  if (n < 0) {
    platform::msg("отриц");
    return;
  }
  put_Split(*this, bb, n, p_izm, 251);
}

int32_t cMassiv::get_o250(const BB& bb, int32_t& vStart_izm) { return get_Split(*this, bb, vStart_izm, 251, "err"); }

BB cMassiv::zip_p78(const TT& tt) {
  const int32_t mx = max_TT(tt);  // reports an empty array or a negative element
  if (tt.empty() || std::any_of(tt.begin(), tt.end(), [](int32_t v) { return v < 0; })) return {};
  if (mx > 32894) {
    platform::msg("max 32k");
    return {};
  }
  BB r(2 * tt.size());
  size_t p = 0;
  for (int32_t n : tt) {
    if (n < 128) {
      r[p++] = static_cast<uint8_t>(n);
    } else {
      const int32_t m = n - 128;
      r[p++] = static_cast<uint8_t>(128 + m / 256);
      r[p++] = static_cast<uint8_t>(m % 256);
    }
  }
  r.resize(p);
  return r;
}

// ---------------------------------------------------------------- p7778

BB cMassiv::X_to_p7778(double x) {
  if (x < 0) {
    platform::msg("err-отрицательное");
    return {};
  }
  if (!(x <= kMaxP7778)) {  // also NaN
    platform::msg("err-переполнение");
    return {};
  }
  // Each length k holds 2^(7k) values after those of all shorter lengths.
  int k = 1;
  double cap = 128;
  while (x >= cap) {
    x -= cap;
    ++k;
    cap *= 128;
  }
  const uint64_t code = ((uint64_t{1} << (k - 1)) - 1) | (halving_Bits(x) << k);
  BB r(static_cast<size_t>(k));
  for (int i = 0; i < k; ++i) r[static_cast<size_t>(i)] = static_cast<uint8_t>(code >> (8 * i));
  return r;
}

double cMassiv::p7778_to_X(const BB& ist, int32_t& vStart_izm) {
  const int64_t len = static_cast<int64_t>(ist.size());
  const int64_t p = vStart_izm;
  if (p < 0 || p >= len) {
    platform::msg("err");
    return 0;
  }
  const uint8_t* s = ist.data() + p;
  // Ones from bit 0 up to the first zero; 0xFF has eight, so k reaches 9.
  const int ones = std::countr_one(static_cast<unsigned>(s[0]) & 0xFFu);
  const int k = ones + 1;
  // Values held by all shorter forms: 2^7 + 2^14 + ... (exact in a double).
  static constexpr double kOffset[9] = {0.0,
                                        128.0,
                                        16512.0,
                                        2113664.0,
                                        270549120.0,
                                        34630287488.0,
                                        4432676798592.0,
                                        567382630219904.0,
                                        72624976668147840.0};
  const double offset = kOffset[ones];
  // A code cut short by the end of the data keeps only the bytes present.
  const int n = static_cast<int>(std::min<int64_t>(k, len - p));
  vStart_izm = static_cast<int32_t>(p + n);
  uint64_t lo = 0;
  const int nlo = std::min(n, 8);
  for (int i = 0; i < nlo; ++i) lo |= static_cast<uint64_t>(s[i]) << (8 * i);
  uint64_t v = lo >> k;
  if (n == 9) v |= static_cast<uint64_t>(s[8]) << (64 - k);
  return bits_to_X(v) + offset;
}

namespace {
// Length of the code of a 32-bit value: 1..5 bytes.
// Branch-free: the lengths of a mixed array are unpredictable.
inline int len_7778(uint32_t x) {
  return 1 + (x >= 128u) + (x >= 16512u) + (x >= 2113664u) + (x >= 270549120u);
}
constexpr uint64_t kOffset32[6] = {0, 0, 128, 16512, 2113664, 270549120};
}  // namespace

BB cMassiv::zip_7778(const TT& tt) {
  // Sized exactly in a first pass, so the output is allocated once.
  size_t total = 0;
  for (int32_t n : tt)
    if (n >= 0) total += static_cast<size_t>(len_7778(static_cast<uint32_t>(n)));
  // Eight spare bytes let every code be stored with one 8-byte write.
  BB r(total + 8);
  uint8_t* q = r.data();
  for (int32_t n : tt) {
    if (n < 0) {
      platform::msg("err-отрицательное");
      continue;
    }
    // X_to_p7778 for 32-bit values (at most five bytes), little-endian.
    const int k = len_7778(static_cast<uint32_t>(n));
    const uint64_t x = static_cast<uint32_t>(n) - kOffset32[k];
    uint64_t code = ((uint64_t{1} << (k - 1)) - 1) | (x << k);
    if constexpr (std::endian::native != std::endian::little) code = __builtin_bswap64(code);
    std::memcpy(q, &code, 8);
    q += k;
  }
  r.resize(total);
  return r;
}

TT cMassiv::unzip_7778(const BB& bb) {
  // Every code takes at least one byte: counting the codes first sizes the
  // output once.
  const int32_t len = len_BB(bb);
  const uint8_t* s = bb.data();
  size_t count = 0;
  for (int64_t p = 0; p < len; p += std::countr_one(static_cast<unsigned>(s[p])) + 1) ++count;
  TT r(count);
  size_t j = 0;
  int32_t p = 0;
  while (p >= 0 && p < len) {
    const int k = std::countr_one(static_cast<unsigned>(s[p])) + 1;
    if (k <= 5 && p + 8 <= len) {
      // A whole code of at most five bytes: its value bits lie in the low 40.
      uint64_t lo;
      std::memcpy(&lo, s + p, 8);
      if constexpr (std::endian::native != std::endian::little) lo = __builtin_bswap64(lo);
      lo &= (uint64_t{1} << (8 * k)) - 1;
      const uint64_t x = (lo >> k) + kOffset32[k];
      if (x > static_cast<uint64_t>(INT32_MAX)) throw cOverflowError("переполнение");
      r[j++] = static_cast<int32_t>(x);
      p += k;
      continue;
    }
    const double x = p7778_to_X(bb, p);
    if (x > INT32_MAX) throw cOverflowError("переполнение");
    r[j++] = static_cast<int32_t>(std::nearbyint(x));
  }
  return r;
}
