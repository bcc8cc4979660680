// Word codes: alphabet and suffix table, the code table, the mixed-script fix,
// building a code pair and both passes over token text.
#include <gtest/gtest.h>

#include "nox/ModuleStroki.h"
#include "nox/ModuleTextPre_pi.h"
#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

// Every byte but NUL, blank and "~", in code order.
std::string full_Alphabet() {
  std::string s;
  for (int c = 1; c < 256; ++c)
    if (c != ' ' && c != '~') s += static_cast<char>(c);
  return s;
}

TEST(WordCodes, AlphabetAndSuffixTable) {
  testsup::cScratch dir;
  cFile file;
  platform::cScopedMsgCapture cap;
  file.writeS(dir.file("short"), "ab ~c");
  EXPECT_TRUE(read_Alphabet(file, dir.file("short")).empty());
  file.writeS(dir.file("ff"), "~ ~" + full_Alphabet() + "~");
  const BB A = read_Alphabet(file, dir.file("ff"));
  ASSERT_EQ(A.size(), 255u);
  EXPECT_EQ(A[0], 0);
  EXPECT_EQ(A[1], '~');
  EXPECT_EQ(A[2], 1);
  const SS T = make_Suffixes(A);
  EXPECT_EQ(T[0], "");
  EXPECT_EQ(T[1], "~");
  EXPECT_EQ(T[2], std::string(1, '\x01'));
  EXPECT_EQ(T[254], std::string(1, '\xFF'));
  EXPECT_EQ(T[255], "~~");
  EXPECT_EQ(T[256], std::string("~\x01"));
  EXPECT_EQ(T.size(), 1u + 254u + 254u * 254u);
}

TEST(WordCodes, CodeTableByFrequencyIndex) {
  const SS T{"", "~", "a"};
  TT per;
  bool past = false;
  EXPECT_EQ(code_For(0, "xx", T, per, past), "\x11");
  EXPECT_EQ(code_For(14, "xx", T, per, past), "\x1F");
  EXPECT_EQ(code_For(15, "xx", T, per, past), "A");
  EXPECT_EQ(code_For(40, "xx", T, per, past), "Z");
  EXPECT_EQ(code_For(41, "xx", T, per, past), "\x80");
  EXPECT_EQ(code_For(104, "xx", T, per, past), "\xBF");
  const std::string kot = win1251("кот"), kit = win1251("кит");
  EXPECT_EQ(code_For(105, kot, T, per, past), win1251("К"));
  EXPECT_EQ(code_For(106, win1251("ко"), T, per, past), "");  // two letters: no code
  EXPECT_EQ(code_For(107, "a--b", T, per, past), "");
  EXPECT_EQ(code_For(108, kit, T, per, past), win1251("К") + "~");
  EXPECT_EQ(code_For(109, "abc", T, per, past), "~a");
  EXPECT_EQ(code_For(110, "<p>", T, per, past), "~<");
  EXPECT_EQ(code_For(111, win1251("кол"), T, per, past), win1251("К") + "a");
  EXPECT_FALSE(past);
  EXPECT_EQ(code_For(112, win1251("кар"), T, per, past), "");
  EXPECT_TRUE(past);
}

TEST(WordCodes, WordClassesAndLayoutFix) {
  EXPECT_TRUE(is_Lat("abc-d_2"));
  EXPECT_FALSE(is_Lat("-abc"));
  EXPECT_FALSE(is_Lat("a--b"));
  EXPECT_TRUE(is_Rus(win1251("ёлка-палка")));
  EXPECT_FALSE(is_Rus(win1251("дом1")));
  EXPECT_TRUE(is_DashCompound(win1251("web-сайт")));
  EXPECT_FALSE(is_DashCompound(win1251("сайт-дом")));
  // Latin o inside a Russian word is looked up as дом.
  EXPECT_EQ(fix_Layout(win1251("д") + "o" + win1251("м")), win1251("дом"));
  EXPECT_EQ(fix_Layout(win1251("web-сайт")), win1251("web-сайт"));
  EXPECT_EQ(fix_Layout(win1251("дом2") + "l"), win1251("дом2") + "1");
  SS logged;
  tLogFn log = [&](const std::string& s) { logged.push_back(s); };
  EXPECT_TRUE(is_TagWord("<p>", log));
  EXPECT_TRUE(is_TagWord("<#ff00ff>", log));
  EXPECT_TRUE(is_TagWord("<--->", log));
  EXPECT_FALSE(is_TagWord("word", log));
  EXPECT_TRUE(logged.empty());
  EXPECT_FALSE(is_TagWord("<a=b>", log));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0], "<a=b>позрительный тег или на рус=");
}

