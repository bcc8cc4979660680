// Counting characters of UTF-8 text (file names and log lines are UTF-8).
#pragma once
#include <cstddef>
#include <string>

namespace platform {

inline size_t utf8_Chars(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace platform
