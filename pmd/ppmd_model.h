// PPM model with binary-context modelling, secondary escape estimation and
// inheritance of statistics into new contexts, coding through the range coder.
// Whether the coded symbol is the first (most frequent) one of its context is
// coded as a separate binary decision whose probability an adaptive table
// refines. The model lives in one arena (cSubAlloc) and restarts when full.
#pragma once
#include <algorithm>
#include <cstdint>

#include "range_coder.h"
#include "sub_alloc.h"

namespace pmd {

// One symbol of a context: 6 bytes, successor split in halves (2-byte aligned).
struct cState {
  uint8_t sym;
  uint8_t freq;
  uint16_t succLo;
  uint16_t succHi;
  uint32_t succ() const { return succLo | (uint32_t(succHi) << 16); }
  void set_Succ(uint32_t v) {
    succLo = static_cast<uint16_t>(v);
    succHi = static_cast<uint16_t>(v >> 16);
  }
};

// A context: 12 bytes. With one symbol its state is kept inside (`one`),
// overlaying the frequency sum and the symbol array reference.
struct cContext {
  uint16_t numStats;
  union {
    struct {
      uint16_t summFreq;
      uint16_t statsLo;
      uint16_t statsHi;
    } m;
    cState one;
  } u;
  uint32_t suffix;
  uint32_t stats() const { return u.m.statsLo | (uint32_t(u.m.statsHi) << 16); }
  void set_Stats(uint32_t v) {
    u.m.statsLo = static_cast<uint16_t>(v);
    u.m.statsHi = static_cast<uint16_t>(v >> 16);
  }
};
static_assert(sizeof(cState) == 6 && sizeof(cContext) == 12);

// Adaptive escape estimate of a class of masked contexts.
struct cSee {
  uint16_t summ;
  uint8_t shift;
  uint8_t count;
  uint32_t mean() {
    uint32_t r = summ >> shift;
    summ = static_cast<uint16_t>(summ - r);
    return r + (r == 0);
  }
  void hit();
};

// A refined binary decision is taken while it codes shorter than the plain
// frequencies would; while off, every gap-th occasion still takes it, to keep
// measuring both (more often costs time where the refinement does not pay).
// The gap starts at offGap and doubles with every measure that finds it off
// again, up to maxGap: where it stays off, the samples cost ever less.
struct cSwitch {
  cSwitch(uint32_t off, uint32_t maxOff, int marginShift = 8) : offGap(off), maxGap(maxOff), margin(marginShift) {}
  uint32_t offGap, maxGap;
  int margin;  // on while the refined cost, plus its 2^-margin, is the lower
  bool on = true;
  uint32_t wait = 1;  // occasions until the next refined one
  uint32_t gap = 1;   // 1 while on, offGap to maxGap while off
  uint32_t samples = 0, costRef = 0, costRaw = 0;
  bool take() {
    if (--wait != 0) return false;
    wait = gap;
    return true;
  }
  // The gap after a measure.
  uint32_t next_Gap() const { return on ? 1 : gap == 1 ? offGap : std::min(2 * gap, maxGap); }
};

// One look-up in a refinement row: the probability, the cell pair and its
// interpolation weight (for the update), and the two logarithms it came from.
struct cRefined {
  uint16_t* cell;
  int w;
  uint32_t p;
  int lnA, lnB;
};

// A binary context's shared estimate (probability of its symbol, 15 bits) and
// the number of occasions it has seen, side by side so that a look-up touches
// one cache line.
struct cBinStat {
  uint16_t summ;
  uint8_t seen;
  uint8_t unused;
};

// Model memory for `length` input bytes at `order`; the decoder derives the
// same figure from its capacity.
uint32_t arena_Bytes(int32_t length, int32_t order);

// What a converted stream holds before its bytes (after an end mark, which
// opens no plain stream): written by the encoder, read back by the decoder.
struct cHead {
  virtual ~cHead() = default;
  // Writes the head; returns the model order for the bytes.
  virtual int write(cRangeEncoder& rc) const = 0;
  // Where the bytes of a converted stream go, and the model order for them.
  struct cTarget {
    uint8_t* dst;
    int32_t cap;
    int order;
  };
  // Reads the head; false on damage. (A copy: the decoder's own buffer and
  // capacity stay out of memory.)
  virtual bool read(cRangeDecoder& rc, cTarget& target) = 0;
};

class cModel {
public:
  // `arenaBytes` of model memory, `order` 2..16. False when no memory.
  bool init(uint32_t arenaBytes, int order);

  // Codes `n` bytes and the end mark, after the head of a converted stream
  // if there is one; returns the stream length, 0 if it does not fit in
  // `cap` bytes.
  int32_t encode(const uint8_t* src, int32_t n, uint8_t* dst, int32_t cap, const cHead* head = nullptr);
  // Decodes until the end mark, damaged data or `cap` bytes. With `head`, a
  // stream that opens with the end mark is read as a converted one: the head
  // reads what follows it and says where its bytes go.
  int32_t decode(const uint8_t* src, int32_t srcLen, uint8_t* dst, int32_t cap, cHead* head = nullptr);
  // How often the memory filled up and the model started again.
  int32_t restarts() const { return restarts_; }

private:
  int32_t restarts_ = 0;

