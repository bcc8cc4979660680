// The class's own BMP reader (4, 8 and 24 bit, exactly as stored) and the
// test that marks a BMP as a frame strip by its name.
#include <string>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

int32_t le16(const BB& bb, size_t p) { return bb[p] | (bb[p + 1] << 8); }

// Leading decimal digits from position p (0-based); none gives 0.
int64_t leading_Number(const std::string& s, size_t p) {
  int64_t n = 0;
  for (; p < s.size() && s[p] >= '0' && s[p] <= '9'; ++p) {
    n = n * 10 + (s[p] - '0');
    if (n > INT32_MAX) return 0;
  }
  return n;
}

}  // namespace

TT cImage::load_BMP(const std::string& nameFile, int32_t& w, int32_t& h) {
  BB bb = f.read_M8(nameFile);
  if (bb.empty()) return {};
  return load_BMP_BB(bb, w, h);
}

TT cImage::load_BMP_BB(const BB& bb, int32_t& w, int32_t& h) {
  if (bb.size() < 2 || bb[0] != 'B' || bb[1] != 'M') {
    msg("это не BMP");
    return {};
  }
  if (bb.size() < 54) {
    if (bb.size() > 28 && bb[28] != 4 && bb[28] != 8 && bb[28] != 24) msg("это не BMP-16/256/24");
    else msg("неполный файл");
    return {};
  }
  const int32_t bpp = bb[28];
  if (bpp != 4 && bpp != 8 && bpp != 24) {
    msg("это не BMP-16/256/24");
    return {};
  }
  const int32_t w0 = le16(bb, 18), h0 = le16(bb, 22);
  int32_t n = le16(bb, 46);
  if (n == 0 && bpp == 8) n = 256;
  if (n == 0 && bpp == 4) n = 16;
  const int64_t start = 54 + 4 * int64_t{n};
  const int64_t rowBytes = bpp == 24 ? 3 * int64_t{w0} : bpp == 8 ? w0 : (w0 + 1) / 2;
  const int64_t row = (rowBytes + 3) & ~int64_t{3};
  if (start > static_cast<int64_t>(bb.size()) || static_cast<int64_t>(bb.size()) - start != row * h0) {
    msg("неполный файл");
    return {};
  }
  TT pal(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    size_t p = 54 + 4 * static_cast<size_t>(i);
    pal[static_cast<size_t>(i)] = bb[p + 2] + 256 * bb[p + 1] + 65536 * bb[p];
  }
  TT out(static_cast<size_t>(w0) * static_cast<size_t>(h0));
  for (int32_t r = 0; r < h0; ++r) {
    const uint8_t* src = bb.data() + start + row * r;
    int32_t* dst = out.data() + static_cast<size_t>(h0 - 1 - r) * static_cast<size_t>(w0);
    for (int32_t x = 0; x < w0; ++x) {
      if (bpp == 24) {
        dst[x] = src[3 * x + 2] + 256 * src[3 * x + 1] + 65536 * src[3 * x];
      } else {
        int32_t idx = bpp == 8 ? src[x] : (x & 1) ? (src[x / 2] & 15) : (src[x / 2] >> 4);
        dst[x] = at_Checked(pal, idx);
      }
    }
  }
  w = w0;
  h = h0;
  return out;
}

void cImage::kolKadrovBMP2(const std::string& nameFile) {
  kolKadrov = 1;
  flagBMP2 = false;
  const size_t a = nameFile.rfind('.');
  if (a == std::string::npos) return;
  const std::string head = nameFile.substr(0, a);
  bool letterG = true;
  size_t c = head.rfind(".`g");
  if (c == std::string::npos || c == 0) {
    letterG = false;
    c = head.rfind(".`");
    if (c == std::string::npos || c == 0) return;
  }
  // A strip holds at most 255 frames (the PEK header's one-byte count); a
  // larger count would only allocate pauses for a file nobody can store.
  const int64_t n = leading_Number(nameFile, c + 3);
  if (n == 0 || n > kMaxStripFrames || nameFile != nameFile.substr(0, c + 3) + std::to_string(n) + ".bmp") return;
  kolKadrov = static_cast<int32_t>(n);
  flagGK = letterG;
  if (!flagGIFa) Paus.assign(static_cast<size_t>(n), 10);
  flagBMP2 = true;
}
