// The container's method searches on real files: fast (PPMd orders from 4)
// and full (stored, ARI, PPMd 2-16, ARI16), median of 3 runs each, with the
// chosen method and size. Usage: bench_zip_auto file...
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_util.h"
#include "core/cFile.h"
#include "platform/msg_box.h"

using bench::median;

namespace {

double seconds_Of(cFile& f, const BB& data, bool fast, int32_t& method, size_t& size) {
  auto t0 = std::chrono::steady_clock::now();
  BB c = f.zip_Auto(data, method, fast);
  auto t1 = std::chrono::steady_clock::now();
  size = c.size();
  int32_t vErr = 0;
  if (f.unzip_Auto(c, vErr) != data || vErr != 0) std::printf("ROUND TRIP FAILED\n");
  return std::chrono::duration<double>(t1 - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  cFile f;
  std::printf("%-40s %10s | %6s %10s %8s | %6s %10s %8s\n", "file", "bytes", "fast", "size", "s", "full", "size",
              "s");
  for (int i = 1; i < argc; ++i) {
    const BB data = f.read_M8(argv[i]);
    if (data.empty()) continue;
    int32_t mFast = 0, mFull = 0;
    size_t sFast = 0, sFull = 0;
    std::vector<double> tFast, tFull;
    for (int run = 0; run < 3; ++run) {
      tFast.push_back(seconds_Of(f, data, true, mFast, sFast));
      tFull.push_back(seconds_Of(f, data, false, mFull, sFull));
    }
    std::printf("%-40s %10zu | %6d %10zu %8.2f | %6d %10zu %8.2f\n", f.getNameExt(argv[i]).c_str(), data.size(),
                mFast, sFast, median(tFast), mFull, sFull, median(tFull));
  }
  return 0;
}
