#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "massiv/cMassiv.h"
#include "platform/msg_box.h"

namespace {

// mulSL as defined byte by byte: the reference for the eight-byte path.
void ref_Mul(SL& s, int64_t osn, int64_t n) {
  if (s.empty()) s.push_back(0);
  int64_t carry = n;
  for (size_t i = 0; i < s.size() || carry != 0; ++i) {
    if (i == s.size()) s.push_back(0);
    int64_t h = s[i] * osn + carry;
    s[i] = static_cast<uint8_t>(h % 256);
    carry = h / 256;
  }
}
SL from_U64(uint64_t v) {
  SL s;
  for (; v != 0; v >>= 8) s.push_back(static_cast<uint8_t>(v));
  return s;
}

}  // namespace

TEST(LongNumbers, DocumentedExamples) {
  cMassiv m;
  SL s;
  m.mulSL(s, 10, 7);
  m.mulSL(s, 10, 3);
  EXPECT_EQ(s, SL({0x49}));
  m.mulSL(s, 256, 255);
  EXPECT_EQ(s, SL({0xFF, 0x49}));
  EXPECT_EQ(m.divSL(s, 256), 255);
  SL t = s;
  EXPECT_EQ(m.divSL(t, 74), 73);
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(m.divSL(s, 73), 0);
  EXPECT_EQ(s, SL({1}));
  SL ff{0xFF, 0xFF};
  m.add_N_to_SL(ff, 1);
  EXPECT_EQ(ff, SL({0, 0, 1}));
  EXPECT_EQ(m.len_SL(SL{0, 1}), 9);
  SL a{0, 1};
  EXPECT_EQ(m.sub_SL_SL(a, SL{1}), 8);
  EXPECT_EQ(a, SL({0xFF}));
  EXPECT_EQ(m.cmp_SL_SL(SL{0, 1}, SL{1, 1}), -1);
  EXPECT_EQ(m.N_to_br100(2), SL({0, 0, 1}));
  EXPECT_EQ(m.SL_to_Double(SL{0, 0, 0, 0x40}), 1073741824.0);
  EXPECT_EQ(m.SL_to_Double(SL{1, 0, 0, 0x40}), -1);
  EXPECT_THROW(m.SL_to_Double(SL{}), cIndexError);
}

TEST(LongNumbers, MulDivMatchByteWiseDefinitionAcrossLimbsAndBases) {
  cMassiv m;
  std::mt19937 rng(7);
  for (int32_t osn : {1, 2, 3, 10, 255, 256, 257, 65535, 1000003, (1 << 23) - 1, 1 << 23}) {
    for (size_t len : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 24u, 41u, 64u, 100u}) {
      SL s(len);
      for (auto& b : s) b = static_cast<uint8_t>(rng());
      if (len > 2 && rng() % 2) s.back() = 0;  // non-normalised top
      const int32_t n = static_cast<int32_t>(rng() % static_cast<uint32_t>(osn));
      SL got = s, want = s;
      m.mulSL(got, osn, n);
      ref_Mul(want, osn, n);
      ASSERT_EQ(got, want) << "osn " << osn << " len " << len;
      EXPECT_EQ(m.divSL(got, osn), n);
      m.del_Ved0(s);
      ASSERT_EQ(got, s) << "osn " << osn << " len " << len;
    }
  }
  SL r(32, 0xFF);  // the lower half's carry ripples through an all-ones upper half
  std::fill(r.begin() + 16, r.end(), 0x55);
  SL want = r;
  ref_Mul(want, 3, 2);
  m.mulSL(r, 3, 2);
  EXPECT_EQ(r, want);
}

TEST(LongNumbers, LargeBasesOverflowOnlyWhenAnIntermediatePasses31Bits) {
  cMassiv m;
  SL s{5};
  EXPECT_THROW(m.mulSL(s, 1 << 30, 1), cOverflowError);  // 5 * 2^30
  EXPECT_EQ(s, SL({5})) << "an overflow leaves the number unchanged";
  SL one{1};
  m.mulSL(one, 1 << 30, 7);
  EXPECT_EQ(one, from_U64((1u << 30) + 7));
  EXPECT_EQ(m.divSL(one, 1 << 30), 7);
  EXPECT_EQ(one, SL({1}));
  SL big{0, 0, 0, 0x80};  // remainder 2^23 before the last byte
  EXPECT_THROW(m.divSL(big, (1 << 23) + 1), cOverflowError);
  EXPECT_EQ(big, SL({0, 0, 0, 0x80}));
}

TEST(LongNumbers, AddSubCmpAgreeWithMachineArithmetic) {
  cMassiv m;
  std::mt19937_64 rng(11);
  platform::cScopedMsgCapture cap;
  for (int i = 0; i < 2000; ++i) {
    uint64_t a = rng() >> (1 + rng() % 63), b = rng() >> (1 + rng() % 63);
    if (a < b) std::swap(a, b);
    SL sa = from_U64(a), sb = from_U64(b), sum = sa, diff = sa, n = sa;
    EXPECT_EQ(m.cmp_SL_SL(sb, sa), a == b ? 0 : -1);
    m.add_SL_SL(sum, sb);
    ASSERT_EQ(sum, from_U64(a + b));
    m.sub_SL_SL(diff, sb);
    ASSERT_EQ(diff, from_U64(a - b));
    m.add_N_to_SL(n, static_cast<int32_t>(b & 0x7FFFFFFF));
    m.del_Ved0(n);  // 0 + 0 leaves one zero byte
    ASSERT_EQ(n, from_U64(a + (b & 0x7FFFFFFF)));
  }
  EXPECT_TRUE(cap.box.texts.empty());
  SL x{0xFF, 0xFF, 0xFF};
  m.add_SL_SL(x, x);
  EXPECT_EQ(x, SL({0xFE, 0xFF, 0xFF, 0x01}));
}

