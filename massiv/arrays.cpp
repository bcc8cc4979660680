// Arrays, widths, bit-field packing, byte streams and scalar helpers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "cMassiv.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// Checks a bit field before packing: not empty, width within 1..maxBit, only
// 0/1 elements. Shows the message and returns false otherwise.
bool bit_Field_Ok(const BB& bitPol, int32_t nBit, int32_t maxBit, const char* widthMsg) {
  if (bitPol.empty()) {
    msg("пустой массив");
    return false;
  }
  if (nBit < 1 || nBit > maxBit) {
    msg(widthMsg);
    return false;
  }
  for (uint8_t b : bitPol)
    if (b > 1) {
      msg("в бит-поле не 0/1");
      return false;
    }
  return true;
}

// Packs fields of `width` bits (2 or 4) into bytes, first field lowest.
BB pack_Fields(const BB& fields, int width) {
  if (fields.empty()) {
    msg("пустой массив");
    return {};
  }
  for (uint8_t v : fields)
    if (v >= (1 << width)) {
      msg("не влезет");
      return {};
    }
  const size_t perByte = static_cast<size_t>(8 / width);
  BB out((fields.size() + perByte - 1) / perByte, 0);
  for (size_t i = 0; i < fields.size(); ++i)
    out[i / perByte] |= static_cast<uint8_t>(fields[i] << (width * static_cast<int>(i % perByte)));
  return out;
}

// Sub-range of `src` from the cursor; shared by the byte and integer kinds.
template <class V>
V blok_Range(const V& src, int32_t& vStart_izm, int32_t vLen) {
  V out;
  const int64_t len = static_cast<int64_t>(src.size());
  if (len == 0 || vLen == 0) return out;
  if (vStart_izm < 0) vStart_izm = 0;
  int64_t count = len - vStart_izm;
  if (vLen > 0 && vLen < count) count = vLen;
  if (count > 0) out.assign(src.begin() + vStart_izm, src.begin() + vStart_izm + count);
  vStart_izm = static_cast<int32_t>(vStart_izm + count);
  return out;
}

template <class V>
void append_Head(V& izm, const V& src, int32_t vLen) {
  if (src.empty()) return;
  size_t n = src.size();
  if (vLen > 0 && static_cast<size_t>(vLen) < n) n = static_cast<size_t>(vLen);
  if (&izm == &src) {  // appending an array to itself: the source moves when izm grows
    V head(src.begin(), src.begin() + n);
    izm.insert(izm.end(), head.begin(), head.end());
  } else {
    izm.insert(izm.end(), src.begin(), src.begin() + n);
  }
}

template <class V>
void insert_At(V& izm, typename V::value_type v, int32_t vPoz) {
  const size_t poz = static_cast<size_t>(vPoz);
  if (poz >= izm.size()) {
    add_Checked(vPoz, 1);
    izm.resize(poz + 1);  // the gap past the old end stays 0
    izm[poz] = v;
  } else {
    izm.insert(izm.begin() + vPoz, v);
  }
}

template <class V>
void re_Dim(V& v, int32_t size, bool flagPreserve) {
  if (size <= 0) {
    V().swap(v);
    return;
  }
  try {
    if (flagPreserve) {
      v.resize(static_cast<size_t>(size));
    } else {
      V fresh(static_cast<size_t>(size));
      v.swap(fresh);
    }
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  if (v.size() != static_cast<size_t>(size)) msg("нет памяти");
}

std::string hex_Upper(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(n));
  return buf;
}

}  // namespace

cMassiv::cMassiv() {
  for (int k = 0; k < 31; ++k) pow2[k] = int32_t{1} << k;
  pow2[31] = INT32_MIN;
}

// ---------- Lengths, sizes and building ----------

void cMassiv::reDim_BB(BB& bb, int32_t size, bool flagPreserve) { re_Dim(bb, size, flagPreserve); }
void cMassiv::reDim_TT(TT& tt, int32_t size, bool flagPreserve) { re_Dim(tt, size, flagPreserve); }
void cMassiv::reDim_SS(SS& ss, int32_t size, bool flagPreserve) { re_Dim(ss, size, flagPreserve); }

