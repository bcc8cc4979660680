// nox driven as a process: round trips over the measuring files in every
// encoding, the switches, links to cut-out files, damaged archives and
// missing or foreign dictionaries.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/cFile.h"
#include "nox/ModuleStroki.h"
#include "nox/cDictDB.h"
#include "nox/ModuleTextPre.h"
#include "nox/ModuleTextPre_flow.h"
#include "nox/ModuleTextPre_pi.h"
#include "nox/ModuleTextPre_zip.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using testsup::read_File;
using testsup::text_Of;
using testsup::run_Program;
using testsup::write_File;

namespace {

// The files scripts/make_dict.sh did not train on.
const char* kMeasuring[] = {
    "russian/text/utf8/chekhov_palata_6.txt",       "russian/text/utf8/chekhov_vishnyovyy_sad.txt",
    "russian/text/utf8/dostoevsky_belye_nochi.txt", "russian/text/utf8/tolstoy_smert_ivana_ilicha.txt",
    "russian/text/utf8/tolstoy_kreytserova_sonata.txt", "russian/text/utf8/turgenev_asya.txt",
    "russian/html/cp1251/kolibri_buf2d_about.htm",  "russian/html/koi8r/dpsearch-templates.ru.html",
    "russian/html/utf8/yandex_not_found_1.html",    "russian/html/cp866/kolibri_welcome.htm",
    "russian/text/cp866/golded_rusfaq.txt",         "russian/text/cp1251/kolibri_cmd_readme.txt",
    "russian/text/koi8r/dpsearch_install-ru.xml",
};

// Bytes through iconv.
BB iconv_Bytes(const BB& in, const std::string& from, const std::string& to, const testsup::cScratch& dir) {
  write_File(dir.file("iconv.in"), in);
  const std::string cmd = "iconv -f " + from + " -t " + to + " '" + dir.file("iconv.in") + "'";
  BB out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.insert(out.end(), buf, buf + n);
    pclose(p);
  }
  return out;
}

// Lower-case runs of letters and digits (ё as е): the word sequence of a text.
SS words_Of(const std::string& t) {
  SS out;
  std::string w;
  for (char ch : t + " ") {
    unsigned char c = lower_Char(static_cast<unsigned char>(ch));
    if (c == 184) c = 229;
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c >= 224) {
      w += static_cast<char>(c);
    } else if (!w.empty()) {
      out.push_back(w);
      w.clear();
    }
  }
  return out;
}

SS split(const std::string& t) {
  SS out;
  std::string w;
  for (char c : t + " ")
    if (c != ' ')
      w += c;
    else if (!w.empty()) {
      out.push_back(w);
      w.clear();
    }
  return out;
}

// The chain of the program run in process with the shipped dictionaries: the
// text side forward, word codes both ways, the text side backward; then what
// writeS adds. Also checks that the word pass gives back every token but the
// ones it mends (a layout fix of a mixed-script word, a no-break space).
std::string expected_Restore(const std::string& src, const std::string& restoredName) {
  platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  cFile file;
  BB bb = read_File(src);
  std::string cs;
  detect_Charset(bb, cs);
  std::string t(bb.begin(), bb.end());
  if (cs != "win") {
    const size_t p = find_NoCase(t, "utf-8", 0);
    if (p != std::string::npos) t.replace(p, 5, "u8");
  }
  cNoxState st;
  st.file = &file;
  st.nameFile = src;
  reformat_Tuda(t, st);
  const std::string dict = std::string(SUITE_BIN_DIR) + "rus.dic";
  cPiStats ps;
  // The word pass alone gives back every token but the ones it mends: a
  // mixed-script word's layout, a no-break space, a capital it marks.
  std::string plain;
  for (const auto& w : split(t))
    if (!((w[0] == '\xDA' || w[0] == '\xDC') && w.size() > 1 && isdigit(static_cast<unsigned char>(w[1]))))
      plain += w + " ";
  std::string back = plain;
  words_to_Pi(back, dict, ps);
  EXPECT_EQ(ps.unknown + ps.ambiguous, 0) << src;
  pi_to_Words(back, dict, st, ps);
  EXPECT_EQ(ps.unknown, 0) << src;
  for (char& c : plain)
    if (static_cast<unsigned char>(c) == 160) c = ' ';
  const SS before = split(plain), after = split(back);
  for (size_t i = 0, j = 0; i < before.size(); ++i, ++j) {
    if (j < after.size() && after[j] == std::string(1, nox_mark::cCapital) && before[i][0] != after[j][0]) ++j;
    if (j >= after.size()) {
      ADD_FAILURE() << src << ": tokens end early at " << i;
      break;
    }
    std::string a = before[i];
    if (j > 0 && after[j - 1] == std::string(1, nox_mark::cCapital) && before[i][0] != after[j][0])
      a[0] = static_cast<char>(lower_Char(static_cast<unsigned char>(a[0])));
    const std::string& b = after[j];
    if (a == b || (has_Cyr(a) && has_Lat(a) && fix_Layout(a) == b)) continue;
    ADD_FAILURE() << src << ": token " << i << " " << utf8_of_1251(a) << " -> " << utf8_of_1251(b);
    break;
  }
  // The whole chain, links included.
  std::string coded = t;
  st.nameFile = restoredName;
  words_to_Pi(coded, dict, ps);
  pi_to_Words(coded, dict, st, ps);
  reformat_Obratno(coded, st);
  platform::set_MsgBox(nullptr);
  return coded + "\r\n";
}

