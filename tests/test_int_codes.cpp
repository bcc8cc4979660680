#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "massiv/cMassiv.h"
#include "platform/msg_box.h"

namespace {

// p7778 built exactly as defined, bit by bit: unary length, a zero, the 7k
// value bits least significant first, packed LSB first.
BB ref_p7778(uint64_t x) {
  int k = 1;
  uint64_t cap = 128;
  std::vector<int> bits;
  while (x >= cap) {
    x -= cap;
    bits.push_back(1);
    ++k;
    cap <<= 7;
  }
  bits.push_back(0);
  for (int i = 0; i < 7 * k; ++i) bits.push_back(static_cast<int>((x >> i) & 1));
  BB out(static_cast<size_t>(k), 0);
  for (size_t i = 0; i < bits.size(); ++i) out[i / 8] |= static_cast<uint8_t>(bits[i] << (i % 8));
  return out;
}

// The reader as defined: offset from the unary prefix, then the bits from k
// on of the bytes present, accumulated in doubles from the top down.
double ref_read(const BB& b, size_t p, size_t& end) {
  int ones = 0;
  while (ones < 8 && ((b[p] >> ones) & 1)) ++ones;
  const size_t k = static_cast<size_t>(ones) + 1;
  double off = 0;
  for (int j = 1; j <= ones; ++j) off += std::ldexp(1.0, 7 * j);
  const size_t n = std::min(k, b.size() - p);
  std::vector<int> bits;
  for (size_t i = 0; i < n; ++i)
    for (int j = 0; j < 8; ++j) bits.push_back((b[p + i] >> j) & 1);
  double v = 0;
  for (size_t i = bits.size(); i-- > k;) v = v * 2 + bits[i];
  end = p + n;
  return v + off;
}

}  // namespace

TEST(Code78o, DocumentedBytes) {
  cMassiv m;
  int32_t len = 0, p = 0;
  EXPECT_EQ(m.N_to_78o(200, 6, len), BB({192, 8}));
  EXPECT_EQ(len, 2);
  EXPECT_EQ(m.N_to_78o(16575, 6, len), BB({255, 255}));
  EXPECT_EQ(m.N_to_78o(300, 8, len), BB({1, 44}));
  EXPECT_EQ(m.zip_p78(TT{5, 200, 32894}), BB({0x05, 0x80, 0x48, 0xFF, 0xFE}));
  BB b, c;
  for (int32_t n : {239, 240, 4000}) m.put_78o4(b, n, p);
  EXPECT_EQ(b, BB({239, 240, 0, 254, 176}));
  p = 0;
  for (int32_t n : {250, 251, 1500}) m.put_o250(c, n, p);
  EXPECT_EQ(c, BB({250, 251, 0, 255, 225}));
}

TEST(Code78o, EveryValueOfEveryParameterRoundTrips) {
  cMassiv m;
  platform::cScopedMsgCapture cap;
  for (int32_t o = 0; o <= 8; ++o) {
    const int32_t d = 256 - (1 << o), top = (1 << (o + 8)) + d - 1;
    BB all;
    for (int32_t n = 0, len = 0; n <= top; ++n) {
      BB code = m.N_to_78o(n, o, len);
      ASSERT_EQ(len, n < d ? 1 : 2) << o << " " << n;
      all.insert(all.end(), code.begin(), code.end());
    }
    int32_t p = 0, len = 5;
    for (int32_t n = 0; n <= top; ++n) ASSERT_EQ(m.o78_to_N(all, o, p), n) << o;
    EXPECT_EQ(p, m.len_BB(all));
    EXPECT_TRUE(m.N_to_78o(top + 1, o, len).empty());
    EXPECT_EQ(len, 0);
  }
  EXPECT_EQ(cap.box.texts, SS(9, "переполнение"));
  BB s4, s250;
  int32_t p4 = 0, p250 = 0;
  for (int32_t n = 0; n <= 4000; ++n) m.put_78o4(s4, n, p4);
  for (int32_t n = 0; n <= 1500; ++n) m.put_o250(s250, n, p250);
  p4 = p250 = 0;
  for (int32_t n = 0; n <= 4000; ++n) ASSERT_EQ(m.get_78o4(s4, p4), n);
  for (int32_t n = 0; n <= 1500; ++n) ASSERT_EQ(m.get_o250(s250, p250), n);
  TT big(32895);
  for (int32_t i = 0; i <= 32894; ++i) big[static_cast<size_t>(i)] = i;
  BB z = m.zip_p78(big);
  int32_t p = 0;
  for (int32_t n : big) ASSERT_EQ(m.o78_to_N(z, 7, p), n);
  EXPECT_EQ(p, m.len_BB(z));
}