BB cMassiv::blok_n8(int32_t le, int32_t n8) {
  if (le <= 0) return {};
  return BB(static_cast<size_t>(le), static_cast<uint8_t>(n8));
}

TT cMassiv::blok_n32(int32_t le, int32_t n32) {
  if (le <= 0) return {};
  return TT(static_cast<size_t>(le), n32);
}

void cMassiv::add_N_to_BB(BB& izm, int32_t n8) {
  if (n8 < 0 || n8 > 255) {
    msg("не влезет");
    return;
  }
  izm.push_back(static_cast<uint8_t>(n8));
}

void cMassiv::add_N_to_TT(TT& izm, int32_t n32, bool flagOnlyOne) {
  if (flagOnlyOne && std::find(izm.begin(), izm.end(), n32) != izm.end()) return;
  izm.push_back(n32);
}

void cMassiv::add_BB_to_BB(BB& izm, const BB& src, int32_t vLen) { append_Head(izm, src, vLen); }
void cMassiv::add_TT_to_TT(TT& izm, const TT& src, int32_t vLen) { append_Head(izm, src, vLen); }

BB cMassiv::blok_BB(const BB& src, int32_t& vStart_izm, int32_t vLen) {
  return blok_Range(src, vStart_izm, vLen);
}
TT cMassiv::blok_TT(const TT& src, int32_t& vStart_izm, int32_t vLen) {
  return blok_Range(src, vStart_izm, vLen);
}

void cMassiv::ins_N_to_BB(int32_t n8, BB& izm, int32_t vPoz) {
  if (vPoz < 0) {
    msg("err");
    return;
  }
  if (n8 < 0 || n8 > 255) {
    msg("не влезет");
    return;
  }
  insert_At(izm, static_cast<uint8_t>(n8), vPoz);
}

void cMassiv::ins_N_to_TT(int32_t n32, TT& tt_izm, int32_t vPoz) {
  if (vPoz < 0) {
    msg("err");
    return;
  }
  insert_At(tt_izm, n32, vPoz);
}

void cMassiv::del_Poz_in_BB(BB& izm, int32_t vPoz) {
  if (vPoz >= 0 && static_cast<size_t>(vPoz) < izm.size()) izm.erase(izm.begin() + vPoz);
}
void cMassiv::del_Poz_in_TT(TT& izm, int32_t vPoz) {
  if (vPoz >= 0 && static_cast<size_t>(vPoz) < izm.size()) izm.erase(izm.begin() + vPoz);
}

bool cMassiv::test_otr_pusto(const TT& tt) {
  return tt.empty() || std::any_of(tt.begin(), tt.end(), [](int32_t v) { return v < 0; });
}

// ---------- Conversions between kinds and widths ----------

TT cMassiv::copy_BB_to_TT(const BB& bb) {
  if (bb.empty()) {
    msg("pusto");
    return {};
  }
  return TT(bb.begin(), bb.end());
}

BB cMassiv::copy_TT_to_BB(const TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return {};
  }
  for (int32_t v : tt)
    if (v < 0 || v > 255) {
      msg("переполнение");
      return {};
    }
  return BB(tt.begin(), tt.end());
}

M49 cMassiv::copy_TT_to_M49(const TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return {};
  }
  M49 out(tt.size(), 0.0);
  for (size_t i = 0; i < tt.size(); ++i) {
    if (tt[i] < 0) {
      msg("отриц");
      break;
    }
    out[i] = tt[i];
  }
  return out;
}

TT cMassiv::M8_to_M16(const BB& bb) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  const size_t n = bb.size();
  TT out((n + 1) / 2);
  for (size_t i = 0; i + 1 < n; i += 2) out[i / 2] = bb[i] | (bb[i + 1] << 8);
  if (n & 1) out.back() = bb[n - 1];
  return out;
}

