// Timing of cMassiv::qSort and qSort_poz on 10^6 values of several shapes
// (median of 5 runs each).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "massiv/cMassiv.h"

namespace {

TT make_Shape(const char* shape, int32_t n) {
  TT t(static_cast<size_t>(n));
  std::mt19937 rng(12345);
  const std::string s = shape;
  for (int32_t i = 0; i < n; ++i) {
    if (s == "sorted") t[i] = i;
    else if (s == "reversed") t[i] = n - i;
    else if (s == "equal") t[i] = 7;
    else if (s == "random") t[i] = static_cast<int32_t>(rng() & 0x7FFFFFFF);
    else if (s == "few-unique") t[i] = static_cast<int32_t>(rng() % 4);
    else if (s == "organ-pipe") t[i] = i < n / 2 ? i : n - i;
    else if (s == "sawtooth") t[i] = i % 1000;
    else if (s == "sorted+1") t[i] = i == n - 1 ? 0 : i + 1;
  }
  return t;
}

template <class F>
double median_Ms(F f) {
  double ms[5];
  for (double& m : ms) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    m = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  std::sort(ms, ms + 5);
  return ms[2];
}

}  // namespace

int main() {
  const int32_t n = 1000000;
  cMassiv m;
  std::printf("%-12s %10s %12s\n", "shape", "qSort ms", "qSort_poz ms");
  for (const char* shape : {"sorted", "reversed", "equal", "random", "few-unique", "organ-pipe", "sawtooth", "sorted+1"}) {
    const TT src = make_Shape(shape, n);
    TT out;
    const double a = median_Ms([&] { m.qSort(src, out); });
    if (!std::is_sorted(out.begin(), out.end())) std::printf("NOT SORTED: %s\n", shape);
    const double b = median_Ms([&] {
      TT work = src, nn;
      m.qSort_poz(work, nn);
    });
    std::printf("%-12s %10.1f %12.1f\n", shape, a, b);
  }
  return 0;
}
