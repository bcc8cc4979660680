// Container methods 2-16: the data length as a p7778 code, then the PPMd stream.
#include <algorithm>

#include "cFile.h"
#include "container.h"
#include "platform/msg_box.h"
#include "pmd/pmd.h"

using platform::msg;
using namespace container;

static_assert(kPmdMaxLength == kMaxInput, "the coder takes exactly what a container holds");

BB cFile::zip_Pmd(const BB& bb, int32_t numMetod, bool flagSaveSize) {
  ini_pmd();
  if (!is_Pmd(numMetod)) {
    msg("метод 2..16");
    return {};
  }
  if (bb.empty()) {
    msg("пустой массив");
    return {};
  }
  if (bb.size() > static_cast<size_t>(kMaxInput)) {
    msg("ограничение этого кодера=16mb\r\nРазбивайте на части");
    return {};
  }
  const int32_t n = static_cast<int32_t>(bb.size());
  BB out(static_cast<size_t>(n) + 16, 0);
  out[0] = static_cast<uint8_t>(numMetod);
  size_t p = 2;
  if (flagSaveSize) {
    BB code = m.X_to_p7778(static_cast<double>(n));
    std::copy(code.begin(), code.end(), out.begin() + 2);
    p += code.size();
  }
  const int32_t g = EncodeMas(bb.data(), out.data() + p, n, numMetod);
  // A stream that does not beat the stored form is not worth keeping.
  if (g <= 0 || static_cast<int64_t>(p) + g >= static_cast<int64_t>(n) + 2) return {};
  out.resize(p + static_cast<size_t>(g));
  out[1] = static_cast<uint8_t>(make_ks(out, 2));
  return out;
}

BB cFile::unzip_Pmd(const BB& bb_in, int32_t& vErr) {
  ini_pmd();
  if (empty_Container(bb_in, vErr)) return {};
  const int32_t order = metod_Of(bb_in[0]);
  if (!is_Pmd(order)) {
    msg("метод не 2..16/это не архив PPMd");
    vErr = kErrMetod;
    return {};
  }
  test_Sum(bb_in, vErr);
  int32_t q = 2;
  const double stored = bb_in.size() > 2 ? m.p7778_to_X(bb_in, q) : -1;
  // A damaged length field must not make us allocate or expect more than any
  // container can hold.
  if (q < 0 || stored < 1 || stored > kMaxInput || static_cast<size_t>(q) > bb_in.size()) {
    vErr = kErrLength;
    return {};
  }
  const int32_t L = static_cast<int32_t>(stored);
  // The length field is only a claim: the buffer starts at what the stream can
  // plausibly deliver and doubles while the decoder fills it, so a damaged
  // field costs no more than the data that really comes out of the stream.
  const int32_t full = L + 8;
  const int32_t n = static_cast<int32_t>(bb_in.size()) - q;
  int32_t cap = static_cast<int32_t>(std::min<int64_t>(full, 65536 + 16 * int64_t{n}));
  BB out;
  int32_t r = 0;
  for (;;) {
    out.assign(static_cast<size_t>(cap), 0);
    r = DecodeMas_Upto(bb_in.data() + q, out.data(), n, cap, order, full);
    if (r < cap || cap == full) break;
    cap = static_cast<int32_t>(std::min<int64_t>(full, 2 * int64_t{cap}));
  }
  out.resize(static_cast<size_t>(r < 0 ? 0 : r));
  if (r != L) vErr = kErrLength;
  return out;
}
