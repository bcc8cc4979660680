#include "ppmd_model.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace pmd {

namespace {

constexpr int kIntBits = 7;
constexpr int kPeriodBits = 7;
constexpr uint32_t kBinScale = 1u << (kIntBits + kPeriodBits);
constexpr uint32_t kBinScale15 = 2 * kBinScale;  // the scale the binary estimates are kept in
constexpr uint32_t kMaxFreq = 124;
constexpr int kMaxStack = 64;
// Most a new one-symbol context inherits (see create_Successors).
constexpr uint32_t kMaxInherit = 20;

// Initial escape estimates of binary contexts by the suffix's symbol count.
constexpr uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};
// Escape weight of a new context, by the binary probability that failed.
constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

// Adaptation rate of a binary estimate after n occasions, in 1/65536:
// 1/(n + 9.5), down to 1/64 (reached at n = 55).
constexpr int kBinSeenMax = 63;
constexpr auto kBinRate = [] {
  std::array<uint16_t, kBinSeenMax + 1> r{};
  for (int n = 0; n <= kBinSeenMax; ++n) r[n] = static_cast<uint16_t>(std::max(131072 / (2 * n + 19), 1024));
  return r;
}();
// The occasion count after one more, saturating (a look-up: cheaper than the
// compare and add).
constexpr auto kBinSeenNext = [] {
  std::array<uint8_t, kBinSeenMax + 1> s{};
  for (int n = 0; n <= kBinSeenMax; ++n) s[n] = static_cast<uint8_t>(std::min(n + 1, kBinSeenMax));
  return s;
}();

// Symbol `sym` in a symbol array of n >= 2 entries, or nullptr. Arrays are
// sorted by falling frequency, so the symbol is most often one of the first
// two: those are looked at before the loop.
inline cState* find_Sym(cState* p, uint32_t n, uint8_t sym) {
  if (p[0].sym == sym) return p;
  if (p[1].sym == sym) return p + 1;
  cState* const end = p + n;
  cState* q = p + 2;
  for (; end - q >= 4; q += 4) {  // one bound check per four symbols
    if (q[0].sym == sym) return q;
    if (q[1].sym == sym) return q + 1;
    if (q[2].sym == sym) return q + 2;
    if (q[3].sym == sym) return q + 3;
  }
  for (; q != end; ++q)
    if (q->sym == sym) return q;
  return nullptr;
}

// Logistic curve in fixed point: x in 1/256 steps over [-2047, 2047] to a
// 12-bit probability, by interpolation in a 33-point table.
int squash(int d) {
  static const int t[33] = {1,    2,    3,    6,    10,   16,   27,   45,   73,   120,  194,
                            310,  488,  747,  1101, 1546, 2047, 2549, 2994, 3348, 3607, 3785,
                            3901, 3975, 4024, 4050, 4068, 4079, 4085, 4089, 4092, 4093, 4094};
  if (d > 2047) return 4095;
  if (d < -2047) return 1;
  int w = d & 127;
  d = (d >> 7) + 16;
  return (t[d] * (128 - w) + t[d + 1] * w + 64) >> 7;
}

// log2(x) with 16 fraction bits, by repeated squaring (integers only, so every
// build gets the same table).
uint32_t log2_Q16(uint32_t x) {
  const int ip = 31 - __builtin_clz(x);
  uint64_t y = uint64_t(x) << (31 - ip);  // mantissa in [2^31, 2^32)
  uint32_t r = static_cast<uint32_t>(ip) << 16;
  for (int b = 15; b >= 0; --b) {
    y = (y * y) >> 31;
    if (y >= (uint64_t(1) << 32)) {
      y >>= 1;
      r |= 1u << b;
    }
  }
  return r;
}

constexpr uint64_t kLn2Q32 = 11629080;  // 256 * ln(2) / 65536, in units of 2^-32

// Fixed tables, built once per process.
struct cTables {
  int16_t ln[4096] = {};  // 256 * ln(x)
  uint16_t apmRow[33] = {};  // initial refinement row: the identity
  cBinStat binStat[256][128] = {};  // initial binary estimates, no occasions seen
  cTables() {
    for (int i = 0; i < 128; ++i)
      for (int k = 0; k < 8; ++k)
        for (int m = 0; m < 256; m += 8) binStat[k + m][i].summ = static_cast<uint16_t>(2 * (kBinScale - kInitBinEsc[k] / (i + 2)));
    for (uint32_t x = 1; x < 4096; ++x) ln[x] = static_cast<int16_t>((uint64_t(log2_Q16(x)) * kLn2Q32) >> 32);
    for (int j = 0; j < 33; ++j) apmRow[j] = static_cast<uint16_t>(squash((j - 16) * 128) * 16);
  }
};

const cTables& tables() {
  static const cTables t;
  return t;
}

}  // namespace

// 256 * ln(2^k) for the shifted look-ups.
const int16_t cModel::kLn2x256[21] = {0,    177,  355,  532,  710,  887,  1065, 1242, 1420, 1597, 1774,
                                      1952, 2129, 2307, 2484, 2662, 2839, 3017, 3194, 3371, 3549};

void cSee::hit() {
  if (shift < kPeriodBits && --count == 0) {
    summ = static_cast<uint16_t>(summ + summ);
    count = static_cast<uint8_t>(3 << shift++);
  }
}

