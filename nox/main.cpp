// nox [switches] path: packs a Russian text into path.pi1, restores path.pi1,
// or with -dic builds the dictionaries from a folder of texts.
#include <memory>
#include <string>

#include "ModuleTextPre_flow.h"
#include "platform/desktop.h"
#include "platform/env.h"
#include "platform/msg_box.h"

int main(int argc, char** argv) {
  platform::set_ProgramName("nox");
  const std::string line = platform::command_Line(argc, argv);
  // A desktop window unless started from a terminal (SUITE_VIEW forces either).
  std::unique_ptr<platform::iLogView> view = platform::make_LogView();
  // The arguments come split already: the last one is the path, blanks and all.
  return nox_Main(line, *view, platform::last_Arg(argc, argv));
}
