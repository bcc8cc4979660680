#include <gtest/gtest.h>

#include "core/cFile.h"
#include "core/container.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

class cCollect : public CbClientClass {
public:
  std::vector<std::string> lines;
  void TellMsg(const std::string& s) override { lines.push_back(s); }
};

}  // namespace

TEST(ContainerStored, LayoutChecksumAndRoundTrip) {
  cFile f;
  const BB data{'h', 'e', 'l', 'l', 'o'};
  const BB c = f.zip_No(data);
  ASSERT_EQ(c.size(), 7u);
  EXPECT_EQ(c[0], 0);
  EXPECT_EQ(c[1], (104 + 101 + 108 + 108 + 111) & 255);
  int32_t vErr = 1;
  EXPECT_EQ(f.unzip_Auto(c, vErr), data);
  EXPECT_EQ(vErr, 0);
}

TEST(ContainerStored, AlteredChecksumStillDecodesWithMinus3) {
  cFile f;
  BB c = f.zip_No(BB{1, 2, 3});
  c[1] ^= 0x55;
  int32_t vErr = 0;
  EXPECT_EQ(f.unzip_Auto(c, vErr), (BB{1, 2, 3}));
  EXPECT_EQ(vErr, -3);
}

TEST(ContainerDispatch, EmptyWrongAndUnknownMethods) {
  platform::cScopedMsgCapture cap;
  cFile f;
  int32_t vErr = 0;
  EXPECT_TRUE(f.unzip_Auto(BB{}, vErr).empty());
  EXPECT_EQ(vErr, -1);
  EXPECT_TRUE(f.unzip_Auto(BB{20, 0, 1, 2}, vErr).empty());
  EXPECT_EQ(vErr, -2);
  EXPECT_TRUE(cap.box.saw("неизвестный метод 17-30"));
  EXPECT_TRUE(f.unzip_No(BB{1, 0}, vErr).empty());
  EXPECT_EQ(vErr, -2);
  EXPECT_TRUE(cap.box.saw("метод не 0"));
  // A PPMd container whose length field promises more than any container holds.
  EXPECT_TRUE(f.unzip_Auto(BB{4, 0, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2}, vErr).empty());
  EXPECT_EQ(vErr, -4);
}

// Bits 5-7 of the method byte are written as 0. A reader takes the method from
// bits 0-4 in every decoder; a mode is reported and the data comes back.
TEST(ContainerDispatch, MethodBitsAloneChooseTheDecoder) {
  platform::cScopedMsgCapture cap;
  cFile f;
  const BB data = testsup::read_File(testsup::corpus("general/canterbury/grammar.lsp"));
  int32_t vErr = 1;
  for (uint8_t high : {0x20, 0x40, 0x60, 0x80, 0xE0}) {
    for (BB c : {f.zip_No(data), f.zip_Ari(data), f.zip_Pmd(data, 5, true)}) {
      const uint8_t metod = c[0];
      c[0] = static_cast<uint8_t>(metod | high);
      cap.box.texts.clear();
      EXPECT_EQ(f.unzip_Auto(c, vErr), data) << int(c[0]);
      EXPECT_EQ(vErr, 0);
      EXPECT_EQ(cap.box.saw("пока отключено"), (high & 0x60) != 0) << int(c[0]);
    }
  }
  BB c = f.zip_No(data);
  c[0] = 0xA0;
  EXPECT_EQ(f.unzip_No(c, vErr), data);
  EXPECT_EQ(vErr, 0);
}

