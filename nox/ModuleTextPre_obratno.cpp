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

void restore_Yo_Words(std::string& s) {
  pad(s);
  for (const char* w : {"всё", "всём", "бёдра", "нём", "сёк", "тёк"}) {
    std::string to = " " + win1251(w) + " ";
    std::string from = to;
    for (char& c : from)
      if (uc(c) == 184) c = static_cast<char>(233);  // ё was kept as й
    replace_All(s, from, to);
  }
  trim_Spaces(s);
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
  restore_Yo_Words(s);
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
  // 6-7
  replace_All(s, std::string(" ") + cTagClose + " <", "</");
  replace_All(s, std::string(1, cHyphenWord) + " ", "-");
  replace_All(s, win1251(" итп "), win1251(" и т.п. "));
  replace_All(s, win1251(" итд "), win1251(" и т.д. "));
  // 8: punctuation back against the word before it
  for (const char* p : {" .", " :", " ;", " ,", " !", " ?"}) {
    const std::string from(p);
    replace_All(s, from, std::string(1, from[1]) + " ");
  }
  // 9
  replace_All(s, one(cDots3), "...");
  replace_All(s, one(cExclDots), "!..");
  replace_All(s, one(cQuestDots), "?..");
  replace_All(s, one(cDots2), "..");
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
  replace_All(s, std::string(" ") + cDialog + " ", ".<p>     - ");
  replace_All(s, std::string(" ") + cParagraph + " ", ".<p>     ");
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
