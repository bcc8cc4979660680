// Animated GIFs into a frame strip: the corpus against an independent
// decoder frame by frame, and built files for the structure's edge cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "pek/cImage.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------- a small GIF writer

struct cFrameDesc {
  int32_t left = 0, top = 0, w = 1, h = 1;
  int32_t delay = 10;
  int32_t transparent = -1;  // palette index, -1 none
  BB pixels;                 // palette indexes, w * h
  bool gce = true;
  BB comment;                // a comment extension written before the frame
};

void put16(BB& b, int32_t v) {
  b.push_back(static_cast<uint8_t>(v & 255));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

// LZW with code size 8 that never lets the table grow past 9-bit codes:
// one code per pixel and a clear code every 250 pixels.
void put_Pixels(BB& out, const BB& px) {
  BB data;
  uint32_t acc = 0;
  int bits = 0;
  auto code = [&](uint32_t c) {
    acc |= c << bits;
    bits += 9;
    while (bits >= 8) {
      data.push_back(static_cast<uint8_t>(acc & 255));
      acc >>= 8;
      bits -= 8;
    }
  };
  for (size_t i = 0; i < px.size(); ++i) {
    if (i % 250 == 0) code(256);
    code(px[i]);
  }
  code(257);
  if (bits > 0) data.push_back(static_cast<uint8_t>(acc & 255));
  out.push_back(8);
  for (size_t p = 0; p < data.size(); p += 255) {
    const size_t n = std::min<size_t>(255, data.size() - p);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(p),
               data.begin() + static_cast<std::ptrdiff_t>(p + n));
  }
  out.push_back(0);
}

// A GIF with a 256-entry global table; `pal` gives the first entries.
BB make_GIF(int32_t W, int32_t H, const std::vector<int32_t>& pal, const std::vector<cFrameDesc>& frames,
            uint8_t lastTableByte = 0) {
  BB g = {'G', 'I', 'F', '8', '9', 'a'};
  put16(g, W);
  put16(g, H);
  g.push_back(0xF7);  // global table of 256 entries
  g.push_back(0);
  g.push_back(0);
  for (int32_t i = 0; i < 256; ++i) {
    const int32_t c = i < static_cast<int32_t>(pal.size()) ? pal[static_cast<size_t>(i)] : 0;
    g.push_back(static_cast<uint8_t>(c & 255));
    g.push_back(static_cast<uint8_t>((c >> 8) & 255));
    g.push_back(static_cast<uint8_t>((c >> 16) & 255));
  }
  g.back() = lastTableByte;
  for (const cFrameDesc& f : frames) {
    if (!f.comment.empty()) {
      g.push_back(0x21);
      g.push_back(0xFE);
      g.push_back(static_cast<uint8_t>(f.comment.size()));
      g.insert(g.end(), f.comment.begin(), f.comment.end());
      g.push_back(0);
    }
    if (f.gce) {
      g.insert(g.end(), {0x21, 0xF9, 4, static_cast<uint8_t>(f.transparent >= 0 ? 1 : 0)});
      put16(g, f.delay);
      g.push_back(static_cast<uint8_t>(f.transparent >= 0 ? f.transparent : 0));
      g.push_back(0);
    }
    g.push_back(0x2C);
    put16(g, f.left);
    put16(g, f.top);
    put16(g, f.w);
    put16(g, f.h);
    g.push_back(0);
    put_Pixels(g, f.pixels);
  }
  g.push_back(0x3B);
  return g;
}

cFrameDesc solid(int32_t w, int32_t h, uint8_t idx, int32_t delay = 10) {
  cFrameDesc f;
  f.w = w;
  f.h = h;
  f.delay = delay;
  f.pixels.assign(static_cast<size_t>(w) * h, idx);
  return f;
}

// The strip's colours again: palette colours, kMarker for transparent pixels.
TT strip_Colours(const cImage& img) {
  TT out(img.nPix.size());
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = img.nPix[i] < 0 ? cImage::kMarker : img.cPal24[static_cast<size_t>(img.nPix[i])];
  return out;
}

class GifSplit : public ::testing::Test {
protected:
  void SetUp() override {
    ::setenv("TMPDIR", scratch.path().c_str(), 1);
    platform::set_MsgBox(&box);
  }
  void TearDown() override {
    platform::set_MsgBox(nullptr);
    ::unsetenv("TMPDIR");
  }
  std::string write(const std::string& name, const BB& data) {
    testsup::write_File(scratch.file(name), data);
    return scratch.file(name);
  }
  std::string frame_File(const std::string& input, int i) {
    return scratch.path() + "PEKtmp/" + input + "." + std::to_string(i) + ".gif";
  }
  testsup::cScratch scratch;
  platform::cRecordingMsgBox box;
};

