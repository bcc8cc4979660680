// The "-best" survey and its estimators. Estimates are made on a sample of
// 1024 values from the middle of each value array and scaled to the whole.
#include "method_search.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/container.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

using tLog = std::function<void(const std::string&)>;

std::string line(int32_t n) { return std::string(static_cast<size_t>(n), '_'); }
std::string str(int64_t n) { return std::to_string(n); }

// Appends digits to a long number, several per mulSL call: N * a + x, then
// * b + y, equals N * (a b) + (x b + y). The product stays within the radix
// that mulSL takes without overflow.
class cRadixAcc {
public:
  cRadixAcc(cMassiv& m0, SL& N0) : m(m0), N(N0) {}
  void put(int64_t digit, int64_t radix) {
    if (radix <= 1) return;  // a digit of base 1 is always 0
    if (osn * radix > kBatch) flush();
    n = n * radix + digit;
    osn *= radix;
  }
  void flush() {
    if (osn > 1) m.mulSL(N, static_cast<int32_t>(osn), static_cast<int32_t>(n));
    osn = 1;
    n = 0;
  }
  // Bits of the number with all pending digits in it.
  int32_t bits() {
    flush();
    m.del_Ved0(N);
    return m.len_SL(N);
  }

private:
  static constexpr int64_t kBatch = int64_t{1} << 23;
  cMassiv& m;
  SL& N;
  int64_t osn = 1;
  int64_t n = 0;
};

// min_BR bounded by the bits still left to beat `best`: its answer is exact
// whenever the total can win, and at least the budget otherwise.
int64_t min_BR_Budget(cMassiv& m, const TT& q, int64_t budget) {
  int32_t num = 0;
  int32_t vMax = static_cast<int32_t>(std::min<int64_t>(budget, INT32_MAX));
  return m.min_BR(q, num, vMax);
}

int32_t min_BR_Bits(cMassiv& m, const TT& S, int32_t& vNum) {
  int32_t vMax = 0;
  return m.min_BR(S, vNum, vMax);
}

}  // namespace

// ---------------------------------------------------------------- estimators

int32_t delenie_1kask(cMassiv& m, const TT& S, int32_t M, int32_t& vDelitel) {
  vDelitel = 0;
  if (S.empty()) {
    msg("err");
    return 0;
  }
  int32_t num = 0;
  int64_t best = min_BR_Bits(m, S, num);
  TT q(S.size());
  int32_t bez = 0;  // divisors in a row without improvement
  for (int32_t d = 2; d <= M / 2 + 1 && bez < 51; ++d) {
    SL N;
    cRadixAcc acc(m, N);
    for (size_t i = 0; i < S.size(); ++i) {
      q[i] = S[i] / d;
      acc.put(S[i] % d, d);
    }
    int64_t cost = acc.bits();
    if (cost < best) cost += min_BR_Budget(m, q, best - cost);
    if (cost < best) {
      best = cost;
      vDelitel = d;
      bez = 0;
    } else {
      ++bez;
    }
  }
  return static_cast<int32_t>(best);
}

int32_t delenie_2kask(cMassiv& m, const TT& S, int32_t M, int32_t& vQ1, int32_t& vQ2, const tLog& log_Msg) {
  vQ1 = vQ2 = 0;
  if (S.empty()) {
    msg("err");
    return 0;
  }
  int32_t num = 0;
  int64_t best = min_BR_Bits(m, S, num);
  const int32_t L = std::min(M / 2 + 1, 25);
  TT e(S.size());
  for (int32_t q1 = 2; q1 <= L; ++q1) {
    for (int32_t q2 = 2; q2 <= L; ++q2) {
      SL N;
      cRadixAcc acc(m, N);
      for (size_t i = 0; i < S.size(); ++i) {
        acc.put(S[i] % q1, q1);
        const int32_t c = S[i] / q1;
        if (c == 0) {
          e[i] = 0;
        } else {
          e[i] = (c - 1) / q2 + 1;
          acc.put((c - 1) % q2, q2);
        }
      }
      int64_t cost = acc.bits();
      if (cost < best) cost += min_BR_Budget(m, e, best - cost);
      if (cost < best) {
        best = cost;
        vQ1 = q1;
        vQ2 = q2;
        log_Msg("q1=" + str(q1) + " q2=" + str(q2));
      }
    }
  }
  return static_cast<int32_t>(best);
}

