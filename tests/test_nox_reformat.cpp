#include <gtest/gtest.h>

#include "nox/ModuleStroki.h"
#include "nox/ModuleTextPre.h"
#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

std::string W(const std::string& u) { return win1251(u); }
std::string M(char m) { return std::string(1, m); }

std::string tuda(const std::string& utf8, bool flagPre = false) {
  cNoxState st;
  st.nameFile = "text.htm";
  st.flagPre = flagPre;
  std::string t = W(utf8);
  reformat_Tuda(t, st);
  return t;
}
std::string obratno(std::string t, const std::string& nameFile = "text.htm") {
  cNoxState st;
  st.nameFile = nameFile;
  reformat_Obratno(t, st);
  return t;
}
std::string round(const std::string& utf8) { return utf8_of_1251(obratno(tuda(utf8))); }

using namespace nox_mark;

}  // namespace

TEST(NoxReformat, CapitalsAndSentenceStarts) {
  EXPECT_EQ(tuda("Капитан Иванов. Он пришёл."),
            M(cCapital) + W(" капитан ") + M(cCapital) + W(" иванов . он пришел ."));
  EXPECT_EQ(round("Капитан Иванов. Он пришёл."), "Капитан Иванов. Он пришел.");
  EXPECT_EQ(tuda("Это НАТО"), M(cCapital) + W(" это ") + M(cAllCaps) + W(" нато"));
  EXPECT_EQ(round("Это НАТО и T-34, а не МХАТ-2"), "Это НАТО и T-34, а не МХАТ-2");
  // A one-letter capital is no word in capitals.
  EXPECT_EQ(round("Я и В. Петров"), "Я и В. Петров");
}

TEST(NoxReformat, DotsNumbersAndAbbreviations) {
  EXPECT_EQ(tuda("3.14"), "3" + M(cInnerDot) + "14");
  EXPECT_EQ(round("Было 3.14 тогда"), "Было 3.14 тогда");
  EXPECT_EQ(round("Смотри (см. рис.) ниже"), "Смотри (см. Рис) ниже");  // the ".)" dot goes
  EXPECT_EQ(tuda("стол и т. д. и стул и.т.п. всё"), W("стол итд и стул итп всй"));
  EXPECT_EQ(round("стол и т. д. и стул"), "стол и т.д. и стул");
  // Right after a closing tag and at a sentence start the abbreviation survives too.
  EXPECT_EQ(round("стул и т.д.</b>"), "стул и т.д.</b>");
  EXPECT_EQ(round("Ах! и т.п. стулья"), "Ах! И т.п. стулья");
  EXPECT_EQ(round("Ну... Да!.. Нет?.. Ах.."), "Ну... Да!.. Нет?.. Ах..");
}

TEST(NoxReformat, QuotesHyphensAndOperators) {
  EXPECT_EQ(tuda("a \"b\" c"), "a \" b " + M(cQuoteClose) + " c");
  EXPECT_EQ(round("он сказал \"привет\" мне"), "он сказал \"привет\" мне");
  EXPECT_EQ(tuda("x -слово"), "x " + M(cHyphenWord) + W(" слово"));
  EXPECT_EQ(round("x -слово, --ключ и а-б"), "x -слово, --ключ и а-б");
  EXPECT_EQ(round("a/b a//b a+b=c==d*e ~x"), "a/b a//b a+b=c==d*e ~x");
}

TEST(NoxReformat, YoWordsComeBack) {
  EXPECT_EQ(round("Всё в нём, всё-таки ёж тёк."), "Всё в нём, все-таки еж тёк.");
  // A dash folds to a hyphen, which joins the two into one word: no ё word.
  EXPECT_EQ(round("всё—нет, всё ."), "все-нет, всё.");
}

TEST(NoxReformat, CharacterMap) {
  EXPECT_EQ(map_Char(static_cast<char>(185)), 'N');
  EXPECT_EQ(map_Char(static_cast<char>(168)), W("Е")[0]);
  EXPECT_EQ(map_Char(static_cast<char>(160)), static_cast<char>(160));
  EXPECT_EQ(map_Char(static_cast<char>(151)), '-');
  EXPECT_EQ(map_Char(static_cast<char>(191)), 'i');
  EXPECT_EQ(map_Char(static_cast<char>(186)), W("э")[0]);
  for (int c = 192; c < 256; ++c) EXPECT_EQ(map_Char(static_cast<char>(c)), static_cast<char>(c));
  EXPECT_EQ(round("Зал №5 — «тихий»"), "Зал N5 - <тихий>");
}

