// Small reversible transforms of integer arrays: the escape codes of 2, 4 and
// 8 bits and their automatic choosers (the base M + 1 packing and the byte
// run-length code are in cFile_numbers.cpp). Decoders never read past their
// input: a code cut off by the end shows a message and gives the values
// decoded so far.
#include <algorithm>
#include <string>

#include "cFile.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// Threshold of the fixed forms: k = 0 means no escape at all.
int32_t porog(int32_t w, int32_t k) { return k == 0 ? (1 << w) : (1 << w) - (1 << (k - 1)); }

// Largest value an escape code of width w and threshold t holds.
int32_t max_Esc(int32_t w, int32_t t) { return (1 << w) * ((1 << w) - t) + t - 1; }

// Appends the escape symbols of tt; every value must already be known to fit.
void code_Esc(const TT& tt, int32_t w, int32_t t, BB& out) {
  for (int32_t v : tt) {
    if (v < t) {
      out.push_back(static_cast<uint8_t>(v));
    } else {
      const int32_t r = v - t;
      out.push_back(static_cast<uint8_t>(t + (r >> w)));
      out.push_back(static_cast<uint8_t>(r & ((1 << w) - 1)));
    }
  }
}

// Decodes escape symbols s[from..]; a two-symbol code that starts at the last
// symbol shows errText and ends the decoding.
TT decode_Esc(const BB& s, size_t from, int32_t w, int32_t t, const char* errText) {
  TT out;
  out.reserve(s.size() > from ? s.size() - from : 0);
  for (size_t i = from; i < s.size(); ++i) {
    const int32_t a = s[i];
    if (a < t) {
      out.push_back(a);
      continue;
    }
    if (i + 1 >= s.size()) {
      msg(errText);
      break;
    }
    out.push_back(t + (a - t) * (1 << w) + s[++i]);
  }
  return out;
}

// The k of the narrow forms: the smallest whose largest value holds M.
int32_t k_for(int32_t w, int32_t M, int32_t kMax) {
  for (int32_t k = 0; k <= kMax; ++k)
    if (M <= max_Esc(w, porog(w, k))) return k;
  return -1;
}

// Drops the padding zeros after the end marker 1 and the marker itself.
void drop_Marker(TT& v) {
  while (!v.empty() && v.back() == 0) v.pop_back();
  if (v.empty() || v.back() != 1) msg("не тот хвост 1+000");
  if (!v.empty()) v.pop_back();
}

}  // namespace

// ---------------------------------------------------------------- 78auto

BB cFile::zip_78auto(const TT& tt_in) {
  if (m.test_otr_pusto(tt_in)) {
    msg("pusto/otr");
    return {};
  }
  const int32_t M = m.max_TT(tt_in);
  const size_t n = tt_in.size();
  BB body;
  int32_t j = 0;
  if (M <= 255) {
    bool taken = false;
    TT marked = tt_in;
    marked.push_back(1);
    if (M <= 9) {
      const int32_t k = k_for(2, M, 2);
      BB sym;
      code_Esc(marked, 2, porog(2, k), sym);
      BB packed = m.M2_to_M8(sym);
      if (!packed.empty() && packed.size() < n) {
        body = std::move(packed);
        j = 11 + k;
        taken = true;
      }
    }
    if (!taken && M <= 135) {
      const int32_t k = k_for(4, M, 4);
      BB sym;
      code_Esc(marked, 4, porog(4, k), sym);
      BB packed = m.M4_to_M8(sym);
      if (!packed.empty() && packed.size() < n) {
        body = std::move(packed);
        j = 14 + k;
        taken = true;
      }
    }
    if (!taken) {
      j = 0;
      body.assign(tt_in.begin(), tt_in.end());
    }
  } else if (M <= 32895) {
    int32_t k = 1;
    while (max_Esc(8, porog(8, k)) < M) ++k;
    BB esc;
    esc.reserve(n + 1024);
    code_Esc(tt_in, 8, porog(8, k), esc);
    if (esc.size() >= 2 * n) {
      j = 9;
      body = m.M16_to_M8(tt_in);
    } else {
      j = k;
      body = std::move(esc);
    }
  } else if (M <= 65535) {
    j = 9;
    body = m.M16_to_M8(tt_in);
  } else {
    j = 10;
    body = m.zip_7778(tt_in);
  }
  BB out;
  out.reserve(body.size() + 1);
  out.push_back(static_cast<uint8_t>(j));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

TT cFile::unzip_78(const BB& bb_in) {
  if (bb_in.empty()) {
    msg("pusto");
    return {};
  }
  const int32_t j = bb_in[0];
  const BB body(bb_in.begin() + 1, bb_in.end());
  if (j == 0) return TT(body.begin(), body.end());
  if (j >= 1 && j <= 8) return decode_Esc(body, 0, 8, porog(8, j), "err");
  if (j == 9) return body.empty() ? TT{} : m.M8_to_M16(body);
  if (j == 10) return body.empty() ? TT{} : m.unzip_7778(body);
  if (j >= 11 && j <= 18) {
    const bool two = j <= 13;
    const int32_t w = two ? 2 : 4;
    if (body.empty()) {
      msg("не тот хвост 1+000");
      return {};
    }
    const BB sym = two ? m.M8_to_M2(body) : m.M8_to_M4(body);
    TT out = decode_Esc(sym, 0, w, porog(w, two ? j - 11 : j - 14), "err");
    drop_Marker(out);
    return out;
  }
  msg("неизвестный метод=" + std::to_string(j));
  return {};
}

// ---------------------------------------------------------------- 2 and 4 bits

namespace {

// The shared body of zip_to_2bit and zip_to_4bit.
BB zip_to_Nbit(cMassiv& m, const BB& bb, int32_t w, int32_t& k, bool flagPack) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  const int32_t kMax = w == 2 ? 2 : 4;
  const int32_t M = m.max_BB(bb);
  if (M > max_Esc(w, porog(w, kMax))) {
    msg(w == 2 ? "err  max>9" : "err  max>135");
    return {};
  }
  k = k_for(w, M, kMax);
  BB sym;
  sym.reserve(bb.size() + 1);
  if (flagPack) sym.push_back(static_cast<uint8_t>(k));
  code_Esc(TT(bb.begin(), bb.end()), w, porog(w, k), sym);
  if (!flagPack) return sym;
  return w == 2 ? m.M2_to_M8(sym) : m.M4_to_M8(sym);
}

BB unzip_from_Nbit(cMassiv& m, cFile& f, const BB& bb, int32_t w, int32_t k, bool flagPack) {
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  BB sym = flagPack ? (w == 2 ? m.M8_to_M2(bb) : m.M8_to_M4(bb)) : bb;
  size_t from = 0;
  if (k == -1 && !sym.empty()) k = sym[from++];
  const int32_t kMax = w == 2 ? 2 : 4;
  if (k < 0 || k > kMax) {
    msg(w == 2 ? std::string("err o=0,1,2") : "методы 0,1,2,3,4" + std::to_string(k));
    return {};
  }
  // Unpacked input may hold anything; a symbol wider than w bits is no code.
  for (size_t i = from; i < sym.size(); ++i)
    if (sym[i] >= (1 << w)) {
      msg("err unzip");
      sym.resize(i);
      break;
    }
  sym.erase(sym.begin(), sym.begin() + static_cast<std::ptrdiff_t>(from));
  if (sym.empty()) return {};
  const TT v = f.unzip_contex(sym, porog(w, k), w);
  return BB(v.begin(), v.end());
}

}  // namespace

