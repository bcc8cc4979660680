// Which log view a run gets. A program started from a file manager or by a
// file dropped on its icon has no terminal: it shows desktop windows when a
// display is there. Started from a terminal it keeps the terminal view. The
// environment variable SUITE_VIEW forces either: "window" or "terminal".
#pragma once
#include <memory>
#include <string>

#include "log_view.h"

namespace platform {

enum class eViewKind { terminal, window };

// The rule itself: `forced` is the value of SUITE_VIEW ("" when unset; other
// values count as unset). A window needs a display even when forced.
eViewKind choose_View(const std::string& forced, bool displayUsable, bool fromTerminal);
// True when stdin, stdout or stderr is a terminal.
bool started_From_Terminal();

// The view for this run; with the window, message boxes become desktop
// dialogs too. Asks the X server only when the rule needs to know. The
// caption is the log window's (each program has its own).
std::unique_ptr<iLogView> make_LogView(const std::string& caption = "Brisk Архиватор круче RAR/7z");
// Whether this build has the desktop windows at all.
bool desktop_Built();

}  // namespace platform
