// The two word-code passes over reformatted text: words -> codes before
// compression, codes -> words (and script/style links) after it.
#include "ModuleStroki.h"
#include "ModuleTextPre_pi.h"
#include "core/cFile.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {
const char kYeru = '\xDB';        // Ы: stands for a code's leading "~<"
const char kHard = '\xDA';        // Ъ: a script link
const char kSoft = '\xDC';        // Ь: a style link
const unsigned char kNbsp = 160;  // would read as a one-character code

bool load_Pair(const std::string& nameDict, cDictDB& sk, cDictDB& ob) {
  return sk.load_from_File(nameDict + ".sk0") && ob.load_from_File(nameDict + ".ob0");
}

// Tokens between single blanks; empty ones (edges, double blanks) are dropped.
SS split_Blanks(const std::string& text) {
  SS out;
  size_t p = 0;
  while (p <= text.size()) {
    size_t q = text.find(' ', p);
    if (q == std::string::npos) q = text.size();
    if (q > p) out.push_back(text.substr(p, q - p));
    p = q + 1;
  }
  return out;
}

std::string join_Blanks(const SS& tokens) {
  std::string out;
  for (const auto& t : tokens) {
    if (!out.empty()) out += ' ';
    out += t;
  }
  trim_Spaces(out);
  return out;
}

// What restoring reads as a code: "~", or a first character from 128 to 223,
// 65 to 90 or 17 to 31.
bool looks_Like_Code(const std::string& t) {
  const unsigned char c = static_cast<unsigned char>(t[0]);
  return c == '~' || (c >= 128 && c <= 223) || (c >= 65 && c <= 90) || (c >= 17 && c <= 31);
}

bool never_Coded(const std::string& t) {
  static const std::string kSkip = win1251("ъыь");
  return kSkip.find(t[0]) != std::string::npos;
}

bool is_Capital(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return (c >= 'A' && c <= 'Z') || (c >= 192 && c <= 223);
}

std::string key_Of(cDictDB& db, int32_t r) {
  const int32_t v2 = db.getV2(r);
  return db.getWord(v2 & 255, (v2 >> 8) & 255, r);
}

// The record the pair links to, when the link comes back: 0 otherwise.
int32_t linked(cDictDB& from, int32_t r, cDictDB& to) {
  const int32_t other = from.getV1(r);
  if (!to.is_Entry(other) || to.getV1(other) != r) return 0;
  return other;
}

bool all_Digits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

bool is_Link(const std::string& t) { return (t[0] == kHard || t[0] == kSoft) && all_Digits(t.substr(1)); }

// The code of a word, or the token itself when the pair has none.
std::string code_Of(const std::string& t, cDictDB& sk, cDictDB& ob, cPiStats& vStats, bool& warned) {
  if (never_Coded(t)) return t;
  const std::string word = has_Cyr(t) && has_Lat(t) ? fix_Layout(t) : t;
  const int32_t r = sk.findKeyS(word);
  const int32_t cr = r > 0 ? linked(sk, r, ob) : 0;
  if (r > 0 && cr == 0) {
    if (!warned) msg("не тот словарь");
    warned = true;
    ++vStats.unknown;
  }
  if (cr == 0) {
    if (looks_Like_Code(t)) ++vStats.ambiguous;
    return t;
  }
  std::string code = key_Of(ob, cr);
  if (code.size() > 5) msg("err pi-kod 5");
  if (code.compare(0, 2, "~<") == 0) code = kYeru + code.substr(2);
  ++vStats.replaced;
  return code;
}

std::string link_Line(const std::string& token, const cNoxState& state, cFile& file, SS& missing) {
  const bool script = token[0] == kHard;
  const std::string n = token.substr(1);
  const std::string prefix = file.getName(state.nameFile).substr(0, 3) + "-" + n;
  const std::string ext = script ? ".js" : ".css";
  const std::string beside = file.getPath(state.nameFile) + prefix + ext;
  if (!state.nameFile.empty() && !file.exist_File(beside)) missing.push_back(beside);
  if (script) return "\r<script SRC='" + prefix + ".js'></script>\r";
  return "\r<LINK href='" + prefix + ".css' rel=stylesheet type=text/css>\r";
}
}  // namespace

void words_to_Pi(std::string& text_izm, const std::string& nameDict, cPiStats& vStats) {
  vStats = cPiStats{};
  cDictDB sk, ob;
  if (load_Pair(nameDict, sk, ob)) words_to_Pi(text_izm, sk, ob, vStats);
}

void pi_to_Words(std::string& text_izm, const std::string& nameDict, const cNoxState& state, cPiStats& vStats) {
  vStats = cPiStats{};
  cDictDB sk, ob;
  if (load_Pair(nameDict, sk, ob)) pi_to_Words(text_izm, sk, ob, state, vStats);
}

void words_to_Pi(std::string& text_izm, cDictDB& sk, cDictDB& ob, cPiStats& vStats) {
  vStats = cPiStats{};
  vStats.dictOk = true;
  // A lone no-break space would come back as the word of code 160: it is a blank here.
  for (char& c : text_izm)
    if (static_cast<unsigned char>(c) == kNbsp) c = ' ';
  SS out;
  bool warned = false;
  for (std::string t : split_Blanks(text_izm)) {
    ++vStats.tokens;
    if (is_Link(t)) {
      out.push_back(t);
      continue;
    }
    // A capital that the forward pass left (after a no-break space, say)
    // would read as a code: it gets the capital marker, as elsewhere.
    if (is_Capital(t[0])) {
      out.push_back(std::string(1, nox_mark::cCapital));
      t[0] = static_cast<char>(lower_Char(static_cast<unsigned char>(t[0])));
    }
    out.push_back(code_Of(t, sk, ob, vStats, warned));
  }
  text_izm = join_Blanks(out);
}

void pi_to_Words(std::string& text_izm, cDictDB& sk, cDictDB& ob, const cNoxState& state, cPiStats& vStats) {
  vStats = cPiStats{};
  vStats.dictOk = true;
  cFile own;
  cFile& file = state.file ? *state.file : own;
  SS tokens = split_Blanks(text_izm);
  bool warned = false;
  for (auto& t : tokens) {
    ++vStats.tokens;
    if (is_Link(t)) {
      t = link_Line(t, state, file, vStats.missingLinks);
      continue;
    }
    const std::string code = t[0] == kYeru ? "~<" + t.substr(1) : t;
    if (!looks_Like_Code(code)) continue;
    const int32_t cr = ob.findKeyS(code);
    const int32_t r = cr > 0 ? linked(ob, cr, sk) : 0;
    if (r == 0) {
      // Unknown here: the token stays as it is and the run reports it.
      if (!warned) msg("не тот словарь");
      warned = true;
      ++vStats.unknown;
      continue;
    }
    t = key_Of(sk, r);
    ++vStats.replaced;
  }
  text_izm = join_Blanks(tokens);
}