namespace {

// Counts of untaken positions, for the rank of a position among them.
class cFenwick {
public:
  explicit cFenwick(size_t n) : t(n + 1, 0) {
    for (size_t i = 1; i <= n; ++i) {
      t[i] += 1;
      const size_t j = i + (i & (~i + 1));
      if (j <= n) t[j] += t[i];
    }
  }
  // Untaken positions before position p.
  int64_t before(size_t p) const {
    int64_t s = 0;
    for (size_t i = p; i > 0; i -= i & (~i + 1)) s += t[i];
    return s;
  }
  void take(size_t p) {
    for (size_t i = p + 1; i < t.size(); i += i & (~i + 1)) t[i] -= 1;
  }

private:
  std::vector<int32_t> t;
};

}  // namespace

int32_t kombo_Perestanovka(cMassiv& m, const TT& V) {
  const size_t n = V.size();
  if (n == 0) return -1;
  // Where each value 0..n-1 stands; a larger value cannot be one of them.
  std::vector<int32_t> poz(n, -1);
  bool outside = false;
  for (size_t i = 0; i < n; ++i) {
    const int32_t v = V[i];
    if (v < 0 || static_cast<size_t>(v) >= n) {
      outside = true;
      continue;
    }
    if (poz[static_cast<size_t>(v)] >= 0) {
      msg("есть одинаковые числа в массиве");
      return -1;
    }
    poz[static_cast<size_t>(v)] = static_cast<int32_t>(i);
  }
  if (outside) {
    TT sorted = V;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
      msg("есть одинаковые числа в массиве");
      return -1;
    }
  }
  cFenwick ostalos(n);
  SL N;
  cRadixAcc acc(m, N);
  for (size_t i = 0; i < n; ++i) {
    const int64_t left = static_cast<int64_t>(n - i);
    if (poz[i] < 0) {  // value i is missing: its position would be past the end
      msg("число не влазит");
      return -1;
    }
    const size_t p = static_cast<size_t>(poz[i]);
    acc.put(ostalos.before(p), left);
    ostalos.take(p);
  }
  return acc.bits();
}

int32_t kombi_Mnozhestvo(cMassiv& m, const TT& S, bool flagLimit) {
  if (S.empty()) return -1;
  const int32_t x = *std::max_element(S.begin(), S.end());
  TT L = S;
  SL N;
  cRadixAcc acc(m, N);
  std::vector<int64_t> ranges, gaps;
  std::vector<size_t> idx;
  for (int32_t u = 0; u < x; ++u) {
    idx.clear();
    for (size_t i = 0; i < L.size(); ++i)
      if (L[i] == u) idx.push_back(i);
    // The walk would stop here and leave the values above u uncounted: the
    // estimate would be far too small, so there is none.
    if (idx.empty()) return -1;
    if (idx.size() == 1) {
      acc.put(static_cast<int64_t>(idx[0]), static_cast<int64_t>(L.size()));
    } else {
      ranges.clear();
      gaps.clear();
      int64_t left = static_cast<int64_t>(L.size());
      int64_t r = static_cast<int64_t>(idx.size());
      int64_t prev = -1;
      int64_t G = 0;
      for (size_t j : idx) {
        const int64_t g = static_cast<int64_t>(j) - prev;
        ranges.push_back(left - r + 1);
        gaps.push_back(g);
        G = std::max(G, g);
        left -= g;
        r -= 1;
        prev = static_cast<int64_t>(j);
      }
      for (size_t j = ranges.size(); j-- > 0;)
        acc.put(gaps[j] - 1, flagLimit ? std::min(ranges[j], G) : ranges[j]);
      if (flagLimit) acc.put(G == ranges[0] ? 0 : G, ranges[0]);
    }
    L.erase(std::remove(L.begin(), L.end(), u), L.end());
  }
  return acc.bits();
}

