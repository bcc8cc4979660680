#include "ModuleStroki.h"

#include <algorithm>

#include "msg_box.h"

using platform::msg;

// ===================== Bytes and text =====================

int32_t find_Bytes(const BB& bb, const std::string& what, int32_t vStart, bool flagNoCase) {
  const size_t n = bb.size(), m = what.size();
  if (vStart < 0) vStart = 0;
  if (m == 0 || static_cast<size_t>(vStart) + m > n) return -1;
  std::string key = flagNoCase ? lower_Text(what) : what;
  const unsigned char first = static_cast<unsigned char>(key[0]);
  for (size_t i = static_cast<size_t>(vStart); i + m <= n; ++i) {
    unsigned char c = flagNoCase ? lower_Char(bb[i]) : bb[i];
    if (c != first) continue;
    size_t k = 1;
    while (k < m) {
      unsigned char d = flagNoCase ? lower_Char(bb[i + k]) : bb[i + k];
      if (d != static_cast<unsigned char>(key[k])) break;
      ++k;
    }
    if (k == m) return static_cast<int32_t>(i);
  }
  return -1;
}

std::string bytes_to_Text(const BB& bb, int32_t vFrom, int32_t vTo) {
  const int32_t n = static_cast<int32_t>(bb.size());
  vFrom = std::clamp(vFrom, 0, n);
  vTo = std::clamp(vTo, 0, n);
  if (vTo <= vFrom) return {};
  return std::string(bb.begin() + vFrom, bb.begin() + vTo);
}

// ===================== Character classes =====================

bool is_Letter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 192 || c == 168 || c == 184;
}

bool is_WordChar(unsigned char c) { return is_Letter(c) || c == '-' || c == '_'; }

bool is_WordCharDigit(unsigned char c) { return is_WordChar(c) || (c >= '0' && c <= '9'); }

bool is_WordChar(const std::string& ch) {
  if (ch.size() != 1) {
    msg("err len");
    return false;
  }
  return is_WordChar(static_cast<unsigned char>(ch[0]));
}

bool is_WordCharDigit(const std::string& ch) {
  if (ch.size() != 1) {
    msg("err len");
    return false;
  }
  return is_WordCharDigit(static_cast<unsigned char>(ch[0]));
}

bool is_Upper(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (!((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 223) || c == '-' || c == '_')) return false;
  return true;
}

// ===================== Case =====================

unsigned char lower_Char(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 223)) return static_cast<unsigned char>(c + 32);
  if (c == 168) return 184;
  return c;
}

unsigned char upper_Char(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || c >= 224) return static_cast<unsigned char>(c - 32);
  if (c == 184) return 168;
  return c;
}

std::string lower_Text(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(lower_Char(static_cast<unsigned char>(c)));
  return r;
}

std::string upper_Text(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(upper_Char(static_cast<unsigned char>(c)));
  return r;
}

// ===================== Replacing and squeezing =====================

void replace_All(std::string& text_izm, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  size_t p = text_izm.find(from);
  if (p == std::string::npos) return;
  std::string out;
  out.reserve(text_izm.size() + (to.size() > from.size() ? text_izm.size() / 8 : 0));
  size_t last = 0;
  while (p != std::string::npos) {
    out.append(text_izm, last, p - last);
    out += to;
    last = p + from.size();
    p = text_izm.find(from, last);
  }
  out.append(text_izm, last, std::string::npos);
  text_izm.swap(out);
}

size_t find_NoCase(const std::string& text, const std::string& what, size_t vStart) {
  const size_t n = text.size(), m = what.size();
  if (m == 0 || vStart > n || n - vStart < m) return std::string::npos;
  const std::string key = lower_Text(what);
  for (size_t i = vStart; i + m <= n; ++i) {
    size_t k = 0;
    while (k < m && lower_Char(static_cast<unsigned char>(text[i + k])) == static_cast<unsigned char>(key[k])) ++k;
    if (k == m) return i;
  }
  return std::string::npos;
}

void replace_All_NoCase(std::string& text_izm, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  size_t p = find_NoCase(text_izm, from, 0);
  if (p == std::string::npos) return;
  std::string out;
  out.reserve(text_izm.size());
  size_t last = 0;
  while (p != std::string::npos) {
    out.append(text_izm, last, p - last);
    out += to;
    last = p + from.size();
    p = find_NoCase(text_izm, from, last);
  }
  out.append(text_izm, last, std::string::npos);
  text_izm.swap(out);
}

void trim_Spaces(std::string& text_izm) {
  std::string out;
  out.reserve(text_izm.size());
  bool blank = false;
  for (char c : text_izm) {
    if (c == ' ') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  text_izm.swap(out);
}

// ===================== Tags =====================

std::string tag_At(const std::string& text, int32_t vPoz) {
  if (vPoz < 0 || static_cast<size_t>(vPoz) >= text.size() || text[static_cast<size_t>(vPoz)] != '<') {
    msg("это не тег");
    return {};
  }
  size_t e = text.find('>', static_cast<size_t>(vPoz));
  return e == std::string::npos ? text.substr(static_cast<size_t>(vPoz)) : text.substr(static_cast<size_t>(vPoz), e + 1 - vPoz);
}

void lower_Tags(std::string& text_izm) {
  bool inTag = false;
  for (char& c : text_izm) {
    if (c == '<') {
      inTag = true;
    } else if (c == '>') {
      inTag = false;
    } else if (inTag && c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
    }
  }
}
