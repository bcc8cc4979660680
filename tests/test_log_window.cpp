// The desktop log window under a private X server: the window in this
// process driven by FormInfo, and brisk runs that show it. Screenshots go to
// build/artifacts/.
#include <gtest/gtest.h>
// After gtest: the X headers define macros (None, Bool) that clash with it.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/FormInfo.h"
#include "platform/desktop.h"
#include "platform/log_view_fltk.h"
#include "platform/msg_box_fltk.h"
#include "support/test_support.h"

using testsup::text_Of;
#include "support/x_display.h"

using namespace std::chrono_literals;
using testsup::find_Windows;
using testsup::screenshot;
using testsup::x_Tool;

namespace {

using clk = std::chrono::steady_clock;

void pump() { Fl::wait(0.02); }

// Lets the server map and expose the windows and the handlers run.
void settle(double secs = 0.4) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(secs);
  while (std::chrono::steady_clock::now() < end) pump();
}

double seconds_Since(clk::time_point t) { return std::chrono::duration<double>(clk::now() - t).count(); }

std::string id_Of(Fl_Window* w) { return std::to_string(static_cast<unsigned long>(fl_xid(w))); }

// Red cells of the strip as drawn on the screen.
int red_Cells(platform::cFltkLogView& v) {
  Fl_Window* w = v.window();
  w->make_current();
  const int cell = v.bar_Cell();
  int red = 0;
  for (int i = 0; i < 16; ++i) {
    uchar px[3];
    const int x = v.bar_Left() + i * cell + cell / 2;
    if (x >= v.bar_Left() + 15 * cell) break;  // the strip is 15 cells wide
    fl_read_image(px, x, v.bar_Top() + 7, 1, 1);
    if (px[0] == 255 && px[1] == 0 && px[2] == 0) ++red;
  }
  return red;
}

void key_To(Fl_Window* w, const std::string& key) {
  x_Tool({"xdotool", "windowfocus", "--sync", id_Of(w), "key", key}, pump);
}

class LogWindow : public ::testing::Test {
protected:
  void SetUp() override {
    if (!platform::desktop_Built()) GTEST_SKIP() << "built without the desktop windows";
    if (!testsup::x_Display().ok()) GTEST_SKIP() << "no Xvfb and no DISPLAY";
    if (!testsup::have_Tool("xdotool") || !testsup::have_Tool("import")) GTEST_SKIP() << "xdotool/import missing";
  }
};

// For the timeouts that act in the middle of run_Until_Closed.
struct cAt {
  std::function<void()> f;
  static void run(void* p) { static_cast<cAt*>(p)->f(); }
};

}  // namespace

TEST_F(LogWindow, LinesHomeToTheTopAndClear) {
  platform::cFltkLogView v;
  FormInfo f(v);
  for (int i = 1; i <= 120; ++i) f.log_Msg("строка " + std::to_string(i));
  f.log_Msg("две\r\nстроки");
  const std::string head = "строка 1\nстрока 2\n";
  EXPECT_EQ(v.text().substr(0, head.size()), head);
  const std::string tail = "строка 120\nдве\nстроки\n";
  EXPECT_EQ(v.text().substr(v.text().size() - tail.size()), tail);
  EXPECT_GT(v.top_Line(), 50);  // follows the newest line
  screenshot("log_window_lines", fl_xid(v.window()), pump);

  f.log_Msg("<HOME!>");
  settle();
  EXPECT_EQ(v.top_Line(), 1);
  EXPECT_EQ(v.window()->w(), 1024);  // maximised over the work area
  screenshot("log_window_home", 0, pump);

  f.log_Msg("<CLEAR!>");
  EXPECT_EQ(v.text(), "");
}

