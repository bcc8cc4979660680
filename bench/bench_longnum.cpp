// Timing of the long-number inner loop: a number built digit by digit with
// mulSL and taken apart again with divSL, as the table coders do, plus the
// p7778 array code. Usage: bench_longnum [digits]  (default 100000).
// Times are processor seconds.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

#include "massiv/cMassiv.h"

namespace {

// Processor time of this process, so that a busy machine does not count.
double cpu_Seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Builds the number from `digits` random digits of base `osn` (osn 0: a
// random base from 2 to 65536 per digit), then decodes it and checks it.
void run(cMassiv& m, int32_t digits, int32_t osn) {
  std::mt19937 rng(42);
  TT bases(static_cast<size_t>(digits)), vals(static_cast<size_t>(digits));
  for (int32_t i = 0; i < digits; ++i) {
    bases[i] = osn > 0 ? osn : 2 + static_cast<int32_t>(rng() % 65535);
    vals[i] = static_cast<int32_t>(rng() % static_cast<uint32_t>(bases[i]));
  }
  SL s;
  double t0 = cpu_Seconds();
  for (int32_t i = 0; i < digits; ++i) m.mulSL(s, bases[i], vals[i]);
  const double tMul = cpu_Seconds() - t0;
  const size_t bytes = s.size();
  t0 = cpu_Seconds();
  bool ok = true;
  for (int32_t i = digits; i-- > 0;) ok &= m.divSL(s, bases[i]) == vals[i];
  const double tDiv = cpu_Seconds() - t0;
  ok &= s.empty();
  std::printf("osn %-7s %7d digits -> %7zu bytes: mulSL %7.3f s, divSL %7.3f s %s\n",
              osn > 0 ? std::to_string(osn).c_str() : "random", digits, bytes, tMul, tDiv, ok ? "" : "MISMATCH");
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t digits = argc > 1 ? std::atoi(argv[1]) : 100000;
  cMassiv m;
  for (int32_t osn : {10, 256, 0}) run(m, digits, osn);

  std::mt19937 rng(1);
  TT tt(1000000);
  for (auto& v : tt) v = static_cast<int32_t>(rng() >> (1 + rng() % 31));
  double t0 = cpu_Seconds();
  BB z = m.zip_7778(tt);
  const double tZip = cpu_Seconds() - t0;
  t0 = cpu_Seconds();
  TT back = m.unzip_7778(z);
  const double tUnzip = cpu_Seconds() - t0;
  std::printf("p7778 %zu values -> %zu bytes: zip %.3f s, unzip %.3f s %s\n", tt.size(), z.size(), tZip, tUnzip,
              back == tt ? "" : "MISMATCH");
  return 0;
}
