// Container methods 1 and 31 and the arithmetic coder under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "ModuleLib1.h"
#include "cFile.h"
#include "msg_box.h"
#include "test_support.h"

namespace {

using namespace ModuleLib1;

// The coder written out step by step, one bit per entry and plain divisions,
// packed by the toolkit: the fast coder must give the same bytes.
BB literal_Encode(const TT& vals, int M, int32_t& nBits) {
  const int nSym = M + 2;
  std::vector<int64_t> freq(nSym + 1, 1), cum(nSym + 1);
  std::vector<int> c2i(M + 1), i2c(nSym + 1);
  for (int v = 0; v <= M; ++v) {
    c2i[v] = v + 1;
    i2c[v + 1] = v;
  }
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
    for (;;) {
      if (high < 32768) {
        emit(0);
      } else if (low >= 32768) {
        emit(1);
        low -= 32768;
        high -= 32768;
      } else if (low >= 16384 && high < 49152) {
        ++follow;
        low -= 16384;
        high -= 16384;
      } else {
        break;
      }
      low = 2 * low;
      high = 2 * high + 1;
    }
  };
  auto update = [&](int s) {
    if (cum[0] == 16383) {
      int64_t run = 0;
      for (int i = nSym; i >= 0; --i) {
        freq[i] = (freq[i] + 1) / 2;
        cum[i] = run;
        run += freq[i];
      }
    }
    int i = s;
    while (freq[i] == freq[i - 1]) --i;
    if (i < s) {
      const int a = i2c[i], b = i2c[s];
      i2c[i] = b;
      i2c[s] = a;
      c2i[a] = s;
      c2i[b] = i;
    }
    ++freq[i];
    while (i > 0) ++cum[--i];
  };
  for (int v : vals) {
    const int s = c2i[v];
    encode(s);
    update(s);
  }
  encode(nSym);
  ++follow;
  emit(low < 16384 ? 0 : 1);
  nBits = static_cast<int32_t>(bits.size());
  cMassiv m;
  return m.M1_to_M8(bits, 8);
}

TT to_TT(const BB& bb) { return TT(bb.begin(), bb.end()); }

// 12-bit values from pairs of bytes: a wide alphabet with real structure.
TT twelve_Bit(const BB& bb, size_t maxValues) {
  TT tt;
  for (size_t i = 0; i + 1 < bb.size() && tt.size() < maxValues; i += 2) tt.push_back((bb[i] | bb[i + 1] << 8) & 4095);
  return tt;
}

std::vector<std::string> corpus_Files() {
  std::vector<std::string> files;
  for (const char* dir : {"general", "russian"})
    for (const auto& e : std::filesystem::recursive_directory_iterator(testsup::corpus(dir)))
      if (e.is_regular_file() && e.path().filename() != "MANIFEST.md") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

int32_t max_Of(const TT& tt) { return tt.empty() ? 0 : *std::max_element(tt.begin(), tt.end()); }

}  // namespace

