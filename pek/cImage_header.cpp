// The PEK header: coding type and transform settings in byte 0, presence
// flags in byte 1, then frame size, transparent code, repeat marker, border,
// frame count and pauses, each only when flagged.
#include <algorithm>
#include <string>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

constexpr int32_t kBitGK = 128, kBitPaus = 64, kBitAni = 32, kBitFrame = 16, kBitProzr = 8, kBitPovt = 4,
                  kBit16W = 2, kBit16H = 1;

}  // namespace

BB cImage::put_Zag(const BB& typeData) {
  const int32_t t = tipPek == 100 ? 1 : tipPek;
  BB zag;
  int32_t p = 0;
  m.put_n8(zag, (zigZag % 8) * 32 + (nKont % 8) * 4 + (t % 4), p);
  flag16W = Wk > 255;
  flag16H = Hk > 255;
  if (!flagProzr) prozrKod = 0;
  int32_t f = 0;
  if (flagGK) f += kBitGK;
  if (flagRaznPaus) f += kBitPaus;
  if (kolKadrov > 1) f += kBitAni;
  if (flagFrame) f += kBitFrame;
  if (prozrKod > 0) f += kBitProzr;
  if (povtMarker > 0) f += kBitPovt;
  if (flag16W) f += kBit16W;
  if (flag16H) f += kBit16H;
  m.put_n8(zag, f, p);
  m.put_n(zag, Wk, p, flag16W);
  m.put_n(zag, Hk, p, flag16H);
  if (prozrKod > 0) m.put_n8(zag, prozrKod, p);
  if (povtMarker > 0) m.put_n8(zag, povtMarker, p);
  if (flagFrame)
    for (int32_t v : {frameFon, frameX0, frameY0, frameX9, frameY9}) m.put_n8(zag, v, p);
  if (kolKadrov > 1) {
    m.put_n8(zag, kolKadrov, p);
    const int32_t kol = flagRaznPaus ? kolKadrov : 1;
    for (int32_t k = 0; k < kol; ++k) m.put_n8(zag, k < static_cast<int32_t>(Paus.size()) ? Paus[k] : 0, p);
  }
  m.add_BB_to_BB(zag, typeData);
  if (nKont > 0 && tipPek != 100) m.add_BB_to_BB(zag, tabZnach);
  return zag;
}

void cImage::get_Zag(const BB& bb, int32_t& p_izm) {
  const int32_t b0 = m.get_n8(bb, p_izm);
  const int32_t b1 = m.get_n8(bb, p_izm);
  tipPek = b0 & 3;
  zigZag = (b0 >> 5) & 7;
  nKont = (b0 >> 2) & 7;
  if (b0 < 0) tipPek = zigZag = nKont = 0;
  const int32_t f = b1 < 0 ? 0 : b1;
  flagGK = (f & kBitGK) != 0;
  flagRaznPaus = (f & kBitPaus) != 0;
  flagFrame = (f & kBitFrame) != 0;
  flag16W = (f & kBit16W) != 0;
  flag16H = (f & kBit16H) != 0;
  Wk = m.get_n(bb, p_izm, flag16W);
  Hk = m.get_n(bb, p_izm, flag16H);
  // Without the flag the file has no transparency, whatever the object held before.
  prozrKod = 0;
  flagProzr = false;
  if (f & kBitProzr) {
    prozrKod = m.get_n8(bb, p_izm);
    flagProzr = prozrKod > 0;
  }
  povtMarker = (f & kBitPovt) ? m.get_n8(bb, p_izm) : 0;
  frameFon = frameX0 = frameY0 = frameX9 = frameY9 = 0;
  if (f & kBitFrame) {
    frameFon = m.get_n8(bb, p_izm);
    frameX0 = m.get_n8(bb, p_izm);
    frameY0 = m.get_n8(bb, p_izm);
    frameX9 = m.get_n8(bb, p_izm);
    frameY9 = m.get_n8(bb, p_izm);
  }
  kolKadrov = (f & kBitAni) ? m.get_n8(bb, p_izm) : 1;
  if (kolKadrov > 1) {
    if (flagRaznPaus) {
      Paus.assign(static_cast<size_t>(kolKadrov), 0);
      for (int32_t k = 0; k < kolKadrov; ++k) Paus[k] = static_cast<uint8_t>(m.get_n8(bb, p_izm));
    } else {
      Paus.assign(static_cast<size_t>(kolKadrov), static_cast<uint8_t>(m.get_n8(bb, p_izm)));
    }
  }
}

namespace {

// Frame k of a strip of wk x hk frames: row y starts at column k * wk of
// strip row y side by side, or is strip row k * hk + y when stacked.
template <class V>
V change_Layout(const V& in, int32_t wk, int32_t hk, int32_t kol, bool flagGorKad) {
  V out(in.size());
  const size_t stripW = static_cast<size_t>(wk) * kol;
  for (int32_t k = 0; k < kol; ++k)
    for (int32_t y = 0; y < hk; ++y) {
      const size_t side = static_cast<size_t>(y) * stripW + static_cast<size_t>(k) * wk;
      const size_t stacked = (static_cast<size_t>(k) * hk + y) * wk;
      const size_t from = flagGorKad ? side : stacked, to = flagGorKad ? stacked : side;
      std::copy_n(in.begin() + from, wk, out.begin() + to);
    }
  return out;
}

}  // namespace

BB cImage::smena_dir_Kadrov(const BB& bb) {
  if (kolKadrov < 1 || Wk < 0 || Hk < 0 ||
      static_cast<int64_t>(Wk) * Hk * kolKadrov != static_cast<int64_t>(bb.size())) {
    msg("malo/mnogo");
    return bb;
  }
  return change_Layout(bb, Wk, Hk, kolKadrov, flagGK);
}

TT cImage::smena_dir_Kadrov_TT(const TT& tt) {
  if (kolKadrov < 1 || Wk < 0 || Hk < 0 ||
      static_cast<int64_t>(Wk) * Hk * kolKadrov != static_cast<int64_t>(tt.size())) {
    msg("malo/mnogo");
    return tt;
  }
  return change_Layout(tt, Wk, Hk, kolKadrov, flagGK);
}

std::string cImage::sKont(int32_t n) {
  static const char* const names[] = {"", "1x2", "1x4", "1x8", "2x1", "2x2", "4x1", "2x4"};
  return n >= 1 && n <= 7 ? names[n] : "";
}

SS cImage::zag_Report(const BB& bb) {
  SS out;
  if (bb.size() < 2) return out;
  const int32_t b0 = bb[0], b1 = bb[1];
  out.push_back("тип pek:" + std::to_string(b0 % 4));
  if (b0 > 31) out.push_back("перескан зигзаг, высота=" + std::to_string(b0 / 32 + 1) + "точек");
  const int32_t k = (b0 / 4) % 8;
  if (k != 0) out.push_back("номер 2D-контекстной схемы=" + std::to_string(k) + "(" + sKont(k) + ")");
  const std::pair<int32_t, const char*> lines[] = {
      {kBitAni, "есть анимация:"},        {kBitGK, "+гориз кадры"},         {kBitPaus, "+разные паузы"},
      {kBitFrame, "есть фрейм(рамка)"},   {kBitProzr, "есть прозрачный цвет"}, {kBitPovt, "есть 2D-повторы"},
      {kBit16W, "16 битная ширина"},      {kBit16H, "16 битная высота"}};
  for (const auto& [bit, text] : lines)
    if (b1 & bit) out.push_back(text);
  return out;
}
