#include <gtest/gtest.h>

#include <random>

#include "core/ModuleLib1.h"
#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

TT random_Table(size_t n, int32_t M, uint32_t seed, bool skewed) {
  std::mt19937 g(seed);
  TT t(n);
  for (auto& v : t) {
    uint32_t r = g() % (static_cast<uint32_t>(M) + 1);
    if (skewed) r = r * (g() % 4 == 0 ? 1 : 0) + g() % 3 % (static_cast<uint32_t>(M) + 1);
    v = static_cast<int32_t>(r);
  }
  return t;
}

// Reference costs of the per-value codes, from the table of codes.
int64_t e_Ref(int64_t u) {
  int64_t off = 0;
  for (int e = 1; e <= 17; ++e) {
    off += int64_t{1} << e;  // 2 + 4 + ... + 2^e
    if (u < off) return e;
  }
  return 17;
}

int64_t full_Cost(cMassiv& m, const TT& t, int code) {
  int64_t M = 0;
  for (int32_t v : t) M = std::max<int64_t>(M, v);
  const int64_t M2 = 2 * (M / 2) + 1;
  if (code == 0) return m.emk_N32(static_cast<int32_t>(M)) * static_cast<int64_t>(t.size());
  if (code == 21) return m.BR_st2(t, 1, 1);
  if (code == 22) return m.BR_st2(t, 2, 1);
  if (code == 23) return m.BR_st2(t, 1, 0);
  if (code == 24) return 8 * static_cast<int64_t>(m.zip_p78(t).size());
  if (code == 25) return 4 * static_cast<int64_t>(m.zip_p3334(t).size());
  int64_t s = 0;
  for (int64_t v : t) {
    int64_t c = 0;
    switch (code) {
      case 1: c = v + 1; break;
      case 2: c = v == M ? v : v + 1; break;
      case 3: c = v / 2 + 2; break;
      case 4: c = v == M ? v / 2 + 1 : v / 2 + 2; break;
      case 5: c = v == 0 ? 1 : (v + 1) / 2 + 2; break;
      case 6: c = v == 0 ? 1 : (v + 1) / 2 + (v + 1 >= M2 ? 1 : 2); break;
      case 7: c = v / 4 + 3; break;
      case 8: c = v / 8 + 4; break;
      case 9: c = v / 16 + 5; break;
      case 10: c = v / 32 + 6; break;
      case 11: c = v == 0 ? 1 : (v + 3) / 4 + 3; break;
      case 12: c = v == 0 ? 1 : v == 1 ? 2 : (v + 6) / 4 + 3; break;
      case 13: c = v == 0 ? 1 : (v + 7) / 8 + 4; break;
      case 14: c = v == 0 ? 1 : v == 1 ? 2 : (v + 14) / 8 + 4; break;
      case 15: c = v == 0 ? 1 : (v + 15) / 16 + 5; break;
      case 16: c = v == 0 ? 1 : (v + 31) / 32 + 6; break;
      case 17: c = 2 * e_Ref(v); break;
      case 18: c = v == 0 ? 1 : 2 * e_Ref(v - 1) + 1; break;
      case 19: c = v == 0 ? 1 : v == 1 ? 2 : 2 * e_Ref(v - 2) + 2; break;
      case 20: c = v < 3 ? v + 1 : 2 * e_Ref(v - 3) + 3; break;
    }
    s += c;
  }
  return s;
}

}  // namespace

