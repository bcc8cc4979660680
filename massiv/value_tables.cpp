// Value tables, replacement, sorting and search.
#include <algorithm>
#include <bit>

#include "cMassiv.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

constexpr int32_t kMax64k = 65536;

// Largest value, or throws when a value cannot index a count table.
int32_t max_Index(const TT& tt) {
  const auto [lo, hi] = std::minmax_element(tt.begin(), tt.end());
  if (*lo < 0) throw cIndexError("индекс вне массива");
  return *hi;
}

TT count_Values(const TT& tt, int32_t vMax) {
  TT ff(static_cast<size_t>(vMax) + 1, 0);
  for (int32_t v : tt) ++ff[static_cast<size_t>(v)];
  return ff;
}

// The quicksort over a[lo..hi] with a companion moved in step. The partition
// is the classic middle-pivot one, whose order of equal values callers rely
// on; partitions of disjoint ranges do not interact, so recursing into the
// smaller part and looping on the larger gives the same result with a stack
// of at most log2(n) frames. Beyond a generous depth (inputs on which the
// partition keeps splitting off a few elements) the range is finished by a
// heapsort so no input costs quadratic time.
template <class Swap>
void heap_Sort(TT& a, int32_t lo, int32_t hi, Swap& swp) {
  const int64_t n = int64_t{hi} - lo + 1;
  auto sift = [&](int64_t root, int64_t end) {
    for (;;) {
      int64_t child = 2 * root + 1;
      if (child >= end) return;
      if (child + 1 < end && a[lo + child] < a[lo + child + 1]) ++child;
      if (!(a[lo + root] < a[lo + child])) return;
      swp(static_cast<int32_t>(lo + root), static_cast<int32_t>(lo + child));
      root = child;
    }
  };
  for (int64_t s = n / 2 - 1; s >= 0; --s) sift(s, n);
  for (int64_t end = n - 1; end > 0; --end) {
    swp(lo, static_cast<int32_t>(lo + end));
    sift(0, end);
  }
}