bool cModel::init(uint32_t arenaBytes, int order) {
  if (!alloc_.create(arenaBytes)) return false;
  lnTab_ = tables().ln;
  lnScale_ = ln256(32768);
  maxOrder_ = order;
  for (int i = 0; i < 256; ++i) {
    ns2BSIndx_[i + 1] = static_cast<uint8_t>(i == 0 ? 0 : i == 1 ? 2 : i <= 10 ? 4 : 6);
    hb2Flag_[i] = static_cast<uint8_t>(i < 0x40 ? 0 : 8);
  }
  // Classes of the refinement rows: symbols in the first context, unmasked
  // and masked symbols in a masked one. Kept scaled to their place in the
  // row index, which then is a plain sum.
  for (int n = 0; n <= 256; ++n) {
    topClass_[n] = static_cast<uint8_t>(8 * (n <= 8 ? std::max(n - 2, 0) : n <= 16 ? 7 : n <= 32 ? 8 : n <= 64 ? 9 : 10));
    maskedClass_[n] = static_cast<uint8_t>(8 * (n <= 6 ? std::max(n - 1, 0) : n <= 12 ? 6 : n <= 24 ? 7 : 8));
  }
  for (int n = 0; n < 256; ++n) maskedCount_[n] = static_cast<uint8_t>(2 * (n <= 1 ? 0 : n <= 3 ? 1 : n <= 8 ? 2 : 3));
  // Symbol-count classes for the escape contexts: 0,1,2, then ever wider.
  int i = 0;
  for (; i < 3; ++i) ns2Indx_[i] = static_cast<uint8_t>(i);
  for (int m = i, k = 1, step = 1; i < 256; ++i) {
    ns2Indx_[i] = static_cast<uint8_t>(m);
    if (--k == 0) {
      k = ++step;
      ++m;
    }
  }
  dummySee_ = {0, kPeriodBits, 64};
  maskOnes_ = ~cMaskWord{};
  restart();
  return true;
}

// Starts the mask of a new escape sequence: every symbol possible again.
// Sixteen stores in place (the library call for 256 bytes cost as much again
// in dispatch and spilled registers); the stored word is read from the model,
// which keeps the compiler from turning the stores back into that call.
inline void cModel::clear_Mask() {
  const cMaskWord ones = maskOnes_;
  for (int i = 0; i < 256; i += 16) std::memcpy(charMask_ + i, &ones, 16);
}

void cModel::restart() {
  alloc_.reset();
  initRL_ = -(maxOrder_ < 12 ? maxOrder_ : 12) - 1;
  runLength_ = initRL_;
  prevSuccess_ = 0;
  orderFall_ = maxOrder_;
  uint32_t c = alloc_.alloc_Context();
  uint32_t s = alloc_.alloc_Units(128);
  minCtx_ = maxCtx_ = ctx(c);
  minCtx_->suffix = 0;
  minCtx_->numStats = 256;
  minCtx_->u.m.summFreq = 257;
  minCtx_->set_Stats(s);
  cState* p = st(s);
  for (int i = 0; i < 256; ++i) {
    p[i].sym = static_cast<uint8_t>(i);
    p[i].freq = 1;
    p[i].set_Succ(0);
  }
  found_ = p;
  const cTables& t = tables();
  std::memcpy(binStat_, t.binStat, sizeof(binStat_));
  for (auto& row : apmMasked_) std::memcpy(row, t.apmRow, sizeof(row));
  for (auto& row : apmTop_) std::memcpy(row, t.apmRow, sizeof(row));
  for (auto& row : apmEsc_) std::memcpy(row, t.apmRow, sizeof(row));
  for (int i = 0; i < 25; ++i)
    for (int k = 0; k < 64; ++k) see_[i][k] = {static_cast<uint16_t>((5 * i + 10) << (kPeriodBits - 4)), kPeriodBits - 4, 4};
  prevEsc_ = hiBitsFlag2_ = 0;
}

// Stable sort of `n` states by falling frequency, all frequencies <= top.
static void sort_By_Freq(cState* a, uint32_t n, uint32_t top) {
  uint32_t pos[256] = {};
  for (uint32_t i = 0; i < n; ++i) ++pos[a[i].freq];
  for (uint32_t f = top + 1, at = 0; f-- > 0;) {
    const uint32_t k = pos[f];
    pos[f] = at;
    at += k;
  }
  cState t[256];
  for (uint32_t i = 0; i < n; ++i) t[pos[a[i].freq]++] = a[i];
  std::memcpy(a, t, n * sizeof(cState));
}

// Halves the frequencies of the current context (found_ moves to the front),
// dropping symbols that reach zero; the root keeps all its symbols.
void cModel::rescale() {
  cContext* mc = minCtx_;
  cState* base = stats(mc);
  uint32_t ns = mc->numStats;
  for (cState* p = found_; p != base; --p) std::swap(p[0], p[-1]);
  base[0].freq = static_cast<uint8_t>(base[0].freq + 4);
  mc->u.m.summFreq = static_cast<uint16_t>(mc->u.m.summFreq + 4);
  uint32_t escFreq = mc->u.m.summFreq - base[0].freq;
  uint32_t adder = (orderFall_ != 0 || mc->suffix == 0) ? 1 : 0;
  base[0].freq = static_cast<uint8_t>((base[0].freq + adder) >> 1);
  uint32_t sum = base[0].freq;
  if (ns <= 16) {
    for (uint32_t i = 1; i < ns; ++i) {
      escFreq -= base[i].freq;
      base[i].freq = static_cast<uint8_t>((base[i].freq + adder) >> 1);
      sum += base[i].freq;
      if (base[i].freq > base[i - 1].freq) {
        cState t = base[i];
        uint32_t j = i;
        do base[j] = base[j - 1];
        while (--j && t.freq > base[j - 1].freq);
        base[j] = t;
      }
    }
  } else {
    // Large contexts: halve, then sort by a counting pass (the same stable
    // order as the insertion sort above, in linear time).
    bool sorted = true;
    uint32_t top = base[0].freq;
    for (uint32_t i = 1; i < ns; ++i) {
      escFreq -= base[i].freq;
      const uint32_t f = (base[i].freq + adder) >> 1;
      base[i].freq = static_cast<uint8_t>(f);
      sum += f;
      sorted &= f <= base[i - 1].freq;
      top = std::max(top, f);
    }
    if (!sorted) sort_By_Freq(base, ns, top);
  }
  if (base[ns - 1].freq == 0) {
    uint32_t zeros = 0;
    while (base[ns - 1 - zeros].freq == 0) ++zeros;
    escFreq += zeros;
    uint32_t nsNew = ns - zeros;
    mc->numStats = static_cast<uint16_t>(nsNew);
    if (nsNew == 1) {
      cState t = base[0];
      do {
        t.freq = static_cast<uint8_t>(t.freq - (t.freq >> 1));
        escFreq >>= 1;
      } while (escFreq > 1);
      alloc_.free_Units(off(base), (ns + 1) >> 1);
      mc->u.one = t;
      found_ = &mc->u.one;
      return;
    }
    uint32_t n0 = (ns + 1) >> 1, n1 = (nsNew + 1) >> 1;
    if (n0 != n1) mc->set_Stats(alloc_.shrink_Units(off(base), n0, n1));
  }
  mc->u.m.summFreq = static_cast<uint16_t>(sum + escFreq - (escFreq >> 1));
  found_ = stats(mc);
}

