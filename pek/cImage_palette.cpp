// Palette building, colour averaging, 16-bit colours and the palette listing.
#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

// Positions of ff in descending order of their values: the toolkit's sort
// followed by reversal (its order of equal counts is part of the result).
TT descending_Order(cMassiv& m, const TT& ff) {
  TT f = ff, nn;
  m.qSort_poz(f, nn);
  std::reverse(nn.begin(), nn.end());
  return nn;
}

int32_t channel(int32_t c, int shift) { return (c >> shift) & 255; }

// Palette entries bucketed by 16-level cells per channel, so that a leader
// visits only the cells its tolerance box can reach.
class cColourGrid {
public:
  explicit cColourGrid(const TT& pal) : pal_(pal) {
    for (size_t i = 0; i < pal.size(); ++i) cells_[cell_Of(pal[i])].push_back(static_cast<int32_t>(i));
  }
  // Takes out every entry within tol of centre in each channel.
  template <class F>
  void take_Within(int32_t centre, int32_t tol, F&& take) {
    const int32_t r = channel(centre, 0), g = channel(centre, 8), b = channel(centre, 16);
    for (int32_t cr = std::max(0, r - tol) >> 4; cr <= std::min(255, r + tol) >> 4; ++cr)
      for (int32_t cg = std::max(0, g - tol) >> 4; cg <= std::min(255, g + tol) >> 4; ++cg)
        for (int32_t cb = std::max(0, b - tol) >> 4; cb <= std::min(255, b + tol) >> 4; ++cb) {
          auto& v = cells_[static_cast<size_t>(cr | (cg << 4) | (cb << 8))];
          for (size_t k = 0; k < v.size();) {
            const int32_t c = pal_[static_cast<size_t>(v[k])];
            if (std::abs(channel(c, 0) - r) <= tol && std::abs(channel(c, 8) - g) <= tol &&
                std::abs(channel(c, 16) - b) <= tol) {
              take(v[k]);
              v[k] = v.back();
              v.pop_back();
            } else {
              ++k;
            }
          }
        }
  }

private:
  static size_t cell_Of(int32_t c) {
    return static_cast<size_t>((channel(c, 0) >> 4) | ((channel(c, 8) >> 4) << 4) | ((channel(c, 16) >> 4) << 8));
  }
  const TT& pal_;
  std::array<std::vector<int32_t>, 4096> cells_;
};

}  // namespace

// ---------------------------------------------------------------- palette building

void cImage::get_pp_ff(TT& tt_izm, TT& pp, TT& ff) {
  pp.clear();
  ff.clear();
  if (tt_izm.empty()) {
    msg("pusto");
    return;
  }
  add_TT_and_Replace(tt_izm, pp, ff);
}