TEST(AriEngine, GivesTheBitsOfTheLiteralCoder) {
  platform::cScopedMsgCapture cap;
  const BB book = testsup::read_File(testsup::corpus("general/calgary/book1"));
  ASSERT_GT(book.size(), 60000u);
  std::vector<TT> inputs = {
      {0},
      {5, 5, 5, 1, 0, 5},
      to_TT(BB(book.begin(), book.begin() + 60000)),    // several halvings
      to_TT(testsup::random_Bytes(30000, 7)),            // flat, M = 255
      TT(40000, 0),                                      // M = 0
      twelve_Bit(testsup::read_File(testsup::corpus("general/large/world192.txt")), 20000),
  };
  // Around the first halving: the total reaches 16383 after 16383 - (M + 2) updates.
  for (int n : {16125, 16126, 16127}) inputs.push_back(to_TT(testsup::random_Bytes(n, n)));
  for (int n : {16380, 16381, 16382}) inputs.push_back(TT(n, 0));
  for (const TT& in : inputs) {
    const int32_t M = max_Of(in);
    int32_t refBits = 0, bits = 0;
    const BB ref = literal_Encode(in, M, refBits);
    EXPECT_EQ(encode_Ari(in, M, bits), ref) << "n=" << in.size() << " M=" << M;
    EXPECT_EQ(bits, refBits);
    int32_t kol = 0;
    EXPECT_EQ(decode_Ari_TT(ref, 0, M, kol), in);
    EXPECT_EQ(kol, static_cast<int32_t>(in.size()));
  }
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, BytesOfASmallInput) {
  platform::cScopedMsgCapture cap;
  cFile f;
  // One value 0 (M = 0): its symbol takes the upper half (bit 1), the end
  // symbol the lowest third (bit 0), then the two closing bits 0 1. Packed
  // first bit lowest: 1001b = 9; the checksum is that byte alone.
  EXPECT_EQ(f.zip_Ari({0}), (BB{1, 9, 0, 9}));
  EXPECT_EQ(f.zip_Ari16_4k({0}), (BB{31, 9, 0, 0, 9}));

  const BB text = testsup::read_File(testsup::corpus("general/canterbury/grammar.lsp"));
  const BB c = f.zip_Ari(text);
  int32_t bits = 0;
  const BB payload = encode_Ari(text, max_Of(to_TT(text)), bits);
  ASSERT_GE(c.size(), 3u);
  EXPECT_EQ(c[0], 1);
  EXPECT_EQ(c[2], *std::max_element(text.begin(), text.end()));
  EXPECT_EQ(c.size(), 3 + static_cast<size_t>((bits + 7) / 8));
  EXPECT_EQ(BB(c.begin() + 3, c.end()), payload);
  EXPECT_EQ(c[1], f.make_ks(c, 2));

  const TT wide = {4095, 0, 300, 4095, 7};
  const BB c31 = f.zip_Ari16_4k(wide);
  ASSERT_GE(c31.size(), 4u);
  EXPECT_EQ(c31[0], 31);
  EXPECT_EQ(c31[2], 0xFF);  // 4095 low byte first
  EXPECT_EQ(c31[3], 0x0F);
  EXPECT_EQ(BB(c31.begin() + 4, c31.end()), encode_Ari(wide, 4095, bits));
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, Method1RoundTripsTheCorpus) {
  platform::cScopedMsgCapture cap;
  cFile f;
  for (const std::string& path : corpus_Files()) {
    const BB data = testsup::read_File(path);
    if (data.empty()) continue;
    const BB c = f.zip_Ari(data);
    int32_t vErr = 99;
    EXPECT_EQ(f.unzip_Ari(c, vErr), data) << path;
    EXPECT_EQ(vErr, 0) << path;
  }
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, Method31RoundTripsTheCorpus) {
  platform::cScopedMsgCapture cap;
  cFile f;
  for (const std::string& path : corpus_Files()) {
    const BB data = testsup::read_File(path);
    if (data.empty()) continue;
    // The bytes as values (files below 1 MB; method 1 has covered the engine
    // on the rest), and 12-bit values from the first 16K byte pairs.
    for (const TT& tt : {data.size() < 1000000 ? to_TT(data) : TT{}, twelve_Bit(data, 16384)}) {
      if (tt.empty()) continue;
      const BB c = f.zip_Ari16_4k(tt);
      int32_t vErr = 99;
      EXPECT_EQ(f.unzip_Ari16_4k(c, vErr), tt) << path;
      EXPECT_EQ(vErr, 0) << path;
    }
  }
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, EdgeInputsRoundTrip) {
  platform::cScopedMsgCapture cap;
  cFile f;
  int32_t vErr = 99;
  for (int v : {0, 1, 127, 255}) {
    const BB one = {static_cast<uint8_t>(v)};
    EXPECT_EQ(f.unzip_Ari(f.zip_Ari(one), vErr), one);
    EXPECT_EQ(vErr, 0);
  }
  // All bytes equal to 0: two symbols, and the counts halve many times.
  const BB zeros(100000, 0);
  const BB c = f.zip_Ari(zeros);
  EXPECT_EQ(c[2], 0);
  EXPECT_LT(c.size(), 3u + 40u);
  EXPECT_EQ(f.unzip_Ari(c, vErr), zeros);
  EXPECT_EQ(vErr, 0);
  // Both ends of the method-31 range.
  const TT edge = {4095, 0, 4095, 4094};
  EXPECT_EQ(f.unzip_Ari16_4k(f.zip_Ari16_4k(edge), vErr), edge);
  EXPECT_EQ(vErr, 0);
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriContainer, RefusedInputs) {
  cFile f;
  {
    platform::cScopedMsgCapture cap;
    EXPECT_TRUE(f.zip_Ari16_4k({1, 4096, 2}).empty());
    EXPECT_TRUE(cap.box.saw("слишком большой максимум=4096"));
  }
  {
    platform::cScopedMsgCapture cap;
    EXPECT_TRUE(f.zip_Ari16_4k({1, -1}).empty());  // no symbol for a negative value
    EXPECT_TRUE(cap.box.saw("отриц"));
  }
  {
    // An empty array gives a header without code bits, which decodes to nothing.
    platform::cScopedMsgCapture cap;
    const BB c = f.zip_Ari({});
    EXPECT_EQ(c, (BB{1, 0, 0}));
    EXPECT_TRUE(cap.box.saw("pusto"));
    int32_t vErr = 99;
    EXPECT_TRUE(f.unzip_Ari(c, vErr).empty());
    EXPECT_EQ(vErr, 0);
  }
  {
    // More than the container's 16 MB would not decode again.
    platform::cScopedMsgCapture cap;
    EXPECT_TRUE(f.zip_Ari(BB(kAriMaxValues + 1, 0)).empty());
    EXPECT_TRUE(cap.box.saw("макс 16мб-ограничение этого кодера"));
  }
}