// Empty when equal; else the first difference with some context, as UTF-8.
std::string first_Diff(const std::string& a, const std::string& b) {
  if (a == b) return "";
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const size_t from = i < 40 ? 0 : i - 40;
  return "at " + std::to_string(i) + " of " + std::to_string(a.size()) + "/" + std::to_string(b.size()) + ":\n[" +
         utf8_of_1251(a.substr(from, 100)) + "]\n[" + utf8_of_1251(b.substr(from, 100)) + "]";
}

struct cTrip {
  int packStatus = -1, restoreStatus = -1;
  std::string restored, log;
};

// name.ext -> name.ext.pi1 -> back/name.ext
cTrip round_Trip(testsup::cScratch& dir, const std::string& name, const BB& content) {
  cTrip t;
  fs::create_directories(dir.file("back"));
  write_File(dir.file(name), content);
  auto r = run_Program("nox", dir.file(name), dir.path());
  t.packStatus = r.status;
  t.log = r.out;
  fs::copy_file(dir.file(name + ".pi1"), dir.file("back/" + name + ".pi1"), fs::copy_options::overwrite_existing);
  r = run_Program("nox", dir.file("back/" + name + ".pi1"), dir.path());
  t.restoreStatus = r.status;
  t.log += r.out;
  t.restored = text_Of(dir.file("back/" + name));
  return t;
}

TEST(NoxRun, EveryMeasuringFileComesBackInItsNormalForm) {
  int checked = 0, notFixed = 0;
  for (const char* rel : kMeasuring) {
    const std::string src = testsup::corpus(rel);
    if (!fs::exists(src)) continue;
    testsup::cScratch dir;
    const std::string name = fs::path(rel).filename().string();
    const cTrip t = round_Trip(dir, name, read_File(src));
    ASSERT_EQ(t.packStatus, 0) << rel << "\n" << t.log;
    ASSERT_EQ(t.restoreStatus, 0) << rel << "\n" << t.log;
    EXPECT_EQ(first_Diff(t.restored, expected_Restore(dir.file(name), dir.file("back/" + name))), "") << rel;
    // Packing the restored text again keeps its words. Byte for byte it is a
    // fixed point except where the text side's backward pass is not undone by
    // its forward pass (link lines come back lower-cased, a capital after
    // "&nbsp;", blanks before a closing quote).
    const cTrip again = round_Trip(dir, "again_" + name, BB(t.restored.begin(), t.restored.end()));
    EXPECT_EQ(words_Of(again.restored), words_Of(t.restored)) << rel;
    if (again.restored != t.restored) {
      ++notFixed;
      std::printf("not a fixed point: %s %s\n", rel, first_Diff(again.restored, t.restored).c_str());
    }
    ++checked;
  }
  EXPECT_GT(checked, 10);
  std::printf("round trips: %d files, %d not byte-identical on a second pass\n", checked, notFixed);
}