  cContext* ctx(uint32_t o) const { return alloc_.at<cContext>(o); }
  cState* st(uint32_t o) const { return alloc_.at<cState>(o); }
  cState* stats(const cContext* c) const { return st(c->stats()); }
  uint32_t off(const void* p) const { return alloc_.off(p); }

  void restart();
  void rescale();
  bool update_Model();
  uint32_t create_Successors(bool skip, cState* p1);
  void next_Context();
  cBinStat* bin_Prob();
  void bin_Update(cBinStat* c, int bit);
  int ln256(uint32_t x) const;
  int ln256_Flat(uint32_t x) const;
  cRefined refine(uint16_t* row, uint32_t a, uint32_t b) const;
  cRefined masked_Refine(uint32_t freq0, uint32_t all, int unmasked);
  cRefined top_Refine(uint32_t freq0, uint32_t summ);
  cRefined esc_Refine(uint32_t rest, uint32_t esc);
  static void apm_Update(const cRefined& r, int bit);
  void account(cSwitch& sw, const cRefined& r, uint32_t summ, int bit);
  cSee* esc_Context(int diff, uint32_t& escFreq);
  void found_First(cState* p, bool top);
  void found_Masked(cState* p);
  void clear_Mask();
  bool to_Unmasked_Suffix();
  int unmasked_Here() const;
  cState* first_Unmasked(cState* p, cState* end) const;

  // Encoder side and decoder side of each coding step; false on escape.
  bool enc_Symbol(cRangeEncoder& rc, int sym);
  bool enc_Escaped(cRangeEncoder& rc, int sym);
  bool enc_Binary(cRangeEncoder& rc, int sym);
  bool enc_First(cRangeEncoder& rc, int sym);
  bool enc_First_Split(cRangeEncoder& rc, int sym);
  bool enc_First_Rest(cRangeEncoder& rc, int sym, uint32_t lo, uint32_t base, uint32_t scale);
  bool enc_First_Esc(cRangeEncoder& rc, int sym);
  int dec_First_Esc(cRangeDecoder& rc);
  bool enc_Masked(cRangeEncoder& rc, int sym, bool& coded);
  int dec_Binary(cRangeDecoder& rc);
  int dec_First(cRangeDecoder& rc);
  int dec_First_Split(cRangeDecoder& rc);
  int dec_First_Rest(cRangeDecoder& rc, uint32_t count, uint32_t hi, uint32_t scale);
  int dec_Masked(cRangeDecoder& rc, bool& coded);

  cSubAlloc alloc_;
  int maxOrder_ = 4;
  cContext* minCtx_ = nullptr;
  cContext* maxCtx_ = nullptr;
  cState* found_ = nullptr;
  int orderFall_ = 0, runLength_ = 0, initRL_ = 0;
  uint32_t initEsc_ = 0;
  int numMasked_ = 0;
  uint8_t prevSuccess_ = 0, hiBitsFlag_ = 0, hiBitsFlag2_ = 0;  // of the last byte and the one before
  uint8_t charMask_[256] = {};  // 0xFF: still possible in this escape sequence, 0: masked
  uint8_t ns2Indx_[256] = {}, hb2Flag_[256] = {};
  uint8_t ns2BSIndx_[257] = {};  // by the suffix's symbol count 1..256
  // By flags, then frequency: a context's frequency grows by one with each
  // success, so its next cells share a cache line (with the frequency as the
  // outer index, most look-ups took a line of their own).
  cBinStat binStat_[256][128] = {};
  cSee see_[25][64] = {};
  cSee dummySee_ = {};
  uint8_t prevEsc_ = 0;  // the last byte escaped
  // Refinement tables: 33 probabilities over the logistic domain per class,
  // interpolated.
  static constexpr int kApmRate = 6;
  static const int16_t kLn2x256[21];
  const int16_t* lnTab_ = nullptr;
  int lnScale_ = 0;  // ln256(32768), the scale of the refined probabilities
  uint16_t apmTop_[88][33] = {};
  uint16_t apmMasked_[72][33] = {};
  uint16_t apmEsc_[88][33] = {};
  uint8_t topClass_[257] = {}, maskedClass_[257] = {}, maskedCount_[256] = {};
  // The refined decisions: the top one of the first context, the first
  // unmasked one of masked contexts. The masked rows see fewer occasions and
  // go stale when sampled rarely while off (kennedy.xls at order 8: +3.6 %
  // with every 64th), so that switch starts at every 8th. Both back off to
  // a 16th of that where they stay off (most text): 1-2.5 % less time
  // there for about 0.02 % larger files.
  cSwitch top_{64, 1024};
  cSwitch masked_{8, 128};
  // Whether a first context holds the symbol once its first one is ruled out:
  // a scan of the whole context, so kept only where it saves more than 1/16
  // of that decision's cost. No backing off: its rows go stale too (xml and
  // ooffice 0.1 % larger with it).
  cSwitch esc_{16, 16, 4};
  typedef uint8_t cMaskWord __attribute__((vector_size(16)));
  cMaskWord maskOnes_ = {};  // all bits set, for clear_Mask
};

}  // namespace pmd