BB cFile::zip_to_2bit(const BB& bb, int32_t& k, bool flagM2toM8) { return zip_to_Nbit(m, bb, 2, k, flagM2toM8); }

BB cFile::unzip_from_2bit(const BB& bb, int32_t k, bool flagM2toM8) {
  return unzip_from_Nbit(m, *this, bb, 2, k, flagM2toM8);
}

BB cFile::zip_to_4bit(const BB& bb, int32_t& k, bool flagM4toM8) { return zip_to_Nbit(m, bb, 4, k, flagM4toM8); }

BB cFile::unzip_from_4bit(const BB& bb, int32_t k, bool flagM4toM8) {
  return unzip_from_Nbit(m, *this, bb, 4, k, flagM4toM8);
}

TT cFile::unzip_contex(const BB& symbols, int32_t pr, int32_t nBit) {
  if (nBit < 1 || nBit > 8 || pr < 0 || pr > (1 << nBit)) {
    msg("err");
    return {};
  }
  return decode_Esc(symbols, 0, nBit, pr, "err unzip");
}

// ---------------------------------------------------------------- max78auto

BB cFile::zip_max78auto(const TT& tt, int32_t perN) {
  if (m.test_otr_pusto(tt)) {
    msg("pusto/otr");
    return {};
  }
  const int32_t M = m.max_TT(tt);
  int32_t w = 8;
  if (M <= 15) {
    w = 2;
  } else if (M <= 255) {
    w = 4;
  } else if (M > 65535) {
    msg("не влезет");
    return {};
  }
  const int32_t d = 1 << w;
  int32_t t = (d * d - M) / (d - 1);
  if (perN > 0) t -= perN;
  if (t < 0) return {};
  // When d * d - M is a multiple of d - 1 that threshold holds only M - 1, and
  // for the smallest M of a width it passes d - 1 (byte 1 would be negative):
  // take the largest threshold that holds M instead.
  t = std::min(t, std::min(d - 1, (d * d - M - 1) / (d - 1)));
  if (max_Esc(w, t) < M) {
    msg("не влезет2");
    return {};
  }
  BB out;
  out.reserve(tt.size() + 2);
  out.push_back(static_cast<uint8_t>(w));
  out.push_back(static_cast<uint8_t>(d - t - 1));
  code_Esc(tt, w, t, out);
  return out;
}

TT cFile::unzip_max78(const BB& bb) {
  if (bb.size() < 2 || (bb[0] != 2 && bb[0] != 4 && bb[0] != 8)) {
    msg("err");
    return {};
  }
  const int32_t w = bb[0];
  const int32_t t = (1 << w) - bb[1] - 1;
  if (t < 0) {
    msg("err");
    return {};
  }
  return decode_Esc(bb, 2, w, t, "err");
}
