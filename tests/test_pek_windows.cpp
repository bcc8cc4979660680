// The converter's window handlers driven in this process through a scripted
// log view and a recording stand-in for the windows: the manual choice after
// the end and the colour editor of the type 2 candidate. No display needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "core/cFile.h"
#include "pek/ModulePek.h"
#include "pek/PekWindows.h"
#include "pek/cImage.h"
#include "platform/msg_box.h"
#include "support/pek_files.h"
#include "support/test_support.h"

using testsup::read_File;

namespace {

// Interactive, so the run ends with the countdown; the script runs at the
// first wait after the end, then Esc asks to close.
class cScriptView : public platform::iLogView {
public:
  std::function<void()> script;
  std::string text;
  void show_Line(const std::string& line) override { text += line + "\n"; }
  bool interactive() const override { return true; }
  platform::eKey wait_Key(int) override {
    if (script) {
      auto s = std::move(script);
      script = nullptr;
      s();
    }
    return platform::eKey::esc;
  }
};

struct cLabel {
  int32_t colour = -1;
  bool bordered = false, visible = false;
  std::string caption;
};

class cRecordingWindows : public cPekWindows {
public:
  cPekHandlers* h() { return handlers; }
  std::map<int32_t, platform::cSurface> pics;
  std::map<int32_t, std::string> captions;
  std::map<int32_t, bool> shown;
  std::map<int32_t, cLabel> labels;
  bool fonShown = false;
  int32_t fonR = -1, fonG = -1, fonB = -1, sample = -1;

  // Called as each preview is shown (the main flow may still be running).
  std::function<void(int32_t n)> onShow;
  void show_Preview(int32_t n, const platform::cSurface& pic, const std::string& caption) override {
    if (onShow) onShow(n);
    pics[n] = pic;
    captions[n] = caption;
    shown[n] = true;
  }
  void set_Caption(int32_t n, const std::string& caption) override { captions[n] = caption; }
  void hide_Form(int32_t n) override { shown[n] = false; }
  void set_Label(int32_t i, int32_t colour, bool bordered, bool visible) override {
    labels[i].colour = colour, labels[i].bordered = bordered, labels[i].visible = visible;
  }
  void set_Label_Caption(int32_t i, const std::string& caption) override { labels[i].caption = caption; }
  void show_Palette() override { shown[kFormColor] = true, shown[kFormFon] = false; }
  void show_Fon(int32_t r, int32_t g, int32_t b) override {
    fonR = r, fonG = g, fonB = b;
    shown[kFormFon] = true, shown[kFormColor] = false;
  }
  void set_Fon(int32_t r, int32_t g, int32_t b, int32_t s) override { fonR = r, fonG = g, fonB = b, sample = s; }
};

// TMPDIR pointed at a scratch folder for the run in this process.
class cTmpDir {
public:
  explicit cTmpDir(const std::string& path) {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TMPDIR", path.c_str(), 1);
  }
  ~cTmpDir() {
    if (had_)
      setenv("TMPDIR", old_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }

private:
  bool had_ = false;
  std::string old_;
};

// 32 x 24, nine colours in bands of unequal width, so that types 1 to 3 all run.
void write_Picture(const std::string& path) {
  platform::cSurface s;
  s.resize(32, 24);
  const int32_t cols[9] = {0x2040C0, 0x20C040, 0xC04020, 0x808080, 0x10F0F0, 0xF010F0, 0x000000, 0xFFFFFF, 0x4080FF};
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 32; ++x) s.set_Pixel(x, y, cols[(x * x / 7 + y / 5) % 9]);
  ASSERT_TRUE(platform::save_BMP24(s, path));
}

class PekWindows : public ::testing::Test {
protected:
  void SetUp() override { platform::set_MsgBox(&box); }
  void TearDown() override { platform::set_MsgBox(nullptr); }
  platform::cRecordingMsgBox box;
  testsup::cScratch tmp, work;
};

}  // namespace

