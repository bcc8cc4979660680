// The compressed container: method 0 (stored) and the dispatch of every
// method number (the layout and the method-byte rule are in container.h).
#include <string>

#include "cFile.h"
#include "container.h"
#include "platform/msg_box.h"

using platform::msg;
using namespace container;

// ---------------------------------------------------------------- method 0

BB cFile::zip_No(const BB& bb) {
  BB out;
  out.reserve(bb.size() + 2);
  out.push_back(kMetodNo);
  out.push_back(0);
  out.insert(out.end(), bb.begin(), bb.end());
  out[1] = static_cast<uint8_t>(make_ks(out, 2));
  return out;
}

BB cFile::unzip_No(const BB& bb_in, int32_t& vErr) {
  if (empty_Container(bb_in, vErr)) return {};
  if (metod_Of(bb_in[0]) != kMetodNo) {
    msg("метод не 0");
    vErr = kErrMetod;
    return {};
  }
  test_Sum(bb_in, vErr);
  int32_t p = 2;
  return m.blok_BB(bb_in, p, m.len_BB(bb_in) - 2);
}

// ---------------------------------------------------------------- dispatch

namespace {

// Drops the padding zeros and the end marker 1 that zip_Auto appended before
// pairing the bytes. A missing marker means the tail is damaged.
BB strip_End_Marker(BB data, int32_t& vErr) {
  size_t end = data.size();
  while (end > 0 && data[end - 1] == 0) --end;
  if (end == 0 || data[end - 1] != 1) {
    msg("поврежден конец архива");
    vErr = kErrNoEnd;
  }
  data.resize(end == 0 ? 0 : end - 1);
  return data;
}

}  // namespace

BB cFile::unzip_Auto(const BB& bb_in, int32_t& vErr) {
  vErr = kOk;
  if (bb_in.empty()) return unzip_No(bb_in, vErr);
  const int32_t metod = metod_Of(bb_in[0]);
  BB out;
  if (metod == kMetodNo) {
    out = unzip_No(bb_in, vErr);
  } else if (metod == kMetodAri) {
    out = unzip_Ari(bb_in, vErr);
  } else if (is_Pmd(metod)) {
    out = unzip_Pmd(bb_in, vErr);
  } else if (metod == kMetodAri16) {
    TT values = unzip_Ari16_4k(bb_in, vErr);
    if (values.empty()) return {};
    BB bytes = m.M16_to_M8(values);
    if (bytes.empty()) return {};
    out = strip_End_Marker(std::move(bytes), vErr);
  } else {
    msg("неизвестный метод 17-30");
    vErr = kErrMetod;
    return {};
  }
  // No mode has a transform yet: the data comes back as decoded.
  if (mode_Of(bb_in[0]) != 0) msg("пока отключено");
  return out;
}
