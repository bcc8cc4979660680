// pek driven as a process: no terminal, TMPDIR pointed at a scratch folder.
// Every picture goes to PEK and back to BMP; the BMP is read again with the
// platform loader and compared with the source.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "platform/picture_io.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using testsup::cRun;
using testsup::read_File;
using testsup::text_Of;
using testsup::run_Program;
using testsup::write_File;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Mean deviation of R, G, B over the opaque source pixels, in tenths of a
// percent (the unit of the quality limit); -1 when the sizes differ.
int32_t deviation(const platform::cPicture& src, const platform::cPicture& out) {
  if (src.w != out.w || src.h != out.h) return -1;
  int64_t sum = 0, n = 0;
  for (size_t i = 0; i + 3 < src.rgba.size(); i += 4) {
    if (src.rgba[i + 3] < 128) continue;
    for (int c = 0; c < 3; ++c) sum += std::abs(int{src.rgba[i + c]} - int{out.rgba[i + c]});
    ++n;
  }
  return n ? static_cast<int32_t>(std::lround(1000.0 * static_cast<double>(sum) / (static_cast<double>(n) * 256 * 3)))
           : 0;
}

// A w x h 24-bit BMP whose colour at (x, y) is colour(x, y).
template <class F>
void write_Bmp(const std::string& path, int32_t w, int32_t h, F colour) {
  platform::cSurface s;
  s.resize(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) s.set_Pixel(x, y, colour(x, y));
  ASSERT_TRUE(platform::save_BMP24(s, path));
}

// Pause of every frame of a GIF, from its control blocks.
std::vector<int> gif_Pauses(const BB& g) {
  std::vector<int> out;
  for (size_t i = 0; i + 5 < g.size(); ++i)
    if (g[i] == 0x21 && g[i + 1] == 0xF9 && g[i + 2] == 4) out.push_back(g[i + 4] | (g[i + 5] << 8));
  return out;
}

class PekRun : public ::testing::Test {
protected:
  testsup::cScratch tmp, work;
  // The log lines of the last run, as the terminal view printed them.
  std::string last;
  cRun pek(const std::string& args) {
    cRun r = run_Program("pek", args, tmp.path(), work.path());
    last = r.out;
    return r;
  }
  const std::string& log() const { return last; }

  // Copies a corpus picture into the work folder, converts it (extra
  // switches before the name) and decodes the PEK file; returns the log of
  // the conversion.
  std::string round_Trip(const std::string& rel, const std::string& name, const std::string& sw = "") {
    fs::copy_file(testsup::corpus(rel), work.file(name));
    return round_Trip_Local(name, sw);
  }
  std::string round_Trip_Local(const std::string& name, const std::string& sw = "") {
    cRun r = pek(sw + work.file(name));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string encodeLog = log();
    EXPECT_TRUE(fs::exists(work.file(name + ".pek"))) << encodeLog;
    r = pek(work.file(name + ".pek"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(work.file(name + ".pek.bmp")));
    return encodeLog;
  }
  int32_t deviation_Of(const std::string& name) {
    platform::cPicture src, out;
    if (!platform::load_Picture(work.file(name), src) || !platform::load_Picture(work.file(name + ".pek.bmp"), out))
      return -1;
    return deviation(src, out);
  }
  // The decoded BMP against the source, within the limit (tenths of a percent).
  void expect_Close(const std::string& name, int32_t limit) {
    const int32_t d = deviation_Of(name);
    EXPECT_GE(d, 0) << name;
    EXPECT_LT(d, limit) << name;
  }
};

}  // namespace