// Gives found_ and the states of the same symbol in the suffixes that still
// point into the text real contexts, each a one-symbol child whose statistics
// are inherited from the context where the chain ends.
uint32_t cModel::create_Successors(bool skip, cState* p1) {
  const uint32_t upBranch = found_->succ();
  const uint8_t fsym = found_->sym;
  cContext* pc = minCtx_;
  cState* ps[kMaxStack];
  ps[0] = found_;  // kept unless skipped: no branch on it
  int n = !skip;
  cState* p = p1;
  while (pc->suffix && n < kMaxStack) {
    pc = ctx(pc->suffix);
    if (!p) {
      p = (pc->numStats != 1) ? find_Sym(stats(pc), pc->numStats, fsym)
                              : (pc->u.one.sym == fsym ? &pc->u.one : nullptr);
      if (!p) break;
    }
    uint32_t s = p->succ();
    if (s != upBranch && s >= alloc_.unitsStart()) {
      pc = ctx(s);
      break;
    }
    ps[n++] = p;
    p = nullptr;
  }
  if (n == 0) return off(pc);

  cState up;
  up.sym = alloc_.base()[upBranch];
  up.set_Succ(upBranch < alloc_.text() ? upBranch + 1 : 0);
  if (pc->numStats != 1) {
    cState* q = find_Sym(stats(pc), pc->numStats, up.sym);
    if (q) {
      uint32_t cf = q->freq - 1u;
      uint32_t s0 = pc->u.m.summFreq - pc->numStats - cf;
      // Both sides, then a select: the test mispredicted on four in ten. The
      // divisor is kept nonzero for the side not taken.
      const uint32_t few = 5 * cf > s0, many = (2 * cf + 3 * s0 - 1) / std::max(2 * s0, 1u);
      up.freq = static_cast<uint8_t>(1 + ((2 * cf <= s0) ? few : many));
    } else {
      up.freq = 1;
    }
  } else {
    up.freq = pc->u.one.freq;
  }
  // Suffix counts reach 124 (128 in binary contexts); a new context has not
  // earned that confidence yet, so it starts at most at kMaxInherit.
  up.freq = static_cast<uint8_t>(std::min<uint32_t>(up.freq, kMaxInherit));
  // Each new context is one symbol count, one state and its suffix: the
  // first two go in as one 8-byte word.
  cContext head;
  head.numStats = 1;
  head.u.one = up;
  uint64_t word;
  std::memcpy(&word, &head, sizeof(word));
  uint32_t suffix = off(pc);
  // Links the next new context (the deepest first) below the last one.
  auto link = [&](uint32_t c) {
    cContext* nc = ctx(c);
    std::memcpy(nc, &word, sizeof(word));
    nc->suffix = suffix;
    ps[--n]->set_Succ(c);
    suffix = c;
  };
  // Mostly all from the gap at once, below its top; else one at a time.
  if (uint32_t c = alloc_.alloc_Contexts(static_cast<uint32_t>(n))) {
    do link(c -= kUnitSize);
    while (n);
    return suffix;
  }
  do {
    uint32_t c = alloc_.alloc_Context();
    if (!c) return 0;
    link(c);
  } while (n);
  return suffix;
}

bool cModel::update_Model() {
  const cState fs = *found_;
  uint32_t fsSucc = fs.succ();
  cContext* mc = minCtx_;
  cState* p = nullptr;
  if (fs.freq < kMaxFreq / 4 && mc->suffix) {
    cContext* pc = ctx(mc->suffix);
    if (pc->numStats != 1) {
      cState* base = stats(pc);
      p = find_Sym(base, pc->numStats, fs.sym);
      if (p) {
        if (p != base && p[0].freq >= p[-1].freq) {
          std::swap(p[0], p[-1]);
          --p;
        }
        if (p->freq < kMaxFreq - 9) {
          p->freq = static_cast<uint8_t>(p->freq + 2);
          pc->u.m.summFreq = static_cast<uint16_t>(pc->u.m.summFreq + 2);
        }
      }
    } else if (pc->u.one.sym == fs.sym) {
      p = &pc->u.one;
      p->freq = static_cast<uint8_t>(p->freq + (p->freq < 32));
    }
  }
  if (orderFall_ == 0) {
    uint32_t c = create_Successors(true, p);
    if (!c) return false;
    found_->set_Succ(c);
    minCtx_ = maxCtx_ = ctx(c);
    return true;
  }
  if (!alloc_.put_Text(fs.sym)) return false;
  uint32_t successor = alloc_.text();
  if (fsSucc) {
    if (fsSucc < alloc_.unitsStart()) {  // still a text reference
      uint32_t c = create_Successors(false, p);
      if (!c) return false;
      fsSucc = c;
    }
    if (--orderFall_ == 0) {
      successor = fsSucc;
      if (maxCtx_ != mc) alloc_.unput_Text();
    }
  } else {
    found_->set_Succ(successor);
    fsSucc = off(mc);
  }

  const uint32_t ns = mc->numStats;
  const uint32_t s0 = mc->u.m.summFreq - ns - (fs.freq - 1u);
  for (cContext* pc = maxCtx_; pc != mc; pc = ctx(pc->suffix)) {
    uint32_t ns1 = pc->numStats;
    if (ns1 != 1) {
      if ((ns1 & 1) == 0) {
        uint32_t q = alloc_.expand_Units(pc->stats(), ns1 >> 1);
        if (!q) return false;
        pc->set_Stats(q);
      }
      uint32_t sf = pc->u.m.summFreq;
      pc->u.m.summFreq = static_cast<uint16_t>(sf + (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (sf <= 8 * ns1)));
    } else {
      uint32_t q = alloc_.alloc_Units(1);
      if (!q) return false;
      cState one = pc->u.one;
      if (one.freq < kMaxFreq / 4 - 1)
        one.freq = static_cast<uint8_t>(one.freq * 2);
      else
        one.freq = kMaxFreq - 4;
      *st(q) = one;
      pc->set_Stats(q);
      pc->u.m.summFreq = static_cast<uint16_t>(one.freq + initEsc_ + (ns > 3));
    }
    uint32_t summ = pc->u.m.summFreq;
    uint32_t cf = 2 * fs.freq * (summ + 6);
    uint32_t sf = s0 + summ;
    if (cf < 6 * sf) {
      cf = 1 + (cf > sf) + (cf >= 4 * sf);
      summ += 3;
    } else {
      cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
      summ += cf;
    }
    pc->u.m.summFreq = static_cast<uint16_t>(summ);
    cState* np = stats(pc) + ns1;
    np->sym = fs.sym;
    np->freq = static_cast<uint8_t>(cf);
    np->set_Succ(successor);
    pc->numStats = static_cast<uint16_t>(ns1 + 1);
  }
  maxCtx_ = minCtx_ = ctx(fsSucc);
  return true;
}

