#include <unistd.h>

#include "desktop.h"

namespace platform {

eViewKind choose_View(const std::string& forced, bool displayUsable, bool fromTerminal) {
  if (forced == "terminal" || !displayUsable) return eViewKind::terminal;
  if (forced == "window") return eViewKind::window;
  return fromTerminal ? eViewKind::terminal : eViewKind::window;
}

bool started_From_Terminal() { return isatty(STDIN_FILENO) || isatty(STDOUT_FILENO) || isatty(STDERR_FILENO); }

}  // namespace platform
