#include "msg_box.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace platform {
namespace {

cStderrMsgBox g_stderrBox;
iMsgBox* g_box = &g_stderrBox;
std::string g_programName = "brisk";

std::string one_Line(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += " / ";
    } else {
      out += c;
    }
  }
  return out;
}

std::string prefix(const std::string& title) {
  std::string p = g_programName + ": ";
  if (!title.empty()) p += title + ": ";
  return p;
}

}  // namespace

void cStderrMsgBox::show(const std::string& text, const std::string& title) {
  std::fprintf(stderr, "%s%s\n", prefix(title).c_str(), one_Line(text).c_str());
  std::fflush(stderr);
}

bool cStderrMsgBox::ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) {
  const std::string line = prefix(title) + one_Line(text);
  if (!isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "%s [%s]\n", line.c_str(), safeDefault ? "да" : "нет");
    std::fflush(stderr);
    return safeDefault;
  }
  for (;;) {
    std::fprintf(stderr, "%s (да/нет, y/n) ", line.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return safeDefault;
    if (answer == "y" || answer == "Y" || answer == "да" || answer == "Да" || answer == "yes") return true;
    if (answer == "n" || answer == "N" || answer == "нет" || answer == "Нет" || answer == "no") return false;
  }
}

void cRecordingMsgBox::show(const std::string& text, const std::string&) { texts.push_back(text); }

bool cRecordingMsgBox::ask_YesNo(const std::string& text, const std::string&, bool safeDefault) {
  texts.push_back(text);
  if (answers.empty()) return safeDefault;
  bool a = answers.front();
  answers.erase(answers.begin());
  return a;
}

bool cRecordingMsgBox::saw(const std::string& fragment) const {
  for (const auto& t : texts)
    if (t.find(fragment) != std::string::npos) return true;
  return false;
}

iMsgBox& msgBox() { return *g_box; }
void set_MsgBox(iMsgBox* sink) { g_box = sink ? sink : &g_stderrBox; }
void set_ProgramName(const std::string& name) { g_programName = name; }
const std::string& program_Name() { return g_programName; }

}  // namespace platform
