// Adaptive arithmetic coder with 16-bit code values: encoder and decoder share
// one frequency model and must stay in step symbol by symbol.
//
// Speed notes. The interval is renormalised in two bulk steps instead of one
// bit at a time: first all leading bits that low and high share (they are
// output), then all middle-half expansions (they become pending bits). Both
// counts come from leading-zero counts, so the loop has no per-bit branches.
// Divisions by the model total use a reciprocal table; the results are the
// exact integer quotients, so the code bits do not change.
#include "ModuleLib1.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/msg_box.h"

using platform::msg;

namespace ModuleLib1 {
namespace {

constexpr uint32_t kTopValue = 65535;
constexpr uint32_t kFirstQtr = 16384;
constexpr uint32_t kHalf = 32768;
constexpr uint32_t kMaxFrequency = 16383;

// ---------------------------------------------------------------- division

// floor(a / d) for a < 2^30 and 1 <= d <= kMaxFrequency, as a multiply and a
// shift: with l = ceil(log2 d) and m = floor(2^(30+l) / d) + 1, the quotient
// is (a * m) >> (30 + l) for every such a (m * d exceeds 2^(30+l) by at most
// d <= 2^l). The products stay below 2^62.
class cReciprocals {
public:
  cReciprocals() {
    for (uint32_t d = 1; d <= kMaxFrequency; ++d) {
      const uint32_t l = static_cast<uint32_t>(std::bit_width(d - 1));
      mul[d] = (uint64_t{1} << (30 + l)) / d + 1;
      shift[d] = static_cast<uint8_t>(30 + l);
    }
  }
  uint32_t div(uint32_t a, uint32_t d) const { return static_cast<uint32_t>((a * mul[d]) >> shift[d]); }

private:
  std::array<uint64_t, kMaxFrequency + 1> mul{};
  std::array<uint8_t, kMaxFrequency + 1> shift{};
};

const cReciprocals& reciprocals() {
  static const cReciprocals table;
  return table;
}

// ---------------------------------------------------------------- model

using v4u = uint32_t __attribute__((vector_size(16)));
inline v4u load4(const uint32_t* p) {
  v4u v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store4(uint32_t* p, v4u v) { std::memcpy(p, &v, sizeof v); }

// Symbols are indexes 1..M+2, kept in order of falling count so that frequent
// values sit at low indexes: the decoder's linear search and the cumulative
// update then stop early. Index 0 is a sentinel with count 0; cum[0] is the
// total. The end symbol M + 2 keeps count 1 and is never moved.
class cAriModel {
public:
  explicit cAriModel(int32_t M)
      : nSym(static_cast<uint32_t>(M) + 2),
        store(4 * (static_cast<size_t>(nSym) + 1) + kPad),
        freq(store.data()),
        cum(freq + nSym + 1),
        charToIndex(cum + nSym + 1 + kPad),
        indexToChar(charToIndex + nSym + 1) {
    for (uint32_t v = 0; v + 1 < nSym; ++v) {
      charToIndex[v] = v + 1;
      indexToChar[v + 1] = v;
    }
    for (uint32_t i = 0; i <= nSym; ++i) {
      freq[i] = i == 0 ? 0 : 1;
      cum[i] = nSym - i;
    }
  }
  cAriModel(const cAriModel&) = delete;
  cAriModel& operator=(const cAriModel&) = delete;

  uint32_t end_Symbol() const { return nSym; }

  // The first index s >= 1 with cum[s] <= floor((v * total - 1) / range),
  // that is with cum[s] * range < v * total: no division needed. cum falls
  // with the index, so the entries above the bound form a prefix: whole
  // blocks of eight are skipped while their last entry is above it, and
  // within the block the entries above it are counted without branches.
  uint32_t find_Symbol(uint32_t v, uint32_t range) const {
    const uint32_t target = v * cum[0];
    uint32_t s = 1;
    while (cum[s + 7] * range >= target) s += 8;
    uint32_t n = 0;
    for (uint32_t k = 0; k < 7; ++k) n += cum[s + k] * range >= target;
    return s + n;
  }

  void update(uint32_t s) {
    if (cum[0] == kMaxFrequency) halve();
    uint32_t i = s;
    const uint32_t f = freq[s];
    while (freq[i - 1] == f) --i;  // stops at the sentinel at the latest
    if (i < s) {
      const uint32_t chI = indexToChar[i], chS = indexToChar[s];
      indexToChar[i] = chS;
      indexToChar[s] = chI;
      charToIndex[chI] = s;
      charToIndex[chS] = i;
    }
    ++freq[i];
    // Four at a time; lanes at i and beyond are stored back unchanged. The
    // first eight always, so the usual small i costs no branch.
    const v4u lane = {0, 1, 2, 3};
    store4(cum, load4(cum) - (v4u)(lane < i));
    store4(cum + 4, load4(cum + 4) - (v4u)(lane + 4 < i));
    for (uint32_t k = 8; k < i; k += 4) store4(cum + k, load4(cum + k) - (v4u)(lane + k < i));
  }

  const uint32_t nSym;

private:
  static constexpr uint32_t kPad = 8;  // zeros after cum for the blockwise search and update
  std::vector<uint32_t> store;

public:
  uint32_t* const freq;
  uint32_t* const cum;
  uint32_t* const charToIndex;
  uint32_t* const indexToChar;

private:
  // Counts halve, rounded up, so no symbol drops to zero.
  void halve() {
    uint32_t run = 0;
    for (uint32_t i = nSym + 1; i-- > 0;) {
      freq[i] = (freq[i] + 1) / 2;
      cum[i] = run;
      run += freq[i];
    }
  }
};

// ---------------------------------------------------------------- bits

// Bits in stream order are the most significant first of each renormalisation
// step; in the stored bytes the first bit goes to bit 0. The writer gathers
// bits most significant first and mirrors each finished byte.
struct cMirror {
  std::array<uint8_t, 256> t{};
  cMirror() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t r = 0;
      for (uint32_t k = 0; k < 8; ++k) r |= ((b >> k) & 1u) << (7 - k);
      t[b] = static_cast<uint8_t>(r);
    }
  }
};

const std::array<uint8_t, 256>& mirror() {
  static const cMirror m;
  return m.t;
}

class cBitWriter {
public:
  explicit cBitWriter(size_t expectBytes) : out(expectBytes + 64), mir(mirror()) {}