BB cMassiv::M16_to_M8(const TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return {};
  }
  for (int32_t v : tt)
    if (static_cast<uint32_t>(v) > 0xFFFF) {
      msg("переполнение");
      return {};
    }
  BB out(tt.size() * 2);
  for (size_t i = 0; i < tt.size(); ++i) {
    out[2 * i] = static_cast<uint8_t>(tt[i]);
    out[2 * i + 1] = static_cast<uint8_t>(tt[i] >> 8);
  }
  return out;
}

BB cMassiv::M8_to_M4(const BB& bb) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  BB out(bb.size() * 2);
  for (size_t i = 0; i < bb.size(); ++i) {
    out[2 * i] = bb[i] & 15;
    out[2 * i + 1] = bb[i] >> 4;
  }
  return out;
}

BB cMassiv::M4_to_M8(const BB& m4) { return pack_Fields(m4, 4); }

BB cMassiv::M8_to_M2(const BB& bb) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  BB out(bb.size() * 4);
  for (size_t i = 0; i < bb.size(); ++i)
    for (int k = 0; k < 4; ++k) out[4 * i + k] = (bb[i] >> (2 * k)) & 3;
  return out;
}

BB cMassiv::M2_to_M8(const BB& m2) { return pack_Fields(m2, 2); }

BB cMassiv::M8_to_M1(const BB& bb, int32_t nBit) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  const int32_t vMax = *std::max_element(bb.begin(), bb.end());
  if (emk_N32(vMax) > nBit) {
    msg("слишком большое число Max=" + std::to_string(vMax));
    return {};
  }
  if (nBit < 1 || nBit > 8) {
    msg("nBit=1..8");
    return {};
  }
  BB out(bb.size() * static_cast<size_t>(nBit));
  size_t j = 0;
  for (uint8_t v : bb)
    for (int32_t k = 0; k < nBit; ++k) out[j++] = (v >> k) & 1;
  return out;
}

BB cMassiv::M32_to_M1(const TT& tt, int32_t nBit) {
  if (tt.empty()) {
    msg("пустой массив");
    return {};
  }
  // The widest value decides; a negative value needs all 32 bits, so it is
  // refused below 32 rather than silently cut to its low bits. Among equally
  // wide values the message names the largest, as for bytes.
  int32_t widest = tt[0];
  for (int32_t v : tt) {
    const int32_t w = emk_N32(v), wMax = emk_N32(widest);
    if (w > wMax || (w == wMax && v > widest)) widest = v;
  }
  if (emk_N32(widest) > nBit) {
    msg("слишком большое число Max=" + std::to_string(widest));
    return {};
  }
  if (nBit < 1 || nBit > 32) {
    msg("nBit=1..32");
    return {};
  }
  BB out(tt.size() * static_cast<size_t>(nBit));
  size_t j = 0;
  for (int32_t v : tt) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int32_t k = 0; k < nBit; ++k) out[j++] = (u >> k) & 1;
  }
  return out;
}

BB cMassiv::M1_to_M8(const BB& bitPol, int32_t nBit) {
  if (!bit_Field_Ok(bitPol, nBit, 8, "nBit=1..8")) return {};
  const size_t nb = static_cast<size_t>(nBit);
  BB out((bitPol.size() + nb - 1) / nb, 0);
  for (size_t i = 0; i < bitPol.size(); ++i) out[i / nb] |= static_cast<uint8_t>(bitPol[i] << (i % nb));
  return out;
}

TT cMassiv::M1_to_M32(const BB& bitPol, int32_t nBit) {
  if (!bit_Field_Ok(bitPol, nBit, 32, "nBit=1..32")) return {};
  const size_t nb = static_cast<size_t>(nBit);
  std::vector<uint32_t> acc((bitPol.size() + nb - 1) / nb, 0);
  for (size_t i = 0; i < bitPol.size(); ++i) acc[i / nb] |= static_cast<uint32_t>(bitPol[i]) << (i % nb);
  TT out(acc.size());
  for (size_t i = 0; i < acc.size(); ++i) out[i] = static_cast<int32_t>(acc[i]);
  return out;
}