void cModel::next_Context() {
  hiBitsFlag2_ = hiBitsFlag_;
  hiBitsFlag_ = hb2Flag_[found_->sym];
  uint32_t s = found_->succ();
  if (orderFall_ == 0 && s >= alloc_.unitsStart()) {
    minCtx_ = maxCtx_ = ctx(s);
    return;
  }
  // The successor is most often the next context: start loading it while
  // the model is updated. Unconditional: a text offset or 0 is in the arena
  // too, and the test mispredicted often.
  __builtin_prefetch(ctx(s));
  if (!update_Model()) {
    restart();
    ++restarts_;
  }
}

cBinStat* cModel::bin_Prob() {
  const cContext* mc = minCtx_;
  const cState& s = mc->u.one;
  // Frequencies of one-symbol contexts stay within 1..128 (kMaxFreq = 124
  // bounds the inherited ones); the mask only guards the table.
  const uint32_t f = (s.freq - 1u) & 127;
  // Also by the class of the byte before the last and by whether the
  // successor is a context already (a longer context has followed this one).
  // Unsigned throughout: no sign extensions in the index.
  const uint32_t k = prevSuccess_ + ns2BSIndx_[ctx(mc->suffix)->numStats] + hiBitsFlag_ + 2u * hb2Flag_[s.sym] +
                     ((static_cast<uint32_t>(runLength_) >> 26) & 0x20) + 8u * hiBitsFlag2_ +
                     128u * (s.succ() >= alloc_.unitsStart());
  return &binStat_[k][f];
}

// Moves a binary estimate towards the outcome, fast while its cell has seen
// few occasions (its start value is only a guess), then at a fixed slow rate.
inline void cModel::bin_Update(cBinStat* c, int bit) {
  // Rounded to nearest, in 15 bits: the likeliest cells get within 1/1024 of
  // certainty at the slowest rate (a floor in 14 bits stopped them at 1/256,
  // which cost on very predictable data). A step is at most a tenth of the
  // distance to the target plus a half, so the estimate stays within
  // 1..kBinScale15 - 1.
  const uint32_t v = c->summ, n = c->seen, r = kBinRate[n];
  c->summ = static_cast<uint16_t>(bit ? v - ((v * r + 32768) >> 16) : v + (((kBinScale15 - v) * r + 32768) >> 16));
  c->seen = kBinSeenNext[n];
}

cSee* cModel::esc_Context(int diff, uint32_t& escFreq) {
  cContext* mc = minCtx_;
  if (mc->numStats != 256 && mc->suffix) {
    int ns = mc->numStats;
    // Besides the context's own figures: the classes of the last two bytes and
    // whether the last one escaped too (escapes come in runs).
    cSee* s = &see_[ns2Indx_[diff - 1]][(diff < ctx(mc->suffix)->numStats - ns) + 2 * (mc->u.m.summFreq < 11 * ns) +
                                        4 * (numMasked_ > diff) + hiBitsFlag_ + 2 * hiBitsFlag2_ + 32 * prevEsc_];
    escFreq = s->mean();
    return s;
  }
  escFreq = 1;
  return &dummySee_;
}

// A symbol found in the first context after the first position.
inline void cModel::found_First(cState* p, bool top) {
  cContext* mc = minCtx_;
  p->freq = static_cast<uint8_t>(p->freq + 4);
  mc->u.m.summFreq = static_cast<uint16_t>(mc->u.m.summFreq + 4);
  if (!top && p[0].freq > p[-1].freq) {
    std::swap(p[0], p[-1]);
    --p;
  }
  found_ = p;
  if (p->freq > kMaxFreq) rescale();
}

inline void cModel::found_Masked(cState* p) {
  found_ = p;
  p->freq = static_cast<uint8_t>(p->freq + 4);
  minCtx_->u.m.summFreq = static_cast<uint16_t>(minCtx_->u.m.summFreq + 4);
  if (p->freq > kMaxFreq) rescale();
  runLength_ = initRL_;
}

// Unmasked symbols of the current (masked) context, for the escape estimate
// and the refinement class: its symbols less the masked ones. Every masked
// symbol is in this context too (a context's symbols are a subset of its
// suffix's: rescaling drops symbols only from contexts of the maximal order,
// which are no context's suffix), so this is the exact count without
// counting in the scans. Both sides use it, so they agree on any input.
inline int cModel::unmasked_Here() const { return static_cast<int>(minCtx_->numStats) - numMasked_; }

// The first symbol in [p, end) not masked in this escape sequence, or end.
inline cState* cModel::first_Unmasked(cState* p, cState* end) const {
  while (p != end && charMask_[p->sym] == 0) ++p;
  return p;
}

