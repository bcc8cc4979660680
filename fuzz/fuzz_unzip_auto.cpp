// Any bytes as a container: the dispatch and every decoder must end without a
// crash, and a sound result must round-trip through the stored form.
#include <cstddef>
#include <cstdint>

#include "core/cFile.h"
#include "platform/msg_box.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  static cFile f;
  BB in(data, data + size);
  int32_t vErr = 0;
  BB out = f.unzip_Auto(in, vErr);
  if (vErr < -5 || vErr > 0) __builtin_trap();
  if (!out.empty() && out.size() <= 4096) {
    int32_t e2 = 0;
    if (f.unzip_Auto(f.zip_No(out), e2) != out || e2 != 0) __builtin_trap();
  }
  return 0;
}