  // The n (0..16) low bits of `bits`, highest first.
  void put(uint32_t bits, uint32_t n) {
    acc = (acc << n) | bits;
    nAcc += n;
    if (nAcc >= 32) {
      nAcc -= 32;
      if (used + 4 > out.size()) out.resize(out.size() * 2);
      const uint32_t w = static_cast<uint32_t>(acc >> nAcc);
      for (int k = 0; k < 4; ++k) out[used + k] = mir[(w >> (24 - 8 * k)) & 255];
      used += 4;
    }
  }
  void put_Run(uint32_t bit, uint32_t count) {
    const uint32_t ones = bit ? 0xFFFFu : 0u;
    while (count > 16) {
      put(ones, 16);
      count -= 16;
    }
    put(ones >> (16 - count), count);
  }
  BB finish(int64_t& nBits) {
    nBits = static_cast<int64_t>(used) * 8 + nAcc;
    out.resize(used + 8);
    for (; nAcc >= 8; nAcc -= 8) out[used++] = mir[static_cast<uint8_t>(acc >> (nAcc - 8))];
    if (nAcc > 0) out[used++] = mir[static_cast<uint8_t>(acc << (8 - nAcc))];
    out.resize(used);
    return std::move(out);
  }

private:
  BB out;
  const std::array<uint8_t, 256>& mir;
  size_t used = 0;
  uint64_t acc = 0;
  uint32_t nAcc = 0;
};

// Reads the stored bits back in stream order. Past the end it supplies zero
// bits up to kAriTailBits of them; a read beyond that fails.
class cBitReader {
public:
  cBitReader(const uint8_t* p, size_t nBytes)
      : buf(nBytes + 16, 0), limit(static_cast<int64_t>(nBytes) * 8 + kAriTailBits) {
    const auto& mir = mirror();
    for (size_t k = 0; k < nBytes; ++k) buf[k] = mir[p[k]];
  }