// ---------------------------------------------------------------- the independent decoder

struct cRefFrame {
  int32_t w = 0, h = 0, x = 0, y = 0, delay = 0;
  BB rgba;
};

std::string run_Text(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  ::pclose(p);
  return out;
}

// Every frame by itself (no disposal, no combining), as convert decodes it.
std::vector<cRefFrame> convert_Frames(const std::string& file) {
  std::vector<cRefFrame> frames;
  std::string info = run_Text("identify -format '%w %h %X %Y %T\\n' '" + file + "' 2>/dev/null");
  for (size_t p = 0; p < info.size();) {
    size_t e = info.find('\n', p);
    cRefFrame f;
    if (std::sscanf(info.c_str() + p, "%d %d %d %d %d", &f.w, &f.h, &f.x, &f.y, &f.delay) == 5)
      frames.push_back(f);
    p = e == std::string::npos ? info.size() : e + 1;
  }
  std::string raw = run_Text("convert '" + file + "' -depth 8 rgba:- 2>/dev/null");
  size_t p = 0;
  for (cRefFrame& f : frames) {
    const size_t n = 4 * static_cast<size_t>(f.w) * f.h;
    if (p + n > raw.size()) return {};
    f.rgba.assign(raw.begin() + static_cast<std::ptrdiff_t>(p), raw.begin() + static_cast<std::ptrdiff_t>(p + n));
    p += n;
  }
  return frames;
}

std::vector<std::string> animated_Corpus() {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(testsup::corpus("images/gif"))) out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

// ---------------------------------------------------------------- corpus

TEST_F(GifSplit, CorpusFramesMatchConvertFrameByFrame) {
  int animated = 0;
  for (const std::string& file : animated_Corpus()) {
    SCOPED_TRACE(file);
    const std::vector<cRefFrame> ref = convert_Frames(file);
    ASSERT_FALSE(ref.empty());
    cImage img;
    const bool split = img.split_GIF(file);
    EXPECT_EQ(split, ref.size() >= 2);
    if (!split) continue;
    ++animated;
    ASSERT_EQ(img.get_kol_kadrov(), static_cast<int32_t>(ref.size()));
    const int32_t W = img.get_Wk(), H = img.get_Hk();
    const TT colours = strip_Colours(img);
    ASSERT_EQ(colours.size(), static_cast<size_t>(W) * H * ref.size());
    bool anyTransparent = false;
    for (size_t k = 0; k < ref.size(); ++k) {
      const cRefFrame& f = ref[k];
      EXPECT_EQ(img.Paus[k], static_cast<uint8_t>(f.delay & 255)) << "frame " << k;
      // The frame on a transparent canvas at its place on the screen.
      TT want(static_cast<size_t>(W) * H, cImage::kMarker);
      for (int32_t y = 0; y < f.h; ++y)
        for (int32_t x = 0; x < f.w; ++x) {
          const uint8_t* p = f.rgba.data() + 4 * (static_cast<size_t>(y) * f.w + x);
          if (p[3] < 128) continue;
          int32_t c = p[0] + 256 * p[1] + 65536 * p[2];
          if (c == cImage::kMarker) c = cImage::kMarkerOpaque;
          ASSERT_LT(f.x + x, W);
          ASSERT_LT(f.y + y, H);
          want[static_cast<size_t>(f.y + y) * W + f.x + x] = c;
        }
      int64_t bad = 0;
      for (size_t i = 0; i < want.size(); ++i) {
        anyTransparent |= want[i] == cImage::kMarker;
        bad += colours[k * want.size() + i] != want[i];
      }
      EXPECT_EQ(bad, 0) << "frame " << k;
    }
    EXPECT_EQ(img.flagProzr, anyTransparent);
    EXPECT_TRUE(img.flagGIFa);
    EXPECT_FALSE(img.flagGK);
  }
  EXPECT_GE(animated, 20);
}

// The frame files a byte search for 00 21 F9 04 cuts: the header, then
// from each control block to the zero before the next one, then 0 and ";".
std::vector<BB> pattern_Frames(const BB& a) {
  std::vector<BB> out;
  if (a.size() < 13) return out;
  size_t L = 13 + ((a[10] & 0x80) ? 3 * (size_t{2} << (a[10] & 7)) : 0);
  const BB pat = {0, 0x21, 0xF9, 4};
  auto find = [&](size_t from) {
    auto it = std::search(a.begin() + static_cast<std::ptrdiff_t>(std::min(from, a.size())), a.end(), pat.begin(),
                          pat.end());
    return it == a.end() ? std::string::npos : static_cast<size_t>(it - a.begin());
  };
  size_t p = find(L);
  while (p != std::string::npos) {
    size_t q = find(p + 18);
    const bool last = q == std::string::npos;
    if (last) q = a.size() - 2;
    BB f(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(L));
    f.insert(f.end(), a.begin() + static_cast<std::ptrdiff_t>(p + 1), a.begin() + static_cast<std::ptrdiff_t>(q));
    f.push_back(0);
    f.push_back(59);
    out.push_back(f);
    if (last) break;
    p = q;
  }
  return out;
}