// After an escape: down the suffixes to one with more symbols than are
// masked; false past the root. Walks in locals, storing the model state once.
inline bool cModel::to_Unmasked_Suffix() {
  cContext* mc = minCtx_;
  int fall = orderFall_;
  const uint32_t masked = static_cast<uint32_t>(numMasked_);
  bool ok = true;
  do {
    ++fall;
    if (!mc->suffix) {
      ok = false;
      break;
    }
    mc = ctx(mc->suffix);
  } while (mc->numStats <= masked);
  minCtx_ = mc;
  orderFall_ = fall;
  return ok;
}

// ---- encoder side ----

// 256 * ln(x) for any 32-bit x >= 1: a table up to 4095, beyond it shifted.
inline int cModel::ln256(uint32_t x) const {
  if (x < 4096) return lnTab_[x];
  const int k = 20 - __builtin_clz(x);  // x >> k < 4096
  return lnTab_[x >> k] + kLn2x256[k];
}

// The same without a branch, for the coded bit's probability: it falls on
// either side of 4096 as the bits do, so the test mispredicted.
inline int cModel::ln256_Flat(uint32_t x) const {
  const int k = std::max(20 - __builtin_clz(x), 0);  // kLn2x256[0] = 0
  return lnTab_[x >> k] + kLn2x256[k];
}

// Interpolated look-up in a refinement row for the probability a / (a + b),
// taken in the logistic domain (no division): 15 bits, away from 0 and 1.
inline cRefined cModel::refine(uint16_t* row, uint32_t a, uint32_t b) const {
  cRefined r;
  r.lnA = ln256(a);
  r.lnB = ln256(b);
  const int st = std::clamp(r.lnA - r.lnB, -2047, 2047) + 2048;  // 1..4095
  r.cell = row + (st >> 7);
  r.w = st & 127;
  // c0 (128 - w) + c1 w, with one product
  const int c0 = r.cell[0];
  r.p = std::clamp(static_cast<uint32_t>(c0 * 128 + (r.cell[1] - c0) * r.w) >> 8, 32u, 32768u - 32u);
  return r;
}

// Probability that the symbol is the first (most frequent) one of the first
// context, by symbol count, last outcome, byte class and maximal order.
inline cRefined cModel::top_Refine(uint32_t freq0, uint32_t summ) {
  // hiBitsFlag_ is 0 or 8
  const int c = topClass_[minCtx_->numStats] + 4 * prevSuccess_ + (hiBitsFlag_ >> 2) + (orderFall_ == 0);
  return refine(apmTop_[c], freq0, summ - freq0);
}

// Probability that a first context, its first symbol ruled out, holds the
// symbol: by symbol count, whether the last byte escaped, maximal order and
// byte class.
inline cRefined cModel::esc_Refine(uint32_t rest, uint32_t esc) {
  const int c = topClass_[minCtx_->numStats] + 4 * prevEsc_ + 2 * (orderFall_ == 0) + (hiBitsFlag_ >> 3);
  return refine(apmEsc_[c], rest, esc);
}

// Same for the first unmasked symbol of a masked context, by the numbers of
// unmasked and masked symbols.
inline cRefined cModel::masked_Refine(uint32_t freq0, uint32_t all, int unmasked) {
  const int c = maskedClass_[unmasked] + maskedCount_[std::min(numMasked_, 255)] + (hiBitsFlag_ >> 3);
  return refine(apmMasked_[c], freq0, all - freq0);
}

// Moves the two cells of a look-up towards the outcome, each by its share of
// the interpolation.
inline void cModel::apm_Update(const cRefined& r, int bit) {
  const int target = bit ? 0 : 65535;
  uint16_t* t = r.cell;
  t[0] = static_cast<uint16_t>(t[0] + (((target - int(t[0])) * (128 - r.w)) >> (kApmRate + 7)));
  t[1] = static_cast<uint16_t>(t[1] + (((target - int(t[1])) * r.w) >> (kApmRate + 7)));
}

bool cModel::enc_Binary(cRangeEncoder& rc, int sym) {
  cBinStat* const bs = bin_Prob();
  cState* s = &minCtx_->u.one;
  if (s->sym == sym) {
    rc.encode_Bit15(bs->summ, 0);
    bin_Update(bs, 0);
    found_ = s;
    const uint32_t fr = s->freq;
    s->freq = static_cast<uint8_t>(fr < 128 ? fr + 1 : fr);  // a compare and add-with-carry
    prevSuccess_ = 1;
    ++runLength_;
    return true;
  }
  rc.encode_Bit15(bs->summ, 1);
  bin_Update(bs, 1);
  initEsc_ = kExpEscape[bs->summ >> 11];
  numMasked_ = 1;
  clear_Mask();
  charMask_[s->sym] = 0;
  prevSuccess_ = 0;
  found_ = nullptr;
  return false;
}

// Adds the costs of one refined decision and of its plain coding, in units
// of ln/256, and every 1024 samples sets the switch by the cheaper one.
inline void cModel::account(cSwitch& sw, const cRefined& r, uint32_t summ, int bit) {
  sw.costRef += static_cast<uint32_t>(lnScale_ - ln256_Flat(bit ? 32768 - r.p : r.p));
  sw.costRaw += static_cast<uint32_t>(ln256(summ) - (bit ? r.lnB : r.lnA));
  if (++sw.samples == 1024) {
    sw.on = sw.costRef + (sw.costRef >> sw.margin) < sw.costRaw;
    sw.wait = sw.gap = sw.next_Gap();
    sw.samples = 0;
    sw.costRef = sw.costRaw = 0;
  }
}

