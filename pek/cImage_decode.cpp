// Decoding of the unpacked bytes of a PEK file into a colour array of the
// whole strip. Every size is checked before anything of that size is
// allocated; a damaged file ends with a message and an empty result.
#include <algorithm>
#include <string>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

TT fail(const char* text = "err") {
  msg(text);
  return {};
}

}  // namespace

TT cImage::pek_to_bmp(const BB& bb) {
  if (bb.empty()) return fail("pusto");
  switch (bb[0] % 4) {
    case 0: return decodeType0(bb);
    case 1: return decodeType1(bb);
    case 2: return decodeType2(bb);
    default: return decodeType3(bb);
  }
}

// Header plus the checks every type needs: a complete header and a strip of
// 1 .. kMaxPixels pixels.
bool cImage::read_Zag(const BB& bb, int32_t& p_izm) {
  p_izm = 0;
  get_Zag(bb, p_izm);
  if (p_izm < 0 || Wk < 1 || Hk < 1 || kolKadrov < 1) return false;
  return static_cast<int64_t>(Wk) * Hk * kolKadrov <= kMaxPixels;
}

TT cImage::decodeType0(const BB& bb) {
  int32_t p = 0;
  if (!read_Zag(bb, p)) return fail();
  const int32_t n = m.get_n16(bb, p);
  if (p < 0 || static_cast<int64_t>(p) + 3 * n > static_cast<int64_t>(bb.size())) return fail();
  TT pal(static_cast<size_t>(n) + 1);
  for (int32_t i = 0; i < n; ++i, p += 3) pal[i] = bb[p] + 256 * bb[p + 1] + 65536 * bb[p + 2];
  pal[n] = kMarker;
  const size_t wh = static_cast<size_t>(Wk) * Hk * kolKadrov;
  const size_t rest = bb.size() - static_cast<size_t>(p);
  const size_t per = n > 250 ? 2 : 1;
  if (n != 1 && rest != wh * per) return fail();
  TT out(wh, pal[0]);
  if (n == 1) return out;
  for (size_t i = 0; i < wh; ++i) {
    const size_t at = static_cast<size_t>(p) + i * per;
    const int32_t ix = per == 2 ? bb[at] | (bb[at + 1] << 8) : bb[at];
    if (ix > n) return fail();
    out[i] = pal[ix];
  }
  return out;
}

TT cImage::decodeType1(const BB& bb) {
  int32_t p = 0;
  if (!read_Zag(bb, p)) return fail();
  int32_t c = m.get_n8(bb, p);
  TT pal;
  if (c <= 0) {
    int32_t t = m.get_n8(bb, p);
    if (t < 0 || !f.exist_File(tab_File(std::clamp(t, 0, 15)))) {
      msg("нет таблицы=" + std::to_string(t) + " для распаковки");
      return {};
    }
    pal = get_tab_Pal(t);
    if (pal.empty()) return fail();
    tipPek = 1;
  } else {
    const int32_t L = c == 255 ? 250 + m.get_n8(bb, p) : c;
    const int32_t first = m.get_n16(bb, p);
    if (p < 0 || L < 0 || static_cast<int64_t>(p) + L > static_cast<int64_t>(bb.size())) return fail();
    TT vals;
    if (L > 0) vals = f.unzip_max78(BB(bb.begin() + p, bb.begin() + p + L));
    p += L;
    m.ins_N_to_TT(first, vals, 0);
    m.razn_TT_vost(vals);
    for (int32_t v : vals) {
      if (v < 0 || v > 65535) return fail();
      pal.push_back(rgb16_to_rgb24(v));
    }
    tipPek = 100;
  }
  return unzip_Pix(bb, p, pal);
}

// The grid palette of types 2 and 3 from the six bound bytes.
TT cImage::read_din_Pal(const BB& bb, int32_t& p_izm) {
  int32_t b[6];
  for (int32_t& v : b) v = m.get_n8(bb, p_izm);
  if (p_izm < 0) return {};
  return get_din_Pal(b[0], b[1], b[2], 255 - b[3], 255 - b[4], 255 - b[5]);
}

TT cImage::decodeType2(const BB& bb) {
  int32_t p = 0;
  if (!read_Zag(bb, p)) return fail();
  TT pal = read_din_Pal(bb, p);
  const int32_t k = m.get_n8(bb, p);
  const int32_t r = m.get_n8(bb, p), g = m.get_n8(bb, p), b = m.get_n8(bb, p);
  if (p < 0 || k >= static_cast<int32_t>(pal.size())) return fail();
  pal[k] = r + 256 * g + 65536 * b;
  return unzip_Pix(bb, p, pal);
}

TT cImage::decodeType3(const BB& bb) {
  int32_t p = 0;
  if (!read_Zag(bb, p)) return fail();
  TT pal = read_din_Pal(bb, p);
  const int32_t D = static_cast<int32_t>(pal.size());
  const int32_t B = m.get_n8(bb, p);
  if (p < 0 || D < 1) return fail();
  const TT kod = get_big_Kod(bb, p, B, D);
  if (p < 0) return fail();
  pal.resize(256, 0);
  for (int32_t i = 0; i < B; ++i) {
    const int32_t r = m.get_n8(bb, p), g = m.get_n8(bb, p), b = m.get_n8(bb, p);
    if (p < 0) return fail();
    pal[kod[i]] = r + 256 * g + 65536 * b;
  }
  return unzip_Pix(bb, p, pal);
}

TT cImage::get_big_Kod(const BB& bb, int32_t& p_izm, int32_t B, int32_t D) {
  TT kod(static_cast<size_t>(std::max(B, 0)));
  int32_t v = 255;
  for (int32_t& k : kod) {
    if (v < D) {
      k = m.get_n8(bb, p_izm);
      if (p_izm < 0) return {};
    } else {
      k = v--;
    }
  }
  return kod;
}

// Undoes, in reverse order, repeats, packing, value table, border, zigzag
// and frame direction; then turns codes into colours.
TT cImage::unzip_Pix(const BB& bb, int32_t p, const TT& pal) {
  if (p < 0) return fail();
  BB tab;
  const bool flagTab = nKont > 0 && tipPek != 100;
  if (flagTab) {
    const int32_t n = m.get_n8(bb, p);
    int32_t sum = 0;
    for (int32_t i = 0; i < n; ++i) {
      sum += m.get_n8(bb, p);
      if (p < 0 || sum > 255) return fail();
      tab.push_back(static_cast<uint8_t>(sum));
    }
    if (p < 0) return fail();
  }
  const int32_t c = flagGK ? 1 : kolKadrov, d = flagGK ? kolKadrov : 1;
  const int32_t Ws = Wk * d, Hs = Hk * c;  // the header bounds their product
  const int32_t t = zigZag + 1;
  int32_t mw = Ws * t, fh = (Hs + t - 1) / t;
  if (flagFrame) {
    mw -= d * (frameX0 + frameX9);
    fh -= c * (frameY0 + frameY9);
    if (mw < 0 || fh < 0) return fail();
  }
  int32_t wb = 1, hb = 1;
  get_Kont_Shape(nKont, wb, hb);
  const int32_t mp = (mw + wb - 1) / wb, fp = (fh + hb - 1) / hb;
  BB data(bb.begin() + std::min<size_t>(p, bb.size()), bb.end());
  if (povtMarker > 0 && !(data.empty() && static_cast<int64_t>(mp) * fp == 0)) data = unzip_2D_Povt(data, mp, fp);
  if (static_cast<int64_t>(mp) * fp != static_cast<int64_t>(data.size())) return fail();
  if (nKont > 0 && !data.empty()) data = M8_obratno(data, mw, fh, wb, hb);
  if (static_cast<int64_t>(mw) * fh != static_cast<int64_t>(data.size())) return fail();
  if (flagTab)
    for (uint8_t& b : data) {
      if (b >= tab.size()) return fail();
      b = tab[b];
    }
  if (flagFrame) {
    if (kolKadrov == 1)
      data = restore_Frame(data, mw, fh, frameX0, frameY0, frameX9, frameY9, frameFon);
    else
      data = restore_st_frame_ani(kolKadrov, data, mw, fh, frameX0, frameY0, frameX9, frameY9, frameFon);
    if (static_cast<int64_t>(mw) * fh != static_cast<int64_t>(data.size())) return fail();
  }
  if (zigZag > 0) {
    if (mw != Ws * t || fh != (Hs + t - 1) / t) return fail();
    data = reScan_ZigzagG_obratno(data, Ws, Hs, t);
  }
  if (static_cast<int64_t>(Wk) * Hk * kolKadrov != static_cast<int64_t>(data.size())) return fail();
  if (flagGK) {
    data = smena_dir_Kadrov(data);
    flagGK = false;
  }
  if (flagTest) {
    if (!m.cmp_BB_BB(data, etalonPole)) msg("разные пикселы на вх и вых");
    flagTest = false;
  }
  TT out(data.size());
  for (size_t i = 0; i < data.size(); ++i) {
    const int32_t kod = data[i];
    if (flagProzr && kod == prozrKod) {
      out[i] = kMarker;
    } else {
      if (kod >= static_cast<int32_t>(pal.size())) return fail();
      out[i] = pal[kod];
    }
  }
  return out;
}