TEST(NoxRun, EveryMeasuringTextInEveryEncoding) {
  for (const char* rel : kMeasuring) {
    const std::string src = testsup::corpus(rel);
    if (std::string(rel).find("/text/utf8/") == std::string::npos || !fs::exists(src)) continue;
    testsup::cScratch conv;
    // Letters, digits and ASCII punctuation only: what every encoding holds and
    // the detectors accept (UTF-16 without a byte-order mark takes no other).
    BB win = iconv_Bytes(read_File(src), "UTF-8", "CP1251//TRANSLIT", conv);
    for (auto& b : win)
      if (b >= 128 && b < 192 && b != 168 && b != 184) b = ' ';
    ASSERT_FALSE(win.empty()) << rel;
    std::string first;
    for (const char* enc : {"CP1251", "UTF-8", "KOI8-R", "CP866", "UTF-16LE"}) {
      testsup::cScratch dir;
      const BB bytes = std::string(enc) == "CP1251" ? win : iconv_Bytes(win, "CP1251", enc, conv);
      ASSERT_FALSE(bytes.empty()) << rel << " " << enc;
      const cTrip t = round_Trip(dir, "text.txt", bytes);
      EXPECT_EQ(t.packStatus, 0) << rel << " " << enc << t.log;
      EXPECT_EQ(t.restoreStatus, 0) << rel << " " << enc << t.log;
      if (first.empty()) first = t.restored;
      // Whatever the encoding, one Windows-1251 normal form.
      EXPECT_EQ(first_Diff(t.restored, first), "") << rel << " " << enc;
    }
  }
}

// The shipped pair: the 15 most frequent training words have the control
// characters 17-31, each linked both ways.
TEST(NoxRun, ShippedDictionariesGiveTheTopWordsControlCharacters) {
  cDictDB sk, ob;
  ASSERT_TRUE(sk.load_from_File(std::string(SUITE_BIN_DIR) + "rus.dic.sk0"));
  ASSERT_TRUE(ob.load_from_File(std::string(SUITE_BIN_DIR) + "rus.dic.ob0"));
  EXPECT_EQ(sk.getSizeDict(), ob.getSizeDict());
  SS words;
  for (int c = 17; c <= 31; ++c) {
    const int32_t rc = ob.findKeyS(std::string(1, static_cast<char>(c)));
    ASSERT_GT(rc, 0) << c;
    const int32_t rw = ob.getV1(rc);
    ASSERT_TRUE(sk.is_Entry(rw));
    EXPECT_EQ(sk.getV1(rw), rc);
    const int32_t v2 = sk.getV2(rw);
    words.push_back(sk.getWord(v2 & 255, v2 >> 8, rw));
  }
  // One-letter words are not counted; "не" is then the most frequent.
  EXPECT_EQ(words[0], win1251("не"));
  std::string text = words[3] + " " + words[14];
  cPiStats st;
  words_to_Pi(text, std::string(SUITE_BIN_DIR) + "rus.dic", st);
  EXPECT_EQ(text, "\x14 \x1F");
}

// Packing two orders at a time decides as the sequential fast search does:
// the same method and the same bytes, whichever branch the search takes.
TEST(NoxRun, FastSearchTwoAtATimeGivesZipAutosBytes) {
  platform::cScopedMsgCapture cap;
  cFile file;
  std::vector<BB> inputs;
  inputs.push_back(testsup::random_Bytes(5000, 3));               // stored
  inputs.push_back(BB(20000, 'a'));                                 // low order wins
  const BB prose = read_File(testsup::corpus("russian/text/utf8/turgenev_asya.txt"));
  if (!prose.empty()) inputs.push_back(BB(prose.begin(), prose.begin() + 60000));  // high order wins
  std::string abc;
  for (int i = 0; i < 3000; ++i) abc += "ab" + std::to_string(i % 7) + " ";
  inputs.push_back(BB(abc.begin(), abc.end()));
  inputs.push_back(BB{'x'});
  for (size_t i = 0; i < inputs.size(); ++i) {
    int32_t m1 = -1, m2 = -1;
    const BB a = file.zip_Auto(inputs[i], m1, true);
    const BB b = zip_Auto_Fast2(inputs[i], m2);
    EXPECT_EQ(m1, m2) << i;
    EXPECT_TRUE(a == b) << i;
  }
}

