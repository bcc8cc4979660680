// Times the "-best" survey on whole files: bench_method_search [file...]
// [-v] (default: a 1 MB spreadsheet and a 16-bit sample from the corpus). Prints
// the time of every log line that took long, and the total.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "brisk/method_search.h"
#include "core/cFile.h"

namespace {

BB read_All(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return BB(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  bool all = false;  // -v: print every line
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "-v")
      all = true;
    else
      files.push_back(argv[i]);
  }
  if (files.empty()) {
    std::string c = __FILE__;  // .../main/bench/this file -> .../shared/corpus/
    c = c.substr(0, c.rfind('/')) + "/../../shared/corpus/";
    files = {c + "general/canterbury/kennedy.xls", c + "general/calgary/geo"};
  }
  for (const auto& path : files) {
    const BB D = read_All(path);
    cFile file;
    int32_t best = static_cast<int32_t>(D.size()) + 2;
    bool keep = false;
    using clk = std::chrono::steady_clock;
    const auto t0 = clk::now();
    auto last = t0;
    int lines = 0;
    run_Method_Search(
        file, file.massiv(), D,
        [&](const std::string& s) {
          const auto now = clk::now();
          const double dt = std::chrono::duration<double>(now - last).count();
          if (dt > 0.5 || all) std::printf("  %6.2f s before: %s\n", dt, s.c_str());
          last = now;
          ++lines;
        },
        best, keep);
    const double total = std::chrono::duration<double>(clk::now() - t0).count();
    std::printf("%s: %zu bytes, %d lines, best size %d, %.1f s\n", path.c_str(), D.size(), lines, best, total);
  }
  return 0;
}
