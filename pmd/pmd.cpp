#include "pmd.h"

#include <algorithm>
#include <memory>
#include <new>

#include "ppmd_model.h"
#include "utf8_window.h"

uint32_t pmd::arena_Bytes(int32_t length, int32_t order) {
  // Model memory per input byte grows with the order; whole MiB, at most 256.
  static const uint32_t kPerByte[17] = {0, 0, 3, 5, 8, 12, 16, 20, 24, 28, 28, 28, 32, 32, 32, 32, 32};
  const uint64_t mib = 1u << 20;
  uint64_t want = uint64_t(length > 0 ? length : 0) * kPerByte[order] + mib;
  uint64_t m = (want + mib - 1) / mib;
  if (m > 256) m = 256;
  return static_cast<uint32_t>(m * mib);
}

namespace {

// A packed stream starts with the end mark, which no plain stream does (it
// codes at least one byte first), then the window and the packed model's
// order in 11 + 7 + 4 even bits; the model starts again for the packed
// bytes, which end with their own mark.
constexpr int kBaseBits = 11, kEscBits = 7, kOrderBits = 4;
static_assert(pmd::kWindowBaseMax - pmd::kWindowBaseMin < (1u << kBaseBits));

void put_Bits(pmd::cRangeEncoder& rc, uint32_t v, int bits) {
  for (int b = bits; b-- > 0;) rc.encode_Bit(1u << 13, (v >> b) & 1);
}
uint32_t get_Bits(pmd::cRangeDecoder& rc, int bits) {
  uint32_t v = 0;
  for (int b = bits; b-- > 0;) v = (v << 1) | static_cast<uint32_t>(rc.decode_Bit(1u << 13));
  return v;
}

// Codes `source` packed if its window pays; -1 where it does not.
int32_t encode_Packed(pmd::cModel& model, const pmd::cWindow& w, const uint8_t* source, uint8_t* destination,
                      int32_t length, int32_t order) {
  std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[2 * static_cast<size_t>(length)]);
  if (!packed) return -1;
  int32_t broken = 0;
  const int32_t m = pmd::pack_Window(w, source, length, packed.get(), broken);
  if (!pmd::window_Pays(length, m, broken)) return -1;
  // The order is a stretch of text: packed, the same stretch is fewer
  // symbols (rounded up). It keeps the model's speed, since a symbol that
  // stands for a whole letter costs about twice as much to code.
  const int32_t packedOrder =
      std::clamp(static_cast<int32_t>((int64_t(order) * m + length - 1) / length), 2, static_cast<int32_t>(order));
  pmd::cRangeEncoder rc(destination, length + 8);
  model.encode_End(rc);
  put_Bits(rc, w.base - pmd::kWindowBaseMin, kBaseBits);
  put_Bits(rc, w.esc, kEscBits);
  put_Bits(rc, static_cast<uint32_t>(packedOrder - 2), kOrderBits);
  model.start_Again(packedOrder);
  if (!model.encode_Block(rc, packed.get(), m)) return 0;
  model.encode_End(rc);
  return rc.finish();
}

}  // namespace

int32_t EncodeMas(const uint8_t* source, uint8_t* destination, int32_t length, int32_t order) {
  if (!source || !destination || length < 1 || length > kPmdMaxLength || order < 2 || order > 16) return 0;
  auto model = std::make_unique<pmd::cModel>();
  if (!model->init(pmd::arena_Bytes(length, order), order)) return 0;
  pmd::cWindow w;
  if (pmd::plan_Window(source, length, w)) {
    const int32_t g = encode_Packed(*model, w, source, destination, length, order);
    if (g >= 0) return g;
  }
  return model->encode(source, length, destination, length + 8);
}

int32_t DecodeMas(const uint8_t* source, uint8_t* destination, int32_t sourceLength, int32_t capacity,
                  int32_t order) {
  return DecodeMas_Upto(source, destination, sourceLength, capacity, order, capacity);
}

int32_t DecodeMas_Upto(const uint8_t* source, uint8_t* destination, int32_t sourceLength, int32_t capacity,
                       int32_t order, int32_t fullCapacity) {
  if (!source || !destination || sourceLength < 1 || capacity < 1 || order < 2 || order > 16) return 0;
  if (fullCapacity > kPmdMaxLength + 8) fullCapacity = kPmdMaxLength + 8;
  if (capacity > fullCapacity) capacity = fullCapacity;
  auto model = std::make_unique<pmd::cModel>();
  // The encoder's input length is the capacity less its 8 bytes of slack.
  if (!model->init(pmd::arena_Bytes(fullCapacity - 8, order), order)) return 0;
  pmd::cRangeDecoder rc(source, sourceLength);
  const int32_t n = model->decode_Block(rc, destination, capacity);
  if (n > 0 || !model->ended()) return n;
  // Packed: the window, then the packed bytes. Each unpacks to one byte at
  // least for every two, so 2 * capacity + 3 of them give `capacity` bytes
  // (the 3 for a last unit cut off); an intact stream has fewer than its
  // input length.
  pmd::cWindow w;
  w.base = pmd::kWindowBaseMin + get_Bits(rc, kBaseBits);
  w.esc = static_cast<uint8_t>(get_Bits(rc, kEscBits));
  const int32_t packedOrder = 2 + static_cast<int32_t>(get_Bits(rc, kOrderBits));
  if (w.base > pmd::kWindowBaseMax || packedOrder > order) return 0;
  model->start_Again(packedOrder);
  const int32_t room = static_cast<int32_t>(std::min<int64_t>(2 * int64_t(capacity) + 3, fullCapacity));
  std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[static_cast<size_t>(room)]);
  if (!packed) return 0;
  const int32_t m = model->decode_Block(rc, packed.get(), room);
  return pmd::unpack_Window(w, packed.get(), m, destination, capacity);
}
