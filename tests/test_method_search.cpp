#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "brisk/method_search.h"
#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

struct cSurvey {
  std::vector<std::string> lines;
  int32_t bestSize = 0;
  bool keepOpen = false;
  bool flagLogAfter = false;
};

cSurvey survey(const BB& D) {
  cFile file;
  file.setFlagLog(true);
  cSurvey r;
  r.bestSize = static_cast<int32_t>(D.size()) + 2;
  run_Method_Search(file, file.massiv(), D, [&](const std::string& s) { r.lines.push_back(s); }, r.bestSize,
                    r.keepOpen);
  r.flagLogAfter = file.setFlagLog(true);
  return r;
}

// Index of the first line that starts with `head` at or after `from`, or -1.
long find_Line(const std::vector<std::string>& lines, const std::string& head, long from = 0) {
  for (long i = from; i < static_cast<long>(lines.size()); ++i)
    if (lines[static_cast<size_t>(i)].rfind(head, 0) == 0) return i;
  return -1;
}

int64_t number_After(const std::string& line, const std::string& head) {
  return std::stoll(line.substr(head.size()));
}

}  // namespace

// 16-bit little-endian values below 256: analysed as 16-bit data; three
// variants with all their estimate lines in order.
TEST(MethodSearch, LinesInOrderOnSmallInput) {
  std::mt19937 g(5);
  BB D;
  for (int i = 0; i < 1500; ++i) {
    D.push_back(static_cast<uint8_t>(40 + g() % 7 * (g() % 5 == 0 ? 20 : 1)));
    D.push_back(0);
  }
  platform::cScopedMsgCapture cap;
  const cSurvey r = survey(D);
  const auto& L = r.lines;
  ASSERT_GE(L.size(), 20u);
  EXPECT_TRUE(r.keepOpen);
  EXPECT_TRUE(r.flagLogAfter);  // the log is back on after the trial codings
  EXPECT_EQ(L[0], "<HOME!>");
  EXPECT_EQ(L[1], "неспеша перебором 25 вариантов ищем лучший");
  EXPECT_EQ(L[2], std::string(42, '_'));
  EXPECT_EQ(L[3].rfind("без доп. метотодов=", 0), 0u);
  EXPECT_EQ(L[4], "Min8=0");
  EXPECT_EQ(L[5], "Max8=160");
  long p = find_Line(L, "16/32 битные данные");
  ASSERT_GT(p, 5);
  EXPECT_EQ(L[static_cast<size_t>(p + 1)], "Min16=40");
  EXPECT_EQ(L[static_cast<size_t>(p + 2)], "Max16=120");
  EXPECT_EQ(L[static_cast<size_t>(p + 3)], "7 битные данные в 16 битном формате");
  p = find_Line(L, "анализ равномерности значений и частот:", p);
  ASSERT_GT(p, 0);
  EXPECT_EQ(L[static_cast<size_t>(p + 1)], "(потом будет)");

  const std::vector<std::string> variant = {
      "упаковка по осн Max+1(",
      "16 битный арифметик=",
      "-методы для небольших частот и эксп. знач-",
      "БРЧ сожмёт до=",
      "Однокаскадное деление: ждите..",
      "Однокаскадное деление сожмёт до=",
      "Двухкаскадное деление: ждите. это очень долго.",
      "Двухкаскадное деление сожмёт до=",
      "M49_3334. сожмёт до=",
      "p3344 сожмёт до=",
      "p78 сожмёт до=",
      "p78-авто. сожмёт до=",
      "p78-авто+PMD. сожмёт до=",
      "--волшебный контекстный конвертор для PMD--",
  };
  const std::vector<std::string> heads = {"", "--уплотнение значений таблица замены--",
                                          "--частотная замена частые-меньший номер--"};
  for (int k = 0; k < 3; ++k) {
    p = find_Line(L, std::string(35, '_'), p + 1);
    ASSERT_GT(p, 0) << k;
    if (k > 0) {
      EXPECT_EQ(L[static_cast<size_t>(p + 1)], heads[static_cast<size_t>(k)]);
      EXPECT_EQ(L[static_cast<size_t>(p + 2)].rfind("(+", 0), 0u);
    }
    for (const auto& v : variant) {
      const long q = find_Line(L, v, p + 1);
      ASSERT_GT(q, p) << k << " " << v;
      p = q;
    }
  }
  // The converter report ends with its framed summary, then the survey ends.
  EXPECT_EQ(L[L.size() - 2], "--конец Демо кодерам--");
  EXPECT_EQ(L.back(), std::string(33, '_'));
  const std::string& summary = L[L.size() - 3];
  EXPECT_EQ(summary.rfind(std::string(14, '_') + "\r\n", 0), 0u);
  // The best size is the smallest estimate logged.
  int64_t smallest = static_cast<int64_t>(D.size()) + 2;
  for (const auto& s : L) {
    for (const char* h : {"БРЧ сожмёт до=", "p78 сожмёт до=", "p78-авто. сожмёт до=", "M49_3334. сожмёт до="})
      if (s.rfind(h, 0) == 0) smallest = std::min(smallest, number_After(s, h));
  }
  EXPECT_LE(r.bestSize, smallest);
  EXPECT_LT(r.bestSize, static_cast<int32_t>(D.size()));
}

