// Frame and border operations on index pictures (one byte per pixel, row-major):
// background and border detection, cutting and restoring a border, frames of a
// strip, shifts, row and column edits, rectangles, and the test preview.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// True when w * h pixels are exactly what the array holds.
bool size_Ok(const BB& bb, int32_t w, int32_t h) {
  return w >= 0 && h >= 0 && static_cast<int64_t>(w) * h == static_cast<int64_t>(bb.size());
}

bool column_Is(const BB& bb, int32_t w, int32_t h, int32_t x, int32_t v) {
  for (int32_t y = 0; y < h; ++y)
    if (bb[static_cast<size_t>(y) * w + x] != v) return false;
  return true;
}

bool row_Is(const BB& bb, int32_t w, int32_t y, int32_t xFrom, int32_t xTo, int32_t v) {
  const size_t r = static_cast<size_t>(y) * w;
  for (int32_t x = xFrom; x < xTo; ++x)
    if (bb[r + x] != v) return false;
  return true;
}

}  // namespace

int32_t cImage::find_Fon(const BB& bb, int32_t w, int32_t h) {
  if (w < 1 || h < 1 || !size_Ok(bb, w, h)) return 0;
  int32_t kol[256] = {};
  const size_t last = static_cast<size_t>(h - 1) * w;
  for (int32_t x = 0; x < w; ++x) {
    ++kol[bb[x]];
    ++kol[bb[last + x]];
  }
  for (int32_t y = 1; y + 1 < h; ++y) {
    ++kol[bb[static_cast<size_t>(y) * w]];
    ++kol[bb[static_cast<size_t>(y) * w + w - 1]];
  }
  int32_t best = 0;
  for (int32_t i = 1; i < 256; ++i)
    if (kol[i] > kol[best]) best = i;
  return best;
}

void cImage::find_Frame(const BB& bb, int32_t w, int32_t h, int32_t& x0, int32_t& y0, int32_t& x9,
                        int32_t& y9, int32_t& fon) {
  x0 = y0 = x9 = y9 = 0;
  fon = find_Fon(bb, w, h);
  if (w < 1 || h < 1 || !size_Ok(bb, w, h)) return;
  while (x0 < w && column_Is(bb, w, h, x0, fon)) ++x0;
  // The right margin never overlaps the left one, so a uniform picture is
  // all left margin and the cut leaves an empty, not a negative, picture.
  while (x9 < w - x0 && column_Is(bb, w, h, w - 1 - x9, fon)) ++x9;
  while (y0 < h && row_Is(bb, w, y0, x0, w - x9, fon)) ++y0;
  while (y9 < h - y0 && row_Is(bb, w, h - 1 - y9, x0, w - x9, fon)) ++y9;
  x0 = std::min(x0, 255);
  y0 = std::min(y0, 255);
  x9 = std::min(x9, 255);
  y9 = std::min(y9, 255);
}

BB cImage::cut_Frame(const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0, int32_t x9,
                     int32_t y9) {
  const int32_t w = w_izm, h = h_izm;
  const int32_t nw = w - x0 - x9, nh = h - y0 - y9;
  if (!size_Ok(bb, w, h) || x0 < 0 || y0 < 0 || x9 < 0 || y9 < 0 || nw < 0 || nh < 0) {
    msg("malo/mnogo");
    return bb;
  }
  BB out(static_cast<size_t>(nw) * nh);
  for (int32_t y = 0; y < nh; ++y)
    std::copy_n(bb.begin() + static_cast<size_t>(y + y0) * w + x0, nw, out.begin() + static_cast<size_t>(y) * nw);
  w_izm = nw;
  h_izm = nh;
  return out;
}

BB cImage::restore_Frame(const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0, int32_t x9,
                         int32_t y9, int32_t fon) {
  const int32_t w = w_izm, h = h_izm;
  if (w < 0 || h < 0 || x0 < 0 || y0 < 0 || x9 < 0 || y9 < 0) {
    msg("malo/mnogo");
    return {};
  }
  if (!size_Ok(bb, w, h)) msg("malo/mnogo");
  const int32_t nw = add_Checked(add_Checked(x0, w), x9);
  const int32_t nh = add_Checked(add_Checked(y0, h), y9);
  BB out(static_cast<size_t>(mul_Checked(nw, nh)), static_cast<uint8_t>(fon));
  // Only the rows the input really holds are placed.
  for (int32_t y = 0; y < h; ++y) {
    const size_t from = static_cast<size_t>(y) * w;
    if (from >= bb.size()) break;
    const size_t n = std::min(static_cast<size_t>(w), bb.size() - from);
    std::copy_n(bb.begin() + from, n, out.begin() + static_cast<size_t>(y + y0) * nw + x0);
  }
  w_izm = nw;
  h_izm = nh;
  return out;
}

