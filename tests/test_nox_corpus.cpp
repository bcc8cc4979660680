// nox's text side on the real Russian corpus: detection, conversion against
// iconv, and the reformatting round trip.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "nox/ModuleStroki.h"
#include "core/cFile.h"
#include "nox/ModuleTextPre.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct cCorpusFile {
  std::string rel;     // path under the corpus
  std::string iconvName;  // encoding as iconv names it
  std::string nox;     // the name our detector should give ("" when none fits)
};

// Folders whose encoding the corpus manifest states.
std::vector<cCorpusFile> native_Files() {
  const std::vector<std::tuple<std::string, std::string, std::string>> dirs = {
      {"russian/text/utf8", "UTF-8", "utf"},          {"russian/text/cp866", "CP866", "dos"},
      {"russian/text/cp1251", "CP1251", "win"},       {"russian/text/koi8r", "KOI8-R", "koi"},
      {"russian/text/utf16le", "UTF-16", "uni"},      {"russian/feeds/koi8-r", "KOI8-R", "koi"},
      {"russian/feeds/windows-1251", "CP1251", "win"}, {"russian/feeds/ibm866", "CP866", "dos"},
      {"russian/feeds/maccyrillic", "MACCYRILLIC", ""}, {"russian/feeds/iso-8859-5", "ISO-8859-5", ""},
      {"russian/html/utf8", "UTF-8", "utf"},          {"russian/html/cp1251", "CP1251", "win"},
      {"russian/html/cp866", "CP866", "dos"},         {"russian/html/koi8r", "KOI8-R", "koi"},
  };
  std::vector<cCorpusFile> out;
  for (const auto& [dir, enc, nox] : dirs) {
    std::string root = testsup::corpus(dir);
    if (!fs::is_directory(root)) continue;
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(root)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    for (const auto& n : names) out.push_back({dir + "/" + n, enc, nox});
  }
  out.push_back({"russian/text/pairs/golded_rusfaq_utf8.txt", "UTF-8", "utf"});
  out.push_back({"russian/text/pairs/kolibri_usb_boot_866.txt", "CP866", "dos"});
  out.push_back({"russian/text/pairs/kolibri_usb_boot_1251.txt", "CP1251", "win"});
  return out;
}

// iconv of a whole buffer; ok is false when some byte could not be converted.
BB iconv_All(const BB& in, const std::string& from, const std::string& to, bool& ok) {
  ok = true;
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ok = false;
    return {};
  }
  BB out(in.size() * 4 + 16);
  char* ip = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
  size_t il = in.size();
  char* op = reinterpret_cast<char*>(out.data());
  size_t ol = out.size();
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) ok = false;
  out.resize(out.size() - ol);
  iconv_close(cd);
  return out;
}

// Converts one character of the source encoding; empty when iconv cannot.
BB iconv_One(const BB& in, const std::string& from) {
  bool ok = false;
  BB r = iconv_All(in, from, "CP1251", ok);
  return ok ? r : BB{};
}

std::string W(const std::string& u) { return win1251(u); }

// The words of a Windows-1251 text: runs of letters and digits, lower case,
// ё as е. The layout words that the backward pass writes itself (p, br,
// nbsp, amp, lt) are left out on both sides.
SS words_Of(const std::string& text, bool flagMap) {
  SS out;
  std::string w;
  auto flush = [&] {
    if (!w.empty() && w != "p" && w != "br" && w != "nbsp" && w != "amp" && w != "lt") out.push_back(w);
    w.clear();
  };
  for (char c0 : text) {
    char c = flagMap ? map_Char(c0) : c0;
    unsigned char u = static_cast<unsigned char>(c);
    if (is_Letter(u) || (u >= '0' && u <= '9')) {
      u = lower_Char(u);
      if (u == 184) u = 229;
      w += static_cast<char>(u);
    } else {
      flush();
    }
  }
  flush();
  return out;
}

