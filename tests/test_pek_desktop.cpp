// pek with its desktop windows, run as a process on the private X server:
// the previews show the decoded candidates, a double-click on preview 2
// after the end makes type 2 the output, and the colour editor (right click,
// palette label, slider, double-click on the result) writes new2.pek.
// Screenshots go to build/artifacts/.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <set>
#include <thread>

#include "core/cFile.h"
#include "pek/cImage.h"
#include "platform/desktop.h"
#include "platform/picture_io.h"
#include "support/pek_files.h"
#include "support/test_support.h"
#include "support/x_display.h"

using namespace std::chrono_literals;
using testsup::find_Windows;
using testsup::read_File;
using testsup::screenshot;
using testsup::x_Tool;

namespace {

using clk = std::chrono::steady_clock;

double seconds_Since(clk::time_point t) { return std::chrono::duration<double>(clk::now() - t).count(); }

// Windows whose name matches the pattern; xdotool's own search does not
// match non-ASCII names, so every name is read and matched here.
std::vector<unsigned long> find_Named(const std::string& pattern) {
  const std::regex re(pattern);
  std::vector<unsigned long> out;
  for (unsigned long id : find_Windows(".")) {
    std::string name = x_Tool({"xdotool", "getwindowname", std::to_string(id)});
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    if (std::regex_search(name, re)) out.push_back(id);
  }
  return out;
}

std::vector<unsigned long> wait_For_Window(const std::string& pattern, double secs = 15) {
  const auto t = clk::now();
  std::vector<unsigned long> ids;
  while ((ids = find_Named(pattern)).empty() && seconds_Since(t) < secs) std::this_thread::sleep_for(100ms);
  return ids;
}

bool wait_For_File(const std::string& path, double secs = 30) {
  const auto t = clk::now();
  while (!std::filesystem::exists(path) && seconds_Since(t) < secs) std::this_thread::sleep_for(100ms);
  return std::filesystem::exists(path);
}

std::string id_Str(unsigned long id) { return std::to_string(id); }

void click(unsigned long id, int x, int y, const std::string& button, int repeat = 1) {
  x_Tool({"xdotool", "mousemove", "--window", id_Str(id), std::to_string(x), std::to_string(y), "click", "--repeat",
          std::to_string(repeat), "--delay", "60", button});
  std::this_thread::sleep_for(400ms);  // the program handles it
}

void key(unsigned long id, const std::string& k) { x_Tool({"xdotool", "windowfocus", "--sync", id_Str(id), "key", k}); }

// The window as the screen shows it (kept as an artefact), as colour values.
struct cShot {
  platform::cPicture pic;
  int32_t at(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= pic.w || y >= pic.h) return -1;
    const size_t i = 4 * (static_cast<size_t>(y) * static_cast<size_t>(pic.w) + static_cast<size_t>(x));
    return pic.rgba[i] + 256 * pic.rgba[i + 1] + 65536 * pic.rgba[i + 2];
  }
};

cShot shot(const std::string& name, unsigned long id) {
  cShot s;
  if (screenshot(name, id)) platform::load_Picture(testsup::artifact_Dir() + name + ".png", s.pic);
  return s;
}

constexpr int32_t kW = 32, kH = 24;

void write_Picture(const std::string& path) {
  platform::cSurface s;
  s.resize(kW, kH);
  const int32_t cols[9] = {0x2040C0, 0x20C040, 0xC04020, 0x808080, 0x10F0F0, 0xF010F0, 0x000000, 0xFFFFFF, 0x4080FF};
  for (int32_t y = 0; y < kH; ++y)
    for (int32_t x = 0; x < kW; ++x) s.set_Pixel(x, y, cols[(x * x / 7 + y / 5) % 9]);
  ASSERT_TRUE(platform::save_BMP24(s, path));
}

std::vector<std::string> window_Env() {
  std::vector<std::string> e = testsup::x_Display().env();
  e.push_back("SUITE_VIEW=window");
  return e;
}

class PekDesktop : public ::testing::Test {
protected:
  void SetUp() override {
    if (!platform::desktop_Built()) GTEST_SKIP() << "built without the desktop windows";
    if (!testsup::x_Display().ok()) GTEST_SKIP() << "no Xvfb and no DISPLAY";
    if (!testsup::have_Tool("xdotool") || !testsup::have_Tool("import")) GTEST_SKIP() << "xdotool/import missing";
    write_Picture(work.file("a.bmp"));
  }
  // Starts the conversion and waits for its end; the countdown is stopped so
  // that the windows stay.
  void start() {
    child = testsup::start_Program("pek", work.file("a.bmp"), tmp.path(), "", window_Env());
    ASSERT_TRUE(wait_For_File(work.file("a.bmp.pek")));
    const auto log = wait_For_Window("^Pek ");
    ASSERT_EQ(log.size(), 1u);
    logId = log[0];
    std::this_thread::sleep_for(700ms);
    key(logId, "space");
    std::this_thread::sleep_for(300ms);
    key(logId, "space");
  }
  void TearDown() override {
    if (child.pid > 0 && child.running()) testsup::wait_Program(child, 100);  // a failed test leaves no program behind
  }
  unsigned long preview(int32_t n) {
    const auto ids = wait_For_Window("^" + std::to_string(n) + ":[0-9]+$", 5);
    return ids.size() == 1 ? ids[0] : 0;
  }
  testsup::cScratch tmp, work;
  testsup::cChild child;
  unsigned long logId = 0;
};

}  // namespace

