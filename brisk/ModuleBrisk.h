// ModuleBrisk: the main flow of the general archiver.
#pragma once
#include <string>
#include <vector>

// Runs the whole job for one command line (the words after the program name,
// joined with blanks). Returns the process exit status.
int brisk_Main(const std::string& commandLine);