TEST_F(PekWindows, PreviewsGetTheDecodedCandidatesAndTheirCaptions) {
  write_Picture(work.file("a.bmp"));
  cTmpDir t(tmp.path());
  cScriptView view;
  cRecordingWindows w;
  TT d1, d2, d3;
  view.script = [&] {
    d1 = testsup::decode_Pek_File(tmp.file("out.pek1"));
    d2 = testsup::decode_Pek_File(tmp.file("out.pek2"));
    d3 = testsup::decode_Pek_File(tmp.file("out.pek3"));
  };
  EXPECT_EQ(pek_Main(work.file("a.bmp"), view, &w), 0) << view.text;
  const TT* dec[4] = {nullptr, &d1, &d2, &d3};
  for (int32_t n = 1; n <= 3; ++n) {
    ASSERT_TRUE(w.shown[n]) << n;
    ASSERT_EQ(dec[n]->size(), 32u * 24u) << n;
    const platform::cSurface& s = w.pics[n];
    ASSERT_EQ(s.width(), 32);
    ASSERT_EQ(s.height(), 24);
    for (int32_t i = 0; i < 32 * 24; ++i) ASSERT_EQ(s.get_Pixel(i % 32, i / 32), (*dec[n])[i]) << n << " at " << i;
    const std::string len = std::to_string(read_File(tmp.file("out.pek" + std::to_string(n))).size());
    EXPECT_EQ(w.captions[n], std::to_string(n) + ":" + len);
  }
  EXPECT_EQ(w.captions[0], work.file("a.bmp") + ":" + std::to_string(read_File(work.file("a.bmp")).size()));
  EXPECT_EQ(w.pics[0].get_Pixel(0, 0), 0x2040C0);
}

// A stale work file from an earlier run must never become the output.
TEST_F(PekWindows, ManualChoiceCopiesOnlyATypeOfThisRun) {
  write_Picture(work.file("a.bmp"));
  testsup::write_File(tmp.file("out.pek2"), BB(50, 7));
  cTmpDir t(tmp.path());
  cScriptView view;
  cRecordingWindows w;
  BB afterRefusal;
  view.script = [&] {
    afterRefusal = read_File(work.file("a.bmp.pek"));
    w.h()->manual_Choice(2);
    EXPECT_TRUE(box.saw("тип=2 в этом запуске не получен"));
    EXPECT_EQ(read_File(work.file("a.bmp.pek")), afterRefusal);
    w.h()->manual_Choice(1);
  };
  EXPECT_EQ(pek_Main("-1 " + work.file("a.bmp"), view, &w), 0) << view.text;
  EXPECT_TRUE(box.saw("тип=1 Готово."));
  EXPECT_FALSE(afterRefusal.empty());
  EXPECT_EQ(read_File(work.file("a.bmp.pek")), read_File(tmp.file("out.pek1")));
}

TEST_F(PekWindows, ColourEditWritesNew2WithTheEditedColours) {
  write_Picture(work.file("a.bmp"));
  cTmpDir t(tmp.path());
  cScriptView view;
  cRecordingWindows w;
  TT d, expected;
  int32_t exact = -1;
  view.script = [&] {
    cPekHandlers& h = *w.h();
    h.manual_Choice(2);  // also allowed before editing
    d = testsup::decode_Pek_File(tmp.file("out.pek2"));
    ASSERT_EQ(d.size(), 32u * 24u);
    // Before any colour is picked, nothing is edited.
    h.applyColorEdit(3);
    EXPECT_FALSE(w.shown[cPekWindows::kFormColor]);
    // A colour other than the exact one opens the palette.
    int32_t a = d[0];
    h.startColorEdit(a);
    EXPECT_TRUE(h.editing());
    exact = w.labels[257].colour;
    if (a == exact) {
      EXPECT_TRUE(w.shown[cPekWindows::kFormFon]);
      for (int32_t c : d)
        if (c != exact) a = c;
      h.startColorEdit(a);
    }
    ASSERT_NE(a, exact);
    EXPECT_TRUE(w.shown[cPekWindows::kFormColor]);
    EXPECT_FALSE(w.shown[1]);
    EXPECT_FALSE(w.shown[3]);
    EXPECT_EQ(w.captions[2], "2:исправляем цвет");
    EXPECT_EQ(w.labels[256].colour, a);
    const int32_t p = std::stoi(w.labels[256].caption);
    EXPECT_TRUE(w.labels[p].bordered);  // the code occurs
    EXPECT_FALSE(w.labels[std::stoi(w.labels[257].caption)].visible);  // label k
    // Move the picked colour's code to another visible entry.
    int32_t q = -1;
    for (int32_t i = 0; i < 256 && q < 0; ++i)
      if (i != p && w.labels[i].visible && w.labels[i].colour != a && w.labels[i].colour != exact) q = i;
    ASSERT_GE(q, 0);
    const int32_t qColour = w.labels[q].colour;
    h.applyColorEdit(q);
    EXPECT_EQ(w.labels[256].caption, std::to_string(q));
    EXPECT_EQ(w.labels[256].colour, qColour);
    h.applyColorEdit(257);
    EXPECT_TRUE(box.saw("err 257"));
    // The exact colour opens FormFon with its channels; a slider move sets it.
    h.startColorEdit(exact);
    EXPECT_TRUE(w.shown[cPekWindows::kFormFon]);
    EXPECT_EQ(w.fonR + 256 * w.fonG + 65536 * w.fonB, exact);
    h.setEditedColor(10, 200, 30);
    EXPECT_EQ(w.sample, 10 + 256 * 200 + 65536 * 30);
    expected = d;
    for (int32_t& c : expected) c = c == a ? qColour : c == exact ? 10 + 256 * 200 + 65536 * 30 : c;
    // The result is shown in preview 0 as it will be saved.
    EXPECT_EQ(w.captions[0], "2:результат");
    for (int32_t i = 0; i < 32 * 24; ++i) ASSERT_EQ(w.pics[0].get_Pixel(i % 32, i / 32), expected[i]) << i;
    // Closing is refused while the editor is open; saving ends it.
    EXPECT_FALSE(h.finished() && !h.editing());
    h.saveEditedPicture();
    EXPECT_FALSE(h.editing());
    EXPECT_FALSE(w.shown[0]);
    EXPECT_FALSE(w.shown[2]);
  };
  EXPECT_EQ(pek_Main(work.file("a.bmp"), view, &w), 0) << view.text;
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(testsup::decode_Pek_File(work.file("new2.pek")), expected);
  EXPECT_NE(view.text.find("Идёт редактирование цвета"), std::string::npos);
  EXPECT_NE(view.text.find("сохраняю изменённый рисунок"), std::string::npos);
  EXPECT_NE(view.text.find("Изменённый тип2 сохранён=" + work.file("new2.pek") + " ("), std::string::npos);
  // The chosen output is still the automatic choice's file, not the edit.
  EXPECT_NE(read_File(work.file("a.bmp.pek")), read_File(work.file("new2.pek")));
}