BB cMassiv::str_to_BB(const std::string& s) { return BB(s.begin(), s.end()); }

std::string cMassiv::BB_to_str(const BB& bb, int32_t& vStart_izm, int32_t vLen) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  if (vStart_izm == 0 && vLen == 0) {
    vStart_izm = len_BB(bb);
    return std::string(bb.begin(), bb.end());
  }
  BB part = blok_BB(bb, vStart_izm, vLen);
  return std::string(part.begin(), part.end());
}

BB cMassiv::N_to_4byte(int32_t n) {
  const uint32_t u = static_cast<uint32_t>(n);
  return BB{static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
            static_cast<uint8_t>(u >> 24)};
}

// A number cut short by the end of the array is a fault in the data, not a
// value: fewer than 4 bytes left is refused like a position past the end.
int32_t cMassiv::byte4_to_N(const BB& bb, int32_t& vStart_izm) {
  if (vStart_izm < 0 || static_cast<int64_t>(vStart_izm) + 4 > static_cast<int64_t>(bb.size())) {
    msg("err");
    return 0;
  }
  const uint8_t* p = bb.data() + vStart_izm;
  const uint32_t u = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  vStart_izm += 4;
  return static_cast<int32_t>(u);
}

// ---------- Byte streams at a position ----------

namespace {
// Makes room for `need` bytes at the cursor, keeping the contents.
void grow_For(BB& bb, int32_t p, int32_t need) {
  if (p < 0) throw cIndexError("индекс вне массива");
  const int32_t end = add_Checked(p, need);
  if (static_cast<size_t>(end) > bb.size()) bb.resize(static_cast<size_t>(end));
}
}  // namespace

void cMassiv::put_n8(BB& bb, int32_t n8, int32_t& p_izm, bool flagBuf) {
  if (n8 >= 256) {
    msg("не влезет");
    return;
  }
  if (n8 < 0) {
    msg("отриц");
    return;
  }
  if (p_izm < 0) throw cIndexError("индекс вне массива");
  if (static_cast<size_t>(p_izm) >= bb.size()) grow_For(bb, p_izm, flagBuf ? 1025 : 1);
  bb[static_cast<size_t>(p_izm)] = static_cast<uint8_t>(n8);
  ++p_izm;
}

void cMassiv::put_n16(BB& bb, int32_t n16, int32_t& p_izm) {
  if (n16 >= 65536) {
    msg("не влезет");
    return;
  }
  if (n16 < 0) {
    msg("отриц");
    return;
  }
  grow_For(bb, p_izm, 2);
  bb[static_cast<size_t>(p_izm)] = static_cast<uint8_t>(n16);
  bb[static_cast<size_t>(p_izm) + 1] = static_cast<uint8_t>(n16 >> 8);
  p_izm += 2;
}

void cMassiv::put_n32(BB& bb, int32_t n32, int32_t& p_izm) {
  grow_For(bb, p_izm, 4);
  const uint32_t u = static_cast<uint32_t>(n32);
  uint8_t* q = bb.data() + p_izm;
  q[0] = static_cast<uint8_t>(u);
  q[1] = static_cast<uint8_t>(u >> 8);
  q[2] = static_cast<uint8_t>(u >> 16);
  q[3] = static_cast<uint8_t>(u >> 24);
  p_izm += 4;
}

void cMassiv::put_n(BB& bb, int32_t n, int32_t& p_izm, bool flag16bit) {
  if (flag16bit)
    put_n16(bb, n, p_izm);
  else
    put_n8(bb, n, p_izm, false);
}

// A negative cursor is the end-of-data mark: reading on from it stays at the end.
int32_t cMassiv::get_n8(const BB& bb, int32_t& vStart_izm) {
  if (vStart_izm >= 0 && static_cast<size_t>(vStart_izm) < bb.size()) return bb[static_cast<size_t>(vStart_izm++)];
  vStart_izm = -1;
  return -1;
}

