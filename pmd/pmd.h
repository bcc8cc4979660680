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
//
// Model memory (one arena, allocated per call) depends only on the length and
// the order, so the decoder derives it from capacity - 8:
//   MiB = min(256, ceil((length * k + 2^20) / 2^20)),
//   k = 3, 5, 8, 12, 16, 20, 24, 28, 28, 28, 32, 32, 32, 32, 32 for orders 2..16.
// The corpus files all fit without a model restart at every order; a 16 MiB
// input is held to the 256 MiB ceiling and restarts the model when it is full.
// Peak memory is the arena plus the caller's buffers.
//
// Stream: the range coder's bytes, the end marked by an escape from every
// order; trailing zero bytes are left out (the decoder reads zeros past the
// end). Two kinds of input are converted first, and their stream starts with
// the end mark and the kind: UTF-8 text whose letters are two-byte characters
// of one script is packed, each letter of its window one symbol
// (pmd/utf8_window.h), and coded at an order that spans about as much text as
// `order` bytes; x86 code gets absolute call targets (pmd/x86_calls.h). The
// same input and order give the same bytes on every build and run.
#pragma once
#include <cstdint>

// Longest input EncodeMas takes (16 MB).
constexpr int32_t kPmdMaxLength = 16777216;

int32_t EncodeMas(const uint8_t* source, uint8_t* destination, int32_t length, int32_t order);
int32_t DecodeMas(const uint8_t* source, uint8_t* destination, int32_t sourceLength, int32_t capacity,
                  int32_t order);
// DecodeMas with the model of capacity `fullCapacity` (the one the encoder's
// length gives), stopping after `capacity` bytes: the first `capacity` bytes
// of what DecodeMas(..., fullCapacity, order) decodes. Lets a caller grow its
// buffer with the output instead of trusting a stored length.
int32_t DecodeMas_Upto(const uint8_t* source, uint8_t* destination, int32_t sourceLength, int32_t capacity,
                       int32_t order, int32_t fullCapacity);
