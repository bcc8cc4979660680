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

// A converted stream opens with the end mark and this head: the kind of
// conversion in 2 even bits, for packed UTF-8 text then its window and the
// packed model's order in 11 + 7 + 4 bits. x86 code keeps the order.
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

struct cConvertedHead final : pmd::cHead {
  uint32_t kind = kPackedText;
  pmd::cWindow window;
  int order = 2;  // the model's order for the converted bytes
  // Decoder side: the caller's capacities, and the buffer the converted
  // bytes are decoded into (none for code at the full capacity).
  int32_t capacity = 0, fullCapacity = 0;
  bool seen = false;
  std::unique_ptr<uint8_t[]> buffer;

  int write(pmd::cRangeEncoder& rc) const override {
    put_Bits(rc, kind, kKindBits);
    if (kind == kPackedText) {
      put_Bits(rc, window.base - pmd::kWindowBaseMin, kBaseBits);
      put_Bits(rc, window.esc, kEscBits);
      put_Bits(rc, static_cast<uint32_t>(order - 2), kOrderBits);
    }
    return order;
  }

  bool read(pmd::cRangeDecoder& rc, cTarget& target) override {
    seen = true;
    kind = get_Bits(rc, kKindBits);
    int32_t room = 0;
    if (kind == kX86Code) {
      // The 4 bytes after the capacity complete a last call inside it; the
      // whole stream needs no room beyond the capacity.
      if (capacity == fullCapacity) {
        target.order = order;
        return true;
      }
      room = std::min(capacity + 4, fullCapacity);
    } else if (kind == kPackedText) {
      window.base = pmd::kWindowBaseMin + get_Bits(rc, kBaseBits);
      window.esc = static_cast<uint8_t>(get_Bits(rc, kEscBits));
      const int packedOrder = 2 + static_cast<int>(get_Bits(rc, kOrderBits));
      if (window.base > pmd::kWindowBaseMax || packedOrder > order) return false;
      order = packedOrder;
      // Each packed byte unpacks to one byte at least for every two, so
      // 2 * capacity + 3 of them give `capacity` bytes (the 3 for a last unit
      // cut off); an intact stream has fewer than its input length.
      room = static_cast<int32_t>(std::min<int64_t>(2 * int64_t(capacity) + 3, fullCapacity));
    } else {
      return false;
    }
    buffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(room)]);
    if (!buffer) return false;
    target = {buffer.get(), room, order};
    return true;
  }

  // The decoded bytes (`m` of them) converted back into `dst`.
  int32_t undo(int32_t m, uint8_t* dst) const {
    if (kind == kPackedText) return pmd::unpack_Window(window, buffer.get(), m, dst, capacity);
    uint8_t* code = buffer ? buffer.get() : dst;
    pmd::targets_To_Calls(code, m);
    const int32_t r = std::min(m, capacity);
    if (buffer) std::copy(code, code + r, dst);
    return r;
  }
};

// Codes `source` packed if its window pays; -1 where it does not.
int32_t encode_Packed(pmd::cModel& model, const pmd::cWindow& w, const uint8_t* source, uint8_t* destination,
                      int32_t length, int32_t order) {
  std::unique_ptr<uint8_t[]> packed(new (std::nothrow) uint8_t[2 * static_cast<size_t>(length)]);
  if (!packed) return -1;
  int32_t broken = 0;
  const int32_t m = pmd::pack_Window(w, source, length, packed.get(), broken);
  if (!pmd::window_Pays(length, m, broken)) return -1;
  cConvertedHead head;
  head.kind = kPackedText;
  head.window = w;
  // The order is a stretch of text: packed, the same stretch is fewer
  // symbols (rounded up). It keeps the model's speed, since a symbol that
  // stands for a whole letter costs about twice as much to code.
  head.order = std::clamp(static_cast<int>((int64_t(order) * m + length - 1) / length), 2, static_cast<int>(order));
  return model.encode(packed.get(), m, destination, length + 8, &head);
}

// Codes x86 code with its call targets absolute; -1 without memory.
int32_t encode_Code(pmd::cModel& model, const uint8_t* source, uint8_t* destination, int32_t length, int32_t order) {
  std::unique_ptr<uint8_t[]> code(new (std::nothrow) uint8_t[static_cast<size_t>(length)]);
  if (!code) return -1;
  std::copy(source, source + length, code.get());
  pmd::calls_To_Targets(code.get(), length);
  cConvertedHead head;
  head.kind = kX86Code;
  head.order = order;
  return model.encode(code.get(), length, destination, length + 8, &head);
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
  cConvertedHead head;
  head.order = order;
  head.capacity = capacity;
  head.fullCapacity = fullCapacity;
  const int32_t m = model->decode(source, sourceLength, destination, capacity, &head);
  return head.seen && m > 0 ? head.undo(m, destination) : m;
}