TEST(ContainerVocabulary, ErrorTextsAndMethodDescriptions) {
  using container::describe_Metod;
  using container::err_Text;
  EXPECT_STREQ(err_Text(-1), "пустой вх.массив");
  EXPECT_STREQ(err_Text(-2), "неверный метод");
  EXPECT_STREQ(err_Text(-3), "КС не совпадает");
  EXPECT_STREQ(err_Text(-4), "размер не совпадает");
  EXPECT_STREQ(err_Text(-5), "нет маркера конца=неполный/повреждён");
  EXPECT_STREQ(err_Text(-6), "непонятная ошибка");
  EXPECT_EQ(describe_Metod(BB{0, 0}), SS{"метод без сжатия"});
  EXPECT_EQ(describe_Metod(BB{1, 0}), SS{"динамический арифметик с макс 1..255"});
  EXPECT_EQ(describe_Metod(BB{7, 0}), SS{"PPMd сжатие. метод=7"});
  EXPECT_EQ(describe_Metod(BB{31, 0}), SS{"16-ти битный динамический арифметик с макс 1..4000"});
  EXPECT_EQ(describe_Metod(BB{20, 0}), SS{"Волшебный контекстный преобразователь+PMD=(отключен)20"});
  EXPECT_TRUE(describe_Metod(BB{}).empty());
  // The filter flag: the method named is the one the decoder uses (bits 0-4 of
  // byte 0), not byte 0 itself nor the checksum byte after it.
  EXPECT_EQ(describe_Metod(BB{0x84, 0x9F}), (SS{"фильтров пока не будет", "PPMd сжатие. метод=4"}));
  EXPECT_EQ(describe_Metod(BB{0x24, 0x01}), SS{"PPMd сжатие. метод=4"});
}

TEST(ContainerAuto, RefusesEmptyAndSixteenMegabytes) {
  platform::cScopedMsgCapture cap;
  cFile f;
  int32_t best = -1;
  EXPECT_TRUE(f.zip_Auto(BB{}, best, true).empty());
  EXPECT_TRUE(cap.box.saw("пустой массив не сохраняю"));
  EXPECT_TRUE(f.zip_Auto(BB(16777216, 'a'), best, true).empty());
  EXPECT_TRUE(cap.box.saw("макс 16мб-ограничение этого кодера"));
}

TEST(ContainerAuto, FullSearchLogsStoredSizeFirstAndTheLogFollowsItsSwitches) {
  cFile f;
  cCollect log;
  f.AddObjectReference(&log);
  f.setFlagLog(true);
  f.setFlagLogPmd(true);
  int32_t best = -1;
  const BB ten{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  BB c = f.zip_Auto(ten, best, false);
  ASSERT_GE(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[0], "0=12");
  EXPECT_EQ(log.lines[1].rfind("1=", 0), 0u);
  EXPECT_EQ(best, 0);  // nothing beats 12 bytes for ten different digits
  EXPECT_EQ(c, f.zip_No(ten));

  // Without the connected callback (or with the log off) nothing is sent.
  log.lines.clear();
  f.setFlagLog(false);
  f.zip_Auto(ten, best, false);
  EXPECT_TRUE(log.lines.empty());
  EXPECT_TRUE(f.DropObjectReference(&log));
  EXPECT_FALSE(f.DropObjectReference(&log));
}

namespace {

// Sizes of every PPM order, each coded on its own.
std::vector<size_t> pmd_Sizes(cFile& f, const BB& data) {
  std::vector<size_t> s(17, 0);
  for (int k = 2; k <= 16; ++k) s[k] = f.zip_Pmd(data, k, true).size();
  return s;
}

BB periodic(const std::string& pattern, size_t n) {
  BB d(n);
  for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(pattern[i % pattern.size()]);
  return d;
}

}  // namespace

// On equal sizes the full search keeps the lower method, the fast search takes
// the order it tried later: 3 over 4, 2 over 3, and among 5.. the higher one.
TEST(ContainerAuto, TiesGoToTheLowerMethodInTheFullSearchAndToTheLaterOrderInTheFastOne) {
  cFile f;
  cCollect log;
  f.AddObjectReference(&log);
  f.setFlagLog(true);
  f.setFlagLogPmd(true);

  // One repeated byte: every order codes it alike.
  const BB run(100, 'a');
  const std::vector<size_t> r = pmd_Sizes(f, run);
  for (int k = 3; k <= 16; ++k) ASSERT_EQ(r[k], r[2]) << "no tie at order " << k << ": pick other data";
  int32_t best = -1;
  f.zip_Auto(run, best, true);
  EXPECT_EQ(best, 2);  // 4, then 3 on the tie, then 2 on the tie
  const std::string n = std::to_string(r[2]);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"4=" + n, "3=" + n, "2=" + n}));
  f.zip_Auto(run, best, false);
  EXPECT_EQ(best, 2);

  // Order 4 is needed (3 is larger), and nothing above it does better.
  const BB d = periodic("abcabdabe", 400);
  const std::vector<size_t> s = pmd_Sizes(f, d);
  ASSERT_GT(s[3], s[4]) << "pick other data";
  for (int k = 5; k <= 16; ++k) ASSERT_EQ(s[k], s[4]) << "no tie at order " << k << ": pick other data";
  log.lines.clear();
  BB c = f.zip_Auto(d, best, true);
  EXPECT_EQ(best, 16);  // never growing: the scan runs to 16 and every tie moves on
  EXPECT_EQ(c[0], 16);
  EXPECT_EQ(log.lines.size(), 14u);  // 4, 3, 5..16; no order 2 after 3 lost
  c = f.zip_Auto(d, best, false);
  EXPECT_EQ(best, 4);
  EXPECT_EQ(c[0], 4);
}

