// The compressed container's vocabulary, shared by every reader and writer:
// the method byte, the input limit, the decoders' error codes and the texts
// the programs log for them.
//
// Byte 0 is the method byte: bits 0-4 the method number, bits 5-6 the mode,
// bit 7 the filter flag. The system writes bits 5-7 as 0. Every reader takes
// the method from bits 0-4 alone; unzip_Auto reports a nonzero mode ("пока
// отключено") and returns the data as decoded; the filter flag is ignored
// (no filter exists), the restore log mentions it. Byte 1 is the checksum of
// bytes 2 to the end.
#pragma once
#include <cstdint>
#include <string>

#include "massiv/massiv_types.h"

namespace container {

// Method numbers (bits 0-4 of byte 0).
constexpr int32_t kMetodNo = 0;      // stored
constexpr int32_t kMetodAri = 1;     // arithmetic coding of bytes
constexpr int32_t kMetodPmdMin = 2;  // PPMd, the order is the method number
constexpr int32_t kMetodPmdMax = 16;
constexpr int32_t kMetodAri16 = 31;  // arithmetic coding of 16-bit values below 4096

constexpr int32_t metod_Of(uint8_t b) { return b & 31; }
constexpr int32_t mode_Of(uint8_t b) { return (b >> 5) & 3; }
constexpr bool filter_Of(uint8_t b) { return (b & 0x80) != 0; }
constexpr bool is_Pmd(int32_t metod) { return metod >= kMetodPmdMin && metod <= kMetodPmdMax; }

// No container holds more input than this (16 MB); zip_Auto refuses this
// size itself, the single coders accept up to it.
constexpr int32_t kMaxInput = kMax16m;

// vErr of the decoders.
constexpr int32_t kOk = 0;
constexpr int32_t kErrEmpty = -1;   // empty input
constexpr int32_t kErrMetod = -2;   // wrong method number for this decoder
constexpr int32_t kErrSum = -3;     // checksum mismatch (the data still comes back)
constexpr int32_t kErrLength = -4;  // decoded length differs from the stored one
constexpr int32_t kErrNoEnd = -5;   // no end-of-data symbol: cut off or damaged

// The log text for a negative vErr ("непонятная ошибка" for unknown codes).
const char* err_Text(int32_t vErr);

// The restore log's description of a container's method: the filter line
// when bit 7 is set, then the method (empty for an empty container).
SS describe_Metod(const BB& bb);

}  // namespace container
