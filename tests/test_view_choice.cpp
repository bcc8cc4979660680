// When the programs show desktop windows and when they keep the terminal.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/desktop.h"
#include "support/test_support.h"

using testsup::text_Of;
#include "support/x_display.h"

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

namespace {

// The value of `key=` in a desktop entry ("" when absent).
std::string entry_Value(const std::string& entry, const std::string& key) {
  const size_t p = entry.find("\n" + key + "=");
  if (p == std::string::npos) return "";
  const size_t b = p + key.size() + 2;
  return entry.substr(b, entry.find('\n', b) - b);
}

}  // namespace

// A file manager opens one file with a program: Exec takes %f, no terminal,
// and the types it is offered for.
TEST(DesktopEntries, EachProgramTakesOneFileOfItsTypes) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> want = {
      {"brisk", {"application/octet-stream"}},
      {"pek", {"image/gif", "image/bmp", "image/png", "image/jpeg", "application/x-pek"}},
      {"nox", {"text/plain", "text/html"}}};
  for (const auto& [program, types] : want) {
    const std::string e = text_Of(std::string(SUITE_SOURCE_DIR) + "desktop/" + program + ".desktop");
    ASSERT_EQ(e.rfind("[Desktop Entry]\n", 0), 0u) << program;
    EXPECT_EQ(entry_Value(e, "Type"), "Application") << program;
    EXPECT_EQ(entry_Value(e, "Exec"), program + " %f");
    EXPECT_EQ(entry_Value(e, "Terminal"), "false") << program;
    const std::string mime = entry_Value(e, "MimeType");
    EXPECT_EQ(mime.back(), ';') << program;
    for (const auto& t : types) EXPECT_NE((";" + mime).find(";" + t + ";"), std::string::npos) << program << " " << t;
  }
  const std::string xml = text_Of(std::string(SUITE_SOURCE_DIR) + "desktop/suite-mime.xml");
  EXPECT_NE(xml.find("<mime-type type=\"application/x-pek\">"), std::string::npos);
  EXPECT_NE(xml.find("<glob pattern=\"*.pek\"/>"), std::string::npos);
}

TEST(DesktopEntries, InstallPutsProgramsHelpAndEntriesInPlace) {
  if (!testsup::have_Tool("cmake")) GTEST_SKIP() << "cmake missing";
  testsup::cScratch tmp, prefix;
  testsup::cChild c = testsup::start_Tool(
      {"cmake", "--install", std::string(SUITE_BIN_DIR) + "..", "--prefix", prefix.path()}, tmp.path());
  testsup::cRun r = testsup::wait_Program(c, 60000);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* f : {"bin/brisk", "bin/brisk.htm", "share/applications/brisk.desktop",
                        "share/mime/packages/suite-mime.xml"})
    EXPECT_TRUE(std::filesystem::exists(prefix.file(f))) << f;
  EXPECT_EQ(text_Of(prefix.file("share/applications/brisk.desktop")),
            text_Of(std::string(SUITE_SOURCE_DIR) + "desktop/brisk.desktop"));
  // Only programs this build made get an entry.
  for (const char* p : {"pek", "nox"})
    EXPECT_EQ(std::filesystem::exists(prefix.file(std::string("bin/") + p)),
              std::filesystem::exists(prefix.file(std::string("share/applications/") + p + ".desktop")));
}
