// Any bytes as a dictionary: as a plain or PPMd-packed file, and as the store
// of a block whose chain heads point into it. Loading must refuse or install
// a sound dictionary, and every operation on an installed one must stay
// inside its arrays.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cFile.h"
#include "nox/cDictDB.h"
#include "fuzz_util.h"

namespace {

void exercise(cDictDB& d) {
  SS ss;
  TT ff;
  d.getAll(ss, ff);
  for (size_t i = 0; i < ss.size() && i < 64; ++i) {
    if (ss[i].empty()) continue;
    const BB key(ss[i].begin(), ss[i].end());
    const int32_t r = d.findKeyB(key);
    fuzz::check(r > 0);  // every listed key is found
    d.getWord(key[0], key.size() > 1 ? key[1] : 0, r);
  }
  d.addKeyS("ab", -1, -1, 3, true);
  d.addKeyS("abc", 1, 2, 5, true);
  d.delKeyS("abc");
  d.getKeysV1(1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  if (size < 1) return 0;
  const BB rest(data + 1, data + size);
  if (data[0] & 1) {
    static const std::string name = "/tmp/fuzz_dict_db." + std::to_string(getpid());
    static cFile f;
    f.write_M8(name, rest);
    cDictDB a, b;
    if (a.load_from_File(name)) exercise(a);
    if (b.load_from_Pmd(name)) exercise(b);
    f.del_File(name);
    f.del_File(name + ".old");
    return 0;
  }
  // The input as the store; the chain heads of "ab" and "a" point into it.
  TT block(cDictDB::kHeads, 0);
  for (size_t i = 0; i + 4 <= rest.size(); i += 4)
    block.push_back(static_cast<int32_t>(uint32_t(rest[i]) | uint32_t(rest[i + 1]) << 8 | uint32_t(rest[i + 2]) << 16 |
                                         uint32_t(rest[i + 3]) << 24));
  if (block.size() == cDictDB::kHeads) block.push_back(0);
  block['a' + 'b' * 256] = 1;
  block['a'] = data[0] >> 1;
  cDictDB d;
  if (d.from_Block(block)) exercise(d);
  return 0;
}
