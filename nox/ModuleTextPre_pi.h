// Word codes: the reformatted text's words replaced by short codes from a pair
// of dictionaries, and back; and the building of those dictionaries.
//
//   ModuleTextPre_words.cpp  word classes, the mixed-script fix, the alphabet and codes
//   ModuleTextPre_pi.cpp     words_to_Pi, pi_to_Words (with the script and style links)
//   ModuleTextPre_dict.cpp   make_Dict (counting a folder) and make_Pi (the code pair)
//
// Dictionary files for a base name D ("rus.dic"): D + "0" counts every word,
// D + ".sk0" maps word -> code record, D + ".ob0" maps code -> word record.
// Each record's V2 holds its key's first two bytes, which getWord needs.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "ModuleTextPre.h"
#include "cDictDB.h"
#include "massiv/massiv_types.h"

// A log line of the main flow.
using tLogFn = std::function<void(const std::string&)>;

// What a pass did, for the log and the exit status.
struct cPiStats {
  int32_t tokens = 0;     // tokens looked at
  int32_t replaced = 0;   // words coded / codes decoded
  int32_t unknown = 0;    // codes not in the dictionary or pairs that do not check: left unchanged
  int32_t ambiguous = 0;  // packing: uncoded tokens that restoring would read as codes
  int32_t notCoded = 0;   // building: words whose suffix index is past the table
  SS missingLinks;        // restoring: script/style files that are not beside the text
  bool dictOk = false;    // both dictionaries loaded
};

// ===================== Word classes (ModuleTextPre_words.cpp) =====================
bool has_Cyr(const std::string& s);
bool has_Lat(const std::string& s);
bool is_Lat(const std::string& s);
bool is_Rus(const std::string& s);
bool is_DashCompound(const std::string& s);
// A token that had "<" or ">" and is a plain tag name; logs the ones it rejects.
bool is_TagWord(const std::string& token, const tLogFn& log);
// Latin letters typed on the wrong keyboard layout inside a Russian word.
std::string fix_Layout(const std::string& word);

// ===================== The alphabet and codes =====================
// A[0..254]: NUL, "~", then the file's text without "~" and blanks; empty when
// the file holds fewer than 253 such characters.
BB read_Alphabet(cFile& file, const std::string& nameFile);
// T: "", then every distinct non-empty A[p] A[q] with NULs removed (p, q from 0 to 254).
SS make_Suffixes(const BB& A);
// The code of the word at frequency index `index`; `perFirst` counts the
// codes given so far per first byte (from index 105 on). "" when the word gets
// no code; `vPastTable` is set when only the table's end stopped it.
std::string code_For(int32_t index, const std::string& word, const SS& T, TT& perFirst, bool& vPastTable);

// In one dictionary: the key's V1 := vPoz and V2 := its first two bytes;
// returns the key's position ("err" and 0 when the key is absent).
int32_t link_Key(cDictDB& db, const std::string& key, int32_t vPoz);

// ===================== Passes (ModuleTextPre_pi.cpp) =====================
void words_to_Pi(std::string& text_izm, const std::string& nameDict, cPiStats& vStats);
void pi_to_Words(std::string& text_izm, const std::string& nameDict, const cNoxState& state, cPiStats& vStats);
// The same over a loaded pair (sk: word -> code, ob: code -> word).
void words_to_Pi(std::string& text_izm, cDictDB& sk, cDictDB& ob, cPiStats& vStats);
void pi_to_Words(std::string& text_izm, cDictDB& sk, cDictDB& ob, const cNoxState& state, cPiStats& vStats);

// ===================== Building (ModuleTextPre_dict.cpp) =====================
// Counts the words of every ".htm", ".nox" and "html" file under `folder`
// into nameDict + "0". Returns the number of files read.
int32_t make_Dict(const std::string& folder, const std::string& nameDict, cNoxState& state, const tLogFn& log);
// Codes for the counted words: nameDict + ".sk0" and nameDict + ".ob0".
bool make_Pi(const std::string& nameDict, const std::string& nameAlphabet, const tLogFn& log, cPiStats& vStats);
