// The variant search: every combination of frame direction, zigzag rescan,
// border cut, block packing and 2D repeats is built as a complete PEK file
// (header written at that moment, then the container), and the smallest one
// wins; of equal sizes the earlier one is kept.
//
// The candidates of one pass are built in order, compressed side by side on
// up to nThreads threads (each with a container object of its own; the PPM
// coder keeps no state between calls), and then judged in their order, so
// the file and the log are those of the one-thread search.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>

#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

constexpr int32_t kNoSize = 999999999;
constexpr size_t kMaxThreadBytes = size_t{2} << 20;
const char* const kBr = "\r\n";

// Block shape of a context scheme: 1 "1x2" .. 7 "2x4" (width x height).
void kont_Shape(int32_t s, int32_t& wb, int32_t& hb) {
  static const int32_t shapes[8][2] = {{1, 1}, {1, 2}, {1, 4}, {1, 8}, {2, 1}, {2, 2}, {4, 1}, {2, 4}};
  wb = shapes[s][0];
  hb = shapes[s][1];
}

// Largest number of distinct codes a scheme can pack.
int32_t kont_Limit(int32_t s) {
  switch (s) {
    case 1: case 4: return 16;
    case 2: case 5: case 6: return 4;
    default: return 2;
  }
}

}  // namespace

void cImage::get_Kont_Shape(int32_t s, int32_t& wb, int32_t& hb) { kont_Shape(s >= 1 && s <= 7 ? s : 0, wb, hb); }

BB cImage::pack_Candidate(const BB& bytes, int32_t& vSize, int32_t& vMetod) {
  ++kolVariant;
  const bool flagLog0 = f.setFlagLog(false);
  BB out = f.zip_Auto(bytes, vMetod, flagFast);
  f.setFlagLog(flagLog0);
  vSize = out.empty() ? kNoSize : static_cast<int32_t>(out.size());
  return out;
}

BB cImage::build_noPovt(const BB& g, const BB& pole) {
  povtMarker = 0;
  BB bytes = put_Zag(g);
  m.add_BB_to_BB(bytes, pole);
  return bytes;
}

BB cImage::build_Povt(const BB& g, const BB& pole, int32_t w, int32_t h) {
  bool used[256] = {};
  for (uint8_t b : pole) used[b] = true;
  povtMarker = 0;
  for (int32_t k = 1; k < 256 && povtMarker == 0; ++k)
    if (!used[k]) povtMarker = k;
  if (povtMarker == 0) return {};
  const BB coded = encode2D(pole, 8, w, h);
  if (coded.empty() && !pole.empty()) return {};
  BB bytes = put_Zag(g);
  m.add_BB_to_BB(bytes, coded);
  return bytes;
}

BB cImage::zip_noPovt(const BB& g, const BB& pole, int32_t& vSize, int32_t& vMetod) {
  return pack_Candidate(build_noPovt(g, pole), vSize, vMetod);
}

BB cImage::zip_Povt(const BB& g, const BB& pole, int32_t& vSize, int32_t& vMetod, int32_t w, int32_t h) {
  const BB bytes = build_Povt(g, pole, w, h);
  if (bytes.empty()) {
    vSize = kNoSize;
    vMetod = 0;
    return {};
  }
  return pack_Candidate(bytes, vSize, vMetod);
}

void cImage::pack_Pass(std::vector<cCandidate>& pass) {
  kolVariant += static_cast<int32_t>(
      std::count_if(pass.begin(), pass.end(), [](const cCandidate& c) { return !c.bytes.empty(); }));
  std::atomic<size_t> next{0};
  auto work = [&] {
    cFile fw;
    for (size_t i; (i = next++) < pass.size();) {
      cCandidate& c = pass[i];
      if (c.bytes.empty()) continue;
      c.packed = fw.zip_Auto(c.bytes, c.metod, flagFast);
      c.size = c.packed.empty() ? kNoSize : static_cast<int32_t>(c.packed.size());
      BB().swap(c.bytes);
    }
  };
  // Big candidates stay on one thread: each coder holds model memory of up
  // to 32 times its input, and only huge inputs make the container speak.
  size_t biggest = 0;
  for (const cCandidate& c : pass) biggest = std::max(biggest, c.bytes.size());
  const size_t n =
      biggest > kMaxThreadBytes ? 1 : std::min<size_t>(static_cast<size_t>(std::max(nThreads, 1)), pass.size());
  if (n <= 1) {
    work();
    return;
  }
  std::vector<std::thread> pool;
  for (size_t t = 0; t < n; ++t) pool.emplace_back(work);
  for (auto& t : pool) t.join();
}

// Replaces every code of the field by its rank among the codes present and
// keeps the ranks' table (count, then the differences of the sorted codes).
void cImage::make_tabZnach(BB& pole_izm) {
  TT tt = m.copy_BB_to_TT(pole_izm), vv;
  m.zamena_VV(tt, vv);
  tabZnach.clear();
  tabZnach.push_back(static_cast<uint8_t>(vv.size()));
  int32_t prev = 0;
  for (int32_t v : vv) {
    tabZnach.push_back(static_cast<uint8_t>(v - prev));
    prev = v;
  }
  for (size_t i = 0; i < tt.size(); ++i) pole_izm[i] = static_cast<uint8_t>(tt[i]);
}

