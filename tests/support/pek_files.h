// A .pek file on disk decoded to its colours, as the tests of pek's windows
// and of its desktop runs check them; empty when it does not unpack.
#pragma once
#include <string>

#include "core/cFile.h"
#include "pek/cImage.h"
#include "support/test_support.h"

namespace testsup {

inline TT decode_Pek_File(const std::string& path) {
  cFile f;
  int32_t e = 0;
  const BB un = f.unzip_Auto(read_File(path), e);
  if (e != 0) return {};
  cImage im;
  return im.pek_to_bmp(un);
}

}  // namespace testsup
