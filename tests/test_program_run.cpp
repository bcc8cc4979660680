// The run that every program's main flow shares, driven by a small program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/cProgramRun.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

class cLines : public platform::iLogView {
public:
  std::vector<std::string> lines;
  void show_Line(const std::string& l) override { lines.push_back(l); }
};

// Logs through the cFile callback, or throws what the toolkit throws.
class cTestRun : public cProgramRun {
public:
  explicit cTestRun(platform::iLogView& v) : cProgramRun(v, "test.log", {"баннер"}) {}
  std::string seenLine, seenPath;
  bool verbose = false;

private:
  void work(const std::string& line) override {
    seenLine = line;
    if (line.empty()) return;
    seenPath = path_Of(line);
    verbose = has_Switch(" -v ");
    set_Flag_Log(!has_Switch(" -off "));
    if (has_Switch(" -index ")) throw cIndexError("индекс вне массива");
    if (has_Switch(" -fail ")) fail();
    int32_t best = 0;
    file.setFlagLogPmd(true);
    file.zip_Auto(BB(50, 'x'), best, true);  // its progress lines reach the log when connected
  }
};

class ProgramRun : public ::testing::Test {
protected:
  void SetUp() override { setenv("TMPDIR", tmp.path().c_str(), 1); }
  // The scratch folders themselves are made under TMPDIR: put it back.
  void TearDown() override {
    if (oldTmp.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", oldTmp.c_str(), 1);
  }
  const std::string oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  testsup::cScratch tmp;
  platform::cScopedMsgCapture cap;
  cLines view;
};

bool has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

TEST_F(ProgramRun, SwitchesStandBeforeThePathAndTheLinkCarriesProgress) {
  cTestRun run(view);
  EXPECT_EQ(run.run("  -v  /x/y/file.dat  "), 0);
  EXPECT_EQ(run.seenLine, "-v  /x/y/file.dat");
  EXPECT_EQ(run.seenPath, "/x/y/file.dat");
  EXPECT_TRUE(run.verbose);
  ASSERT_GE(view.lines.size(), 2u);
  EXPECT_EQ(view.lines[0], "баннер");
  EXPECT_EQ(view.lines.back(), "___________________________\r\nавтоматически закроется через 5 сек");
  // The container's lines came through the callback.
  EXPECT_TRUE(std::any_of(view.lines.begin(), view.lines.end(), [](const std::string& l) { return l.rfind("4=", 0) == 0; }));

  cLines v2;
  cTestRun late(v2);
  late.run("/x/y/file.dat -v");  // after the path: not a switch
  EXPECT_FALSE(late.verbose);
}

TEST_F(ProgramRun, WithoutTheLogNothingComesThroughAndTheRunQuits) {
  cTestRun run(view);
  EXPECT_EQ(run.run("-off f"), 0);
  EXPECT_EQ(view.lines, std::vector<std::string>{"баннер"});  // "<QUIT!>" adds nothing
  EXPECT_NE(testsup::read_File(tmp.file("test.log")).size(), 0u);
}

TEST_F(ProgramRun, AnErrorThatEndsTheOperationIsLoggedAndFailsTheRun) {
  cTestRun run(view);
  EXPECT_EQ(run.run("-index f"), 1);
  EXPECT_TRUE(has(view.lines, "ошибка: индекс вне массива"));
  EXPECT_TRUE(cap.box.saw("ошибка: индекс вне массива"));
  EXPECT_EQ(view.lines.back(), "ошибка: индекс вне массива");  // kept open: no countdown

  cLines v2;
  cTestRun failing(v2);
  EXPECT_EQ(failing.run("-fail f"), 1);
  EXPECT_FALSE(has(v2.lines, "___________________________\r\nавтоматически закроется через 5 сек"));
}

TEST_F(ProgramRun, TheLogFileGetsTheWholeRun) {
  cTestRun run(view);
  run.run("f");
  const BB log = testsup::read_File(tmp.file("test.log"));
  const std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("\rбаннер\r"), std::string::npos);
  EXPECT_NE(text.find("автоматически закроется через 5 сек"), std::string::npos);
}