BB cImage::copy_Kadr(const BB& bb, int32_t wk, int32_t hk, int32_t numKadr, bool flagGorKad) {
  if (wk < 0 || hk < 0 || numKadr < 0) throw cIndexError("индекс вне массива");
  BB out(static_cast<size_t>(mul_Checked(wk, hk)));
  // Side by side, row y of the frame starts at column numKadr * wk of strip
  // row y; stacked, it is strip row numKadr * hk + y of a strip wk wide.
  const int64_t kolW = flagGorKad ? static_cast<int64_t>(bb.size()) / std::max<int64_t>(1, hk) : wk;
  for (int32_t y = 0; y < hk; ++y) {
    const int64_t from = flagGorKad ? y * kolW + static_cast<int64_t>(numKadr) * wk
                                    : (static_cast<int64_t>(numKadr) * hk + y) * wk;
    if (from < 0 || from + wk > static_cast<int64_t>(bb.size())) throw cIndexError("индекс вне массива");
    std::copy_n(bb.begin() + from, wk, out.begin() + static_cast<size_t>(y) * wk);
  }
  return out;
}

void cImage::put_Kadr(BB& bb_izm, int32_t wk, int32_t hk, int32_t numKadr, const BB& bb_kadr, bool flagGorKad) {
  if (wk < 0 || hk < 0 || numKadr < 0 || !size_Ok(bb_kadr, wk, hk)) throw cIndexError("индекс вне массива");
  const int64_t kolW = flagGorKad ? static_cast<int64_t>(bb_izm.size()) / std::max<int64_t>(1, hk) : wk;
  for (int32_t y = 0; y < hk; ++y) {
    const int64_t to = flagGorKad ? y * kolW + static_cast<int64_t>(numKadr) * wk
                                  : (static_cast<int64_t>(numKadr) * hk + y) * wk;
    if (to < 0 || to + wk > static_cast<int64_t>(bb_izm.size())) throw cIndexError("индекс вне массива");
    std::copy_n(bb_kadr.begin() + static_cast<size_t>(y) * wk, wk, bb_izm.begin() + to);
  }
}

BB cImage::sdvig_Kadr(int32_t dx, int32_t dy, const BB& bb, int32_t w, int32_t h) {
  if (!size_Ok(bb, w, h)) {
    msg("malo/mnogo");
    return {};
  }
  BB out(bb.size(), static_cast<uint8_t>(find_Fon(bb, w, h)));
  for (int32_t y = 0; y < h; ++y) {
    const int32_t ny = y + dy;
    if (ny < 0 || ny >= h) continue;
    for (int32_t x = 0; x < w; ++x) {
      const int32_t nx = x + dx;
      if (nx >= 0 && nx < w) out[static_cast<size_t>(ny) * w + nx] = bb[static_cast<size_t>(y) * w + x];
    }
  }
  return out;
}

int32_t cImage::sravn_2kadr(const BB& bb1, const BB& bb2, int32_t w, int32_t h) {
  if (!size_Ok(bb1, w, h) || !size_Ok(bb2, w, h)) {
    msg("malo/mnogo");
    return 0;
  }
  int32_t k = 0;
  for (size_t i = 0; i < bb1.size(); ++i) k += bb1[i] == bb2[i];
  return k;
}

void cImage::find_best_x0_y0(int32_t& x0_izm, int32_t& y0_izm, const BB& bb1, const BB& bb2, int32_t w,
                             int32_t h) {
  int32_t best = sravn_2kadr(bb1, bb2, w, h);
  for (int32_t dy = -3; dy <= 3; ++dy)
    for (int32_t dx = -3; dx <= 3; ++dx) {
      const int32_t s = sravn_2kadr(bb1, sdvig_Kadr(dx, dy, bb2, w, h), w, h);
      if (s > best) {
        best = s;
        x0_izm = dx;
        y0_izm = dy;
      }
    }
}

