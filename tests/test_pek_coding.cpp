// PEK coding types, the variant search and decoding: byte layouts of the
// type data, damaged files, and every type on the corpus pictures through
// the container.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "pek/cImage.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// The picture object over a colour strip of stacked frames.
void set_Colours(cImage& im, const TT& colours, int32_t wk, int32_t hk, int32_t kol = 1) {
  im.Wk = wk;
  im.Hk = hk;
  im.kolKadrov = kol;
  im.Paus.assign(static_cast<size_t>(kol), 10);
  im.flagGK = false;
  im.flagProzr = false;
  im.nPix = colours;
  for (int32_t c : colours) im.flagProzr = im.flagProzr || c == cImage::kMarker;
  im.get_pp_ff(im.nPix, im.cPal24, im.fPal24);
  im.pix_zamena_ff(im.nPix, im.cPal24, im.fPal24);
  im.del_Prozr(im.nPix, im.cPal24, im.fPal24);
}

// The source colours the decoder must give back for an exact type.
TT colours_Of(const cImage& im) {
  TT out(im.nPix.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = im.nPix[i] < 0 ? cImage::kMarker : im.cPal24[im.nPix[i]];
  return out;
}

BB unpack(cImage& im, const BB& file) {
  int32_t e = 0;
  BB out = im.file().unzip_Auto(file, e);
  EXPECT_EQ(e, 0);
  return out;
}

TT decode(cImage& im, const BB& file) {
  cImage rd;
  rd.set_tab_Path(SUITE_BIN_DIR);
  TT out = rd.pek_to_bmp(unpack(im, file));
  im.Wk = rd.Wk, im.Hk = rd.Hk, im.kolKadrov = rd.kolKadrov, im.flagGK = rd.flagGK;
  return out;
}

}  // namespace

// ---------------------------------------------------------------- type 0

