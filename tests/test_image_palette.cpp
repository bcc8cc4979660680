// Colour side of the picture object: palette building, averaging (checked
// against a direct quadratic reading of the rule), 16-bit colours, text,
// colour tables, the grid palette and the quality measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "pek/cImage.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

class cLogLines : public CbClientClass {
public:
  std::vector<std::string> lines;
  void TellMsg(const std::string& s) override { lines.push_back(s); }
  bool has(const std::string& s) const { return std::find(lines.begin(), lines.end(), s) != lines.end(); }
  size_t count(const std::string& s) const { return std::count(lines.begin(), lines.end(), s); }
};

int32_t rgb(int32_t r, int32_t g, int32_t b) { return r + 256 * g + 65536 * b; }

class Palette : public ::testing::Test {
protected:
  void SetUp() override {
    platform::set_MsgBox(&box);
    img.setFlagLog(true);
    img.AddObjectReference(&log);
  }
  void TearDown() override {
    img.DropObjectReference(&log);
    platform::set_MsgBox(nullptr);
  }
  // Loads a colour array into the object as load_Pic_prozr leaves it.
  void load(const TT& colours) {
    img.nPix = colours;
    img.get_pp_ff(img.nPix, img.cPal24, img.fPal24);
    img.pix_zamena_ff(img.nPix, img.cPal24, img.fPal24);
  }
  // Colours as the object's pixels show them.
  TT shown() const {
    TT out;
    for (int32_t i : img.nPix) out.push_back(i < 0 ? -1 : img.cPal24[static_cast<size_t>(i)]);
    return out;
  }
  platform::cRecordingMsgBox box;
  cLogLines log;
  cImage img;
};

// The grouping rule read literally: leaders in descending order of counts
// scan every entry in that order.
template <class Tol>
void reference_Merge(cMassiv& m, TT& pal, TT& freq, TT& pix, Tol tol) {
  TT f = freq, order;
  m.qSort_poz(f, order);
  std::reverse(order.begin(), order.end());
  std::vector<bool> merged(pal.size());
  TT newIdx(pal.size()), np, nf;
  for (size_t j = 0; j < order.size(); ++j) {
    const size_t L = static_cast<size_t>(order[j]);
    if (merged[L]) continue;
    const int32_t t = tol(freq[L]);
    int64_t W = 0, s[3] = {0, 0, 0};
    for (size_t k = 0; k < order.size(); ++k) {
      const size_t c = static_cast<size_t>(order[k]);
      if (merged[c]) continue;
      bool close = true;
      for (int sh = 0; sh < 24; sh += 8) close &= std::abs(((pal[c] >> sh) & 255) - ((pal[L] >> sh) & 255)) <= t;
      if (!close) continue;
      merged[c] = true;
      newIdx[c] = static_cast<int32_t>(np.size());
      W += freq[c];
      for (int ch = 0; ch < 3; ++ch) s[ch] += int64_t{(pal[c] >> (8 * ch)) & 255} * freq[c];
    }
    int32_t v = 0;
    for (int ch = 0; ch < 3; ++ch) v |= static_cast<int32_t>((2 * s[ch] + W) / (2 * W)) << (8 * ch);
    np.push_back(v);
    nf.push_back(static_cast<int32_t>(W));
  }
  for (int32_t& p : pix) p = p < 0 ? p : newIdx[static_cast<size_t>(p)];
  pal = np;
  freq = nf;
}

}  // namespace

// ---------------------------------------------------------------- building

TEST_F(Palette, PaletteInKeyOrderThenByCount) {
  TT px = {rgb(5, 0, 9), rgb(1, 2, 3), rgb(5, 0, 1), rgb(1, 2, 3), rgb(0, 1, 0), rgb(5, 0, 9)};
  TT pp, ff;
  img.get_pp_ff(px, pp, ff);
  // Red outer, green inner; blues of one key in order of first appearance.
  EXPECT_EQ(pp, (TT{rgb(0, 1, 0), rgb(1, 2, 3), rgb(5, 0, 9), rgb(5, 0, 1)}));
  EXPECT_EQ(ff, (TT{1, 2, 2, 1}));
  EXPECT_EQ(px, (TT{2, 1, 3, 1, 0, 2}));
  img.pix_zamena_ff(px, pp, ff);
  EXPECT_EQ(ff[0], 2);
  EXPECT_EQ(ff[1], 2);
  EXPECT_EQ(ff[3], 1);
  for (size_t i = 0; i < px.size(); ++i) EXPECT_NE(px[i], -1);
  TT empty, pe, fe;
  img.get_pp_ff(empty, pe, fe);
  EXPECT_TRUE(box.saw("pusto"));
}

