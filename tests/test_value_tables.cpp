#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "massiv/cMassiv.h"
#include "platform/msg_box.h"

using platform::cScopedMsgCapture;

namespace {
// A plain transcription of the reference quicksort (recursive, no shortcuts
// beyond the sortedness test), to check the tie order of equal values.
void ref_Sort(TT& a, TT& c, int32_t lo, int32_t hi) {
  if (lo >= hi) return;
  const int32_t pivot = a[(lo + hi) / 2];
  int32_t i = lo, j = hi;
  do {
    while (a[i] < pivot && i < hi) ++i;
    while (pivot < a[j] && j > lo) --j;
    if (i <= j) {
      std::swap(a[i], a[j]);
      std::swap(c[i], c[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) ref_Sort(a, c, lo, j);
  if (i < hi) ref_Sort(a, c, i, hi);
}
}  // namespace

TEST(ValueTables, FrequencyAndValueTables) {
  cMassiv m;
  cScopedMsgCapture cap;
  TT ff;
  m.tab_FF_b(BB{2, 0, 2}, ff);
  EXPECT_EQ(ff, (TT{1, 0, 2}));
  m.tab_FF(TT{3, 1, 1}, ff);
  EXPECT_EQ(ff, (TT{0, 2, 0, 1}));
  m.tab_FF(TT{65537}, ff);
  EXPECT_TRUE(ff.empty());
  EXPECT_THROW(m.tab_FF(TT{1, -1}, ff), cIndexError);

  TT pp, ff0;
  m.tab_FF_24(TT{3, 0, 3}, pp, ff0);
  EXPECT_EQ(pp, (TT{3, 0}));
  EXPECT_EQ(ff0, (TT{2, 1}));
  m.tab_FF_24(TT{16000000, 5, 16000000}, pp, ff0);  // wide range, few values
  EXPECT_EQ(pp, (TT{16000000, 5}));
  EXPECT_EQ(ff0, (TT{2, 1}));
  m.tab_FF_24(TT{16777217}, pp, ff0);
  EXPECT_TRUE(pp.empty());

  TT vv;
  m.tab_VV(TT{5, 1, 5, 0, 1, 2}, vv);  // dense: counted
  EXPECT_EQ(vv, (TT{0, 1, 2, 5}));
  m.tab_VV(TT{900, 7, 900}, vv);  // sparse: sorted
  EXPECT_EQ(vv, (TT{7, 900}));
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"max 64k", "max 16m"}));
}

TEST(ValueTables, ReplacementByRankAndBack) {
  cMassiv m;
  cScopedMsgCapture cap;
  TT t{30, 10, 30, 20}, vv;
  m.zamena_VV(t, vv);
  EXPECT_EQ(t, (TT{2, 0, 2, 1}));
  EXPECT_EQ(vv, (TT{10, 20, 30}));
  m.vost_VV(t, vv);
  EXPECT_EQ(t, (TT{30, 10, 30, 20}));

  TT f{2, 2, 0, 2, 1, 1};
  m.zamena_FF(f, vv);
  EXPECT_EQ(f, (TT{0, 0, 2, 0, 1, 1}));
  EXPECT_EQ(vv, (TT{2, 1, 0}));
  m.vost_VV(f, vv);
  EXPECT_EQ(f, (TT{2, 2, 0, 2, 1, 1}));
  TT g{0, 0, 0, 1, 1, 3};  // value 2 never occurs: it ranks last
  m.zamena_FF(g, vv);
  EXPECT_EQ(vv, (TT{0, 1, 3, 2}));
  EXPECT_EQ(g, (TT{0, 0, 0, 1, 1, 2}));

  TT keep{0, 9, -1};
  m.vost_VV(keep, TT{5});
  EXPECT_EQ(keep, (TT{5, 9, -1}));
  TT neg{1, -1};
  m.zamena_FF(neg, vv);
  EXPECT_EQ(neg, (TT{1, -1}));
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"отриц"}));

  // Ties in a larger frequency table follow the reference quicksort.
  std::mt19937 rng(3);
  TT big(20000);
  for (int32_t& v : big) v = static_cast<int32_t>(rng() % 300);
  TT ff;
  m.tab_FF(big, ff);
  TT a = ff, nn(ff.size());
  for (size_t i = 0; i < nn.size(); ++i) nn[i] = static_cast<int32_t>(i);
  ref_Sort(a, nn, 0, static_cast<int32_t>(a.size()) - 1);
  TT big2 = big;
  m.zamena_FF(big2, vv);
  for (size_t k = 0; k < vv.size(); ++k) ASSERT_EQ(vv[k], nn[nn.size() - 1 - k]);
  m.vost_VV(big2, vv);
  EXPECT_EQ(big2, big);
}

