// The toolkit's array kinds and the two errors that end an operation.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using BB = std::vector<uint8_t>;       // bytes; also M1/M2/M4 field arrays and M8
using TT = std::vector<int32_t>;       // 32-bit integers; also M16 and M32
using SS = std::vector<std::string>;   // strings (byte strings, Windows-1251 text)
using M49 = std::vector<double>;       // doubles for the cost estimates
using SL = BB;                         // long number, base 256, least significant byte first

// The suite's one size bound (16 MB): the most input a container holds and the
// widest value range of the value tables.
constexpr int32_t kMax16m = 16777216;

// Integer overflow of a 32-bit intermediate: ends the current operation.
class cOverflowError : public std::overflow_error {
public:
  using std::overflow_error::overflow_error;
};

// An index outside an array: ends the current operation.
class cIndexError : public std::out_of_range {
public:
  using std::out_of_range::out_of_range;
};

// Checked 32-bit arithmetic for the places where an overflow must stop the work.
inline int32_t add_Checked(int64_t a, int64_t b) {
  int64_t r = a + b;
  if (r > INT32_MAX || r < INT32_MIN) throw cOverflowError("переполнение");
  return static_cast<int32_t>(r);
}
inline int32_t mul_Checked(int64_t a, int64_t b) {
  int64_t r = a * b;
  if (r > INT32_MAX || r < INT32_MIN) throw cOverflowError("переполнение");
  return static_cast<int32_t>(r);
}
inline int32_t to_Int32(int64_t a) {
  if (a > INT32_MAX || a < INT32_MIN) throw cOverflowError("переполнение");
  return static_cast<int32_t>(a);
}
// Index check for element access that must not leave the array.
template <class V>
inline auto& at_Checked(V& v, int64_t i) {
  if (i < 0 || i >= static_cast<int64_t>(v.size())) throw cIndexError("индекс вне массива");
  return v[static_cast<size_t>(i)];
}
