// Pixel paths between colour arrays and the off-screen 24-bit surface.
#include <algorithm>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// Checked pixel count of a w x h area.
size_t area(int32_t w, int32_t h) { return static_cast<size_t>(mul_Checked(w, h)); }

}  // namespace

TT cImage::get_Pix(const platform::cSurface& dc, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) {
    msg("err w h");
    return {};
  }
  TT out(area(w, h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) out[static_cast<size_t>(y) * w + x] = dc.get_Pixel(x, y);
  return out;
}

void cImage::put_Pix(platform::cSurface& dc, const TT& pix, int32_t w, int32_t h, int32_t x0, int32_t y0) {
  if (w < 0 || h < 0 || pix.size() < area(w, h)) {
    msg("malo");
    return;
  }
  // Drawn into a memory surface first, then copied to (x0, y0).
  platform::cSurface mem;
  mem.resize(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) mem.set_Pixel(x, y, pix[static_cast<size_t>(y) * w + x]);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) dc.set_Pixel(x0 + x, y0 + y, mem.get_Pixel(x, y));
}

TT cImage::fast_get_Pix(const platform::cSurface& dc, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return {};
  // One copy of the area into a section of the surface's own layout
  // (bottom-up rows of B, G, R); parts outside the source stay black.
  const int32_t stride = scanAlign(mul_Checked(3, w));
  BB section(static_cast<size_t>(mul_Checked(stride, h)), 0);
  const int32_t cw = std::min(w, dc.width()), ch = std::min(h, dc.height());
  for (int32_t y = 0; y < ch; ++y) {
    const uint8_t* src = dc.bits().data() + static_cast<size_t>(dc.height() - 1 - y) * dc.stride();
    uint8_t* dst = section.data() + static_cast<size_t>(h - 1 - y) * stride;
    std::copy(src, src + 3 * static_cast<size_t>(cw), dst);
  }
  TT out(area(w, h));
  for (int32_t r = 0; r < h; ++r) {
    const uint8_t* src = section.data() + static_cast<size_t>(r) * stride;
    int32_t* dst = out.data() + static_cast<size_t>(h - 1 - r) * w;
    for (int32_t x = 0; x < w; ++x, src += 3) dst[x] = src[2] | (src[1] << 8) | (src[0] << 16);
  }
  return out;
}

void cImage::fast_put_Pic(const TT& pix, platform::cSurface& dc, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return;
  if (pix.size() != area(w, h)) msg("err");
  const int32_t stride = scanAlign(mul_Checked(3, w));
  BB section(static_cast<size_t>(mul_Checked(stride, h)), 0);
  const size_t n = std::min(pix.size(), area(w, h));
  for (size_t i = 0; i < n; ++i) {
    const int32_t v = pix[i];
    const size_t y = i / static_cast<size_t>(w), x = i % static_cast<size_t>(w);
    uint8_t* p = section.data() + (static_cast<size_t>(h) - 1 - y) * stride + 3 * x;
    p[0] = static_cast<uint8_t>(v / 65536);
    p[1] = static_cast<uint8_t>((v / 256) % 256);
    p[2] = static_cast<uint8_t>(v % 256);
  }
  // The section goes to (0, 0) of the target; what lies outside is clipped.
  const int32_t cw = std::min(w, dc.width()), ch = std::min(h, dc.height());
  for (int32_t y = 0; y < ch; ++y) {
    const uint8_t* src = section.data() + static_cast<size_t>(h - 1 - y) * stride;
    uint8_t* dst = dc.bits().data() + static_cast<size_t>(dc.height() - 1 - y) * dc.stride();
    std::copy(src, src + 3 * static_cast<size_t>(cw), dst);
  }
}
