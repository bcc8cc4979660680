// Encoding detection and conversion to Windows-1251. The detectors run in a
// fixed order and the first that accepts the bytes converts them in place.
#include <array>

#include "ModuleStroki.h"
#include "ModuleTextPre.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// Message texts are Windows-1251 inside nox; the message sink wants UTF-8,
// so they are written here in UTF-8 directly.
const char* const kMsgUnknown = "непонятная кодировка, повреждён или мало данных";
const char* const kMsgDeclaredUtf = "стоит <charset utf-8> - а реально win-1281";
const char* const kMsgYandex = "Yandex-win v utf";

bool may_Act(const std::string& name, const char* own) { return name.empty() || name == own; }

// ---------- UTF-16LE ----------

// One pair (L, H) as a Windows-1251 byte; -1 ends the detector. `debil` is set
// for Latin-1 code points above 160 after a byte-order mark.
int uni_Pair(unsigned L, unsigned H, bool flagBom, bool& debil) {
  if (H == 0) {
    if (L < 128) return static_cast<int>(L);
    if (flagBom && L > 160) {
      debil = true;
      return static_cast<int>(L);
    }
    return -1;
  }
  if (H != 4) return -1;
  if (L == 1) return 168;                          // Ё
  if (L >= 16 && L <= 79) return static_cast<int>(L + 176);  // А..я
  if (L == 80) return 229;                         // ѐ taken as е, like the other е forms
  if (L == 81) return 184;                         // ё
  return -1;
}

// ---------- UTF-8 tables ----------

struct cPair {
  uint8_t a, b, out;
};
const cPair kUtf2[] = {
    {194, 171, 171}, {194, 187, 187}, {194, 169, 169}, {194, 183, 183}, {194, 174, 174}, {194, 176, 176},
    {194, 166, 166}, {208, 129, 168}, {209, 145, 184}, {194, 160, 32},  {195, 169, 'e'}, {194, 173, 32},
    {195, 151, 'X'}, {194, 177, 177}, {207, 128, 239}, {194, 181, 181}, {204, 129, 146}, {195, 177, 'n'},
    {195, 170, 'e'}, {195, 162, 'a'}, {196, 131, 'a'}, {195, 168, 'e'},
};
// Lead byte 226; second, third, output.
const cPair kUtf3[] = {
    {128, 148, 151}, {128, 147, 150}, {128, 166, 133}, {128, 162, 149}, {128, 149, 151}, {128, 156, 147},
    {128, 157, 148}, {157, 182, 127}, {128, 154, 130}, {128, 186, 155}, {150, 160, 127}, {128, 160, 134},
    {132, 150, 185}, {136, 154, 'V'}, {137, 136, '~'}, {128, 152, 145}, {150, 186, '>'}, {150, 188, 'V'},
    {150, 178, '^'}, {134, 144, '<'}, {134, 145, '^'}, {134, 146, '>'}, {134, 147, 'V'}, {132, 162, 153},
};

int lookup(const cPair* t, size_t n, unsigned a, unsigned b) {
  for (size_t i = 0; i < n; ++i)
    if (t[i].a == a && t[i].b == b) return t[i].out;
  return -1;
}

// True when some <meta ...> of the page says charset=utf-8.
bool declares_Utf8(const BB& bb) {
  int32_t p = find_Bytes(bb, "<meta ", 0, true);
  while (p >= 0) {
    int32_t from = p + 6;
    int32_t e = find_Bytes(bb, ">", from);
    int32_t to = e < 0 ? static_cast<int32_t>(bb.size()) : e;
    std::string inner;
    for (int32_t i = from; i < to; ++i) {
      char c = static_cast<char>(bb[static_cast<size_t>(i)]);
      if (c != ' ' && c != '"' && c != '\'') inner += c;
    }
    if (find_NoCase(inner, "charset=utf-8", 0) != std::string::npos) return true;
    if (e < 0) break;
    p = find_Bytes(bb, "<meta ", e, true);
  }
  return false;
}

// Score S (bytes from 192 up, less the UTF-8 Cyrillic lead bytes) against the
// count P of well-formed Cyrillic UTF-8 pairs.
bool looks_Utf8(const BB& bb) {
  int64_t S = 0, P = 0;
  for (size_t i = 0; i + 1 < bb.size(); ++i) {
    const unsigned c = bb[i], d = bb[i + 1];
    if (c >= 192) ++S;
    if (c == 208) {
      --S;
      if (d == 129 || (d >= 144 && d <= 191)) ++P;
    } else if (c == 209) {
      --S;
      if (d == 145 || (d >= 128 && d <= 143)) ++P;
    }
  }
  return !(P == 0 || P < S);
}

BB utf8_to_1251(const BB& bb, size_t start) {
  BB out;
  out.reserve(bb.size());
  const size_t n = bb.size();
  size_t i = start;
  while (i < n) {
    const unsigned b = bb[i];
    const unsigned b2 = i + 1 < n ? bb[i + 1] : 0;
    const unsigned b3 = i + 2 < n ? bb[i + 2] : 0;
    if (b < 128) {
      out.push_back(static_cast<uint8_t>(b));
      i += 1;
      continue;
    }
    if (b == 208 && b2 >= 144 && b2 <= 191) {
      out.push_back(static_cast<uint8_t>(b2 + 48));
      i += 2;
      continue;
    }
    if (b == 209 && b2 >= 128 && b2 <= 143) {
      out.push_back(static_cast<uint8_t>(b2 + 112));
      i += 2;
      continue;
    }
    int r = lookup(kUtf2, std::size(kUtf2), b, b2);
    if (r >= 0) {
      out.push_back(static_cast<uint8_t>(r));
      i += 2;
      continue;
    }
    if (b >= 216 && b <= 219) {
      out.push_back(64);
      i += 2;
      continue;
    }
    if (b == 223 && b2 == 237 && b3 == 228) msg(kMsgYandex);  // "Янд" of a Windows-1251 page
    r = b == 226 ? lookup(kUtf3, std::size(kUtf3), b2, b3) : -1;
    if (r >= 0 || b == 224 || b == 239) {
      out.push_back(static_cast<uint8_t>(r >= 0 ? r : 64));
      i += 3;
      continue;
    }
    out.push_back(static_cast<uint8_t>(b));
    i += 1;
  }
  return out;
}

