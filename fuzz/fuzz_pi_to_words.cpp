// Any bytes as coded text: decoding against a small dictionary pair must end
// without a crash, and coding then decoding any text must leave no code
// unknown but the tokens the coder itself counted as looking like codes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/cFile.h"
#include "nox/ModuleTextPre_pi.h"
#include "fuzz_util.h"

namespace {

// A pair built once: 300 words, so every kind of code occurs.
std::string make_Pair() {
  const std::string dir = "/tmp/fuzz_pi_to_words." + std::to_string(getpid()) + "/";
  std::filesystem::create_directories(dir);
  cFile f;
  std::string alphabet;
  for (int c = 1; c < 256; ++c)
    if (c != ' ' && c != '~') alphabet += static_cast<char>(c);
  f.writeS(dir + "ffChars1", alphabet);
  cDictDB counts;
  for (int i = 0; i < 300; ++i) {
    std::string w(1, static_cast<char>(i % 3 ? 224 + i % 32 : '<'));
    for (int k = i; k > 0; k /= 7) w += static_cast<char>(224 + k % 7);
    w += i % 2 ? "\xE0" : "p>";
    counts.addKeyS(w, -1, -1, 1000 - i, true);
  }
  counts.save_to_File(dir + "rus.dic0");
  cPiStats st;
  make_Pi(dir + "rus.dic", dir + "ffChars1", nullptr, st);
  return dir + "rus.dic";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static const std::string dict = make_Pair();
  static cDictDB sk, ob;
  static const bool loaded = sk.load_from_File(dict + ".sk0") && ob.load_from_File(dict + ".ob0");
  fuzz::check(loaded);
  std::string text(reinterpret_cast<const char*>(data), size);
  cNoxState state;
  state.nameFile = "/tmp/none/page.htm";
  cPiStats st;
  std::string decoded = text;
  pi_to_Words(decoded, sk, ob, state, st);
  std::string coded = text;
  cPiStats cs;
  words_to_Pi(coded, sk, ob, cs);
  pi_to_Words(coded, sk, ob, state, st);
  fuzz::check(st.unknown <= cs.ambiguous);
  return 0;
}
