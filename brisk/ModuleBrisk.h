// ModuleBrisk: the main flow of the general archiver. A name that ends in
// "-" is an archive and is restored; any other name is packed into name + "-".
#pragma once
#include <string>

#include "platform/log_view.h"

// Runs the whole job for one command line (the program's arguments joined
// with blanks), drawing the log through `view`, and returns the exit status:
// 0 when the run succeeded, 1 when it failed. Returns once the log window has
// closed (at once when nobody can watch it).
int brisk_Main(const std::string& commandLine, platform::iLogView& view);