// The rest of a first context once its first symbol is ruled out: `lo` is
// that symbol's frequency, the others are coded in [base, scale).
inline bool cModel::enc_First_Rest(cRangeEncoder& rc, int sym, uint32_t lo, uint32_t base, uint32_t scale) {
  cContext* mc = minCtx_;
  cState* const b = stats(mc);
  const uint32_t ns = mc->numStats;
  cState* const end = b + ns;
  prevSuccess_ = 0;
  // By pointer up to the end (with a count beside it, the loop kept three
  // induction variables).
  for (cState* p = b + 1; p != end; ++p) {
    if (p->sym == sym) {
      rc.encode(lo - base, p->freq, scale);
      found_First(p, false);
      return true;
    }
    lo += p->freq;
  }
  clear_Mask();
  for (cState* p = b; p != end; ++p) charMask_[p->sym] = 0;
  numMasked_ = static_cast<int>(ns);
  rc.encode(lo - base, mc->u.m.summFreq - lo, scale);
  found_ = nullptr;
  return false;
}

// The rest of a first context once its first symbol is ruled out: whether it
// escapes, refined, then which of the others it is.
inline bool cModel::enc_First_Esc(cRangeEncoder& rc, int sym) {
  cContext* mc = minCtx_;
  cState* b = stats(mc);
  const uint32_t ns = mc->numStats;
  prevSuccess_ = 0;
  // By pointer, as in enc_First_Rest: with an index the search kept a count
  // and a pointer (ten instructions a symbol instead of eight), and on an
  // escape it runs through the whole context.
  cState* const end = b + ns;
  uint32_t lo = 0;
  cState* q = b + 1;
  for (; q != end; ++q) {
    if (q->sym == sym) break;
    lo += q->freq;
  }
  cState* const hit = q != end ? q : nullptr;
  uint32_t rest = lo;
  for (; q != end; ++q) rest += q->freq;
  const uint32_t esc = mc->u.m.summFreq - b[0].freq - rest;
  const cRefined r = esc_Refine(rest, esc);
  const int bit = hit ? 0 : 1;
  apm_Update(r, bit);
  account(esc_, r, rest + esc, bit);
  rc.encode_Bit15(r.p, bit);
  if (hit) {
    rc.encode(lo, hit->freq, rest);
    found_First(hit, false);
    return true;
  }
  clear_Mask();
  for (uint32_t k = 0; k < ns; ++k) charMask_[b[k].sym] = 0;
  numMasked_ = static_cast<int>(ns);
  found_ = nullptr;
  return false;
}

// With the refined top decision; kept out of line, as it is taken only where
// it pays (and for samples elsewhere).
[[gnu::noinline]] bool cModel::enc_First_Split(cRangeEncoder& rc, int sym) {
  cContext* mc = minCtx_;
  cState* p = stats(mc);
  const uint32_t summ = mc->u.m.summFreq;
  const uint32_t lo = p->freq;
  const cRefined r = top_Refine(lo, summ);
  const int bit = p->sym == sym ? 0 : 1;
  apm_Update(r, bit);
  account(top_, r, summ, bit);
  rc.encode_Bit15(r.p, bit);
  if (bit == 0) {
    prevSuccess_ = (2 * lo > summ);
    runLength_ += prevSuccess_;
    found_First(p, true);
    return true;
  }
  if (!esc_.take()) return enc_First_Rest(rc, sym, lo, lo, summ - lo);
  return enc_First_Esc(rc, sym);
}

bool cModel::enc_First(cRangeEncoder& rc, int sym) {
  if (top_.take()) return enc_First_Split(rc, sym);
  cContext* mc = minCtx_;
  cState* p = stats(mc);
  const uint32_t summ = mc->u.m.summFreq;
  const uint32_t lo = p->freq;
  if (p->sym == sym) {
    rc.encode(0, lo, summ);
    prevSuccess_ = (2 * lo > summ);
    runLength_ += prevSuccess_;
    found_First(p, true);
    return true;
  }
  if (!esc_.take()) return enc_First_Rest(rc, sym, lo, 0, summ);
  rc.encode(lo, summ - lo, summ);
  return enc_First_Esc(rc, sym);
}

bool cModel::enc_Masked(cRangeEncoder& rc, int sym, bool& coded) {
  cContext* mc = minCtx_;
  cState* p = stats(mc);
  const uint32_t ns = mc->numStats;
  cState* const end = p + ns;
  // Only the refined decision needs the first unmasked symbol; else the scan
  // starts at the front, where masked symbols add nothing (a separate skip
  // over them mispredicted on its varying length).
  const bool refined = masked_.take();
  cState* const first = refined ? first_Unmasked(p, end) : p;
  if (first == end) {
    coded = false;
    return false;
  }
  // Up to the symbol, mask every symbol on the way (needed if this context
  // escapes); after it the mask no longer matters, as a hit starts a new one.
  // Mask bytes read as signed: -1 or 0 (read through the member, which keeps
  // the scans free of a spilled pointer).
  auto live = [this](uint32_t c) -> int32_t { return static_cast<int8_t>(charMask_[c]); };
  uint32_t lo = 0, total = 0;
  cState* hit = nullptr;
  cState* q = first;
  for (; q != end; ++q) {
    const uint32_t c = q->sym;
    if (c == static_cast<uint32_t>(sym)) break;  // never a masked one
    const int32_t m = live(c);
    charMask_[c] = 0;
    total += q->freq & static_cast<uint32_t>(m);
  }
  if (q != end) {
    hit = q;
    lo = total;
    // Bounded by pointer: a pair count taken from end - q made the compiler
    // carry that difference through the loop above as a third induction
    // variable. Unrolled, this loop did the same (its trip count), and
    // kennedy.xls, with its long masked contexts, coded 6 % dearer.
#if defined(__clang__)
#pragma clang loop unroll(disable)
#endif
    for (const cState* const last = end - 1; q < last; q += 2) {
      const int32_t m0 = live(q[0].sym), m1 = live(q[1].sym);
      total += (q[0].freq & static_cast<uint32_t>(m0)) + (q[1].freq & static_cast<uint32_t>(m1));
    }
    if (q != end) {
      const int32_t m = live(q->sym);
      total += q->freq & static_cast<uint32_t>(m);
    }
  }
  // Unmasked frequencies are at least 1: none here means nothing to code.
  coded = total != 0;
  if (!coded) return false;
  const int unmasked = unmasked_Here();
  uint32_t escFreq;
  cSee* see = esc_Context(unmasked, escFreq);
  const uint32_t all = total + escFreq;
  // Refined: first unmasked symbol or not, then the others and the escape;
  // plain: all of them in one interval.
  uint32_t base = 0, scale = all;
  if (refined) {
    const uint32_t f0 = first->freq;
    const int bit = hit == first ? 0 : 1;
    const cRefined r = masked_Refine(f0, all, unmasked);
    apm_Update(r, bit);
    account(masked_, r, all, bit);
    rc.encode_Bit15(r.p, bit);
    base = f0;
    scale = all - f0;
  }
  if (hit) {
    if (!refined || hit != first) rc.encode(lo - base, hit->freq, scale);
    see->hit();
    found_Masked(hit);
    return true;
  }
  rc.encode(total - base, escFreq, scale);
  see->summ = static_cast<uint16_t>(see->summ + all);
  numMasked_ += unmasked;
  return false;
}

