// pek [switches] path: converts a picture into path.pek, or decodes
// path.pek into path.pek.bmp; "*" decodes every PEK file of the folder.
#include <memory>
#include <string>

#include "ModulePek.h"
#include "platform/desktop.h"
#include "platform/env.h"
#include "platform/msg_box.h"

#ifdef PEK_HAVE_WINDOWS
#include "FormPek.h"
#include "platform/log_view_fltk.h"
#endif

int main(int argc, char** argv) {
  // Messages and the per-user setting go under the executable's name.
  std::string self = argc > 0 ? argv[0] : "pek";
  platform::set_ProgramName(self.substr(self.rfind('/') + 1));
  const std::string line = platform::command_Line(argc, argv);
  // A desktop window unless started from a terminal (SUITE_VIEW forces either);
  // with it come the preview windows and the colour editor.
  std::unique_ptr<platform::iLogView> view = platform::make_LogView("Pek конвертер картинок в pek и обратно в bmp");
#ifdef PEK_HAVE_WINDOWS
  if (dynamic_cast<platform::cFltkLogView*>(view.get())) {
    cPekDesktop windows;
    return pek_Main(line, *view, &windows, platform::last_Arg(argc, argv));
  }
#endif
  // The arguments come split already: the last one is the path, blanks and all.
  return pek_Main(line, *view, nullptr, platform::last_Arg(argc, argv));
}