// Before the end the handlers do nothing: the main flow still uses the
// picture object. Transparency takes the smallest free code.
TEST_F(PekWindows, EditorWaitsForTheEndAndTransparencyTakesAFreeCode) {
  write_Picture(work.file("a.bmp"));
  cTmpDir t(tmp.path());
  cScriptView view;
  cRecordingWindows w;
  w.onShow = [&](int32_t n) {
    if (n != 3 || w.h()->finished()) return;
    w.h()->startColorEdit(w.pics[2].get_Pixel(0, 0));
    w.h()->manual_Choice(2);
    w.h()->saveEditedPicture();
  };
  TT d, expected;
  view.script = [&] {
    EXPECT_FALSE(w.h()->editing());
    EXPECT_TRUE(box.texts.empty());
    EXPECT_FALSE(w.shown[cPekWindows::kFormColor]);
    cPekHandlers& h = *w.h();
    d = testsup::decode_Pek_File(tmp.file("out.pek2"));
    ASSERT_EQ(d.size(), 32u * 24u);
    h.startColorEdit(d[0]);
    const int32_t exact = w.labels[257].colour;
    int32_t a = d[0];
    if (a == exact) {
      for (int32_t c : d)
        if (c != exact) a = c;
      h.startColorEdit(a);
    }
    // No transparent code yet: moving "transparency" elsewhere is an error.
    h.applyColorEdit(258);
    EXPECT_EQ(w.labels[256].caption, "258");
    EXPECT_EQ(w.labels[256].colour, 12632512);
    expected = d;
    for (int32_t& c : expected)
      if (c == a) c = 12632512;
    for (int32_t i = 0; i < 32 * 24; ++i) ASSERT_EQ(w.pics[0].get_Pixel(i % 32, i / 32), expected[i]) << i;
    h.saveEditedPicture();
  };
  EXPECT_EQ(pek_Main(work.file("a.bmp"), view, &w), 0) << view.text;
  EXPECT_EQ(testsup::decode_Pek_File(work.file("new2.pek")), expected);
}

TEST_F(PekWindows, NothingPickedMovesNothingAndQuittingSavesNothing) {
  write_Picture(work.file("a.bmp"));
  cTmpDir t(tmp.path());
  cScriptView view;
  cRecordingWindows w;
  view.script = [&] {
    cPekHandlers& h = *w.h();
    const TT d = testsup::decode_Pek_File(tmp.file("out.pek2"));
    ASSERT_FALSE(d.empty());
    h.startColorEdit(12632512);  // no label of that colour: nothing selected
    h.applyColorEdit(3);
    EXPECT_TRUE(box.texts.empty());
    h.quit();  // closing preview 0 while editing: no new2.pek
  };
  EXPECT_EQ(pek_Main(work.file("a.bmp"), view, &w), 0) << view.text;
  EXPECT_FALSE(std::filesystem::exists(work.file("new2.pek")));
}
