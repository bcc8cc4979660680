// Table codes (M49_q1, M49_3334, p3334) and the cost estimates that tell the
// method survey which simple code would store a table in the fewest bits.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "cMassiv.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// Bits appended least significant bit first, packed LSB first into bytes.
class cBitWriter {
public:
  void put(uint64_t value, int32_t nBit) {
    for (int32_t i = 0; i < nBit; ++i) put_Bit(i < 64 ? static_cast<int32_t>((value >> i) & 1) : 0);
  }
  void put_Bit(int32_t b) {
    if ((kol & 7) == 0) bytes.push_back(0);
    if (b) bytes.back() = static_cast<uint8_t>(bytes.back() | (1u << (kol & 7)));
    ++kol;
  }
  BB bytes;
  int64_t kol = 0;
};

int32_t bit_At(const BB& bb, int64_t i) { return (bb[static_cast<size_t>(i >> 3)] >> (i & 7)) & 1; }

// Value of nBit bits from position p, least significant first.
double read_Bits(const BB& bb, int64_t p, int64_t nBit) {
  double x = 0;
  for (int64_t i = nBit - 1; i >= 0; --i) x = x * 2 + bit_At(bb, p + i);
  return x;
}

// The group counts of these codes are whole numbers held in doubles; above
// 2^53 they would no longer be exact.
bool whole_Value(double x) { return x >= 0 && x <= 9007199254740992.0 && std::floor(x) == x; }

}  // namespace

// ---------------------------------------------------------------- M49_q1

BB cMassiv::zip_M49_q1(const M49& xx, int32_t q1) {
  if (q1 < 1 || q1 > 52) {
    msg("err");
    return {};
  }
  cBitWriter w;
  const double groups = std::ldexp(1.0, q1);
  for (double x : xx) {
    if (!whole_Value(x)) {
      msg("err");
      return {};
    }
    double rest = x;
    int64_t g = 0;
    while (rest >= std::ldexp(1.0, static_cast<int32_t>((g + 1) * q1))) {
      rest -= std::ldexp(1.0, static_cast<int32_t>((g + 1) * q1));
      ++g;
    }
    if (static_cast<double>(g) >= groups) {
      msg("переполнение для этого q1");
      return {};
    }
    w.put(static_cast<uint64_t>(g), q1);
    w.put(static_cast<uint64_t>(rest), static_cast<int32_t>((g + 1) * q1));
  }
  w.put(0, q1);
  w.put(1, q1);
  return w.bytes;
}

M49 cMassiv::unzip_M49_q1(const BB& bb, int32_t q1) {
  if (q1 < 1 || q1 > 52) {
    msg("err");
    return {};
  }
  const int64_t kolBit = 8 * static_cast<int64_t>(bb.size());
  M49 out;
  int64_t p = 0;
  bool cut = false;
  while (kolBit - p >= q1) {
    const int64_t g = static_cast<int64_t>(read_Bits(bb, p, q1));
    p += q1;
    const int64_t width = (g + 1) * q1;
    if (width > kolBit - p) {  // a value field cut off by the end
      cut = true;
      break;
    }
    double r = read_Bits(bb, p, width);
    p += width;
    for (int64_t i = 1; i <= g; ++i) r += std::ldexp(1.0, static_cast<int32_t>(std::min<int64_t>(i * q1, 2000)));
    out.push_back(r);
  }
  while (!out.empty() && out.back() == 0) out.pop_back();
  if (cut || out.empty() || out.back() != 1) msg("ошибка декодирования");
  if (!out.empty()) out.pop_back();
  return out;
}

// ---------------------------------------------------------------- M49_3334

BB cMassiv::zip_M49_3334(const M49& xx) {
  cBitWriter w;
  for (double x : xx) {
    if (!whole_Value(x)) {
      msg("err");
      return {};
    }
    double rest = x;
    int32_t g = 0;
    while (rest >= std::ldexp(1.0, 3 * (g + 1))) {
      rest -= std::ldexp(1.0, 3 * (g + 1));
      ++g;
    }
    for (int32_t i = 0; i < g; ++i) w.put_Bit(0);
    w.put_Bit(1);
    w.put(static_cast<uint64_t>(rest), 3 * (g + 1));
  }
  return w.bytes;
}

