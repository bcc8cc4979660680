// The PEK variant search of one coding type on a 640 x 480 picture of at
// most 250 colours: candidates per second and seconds per picture (CPU time,
// median of the runs; wall time in brackets).
//
// Usage: bench_pek_search [picture [type [runs [-0]]]]. The picture (default:
// the corpus flower photograph) is tiled or cut to 640 x 480 and its colours
// reduced as the converter does; -0 runs the slow search of 256 candidates.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"
#include "pek/cImage.h"
#include "platform/msg_box.h"

int main(int argc, char** argv) {
  static platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  cImage src;
  // The corpus sits beside the checkout; SUITE_CORPUS overrides that, and
  // /work/shared/corpus is the machine's copy.
  std::string corpus = std::getenv("SUITE_CORPUS") ? std::string(std::getenv("SUITE_CORPUS")) + "/" : SUITE_CORPUS_DIR;
  if (!src.file().exist_File(corpus + "MANIFEST.md")) corpus = "/work/shared/corpus/";
  const std::string file = argc > 1 && argv[1][0] ? argv[1] : corpus + "images/jpeg/pillow_flower.jpg";
  const int32_t tip = argc > 2 ? std::atoi(argv[2]) : 2;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  const bool slow = argc > 4 && std::string(argv[4]) == "-0";
  TT pic = src.get_Pic_prozr(file);
  if (pic.empty()) {
    std::fprintf(stderr, "cannot load %s\n", file.c_str());
    return 1;
  }
  const int32_t w0 = src.Wk, h0 = src.Hk, W = 640, H = 480;
  TT tiled(static_cast<size_t>(W) * H);
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x)
      tiled[static_cast<size_t>(y) * W + x] = pic[static_cast<size_t>(y % h0) * w0 + x % w0];
  for (int32_t threads : {1, 4}) {
    std::vector<double> cpu, wall;
    int32_t kol = 0;
    size_t size = 0, colours = 0;
    for (int r = 0; r < runs; ++r) {
      cImage im;
      im.set_tab_Path(im.file().getAppPath());
      im.Wk = W, im.Hk = H, im.kolKadrov = 1, im.Paus = {0};
      im.nPix = tiled;
      im.get_pp_ff(im.nPix, im.cPal24, im.fPal24);
      im.pix_zamena_ff(im.nPix, im.cPal24, im.fPal24);
      im.usredn_Pix();
      im.flagFast = !slow;
      im.nThreads = threads;
      colours = im.cPal24.size();
      const double c0 = bench::cpu_Now();
      const auto t0 = std::chrono::steady_clock::now();
      const BB pek = im.bmp_to_Pek(tip, 3);
      cpu.push_back(bench::cpu_Now() - c0);
      wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
      kol = im.kolVariant;
      size = pek.size();
    }
    const double c = bench::median(cpu), wl = bench::median(wall);
    std::printf(
        "%s 640x480, %zu colours, type %d, %d thread(s): %d candidates, %zu bytes; %.2f s CPU, %.2f s wall, "
        "%.1f candidates/s (wall)\n",
        file.c_str(), colours, tip, threads, kol, size, c, wl, kol / wl);
  }
  return 0;
}