void cImage::keep_Best(BB&& cand, int32_t size, int32_t metod, const std::string& line) {
  if (size >= bestSize) return;
  bestSize = size;
  bestPek = std::move(cand);
  send_Msg(line + std::to_string(size) + "(" + std::to_string(metod) + ")");
}

BB cImage::zip_Pix(const BB& g) {
  if (flagProzr)
    send_Msg("Маркер прозрачного=" + std::to_string(prozrKod));
  else
    prozrKod = 0;
  if (codeMap.size() != cPal24.size() || (!flagProzr && std::find(nPix.begin(), nPix.end(), -1) != nPix.end())) {
    msg("err");
    return {};
  }
  if (kolKadrov < 1) {
    msg("err");
    return {};
  }
  // A strip given side by side is searched, and decoded, as stacked frames:
  // the picture itself is turned so that it matches what decoding gives.
  if (flagGK) nPix = smena_dir_Kadrov_TT(nPix);
  flagGK = false;
  BB pole = get_PolePix();
  const int32_t c = m.kol_razn_8b(pole);
  const int32_t t = prozrKod >= 1 ? m.kol_N_in_BB(pole, prozrKod) : 0;
  if (t > 0 && !flagProzr) msg("err");
  const int32_t x = t > 0 ? 1 : 0;
  send_Msg("Всего осталось разных цветов=" + std::to_string(c - x));
  if (x == 1) send_Msg("+ один прозрачный (" + std::to_string(t) + " точек)");
  send_Msg("слилось цветов=" + std::to_string(static_cast<int32_t>(cPal24.size()) + x - c));
  flagTest = true;
  etalonPole = pole;
  bestSize = kNoSize;
  bestPek.clear();
  const int32_t S = flagFast ? 3 : 7, Z = flagFast ? 2 : 7;
  const int32_t dirs = kolKadrov == 1 ? 1 : 2;
  for (int32_t r = 0; r < dirs; ++r) {
    BB field = pole;
    flagGK = false;
    if (r == 1) {
      field = smena_dir_Kadrov(pole);
      flagGK = true;
      send_Msg("-горизонтальные кадры-");
    }
    for (int32_t j = 0; j <= Z; ++j)
      for (int32_t k = 0; k <= 1; ++k) search_Pass(g, field, c, j, k, S);
  }
  return bestPek;
}

void cImage::search_Pass(const BB& g, const BB& field, int32_t c, int32_t j, int32_t k, int32_t S) {
  BB work = field;
  int32_t w = get_w_Pic(), h = get_h_Pic();
  nKont = 0;
  std::string label;
  zigZag = j;
  if (j > 0) {
    work = reScan_ZigzagG(work, w, h, j + 1);
    label = "--пересканирование зигзагом." + std::to_string(j + 1) + "т. высота--" + kBr;
  }
  if (kolKadrov != 1) {
    if (k == 1) {
      label += std::string("--стат. фрейм для анимации--") + kBr;
      work = st_frame_ani(work, w, h);
    } else {
      label += "--анимация(" + std::to_string(kolKadrov) + ")" + kBr;
      flagFrame = false;
    }
  } else if (k == 1) {
    label += std::string("---ограничение фреймом--") + kBr;
    int32_t x0, y0, x9, y9, fon;
    find_Frame(work, w, h, x0, y0, x9, y9, fon);
    if (x0 == 0 && y0 == 0 && x9 == 0 && y9 == 0) {
      flagFrame = false;
      label += std::string("---нет фрейма--") + kBr;
      return;
    }
    work = cut_Frame(work, w, h, x0, y0, x9, y9);
    flagFrame = true;
    frameFon = fon;
    frameX0 = x0;
    frameY0 = y0;
    frameX9 = x9;
    frameY9 = y9;
  } else {
    flagFrame = false;
    label += std::string("---без фрейма--") + kBr;
  }
  // Build the pass in order; the header of each candidate is written now.
  std::vector<cCandidate> pass;
  auto add = [&pass](BB&& bytes, int32_t kont, const char* tail) {
    pass.emplace_back();
    pass.back().bytes = std::move(bytes);
    pass.back().kont = kont;
    pass.back().tail = tail;
  };
  add(build_noPovt(g, work), 0, "PMD=");
  add(build_Povt(g, work, w, h), 0, "c 2D повт.=");
  // Block packing needs few codes; with more no scheme is tried at all.
  if (c <= kont_Limit(1)) {
    if (tipPek == 100)
      tabZnach.clear();
    else
      make_tabZnach(work);
    for (int32_t l = 1; l <= S; ++l) {
      if (c > kont_Limit(l)) continue;
      int32_t wb, hb;
      kont_Shape(l, wb, hb);
      const BB packed = M8_tuda(work, w, h, wb, hb);
      // A field the shape cannot pack yields no candidate.
      if (packed.empty() && !work.empty()) continue;
      nKont = l;
      add(build_noPovt(g, packed), l, "");
      add(build_Povt(g, packed, (w + wb - 1) / wb, (h + hb - 1) / hb), l, "c 2D повт.=");
      nKont = 0;
    }
  }
  pack_Pass(pass);
  // Judge in order: strictly smaller wins; a winning scheme names itself in
  // the label of the later lines of the pass.
  for (cCandidate& cand : pass) {
    if (cand.kont > 0 && cand.tail.empty() && cand.size < bestSize) label += sKont(cand.kont) + " конт. сж.=";
    keep_Best(std::move(cand.packed), cand.size, cand.metod, label + cand.tail);
  }
}
