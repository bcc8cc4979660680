// nox's text side on whole files.
//   bench_nox_text detect file...   one line per file: the encoding name found
//   bench_nox_text speed file...    detection, forward and backward reformatting
//                                   in MB/s of the input (CPU time, median of 5)
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "nox/ModuleTextPre.h"
#include "bench_util.h"
#include "platform/msg_box.h"

namespace {

BB read_All(const char* path) {
  std::ifstream f(path, std::ios::binary);
  return BB(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

template <class F>
double median_Seconds(F&& run) {
  std::vector<double> t;
  for (int k = 0; k < 5; ++k) {
    double a = bench::cpu_Now();
    run();
    t.push_back(bench::cpu_Now() - a);
  }
  return bench::median(t);
}

void speed(const char* path) {
  const BB src = read_All(path);
  const double mb = static_cast<double>(src.size()) / 1e6;
  std::string found;
  BB win;
  double tDetect = median_Seconds([&] {
    win = src;
    found.clear();
    detect_Charset(win, found);
  });
  const std::string text(win.begin(), win.end());
  cNoxState st;  // no file object: scripts are cut but not written
  st.nameFile = "bench.htm";
  std::string packed;
  double tTuda = median_Seconds([&] {
    packed = text;
    reformat_Tuda(packed, st);
  });
  std::string restored;
  double tObratno = median_Seconds([&] {
    restored = packed;
    reformat_Obratno(restored, st);
  });
  // Each pass at the size of what it reads.
  const double mbText = static_cast<double>(text.size()) / 1e6, mbPacked = static_cast<double>(packed.size()) / 1e6;
  std::printf("%s: %zu bytes (%s), detect+convert %.1f MB/s; %zu bytes of Windows-1251: tuda %.1f MB/s; "
              "%zu bytes: obratno %.1f MB/s\n",
              path, src.size(), found.c_str(), mb / tDetect, text.size(), mbText / tTuda, packed.size(),
              mbPacked / tObratno);
}

}  // namespace

int main(int argc, char** argv) {
  static platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s detect|speed file...\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  for (int i = 2; i < argc; ++i) {
    if (mode == "speed") {
      speed(argv[i]);
    } else {
      BB bb = read_All(argv[i]);
      std::string name;
      detect_Charset(bb, name);
      std::printf("%s\t%s\n", argv[i], name.empty() ? "-" : name.c_str());
    }
  }
  return 0;
}
