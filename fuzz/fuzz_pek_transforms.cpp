// The inverses of the PEK pixel transforms on any bytes with any sizes must
// end without a crash; the forward transforms of a field must come back
// through their inverses unchanged.
#include <cstddef>
#include <cstdint>

#include "fuzz_util.h"
#include "pek/cImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static cImage im;
  if (size < 6) return 0;
  const int32_t w = 1 + data[0] % 64, h = 1 + data[1] % 64;
  const int32_t s = 1 + data[2] % 7, t = 1 + data[3] % 8, kol = 1 + data[4] % 4;
  im.povtMarker = data[5];
  im.flagGK = (data[4] & 8) != 0;
  const BB rest(data + 6, data + size);
  int32_t wb, hb;
  cImage::get_Kont_Shape(s, wb, hb);
  // Inverses on arbitrary input.
  im.M8_obratno(rest, w, h, wb, hb);
  im.reScan_ZigzagG_obratno(rest, w, h, t);
  if (im.povtMarker > 0) im.unzip_2D_Povt(rest, w, h);
  int32_t rw = w, rh = h;
  im.restore_st_frame_ani(kol, rest, rw, rh, data[0] % 5, data[1] % 5, data[2] % 5, data[3] % 5, data[4]);
  // Forward and back on a field made of the input.
  if (rest.empty()) return 0;
  BB field(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < field.size(); ++i) field[i] = rest[i % rest.size()];
  int32_t zw = w, zh = h;
  const BB z = im.reScan_ZigzagG(field, zw, zh, t);
  if (im.reScan_ZigzagG_obratno(z, w, h, t) != field) __builtin_trap();
  BB small = field;
  const int32_t vMax = (1 << (8 / (wb * hb))) - 1;
  for (auto& b : small) b = static_cast<uint8_t>(b & vMax);
  if (im.M8_obratno(im.M8_tuda(small, w, h, wb, hb), w, h, wb, hb) != small) __builtin_trap();
  if (im.povtMarker > 0) {
    BB noMark = field;
    for (auto& b : noMark)
      if (b == im.povtMarker) b = static_cast<uint8_t>(b ^ 1);
    for (size_t i = 0; i < noMark.size(); ++i)
      if ((i / 9) % 2 == 0) noMark[i] = noMark[0];  // long runs so that repeats occur
    if (noMark[0] == im.povtMarker) return 0;
    if (im.unzip_2D_Povt(im.encode2D(noMark, 8, w, h), w, h) != noMark) __builtin_trap();
  }
  im.kolKadrov = kol;
  int32_t aw = im.flagGK ? w * kol : w, ah = im.flagGK ? h : h * kol;
  BB strip(static_cast<size_t>(aw) * ah);
  for (size_t i = 0; i < strip.size(); ++i) strip[i] = field[i % field.size()] % 3;
  const int32_t sw = aw, sh = ah;
  const BB cut = im.st_frame_ani(strip, aw, ah);
  if (im.flagFrame &&
      im.restore_st_frame_ani(kol, cut, aw, ah, im.frameX0, im.frameY0, im.frameX9, im.frameY9, im.frameFon) != strip)
    __builtin_trap();
  (void)sw;
  (void)sh;
  return 0;
}
