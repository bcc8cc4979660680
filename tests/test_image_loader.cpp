// The platform picture loader against an independent decoder (ImageMagick's
// convert), on every picture of the corpus, plus the alpha rule, the size
// cap, the BMP saver and damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/picture_io.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using platform::cPicture;

namespace {

// RGBA rows of the first image as convert decodes it (the frame's own size).
bool convert_RGBA(const std::string& file, int32_t& w, int32_t& h, BB& rgba) {
  const std::string q = "'" + file + "[0]'";
  FILE* p = ::popen(("convert " + q + " -format '%w %h' info:- 2>/dev/null").c_str(), "r");
  if (!p) return false;
  int ok = std::fscanf(p, "%d %d", &w, &h);
  ::pclose(p);
  if (ok != 2 || w <= 0 || h <= 0) return false;
  p = ::popen(("convert " + q + " -depth 8 rgba:- 2>/dev/null").c_str(), "r");
  if (!p) return false;
  rgba.assign(4 * static_cast<size_t>(w) * h, 0);
  size_t got = std::fread(rgba.data(), 1, rgba.size(), p);
  ::pclose(p);
  return got == rgba.size();
}

// Number of images convert finds in a file.
int image_Count(const std::string& file) {
  FILE* p = ::popen(("identify '" + file + "' 2>/dev/null").c_str(), "r");
  if (!p) return 0;
  int lines = 0;
  for (int c; (c = std::fgetc(p)) != EOF;) lines += c == '\n';
  ::pclose(p);
  return lines;
}

std::vector<std::string> corpus_Files(const std::string& sub) {
  std::vector<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(testsup::corpus("images/" + sub)))
    if (e.is_regular_file()) out.push_back(e.path().string());
  std::sort(out.begin(), out.end());
  return out;
}

// Pixels that differ beyond `tol` per channel; transparency must agree.
int64_t mismatches(const cPicture& pic, const BB& ref, int tol) {
  int64_t bad = 0;
  for (size_t i = 0; i < ref.size(); i += 4) {
    const bool tA = pic.rgba[i + 3] < 128, tB = ref[i + 3] < 128;
    if (tA != tB) {
      ++bad;
      continue;
    }
    if (tA) continue;
    for (int c = 0; c < 3; ++c)
      if (std::abs(pic.rgba[i + c] - ref[i + c]) > tol) {
        ++bad;
        break;
      }
  }
  return bad;
}

void expect_Like_Convert(const std::string& file, int tol) {
  SCOPED_TRACE(file);
  cPicture pic;
  ASSERT_TRUE(platform::load_Picture(file, pic));
  int32_t w = 0, h = 0;
  BB ref;
  // A few corpus files are beyond convert (RLE data longer than its
  // header says, embedded JPEG/PNG, 2-bit pixels); ours must still load them.
  if (!convert_RGBA(file, w, h, ref)) return;
  ASSERT_EQ(pic.w, w);
  ASSERT_EQ(pic.h, h);
  EXPECT_EQ(mismatches(pic, ref, tol), 0);
}

}  // namespace

TEST(PictureLoader, CorpusGifPngBmpMatchConvert) {
  for (const char* sub : {"gif", "png", "bmp"})
    for (const auto& file : corpus_Files(sub)) expect_Like_Convert(file, 0);
}

TEST(PictureLoader, CorpusJpegMatchesConvert) {
  for (const auto& file : corpus_Files("jpeg")) expect_Like_Convert(file, 0);
}

TEST(PictureLoader, MalformedFilesFailOrSurvive) {
  // Damaged files may decode to something or fail; they must not crash.
  // These cannot be read honestly: a bit count that does not exist, a size
  // past the cap or the file, a cut file, a zero width, broken LZW data.
  const std::vector<std::string> mustFail = {
      "bmpsuite_b_badbitcount.bmp", "bmpsuite_b_reallybig.bmp", "bmpsuite_b_shortfile.bmp",
      "pillow_decompression_bomb.gif", "pillow_zero_width.gif", "libnsgif_afl_1.gif",
      "libnsgif_afl_2.gif", "libnsgif_afl_3.gif", "libnsgif_afl_4.gif"};
  for (const auto& file : corpus_Files("malformed")) {
    cPicture pic;
    const bool ok = platform::load_Picture(file, pic);
    if (ok) {
      EXPECT_EQ(pic.rgba.size(), 4u * pic.w * pic.h) << file;
    }
    const std::string name = fs::path(file).filename().string();
    if (std::find(mustFail.begin(), mustFail.end(), name) != mustFail.end()) {
      EXPECT_FALSE(ok) << file;
    }
  }
}

TEST(PictureLoader, CutFilesFail) {
  // Every still corpus picture cut to half its length: a failure, never a
  // crash (JPEG and GIF data end early, PNG misses its chunks, BMP its rows).
  // An animation cut after its first image still has that image.
  for (const char* sub : {"gif", "png", "jpeg", "bmp"})
    for (const auto& file : corpus_Files(sub)) {
      BB data = testsup::read_File(file);
      if (data.size() < 200 || image_Count(file) != 1) continue;
      data.resize(data.size() / 2);
      cPicture pic;
      EXPECT_FALSE(platform::decode_Picture(data, pic)) << file;
    }
}
