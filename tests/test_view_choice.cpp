// When the programs show desktop windows and when they keep the terminal.
#include <gtest/gtest.h>

#include "platform/desktop.h"
#include "support/test_support.h"

using platform::choose_View;
using platform::eViewKind;

TEST(ViewChoice, TerminalOrDisplayDecideUnlessForced) {
  // Unset (or an unknown value): a window only with a display and no terminal.
  for (const char* unset : {"", "yes", "Window"}) {
    EXPECT_EQ(choose_View(unset, true, false), eViewKind::window) << unset;
    EXPECT_EQ(choose_View(unset, true, true), eViewKind::terminal) << unset;
    EXPECT_EQ(choose_View(unset, false, false), eViewKind::terminal) << unset;
  }
  EXPECT_EQ(choose_View("window", true, true), eViewKind::window);
  EXPECT_EQ(choose_View("window", false, false), eViewKind::terminal);  // nothing to show it on
  EXPECT_EQ(choose_View("terminal", true, false), eViewKind::terminal);
}

// Without a display a run from a file manager (no terminal on any stream)
// keeps the terminal view: every line on stdout, no countdown wait.
TEST(ViewChoice, WithoutADisplayTheRunStaysAsBefore) {
  testsup::cScratch tmp, work;
  const std::string src = work.file("a.txt");
  testsup::write_File(src, BB(3000, 'a'));
  for (const char* view : {"SUITE_VIEW=", "SUITE_VIEW=window"}) {
    testsup::cRun r = testsup::run_Program("brisk", src, tmp.path(), "", {view, "DISPLAY="});
    EXPECT_EQ(r.status, 0) << view << r.err;
    EXPECT_NE(r.out.find("Архив записан на диск. "), std::string::npos) << view;
    EXPECT_NE(r.out.find("автоматически закроется через 5 сек"), std::string::npos) << view;
  }
}
