// Stored-container speed on 16 MB: zip_No + write_M8, read_M8 + unzip_No,
// median of 5 runs each. Usage: bench_container [scratch folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_util.h"
#include "core/cFile.h"

using bench::median;

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : "/tmp";
  const std::string path = dir + "/bench_container.bin-";
  cFile f;
  BB data(16777215);
  uint32_t x = 1;
  for (auto& b : data) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);

  std::vector<double> pack, unpack;
  for (int run = 0; run < 5; ++run) {
    auto t0 = std::chrono::steady_clock::now();
    BB c = f.zip_No(data);
    f.write_M8(path, c);
    auto t1 = std::chrono::steady_clock::now();
    int32_t vErr = 0;
    BB back = f.unzip_No(f.read_M8(path), vErr);
    auto t2 = std::chrono::steady_clock::now();
    if (back != data || vErr != 0) {
      std::printf("round trip FAILED\n");
      return 1;
    }
    pack.push_back(std::chrono::duration<double>(t1 - t0).count());
    unpack.push_back(std::chrono::duration<double>(t2 - t1).count());
  }
  f.del_File(path);
  f.del_File(path + ".old");
  std::printf("stored container, 16 MB: pack+write %.3f s, read+unpack %.3f s (medians of 5)\n", median(pack),
              median(unpack));
  return 0;
}
