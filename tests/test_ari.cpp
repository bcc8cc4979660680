// Container methods 1 and 31 and the arithmetic coder under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "core/ModuleLib1.h"
#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

using namespace ModuleLib1;
using platform::cScopedMsgCapture;

// The coder step by step: one bit per entry, plain divisions, packed by the
// toolkit. The fast coder must give the same bytes.
BB literal_Encode(const TT& vals, int M, int32_t& nBits) {
  const int nSym = M + 2;
  std::vector<int64_t> freq(nSym + 1, 1), cum(nSym + 1);
  std::vector<int> c2i(M + 1), i2c(nSym + 1);
  for (int v = 0; v <= M; ++v) i2c[c2i[v] = v + 1] = v;
  freq[0] = 0;
  for (int i = 0; i <= nSym; ++i) cum[i] = nSym - i;
  BB bits;
  int64_t low = 0, high = 65535, follow = 0;
  auto emit = [&](int b) {
    bits.push_back(static_cast<uint8_t>(b));
    for (; follow > 0; --follow) bits.push_back(static_cast<uint8_t>(1 - b));
  };
  auto encode = [&](int s) {
    const int64_t range = high - low + 1;
    high = low + range * cum[s - 1] / cum[0] - 1;
    low = low + range * cum[s] / cum[0];
    for (;; low = 2 * low, high = 2 * high + 1) {
      if (high < 32768) emit(0);
      else if (low >= 32768) emit(1), low -= 32768, high -= 32768;
      else if (low >= 16384 && high < 49152) ++follow, low -= 16384, high -= 16384;
      else break;
    }
  };
  for (int v : vals) {
    const int s = c2i[v];
    encode(s);
    if (cum[0] == 16383)
      for (int64_t i = nSym, run = 0; i >= 0; run += freq[i--]) freq[i] = (freq[i] + 1) / 2, cum[i] = run;
    int i = s;
    while (freq[i] == freq[i - 1]) --i;
    const int a = i2c[i], b = i2c[s];
    i2c[i] = b, i2c[s] = a, c2i[a] = s, c2i[b] = i;
    ++freq[i];
    while (i > 0) ++cum[--i];
  }
  encode(nSym);
  ++follow;
  emit(low < 16384 ? 0 : 1);
  nBits = static_cast<int32_t>(bits.size());
  return cMassiv().M1_to_M8(bits, 8);
}

TT to_TT(const BB& bb) { return TT(bb.begin(), bb.end()); }
int32_t max_Of(const TT& tt) { return tt.empty() ? 0 : *std::max_element(tt.begin(), tt.end()); }

// 12-bit values from byte pairs: a wide alphabet with real structure.
TT twelve_Bit(const BB& bb, size_t maxValues) {
  TT tt;
  for (size_t i = 0; i + 1 < bb.size() && tt.size() < maxValues; i += 2) tt.push_back((bb[i] | bb[i + 1] << 8) & 4095);
  return tt;
}

BB corpus_File(const char* rel) { return testsup::read_File(testsup::corpus(rel)); }

}  // namespace

