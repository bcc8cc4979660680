// Any bytes given to the decoders of the small transforms and table codes:
// they must end without reading past their input. The input, read as values,
// must survive the round trips of every reversible encoder.
#include <cstddef>
#include <cstdint>

#include "core/cFile.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static cFile f;
  cMassiv& m = f.massiv();
  if (size == 0) return 0;
  const BB in(data, data + size);
  const BB rest(in.begin() + 1, in.end());

  // Decoders. An overflow of a stored number may end one with an exception.
  try {
    f.unzip_78(in);
  } catch (const cOverflowError&) {
  }
  f.unzip_max78(in);
  f.unzip_RLE(in);
  if (size <= 600) f.unzip_Max1_TT(in);  // division by a small base is quadratic
  const int32_t k = data[0] % 4 == 3 ? -1 : data[0] % 4;
  for (bool pack : {false, true}) {
    f.unzip_from_2bit(rest, k, pack);
    f.unzip_from_4bit(rest, data[0] % 6 == 5 ? -1 : data[0] % 6, pack);
  }
  f.unzip_contex(rest, data[0] % 257, 8);
  TT tt;
  m.unzip_p3334(in, tt);
  for (int32_t v : tt) fuzz::check(v >= 0 && v < 8776);
  m.unzip_M49_q1(rest, 1 + data[0] % 12);

  // Round trips.
  TT bytes(in.begin(), in.end());
  fuzz::check(f.unzip_78(f.zip_78auto(bytes)) == bytes);
  fuzz::check(f.unzip_RLE(f.zip_RLE(in)) == in);
  TT pairs;
  for (size_t i = 0; i + 1 < size; i += 2) pairs.push_back(data[i] | data[i + 1] << 8);
  if (!pairs.empty()) {
    fuzz::check(f.unzip_78(f.zip_78auto(pairs)) == pairs);
    fuzz::check(f.unzip_max78(f.zip_max78auto(pairs, data[0] % 3)) == pairs || f.zip_max78auto(pairs, data[0] % 3).empty());
    TT trimmed = pairs;
    while (!trimmed.empty() && trimmed.back() == 0) trimmed.pop_back();
    if (size <= 600) fuzz::check(f.unzip_Max1_TT(f.zip_Max1_TT(pairs)) == trimmed);
    const BB p = m.zip_p3334(pairs);
    if (!p.empty()) {
      m.unzip_p3334(p, tt);
      fuzz::check(tt == pairs);
    }
    const int32_t q1 = 3 + data[0] % 6;
    const M49 x = m.copy_TT_to_M49(pairs);
    fuzz::check(m.unzip_M49_q1(m.zip_M49_q1(x, q1), q1) == x);
  }
  BB small(in);
  for (auto& b : small) b %= 10;
  int32_t kk = 0;
  const BB sym = f.zip_to_2bit(small, kk, false);
  fuzz::check(f.unzip_from_2bit(sym, kk, false) == small);
  for (auto& b : small) b = static_cast<uint8_t>(in[&b - small.data()] % 136);
  const BB sym4 = f.zip_to_4bit(small, kk, false);
  fuzz::check(f.unzip_from_4bit(sym4, kk, false) == small);
  return 0;
}
