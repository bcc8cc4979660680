// brisk [switches] path: packs path into path-, or restores path- into path.
#include <string>

#include "ModuleBrisk.h"
#include "platform/desktop.h"
#include "platform/msg_box.h"

int main(int argc, char** argv) {
  // Messages and the per-user setting go under the executable's name.
  std::string self = argc > 0 ? argv[0] : "brisk";
  platform::set_ProgramName(self.substr(self.rfind('/') + 1));
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  // A desktop window unless started from a terminal (SUITE_VIEW forces either).
  std::unique_ptr<platform::iLogView> view = platform::make_LogView();
  return brisk_Main(line, *view);
}
