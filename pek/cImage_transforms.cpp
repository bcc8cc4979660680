// Reversible reshaping of a field of pixel codes before compression: zigzag
// rescan in stripes, the border common to all frames of an animation, block
// packing of small codes into bytes, and 2D repeats of uniform rectangles.
// Each transform sits beside its inverse; the inverses meet damaged input
// with a message and an empty result.
#include <algorithm>
#include <string>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

bool size_Ok(const BB& bb, int32_t w, int32_t h) {
  return w >= 0 && h >= 0 && static_cast<int64_t>(w) * h == static_cast<int64_t>(bb.size());
}

// n rounded up to a multiple of k (k >= 1).
int32_t round_Up(int32_t n, int32_t k) { return to_Int32((static_cast<int64_t>(n) + k - 1) / k * k); }

// Bits per pixel of a block of a pixels; 0 for a shape the packer does not know.
int32_t block_Bits(int32_t wb, int32_t hb) {
  if (wb < 1 || hb < 1) return 0;
  const int32_t a = wb * hb;
  const bool known = (a == 2 && (wb == 1 || wb == 2)) || (a == 4 && (wb == 1 || wb == 2 || wb == 4)) ||
                     (a == 8 && (wb == 1 || wb == 2 || wb == 4 || wb == 8));
  return known ? 8 / a : 0;
}

}  // namespace

// ---------------------------------------------------------------- zigzag rescan

BB cImage::reScan_ZigzagG(const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t t) {
  const int32_t w = w_izm, h = h_izm;
  if (t < 1 || !size_Ok(bb, w, h)) {
    msg("malo/mnogo");
    return {};
  }
  if (w == 0 || h == 0) return bb;
  const int32_t hp = round_Up(h, t);
  BB out(static_cast<size_t>(mul_Checked(w, hp)));
  size_t o = 0;
  for (int32_t s = 0; s < hp; s += t)
    for (int32_t x = 0; x < w; ++x)
      for (int32_t dy = 0; dy < t; ++dy) {
        const int32_t y = std::min(s + dy, h - 1);  // added rows repeat the last one
        out[o++] = bb[static_cast<size_t>(y) * w + x];
      }
  w_izm = mul_Checked(w, t);
  h_izm = hp / t;
  return out;
}

BB cImage::reScan_ZigzagG_obratno(const BB& bb, int32_t w, int32_t h, int32_t t) {
  if (t < 1 || w < 0 || h < 0) {
    msg("malo/mnogo");
    return {};
  }
  const int32_t hp = round_Up(h, t);
  if (static_cast<int64_t>(w) * hp != static_cast<int64_t>(bb.size())) {
    msg("malo/mnogo");
    return {};
  }
  BB out(static_cast<size_t>(w) * h);
  size_t i = 0;
  for (int32_t s = 0; s < hp; s += t)
    for (int32_t x = 0; x < w; ++x)
      for (int32_t dy = 0; dy < t; ++dy, ++i)
        if (s + dy < h) out[static_cast<size_t>(s + dy) * w + x] = bb[i];
  return out;
}

// ---------------------------------------------------------------- static frame of an animation

