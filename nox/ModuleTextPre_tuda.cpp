// The forward reformatting: words end up alone between single blanks in lower
// case; punctuation, capitals, paragraphs and quotes become tokens or markers.
// Every step builds its output once from the previous text.
#include <array>

#include "ModuleStroki.h"
#include "ModuleTextPre.h"

namespace {

using namespace nox_mark;

std::string spaced(char m) { return std::string(" ") + m + " "; }
unsigned char uc(char c) { return static_cast<unsigned char>(c); }

// Characters 127..191 (but 160) are folded onto plainer ones before any word
// is seen; the Latin letters here are Latin, the others Cyrillic.
const std::array<char, 256>& char_Map() {
  static const std::array<char, 256> t = [] {
    std::array<char, 256> a{};
    for (int i = 0; i < 256; ++i) a[i] = static_cast<char>(i);
    const std::string to = win1251(
        "ПЪГ,г`_++Э%Л<НКhЦh''``.--Птл>нкhц"   // 127..159
        "УуJ*Г|$ЕCЭ<--RIo+IiгmП.еNэ>jSsi");  // 161..191
    int code = 127;
    for (char c : to) {
      if (code == 160) ++code;
      a[code++] = c;
    }
    return a;
  }();
  return t;
}

void apply_Char_Map(std::string& s) {
  const auto& m = char_Map();
  for (char& c : s) c = m[uc(c)];
}

// Every character of `from` .. `to` becomes a blank.
void blank_Range(std::string& s, int from, int to) {
  for (char& c : s)
    if (uc(c) >= from && uc(c) <= to) c = ' ';
}

// Blanks around every character that `which` names.
void space_Around(std::string& s, const std::string& which) {
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (char c : s) {
    if (which.find(c) != std::string::npos) {
      out += ' ';
      out += c;
      out += ' ';
    } else {
      out += c;
    }
  }
  s.swap(out);
}

void pad(std::string& s) { s = " " + s + " "; }
void squeeze_Pad(std::string& s) {
  trim_Spaces(s);
  pad(s);
}

bool wc_Digit(char c) { return is_WordCharDigit(uc(c)); }

// The ё words would lose their ё in the character map; a й in its place
// survives the map, and the backward pass puts the ё back.
const std::array<std::pair<std::string, std::string>, 6>& yo_Words() {
  static const std::array<std::pair<std::string, std::string>, 6> words = {{
      {win1251("всё"), win1251("всй")},
      {win1251("всём"), win1251("всйм")},
      {win1251("бёдра"), win1251("бйдра")},
      {win1251("нём"), win1251("нйм")},
      {win1251("сёк"), win1251("сйк")},
      {win1251("тёк"), win1251("тйк")},
  }};
  return words;
}

// The backward pass lays paragraphs and breaks out as "<p>" + CR LF +
// "&nbsp;&nbsp;" and " <br>" + CR LF; taken back here, a restored text packs
// to what it was packed from instead of gaining "_" tokens every round.
void undo_Restored_Layout(std::string& s) {
  replace_All(s, "\r<p>\r&nbsp;&nbsp;", "<p>");
  replace_All(s, " <br>\r", "<br>");
}

// Step 5: text laid out in <pre>.
void pre_Text(std::string& s, bool flagPre) {
  if (find_NoCase(s, "<pre>", 0) == std::string::npos) return;
  // A blank, not nothing: "и<pre>rem" must stay two words.
  replace_All(s, "<pre>", " ");
  replace_All(s, "<PRE>", " ");
  replace_All(s, "&", "&amp;");
  replace_All(s, "< ", "&lt;");
  replace_All(s, "\r\r", "<p>");
  replace_All(s, "\r ", "<p>");
  if (flagPre) replace_All(s, "\r", "<br>");
}

// Step 9: a quote after a word character or before a blank closes.
void mark_Quotes(std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '"') {
      out += s[i];
      continue;
    }
    const bool closing = (i > 0 && wc_Digit(s[i - 1])) || (i + 1 < s.size() && s[i + 1] == ' ');
    out += closing ? spaced(cQuoteClose) : std::string(" \" ");
  }
  s.swap(out);
}

// Step 13: a dot inside a word or number is kept as a marker.
void mark_Dots(std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '.') {
      out += s[i];
    } else if (i > 0 && i + 1 < s.size() && wc_Digit(s[i - 1]) && wc_Digit(s[i + 1])) {
      out += cInnerDot;
    } else {
      out += " . ";
    }
  }
  s.swap(out);
}

// Step 14: a hyphen that begins a word.
void mark_Hyphens(std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '-' && i > 0 && i + 1 < s.size()) {
      const char prev = s[i - 1], next = s[i + 1];
      if (!(prev == '-' && next == '-') && is_Letter(uc(next)) && (prev == ' ' || prev == '-' || !wc_Digit(prev))) {
        out += cHyphenWord;
        out += ' ';
        continue;
      }
    }
    out += c;
  }
  s.swap(out);
}

// Step 16: "/" and "=" spaced except in "//" and "==".
void space_Protected(std::string& s, char c) {
  const std::string twin(2, c);
  replace_All(s, twin, std::string(1, cProtect));
  replace_All(s, std::string(1, c), std::string(" ") + c + " ");
  replace_All(s, std::string(1, cProtect), twin);
}

// Step 17: a capital after a blank becomes marker 15 and the lower-case letter.
void mark_Capitals(std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = uc(s[i]);
    const bool capital = (c >= 'A' && c <= 'Z') || (c >= 192 && c <= 223);
    if (capital && i > 0 && s[i - 1] == ' ') {
      out += cCapital;
      out += ' ';
      out += static_cast<char>(lower_Char(c));
    } else {
      out += s[i];
    }
  }
  s.swap(out);
}

