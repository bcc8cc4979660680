// Colour tables, the dynamic grid palette and the quality measure.
#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

#include <cmath>
#include <cstdlib>

namespace {

int32_t channel(int32_t c, int shift) { return (c >> shift) & 255; }

bool within2(int32_t a, int32_t b) {
  return std::abs(channel(a, 0) - channel(b, 0)) <= 2 && std::abs(channel(a, 8) - channel(b, 8)) <= 2 &&
         std::abs(channel(a, 16) - channel(b, 16)) <= 2;
}

int32_t distance(int32_t a, int32_t b) {
  return std::abs(channel(a, 0) - channel(b, 0)) + std::abs(channel(a, 8) - channel(b, 8)) +
         std::abs(channel(a, 16) - channel(b, 16));
}

int32_t nearest(double x) { return static_cast<int32_t>(std::floor(x + 0.5)); }

}  // namespace

// ---------------------------------------------------------------- colour tables

bool cImage::load_Tables() {
  const std::string folder = tabPath.empty() ? f.getAppPath() : tabPath;
  TT store(kTabCount * kTabSize, 0);
  for (int32_t t = 0; t < kTabCount; ++t) {
    const std::string name = folder + "tab" + std::to_string(t) + ".pal";
    if (!f.exist_File(name)) continue;  // a missing table stays all zeros
    if (f.len_File(name) != 4 * kTabSize) {
      msg("неправильная палитра");
      return false;
    }
    BB bb = f.read_M8(name);
    if (bb.size() != 4 * kTabSize) {
      msg("неправильная палитра");
      return false;
    }
    for (int32_t i = 0; i < kTabSize; ++i) {
      const size_t p = 4 * static_cast<size_t>(i);
      store[static_cast<size_t>(t * kTabSize + i)] =
          static_cast<int32_t>(bb[p] | (bb[p + 1] << 8) | (bb[p + 2] << 16) | (uint32_t{bb[p + 3]} << 24));
    }
  }
  tabPal = std::move(store);
  flagTabPal = true;
  return true;
}

TT cImage::get_tab_Pal(int32_t& t) {
  if (!flagTabPal && !load_Tables()) return {};
  t = m.clamp(t, 0, kTabCount - 1);
  return TT(tabPal.begin() + t * kTabSize, tabPal.begin() + (t + 1) * kTabSize);
}

bool cImage::sravn_Pal(const TT& tab) {
  for (int32_t c : cPal24) {
    bool found = false;
    for (int32_t e : tab)
      if (within2(c, e)) {
        found = true;
        break;
      }
    if (!found) return false;
  }
  // Each colour gets the nearest entry of its +-2 box (lowest index on ties).
  codeMap.assign(cPal24.size(), -1);
  for (size_t i = 0; i < cPal24.size(); ++i) {
    int32_t best = -1, bestD = INT32_MAX;
    for (size_t k = 0; k < tab.size(); ++k)
      if (within2(cPal24[i], tab[k]) && distance(cPal24[i], tab[k]) < bestD) {
        bestD = distance(cPal24[i], tab[k]);
        best = static_cast<int32_t>(k);
      }
    if (best < 0) msg("err");
    codeMap[i] = best;
  }
  return true;
}

// ---------------------------------------------------------------- grid palette

bool cImage::inc_R(int32_t& nr, int32_t ng, int32_t nb, int32_t range) {
  if (nr >= range || int64_t{nr + 1} * ng * nb > 255) return false;
  ++nr;
  return true;
}

bool cImage::inc_G(int32_t nr, int32_t& ng, int32_t nb, int32_t range) {
  if (ng >= range || int64_t{nr} * (ng + 1) * nb > 255) return false;
  ++ng;
  return true;
}

bool cImage::inc_B(int32_t nr, int32_t ng, int32_t& nb, int32_t range) {
  if (nb >= range || int64_t{nr} * ng * (nb + 1) > 255) return false;
  ++nb;
  return true;
}

void cImage::get_newMax(int32_t dr, int32_t dg, int32_t db, int32_t& nr, int32_t& ng, int32_t& nb) {
  const int32_t Rr = std::max(dr, 0) + 1, Rg = std::max(dg, 0) + 1, Rb = std::max(db, 0) + 1;
  double k = 6.3496041 / std::cbrt(static_cast<double>(Rr) * Rg * Rb);
  for (;;) {
    nr = std::min(std::max(nearest(k * Rr), 1), Rr);
    ng = std::min(std::max(nearest(k * Rg), 1), Rg);
    nb = std::min(std::max(nearest(k * Rb), 1), Rb);
    if (int64_t{nr} * ng * nb < 257) break;
    k -= 0.001;
  }
  auto step = [&](char c) {
    return c == 'r' ? inc_R(nr, ng, nb, Rr) : c == 'g' ? inc_G(nr, ng, nb, Rg) : inc_B(nr, ng, nb, Rb);
  };
  auto passes = [&](const char* order) {
    for (bool changed = true; changed;) {
      changed = false;
      for (const char* c = order; *c; ++c) changed = step(*c) || changed;
    }
  };
  if (int64_t{nr} * ng * nb != 256) {
    const std::string turn = get_Turn(Rr, Rg, Rb);
    const char* order = turn == "rgb"   ? "rgb"
                        : turn == "rbg" ? "rbg"
                        : turn == "gbr" ? "gbr"
                        : turn == "grb" ? "grb"
                        : turn == "brg" ? "brg"
                                        : "bgr";
    passes(order);
    passes("gbr");
  }
  if (int64_t{nr} * ng * nb > 256 || nr > Rr || ng > Rg || nb > Rb) msg("err");
  --nr;
  --ng;
  --nb;
}

