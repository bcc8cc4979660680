// cMassiv: the toolkit every program uses to build, cut, join, convert and
// pack arrays, plus long numbers, integer codes, table codes and value tables.
//
// Conventions: arguments whose names end in `_izm` (and the first argument of
// add_*, ins_*, del_*, reDim_*) are changed in place; everything else returns
// a new value. Position cursors are taken by reference and left after what
// was read or written; readers set them to -1 at the end of the data. Bad
// arguments show a message (platform::msg) and give a neutral result;
// overflow and index errors throw cOverflowError / cIndexError.
//
// The class is implemented in one source file per area:
//   arrays.cpp        arrays, widths, bit-field packing, byte streams, scalars
//   long_numbers.cpp  SL arithmetic and number/bit-field conversions
//   int_codes.cpp     78o, o250, p78, p7778 integer codes
//   table_codes.cpp   table codes and cost estimates
//   value_tables.cpp  value tables, replacement, sorting and search
#pragma once
#include "massiv_types.h"

class cMassiv {
public:
  cMassiv();

  // ===================== Arrays and bit-field packing (arrays.cpp) =====================
  // Lengths, sizes and building
  int32_t len_BB(const BB& bb) const { return static_cast<int32_t>(bb.size()); }
  int32_t len_TT(const TT& tt) const { return static_cast<int32_t>(tt.size()); }
  int32_t len_SS(const SS& ss) const { return static_cast<int32_t>(ss.size()); }
  void reDim_BB(BB& bb, int32_t size, bool flagPreserve);
  void reDim_TT(TT& tt, int32_t size, bool flagPreserve);
  void reDim_SS(SS& ss, int32_t size, bool flagPreserve);
  BB blok_n8(int32_t le, int32_t n8);
  TT blok_n32(int32_t le, int32_t n32);
  void add_N_to_BB(BB& izm, int32_t n8);
  void add_N_to_TT(TT& izm, int32_t n32, bool flagOnlyOne = false);
  void add_BB_to_BB(BB& izm, const BB& src, int32_t vLen = 0);
  void add_TT_to_TT(TT& izm, const TT& src, int32_t vLen = 0);
  BB blok_BB(const BB& src, int32_t& vStart_izm, int32_t vLen);
  TT blok_TT(const TT& src, int32_t& vStart_izm, int32_t vLen);
  BB blok_BB(const BB& src, int32_t&& vStart, int32_t vLen) { return blok_BB(src, vStart, vLen); }
  TT blok_TT(const TT& src, int32_t&& vStart, int32_t vLen) { return blok_TT(src, vStart, vLen); }
  void ins_N_to_BB(int32_t n8, BB& izm, int32_t vPoz);
  void ins_N_to_TT(int32_t n32, TT& tt_izm, int32_t vPoz);
  void del_Poz_in_BB(BB& izm, int32_t vPoz);
  void del_Poz_in_TT(TT& izm, int32_t vPoz);
  bool test_otr_pusto(const TT& tt);

  // Conversions between kinds and widths
  TT copy_BB_to_TT(const BB& bb);
  BB copy_TT_to_BB(const TT& tt);
  M49 copy_TT_to_M49(const TT& tt);
  TT M8_to_M16(const BB& bb);
  BB M16_to_M8(const TT& tt);
  BB M8_to_M4(const BB& bb);
  BB M4_to_M8(const BB& m4);
  BB M8_to_M2(const BB& bb);
  BB M2_to_M8(const BB& m2);
  BB M8_to_M1(const BB& bb, int32_t nBit);
  BB M32_to_M1(const TT& tt, int32_t nBit);
  BB M1_to_M8(const BB& bitPol, int32_t nBit);
  TT M1_to_M32(const BB& bitPol, int32_t nBit);
  BB str_to_BB(const std::string& s);
  std::string BB_to_str(const BB& bb, int32_t& vStart_izm, int32_t vLen);
  std::string BB_to_str(const BB& bb) { int32_t p = 0; return BB_to_str(bb, p, 0); }
  BB N_to_4byte(int32_t n);
  int32_t byte4_to_N(const BB& bb, int32_t& vStart_izm);

  // Byte streams at a position
  void put_n8(BB& bb, int32_t n8, int32_t& p_izm, bool flagBuf = false);
  void put_n16(BB& bb, int32_t n16, int32_t& p_izm);
  void put_n32(BB& bb, int32_t n32, int32_t& p_izm);
  void put_n(BB& bb, int32_t n, int32_t& p_izm, bool flag16bit);
  int32_t get_n8(const BB& bb, int32_t& vStart_izm);
  int32_t get_n16(const BB& bb, int32_t& vStart_izm);
  int32_t get_n(const BB& bb, int32_t& p_izm, bool flag16bit);