BB cImage::st_frame_ani(const BB& bb, int32_t& w_izm, int32_t& h_izm) {
  const int32_t kol = kolKadrov;
  flagFrame = false;
  if (kol < 1 || !size_Ok(bb, w_izm, h_izm)) return bb;
  const int32_t along = flagGK ? w_izm : h_izm;
  if (along % kol != 0) return bb;
  const int32_t wk = flagGK ? w_izm / kol : w_izm;
  const int32_t hk = flagGK ? h_izm : h_izm / kol;
  const int32_t fon = find_Fon(bb, w_izm, h_izm);
  int32_t l = 255, t = 255, r = 255, b = 255;
  for (int32_t k = 0; k < kol; ++k) {
    int32_t x0, y0, x9, y9, fonK;
    find_Frame(copy_Kadr(bb, wk, hk, k, flagGK), wk, hk, x0, y0, x9, y9, fonK);
    // The border is put back in the strip's colour: a frame framed in another
    // colour has no common border.
    if (fonK != fon) x0 = y0 = x9 = y9 = 0;
    l = std::min(l, x0);
    t = std::min(t, y0);
    r = std::min(r, x9);
    b = std::min(b, y9);
  }
  if (l == 0 && t == 0 && r == 0 && b == 0) return bb;
  flagFrame = true;
  frameFon = fon;
  frameX0 = l;
  frameY0 = t;
  frameX9 = r;
  frameY9 = b;
  const int32_t iw = wk - l - r, ih = hk - t - b;
  BB out(static_cast<size_t>(iw) * ih * kol);
  for (int32_t k = 0; k < kol; ++k) {
    int32_t fw = wk, fh = hk;
    put_Kadr(out, iw, ih, k, cut_Frame(copy_Kadr(bb, wk, hk, k, flagGK), fw, fh, l, t, r, b), flagGK);
  }
  w_izm = flagGK ? iw * kol : iw;
  h_izm = flagGK ? ih : ih * kol;
  return out;
}

BB cImage::restore_st_frame_ani(int32_t kol, const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t x0,
                                int32_t y0, int32_t x9, int32_t y9, int32_t fon) {
  if (kol < 1 || !size_Ok(bb, w_izm, h_izm) || (flagGK ? w_izm : h_izm) % kol != 0) {
    msg("malo/mnogo");
    return {};
  }
  const int32_t iw = flagGK ? w_izm / kol : w_izm;
  const int32_t ih = flagGK ? h_izm : h_izm / kol;
  const int32_t wk = iw + x0 + x9, hk = ih + y0 + y9;
  BB out(static_cast<size_t>(mul_Checked(mul_Checked(wk, hk), kol)));
  for (int32_t k = 0; k < kol; ++k) {
    int32_t fw = iw, fh = ih;
    put_Kadr(out, wk, hk, k, restore_Frame(copy_Kadr(bb, iw, ih, k, flagGK), fw, fh, x0, y0, x9, y9, fon),
             flagGK);
  }
  w_izm = flagGK ? wk * kol : wk;
  h_izm = flagGK ? hk : hk * kol;
  return out;
}

// ---------------------------------------------------------------- block packing

// The pixels of a block are taken column by column: (0,0) (0,1) .. (1,0) ..;
// the first one lands in the lowest bits.
BB cImage::M8_tuda(const BB& bb, int32_t w, int32_t h, int32_t wb, int32_t hb) {
  const int32_t bits = block_Bits(wb, hb);
  if (bits == 0) {
    msg("err");
    return {};
  }
  if (!size_Ok(bb, w, h)) {
    msg("malo/mnogo");
    return {};
  }
  if (bb.empty()) return {};
  const int32_t vMax = (1 << bits) - 1;
  if (*std::max_element(bb.begin(), bb.end()) > vMax) {
    msg("err max");
    return {};
  }
  const int32_t wp = round_Up(w, wb), hp = round_Up(h, hb);
  BB out(static_cast<size_t>(wp / wb) * (hp / hb));
  size_t o = 0;
  for (int32_t y0 = 0; y0 < hp; y0 += hb)
    for (int32_t x0 = 0; x0 < wp; x0 += wb) {
      int32_t v = 0, sh = 0;
      for (int32_t dx = 0; dx < wb; ++dx)
        for (int32_t dy = 0; dy < hb; ++dy, sh += bits) {
          // Padding repeats the last column and the last row.
          const int32_t x = std::min(x0 + dx, w - 1), y = std::min(y0 + dy, h - 1);
          v |= bb[static_cast<size_t>(y) * w + x] << sh;
        }
      out[o++] = static_cast<uint8_t>(v);
    }
  return out;
}

