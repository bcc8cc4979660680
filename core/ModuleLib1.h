// ModuleLib1: the adaptive arithmetic coder behind container methods 1 and 31
// (16-bit code values, an adaptive frequency model over the values 0..M plus
// one end-of-data symbol M + 2).
//
// Code bits are packed eight to a byte, the first bit in the least significant
// bit of the first byte; the last byte is padded with zero bits.
//
// Every call builds its own model, so calls are independent and re-entrant.
// Bad arguments show a message and give an empty result; a value outside
// 0..M is an index error (cIndexError), as for any array.
#pragma once
#include <cstdint>

#include "container.h"
#include "massiv/massiv_types.h"

namespace ModuleLib1 {

// Largest M the coder accepts: the initial total M + 2 must stay well below the
// halving point, and 4096 values is the widest alphabet any container uses.
constexpr int32_t kAriMaxM = 4095;
// Most values a decode returns: no container holds more than 16 MB of input,
// and an adaptive model can expand a few KB of crafted bits into gigabytes.
constexpr int32_t kAriMaxValues = container::kMaxInput;
// Zero bits the decoder reads past the end of the stream before it gives up.
// A complete stream needs at most 14 (the decoder reads 16 bits ahead and the
// encoder's end symbol plus final bits supply at least 2); the margin is slack.
constexpr int32_t kAriTailBits = 64;

// Codes `data` (every value in 0..M) and the end symbol. Returns the packed
// bits; vKolBit = number of code bits. Empty data: message "pusto", no bits.
BB encode_Ari(const BB& data, int32_t M, int32_t& vKolBit);
BB encode_Ari(const TT& data, int32_t M, int32_t& vKolBit);

// Decodes the bits stored from byte vStart to the end of bb, for values 0..M.
// vKol = number of values, or -1 (empty result) when the end symbol does not
// come within kAriTailBits zero bits past the end or within kAriMaxValues values.
BB decode_Ari_BB(const BB& bb, int32_t vStart, int32_t M, int32_t& vKol);
TT decode_Ari_TT(const BB& bb, int32_t vStart, int32_t M, int32_t& vKol);

}  // namespace ModuleLib1