// A code pair built from counts: word i has count 1000 - i.
class WordPair : public ::testing::Test {
protected:
  void SetUp() override {
    cFile file;
    file.writeS(dir.file("ffChars1"), full_Alphabet());
    cDictDB counts;
    for (int i = 0; i < 300; ++i) {
      words.push_back(word_At(i));
      counts.addKeyS(words.back(), -1, -1, 1000 - i, true);
    }
    ASSERT_TRUE(counts.save_to_File(dict("0")));
    cPiStats st;
    ASSERT_TRUE(make_Pi(dir.file("rus.dic"), dir.file("ffChars1"), nullptr, st));
    EXPECT_EQ(st.replaced, 300);
  }
  static std::string word_At(int i) {
    if (i == 120) return "<p>";
    if (i == 121) return win1251("ыва");
    std::string s = win1251("сл");
    for (int k = i; k > 0; k /= 10) s += static_cast<char>(224 + k % 10);
    return i % 2 ? s : s + win1251("ово");
  }
  std::string dict(const std::string& tail) const { return dir.file("rus.dic") + tail; }
  testsup::cScratch dir;
  SS words;
};

TEST_F(WordPair, MostFrequentWordsBecomeControlCharacters) {
  cDictDB sk, ob;
  ASSERT_TRUE(sk.load_from_File(dict(".sk0")));
  ASSERT_TRUE(ob.load_from_File(dict(".ob0")));
  for (int i = 0; i < 15; ++i) {
    std::string text = words[i];
    cPiStats st;
    words_to_Pi(text, dir.file("rus.dic"), st);
    EXPECT_EQ(text, std::string(1, static_cast<char>(17 + i))) << i;
  }
  std::string text = words[15] + " " + words[104] + " " + words[105];
  cPiStats st;
  words_to_Pi(text, dir.file("rus.dic"), st);
  EXPECT_EQ(text, "A \xBF " + win1251("С"));
}

TEST_F(WordPair, RoundTripOfTokensLinksAndUnknownCodes) {
  std::string text;
  for (int i = 299; i >= 0; i -= 7) text += words[i] + " unknownword ";
  text += words[120] + " " + words[121] + " 42 , .";
  const std::string original = text.substr(0, text.size());
  cPiStats st;
  std::string packed = text;
  words_to_Pi(packed, dir.file("rus.dic"), st);
  EXPECT_TRUE(st.dictOk);
  EXPECT_EQ(st.unknown, 0);
  EXPECT_EQ(st.ambiguous, 0);
  EXPECT_LT(packed.size(), original.size());
  EXPECT_NE(packed.find(" \xDB"), std::string::npos);         // "<p>" coded as Ы...
  EXPECT_NE(packed.find(" " + words[121] + " "), std::string::npos);  // ы-words never coded
  cNoxState state;
  cPiStats back;
  pi_to_Words(packed, dir.file("rus.dic"), state, back);
  EXPECT_EQ(packed, original);
  EXPECT_EQ(back.unknown, 0);

  // A code that this pair does not know stays and is counted.
  std::string bad = "\x11 ~zz " + win1251("Я") + "\x01\x02";
  platform::cScopedMsgCapture cap;
  pi_to_Words(bad, dir.file("rus.dic"), state, back);
  EXPECT_EQ(bad, words[0] + " ~zz " + win1251("Я") + "\x01\x02");
  EXPECT_EQ(back.unknown, 2);
  EXPECT_TRUE(cap.box.saw("не тот словарь"));
}

// A capital the forward pass left would read as a code: it gets the capital
// marker, and the word its code.
TEST_F(WordPair, LeftoverCapitalsGetTheCapitalMarker) {
  std::string cap = words[5];
  cap[0] = '\xD1';  // С
  std::string text = cap + " Zzz " + win1251("Ъ2");
  cPiStats st;
  words_to_Pi(text, dir.file("rus.dic"), st);
  EXPECT_EQ(text, "\x0F \x16 \x0F zzz " + win1251("Ъ2"));
  EXPECT_EQ(st.ambiguous, 0);
}

