// Any bytes through the class's strict BMP reader: a message and an empty
// result, or a picture of exactly w x h colours; an index past the palette
// is the index error the main flow reports.
#include <cstddef>
#include <cstdint>

#include "fuzz_util.h"
#include "pek/cImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static cImage img;
  BB in(data, data + size);
  if (size > 1) {  // most inputs should get past the signature
    in[0] = 'B';
    in[1] = 'M';
  }
  int32_t w = -1, h = -1;
  try {
    TT px = img.load_BMP_BB(in, w, h);
    if (!px.empty() && px.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) __builtin_trap();
    for (int32_t v : px)
      if (v < 0 || v > 0xFFFFFF) __builtin_trap();
  } catch (const cIndexError&) {
  }
  return 0;
}
