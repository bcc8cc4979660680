// Size and speed of the PPM coder (EncodeMas / DecodeMas) per file, for
// bench/pmd_vs_7z.sh. Times are process CPU time, median of the runs; every
// round trip is checked.
// Usage: bench_pmd [-r runs] order file...   one tab-separated line per file:
//          file, size, stream bytes, model MiB, encode s, decode s, ok|FAIL
//        bench_pmd --arena order length       model memory in MiB
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_util.h"
#include "pmd/pmd.h"
#include "pmd/ppmd_model.h"

using bench::median;
using bench::cpu_Now;

int main(int argc, char** argv) {
  int a = 1, runs = 3;
  if (argc == 4 && std::strcmp(argv[1], "--arena") == 0) {
    std::printf("%u\n", pmd::arena_Bytes(std::atoi(argv[3]), std::atoi(argv[2])) >> 20);
    return 0;
  }
  if (argc > 2 && std::strcmp(argv[1], "-r") == 0) {
    runs = std::max(1, std::atoi(argv[2]));
    a = 3;
  }
  if (argc - a < 2) {
    std::fprintf(stderr, "usage: bench_pmd [-r runs] order file...\n       bench_pmd --arena order length\n");
    return 2;
  }
  const int order = std::atoi(argv[a++]);
  // One untimed call first: the coder's fixed tables are built on first use,
  // which would otherwise land in the first timed run.
  {
    uint8_t one[1] = {'x'}, out[16];
    EncodeMas(one, out, 1, order);
  }
  int status = 0;
  for (; a < argc; ++a) {
    std::ifstream f(argv[a], std::ios::binary);
    std::vector<uint8_t> in((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (in.empty()) continue;
    const int32_t n = static_cast<int32_t>(in.size());
    std::vector<uint8_t> enc(in.size() + 8), dec(in.size() + 8);
    std::vector<double> te, td;
    int32_t g = 0, r = 0;
    bool ok = true;
    for (int k = 0; k < runs; ++k) {
      double t0 = cpu_Now();
      g = EncodeMas(in.data(), enc.data(), n, order);
      double t1 = cpu_Now();
      r = g ? DecodeMas(enc.data(), dec.data(), g, n + 8, order) : 0;
      double t2 = cpu_Now();
      te.push_back(t1 - t0);
      td.push_back(t2 - t1);
      ok = ok && g > 0 && r == n && std::memcmp(in.data(), dec.data(), in.size()) == 0;
    }
    // A refused input (g = 0) counts as stored.
    if (g == 0) ok = true;
    std::printf("%s\t%d\t%d\t%u\t%.6f\t%.6f\t%s\n", argv[a], n, g ? g : n, pmd::arena_Bytes(n, order) >> 20,
                median(te), median(td), ok ? "ok" : "FAIL");
    std::fflush(stdout);
    if (!ok) status = 1;
  }
  return status;
}