TEST_F(WordPair, ScriptAndStyleLinksNameTheRestoredFile) {
  cFile file;
  cNoxState state;
  state.file = &file;
  state.nameFile = dir.file("page.htm");
  file.writeS(dir.file("pag-3.js"), "x=1;");
  std::string text = win1251("Ъ3 Ь1");
  cPiStats st;
  pi_to_Words(text, dir.file("rus.dic"), state, st);
  EXPECT_EQ(text, "\r<script SRC='pag-3.js'></script>\r \r<LINK href='pag-1.css' rel=stylesheet type=text/css>\r");
  ASSERT_EQ(st.missingLinks.size(), 1u);
  EXPECT_EQ(st.missingLinks[0], dir.file("pag-1.css"));
}

TEST_F(WordPair, AMismatchedPairIsCaughtInBothDirections) {
  // Swap in a code dictionary from a different build: links no longer check
  // (the most frequent word sits at position 1 in both, so it cannot tell).
  cDictDB counts;
  for (int i = 0; i < 50; ++i) counts.addKeyS(win1251("др") + std::string(1 + i % 5, 'a' + i % 26), -1, -1, 1 + i, true);
  testsup::cScratch other;
  ASSERT_TRUE(counts.save_to_File(other.file("rus.dic0")));
  cFile file;
  file.writeS(other.file("ff"), full_Alphabet());
  cPiStats st;
  ASSERT_TRUE(make_Pi(other.file("rus.dic"), other.file("ff"), nullptr, st));
  file.copy_File(other.file("rus.dic.ob0"), dir.file("mix.ob0"));
  file.copy_File(dict(".sk0"), dir.file("mix.sk0"));
  platform::cScopedMsgCapture cap;
  std::string text = words[1] + " " + words[2];
  words_to_Pi(text, dir.file("mix"), st);
  EXPECT_EQ(text, words[1] + " " + words[2]);
  EXPECT_EQ(st.unknown, 2);
  std::string codes = "\x12 \x13";
  cNoxState state;
  pi_to_Words(codes, dir.file("mix"), state, st);
  EXPECT_EQ(codes, "\x12 \x13");
  EXPECT_EQ(st.unknown, 2);
}

TEST(WordCodes, MissingDictionaryReplacesNothing) {
  platform::cScopedMsgCapture cap;
  testsup::cScratch dir;
  std::string text = "abc \x11";
  cPiStats st;
  words_to_Pi(text, dir.file("none"), st);
  EXPECT_FALSE(st.dictOk);
  EXPECT_EQ(text, "abc \x11");
  EXPECT_TRUE(cap.box.saw("нету файла"));
}

TEST(WordCodes, MakeDictCountsTheWordsOfSampleFiles) {
  testsup::cScratch dir;
  cFile file;
  file.make_Dir(dir.file("texts"));  // make_Dir creates only the last folder
  file.make_Dir(dir.file("texts/sub"));
  const std::string text = win1251(" кот кот пёс a <p> a--b web-сайт дом кот ");
  file.writeS(dir.file("texts/a.htm"), text);
  file.writeS(dir.file("texts/sub/b.html"), win1251(" кот дом "));
  file.writeS(dir.file("texts/c.txt"), win1251(" кот "));  // not a sample name
  cNoxState state;
  state.file = &file;
  state.nameFile = dir.file("dic");
  SS logged;
  EXPECT_EQ(make_Dict(dir.file("texts/"), dir.file("rus.dic"), state, [&](const std::string& s) { logged.push_back(s); }),
            2);
  cDictDB d;
  ASSERT_TRUE(d.load_from_File(dir.file("rus.dic0")));
  EXPECT_EQ(d.getF0(d.findKeyS(win1251("кот"))), 4);
  EXPECT_EQ(d.getF0(d.findKeyS(win1251("дом"))), 2);
  EXPECT_GT(d.findKeyS("<p>"), 0);
  EXPECT_GT(d.findKeyS(win1251("web-сайт")), 0);
  EXPECT_EQ(d.findKeyS("a"), 0);
  EXPECT_EQ(d.findKeyS("a--b"), 0);
  EXPECT_FALSE(logged.empty());
}

}  // namespace
