#include "ModuleStroki.h"

#include <algorithm>

#include "platform/msg_box.h"

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

// ===================== Windows-1251 and UTF-8 =====================

namespace {

const uint16_t kUpper1251[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

int byte_of_Unicode(uint32_t u) {
  if (u < 128) return static_cast<int>(u);
  if (u >= 0x0410 && u <= 0x044F) return static_cast<int>(u - 0x0410 + 192);
  for (int i = 0; i < 64; ++i)
    if (kUpper1251[i] == u) return 128 + i;
  return -1;
}

void append_Utf8(std::string& out, uint32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

}  // namespace

uint32_t unicode_of_1251(unsigned char c) {
  if (c < 128) return c;
  if (c >= 192) return 0x0410u + (c - 192u);
  return kUpper1251[c - 128];
}

std::string win1251(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t u = c;
    size_t len = 1;
    if (c >= 0xF0) {
      len = 4;
      u = c & 0x07;
    } else if (c >= 0xE0) {
      len = 3;
      u = c & 0x0F;
    } else if (c >= 0xC0) {
      len = 2;
      u = c & 0x1F;
    }
    if (i + len > n) len = n - i;
    for (size_t k = 1; k < len; ++k) u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += len;
    int b = byte_of_Unicode(u);
    out += b < 0 ? '?' : static_cast<char>(b);
  }
  return out;
}

std::string utf8_of_1251(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (unsigned char c : text) append_Utf8(out, unicode_of_1251(c));
  return out;
}