TEST_F(GifSplit, CorpusFrameFilesAreThoseOfTheByteSearchWhereItWorks) {
  int compared = 0;
  for (const std::string& file : animated_Corpus()) {
    const BB a = testsup::read_File(file);
    const std::vector<BB> want = pattern_Frames(a);
    const std::vector<cRefFrame> ref = convert_Frames(file);
    // Only where the search finds every frame once and the file ends cleanly.
    if (want.size() != ref.size() || a.size() < 2 || a[a.size() - 1] != 0x3B || a[a.size() - 2] != 0) continue;
    cImage img;
    img.split_GIF(file);
    const std::string name = fs::path(file).filename().string();
    for (size_t i = 0; i < want.size(); ++i)
      EXPECT_EQ(testsup::read_File(frame_File(name, static_cast<int>(i))), want[i]) << file << " frame " << i;
    ++compared;
  }
  EXPECT_GE(compared, 15);
}

TEST_F(GifSplit, MalformedCorpusFailsCleanly) {
  for (const auto& e : fs::directory_iterator(testsup::corpus("images/malformed"))) {
    if (e.path().extension() != ".gif") continue;
    cImage img;
    if (img.split_GIF(e.path().string())) {
      EXPECT_EQ(img.nPix.size(), static_cast<size_t>(img.get_wh_Pic())) << e.path();
    }
  }
}

// ---------------------------------------------------------------- built files

TEST_F(GifSplit, OneFrameIsNoAnimationButItsFrameFileIsWritten) {
  const std::string in = write("one.gif", make_GIF(4, 3, {0x112233}, {solid(4, 3, 0)}));
  cImage img;
  EXPECT_FALSE(img.split_GIF(in));
  EXPECT_TRUE(fs::exists(frame_File("one.gif", 0)));
  EXPECT_FALSE(img.flagGIFa);
}

TEST_F(GifSplit, FrameFilesAreHeaderPlusTheFrameBlocks) {
  const BB gif = make_GIF(4, 3, {0x112233, 0x445566}, {solid(4, 3, 0, 7), solid(4, 3, 1, 9)});
  // Where the second frame's control block starts: after frame 0 alone.
  const size_t second = make_GIF(4, 3, {0x112233, 0x445566}, {solid(4, 3, 0, 7)}).size() - 1;
  const std::string in = write("two.gif", gif);
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  const size_t L = 13 + 768;
  const BB f0 = testsup::read_File(frame_File("two.gif", 0)), f1 = testsup::read_File(frame_File("two.gif", 1));
  BB want0(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(second));
  want0.push_back(0x3B);
  EXPECT_EQ(f0, want0);
  BB want1(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(L));
  want1.insert(want1.end(), gif.begin() + static_cast<std::ptrdiff_t>(second), gif.end());
  EXPECT_EQ(f1, want1);
  EXPECT_EQ(img.Paus, (BB{7, 9}));
  EXPECT_TRUE(img.flagRaznPaus);
}

TEST_F(GifSplit, TableEndingInNonZeroKeepsTheFirstFrame) {
  // A byte search for 00 21 F9 04 misses the first control block here.
  const std::string in =
      write("t.gif", make_GIF(2, 2, {0x0000FF, 0x00FF00}, {solid(2, 2, 0), solid(2, 2, 1), solid(2, 2, 0)}, 0x7F));
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  EXPECT_EQ(img.get_kol_kadrov(), 3);
  const TT c = strip_Colours(img);
  EXPECT_EQ(c[0], 0x0000FF);
  EXPECT_EQ(c[4], 0x00FF00);
  EXPECT_EQ(c[8], 0x0000FF);
}

TEST_F(GifSplit, PatternInsideBlockDataDoesNotCutAFrame) {
  std::vector<cFrameDesc> frames = {solid(2, 2, 0), solid(2, 2, 1)};
  frames[1].comment = {0x00, 0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x2C};
  const std::string in = write("c.gif", make_GIF(2, 2, {0x0000FF, 0x00FF00}, frames));
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  EXPECT_EQ(img.get_kol_kadrov(), 2);
  EXPECT_EQ(img.Paus, (BB{10, 10}));
}