// The KOI8-R letters from code 192 up, as Windows-1251 codes.
const std::array<uint8_t, 64>& koi_Letters() {
  static const std::array<uint8_t, 64> t = [] {
    const std::string s = win1251("юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
    std::array<uint8_t, 64> a{};
    for (size_t k = 0; k < 64 && k < s.size(); ++k) a[k] = static_cast<uint8_t>(s[k]);
    return a;
  }();
  return t;
}

}  // namespace

void test_Uni(BB& bb_izm, std::string& nameCharset_izm) {
  if (!may_Act(nameCharset_izm, "uni")) return;
  const bool flagForced = nameCharset_izm == "uni";
  const size_t n = bb_izm.size();
  size_t start = 0;
  bool flagBom = false;
  if (n >= 2 && bb_izm[1] == 254 && bb_izm[0] == 255) {
    nameCharset_izm = "u";
    flagBom = true;
    start = 2;
  }
  BB out;
  out.reserve(n / 2 + 1);
  bool debil = false;
  for (size_t i = start; i < n; i += 2) {
    const unsigned L = bb_izm[i];
    const unsigned H = i + 1 < n ? bb_izm[i + 1] : 0;
    if (i == 0 && (L == 0 || L == 4)) continue;
    int c = uni_Pair(L, H, flagBom, debil);
    if (c < 0) {
      // A forced name that does not hold must not claim a conversion.
      if (flagForced && !flagBom) nameCharset_izm.clear();
      return;
    }
    out.push_back(static_cast<uint8_t>(c));
  }
  bb_izm.swap(out);
  nameCharset_izm = debil ? "debil rus unicode" : "uni";
}

void test_Utf(BB& bb_izm, std::string& nameCharset_izm) {
  if (!may_Act(nameCharset_izm, "utf")) return;
  size_t start = 0;
  if (bb_izm.size() >= 3 && bb_izm[0] == 239 && bb_izm[1] == 187 && bb_izm[2] == 191) {
    start = 3;
  } else if (nameCharset_izm != "utf") {
    const bool declared = declares_Utf8(bb_izm);
    if (!looks_Utf8(bb_izm)) {
      if (declared) msg(kMsgDeclaredUtf);
      return;
    }
  }
  BB out = utf8_to_1251(bb_izm, start);
  bb_izm.swap(out);
  nameCharset_izm = "utf";
}

void test_Dos(BB& bb_izm, std::string& nameCharset_izm) {
  if (!may_Act(nameCharset_izm, "dos")) return;
  if (nameCharset_izm != "dos") {
    int64_t W = 0, D = 0;
    for (uint8_t b : bb_izm) {
      if (b >= 192 || b == 168 || b == 184) ++W;
      if ((b >= 128 && b <= 175) || (b >= 224 && b <= 239) || b == 240 || b == 241) ++D;
    }
    if (!(D > W && D > 0)) return;
  }
  for (uint8_t& b : bb_izm) {
    if (b < 128) continue;
    if (b <= 175) b = static_cast<uint8_t>(b + 64);
    else if (b <= 223) b = static_cast<uint8_t>(b - 48);
    else if (b <= 239) b = static_cast<uint8_t>(b + 16);
    else if (b == 240) b = 168;
    else if (b == 241) b = 184;
    else b = static_cast<uint8_t>(b - 64);
  }
  nameCharset_izm = "dos";
}

void test_KoiWin(BB& bb_izm, std::string& nameCharset_izm) {
  if (!may_Act(nameCharset_izm, "koi")) return;
  const bool flagForced = nameCharset_izm == "koi";
  if (!flagForced) {
    int64_t A = 0, B = 0;
    for (uint8_t b : bb_izm) {
      if (b >= 224) ++B;
      else if (b >= 192) ++A;
    }
    if (A < B) {
      nameCharset_izm = "win";
      return;
    }
  }
  const auto& koi = koi_Letters();
  BB out(bb_izm.size());
  for (size_t i = 0; i < bb_izm.size(); ++i) {
    const uint8_t b = bb_izm[i];
    if (b < 128) out[i] = b;
    else if (b == 168 || b == 179) out[i] = 168;
    else if (b == 184 || b == 163) out[i] = 184;
    else if (b >= 192) out[i] = koi[b - 192];
    else if (flagForced) out[i] = '#';
    else return;  // a byte KOI8-R does not use for letters: not KOI8-R
  }
  bb_izm.swap(out);
  nameCharset_izm = "koi";
}

void detect_Charset(BB& bb_izm, std::string& nameCharset_izm) {
  if (bb_izm.size() < 3) return;
  test_Uni(bb_izm, nameCharset_izm);
  if (nameCharset_izm != "uni") test_Utf(bb_izm, nameCharset_izm);
  if (nameCharset_izm != "utf") test_Dos(bb_izm, nameCharset_izm);
  if (nameCharset_izm != "dos") test_KoiWin(bb_izm, nameCharset_izm);
  if (nameCharset_izm != "koi" && nameCharset_izm != "win") msg(kMsgUnknown);
}