TEST_F(PekRun, StillPicturesOfEveryKindComeBackWithinTheLimit) {
  const struct {
    const char* rel;
    const char* name;
  } kinds[] = {{"images/gif/kolibri_logo.gif", "logo.gif"},
               {"images/bmp/kolibri_face.bmp", "face.bmp"},
               {"images/png/kolibri_img_02.png", "img.png"},
               {"images/jpeg/pillow_hopper.jpg", "hopper.jpg"}};
  for (const auto& k : kinds) {
    const std::string l = round_Trip(k.rel, k.name);
    EXPECT_TRUE(has(l, "Готово. Мин. размер=")) << k.name;
    EXPECT_LT(fs::file_size(work.file(std::string(k.name) + ".pek")), fs::file_size(work.file(k.name))) << k.name;
    // The limit holds against the reduced colours; a photograph's reduction adds to it.
    expect_Close(k.name, std::string(k.name) == "hopper.jpg" ? 50 : 30);
  }
  // The decode reports the header and writes the BMP beside the PEK file.
  const std::string l = log();
  EXPECT_TRUE(has(text_Of(tmp.file("pek.log")), "декодирую=" + work.file("hopper.jpg.pek")));
  EXPECT_TRUE(has(l, "декодирую=" + work.file("hopper.jpg.pek")));
  EXPECT_TRUE(has(l, "тип pek:"));
  EXPECT_TRUE(has(l, "сохраняю пока в bmp24: " + work.file("hopper.jpg.pek.bmp")));
}

TEST_F(PekRun, APathWithBlanksIsTheOneFileNamed) {
  // The last argument is the path whole: "my logo.gif", not "./logo.gif".
  fs::copy_file(testsup::corpus("images/gif/kolibri_logo.gif"), work.file("my logo.gif"));
  fs::copy_file(testsup::corpus("images/gif/kolibri_logo.gif"), work.file("logo.gif"));
  cRun r = testsup::run_Words("pek", {"-off", work.file("my logo.gif")}, tmp.path(), work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(tmp.file("pek_out/my logo.gif.pek")));
  EXPECT_FALSE(fs::exists(tmp.file("pek_out/logo.gif.pek")));
  r = testsup::run_Words("pek", {tmp.file("pek_out/my logo.gif.pek")}, tmp.path(), work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(tmp.file("pek_out/my logo.gif.pek.bmp")));
}

TEST_F(PekRun, MaxQualityKeepsTheColoursCloser) {
  fs::copy_file(testsup::corpus("images/png/kolibri_img_02.png"), work.file("img.png"));
  round_Trip_Local("img.png");
  const int32_t normal = deviation_Of("img.png");
  const int64_t normalSize = static_cast<int64_t>(fs::file_size(work.file("img.png.pek")));
  EXPECT_TRUE(has(round_Trip_Local("img.png", "-max "), "качество=1 % ср. откл. цвета"));
  EXPECT_LE(deviation_Of("img.png"), normal);
  EXPECT_LT(deviation_Of("img.png"), 10);
  EXPECT_GE(static_cast<int64_t>(fs::file_size(work.file("img.png.pek"))), normalSize);
}

TEST_F(PekRun, AnimatedGifKeepsFramesPausesAndTransparency) {
  const std::string rel = "images/gif/pillow_dispose_bgnd_transparency.gif";
  const std::string l = round_Trip(rel, "ani.gif");
  EXPECT_TRUE(has(l, "-это анимационный GIF. Исходный размер="));
  EXPECT_TRUE(has(l, "кадров аним.гиф=10"));
  EXPECT_TRUE(has(l, " +прозрачный"));
  const std::string d = log();
  EXPECT_TRUE(has(d, "есть анимация:"));
  EXPECT_TRUE(has(d, "есть прозрачный цвет"));
  EXPECT_TRUE(has(d, "вертикальных кадров=10"));
  std::string pauses = "паузы=";
  for (int p : gif_Pauses(read_File(testsup::corpus(rel)))) pauses += std::to_string(p & 255) + ",";
  EXPECT_TRUE(has(d, pauses + "\n")) << pauses;
  // Ten frames of the logical screen stacked; transparency shows the marker.
  platform::cPicture out;
  ASSERT_TRUE(platform::load_Picture(work.file("ani.gif.pek.bmp"), out));
  EXPECT_EQ(out.w, 38);
  EXPECT_EQ(out.h, 320);
  bool marker = false;
  for (size_t i = 0; i + 3 < out.rgba.size() && !marker; i += 4)
    marker = out.rgba[i] == 0xC0 && out.rgba[i + 1] == 0xC1 && out.rgba[i + 2] == 0xC0;
  EXPECT_TRUE(marker);
}