TEST_F(LogWindow, CountdownStripTicksAndTheWindowCloses) {
  platform::cFltkLogView v;
  FormInfo f(v);
  f.log_Msg("готово");
  f.flagFinished = true;
  int redSeen = -1, redModel = -1;
  bool shown = false;
  cAt grab{[&] {
    // A tick may have changed the strip without its redraw yet: draw first,
    // so that the screen and the model are read in the same state.
    Fl::flush();
    shown = v.bar_Shown();
    redSeen = red_Cells(v);
    redModel = 0;
    for (bool r : f.bar()) redModel += r;
    screenshot("log_window_countdown", fl_xid(v.window()));
  }};
  // Between the fourth and fifth tick, away from a redraw.
  Fl::add_timeout(1.35, cAt::run, &grab);
  const auto start = clk::now();
  f.log_Msg("<TIMER!>");
  f.run_Until_Closed();
  const double took = seconds_Since(start);
  EXPECT_TRUE(f.quitting());
  EXPECT_TRUE(shown);
  // 1.35 s into 16 ticks of 0.3 s: the strip began with 15 red cells and lost
  // about four; the screen shows what the countdown counted.
  EXPECT_EQ(redSeen, redModel);
  EXPECT_GE(redSeen, 5);
  EXPECT_LE(redSeen, 14);
  EXPECT_GT(took, 4.5);
  EXPECT_LT(took, 12.0);
}

TEST_F(LogWindow, ClickOnTheStripKeepsTheWindowUntilEsc) {
  platform::cFltkLogView v;
  FormInfo f(v);
  f.flagFinished = true;
  bool stillOpen = false;
  cAt click{[&] {
    const int x = v.bar_Left() + 2 * v.bar_Cell(), y = v.bar_Top() + 5;
    x_Tool({"xdotool", "mousemove", "--window", id_Of(v.window()), std::to_string(x), std::to_string(y), "click", "1"});
  }};
  cAt later{[&] {
    stillOpen = !f.quitting() && !f.timerEnabled() && !v.bar_Shown();
    screenshot("log_window_stopped", fl_xid(v.window()));
    key_To(v.window(), "Escape");
  }};
  Fl::add_timeout(0.8, cAt::run, &click);
  Fl::add_timeout(6.0, cAt::run, &later);
  f.log_Msg("<TIMER!>");
  f.run_Until_Closed();
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(f.quitting());
}

// Work on the same thread lets the window's events run: a close request
// during the work is refused, so is one while busy; the countdown ticks on.
TEST_F(LogWindow, CloseRulesWhileWorkRuns) {
  platform::cFltkLogView v;
  FormInfo f(v);
  auto work = [&](double secs) {
    const auto t = clk::now();
    for (int i = 0; seconds_Since(t) < secs && !f.quitting(); ++i) {
      f.log_Msg("шаг " + std::to_string(i));
      std::this_thread::sleep_for(20ms);
    }
  };
  key_To(v.window(), "Escape");
  work(0.3);
  v.window()->do_callback();  // the system close button
  work(0.3);
  EXPECT_FALSE(f.quitting());  // not finished

  f.flagFinished = true;
  f.flagBusy = true;
  key_To(v.window(), "Escape");
  work(0.3);
  EXPECT_FALSE(f.quitting());  // busy

  f.flagBusy = false;
  f.log_Msg("<TIMER!>");
  const auto t = clk::now();
  work(10);  // no key: the countdown ends the run while the work goes on
  EXPECT_TRUE(f.quitting());
  EXPECT_GT(seconds_Since(t), 4.5);
}

TEST_F(LogWindow, EscClosesAFinishedIdleWindow) {
  platform::cFltkLogView v;
  FormInfo f(v);
  f.flagFinished = true;
  f.log_Msg("<HOME!>");
  cAt esc{[&] { key_To(v.window(), "Escape"); }};
  Fl::add_timeout(0.5, cAt::run, &esc);
  const auto t = clk::now();
  f.run_Until_Closed();
  EXPECT_TRUE(f.quitting());
  EXPECT_LT(seconds_Since(t), 5.0);
}

// ------------------------------------------------------------------ brisk runs

namespace {

void replace_All(std::string& s, const std::string& from, const std::string& to) {
  for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size()) s.replace(p, from.size(), to);
}

// The log file with its time stamps and scratch folders made neutral.
std::string neutral_Log(const testsup::cScratch& tmp, const testsup::cScratch& work) {
  std::string log = text_Of(tmp.file("brisk.log"));
  replace_All(log, tmp.path(), "TMP/");
  replace_All(log, work.path(), "WORK/");
  if (log.size() > 2 && log[0] == '\r') log.replace(1, log.find('\r', 1) - 1, "STAMP");
  return log;
}