void szhat_Edinicy(TT& w_izm) {
  if (w_izm.size() < 2) return;
  TT out{w_izm[0]};
  size_t i = 1;
  while (i < w_izm.size()) {
    size_t j = i;
    while (j < w_izm.size() && w_izm[j] == 1) ++j;
    const size_t run = j - i;
    if (run > 2) {
      out.push_back(0);
      out.push_back(static_cast<int32_t>(run));
    } else if (run > 0) {
      out.insert(out.end(), run, 1);
    }
    if (j < w_izm.size()) out.push_back(w_izm[j]);
    i = j + 1;
  }
  w_izm = std::move(out);
}

int64_t kontekst_Konvertor(cFile& file, cMassiv& m, const TT& S, int64_t c, double f, const tLog& log_Msg) {
  log_Msg("--волшебный контекстный конвертор для PMD--");
  if (S.size() > 1024) msg("только для коротких таблиц (или придется долго ждать)");
  if (S.empty()) return -1;
  int64_t best = container::kMaxInput;
  int32_t bestCode = 0;
  // Sizes are of the sample; scaled like every other estimate of the survey.
  auto est = [&](int64_t len) { return static_cast<int64_t>(std::floor(static_cast<double>(len) * f)) + c; };
  auto probe = [&](const BB& cand, const std::string& label, int32_t form) {
    if (cand.empty()) return;
    int32_t metod = 0;
    const BB z = file.zip_Auto(cand, metod, false);
    if (!z.empty() && static_cast<int64_t>(z.size()) < best) {
      best = static_cast<int64_t>(z.size());
      bestCode = form * 100 + metod;
      log_Msg(label + str(bestCode) + "=" + str(est(best)));
    }
  };
  const BB bytes = m.M16_to_M8(S);
  if (bytes.empty()) return -1;
  struct tWidth {
    TT x;
    std::string name;
    int32_t maxParam;
  };
  const tWidth widths[3] = {{S, "16bit:", 256},
                            {m.copy_BB_to_TT(bytes), "8bit:", 16},
                            {m.copy_BB_to_TT(m.M8_to_M4(bytes)), "4bit:", 4}};
  for (const tWidth& w : widths) {
    probe(file.zip_78auto(w.x), "1:" + w.name, 1);
    for (int32_t p = 0; p <= w.maxParam; ++p) {
      const BB r = file.zip_max78auto(w.x, p);
      if (r.empty()) break;
      probe(r, "2(" + str(p) + "):" + w.name, 2);
      // Symbols of at most four bits go two to a byte behind the two header bytes.
      if (std::all_of(r.begin() + 2, r.end(), [](uint8_t s) { return s < 16; }) && r.size() > 2) {
        BB packed(r.begin(), r.begin() + 2);
        const BB sym(r.begin() + 2, r.end());
        const BB two = m.M4_to_M8(sym);
        packed.insert(packed.end(), two.begin(), two.end());
        probe(packed, w.maxParam == 4 ? "3(" + str(p) + ")" : "2уп(" + str(p) + "):" + w.name, 3);
      }
    }
  }
  log_Msg(line(14) + "\r\n" + str(bestCode) + "=" + str(est(best)) + "\r\n" + line(14));
  return bestCode > 0 ? est(best) : -1;
}

