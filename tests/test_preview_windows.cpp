// The converter's preview and colour-editor windows as views: what they show
// is what they were given, and clicks, double-clicks, the right button and
// the sliders reach their handlers. Under the private X server.
#include <gtest/gtest.h>
// After gtest: the X headers define macros (None, Bool) that clash with it.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <chrono>

#include "platform/preview_fltk.h"
#include "support/test_support.h"
#include "support/x_display.h"

using platform::cPictureForm;
using platform::eCloseAct;
using testsup::screenshot;
using testsup::x_Tool;

namespace {

void pump() { Fl::wait(0.02); }
// Lets the server map and expose the windows and the handlers run.
void settle(double secs = 0.4) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(secs);
  while (std::chrono::steady_clock::now() < end) pump();
  Fl::flush();
}

std::string id_Of(Fl_Window* w) { return std::to_string(static_cast<unsigned long>(fl_xid(w))); }

// A picture with a colour per pixel that tells where it is.
std::vector<int32_t> test_Picture(int w, int h) {
  std::vector<int32_t> pix(static_cast<size_t>(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pix[static_cast<size_t>(y * w + x)] = (x * 5) + 256 * (y * 7 % 256) + 65536 * ((x ^ y) & 255);
  return pix;
}

// The window's pixels as drawn on the screen, colour values, rows top first.
std::vector<int32_t> read_Back(Fl_Window* w, int pw, int ph) {
  w->make_current();
  std::vector<uchar> rgb(static_cast<size_t>(pw * ph * 3));
  fl_read_image(rgb.data(), 0, 0, pw, ph);
  std::vector<int32_t> pix(static_cast<size_t>(pw * ph));
  for (size_t i = 0; i < pix.size(); ++i) pix[i] = rgb[3 * i] + 256 * rgb[3 * i + 1] + 65536 * rgb[3 * i + 2];
  return pix;
}

void click(Fl_Window* w, int x, int y, const std::string& button, int repeat = 1) {
  x_Tool({"xdotool", "mousemove", "--window", id_Of(w), std::to_string(x), std::to_string(y), "click", "--repeat",
          std::to_string(repeat), "--delay", "60", button},
         pump);
  settle();
}

class PreviewWindows : public ::testing::Test {
protected:
  void SetUp() override {
    if (!testsup::x_Display().ok()) GTEST_SKIP() << "no Xvfb and no DISPLAY";
    if (!testsup::have_Tool("xdotool") || !testsup::have_Tool("import")) GTEST_SKIP() << "xdotool/import missing";
  }
};

}  // namespace

TEST(PreviewRules, ClosingEachPreview) {
  // (form, finished, editing) -> act
  EXPECT_EQ(platform::close_Rule(0, false, false), eCloseAct::refuse);
  EXPECT_EQ(platform::close_Rule(0, true, true), eCloseAct::quit);
  EXPECT_EQ(platform::close_Rule(1, false, false), eCloseAct::refuse);
  EXPECT_EQ(platform::close_Rule(1, true, true), eCloseAct::close);
  EXPECT_EQ(platform::close_Rule(1, true, false), eCloseAct::quit);
  EXPECT_EQ(platform::close_Rule(2, true, false), eCloseAct::quit);
  EXPECT_EQ(platform::close_Rule(2, true, true), eCloseAct::refuse);
  EXPECT_EQ(platform::close_Rule(2, false, false), eCloseAct::refuse);
  EXPECT_EQ(platform::close_Rule(3, true, false), eCloseAct::quit);
  EXPECT_EQ(platform::close_Rule(3, true, true), eCloseAct::close);
  EXPECT_EQ(platform::close_Rule(3, false, false), eCloseAct::close);
}

TEST_F(PreviewWindows, PictureIsShownExactlyAndSizedToIt) {
  const int w = 97, h = 61;  // odd sizes: rows padded to 4 bytes in the bitmap layout
  const std::vector<int32_t> pix = test_Picture(w, h);
  cPictureForm f;
  f.set_Caption("2:тип");
  f.set_Hint("дв.клик-выбор/пр.клик-цвет");
  ASSERT_TRUE(f.set_Colours(pix.data(), w, h));
  f.show();
  settle();
  EXPECT_EQ(f.window()->w(), w + 7);
  EXPECT_EQ(f.window()->h(), h + 30);
  EXPECT_EQ(read_Back(f.window(), w, h), pix);
  EXPECT_EQ(f.colour_At(3, 2), pix[2 * w + 3]);
  EXPECT_EQ(f.colour_At(w, 0), -1);
  screenshot("preview_window", fl_xid(f.window()), pump);

  // A bad size shows nothing new.
  EXPECT_FALSE(f.set_Colours(pix.data(), 0, h));
  EXPECT_EQ(f.pic_W(), w);
}

TEST_F(PreviewWindows, DoubleClickRightButtonAndClose) {
  const int w = 40, h = 30;
  const std::vector<int32_t> pix = test_Picture(w, h);
  cPictureForm f;
  f.set_Colours(pix.data(), w, h);
  int doubles = 0, rights = 0, closes = 0;
  int32_t seen = -1;
  f.onDoubleClick = [&] { ++doubles; };
  f.onRightDown = [&](int32_t x, int32_t y, int32_t c) {
    ++rights;
    EXPECT_EQ(x, 11);
    EXPECT_EQ(y, 7);
    seen = c;
  };
  bool allow = false;
  f.onClose = [&] { ++closes; return allow; };
  f.show();
  settle();
  click(f.window(), 5, 5, "1");  // one click is no choice
  EXPECT_EQ(doubles, 0);
  settle(0.8);  // past the double-click time
  click(f.window(), 5, 5, "1", 2);
  EXPECT_EQ(doubles, 1);
  click(f.window(), 11, 7, "3");
  EXPECT_EQ(rights, 1);
  EXPECT_EQ(seen, pix[7 * w + 11]);

  f.window()->do_callback();  // the close button
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(f.shown());
  allow = true;
  f.window()->do_callback();
  EXPECT_FALSE(f.shown());
}

TEST_F(PreviewWindows, PaletteLabelsAndExactColourSliders) {
  platform::cColorForm c;
  for (int i = 0; i < 256; ++i) c.set_Label(i, i * 65793 / 2 + 40, i % 3 == 0, i < 200);
  c.set_Label(platform::cColorForm::kSelected, 255, false, true);
  c.set_Label_Caption(platform::cColorForm::kSelected, "17");
  c.set_Label_Caption(platform::cColorForm::kExact, "5");
  int clicked = -1;
  c.onLabelClick = [&](int i) { clicked = i; };
  c.show();
  settle();
  int x, y;
  c.label_Centre(42, x, y);
  click(c.window(), x, y, "1");
  EXPECT_EQ(clicked, 42);
  c.label_Centre(platform::cColorForm::kTransparent, x, y);
  click(c.window(), x, y, "1");
  EXPECT_EQ(clicked, platform::cColorForm::kTransparent);
  clicked = -1;
  c.label_Centre(230, x, y);  // hidden: past the palette
  click(c.window(), x, y, "1");
  EXPECT_EQ(clicked, -1);
  EXPECT_FALSE(c.label_Visible(230));
  EXPECT_EQ(c.label_Caption(platform::cColorForm::kSelected), "17");
  screenshot("color_form", fl_xid(c.window()), pump);

  platform::cFonForm fon;
  fon.set_Values(10, 20, 30);
  fon.set_Sample(10 + 256 * 20 + 65536 * 30);
  EXPECT_EQ(fon.texts()[1], "20");
  std::array<int32_t, 3> got{-1, -1, -1};
  fon.onSlider = [&](int32_t r, int32_t g, int32_t b) {
    got = {r, g, b};
    fon.set_Texts(r, g, b);
  };
  fon.show();
  settle();
  int sx, top, bottom;
  fon.slider_Ends(1, sx, top, bottom);
  const std::string id = id_Of(fon.window());
  x_Tool({"xdotool", "mousemove", "--window", id, std::to_string(sx), std::to_string(top + 20), "mousedown", "1"}, pump);
  settle();
  x_Tool({"xdotool", "mousemove", "--window", id, std::to_string(sx), std::to_string(bottom + 10)}, pump);
  settle();
  x_Tool({"xdotool", "mouseup", "1"}, pump);
  settle();
  EXPECT_EQ(got[0], 10);
  EXPECT_EQ(got[1], 255);  // dragged to the end
  EXPECT_EQ(got[2], 30);
  EXPECT_EQ(fon.texts()[1], "255");
  screenshot("fon_form", fl_xid(fon.window()), pump);
}