// The original's words as the round trip should give them back: scripts and
// styles stand as their link tokens Ъn / Ьn.
SS expected_Words(std::string text) {
  cNoxState none;
  for (char& c : text)
    if (c == nox_mark::cScript || c == nox_mark::cStyle) c = ' ';
  cut_Scripts(text, none);
  cut_Styles(text, none);
  replace_All(text, std::string(1, nox_mark::cScript), W("Ъ"));
  replace_All(text, std::string(1, nox_mark::cStyle), W("Ь"));
  // Text laid out in <pre> loses its opening tags.
  if (find_NoCase(text, "<pre>", 0) != std::string::npos) {
    replace_All(text, "<pre>", " ");
    replace_All(text, "<PRE>", " ");
  }
  return words_Of(text, true);
}

std::string win_Text(const cCorpusFile& f) {
  BB bb = testsup::read_File(testsup::corpus(f.rel));
  std::string name = f.nox;
  detect_Charset(bb, name);
  return std::string(bb.begin(), bb.end());
}

}  // namespace

TEST(NoxCorpus, DetectionTable) {
  platform::cSilentMsgBox silent;
  platform::set_MsgBox(&silent);
  auto files = native_Files();
  if (files.empty()) GTEST_SKIP() << "no corpus";
  std::map<std::string, std::pair<int, int>> perEnc;  // right, total
  std::vector<std::string> wrong;
  std::printf("%-62s %-12s %s\n", "file", "encoding", "detected");
  auto row = [&](const std::string& rel, const std::string& enc, const std::string& want, BB bb) {
    std::string name;
    detect_Charset(bb, name);
    std::printf("%-62s %-12s %s%s\n", rel.c_str(), enc.c_str(), name.empty() ? "(none)" : name.c_str(),
                name == want ? "" : "   <- differs");
    auto& pe = perEnc[enc];
    pe.second++;
    if (name == want) pe.first++;
    // Native single-byte and UTF-8 files must all be recognised. UTF-16 text
    // with punctuation beyond Latin-1 and Cyrillic (dashes, quotes) is not
    // UTF-16 by the detector's rules, and the feeds were re-encoded.
    const bool native = rel.rfind("russian/text/", 0) == 0 || rel.rfind("russian/html/", 0) == 0;
    if (native && enc != "UTF-16" && enc != "UTF-16LE" && name != want) wrong.push_back(rel);
  };
  for (const auto& f : files) row(f.rel, f.iconvName, f.nox, testsup::read_File(testsup::corpus(f.rel)));
  // UTF-16LE copies of UTF-8 texts, with and without a byte-order mark.
  for (const char* rel : {"russian/text/utf8/chekhov_palata_6.txt", "russian/text/utf8/turgenev_asya.txt",
                          "russian/text/pairs/golded_rusfaq_utf8.txt"}) {
    bool ok = false;
    BB u16 = iconv_All(testsup::read_File(testsup::corpus(rel)), "UTF-8", "UTF-16LE", ok);
    if (!ok) continue;
    row(std::string(rel) + " (UTF-16LE)", "UTF-16LE", "uni", u16);
    BB bom = {0xFF, 0xFE};
    bom.insert(bom.end(), u16.begin(), u16.end());
    row(std::string(rel) + " (UTF-16LE+BOM)", "UTF-16LE", "uni", bom);
  }
  std::printf("\naccuracy per encoding:\n");
  for (const auto& [enc, rt] : perEnc) std::printf("  %-12s %d / %d\n", enc.c_str(), rt.first, rt.second);
  platform::set_MsgBox(nullptr);
  EXPECT_TRUE(wrong.empty()) << wrong.size() << " native files misdetected, first " << wrong[0];
  // The golded FAQ holds nothing beyond Cyrillic and ASCII: UTF-16 either way.
  EXPECT_GE(perEnc["UTF-16LE"].first, 2);
}