TT analiz_Dannyh(cMassiv& m, const BB& D, const tLog& log_Msg) {
  TT T = m.copy_BB_to_TT(D);
  if (T.empty()) return T;
  const int32_t min8 = m.brisk_Min_TT(T);
  m.ins_N_to_TT(min8, T, 0);
  const int32_t max8 = m.max_TT(T);
  log_Msg("Min8=" + str(min8));
  log_Msg("Max8=" + str(max8));
  if (m.emk_N32(max8) < 8) log_Msg(str(m.emk_N32(max8)) + " битные данные в 8 битном формате");
  // Odd length: no 16-bit reading, and the analysis ends with the bytes.
  if (D.size() % 2 != 0) return T;
  // Equal counts of even and odd bytes: their sums compare as their means.
  int64_t a = 0, b = 0;
  for (size_t i = 0; i < D.size(); i += 2) {
    a += D[i];
    b += D[i + 1];
  }
  if (0.8 * static_cast<double>(b) <= static_cast<double>(a) && static_cast<double>(a) <= 1.2 * static_cast<double>(b)) {
    T = m.copy_BB_to_TT(D);
  } else {
    log_Msg("16/32 битные данные");
    TT t16 = m.M8_to_M16(D);
    const int32_t min16 = m.brisk_Min_TT(t16);
    m.ins_N_to_TT(min16, t16, 0);
    const int32_t max16 = m.max_TT(t16);
    log_Msg("Min16=" + str(min16));
    log_Msg("Max16=" + str(max16));
    if (m.emk_N32(max16) > 15) {
      T = m.copy_BB_to_TT(D);
    } else {
      T = std::move(t16);
      log_Msg(str(m.emk_N32(max16)) + " битные данные в 16 битном формате");
    }
  }
  int64_t sum = 0;
  int32_t x = 0;
  for (int32_t v : T) {
    sum += v;
    x = std::max(x, v);
  }
  const int64_t mean = static_cast<int64_t>(std::floor(static_cast<double>(sum) / static_cast<double>(T.size()) + 0.5));
  if (2 * mean < x) {
    log_Msg(x < 3 * mean ? "слабо эксп. данные - рекомендуется PMD/ARI" : "сильно эксп. данные - рекомендуется БРЧ и пр.");
    TT ff;
    m.tab_FF(T, ff);
    const int32_t top = ff.empty() ? 0 : *std::max_element(ff.begin(), ff.end());
    log_Msg(top < 101 ? "слабо повторные данные - рекомендуется БРЧ и пр." : "много хрюшек-повторюшек - рекомендуется PMD/ARI");
  }
  log_Msg("анализ равномерности значений и частот:");
  log_Msg("(потом будет)");
  return T;
}

// ---------------------------------------------------------------- the survey

