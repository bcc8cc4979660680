// Size and speed of the PPM coder (EncodeMas / DecodeMas) per file, for
// bench/pmd_vs_7z.sh. Times are process CPU time, median of the runs; every
// round trip is checked.
// Usage: bench_pmd [-r runs] order file...   one tab-separated line per file:
//          file, size, stream bytes, model MiB, encode s, decode s, ok|FAIL
//        bench_pmd --arena order length       model memory in MiB
//        bench_pmd --encode order in out      one encode, the stream to `out`
//        bench_pmd --decode order stream n    one decode of `n` bytes
// The last two do nothing else, for counting tools (bench/pmd_cost_vs_7z.sh).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_util.h"
#include "pmd/pmd.h"
#include "pmd/ppmd_model.h"

using bench::median;
using bench::cpu_Now;

namespace {

// A buffer left uninitialised: the runs measure the coder, and a zero fill of
// input and output (two bytes written per input byte, each line missing the
// caches) is no part of it.
struct cRaw {
  std::unique_ptr<uint8_t[]> p;
  size_t n = 0;
  explicit cRaw(size_t bytes) : p(new uint8_t[bytes]), n(bytes) {}
};

cRaw read_Raw(const char* path) {
  std::ifstream f(path, std::ios::binary | std::ios::ate);
  cRaw v(f ? static_cast<size_t>(f.tellg()) : 0);
  f.seekg(0);
  f.read(reinterpret_cast<char*>(v.p.get()), static_cast<std::streamsize>(v.n));
  return v;
}

// One encode or one decode and nothing more; 0 when it worked.
int code_Once(bool enc, int order, const char* in, const char* arg) {
  const cRaw src = read_Raw(in);
  if (src.n == 0) return 1;
  if (enc) {
    cRaw dst(src.n + 8);
    const int32_t g = EncodeMas(src.p.get(), dst.p.get(), static_cast<int32_t>(src.n), order);
    if (g <= 0) return 1;
    std::ofstream(arg, std::ios::binary).write(reinterpret_cast<const char*>(dst.p.get()), g);
    return 0;
  }
  const int32_t n = std::atoi(arg);
  cRaw dst(static_cast<size_t>(n) + 8);
  return DecodeMas(src.p.get(), dst.p.get(), static_cast<int32_t>(src.n), n + 8, order) == n ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int a = 1, runs = 3;
  if (argc == 4 && std::strcmp(argv[1], "--arena") == 0) {
    std::printf("%u\n", pmd::arena_Bytes(std::atoi(argv[3]), std::atoi(argv[2])) >> 20);
    return 0;
  }
  if (argc == 5 && (std::strcmp(argv[1], "--encode") == 0 || std::strcmp(argv[1], "--decode") == 0))
    return code_Once(argv[1][2] == 'e', std::atoi(argv[2]), argv[3], argv[4]);
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
    const cRaw in = read_Raw(argv[a]);
    if (in.n == 0) continue;
    const int32_t n = static_cast<int32_t>(in.n);
    std::vector<uint8_t> enc(in.n + 8), dec(in.n + 8);
    std::vector<double> te, td;
    int32_t g = 0, r = 0;
    bool ok = true;
    for (int k = 0; k < runs; ++k) {
      double t0 = cpu_Now();
      g = EncodeMas(in.p.get(), enc.data(), n, order);
      double t1 = cpu_Now();
      r = g ? DecodeMas(enc.data(), dec.data(), g, n + 8, order) : 0;
      double t2 = cpu_Now();
      te.push_back(t1 - t0);
      td.push_back(t2 - t1);
      ok = ok && g > 0 && r == n && std::memcmp(in.p.get(), dec.data(), in.n) == 0;
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
