#include <gtest/gtest.h>

#include "massiv/cMassiv.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

using platform::cScopedMsgCapture;

TEST(Arrays, SubRangeCopyFollowsTheCursor) {
  cMassiv m;
  const BB src{1, 2, 3, 4};
  int32_t p = 1;
  EXPECT_EQ(m.blok_BB(src, p, 2), (BB{2, 3}));
  EXPECT_EQ(p, 3);
  EXPECT_EQ(m.blok_BB(src, p, 5), (BB{4}));  // too long takes the rest
  EXPECT_EQ(p, 4);
  p = 10;
  EXPECT_TRUE(m.blok_BB(src, p, 2).empty());
  EXPECT_EQ(p, 4);  // a position past the end comes back to the length
  p = -3;
  EXPECT_EQ(m.blok_BB(src, p, -1), src);
  EXPECT_EQ(p, 4);
  p = 2;
  EXPECT_TRUE(m.blok_BB(src, p, 0).empty());
  EXPECT_EQ(p, 2);
  EXPECT_EQ(m.blok_TT(TT{5, 6, 7}, 1, -1), (TT{6, 7}));
  EXPECT_TRUE(m.blok_TT(TT{5, 6, 7}, 1, 0).empty());
}

TEST(Arrays, AppendInsertDelete) {
  cMassiv m;
  cScopedMsgCapture cap;
  BB b{1, 2};
  m.ins_N_to_BB(9, b, 5);
  EXPECT_EQ(b, (BB{1, 2, 0, 0, 0, 9}));
  m.ins_N_to_BB(7, b, 1);
  EXPECT_EQ(b, (BB{1, 7, 2, 0, 0, 0, 9}));
  m.ins_N_to_BB(256, b, 0);
  m.ins_N_to_BB(1, b, -1);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"не влезет", "err"}));
  EXPECT_EQ(b.size(), 7u);
  m.del_Poz_in_BB(b, 0);
  m.del_Poz_in_BB(b, 99);
  EXPECT_EQ(b, (BB{7, 2, 0, 0, 0, 9}));

  TT t{1, 2};
  m.ins_N_to_TT(-5, t, 0);
  EXPECT_EQ(t, (TT{-5, 1, 2}));
  m.add_N_to_TT(t, 1, true);
  m.add_N_to_TT(t, 3, true);
  m.add_N_to_TT(t, 1);
  EXPECT_EQ(t, (TT{-5, 1, 2, 3, 1}));
  m.add_TT_to_TT(t, t, 2);  // a head of itself
  EXPECT_EQ(t, (TT{-5, 1, 2, 3, 1, -5, 1}));
  BB a{1};
  m.add_BB_to_BB(a, a);
  m.add_BB_to_BB(a, BB{5, 6, 7}, 3);  // vLen equal to the length takes it whole
  EXPECT_EQ(a, (BB{1, 1, 5, 6, 7}));
  EXPECT_TRUE(m.test_otr_pusto(TT{3, -1}));
  EXPECT_FALSE(m.test_otr_pusto(TT{0, 3}));
}

TEST(Arrays, ReDimPreservesOrResets) {
  cMassiv m;
  BB b{1, 2, 3};
  m.reDim_BB(b, 5, true);
  EXPECT_EQ(b, (BB{1, 2, 3, 0, 0}));
  m.reDim_BB(b, 2, false);
  EXPECT_EQ(b, (BB{0, 0}));
  m.reDim_BB(b, 0, true);
  EXPECT_TRUE(b.empty());
  SS s{"a"};
  m.reDim_SS(s, 2, true);
  EXPECT_EQ(s, (SS{"a", ""}));
}

TEST(Arrays, KindConversionsRefuseValuesThatDoNotFit) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.M8_to_M16(BB{1, 2, 3}), (TT{513, 3}));
  EXPECT_EQ(m.M16_to_M8(TT{513, 3}), (BB{1, 2, 3, 0}));
  EXPECT_TRUE(m.M16_to_M8(TT{1, 65536}).empty());
  EXPECT_TRUE(m.M16_to_M8(TT{-1}).empty());
  EXPECT_EQ(m.copy_TT_to_BB(TT{0, 255}), (BB{0, 255}));
  EXPECT_TRUE(m.copy_TT_to_BB(TT{1, -1}).empty());
  EXPECT_EQ(m.copy_TT_to_M49(TT{1, -2, 3}), (M49{1.0, 0.0, 0.0}));
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"переполнение", "переполнение", "переполнение", "отриц"}));
  cap.box.clear();
  EXPECT_TRUE(m.copy_BB_to_TT(BB{}).empty());
  EXPECT_TRUE(m.copy_TT_to_BB(TT{}).empty());
  EXPECT_TRUE(m.M8_to_M16(BB{}).empty());
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"pusto", "пустой массив", "пустой массив"}));
}