int32_t cMassiv::get_n16(const BB& bb, int32_t& vStart_izm) {
  if (bb.empty()) msg("pusto");
  if (vStart_izm >= 0 && static_cast<int64_t>(vStart_izm) + 2 <= static_cast<int64_t>(bb.size())) {
    const size_t p = static_cast<size_t>(vStart_izm);
    vStart_izm += 2;
    return bb[p] | (bb[p + 1] << 8);
  }
  vStart_izm = -1;
  return -1;
}

int32_t cMassiv::get_n(const BB& bb, int32_t& p_izm, bool flag16bit) {
  return flag16bit ? get_n16(bb, p_izm) : get_n8(bb, p_izm);
}

// ---------- Scalar operations ----------

int32_t cMassiv::clamp(int32_t n, int32_t vMin, int32_t vMax) const {
  if (n < vMin) n = vMin;
  if (n > vMax) n = vMax;
  return n;
}

int32_t cMassiv::div(int32_t n1, int32_t n2) const {
  if (n2 < 1) return -1;
  return to_Int32(static_cast<int64_t>(std::floor(static_cast<double>(n1) / n2 + 0.5)));
}

int32_t cMassiv::kratno_N(int32_t n, int32_t vNum) {
  if (n < 0 || vNum < 0) {
    msg("отриц");
    return 0;
  }
  if (vNum == 0) throw cOverflowError("деление на ноль");
  return mul_Checked(vNum, add_Checked(n, vNum - 1) / vNum);
}

int32_t cMassiv::bit_maska(int32_t n, bool flagInv) {
  if (n < 1 || n > 32) {
    msg("1-32");
    return 0;
  }
  const uint32_t mask = n == 32 ? 0xFFFFFFFFu : (uint32_t{1} << n) - 1;
  return static_cast<int32_t>(flagInv ? ~mask : mask);
}

int32_t cMassiv::lo_N16(int32_t n16) {
  if (n16 < 0 || n16 > 65535) msg("err переполнение int16=" + hex_Upper(n16));
  return n16 & 255;
}

int32_t cMassiv::hi_N16(int32_t n16) {
  if (n16 < 0 || n16 > 65535) msg("err переполнение int16=" + hex_Upper(n16));
  return n16 / 256;
}

int32_t cMassiv::emk_N32(int32_t n32) const {
  if (n32 < 0) return 32;
  if (n32 >= pow2[30]) return 31;
  if (n32 == 0) return 1;
  int32_t k = 0;
  while (n32 >= pow2[k]) ++k;
  return k;
}

int32_t cMassiv::emk_X(double x) {
  if (x < 0) {
    msg("отриц");
    return 0;
  }
  for (int32_t k = 1; k <= 1700; ++k)
    if (std::ldexp(1.0, k) > x) return k;
  msg("переполнение: больше 2^1700");
  return 0;
}

int32_t cMassiv::emk_TT(const TT& tt) const {
  int64_t s = 0;
  for (int32_t v : tt) s += emk_N32(v);
  return to_Int32(s);
}

int32_t cMassiv::shiftRA(int32_t n32, int32_t& kolBit) const {
  kolBit = clamp(kolBit, 0, 31);
  return n32 >> kolBit;
}

int32_t cMassiv::shiftR(int32_t n32, int32_t& kolBit) const {
  kolBit = clamp(kolBit, 0, 31);
  return static_cast<int32_t>(static_cast<uint32_t>(n32) >> kolBit);
}

int32_t cMassiv::shiftL(int32_t n32, int32_t& kolBit) const {
  kolBit = clamp(kolBit, 0, 31);
  return static_cast<int32_t>(static_cast<uint32_t>(n32) << kolBit);
}

int32_t cMassiv::get_Bit(int32_t n32, int32_t nBit_1_32) {
  if (nBit_1_32 < 1 || nBit_1_32 > 32) {
    msg("1-32");
    return 0;
  }
  return (n32 & pow2[nBit_1_32 - 1]) != 0 ? 1 : 0;
}

void cMassiv::set_Bit(int32_t& n32_izm, int32_t nBit_1_32) {
  if (nBit_1_32 < 1 || nBit_1_32 > 32) {
    msg("1-32");
    return;
  }
  n32_izm |= pow2[nBit_1_32 - 1];
}