TEST(AriEngine, GivesTheBitsOfTheLiteralCoder) {
  cScopedMsgCapture cap;
  const BB book = corpus_File("general/calgary/book1");
  std::vector<TT> inputs = {{0}, {5, 5, 5, 1, 0, 5}, to_TT(BB(book.begin(), book.begin() + 60000)),
                            to_TT(testsup::random_Bytes(30000, 7)), TT(40000, 0),
                            twelve_Bit(corpus_File("general/large/world192.txt"), 20000)};
  // Around the first halving: the total reaches 16383 after 16383 - (M + 2) updates.
  for (int n : {16125, 16126, 16127}) inputs.push_back(to_TT(testsup::random_Bytes(n, n)));
  for (int n : {16380, 16381, 16382}) inputs.push_back(TT(n, 0));
  for (const TT& in : inputs) {
    const int32_t M = max_Of(in);
    int32_t refBits = 0, bits = 0, kol = 0;
    const BB ref = literal_Encode(in, M, refBits);
    EXPECT_EQ(encode_Ari(in, M, bits), ref) << "n=" << in.size() << " M=" << M;
    EXPECT_EQ(bits, refBits);
    EXPECT_EQ(decode_Ari_TT(ref, 0, M, kol), in);
    EXPECT_EQ(kol, static_cast<int32_t>(in.size()));
  }
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, LayoutOfSmallInputs) {
  cScopedMsgCapture cap;
  cFile f;
  // One 0 (M = 0): its symbol takes the upper half (bit 1), the end symbol the
  // lowest third (0), the closing bits are 0 1; first bit lowest: 1001b = 9.
  EXPECT_EQ(f.zip_Ari({0}), (BB{1, 9, 0, 9}));
  EXPECT_EQ(f.zip_Ari16_4k({0}), (BB{31, 9, 0, 0, 9}));
  int32_t bits = 0;
  const BB text = corpus_File("general/canterbury/grammar.lsp");
  const uint8_t M = *std::max_element(text.begin(), text.end());
  const BB c = f.zip_Ari(text);
  EXPECT_EQ(BB(c.begin(), c.begin() + 3), (BB{1, static_cast<uint8_t>(f.make_ks(c, 2)), M}));
  EXPECT_EQ(BB(c.begin() + 3, c.end()), encode_Ari(text, M, bits));
  EXPECT_EQ(c.size(), 3 + static_cast<size_t>((bits + 7) / 8));
  const TT wide = {4095, 0, 300, 4095, 7};
  const BB c31 = f.zip_Ari16_4k(wide);
  EXPECT_EQ(BB(c31.begin() + 2, c31.begin() + 4), (BB{0xFF, 0x0F}));  // M low byte first
  EXPECT_EQ(BB(c31.begin() + 4, c31.end()), encode_Ari(wide, 4095, bits));
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, RoundTripsTheCorpus) {
  cScopedMsgCapture cap;
  cFile f;
  std::vector<std::string> files;
  for (const char* dir : {"general", "russian"})
    for (const auto& e : std::filesystem::recursive_directory_iterator(testsup::corpus(dir)))
      if (e.is_regular_file() && e.file_size() > 0) files.push_back(e.path().string());
  ASSERT_GT(files.size(), 100u);
  for (const std::string& path : files) {
    const BB data = testsup::read_File(path);
    int32_t vErr = 99;
    EXPECT_EQ(f.unzip_Ari(f.zip_Ari(data), vErr), data) << path;
    EXPECT_EQ(vErr, 0) << path;
    // Method 31 on the bytes as values (below 1 MB; method 1 has run the engine
    // on the rest) and on 12-bit values from the first 16K byte pairs.
    for (const TT& tt : {data.size() < 1000000 ? to_TT(data) : TT{}, twelve_Bit(data, 16384)}) {
      if (tt.empty()) continue;
      EXPECT_EQ(f.unzip_Ari16_4k(f.zip_Ari16_4k(tt), vErr), tt) << path;
      EXPECT_EQ(vErr, 0) << path;
    }
  }
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, EdgeAndRefusedInputs) {
  cFile f;
  int32_t vErr = 99;
  {
    cScopedMsgCapture cap;
    for (int v : {0, 1, 255}) EXPECT_EQ(f.unzip_Ari(f.zip_Ari({static_cast<uint8_t>(v)}), vErr), BB{static_cast<uint8_t>(v)});
    const BB zeros(100000, 0);  // two symbols, many halvings, a few code bytes
    const BB c = f.zip_Ari(zeros);
    EXPECT_LT(c.size(), 40u);
    EXPECT_EQ(f.unzip_Ari(c, vErr), zeros);
    EXPECT_EQ(vErr, 0);
    EXPECT_TRUE(cap.box.texts.empty());
  }
  cScopedMsgCapture cap;
  EXPECT_TRUE(f.zip_Ari16_4k({1, 4096, 2}).empty());
  EXPECT_TRUE(cap.box.saw("слишком большой максимум=4096"));
  EXPECT_TRUE(f.zip_Ari16_4k({1, -1}).empty());  // no symbol for a negative value
  EXPECT_TRUE(cap.box.saw("отриц"));
  EXPECT_TRUE(f.zip_Ari(BB(kAriMaxValues + 1, 0)).empty());  // would not decode again
  EXPECT_TRUE(cap.box.saw("макс 16мб-ограничение этого кодера"));
  // An empty array gives a header without code bits, which decodes to nothing.
  EXPECT_EQ(f.zip_Ari({}), (BB{1, 0, 0}));
  EXPECT_TRUE(cap.box.saw("pusto"));
  EXPECT_TRUE(f.unzip_Ari({1, 0, 0}, vErr).empty());
  EXPECT_EQ(vErr, 0);
}

