// Speed of container methods 1 and 31 (zip_Ari / unzip_Ari, zip_Ari16_4k /
// unzip_Ari16_4k), median of 5 runs per file, every round trip checked.
// Usage: bench_ari [corpus folder ending in "/"]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_util.h"
#include "core/cFile.h"

using bench::median;
using bench::cpu_Now;

namespace {

BB read_All(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return BB(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string default_Corpus() {
  std::string self = __FILE__;  // .../bench/bench_ari.cpp beside .../shared/corpus
  return self.substr(0, self.rfind('/')) + "/../../shared/corpus/";
}

template <class In, class Zip, class Unzip>
bool measure(const char* what, const std::string& name, const In& data, size_t bytes, Zip zip, Unzip unzip) {
  std::vector<double> pack, unpack, packCpu, unpackCpu;
  size_t packed = 0;
  for (int run = 0; run < 5; ++run) {
    const double c0 = cpu_Now();
    auto t0 = std::chrono::steady_clock::now();
    BB c = zip(data);
    auto t1 = std::chrono::steady_clock::now();
    const double c1 = cpu_Now();
    int32_t vErr = 0;
    In back = unzip(c, vErr);
    auto t2 = std::chrono::steady_clock::now();
    const double c2 = cpu_Now();
    if (back != data || vErr != 0) {
      std::printf("%s %s: round trip FAILED\n", what, name.c_str());
      return false;
    }
    packed = c.size();
    pack.push_back(std::chrono::duration<double>(t1 - t0).count());
    unpack.push_back(std::chrono::duration<double>(t2 - t1).count());
    packCpu.push_back(c1 - c0);
    unpackCpu.push_back(c2 - c1);
  }
  // Wall clock, and CPU time in brackets (steadier on a shared machine).
  std::printf("%-9s %-34s %8zu -> %8zu %5.3f bpb  pack %5.1f (%5.1f) MB/s  unpack %5.1f (%5.1f) MB/s\n", what,
              name.c_str(), bytes, packed, 8.0 * packed / bytes, bytes / median(pack) / 1e6,
              bytes / median(packCpu) / 1e6, bytes / median(unpack) / 1e6, bytes / median(unpackCpu) / 1e6);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : default_Corpus();
  cFile f;
  bool ok = true;
  for (const char* name : {"general/calgary/book1", "general/large/world192.txt", "general/calgary/bib",
                           "russian/text/utf8/tolstoy_voyna_i_mir_tom_1.txt", "general/calgary/pic", "general/artificial/random.txt"}) {
    const BB data = read_All(dir + name);
    if (data.empty()) {
      std::printf("%s: not found\n", name);
      continue;
    }
    ok &= measure(
        "ari", name, data, data.size(), [&](const BB& d) { return f.zip_Ari(d); },
        [&](const BB& c, int32_t& e) { return f.unzip_Ari(c, e); });
  }
  // Method 31 with a wide alphabet: 12-bit values from byte pairs of text.
  const BB text = read_All(dir + "general/calgary/book1");
  TT wide;
  for (size_t i = 0; i + 1 < text.size(); i += 2) wide.push_back((text[i] | text[i + 1] << 8) & 4095);
  if (!wide.empty())
    ok &= measure(
        "ari16_4k", "book1 as 12-bit pairs", wide, wide.size() * 2, [&](const TT& d) { return f.zip_Ari16_4k(d); },
        [&](const BB& c, int32_t& e) { return f.unzip_Ari16_4k(c, e); });
  return ok ? 0 : 1;
}
