// nox [switches] path: packs a Russian text into path.pi1, restores path.pi1,
// or with -dic builds the dictionaries from a folder of texts.
#include <string>

#include "ModuleTextPre_flow.h"
#include "platform/msg_box.h"

int main(int argc, char** argv) {
  platform::set_ProgramName("nox");
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  platform::cTerminalLogView view;
  return nox_Main(line, view);
}
