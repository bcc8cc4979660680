// Any bytes as a PPM stream: the decoder must end, stay within its capacity
// and never read past the stream. Byte 0 picks the order, bytes 1-3 the
// capacity (up to 8 KiB: garbage decodes to the full capacity, and a small
// bound keeps many runs a second). The whole input must also survive a round trip.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_util.h"
#include "pmd/pmd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const int order = 2 + data[0] % 15;
  const int32_t cap = 1 + static_cast<int32_t>((data[1] | data[2] << 8 | data[3] << 16) % (1u << 13));
  const int32_t srcLen = static_cast<int32_t>(size - 4);

  // Exact-size copies so that ASan sees any access beyond the stream or the capacity.
  std::vector<uint8_t> src(data + 4, data + size);
  std::vector<uint8_t> out(static_cast<size_t>(cap));
  int32_t r = DecodeMas(src.data(), out.data(), srcLen, cap, order);
  fuzz::check(r >= 0 && r <= cap);

  const int32_t n = static_cast<int32_t>(size);
  std::vector<uint8_t> enc(static_cast<size_t>(n) + 8);
  int32_t g = EncodeMas(data, enc.data(), n, order);
  fuzz::check(g >= 0 && g <= n + 8);
  if (g > 0) {
    enc.resize(static_cast<size_t>(g));
    std::vector<uint8_t> back(static_cast<size_t>(n) + 8);
    int32_t b = DecodeMas(enc.data(), back.data(), g, n + 8, order);
    fuzz::check(b == n && std::memcmp(back.data(), data, static_cast<size_t>(n)) == 0);
  }
  return 0;
}