TEST(LongNumbers, RefusalsShowTheirMessageAndKeepTheNumber) {
  cMassiv m;
  platform::cScopedMsgCapture cap;
  SL s{1, 2};
  m.mulSL(s, 10, 10);
  m.mulSL(s, 0, 0);
  m.mulSL(s, 10, -1);
  EXPECT_EQ(m.divSL(s, 0), 0);
  m.add_N_to_SL(s, -1);
  EXPECT_EQ(m.sub_SL_SL(s, SL{0, 0, 1}), 0);
  EXPECT_EQ(m.sub_SL_SL(s, SL{6, 3}), 0);
  EXPECT_EQ(m.sub_SL_SL(s, SL{6, 2}), 0);  // same top byte, smaller: refused, not wrapped
  EXPECT_EQ(s, SL({1, 2}));
  SL z{5, 0};  // a zero top byte, as given, has nothing to lend
  EXPECT_EQ(m.sub_SL_SL(z, SL{1, 1}), 0);
  EXPECT_EQ(z, SL({5, 0}));
  EXPECT_EQ(cap.box.texts, SS({"err mulSL: n>=osn", "err mulSL: osn<=0", "err mulSL: n<0", "err: osn<=0", "отриц",
                               "первое число меньше второго!", "наверно негде брать заем",
                               "первое число меньше второго!", "наверно негде брать заем"}));
}

TEST(BitFields, NumbersRoundTripAtEveryWidth) {
  cMassiv m;
  EXPECT_EQ(m.N_to_M1(6, 5), BB({0, 1, 1, 0, 0}));
  EXPECT_EQ(m.M1_to_N(BB{0, 1, 1}, 1, 1), 1);
  BB field;
  TT vals{INT32_MAX};
  for (int k = 0; k <= 30; ++k)
    for (int32_t v : {(1 << k) - 1, 1 << k, (1 << k) + 1}) vals.push_back(v);
  for (int32_t v : vals) m.add_N_to_M1(field, v, 31);
  int32_t p = 0;
  for (int32_t v : vals) ASSERT_EQ(m.get_N_from_M1(field, p, 31), v);
  EXPECT_EQ(p, m.len_BB(field));
  EXPECT_EQ(m.N_to_M1(-1, 0), BB(32, 1));
  EXPECT_EQ(m.max_emk_M32(TT{}), 1);
  EXPECT_EQ(m.max_emk_M32(TT{0, 3, 255, 4}), 8);
  EXPECT_EQ(m.max_emk_M32(TT{5, -2}), 32);

  for (int k = 0; k <= 52; ++k)
    for (double x : {std::ldexp(1, k) - 1, std::ldexp(1, k), std::ldexp(1, k) + 1}) {
      ASSERT_EQ(m.M1_to_X(m.X_to_M1(x, 0), 0), x);
      ASSERT_EQ(m.M1_to_X(m.X_to_M1(x, 60), 0), x);
    }
}

TEST(BitFields, FieldsPastBit30OrPastTheEndAndNonBits) {
  cMassiv m;
  platform::cScopedMsgCapture cap;
  BB top(32, 0);
  top[31] = 1;
  EXPECT_THROW(m.M1_to_N(top, 0, 0), cOverflowError);
  EXPECT_EQ(m.M1_to_N(BB{1, 1}, 0, 5), 3);
  EXPECT_EQ(m.M1_to_N(BB{1, 1}, 2, 0), 0);
  BB f{1, 0, 1};
  int32_t p = 1;
  EXPECT_EQ(m.get_N_from_M1(f, p, 8), 2);  // cut short: the bits present
  EXPECT_EQ(m.get_N_from_M1(f, p, 8), 0);
  EXPECT_EQ(p, 3);
  EXPECT_EQ(m.N_to_M1(300, 8).size(), 9u);
  EXPECT_EQ(m.X_to_M1(300, 8), m.N_to_M1(44, 8));
  EXPECT_TRUE(m.X_to_M1(INFINITY, 0).empty());
  BB notBits{0, 2};
  m.inv_M1(notBits);
  EXPECT_EQ(notBits, BB({0, 2}));
  EXPECT_EQ(cap.box.texts, SS({"не хватает длины поля для старших бит", "err-out", "err-out", "число 300 не влезет в 8бит",
                               "число 300не влезет в 8бит", "err", "Это не бит-поле"}));
  // Large whole numbers are named with all their digits.
  cap.box.clear();
  EXPECT_EQ(m.X_to_M1(std::ldexp(1.0, 50) + 3, 2), BB({1, 1}));
  EXPECT_EQ(cap.box.texts, SS({"число 1125899906842627не влезет в 2бит"}));
}