// Step 18: words in capitals get marker 14; a capital at a sentence start
// needs no marker at all.
void settle_Capitals(std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != cCapital) continue;
    size_t b = i + 1;
    while (b < s.size() && s[b] == ' ') ++b;
    size_t e = b;
    while (e < s.size() && s[e] != ' ') ++e;
    const std::string word = s.substr(b, e - b);
    if (word.size() > 1 && is_Upper(word.substr(1))) {
      s[i] = cAllCaps;
      for (size_t k = b; k < e; ++k) s[k] = static_cast<char>(lower_Char(uc(s[k])));
    } else if (after_Sentence_End(s, static_cast<int32_t>(i))) {
      s[i] = ' ';
    }
  }
}

}  // namespace

char map_Char(char c) { return char_Map()[uc(c)]; }

void swap_Yo_Words(std::string& text_izm, bool flagBack) {
  std::string& s = text_izm;
  const char key = static_cast<char>(flagBack ? 233 : 184);  // й or ё
  if (s.find(key) == std::string::npos) return;
  // Word extents as the words will be once the character map has run.
  auto inWord = [](char c) { return is_WordChar(uc(map_Char(c))); };
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != key) continue;
    size_t b = i, e = i + 1;
    while (b > 0 && inWord(s[b - 1])) --b;
    while (e < s.size() && inWord(s[e])) ++e;
    if ((b > 0 && wc_Digit(map_Char(s[b - 1]))) || (e < s.size() && wc_Digit(map_Char(s[e])))) continue;
    std::string w = s.substr(b, e - b);
    w[0] = static_cast<char>(lower_Char(uc(w[0])));
    for (const auto& [yo, yi] : yo_Words()) {
      if (w == (flagBack ? yi : yo)) {
        s[i] = (flagBack ? yo : yi)[i - b];
        break;
      }
    }
    i = e;
  }
}

bool after_Sentence_End(const std::string& text, int32_t p) {
  if (p > static_cast<int32_t>(text.size())) p = static_cast<int32_t>(text.size());
  for (int32_t i = p - 1; i >= 0; --i) {
    const char c = text[static_cast<size_t>(i)];
    if (c == ' ' || c == '-') continue;
    if (c == '.' || c == '?' || c == '!' || c == cDialog || c == cParagraph) return true;
    if (c == '>') {
      if (i >= 2 && text.compare(static_cast<size_t>(i - 2), 3, "<p>") == 0) return true;
      continue;
    }
    return false;
  }
  return false;
}

void reformat_Tuda(std::string& text_izm, cNoxState& state) {
  std::string& s = text_izm;
  // 1-2: marker characters of the source go; scripts and styles leave.
  for (char& c : s)
    if (c == cScript || c == cStyle) c = ' ';
  cut_Scripts(s, state);
  cut_Styles(s, state);
  // 3-4
  swap_Yo_Words(s, false);
  apply_Char_Map(s);
  blank_Range(s, 0, 9);
  replace_All(s, "\r\n", "\r");
  replace_All(s, "\n", "\r");
  undo_Restored_Layout(s);
  // 5-6: layout
  pre_Text(s, state.flagPre);
  replace_All(s, ".\r     - ", spaced(cDialog));
  replace_All(s, ".\r     ", spaced(cParagraph));
  replace_All(s, ".<p>     - ", spaced(cDialog));
  replace_All(s, ".<p>     ", spaced(cParagraph));
  // 7: no line breaks from here on
  blank_Range(s, 10, 19);
  blank_Range(s, 22, 31);
  replace_All(s, "&nbsp;", "_");
  trim_Spaces(s);
  // 8: dot runs
  replace_All(s, "...", spaced(cDots3));
  replace_All(s, "!..", spaced(cExclDots));
  replace_All(s, "?..", spaced(cQuestDots));
  replace_All(s, "..", spaced(cDots2));
  // 9-10: quotes and brackets. Comment brackets are marked first: spacing
  // the "!" would otherwise break every "<!--" into "< ! --".
  pad(s);
  mark_Quotes(s);
  replace_All(s, "<!--", spaced(cCommentOpen));
  replace_All(s, "-->", spaced(cCommentClose));
  replace_All(s, ".)", ")");
  space_Around(s, ")(}{][,!?:;");
  // 11: tags
  replace_All(s, ">", "> ");
  replace_All(s, "<", " <");
  squeeze_Pad(s);
  // 12: abbreviations
  // (also after a capital И, which a restored sentence start has)
  for (const char* f : {" и т. п.", " и т.п.", " и.т.п."}) replace_All(s, win1251(f), win1251(" итп "));
  for (const char* f : {" и т. д.", " и т.д.", " и.т.д."}) replace_All(s, win1251(f), win1251(" итд "));
  for (const char* f : {" И т. п.", " И т.п.", " И.т.п."}) replace_All(s, win1251(f), win1251(" Итп "));
  for (const char* f : {" И т. д.", " И т.д.", " И.т.д."}) replace_All(s, win1251(f), win1251(" Итд "));
  // 13-14: dots and hyphens
  mark_Dots(s);
  pad(s);
  mark_Hyphens(s);
  // 15: closing tags
  replace_All(s, "</", std::string(" ") + cTagClose + " <");
  lower_Tags(s);
  // 16: operators
  space_Protected(s, '/');
  replace_All(s, "+", " + ");
  space_Protected(s, '=');
  replace_All(s, "*", " * ");
  squeeze_Pad(s);
  // 17-18: capitals
  mark_Capitals(s);
  settle_Capitals(s);
  // 19
  replace_All(s, "~", std::string(1, cTilde));
  replace_All(s, std::string(1, cScript), win1251("Ъ"));
  replace_All(s, std::string(1, cStyle), win1251("Ь"));
  trim_Spaces(s);
}
