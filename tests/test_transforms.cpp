#include <gtest/gtest.h>

#include <random>

#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

// n values, mostly small, with M at a few places so that the largest is M.
TT mostly_Small(size_t n, int32_t small, int32_t M, uint32_t seed) {
  std::mt19937 g(seed);
  TT t(n);
  for (auto& v : t) v = static_cast<int32_t>(g() % static_cast<uint32_t>(small + 1));
  for (size_t i = 0; i < n; i += n / 4 + 1) t[i] = M;
  return t;
}

TT uniform(size_t n, int32_t M, uint32_t seed) {
  std::mt19937 g(seed);
  TT t(n);
  for (auto& v : t) v = static_cast<int32_t>(g() % (static_cast<uint32_t>(M) + 1));
  t[n / 2] = M;
  return t;
}

TT bytes_as_TT(const BB& b) { return TT(b.begin(), b.end()); }

}  // namespace

TEST(Auto78, KnownOutputs) {
  cFile f;
  TT small(100);
  for (size_t i = 0; i < small.size(); ++i) small[i] = static_cast<int32_t>(i % 4);
  BB z = f.zip_78auto(small);
  EXPECT_EQ(z[0], 11);
  EXPECT_EQ(z.size(), 27u);  // 101 symbols, four to a byte

  TT t200 = uniform(50, 200, 1);
  z = f.zip_78auto(t200);
  ASSERT_EQ(z[0], 0);
  EXPECT_EQ(BB(z.begin() + 1, z.end()), BB(t200.begin(), t200.end()));

  TT t300(40, 3);
  t300[7] = 300;
  z = f.zip_78auto(t300);
  ASSERT_EQ(z[0], 1);
  EXPECT_EQ(z.size(), 1u + 41u);
  EXPECT_EQ(z[8], 255);
  EXPECT_EQ(z[9], 45);
}

// Every form j = 0..18 at the largest value it holds, and the choice of the
// next form one past it; all decode back exactly.
TEST(Auto78, EveryFormAtItsLimits) {
  cFile f;
  struct tCase {
    int32_t M;
    int32_t j;
  };
  const tCase cases[] = {{3, 11},     {4, 12},     {6, 12},     {7, 13},     {9, 13},     {10, 14},    {15, 14},
                         {16, 15},    {30, 15},    {31, 16},    {45, 16},    {46, 17},    {75, 17},    {76, 18},
                         {135, 18},   {136, 0},    {255, 0},    {256, 1},    {510, 1},    {511, 2},    {765, 2},
                         {766, 3},    {1275, 3},   {1276, 4},   {2295, 4},   {2296, 5},   {4335, 5},   {4336, 6},
                         {8415, 6},   {8416, 7},   {16575, 7},  {16576, 8},  {32895, 8},  {32896, 9},  {65535, 9},
                         {65536, 10}, {1 << 30, 10}};
  for (const auto& c : cases) {
    TT t = mostly_Small(997, 2, c.M, static_cast<uint32_t>(c.M));
    BB z = f.zip_78auto(t);
    ASSERT_FALSE(z.empty());
    EXPECT_EQ(z[0], c.j) << "M=" << c.M;
    EXPECT_EQ(f.unzip_78(z), t) << "M=" << c.M;
  }
  // Mostly large values: the 8-bit escape is no shorter than 16 bits each.
  TT big = uniform(500, 20000, 3);
  for (auto& v : big) v |= 256;
  BB z = f.zip_78auto(big);
  EXPECT_EQ(z[0], 9);
  EXPECT_EQ(f.unzip_78(z), big);
  // Trailing zero values survive the end marker of the narrow forms.
  TT tail{3, 1, 0, 0, 0, 0, 0};
  EXPECT_EQ(f.unzip_78(f.zip_78auto(tail)), tail);
}

TEST(Auto78, RefusalsAndDamagedInput) {
  cFile f;
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(f.zip_78auto({}).empty());
  EXPECT_TRUE(f.zip_78auto({1, -1}).empty());
  EXPECT_TRUE(cap.box.saw("pusto/otr"));
  cap.box.clear();
  EXPECT_TRUE(f.unzip_78({}).empty());
  EXPECT_TRUE(cap.box.saw("pusto"));
  EXPECT_TRUE(f.unzip_78({19, 1, 2}).empty());
  EXPECT_TRUE(cap.box.saw("неизвестный метод=19"));
  cap.box.clear();
  // An escape cut off by the end: the values before it stay.
  EXPECT_EQ(f.unzip_78({1, 7, 9, 255}), (TT{7, 9}));
  EXPECT_TRUE(cap.box.saw("err"));
  cap.box.clear();
  // No end marker behind the values.
  BB z = f.zip_78auto(TT(20, 2));
  z.back() = 0;
  z[z.size() - 2] = 0;
  f.unzip_78(z);
  EXPECT_TRUE(cap.box.saw("не тот хвост 1+000"));
  EXPECT_TRUE(f.unzip_78({11}).empty());
}