TEST(NoxRun, CommandLineSwitches) {
  EXPECT_EQ(read_Command("-win text.htm").charset, "");  // no blank before the switch
  EXPECT_EQ(read_Command("x -win text.htm").charset, "win");
  EXPECT_EQ(read_Command("x -WIN -koi text.htm").charset, "win");
  EXPECT_EQ(read_Command("x -dos -uni text.htm").charset, "dos");
  const cNoxCommand c = read_Command("  x -Pre -dic folder/  ");
  EXPECT_TRUE(c.flagPre);
  EXPECT_TRUE(c.flagDic);
  EXPECT_EQ(c.name, "folder/");
  EXPECT_TRUE(read_Command("text.htm.pi1").flagRestore);
  EXPECT_FALSE(read_Command("archive.PI1").flagRestore);
  EXPECT_TRUE(read_Command("").line.empty());
}

TEST(NoxRun, EmptyLineMissingFileAndFolderWithoutSlash) {
  testsup::cScratch dir;
  auto r = run_Program("nox", "", dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Nox: сжатие русских текстов и HTML"), std::string::npos);
  r = run_Program("nox", dir.file("none.txt"), dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("нет файла=" + dir.file("none.txt")), std::string::npos);
  fs::create_directories(dir.file("texts"));
  r = run_Program("nox", "x -dic " + dir.file("texts"), dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("нет файла="), std::string::npos);
  EXPECT_FALSE(fs::exists(dir.file("rus.dic0")));
}

TEST(NoxRun, ScriptsGoBesideTheTextAndComeBackAsLinks) {
  testsup::cScratch dir;
  const std::string page =
      "<html><head><meta charset=UTF-8><script>var a=1;</script><style>p{color:red}</style></head>"
      "<body><p>Привет, мир!<script>var b=2;</script></p></body></html>";
  const cTrip t = round_Trip(dir, "page.htm", BB(page.begin(), page.end()));
  EXPECT_EQ(t.packStatus, 0) << t.log;
  EXPECT_EQ(text_Of(dir.file("pag-1.js")), "var a=1;\r\n");
  EXPECT_EQ(text_Of(dir.file("pag-2.js")), "var b=2;\r\n");
  EXPECT_NE(t.log.find("записан файл=" + dir.file("pag-2.js")), std::string::npos);
  EXPECT_NE(t.log.find("записан файл=" + dir.file("pag-1.css")), std::string::npos);
  EXPECT_NE(t.restored.find("<script SRC='pag-1.js'></script>"), std::string::npos);
  EXPECT_NE(t.restored.find("<script SRC='pag-2.js'></script>"), std::string::npos);
  EXPECT_NE(t.restored.find("charset=u8"), std::string::npos);
  EXPECT_NE(t.restored.find(win1251("Привет")), std::string::npos);
  // The restored page's links point beside it: files missing there are named.
  EXPECT_NE(t.log.find("нет файла рядом=" + dir.file("back/pag-1.js")), std::string::npos);
}

TEST(NoxRun, APathWithBlanksIsTheOneFileNamed) {
  // The last argument is the path whole: "my text.txt", not "./text.txt".
  testsup::cScratch dir;
  const std::string text = "Жили-были дед да баба. Была у них курочка Ряба.";
  write_File(dir.file("my text.txt"), BB(text.begin(), text.end()));
  write_File(dir.file("text.txt"), BB(text.begin(), text.end()));
  auto r = testsup::run_Words("nox", {dir.file("my text.txt")}, dir.path(), dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::exists(dir.file("my text.txt.pi1")));
  EXPECT_FALSE(fs::exists(dir.file("text.txt.pi1")));
  fs::remove(dir.file("my text.txt"));
  r = testsup::run_Words("nox", {dir.file("my text.txt.pi1")}, dir.path(), dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(fs::exists(dir.file("my text.txt")));
}

TEST(NoxRun, DamagedAndForeignArchivesFail) {
  testsup::cScratch dir;
  const std::string text = "Жили-были дед да баба. Была у них курочка Ряба.";
  write_File(dir.file("a.txt"), BB(text.begin(), text.end()));
  ASSERT_EQ(run_Program("nox", dir.file("a.txt"), dir.path()).status, 0);
  const BB good = read_File(dir.file("a.txt.pi1"));

  write_File(dir.file("rnd.txt.pi1"), testsup::random_Bytes(3000, 7));
  auto r = run_Program("nox", dir.file("rnd.txt.pi1"), dir.path());
  EXPECT_EQ(r.status, 1);

  BB cut(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
  write_File(dir.file("cut.txt.pi1"), cut);
  r = run_Program("nox", dir.file("cut.txt.pi1"), dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ошибка при распаковке или неполный"), std::string::npos);

  BB flipped = good;
  flipped.back() ^= 0x55;
  write_File(dir.file("flip.txt.pi1"), flipped);
  EXPECT_EQ(run_Program("nox", dir.file("flip.txt.pi1"), dir.path()).status, 1);

  // A stored container of codes no dictionary has.
  const std::string codes = "\x11 ~qq \xDFzz";
  BB stored(codes.size() + 2, 0);
  std::copy(codes.begin(), codes.end(), stored.begin() + 2);
  cFile file;
  stored[1] = static_cast<uint8_t>(file.make_ks(stored, 2));
  write_File(dir.file("codes.txt.pi1"), stored);
  r = run_Program("nox", dir.file("codes.txt.pi1"), dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("неизвестных сокращений=2"), std::string::npos);
}

TEST(NoxRun, MissingOrForeignDictionary) {
  testsup::cScratch dir;
  // A copy of the program in a folder of its own, first without dictionaries.
  fs::create_directories(dir.file("prog"));
  fs::copy_file(std::string(SUITE_BIN_DIR) + "nox", dir.file("prog/nox"));
  const std::string prog = fs::relative(dir.file("prog/nox"), SUITE_BIN_DIR).string();
  const std::string text = "Жили-были дед да баба. Была у них курочка Ряба.";
  write_File(dir.file("a.txt"), BB(text.begin(), text.end()));
  auto r = run_Program(prog, dir.file("a.txt"), dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("нет словаря="), std::string::npos);

  // An archive made with the shipped pair, restored with another pair.
  ASSERT_EQ(run_Program("nox", dir.file("a.txt"), dir.path()).status, 0);
  {
    cDictDB counts;
    for (int i = 0; i < 40; ++i) counts.addKeyS(win1251("др") + std::string(1 + i % 4, 'a' + i % 26), -1, -1, 1 + i, true);
    ASSERT_TRUE(counts.save_to_File(dir.file("prog/rus.dic0")));
    cPiStats st;
    ASSERT_TRUE(make_Pi(dir.file("prog/rus.dic"), std::string(SUITE_BIN_DIR) + "ffChars1", nullptr, st));
  }
  r = run_Program(prog, dir.file("a.txt.pi1"), dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("неизвестных сокращений="), std::string::npos);
}

TEST(NoxRun, DictionaryModeBuildsThePairInTheTempFolder) {
  testsup::cScratch dir;
  fs::create_directories(dir.file("texts"));
  std::string body;
  for (int i = 0; i < 50; ++i) body += "Кот и пёс, и кот, и дом; слово " + std::to_string(i) + " ";
  body = win1251(body);  // sample texts are read as Windows-1251
  write_File(dir.file("texts/a.nox"), BB(body.begin(), body.end()));
  const auto r = run_Program("nox", "x -dic " + dir.file("texts/"), dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("готово. не забудьте скопировать два словаря в папку проги"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.file("rus.dic0")));
  cDictDB sk;
  ASSERT_TRUE(sk.load_from_File(dir.file("rus.dic.sk0")));
  EXPECT_GT(sk.getSizeDict(), 5);
}

}  // namespace
