#include "msg_box_fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>

namespace platform {

namespace {
std::string title_Of(const std::string& title) { return title.empty() ? program_Name() : title; }

// The dialogs' buttons speak the programs' language.
void russian_Buttons() {
  fl_close = "Закрыть";
  fl_ok = "OK";
}

}  // namespace

void cFltkMsgBox::show(const std::string& text, const std::string& title) {
  russian_Buttons();
  fl_message_title(title_Of(title).c_str());
  fl_message("%s", text.c_str());
}

bool cFltkMsgBox::ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) {
  // Return, Esc and the close button all give the safe answer; only a click
  // (or Tab and Space) on the other button gives the other.
  const std::string caption = title_Of(title);
  Fl_Window win(420, 110, caption.c_str());
  Fl_Box msg(10, 10, 400, 50, text.c_str());
  msg.align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_WRAP);
  Fl_Button* yes = nullptr;
  Fl_Button* no = nullptr;
  if (safeDefault) {
    yes = new Fl_Return_Button(220, 72, 90, 28, "Да");
    no = new Fl_Button(320, 72, 90, 28, "Нет");
  } else {
    yes = new Fl_Button(220, 72, 90, 28, "Да");
    no = new Fl_Return_Button(320, 72, 90, 28, "Нет");
  }
  win.end();
  int answer = -1;  // -1 open, 0 no, 1 yes
  yes->callback([](Fl_Widget*, void* a) { *static_cast<int*>(a) = 1; }, &answer);
  no->callback([](Fl_Widget*, void* a) { *static_cast<int*>(a) = 0; }, &answer);
  struct cSafe {
    int* answer;
    bool safe;
  } safe{&answer, safeDefault};
  win.callback([](Fl_Widget*, void* s) { *static_cast<cSafe*>(s)->answer = static_cast<cSafe*>(s)->safe; }, &safe);
  win.set_modal();
  win.show();
  while (answer < 0 && win.shown()) Fl::wait();
  win.hide();
  return answer < 0 ? safeDefault : answer == 1;
}

}  // namespace platform