// ---------------------------------------------------------------- p3334

BB cMassiv::zip_p3334(const TT& tt) {
  const int32_t M = max_TT(tt);  // shows the message for empty or negative input
  if (test_otr_pusto(tt)) return {};
  if (M >= 8776) {
    msg("max 8k");
    return {};
  }
  BB out(4 * tt.size());
  size_t p = 0;
  for (int32_t v : tt) {
    if (v < 8) {
      out[p++] = static_cast<uint8_t>(v);
    } else if (v < 72) {
      out[p++] = static_cast<uint8_t>(8 + (v - 8) / 8);
      out[p++] = static_cast<uint8_t>(v % 8);
    } else if (v < 584) {
      const int32_t w = v - 72;
      out[p++] = static_cast<uint8_t>(8 + w / 64);
      out[p++] = static_cast<uint8_t>(8 + w / 8 % 8);
      out[p++] = static_cast<uint8_t>(w % 8);
    } else {
      const int32_t w = v - 584;
      out[p++] = static_cast<uint8_t>(8 + w / 1024);
      out[p++] = static_cast<uint8_t>(8 + w / 128 % 8);
      out[p++] = static_cast<uint8_t>(8 + w / 16 % 8);
      out[p++] = static_cast<uint8_t>(w % 16);
    }
  }
  out.resize(p);
  return out;
}

void cMassiv::unzip_p3334(const BB& bb, TT& tt) {
  tt.assign(bb.size(), 0);
  size_t kol = 0;
  size_t i = 0;
  const size_t n = bb.size();
  auto bad = [&]() {
    msg("ошибка декодирования");
    tt.resize(kol);
  };
  while (i < n) {
    const int32_t d = bb[i++];
    if (d > 15) return bad();
    if (d <= 7) {
      tt[kol++] = d;
      continue;
    }
    if (i >= n || bb[i] > 15) return bad();
    const int32_t e = bb[i++];
    if (e <= 7) {
      tt[kol++] = 8 + (d - 8) * 8 + e;
      continue;
    }
    if (i >= n || bb[i] > 15) return bad();
    const int32_t f = bb[i++];
    if (f <= 7) {
      tt[kol++] = 72 + (d - 8) * 64 + (e - 8) * 8 + f;
      continue;
    }
    if (i >= n || bb[i] > 15) return bad();
    const int32_t g = bb[i++];
    tt[kol++] = 584 + (d - 8) * 1024 + (e - 8) * 128 + (f - 8) * 16 + g;
  }
  tt.resize(kol);
}

// ---------------------------------------------------------------- zigzag

int32_t cMassiv::otr_Net(int32_t n) {
  if (n >= 0) return mul_Checked(n, 2);
  return to_Int32(-2 * static_cast<int64_t>(n) - 1);
}

// ---------------------------------------------------------------- estimates

