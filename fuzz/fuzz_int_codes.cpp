// Readers of the integer codes and the long-number division on arbitrary
// bytes: no read past the end, cursors stay inside the data, and whatever a
// reader returns codes back to the same value.
#include <bit>
#include <cstdint>

#include "fuzz_util.h"
#include "massiv/cMassiv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::cRecordingMsgBox box;
  platform::set_MsgBox(&box);
  box.clear();
  cMassiv m;
  const BB bb(data, data + size);
  const int32_t len = m.len_BB(bb);

  try {
    TT vals = m.unzip_7778(bb);
    fuzz::check(vals.size() <= bb.size());
  } catch (const cOverflowError&) {
    // values past 2^31 - 1 end the operation by design
  }

  for (int32_t p = 0; p < len;) {
    const int32_t at = p;
    const double x = m.p7778_to_X(bb, p);
    fuzz::check(p > at && p <= len);
    // Any value in range codes back to itself; a complete code to its own bytes.
    if (x <= 1125899906842624.0) {
      BB code = m.X_to_p7778(x);
      fuzz::check(m.p7778_to_X(code, 0) == x);
      if (p - at == std::countr_one(static_cast<unsigned>(bb[at])) + 1)
        fuzz::check(code == BB(bb.begin() + at, bb.begin() + p));
    }
  }

  if (len > 0) {
    const int32_t o = bb[0] % 9;
    for (int32_t p = 1; p >= 0 && p < len;) {
      const int32_t at = p;
      const int32_t n = m.o78_to_N(bb, o, p);
      if (p == at) break;  // a cut second byte leaves the cursor
      fuzz::check(p <= len);
      int32_t outLen = 0;
      BB code = m.N_to_78o(n, o, outLen);
      fuzz::check(outLen == p - at && m.o78_to_N(code, o, 0) == n);
    }
    for (int32_t p = 0; p >= 0 && p < len;) {
      const int32_t n = m.get_78o4(bb, p);
      fuzz::check(p == -1 || (p > 0 && p <= len));
      fuzz::check(n >= 0 && n <= 4335);
    }
    for (int32_t p = 0; p >= 0 && p < len;) {
      const int32_t n = m.get_o250(bb, p);
      fuzz::check(p == -1 || (p > 0 && p <= len));
      fuzz::check(n >= 0 && n <= 1530);
    }
  }

  // The bytes as a long number: division by a base from the data, then
  // multiplication restores it.
  if (len >= 3) {
    const int32_t osn = 1 + static_cast<int32_t>((bb[0] | bb[1] << 8 | bb[2] << 16) & 0x7FFFFF);
    SL s(bb.begin() + 3, bb.end());
    SL norm = s;
    m.del_Ved0(norm);
    const int32_t r = m.divSL(s, osn);
    fuzz::check(r >= 0 && r < osn);
    m.mulSL(s, osn, r);
    m.del_Ved0(s);
    fuzz::check(s == norm);
  }

  // The bytes as bit fields read in pieces of a width from the data.
  if (len >= 1) {
    BB bits(bb.begin() + 1, bb.end());
    for (auto& b : bits) b &= 1;
    const int32_t w = 1 + bb[0] % 31;
    for (int32_t p = 0; p < m.len_BB(bits);) {
      const int32_t at = p;
      const int32_t v = m.get_N_from_M1(bits, p, w);
      fuzz::check(p > at && p <= m.len_BB(bits) && v >= 0);
    }
  }
  return 0;
}