TEST(Arrays, NibblesAndPairsPackLeastSignificantFirst) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.M4_to_M8(BB{1, 2, 3}), (BB{33, 3}));
  EXPECT_EQ(m.M8_to_M4(BB{0x21}), (BB{1, 2}));
  EXPECT_EQ(m.M2_to_M8(BB{1, 2, 3, 0, 1}), (BB{57, 1}));
  EXPECT_EQ(m.M8_to_M2(BB{57}), (BB{1, 2, 3, 0}));
  EXPECT_TRUE(m.M4_to_M8(BB{16}).empty());
  EXPECT_TRUE(m.M2_to_M8(BB{0, 4}).empty());
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"не влезет", "не влезет"}));
  const BB r = testsup::random_Bytes(1001, 7);
  EXPECT_EQ(m.M4_to_M8(m.M8_to_M4(r)), r);
  EXPECT_EQ(m.M2_to_M8(m.M8_to_M2(r)), r);
}

TEST(Arrays, BitFields) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.M8_to_M1(BB{6}, 3), (BB{0, 1, 1}));
  EXPECT_TRUE(m.M8_to_M1(BB{6}, 2).empty());
  EXPECT_TRUE(m.M8_to_M1(BB{6}, 9).empty());
  EXPECT_EQ(m.M1_to_M8(BB{1, 0, 1, 1}, 3), (BB{5, 1}));
  EXPECT_TRUE(m.M1_to_M8(BB{1, 2}, 3).empty());
  EXPECT_TRUE(m.M1_to_M32(BB{1}, 33).empty());
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"слишком большое число Max=6", "nBit=1..8",
                                                     "в бит-поле не 0/1", "nBit=1..32"}));
  cap.box.clear();
  const TT t{0, 1, INT32_MAX, INT32_MIN, -1, 12345};
  EXPECT_EQ(m.M1_to_M32(m.M32_to_M1(t, 32), 32), t);
  // A negative value needs all 32 bits; fewer would silently cut it.
  EXPECT_TRUE(m.M32_to_M1(TT{3, -1}, 31).empty());
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"слишком большое число Max=-1"}));
  EXPECT_EQ(m.M1_to_M32(m.M32_to_M1(TT{5, 0, 7}, 3), 3), (TT{5, 0, 7}));
  // The message names the largest value, not the first one of that width.
  cap.box.clear();
  EXPECT_TRUE(m.M32_to_M1(TT{5, 7, 6}, 2).empty());
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"слишком большое число Max=7"}));
}

TEST(Arrays, StringsAndFourByteNumbers) {
  cMassiv m;
  cScopedMsgCapture cap;
  const std::string s = "ab\xC0\xFF";
  BB b = m.str_to_BB(s);
  EXPECT_EQ(b, (BB{'a', 'b', 0xC0, 0xFF}));
  int32_t p = 0;
  EXPECT_EQ(m.BB_to_str(b, p, 0), s);
  EXPECT_EQ(p, 4);
  p = 1;
  EXPECT_EQ(m.BB_to_str(b, p, 2), "b\xC0");
  EXPECT_EQ(p, 3);
  EXPECT_EQ(m.N_to_4byte(-2), (BB{0xFE, 0xFF, 0xFF, 0xFF}));
  BB five{9, 0x78, 0x56, 0x34, 0x12};
  p = 1;
  EXPECT_EQ(m.byte4_to_N(five, p), 0x12345678);
  EXPECT_EQ(p, 5);
  p = 2;  // only 3 bytes left: refused, nothing read past the end
  EXPECT_EQ(m.byte4_to_N(five, p), 0);
  p = -1;
  EXPECT_EQ(m.byte4_to_N(five, p), 0);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"err", "err"}));
}

TEST(Arrays, ByteStreamsWriteAndRead) {
  cMassiv m;
  cScopedMsgCapture cap;
  BB b;
  int32_t p = 0;
  m.put_n8(b, 7, p, true);
  EXPECT_EQ(b.size(), 1025u);
  EXPECT_EQ(p, 1);
  BB c;
  p = 0;
  m.put_n8(c, 1, p);
  m.put_n16(c, 0x0302, p);
  m.put_n32(c, -1, p);
  m.put_n(c, 4, p, false);
  m.put_n(c, 0x0605, p, true);
  EXPECT_EQ(c, (BB{1, 2, 3, 255, 255, 255, 255, 4, 5, 6}));
  EXPECT_EQ(p, 10);
  m.put_n8(c, 256, p);
  m.put_n8(c, -1, p);
  m.put_n16(c, 65536, p);
  EXPECT_EQ(p, 10);
  EXPECT_EQ(c.size(), 10u);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"не влезет", "отриц", "не влезет"}));
  p = -1;
  EXPECT_THROW(m.put_n8(c, 1, p), cIndexError);

  p = 0;
  EXPECT_EQ(m.get_n8(c, p), 1);
  EXPECT_EQ(m.get_n16(c, p), 0x0302);
  EXPECT_EQ(p, 3);
  BB three{1, 2, 3};
  p = 2;
  EXPECT_EQ(m.get_n16(three, p), -1);
  EXPECT_EQ(p, -1);
  EXPECT_EQ(m.get_n8(three, p), -1);  // stays at the end mark
  EXPECT_EQ(p, -1);
  p = 3;
  EXPECT_EQ(m.get_n(three, p, false), -1);
  EXPECT_EQ(p, -1);
}

