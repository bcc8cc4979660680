#include "pmd.h"

#include <memory>

#include "ppmd_model.h"

uint32_t pmd::arena_Bytes(int32_t length, int32_t order) {
  // Model memory per input byte grows with the order; whole MiB, at most 256.
  static const uint32_t kPerByte[17] = {0, 0, 3, 5, 8, 12, 16, 20, 24, 28, 28, 28, 32, 32, 32, 32, 32};
  const uint64_t mib = 1u << 20;
  uint64_t want = uint64_t(length > 0 ? length : 0) * kPerByte[order] + mib;
  uint64_t m = (want + mib - 1) / mib;
  if (m > 256) m = 256;
  return static_cast<uint32_t>(m * mib);
}

int32_t EncodeMas(const uint8_t* source, uint8_t* destination, int32_t length, int32_t order) {
  if (!source || !destination || length < 1 || length > kPmdMaxLength || order < 2 || order > 16) return 0;
  auto model = std::make_unique<pmd::cModel>();
  if (!model->init(pmd::arena_Bytes(length, order), order)) return 0;
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
  return model->decode(source, sourceLength, destination, capacity);
}