BB cImage::M8_obratno(const BB& bb, int32_t w, int32_t h, int32_t wb, int32_t hb) {
  const int32_t bits = block_Bits(wb, hb);
  if (bits == 0 || w < 0 || h < 0) {
    msg("err");
    return {};
  }
  const int32_t wp = round_Up(w, wb), hp = round_Up(h, hb);
  if (static_cast<int64_t>(wp / wb) * (hp / hb) != static_cast<int64_t>(bb.size())) {
    msg("malo/mnogo");
    return {};
  }
  const int32_t mask = (1 << bits) - 1;
  BB out(static_cast<size_t>(w) * h);
  size_t i = 0;
  for (int32_t y0 = 0; y0 < hp; y0 += hb)
    for (int32_t x0 = 0; x0 < wp; x0 += wb) {
      const int32_t v = bb[i++];
      int32_t sh = 0;
      for (int32_t dx = 0; dx < wb; ++dx)
        for (int32_t dy = 0; dy < hb; ++dy, sh += bits) {
          const int32_t x = x0 + dx, y = y0 + dy;
          if (x < w && y < h) out[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((v >> sh) & mask);
        }
    }
  return out;
}

// ---------------------------------------------------------------- 2D repeats

int32_t cImage::runRight(int32_t x, int32_t y, int32_t limit) {
  const int32_t* row = grid2D.data() + static_cast<size_t>(y) * gridW;
  const int32_t v = row[x];
  int32_t k = x;
  while (k < limit && row[k] == v) ++k;
  return k - x;
}

int32_t cImage::runDown(int32_t x, int32_t y, int32_t limit) {
  const int32_t v = grid2D[static_cast<size_t>(y) * gridW + x];
  int32_t k = y;
  while (k < limit && grid2D[static_cast<size_t>(k) * gridW + x] == v) ++k;
  return k - y;
}

int32_t cImage::rectUniform(int32_t x, int32_t y, int32_t W, int32_t H) {
  const int32_t v = grid2D[static_cast<size_t>(y) * gridW + x];
  for (int32_t j = y; j < y + H; ++j) {
    const int32_t* row = grid2D.data() + static_cast<size_t>(j) * gridW;
    for (int32_t i = x; i < x + W; ++i)
      if (row[i] != v) return -1;
  }
  return W * H;
}

int32_t cImage::findRect(int32_t x, int32_t y, int32_t p, int32_t w, int32_t h, int32_t& vW, int32_t& vH) {
  int32_t H = runDown(x, y, h);
  if (H < p) return -1;
  int32_t W = runRight(x, y, w);
  if (W < p) return -1;
  W = std::min(W, runRight(x, y + p - 1, w));
  if (W < p) return -1;
  H = std::min(H, runDown(x + p - 1, y, h));
  if (H < p) return -1;
  if (rectUniform(x, y, p, p) < 0) return -1;
  if (rectUniform(x, y, W, H) < 0) {
    // Grow row by row while the area does not shrink.
    // A row that does not start with the value ends the growth: its run would
    // be of another value.
    const int32_t v = grid2D[static_cast<size_t>(y) * gridW + x];
    int32_t Wg = W, Hg = 0, best = 0;
    while (y + Hg < h) {
      const int32_t run = grid2D[static_cast<size_t>(y + Hg) * gridW + x] == v ? runRight(x, y + Hg, w) : 0;
      const int32_t Wn = std::min(Wg, run);
      if (Wn * (Hg + 1) < best) break;
      best = Wn * (Hg + 1);
      Wg = Wn;
      ++Hg;
    }
    W = Wg;
    H = Hg;
  }
  const int32_t area = rectUniform(x, y, W, H);
  if (area < 0) msg("err");
  vW = W;
  vH = H;
  return area;
}

void cImage::markRect(int32_t x, int32_t y, int32_t W, int32_t H) {
  for (int32_t j = y; j < y + H; ++j)
    std::fill_n(grid2D.begin() + static_cast<size_t>(j) * gridW + x, W, -1);
}

BB cImage::encode2D(const BB& bb, int32_t p, int32_t w, int32_t h) {
  if (!size_Ok(bb, w, h) || p < 2 || (povtMarker >= 0 && povtMarker < 256 && m.N_in_BB(bb, povtMarker))) {
    msg("err");
    return {};
  }
  // One spare row and column of zeros beyond the field, never coded.
  gridW = w + 1;
  grid2D.assign(static_cast<size_t>(gridW) * (h + 1), 0);
  for (int32_t y = 0; y < h; ++y)
    std::copy_n(bb.begin() + static_cast<size_t>(y) * w, w, grid2D.begin() + static_cast<size_t>(y) * gridW);
  BB out;
  out.reserve(bb.size());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      int32_t* cell = grid2D.data() + static_cast<size_t>(y) * gridW + x;
      const int32_t v = *cell;
      if (v < 0) continue;
      if (x + p - 1 < w && y + p - 1 < h && cell[1] == v && cell[gridW] == v && cell[gridW + 1] == v &&
          cell[static_cast<size_t>(p - 1) * gridW + p - 1] == v) {
        int32_t W = 0, H = 0;
        if (findRect(x, y, p, w, h, W, H) > 0 && W * H > 128) {
          W = std::min(W, 255);
          H = std::min(H, 255);
          markRect(x, y, W, H);
          out.insert(out.end(), {static_cast<uint8_t>(povtMarker), static_cast<uint8_t>(v), static_cast<uint8_t>(W),
                                 static_cast<uint8_t>(H)});
          continue;
        }
      }
      out.push_back(static_cast<uint8_t>(v));
      *cell = -1;
    }
  grid2D.clear();
  return out;
}

