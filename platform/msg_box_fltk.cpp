#include "msg_box_fltk.h"

#include <FL/fl_ask.H>

namespace platform {

namespace {
std::string title_Of(const std::string& title) { return title.empty() ? program_Name() : title; }

// The dialogs' buttons speak the programs' language.
void russian_Buttons() {
  fl_close = "Закрыть";
  fl_ok = "OK";
  fl_yes = "Да";
  fl_no = "Нет";
}

}  // namespace

void cFltkMsgBox::show(const std::string& text, const std::string& title) {
  russian_Buttons();
  fl_message_title(title_Of(title).c_str());
  fl_message("%s", text.c_str());
}

bool cFltkMsgBox::ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) {
  russian_Buttons();
  fl_message_title(title_Of(title).c_str());
  // Esc and the close button give button 0: that is the safe answer.
  if (safeDefault) return fl_choice("%s", "Да", "Нет", nullptr, text.c_str()) == 0;
  return fl_choice("%s", "Нет", "Да", nullptr, text.c_str()) == 1;
}

}  // namespace platform
