// Any bytes through the platform picture loader. The first byte picks a
// signature to put in front (none, GIF, PNG, JPEG, BMP, ICO, WebP) so that
// every decoder is reached; a success must be a whole picture within the cap.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/picture_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char* const sig[] = {"", "GIF89a", "\x89PNG\r\n\x1a\n", "\xFF\xD8\xFF", "BM", "", "RIFF"};
  static const size_t len[] = {0, 6, 8, 3, 2, 0, 4};
  const size_t k = data[0] % 7;
  platform::Bytes in(sig[k], sig[k] + len[k]);
  if (k == 5) in = {0, 0, 1, 0};
  in.insert(in.end(), data + 1, data + size);
  if (k == 6 && in.size() >= 12) std::memcpy(in.data() + 8, "WEBP", 4);
  platform::cPicture pic;
  if (platform::decode_Picture(in, pic)) {
    if (pic.w <= 0 || pic.h <= 0 || int64_t{pic.w} * pic.h > platform::kMaxPicturePixels) __builtin_trap();
    if (pic.rgba.size() != 4 * static_cast<size_t>(pic.w) * pic.h) __builtin_trap();
    platform::cSurface s;
    platform::draw_Picture(pic, 0xC0C1C0, s);
    if (s.width() != pic.w || s.height() != pic.h) __builtin_trap();
  }
  return 0;
}