TEST_F(PekRun, StripBmpByItsNameMark) {
  // Two frames of 20 x 10 stacked, four colours.
  write_Bmp(work.file("s.`v2.bmp"), 20, 20, [](int32_t x, int32_t y) { return y < 10 ? (x < 10 ? 0xFF : 0xFF00) : (x < 5 ? 0xFF0000 : 0x808080); });
  const std::string l = round_Trip_Local("s.`v2.bmp");
  EXPECT_TRUE(has(l, "это BMP2 c прозрачным=С0С1С0 и анимацией кадров=2"));
  EXPECT_TRUE(has(log(), "вертикальных кадров=2"));
  expect_Close("s.`v2.bmp", 1);
}

TEST_F(PekRun, ForcedTypesAndSizeLimitsDecideWhatIsTried) {
  const auto tried = [&](int t) { return has(log(), "конвертирую в pek тип-" + std::to_string(t) + "."); };
  // Up to 250 colours: " -2 " codes type 2 alone, without type 0 or the reduction.
  fs::copy_file(testsup::corpus("images/gif/kolibri_logo.gif"), work.file("logo.gif"));
  ASSERT_EQ(pek("-2 " + work.file("logo.gif")).status, 0);
  EXPECT_FALSE(tried(0));
  EXPECT_FALSE(tried(1));
  EXPECT_TRUE(tried(2));
  EXPECT_FALSE(tried(3));
  EXPECT_FALSE(has(log(), "после легкого усреднения"));
  EXPECT_EQ(read_File(work.file("logo.gif.pek")), read_File(tmp.file("out.pek2")));
  // " -1 -3 ": the last one wins.
  ASSERT_EQ(pek("-1 -3 " + work.file("logo.gif")).status, 0);
  EXPECT_FALSE(tried(1));
  EXPECT_TRUE(tried(3));
  // The work files of the earlier runs are gone: none can become the output.
  EXPECT_FALSE(fs::exists(tmp.file("out.pek2")));

  // Over 250 colours the switch is ignored: the automatic choice runs.
  fs::copy_file(testsup::corpus("images/jpeg/pillow_hopper.jpg"), work.file("hopper.jpg"));
  ASSERT_EQ(pek("-3 " + work.file("hopper.jpg")).status, 0);
  EXPECT_TRUE(tried(0));
  EXPECT_TRUE(tried(1));

  // Three colours and a forced type 3: type 1 only.
  write_Bmp(work.file("three.bmp"), 40, 30, [](int32_t x, int32_t) { return x < 10 ? 0xFF : x < 20 ? 0xFF00 : 0xFF0000; });
  pek("-3 " + work.file("three.bmp"));
  EXPECT_TRUE(tried(1));
  EXPECT_FALSE(tried(2));
  EXPECT_FALSE(tried(3));

  // One colour: type 0 only, also when a type is forced.
  write_Bmp(work.file("one.bmp"), 64, 64, [](int32_t, int32_t) { return 0x123456; });
  ASSERT_EQ(pek("-2 " + work.file("one.bmp")).status, 0);
  EXPECT_TRUE(tried(0));
  EXPECT_FALSE(tried(1));
  EXPECT_FALSE(tried(2));

  // Wider than 1000: types 0 and 1; wider than 5000: type 0 alone.
  const auto stripes = [](int32_t x, int32_t y) { return ((x / 7 + y / 3) % 6) * 0x203040; };
  write_Bmp(work.file("wide.bmp"), 1100, 8, stripes);
  pek(work.file("wide.bmp"));
  EXPECT_TRUE(tried(0));
  EXPECT_TRUE(tried(1));
  EXPECT_FALSE(tried(2));
  write_Bmp(work.file("huge.bmp"), 5100, 2, stripes);
  pek(work.file("huge.bmp"));
  EXPECT_TRUE(tried(0));
  EXPECT_FALSE(tried(1));
}