// Values already dense and in frequency order: the two renumbering variants
// change nothing and stop after their heading lines.
TEST(MethodSearch, UnchangedVariantsAreSkipped) {
  BB D;
  for (int i = 0; i < 701; ++i) D.push_back(static_cast<uint8_t>(i % 3 == 0 ? 0 : i % 3 == 1 ? 0 : 1));
  D[1] = 2;  // frequencies 0 > 1 > 2
  platform::cScopedMsgCapture cap;
  const cSurvey r = survey(D);
  const auto& L = r.lines;
  for (const char* head : {"--уплотнение значений таблица замены--", "--частотная замена частые-меньший номер--"}) {
    const long p = find_Line(L, head);
    ASSERT_GT(p, 0);
    const std::string& next = L[static_cast<size_t>(p + 1)];
    EXPECT_TRUE(next == std::string(35, '_') || next == "--конец Демо кодерам--") << next;
  }
  EXPECT_EQ(find_Line(L, "(+"), -1);
}

// Degenerate inputs still run through to the closing lines.
TEST(MethodSearch, TinyInputs) {
  platform::cScopedMsgCapture cap;
  for (const BB& D : {BB{}, BB{7}, BB{7, 7}, BB(100, 0), BB{0, 255, 0, 255}}) {
    const cSurvey r = survey(D);
    ASSERT_GE(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[r.lines.size() - 2], "--конец Демо кодерам--") << D.size();
    EXPECT_TRUE(r.keepOpen);
  }
}

TEST(Estimators, PermutationAndMultisetRanks) {
  cMassiv m;
  EXPECT_EQ(kombo_Perestanovka(m, {0, 1, 2, 3, 4}), 0);
  EXPECT_EQ(kombo_Perestanovka(m, {1, 0}), 1);
  EXPECT_EQ(kombo_Perestanovka(m, {4, 3, 2, 1, 0}), 7);  // rank 5! - 1 = 119
  platform::cScopedMsgCapture cap;
  EXPECT_EQ(kombo_Perestanovka(m, {2, 0, 2}), -1);
  EXPECT_TRUE(cap.box.saw("есть одинаковые числа в массиве"));
  EXPECT_EQ(kombo_Perestanovka(m, {0, 5}), -1);
  EXPECT_TRUE(cap.box.saw("число не влазит"));

  // 0 at gaps 1 and 2 (ranges 3, 3), then 1 at position 0 of 2.
  EXPECT_EQ(kombi_Mnozhestvo(m, {0, 1, 0, 2}, false), 3);  // N = (1 * 3 + 0) * 2 = 6
  EXPECT_EQ(kombi_Mnozhestvo(m, {0, 1, 0, 2}, true), 5);   // ((1 * 2 + 0) * 3 + 2) * 2 = 16
  EXPECT_EQ(kombi_Mnozhestvo(m, {0, 2, 0}, false), -1);    // 1 is missing
  EXPECT_EQ(kombi_Mnozhestvo(m, {0, 0, 0}, true), 0);
}

TEST(Estimators, RunsOfOnes) {
  TT w{5, 1, 1, 1, 2, 1, 1, 3, 1, 1, 1, 1};
  szhat_Edinicy(w);
  EXPECT_EQ(w, (TT{5, 0, 3, 2, 1, 1, 3, 0, 4}));
  TT first{1, 1, 1};
  szhat_Edinicy(first);  // index 0 is the first value, not part of a run
  EXPECT_EQ(first, (TT{1, 1, 1}));
}