TEST_F(PekDesktop, PreviewsShowTheCandidatesAndADoubleClickChoosesType2) {
  start();
  for (int32_t n = 1; n <= 3; ++n) {
    const unsigned long id = preview(n);
    ASSERT_NE(id, 0u) << n;
    const TT d = testsup::decode_Pek_File(tmp.file("out.pek" + std::to_string(n)));
    ASSERT_EQ(d.size(), size_t{kW * kH});
    const cShot s = shot("pek_preview_" + std::to_string(n), id);
    ASSERT_EQ(s.pic.w, kW + 7);
    ASSERT_EQ(s.pic.h, kH + 30);
    for (int32_t i = 0; i < kW * kH; ++i) ASSERT_EQ(s.at(i % kW, i / kW), d[i]) << n << " at " << i;
  }
  const auto src = find_Named("a\\.bmp:[0-9]+$");
  ASSERT_EQ(src.size(), 1u);
  shot("pek_preview_0", src[0]);
  EXPECT_TRUE(child.running());  // the countdown was stopped
  click(preview(2), 5, 5, "1", 2);
  const auto box = wait_For_Window("^Ручной выбор типа$");
  ASSERT_EQ(box.size(), 1u);
  shot("pek_manual_choice", box[0]);
  key(box[0], "Return");
  EXPECT_EQ(read_File(work.file("a.bmp.pek")), read_File(tmp.file("out.pek2")));
  // Closing a preview after the end quits.
  key(preview(3), "Escape");
  const testsup::cRun r = testsup::wait_Program(child, 10000);
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(PekDesktop, ColourEditorWritesNew2WithTheEditedColours) {
  start();
  const unsigned long p2 = preview(2);
  ASSERT_NE(p2, 0u);
  const TT d = testsup::decode_Pek_File(tmp.file("out.pek2"));
  ASSERT_EQ(d.size(), size_t{kW * kH});
  // A right click on a pixel opens the palette, or the exact colour's window
  // when that pixel has the exact colour: then another colour is taken.
  int32_t a = d[0];
  click(p2, 0, 0, "3");
  if (!find_Named("^Выбор фона$").empty()) {
    for (int32_t i = 0; i < kW * kH; ++i)
      if (d[i] != a) {
        const int32_t b = d[i];
        click(p2, i % kW, i / kW, "3");
        a = b;
        break;
      }
  }
  const auto pal = wait_For_Window("^Палитра$");
  ASSERT_EQ(pal.size(), 1u);
  EXPECT_TRUE(find_Named("^[13]:[0-9]+$").empty());  // previews 1 and 3 hidden
  EXPECT_EQ(find_Named("^2:исправляем цвет$").size(), 1u);
  // While the editor is open neither the log window nor preview 2 closes.
  key(logId, "Escape");
  key(p2, "Escape");
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(child.running());
  const cShot ps = shot("pek_formcolor", pal[0]);
  const int32_t exact = ps.at(4 + 70 + 4, 16 * 20 + 8 + 4);  // label 257, off its caption
  ASSERT_NE(exact, a);
  // Move the picked code to a label of another colour of the picture.
  std::set<int32_t> inPicture(d.begin(), d.end());
  int32_t q = -1, qColour = -1;
  for (int32_t i = 0; i < 256 && q < 0; ++i) {
    const int32_t c = ps.at(4 + (i % 16) * 20 + 10, 4 + (i / 16) * 20 + 10);
    if (c != a && c != exact && inPicture.count(c)) q = i, qColour = c;
  }
  ASSERT_GE(q, 0);
  click(pal[0], 4 + (q % 16) * 20 + 10, 4 + (q / 16) * 20 + 10, "1");
  // The exact colour opens FormFon; drag the red slider to the top.
  for (int32_t i = 0; i < kW * kH; ++i)
    if (d[i] == exact) {
      click(p2, i % kW, i / kW, "3");
      break;
    }
  const auto fon = wait_For_Window("^Выбор фона$");
  ASSERT_EQ(fon.size(), 1u);
  x_Tool({"xdotool", "mousemove", "--window", id_Str(fon[0]), "22", "190", "mousedown", "1"});
  x_Tool({"xdotool", "mousemove", "--window", id_Str(fon[0]), "22", "100"});
  x_Tool({"xdotool", "mousemove", "--window", id_Str(fon[0]), "22", "12", "mouseup", "1"});
  std::this_thread::sleep_for(400ms);
  const cShot fs = shot("pek_formfon", fon[0]);
  const int32_t edited = fs.at(182, 100);  // the sample
  EXPECT_NE(edited, exact);
  const auto res = wait_For_Window("^2:результат$");
  ASSERT_EQ(res.size(), 1u);
  shot("pek_result", res[0]);
  click(res[0], 3, 3, "1", 2);
  ASSERT_TRUE(wait_For_File(work.file("new2.pek"), 10));
  std::this_thread::sleep_for(300ms);
  TT expected = d;
  for (int32_t& c : expected) c = c == a ? qColour : c == exact ? edited : c;
  EXPECT_EQ(testsup::decode_Pek_File(work.file("new2.pek")), expected);
  // Saved: the log window may close again.
  key(logId, "Escape");
  const testsup::cRun r = testsup::wait_Program(child, 10000);
  EXPECT_EQ(r.status, 0) << r.err;
}