TEST(Code78o, BadArgumentsAndCutCodes) {
  cMassiv m;
  platform::cScopedMsgCapture cap;
  int32_t len = 0, p = 0;
  EXPECT_TRUE(m.N_to_78o(1, 9, len).empty());
  EXPECT_TRUE(m.N_to_78o(-1, 4, len).empty());
  EXPECT_EQ(m.o78_to_N(BB{250}, 4, p), 0);  // second byte missing
  EXPECT_EQ(p, 0);
  BB b{1, 2};
  p = 1;
  m.put_78o4(b, 4001, p);
  m.put_o250(b, 1501, p);
  m.put_o250(b, -1, p);
  EXPECT_EQ(b, BB({1, 2}));
  EXPECT_EQ(p, 1);
  EXPECT_TRUE(m.zip_p78(TT{32895}).empty());
  EXPECT_TRUE(m.zip_p78(TT{1, -5}).empty());
  p = 0;
  EXPECT_EQ(m.get_78o4(BB{241}, p), 0);
  EXPECT_EQ(p, -1);
  p = 0;
  EXPECT_EQ(m.get_o250(BB{252}, p), 0);
  EXPECT_EQ(p, -1);
  EXPECT_EQ(cap.box.texts, SS({"o=0..8", "отриц", "err", "не влезет в 78о4", "не влезет", "отриц", "max 32k", "отриц",
                               "err get78o4", "err"}));
}

TEST(CodeP7778, DocumentedBytesAndLengths) {
  cMassiv m;
  const std::pair<double, BB> cases[] = {{0, {0x00}},       {5, {0x0A}},          {127, {0xFE}},
                                         {128, {0x01, 0x00}}, {16511, {0xFD, 0xFF}}, {16512, {0x03, 0, 0}}};
  for (const auto& [x, bytes] : cases) {
    EXPECT_EQ(m.X_to_p7778(x), bytes) << x;
    int32_t p = 0;
    EXPECT_EQ(m.p7778_to_X(bytes, p), x);
    EXPECT_EQ(p, m.len_BB(bytes));
  }
  EXPECT_EQ(m.X_to_p7778(2.5), BB({0x06}));  // fractions take the bits the halving gives: 3
  BB top = m.X_to_p7778(std::ldexp(1.0, 50));
  ASSERT_EQ(top.size(), 8u);
  EXPECT_EQ(top[0], 0x7F);
  EXPECT_EQ(m.p7778_to_X(top, 0), std::ldexp(1.0, 50));
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(m.X_to_p7778(std::ldexp(1.0, 50) + 1).empty());
  EXPECT_TRUE(m.X_to_p7778(-1).empty());
  EXPECT_TRUE(m.X_to_p7778(NAN).empty());
  EXPECT_EQ(m.p7778_to_X(BB{}, 0), 0);
  EXPECT_EQ(cap.box.texts, SS({"err-переполнение", "err-отрицательное", "err-переполнение", "err"}));
}

TEST(CodeP7778, EveryLengthBoundaryMatchesTheBitDefinition) {
  cMassiv m;
  std::mt19937_64 rng(5);
  std::vector<uint64_t> xs;
  uint64_t o = 0, cap = 128;
  for (int k = 1; k <= 8; ++k, o += cap, cap <<= 7)
    for (uint64_t x : {o, o + 1, o + cap - 1, o + cap, o + rng() % cap})
      if (x <= (uint64_t{1} << 50)) xs.push_back(x);
  BB stream;
  for (uint64_t x : xs) {
    BB code = m.X_to_p7778(static_cast<double>(x));
    ASSERT_EQ(code, ref_p7778(x)) << x;
    stream.insert(stream.end(), code.begin(), code.end());
  }
  int32_t p = 0;
  for (uint64_t x : xs) ASSERT_EQ(m.p7778_to_X(stream, p), static_cast<double>(x));
  EXPECT_EQ(p, m.len_BB(stream));
}