// Values with a common factor: the division search finds that factor, and the
// cost is that of the quotients alone (every remainder is 0, the long number
// of remainders is empty). Values that share nothing gain nothing.
TEST(Estimators, DivisionFindsTheCommonFactor) {
  cMassiv m;
  for (int32_t factor : {7, 12, 30}) {
    TT S(1024), Q(1024);
    for (size_t i = 0; i < S.size(); ++i) {
      Q[i] = static_cast<int32_t>((i * 7 + i / 5) % 6);
      S[i] = factor * Q[i];
    }
    const int32_t M = *std::max_element(S.begin(), S.end());
    int32_t num = 0, vMax = 0;
    const int64_t quotients = m.min_BR(Q, num, vMax);
    int32_t d = -1;
    EXPECT_EQ(delenie_1kask(m, S, M, d), quotients) << factor;
    EXPECT_EQ(d, factor);
    int32_t q1 = 0, q2 = 0;
    std::vector<std::string> improved;
    const int32_t two = delenie_2kask(m, S, M, q1, q2, [&](const std::string& s) { improved.push_back(s); });
    EXPECT_LE(two, m.min_BR(S, num, vMax = 0)) << factor;
    if (q1 > 0) {
      EXPECT_EQ(improved.back(), "q1=" + std::to_string(q1) + " q2=" + std::to_string(q2));
    }
  }
  // Uniform values below 64 have no structure a divisor could use.
  TT S(1024);
  std::mt19937 g(11);
  for (auto& v : S) v = static_cast<int32_t>(g() % 64);
  S[0] = 63;
  int32_t num = 0, vMax = 0, d = -1;
  EXPECT_EQ(delenie_1kask(m, S, 63, d), m.min_BR(S, num, vMax));
  EXPECT_EQ(d, 0);

  platform::cScopedMsgCapture cap;
  delenie_1kask(m, {}, 0, d);
  EXPECT_TRUE(cap.box.saw("err"));
}

// An odd length ends the analysis with the byte statistics; an even one goes
// on to the character lines.
TEST(MethodSearch, AnalysisOfOddLengthStopsAfterTheBytes) {
  platform::cScopedMsgCapture cap;
  cMassiv m;
  BB D(301);
  for (size_t i = 0; i < D.size(); ++i) D[i] = static_cast<uint8_t>(i % 7 == 0 ? 90 : i % 3);
  std::vector<std::string> odd, even;
  const TT T = analiz_Dannyh(m, D, [&](const std::string& s) { odd.push_back(s); });
  EXPECT_EQ(odd, (std::vector<std::string>{"Min8=0", "Max8=90", "7 битные данные в 8 битном формате"}));
  EXPECT_EQ(T.size(), D.size() + 1);
  D.push_back(1);
  analiz_Dannyh(m, D, [&](const std::string& s) { even.push_back(s); });
  ASSERT_GE(even.size(), 5u);
  EXPECT_EQ(even[even.size() - 2], "анализ равномерности значений и частот:");
  EXPECT_EQ(even.back(), "(потом будет)");
}

// Whole-array sample (f = 1, c = 0 in variant 0): the multiset line without
// limit adds the full search's container of the reduced table as 16-bit
// bytes; the converter's best estimate lowers the best size.
TEST(MethodSearch, MultisetWithoutLimitAndConverterEstimates) {
  std::mt19937 g(3);
  BB D(401);
  for (auto& b : D) b = static_cast<uint8_t>(g() % 6);
  D[0] = 0;  // the minimum 0 is inserted in front of the bytes
  platform::cScopedMsgCapture cap;
  const cSurvey r = survey(D);
  const auto& L = r.lines;

  cFile file;
  cMassiv& m = file.massiv();
  TT S(D.begin(), D.end());
  S.insert(S.begin(), 0);
  TT reduced;
  m.tab_FF(S, reduced);
  m.dec_TT(reduced);
  int32_t met = 0;
  const int64_t zLen = static_cast<int64_t>(file.zip_Auto(m.M16_to_M8(reduced), met, false).size());
  const int32_t bits = kombi_Mnozhestvo(m, S, false);
  ASSERT_GT(bits, 0);
  const long p = find_Line(L, "Комби без огр. сожмёт до=");
  ASSERT_GT(p, 0);
  EXPECT_EQ(number_After(L[static_cast<size_t>(p)], "Комби без огр. сожмёт до="), bits / 8 + zLen);

  // Every converter summary "____\r\ncode=size\r\n____" bounds the best size.
  int summaries = 0;
  for (const auto& s : L)
    if (s.rfind(std::string(14, '_') + "\r\n", 0) == 0) {
      const size_t eq = s.find('=');
      ASSERT_NE(eq, std::string::npos);
      EXPECT_LE(r.bestSize, std::stoll(s.substr(eq + 1)));
      ++summaries;
    }
  EXPECT_GE(summaries, 1);

  // On a sample that stands for twice its length the figures double.
  std::vector<std::string> one, two;
  const TT small(S.begin(), S.begin() + 200);
  const int64_t e1 = kontekst_Konvertor(file, m, small, 3, 1.0, [&](const std::string& s) { one.push_back(s); });
  const int64_t e2 = kontekst_Konvertor(file, m, small, 3, 2.0, [&](const std::string& s) { two.push_back(s); });
  ASSERT_GT(e1, 3);
  EXPECT_EQ(e2, 2 * (e1 - 3) + 3);
  EXPECT_EQ(one.size(), two.size());
  EXPECT_TRUE(one.back().find("=" + std::to_string(e1) + "\r\n") != std::string::npos) << one.back();
}
