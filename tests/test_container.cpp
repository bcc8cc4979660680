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

TEST(ContainerAuto, FullSearchLogsStoredSizeFirstAndKeepsLowerMethodOnTies) {
  cFile f;
  cCollect log;
  f.AddObjectReference(&log);
  f.setFlagLog(true);
  f.setFlagLogPmd(true);
  int32_t best = -1;
  const BB ten{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  BB c = f.zip_Auto(ten, best, false);
  ASSERT_FALSE(log.lines.empty());
  EXPECT_EQ(log.lines[0], "0=12");
  EXPECT_EQ(log.lines[1].rfind("1=", 0), 0u);
  if (best == 0) {
    EXPECT_EQ(c.size(), 12u);
  }
  int32_t vErr = 0;
  EXPECT_EQ(f.unzip_Auto(c, vErr), ten);
  EXPECT_EQ(vErr, 0);

  // Without the connected callback (or with the log off) nothing is sent.
  log.lines.clear();
  f.setFlagLog(false);
  f.zip_Auto(ten, best, false);
  EXPECT_TRUE(log.lines.empty());
  EXPECT_TRUE(f.DropObjectReference(&log));
  EXPECT_FALSE(f.DropObjectReference(&log));
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

// The fast search: order 4, then 3 (and 2 only when 3 won), then 5.. until
// four results in a row grew; ties go to the higher order. Every order that
// gave a result is logged.
TEST(ContainerAuto, FastSearchFollowsItsStopRule) {
  cFile f;
  cCollect log;
  f.AddObjectReference(&log);
  f.setFlagLog(true);
  f.setFlagLogPmd(true);
  for (const char* name : {"general/calgary/paper4", "general/canterbury/grammar.lsp", "general/calgary/obj1"}) {
    log.lines.clear();
    const BB data = testsup::read_File(testsup::corpus(name));
    int32_t best = -1;
    const BB c = f.zip_Auto(data, best, true);
    std::vector<std::pair<int, size_t>> tried;
    for (const auto& l : log.lines) {
      size_t eq = l.find('=');
      tried.emplace_back(std::stoi(l.substr(0, eq)), std::stoul(l.substr(eq + 1)));
    }
    ASSERT_GE(tried.size(), 2u) << name;
    EXPECT_EQ(tried[0].first, 4);
    size_t i = 1;
    if (tried[i].first == 0) ++i;  // order 4 refused: stored form logged
    EXPECT_EQ(tried[i].first, 3);
    size_t bestLen = tried[0].second ? tried[0].second : data.size() + 2;
    bool lowerWon = tried[i].second > 0 && tried[i].second <= bestLen;
    if (lowerWon) {
      EXPECT_EQ(tried[i + 1].first, 2) << name;
      continue;
    }
    // Higher orders: count growing runs.
    size_t prev = 16777216;
    int growing = 0, expectOrder = 5;
    for (size_t j = i + 1; j < tried.size(); ++j) {
      EXPECT_GE(tried[j].first, expectOrder) << name;
      if (tried[j].first > expectOrder) growing = 0, prev = 0;  // refused orders are not logged: length 0
      expectOrder = tried[j].first + 1;
      EXPECT_LT(growing, 4) << name << ": scan went on after four growing results";
      growing = tried[j].second > prev ? growing + 1 : 0;
      prev = tried[j].second;
    }
    EXPECT_TRUE(growing == 4 || expectOrder == 17) << name;
    EXPECT_EQ(c[0] & 31, best);
  }
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