TEST_F(PekRun, OffWritesIntoPekOutAndStarDecodesTheFolder) {
  fs::copy_file(testsup::corpus("images/gif/kolibri_logo.gif"), work.file("logo.gif"));
  cRun r = pek("-off " + work.file("logo.gif"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(fs::exists(work.file("logo.gif.pek")));
  ASSERT_TRUE(fs::exists(tmp.file("pek_out/logo.gif.pek")));
  EXPECT_FALSE(has(r.out, "автоматически закроется"));  // quits at once

  fs::copy_file(tmp.file("pek_out/logo.gif.pek"), work.file("a.pek"));
  fs::copy_file(tmp.file("pek_out/logo.gif.pek"), work.file("b.pek"));
  write_File(work.file("bad.pek"), {1, 2, 3, 4, 5});  // skipped silently
  r = run_Program("pek", "*", tmp.path(), work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(work.file("a.pek.bmp")));
  EXPECT_TRUE(fs::exists(work.file("b.pek.bmp")));
  EXPECT_FALSE(fs::exists(work.file("bad.pek.bmp")));
  EXPECT_EQ(read_File(work.file("a.pek.bmp")), read_File(work.file("b.pek.bmp")));
}

TEST_F(PekRun, FailuresEndWithTheirMessageAndNoOutput) {
  cRun r = pek(work.file("missing.gif"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "нет файла:" + work.file("missing.gif")));

  write_File(work.file("text.gif"), BB(300, 'x'));
  r = pek(work.file("text.gif"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(log(), "этот формат не картинка или поврежден"));
  EXPECT_TRUE(has(log(), "err load"));
  EXPECT_FALSE(fs::exists(work.file("text.gif.pek")));

  // A PEK file cut short does not unpack.
  fs::copy_file(testsup::corpus("images/gif/kolibri_logo.gif"), work.file("logo.gif"));
  ASSERT_EQ(pek(work.file("logo.gif")).status, 0);
  BB pekFile = read_File(work.file("logo.gif.pek"));
  pekFile.resize(pekFile.size() / 2);
  write_File(work.file("cut.pek"), pekFile);
  r = pek(work.file("cut.pek"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "error="));
  EXPECT_FALSE(fs::exists(work.file("cut.pek.bmp")));

  // Eight close colours of an animation merge into one: types 1-3 have
  // nothing to code. The run ends through the normal end: log written, status 1.
  fs::copy_file(testsup::corpus("images/gif/pillow_star.gif"), work.file("star.gif"));
  r = pek(work.file("star.gif"));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "err color"));
  EXPECT_FALSE(fs::exists(work.file("star.gif.pek")));
  EXPECT_TRUE(has(text_Of(tmp.file("pek.log")), "после легкого усреднения осталось=1 цветов"));

  // No arguments: the help, and the run counts as failed (the window stays).
  r = pek("");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.out, "pek [ключи] путь"));
}

TEST_F(PekRun, BriskHandsAPekFileToPek) {
  fs::copy_file(testsup::corpus("images/gif/kolibri_logo.gif"), work.file("logo.gif"));
  ASSERT_EQ(pek(work.file("logo.gif")).status, 0);
  cRun r = run_Program("brisk", work.file("logo.gif.pek"), tmp.path(), work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has(r.out, "разжимаем внешней прогой"));
  // pek runs on its own after brisk has ended.
  const std::string bmp = work.file("logo.gif.pek.bmp");
  for (int i = 0; i < 300 && !(fs::exists(bmp) && fs::file_size(bmp) == 54 + 540 * 3 * 38); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(fs::exists(bmp));
  EXPECT_EQ(fs::file_size(bmp), 54u + 540 * 3 * 38);
}
