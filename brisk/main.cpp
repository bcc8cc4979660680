// brisk [switches] path: packs path into path-, or restores path- into path.
#include <string>

#include "ModuleBrisk.h"
#include "msg_box.h"

int main(int argc, char** argv) {
  platform::set_ProgramName("brisk");
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  platform::cTerminalLogView view;
  return brisk_Main(line, view);
}
