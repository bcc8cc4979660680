// Timing helpers shared by the benchmark programs.
#pragma once
#include <time.h>

#include <algorithm>
#include <vector>

namespace bench {

// Processor time of this process in seconds.
inline double cpu_Now() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench
