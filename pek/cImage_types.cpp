// The four PEK coding types: type 0 stores the palette and the indexes as
// they are; types 1-3 give every palette colour a one-byte pixel code and
// describe the palette in a few bytes (a colour table or an explicit 16-bit
// palette, a grid palette with one exact colour, a grid palette plus exact
// big colours), then leave the code field to the variant search.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

int32_t dist_RGB(int32_t c1, int32_t c2) {
  return std::abs((c1 & 255) - (c2 & 255)) + std::abs(((c1 >> 8) & 255) - ((c2 >> 8) & 255)) +
         std::abs(((c1 >> 16) & 255) - ((c2 >> 16) & 255));
}

// Index of the entry nearest to the colour (sum of channel differences), the
// lowest on ties; -1 for an empty palette.
int32_t nearest(const TT& pal, int32_t colour) {
  int32_t best = -1, bestD = 0;
  for (size_t i = 0; i < pal.size(); ++i) {
    const int32_t d = dist_RGB(pal[i], colour);
    if (best < 0 || d < bestD) {
      best = static_cast<int32_t>(i);
      bestD = d;
    }
  }
  return best;
}

struct cBounds {
  int32_t r0 = 255, g0 = 255, b0 = 255, r9 = 0, g9 = 0, b9 = 0;
  void add(int32_t c) {
    const int32_t r = c & 255, g = (c >> 8) & 255, b = (c >> 16) & 255;
    r0 = std::min(r0, r), g0 = std::min(g0, g), b0 = std::min(b0, b);
    r9 = std::max(r9, r), g9 = std::max(g9, g), b9 = std::max(b9, b);
  }
  void put(BB& bb) const {
    for (int32_t v : {r0, g0, b0, 255 - r9, 255 - g9, 255 - b9}) bb.push_back(static_cast<uint8_t>(v));
  }
};

void put_RGB(BB& bb, int32_t c) {
  bb.push_back(static_cast<uint8_t>(c & 255));
  bb.push_back(static_cast<uint8_t>((c >> 8) & 255));
  bb.push_back(static_cast<uint8_t>((c >> 16) & 255));
}

}  // namespace

// ---------------------------------------------------------------- shared pieces

BB cImage::get_PolePix() {
  BB pole(nPix.size());
  for (size_t i = 0; i < nPix.size(); ++i) {
    const int32_t ix = nPix[i];
    const int32_t kod = ix < 0 ? prozrKod : at_Checked(codeMap, ix);
    if (kod < 0 || kod > 255) throw cOverflowError("переполнение");
    pole[i] = static_cast<uint8_t>(kod);
  }
  return pole;
}

bool cImage::pickTransparentCode() {
  prozrKod = 0;
  if (!flagProzr) return true;
  bool used[256] = {};
  for (int32_t k : codeMap)
    if (k >= 0 && k < 256) used[k] = true;
  for (int32_t k = 1; k < 256; ++k)
    if (!used[k]) {
      prozrKod = k;
      return true;
    }
  return false;
}

BB cImage::freeCodes(bool flagDescending) {
  bool used[256] = {};
  for (int32_t k : codeMap)
    if (k >= 0 && k < 256) used[k] = true;
  BB out;
  for (int32_t k = 1; k < 256; ++k)
    if (!used[k]) out.push_back(static_cast<uint8_t>(k));
  if (flagDescending) std::reverse(out.begin(), out.end());
  return out;
}

void cImage::clear_Transforms() {
  nKont = zigZag = 0;
  flagFrame = false;
  frameFon = frameX0 = frameY0 = frameX9 = frameY9 = 0;
  povtMarker = 0;
  tabZnach.clear();
}

// ---------------------------------------------------------------- type 0