TEST(AriContainer, ErrorCodes) {
  cFile f;
  int32_t vErr = 0;
  {
    platform::cScopedMsgCapture cap;
    EXPECT_TRUE(f.unzip_Ari({}, vErr).empty());
    EXPECT_EQ(vErr, -1);
    EXPECT_TRUE(f.unzip_Ari16_4k({}, vErr).empty());
    EXPECT_EQ(vErr, -1);
    EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"пустой массив", "пустой массив"}));
  }
  const BB data = testsup::read_File(testsup::corpus("general/calgary/paper5"));
  const TT values = twelve_Bit(data, 5000);
  const BB c1 = f.zip_Ari(data), c31 = f.zip_Ari16_4k(values);
  {
    // Method 1 compares the whole byte, method 31 its low five bits.
    platform::cScopedMsgCapture cap;
    BB bad = c1;
    bad[0] = 1 | 32;
    EXPECT_TRUE(f.unzip_Ari(bad, vErr).empty());
    EXPECT_EQ(vErr, -2);
    EXPECT_TRUE(f.unzip_Ari16_4k(c1, vErr).empty());
    EXPECT_EQ(vErr, -2);
    EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"метод не 1", "метод не 31"}));
    BB moded = c31;
    moded[0] = 31 | 32;
    EXPECT_EQ(f.unzip_Ari16_4k(moded, vErr), values);
    EXPECT_EQ(vErr, 0);
  }
  {
    // A wrong checksum is reported, the data still comes back.
    platform::cScopedMsgCapture cap;
    BB bad1 = c1, bad31 = c31;
    bad1[1] ^= 0x55;
    bad31[1] ^= 0x01;
    EXPECT_EQ(f.unzip_Ari(bad1, vErr), data);
    EXPECT_EQ(vErr, -3);
    EXPECT_EQ(f.unzip_Ari16_4k(bad31, vErr), values);
    EXPECT_EQ(vErr, -3);
    EXPECT_TRUE(cap.box.texts.empty());
  }
  {
    // Containers cut before M, or with an M no encoder writes.
    platform::cScopedMsgCapture cap;
    for (const BB& cut : {BB{1}, BB{1, 0}}) {
      EXPECT_TRUE(f.unzip_Ari(cut, vErr).empty());
      EXPECT_EQ(vErr, -5);
    }
    for (const BB& cut : {BB{31}, BB{31, 0}, BB{31, 0, 0}}) {
      EXPECT_TRUE(f.unzip_Ari16_4k(cut, vErr).empty());
      EXPECT_EQ(vErr, -5);
    }
    BB wide = c31;
    wide[3] = 0x10;  // M = 4096 + low byte
    EXPECT_TRUE(f.unzip_Ari16_4k(wide, vErr).empty());
    EXPECT_EQ(vErr, -5);
    EXPECT_TRUE(cap.box.saw("слишком большой максимум="));
  }
}

