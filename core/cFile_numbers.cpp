// Small transforms that treat an array as one number (base M + 1, any base)
// and the byte run-length code.
#include <algorithm>
#include <string>

#include "cFile.h"
#include "platform/msg_box.h"

using platform::msg;

// ---------------------------------------------------------------- base M + 1

SL cFile::zip_TT_to_SL(const TT& tt, int32_t osn) {
  if (osn < 1) {
    msg("err");
    return {};
  }
  for (int32_t v : tt)
    if (v < 0 || v >= osn) {
      msg("err");
      return {};
    }
  SL N;
  for (size_t i = tt.size(); i-- > 0;) m.mulSL(N, osn, tt[i]);
  m.del_Ved0(N);
  return N;
}

TT cFile::unzip_TT_from_SL(const SL& superLong, int32_t osn) {
  SL N = superLong;
  m.del_Ved0(N);
  if (N.empty()) return {};
  // Base 1 never shrinks the number; above 2^23 a digit step overflows.
  if (osn < 2 || osn > 8388608) {
    msg("err");
    return {};
  }
  TT out;
  while (!N.empty()) out.push_back(m.divSL(N, osn));
  return out;
}

BB cFile::zip_Max1_TT(const TT& tt) {
  if (m.test_otr_pusto(tt)) {
    msg("pusto/otr");
    return {};
  }
  const int32_t M = m.max_TT(tt);
  if (M > 65535) {
    msg("не влезет");
    return {};
  }
  BB out{static_cast<uint8_t>(M & 255), static_cast<uint8_t>(M >> 8)};
  const SL N = zip_TT_to_SL(tt, M + 1);
  out.insert(out.end(), N.begin(), N.end());
  return out;
}

TT cFile::unzip_Max1_TT(const BB& bb) {
  if (bb.size() < 2) {
    msg("err");
    return {};
  }
  const int32_t osn = bb[0] + 256 * bb[1] + 1;
  const SL N(bb.begin() + 2, bb.end());
  return unzip_TT_from_SL(N, osn);
}

// ---------------------------------------------------------------- RLE

BB cFile::zip_RLE(const BB& bb) {
  BB out;
  size_t i = 0;
  while (i < bb.size()) {
    size_t j = i + 1;
    while (j < bb.size() && bb[j] == bb[i]) ++j;
    size_t n = j - i;
    out.push_back(bb[i]);
    while (n > 254) {
      out.push_back(255);
      n -= 255;
    }
    out.push_back(static_cast<uint8_t>(n));
    i = j;
  }
  return out;
}

BB cFile::unzip_RLE(const BB& bb) {
  BB out;
  size_t i = 0;
  while (i < bb.size()) {
    const uint8_t b = bb[i++];
    size_t n = 0;
    bool ended = false;
    while (i < bb.size()) {
      const uint8_t c = bb[i++];
      n += c;
      if (c != 255) {
        ended = true;
        break;
      }
    }
    out.insert(out.end(), n, b);
    if (!ended) {
      msg("err");
      break;
    }
  }
  return out;
}
