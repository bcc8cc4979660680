#include "cMassiv.h"

cMassiv::cMassiv() {
  for (int k = 0; k < 31; ++k) pow2[k] = int32_t{1} << k;
  pow2[31] = INT32_MIN;
}
