// Building the dictionaries: counting the words of a folder of texts, then
// giving every counted word its code in the word/code pair.
#include "ModuleStroki.h"
#include "ModuleTextPre_pi.h"
#include "core/cFile.h"
#include "platform/msg_box.h"

namespace {
bool ends_With(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool is_Sample(const std::string& name) {
  return ends_With(name, ".htm") || ends_With(name, ".nox") || ends_With(name, "html");
}

bool countable(const std::string& t, const tLogFn& log) {
  if (t.size() <= 1) return false;
  if (t.find("--") != std::string::npos || t.find("__") != std::string::npos) return false;
  return is_Lat(t) || is_Rus(t) || is_TagWord(t, log) || is_DashCompound(t);
}

void count_Words(cDictDB& db, const std::string& text, const tLogFn& log) {
  size_t p = 0;
  while (p < text.size()) {
    size_t q = text.find(' ', p);
    if (q == std::string::npos) q = text.size();
    std::string t = text.substr(p, q - p < 50 ? q - p : 50);
    p = q + 1;
    if (has_Cyr(t) && has_Lat(t)) t = fix_Layout(t);
    if (countable(t, log)) db.addKeyS(t, -1, -1, 1, true);
  }
}
}  // namespace

int32_t make_Dict(const std::string& folder, const std::string& nameDict, cNoxState& state, const tLogFn& log) {
  cFile own;
  cFile& file = state.file ? *state.file : own;
  const SS all = file.get_Dir(folder, "");
  SS samples;
  for (const auto& f : all)
    if (is_Sample(f)) samples.push_back(f);
  cDictDB db;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (log) log(samples[i] + ":" + std::to_string(samples.size() - i));
    std::string text = file.ReadS(samples[i]);
    if (text.empty()) continue;
    cut_Styles(text, state);
    cut_Scripts(text, state);
    reformat_Tuda(text, state);
    count_Words(db, text, log);
  }
  db.save_to_File(nameDict + "0");
  return static_cast<int32_t>(samples.size());
}

bool make_Pi(const std::string& nameDict, const std::string& nameAlphabet, const tLogFn& log, cPiStats& vStats) {
  vStats = cPiStats{};
  cFile file;
  cMassiv& m = file.massiv();
  cDictDB counts;
  if (!counts.load_from_File(nameDict + "0")) return false;
  const BB A = read_Alphabet(file, nameAlphabet);
  if (A.empty()) return false;
  const SS T = make_Suffixes(A);
  SS words;
  TT ff;
  counts.getAll(words, ff);
  if (words.empty()) return false;
  TT order;
  m.qSort_poz(ff, order);  // ascending; reversed below for the most frequent first
  m.revers_TT(order);
  cDictDB sk, ob;
  TT perFirst;
  const int32_t n = static_cast<int32_t>(order.size());
  for (int32_t i = 0; i < n; ++i) {
    if (i >= 105 && i % 1000 == 0 && log) log(std::to_string(n - i));
    const std::string& word = words[static_cast<size_t>(order[static_cast<size_t>(i)])];
    bool past = false;
    const std::string code = code_For(i, word, T, perFirst, past);
    if (past) ++vStats.notCoded;
    if (code.empty()) continue;
    const int32_t rw = sk.addKeyS(word, -1, -1, 1, true);
    const int32_t rc = ob.addKeyS(code, -1, -1, 1, true);
    link_Key(sk, word, rc);
    link_Key(ob, code, rw);
    ++vStats.replaced;
  }
  vStats.tokens = n;
  vStats.dictOk = sk.save_to_File(nameDict + ".sk0") && ob.save_to_File(nameDict + ".ob0");
  return vStats.dictOk;
}