namespace {

// Number of bits the adaptive arithmetic coder of containers 1 and 31 writes
// for `data` (values 0..M) and its end symbol. The same model and interval
// steps, counting the bits instead of storing them: the coder itself lives
// above this toolkit, and the estimates only need the count.
int64_t ari_KolBit(const BB& data, int32_t M) {
  const int32_t kTop = 65535, kFirstQtr = 16384, kHalf = 32768, kThirdQtr = 49152, kMaxFreq = 16383;
  const int32_t nSym = M + 2;  // also the end symbol
  std::vector<int32_t> charToIndex(static_cast<size_t>(M) + 1), indexToChar(static_cast<size_t>(nSym) + 1);
  std::vector<int32_t> freq(static_cast<size_t>(nSym) + 1, 1), cum(static_cast<size_t>(nSym) + 1);
  for (int32_t v = 0; v <= M; ++v) {
    charToIndex[static_cast<size_t>(v)] = v + 1;
    indexToChar[static_cast<size_t>(v) + 1] = v;
  }
  for (int32_t i = 0; i <= nSym; ++i) cum[static_cast<size_t>(i)] = nSym - i;
  freq[0] = 0;
  int64_t low = 0, high = kTop, pending = 0, kol = 0;
  auto code = [&](int32_t s) {
    const int64_t range = high - low + 1;
    high = low + range * cum[static_cast<size_t>(s) - 1] / cum[0] - 1;
    low = low + range * cum[static_cast<size_t>(s)] / cum[0];
    for (;;) {
      if (high < kHalf) {
        kol += 1 + pending;
        pending = 0;
      } else if (low >= kHalf) {
        kol += 1 + pending;
        pending = 0;
        low -= kHalf;
        high -= kHalf;
      } else if (low >= kFirstQtr && high < kThirdQtr) {
        ++pending;
        low -= kFirstQtr;
        high -= kFirstQtr;
      } else {
        break;
      }
      low = 2 * low;
      high = 2 * high + 1;
    }
  };
  auto update = [&](int32_t s) {
    if (cum[0] == kMaxFreq) {
      int32_t c = 0;
      for (int32_t i = nSym; i >= 0; --i) {
        freq[static_cast<size_t>(i)] = (freq[static_cast<size_t>(i)] + 1) / 2;
        cum[static_cast<size_t>(i)] = c;
        c += freq[static_cast<size_t>(i)];
      }
    }
    int32_t i = s;
    while (freq[static_cast<size_t>(i)] == freq[static_cast<size_t>(i) - 1]) --i;
    if (i < s) {
      const int32_t ci = indexToChar[static_cast<size_t>(i)], cs = indexToChar[static_cast<size_t>(s)];
      indexToChar[static_cast<size_t>(i)] = cs;
      indexToChar[static_cast<size_t>(s)] = ci;
      charToIndex[static_cast<size_t>(ci)] = s;
      charToIndex[static_cast<size_t>(cs)] = i;
    }
    freq[static_cast<size_t>(i)] += 1;
    while (i > 0) cum[static_cast<size_t>(--i)] += 1;
  };
  for (uint8_t v : data) {
    const int32_t s = at_Checked(charToIndex, v);
    code(s);
    update(s);
  }
  code(nSym);
  kol += 2 + pending;  // one more pending bit and the final bit
  return kol;
}

}  // namespace

int32_t cMassiv::BR_st2(const TT& tt, int32_t vStep, int32_t q1) {
  if (tt.empty()) return 0;
  if (vStep < 1 || q1 < 0 || q1 > 31) {
    msg("err");
    return 0;
  }
  BB classes(tt.size());
  int64_t fields = 0;
  int32_t maxClass = 0;
  for (size_t i = 0; i < tt.size(); ++i) {
    int64_t v = tt[i];
    if (v < 0) {
      msg("err");
      return 0;
    }
    int32_t e = q1;
    int32_t c = 0;
    while (v >= (int64_t{1} << e)) {
      v -= int64_t{1} << e;
      e += vStep;
      ++c;
      if (e > 31) {
        msg("err");
        return 0;
      }
    }
    classes[i] = static_cast<uint8_t>(c);
    if (c > maxClass) maxClass = c;
    fields += e == 0 ? 1 : e;
  }
  return to_Int32(ari_KolBit(classes, maxClass) + fields + 1);
}

namespace {

// e(u) of the doubling codes: the smallest e >= 1 with u - (2^e - 2) < 2^e,
// searched up to 17.
int64_t e_Dbl(int64_t u) {
  for (int32_t e = 1; e < 17; ++e)
    if (u - ((int64_t{1} << e) - 2) < (int64_t{1} << e)) return e;
  return 17;
}

// Cost in bits of one value under the per-value codes 1..20.
int64_t cost_Code(int32_t code, int64_t v, int64_t M, int64_t M2) {
  switch (code) {
    case 1: return v + 1;
    case 2: return v == M ? v : v + 1;
    case 3: return v / 2 + 2;
    case 4: return v == M ? v / 2 + 1 : v / 2 + 2;
    case 5: return v == 0 ? 1 : (v + 1) / 2 + 2;
    case 6: return v == 0 ? 1 : (v + 1 >= M2 ? (v + 1) / 2 + 1 : (v + 1) / 2 + 2);
    case 7: return v / 4 + 3;
    case 8: return v / 8 + 4;
    case 9: return v / 16 + 5;
    case 10: return v / 32 + 6;
    case 11: return v == 0 ? 1 : (v + 3) / 4 + 3;
    case 12: return v == 0 ? 1 : v == 1 ? 2 : (v + 6) / 4 + 3;
    case 13: return v == 0 ? 1 : (v + 7) / 8 + 4;
    case 14: return v == 0 ? 1 : v == 1 ? 2 : (v + 14) / 8 + 4;
    case 15: return v == 0 ? 1 : (v + 15) / 16 + 5;
    case 16: return v == 0 ? 1 : (v + 31) / 32 + 6;
    case 17: return 2 * e_Dbl(v);
    case 18: return v == 0 ? 1 : 2 * e_Dbl(v - 1) + 1;
    case 19: return v == 0 ? 1 : v == 1 ? 2 : 2 * e_Dbl(v - 2) + 2;
    default: return v < 3 ? v + 1 : 2 * e_Dbl(v - 3) + 3;  // 20
  }
}

int32_t cap_Bits(int64_t bits) { return bits > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bits); }

}  // namespace

