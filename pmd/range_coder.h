// 32-bit range coder with carry propagation (64-bit low, one cached byte plus
// a run of pending 0xFF bytes). The always-zero leading byte is not written,
// and the encoder drops trailing zero bytes: the decoder reads zeros past the
// end of its input, so both are implied.
#pragma once
#include <cstdint>

namespace pmd {

constexpr uint32_t kRangeTop = 1u << 24;

class cRangeEncoder {
public:
  cRangeEncoder(uint8_t* out, int32_t capacity) : out_(out), cap_(capacity) {}

  // Codes the interval [start, start + size) of `total` (total < 2^17).
  void encode(uint32_t start, uint32_t size, uint32_t total) {
    range_ /= total;
    low_ += static_cast<uint64_t>(start) * range_;
    range_ *= size;
    while (range_ < kRangeTop) {
      range_ <<= 8;
      shift_Low();
    }
  }
  // Binary decision with probability bound0 / 2^14 (encode_Bit) or
  // bound0 / 2^15 (encode_Bit15) for bit 0.
  void encode_Bit(uint32_t bound0, int bit) { code_Bit<14>(bound0, bit); }
  void encode_Bit15(uint32_t bound0, int bit) { code_Bit<15>(bound0, bit); }
  // Ends the stream and returns its length, or 0 when it exceeded the capacity.
  int32_t finish() {
    // Pick the value in [low, low + range) with the most trailing zero bits.
    uint64_t hi = low_ + range_ - 1;
    for (int k = 32; k >= 0; --k) {
      uint64_t v = hi & ~((uint64_t(1) << k) - 1);
      if (v >= low_) {
        low_ = v;
        break;
      }
    }
    for (int i = 0; i < 5; ++i) shift_Low();
    if (overflow_) return 0;
    int32_t n = pos_;
    while (n > 1 && out_[n - 1] == 0) --n;
    if (n == 0) {  // an all-zero stream still needs one byte
      if (cap_ < 1) return 0;
      out_[0] = 0;
      n = 1;
    }
    return n;
  }
  bool overflowed() const { return overflow_; }

private:
  template <int kShift>
  void code_Bit(uint32_t bound0, int bit) {
    const uint32_t r0 = (range_ >> kShift) * bound0;
    if (bit == 0) {
      range_ = r0;
    } else {
      low_ += r0;
      range_ -= r0;
    }
    while (range_ < kRangeTop) {
      range_ <<= 8;
      shift_Low();
    }
  }
  void put(uint8_t b) {
    if (first_) {  // the leading byte is always 0
      first_ = false;
      return;
    }
    if (pos_ >= cap_) {
      overflow_ = true;
      return;
    }
    out_[pos_++] = b;
  }
  void shift_Low() {
    if (static_cast<uint32_t>(low_) < 0xFF000000u || (low_ >> 32) != 0) {
      uint8_t carry = static_cast<uint8_t>(low_ >> 32);
      uint8_t b = cache_;
      do {
        put(static_cast<uint8_t>(b + carry));
        b = 0xFF;
      } while (--pending_ != 0);
      cache_ = static_cast<uint8_t>(low_ >> 24);
    }
    ++pending_;
    low_ = (low_ & 0x00FFFFFFu) << 8;
  }

  uint8_t* out_;
  int32_t cap_;
  int32_t pos_ = 0;
  uint64_t low_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
  uint8_t cache_ = 0;
  uint64_t pending_ = 1;
  bool first_ = true;
  bool overflow_ = false;
};

class cRangeDecoder {
public:
  cRangeDecoder(const uint8_t* in, int32_t length) : in_(in), len_(length) {
    for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | next();
  }

  // Position of the value inside `total`; a result >= total means damaged data.
  uint32_t threshold(uint32_t total) {
    range_ /= total;
    return code_ / range_;
  }
  void decode(uint32_t start, uint32_t size) {
    code_ -= start * range_;
    range_ *= size;
    normalize();
  }
  int decode_Bit(uint32_t bound0) { return decode_Bits<14>(bound0); }
  int decode_Bit15(uint32_t bound0) { return decode_Bits<15>(bound0); }

private:
  template <int kShift>
  int decode_Bits(uint32_t bound0) {
    const uint32_t r0 = (range_ >> kShift) * bound0;
    int bit;
    if (code_ < r0) {
      range_ = r0;
      bit = 0;
    } else {
      code_ -= r0;
      range_ -= r0;
      bit = 1;
    }
    normalize();
    return bit;
  }
  uint8_t next() { return pos_ < len_ ? in_[pos_++] : 0; }
  void normalize() {
    while (range_ < kRangeTop) {
      code_ = (code_ << 8) | next();
      range_ <<= 8;
    }
  }

  const uint8_t* in_;
  int32_t len_;
  int32_t pos_ = 0;
  uint32_t code_ = 0;
  uint32_t range_ = 0xFFFFFFFFu;
};

}  // namespace pmd
