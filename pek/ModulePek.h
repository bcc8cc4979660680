// ModulePek: the main flow of the image converter. A name that ends in
// ".pek" is decoded into name + ".bmp", "*" decodes every PEK file of the
// current folder, and any other picture is converted into name + ".pek".
#pragma once
#include <string>

#include "platform/log_view.h"

class cPekWindows;

// Runs the whole job for one command line (the program's arguments joined
// with blanks), drawing the log through `view`, and returns the exit status:
// 0 when the run succeeded, 1 when it failed. Returns once the log window has
// closed (at once when nobody can watch it). `windows` shows the previews
// and the colour editor (none: the terminal view).
// pathArg: the input path as one argument (it may hold blanks); "" takes the
// text after the command line's last blank.
int pek_Main(const std::string& commandLine, platform::iLogView& view, cPekWindows* windows = nullptr,
             const std::string& pathArg = "");
