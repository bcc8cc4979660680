// Runs a fuzz target over files instead of under libFuzzer: every argument is
// a file or a folder of files, each passed once to LLVMFuzzerTestOneInput.
// A target's checks trap on a broken promise, so a crash ends this program
// abnormally and the CTest case fails. Built with the ordinary compiler, so
// the committed seeds and the inputs that once crashed run on every test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  LLVMFuzzerTestOneInput(data.data(), data.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0, bad = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path p(argv[i]);
    if (std::filesystem::is_directory(p)) {
      std::vector<std::filesystem::path> list;
      for (const auto& e : std::filesystem::directory_iterator(p))
        if (e.is_regular_file()) list.push_back(e.path());
      std::sort(list.begin(), list.end());
      for (const auto& f : list) bad += replay(f), ++files;
    } else if (std::filesystem::exists(p)) {
      bad += replay(p), ++files;
    }
  }
  std::printf("%d inputs replayed\n", files);
  return bad == 0 ? 0 : 1;
}
