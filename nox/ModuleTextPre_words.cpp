// Word classes, the mixed-script fix, the code alphabet and the code of a word.
#include <unordered_set>

#include "ModuleStroki.h"
#include "ModuleTextPre_pi.h"
#include "core/cFile.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {
bool is_Cyr(unsigned char c) { return c == 168 || c == 184 || c >= 192; }
bool is_Latin(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_Digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool no_Double(const std::string& s) {
  return s.find("--") == std::string::npos && s.find("__") == std::string::npos;
}

// Every character passes `ok`, or is "-" / "_" after the first place.
template <class F>
bool word_Of(const std::string& s, F ok) {
  if (s.empty() || !no_Double(s)) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (ok(c)) continue;
    if ((c == '-' || c == '_') && i > 0) continue;
    return false;
  }
  return true;
}

bool only_Of(const std::string& s, const std::string& allowed) {
  return !s.empty() && s.find_first_not_of(allowed) == std::string::npos;
}

// One side of the first "-" Russian, the other Latin.
bool mixed_Dash(const std::string& s) {
  const size_t p = s.find('-');
  if (p == std::string::npos) return false;
  const std::string a = s.substr(0, p), b = s.substr(p + 1);
  return (is_Rus(a) && is_Lat(b)) || (is_Lat(a) && is_Rus(b));
}
}  // namespace

bool has_Cyr(const std::string& s) {
  for (unsigned char c : s)
    if (is_Cyr(c)) return true;
  return false;
}

bool has_Lat(const std::string& s) {
  for (unsigned char c : s)
    if (is_Latin(c)) return true;
  return false;
}

bool is_Lat(const std::string& s) {
  return word_Of(s, [](unsigned char c) { return is_Latin(c) || is_Digit(c); });
}

bool is_Rus(const std::string& s) { return word_Of(s, is_Cyr); }

bool is_DashCompound(const std::string& s) { return no_Double(s) && mixed_Dash(s); }

bool is_TagWord(const std::string& token, const tLogFn& log) {
  std::string t = token;
  trim_Spaces(t);
  if (t.find_first_of("<>") == std::string::npos) return false;
  if (!t.empty() && t.front() == '<') t.erase(0, 1);
  if (!t.empty() && t.back() == '>') t.pop_back();
  if (t.size() == 7 && t.front() == '#') t.erase(0, 1);
  if (only_Of(t, "-_") || is_Lat(t) || is_Rus(t) || only_Of(t, "-_0123456789#")) return true;
  if (log) log(utf8_of_1251(token) + "позрительный тег или на рус=");
  return false;
}

std::string fix_Layout(const std::string& word) {
  static const std::string kFrom = "QWERTYUIOP-ASDFGHJKL-ZXCVBNM-qwertyuiop-asdfghjkl-zxcvbnm";
  static const std::string kTo = win1251("ОШЕЯТУЦИОР-АСДФСНЙКГ-ЗХСУВНМ-ошертууиор-асдфгнйк1-зхсввнм");
  if (mixed_Dash(word)) return word;
  std::string letters;
  for (char c : word)
    if (!is_Digit(static_cast<unsigned char>(c))) letters += c;
  if (is_Rus(letters)) return word;
  std::string out = word;
  for (char& c : out) {
    const size_t k = kFrom.find(c);
    if (k != std::string::npos && c != '-') c = kTo[k];
  }
  return out;
}

BB read_Alphabet(cFile& file, const std::string& nameFile) {
  std::string s = file.ReadS(nameFile);
  std::string kept;
  for (char c : s)
    if (c != '~' && c != ' ') kept += c;
  if (kept.size() < 253) {
    msg("мало символов в алфавите=" + nameFile);
    return {};
  }
  BB A{0, '~'};
  A.insert(A.end(), kept.begin(), kept.begin() + 253);
  return A;
}

SS make_Suffixes(const BB& A) {
  SS T{""};
  std::unordered_set<std::string> seen{""};
  const size_t n = A.size() < 255 ? A.size() : 255;
  for (size_t p = 0; p < n; ++p)
    for (size_t q = 0; q < n; ++q) {
      std::string s;
      if (A[p]) s += static_cast<char>(A[p]);
      if (A[q]) s += static_cast<char>(A[q]);
      if (seen.insert(s).second) T.push_back(s);
    }
  return T;
}

std::string code_For(int32_t index, const std::string& word, const SS& T, TT& perFirst, bool& vPastTable) {
  vPastTable = false;
  if (index < 0 || word.empty()) return "";
  if (index < 15) return std::string(1, static_cast<char>(17 + index));
  if (index < 41) return std::string(1, static_cast<char>(65 + index - 15));
  if (index < 105) return std::string(1, static_cast<char>(128 + index - 41));
  if (word.size() <= 2 || !no_Double(word)) return "";
  if (perFirst.size() < 256) perFirst.assign(256, 0);
  const unsigned char b = static_cast<unsigned char>(word[0]);
  const int32_t n = perFirst[b];
  if (n >= static_cast<int32_t>(T.size())) {
    vPastTable = true;
    return "";
  }
  ++perFirst[b];
  if (b >= 224) return static_cast<char>(b - 32) + T[static_cast<size_t>(n)];
  return std::string("~") + static_cast<char>(b) + T[static_cast<size_t>(n)];
}

int32_t link_Key(cDictDB& db, const std::string& key, int32_t vPoz) {
  const int32_t r = db.findKeyS(key);
  if (r <= 0) {
    msg("err");
    return 0;
  }
  const int32_t b0 = static_cast<unsigned char>(key[0]);
  const int32_t b1 = key.size() > 1 ? static_cast<unsigned char>(key[1]) : 0;
  db.setV1(r, vPoz);
  db.setV2(r, b0 + 256 * b1);
  return r;
}