TEST(ValueTables, SmallTables) {
  cMassiv m;
  cScopedMsgCapture cap;
  BB all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(255 - i);
  EXPECT_EQ(m.kol_razn_8b(all), 256);
  EXPECT_EQ(m.tab_val_16b(TT{7, 3, 7, 0, 3}), (TT{0, 1, 3}));
  EXPECT_TRUE(m.tab_val_16b(TT{1, 65536}).empty());
  EXPECT_TRUE(m.tab_val_16b(TT{-1}).empty());
  EXPECT_EQ(m.obr_Tabl(TT{2, 0, 1}), (TT{1, 2, 0}));
  EXPECT_TRUE(m.obr_Tabl(TT{0, 5}).empty());
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"больше 64к", "отриц", "err"}));
  EXPECT_THROW(m.obr_Tabl(TT{-1, 1}), cIndexError);

  cap.box.clear();
  TT inv(256);
  for (int i = 0; i < 256; ++i) inv[i] = 255 - i;
  EXPECT_EQ(m.replacerB(inv, BB{0, 1, 255}), (BB{255, 254, 0}));
  EXPECT_TRUE(cap.box.texts.empty());
  EXPECT_EQ(m.replacerB(TT{9, 8}, BB{1, 0}), (BB{8, 9}));
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"неверная таблица замены"}));
  EXPECT_THROW(m.replacerB(TT{9, 8}, BB{2}), cIndexError);
  EXPECT_EQ(m.replacerT(TT{5, 6, 7}, TT{2, 0}), (TT{7, 5}));
  EXPECT_THROW(m.replacerT(TT{5}, TT{-1}), cIndexError);
  EXPECT_EQ(m.Array_BB({1, 255}), (BB{1, 255}));
  EXPECT_THROW(m.Array_BB({256}), cOverflowError);
  EXPECT_EQ(m.max_len_SS(SS{"ab", "", "abc"}), 3);
}

TEST(ValueTables, SortingKeepsTheReferenceOrderOfTies) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.test_Sort(TT{1, 1, 2}), 1);
  EXPECT_EQ(m.test_Sort(TT{3, 3, 1}), 2);
  EXPECT_EQ(m.test_Sort(TT{1, 3, 2}), 0);
  EXPECT_EQ(m.test_Sort(TT{}), 1);

  TT t{30, 10, 20}, nn;
  m.qSort_poz(t, nn);
  EXPECT_EQ(t, (TT{10, 20, 30}));
  EXPECT_EQ(nn, (TT{1, 2, 0}));
  TT r{5, 5, 3}, rn;
  m.qSort_poz(r, rn);  // non-increasing: reversed, positions with it
  EXPECT_EQ(rn, (TT{2, 1, 0}));
  TT one{4};
  m.qSort_poz(one, nn);
  EXPECT_EQ(nn, (TT{0}));

  TT a{3, 1, 2}, d{30, 10, 20, 99};
  m.qSort_2tt(a, d);
  EXPECT_EQ(d, (TT{10, 20, 30, 99}));
  TT b{3, 2, 1}, e{30, 20, 10, 99};
  m.qSort_2tt(b, e);
  EXPECT_EQ(e, (TT{10, 20, 30, 99}));
  TT shortCompanion{1};
  EXPECT_THROW(m.qSort_2tt(a = {2, 1}, shortCompanion), cIndexError);

  TT out;
  m.qSort(TT{}, out);
  TT empty;
  m.qSort_poz(empty, nn);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"pusto", "pusto"}));

  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    TT v(1 + rng() % 3000);
    for (int32_t& x : v) x = static_cast<int32_t>(rng() % (round + 2));
    TT ra = v, rc(v.size());
    for (size_t i = 0; i < rc.size(); ++i) rc[i] = static_cast<int32_t>(i);
    if (m.test_Sort(v) == 0) ref_Sort(ra, rc, 0, static_cast<int32_t>(ra.size()) - 1);
    TT w = v, pos;
    m.qSort_poz(w, pos);
    if (m.test_Sort(v) == 0) {
      ASSERT_EQ(pos, rc);
    }
    ASSERT_TRUE(std::is_sorted(w.begin(), w.end()));
    for (size_t i = 0; i < w.size(); ++i) ASSERT_EQ(w[i], v[pos[i]]);
  }
}