void cImage::add_TT_and_Replace(TT& tt_izm, TT& pp, TT& ff) {
  // Chains keyed by the low 16 bits (red, green); a node holds the rest of
  // the value (blue), its count and the next node of the chain, in
  // insertion order. The node fields live in separate arrays (a walk reads
  // only blue and next). A chain that grows past kShort nodes also gets a
  // table of its 256 blues, so photographs, whose keys carry many blues,
  // find their node in one step instead of a long walk.
  constexpr int32_t kShort = 4;
  std::vector<int32_t> head(65536, -1), tail(65536, -1), slabOf(65536, -1);
  std::vector<uint16_t> length(65536, 0);
  std::vector<int32_t> blue, next, count, slabs;
  // Colours seen lately, by a multiplicative hash: neighbouring pixels of
  // a picture repeat colours, and this small table stays in the first cache.
  constexpr int kRecentBits = 12;
  std::vector<int32_t> recentColour(1 << kRecentBits, 0), recentNode(1 << kRecentBits, -1);
  // The blue table of a pixel a few steps ahead is fetched early, so that
  // the memory waits of neighbouring pixels overlap.
  constexpr size_t kAhead = 16;
  const size_t n = tt_izm.size();
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) {
      const int32_t c2 = tt_izm[i + kAhead];
      const int32_t s2 = slabOf[static_cast<size_t>(c2 & 0xFFFF)];
      if (s2 >= 0) __builtin_prefetch(slabs.data() + static_cast<size_t>(s2) * 256 + static_cast<size_t>((c2 >> 16) & 255));
    }
    int32_t& v = tt_izm[i];
    const int32_t colour = v;
    const size_t r = (static_cast<uint32_t>(colour) * 2654435761u) >> (32 - kRecentBits);
    if (recentColour[r] == colour && recentNode[r] >= 0) {
      ++count[static_cast<size_t>(recentNode[r])];
      v = recentNode[r];
      continue;
    }
    const size_t key = static_cast<size_t>(colour & 0xFFFF);
    const int32_t b = colour >> 16;
    const bool byte = (b & ~255) == 0;
    int32_t k;
    if (slabOf[key] >= 0 && byte) {
      k = slabs[static_cast<size_t>(slabOf[key]) * 256 + static_cast<size_t>(b)];
    } else {
      k = head[key];
      while (k >= 0 && blue[static_cast<size_t>(k)] != b) k = next[static_cast<size_t>(k)];
    }
    if (k < 0) {
      if (blue.size() == blue.capacity()) {  // blocks of 1024 nodes
        blue.reserve(blue.size() + 1024);
        next.reserve(blue.size() + 1024);
        count.reserve(blue.size() + 1024);
      }
      k = static_cast<int32_t>(blue.size());
      blue.push_back(b);
      next.push_back(-1);
      count.push_back(0);
      if (tail[key] >= 0) next[static_cast<size_t>(tail[key])] = k;
      else head[key] = k;
      tail[key] = k;
      if (length[key] < UINT16_MAX) ++length[key];
      if (slabOf[key] >= 0) {
        if (byte) slabs[static_cast<size_t>(slabOf[key]) * 256 + static_cast<size_t>(b)] = k;
      } else if (length[key] > kShort && byte) {
        // Values with more than 24 bits never enter a table and keep walking.
        bool allBytes = true;
        for (int32_t n = head[key]; n >= 0; n = next[static_cast<size_t>(n)])
          allBytes &= (blue[static_cast<size_t>(n)] & ~255) == 0;
        if (allBytes) {
          slabOf[key] = static_cast<int32_t>(slabs.size() / 256);
          slabs.resize(slabs.size() + 256, -1);
          for (int32_t n = head[key]; n >= 0; n = next[static_cast<size_t>(n)])
            slabs[static_cast<size_t>(slabOf[key]) * 256 + static_cast<size_t>(blue[static_cast<size_t>(n)])] = n;
        }
      }
    }
    ++count[static_cast<size_t>(k)];
    recentColour[r] = colour;
    recentNode[r] = k;
    v = k;
  }
  // Palette in key order, red outer and green inner, chains in insertion order.
  TT place(blue.size());
  pp.clear();
  ff.clear();
  pp.reserve(blue.size());
  ff.reserve(blue.size());
  for (int32_t r = 0; r < 256; ++r)
    for (int32_t g = 0; g < 256; ++g) {
      const int32_t key = r + 256 * g;
      for (int32_t k = head[static_cast<size_t>(key)]; k >= 0; k = next[static_cast<size_t>(k)]) {
        place[static_cast<size_t>(k)] = static_cast<int32_t>(pp.size());
        pp.push_back(key + static_cast<int32_t>(static_cast<uint32_t>(blue[static_cast<size_t>(k)]) << 16));
        ff.push_back(count[static_cast<size_t>(k)]);
      }
    }
  for (int32_t& v : tt_izm) v = place[static_cast<size_t>(v)];
}

void cImage::pix_zamena_ff(TT& tt_izm, TT& pp_izm, TT& ff_izm) {
  if (ff_izm.empty()) return;
  if (pp_izm.size() != ff_izm.size()) throw cIndexError("индекс вне массива");
  const TT order = descending_Order(m, ff_izm);
  TT newPlace(order.size()), pp, ff;
  size_t kept = order.size();
  for (size_t i = 0; i < order.size(); ++i) {
    const size_t old = static_cast<size_t>(order[i]);
    if (ff_izm[old] == 0 && kept == order.size()) kept = i;
    newPlace[old] = static_cast<int32_t>(i);
    pp.push_back(pp_izm[old]);
    ff.push_back(ff_izm[old]);
  }
  pp.resize(kept);
  ff.resize(kept);
  tt_izm = tab_Replacer(newPlace, tt_izm);
  pp_izm = std::move(pp);
  ff_izm = std::move(ff);
}

TT cImage::tab_Replacer(const TT& map, const TT& tt) {
  TT out(tt.size());
  for (size_t i = 0; i < tt.size(); ++i) out[i] = tt[i] < 0 ? tt[i] : at_Checked(map, tt[i]);
  return out;
}

// ---------------------------------------------------------------- averaging

namespace {

// One grouping pass: leaders in descending order of counts collect every
// entry not yet merged whose channels lie within tolerance(rank, count).
template <class Tol>
void merge_Pass(cImage& img, cMassiv& m, Tol&& tolerance) {
  const TT& pal = img.cPal24;
  const TT& freq = img.fPal24;
  const TT order = descending_Order(m, freq);
  std::vector<char> merged(pal.size(), 0);
  TT newIdx(pal.size(), -1), newPal, newFreq;
  cColourGrid grid(pal);
  TT cols, weights;
  for (size_t j = 0; j < order.size(); ++j) {
    const size_t lead = static_cast<size_t>(order[j]);
    if (merged[lead]) continue;
    const int32_t g = static_cast<int32_t>(newPal.size());
    cols.clear();
    weights.clear();
    grid.take_Within(pal[lead], tolerance(j, freq[lead]), [&](int32_t c) {
      merged[static_cast<size_t>(c)] = 1;
      newIdx[static_cast<size_t>(c)] = g;
      cols.push_back(pal[static_cast<size_t>(c)]);
      weights.push_back(freq[static_cast<size_t>(c)]);
    });
    newPal.push_back(img.sredn_RGB(cols, weights));
    int64_t sum = 0;
    for (int32_t w : weights) sum += w;
    newFreq.push_back(to_Int32(sum));
  }
  if (std::find(merged.begin(), merged.end(), 0) != merged.end()) msg("err");
  img.nPix = img.tab_Replacer(newIdx, img.nPix);
  img.cPal24 = std::move(newPal);
  img.fPal24 = std::move(newFreq);
}

}  // namespace