BB cImage::unzip_2D_Povt(const BB& bb, int32_t w, int32_t h) {
  if (bb.empty()) {
    msg("pusto");
    return {};
  }
  const int64_t n = static_cast<int64_t>(w) * h;
  if (w < 1 || h < 1 || n > kMaxPixels) {
    msg("err");
    return {};
  }
  const uint8_t mark = static_cast<uint8_t>(povtMarker);
  // Sound data code every pixel exactly once: count before allocating.
  int64_t covered = 0;
  for (size_t q = 0; q < bb.size(); ++q)
    if (bb[q] != mark) {
      ++covered;
    } else if (q + 3 < bb.size()) {
      covered += static_cast<int64_t>(bb[q + 2]) * bb[q + 3];
      q += 3;
    }
  if (covered != n) {
    msg("err");
    return {};
  }
  BB out(static_cast<size_t>(n), mark);
  BB written(static_cast<size_t>(n), 0);
  size_t p = 0;
  for (int64_t i = 0; i < n; ++i) {
    if (written[i]) continue;
    if (p >= bb.size()) {
      msg("err");
      return {};
    }
    const uint8_t b = bb[p++];
    if (b != mark) {
      out[i] = b;
      written[i] = 1;
      continue;
    }
    if (p + 3 > bb.size()) {
      msg("err");
      return {};
    }
    const uint8_t v = bb[p];
    const int32_t W = bb[p + 1], H = bb[p + 2];
    p += 3;
    const int64_t x = i % w, y = i / w;
    // A rectangle must lie inside the field and start at an unwritten row run.
    if (W < 1 || H < 1 || x + W > w || y + H > h) {
      msg("err");
      return {};
    }
    for (int32_t k = 0; k < H; ++k) {
      const size_t at = static_cast<size_t>(i + static_cast<int64_t>(k) * w);
      std::fill_n(out.begin() + at, W, v);
      std::fill_n(written.begin() + at, W, 1);
    }
  }
  if (p != bb.size()) {
    msg("err");
    return {};
  }
  return out;
}
