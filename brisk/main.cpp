// brisk [switches] path: packs path into path-, or restores path- into path.
#include <string>

#include "ModuleBrisk.h"
#include "platform/desktop.h"
#include "platform/env.h"
#include "platform/msg_box.h"

int main(int argc, char** argv) {
  // Messages and the per-user setting go under the executable's name.
  std::string self = argc > 0 ? argv[0] : "brisk";
  platform::set_ProgramName(self.substr(self.rfind('/') + 1));
  const std::string line = platform::command_Line(argc, argv);
  // A desktop window unless started from a terminal (SUITE_VIEW forces either).
  std::unique_ptr<platform::iLogView> view = platform::make_LogView();
  // The arguments come split already: the last one is the path, blanks and all.
  return brisk_Main(line, *view, platform::last_Arg(argc, argv));
}