BB cImage::bmp_to_pek0() {
  const int32_t n = static_cast<int32_t>(cPal24.size());
  // The colour count has 16 bits: more colours have no type 0.
  if (n < 1 || n > 65535 || nPix.empty()) return {};
  BB bb;
  int32_t p = 0;
  m.put_n16(bb, n, p);
  for (int32_t c : cPal24) put_RGB(bb, c);
  if (n != 1) {
    bb.reserve(bb.size() + nPix.size() * (n > 250 ? 2 : 1));
    for (int32_t ix : nPix) {
      const int32_t v = ix < 0 ? n : ix;
      if (v > n) throw cIndexError("индекс вне массива");
      bb.push_back(static_cast<uint8_t>(v & 255));
      if (n > 250) bb.push_back(static_cast<uint8_t>(v >> 8));
    }
  }
  tipPek = 0;
  clear_Transforms();
  const int32_t kod = prozrKod;
  prozrKod = 0;  // type 0 marks transparency by index n, not by a code
  BB file = put_Zag(bb);
  prozrKod = kod;
  int32_t metod = 0;
  const bool flagLog0 = f.setFlagLog(false);
  BB out = f.zip_Auto(file, metod, true);
  f.setFlagLog(flagLog0);
  return out;
}

// ---------------------------------------------------------------- types 1, 2, 3

BB cImage::bmp_to_Pek(int32_t tip, int32_t q) {
  switch (tip) {
    case 1: return encodeType1();
    case 2: return bmp_to_pek2(false);
    case 3: return encodeType3(q);
    default: msg("err"); return {};
  }
}

std::string cImage::tab_File(int32_t t) {
  return (tabPath.empty() ? f.getAppPath() : tabPath) + "tab" + std::to_string(t) + ".pal";
}

BB cImage::encodeType1() {
  BB g;
  codeMap.assign(cPal24.size(), -1);
  for (int32_t t = 1; t <= 15 && g.empty(); ++t) {
    // A table that did not ship is all black: never a fit.
    if (!f.exist_File(tab_File(t))) continue;
    int32_t tt = t;
    const TT tab = get_tab_Pal(tt);
    if (tab.size() != 256 || !sravn_Pal(tab)) continue;
    send_Msg("тип1: улучшеная точность! таблица=" + std::to_string(t));
    g = {0, static_cast<uint8_t>(t)};
    tipPek = 1;
  }
  if (g.empty()) {
    send_Msg("тип1: нет подходящих таблиц на сегодня");
    if (cPal24.size() > 250) {
      msg("err");
      return {};
    }
    g = explicit_Pal16();
    if (g.empty()) return {};
    tipPek = 100;
  }
  if (!pickTransparentCode()) {
    send_Msg("цветов больше 250, типа 1 не будет");
    return {};
  }
  return zip_Pix(g);
}

// Type data of the explicit 16-bit palette; fills the code map with ranks.
BB cImage::explicit_Pal16() {
  TT c16(cPal24.size()), vals;
  for (size_t i = 0; i < cPal24.size(); ++i) {
    c16[i] = rgb24_to_rgb16(cPal24[i]);
    if (!m.N_in_TT(vals, c16[i])) vals.push_back(c16[i]);
  }
  if (vals.empty()) return {};
  TT sorted = vals, nn;
  m.qSort_poz(sorted, nn);
  const TT rank = m.obr_Tabl(nn);  // rank of each value of vals
  for (size_t i = 0; i < cPal24.size(); ++i) codeMap[i] = rank[m.poz_N_in_TT(vals, c16[i])];
  TT diffs = sorted;
  const int32_t first = m.razn_TT(diffs, false);
  // An empty block would read as the table mark 0: a single colour gets a
  // repeat of itself (difference 0), a harmless second palette entry.
  if (diffs.empty()) diffs.push_back(0);
  const BB block = f.zip_max78auto(diffs, 3);
  if (block.empty()) return {};
  const int32_t L = static_cast<int32_t>(block.size());
  if (L > 500) {
    msg("err max color");
    return {};
  }
  BB g;
  int32_t p = 0;
  if (L <= 249) {
    m.put_n8(g, L, p);
  } else {
    m.put_n8(g, 255, p);
    m.put_n8(g, L - 250, p);
  }
  m.put_n16(g, first, p);
  m.add_BB_to_BB(g, block);
  send_Msg("тип1:осталось разных 16 битных цветов=" + std::to_string(vals.size()));
  return g;
}

