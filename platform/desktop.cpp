// make_LogView: the desktop window when this build has it and the rule picks
// it, the terminal view otherwise.
#include <cstdlib>

#include "desktop.h"

#ifdef SUITE_HAVE_FLTK
#include <FL/x.H>

#include "log_view_fltk.h"
#include "msg_box_fltk.h"
#endif

namespace platform {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

#ifdef SUITE_HAVE_FLTK
// A DISPLAY that names a server we can open (the toolkit would end the
// process on one it cannot). The connection is kept and handed to the
// toolkit: a server whose last client leaves resets and refuses the next.
Display* g_display = nullptr;

bool display_Usable() {
  if (env("DISPLAY").empty()) return false;
  if (!g_display) g_display = XOpenDisplay(nullptr);
  return g_display != nullptr;
}
#endif

}  // namespace

bool desktop_Built() {
#ifdef SUITE_HAVE_FLTK
  return true;
#else
  return false;
#endif
}

std::unique_ptr<iLogView> make_LogView(const std::string& caption) {
  (void)caption;  // only the window has one
#ifdef SUITE_HAVE_FLTK
  const std::string forced = env("SUITE_VIEW");
  const bool fromTerminal = started_From_Terminal();
  // Ask the server only when its answer can change the choice.
  const bool asks = forced == "window" || (forced != "terminal" && !fromTerminal);
  if (asks && choose_View(forced, display_Usable(), fromTerminal) == eViewKind::window) {
    fl_open_display(g_display);
    static cFltkMsgBox box;
    set_MsgBox(&box);
    return std::make_unique<cFltkLogView>(caption);
  }
#endif
  return std::make_unique<cTerminalLogView>();
}

}  // namespace platform