TEST(NoxReformat, TagsCommentsAndParagraphs) {
  EXPECT_EQ(round("<B>Жирный</B> текст"), "<b> Жирный</b> текст");
  EXPECT_EQ(tuda("<!-- к -->"), M(cCommentOpen) + W(" к ") + M(cCommentClose));
  EXPECT_EQ(round("a <!-- b --> c"), "a <!-- b --> c");
  EXPECT_EQ(round("a/</b> x"), "a/</b> x");  // the closing tag keeps its "/"
  EXPECT_EQ(round("(</b>x+</i>"), "(</b> x+</i>");
  EXPECT_EQ(utf8_of_1251(obratno(W("a ") + M(cTagClose) + "<b>")), "a</b>");
  // A dialogue and an indented paragraph of plain text.
  const std::string text = "Раз.\r\n     - Два.\r\n     Три";
  EXPECT_EQ(tuda(text), M(cCapital) + W(" раз ") + M(cDialog) + W(" два ") + M(cParagraph) + W(" три"));
  EXPECT_EQ(utf8_of_1251(obratno(tuda(text))),
            "Раз.\r\n<p>\r\n&nbsp;&nbsp;     - Два.\r\n<p>\r\n&nbsp;&nbsp;     Три");
  EXPECT_EQ(utf8_of_1251(obratno(tuda(text), "book.NOX")), "Раз.\r\n\r\n\r\n\r\n       - Два.\r\n\r\n\r\n\r\n       Три");
}

TEST(NoxReformat, PreText) {
  EXPECT_EQ(utf8_of_1251(obratno(tuda("<pre>a & b\r\n\r\nвторая\r\n третья</pre>"))),
            "a &amp; b \r\n<p>\r\n&nbsp;&nbsp; Вторая \r\n<p>\r\n&nbsp;&nbsp; Третья</pre>");
  EXPECT_EQ(tuda("<pre>a\r\nb", true), "a <br> b");
  EXPECT_EQ(tuda("a\r\nb", true), "a b");  // no <pre>: line breaks are blanks
  // The tag goes, the words on both sides of it stay apart.
  EXPECT_EQ(tuda("и<pre>rem"), W("и rem"));
}

TEST(NoxReformat, RestoredTextPacksAsBefore) {
  for (const char* t : {"Раз.\r\n     - Два.\r\n     Три", "<p>Абзац<br>строка", "<pre>a\r\n\r\nb"}) {
    std::string once = obratno(tuda(t));
    std::string twice = obratno(tuda(utf8_of_1251(once)));
    EXPECT_EQ(utf8_of_1251(twice), utf8_of_1251(once)) << t;
  }
}

TEST(NoxReformat, ScriptsAndStylesAreCutIntoFiles) {
  platform::cScopedMsgCapture cap;
  testsup::cScratch dir;
  cFile file;
  cNoxState st;
  st.file = &file;
  st.nameFile = dir.file("page.htm");
  std::string t = W("<html><SCRIPT type='x'>var a=1;</SCRIPT>Текст<script src='lib.js'></script>"
                    "<script>b()</Script ><style>p{}</style> конец<style></STYLE></html>");
  reformat_Tuda(t, st);
  EXPECT_NE(t.find(W(" Ъ1 ")), std::string::npos);
  EXPECT_NE(t.find(W(" Ъ2 ")), std::string::npos);
  EXPECT_NE(t.find(W(" Ь1 ")), std::string::npos);
  EXPECT_NE(t.find(W(" Ь2 ")), std::string::npos);
  EXPECT_NE(t.find("lib" + M(cInnerDot) + "js"), std::string::npos);  // a script with a source stays
  EXPECT_EQ(file.ReadS(dir.file("pag-1.js")), "var a=1;\r\n");
  EXPECT_EQ(file.ReadS(dir.file("pag-2.js")), "b()\r\n");
  EXPECT_EQ(file.ReadS(dir.file("pag-1.css")), "p{}\r\n");
  EXPECT_TRUE(file.exist_File(dir.file("pag-2.css")));  // empty body, still a file
  EXPECT_FALSE(file.exist_File(dir.file("pag-3.js")));

  // cut_Scripts alone, and the names it reports.
  std::string u = "a<script>x</script>b<script>y";
  SS names = cut_Scripts(u, st);
  EXPECT_EQ(u, "a " + M(cScript) + "1 b " + M(cScript) + "2 ");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1], dir.file("pag-2.js"));
  // A restored link (SRC in capitals) is not cut again.
  u = "<script SRC='pag-1.js'></script>";
  EXPECT_TRUE(cut_Scripts(u, st).empty());
  EXPECT_EQ(u, "<script SRC='pag-1.js'></script>");
  // Marker characters of the source are blanks.
  EXPECT_EQ(tuda(std::string("a") + M(cScript) + "b"), "a b");
}

TEST(NoxReformat, SentenceStart) {
  const std::string p = W("конец. - <p> x");
  EXPECT_TRUE(after_Sentence_End(p, 7));
  EXPECT_TRUE(after_Sentence_End(W("<p> x"), 4));
  EXPECT_FALSE(after_Sentence_End(W("<b> x"), 4));
  EXPECT_FALSE(after_Sentence_End(W("да! <b> x"), 8));  // only the ">" is skipped
  EXPECT_TRUE(after_Sentence_End(W("да! > x"), 6));
  EXPECT_FALSE(after_Sentence_End(W("x"), 0));
  EXPECT_TRUE(after_Sentence_End(M(cParagraph) + " x", 2));
}
