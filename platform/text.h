// Small string helpers shared by the core and the programs.
#pragma once
#include <algorithm>
#include <string>

namespace platform {

// Without leading and trailing blanks (only ' ', as the command line and file
// names are trimmed).
inline std::string trim(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// ASCII letters lower-cased; other bytes (UTF-8, Windows-1251) unchanged.
inline std::string lower_Ascii(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}

}  // namespace platform