// Codes one symbol (256: the end mark), escaping as far as needed; false
// when it escaped past the root, which only the end mark does.
inline bool cModel::enc_Symbol(cRangeEncoder& rc, int sym) {
  const bool ok = (minCtx_->numStats != 1) ? enc_First(rc, sym) : enc_Binary(rc, sym);
  prevEsc_ = !ok;
  return ok || enc_Escaped(rc, sym);
}

// After an escape: down the suffixes until one codes the symbol.
inline bool cModel::enc_Escaped(cRangeEncoder& rc, int sym) {
  bool ok = false;
  while (!ok) {
    bool coded = false;
    while (!coded) {
      if (!to_Unmasked_Suffix()) return false;
      ok = enc_Masked(rc, sym, coded);
    }
  }
  return true;
}

[[gnu::flatten]] int32_t cModel::encode(const uint8_t* src, int32_t n, uint8_t* dst, int32_t cap, const cHead* head) {
  cRangeEncoder rc(dst, cap);
  if (head) {  // the opening end mark and the head, then the model afresh
    enc_Symbol(rc, 256);
    maxOrder_ = head->write(rc);
    restart();
  }
  for (int32_t i = 0; i < n;) {
    // The output limit is looked at once per block of symbols.
    const int32_t end = std::min(n, i + 4096);
    for (; i < end; ++i) {
      // The returns of 0 are not reached: the root holds every byte.
      if (minCtx_->numStats == 1) {
        // Binary contexts come in runs: a loop of their own keeps its branches
        // apart from the others', which predicts them better.
        bool hit = enc_Binary(rc, src[i]);
        while (hit) {
          prevEsc_ = 0;
          next_Context();
          if (i + 1 == end || minCtx_->numStats != 1) break;
          hit = enc_Binary(rc, src[++i]);
        }
        if (hit) continue;
        prevEsc_ = 1;
        if (!enc_Escaped(rc, src[i])) return 0;
      } else if (!enc_Symbol(rc, src[i])) {
        return 0;
      }
      next_Context();
    }
    if (rc.overflowed()) return 0;
  }
  enc_Symbol(rc, 256);
  return rc.finish();
}

// ---- decoder side ----

int cModel::dec_Binary(cRangeDecoder& rc) {
  cBinStat* const bs = bin_Prob();
  cState* s = &minCtx_->u.one;
  if (rc.decode_Bit15(bs->summ) == 0) {
    bin_Update(bs, 0);
    found_ = s;
    const uint32_t fr = s->freq;
    s->freq = static_cast<uint8_t>(fr < 128 ? fr + 1 : fr);  // a compare and add-with-carry
    prevSuccess_ = 1;
    ++runLength_;
    return s->sym;
  }
  bin_Update(bs, 1);
  initEsc_ = kExpEscape[bs->summ >> 11];
  numMasked_ = 1;
  clear_Mask();
  charMask_[s->sym] = 0;
  prevSuccess_ = 0;
  found_ = nullptr;
  return -1;
}

// The rest of a first context: the symbol at `count` in [hi, scale).
inline int cModel::dec_First_Rest(cRangeDecoder& rc, uint32_t count, uint32_t hi, uint32_t scale) {
  cContext* mc = minCtx_;
  cState* const b = stats(mc);
  const uint32_t ns = mc->numStats;
  cState* const end = b + ns;
  prevSuccess_ = 0;
  for (cState* p = b + 1; p != end; ++p) {  // by pointer, as in the encoder
    if ((hi += p->freq) > count) {
      rc.decode(hi - p->freq, p->freq);
      int sym = p->sym;
      found_First(p, false);
      return sym;
    }
  }
  clear_Mask();
  for (cState* p = b; p != end; ++p) charMask_[p->sym] = 0;
  numMasked_ = static_cast<int>(ns);
  rc.decode(hi, scale - hi);
  found_ = nullptr;
  return -1;
}

// The rest of a first context, its first symbol ruled out (enc_First_Esc).
inline int cModel::dec_First_Esc(cRangeDecoder& rc) {
  cContext* mc = minCtx_;
  cState* b = stats(mc);
  const uint32_t ns = mc->numStats;
  prevSuccess_ = 0;
  uint32_t rest = 0;
  for (uint32_t i = 1; i < ns; ++i) rest += b[i].freq;
  const uint32_t esc = mc->u.m.summFreq - b[0].freq - rest;
  const cRefined r = esc_Refine(rest, esc);
  const int bit = rc.decode_Bit15(r.p);
  apm_Update(r, bit);
  account(esc_, r, rest + esc, bit);
  if (bit == 0) {
    const uint32_t count = rc.threshold(rest);
    if (count >= rest) return -2;
    cState* p = b + 1;
    uint32_t hi = p->freq;
    while (hi <= count) hi += (++p)->freq;
    rc.decode(hi - p->freq, p->freq);
    int sym = p->sym;
    found_First(p, false);
    return sym;
  }
  clear_Mask();
  for (uint32_t i = 0; i < ns; ++i) charMask_[b[i].sym] = 0;
  numMasked_ = static_cast<int>(ns);
  found_ = nullptr;
  return -1;
}