  // Scalar operations
  int32_t min(int32_t n1, int32_t n2) const { return n1 < n2 ? n1 : n2; }
  int32_t max(int32_t n1, int32_t n2) const { return n1 > n2 ? n1 : n2; }
  double minD(double x1, double x2) const { return x1 < x2 ? x1 : x2; }
  double maxD(double x1, double x2) const { return x1 > x2 ? x1 : x2; }
  int32_t clamp(int32_t n, int32_t vMin, int32_t vMax) const;
  int32_t div(int32_t n1, int32_t n2) const;
  int32_t kratno_N(int32_t n, int32_t vNum);
  int32_t bit_maska(int32_t n, bool flagInv = false);
  int32_t lo_N16(int32_t n16);
  int32_t hi_N16(int32_t n16);
  int32_t emk_N32(int32_t n32) const;
  int32_t emk_X(double x);
  int32_t emk_TT(const TT& tt) const;
  int32_t shiftRA(int32_t n32, int32_t& kolBit) const;
  int32_t shiftR(int32_t n32, int32_t& kolBit) const;
  int32_t shiftL(int32_t n32, int32_t& kolBit) const;
  int32_t shiftRA(int32_t n32, int32_t&& kolBit) const { return shiftRA(n32, kolBit); }
  int32_t shiftR(int32_t n32, int32_t&& kolBit) const { return shiftR(n32, kolBit); }
  int32_t shiftL(int32_t n32, int32_t&& kolBit) const { return shiftL(n32, kolBit); }
  int32_t get_Bit(int32_t n32, int32_t nBit_1_32);
  void set_Bit(int32_t& n32_izm, int32_t nBit_1_32);
  void res_Bit(int32_t& n32_izm, int32_t nBit_1_32);

  // Whole-array arithmetic
  int32_t max_TT(const TT& tt);
  int32_t min_TT(const TT& tt);
  int32_t max_BB(const BB& bb);
  int32_t min_BB(const BB& bb);
  int32_t sum_TT(const TT& tt);
  int32_t sum_BB(const BB& bb);
  void inc_TT(TT& tt);
  void dec_TT(TT& tt);
  int32_t brisk_Min_TT(TT& tt);
  void revers_TT(TT& tt);
  int32_t razn_TT(TT& tt_izm, bool flag_t0);
  void razn_TT_vost(TT& tt);

  // ===================== Long numbers (long_numbers.cpp) =====================
  // SL: base 256, least significant byte first; zero is the empty array.
  int32_t len_SL(const SL& superLong) const;
  void del_Ved0(SL& superLong);
  void add_N_to_SL(SL& superLong, int32_t n);
  void add_SL_SL(SL& izm, const SL& bb);
  int32_t sub_SL_SL(SL& superLong1, const SL& superLong2);
  void mulSL(SL& superLong, int32_t osn, int32_t n);
  int32_t divSL(SL& superLong, int32_t osn);
  int32_t cmp_SL_SL(const SL& superLong1, const SL& superLong2) const;
  double SL_to_Double(const SL& bb);
  SL N_to_br100(int32_t n);

  // Numbers and bit fields (M1, least significant bit first)
  BB N_to_M1(int32_t n32, int32_t nBit = 0);
  int32_t M1_to_N(const BB& bb, int32_t vStart = 0, int32_t vLen = 0);
  BB X_to_M1(double x, int32_t nBit = 0);
  double M1_to_X(const BB& bb, int32_t vStart = 0);
  void add_N_to_M1(BB& bitPol_izm, int32_t n, int32_t numBit);
  int32_t get_N_from_M1(const BB& bitPol, int32_t& p_izm, int32_t numBit);
  void inv_M1(BB& izm);
  int32_t max_emk_M32(const TT& tt);

  // ===================== Integer codes (int_codes.cpp) =====================
  // 78o: one byte below D = 256 - 2^o, else two bytes, high part first.
  BB N_to_78o(int32_t n, int32_t o, int32_t& vOutLen);
  int32_t o78_to_N(const BB& bb, int32_t o, int32_t& vStart_izm);
  int32_t o78_to_N(const BB& bb, int32_t o, int32_t&& vStart) { return o78_to_N(bb, o, vStart); }
  void put_78o4(BB& bb, int32_t n, int32_t& p_izm);
  int32_t get_78o4(const BB& bb, int32_t& vStart_izm);
  void put_o250(BB& bb, int32_t n, int32_t& p_izm);
  int32_t get_o250(const BB& bb, int32_t& vStart_izm);
  BB zip_p78(const TT& tt);
  // p7778: 1..8 bytes, length in unary in the low bits of the first byte.
  BB X_to_p7778(double x);
  double p7778_to_X(const BB& ist, int32_t& vStart_izm);
  double p7778_to_X(const BB& ist, int32_t&& vStart) { return p7778_to_X(ist, vStart); }
  BB zip_7778(const TT& tt);
  TT unzip_7778(const BB& bb);

