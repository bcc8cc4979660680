// The model's unit allocator under a random mix of requests: live blocks never
// overlap (each keeps its own fill), blocks freed and merged come back, and
// units never reach into the text.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "pmd/sub_alloc.h"

namespace {

struct cBlock {
  uint32_t off;
  uint32_t nu;
  uint8_t fill;  // never 0xFF: a live block must not look like a free one
};

bool intact(const pmd::cSubAlloc& a, const cBlock& b) {
  const uint8_t* p = a.base() + b.off;
  for (uint32_t i = 0; i < b.nu * pmd::kUnitSize; ++i)
    if (p[i] != b.fill) return false;
  return true;
}

}  // namespace

TEST(PmdAlloc, RandomRequestsKeepBlocksApartAndReuseFreedMemory) {
  pmd::cSubAlloc a;
  ASSERT_TRUE(a.create(1u << 20));
  std::mt19937 rng(12345);
  for (int round = 0; round < 3; ++round) {
    a.reset();
    std::vector<cBlock> live;
    std::vector<uint8_t> text;
    int failures = 0;
    for (int step = 0; step < 40000; ++step) {
      const uint32_t r = rng() % 100;
      const uint8_t fill = static_cast<uint8_t>(1 + step % 250);
      if (r < 45) {
        uint32_t nu = (rng() % 4 == 0) ? 1 + rng() % 128 : 1 + rng() % 6;
        uint32_t off = a.alloc_Units(nu);
        if (!off) {
          ++failures;
          continue;
        }
        live.push_back({off, nu, fill});
      } else if (r < 60) {
        uint32_t off = a.alloc_Context();
        if (!off) {
          ++failures;
          continue;
        }
        live.push_back({off, 1, fill});
      } else if (r < 85 && !live.empty()) {
        size_t k = rng() % live.size();
        a.free_Units(live[k].off, live[k].nu);
        live[k] = live.back();
        live.pop_back();
        continue;
      } else if (r < 95 && !live.empty()) {
        cBlock& b = live[rng() % live.size()];
        ASSERT_TRUE(intact(a, b));
        const uint32_t keep = b.nu < 128 ? b.nu : b.nu / 2;
        if (b.nu < 128) {
          uint32_t off = a.expand_Units(b.off, b.nu);
          if (!off) continue;
          b.off = off;
          ++b.nu;
        } else {
          b.off = a.shrink_Units(b.off, b.nu, b.nu / 2);
          b.nu /= 2;
        }
        ASSERT_TRUE(intact(a, {b.off, keep, b.fill})) << "contents not carried over";
        std::memset(a.base() + b.off, b.fill, b.nu * pmd::kUnitSize);
        continue;
      } else {
        if (!a.put_Text(fill)) break;  // text area full
        text.push_back(fill);
        continue;
      }
      cBlock& b = live.back();
      std::memset(a.base() + b.off, b.fill, b.nu * pmd::kUnitSize);
      if (step % 500 == 0) {
        for (const cBlock& x : live) {
          ASSERT_TRUE(intact(a, x)) << "block overwritten at step " << step;
        }
      }
    }
    for (const cBlock& x : live) {
      ASSERT_TRUE(intact(a, x));
      ASSERT_GE(x.off, a.unitsStart());
      ASSERT_GE(x.off, a.text());
    }
    ASSERT_LE(a.text(), a.unitsStart());
    for (size_t i = 0; i < text.size(); ++i) ASSERT_EQ(a.base()[pmd::kUnitSize + i], text[i]);
    EXPECT_GT(failures, 0) << "the arena should have filled up";
    // After freeing everything, merged blocks satisfy the largest requests
    // again (merging runs after a series of refused requests).
    for (const cBlock& x : live) a.free_Units(x.off, x.nu);
    int big = 0;
    for (int k = 0; k < 3000; ++k) big += a.alloc_Units(128) != 0;
    EXPECT_GT(big * 128 * pmd::kUnitSize, (1u << 20) / 2);
  }
}

// Growing a block by one unit: within its size class it stays where it is;
// past the class's size its units move whole into a block of the next class,
// and the old block is the next one handed out of its class. The classes are
// 1-4 units in steps of 1, then steps of 2, 3 and 4 up to 128.
TEST(PmdAlloc, GrowingMovesWholeUnitsOnlyPastTheClassSize) {
  std::vector<bool> classSize(129, false);
  for (uint32_t n = 1, i = 0; n <= 128; ++i) {
    classSize[n] = true;
    n += i < 3 ? 1 : i < 7 ? 2 : i < 11 ? 3 : 4;
  }
  pmd::cSubAlloc a;
  ASSERT_TRUE(a.create(1u << 20));
  a.reset();
  for (uint32_t nu = 1; nu < 128; ++nu) {
    const uint32_t p = a.alloc_Units(nu);
    ASSERT_NE(p, 0u);
    uint8_t* b = a.base() + p;
    for (uint32_t i = 0; i < nu * pmd::kUnitSize; ++i) b[i] = static_cast<uint8_t>((i * 7 + nu) & 0x7F);
    const uint32_t q = a.expand_Units(p, nu);
    ASSERT_NE(q, 0u) << nu;
    EXPECT_EQ(q != p, classSize[nu]) << nu << " units";
    const uint8_t* c = a.base() + q;
    for (uint32_t i = 0; i < nu * pmd::kUnitSize; ++i)
      ASSERT_EQ(c[i], static_cast<uint8_t>((i * 7 + nu) & 0x7F)) << nu << " units, byte " << i;
    if (q != p) {
      EXPECT_EQ(a.alloc_Units(nu), p) << "the old block of " << nu << " units was not reused";
    }
  }
}
