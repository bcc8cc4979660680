// The PPMd coder behind container methods 2-16.
//
// EncodeMas codes `length` bytes (1..16,777,216) from `source` with a PPM model
// of order `order` (2..16) and returns the number of bytes written to
// `destination`. The caller provides room for length + 8 bytes at least; the
// encoder never writes beyond length + 8 bytes and returns 0 when the stream
// would not fit (the container then stores the data instead). 0 is never a
// valid stream length for non-empty input.
//
// DecodeMas decodes the stream of `sourceLength` bytes into `destination`,
// writing at most `capacity` bytes, and returns the number decoded. Damaged
// input ends early and returns what was decoded; it never reads beyond
// `sourceLength` bytes nor writes beyond `capacity`.
#pragma once
#include <cstdint>

int32_t EncodeMas(const uint8_t* source, uint8_t* destination, int32_t length, int32_t order);
int32_t DecodeMas(const uint8_t* source, uint8_t* destination, int32_t sourceLength, int32_t capacity,
                  int32_t order);
