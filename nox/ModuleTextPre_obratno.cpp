// The backward reformatting after word decoding: markers back to punctuation
// and capitals, spacing undone, paragraphs laid out as HTML (or as plain text
// for ".nox" files).
#include <array>

#include "ModuleStroki.h"
#include "ModuleTextPre.h"

namespace {

using namespace nox_mark;

unsigned char uc(char c) { return static_cast<unsigned char>(c); }
std::string one(char c) { return std::string(1, c); }
void pad(std::string& s) { s = " " + s + " "; }
void squeeze_Pad(std::string& s) {
  trim_Spaces(s);
  pad(s);
}

// Replaces marker m and the text `after` that follows it by `to`; the blanks
// before the marker go too (with `flagEatBefore`). The blanks around a marker
// may already be gone where spacing was undone next to it ("a/ <12> <b>"),
// so they are taken when present rather than required.
void replace_Marker(std::string& s, char m, const std::string& after, const std::string& to,
                    bool flagEatBefore = true) {
  if (s.find(m) == std::string::npos) return;
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != m) {
      out += s[i];
      continue;
    }
    while (flagEatBefore && !out.empty() && out.back() == ' ') out.pop_back();
    out += to;
    // Consume `after`, its blanks being optional: " <" may stand as "<".
    for (char a : after) {
      if (i + 1 < s.size() && s[i + 1] == a) ++i;
      else if (a != ' ') break;
    }
  }
  s.swap(out);
}

// Marker 14: the next word in capitals; marker 15: its first letter.
void apply_Case_Markers(std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != cAllCaps && s[i] != cCapital) continue;
    const bool all = s[i] == cAllCaps;
    s[i] = ' ';
    size_t k = i + 1;
    while (k < s.size() && s[k] == ' ') ++k;
    if (!all) {
      if (k < s.size()) s[k] = static_cast<char>(upper_Char(uc(s[k])));
      continue;
    }
    for (; k < s.size() && is_WordChar(uc(s[k])); ++k) s[k] = static_cast<char>(upper_Char(uc(s[k])));
  }
}

// Step 4: a letter after a blank at a sentence start is a capital.
void capitalise_Sentences(std::string& s) {
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i - 1] == ' ' && is_Letter(uc(s[i])) && after_Sentence_End(s, static_cast<int32_t>(i)))
      s[i] = static_cast<char>(upper_Char(uc(s[i])));
}

void unspace_Protected(std::string& s, char c) {
  const std::string twin(2, c);
  replace_All(s, twin, one(cProtect));
  replace_All(s, std::string(" ") + c + " ", one(c));
  replace_All(s, one(cProtect), twin);
}

// Step 11: tight quotes.
void tighten_Quotes(std::string& s) {
  replace_All(s, "\" ", "\"");
  replace_All(s, std::string(" ") + cQuoteClose, "\"");
  replace_All(s, one(cQuoteClose), "\"");
}

std::string lower_Ext(const std::string& nameFile) {
  const size_t dot = nameFile.rfind('.');
  const size_t sep = nameFile.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && sep > dot)) return "";
  return lower_Text(nameFile.substr(dot));
}

}  // namespace

void reformat_Obratno(std::string& text_izm, const cNoxState& state) {
  std::string& s = text_izm;
  // 1
  trim_Spaces(s);
  replace_All(s, one(cTilde), "~");
  swap_Yo_Words(s, true);
  // 2-4: capitals
  apply_Case_Markers(s);
  pad(s);
  capitalise_Sentences(s);
  // 5: operators
  squeeze_Pad(s);
  unspace_Protected(s, '/');
  replace_All(s, " + ", "+");
  unspace_Protected(s, '=');
  replace_All(s, " * ", "*");
  // 6-7: the abbreviations first, while the blank after them still stands
  // (a closing tag right after one takes that blank away).
  // At a sentence start they were capitalised a step ago.
  for (const auto& [from, to] : std::array<std::pair<const char*, const char*>, 4>{
           {{" итп ", " и т.п. "}, {" Итп ", " И т.п. "}, {" итд ", " и т.д. "}, {" Итд ", " И т.д. "}}})
    replace_All(s, win1251(from), win1251(to));
  replace_Marker(s, cHyphenWord, " ", "-", false);
  // 8: punctuation back against the word before it
  for (const char* p : {" .", " :", " ;", " ,", " !", " ?"}) {
    const std::string from(p);
    replace_All(s, from, std::string(1, from[1]) + " ");
  }
  // Closing tags after the punctuation, so that "т.п. </b>" closes up too.
  replace_Marker(s, cTagClose, " <", "</");
  // 9
  // Dot runs close up to the word before them, as punctuation does.
  replace_Marker(s, cDots3, "", "...");
  replace_Marker(s, cExclDots, "", "!..");
  replace_Marker(s, cQuestDots, "", "?..");
  replace_Marker(s, cDots2, "", "..");
  replace_All(s, one(cCommentOpen), "<!--");
  replace_All(s, one(cCommentClose), "-->");
  // 10: brackets
  for (const auto& [from, to] : std::array<std::pair<const char*, const char*>, 8>{{{" >", ">"},
                                                                                       {"> <", "><"},
                                                                                       {" )", ")"},
                                                                                       {"( ", "("},
                                                                                       {" }", "}"},
                                                                                       {"{ ", "{"},
                                                                                       {" ]", "]"},
                                                                                       {"[ ", "["}}})
    replace_All(s, from, to);
  // 11-12
  tighten_Quotes(s);
  trim_Spaces(s);
  replace_Marker(s, cDialog, " ", ".<p>     - ");
  replace_Marker(s, cParagraph, " ", ".<p>     ");
  replace_All(s, one(cInnerDot), ".");
  // 13: lines
  replace_All(s, "<br>", " <br>\r\n");
  replace_All(s, "<p>", "\r\n<p>\r\n&nbsp;&nbsp;");
  // 14: plain text files
  if (lower_Ext(state.nameFile) == ".nox") {
    replace_All(s, "<br>", "\r\n");
    replace_All(s, "<p>", "\r\n\r\n");
    replace_All(s, "&nbsp;", " ");
    replace_All(s, " _ ", "\t");
  }
}