void cImage::usredn_Pix() {
  if (nPix.empty()) {
    msg("pusto");
    return;
  }
  const int32_t n0 = get_le_cPal_24();
  send_Msg(std::string(25, '_'));
  send_Msg("было разных 24 битных цветов=" + std::to_string(n0));
  print_Pal(cPal24, fPal24);
  if (n0 <= 7) return;
  send_Msg("Усреднение до интернет версии.");
  send_Msg("усредням слишком близкие цвета +-2");
  if (n0 <= 1000) {
    merge_Pass(*this, m, [](size_t, int32_t) { return 2; });
    send_Msg("после легкого усреднения осталось=" + std::to_string(get_le_cPal_24()) + " цветов");
    if (get_le_cPal_24() <= 127) return;
  }
  send_Msg("слишком много цветов. усредням до 100-250");
  const double pixels = static_cast<double>(nPix.size());
  merge_Pass(*this, m, [pixels](size_t, int32_t f) {
    if (f / pixels > 0.03) return 8;
    return f > 1 ? 16 : 32;
  });
  send_Msg("после глубокого усреднения осталось=" + std::to_string(get_le_cPal_24()) + " цветов");
}

int32_t cImage::sredn_RGB(const TT& colours, const TT& weights) {
  if (weights.size() < colours.size()) throw cIndexError("индекс вне массива");
  int64_t total = 0, s[3] = {0, 0, 0};
  for (size_t i = 0; i < colours.size(); ++i) {
    total += weights[i];
    for (int c = 0; c < 3; ++c) s[c] += int64_t{channel(colours[i], 8 * c)} * weights[i];
  }
  if (total <= 0) return 0;
  // floor(s / total + 0.5) in integers
  int32_t ch[3];
  for (int c = 0; c < 3; ++c) ch[c] = static_cast<int32_t>((2 * s[c] + total) / (2 * total));
  return rgb_to_N24(ch[0], ch[1], ch[2]);
}

// ---------------------------------------------------------------- 16-bit colours, text

int32_t cImage::rgb24_to_rgb16(int32_t n24) {
  if (n24 < 0 || n24 > 0xFFFFFF) {
    msg("err");
    return 0;
  }
  const int32_t r5 = m.div(channel(n24, 0) * 31, 255), g6 = m.div(channel(n24, 8) * 63, 255),
                b5 = m.div(channel(n24, 16) * 31, 255);
  const int32_t n16 = r5 + 32 * g6 + 2048 * b5;
  if (n16 > 65535) {
    msg("err");
    return 0;
  }
  return n16;
}

int32_t cImage::rgb16_to_rgb24(int32_t n16) {
  if (n16 < 0 || n16 > 65535) {
    msg("err");
    return 0;
  }
  const int32_t r5 = n16 & 31, g6 = (n16 >> 5) & 63, b5 = n16 >> 11;
  if (b5 > 31) msg("err?");
  int32_t r = m.div(r5 * 255, 31), g = m.div(g6 * 255, 63), b = m.div(b5 * 255, 31);
  return rgb_to_N24(r, g, b);
}

std::string cImage::Hex6(int32_t n) {
  if (n < 0 || n > 0xFFFFFF) return "######";
  char buf[8];
  std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(n));
  return buf;
}

// ---------------------------------------------------------------- listing

void cImage::print_Pal(const TT& pp, const TT& ff) {
  if (pp.size() != ff.size()) throw cIndexError("индекс вне массива");
  if (flagProzr) {
    send_Msg("+ один прозрачный цвет");
    if (!m.N_in_TT(pp, kMarker)) {
      int64_t covered = 0;
      for (int32_t f : ff) covered += f;
      send_Msg(Hex6(kMarker) + " " + std::to_string(static_cast<int64_t>(nPix.size()) - covered) +
               " (прозрачный цвет)");
    }
  }
  if (ff.empty()) return;
  const TT order = descending_Order(m, ff);
  for (size_t i = 0; i < order.size(); ++i) {
    const size_t k = static_cast<size_t>(order[i]);
    send_Msg(Hex6(pp[k]) + " " + std::to_string(ff[k]) + (pp[k] == kMarker ? " (прозрачный цвет)" : ""));
    if (i == 17) {
      send_Msg("итд....");
      break;
    }
  }
}