void cImage::add_Y9_line(BB& bb_izm, int32_t w, int32_t& h_izm) {
  if (w < 1 || h_izm < 1 || !size_Ok(bb_izm, w, h_izm)) {
    msg("malo/mnogo");
    return;
  }
  const size_t from = static_cast<size_t>(h_izm - 1) * w;
  bb_izm.resize(bb_izm.size() + w);
  std::copy_n(bb_izm.begin() + from, w, bb_izm.begin() + from + w);
  ++h_izm;
}

void cImage::del_Y9_line(BB& bb_izm, int32_t w, int32_t& h_izm) {
  if (w < 0 || h_izm < 1 || !size_Ok(bb_izm, w, h_izm)) {
    msg("malo/mnogo");
    return;
  }
  --h_izm;
  bb_izm.resize(static_cast<size_t>(h_izm) * w);
}

void cImage::add_X9_col(BB& bb_izm, int32_t& w_izm, int32_t h) {
  const int32_t w = w_izm;
  if (w < 1 || h < 0 || !size_Ok(bb_izm, w, h)) {
    msg("malo/mnogo");
    return;
  }
  BB out(static_cast<size_t>(w + 1) * h);
  for (int32_t y = 0; y < h; ++y) {
    auto src = bb_izm.begin() + static_cast<size_t>(y) * w;
    auto dst = out.begin() + static_cast<size_t>(y) * (w + 1);
    std::copy_n(src, w, dst);
    dst[w] = src[w - 1];
  }
  bb_izm.swap(out);
  w_izm = w + 1;
}

void cImage::del_X9_col(BB& bb_izm, int32_t& w_izm, int32_t h) {
  const int32_t w = w_izm;
  if (w < 1 || h < 0 || !size_Ok(bb_izm, w, h)) {
    msg("malo/mnogo");
    return;
  }
  BB out(static_cast<size_t>(w - 1) * h);
  for (int32_t y = 0; y < h; ++y)
    std::copy_n(bb_izm.begin() + static_cast<size_t>(y) * w, w - 1, out.begin() + static_cast<size_t>(y) * (w - 1));
  bb_izm.swap(out);
  w_izm = w - 1;
}

BB cImage::get_Rect(const BB& bb, int32_t x0, int32_t y0, int32_t x9, int32_t y9, int32_t w, int32_t h) {
  x9 = std::min(x9, w - 1);
  y9 = std::min(y9, h - 1);
  if (!size_Ok(bb, w, h) || x0 < 0 || y0 < 0 || x9 < x0 || y9 < y0) return {};
  const int32_t rw = x9 - x0 + 1;
  BB out;
  out.reserve(static_cast<size_t>(rw) * (y9 - y0 + 1));
  for (int32_t y = y0; y <= y9; ++y) {
    auto from = bb.begin() + static_cast<size_t>(y) * w + x0;
    out.insert(out.end(), from, from + rw);
  }
  return out;
}

TT cImage::split4(const std::string& s) {
  TT out(4, 0);
  const std::string head = s.substr(0, s.find('|'));
  size_t p = 0;
  for (int32_t i = 0; i < 4 && p <= head.size(); ++i) {
    const size_t q = std::min(head.find(',', p), head.size());
    std::string part = head.substr(p, q - p);
    const size_t b = part.find_first_not_of(' ');
    part = b == std::string::npos ? "" : part.substr(b);
    int64_t v = 0;
    size_t k = 0;
    const bool neg = !part.empty() && part[0] == '-';
    if (neg) k = 1;
    for (; k < part.size() && part[k] >= '0' && part[k] <= '9' && v < INT32_MAX; ++k) v = v * 10 + (part[k] - '0');
    out[i] = static_cast<int32_t>(std::min<int64_t>(neg ? -v : v, INT32_MAX));
    p = q + 1;
  }
  return out;
}

TT cImage::test_Show(const TT& cPal_16) {
  TT out(nPix.size());
  for (size_t i = 0; i < nPix.size(); ++i) {
    const int32_t ix = nPix[i];
    out[i] = ix < 0 ? kMarker : rgb16_to_rgb24(at_Checked(cPal_16, at_Checked(codeMap, ix)));
  }
  // The utility window's picture box shows the first frame.
  if (Wk > 0 && Hk > 0 && static_cast<int64_t>(Wk) * Hk <= static_cast<int64_t>(out.size())) {
    picBox.resize(Wk, Hk);
    put_Pix(picBox.surface(), out, Wk, Hk, 0, 0);
  }
  return out;
}
