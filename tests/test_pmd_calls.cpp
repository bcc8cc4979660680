#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "pmd/x86_calls.h"
#include "support/test_support.h"

namespace {

void put32(BB& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (8 * k));
}
uint32_t get32(const BB& b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = (v << 8) | b[at + static_cast<size_t>(k)];
  return v;
}

BB round_Trip(BB b) {
  pmd::calls_To_Targets(b.data(), static_cast<int32_t>(b.size()));
  pmd::targets_To_Calls(b.data(), static_cast<int32_t>(b.size()));
  return b;
}

}  // namespace

TEST(PmdCalls, AnyBytesConvertBack) {
  std::vector<BB> inputs;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    inputs.push_back(testsup::random_Bytes(seed * 131, seed));
    BB dense = testsup::random_Bytes(2000, seed + 50);  // every third byte a site
    for (size_t i = 0; i < dense.size(); i += 3) dense[i] = 0xE8 | (dense[i] & 1);
    inputs.push_back(dense);
  }
  // Displacements at both edges of the converted span, sites ending at the
  // input's end and one byte short of it, runs of opcodes.
  BB edges(64, 0x90);
  const uint32_t values[] = {0x00FFFFFFu, 0xFF000000u, 0x01000000u, 0xFEFFFFFFu, 0u, 0xFFFFFFFFu};
  for (size_t k = 0; k < 6; ++k) {
    edges[k * 5] = 0xE8;
    put32(edges, k * 5 + 1, values[k]);
  }
  for (size_t i = 40; i < 64; ++i) edges[i] = 0xE9;
  inputs.push_back(edges);
  for (size_t len = 0; len <= 10; ++len) inputs.push_back(BB(len, 0xE8));
  for (const BB& in : inputs) EXPECT_TRUE(round_Trip(in) == in) << in.size();
}

TEST(PmdCalls, CallsOfOneFunctionGetOneTarget) {
  BB code(4096, 0x90);
  const uint32_t target = 3000;
  for (uint32_t at : {16u, 700u, 2900u, 3500u}) {
    code[at] = 0xE8;
    put32(code, at + 1, target - (at + 5));
  }
  pmd::calls_To_Targets(code.data(), static_cast<int32_t>(code.size()));
  for (size_t at : {16u, 700u, 2900u, 3500u}) EXPECT_EQ(get32(code, at + 1), target) << at;
  // Far displacements stay as they are.
  BB far(16, 0);
  far[0] = 0xE9;
  put32(far, 1, 0x40000000u);
  pmd::calls_To_Targets(far.data(), 16);
  EXPECT_EQ(get32(far, 1), 0x40000000u);
}

TEST(PmdCalls, PlanTakesX86CodeOnly) {
  std::ifstream self("/proc/self/exe", std::ios::binary);
  const BB exe((std::istreambuf_iterator<char>(self)), std::istreambuf_iterator<char>());
  ASSERT_GT(exe.size(), 100000u);
  EXPECT_TRUE(pmd::plan_Calls(exe.data(), static_cast<int32_t>(exe.size())));
  const BB office = testsup::read_File(testsup::corpus("general/silesia/ooffice"));
  EXPECT_TRUE(pmd::plan_Calls(office.data(), static_cast<int32_t>(office.size())));
  // Windows-1251 text is full of E8 and E9 bytes (two common letters).
  for (const char* f : {"general/calgary/book1", "general/canterbury/kennedy.xls", "general/calgary/pic",
                        "russian/text/cp1251/kolibri_ha_readme.txt", "general/snappy/fireworks.jpeg",
                        "general/calgary/obj2"}) {
    const BB b = testsup::read_File(testsup::corpus(f));
    EXPECT_FALSE(pmd::plan_Calls(b.data(), static_cast<int32_t>(b.size()))) << f;
  }
  const BB noise = testsup::random_Bytes(300000, 9);
  EXPECT_FALSE(pmd::plan_Calls(noise.data(), static_cast<int32_t>(noise.size())));
}