TEST(ContainerAuto, EveryChoiceRestoresRealFiles) {
  cFile f;
  for (const char* name : {"general/canterbury/grammar.lsp", "general/canterbury/xargs.1", "general/brotli/64x",
                           "general/brotli/x", "general/artificial/random.txt", "general/calgary/paper5"}) {
    const BB data = testsup::read_File(testsup::corpus(name));
    ASSERT_FALSE(data.empty()) << name;
    for (bool fast : {true, false}) {
      int32_t best = -1;
      const BB c = f.zip_Auto(data, best, fast);
      ASSERT_FALSE(c.empty()) << name;
      EXPECT_EQ(c[0] & 31, best) << name;
      EXPECT_LE(c.size(), data.size() + 2) << name;
      int32_t vErr = 1;
      EXPECT_EQ(f.unzip_Auto(c, vErr), data) << name << " method " << best;
      EXPECT_EQ(vErr, 0) << name;
    }
  }
}

TEST(ContainerMinTable, SizesOfEveryMethod) {
  cFile f;
  const BB data = testsup::read_File(testsup::corpus("general/canterbury/grammar.lsp"));
  int32_t best = -1, size = 0;
  TT aa;
  f.min_NoAriPmd(data, best, size, aa);
  ASSERT_EQ(aa.size(), 17u);
  EXPECT_EQ(aa[0], static_cast<int32_t>(data.size()) + 2);
  for (int32_t a : aa) EXPECT_GE(a, size);
  EXPECT_EQ(aa[best], size);
}

namespace {

// The fast search written out from its rule, over sizes found one order at a
// time: what it must choose and log.
struct tFast {
  int32_t best = 0;
  std::vector<std::string> log;
};

tFast fast_Rule(const std::vector<size_t>& s, size_t stored) {
  tFast e;
  auto line = [&](int k, size_t n) { e.log.push_back(std::to_string(k) + "=" + std::to_string(n)); };
  line(4, s[4]);
  size_t bestLen = s[4];
  e.best = 4;
  if (s[4] == 0) {
    line(0, stored);
    bestLen = stored;
    e.best = 0;
  }
  if (s[3] > 0) line(3, s[3]);
  if (s[3] > 0 && s[3] <= bestLen) {
    bestLen = s[3];
    e.best = 3;
    if (s[2] > 0) line(2, s[2]);
    if (s[2] > 0 && s[2] <= bestLen) e.best = 2;
    return e;
  }
  size_t prev = 16777216;
  int growing = 0;
  for (int k = 5; k <= 16 && growing < 4; ++k) {
    if (s[k] > 0) line(k, s[k]);
    if (s[k] > 0 && s[k] <= bestLen) {
      bestLen = s[k];
      e.best = k;
    }
    growing = s[k] > prev ? growing + 1 : 0;
    prev = s[k];
  }
  return e;
}

}  // namespace

