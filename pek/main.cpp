// pek [switches] path: converts a picture into path.pek, or decodes
// path.pek into path.pek.bmp; "*" decodes every PEK file of the folder.
#include <string>

#include "ModulePek.h"
#include "platform/msg_box.h"

int main(int argc, char** argv) {
  // Messages and the per-user setting go under the executable's name.
  std::string self = argc > 0 ? argv[0] : "pek";
  platform::set_ProgramName(self.substr(self.rfind('/') + 1));
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  // The one place the view is chosen: the terminal log for now.
  platform::cTerminalLogView view;
  return pek_Main(line, view);
}
