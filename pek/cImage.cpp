// Creation, colour values, derived sizes and the channel order.
#include "cImage.h"

#include <cstdio>

#include "platform/msg_box.h"

using platform::msg;

cImage::cImage() : tabPal(kTabCount * kTabSize, 0) {}

int32_t cImage::rgb_to_N24(int32_t& r, int32_t& g, int32_t& b) {
  r = m.clamp(r, 0, 255);
  g = m.clamp(g, 0, 255);
  b = m.clamp(b, 0, 255);
  return r + 256 * g + 65536 * b;
}

void cImage::N24_to_rgb(int32_t n24, int32_t& r, int32_t& g, int32_t& b) {
  if (n24 < 0 || n24 > 0xFFFFFF) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(n24));
    msg(std::string("err RGB:") + buf);
    return;
  }
  r = n24 & 255;
  g = (n24 >> 8) & 255;
  b = (n24 >> 16) & 255;
}

int32_t cImage::get_w_Pic() const { return flagGK ? mul_Checked(kolKadrov, Wk) : Wk; }
int32_t cImage::get_h_Pic() const { return flagGK ? Hk : mul_Checked(kolKadrov, Hk); }
int32_t cImage::get_wh_Pic() const { return mul_Checked(mul_Checked(Wk, Hk), kolKadrov); }

std::string cImage::get_Turn(double r, double g, double b) {
  if (r == g && g == b) return "gbr";
  if (r == g && r > b) return "rgb";
  if (b == g && r < g) return "gbr";
  if (r == b && b > g) return "brg";
  if (r > g && r > b) return g >= b ? "rgb" : "rbg";
  if (b < g && r < g) return b >= r ? "gbr" : "grb";
  if (r < b && b > g) return r > g ? "brg" : "bgr";
  msg("get_turn err");
  return "";
}

void cImage::get_nPix_cPal24_fPal24(TT& nPix0, TT& cPal0, TT& fPal0) const {
  nPix0 = nPix;
  cPal0 = cPal24;
  fPal0 = fPal24;
}

void cImage::set_nPix_cPal24_fPal24(const TT& nPix0, const TT& cPal0, const TT& fPal0) {
  nPix = nPix0;
  cPal24 = cPal0;
  fPal24 = fPal0;
}