TEST(AriContainer, TruncatedStreams) {
  platform::cScopedMsgCapture cap;
  cFile f;
  const BB data = testsup::read_File(testsup::corpus("general/calgary/paper4"));
  const BB c = f.zip_Ari(data);
  int32_t vErr = 0;
  // Cut in the middle: the end symbol never comes. (With no code bytes at all
  // the zero bits spell the end symbol at once: empty data, checksum -3.)
  for (size_t keep : {c.size() / 2, c.size() - 20, size_t{5}}) {
    EXPECT_TRUE(f.unzip_Ari(BB(c.begin(), c.begin() + keep), vErr).empty()) << keep;
    EXPECT_EQ(vErr, -5) << keep;
  }
  // Cut near the end: either still complete (zero bits stand in for the lost
  // ones) or reported; never wrong data passed as good.
  for (size_t lost = 1; lost <= 8; ++lost) {
    const BB out = f.unzip_Ari(BB(c.begin(), c.end() - lost), vErr);
    if (vErr == -5) {
      EXPECT_TRUE(out.empty());
    } else {
      EXPECT_EQ(out, data) << lost;
    }
  }
}

TEST(AriEngine, ArbitraryStreamsEnd) {
  platform::cScopedMsgCapture cap;
  std::mt19937 gen(12345);
  int ended = 0, failed = 0;
  for (int round = 0; round < 3000; ++round) {
    const BB payload = testsup::random_Bytes(gen() % 300, gen());
    const int32_t M = round % 2 ? static_cast<int32_t>(gen() % 256) : static_cast<int32_t>(gen() % 4096);
    int32_t kol = 0;
    const TT out = decode_Ari_TT(payload, 0, M, kol);
    if (kol < 0) {
      ++failed;
      EXPECT_TRUE(out.empty());
    } else {
      ++ended;
      EXPECT_EQ(kol, static_cast<int32_t>(out.size()));
      EXPECT_LE(max_Of(out), M);
    }
  }
  EXPECT_GT(failed, 0);
  EXPECT_GT(ended, 0);
  // All one bits keep the likelier value coming; the output limit ends it.
  int32_t kol = 0;
  decode_Ari_BB(BB(4096, 0xFF), 0, 0, kol);
  EXPECT_EQ(kol, -1);
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(AriEngine, OutputLimit) {
  platform::cScopedMsgCapture cap;
  int32_t bits = 0, kol = 0;
  BB zeros(kAriMaxValues, 0);
  const BB atLimit = encode_Ari(zeros, 0, bits);
  EXPECT_EQ(decode_Ari_BB(atLimit, 0, 0, kol).size(), static_cast<size_t>(kAriMaxValues));
  EXPECT_EQ(kol, kAriMaxValues);
  zeros.push_back(0);
  const BB over = encode_Ari(zeros, 0, bits);
  EXPECT_TRUE(decode_Ari_BB(over, 0, 0, kol).empty());
  EXPECT_EQ(kol, -1);
}
