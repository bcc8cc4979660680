// Any bytes as a PEK file: through the container when it is sound, and as
// unpacked PEK bytes directly. The decoder must end without a crash and give
// either nothing or exactly the strip its header describes.
#include <cstddef>
#include <cstdint>

#include "fuzz_util.h"
#include "pek/cImage.h"

namespace {

void decode(cImage& im, const BB& bb) {
  const TT out = im.pek_to_bmp(bb);
  if (!out.empty() && static_cast<int64_t>(out.size()) != static_cast<int64_t>(im.Wk) * im.Hk * im.kolKadrov)
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static cImage im;
  const BB in(data, data + size);
  int32_t vErr = 0;
  const BB unpacked = im.file().unzip_Auto(in, vErr);
  if (vErr == 0 && !unpacked.empty()) decode(im, unpacked);
  decode(im, in);
  return 0;
}