template <class Swap>
void quick_Sort(TT& a, int32_t lo, int32_t hi, Swap& swp, int depth) {
  while (lo < hi) {
    if (depth-- <= 0) {
      heap_Sort(a, lo, hi, swp);
      return;
    }
    const int32_t pivot = a[static_cast<size_t>(lo + (hi - lo) / 2)];
    int32_t i = lo, j = hi;
    do {
      while (a[i] < pivot && i < hi) ++i;
      while (pivot < a[j] && j > lo) --j;
      if (i <= j) {
        swp(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (int64_t{j} - lo < int64_t{hi} - i) {
      if (lo < j) quick_Sort(a, lo, j, swp, depth);
      lo = i;
    } else {
      if (i < hi) quick_Sort(a, i, hi, swp, depth);
      hi = j;
    }
  }
}

int depth_Limit(size_t n) { return 4 * std::bit_width(n) + 16; }

// test_Sort's shortcut, then the quicksort; `swp` swaps a and its companion.
template <class Swap, class Reverse>
void sort_With(cMassiv& m, TT& a, Swap swp, Reverse rev) {
  const int32_t kind = m.test_Sort(a);
  if (kind == 1) return;
  if (kind == 2) {
    std::reverse(a.begin(), a.end());
    rev();
    return;
  }
  quick_Sort(a, 0, static_cast<int32_t>(a.size()) - 1, swp, depth_Limit(a.size()));
}

}  // namespace

// ---------- Tables of values ----------

void cMassiv::tab_FF_b(const BB& bb, TT& ff) {
  ff.clear();
  if (bb.empty()) {
    msg("пустой массив");
    return;
  }
  const uint8_t vMax = *std::max_element(bb.begin(), bb.end());
  ff.assign(static_cast<size_t>(vMax) + 1, 0);
  for (uint8_t b : bb) ++ff[b];
}

void cMassiv::tab_FF(const TT& tt, TT& ff) {
  ff.clear();
  if (tt.empty()) {
    msg("пустой массив");
    return;
  }
  const int32_t vMax = max_Index(tt);
  if (vMax > kMax64k) {
    msg("max 64k");
    return;
  }
  ff = count_Values(tt, vMax);
}

void cMassiv::tab_FF_24(const TT& tt, TT& pp, TT& ff0) {
  pp.clear();
  ff0.clear();
  if (tt.empty()) return;
  const int32_t vMax = max_Index(tt);
  if (vMax > kMax16m) {
    msg("max 16m");
    return;
  }
  if (tt.size() >= static_cast<size_t>(vMax) / 8) {
    const TT ff = count_Values(tt, vMax);
    for (int32_t v = vMax; v >= 0; --v)
      if (ff[static_cast<size_t>(v)] > 0) {
        pp.push_back(v);
        ff0.push_back(ff[static_cast<size_t>(v)]);
      }
    return;
  }
  // Few values spread over a wide range: counting runs of a sorted copy gives
  // the same table without a count per possible value.
  TT s(tt);
  std::sort(s.begin(), s.end(), std::greater<int32_t>());
  for (size_t i = 0; i < s.size();) {
    size_t k = i;
    while (k < s.size() && s[k] == s[i]) ++k;
    pp.push_back(s[i]);
    ff0.push_back(static_cast<int32_t>(k - i));
    i = k;
  }
}

void cMassiv::tab_VV(const TT& tt, TT& vv) {
  vv.clear();
  if (tt.empty()) {
    msg("пустой массив");
    return;
  }
  const int32_t vMax = max_Index(tt);
  if (vMax > kMax16m) {
    msg("max 16m");
    return;
  }
  if (tt.size() >= static_cast<size_t>(vMax) + 1) {
    const TT ff = count_Values(tt, vMax);
    for (int32_t v = 0; v <= vMax; ++v)
      if (ff[static_cast<size_t>(v)] > 0) vv.push_back(v);
    return;
  }
  vv = tt;
  std::sort(vv.begin(), vv.end());
  vv.erase(std::unique(vv.begin(), vv.end()), vv.end());
}

void cMassiv::zamena_VV(TT& tt, TT& vv) {
  tab_VV(tt, vv);
  if (vv.empty()) return;
  for (int32_t& e : tt) e = static_cast<int32_t>(std::lower_bound(vv.begin(), vv.end(), e) - vv.begin());
}

void cMassiv::zamena_FF(TT& tt, TT& vv) {
  vv.clear();
  if (tt.empty()) {
    msg("пустой массив");
    return;
  }
  const auto [lo, hi] = std::minmax_element(tt.begin(), tt.end());
  if (*lo < 0) {
    msg("отриц");
    return;
  }
  const int32_t vMax = *hi;
  if (vMax > kMax64k) {
    msg("max 64k");
    return;
  }
  TT ff = count_Values(tt, vMax);
  TT nn;
  qSort_poz(ff, nn);
  const size_t m = static_cast<size_t>(vMax);
  vv.resize(m + 1);
  TT rank(m + 1);
  for (size_t k = 0; k <= m; ++k) {
    vv[k] = nn[m - k];
    rank[static_cast<size_t>(vv[k])] = static_cast<int32_t>(k);
  }
  for (int32_t& e : tt) e = rank[static_cast<size_t>(e)];
}

void cMassiv::vost_VV(TT& tt, const TT& vv) {
  for (int32_t& e : tt)
    if (e >= 0 && static_cast<size_t>(e) < vv.size()) e = vv[static_cast<size_t>(e)];
}

int32_t cMassiv::kol_razn_8b(const BB& bb) {
  if (bb.empty()) {
    msg("pusto");
    return 0;
  }
  bool seen[256] = {};
  int32_t k = 0;
  for (uint8_t b : bb)
    if (!seen[b]) {
      seen[b] = true;
      ++k;
    }
  return k;
}

TT cMassiv::tab_val_16b(const TT& tt) {
  if (tt.empty()) {
    msg("pusto");
    return {};
  }
  std::vector<bool> seen(65536, false);
  TT out;
  for (size_t i = 0; i < tt.size(); ++i) {
    const int32_t v = tt[i];
    if (v < 0) {
      msg("отриц");
      return {};
    }
    if (v > 65535) {
      msg("больше 64к");
      return {};
    }
    if (!seen[static_cast<size_t>(v)]) {
      seen[static_cast<size_t>(v)] = true;
      out.push_back(static_cast<int32_t>(i));
    }
  }
  return out;
}

TT cMassiv::obr_Tabl(const TT& tt_in) {
  if (tt_in.empty()) {
    msg("pusto");
    return {};
  }
  const int32_t vMax = *std::max_element(tt_in.begin(), tt_in.end());
  if (static_cast<int64_t>(vMax) + 1 != static_cast<int64_t>(tt_in.size())) {
    msg("err");
    return {};
  }
  TT out(tt_in.size(), 0);
  for (size_t i = 0; i < tt_in.size(); ++i) at_Checked(out, tt_in[i]) = static_cast<int32_t>(i);
  return out;
}

BB cMassiv::replacerB(const TT& tabZam, const BB& bb_in) {
  if (tabZam.size() != 256) msg("неверная таблица замены");
  if (bb_in.empty()) {
    msg("pusto");
    return {};
  }
  BB out(bb_in.size());
  for (size_t i = 0; i < bb_in.size(); ++i) {
    const int32_t v = at_Checked(tabZam, bb_in[i]);
    if (v < 0 || v > 255) throw cOverflowError("переполнение");
    out[i] = static_cast<uint8_t>(v);
  }
  return out;
}

TT cMassiv::replacerT(const TT& tabZam, const TT& tt_in) {
  if (tt_in.empty()) {
    msg("pusto");
    return {};
  }
  TT out(tt_in.size());
  for (size_t i = 0; i < tt_in.size(); ++i) out[i] = at_Checked(tabZam, tt_in[i]);
  return out;
}

BB cMassiv::Array_BB(std::initializer_list<int32_t> values) {
  BB out;
  out.reserve(values.size());
  for (int32_t v : values) {
    if (v < 0 || v > 255) throw cOverflowError("переполнение");
    out.push_back(static_cast<uint8_t>(v));
  }
  return out;
}

TT cMassiv::Array_TT(std::initializer_list<int32_t> values) { return TT(values); }

int32_t cMassiv::max_len_SS(const SS& ss) {
  size_t k = 0;
  for (const std::string& s : ss) k = std::max(k, s.size());
  return to_Int32(static_cast<int64_t>(k));
}

// ---------- Sorting ----------

int32_t cMassiv::test_Sort(const TT& tt) {
  if (std::is_sorted(tt.begin(), tt.end())) return 1;
  if (std::is_sorted(tt.begin(), tt.end(), std::greater<int32_t>())) return 2;
  return 0;
}

void cMassiv::qSort(const TT& tt, TT& tt_out) {
  if (tt.empty()) {
    msg("pusto");
    tt_out.clear();
    return;
  }
  tt_out = tt;
  TT& a = tt_out;
  auto swp = [&a](int32_t i, int32_t j) { std::swap(a[i], a[j]); };
  sort_With(*this, a, swp, [] {});
}

void cMassiv::qSort_poz(TT& izm, TT& nn) {
  if (izm.empty()) {
    msg("pusto");
    return;
  }
  nn.resize(izm.size());
  for (size_t i = 0; i < nn.size(); ++i) nn[i] = static_cast<int32_t>(i);
  auto swp = [&izm, &nn](int32_t i, int32_t j) {
    std::swap(izm[i], izm[j]);
    std::swap(nn[i], nn[j]);
  };
  sort_With(*this, izm, swp, [&nn] { std::reverse(nn.begin(), nn.end()); });
}

// The companion must be at least as long as the array; only its first
// len(izm) elements take part in the moves.
void cMassiv::qSort_2tt(TT& izm, TT& dd) {
  if (izm.empty()) {
    msg("pusto");
    return;
  }
  if (dd.size() < izm.size()) throw cIndexError("индекс вне массива");
  const auto n = static_cast<std::ptrdiff_t>(izm.size());
  auto swp = [&izm, &dd](int32_t i, int32_t j) {
    std::swap(izm[i], izm[j]);
    std::swap(dd[i], dd[j]);
  };
  sort_With(*this, izm, swp, [&dd, n] { std::reverse(dd.begin(), dd.begin() + n); });
}

bool cMassiv::bin_Find(const TT& tt, int32_t v, int32_t& poz) {
  const int32_t n = len_TT(tt);
  if (n == 0 || v < tt[0]) {
    poz = 0;
    return false;
  }
  if (v > tt[n - 1]) {
    poz = n;
    return false;
  }
  if (v == tt[n - 1]) {
    poz = n - 1;
    return true;
  }
  // Here n >= 2 and tt[0] <= v < tt[n-1]: every bracket keeps tt[lo] <= v < tt[hi].
  int32_t lo = 0, hi = n - 1;
  const int32_t p = poz_Find;
  if (p >= 0 && p < n - 1) {
    int64_t step = 1;
    if (v < tt[p]) {
      hi = p;
      for (;;) {
        const int64_t c = hi - step;
        if (c <= 0) {
          lo = 0;
          break;
        }
        if (tt[c] <= v) {
          lo = static_cast<int32_t>(c);
          break;
        }
        hi = static_cast<int32_t>(c);
        step *= 2;
      }
    } else {
      lo = p;
      for (;;) {
        const int64_t c = lo + step;
        if (c >= n - 1) {
          hi = n - 1;
          break;
        }
        if (tt[c] > v) {
          hi = static_cast<int32_t>(c);
          break;
        }
        lo = static_cast<int32_t>(c);
        step *= 2;
      }
    }
  }
  while (lo < hi - 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (v < tt[mid])
      hi = mid;
    else
      lo = mid;
  }
  poz_Find = lo;
  if (tt[lo] == v) {
    poz = lo;
    return true;
  }
  poz = lo + 1;
  return false;
}

void cMassiv::add_N_to_sort_TT(TT& tt, int32_t n) {
  int32_t poz = 0;
  if (!bin_Find(tt, n, poz)) tt.insert(tt.begin() + poz, n);
}

// ---------- Search, count and replace ----------

bool cMassiv::N_in_BB(const BB& bb, int32_t n) { return poz_N_in_BB(bb, n) >= 0; }
bool cMassiv::N_in_TT(const TT& tt, int32_t n) { return poz_N_in_TT(tt, n) >= 0; }

int32_t cMassiv::poz_N_in_BB(const BB& bb, int32_t n) {
  if (n < 0 || n > 255) return -1;
  const auto it = std::find(bb.begin(), bb.end(), static_cast<uint8_t>(n));
  return it == bb.end() ? -1 : static_cast<int32_t>(it - bb.begin());
}

int32_t cMassiv::poz_N_in_TT(const TT& tt, int32_t n) {
  const auto it = std::find(tt.begin(), tt.end(), n);
  return it == tt.end() ? -1 : static_cast<int32_t>(it - tt.begin());
}

int32_t cMassiv::find_N_in_TT(int32_t n, const TT& tt, int32_t vStart) {
  if (vStart < 0) {
    msg("err");
    return -1;
  }
  if (static_cast<size_t>(vStart) >= tt.size()) return -1;
  const auto it = std::find(tt.begin() + vStart, tt.end(), n);
  return it == tt.end() ? -1 : static_cast<int32_t>(it - tt.begin());
}

int32_t cMassiv::find_N_in_BB(int32_t n, const BB& bb, int32_t vStart) {
  if (vStart < 0) {
    msg("err- find_N_in_BB_end-поиск с конца");
    return -1;
  }
  if (n < 0 || n > 255 || static_cast<size_t>(vStart) >= bb.size()) return -1;
  const auto it = std::find(bb.begin() + vStart, bb.end(), static_cast<uint8_t>(n));
  return it == bb.end() ? -1 : static_cast<int32_t>(it - bb.begin());
}

int32_t cMassiv::find_N_in_BB_end(int32_t n, const BB& bb) {
  if (n < 0 || n > 255) return -1;
  for (size_t i = bb.size(); i-- > 0;)
    if (bb[i] == n) return static_cast<int32_t>(i);
  return -1;
}

TT cMassiv::getAdresaN(const TT& tt, int32_t n) {
  TT out;
  for (size_t i = 0; i < tt.size(); ++i)
    if (tt[i] == n) out.push_back(static_cast<int32_t>(i));
  return out;
}

int32_t cMassiv::kol_N_in_TT(const TT& tt, int32_t n) {
  return static_cast<int32_t>(std::count(tt.begin(), tt.end(), n));
}

int32_t cMassiv::kol_N_in_BB(const BB& bb, int32_t n) {
  if (n < 0 || n > 255) return 0;
  return static_cast<int32_t>(std::count(bb.begin(), bb.end(), static_cast<uint8_t>(n)));
}

namespace {
template <class V>
int32_t find_Blok(int32_t vStart, const V& v, const V& f) {
  if (v.empty() || f.empty()) return -1;
  if (vStart < 0) vStart = 0;
  if (static_cast<size_t>(vStart) >= v.size()) return -1;
  const auto it = std::search(v.begin() + vStart, v.end(), f.begin(), f.end());
  return it == v.end() ? -1 : static_cast<int32_t>(it - v.begin());
}
}  // namespace

int32_t cMassiv::find_blok_BB(int32_t vStart, const BB& bb, const BB& bFind) { return find_Blok(vStart, bb, bFind); }
int32_t cMassiv::find_blok_TT(int32_t vStart, const TT& tt, const TT& bFind) { return find_Blok(vStart, tt, bFind); }

int32_t cMassiv::kol_blok_BB(const BB& bb, const BB& bFind) {
  int32_t k = 0;
  const int32_t step = len_BB(bFind);
  for (int32_t f = find_blok_BB(0, bb, bFind); f >= 0; f = find_blok_BB(f + step, bb, bFind)) ++k;
  return k;
}

void cMassiv::replace_blok_BB(BB& izm, const BB& bFind, const BB& bReplace) {
  if (bFind.empty()) return;
  BB out;
  out.reserve(izm.size());
  size_t a = 0;
  for (;;) {
    const int32_t f = find_blok_BB(static_cast<int32_t>(a), izm, bFind);
    if (f < 0) {
      out.insert(out.end(), izm.begin() + static_cast<std::ptrdiff_t>(std::min(a, izm.size())), izm.end());
      break;
    }
    out.insert(out.end(), izm.begin() + static_cast<std::ptrdiff_t>(a), izm.begin() + f);
    out.insert(out.end(), bReplace.begin(), bReplace.end());
    a = static_cast<size_t>(f) + bFind.size();
  }
  izm.swap(out);
}

void cMassiv::replace_BB_B1_B2(BB& izm, int32_t b1, int32_t b2) {
  if (b1 < 0 || b1 > 255) return;  // no byte holds it
  if (b2 < 0 || b2 > 255) {
    msg("не влезет");
    return;
  }
  std::replace(izm.begin(), izm.end(), static_cast<uint8_t>(b1), static_cast<uint8_t>(b2));
}

void cMassiv::replace_TT_N1_N2(TT& izm, int32_t n1, int32_t n2) { std::replace(izm.begin(), izm.end(), n1, n2); }

void cMassiv::del_N_in_TT(TT& izm, int32_t n) { izm.erase(std::remove(izm.begin(), izm.end(), n), izm.end()); }

void cMassiv::del_N_in_BB(BB& izm, int32_t n) {
  if (n < 0 || n > 255) {
    msg("не влезет");
    return;
  }
  izm.erase(std::remove(izm.begin(), izm.end(), static_cast<uint8_t>(n)), izm.end());
}

bool cMassiv::cmp_BB_BB(const BB& bb1, const BB& bb2) const { return bb1 == bb2; }

namespace {
bool same_Sorted(const TT& tt1, const TT& tt2) {
  TT a(tt1), b(tt2);
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  return a == b;
}
}  // namespace

bool cMassiv::cmp_TT_TT(const TT& tt1, const TT& tt2, bool flagPor) const {
  if (tt1.size() != tt2.size()) return false;
  return flagPor ? tt1 == tt2 : same_Sorted(tt1, tt2);
}

void cMassiv::cmp_TT_TT_msg(const TT& tt1, const TT& tt2) {
  std::string text;
  if (tt1.size() != tt2.size()) {
    text = "по размеру РАЗНЫЕ!";
  } else {
    text = tt1 == tt2 ? "по порядку одинаковые" : "по порядку РАЗНЫЕ!";
    text += "\r\n";
    text += same_Sorted(tt1, tt2) ? "после сортировки одинаковые" : "после сортировки РАЗНЫЕ!";
  }
  msg(text, text.find('!') != std::string::npos ? "РАЗНЫЕ" : "");
}

void cMassiv::cmp_BB_BB_msg(const BB& bb1, const BB& bb2) { cmp_TT_TT_msg(copy_BB_to_TT(bb1), copy_BB_to_TT(bb2)); }

std::string cMassiv::N32_to_strBit(int32_t n32, int32_t vLen) {
  uint32_t u = static_cast<uint32_t>(n32);
  std::string s;
  do {
    s.push_back(static_cast<char>('0' + (u & 1)));
    u >>= 1;
  } while (u != 0);
  if (vLen > 0 && s.size() < static_cast<size_t>(vLen)) s.append(static_cast<size_t>(vLen) - s.size(), '0');
  std::reverse(s.begin(), s.end());
  return s;
}

int32_t cMassiv::strBit_to_N32(const std::string& s) {
  if (s.empty()) {
    msg("пустая строка");
    return 0;
  }
  if (s.size() > 16) {
    msg("длина больше 16");
    return 0;
  }
  int32_t n = 0;
  for (char c : s) n = n * 2 + (c == '1' ? 1 : 0);
  return n;
}