// The fast search against its rule applied to sizes found order by order.
TEST(ContainerAuto, FastSearchFollowsItsStopRule) {
  cFile f;
  cCollect log;
  f.AddObjectReference(&log);
  f.setFlagLog(true);
  f.setFlagLogPmd(true);
  bool sawStop = false, sawLower = false;
  for (const char* name : {"general/calgary/paper4", "general/canterbury/grammar.lsp", "general/artificial/alphabet.txt",
                           "general/canterbury/alice29.txt", "general/artificial/random.txt"}) {
    const BB data = testsup::read_File(testsup::corpus(name));
    const std::vector<size_t> s = pmd_Sizes(f, data);
    const tFast want = fast_Rule(s, data.size() + 2);
    log.lines.clear();
    int32_t best = -1;
    const BB c = f.zip_Auto(data, best, true);
    EXPECT_EQ(best, want.best) << name;
    EXPECT_EQ(log.lines, want.log) << name;
    ASSERT_FALSE(c.empty()) << name;
    EXPECT_EQ(c[0], best) << name;
    sawLower |= want.best == 3 || want.best == 2;
    sawStop |= want.best >= 4 && want.log.size() < 14;
  }
  // The files cover both branches: a lower order winning and a scan that stopped early.
  EXPECT_TRUE(sawLower);
  EXPECT_TRUE(sawStop);
}

TEST(ContainerDispatch, Method31EndMarkerIsStrippedOrReportedDamaged) {
  platform::cScopedMsgCapture cap;
  cFile f;
  int32_t vErr = 0;
  // 'A', 10, then the marker 1 and one padding zero.
  BB good = f.zip_Ari16_4k(TT{65 + 256 * 10, 1});
  EXPECT_EQ(f.unzip_Auto(good, vErr), (BB{65, 10}));
  EXPECT_EQ(vErr, 0);
  BB bad = f.zip_Ari16_4k(TT{65 + 256 * 7});
  EXPECT_EQ(f.unzip_Auto(bad, vErr), BB{65});
  EXPECT_EQ(vErr, -5);
  EXPECT_TRUE(cap.box.saw("поврежден конец архива"));
}

// The PPM decode buffer starts near the stream's size and doubles while the
// decoder fills it: a stream that unpacks far beyond that still comes back
// whole, and a stored length larger than the data is reported.
TEST(ContainerPmd, OutputBeyondTheFirstBufferAndAClaimTooLarge) {
  platform::cScopedMsgCapture cap;
  cFile f;
  BB data(3 << 20, 0);
  for (size_t i = 0; i < data.size(); i += 4096) data[i] = static_cast<uint8_t>(i >> 12);
  const BB c = f.zip_Pmd(data, 3, true);
  ASSERT_FALSE(c.empty());
  ASSERT_LT(c.size() * 64, data.size());  // several doublings needed
  int32_t vErr = 1;
  EXPECT_EQ(f.unzip_Pmd(c, vErr), data);
  EXPECT_EQ(vErr, 0);

  // The same stream with a stored length of 16 MB: the data, and -4.
  const BB stream(c.begin() + 2 + f.massiv().X_to_p7778(double(data.size())).size(), c.end());
  BB claim{3, 0};
  const BB code = f.massiv().X_to_p7778(16777216.0);
  claim.insert(claim.end(), code.begin(), code.end());
  claim.insert(claim.end(), stream.begin(), stream.end());
  claim[1] = static_cast<uint8_t>(f.make_ks(claim, 2));
  EXPECT_EQ(f.unzip_Pmd(claim, vErr), data);
  EXPECT_EQ(vErr, -4);
}