TEST_F(Palette, ReorderCutsAtTheFirstZeroCountAndReplacerKeepsNegatives) {
  TT px = {0, 2, 2, -1}, pp = {10, 11, 12}, ff = {1, 0, 2};
  img.pix_zamena_ff(px, pp, ff);
  EXPECT_EQ(pp, (TT{12, 10}));
  EXPECT_EQ(ff, (TT{2, 1}));
  EXPECT_EQ(px, (TT{1, 0, 0, -1}));
  EXPECT_EQ(img.tab_Replacer({5, 6}, {1, -1, 0}), (TT{6, -1, 5}));
  EXPECT_THROW(img.tab_Replacer({5}, {1}), cIndexError);
}

TEST_F(Palette, TrueColourCountMatchesASet) {
  BB noise = testsup::random_Bytes(3 * 200000, 11);
  TT px(200000);
  for (size_t i = 0; i < px.size(); ++i) px[i] = noise[3 * i] | (noise[3 * i + 1] << 8) | ((noise[3 * i + 2] & 7) << 16);
  for (size_t i = 0; i < px.size(); i += 997) px[i] = -static_cast<int32_t>(i % 5) - 1;  // not colours at all
  TT copy = px, pp, ff;
  img.get_pp_ff(copy, pp, ff);
  // Expected order: by the low 16 bits (red outer, green inner), then by
  // first appearance.
  std::vector<std::pair<int64_t, int32_t>> first;
  std::vector<bool> seen;
  {
    std::vector<int32_t> sorted = px;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    seen.assign(sorted.size(), false);
    for (size_t i = 0; i < px.size(); ++i) {
      const size_t k = static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), px[i]) - sorted.begin());
      if (seen[k]) continue;
      seen[k] = true;
      const int32_t key = px[i] & 0xFFFF;
      first.push_back({(int64_t{key & 255} << 40) | (int64_t{key >> 8} << 32) | static_cast<int64_t>(i), px[i]});
    }
  }
  std::sort(first.begin(), first.end());
  ASSERT_EQ(pp.size(), first.size());
  for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(pp[i], first[i].second) << i;
  for (size_t i = 0; i < px.size(); ++i) ASSERT_EQ(pp[static_cast<size_t>(copy[i])], px[i]);
}

TEST_F(Palette, MarkerRemoval) {
  img.flagProzr = true;
  TT px = {0, 1, 2, 1}, pp = {5, cImage::kMarker, 7}, ff = {1, 2, 1};
  img.del_Prozr(px, pp, ff);
  EXPECT_EQ(px, (TT{0, -1, 1, -1}));
  EXPECT_EQ(pp, (TT{5, 7}));
  EXPECT_EQ(ff, (TT{1, 1}));
  img.del_Prozr(px, pp, ff);
  EXPECT_TRUE(box.saw("err"));
}

// ---------------------------------------------------------------- averaging

TEST_F(Palette, SevenColoursAreNeverAveraged) {
  TT px;
  for (int i = 0; i < 7; ++i) px.push_back(rgb(100 + i, 100, 100));
  load(px);
  img.usredn_Pix();
  EXPECT_EQ(img.get_le_cPal_24(), 7);
  EXPECT_TRUE(log.has("было разных 24 битных цветов=7"));
  EXPECT_FALSE(log.has("Усреднение до интернет версии."));
}