[[gnu::noinline]] int cModel::dec_First_Split(cRangeDecoder& rc) {
  cContext* mc = minCtx_;
  cState* p = stats(mc);
  const uint32_t summ = mc->u.m.summFreq;
  const uint32_t top = p->freq;
  const cRefined r = top_Refine(top, summ);
  const int bit = rc.decode_Bit15(r.p);
  apm_Update(r, bit);
  account(top_, r, summ, bit);
  if (bit == 0) {
    prevSuccess_ = (2 * top > summ);
    runLength_ += prevSuccess_;
    int sym = p->sym;
    found_First(p, true);
    return sym;
  }
  if (!esc_.take()) {
    const uint32_t scale = summ - top;
    const uint32_t count = rc.threshold(scale);
    if (count >= scale) return -2;
    return dec_First_Rest(rc, count, 0, scale);
  }
  return dec_First_Esc(rc);
}

int cModel::dec_First(cRangeDecoder& rc) {
  if (top_.take()) return dec_First_Split(rc);
  cContext* mc = minCtx_;
  cState* p = stats(mc);
  const uint32_t summ = mc->u.m.summFreq;
  const uint32_t top = p->freq;
  const uint32_t count = rc.threshold(summ);
  if (count >= summ) return -2;
  if (count < top) {
    rc.decode(0, top);
    prevSuccess_ = (2 * top > summ);
    runLength_ += prevSuccess_;
    int sym = p->sym;
    found_First(p, true);
    return sym;
  }
  if (!esc_.take()) return dec_First_Rest(rc, count, top, summ);
  rc.decode(top, summ - top);
  return dec_First_Esc(rc);
}

int cModel::dec_Masked(cRangeDecoder& rc, bool& coded) {
  cContext* mc = minCtx_;
  cState* p = stats(mc);
  const uint32_t ns = mc->numStats;
  cState* const end = p + ns;
  // As in the encoder: the first unmasked symbol only for the refined decision.
  const bool refined = masked_.take();
  cState* const first = refined ? first_Unmasked(p, end) : p;
  if (first == end) {
    coded = false;
    return -1;
  }
  // Mask bytes read as signed: -1 for a possible symbol, 0 for a masked one.
  auto live = [this](uint32_t c) -> int32_t { return static_cast<int8_t>(charMask_[c]); };
  // Two passes, as the encoder's: the sum of the unmasked frequencies, then,
  // once the count is known, up to the symbol it falls on (mostly one of the
  // first few, the frequent ones being at the front).
  uint32_t total = 0;
  cState* q = first;
  for (uint32_t pairs = static_cast<uint32_t>(end - q) >> 1; pairs; --pairs, q += 2)  // contexts here are often large
    total += (q[0].freq & static_cast<uint32_t>(live(q[0].sym))) + (q[1].freq & static_cast<uint32_t>(live(q[1].sym)));
  if (q != end) total += q->freq & static_cast<uint32_t>(live(q->sym));
  coded = total != 0;
  if (!coded) return -1;
  const int unmasked = unmasked_Here();
  uint32_t escFreq;
  cSee* see = esc_Context(unmasked, escFreq);
  const uint32_t all = total + escFreq;
  // Refined: first unmasked symbol or not, then the others and the escape;
  // plain: all of them in one interval.
  uint32_t f0 = 0, rest = all;
  cState* from = first;
  if (refined) {
    f0 = first->freq;
    const cRefined r = masked_Refine(f0, all, unmasked);
    const int bit = rc.decode_Bit15(r.p);
    apm_Update(r, bit);
    account(masked_, r, all, bit);
    if (bit == 0) {
      see->hit();
      int sym = first->sym;
      found_Masked(first);
      return sym;
    }
    rest = all - f0;
    from = first + 1;
  }
  const uint32_t count = rc.threshold(rest);
  if (count >= rest) return -2;
  if (count < total - f0) {
    // Masked symbols add nothing, so the sum first exceeds the count at an
    // unmasked one, before the end (count < the unmasked sum from here).
    uint32_t hi = 0;
    cState* hit = from;
    for (;; ++hit)
      if ((hi += hit->freq & static_cast<uint32_t>(live(hit->sym))) > count) break;
    rc.decode(hi - hit->freq, hit->freq);
    see->hit();
    int sym = hit->sym;
    found_Masked(hit);
    return sym;
  }
  rc.decode(total - f0, escFreq);
  see->summ = static_cast<uint16_t>(see->summ + all);
  for (q = first; q != end; ++q) charMask_[q->sym] = 0;
  numMasked_ += unmasked;
  return -1;
}

[[gnu::flatten]] int32_t cModel::decode(const uint8_t* src, int32_t srcLen, uint8_t* dst, int32_t cap, cHead* head) {
  cRangeDecoder rc(src, srcLen);
  int32_t n = 0;
again:
  while (n < cap) {
    int sym;
    if (minCtx_->numStats == 1) {
      // A run of binary contexts, as in encode.
      while ((sym = dec_Binary(rc)) >= 0) {
        prevEsc_ = 0;
        dst[n++] = static_cast<uint8_t>(sym);
        next_Context();
        if (n == cap || minCtx_->numStats != 1) break;
      }
      if (sym >= 0) continue;
    } else {
      sym = dec_First(rc);
    }
    prevEsc_ = sym == -1;
    while (sym == -1) {
      bool coded = false;
      while (!coded) {
        if (!to_Unmasked_Suffix()) goto end_mark;
        sym = dec_Masked(rc, coded);
      }
    }
    if (sym < 0) return n;  // damaged stream
    dst[n++] = static_cast<uint8_t>(sym);
    next_Context();
  }
  return n;
end_mark:
  if (n != 0 || !head) return n;
  {
    // Opening a converted stream: its head, then its bytes coded by the
    // model afresh, into the buffer the head gives.
    cHead::cTarget t{dst, cap, maxOrder_};
    if (!head->read(rc, t)) return 0;
    head = nullptr;
    dst = t.dst;
    cap = t.cap;
    maxOrder_ = t.order;
    restart();
  }
  goto again;
}

}  // namespace pmd