int32_t cImage::pack256(int32_t lr, int32_t lg, int32_t lb, int32_t mr, int32_t mg, int32_t mb) {
  if (int64_t{mr + 1} * (mg + 1) * (mb + 1) > 256 || lr > mr || lg > mg || lb > mb) msg("err");
  return (lr * (mg + 1) + lg) * (mb + 1) + lb;
}

void cImage::unpack256(int32_t i, int32_t mr, int32_t mg, int32_t mb, int32_t& lr, int32_t& lg, int32_t& lb) {
  if (int64_t{mr + 1} * (mg + 1) * (mb + 1) > 256 || mg < 0 || mb < 0) {
    msg("err");
    lr = lg = lb = 0;
    return;
  }
  lb = i % (mb + 1);
  lg = (i / (mb + 1)) % (mg + 1);
  lr = i / ((mb + 1) * (mg + 1));
  if (lr > mr) msg("err");
}

int32_t cImage::range1_to_range2(int32_t a, int32_t oldMax, int32_t newMax) {
  if (a < 0) {
    msg("отриц");
    return 0;
  }
  if (oldMax < 1) return 0;
  const int32_t r = m.div(mul_Checked(a, newMax), oldMax);
  if (a > oldMax || r > newMax) msg("err");
  return r;
}

TT cImage::get_din_Pal(int32_t rmin, int32_t gmin, int32_t bmin, int32_t rmax, int32_t gmax, int32_t bmax) {
  const int32_t dr = std::max(rmax - rmin, 0), dg = std::max(gmax - gmin, 0), db = std::max(bmax - bmin, 0);
  int32_t mr, mg, mb;
  get_newMax(dr, dg, db, mr, mg, mb);
  TT pal;
  const int32_t n = (mr + 1) * (mg + 1) * (mb + 1);
  for (int32_t i = 0; i < n; ++i) {
    int32_t lr, lg, lb;
    unpack256(i, mr, mg, mb, lr, lg, lb);
    int32_t r = rmin + range1_to_range2(lr, mr, dr), g = gmin + range1_to_range2(lg, mg, dg),
            b = bmin + range1_to_range2(lb, mb, db);
    if (r > 255 || g > 255 || b > 255) {
      msg("err?");
      break;
    }
    pal.push_back(rgb_to_N24(r, g, b));
  }
  return pal;
}

// ---------------------------------------------------------------- quality

std::string cImage::change_Text(double r) {
  const double v10 = std::floor(r * 1000 + 0.5);
  const int64_t a = static_cast<int64_t>(std::fabs(v10));
  std::string s = std::to_string(a / 10);
  if (a % 10 != 0) s += "." + std::to_string(a % 10);
  return std::string("(") + (v10 >= 0 ? "+" : "-") + s + "%)";
}

int32_t cImage::sravn_rgb(int32_t tip, const TT& decoded) {
  if (decoded.empty()) {
    msg("pusto");
    return 0;
  }
  int64_t S = 0, N = 0;
  int32_t M = 0;
  for (size_t i = 0; i < nPix.size(); ++i) {
    if (nPix[i] == -1) continue;
    const int32_t want = at_Checked(cPal24, nPix[i]), got = at_Checked(decoded, static_cast<int64_t>(i));
    for (int sh = 0; sh < 24; sh += 8) {
      const int32_t d = std::abs(channel(want, sh) - channel(got, sh));
      S += d;
      M = std::max(M, d);
    }
    ++N;  // one comparison per pixel: a is the mean deviation of a channel
  }
  const double a = N > 0 ? static_cast<double>(S) / (static_cast<double>(N) * 256 * 3) : 0.0;
  const double mx = M / 256.0;
  const std::string t = std::to_string(tip);
  send_Msg(t + ":макс отклонение цвета=" + change_Text(mx));
  send_Msg(t + ":сред отклонение цвета=" + change_Text(a));
  const int32_t q = static_cast<int32_t>(std::floor(a * 1000 + 0.5));
  TT copy = decoded, pp, ff;
  get_pp_ff(copy, pp, ff);
  pix_zamena_ff(copy, pp, ff);
  send_Msg(t + ":декодировано разных 24 битных цветов=" + std::to_string(pp.size()));
  print_Pal(pp, ff);
  return q;
}
