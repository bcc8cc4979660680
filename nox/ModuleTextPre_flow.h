// The main flow of nox: a text or HTML file is packed into name + ".pi1"
// (encoding -> Windows-1251, reformatting, word codes, one container), an
// archive whose command line ends in ".pi1" is restored, and " -dic " builds
// the dictionaries from a folder of sample texts.
#pragma once
#include <string>

#include "platform/log_view.h"

// What the command line asks for.
struct cNoxCommand {
  std::string line;     // the trimmed command line
  std::string name;     // the text after the last blank
  std::string charset;  // encoding hint: "", "uni", "utf", "dos", "koi" or "win"
  bool flagPre = false;
  bool flagDic = false;
  bool flagRestore = false;  // the line ends in ".pi1" (exact case)
};
cNoxCommand read_Command(const std::string& commandLine);

// Runs the whole job and returns the exit status: 0 on success, 1 when the
// run failed (missing input, damaged archive, wrong dictionary, ...).
// pathArg: the input path as one argument (it may hold blanks); "" takes the
// text after the command line's last blank.
int nox_Main(const std::string& commandLine, platform::iLogView& view, const std::string& pathArg = "");