TEST(PekType0, OneColourManyColoursAndTheCountLimit) {
  platform::cScopedMsgCapture cap;
  cImage im;
  set_Colours(im, TT(12, 0x123456), 4, 3);
  BB pek = unpack(im, im.bmp_to_pek0());
  EXPECT_EQ(pek, (BB{0, 0, 4, 3, 1, 0, 0x56, 0x34, 0x12}));  // no pixel bytes
  EXPECT_EQ(decode(im, im.bmp_to_pek0()), TT(12, 0x123456));
  // 250 colours and a transparent pixel: one byte each; 251: two bytes each.
  for (int32_t n : {250, 251}) {
    TT cols(static_cast<size_t>(n) + 1);
    for (int32_t i = 0; i < n; ++i) cols[i] = i * 3 + 65536 * (i % 7);
    cols[n] = cImage::kMarker;
    set_Colours(im, cols, n + 1, 1);
    pek = unpack(im, im.bmp_to_pek0());
    EXPECT_EQ(pek.size(), 4u + 2u + 3u * n + (n + 1) * (n > 250 ? 2u : 1u));
    EXPECT_EQ(decode(im, im.bmp_to_pek0()), colours_Of(im));
  }
  // More than 65535 colours: no type 0 at all.
  TT many(70000);
  for (int32_t i = 0; i < 70000; ++i) many[i] = i;
  set_Colours(im, many, 350, 200);
  EXPECT_TRUE(im.bmp_to_pek0().empty());
  // A side-by-side strip stays side by side in type 0.
  set_Colours(im, TT{1, 2, 3, 4, 5, 6}, 1, 3, 2);
  im.flagGK = true;
  im.Wk = 1, im.Hk = 3;
  const BB side = im.bmp_to_pek0();
  EXPECT_EQ(decode(im, side), (TT{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(im.flagGK);
  EXPECT_TRUE(cap.box.texts.empty());
}

// ---------------------------------------------------------------- type 1

TEST(PekType1, ExplicitPaletteOf250BlockBytes) {
  platform::cScopedMsgCapture cap;
  testsup::cScratch none;
  cImage im;
  im.set_tab_Path(none.path());  // no tables: the explicit palette
  // 249 colours whose 16-bit values are 0..248: 248 differences of 1, one
  // symbol each, plus the two bytes of the escape code: a block of 250.
  TT cols;
  for (int32_t v = 0; v < 249; ++v) cols.push_back(im.rgb16_to_rgb24(v));
  TT pix;
  for (int32_t i = 0; i < 249 * 4; ++i) pix.push_back(cols[(i * 7) % 249]);
  set_Colours(im, pix, 249, 4);
  const BB file = im.bmp_to_Pek(1);
  ASSERT_FALSE(file.empty());
  const BB pek = unpack(im, file);
  cImage rd;
  int32_t p = 0;
  rd.get_Zag(pek, p);
  ASSERT_GT(p, 0);
  EXPECT_EQ(pek[0] & 3, 1);
  EXPECT_EQ(pek[p], 255);
  EXPECT_EQ(pek[p + 1], 0);
  EXPECT_EQ(pek[p + 2] | pek[p + 3] << 8, 0);  // first 16-bit colour
  EXPECT_EQ(decode(im, file), colours_Of(im));
  // Two colours of one 16-bit value: the block must not be empty (a zero
  // length byte would read as a table mark).
  set_Colours(im, TT{0x000000, 0x010101, 0x000000, cImage::kMarker}, 2, 2);
  const BB one = im.bmp_to_Pek(1);
  const TT out = decode(im, one);
  EXPECT_EQ(out, (TT{0, 0, 0, cImage::kMarker}));
  EXPECT_FALSE(cap.box.saw("разные пикселы на вх и вых"));
}

TEST(PekType1, LengthByte255ReadsTheLongBlock) {
  platform::cScopedMsgCapture cap;
  cImage im;
  // 255, 7: a block of 257 bytes, the escape code of 255 differences of 1.
  BB file{0x01, 0, 1, 1, 255, 7, 0, 0, 2, 1};
  file.insert(file.end(), 255, 1);
  file.push_back(255);  // the one pixel: the last of 256 colours
  EXPECT_EQ(im.pek_to_bmp(file), (TT{im.rgb16_to_rgb24(255)}));
  file.erase(file.begin() + 20);  // one byte short: the pixel is read as block
  EXPECT_TRUE(im.pek_to_bmp(file).empty());
  EXPECT_TRUE(cap.box.saw("err"));
}

TEST(PekType1, ColourTableAndTheMissingTable) {
  platform::cScopedMsgCapture cap;
  cImage im;
  im.set_tab_Path(SUITE_BIN_DIR);
  TT grey;
  for (int32_t i = 0; i < 64 * 64; ++i) grey.push_back(0x010101 * ((i / 64 + i % 64) % 200));
  set_Colours(im, grey, 64, 64);
  const BB file = im.bmp_to_Pek(1);
  const BB pek = unpack(im, file);
  int32_t p = 0;
  cImage rd;
  rd.get_Zag(pek, p);
  ASSERT_GT(p, 0);
  EXPECT_EQ(pek[p], 0);
  EXPECT_EQ(pek[p + 1], 1);  // the grey ramp, the first table
  EXPECT_EQ(decode(im, file), colours_Of(im));
  testsup::cScratch none;
  cImage nt;
  nt.set_tab_Path(none.path());
  EXPECT_TRUE(nt.pek_to_bmp(pek).empty());
  EXPECT_TRUE(cap.box.saw("нет таблицы=1 для распаковки"));
  EXPECT_FALSE(cap.box.saw("разные пикселы на вх и вых"));
}

// ---------------------------------------------------------------- types 2 and 3

TEST(PekType3, BigColourCodesAreRebuilt) {
  platform::cScopedMsgCapture cap;
  cImage im;
  // Bounds of 5 x 5 x 8 levels: a grid palette of D = 200 entries.
  const TT din = im.get_din_Pal(0, 0, 0, 4, 4, 7);
  ASSERT_EQ(din.size(), 200u);
  BB bytes{0, 0, 0, 255 - 4, 255 - 4, 255 - 7, 60, 10, 11, 12, 13};
  int32_t p = 7;
  const TT kod = im.get_big_Kod(bytes, p, 60, 200);
  ASSERT_EQ(kod.size(), 60u);
  EXPECT_EQ(kod[0], 255);
  EXPECT_EQ(kod[55], 200);
  EXPECT_EQ((TT(kod.begin() + 56, kod.end())), (TT{10, 11, 12, 13}));
  EXPECT_EQ(p, 11);
  // A whole file: 60 pixels, one of each big colour.
  im.tipPek = 3;
  im.Wk = 60;
  im.Hk = 1;
  BB file = im.put_Zag(bytes);
  for (int32_t i = 0; i < 60; ++i) {
    file.push_back(static_cast<uint8_t>(i));
    file.push_back(static_cast<uint8_t>(2 * i));
    file.push_back(static_cast<uint8_t>(3 * i));
  }
  for (int32_t k : kod) file.push_back(static_cast<uint8_t>(k));
  const TT out = im.pek_to_bmp(file);
  ASSERT_EQ(out.size(), 60u);
  for (int32_t i = 0; i < 60; ++i) EXPECT_EQ(out[i], i + 256 * 2 * i + 65536 * 3 * i);
  // Cut before the last explicit code: "err" and nothing.
  file.resize(9 + 5 + 7 + 3);
  EXPECT_TRUE(im.pek_to_bmp(file).empty());
  EXPECT_TRUE(cap.box.saw("err"));
}

TEST(PekSearch, CandidateCountsAndRepeatMarker) {
  platform::cScopedMsgCapture cap;
  cImage im;
  TT cols;
  const int32_t rgb3[3] = {0xFF0000, 0xFF, 0xFF00};
  for (int32_t i = 0; i < 40 * 30; ++i) cols.push_back(rgb3[(i % 40 + 2 * (i / 40)) % 3]);
  for (bool fast : {true, false}) {
    set_Colours(im, cols, 40, 30);
    im.flagFast = fast;
    im.kolVariant = 0;
    const BB file = im.bmp_to_Pek(2);
    ASSERT_FALSE(file.empty());
    // Three codes: per pass two plain candidates and two per scheme of at
    // most 4 codes (1, 2 fast; 1, 2, 4, 5, 6 slow). The picture has no border,
    // but rescanned in stripes of 3 (and 6) rows every column is uniform, so
    // those settings also try the border pass.
    EXPECT_EQ(im.kolVariant, fast ? 4 * (2 + 2 * 2) : 10 * (2 + 2 * 5));
    const TT out = decode(im, file);
    ASSERT_EQ(out.size(), cols.size());
  }
  BB all(256 * 2);
  for (int32_t i = 0; i < 512; ++i) all[i] = static_cast<uint8_t>(i);
  int32_t size = 0, metod = 0;
  EXPECT_TRUE(im.zip_Povt({}, all, size, metod, 256, 2).empty());
  EXPECT_EQ(size, 999999999);
  EXPECT_TRUE(im.bmp_to_Pek(5).empty());
  EXPECT_TRUE(cap.box.saw("err"));
  EXPECT_FALSE(cap.box.saw("разные пикселы на вх и вых"));
}

TEST(PekSearch, SideBySideStripComesOutStacked) {
  platform::cScopedMsgCapture cap;
  cImage im;
  std::mt19937 g(1);
  TT cols(16 * 10 * 3);
  for (auto& c : cols) c = static_cast<int32_t>(g() % 5) * 40 * 0x010101;
  set_Colours(im, cols, 16, 10, 3);
  const TT stacked = colours_Of(im);
  // The same frames laid side by side.
  BB idx(im.nPix.begin(), im.nPix.end());
  im.flagGK = false;
  const BB side = im.smena_dir_Kadrov(idx);
  im.nPix.assign(side.begin(), side.end());
  im.flagGK = true;
  for (int32_t tip : {1, 2, 3}) {
    TT pix = im.nPix;
    const bool gk = im.flagGK;
    const BB file = im.bmp_to_Pek(tip);
    ASSERT_FALSE(file.empty()) << tip;
    const TT out = decode(im, file);
    EXPECT_FALSE(im.flagGK);
    if (tip == 1) {
      EXPECT_EQ(out, stacked);
      EXPECT_EQ(im.sravn_rgb(1, out), 0);  // the picture was turned to match
    }
    EXPECT_EQ(out.size(), stacked.size());
    im.nPix = pix;
    im.flagGK = gk;
  }
  EXPECT_FALSE(cap.box.saw("разные пикселы на вх и вых"));
}

TEST(PekDecode, DamagedFilesGiveNothing) {
  platform::cScopedMsgCapture cap;
  cImage im;
  EXPECT_TRUE(im.pek_to_bmp({}).empty());
  EXPECT_TRUE(cap.box.saw("pusto"));
  // A header that claims 65535 x 65535 x 255 pixels is refused before any allocation.
  EXPECT_TRUE(im.pek_to_bmp({0x02, 32 + 3, 0xFF, 0xFF, 0xFF, 0xFF, 255, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).empty());
  EXPECT_TRUE(im.pek_to_bmp({0x00, 3, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 2, 3}).empty());
  // Codes outside the palette, a cut header, wrong sizes.
  EXPECT_TRUE(im.pek_to_bmp({0x00, 0, 2, 1, 2, 0, 1, 2, 3, 4, 5, 6, 0, 3}).empty());
  EXPECT_TRUE(im.pek_to_bmp({0x02, 0, 2}).empty());
  EXPECT_TRUE(im.pek_to_bmp({0x02, 0, 2, 1, 0, 0, 0, 255, 255, 255, 0, 1, 2, 3, 0}).empty());
  EXPECT_EQ(im.pek_to_bmp({0x02, 0, 2, 1, 0, 0, 0, 255, 255, 255, 0, 1, 2, 3, 0, 0}), (TT{0x030201, 0x030201}));
  EXPECT_TRUE(im.pek_to_bmp({0x02, 0, 2, 1, 0, 0, 0, 255, 255, 255, 0, 1, 2, 3, 0, 1}).empty());
  // Zigzag parameter 2 and frame height 10: a field 3 * 2 wide and 4 high.
  BB zz{0x02 + 64, 0, 2, 10, 0, 0, 0, 255, 255, 255, 0, 1, 2, 3};
  EXPECT_TRUE(im.pek_to_bmp(zz).empty());
  zz.resize(zz.size() + 24, 0);
  EXPECT_EQ(im.pek_to_bmp(zz).size(), 20u);
  zz.resize(zz.size() - 4);
  EXPECT_TRUE(im.pek_to_bmp(zz).empty());
  // Bytes outside the value table of a context scheme.
  EXPECT_TRUE(im.pek_to_bmp({0x02 + 4, 0, 1, 2, 0, 0, 0, 255, 255, 255, 0, 1, 2, 3, 1, 0, 0x11}).empty());
  EXPECT_EQ(im.pek_to_bmp({0x02 + 4, 0, 1, 2, 0, 0, 0, 255, 255, 255, 0, 1, 2, 3, 1, 0, 0x00}).size(), 2u);
}

// ---------------------------------------------------------------- corpus

namespace {

struct cCorpusStats {
  int32_t pictures = 0, coded[4] = {0, 0, 0, 0}, tables = 0, qMax[4] = {0, 0, 0, 0};
};

void code_Picture(const std::string& file, cCorpusStats& st, platform::cRecordingMsgBox& box) {
  cImage im;
  im.set_tab_Path(SUITE_BIN_DIR);
  if (!im.split_GIF(file)) {
    im.kolKadrovBMP2(file);
    if (!im.load_Pic_prozr(file)) return;
  }
  if (im.get_w_Pic() > 1000 || im.get_h_Pic() > 1000 || im.cPal24.size() <= 1) return;
  ++st.pictures;
  if (im.cPal24.size() <= 65535) {
    const TT src = colours_Of(im);
    const BB f0 = im.bmp_to_pek0();
    ASSERT_FALSE(f0.empty()) << file;
    cImage rd;
    int32_t e = 0;
    const TT out = rd.pek_to_bmp(im.file().unzip_Auto(f0, e));
    EXPECT_EQ(out, src) << file;
    ++st.coded[0];
  }
  im.usredn_Pix();
  const TT nPix0 = im.nPix, cPal0 = im.cPal24, fPal0 = im.fPal24;
  const int32_t kol = im.kolKadrov, wk = im.Wk, hk = im.Hk;
  const bool gk = im.flagGK, prozr = im.flagProzr;
  for (int32_t tip = 1; tip <= 3; ++tip) {
    if (tip > 1 && im.cPal24.size() > 250) break;
    im.set_nPix_cPal24_fPal24(nPix0, cPal0, fPal0);
    im.kolKadrov = kol, im.Wk = wk, im.Hk = hk, im.flagGK = gk, im.flagProzr = prozr;
    box.clear();
    const BB pek = im.bmp_to_Pek(tip, 3);
    if (pek.empty()) continue;
    ++st.coded[tip];
    int32_t e = 0;
    const BB un = im.file().unzip_Auto(pek, e);
    ASSERT_EQ(e, 0) << file;
    if (tip == 1 && (un[0] & 3) == 1 && un.size() > 3) st.tables += im.tipPek == 1;
    const TT out = im.pek_to_bmp(un);
    ASSERT_EQ(out.size(), nPix0.size()) << file << " type " << tip;
    EXPECT_FALSE(box.saw("разные пикселы на вх и вых")) << file << " type " << tip;
    // The measure compares with the palette of the stacked strip.
    im.set_nPix_cPal24_fPal24(nPix0, cPal0, fPal0);
    if (gk) continue;  // side-by-side sources come out stacked: checked by the type tests
    const int32_t q = im.sravn_rgb(tip, out);
    st.qMax[tip] = std::max(st.qMax[tip], q);
    EXPECT_LE(q, tip == 1 ? 10 : 50) << file << " type " << tip;
  }
}

}  // namespace

TEST(PekCorpus, EveryTypeOnEveryPicture) {
  platform::cScopedMsgCapture cap;
  testsup::cScratch tmp;
  ::setenv("TMPDIR", tmp.path().c_str(), 1);
  cCorpusStats st;
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(testsup::corpus("images")))
    if (e.is_regular_file() && e.path().string().find("malformed") == std::string::npos)
      files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) code_Picture(file, st, cap.box);
  std::printf("pictures %d: type0 %d, type1 %d (tables %d), type2 %d, type3 %d; worst quality 1: %d, 2: %d, 3: %d\n",
              st.pictures, st.coded[0], st.coded[1], st.tables, st.coded[2], st.coded[3], st.qMax[1], st.qMax[2],
              st.qMax[3]);
  EXPECT_GT(st.pictures, 100);
  EXPECT_GT(st.coded[2], 50);
}

namespace {

class cLogLines : public CbClientClass {
public:
  SS lines;
  void TellMsg(const std::string& s) override { lines.push_back(s); }
};

}  // namespace

TEST(PekSearch, ThreadsGiveTheSequentialFileAndLog) {
  platform::cScopedMsgCapture cap;
  testsup::cScratch tmp;
  ::setenv("TMPDIR", tmp.path().c_str(), 1);
  for (const char* rel : {"images/gif/phpbb_smilies_icon_redface.gif", "images/bmp/kolibri_buttons.bmp",
                          "images/gif/phpbb_no_avatar.gif"}) {
    BB files[2];
    SS logs[2];
    for (int32_t run = 0; run < 2; ++run) {
      cImage im;
      im.set_tab_Path(SUITE_BIN_DIR);
      const std::string file = testsup::corpus(rel);
      if (!im.split_GIF(file)) {
        im.kolKadrovBMP2(file);
        ASSERT_TRUE(im.load_Pic_prozr(file)) << rel;
      }
      im.usredn_Pix();
      cLogLines log;
      im.setFlagLog(true);
      im.AddObjectReference(&log);
      im.flagFast = false;
      im.nThreads = run == 0 ? 1 : 4;
      files[run] = im.bmp_to_Pek(2);
      logs[run] = log.lines;
      im.DropObjectReference(&log);
    }
    EXPECT_FALSE(files[0].empty()) << rel;
    EXPECT_EQ(files[0], files[1]) << rel;
    EXPECT_EQ(logs[0], logs[1]) << rel;
    EXPECT_GT(logs[0].size(), 5u) << rel;
  }
}
