#include <gtest/gtest.h>

#include "massiv/cMassiv.h"

TEST(cMassivState, PowerTableHoldsPowersOfTwoAndTheSignBit) {
  cMassiv m;
  EXPECT_EQ(m.pow2[0], 1);
  EXPECT_EQ(m.pow2[30], 1 << 30);
  EXPECT_EQ(m.pow2[31], INT32_MIN);
}
