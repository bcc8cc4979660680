#include <gtest/gtest.h>

#include "nox/ModuleStroki.h"
#include "nox/ModuleTextPre.h"
#include "platform/msg_box.h"

namespace {

BB bytes(std::initializer_list<int> v) {
  BB b;
  for (int x : v) b.push_back(static_cast<uint8_t>(x));
  return b;
}
BB W(const std::string& utf8) {
  std::string s = win1251(utf8);
  return BB(s.begin(), s.end());
}
BB U8(const std::string& utf8) { return BB(utf8.begin(), utf8.end()); }

std::string detect(BB& bb, std::string name = "") {
  detect_Charset(bb, name);
  return name;
}

const char* kUnknown = "непонятная кодировка, повреждён или мало данных";

}  // namespace

TEST(NoxCharset, ShortInputIsLeftAlone) {
  platform::cScopedMsgCapture cap;
  BB bb = bytes({0xD0, 0x9F});
  EXPECT_EQ(detect(bb), "");
  EXPECT_EQ(bb, bytes({0xD0, 0x9F}));
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST(NoxCharset, Utf16) {
  platform::cScopedMsgCapture cap;
  BB bb = bytes({0xFF, 0xFE, 0x1F, 0x04, 0x40, 0x04});
  EXPECT_EQ(detect(bb), "uni");
  EXPECT_EQ(bb, bytes({207, 240}));
  // Known results reach the "unknown" box: only koi and win end silently.
  EXPECT_TRUE(cap.box.saw(kUnknown));

  // No mark and a first pair 00 41: that pair is skipped.
  bb = bytes({0x00, 0x41, 0x41, 0x00, 0x01, 0x04, 0x51, 0x04, 0x50, 0x04});
  EXPECT_EQ(detect(bb), "uni");
  EXPECT_EQ(bb, W("AЁёе"));

  // Cyrillic stored as Latin-1 code points after a mark.
  bb = bytes({0xFF, 0xFE, 0xCF, 0x00, 0xF0, 0x00, 0x21, 0x00});
  EXPECT_EQ(detect(bb), "debil rus unicode");
  EXPECT_EQ(bb, bytes({0xCF, 0xF0, '!'}));

  // A mark over something else: "u", bytes unchanged, no further detector.
  bb = bytes({0xFF, 0xFE, 0x41, 0x07, 0xE0, 0xE1});
  BB before = bb;
  EXPECT_EQ(detect(bb), "u");
  EXPECT_EQ(bb, before);
}

TEST(NoxCharset, ForcedUtf16ThatDoesNotHoldFallsBackToDetection) {
  platform::cScopedMsgCapture cap;
  BB bb = W("Привет, мир");
  EXPECT_EQ(detect(bb, "uni"), "win");
  EXPECT_EQ(bb, W("Привет, мир"));
}

TEST(NoxCharset, Utf8) {
  platform::cScopedMsgCapture cap;
  BB bb = bytes({0xD0, 0x9F, 0xD1, 0x80});
  EXPECT_EQ(detect(bb), "utf");
  EXPECT_EQ(bb, bytes({207, 240}));

  bb = bytes({0xD0, 0x9F, 0xE2, 0x80, 0x94, 0xD1, 0x80, 0xE2, 0x80, 0x99, 0xC2, 0xAB, 0xD0, 0x81});
  EXPECT_EQ(detect(bb), "utf");
  EXPECT_EQ(bb, bytes({207, 151, 240, 0xE2, 0x80, 0x99, 171, 168}));

  // A byte-order mark skips the tests; unknown three-byte leads become "@".
  bb = bytes({0xEF, 0xBB, 0xBF, 'a', 0xE0, 0xA4, 0x85, 0xD8, 0xA7, 'b'});
  EXPECT_EQ(detect(bb), "utf");
  EXPECT_EQ(bb, bytes({'a', '@', '@', 'b'}));

  // Forced: converted without testing, even though S > P.
  bb = W("Привет") ;
  bb.push_back(0xD0);
  bb.push_back(0x9F);
  EXPECT_EQ(detect(bb, "utf"), "utf");
  EXPECT_EQ(bb.back(), 207);
}

TEST(NoxCharset, Utf8TruncatedAtTheEnd) {
  platform::cScopedMsgCapture cap;
  BB bb = bytes({0xD0, 0x9F, 0xD1, 0x80, 0xD0, 0x9F, 0xE2, 0x80});
  EXPECT_EQ(detect(bb), "utf");
  EXPECT_EQ(bb, bytes({207, 240, 207, 0xE2, 0x80}));
}

TEST(NoxCharset, Windows1251PageDeclaringUtf8) {
  platform::cScopedMsgCapture cap;
  BB bb = W("<html><head><META http-equiv='Content-Type' content=\"text/html; charset = UTF-8\"></head>"
            "<body>Яндекс нашёл всё</body></html>");
  BB before = bb;
  EXPECT_EQ(detect(bb), "win");
  EXPECT_EQ(bb, before);
  EXPECT_TRUE(cap.box.saw("стоит <charset utf-8> - а реально win-1281"));
  EXPECT_FALSE(cap.box.saw(kUnknown));
}

TEST(NoxCharset, YandexInsideSupposedUtf8) {
  platform::cScopedMsgCapture cap;
  BB bb = U8("Привет мир ");
  BB yan = bytes({223, 237, 228});
  bb.insert(bb.end(), yan.begin(), yan.end());
  EXPECT_EQ(detect(bb), "utf");
  EXPECT_TRUE(cap.box.saw("Yandex-win v utf"));
  EXPECT_EQ(BB(bb.end() - 3, bb.end()), yan);
}

TEST(NoxCharset, Dos) {
  platform::cScopedMsgCapture cap;
  BB bb = bytes({0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2});
  EXPECT_EQ(detect(bb), "dos");
  EXPECT_EQ(bb, W("Привет"));
  bb = bytes({0xF0, 0xF1, 0x80, 0xAF, 0xE0, 0xEF, 0xB0, 0xDF, 0xF2, 0xFF, 'x'});
  EXPECT_EQ(detect(bb, "dos"), "dos");
  EXPECT_EQ(bb, bytes({168, 184, 192, 239, 240, 255, 128, 175, 178, 191, 'x'}));
}

TEST(NoxCharset, KoiAndWin) {
  platform::cScopedMsgCapture cap;
  BB bb = bytes({0xF0, 0xD2, 0xC9, 0xD7, 0xC5, 0xD4});
  EXPECT_EQ(detect(bb), "koi");
  EXPECT_EQ(bb, W("Привет"));

  bb = W("съешь же ещё этих мягких французских булок, да выпей ЧАЮ");
  BB before = bb;
  EXPECT_EQ(detect(bb), "win");
  EXPECT_EQ(bb, before);
  EXPECT_TRUE(cap.box.texts.empty());

  // Plain ASCII: every test passes down to KOI, where nothing changes.
  bb = U8("plain text, nothing above 127");
  before = bb;
  EXPECT_EQ(detect(bb), "koi");
  EXPECT_EQ(bb, before);

  // Capitals only but a byte KOI8-R has no letter for: not KOI8-R.
  bb = bytes({0xF0, 0xD2, 0x99, 0xD7});
  before = bb;
  EXPECT_EQ(detect(bb), "");
  EXPECT_EQ(bb, before);
  EXPECT_TRUE(cap.box.saw(kUnknown));
  // Forced: such a byte becomes "#".
  EXPECT_EQ(detect(bb, "koi"), "koi");
  EXPECT_EQ(bb, bytes({0xCF, 0xF0, '#', 0xE2}));
}

TEST(NoxCharset, KoiLetterOrderCoversEveryLetter) {
  platform::cScopedMsgCapture cap;
  BB all;
  for (int b = 192; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
  std::string name = "koi";
  test_KoiWin(all, name);
  std::vector<int> seen(256, 0);
  for (uint8_t b : all) ++seen[b];
  for (int b = 192; b < 256; ++b) EXPECT_EQ(seen[b], 1) << b;
}

TEST(NoxStroki, FindBytesAndSlices) {
  platform::cScopedMsgCapture cap;
  BB bb = U8("ab<META x><meta y>");
  EXPECT_EQ(find_Bytes(bb, "<meta", 0), 10);
  EXPECT_EQ(find_Bytes(bb, "<meta", 0, true), 2);
  EXPECT_EQ(find_Bytes(bb, "<meta", 3, true), 10);
  EXPECT_EQ(find_Bytes(bb, "<meta", 11, true), -1);
  EXPECT_EQ(find_Bytes(bb, "", 0), -1);
  EXPECT_EQ(find_Bytes(W("ПРИВЕТ"), win1251("рив"), 0, true), 1);
  EXPECT_EQ(bytes_to_Text(bb, 2, 7), "<META");
  EXPECT_EQ(bytes_to_Text(bb, 16, 99), "y>");
  EXPECT_EQ(bytes_to_Text(bb, 5, 2), "");
}

TEST(NoxStroki, ClassesCaseAndTags) {
  platform::cScopedMsgCapture cap;
  EXPECT_TRUE(is_WordChar(win1251("ё")));
  EXPECT_TRUE(is_WordChar("_"));
  EXPECT_FALSE(is_WordChar("7"));
  EXPECT_TRUE(is_WordCharDigit("7"));
  EXPECT_FALSE(is_WordChar("ab"));
  EXPECT_TRUE(cap.box.saw("err len"));
  EXPECT_TRUE(is_Upper(win1251("НАТО-X_")));
  EXPECT_FALSE(is_Upper(win1251("НАТо")));
  EXPECT_FALSE(is_Upper(win1251("ЁЛКА")));  // Ё is not among А..Я
  EXPECT_EQ(upper_Text(win1251("ёлка zed")), win1251("ЁЛКА ZED"));
  EXPECT_EQ(lower_Text(win1251("ЁЛКА ZED")), win1251("ёлка zed"));

  std::string t = " a  b   c ";
  trim_Spaces(t);
  EXPECT_EQ(t, "a b c");
  t = "x <A HREF=X1>Y</B> Z";
  lower_Tags(t);
  EXPECT_EQ(t, "x <a href=x1>Y</b> Z");
  EXPECT_EQ(tag_At(t, 2), "<a href=x1>");
  EXPECT_EQ(tag_At("<abc", 0), "<abc");
  cap.box.clear();
  EXPECT_EQ(tag_At(t, 0), "");
  EXPECT_TRUE(cap.box.saw("это не тег"));
  EXPECT_EQ(utf8_of_1251(win1251("Ёж — №5")), "Ёж — №5");
}
