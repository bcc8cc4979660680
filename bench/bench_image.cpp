// Picture loading and colour reduction: a 4000 x 3000 JPEG and a 250-frame
// animated GIF (both made by ImageMagick from corpus pictures), side by side
// with ImageMagick decoding the same file and counting its colours.
// Processor time, median of 3 runs.
//
//   bench_image [corpus folder]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "bench_util.h"
#include "pek/cImage.h"
#include "platform/msg_box.h"

namespace {

double time_Median(const std::function<void()>& run, int n = 3) {
  std::vector<double> t;
  for (int i = 0; i < n; ++i) {
    const double t0 = bench::cpu_Now();
    run();
    t.push_back(bench::cpu_Now() - t0);
  }
  return bench::median(t);
}

// Wall time of a shell command (ImageMagick runs in a child process).
double time_Command(const std::string& cmd, int n = 3) {
  std::vector<double> t;
  for (int i = 0; i < n; ++i) {
    timespec a{}, b{};
    clock_gettime(CLOCK_MONOTONIC, &a);
    if (std::system(cmd.c_str()) != 0) return -1;
    clock_gettime(CLOCK_MONOTONIC, &b);
    t.push_back(static_cast<double>(b.tv_sec - a.tv_sec) + 1e-9 * static_cast<double>(b.tv_nsec - a.tv_nsec));
  }
  return bench::median(t);
}

bool shell(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

void bench_Still(const std::string& file) {
  cImage img;
  TT colours;
  const double tLoad = time_Median([&] { colours = img.get_Pic_prozr(file); });
  const double px = static_cast<double>(colours.size());
  TT idx, pp, ff;
  const double tCount = time_Median([&] {
    idx = colours;
    img.get_pp_ff(idx, pp, ff);
  });
  const double tSort = time_Median([&] {
    TT i2 = idx, p2 = pp, f2 = ff;
    img.pix_zamena_ff(i2, p2, f2);
  });
  img.nPix = idx;
  img.cPal24 = pp;
  img.fPal24 = ff;
  img.pix_zamena_ff(img.nPix, img.cPal24, img.fPal24);
  const TT n0 = img.nPix, p0 = img.cPal24, f0 = img.fPal24;
  const double tAvg = time_Median([&] {
    img.set_nPix_cPal24_fPal24(n0, p0, f0);
    img.usredn_Pix();
  });
  const double tMagick = time_Command("identify -format '%k' '" + file + "' >/dev/null");
  std::printf("%s: %dx%d, %zu colours -> %d after averaging\n", file.c_str(), img.get_Wk(), img.get_Hk(), pp.size(),
              img.get_le_cPal_24());
  std::printf("  load+transparency %.3f s | get_pp_ff %.3f s (%.0f Mpixel/s) | pix_zamena_ff %.3f s | usredn_Pix %.3f s\n",
              tLoad, tCount, px / tCount / 1e6, tSort, tAvg);
  std::printf("  total %.3f s; ImageMagick decode + colour count (identify %%k) %.3f s wall\n",
              tLoad + tCount + tSort + tAvg, tMagick);
}

void bench_Animated(const std::string& file) {
  cImage img;
  bool ok = false;
  const double tSplit = time_Median([&] { ok = img.split_GIF(file); });
  if (!ok) {
    std::printf("%s: not split\n", file.c_str());
    return;
  }
  const TT n0 = img.nPix, p0 = img.cPal24, f0 = img.fPal24;
  const double tAvg = time_Median([&] {
    img.set_nPix_cPal24_fPal24(n0, p0, f0);
    img.usredn_Pix();
  });
  const double tMagick = time_Command("identify -format '%k\\n' '" + file + "' >/dev/null");
  std::printf("%s: %d frames of %dx%d, %zu colours -> %d after averaging\n", file.c_str(), img.get_kol_kadrov(),
              img.get_Wk(), img.get_Hk(), p0.size(), img.get_le_cPal_24());
  std::printf("  split_GIF (frame files, loader, canvas, palette) %.3f s | usredn_Pix %.3f s | total %.3f s\n", tSplit,
              tAvg, tSplit + tAvg);
  std::printf("  ImageMagick decode of every frame + colour counts (identify %%k) %.3f s wall\n", tMagick);
}

}  // namespace

int main(int argc, char** argv) {
  static platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  const std::string corpus = argc > 1 ? std::string(argv[1]) + "/" : "/work/shared/corpus/";
  const std::string dir = std::filesystem::temp_directory_path().string() + "/bench_image." + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  ::setenv("TMPDIR", dir.c_str(), 1);
  const std::string jpg = dir + "/big.jpg", gif = dir + "/anim250.gif", chi = corpus + "images/gif/pillow_chi.gif";
  if (!shell("convert '" + corpus + "images/jpeg/pillow_flower.jpg' -resize '4000x3000!' -quality 92 '" + jpg + "'")) {
    std::fprintf(stderr, "convert failed\n");
    return 1;
  }
  std::string frames;
  for (int i = 0; i < 8; ++i) frames += " '" + chi + "'";
  if (!shell("convert" + frames + " '" + chi + "[0-1]' '" + gif + "'")) return 1;
  bench_Still(jpg);
  bench_Animated(gif);
  std::filesystem::remove_all(dir);
  return 0;
}