int32_t cMassiv::min_BR(const TT& tt, int32_t& vNum, int32_t& vMax) {
  if (tt.empty()) return 0;
  int32_t M = 0;
  for (int32_t v : tt) {
    if (v < 0) {
      msg("отриц");
      return 0;
    }
    if (v > M) M = v;
  }
  const int64_t n = static_cast<int64_t>(tt.size());
  const int64_t fixed = static_cast<int64_t>(emk_N32(M)) * n;
  if (vMax < 1) vMax = cap_Bits(fixed);
  int64_t best = fixed < vMax ? fixed : vMax;
  int64_t result = fixed;
  vNum = 0;
  auto record = [&](int32_t code, int64_t cost, bool complete) {
    if (complete && cost < best) best = cost;
    if (cost < result) {
      result = cost;
      vNum = code;
    }
  };
  const int64_t M2 = 2 * (M / 2) + 1;
  for (int32_t code = 1; code <= 20; ++code) {
    int64_t sum = 0;
    bool complete = true;
    for (int32_t v : tt) {
      sum += cost_Code(code, v, M, M2);
      if (sum >= best) {  // this code cannot win any more
        complete = false;
        break;
      }
    }
    record(code, sum, complete);
  }
  record(21, BR_st2(tt, 1, 1), true);
  record(22, BR_st2(tt, 2, 1), true);
  record(23, BR_st2(tt, 1, 0), true);
  {
    const BB p78 = zip_p78(tt);
    record(24, p78.empty() ? best + 10 : 8 * static_cast<int64_t>(p78.size()), !p78.empty());
  }
  {
    const BB p3334 = zip_p3334(tt);
    record(25, p3334.empty() ? best + 10 : 4 * static_cast<int64_t>(p3334.size()), !p3334.empty());
  }
  return cap_Bits(result);
}

void cMassiv::minBR(const TT& tt, TT& gg) {
  gg.assign(39, 0);
  if (tt.empty()) return;
  int32_t M = 0;
  for (int32_t v : tt) {
    if (v < 0) {
      msg("отриц");
      return;
    }
    if (v > M) M = v;
  }
  const int64_t n = static_cast<int64_t>(tt.size());
  int64_t best = static_cast<int64_t>(emk_N32(M)) * n;
  gg[0] = cap_Bits(best);
  // Sums a per-value cost with the early stop against the best so far.
  bool complete = false;
  auto summa = [&](auto cost) {
    int64_t sum = 0;
    complete = false;
    for (int32_t v : tt) {
      sum += cost(static_cast<int64_t>(v));
      if (sum >= best) return sum;
    }
    complete = true;
    best = sum;
    return sum;
  };
  const int64_t unary = summa([](int64_t v) { return v + 1; });
  int64_t kolM = 0;
  for (int32_t v : tt) kolM += v == M;
  gg[1] = cap_Bits(unary);
  gg[2] = cap_Bits(unary - kolM);
  if (complete && unary - kolM < best) best = unary - kolM;
  int32_t e = 3;
  for (int32_t j = 1; j <= 5; ++j) {
    const int64_t d = int64_t{1} << j;
    for (int32_t k = 0; k <= 2; ++k) {
      const int64_t c = summa([&](int64_t v) -> int64_t {
        if (k >= 1 && v == 0) return 1;
        if (k == 2 && v == 1) return 2;
        const int64_t u = k == 0 ? v : v + k * (d - 1);
        return j + 1 + u / d;
      });
      gg[e] = gg[e + 1] = cap_Bits(c);
      e += 2;
    }
  }
}