  // The next n (0..16) bits, first bit highest. False past the limit.
  bool get(uint32_t n, uint32_t& bits) {
    if (pos + n > limit) return false;
    const uint8_t* q = buf.data() + (pos >> 3);
    const uint32_t w = (uint32_t{q[0]} << 24) | (uint32_t{q[1]} << 16) | (uint32_t{q[2]} << 8) | q[3];
    bits = ((w << (pos & 7)) >> 1) >> (31 - n);  // two shifts: n = 0 gives 0
    pos += n;
    return true;
  }

private:
  BB buf;  // mirrored copy, zero-padded so reads near the limit stay inside
  const int64_t limit;
  int64_t pos = 0;
};

// ---------------------------------------------------------------- coding

// Leading bits shared by low and high (0..16); they are settled. The
// arguments of the bit counts are never zero.
inline uint32_t shared_Bits(uint32_t low, uint32_t high) {
  return static_cast<uint32_t>(__builtin_clz((low ^ high) << 16 | 0x8000u));
}
// Middle-half expansions while low = 01... and high = 10... (0..15).
inline uint32_t middle_Bits(uint32_t low, uint32_t high) {
  return static_cast<uint32_t>(__builtin_clz(~(((low & ~high) & 0x7FFFu) << 17)));
}

bool bad_M(int32_t M, int32_t maxM) {
  if (M >= 0 && M <= maxM) return false;
  msg("слишком большой максимум=" + std::to_string(M));
  return true;
}

template <class V>
BB encode_Values(const V& data, int32_t M, int32_t& vKolBit) {
  vKolBit = 0;
  if (data.empty()) {
    msg("pusto");
    return {};
  }
  if (bad_M(M, kAriMaxM)) return {};
  for (auto v : data)
    if (static_cast<int64_t>(v) < 0 || static_cast<int64_t>(v) > M) throw cIndexError("индекс вне массива");
  try {
    const cReciprocals& rec = reciprocals();
    cAriModel model(M);
    const uint32_t* cum = model.cum;
    cBitWriter bits(data.size() / 2 + 16);
    uint32_t low = 0, high = kTopValue, follow = 0;

    auto encode_Symbol = [&](uint32_t s) {
      const uint32_t range = high - low + 1, total = cum[0];
      high = low + rec.div(range * cum[s - 1], total) - 1;
      low = low + rec.div(range * cum[s], total);
      uint32_t n = shared_Bits(low, high);
      if (follow > 0 && n > 0) {
        // The first settled bit releases the pending opposite bits.
        const uint32_t first = low >> 15;
        bits.put(first, 1);
        bits.put_Run(first ^ 1, follow);
        follow = 0;
        bits.put((low >> (16 - n)) & ((1u << (n - 1)) - 1), n - 1);
      } else {
        bits.put(low >> (16 - n), n);  // n = 0 puts nothing
      }
      low = (low << n) & kTopValue;
      high = ((high << n) | ((1u << n) - 1)) & kTopValue;
      n = middle_Bits(low, high);
      follow += n;
      const uint32_t flip = n > 0 ? kHalf : 0;
      low = ((low << n) & kTopValue) ^ flip;
      high = (((high << n) | ((1u << n) - 1)) & kTopValue) ^ flip;
    };

    for (auto v : data) {
      const uint32_t s = model.charToIndex[static_cast<uint32_t>(v)];
      encode_Symbol(s);
      model.update(s);
    }
    encode_Symbol(model.end_Symbol());
    // Two more bits select a point inside the final interval.
    const uint32_t last = low < kFirstQtr ? 0 : 1;
    bits.put(last, 1);
    bits.put_Run(last ^ 1, follow + 1);

    int64_t nBits = 0;
    BB out = bits.finish(nBits);
    vKolBit = to_Int32(nBits);
    return out;
  } catch (const std::bad_alloc&) {
    msg("нет памяти");
    vKolBit = 0;
    return {};
  }
}

template <class V>
V decode_Values(const BB& bb, int32_t vStart, int32_t M, int32_t maxM, int32_t& vKol) {
  vKol = -1;
  if (bad_M(M, maxM)) return {};
  const size_t start = std::min(static_cast<size_t>(std::max(vStart, 0)), bb.size());
  try {
    const cReciprocals& rec = reciprocals();
    cAriModel model(M);
    const uint32_t* cum = model.cum;
    cBitReader bits(bb.data() + start, bb.size() - start);
    V out;
    out.reserve(std::min<size_t>((bb.size() - start) * 2 + 1024, kAriMaxValues));

    uint32_t value = 0, low = 0, high = kTopValue, more = 0;
    bits.get(16, value);
    const uint32_t endSym = model.end_Symbol();
    for (;;) {
      const uint32_t range = high - low + 1, total = cum[0];
      const uint32_t s = model.find_Symbol(value - low + 1, range);  // cum[endSym] = 0 ends it
      if (s == endSym) break;
      if (out.size() >= static_cast<size_t>(kAriMaxValues)) return {};
      out.push_back(static_cast<typename V::value_type>(model.indexToChar[s]));
      high = low + rec.div(range * cum[s - 1], total) - 1;
      low = low + rec.div(range * cum[s], total);
      // value lies in [low, high], so it shares their settled bits. Both
      // steps run unconditionally (n may be 0): no branch to mispredict.
      uint32_t n = shared_Bits(low, high);
      if (!bits.get(n, more)) return {};
      value = ((value << n) & kTopValue) | more;
      low = (low << n) & kTopValue;
      high = ((high << n) | ((1u << n) - 1)) & kTopValue;
      n = middle_Bits(low, high);
      if (!bits.get(n, more)) return {};
      const uint32_t flip = n > 0 ? kHalf : 0;
      value = (((value << n) & kTopValue) ^ flip) | more;
      low = ((low << n) & kTopValue) ^ flip;
      high = (((high << n) | ((1u << n) - 1)) & kTopValue) ^ flip;
      model.update(s);
    }
    vKol = static_cast<int32_t>(out.size());
    return out;
  } catch (const std::bad_alloc&) {
    msg("нет памяти");
    return {};
  }
}

}  // namespace

BB encode_Ari(const BB& data, int32_t M, int32_t& vKolBit) { return encode_Values(data, M, vKolBit); }
BB encode_Ari(const TT& data, int32_t M, int32_t& vKolBit) { return encode_Values(data, M, vKolBit); }

BB decode_Ari_BB(const BB& bb, int32_t vStart, int32_t M, int32_t& vKol) {
  return decode_Values<BB>(bb, vStart, M, 255, vKol);
}
TT decode_Ari_TT(const BB& bb, int32_t vStart, int32_t M, int32_t& vKol) {
  return decode_Values<TT>(bb, vStart, M, kAriMaxM, vKol);
}

}  // namespace ModuleLib1