// Wherever iconv converts a character, ours gives the same byte, except where
// our explicit tables say otherwise (listed, not failed).
TEST(NoxCorpus, ConversionMatchesIconv) {
  platform::cSilentMsgBox silent;
  platform::set_MsgBox(&silent);
  std::map<std::string, int> tableDiffs;
  int64_t compared = 0, mismatched = 0;
  for (const auto& f : native_Files()) {
    if (f.nox.empty() || f.nox == "win" || f.nox == "uni") continue;
    BB src = testsup::read_File(testsup::corpus(f.rel));
    // Character by character: decode through iconv into UTF-32 boundaries.
    size_t i = 0;
    if (f.nox == "utf" && src.size() >= 3 && src[0] == 0xEF && src[1] == 0xBB && src[2] == 0xBF) i = 3;
    while (i < src.size()) {
      size_t len = 1;
      if (f.nox == "utf") {
        uint8_t c = src[i];
        len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + len > src.size()) break;
      }
      BB one(src.begin() + static_cast<long>(i), src.begin() + static_cast<long>(i + len));
      i += len;
      BB theirs = iconv_One(one, f.iconvName);
      if (theirs.empty()) continue;
      BB ours = one;
      std::string name = f.nox;
      if (f.nox == "utf") test_Utf(ours, name);
      else if (f.nox == "dos") test_Dos(ours, name);
      else test_KoiWin(ours, name);
      ++compared;
      if (ours == theirs) continue;
      char key[64];
      std::snprintf(key, sizeof key, "%s %s", f.nox.c_str(), utf8_of_1251(std::string(theirs.begin(), theirs.end())).c_str());
      ++tableDiffs[key];
      // Letters and ASCII must always agree.
      const uint8_t t = theirs[0];
      if (t < 128 || t >= 192 || t == 168 || t == 184) {
        ++mismatched;
        ADD_FAILURE() << f.rel << ": letter differs from iconv, ours " << int(ours[0]) << " iconv " << int(t);
      }
    }
  }
  platform::set_MsgBox(nullptr);
  std::printf("characters compared with iconv: %lld, letter mismatches: %lld\n",
              static_cast<long long>(compared), static_cast<long long>(mismatched));
  std::printf("differences by our own tables (encoding, iconv's character: count):\n");
  for (const auto& [k, n] : tableDiffs) std::printf("  %s: %d\n", k.c_str(), n);
}

// Forward then backward over every corpus file loses no word; the restored
// text is then (mostly) a fixed point.
TEST(NoxCorpus, RoundTripKeepsEveryWord) {
  platform::cSilentMsgBox silent;
  platform::set_MsgBox(&silent);
  testsup::cScratch scratch;
  cFile file;
  int files = 0, differ = 0, notFixed = 0;
  for (const auto& f : native_Files()) {
    if (f.nox.empty()) continue;
    const std::string text = win_Text(f);
    cNoxState st;
    st.file = &file;
    st.nameFile = scratch.file(fs::path(f.rel).filename().string());
    std::string t = text;
    reformat_Tuda(t, st);
    reformat_Obratno(t, st);
    ++files;
    SS a = expected_Words(text), b = words_Of(t, false);
    if (a != b) {
      ++differ;
      size_t k = 0;
      while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
      ADD_FAILURE() << f.rel << ": words differ at " << k << ": "
                    << (k < a.size() ? utf8_of_1251(a[k]) : "(end)") << " vs "
                    << (k < b.size() ? utf8_of_1251(b[k]) : "(end)");
    }
    std::string t2 = t;
    reformat_Tuda(t2, st);
    reformat_Obratno(t2, st);
    EXPECT_EQ(words_Of(t2, false), b) << f.rel << ": a second round changed the words";
    if (t2 != t) {
      ++notFixed;
      size_t k = 0;
      while (k < t.size() && k < t2.size() && t[k] == t2[k]) ++k;
      size_t from = k > 30 ? k - 30 : 0;
      std::printf("not a fixed point: %s at %zu: [%s] vs [%s]\n", f.rel.c_str(), k,
                  utf8_of_1251(t.substr(from, 60)).c_str(), utf8_of_1251(t2.substr(from, 60)).c_str());
    }
  }
  platform::set_MsgBox(nullptr);
  std::printf("round trip: %d files, %d with different words, %d not a fixed point\n", files, differ, notFixed);
}
