// Any bytes behind a method-1 or method-31 header: both decoders must end with
// a known code and values within the stored M. The input itself, as bytes and
// as 12-bit values, must survive a round trip through both methods.
#include <cstddef>
#include <cstdint>

#include "core/cFile.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static cFile f;
  if (size == 0) return 0;
  const BB in(data, data + size);

  // Decoders: the first byte picks the method, the rest is header and bits.
  BB c = in;
  c[0] = (data[0] & 1) ? 1 : 31;
  int32_t vErr = 0;
  if (c[0] == 1) {
    const BB out = f.unzip_Ari(c, vErr);
    fuzz::check(vErr == 0 || vErr == -3 || vErr == -5);
    fuzz::check(vErr != -5 || out.empty());
    for (uint8_t v : out) fuzz::check(c.size() > 2 && v <= c[2]);
  } else {
    const TT out = f.unzip_Ari16_4k(c, vErr);
    fuzz::check(vErr == 0 || vErr == -3 || vErr == -5);
    fuzz::check(vErr != -5 || out.empty());
    const int32_t M = c.size() > 3 ? c[2] + 256 * c[3] : -1;
    for (int32_t v : out) fuzz::check(v >= 0 && v <= M);
  }

  // Encoders: exact round trips with vErr 0.
  fuzz::check(f.unzip_Ari(f.zip_Ari(in), vErr) == in && vErr == 0);
  TT wide;
  for (size_t i = 0; i + 1 < size; i += 2) wide.push_back((data[i] | data[i + 1] << 8) & 4095);
  if (!wide.empty()) fuzz::check(f.unzip_Ari16_4k(f.zip_Ari16_4k(wide), vErr) == wide && vErr == 0);
  return 0;
}
