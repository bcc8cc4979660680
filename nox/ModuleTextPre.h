// ModuleTextPre: the text side of nox before and after word coding.
//
//   ModuleTextPre_charset.cpp  encoding detection and conversion to Windows-1251
//   ModuleTextPre_cut.cpp      inline scripts and style sheets cut out into files
//   ModuleTextPre_tuda.cpp     the forward reformatting (text -> tokens and markers)
//   ModuleTextPre_obratno.cpp  the backward reformatting (tokens -> text)
//
// All text is Windows-1251, one byte per character in std::string.
#pragma once
#include <cstdint>
#include <string>

#include "massiv/massiv_types.h"

class cFile;

// ===================== Encodings =====================
// Encoding names: "uni" (UTF-16LE), "utf" (UTF-8), "dos" (code page 866),
// "koi" (KOI8-R), "win" (Windows-1251); on exit also "debil rus unicode"
// (UTF-16 holding Cyrillic as Latin-1 code points), "u" (a UTF-16 byte-order
// mark over something else) or "" (nothing recognised).
//
// Detects the encoding of `bb_izm` (or takes the one named in
// `nameCharset_izm`) and rewrites the bytes in place as Windows-1251.
void detect_Charset(BB& bb_izm, std::string& nameCharset_izm);
// The four detector-converters in the order detect_Charset runs them. Each acts
// only when the name is empty or its own; with its own name it converts
// without testing.
void test_Uni(BB& bb_izm, std::string& nameCharset_izm);
void test_Utf(BB& bb_izm, std::string& nameCharset_izm);
void test_Dos(BB& bb_izm, std::string& nameCharset_izm);
void test_KoiWin(BB& bb_izm, std::string& nameCharset_izm);

// ===================== Reformatting =====================
// Markers: single control characters standing as tokens of their own.
namespace nox_mark {
constexpr char cProtect = 0;     // temporary: protects "//" and "==", marks blanks to delete
constexpr char cDialog = 1;      // "." CR "     - "
constexpr char cParagraph = 2;   // "." CR "     "
constexpr char cDots3 = 3;       // "..."
constexpr char cExclDots = 4;    // "!.."
constexpr char cQuestDots = 5;   // "?.."
constexpr char cDots2 = 6;       // ".."
constexpr char cQuoteClose = 7;  // a closing double quote
constexpr char cInnerDot = 8;    // a dot between two word characters
constexpr char cCommentOpen = 9;    // "<!--"
constexpr char cCommentClose = 10;  // "-->"
constexpr char cHyphenWord = 11;    // a hyphen that begins a word
constexpr char cTagClose = 12;      // "</"
constexpr char cAllCaps = 14;       // the next word is written in capitals
constexpr char cCapital = 15;       // the next word begins with a capital
constexpr char cTilde = 16;         // "~"
constexpr char cScript = 20;        // a cut-out inline script (becomes "Ъ")
constexpr char cStyle = 21;         // a cut-out style sheet (becomes "Ь")
}  // namespace nox_mark

// What the reformatting reads of the main flow's state.
struct cNoxState {
  cFile* file = nullptr;  // writes the cut-out files; none are written without it
  std::string nameFile;   // the file being packed (names the cut-out files) or restored
  bool flagPre = false;   // keep-pre: line breaks inside <pre> text become <br>
};

// The forward pass's fold of characters 127..191 (but 160) onto plainer ones;
// every other character maps to itself.
char map_Char(char c);

// " всё ", " нём " ... would come back as other words once ё is folded to е:
// forward (flagBack false) their ё becomes й, backward the й becomes ё again.
void swap_Yo_Words(std::string& text_izm, bool flagBack);

// Forward pass: words between single blanks, lower case, markers for the rest.
void reformat_Tuda(std::string& text_izm, cNoxState& state);
// Backward pass after word decoding.
void reformat_Obratno(std::string& text_izm, const cNoxState& state);

// Cut inline scripts / style sheets out into "<3 letters of name>-<n>.js/.css"
// beside state.nameFile, each element replaced by " <marker 20/21><n> ".
// Return the names of the files written.
SS cut_Scripts(std::string& text_izm, cNoxState& state);
SS cut_Styles(std::string& text_izm, cNoxState& state);

// Sentence start before position p: looking back over blanks and "-", a ".",
// "?", "!" or marker 1 or 2 (or a ">" that ends "<p>") means yes.
bool after_Sentence_End(const std::string& text, int32_t p);
