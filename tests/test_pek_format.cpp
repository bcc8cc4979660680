// PEK header, frame and border operations, and the pixel transforms with
// their inverses.
#include <gtest/gtest.h>

#include <random>

#include "pek/cImage.h"
#include "platform/msg_box.h"

namespace {

BB field_Of(int32_t w, int32_t h, std::mt19937& g, int32_t maxV) {
  BB bb(static_cast<size_t>(w) * h);
  for (auto& b : bb) b = static_cast<uint8_t>(g() % static_cast<uint32_t>(maxV + 1));
  return bb;
}

// A field of uniform rectangles: what 2D repeats are made for.
BB blocky_Field(int32_t w, int32_t h, std::mt19937& g, int32_t maxV) {
  BB bb(static_cast<size_t>(w) * h);
  const int32_t bw = 1 + static_cast<int32_t>(g() % 40), bh = 1 + static_cast<int32_t>(g() % 40);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      bb[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(((x / bw) * 7 + (y / bh) * 3) % (maxV + 1));
  for (int32_t k = 0; k < w * h / 50; ++k) bb[g() % bb.size()] = static_cast<uint8_t>(g() % (maxV + 1));
  return bb;
}

}  // namespace

// ---------------------------------------------------------------- header

TEST(PekHeader, StillPictureBytes) {
  cImage im;
  im.tipPek = 2;
  im.Wk = 300;
  im.Hk = 40;
  const BB z = im.put_Zag({9, 8, 7});
  EXPECT_EQ(z, (BB{0x02, 0x02, 0x2C, 0x01, 0x28, 9, 8, 7}));
  int32_t p = 0;
  cImage rd;
  rd.get_Zag(z, p);
  EXPECT_EQ(p, 5);
  EXPECT_EQ(rd.Wk, 300);
  EXPECT_EQ(rd.Hk, 40);
  EXPECT_EQ(rd.get_kol_kadrov(), 1);
}

TEST(PekHeader, AnimationPausesAndTransparency) {
  cImage im;
  im.tipPek = 1;
  im.Wk = 10;
  im.Hk = 10;
  im.kolKadrov = 3;
  im.Paus = {10, 10, 10};
  BB z = im.put_Zag({});
  EXPECT_EQ(z, (BB{0x01, 32, 10, 10, 3, 10}));
  im.flagRaznPaus = true;
  im.Paus = {10, 20, 30};
  im.flagProzr = true;
  im.prozrKod = 0;  // 0 is never stored
  z = im.put_Zag({});
  EXPECT_EQ(z, (BB{0x01, 32 + 64, 10, 10, 3, 10, 20, 30}));
  im.prozrKod = 7;
  im.povtMarker = 9;
  im.flagFrame = true;
  im.frameFon = 4, im.frameX0 = 1, im.frameY0 = 2, im.frameX9 = 3, im.frameY9 = 5;
  z = im.put_Zag({});
  EXPECT_EQ(z, (BB{0x01, 32 + 64 + 16 + 8 + 4, 10, 10, 7, 9, 4, 1, 2, 3, 5, 3, 10, 20, 30}));
  cImage rd;
  int32_t p = 0;
  rd.get_Zag(z, p);
  EXPECT_EQ(p, static_cast<int32_t>(z.size()));
  EXPECT_EQ(rd.Paus, (BB{10, 20, 30}));
  EXPECT_TRUE(rd.flagProzr);
  EXPECT_EQ(rd.prozrKod, 7);
  EXPECT_EQ(rd.povtMarker, 9);
  EXPECT_EQ(rd.frameX9, 3);
  EXPECT_EQ(rd.frameY9, 5);
  // Without flagProzr the code is dropped and the flag of a reader cleared.
  im.flagProzr = false;
  z = im.put_Zag({});
  rd.get_Zag(z, p = 0);
  EXPECT_FALSE(rd.flagProzr);
  EXPECT_EQ(rd.prozrKod, 0);
}

TEST(PekHeader, ByteZeroFieldsAndNames) {
  cImage rd;
  int32_t p = 0;
  rd.get_Zag({0x6D, 0, 5, 5}, p);
  EXPECT_EQ(rd.tipPek, 1);
  EXPECT_EQ(rd.nKont, 3);
  EXPECT_EQ(rd.zigZag, 3);
  EXPECT_EQ(cImage::sKont(3), "1x8");
  EXPECT_EQ(cImage::sKont(7), "2x4");
  EXPECT_EQ(cImage::sKont(0), "");
  EXPECT_EQ(cImage::sKont(8), "");
  // 16-bit sizes and the value table after the type data.
  cImage im;
  im.tipPek = 100;
  im.nKont = 2;
  im.Wk = 256;
  im.Hk = 1000;
  im.tabZnach = {2, 0, 1};
  EXPECT_EQ(im.put_Zag({}), (BB{0x09, 3, 0, 1, 0xE8, 3}));  // type 100: no value table
  im.tipPek = 3;
  EXPECT_EQ(im.put_Zag({}), (BB{0x0B, 3, 0, 1, 0xE8, 3, 2, 0, 1}));
  const SS rep = cImage::zag_Report({0x6D, 0xFF});
  ASSERT_EQ(rep.size(), 11u);
  EXPECT_EQ(rep[0], "тип pek:1");
  EXPECT_EQ(rep[1], "перескан зигзаг, высота=4точек");
  EXPECT_EQ(rep[2], "номер 2D-контекстной схемы=3(1x8)");
  EXPECT_EQ(rep[3], "есть анимация:");
  EXPECT_EQ(rep[10], "16 битная высота");
}

TEST(PekHeader, FrameDirectionRoundTrip) {
  cImage im;
  std::mt19937 g(5);
  im.Wk = 7;
  im.Hk = 3;
  im.kolKadrov = 4;
  const BB stacked = field_Of(7, 12, g, 255);
  im.flagGK = false;
  const BB side = im.smena_dir_Kadrov(stacked);
  EXPECT_EQ(side[7], stacked[21]);  // frame 1 row 0 follows frame 0 row 0
  im.flagGK = true;
  EXPECT_EQ(im.smena_dir_Kadrov(side), stacked);
}

// ---------------------------------------------------------------- frames and borders

TEST(PekFrames, BorderFindCutRestore) {
  cImage im;
  BB pic(24, 3);
  for (int32_t y = 1; y <= 2; ++y)
    for (int32_t x = 1; x <= 4; ++x) pic[y * 6 + x] = 7;
  int32_t x0, y0, x9, y9, fon;
  im.find_Frame(pic, 6, 4, x0, y0, x9, y9, fon);
  EXPECT_EQ((TT{x0, y0, x9, y9, fon}), (TT{1, 1, 1, 1, 3}));
  int32_t w = 6, h = 4;
  const BB in = im.cut_Frame(pic, w, h, 1, 1, 1, 1);
  EXPECT_EQ(in, BB(8, 7));
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(im.restore_Frame(in, w, h, 1, 1, 1, 1, 3), pic);
  EXPECT_EQ(w, 6);
  // A border wider than 255 columns is reported as 255; a uniform picture
  // is all left and top margin, never overlapping.
  BB wide(300 * 2, 0);
  wide[299] = 1;
  wide[599] = 1;
  im.find_Frame(wide, 300, 2, x0, y0, x9, y9, fon);
  EXPECT_EQ(x0, 255);
  EXPECT_EQ(x9, 0);
  im.find_Frame(BB(20, 5), 5, 4, x0, y0, x9, y9, fon);
  EXPECT_EQ((TT{x0, y0, x9, y9}), (TT{5, 4, 0, 0}));
}

TEST(PekFrames, ShiftsRowsColumnsRectangles) {
  cImage im;
  std::mt19937 g(3);
  const BB a = field_Of(9, 7, g, 3);
  int32_t x0 = 11, y0 = 12;
  im.find_best_x0_y0(x0, y0, a, a, 9, 7);
  EXPECT_EQ(x0, 11);
  EXPECT_EQ(y0, 12);
  BB pic(100, 0);
  for (int32_t y = 3; y < 6; ++y)
    for (int32_t x = 2; x < 7; ++x) pic[y * 10 + x] = static_cast<uint8_t>(1 + x + y);
  const BB moved = im.sdvig_Kadr(2, -1, pic, 10, 10);
  im.find_best_x0_y0(x0, y0, pic, moved, 10, 10);
  EXPECT_EQ(x0, -2);
  EXPECT_EQ(y0, 1);
  BB b{1, 2, 3, 4};
  int32_t w = 2, h = 2;
  im.add_X9_col(b, w, h);
  EXPECT_EQ(b, (BB{1, 2, 2, 3, 4, 4}));
  im.add_Y9_line(b, w, h);
  EXPECT_EQ(b, (BB{1, 2, 2, 3, 4, 4, 3, 4, 4}));
  im.del_X9_col(b, w, h);
  im.del_Y9_line(b, w, h);
  EXPECT_EQ(b, (BB{1, 2, 3, 4}));
  EXPECT_EQ(im.get_Rect(pic, 2, 3, 99, 3, 10, 10), BB(pic.begin() + 32, pic.begin() + 40));
  EXPECT_EQ(cImage::split4("12, 3x,-4,5,6|7,8"), (TT{12, 3, -4, 5}));
  EXPECT_EQ(cImage::split4("1"), (TT{1, 0, 0, 0}));
}

TEST(PekFrames, StripFramesAndStaticAnimationBorder) {
  cImage im;
  std::mt19937 g(9);
  for (bool gk : {false, true}) {
    im.kolKadrov = 3;
    im.flagGK = gk;
    const int32_t wk = 8, hk = 6;
    BB strip(static_cast<size_t>(wk) * hk * 3, 5);
    for (int32_t k = 0; k < 3; ++k) {
      BB fr(wk * hk, 5);
      for (int32_t y = 1 + k % 2; y < hk - 1; ++y)
        for (int32_t x = 2; x < wk - 1 - k; ++x) fr[y * wk + x] = static_cast<uint8_t>(g() % 4);
      im.put_Kadr(strip, wk, hk, k, fr, gk);
      EXPECT_EQ(im.copy_Kadr(strip, wk, hk, k, gk), fr);
    }
    int32_t w = gk ? wk * 3 : wk, h = gk ? hk : hk * 3;
    const BB cut = im.st_frame_ani(strip, w, h);
    ASSERT_TRUE(im.flagFrame);
    EXPECT_EQ((TT{im.frameFon, im.frameX0, im.frameY0}), (TT{5, 2, 1}));
    EXPECT_EQ(im.frameX9, 1);
    EXPECT_EQ(im.restore_st_frame_ani(3, cut, w, h, im.frameX0, im.frameY0, im.frameX9, im.frameY9, im.frameFon),
              strip);
    EXPECT_EQ(w, gk ? wk * 3 : wk);
    // One frame without a border, or one framed in another colour: no common border.
    BB other = strip;
    im.put_Kadr(other, wk, hk, 1, BB(wk * hk, 9), gk);
    w = gk ? wk * 3 : wk, h = gk ? hk : hk * 3;
    EXPECT_EQ(im.st_frame_ani(other, w, h), other);
    EXPECT_FALSE(im.flagFrame);
  }
}

// ---------------------------------------------------------------- transforms

TEST(PekTransforms, ZigzagExample) {
  cImage im;
  BB f(20);
  for (int32_t i = 0; i < 20; ++i) f[i] = static_cast<uint8_t>(i);
  int32_t w = 4, h = 5;
  const BB z = im.reScan_ZigzagG(f, w, h, 3);
  EXPECT_EQ(w, 12);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(BB(z.begin(), z.begin() + 6), (BB{0, 4, 8, 1, 5, 9}));
  EXPECT_EQ(BB(z.begin() + 12, z.begin() + 18), (BB{12, 16, 16, 13, 17, 17}));  // padded with the last row
  EXPECT_EQ(im.reScan_ZigzagG_obratno(z, 4, 5, 3), f);
}

TEST(PekTransforms, PackingExampleAndLimits) {
  platform::cScopedMsgCapture cap;
  cImage im;
  const BB f{1, 2, 3, 0, 1, 2, 3, 3, 0};
  const BB p = im.M8_tuda(f, 3, 3, 2, 2);
  // Blocks in column order: (0,0) (0,1) (1,0) (1,1), first in the low bits.
  EXPECT_EQ(p,
            (BB{1 + 4 * 0 + 16 * 2 + 64 * 1, 3 + 4 * 2 + 16 * 3 + 64 * 2, 3 + 4 * 3 + 16 * 3 + 64 * 3, 0 + 0 + 0 + 0}));
  EXPECT_EQ(im.M8_obratno(p, 3, 3, 2, 2), f);
  EXPECT_TRUE(im.M8_tuda(BB{4, 0}, 2, 1, 2, 1).size() == 1);  // 4 bits hold 4
  EXPECT_TRUE(im.M8_tuda(BB{4, 0, 0, 0}, 4, 1, 4, 1).empty());
  EXPECT_TRUE(cap.box.saw("err max"));
  EXPECT_TRUE(im.M8_tuda(BB{1, 0}, 3, 1, 2, 1).empty());
  EXPECT_TRUE(cap.box.saw("malo/mnogo"));
  EXPECT_TRUE(im.M8_obratno(BB{1, 2}, 3, 3, 2, 2).empty());
}

TEST(PekTransforms, RepeatExamples) {
  platform::cScopedMsgCapture cap;
  cImage im;
  im.povtMarker = 9;
  EXPECT_EQ(im.encode2D(BB(144, 4), 8, 12, 12), (BB{9, 4, 12, 12}));
  EXPECT_EQ(im.unzip_2D_Povt(BB{9, 4, 12, 12}, 12, 12), BB(144, 4));
  // 8 x 16 = 128 cells is not above 128: pixel by pixel.
  EXPECT_EQ(im.encode2D(BB(128, 4), 8, 8, 16), BB(128, 4));
  // 300 wide: clamped to 255, the rest coded later in the scan.
  BB wide(300 * 8, 2);
  const BB z = im.encode2D(wide, 8, 300, 8);
  EXPECT_EQ(z, (BB{9, 2, 255, 8, 9, 2, 45, 8}));
  EXPECT_EQ(im.unzip_2D_Povt(z, 300, 8), wide);
  // The marker inside the field, damaged input: "err" and nothing.
  EXPECT_TRUE(im.encode2D(BB{9, 1}, 8, 2, 1).empty());
  EXPECT_TRUE(im.unzip_2D_Povt(BB{9, 4, 12}, 12, 12).empty());
  EXPECT_TRUE(im.unzip_2D_Povt(BB{9, 4, 13, 12}, 12, 12).empty());  // past the row end
  EXPECT_TRUE(im.unzip_2D_Povt(BB{9, 4, 12, 11}, 12, 12).empty());  // too short
  EXPECT_TRUE(im.unzip_2D_Povt(BB{}, 12, 12).empty());
  EXPECT_TRUE(cap.box.saw("pusto"));
}

TEST(PekTransforms, RandomRoundTrips) {
  platform::cScopedMsgCapture cap;
  cImage im;
  std::mt19937 g(2024);
  const int32_t shapes[9][2] = {{1, 2}, {2, 1}, {1, 4}, {2, 2}, {4, 1}, {1, 8}, {2, 4}, {4, 2}, {8, 1}};
  for (int32_t it = 0; it < 60; ++it) {
    const int32_t big = it % 10 == 0 ? 1000 : 90;
    const int32_t w = 1 + static_cast<int32_t>(g() % big), h = 1 + static_cast<int32_t>(g() % big);
    const auto& sh = shapes[it % 9];
    const int32_t bits = 8 / (sh[0] * sh[1]);
    const BB f = (it & 1) ? blocky_Field(w, h, g, (1 << bits) - 1) : field_Of(w, h, g, (1 << bits) - 1);
    EXPECT_EQ(im.M8_obratno(im.M8_tuda(f, w, h, sh[0], sh[1]), w, h, sh[0], sh[1]), f) << w << "x" << h;
    const int32_t t = 1 + it % 8;
    int32_t zw = w, zh = h;
    const BB z = im.reScan_ZigzagG(f, zw, zh, t);
    EXPECT_EQ(static_cast<int64_t>(zw) * zh, static_cast<int64_t>(z.size()));
    EXPECT_EQ(im.reScan_ZigzagG_obratno(z, w, h, t), f);
    const BB f2 = blocky_Field(w, h, g, 200);
    im.povtMarker = 201 + it % 50;
    const BB r = im.encode2D(f2, 8, w, h);
    EXPECT_EQ(im.unzip_2D_Povt(r, w, h), f2) << w << "x" << h;
    EXPECT_LE(r.size(), f2.size());
  }
  EXPECT_TRUE(cap.box.texts.empty()) << cap.box.texts[0];
}