TEST(NarrowCodes, TwoAndFourBitsRoundTrip) {
  cFile f;
  for (int32_t M : {0, 3, 4, 6, 7, 9}) {
    BB b(101);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>((i * 5) % static_cast<size_t>(M + 1));
    b[3] = static_cast<uint8_t>(M);
    int32_t k = -5;
    BB sym = f.zip_to_2bit(b, k, false);
    EXPECT_EQ(k, M <= 3 ? 0 : M <= 6 ? 1 : 2);
    EXPECT_EQ(f.unzip_from_2bit(sym, k, false), b);
    BB packed = f.zip_to_2bit(b, k, true);
    // Packing pads with zero symbols; they come back as trailing zero values.
    BB back = f.unzip_from_2bit(packed, -1, true);
    ASSERT_GE(back.size(), b.size());
    EXPECT_EQ(BB(back.begin(), back.begin() + static_cast<long>(b.size())), b);
  }
  for (int32_t M : {15, 16, 30, 31, 45, 46, 75, 76, 135}) {
    BB b(77);
    for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>((i * 13) % static_cast<size_t>(M + 1));
    b[5] = static_cast<uint8_t>(M);
    int32_t k = -5;
    BB sym = f.zip_to_4bit(b, k, false);
    EXPECT_EQ(f.unzip_from_4bit(sym, k, false), b) << M;
    BB back = f.unzip_from_4bit(f.zip_to_4bit(b, k, true), -1, true);
    EXPECT_EQ(BB(back.begin(), back.begin() + static_cast<long>(b.size())), b) << M;
  }
  platform::cScopedMsgCapture cap;
  int32_t k = 0;
  EXPECT_TRUE(f.zip_to_2bit({1, 10}, k, true).empty());
  EXPECT_TRUE(cap.box.saw("err  max>9"));
  EXPECT_TRUE(f.zip_to_4bit({136}, k, true).empty());
  EXPECT_TRUE(cap.box.saw("err  max>135"));
  EXPECT_TRUE(f.unzip_from_2bit({1, 2}, 3, false).empty());
  EXPECT_TRUE(cap.box.saw("err o=0,1,2"));
  EXPECT_TRUE(f.unzip_from_4bit({1, 2}, 5, false).empty());
  EXPECT_TRUE(cap.box.saw("методы 0,1,2,3,45"));
  cap.box.clear();
  EXPECT_EQ(f.unzip_contex({1, 0, 3}, 3, 2), (TT{1, 0}));
  EXPECT_TRUE(cap.box.saw("err unzip"));
}

TEST(Max78Auto, WidthsThresholdsAndLimits) {
  cFile f;
  // Edges of the widths, and largest values for which the threshold formula
  // lands exactly on a boundary (13 and 16 with 2 and 4 bits, 65281 with 8).
  for (int32_t M : {0, 1, 2, 3, 9, 13, 15, 16, 31, 241, 255, 256, 257, 510, 65281, 65535}) {
    TT t = uniform(300, M, static_cast<uint32_t>(M) + 7);
    for (int32_t perN = 0; perN <= 3; ++perN) {
      BB z = f.zip_max78auto(t, perN);
      if (z.empty()) continue;  // threshold below 0
      const int32_t w = z[0];
      EXPECT_EQ(w, M <= 15 ? 2 : M <= 255 ? 4 : 8);
      for (size_t i = 2; i < z.size(); ++i) ASSERT_LT(z[i], 1 << w) << "M=" << M << " perN=" << perN;
      EXPECT_EQ(f.unzip_max78(z), t) << "M=" << M << " perN=" << perN;
    }
  }
  // Values 0..13 in two bits: threshold 1 would hold only 12, so it is 0.
  TT t13(14);
  for (int32_t i = 0; i < 14; ++i) t13[static_cast<size_t>(i)] = i;
  BB z = f.zip_max78auto(t13, 0);
  EXPECT_EQ(z[0], 2);
  EXPECT_EQ(z[1], 3);  // t = 0
  // The palette form (parameter 3): t = (65536 - 300) div 255 - 3 = 252.
  z = f.zip_max78auto({0, 300, 252, 251}, 3);
  EXPECT_EQ(z, (BB{8, 3, 0, 252, 48, 252, 0, 251}));
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(f.zip_max78auto({65536}, 0).empty());
  EXPECT_TRUE(cap.box.saw("не влезет"));
  EXPECT_TRUE(f.zip_max78auto({3, 3}, 9).empty());  // negative threshold
  cap.box.clear();
  EXPECT_EQ(f.unzip_max78({8, 0, 5, 255}), (TT{5}));
  EXPECT_TRUE(cap.box.saw("err"));
  EXPECT_TRUE(f.unzip_max78({3, 0, 1}).empty());
  EXPECT_TRUE(f.unzip_max78({2, 9, 1}).empty());
}