TEST(M49q1, KnownBytesRoundTripAndLimits) {
  cMassiv m;
  EXPECT_EQ(m.zip_M49_q1({5}, 2), (BB{0x05, 0x01}));
  for (int32_t q1 : {1, 2, 3, 5, 8}) {
    // The largest values: 5 for q1 = 1 (groups 0, 1), 339 for q1 = 2 (groups 0..3).
    TT t = random_Table(300, q1 == 1 ? 5 : q1 == 2 ? 339 : 100000, static_cast<uint32_t>(q1), q1 % 2 == 0);
    t[7] = q1 == 1 ? 5 : q1 == 2 ? 339 : 100000;
    M49 x = m.copy_TT_to_M49(t);
    EXPECT_EQ(m.unzip_M49_q1(m.zip_M49_q1(x, q1), q1), x) << q1;
  }
  platform::cScopedMsgCapture cap;
  EXPECT_FALSE(m.zip_M49_q1({5}, 1).empty());
  EXPECT_TRUE(m.zip_M49_q1({6}, 1).empty());
  EXPECT_TRUE(m.zip_M49_q1({340}, 2).empty());
  EXPECT_TRUE(cap.box.saw("переполнение для этого q1"));
  EXPECT_TRUE(m.zip_M49_q1({1, -1}, 2).empty());
  EXPECT_TRUE(cap.box.saw("err"));
  cap.box.clear();
  // A value field cut off, and bytes without the end marker.
  BB z = m.zip_M49_q1({1000, 3}, 3);
  z.resize(1);
  m.unzip_M49_q1(z, 3);
  EXPECT_TRUE(cap.box.saw("ошибка декодирования"));
  cap.box.clear();
  EXPECT_TRUE(m.unzip_M49_q1({0, 0}, 2).empty());
  EXPECT_TRUE(cap.box.saw("ошибка декодирования"));
}

TEST(M49_3334, KnownBytesAndWidths) {
  cMassiv m;
  EXPECT_EQ(m.zip_M49_3334({0, 7, 8}), (BB{0xF1, 0x02}));
  EXPECT_EQ(m.zip_M49_3334({71}).size(), 1u);        // 8 bits
  EXPECT_EQ(m.zip_M49_3334({72, 583}).size(), 3u);   // 12 + 12 bits
  EXPECT_EQ(m.zip_M49_3334({584}).size(), 2u);       // 16 bits
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(m.zip_M49_3334({3, -2}).empty());
  EXPECT_TRUE(cap.box.saw("err"));
}

TEST(P3334, NibblesRoundTripAndLimits) {
  cMassiv m;
  EXPECT_EQ(m.zip_p3334({7, 8, 71, 72, 583, 584}), (BB{7, 8, 0, 15, 7, 8, 8, 0, 15, 15, 7, 8, 8, 8, 0}));
  EXPECT_EQ(m.zip_p3334({8775}), (BB{15, 15, 15, 15}));
  TT all(8776);
  for (int32_t v = 0; v < 8776; ++v) all[static_cast<size_t>(v)] = v;
  TT back;
  m.unzip_p3334(m.zip_p3334(all), back);
  EXPECT_EQ(back, all);
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(m.zip_p3334({1, 8776}).empty());
  EXPECT_TRUE(cap.box.saw("max 8k"));
  EXPECT_TRUE(m.zip_p3334({1, -1}).empty());
  cap.box.clear();
  m.unzip_p3334({3, 15, 15}, back);  // the third nibble continues past the end
  EXPECT_EQ(back, (TT{3}));
  EXPECT_TRUE(cap.box.saw("ошибка декодирования"));
  m.unzip_p3334({3, 200}, back);
  EXPECT_EQ(back, (TT{3}));
}

TEST(Zigzag, SignedToUnsigned) {
  cMassiv m;
  EXPECT_EQ(m.otr_Net(0), 0);
  EXPECT_EQ(m.otr_Net(-1), 1);
  EXPECT_EQ(m.otr_Net(1), 2);
  EXPECT_EQ(m.otr_Net(-3), 5);
  EXPECT_EQ(m.otr_Net(3), 6);
  EXPECT_EQ(m.otr_Net(-1073741824), 2147483647);
  EXPECT_THROW(m.otr_Net(1073741824), cOverflowError);
}