TEST_F(GifSplit, Frames250AreSplit251AreRefused) {
  for (int n : {250, 251}) {
    std::vector<cFrameDesc> frames(static_cast<size_t>(n), solid(1, 1, 0));
    const std::string in = write("n" + std::to_string(n) + ".gif", make_GIF(1, 1, {0x00FF00}, frames));
    cImage img;
    box.clear();
    EXPECT_EQ(img.split_GIF(in), n == 250);
    EXPECT_EQ(box.saw("err: макс. 250 кадров"), n == 251);
    if (n == 250) {
      EXPECT_EQ(img.get_kol_kadrov(), 250);
    }
  }
}

TEST_F(GifSplit, PausesKeepTheLowByteAndTheDifferFlag) {
  const std::string in = write("p.gif", make_GIF(1, 1, {1}, {solid(1, 1, 0, 300), solid(1, 1, 0, 300)}));
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  EXPECT_EQ(img.Paus, (BB{44, 44}));
  EXPECT_FALSE(img.flagRaznPaus);
  const std::string in2 = write("q.gif", make_GIF(1, 1, {1}, {solid(1, 1, 0, 10), solid(1, 1, 0, 20), solid(1, 1, 0, 10)}));
  ASSERT_TRUE(img.split_GIF(in2));
  EXPECT_TRUE(img.flagRaznPaus);
}

TEST_F(GifSplit, FramesStandAtTheirPlacesWithMarkerMargins) {
  cFrameDesc big = solid(40, 30, 0), small = solid(10, 10, 1);
  small.left = 5;
  small.top = 7;
  const std::string in = write("m.gif", make_GIF(40, 30, {0x101010, 0x202020}, {big, small}));
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  ASSERT_EQ(img.get_Wk(), 40);
  ASSERT_EQ(img.get_Hk(), 30);
  const TT c = strip_Colours(img);
  const size_t f1 = 40 * 30;
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const bool inside = x >= 5 && x < 15 && y >= 7 && y < 17;
      ASSERT_EQ(c[f1 + static_cast<size_t>(y) * 40 + x], inside ? 0x202020 : cImage::kMarker) << x << "," << y;
    }
  EXPECT_TRUE(img.flagProzr);  // only frame 1's margins hold the marker
}

TEST_F(GifSplit, CanvasGrowsForFramesBeyondFrameZero) {
  // Frame 0 smaller than the screen and offset; frame 1 reaches past frame 0.
  cFrameDesc a = solid(4, 4, 0), b = solid(8, 6, 1);
  a.left = 3;
  a.top = 2;
  const std::string in = write("g.gif", make_GIF(8, 6, {0x0000AA, 0x00AA00}, {a, b}));
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  EXPECT_EQ(img.get_Wk(), 8);
  EXPECT_EQ(img.get_Hk(), 6);
  const TT c = strip_Colours(img);
  EXPECT_EQ(c[2 * 8 + 3], 0x0000AA);
  EXPECT_EQ(c[0], cImage::kMarker);
  EXPECT_EQ(c[48 + 47], 0x00AA00);
}

TEST_F(GifSplit, OpaqueMarkerColourAndTransparentPixels) {
  cFrameDesc f = solid(2, 1, 0);
  f.pixels = {0, 1};
  f.transparent = 1;
  const std::string in = write("o.gif", make_GIF(2, 1, {cImage::kMarker, 0x123456}, {f, f}));
  cImage img;
  ASSERT_TRUE(img.split_GIF(in));
  ASSERT_EQ(img.nPix.size(), 4u);
  EXPECT_EQ(img.cPal24[static_cast<size_t>(img.nPix[0])], cImage::kMarkerOpaque);
  EXPECT_EQ(img.nPix[1], -1);
  EXPECT_TRUE(img.flagProzr);
  EXPECT_EQ(std::find(img.cPal24.begin(), img.cPal24.end(), cImage::kMarker), img.cPal24.end());
}

TEST_F(GifSplit, SlowModeWritesAStripTheNameTestAccepts) {
  const std::string in = write("s.gif", make_GIF(3, 2, {0x0000FF, 0x00FF00}, {solid(3, 2, 0), solid(3, 2, 1)}));
  cImage img;
  img.flagFast = false;
  ASSERT_TRUE(img.split_GIF(in));
  const std::string strip = scratch.path() + "PEKtmp/s.gif.`v2.bmp";
  ASSERT_TRUE(fs::exists(strip));
  cImage back;
  back.kolKadrovBMP2(strip);
  EXPECT_TRUE(back.flagBMP2);
  EXPECT_EQ(back.get_kol_kadrov(), 2);
  EXPECT_FALSE(back.flagGK);
  int32_t w = 0, h = 0;
  const TT px = back.load_BMP(strip, w, h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 4);
  EXPECT_EQ(px, strip_Colours(img));
}
