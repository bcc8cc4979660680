// Runs the PPM coder over the training files at the orders the suite uses
// most, encoding and decoding each, so that the instrumented build records
// where the coder spends its time. A generated block of table-like records
// and noise stands in for binary files. Every round trip is checked: a
// training run that decodes wrongly fails the build.
// Usage: train_pmd file...
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "pmd/pmd.h"

namespace {

// Enough of each file for the model to reach its steady state; keeps the
// training run to a few seconds.
constexpr size_t kMaxTrainBytes = 384 * 1024;

std::vector<uint8_t> read_Head(const char* path) {
  std::ifstream f(path, std::ios::binary);
  std::vector<uint8_t> v((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (v.size() > kMaxTrainBytes) v.resize(kMaxTrainBytes);
  return v;
}

// Fixed-size records (counter, small codes, a drifting value, names from a
// short list, padding) followed by skewed noise: the shape of spreadsheets,
// object files and pictures.
std::vector<uint8_t> make_Binary() {
  static const char* const kNames[] = {"alpha", "beta", "gamma", "delta", "sigma", "omega"};
  std::vector<uint8_t> v;
  uint32_t seed = 12345, value = 1000;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  for (uint32_t i = 0; i < 8192; ++i) {
    for (int b = 0; b < 4; ++b) v.push_back(uint8_t(i >> (8 * b)));
    v.push_back(uint8_t(i % 7 * 3));
    v.push_back(uint8_t(next() % 4));
    value += next() % 17 - 8;
    for (int b = 0; b < 4; ++b) v.push_back(uint8_t(value >> (8 * b)));
    const char* name = kNames[next() % 6];
    for (size_t c = 0; c < 8; ++c) v.push_back(c < std::strlen(name) ? uint8_t(name[c]) : 0);
    v.insert(v.end(), 6, 0);
  }
  for (uint32_t i = 0; i < 65536; ++i) {
    uint32_t r = next();
    v.push_back(uint8_t(r & 0x100 ? r & 0x0f : r));
  }
  return v;
}

bool train(const std::vector<uint8_t>& in, int order) {
  const int32_t n = static_cast<int32_t>(in.size());
  std::vector<uint8_t> enc(in.size() + 8), dec(in.size() + 8);
  const int32_t g = EncodeMas(in.data(), enc.data(), n, order);
  if (g == 0) return true;  // refused as incompressible: stored by the container
  if (DecodeMas(enc.data(), dec.data(), g, n + 8, order) != n || std::memcmp(dec.data(), in.data(), in.size()) != 0)
    return false;
  // The container decodes into a growing buffer: a first part with the full model.
  const int32_t part = n / 3 + 1;
  return DecodeMas_Upto(enc.data(), dec.data(), g, part, order, n + 8) == part &&
         std::memcmp(dec.data(), in.data(), size_t(part)) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back(make_Binary());
  for (int a = 1; a < argc; ++a) {
    inputs.push_back(read_Head(argv[a]));
    if (inputs.back().empty()) {
      std::fprintf(stderr, "train_pmd: cannot read %s\n", argv[a]);
      return 1;
    }
  }
  for (int order : {2, 4, 8, 16})
    for (const auto& in : inputs)
      if (!train(in, order)) {
        std::fprintf(stderr, "train_pmd: round trip failed at order %d\n", order);
        return 1;
      }
  return 0;
}
