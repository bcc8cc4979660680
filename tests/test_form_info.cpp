#include <gtest/gtest.h>

#include "core/FormInfo.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

// A view that records what it is asked to draw.
class cFakeView : public platform::iLogView {
public:
  std::vector<std::string> lines;
  int bars = 0, fronts = 0;
  void show_Line(const std::string& l) override { lines.push_back(l); }
  void bring_Front(bool) override { ++fronts; }
  void draw_Bar(const std::array<bool, 16>&) override { ++bars; }
};

std::string file_Text(const std::string& path) {
  BB b = testsup::read_File(path);
  return std::string(b.begin(), b.end());
}

}  // namespace

TEST(FormInfo, CommandsActAndOtherLettersAreText) {
  cFakeView v;
  FormInfo f(v);
  f.log_Msg("<HOME!>");
  f.log_Msg("<END!>");
  f.log_Msg("<home!>");
  f.log_Msg("<STOP!>");  // only pek knows this command
  EXPECT_EQ(v.fronts, 2);
  EXPECT_EQ(f.text(), "<home!>\r\n<STOP!>\r\n");
}

TEST(FormInfo, LogFileRecordsAndTheWindowLimit) {
  testsup::cScratch dir;
  cFakeView v;
  FormInfo f(v);
  f.logPath = dir.file("brisk.log");
  f.clock = [] { return "12:00:00 08.12.2026"; };
  f.log_Msg("первая");
  f.log_Msg("вторая");
  f.log_Msg("<CLEAR!>");
  EXPECT_EQ(f.text(), "");
  EXPECT_EQ(file_Text(f.logPath), "\r12:00:00 08.12.2026\rпервая\rвторая\r\r\r\n");

  // A line that would pass 65500 characters first moves the old text out.
  f.log_Msg(std::string(40000, 'a'));
  f.log_Msg(std::string(30000, 'b'));
  EXPECT_EQ(f.text(), std::string(30000, 'b') + "\r\n");
  std::string logged = file_Text(f.logPath);
  EXPECT_NE(logged.find(std::string(40000, 'a')), std::string::npos);
  // Characters, not bytes, are counted: 30000 Cyrillic letters are 60000 bytes.
  FormInfo g(v);
  g.log_Msg(std::string(60000, 'x'));
  std::string cyr;
  for (int i = 0; i < 5000; ++i) cyr += "ж";
  g.log_Msg(cyr);
  EXPECT_EQ(g.text().size(), 60002u + cyr.size() + 2);
}

TEST(FormInfo, CountdownHasSixteenTicksThenQuits) {
  cFakeView v;
  FormInfo f(v);
  int quits = 0;
  f.onQuit = [&] { ++quits; };
  f.log_Msg("<TIMER!>");
  EXPECT_EQ(f.text(), "___________________________\r\nавтоматически закроется через 5 сек\r\n");
  EXPECT_EQ(f.timerInterval(), 315);
  int ticks = 0;
  while (f.timerEnabled()) {
    f.timer_Tick();
    ++ticks;
    if (ticks == 1) {
      EXPECT_TRUE(f.barLoaded());
      int red = 0;
      for (bool r : f.bar()) red += r;
      EXPECT_EQ(red, 15);  // starts with 15 red cells
    }
  }
  EXPECT_EQ(ticks, 16);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(v.bars, 15);
}

TEST(FormInfo, ClickOnStripStopsCountdownAndCloseRulesHold) {
  cFakeView v;
  FormInfo f(v);
  f.log_Msg("<TIMER!>");
  f.timer_Tick();
  f.timer_Tick();
  f.bar_Clicked();
  EXPECT_FALSE(f.timerEnabled());
  EXPECT_FALSE(f.quitting());

  EXPECT_FALSE(f.query_Unload());  // work not finished
  f.flagFinished = true;
  f.flagBusy = true;
  EXPECT_FALSE(f.query_Unload());
  f.flagBusy = false;
  EXPECT_TRUE(f.query_Unload());
  EXPECT_TRUE(f.quitting());
}

TEST(FormInfo, WithoutATerminalTheEndDoesNotWait) {
  cFakeView v;
  FormInfo f(v);
  f.flagFinished = true;
  f.log_Msg("<TIMER!>");
  f.run_Until_Closed();
  EXPECT_TRUE(f.quitting());

  FormInfo g(v);
  g.flagFinished = true;
  g.log_Msg("<HOME!>");
  g.run_Until_Closed();
  EXPECT_TRUE(g.quitting());
}

TEST(FormInfo, QuitFlushesTheLogOnce) {
  testsup::cScratch dir;
  cFakeView v;
  FormInfo f(v);
  f.logPath = dir.file("x.log");
  f.log_Msg("строка");
  f.log_Msg("<QUIT!>");
  f.log_Msg("<QUIT!>");
  const std::string logged = file_Text(f.logPath);
  EXPECT_NE(logged.find("строка"), std::string::npos);
  EXPECT_EQ(logged.find("строка"), logged.rfind("строка"));
}

TEST(FormInfo, AFailedLogWriteIsReportedOnceAndTheWorkGoesOn) {
  testsup::cScratch dir;
  for (const std::string& path : {std::string("/dev/full"), dir.path()}) {  // no room; a folder
    platform::cScopedMsgCapture cap;
    cFakeView v;
    FormInfo f(v);
    f.logPath = path;
    f.log_Msg("a");
    f.flush_Log();
    f.log_Msg("b");
    f.flush_Log();
    EXPECT_EQ(cap.box.texts, std::vector<std::string>{"не могу записать лог=" + path}) << path;
    EXPECT_EQ(v.lines, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(f.text().empty());
  }
}
