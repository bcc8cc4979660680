// Long numbers (base 256, least significant byte first) and the conversions
// between whole numbers and bit fields.
//
// mulSL and divSL are the inner loops of the table coders: a number is built
// digit by digit with mulSL and taken apart again with divSL, so both work in
// place on the caller's array and process eight bytes per step where the
// divisor guarantees that no 32-bit intermediate of the byte-wise definition
// can overflow. Outside that range they fall back to the byte-wise loop,
// which reports the overflow before the caller's number is touched.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cMassiv.h"
#include "platform/msg_box.h"

namespace {

// Largest base for which byte * osn + carry (mulSL) and r * 256 + byte
// (divSL) always stay below 2^31.
constexpr int32_t kSafeOsn = 1 << 23;

// Bit width as the toolkit defines it: 0 gives 1, negatives give 32.
inline int32_t width_N32(int32_t n) {
  if (n < 0) return 32;
  if (n == 0) return 1;
  return static_cast<int32_t>(std::bit_width(static_cast<uint32_t>(n)));
}

// Length of the number without its zero top bytes.
inline size_t sig_Len(const SL& s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == 0) --n;
  return n;
}

// Compares the values of two numbers, zero top bytes ignored.
int cmp_Values(const SL& a, const SL& b) {
  size_t la = sig_Len(a), lb = sig_Len(b);
  if (la != lb) return la < lb ? -1 : 1;
  for (size_t i = la; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// Numbers in the composed messages, as the user reads them: whole numbers
// with all their digits (no exponent form), others with 15 significant digits.
std::string fmt_X(double x) {
  char buf[400];
  if (x == std::floor(x))
    std::snprintf(buf, sizeof buf, "%.0f", x);
  else
    std::snprintf(buf, sizeof buf, "%.15g", x);
  return buf;
}

constexpr bool kLittle = std::endian::native == std::endian::little;

inline uint64_t load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

// value * m + carry over whole eight-byte limbs; returns the carry out.
// The carry out of a limb stays below m, so the bytes are exactly those of
// the byte-wise loop. The carry chain is the bottleneck, so the lower and
// upper halves run as two chains side by side; the lower half's carry is
// then added into the upper half.
// Kept out of line: inlined, the compiler loses that m has no high half and
// multiplies each limb twice.
#ifdef __SIZEOF_INT128__
[[gnu::noinline]] uint64_t mul_Limbs(uint8_t* p, size_t limbs, uint64_t m, uint64_t carry) {
  using u128 = unsigned __int128;
  const size_t half = limbs / 2;
  uint64_t carry2 = 0;
  for (size_t j = 0; j < half; ++j) {
    const u128 h1 = static_cast<u128>(m) * load64(p + 8 * j) + carry;
    const u128 h2 = static_cast<u128>(m) * load64(p + 8 * (half + j)) + carry2;
    store64(p + 8 * j, static_cast<uint64_t>(h1));
    store64(p + 8 * (half + j), static_cast<uint64_t>(h2));
    carry = static_cast<uint64_t>(h1 >> 64);
    carry2 = static_cast<uint64_t>(h2 >> 64);
  }
  if (limbs % 2 != 0) {
    const u128 h2 = static_cast<u128>(m) * load64(p + 8 * (limbs - 1)) + carry2;
    store64(p + 8 * (limbs - 1), static_cast<uint64_t>(h2));
    carry2 = static_cast<uint64_t>(h2 >> 64);
  }
  for (size_t j = half; carry != 0 && j < limbs; ++j) {
    const uint64_t v = load64(p + 8 * j) + carry;
    store64(p + 8 * j, v);
    carry = v < carry;
  }
  return carry + carry2;
}
#endif

// value * 2 + bit for bits[hi-1] down to bits[lo]; a value past bit 30 ends
// the operation.
int32_t bits_to_N(const uint8_t* bits, size_t lo, size_t hi) {
  int64_t v = 0;
  for (size_t i = hi; i-- > lo;) {
    v = v * 2 + bits[i];
    if (v > INT32_MAX) throw cOverflowError("переполнение");
  }
  return static_cast<int32_t>(v);
}

}  // namespace

// ---------------------------------------------------------------- long numbers

int32_t cMassiv::len_SL(const SL& superLong) const {
  if (superLong.empty()) return 0;
  int64_t bits = 8 * (static_cast<int64_t>(superLong.size()) - 1) + width_N32(superLong.back());
  return to_Int32(bits);
}

void cMassiv::del_Ved0(SL& superLong) { superLong.resize(sig_Len(superLong)); }

void cMassiv::add_N_to_SL(SL& superLong, int32_t n) {
  if (n < 0) {
    platform::msg("отриц");
    return;
  }
  if (superLong.empty()) superLong.push_back(0);
  // 64-bit carry: byte 0 + n may pass 2^31 for large n, the sum itself is exact.
  uint64_t carry = static_cast<uint32_t>(n);
  for (size_t i = 0; carry != 0; ++i) {
    if (i == superLong.size()) superLong.push_back(0);
    uint64_t c = superLong[i] + carry;
    superLong[i] = static_cast<uint8_t>(c);
    carry = c >> 8;
  }
}

void cMassiv::add_SL_SL(SL& izm, const SL& bb) {
  if (&izm == &bb) {
    const SL copy = bb;
    add_SL_SL(izm, copy);
    return;
  }
  if (izm.size() < bb.size()) izm.resize(bb.size(), 0);
  unsigned carry = 0;
  size_t i = 0;
  for (; i < bb.size(); ++i) {
    unsigned d = izm[i] + carry + bb[i];
    izm[i] = static_cast<uint8_t>(d);
    carry = d >> 8;
  }
  for (; carry != 0 && i < izm.size(); ++i) {
    unsigned d = izm[i] + carry;
    izm[i] = static_cast<uint8_t>(d);
    carry = d >> 8;
  }
  if (carry != 0) izm.push_back(static_cast<uint8_t>(carry));
}

int32_t cMassiv::sub_SL_SL(SL& superLong1, const SL& superLong2) {
  if (&superLong1 == &superLong2) {
    superLong1.clear();
    return 0;
  }
  // A smaller first number is refused whatever its length: subtracting it
  // would leave a wrapped value that looks like a valid difference.
  // The message follows the arrays as given: equal lengths with a smaller
  // top byte mean no byte to borrow from, anything else a smaller number.
  if (cmp_Values(superLong1, superLong2) < 0) {
    const size_t l1 = superLong1.size(), l2 = superLong2.size();
    if (l1 == l2 && superLong1[l1 - 1] < superLong2[l2 - 1])
      platform::msg("наверно негде брать заем");
    else
      platform::msg("первое число меньше второго!");
    return 0;
  }
  // First >= second, so every borrow finds a byte to take it from.
  const size_t n2 = sig_Len(superLong2);
  int borrow = 0;
  size_t i = 0;
  for (; i < n2; ++i) {
    int c = superLong1[i] - superLong2[i] - borrow;
    borrow = c < 0;
    superLong1[i] = static_cast<uint8_t>(c + (borrow << 8));
  }
  for (; borrow != 0; ++i) {
    int c = superLong1[i] - 1;
    borrow = c < 0;
    superLong1[i] = static_cast<uint8_t>(c + (borrow << 8));
  }
  del_Ved0(superLong1);
  return len_SL(superLong1);
}

void cMassiv::mulSL(SL& superLong, int32_t osn, int32_t n) {
  if (n < 0) {
    platform::msg("err mulSL: n<0");
    return;
  }
  if (osn <= 0) {
    platform::msg("err mulSL: osn<=0");
    return;
  }
  if (n >= osn) {
    platform::msg("err mulSL: n>=osn");
    return;
  }
  if (superLong.empty()) {
    // 0 * osn + n: the one byte n, plus its higher bytes.
    uint32_t c = static_cast<uint32_t>(n);
    do {
      superLong.push_back(static_cast<uint8_t>(c));
      c >>= 8;
    } while (c != 0);
    return;
  }
  const size_t len = superLong.size();
  uint64_t carry = static_cast<uint32_t>(n);
  size_t i = 0;
  if (osn <= kSafeOsn) {
#ifdef __SIZEOF_INT128__
    if constexpr (kLittle) {
      const size_t limbs = len / 8;
      carry = mul_Limbs(superLong.data(), limbs, static_cast<uint32_t>(osn), carry);
      i = limbs * 8;
    }
#endif
    const uint64_t m = static_cast<uint32_t>(osn);
    for (; i < len; ++i) {
      uint64_t h = superLong[i] * m + carry;
      superLong[i] = static_cast<uint8_t>(h);
      carry = h >> 8;
    }
  } else {
    // Byte-wise with the 32-bit bound checked first, so that an overflow
    // leaves the caller's number as it was.
    uint64_t c = carry;
    for (size_t j = 0; j < len; ++j) {
      int64_t h = static_cast<int64_t>(superLong[j]) * osn + static_cast<int64_t>(c);
      if (h > INT32_MAX) throw cOverflowError("переполнение");
      c = static_cast<uint64_t>(h) >> 8;
    }
    for (; i < len; ++i) {
      uint64_t h = superLong[i] * static_cast<uint64_t>(osn) + carry;
      superLong[i] = static_cast<uint8_t>(h);
      carry = h >> 8;
    }
  }
  while (carry != 0) {
    superLong.push_back(static_cast<uint8_t>(carry));
    carry >>= 8;
  }
}

int32_t cMassiv::divSL(SL& superLong, int32_t osn) {
  if (osn <= 0) {
    platform::msg("err: osn<=0");
    return 0;
  }
  if (superLong.empty()) return 0;
  const size_t len = superLong.size();
  uint8_t* p = superLong.data();
  const uint32_t d = static_cast<uint32_t>(osn);
  if (osn > kSafeOsn) {
    // r * 256 must fit in 32 bits; find out before changing anything.
    uint64_t r = 0;
    for (size_t i = len; i-- > 0;) {
      if (i + 1 < len && r >= (uint64_t{1} << 23)) throw cOverflowError("переполнение");
      r = ((r << 8) | p[i]) % d;
    }
  }
  uint64_t r = 0;
  size_t i = len;
  // Top bytes above the last whole eight-byte limb, one at a time.
#ifdef __SIZEOF_INT128__
  const size_t limbs = (kLittle && osn <= kSafeOsn) ? len / 8 : 0;
#else
  const size_t limbs = 0;
#endif
  for (; i > limbs * 8; --i) {
    uint64_t m = (r << 8) | p[i - 1];
    p[i - 1] = static_cast<uint8_t>(m / d);
    r = m % d;
  }
#ifdef __SIZEOF_INT128__
  if (limbs > 0) {
    // Division of r:limb (r < d) by the invariant divisor through its
    // precomputed reciprocal (Möller and Granlund, "Improved division by
    // invariant integers", 2011): one 64x64 product per limb instead of a
    // hardware division per byte. d is shifted so that its top bit is set,
    // and r:limb with it; the remainder is shifted back.
    const int s = std::countl_zero(static_cast<uint64_t>(d));
    const uint64_t dn = static_cast<uint64_t>(d) << s;
    const uint64_t v = static_cast<uint64_t>(~static_cast<unsigned __int128>(0) / dn);  // floor((2^128-1)/dn) - 2^64
    // The remainder stays shifted (rs = r << s) along the chain.
    uint64_t rs = r << s;
    for (size_t j = limbs; j-- > 0;) {
      const uint64_t limb = load64(p + 8 * j);
      const uint64_t u1 = rs | (limb >> (64 - s));
      const uint64_t u0 = limb << s;
      unsigned __int128 q = static_cast<unsigned __int128>(v) * u1;
      q += (static_cast<unsigned __int128>(u1) << 64) | u0;
      uint64_t q1 = static_cast<uint64_t>(q >> 64) + 1;
      const uint64_t q0 = static_cast<uint64_t>(q);
      rs = u0 - q1 * dn;
      // The first correction is taken about half the time: branch-free.
      const uint64_t mask = 0 - static_cast<uint64_t>(rs > q0);
      q1 += mask;
      rs += mask & dn;
      if (rs >= dn) [[unlikely]] {
        ++q1;
        rs -= dn;
      }
      store64(p + 8 * j, q1);
    }
    r = rs >> s;
  }
#endif
  del_Ved0(superLong);
  return static_cast<int32_t>(r);
}

int32_t cMassiv::cmp_SL_SL(const SL& superLong1, const SL& superLong2) const {
  return cmp_Values(superLong1, superLong2);
}

double cMassiv::SL_to_Double(const SL& bb) {
  if (bb.empty()) throw cIndexError("индекс вне массива");
  double v = 0;
  for (size_t i = bb.size(); i-- > 0;) {
    v = v * 256 + bb[i];
    // The value only grows from here on.
    if (v > 1073741824.0) return -1;
  }
  return v;
}

SL cMassiv::N_to_br100(int32_t n) {
  if (n < 0) {
    platform::msg("отриц");
    return {};
  }
  SL r(static_cast<size_t>(add_Checked(n, 1)), 0);
  r.back() = 1;
  return r;
}

// ------------------------------------------------- numbers and bit fields

BB cMassiv::N_to_M1(int32_t n32, int32_t nBit) {
  BB bits;
  // Negative values give their 32-bit two's complement pattern, their width
  // being 32; halving toward zero would produce elements that are not bits.
  uint32_t u = static_cast<uint32_t>(n32);
  const int32_t w = width_N32(n32);
  bits.reserve(static_cast<size_t>(std::max(w, nBit)));
  for (int32_t k = 0; k < w; ++k) bits.push_back(static_cast<uint8_t>((u >> k) & 1));
  if (nBit > 0) {
    if (nBit >= w)
      bits.resize(static_cast<size_t>(nBit), 0);
    else
      platform::msg("число " + std::to_string(n32) + " не влезет в " + std::to_string(nBit) + "бит");
  }
  return bits;
}

int32_t cMassiv::M1_to_N(const BB& bb, int32_t vStart, int32_t vLen) {
  if (vStart < 0 || vLen < 0) {
    platform::msg("err");
    return 0;
  }
  const size_t len = bb.size();
  if (static_cast<size_t>(vStart) >= len) {
    platform::msg("err-out");
    return 0;
  }
  size_t end = len;
  if (vLen > 0) {
    if (static_cast<size_t>(vLen) > len - static_cast<size_t>(vStart))
      platform::msg("не хватает длины поля для старших бит");
    else
      end = static_cast<size_t>(vStart) + static_cast<size_t>(vLen);
  }
  return bits_to_N(bb.data(), static_cast<size_t>(vStart), end);
}

BB cMassiv::X_to_M1(double x, int32_t nBit) {
  if (x < 0) {
    platform::msg("отриц");
    return {};
  }
  if (!std::isfinite(x)) {
    // Halving infinity never reaches 0; NaN has no bits.
    platform::msg("err");
    return {};
  }
  const double x0 = x;
  BB bits;
  while (x > 0) {
    double h = x / 2;
    double f = std::floor(h);
    bits.push_back(h != f ? 1 : 0);
    x = f;
  }
  if (nBit > 0) {
    if (static_cast<size_t>(nBit) < bits.size())
      platform::msg("число " + fmt_X(x0) + "не влезет в " + std::to_string(nBit) + "бит");
    bits.resize(static_cast<size_t>(nBit), 0);
  }
  return bits;
}

double cMassiv::M1_to_X(const BB& bb, int32_t vStart) {
  if (vStart < 0) {
    platform::msg("err");
    return 0;
  }
  double v = 0;
  for (size_t i = bb.size(); i-- > static_cast<size_t>(vStart);) v = v * 2 + bb[i];
  return v;
}

void cMassiv::add_N_to_M1(BB& bitPol_izm, int32_t n, int32_t numBit) {
  BB bits = N_to_M1(n, numBit);
  bitPol_izm.insert(bitPol_izm.end(), bits.begin(), bits.end());
}

int32_t cMassiv::get_N_from_M1(const BB& bitPol, int32_t& p_izm, int32_t numBit) {
  // The sub-range rules of blok_BB, without copying the bits out.
  const int64_t len = static_cast<int64_t>(bitPol.size());
  if (len == 0 || numBit == 0) {
    platform::msg("err-out");
    return 0;
  }
  if (p_izm < 0) p_izm = 0;
  const int64_t remain = len - p_izm;
  const int64_t count = (numBit > 0 && numBit < remain) ? numBit : remain;
  const int64_t start = p_izm;
  p_izm = static_cast<int32_t>(start + count);
  if (count <= 0) {
    platform::msg("err-out");
    return 0;
  }
  return bits_to_N(bitPol.data(), static_cast<size_t>(start), static_cast<size_t>(start + count));
}

void cMassiv::inv_M1(BB& izm) {
  // Anything but 0 and 1 means this is not a bit field.
  if (std::any_of(izm.begin(), izm.end(), [](uint8_t b) { return b > 1; })) {
    platform::msg("Это не бит-поле");
    return;
  }
  for (uint8_t& b : izm) b ^= 1;
}

int32_t cMassiv::max_emk_M32(const TT& tt) {
  int32_t w = 1;
  for (int32_t e : tt) {
    w = std::max(w, width_N32(e));
    if (w == 32) break;
  }
  return w;
}