BB cImage::bmp_to_pek2(bool flagEdit) {
  cBounds bd;
  for (int32_t c : cPal24) bd.add(c);
  const TT din = get_din_Pal(bd.r0, bd.g0, bd.b0, bd.r9, bd.g9, bd.b9);
  if (cPal24.size() > 250) msg("err");
  codeMap.assign(cPal24.size(), -1);
  TT sum(din.size(), 0);
  for (size_t i = 0; i < cPal24.size(); ++i) {
    codeMap[i] = nearest(din, cPal24[i]);
    if (codeMap[i] < 0) {
      msg("err");
      return {};
    }
    sum[codeMap[i]] += i < fPal24.size() ? fPal24[i] : 0;
  }
  BB g;
  bd.put(g);
  const int32_t k = static_cast<int32_t>(std::max_element(sum.begin(), sum.end()) - sum.begin());
  TT cols, weights;
  for (size_t i = 0; i < cPal24.size(); ++i)
    if (codeMap[i] == k) {
      cols.push_back(cPal24[i]);
      weights.push_back(i < fPal24.size() ? fPal24[i] : 0);
    }
  const int32_t exact = sredn_RGB(cols, weights);
  send_Msg("делаем поправку для цвета=" + Hex6(exact) + "->" + std::to_string(k));
  g.push_back(static_cast<uint8_t>(k));
  put_RGB(g, exact);
  if (!pickTransparentCode()) {
    send_Msg("цветов больше 250, типа 2 не будет");
    return {};
  }
  if (flagEdit) {
    g.insert(g.begin(), static_cast<uint8_t>(prozrKod));
    return g;
  }
  tipPek = 2;
  return zip_Pix(g);
}

BB cImage::bmp_to_pek2_end(int32_t kod, const BB& g, const BB& pole) {
  nPix = m.copy_BB_to_TT(pole);
  cPal24.resize(256);
  codeMap.resize(256);
  for (int32_t i = 0; i < 256; ++i) cPal24[i] = codeMap[i] = i;
  fPal24.assign(256, 0);
  for (uint8_t b : pole) ++fPal24[b];
  prozrKod = kod;
  flagProzr = kod > 0;
  tipPek = 2;
  return zip_Pix(g);
}

BB cImage::encodeType3(int32_t q) {
  const int64_t nAll = std::max<int64_t>(1, static_cast<int64_t>(nPix.size()));
  std::vector<bool> big(cPal24.size());
  int32_t B = 0;
  for (size_t i = 0; i < cPal24.size(); ++i) {
    const int32_t fr = i < fPal24.size() ? fPal24[i] : 0;
    big[i] = static_cast<double>(fr) / nAll > q / 100.0;
    B += big[i];
  }
  send_Msg("Больших цветов(24 бит)=" + std::to_string(B));
  codeMap.assign(cPal24.size(), -1);
  cBounds bd;
  int32_t D = 1;
  if (B < static_cast<int32_t>(cPal24.size())) {
    for (size_t i = 0; i < cPal24.size(); ++i)
      if (!big[i]) bd.add(cPal24[i]);
    const TT din = get_din_Pal(bd.r0, bd.g0, bd.b0, bd.r9, bd.g9, bd.b9);
    D = static_cast<int32_t>(din.size());
    if (cPal24.size() > 250) msg("err");
    for (size_t i = 0; i < cPal24.size(); ++i)
      if (!big[i] && (codeMap[i] = nearest(din, cPal24[i])) < 0) {
        msg("err");
        return {};
      }
  } else {
    bd = cBounds{0, 0, 0, 0, 0, 0};
  }
  const BB svob = freeCodes(true);
  if (static_cast<int32_t>(svob.size()) < B) {
    send_Msg("нет свободных чисел для маркеров");
    return {};
  }
  BB g;
  bd.put(g);
  g.push_back(static_cast<uint8_t>(B));
  int32_t j = 0;
  for (size_t i = 0; i < cPal24.size(); ++i)
    if (big[i]) codeMap[i] = svob[j++];
  for (size_t i = 0; i < cPal24.size(); ++i)
    if (big[i] && codeMap[i] < D) g.push_back(static_cast<uint8_t>(codeMap[i]));
  for (size_t i = 0; i < cPal24.size(); ++i)
    if (big[i]) put_RGB(g, cPal24[i]);
  if (!pickTransparentCode()) {
    send_Msg("цветов больше 250, типа 3 не будет");
    return {};
  }
  tipPek = 3;
  return zip_Pix(g);
}