TEST(Max1, BaseMPlusOne) {
  cFile f;
  EXPECT_EQ(f.unzip_Max1_TT(f.zip_Max1_TT({5, 0, 0})), (TT{5}));
  EXPECT_EQ(f.zip_Max1_TT({5, 0, 0}), (BB{5, 0, 5}));
  for (int32_t M : {1, 2, 255, 256, 65535}) {
    TT t = uniform(700, M, static_cast<uint32_t>(M));
    t.back() = 1;
    BB z = f.zip_Max1_TT(t);
    EXPECT_EQ(f.unzip_Max1_TT(z), t) << M;
  }
  EXPECT_TRUE(f.unzip_Max1_TT(f.zip_Max1_TT({0, 0})).empty());
  SL n = f.zip_TT_to_SL({3, 7}, 10);
  EXPECT_EQ(n, (SL{73}));
  EXPECT_EQ(f.unzip_TT_from_SL(n, 10), (TT{3, 7}));
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(f.zip_Max1_TT({65536}).empty());
  EXPECT_TRUE(cap.box.saw("не влезет"));
  EXPECT_TRUE(f.zip_TT_to_SL({10}, 10).empty());
  // Base 1 with digits would never end.
  EXPECT_TRUE(f.unzip_Max1_TT({0, 0, 7}).empty());
  EXPECT_TRUE(f.unzip_Max1_TT({9}).empty());
}

TEST(RLE, RunsAndDamage) {
  cFile f;
  EXPECT_EQ(f.zip_RLE(BB(300, 'x')), (BB{'x', 255, 45}));
  EXPECT_EQ(f.zip_RLE(BB(255, 1)), (BB{1, 255, 0}));
  EXPECT_EQ(f.unzip_RLE({1, 255, 0}), BB(255, 1));
  platform::cScopedMsgCapture cap;
  // The last run has 255 but no remainder byte: what was read is kept.
  BB want{7, 7};
  want.insert(want.end(), 255, 9);
  EXPECT_EQ(f.unzip_RLE({7, 2, 9, 255}), want);
  EXPECT_TRUE(cap.box.saw("err"));
  EXPECT_TRUE(f.unzip_RLE({7}).empty());
}

// Value arrays made from real files: bytes, 16-bit pairs and their
// differences, through every reversible transform.
TEST(Transforms, CorpusFiles) {
  cFile f;
  cMassiv& m = f.massiv();
  for (const char* name : {"general/calgary/book1", "general/calgary/geo", "general/canterbury/ptt5",
                           "general/calgary/obj1"}) {
    BB d = testsup::read_File(testsup::corpus(name));
    ASSERT_FALSE(d.empty()) << name;
    d.resize(std::min<size_t>(d.size(), 60000));
    EXPECT_EQ(f.unzip_RLE(f.zip_RLE(d)), d) << name;
    TT bytes = bytes_as_TT(d);
    EXPECT_EQ(f.unzip_78(f.zip_78auto(bytes)), bytes) << name;
    TT pairs = m.M8_to_M16(d);
    EXPECT_EQ(f.unzip_78(f.zip_78auto(pairs)), pairs) << name;
    EXPECT_EQ(f.unzip_max78(f.zip_max78auto(pairs, 0)), pairs) << name;
    EXPECT_EQ(f.unzip_max78(f.zip_max78auto(bytes, 0)), bytes) << name;
    TT nib = bytes_as_TT(m.M8_to_M4(d));
    EXPECT_EQ(f.unzip_78(f.zip_78auto(nib)), nib) << name;
    TT part(pairs.begin(), pairs.begin() + 2000);
    part.back() = 1;
    EXPECT_EQ(f.unzip_Max1_TT(f.zip_Max1_TT(part)), part) << name;
  }
}
