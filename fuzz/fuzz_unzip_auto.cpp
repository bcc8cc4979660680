// Any bytes as a container: the dispatch and every decoder must end without a
// crash, and a sound result must round-trip through the stored form.
//
// A PPM stream read past its end decodes zeros to garbage until the stored
// length is reached, so a damaged length costs decoding time in proportion to
// the claim (memory only in proportion to the output: the buffer grows with
// it). Claims above 8 KiB are left out here (as in fuzz_pmd_decode) to keep many runs a second;
// fuzz_pmd_decode covers the coder itself.
#include <cstddef>
#include <cstdint>

#include "core/cFile.h"
#include "core/container.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static cFile f;
  BB in(data, data + size);
  if (size > 2 && container::is_Pmd(container::metod_Of(in[0]))) {
    int32_t q = 2;
    if (f.massiv().p7778_to_X(in, q) > 8192) return 0;
  }
  int32_t vErr = 0;
  BB out = f.unzip_Auto(in, vErr);
  fuzz::check(vErr >= -5 && vErr <= 0);
  if (!out.empty() && out.size() <= 4096) {
    int32_t e2 = 0;
    fuzz::check(f.unzip_Auto(f.zip_No(out), e2) == out && e2 == 0);
  }
  return 0;
}
