#include "pmd.h"

#include <algorithm>
#include <memory>
#include <new>

#include "ppmd_model.h"
#include "utf8_window.h"
#include "x86_calls.h"

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

// A converted stream starts with the end mark, which no plain stream does (it
// codes at least one byte first), then the kind of conversion in 2 even bits:
// a packed UTF-8 text (its window and the packed model's order in 11 + 7 + 4
// bits follow) or x86 code with absolute call targets. The model starts
// again for the converted bytes, which end with their own mark.
enum : uint32_t { kPackedText = 0, kX86Code = 1 };
constexpr int kKindBits = 2, kBaseBits = 11, kEscBits = 7, kOrderBits = 4;
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
  put_Bits(rc, kPackedText, kKindBits);
  put_Bits(rc, w.base - pmd::kWindowBaseMin, kBaseBits);
  put_Bits(rc, w.esc, kEscBits);
  put_Bits(rc, static_cast<uint32_t>(packedOrder - 2), kOrderBits);
  model.start_Again(packedOrder);
  if (!model.encode_Block(rc, packed.get(), m)) return 0;
  model.encode_End(rc);
  return rc.finish();
}

// Codes x86 code with its call targets absolute.
int32_t encode_Code(pmd::cModel& model, const uint8_t* source, uint8_t* destination, int32_t length, int32_t order) {
  std::unique_ptr<uint8_t[]> code(new (std::nothrow) uint8_t[static_cast<size_t>(length)]);
  if (!code) return -1;
  std::copy(source, source + length, code.get());
  pmd::calls_To_Targets(code.get(), length);
  pmd::cRangeEncoder rc(destination, length + 8);
  model.encode_End(rc);
  put_Bits(rc, kX86Code, kKindBits);
  model.start_Again(order);
  if (!model.encode_Block(rc, code.get(), length)) return 0;
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
  } else if (pmd::plan_Calls(source, length)) {
    const int32_t g = encode_Code(*model, source, destination, length, order);
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
  const uint32_t kind = get_Bits(rc, kKindBits);
  if (kind == kX86Code) {
    // The 4 bytes after the capacity complete a last site inside it; the
    // whole stream's bytes need no more room than the capacity.
    model->start_Again(order);
    if (capacity == fullCapacity) {
      const int32_t m = model->decode_Block(rc, destination, capacity);
      pmd::targets_To_Calls(destination, m);
      return m;
    }
    const int32_t room = std::min(capacity + 4, fullCapacity);
    std::unique_ptr<uint8_t[]> code(new (std::nothrow) uint8_t[static_cast<size_t>(room)]);
    if (!code) return 0;
    const int32_t m = model->decode_Block(rc, code.get(), room);
    pmd::targets_To_Calls(code.get(), m);
    const int32_t r = std::min(m, capacity);
    std::copy(code.get(), code.get() + r, destination);
    return r;
  }
  if (kind != kPackedText) return 0;
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