void run_Method_Search(cFile& file, cMassiv& m, const BB& D, const tLog& log_Msg, int32_t& bestSize, bool& keepOpen) {
  keepOpen = true;
  log_Msg("<HOME!>");
  log_Msg("неспеша перебором 25 вариантов ищем лучший");
  log_Msg(line(42));
  int32_t metod = 0;
  log_Msg("без доп. метотодов=" + str(static_cast<int64_t>(file.zip_Auto(D, metod, false).size())));
  auto lower = [&](int64_t size) {
    if (size < bestSize) bestSize = static_cast<int32_t>(size);
  };

  TT T = D.empty() ? TT{} : analiz_Dannyh(m, D, log_Msg);
  if (!T.empty()) m.brisk_Min_TT(T);

  for (int32_t k = 0; k <= 2 && !T.empty(); ++k) {
    log_Msg(line(35));
    TT V = T;
    int64_t c = 0;
    if (k > 0) {
      TT W;
      if (k == 1) {
        log_Msg("--уплотнение значений таблица замены--");
        m.zamena_VV(V, W);
        if (W.empty())
          msg("err");
        else
          m.razn_TT(W, true);
        szhat_Edinicy(W);
      } else {
        log_Msg("--частотная замена частые-меньший номер--");
        m.zamena_FF(V, W);
      }
      c = m.cmp_TT_TT(V, T, true) ? 0 : static_cast<int64_t>(W.size());
      m.ins_N_to_TT(static_cast<int32_t>(c), W, 0);
      if (c < 1) continue;
      const bool oldLog = file.setFlagLog(false);
      int32_t num = 0;
      const int64_t brBytes = min_BR_Bits(m, W, num) / 8;
      int32_t met = 0;
      const BB z = file.zip_Auto(file.zip_78auto(W), met, false);
      file.setFlagLog(oldLog);
      c = z.empty() ? brBytes : std::min<int64_t>(brBytes, static_cast<int64_t>(z.size()));
      log_Msg("(+" + str(c) + ")");
    }

    int32_t start = static_cast<int32_t>(V.size() / 2) < 512 ? 0 : static_cast<int32_t>(V.size() / 2) - 512;
    const TT S = m.blok_TT(V, start, 1024);
    const double f = static_cast<double>(V.size()) / static_cast<double>(S.size());
    const int32_t M = m.max_TT(V);
    auto est = [&](double b) { return static_cast<int64_t>(std::floor(b * f)) + c; };
    auto report = [&](const std::string& text, int64_t value) {
      log_Msg(text + str(value));
      lower(value);
    };

    report("упаковка по осн Max+1(" + str(int64_t{M} + 1) + ")=", est(static_cast<double>(file.zip_Max1_TT(S).size())));
    if (M < 4000) report("16 битный арифметик=", est(static_cast<double>(file.zip_Ari16_4k(S).size())));
    log_Msg("-методы для небольших частот и эксп. знач-");
    {
      int32_t num = 0;
      const int64_t v = est(min_BR_Bits(m, S, num) / 8.0);
      log_Msg("БРЧ сожмёт до=" + str(v) + " методом=" + str(num));
      lower(v);
    }
    {
      log_Msg("Однокаскадное деление: ждите..");
      int32_t d = 0;
      const int64_t v = est(delenie_1kask(m, S, M, d) / 8.0);
      log_Msg("Однокаскадное деление сожмёт до=" + str(v) + " (" + str(d) + ")");
      lower(v);
    }
    {
      log_Msg("Двухкаскадное деление: ждите. это очень долго.");
      int32_t q1 = 0, q2 = 0;
      const int64_t v = est(delenie_2kask(m, S, M, q1, q2, log_Msg) / 8.0);
      log_Msg("Двухкаскадное деление сожмёт до=" + str(v) + " (" + str(q1) + "," + str(q2) + ")");
      lower(v);
    }
    TT ffV;
    m.tab_FF(V, ffV);
    if (std::all_of(ffV.begin(), ffV.end(), [](int32_t n) { return n <= 1; })) {
      const int32_t bits = kombo_Perestanovka(m, V);
      if (bits >= 0) report("Комбо(все частоты=1) сожмёт до=", static_cast<int64_t>(std::floor(bits / 8.0)) + c);
    }
    // The frequencies less 1 are what the gaps leave to store.
    TT reduced;
    m.tab_FF(S, reduced);
    m.dec_TT(reduced);
    const int32_t bitsLim = kombi_Mnozhestvo(m, S, true);
    if (bitsLim > 0) {
      int32_t met = 0;
      const BB z = file.zip_Auto(file.zip_78auto(reduced), met, false);
      report("Комби с огр. сожмёт до=", est(bitsLim / 8.0) + static_cast<int64_t>(z.size()));
    }
    const int32_t bitsFree = kombi_Mnozhestvo(m, S, false);
    if (bitsFree > 0) {
      int32_t met = 0;
      const BB z = file.zip_Auto(m.M16_to_M8(reduced), met, false);
      report("Комби без огр. сожмёт до=", est(bitsFree / 8.0) + static_cast<int64_t>(z.size()));
    }
    report("M49_3334. сожмёт до=", est(static_cast<double>(m.zip_M49_3334(m.copy_TT_to_M49(S)).size())));
    {
      const BB p = m.zip_p3334(S);
      if (!p.empty()) report("p3344 сожмёт до=", est(static_cast<double>(m.M4_to_M8(p).size())));
    }
    {
      const BB p = m.zip_p78(S);
      if (!p.empty()) report("p78 сожмёт до=", est(static_cast<double>(p.size())));
    }
    {
      const BB p = file.zip_78auto(S);
      if (!p.empty()) report("p78-авто. сожмёт до=", est(static_cast<double>(p.size())));
    }
    {
      int32_t met = 0;
      const int64_t len = static_cast<int64_t>(file.zip_Auto(file.zip_78auto(V), met, false).size());
      log_Msg("p78-авто+PMD. сожмёт до=" + str(len) + "+" + str(c) + "=" + str(len + c));
      lower(len + c);
    }
    const int64_t konv = kontekst_Konvertor(file, m, S, c, f, log_Msg);
    if (konv >= 0) lower(konv);
  }
  log_Msg("--конец Демо кодерам--");
  log_Msg(line(33));
}