// The class bits of BR_st2 are those the container's arithmetic coder writes.
TEST(BRst2, ClassBitsAreTheCodersBits) {
  cMassiv m;
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    TT t = random_Table(seed * 3000, seed % 2 ? 70000 : 40, seed, seed % 3 == 0);
    for (auto [step, q1] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{1, 0}}) {
      BB classes;
      int64_t fields = 0;
      int32_t maxc = 0;
      for (int64_t v : t) {
        int32_t e = q1, c = 0;
        while (v >= (int64_t{1} << e)) {
          v -= int64_t{1} << e;
          e += step;
          ++c;
        }
        classes.push_back(static_cast<uint8_t>(c));
        maxc = std::max(maxc, c);
        fields += e == 0 ? 1 : e;
      }
      int32_t kolBit = 0;
      ModuleLib1::encode_Ari(classes, maxc, kolBit);
      EXPECT_EQ(m.BR_st2(t, step, q1), kolBit + fields + 1) << seed;
    }
  }
}

TEST(MinBR, TenZerosAndEarlyStopKeepsTheWinner) {
  cMassiv m;
  int32_t num = -1, vMax = 0;
  EXPECT_EQ(m.min_BR(TT(10, 0), num, vMax), 0);
  EXPECT_EQ(num, 2);
  EXPECT_EQ(vMax, 10);
  EXPECT_EQ(m.min_BR({}, num, vMax), 0);

  // Against all 26 costs summed in full: the same smallest cost, and the
  // first code that has it.
  platform::cScopedMsgCapture cap;  // tables beyond p78/p3334 show their messages
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    const int32_t M = std::vector<int32_t>{1, 3, 9, 40, 300, 9000, 40000, 100000}[seed % 8];
    TT t = random_Table(500 + seed * 37, M, seed, seed % 3 != 0);
    int64_t best = INT64_MAX;
    int bestCode = -1;
    for (int code = 0; code <= 25; ++code) {
      int64_t c = full_Cost(m, t, code);
      if ((code == 24 || code == 25) && c == 0) continue;  // the table does not fit that code
      if (c < best) {
        best = c;
        bestCode = code;
      }
    }
    vMax = 0;
    EXPECT_EQ(m.min_BR(t, num, vMax), best) << seed;
    EXPECT_EQ(num, bestCode) << seed;
  }
}

TEST(MinBR, TableOfCosts) {
  cMassiv m;
  TT t{0, 1, 2, 5, 5};
  TT gg;
  m.minBR(t, gg);
  ASSERT_EQ(gg.size(), 39u);
  EXPECT_EQ(gg[0], 15);            // 3 bits each
  EXPECT_EQ(gg[1], 18);            // unary: 1 + 2 + 3 + 6 + 6
  EXPECT_EQ(gg[2], 16);            // less the two values equal to M
  EXPECT_EQ(gg[3], 15);            // j = 1, k = 0: 2 + v div 2, reaches 15 and stops
  EXPECT_EQ(gg[5], 1 + 3 + 3 + 5 + 5);  // k = 1: a zero costs 1, u = v + 1
  EXPECT_EQ(gg[4], gg[3]);
  for (int i = 33; i < 39; ++i) EXPECT_EQ(gg[static_cast<size_t>(i)], 0);
}

TEST(TableCodes, CorpusRoundTrips) {
  cMassiv m;
  for (const char* name : {"general/calgary/geo", "general/calgary/book1", "general/canterbury/kennedy.xls"}) {
    BB d = testsup::read_File(testsup::corpus(name));
    ASSERT_FALSE(d.empty()) << name;
    d.resize(std::min<size_t>(d.size(), 40000));
    TT pairs = m.M8_to_M16(d);
    for (auto& v : pairs) v %= 8776;
    TT back;
    m.unzip_p3334(m.zip_p3334(pairs), back);
    EXPECT_EQ(back, pairs) << name;
    const M49 x = m.copy_TT_to_M49(pairs);
    EXPECT_EQ(m.unzip_M49_q1(m.zip_M49_q1(x, 3), 3), x) << name;
    int32_t num = 0, vMax = 0;
    EXPECT_LE(m.min_BR(pairs, num, vMax), 14 * static_cast<int32_t>(pairs.size())) << name;
  }
}