void cMassiv::res_Bit(int32_t& n32_izm, int32_t nBit_1_32) {
  if (nBit_1_32 < 1 || nBit_1_32 > 32) {
    msg("1-32");
    return;
  }
  n32_izm &= ~pow2[nBit_1_32 - 1];
}

// ---------- Whole-array arithmetic ----------

int32_t cMassiv::max_TT(const TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return 0;
  }
  const auto [lo, hi] = std::minmax_element(tt.begin(), tt.end());
  if (*lo < 0) {
    msg("отриц");
    return 0;
  }
  return *hi;
}

int32_t cMassiv::min_TT(const TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return 0;
  }
  const int32_t lo = *std::min_element(tt.begin(), tt.end());
  if (lo < 0) {
    msg("отриц");
    return 0;
  }
  return lo;
}

int32_t cMassiv::max_BB(const BB& bb) {
  if (bb.empty()) {
    msg("пустой массив");
    return 0;
  }
  return *std::max_element(bb.begin(), bb.end());
}

int32_t cMassiv::min_BB(const BB& bb) {
  if (bb.empty()) {
    msg("пустой массив");
    return 0;
  }
  return *std::min_element(bb.begin(), bb.end());
}

namespace {
constexpr int64_t kSumLimit = int64_t{1} << 30;
}

int32_t cMassiv::sum_TT(const TT& tt) {
  int64_t s = 0;
  for (int32_t v : tt) {
    if (v < 0) {
      msg("отриц");
      return 0;
    }
    s += v;
    if (s > kSumLimit) {
      msg("переполнение");
      return to_Int32(s);
    }
  }
  return static_cast<int32_t>(s);
}

int32_t cMassiv::sum_BB(const BB& bb) {
  int64_t s = 0;
  for (uint8_t v : bb) {
    s += v;
    if (s > kSumLimit) {
      msg("переполнение");
      return static_cast<int32_t>(s);
    }
  }
  return static_cast<int32_t>(s);
}

void cMassiv::inc_TT(TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return;
  }
  if (std::find(tt.begin(), tt.end(), INT32_MAX) != tt.end()) throw cOverflowError("переполнение");
  for (int32_t& v : tt) ++v;
}

void cMassiv::dec_TT(TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return;
  }
  if (std::find(tt.begin(), tt.end(), INT32_MIN) != tt.end()) throw cOverflowError("переполнение");
  for (int32_t& v : tt) --v;
}

int32_t cMassiv::brisk_Min_TT(TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return 0;
  }
  const int32_t lo = *std::min_element(tt.begin(), tt.end());
  if (lo < 0) {
    msg("отриц");
    return 0;
  }
  if (lo != 0)
    for (int32_t& v : tt) v -= lo;
  return lo;
}

void cMassiv::revers_TT(TT& tt) {
  if (tt.empty()) {
    msg("пустой массив");
    return;
  }
  std::reverse(tt.begin(), tt.end());
}

int32_t cMassiv::razn_TT(TT& tt_izm, bool flag_t0) {
  if (tt_izm.empty()) {
    msg("pusto");
    return 0;
  }
  const int32_t t0 = tt_izm[0];
  const size_t n = tt_izm.size();
  if (n == 1) {
    if (!flag_t0) tt_izm.clear();
    return t0;
  }
  TT d(n - 1);
  for (size_t i = 0; i + 1 < n; ++i) {
    const int64_t di = static_cast<int64_t>(tt_izm[i + 1]) - tt_izm[i];
    if (di < 0) {
      msg("отриц разность");
      return t0;
    }
    d[i] = to_Int32(di);
  }
  if (flag_t0) {
    std::copy(d.begin(), d.end(), tt_izm.begin() + 1);
  } else {
    tt_izm.swap(d);
  }
  return t0;
}

void cMassiv::razn_TT_vost(TT& tt) {
  for (size_t i = 1; i < tt.size(); ++i) tt[i] = add_Checked(tt[i - 1], tt[i]);
}