TEST(ValueTables, SortingHasNoQuadraticShape) {
  cMassiv m;
  const int32_t n = 300000;
  TT pipe(n);
  for (int32_t i = 0; i < n; ++i) pipe[i] = i < n / 2 ? i : n - i;
  TT out;
  m.qSort(pipe, out);
  TT ref = pipe;
  std::sort(ref.begin(), ref.end());
  EXPECT_EQ(out, ref);
  TT nn;
  m.qSort_poz(pipe, nn);
  EXPECT_EQ(pipe, ref);
}

TEST(ValueTables, BinFindUsesAndKeepsItsPosition) {
  cMassiv m;
  const TT t{10, 20, 30};
  int32_t poz = -9;
  EXPECT_FALSE(m.bin_Find(t, 25, poz));
  EXPECT_EQ(poz, 2);
  EXPECT_TRUE(m.bin_Find(t, 20, poz));
  EXPECT_EQ(poz, 1);
  EXPECT_FALSE(m.bin_Find(t, 40, poz));
  EXPECT_EQ(poz, 3);
  EXPECT_FALSE(m.bin_Find(t, 5, poz));
  EXPECT_EQ(poz, 0);
  EXPECT_TRUE(m.bin_Find(t, 30, poz));
  EXPECT_EQ(poz, 2);
  EXPECT_FALSE(m.bin_Find(TT{}, 1, poz));
  EXPECT_EQ(poz, 0);

  // Against lower_bound from every remembered position, up and down.
  TT s;
  for (int32_t i = 0; i < 500; ++i) s.push_back(3 * i);
  std::mt19937 rng(5);
  for (int k = 0; k < 5000; ++k) {
    const int32_t v = static_cast<int32_t>(rng() % 1600) - 50;
    const bool found = m.bin_Find(s, v, poz);
    const auto it = std::lower_bound(s.begin(), s.end(), v);
    ASSERT_EQ(found, it != s.end() && *it == v) << v;
    ASSERT_EQ(poz, it - s.begin()) << v;
  }
  m.poz_Find = 1 << 30;  // a stale position from a longer array
  EXPECT_TRUE(m.bin_Find(s, 6, poz));
  EXPECT_EQ(poz, 2);

  TT set;
  for (int32_t v : {5, 1, 9, 5, 1, 7}) m.add_N_to_sort_TT(set, v);
  EXPECT_EQ(set, (TT{1, 5, 7, 9}));
}