TEST(Arrays, Scalars) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.kratno_N(0, 4), 0);
  EXPECT_EQ(m.kratno_N(5, 4), 8);
  EXPECT_THROW(m.kratno_N(5, 0), cOverflowError);
  EXPECT_THROW(m.kratno_N(INT32_MAX, 2), cOverflowError);
  EXPECT_EQ(m.div(5, 2), 3);
  EXPECT_EQ(m.div(-5, 2), -2);
  EXPECT_EQ(m.div(7, 0), -1);
  EXPECT_EQ(m.emk_N32(0), 1);
  EXPECT_EQ(m.emk_N32(3), 2);
  EXPECT_EQ(m.emk_N32(255), 8);
  EXPECT_EQ(m.emk_N32(256), 9);
  EXPECT_EQ(m.emk_N32(1 << 30), 31);
  EXPECT_EQ(m.emk_N32(-1), 32);
  EXPECT_EQ(m.emk_TT(TT{0, 255, -1}), 41);
  EXPECT_EQ(m.emk_X(0.0), 1);
  EXPECT_EQ(m.emk_X(4294967296.0), 33);
  EXPECT_EQ(m.emk_X(1e300), 997);
  EXPECT_EQ(m.bit_maska(31), INT32_MAX);
  EXPECT_EQ(m.bit_maska(32), -1);
  EXPECT_EQ(m.bit_maska(4, true), ~15);
  EXPECT_TRUE(cap.box.texts.empty());
  EXPECT_EQ(m.bit_maska(0), 0);
  EXPECT_EQ(m.hi_N16(0x10000), 256);
  EXPECT_EQ(m.emk_X(-1.0), 0);
  EXPECT_EQ(m.kratno_N(-1, 4), 0);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"1-32", "err переполнение int16=10000", "отриц", "отриц"}));

  int32_t k = 40;
  EXPECT_EQ(m.shiftRA(INT32_MIN, k), -1);
  EXPECT_EQ(k, 31);
  k = -3;
  EXPECT_EQ(m.shiftL(5, k), 5);
  EXPECT_EQ(k, 0);
  EXPECT_EQ(m.shiftR(-1, 28), 15);
  EXPECT_EQ(m.shiftL(3, 31), INT32_MIN);
  int32_t v = 0;
  m.set_Bit(v, 32);
  m.set_Bit(v, 1);
  EXPECT_EQ(v, INT32_MIN + 1);
  EXPECT_EQ(m.get_Bit(v, 32), 1);
  EXPECT_EQ(m.get_Bit(v, 2), 0);
  m.res_Bit(v, 32);
  EXPECT_EQ(v, 1);
}

TEST(Arrays, WholeArrayArithmetic) {
  cMassiv m;
  cScopedMsgCapture cap;
  EXPECT_EQ(m.max_TT(TT{3, -9}), 0);
  EXPECT_EQ(m.min_BB(BB{}), 0);
  EXPECT_EQ(m.sum_TT(TT{1, -1}), 0);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"отриц", "пустой массив", "отриц"}));
  cap.box.clear();
  EXPECT_EQ(m.sum_BB(BB(4210752, 255)), 1073741760);
  EXPECT_TRUE(cap.box.texts.empty());
  EXPECT_EQ(m.sum_BB(BB(4210753, 255)), 1073742015);
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"переполнение"}));
  EXPECT_THROW(m.sum_TT(TT{1 << 30, INT32_MAX}), cOverflowError);

  TT t{5, 7, 6};
  EXPECT_EQ(m.brisk_Min_TT(t), 5);
  EXPECT_EQ(t, (TT{0, 2, 1}));
  m.inc_TT(t);
  m.revers_TT(t);
  EXPECT_EQ(t, (TT{2, 3, 1}));
  TT top{INT32_MAX};
  EXPECT_THROW(m.inc_TT(top), cOverflowError);

  TT r{3, 5, 9};
  EXPECT_EQ(m.razn_TT(r, false), 3);
  EXPECT_EQ(r, (TT{2, 4}));
  r = {3, 5, 9};
  EXPECT_EQ(m.razn_TT(r, true), 3);
  EXPECT_EQ(r, (TT{3, 2, 4}));
  m.razn_TT_vost(r);
  EXPECT_EQ(r, (TT{3, 5, 9}));
  TT one{4};
  EXPECT_EQ(m.razn_TT(one, false), 4);
  EXPECT_TRUE(one.empty());
  cap.box.clear();
  TT down{3, 2};
  EXPECT_EQ(m.razn_TT(down, false), 3);
  EXPECT_EQ(down, (TT{3, 2}));
  EXPECT_EQ(cap.box.texts, (std::vector<std::string>{"отриц разность"}));
}
