// The one-byte checksum of every container and the front checks that all the
// container decoders share.
#include <algorithm>

#include "cFile.h"
#include "container.h"
#include "platform/msg_box.h"

int32_t cFile::make_ks(const BB& bb, int32_t vStart) {
  int32_t s = 0;
  for (size_t i = static_cast<size_t>(std::max(vStart, 0)); i < bb.size(); ++i) s = (s + bb[i]) % 30001;
  return s & 255;
}

bool cFile::empty_Container(const BB& bb_in, int32_t& vErr) {
  vErr = container::kOk;
  if (!bb_in.empty()) return false;
  platform::msg("пустой массив");
  vErr = container::kErrEmpty;
  return true;
}

void cFile::test_Sum(const BB& bb_in, int32_t& vErr) {
  if (bb_in.size() < 2 || bb_in[1] != make_ks(bb_in, 2)) vErr = container::kErrSum;
}