std::vector<unsigned long> wait_For_Window(const std::string& pattern, double secs = 10) {
  const auto t = clk::now();
  std::vector<unsigned long> ids;
  while ((ids = find_Windows(pattern)).empty() && seconds_Since(t) < secs) std::this_thread::sleep_for(100ms);
  return ids;
}

std::vector<std::string> window_Env(const std::string& view) {
  std::vector<std::string> e = testsup::x_Display().env();
  e.push_back("SUITE_VIEW=" + view);
  return e;
}

}  // namespace

TEST_F(LogWindow, BriskShowsTheWindowClosesItselfAndLogsAsTheTerminalDoes) {
  const BB data = testsup::read_File(testsup::corpus("general/calgary/paper1"));
  testsup::cScratch tmpW, workW, tmpT, workT;
  testsup::write_File(workW.file("report.doc"), data);
  testsup::write_File(workT.file("report.doc"), data);

  // Not from a terminal, SUITE_VIEW unset: the rule picks the window.
  const auto start = clk::now();
  testsup::cChild c = testsup::start_Program("brisk", "-v " + workW.file("report.doc"), tmpW.path(), "", window_Env(""));
  const auto ids = wait_For_Window("^Brisk ");
  ASSERT_EQ(ids.size(), 1u);
  std::this_thread::sleep_for(1500ms);
  screenshot("brisk_countdown", ids[0]);
  testsup::cRun r = testsup::wait_Program(c, 20000);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GT(seconds_Since(start), 4.5);
  EXPECT_EQ(r.out, "");  // the lines went to the window
  EXPECT_TRUE(find_Windows("^Brisk ").empty());

  testsup::cRun t = testsup::run_Program("brisk", "-v " + workT.file("report.doc"), tmpT.path());
  EXPECT_EQ(t.status, 0);
  EXPECT_NE(t.out.find("Нет ошибок"), std::string::npos);
  EXPECT_EQ(neutral_Log(tmpW, workW), neutral_Log(tmpT, workT));
  EXPECT_NE(neutral_Log(tmpW, workW).find("Нет ошибок"), std::string::npos);
}