TEST(ValueTables, SearchCountAndReplace) {
  cMassiv m;
  cScopedMsgCapture cap;
  const BB b{1, 2, 3, 1, 2};
  EXPECT_FALSE(m.N_in_BB(b, 259));  // not 3 modulo 256
  EXPECT_EQ(m.poz_N_in_BB(b, 2), 1);
  EXPECT_EQ(m.find_N_in_BB(1, b, 1), 3);
  EXPECT_EQ(m.find_N_in_TT(5, TT{5, 6, 5}, 1), 2);
  EXPECT_EQ(m.find_N_in_TT(5, TT{5}, -1), -1);
  EXPECT_EQ(m.find_N_in_BB(5, b, -1), -1);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"err", "err- find_N_in_BB_end-поиск с конца"}));
  EXPECT_EQ(m.find_N_in_BB_end(2, b), 4);
  EXPECT_EQ(m.getAdresaN(TT{5, 1, 5}, 5), (TT{0, 2}));
  EXPECT_EQ(m.kol_N_in_BB(b, 1), 2);

  EXPECT_EQ(m.find_blok_BB(0, BB{1, 2}, BB{2, 3}), -1);
  EXPECT_EQ(m.find_blok_BB(1, b, BB{1, 2}), 3);
  EXPECT_EQ(m.find_blok_BB(0, b, BB{}), -1);
  EXPECT_EQ(m.find_blok_TT(0, TT{7, 8, 9}, TT{8, 9}), 1);
  EXPECT_EQ(m.kol_blok_BB(BB{1, 1, 1}, BB{1, 1}), 1);
  EXPECT_EQ(m.kol_blok_BB(b, BB{1, 2}), 2);
  EXPECT_EQ(m.kol_blok_BB(b, BB{}), 0);

  BB r = b;
  m.replace_blok_BB(r, BB{1, 2}, BB{9});
  EXPECT_EQ(r, (BB{9, 3, 9}));
  m.replace_blok_BB(r, BB{9}, BB{});
  EXPECT_EQ(r, (BB{3}));
  m.replace_blok_BB(r, BB{}, BB{4});
  EXPECT_EQ(r, (BB{3}));

  cap.box.clear();
  BB c{1, 2, 1};
  m.replace_BB_B1_B2(c, 1, 7);
  m.replace_BB_B1_B2(c, 7, 300);
  EXPECT_EQ(c, (BB{7, 2, 7}));
  m.del_N_in_BB(c, 7);
  m.del_N_in_BB(c, -1);
  EXPECT_EQ(c, (BB{2}));
  TT d{1, -1, 2, -1};
  m.replace_TT_N1_N2(d, 2, 3);
  m.del_N_in_TT(d, -1);
  EXPECT_EQ(d, (TT{1, 3}));
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"не влезет", "не влезет"}));
}

TEST(ValueTables, ComparisonsAndTheirReport) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_FALSE(m.cmp_BB_BB(BB{1, 2}, BB{1}));
  EXPECT_FALSE(m.cmp_TT_TT(TT{1, 2}, TT{2, 1}, true));
  EXPECT_TRUE(m.cmp_TT_TT(TT{1, 2}, TT{2, 1}, false));
  EXPECT_FALSE(m.cmp_TT_TT(TT{1, 1, 2}, TT{1, 2, 2}, false));
  EXPECT_FALSE(m.cmp_TT_TT(TT{1}, TT{1, 1}, false));

  m.cmp_TT_TT_msg(TT{1, 2}, TT{2, 1});
  m.cmp_BB_BB_msg(BB{1}, BB{1, 2});
  m.cmp_BB_BB_msg(BB{3, 4}, BB{3, 4});
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"по порядку РАЗНЫЕ!\r\nпосле сортировки одинаковые",
                                                     "по размеру РАЗНЫЕ!",
                                                     "по порядку одинаковые\r\nпосле сортировки одинаковые"}));
}

TEST(ValueTables, BitStrings) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.N32_to_strBit(5, 8), "00000101");
  EXPECT_EQ(m.strBit_to_N32("00000101"), 5);
  EXPECT_EQ(m.N32_to_strBit(0), "0");
  EXPECT_EQ(m.N32_to_strBit(6, 2), "110");
  EXPECT_EQ(m.N32_to_strBit(-1), std::string(32, '1'));
  EXPECT_EQ(m.strBit_to_N32("1x1"), 5);
  EXPECT_EQ(m.strBit_to_N32(std::string(16, '1')), 65535);
  EXPECT_EQ(m.strBit_to_N32(""), 0);
  EXPECT_EQ(m.strBit_to_N32(std::string(17, '1')), 0);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"пустая строка", "длина больше 16"}));
}
