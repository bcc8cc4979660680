// The PPM coder's conversions on their own. Packed UTF-8 letters: any bytes
// unpack within the capacity (bytes 0-1 pick the window, byte 2 the escape
// byte, byte 3 the capacity) and always to a prefix of the full unpacking;
// any bytes pack and unpack back to themselves. x86 call targets: any bytes
// convert back to themselves.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_util.h"
#include "pmd/utf8_window.h"
#include "pmd/x86_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  pmd::cWindow w;
  w.base = pmd::kWindowBaseMin + (data[0] | data[1] << 8) % (pmd::kWindowBaseMax - pmd::kWindowBaseMin + 1);
  w.esc = data[2] & 0x7F;
  const int32_t n = static_cast<int32_t>(size - 4);
  std::vector<uint8_t> src(data + 4, data + size);

  // Exact-size buffers, so that ASan sees a write past the capacity.
  const int32_t full = 2 * n;
  std::vector<uint8_t> all(static_cast<size_t>(full) + 1);
  const int32_t r = pmd::unpack_Window(w, src.data(), n, all.data(), full);
  fuzz::check(r >= 0 && r <= full);
  const int32_t cap = data[3] % (n + 1);
  std::vector<uint8_t> part(static_cast<size_t>(cap));
  const int32_t p = pmd::unpack_Window(w, src.data(), n, part.data(), cap);
  fuzz::check(p == std::min(cap, r) && std::equal(part.begin(), part.begin() + p, all.begin()));

  std::vector<uint8_t> packed(2 * static_cast<size_t>(n) + 1);
  int32_t broken = 0;
  const int32_t m = pmd::pack_Window(w, src.data(), n, packed.data(), broken);
  fuzz::check(m >= 0 && m <= 2 * n && broken >= 0);
  std::vector<uint8_t> back(static_cast<size_t>(n) + 1);
  fuzz::check(pmd::unpack_Window(w, packed.data(), m, back.data(), n) == n &&
              std::equal(src.begin(), src.end(), back.begin()));
  pmd::cWindow planned;
  if (pmd::plan_Window(src.data(), n, planned))
    fuzz::check(planned.base >= pmd::kWindowBaseMin && planned.base <= pmd::kWindowBaseMax && planned.esc < 0x80);

  std::vector<uint8_t> code(src);
  pmd::calls_To_Targets(code.data(), n);
  pmd::targets_To_Calls(code.data(), n);
  fuzz::check(code == src);
  pmd::plan_Calls(src.data(), n);
  return 0;
}
