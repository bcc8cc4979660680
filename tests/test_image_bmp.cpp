// The picture model: the class's strict BMP reader, strip names, channel
// order, colour values, the pixel paths over the surface, reading pictures
// with transparency, and the loader's alpha rule, size cap, ICO and saver.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "pek/cImage.h"
#include "platform/msg_box.h"
#include "platform/picture_io.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

void put32(BB& b, size_t p, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[p + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP as the class reads it: 54-byte header, n palette entries, rows.
BB make_BMP(int32_t w, int32_t h, int bpp, const std::vector<int32_t>& pal, const BB& rows, int32_t palField = -1) {
  BB b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  put32(b, 10, static_cast<uint32_t>(54 + 4 * pal.size()));
  put32(b, 14, 40);
  put32(b, 18, static_cast<uint32_t>(w));
  put32(b, 22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = static_cast<uint8_t>(bpp);
  put32(b, 46, static_cast<uint32_t>(palField >= 0 ? palField : static_cast<int32_t>(pal.size())));
  for (int32_t c : pal) {
    b.push_back(static_cast<uint8_t>(c >> 16));
    b.push_back(static_cast<uint8_t>(c >> 8));
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(0);
  }
  b.insert(b.end(), rows.begin(), rows.end());
  put32(b, 2, static_cast<uint32_t>(b.size()));
  return b;
}

class ImageModel : public ::testing::Test {
protected:
  void SetUp() override { platform::set_MsgBox(&box); }
  void TearDown() override { platform::set_MsgBox(nullptr); }
  TT load(const BB& bmp, int32_t& w, int32_t& h) {
    box.clear();
    return img.load_BMP_BB(bmp, w, h);
  }
  std::string file(const std::string& name, const BB& data) {
    testsup::write_File(scratch.file(name), data);
    return scratch.file(name);
  }
  // A PNG from raw RGBA through convert (the test's independent encoder).
  std::string png_From_RGBA(const std::string& name, int32_t w, int32_t h, const BB& rgba) {
    const std::string raw = file(name + ".rgba", rgba);
    const std::string out = scratch.file(name);
    const std::string cmd = "convert -size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 8 rgba:'" +
                            raw + "' '" + out + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    return out;
  }
  testsup::cScratch scratch;
  platform::cRecordingMsgBox box;
  cImage img;
};

}  // namespace

// ---------------------------------------------------------------- load_BMP

TEST_F(ImageModel, BmpSignatureAndKindMessages) {
  int32_t w = 0, h = 0;
  BB bmp = make_BMP(1, 1, 24, {}, {1, 2, 3, 0});
  bmp[1] = 'N';
  EXPECT_TRUE(load(bmp, w, h).empty());
  EXPECT_TRUE(box.saw("это не BMP"));
  for (int bpp : {1, 32}) {
    EXPECT_TRUE(load(make_BMP(1, 1, bpp, {}, {0, 0, 0, 0}), w, h).empty());
    EXPECT_TRUE(box.saw("это не BMP-16/256/24")) << bpp;
  }
  BB spare = make_BMP(1, 1, 24, {}, {1, 2, 3, 0});
  spare.push_back(0);
  EXPECT_TRUE(load(spare, w, h).empty());
  EXPECT_TRUE(box.saw("неполный файл"));
  EXPECT_TRUE(load(BB(spare.begin(), spare.begin() + 40), w, h).empty());
  EXPECT_TRUE(box.saw("неполный файл"));
}

TEST_F(ImageModel, TrueColour3x2HasPaddedRowsStoredBottomUp) {
  // Stored rows: bottom row first, 9 bytes of B, G, R and 3 of padding.
  const BB rows = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
  int32_t w = 0, h = 0;
  const TT px = load(make_BMP(3, 2, 24, {}, rows), w, h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(px, (TT{12 + 256 * 11 + 65536 * 10, 15 + 256 * 14 + 65536 * 13, 18 + 256 * 17 + 65536 * 16,
                    3 + 256 * 2 + 65536 * 1, 6 + 256 * 5 + 65536 * 4, 9 + 256 * 8 + 65536 * 7}));
}

TEST_F(ImageModel, SixteenColoursFivePixelsPerFourByteRow) {
  std::vector<int32_t> pal(16);
  for (int i = 0; i < 16; ++i) pal[static_cast<size_t>(i)] = i * 0x010101;
  const BB rows = {0x12, 0x34, 0x5F, 0xEE};  // the low nibble of byte 3 and byte 4 are padding
  int32_t w = 0, h = 0;
  EXPECT_EQ(load(make_BMP(5, 1, 4, pal, rows), w, h), (TT{0x010101, 0x020202, 0x030303, 0x040404, 0x050505}));
}

TEST_F(ImageModel, PaletteSizeZeroMeans256Entries) {
  std::vector<int32_t> pal(256);
  for (int i = 0; i < 256; ++i) pal[static_cast<size_t>(i)] = 0x10000 * i + 7;
  int32_t w = 0, h = 0;
  const BB bmp = make_BMP(2, 1, 8, pal, {255, 3, 0, 0}, 0);
  ASSERT_EQ(bmp.size(), 1078u + 4);
  EXPECT_EQ(load(bmp, w, h), (TT{0xFF0007, 0x030007}));
}

TEST_F(ImageModel, IndexPastThePaletteIsAnIndexError) {
  int32_t w = 0, h = 0;
  EXPECT_THROW(load(make_BMP(1, 1, 8, {0x111111, 0x222222}, {5, 0, 0, 0}), w, h), cIndexError);
}

TEST_F(ImageModel, CorpusBmpsTheStrictReaderAcceptsMatchTheLoader) {
  int accepted = 0;
  for (const auto& e : fs::recursive_directory_iterator(testsup::corpus("images/bmp"))) {
    if (!e.is_regular_file()) continue;
    int32_t w = 0, h = 0;
    TT px;
    try {
      px = img.load_BMP(e.path().string(), w, h);
    } catch (const cIndexError&) {
      continue;
    }
    if (px.empty()) continue;
    ++accepted;
    platform::cPicture pic;
    ASSERT_TRUE(platform::load_Picture(e.path().string(), pic)) << e.path();
    ASSERT_EQ(pic.w, w);
    ASSERT_EQ(pic.h, h);
    for (size_t i = 0; i < px.size(); ++i) {
      const uint8_t* p = pic.rgba.data() + 4 * i;
      ASSERT_EQ(px[i], p[0] + 256 * p[1] + 65536 * p[2]) << e.path() << " pixel " << i;
    }
  }
  EXPECT_GE(accepted, 8);
}

// ---------------------------------------------------------------- strip names, channel order, colours

TEST_F(ImageModel, StripNameForms) {
  struct {
    const char* name;
    bool strip;
    int32_t count;
    bool gk;
  } cases[] = {{"dir/pic.`g4.bmp", true, 4, true}, {"pic.`v4.bmp", true, 4, false},
               {"pic.`v12.bmp", true, 12, false}, {"pic.`4.bmp", false, 1, false},
               {"pic.`v04.bmp", false, 1, false}, {"pic.`g4.BMP", false, 1, false},
               {".`g4.bmp", false, 1, false},     {"pic.bmp", false, 1, false},
               {"pic", false, 1, false},          {"pic.`v0.bmp", false, 1, false},
               {"pic.`v255.bmp", true, 255, false}, {"pic.`v256.bmp", false, 1, false},
               {"pic.`v99999999999.bmp", false, 1, false}};
  for (const auto& c : cases) {
    cImage im;
    im.kolKadrovBMP2(c.name);
    EXPECT_EQ(im.flagBMP2, c.strip) << c.name;
    EXPECT_EQ(im.get_kol_kadrov(), c.count) << c.name;
    EXPECT_EQ(im.flagGK, c.gk) << c.name;
    if (c.strip) {
      EXPECT_EQ(im.Paus, BB(static_cast<size_t>(c.count), 10)) << c.name;
    }
  }
  cImage gifStrip;
  gifStrip.flagGIFa = true;
  gifStrip.Paus = {1, 2, 3};
  gifStrip.kolKadrovBMP2("a.`v3.bmp");
  EXPECT_EQ(gifStrip.Paus, (BB{1, 2, 3}));  // an animated GIF keeps its own pauses
}

TEST_F(ImageModel, ChannelOrder) {
  EXPECT_EQ(img.get_Turn(5, 5, 5), "gbr");
  EXPECT_EQ(img.get_Turn(9, 9, 1), "rgb");
  EXPECT_EQ(img.get_Turn(1, 9, 9), "gbr");
  EXPECT_EQ(img.get_Turn(9, 1, 9), "brg");
  EXPECT_EQ(img.get_Turn(9, 5, 1), "rgb");
  EXPECT_EQ(img.get_Turn(9, 1, 5), "rbg");
  EXPECT_EQ(img.get_Turn(1, 9, 5), "gbr");
  EXPECT_EQ(img.get_Turn(5, 9, 1), "grb");
  EXPECT_EQ(img.get_Turn(5, 1, 9), "brg");
  EXPECT_EQ(img.get_Turn(1, 5, 9), "bgr");
}

TEST_F(ImageModel, ColourValues) {
  int32_t r = -5, g = 300, b = 7;
  EXPECT_EQ(img.rgb_to_N24(r, g, b), 0 + 256 * 255 + 65536 * 7);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 255);
  img.N24_to_rgb(0x123456, r, g, b);
  EXPECT_EQ(r, 0x56);
  EXPECT_EQ(g, 0x34);
  EXPECT_EQ(b, 0x12);
  img.N24_to_rgb(0x1000000, r, g, b);
  EXPECT_TRUE(box.saw("err RGB:1000000"));
  EXPECT_EQ(r, 0x56);
  EXPECT_EQ(img.scanAlign(9), 12);
  EXPECT_EQ(img.scanAlign(12), 12);
}

// ---------------------------------------------------------------- pixel paths

TEST_F(ImageModel, FastAndSlowPathsAgree) {
  platform::cSurface s;
  s.resize(5, 3);
  TT px(15);
  for (int i = 0; i < 15; ++i) px[static_cast<size_t>(i)] = i * 0x030507;
  img.fast_put_Pic(px, s, 5, 3);
  EXPECT_EQ(img.fast_get_Pix(s, 5, 3), px);
  EXPECT_EQ(img.get_Pix(s, 5, 3), px);
  EXPECT_EQ(s.get_Pixel(1, 0), px[1]);
  // Bottom-up 24-bit rows: the last stored row is the top row.
  EXPECT_EQ(s.bits()[2u * s.stride() + 3 + 2], px[1] & 255);
  platform::cSurface t;
  t.resize(4, 4);
  img.put_Pix(t, {1, 2, 3, 4}, 2, 2, 1, 2);
  EXPECT_EQ(img.fast_get_Pix(t, 4, 4), (TT{0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 3, 4, 0}));
}

TEST_F(ImageModel, PixelPathChecks) {
  platform::cSurface s;
  s.resize(2, 2);
  EXPECT_TRUE(img.get_Pix(s, 0, 2).empty());
  EXPECT_TRUE(box.saw("err w h"));
  img.put_Pix(s, {1, 2, 3}, 2, 2, 0, 0);
  EXPECT_TRUE(box.saw("malo"));
  box.clear();
  img.fast_put_Pic({1, 2, 3}, s, 2, 2);
  EXPECT_TRUE(box.saw("err"));
  EXPECT_EQ(img.fast_get_Pix(s, 2, 2), (TT{1, 2, 3, 0}));  // drawing goes on
  EXPECT_EQ(img.fast_get_Pix(s, 3, 1), (TT{1, 2, 0}));     // outside the surface reads black
}

TEST_F(ImageModel, SavedBmpReadsBack) {
  platform::cSurface s;
  s.resize(3, 2);
  const TT px = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
  img.fast_put_Pic(px, s, 3, 2);
  const std::string name = scratch.file("out.bmp");
  ASSERT_TRUE(platform::save_BMP24(s, name));
  int32_t w = 0, h = 0;
  EXPECT_EQ(img.load_BMP(name, w, h), px);
  EXPECT_EQ(fs::file_size(name), 54u + 2 * 12);
}

// ---------------------------------------------------------------- transparency

TEST_F(ImageModel, AlphaBelow128ShowsTheBackground) {
  const BB rgba = {10, 20, 30, 0, 40, 50, 60, 127, 70, 80, 90, 128, 0xC0, 0xC1, 0xC0, 255};
  const std::string png = png_From_RGBA("a.png", 4, 1, rgba);
  const TT px = img.get_Pic_prozr(png);
  EXPECT_EQ(px, (TT{cImage::kMarker, cImage::kMarker, 70 + 256 * 80 + 65536 * 90, cImage::kMarkerOpaque}));
  EXPECT_TRUE(img.flagProzr);
  EXPECT_EQ(img.get_Wk(), 4);
  EXPECT_EQ(img.get_Hk(), 1);
  ASSERT_TRUE(img.load_Pic_prozr(png));
  EXPECT_EQ(img.nPix[0], -1);
  EXPECT_EQ(img.nPix[1], -1);
  EXPECT_EQ(img.get_le_cPal_24(), 2);
  EXPECT_EQ(img.fPal24, (TT{1, 1}));
}

TEST_F(ImageModel, StripBmpKeepsItsMarkerAndSplitsItsWidth) {
  platform::cSurface s;
  s.resize(4, 1);
  img.fast_put_Pic({cImage::kMarker, 5, 6, cImage::kMarker}, s, 4, 1);
  const std::string name = scratch.file("a.`g2.bmp");
  ASSERT_TRUE(platform::save_BMP24(s, name));
  const TT px = img.get_Pic_prozr(name);
  EXPECT_EQ(px, (TT{cImage::kMarker, 5, 6, cImage::kMarker}));
  EXPECT_TRUE(img.flagBMP2);
  EXPECT_TRUE(img.flagProzr);
  EXPECT_EQ(img.get_Wk(), 2);
  EXPECT_EQ(img.get_kol_kadrov(), 2);
  EXPECT_EQ(img.get_w_Pic(), 4);
  EXPECT_EQ(img.get_h_Pic(), 1);
  EXPECT_EQ(img.get_wh_Pic(), 4);
}

TEST_F(ImageModel, UnreadableFileGivesAnEmptyPicture) {
  EXPECT_TRUE(img.get_Pic_prozr(file("x.png", testsup::random_Bytes(300, 5))).empty());
  EXPECT_FALSE(img.load_Pic_prozr(scratch.file("missing.gif")));
}

TEST_F(ImageModel, FrameToKadrPlacesAndFills) {
  int32_t w = 2, h = 1;
  EXPECT_EQ(img.frame_to_Kadr({1, 2}, w, h, 1, 1, 0, 1, 9), (TT{9, 9, 9, 9, 1, 2, 9, 9, 9}));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 3);
  w = 2;
  h = 2;
  img.frame_to_Kadr({1, 2, 3}, w, h, 0, 0, 0, 0, 0);
  EXPECT_TRUE(box.saw("malo/mnogo"));
}

// ---------------------------------------------------------------- loader limits and kinds

TEST_F(ImageModel, LoaderRefusesPicturesBeyondTheCap) {
  BB bmp = make_BMP(1, 1, 24, {}, {0, 0, 0, 0});
  put32(bmp, 18, 10000);
  put32(bmp, 22, 10000);  // 10^8 pixels > 2^26
  platform::cPicture pic;
  EXPECT_FALSE(platform::decode_Picture(bmp, pic));
  put32(bmp, 18, 2);
  put32(bmp, 22, 2);  // rows missing from the file
  EXPECT_FALSE(platform::decode_Picture(bmp, pic));
}

TEST_F(ImageModel, LoaderReadsIconsAndWebP) {
  BB rgba;
  for (int i = 0; i < 16 * 16; ++i) {
    const uint8_t a = (i % 16) < 4 ? 0 : 255;
    rgba.insert(rgba.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 77, a});
  }
  const std::string png = png_From_RGBA("i.png", 16, 16, rgba);
  for (const char* ext : {"ico", "webp"}) {
    const std::string out = scratch.file(std::string("i.") + ext);
    const std::string cmd = "convert '" + png + "' " + (std::string(ext) == "webp" ? "-define webp:lossless=true " : "") +
                            "'" + out + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "convert cannot write " << ext;
    platform::cPicture pic;
    ASSERT_TRUE(platform::load_Picture(out, pic)) << ext;
    ASSERT_EQ(pic.w, 16);
    ASSERT_EQ(pic.h, 16);
    for (size_t i = 0; i < rgba.size(); i += 4) {
      ASSERT_EQ(pic.rgba[i + 3] < 128, rgba[i + 3] < 128) << ext << " " << i;
      if (rgba[i + 3] >= 128) {
        ASSERT_EQ(pic.rgba[i], rgba[i]) << ext << " " << i;
      }
    }
  }
}