TEST_F(Palette, EightCloseColoursBecomeTheirWeightedAverage) {
  const TT close = {rgb(100, 100, 100), rgb(101, 100, 100), rgb(102, 100, 100), rgb(100, 101, 100),
                    rgb(100, 102, 100), rgb(100, 100, 101), rgb(100, 100, 102), rgb(102, 102, 102)};
  TT px(10, close[0]);  // the leader, 10 pixels
  px.insert(px.end(), close.begin() + 1, close.end());
  load(px);
  img.usredn_Pix();
  ASSERT_EQ(img.get_le_cPal_24(), 1);
  EXPECT_EQ(img.fPal24, (TT{17}));
  EXPECT_EQ(img.cPal24[0], img.sredn_RGB(close, {10, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_TRUE(log.has("после легкого усреднения осталось=1 цветов"));
  EXPECT_EQ(shown(), TT(17, img.cPal24[0]));
}

TEST_F(Palette, LightPassEndsAt127AndGoesDeepAt128) {
  for (int n : {127, 128}) {
    cImage im;
    cLogLines lines;
    im.setFlagLog(true);
    im.AddObjectReference(&lines);
    TT px;
    for (int i = 0; i < n; ++i) px.push_back(rgb(5 * (i % 50), 5 * (i / 50), 0));  // 5 apart: no light merge
    im.nPix = px;
    im.get_pp_ff(im.nPix, im.cPal24, im.fPal24);
    im.pix_zamena_ff(im.nPix, im.cPal24, im.fPal24);
    im.usredn_Pix();
    EXPECT_TRUE(lines.has("после легкого усреднения осталось=" + std::to_string(n) + " цветов"));
    EXPECT_EQ(lines.has("слишком много цветов. усредням до 100-250"), n == 128);
    EXPECT_EQ(im.get_le_cPal_24() < n, n == 128);
    im.DropObjectReference(&lines);
  }
}

TEST_F(Palette, ManyColoursGoStraightToTheDeepPass) {
  TT px;
  for (int i = 0; i < 1500; ++i) px.push_back(rgb(i % 256, (i * 7) % 256, (i / 256) * 40));
  load(px);
  img.usredn_Pix();
  EXPECT_FALSE(log.has("усредням слишком близкие цвета +-2") && log.has("после легкого усреднения осталось=1500 цветов"));
  EXPECT_TRUE(log.has("слишком много цветов. усредням до 100-250"));
  EXPECT_LT(img.get_le_cPal_24(), 1500);
}

TEST_F(Palette, GroupingMatchesTheDirectRuleOnRandomPictures) {
  std::mt19937 rng(7);
  for (int round = 0; round < 6; ++round) {
    const int n = round < 3 ? 600 : 4000;
    TT px(static_cast<size_t>(n));
    for (int32_t& v : px) {
      const int32_t base = static_cast<int32_t>(rng() % 6) * 40;
      v = rgb(base + static_cast<int32_t>(rng() % 30), base + static_cast<int32_t>(rng() % 30),
              static_cast<int32_t>(rng() % 256));
    }
    for (int i = 0; i < n / 4; ++i) px[rng() % px.size()] = px[rng() % 10];  // a few frequent colours
    load(px);
    TT pal = img.cPal24, freq = img.fPal24, pix = img.nPix;
    cMassiv m;
    const bool light = pal.size() <= 1000;
    if (light) reference_Merge(m, pal, freq, pix, [](int32_t) { return 2; });
    if (!light || pal.size() > 127) {
      const double total = static_cast<double>(pix.size());
      reference_Merge(m, pal, freq, pix, [total](int32_t f) { return f / total > 0.03 ? 8 : f > 1 ? 16 : 32; });
    }
    img.usredn_Pix();
    EXPECT_EQ(img.cPal24, pal) << round;
    EXPECT_EQ(img.fPal24, freq) << round;
    EXPECT_EQ(img.nPix, pix) << round;
  }
}

TEST_F(Palette, TransparentPixelsStayOutOfTheAveraging) {
  TT px(20, rgb(1, 1, 1));
  for (int i = 0; i < 8; ++i) px.push_back(rgb(200, 10 * i, 0));
  px.push_back(cImage::kMarker);
  img.flagProzr = true;
  load(px);
  img.del_Prozr(img.nPix, img.cPal24, img.fPal24);
  img.usredn_Pix();
  EXPECT_EQ(img.nPix.back(), -1);
  EXPECT_TRUE(log.has("+ один прозрачный цвет"));
  EXPECT_TRUE(log.has("C0C1C0 1 (прозрачный цвет)"));
}

// ---------------------------------------------------------------- listing, text, 16-bit colours

TEST_F(Palette, ListingStopsAfterEighteenLines) {
  TT pp, ff;
  for (int i = 0; i < 30; ++i) {
    pp.push_back(i);
    ff.push_back(100 - i);
  }
  img.print_Pal(pp, ff);
  ASSERT_EQ(log.lines.size(), 19u);
  EXPECT_EQ(log.lines[0], "000000 100");
  EXPECT_EQ(log.lines[17], "000011 83");
  EXPECT_EQ(log.lines[18], "итд....");
}

TEST_F(Palette, NoLinesWithoutTheLogFlagOrCallback) {
  img.setFlagLog(false);
  img.print_Pal({1}, {1});
  EXPECT_TRUE(log.lines.empty());
  img.setFlagLog(true);
  img.DropObjectReference(&log);
  img.print_Pal({1}, {1});
  EXPECT_TRUE(log.lines.empty());
  img.AddObjectReference(&log);
}

TEST_F(Palette, SixteenBitColoursAndHex) {
  EXPECT_EQ(img.rgb24_to_rgb16(0xFFFFFF), 65535);
  EXPECT_EQ(img.rgb16_to_rgb24(65535), 0xFFFFFF);
  EXPECT_EQ(img.rgb24_to_rgb16(0), 0);
  EXPECT_EQ(img.rgb24_to_rgb16(rgb(255, 0, 0)), 31);
  EXPECT_EQ(img.rgb24_to_rgb16(rgb(0, 255, 0)), 63 * 32);
  EXPECT_EQ(img.rgb16_to_rgb24(31 * 2048), rgb(0, 0, 255));
  EXPECT_EQ(img.rgb24_to_rgb16(-1), 0);
  EXPECT_TRUE(box.saw("err"));
  EXPECT_EQ(img.Hex6(0xAB), "0000AB");
  EXPECT_EQ(img.Hex6(cImage::kMarker), "C0C1C0");
  EXPECT_EQ(img.Hex6(0x1000000), "######");
  EXPECT_EQ(img.sredn_RGB({rgb(0, 0, 0), rgb(3, 3, 3)}, {1, 1}), rgb(2, 2, 2));  // 1.5 rounds up
  EXPECT_EQ(img.sredn_RGB({rgb(9, 9, 9)}, {0}), 0);
  EXPECT_EQ(cImage::change_Text(-0.35), "(-35%)");
  EXPECT_EQ(cImage::change_Text(0.125), "(+12.5%)");
  EXPECT_EQ(cImage::change_Text(0), "(+0%)");
}

// ---------------------------------------------------------------- tables and grid palette

TEST_F(Palette, ColourTablesLoadOnceAndFitWithinTwo) {
  testsup::cScratch dir;
  BB tab(1024, 0);
  for (int i = 0; i < 256; ++i) tab[4 * static_cast<size_t>(i)] = static_cast<uint8_t>(i);  // red ramp
  testsup::write_File(dir.file("tab3.pal"), tab);
  img.set_tab_Path(dir.path());
  int32_t t = 3;
  TT t3 = img.get_tab_Pal(t);
  ASSERT_EQ(t3.size(), 256u);
  EXPECT_EQ(t3[200], 200);
  t = 99;
  EXPECT_EQ(img.get_tab_Pal(t), TT(256, 0));  // table 15 is missing: zeros
  EXPECT_EQ(t, 15);
  img.cPal24 = {rgb(10, 2, 1), rgb(250, 0, 0)};
  EXPECT_TRUE(img.sravn_Pal(t3));
  EXPECT_EQ(img.codeMap, (TT{10, 250}));
  img.cPal24 = {rgb(10, 3, 0)};
  EXPECT_FALSE(img.sravn_Pal(t3));

  testsup::write_File(dir.file("tab4.pal"), BB(1020, 0));
  cImage other;
  other.set_tab_Path(dir.path());
  t = 3;
  EXPECT_TRUE(other.get_tab_Pal(t).empty());
  EXPECT_TRUE(box.saw("неправильная палитра"));
}

TEST_F(Palette, GridLevels) {
  int32_t nr, ng, nb;
  img.get_newMax(0, 0, 0, nr, ng, nb);
  EXPECT_EQ(nr + ng + nb, 0);
  EXPECT_EQ(img.get_din_Pal(7, 7, 7, 7, 7, 7), (TT{rgb(7, 7, 7)}));
  img.get_newMax(255, 255, 255, nr, ng, nb);
  EXPECT_LE((nr + 1) * (ng + 1) * (nb + 1), 256);
  const TT full = img.get_din_Pal(0, 0, 0, 255, 255, 255);
  EXPECT_EQ(full.size(), static_cast<size_t>((nr + 1) * (ng + 1) * (nb + 1)));
  EXPECT_EQ(full.front(), 0);
  EXPECT_EQ(full.back(), 0xFFFFFF);
  img.get_newMax(255, 0, 0, nr, ng, nb);
  EXPECT_EQ(nr, 255);  // 256 levels of red reach the product 256 at once
  EXPECT_EQ(ng + nb, 0);
  std::mt19937 rng(3);
  for (int i = 0; i < 300; ++i) {
    const int32_t dr = static_cast<int32_t>(rng() % 256), dg = static_cast<int32_t>(rng() % 256),
                  db = static_cast<int32_t>(rng() % 256);
    img.get_newMax(dr, dg, db, nr, ng, nb);
    ASSERT_LE((nr + 1) * (ng + 1) * (nb + 1), 256);
    ASSERT_TRUE(nr <= dr && ng <= dg && nb <= db);
  }
  EXPECT_FALSE(box.saw("err"));
}

TEST_F(Palette, GridIndexAndRanges) {
  for (int32_t i = 0; i < 6 * 7 * 6; ++i) {
    int32_t lr, lg, lb;
    img.unpack256(i, 5, 6, 5, lr, lg, lb);
    ASSERT_EQ(img.pack256(lr, lg, lb, 5, 6, 5), i);
  }
  EXPECT_EQ(img.pack256(1, 0, 0, 5, 6, 5), 42);  // blue varies fastest
  EXPECT_FALSE(box.saw("err"));
  img.pack256(6, 0, 0, 5, 6, 5);
  EXPECT_TRUE(box.saw("err"));
  EXPECT_EQ(img.range1_to_range2(3, 5, 255), 153);
  EXPECT_EQ(img.range1_to_range2(3, 0, 255), 0);
  EXPECT_EQ(img.range1_to_range2(-1, 5, 255), 0);
  EXPECT_TRUE(box.saw("отриц"));
  int32_t nr = 5, ng = 7, nb = 7;
  EXPECT_FALSE(img.inc_R(nr, ng, nb, 10));  // 6 * 7 * 7 = 294 > 255
  EXPECT_TRUE(img.inc_G(nr, ng, nb, 10) == false);
  nr = 4;
  EXPECT_TRUE(img.inc_R(nr, ng, nb, 10));
  EXPECT_EQ(nr, 5);
}

// ---------------------------------------------------------------- quality

TEST_F(Palette, PerfectDecodeScoresZero) {
  TT px = {rgb(10, 20, 30), rgb(10, 20, 30), rgb(200, 0, 0), cImage::kMarker};
  img.flagProzr = true;
  load(px);
  img.del_Prozr(img.nPix, img.cPal24, img.fPal24);
  log.lines.clear();
  EXPECT_EQ(img.sravn_rgb(2, px), 0);
  EXPECT_TRUE(log.has("2:макс отклонение цвета=(+0%)"));
  EXPECT_TRUE(log.has("2:сред отклонение цвета=(+0%)"));
  EXPECT_TRUE(log.has("2:декодировано разных 24 битных цветов=3"));
}

TEST_F(Palette, DeviationInTenthsOfAPercent) {
  TT px = {rgb(100, 100, 100), rgb(0, 0, 0)};
  load(px);
  // 3 channels of 10 and 3 of 0 over two pixels: 30 / (2 * 3 * 256) = 1.95%
  EXPECT_EQ(img.sravn_rgb(1, {rgb(110, 90, 110), 0}), 20);
  EXPECT_TRUE(log.has("1:макс отклонение цвета=(+3.9%)"));
  EXPECT_TRUE(log.has("1:сред отклонение цвета=(+2%)"));
  EXPECT_EQ(img.sravn_rgb(1, {}), 0);
  EXPECT_TRUE(box.saw("pusto"));
}