TEST_F(LogWindow, BriskFromATerminalOrForcedKeepsTheTerminalView) {
  testsup::cScratch tmp, work;
  testsup::write_File(work.file("a.txt"), BB(5000, 'z'));
  // SUITE_VIEW=terminal with a display.
  testsup::cRun r = testsup::run_Program("brisk", work.file("a.txt"), tmp.path(), "", window_Env("terminal"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Архив записан на диск. "), std::string::npos);
  // Started from a terminal (a pseudo-terminal from Python's pty), SUITE_VIEW unset.
  if (!testsup::have_Tool("python3")) GTEST_SKIP() << "python3 missing";
  testsup::cChild c = testsup::start_Tool({"python3", "-c", "import pty,sys; sys.exit(pty.spawn(sys.argv[1:]) >> 8)",
                                           std::string(SUITE_BIN_DIR) + "brisk", work.file("a.txt")},
                                          tmp.path(), window_Env(""));
  bool windowSeen = false;
  const auto t = clk::now();
  while (c.running() && seconds_Since(t) < 15) {
    if (!find_Windows("^Brisk ").empty()) windowSeen = true;
    std::this_thread::sleep_for(200ms);
  }
  r = testsup::wait_Program(c, 1000);
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(windowSeen);
  EXPECT_NE(r.out.find("Архив записан на диск. "), std::string::npos);
}

TEST_F(LogWindow, BriskKeepsTheWindowOpenAfterAnError) {
  testsup::cScratch tmp, work;
  testsup::cChild c = testsup::start_Program("brisk", work.file("nothing.txt"), tmp.path(), "", window_Env("window"));
  // The message box comes first, titled with the program's name.
  const auto box = wait_For_Window("^brisk$");
  ASSERT_EQ(box.size(), 1u);
  screenshot("brisk_error_box", 0);
  x_Tool({"xdotool", "windowfocus", "--sync", std::to_string(box[0]), "key", "Return"});
  const auto ids = wait_For_Window("^Brisk ");
  ASSERT_EQ(ids.size(), 1u);
  std::this_thread::sleep_for(6s);  // longer than a countdown
  EXPECT_TRUE(c.running());
  screenshot("brisk_error_kept_open", 0);
  x_Tool({"xdotool", "windowfocus", "--sync", std::to_string(ids[0]), "key", "Escape"});
  testsup::cRun r = testsup::wait_Program(c, 10000);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("====аргументы вызова"), std::string::npos);
}

TEST_F(LogWindow, StopCommandAndDragCaption) {
  platform::cFltkLogView v;
  FormInfo f(v);
  f.flagStopCommand = true;  // pek's "<STOP!>"
  f.log_Msg("<TIMER!>");
  f.timer_Tick();
  EXPECT_TRUE(v.bar_Shown());
  f.log_Msg("<STOP!>");
  EXPECT_FALSE(v.bar_Shown());
  EXPECT_FALSE(f.timerEnabled());
  EXPECT_NE(v.text().find("таймер остановлен\n"), std::string::npos);

  // Moving the mouse with the left button held renames the window.
  const std::string id = id_Of(v.window());
  settle();
  x_Tool({"xdotool", "mousemove", "--window", id, "100", "200", "mousedown", "1"}, pump);
  settle(0.2);
  x_Tool({"xdotool", "mousemove", "--window", id, "160", "240"}, pump);
  settle(0.2);
  x_Tool({"xdotool", "mouseup", "1"}, pump);
  settle(0.2);
  EXPECT_STREQ(v.window()->label(), "drag");
}

// Message boxes of a window run are dialogs; Return, Esc and the close
// button give the answer that loses nothing, a click the other one.
TEST_F(LogWindow, DialogBoxesAnswerSafelyUnlessClicked) {
  platform::cFltkMsgBox box;
  platform::set_ProgramName("brisk");
  int tries = 0;  // a dialog that never shows fails the test instead of hanging it
  std::function<void(unsigned long)> act;
  cAt onDialog{[&] {
    const auto ids = find_Windows("^brisk$");
    if (ids.size() == 1)
      act(ids[0]);
    else if (++tries < 30)
      Fl::repeat_timeout(0.3, cAt::run, &onDialog);  // not mapped yet
    else if (Fl::modal())
      Fl::modal()->hide();
  }};
  auto ask = [&](bool safe, std::function<void(unsigned long)> how) {
    tries = 0;
    act = how;
    Fl::add_timeout(0.4, cAt::run, &onDialog);
    return box.ask_YesNo("Заменить файл?", "", safe);
  };
  auto key = [](const char* k) {
    return [k](unsigned long id) { x_Tool({"xdotool", "windowfocus", "--sync", std::to_string(id), "key", k}); };
  };
  for (bool safe : {true, false}) {
    EXPECT_EQ(ask(safe, key("Escape")), safe);
    EXPECT_EQ(ask(safe, [&](unsigned long id) {
                screenshot(safe ? "dialog_safe_yes" : "dialog_safe_no", id);
                x_Tool({"xdotool", "windowfocus", "--sync", std::to_string(id), "key", "Return"});
              }),
              safe);
    // The other answer's button: "Да" left, "Нет" right.
    const int x = safe ? 365 : 265;
    EXPECT_EQ(ask(safe,
                  [x](unsigned long id) {
                    x_Tool({"xdotool", "mousemove", "--window", std::to_string(id), std::to_string(x), "86", "click",
                            "1"});
                  }),
              !safe);
  }
  tries = 0;
  act = [](unsigned long id) { x_Tool({"xdotool", "windowfocus", "--sync", std::to_string(id), "key", "Return"}); };
  Fl::add_timeout(0.4, cAt::run, &onDialog);
  const auto t = clk::now();
  box.show("нет файла", "");
  EXPECT_LT(seconds_Since(t), 10.0);
}

// "<QUIT!>" (logging off) closes the window at once.
TEST_F(LogWindow, BriskWithoutLogClosesAtOnce) {
  testsup::cScratch tmp, work;
  testsup::write_File(work.file("a.txt"), BB(4000, 'q'));
  const auto t = clk::now();
  testsup::cRun r = testsup::run_Program("brisk", "-off " + work.file("a.txt"), tmp.path(), "", window_Env("window"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_LT(seconds_Since(t), 3.0);
  EXPECT_TRUE(std::filesystem::exists(tmp.file("brisk_out/a.txt-")));
}