TEST(AriContainer, ErrorCodes) {
  cScopedMsgCapture cap;
  cFile f;
  int32_t vErr = 0;
  EXPECT_TRUE(f.unzip_Ari({}, vErr).empty());
  EXPECT_EQ(vErr, -1);
  EXPECT_TRUE(f.unzip_Ari16_4k({}, vErr).empty());
  EXPECT_EQ(vErr, -1);
  const BB data = corpus_File("general/calgary/paper5");
  const TT values = twelve_Bit(data, 5000);
  BB c1 = f.zip_Ari(data), c31 = f.zip_Ari16_4k(values);
  // Both read the method from bits 0-4 alone; mode and filter bits are not theirs.
  EXPECT_TRUE(f.unzip_Ari16_4k(c1, vErr).empty());
  EXPECT_EQ(vErr, -2);
  EXPECT_TRUE(f.unzip_Ari(c31, vErr).empty());
  EXPECT_EQ(vErr, -2);
  c1[0] = 1 | 32 | 128, c31[0] = 31 | 64;
  EXPECT_EQ(f.unzip_Ari(c1, vErr), data);
  EXPECT_EQ(vErr, 0);
  EXPECT_EQ(f.unzip_Ari16_4k(c31, vErr), values);
  EXPECT_EQ(vErr, 0);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"пустой массив", "пустой массив", "метод не 31", "метод не 1"}));
  // A wrong checksum is reported and the data still comes back.
  c1[0] = 1, c1[1] ^= 0x55, c31[1] ^= 0x01;
  EXPECT_EQ(f.unzip_Ari(c1, vErr), data);
  EXPECT_EQ(vErr, -3);
  EXPECT_EQ(f.unzip_Ari16_4k(c31, vErr), values);
  EXPECT_EQ(vErr, -3);
  // Cut before M, or an M no encoder writes: no end symbol.
  for (const BB& bad : {BB{1}, BB{1, 0}, BB{31}, BB{31, 0, 0}, BB{31, 0, 0, 0x10, 0xAB}}) {
    EXPECT_TRUE(bad[0] == 1 ? f.unzip_Ari(bad, vErr).empty() : f.unzip_Ari16_4k(bad, vErr).empty());
    EXPECT_EQ(vErr, -5) << bad.size();
  }
  EXPECT_TRUE(cap.box.saw("слишком большой максимум=4096"));
}

TEST(AriContainer, DamagedStreamsEnd) {
  cScopedMsgCapture cap;
  cFile f;
  const BB data = corpus_File("general/calgary/paper4");
  const BB c = f.zip_Ari(data);
  int32_t vErr = 0, kol = 0;
  // Cut in the middle: the end symbol never comes. (Without any code byte the
  // zero bits spell the end symbol at once: empty data, checksum -3.)
  for (size_t keep : {c.size() / 2, c.size() - 20, size_t{5}}) {
    EXPECT_TRUE(f.unzip_Ari(BB(c.begin(), c.begin() + keep), vErr).empty()) << keep;
    EXPECT_EQ(vErr, -5) << keep;
  }
  // Cut near the end: still complete (zero bits stand in) or reported.
  for (size_t lost = 1; lost <= 8; ++lost) {
    const BB out = f.unzip_Ari(BB(c.begin(), c.end() - lost), vErr);
    if (vErr == -5) EXPECT_TRUE(out.empty());
    else EXPECT_EQ(out, data) << lost;
  }
  // Arbitrary bits end one way or the other, with values inside 0..M.
  std::mt19937 gen(12345);
  int ended = 0, failed = 0;
  for (int round = 0; round < 3000; ++round) {
    const BB payload = testsup::random_Bytes(gen() % 300, gen());
    const int32_t M = static_cast<int32_t>(gen() % (round % 2 ? 256 : 4096));
    const TT out = decode_Ari_TT(payload, 0, M, kol);
    (kol < 0 ? failed : ended) += 1;
    EXPECT_EQ(out.size(), static_cast<size_t>(std::max(kol, 0)));
    EXPECT_LE(max_Of(out), M);
  }
  EXPECT_GT(failed, 0);
  EXPECT_GT(ended, 0);
  // All one bits keep the likelier value coming; the output limit ends it.
  EXPECT_TRUE(decode_Ari_BB(BB(4096, 0xFF), 0, 0, kol).empty());
  EXPECT_EQ(kol, -1);
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriEngine, OutputLimit) {
  int32_t bits = 0, kol = 0;
  BB zeros(kAriMaxValues, 0);
  EXPECT_EQ(decode_Ari_BB(encode_Ari(zeros, 0, bits), 0, 0, kol).size(), static_cast<size_t>(kAriMaxValues));
  EXPECT_EQ(kol, kAriMaxValues);
  zeros.push_back(0);
  EXPECT_TRUE(decode_Ari_BB(encode_Ari(zeros, 0, bits), 0, 0, kol).empty());
  EXPECT_EQ(kol, -1);
}