TEST(CodeP7778, ReaderMatchesDefinitionOnArbitraryAndCutBytes) {
  cMassiv m;
  std::mt19937 rng(9);
  for (int i = 0; i < 20000; ++i) {
    BB b(1 + rng() % 12);
    for (auto& v : b) v = static_cast<uint8_t>(rng());
    if (i % 3 == 0) b[0] = static_cast<uint8_t>(0xFF >> (rng() % 9));  // long prefixes, 0xFF included
    size_t end = 0;
    const double want = ref_read(b, 0, end);
    int32_t p = 0;
    ASSERT_EQ(m.p7778_to_X(b, p), want) << i;
    ASSERT_EQ(static_cast<size_t>(p), end);
  }
}

TEST(CodeP7778, ArraysRoundTripAndOverflowEndsTheOperation) {
  cMassiv m;
  EXPECT_TRUE(m.zip_7778(TT{}).empty());
  EXPECT_TRUE(m.unzip_7778(BB{}).empty());
  std::mt19937 rng(1);
  TT tt{0, 127, 128, 16511, 16512, 2113663, 2113664, INT32_MAX};
  for (int i = 0; i < 5000; ++i) tt.push_back(static_cast<int32_t>(rng() >> (1 + rng() % 31)));
  BB z = m.zip_7778(tt);
  BB joined;
  for (int32_t v : tt) {
    BB c = m.X_to_p7778(v);
    joined.insert(joined.end(), c.begin(), c.end());
  }
  EXPECT_EQ(z, joined);
  EXPECT_EQ(m.unzip_7778(z), tt);
  z.pop_back();  // last code cut short: the bits present, no error
  EXPECT_EQ(m.unzip_7778(z).size(), tt.size());
  {
    platform::cScopedMsgCapture cap;
    EXPECT_EQ(m.zip_7778(TT{1, -1, 2}), BB({2, 4}));
    EXPECT_EQ(cap.box.texts, SS({"err-отрицательное"}));
  }
  EXPECT_THROW(m.unzip_7778(m.X_to_p7778(2147483648.0)), cOverflowError);
}

TEST(CodeP7778, ArrayReaderTakesLongCodesAndOverflowsAnywhere) {
  cMassiv m;
  const BB pad(9, 0);
  // Codes of six to nine bytes between short ones, away from the end.
  BB z = m.zip_7778(TT{1, 300});
  for (double x : {std::ldexp(1.0, 30), 1073741823.0}) {
    BB c = m.X_to_p7778(x);
    z.insert(z.end(), c.begin(), c.end());
  }
  z.insert(z.end(), pad.begin(), pad.end());
  TT want{1, 300, 1073741824, 1073741823};
  want.resize(want.size() + pad.size(), 0);
  EXPECT_EQ(m.unzip_7778(z), want);
  // A value past 2^31 - 1 stops the reading wherever the code lies.
  for (double x : {2147483648.0, 34359738368.0, std::ldexp(1.0, 50)}) {
    BB c = m.X_to_p7778(x);
    c.insert(c.end(), pad.begin(), pad.end());
    EXPECT_THROW(m.unzip_7778(c), cOverflowError) << x;
  }
  BB w = m.X_to_p7778(INT32_MAX);
  w.insert(w.end(), pad.begin(), pad.end());
  EXPECT_EQ(m.unzip_7778(w).front(), INT32_MAX);
  // A first byte of eight ones: nine bytes, the value above every 32-bit one.
  BB ff(12, 0);
  ff[0] = 0xFF;
  EXPECT_THROW(m.unzip_7778(ff), cOverflowError);
}
