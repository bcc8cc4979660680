// Container methods 1 (bytes) and 31 (16-bit values below 4096) over the
// adaptive arithmetic coder: method byte, checksum, the largest value M, bits.
#include <algorithm>
#include <string>

#include "ModuleLib1.h"
#include "cFile.h"
#include "container.h"
#include "platform/msg_box.h"

using platform::msg;
using namespace container;

namespace {

// Header plus payload, checksum filled in.
BB make_Container(cFile& f, const BB& header, const BB& payload) {
  BB out;
  out.reserve(header.size() + payload.size());
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), payload.begin(), payload.end());
  out[1] = static_cast<uint8_t>(f.make_ks(out, 2));
  return out;
}

}  // namespace

BB cFile::zip_Ari(const BB& bb) {
  // Larger input would decode past the decoder's output limit.
  if (bb.size() > static_cast<size_t>(kMaxInput)) {
    msg("макс 16мб-ограничение этого кодера");
    return {};
  }
  const int32_t M = m.max_BB(bb);
  int32_t nBits = 0;
  BB bits = ModuleLib1::encode_Ari(bb, M, nBits);
  if (bits.empty() && !bb.empty()) return {};  // the coder failed (out of memory)
  return make_Container(*this, {kMetodAri, 0, static_cast<uint8_t>(M)}, bits);
}

BB cFile::unzip_Ari(const BB& bb_in, int32_t& vErr) {
  if (empty_Container(bb_in, vErr)) return {};
  if (metod_Of(bb_in[0]) != kMetodAri) {
    msg("метод не 1");
    vErr = kErrMetod;
    return {};
  }
  test_Sum(bb_in, vErr);
  if (bb_in.size() < 3) {  // no room for M: cut off
    vErr = kErrNoEnd;
    return {};
  }
  int32_t kol = 0;
  BB out = ModuleLib1::decode_Ari_BB(bb_in, 3, bb_in[2], kol);
  if (kol < 0) {
    vErr = kErrNoEnd;
    return {};
  }
  return out;
}

BB cFile::zip_Ari16_4k(const TT& tt) {
  if (tt.size() > static_cast<size_t>(kMaxInput)) {
    msg("макс 16мб-ограничение этого кодера");
    return {};
  }
  const int32_t M = m.max_TT(tt);
  // A negative value has already been reported by max_TT; it has no symbol.
  if (std::any_of(tt.begin(), tt.end(), [](int32_t v) { return v < 0; })) return {};
  if (M > ModuleLib1::kAriMaxM) {
    msg("слишком большой максимум=" + std::to_string(M));
    return {};
  }
  int32_t nBits = 0;
  BB bits = ModuleLib1::encode_Ari(tt, M, nBits);
  if (bits.empty() && !tt.empty()) return {};
  return make_Container(*this, {kMetodAri16, 0, static_cast<uint8_t>(M & 255), static_cast<uint8_t>(M >> 8)}, bits);
}

TT cFile::unzip_Ari16_4k(const BB& bb_in, int32_t& vErr) {
  if (empty_Container(bb_in, vErr)) return {};
  if (metod_Of(bb_in[0]) != kMetodAri16) {
    msg("метод не 31");
    vErr = kErrMetod;
    return {};
  }
  test_Sum(bb_in, vErr);
  if (bb_in.size() < 4) {  // no room for M: cut off
    vErr = kErrNoEnd;
    return {};
  }
  const int32_t M = bb_in[2] + 256 * bb_in[3];
  // An M above 4095 (never written) is refused by the decoder with a message.
  int32_t kol = 0;
  TT out = ModuleLib1::decode_Ari_TT(bb_in, 4, M, kol);
  if (kol < 0) {
    vErr = kErrNoEnd;
    return {};
  }
  return out;
}
