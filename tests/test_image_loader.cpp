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
  for (const auto& file : corpus_Files("malformed")) {
    cPicture pic;
    if (platform::load_Picture(file, pic)) {
      EXPECT_EQ(pic.rgba.size(), 4u * pic.w * pic.h) << file;
    }
  }
}