  // ===================== Table codes and cost estimates (table_codes.cpp) =====================
  // M49_q1: q1 bits of group count g, then (g + 1) * q1 value bits; end marker 0, 1.
  BB zip_M49_q1(const M49& xx, int32_t q1);
  M49 unzip_M49_q1(const BB& bb, int32_t q1);
  // M49_3334: g zero bits and a one bit, then 3 * (g + 1) value bits.
  BB zip_M49_3334(const M49& xx);
  // p3334: nibbles, high bit = continuation; values below 8776.
  BB zip_p3334(const TT& tt);
  void unzip_p3334(const BB& bb, TT& tt);
  // Zigzag: 0, -1, 1, -2, 2 -> 0, 1, 2, 3, 4.
  int32_t otr_Net(int32_t n);
  // Estimated bits of the step code: classes by the arithmetic coder plus value fields.
  int32_t BR_st2(const TT& tt, int32_t vStep, int32_t q1);
  // Cheapest of 26 simple codes in bits; vNum = its number; vMax bounds the passes.
  int32_t min_BR(const TT& tt, int32_t& vNum, int32_t& vMax);
  // gg = 39 estimated costs of the unary and divisor codes.
  void minBR(const TT& tt, TT& gg);

  // ===================== Value tables, sorting and search (value_tables.cpp) =====================
  // Tables of values. Out-arguments are replaced, not appended to.
  void tab_FF_b(const BB& bb, TT& ff);
  void tab_FF(const TT& tt, TT& ff);
  void tab_FF_24(const TT& tt, TT& pp, TT& ff0);
  void tab_VV(const TT& tt, TT& vv);
  void zamena_VV(TT& tt, TT& vv);
  void zamena_FF(TT& tt, TT& vv);
  void vost_VV(TT& tt, const TT& vv);
  int32_t kol_razn_8b(const BB& bb);
  TT tab_val_16b(const TT& tt);
  TT obr_Tabl(const TT& tt_in);
  BB replacerB(const TT& tabZam, const BB& bb_in);
  TT replacerT(const TT& tabZam, const TT& tt_in);
  BB Array_BB(std::initializer_list<int32_t> values);
  TT Array_TT(std::initializer_list<int32_t> values);
  int32_t max_len_SS(const SS& ss);

  // Sorting (one quicksort; its order of equal values is part of the result)
  int32_t test_Sort(const TT& tt);
  void qSort(const TT& tt, TT& tt_out);
  void qSort_poz(TT& izm, TT& nn);
  void qSort_2tt(TT& izm, TT& dd);
  bool bin_Find(const TT& tt, int32_t v, int32_t& poz);
  void add_N_to_sort_TT(TT& tt, int32_t n);

  // Search, count and replace
  bool N_in_BB(const BB& bb, int32_t n);
  bool N_in_TT(const TT& tt, int32_t n);
  int32_t poz_N_in_BB(const BB& bb, int32_t n);
  int32_t poz_N_in_TT(const TT& tt, int32_t n);
  int32_t find_N_in_TT(int32_t n, const TT& tt, int32_t vStart);
  int32_t find_N_in_BB(int32_t n, const BB& bb, int32_t vStart);
  int32_t find_N_in_BB_end(int32_t n, const BB& bb);
  TT getAdresaN(const TT& tt, int32_t n);
  int32_t kol_N_in_TT(const TT& tt, int32_t n);
  int32_t kol_N_in_BB(const BB& bb, int32_t n);
  int32_t find_blok_BB(int32_t vStart, const BB& bb, const BB& bFind);
  int32_t find_blok_TT(int32_t vStart, const TT& tt, const TT& bFind);
  int32_t kol_blok_BB(const BB& bb, const BB& bFind);
  void replace_blok_BB(BB& izm, const BB& bFind, const BB& bReplace);
  void replace_BB_B1_B2(BB& izm, int32_t b1, int32_t b2);
  void replace_TT_N1_N2(TT& izm, int32_t n1, int32_t n2);
  void del_N_in_TT(TT& izm, int32_t n);
  void del_N_in_BB(BB& izm, int32_t n);
  bool cmp_BB_BB(const BB& bb1, const BB& bb2) const;
  bool cmp_TT_TT(const TT& tt1, const TT& tt2, bool flagPor) const;
  void cmp_TT_TT_msg(const TT& tt1, const TT& tt2);
  void cmp_BB_BB_msg(const BB& bb1, const BB& bb2);
  std::string N32_to_strBit(int32_t n32, int32_t vLen = 0);
  int32_t strBit_to_N32(const std::string& s);

  // ===================== State =====================
  // Powers of two: pow2[k] = 2^k for k = 0..30, pow2[31] = the sign bit alone.
  int32_t pow2[32];
  // Position where the last sorted-array search ended (value tables).
  int32_t poz_Find = 0;
};
