// The desktop form of the log window: one FLTK window with the multi-line
// text and, during the countdown, the strip of 16 cells at its top. All of it
// runs on the program's one thread: FormInfo lets events run through
// pump_Events (a toolkit event check) and waits through wait_Key.
#pragma once
#include <memory>
#include <string>

#include "log_view.h"

class Fl_Window;

namespace platform {

class cFltkLogView : public iLogView {
public:
  // Opens the window at once (the programs show it before they start work).
  explicit cFltkLogView(const std::string& caption = "Brisk Архиватор круче RAR/7z");
  ~cFltkLogView() override;

  void show_Line(const std::string& line) override;
  void clear_Text() override;
  void bring_Front(bool caretAtEnd) override;
  void draw_Bar(const std::array<bool, 16>& red) override;
  void hide_Bar() override;
  bool interactive() const override { return true; }
  eKey wait_Key(int ms) override;
  eKey pump_Events() override;

  // For tests and for windows that sit beside it.
  Fl_Window* window() const;
  std::string text() const;
  bool bar_Shown() const;
  // Strip geometry inside the window: cell width and the cells' left edge.
  int bar_Cell() const;
  int bar_Left() const;
  int bar_Top() const;
  // The first visible line of the text (1 = scrolled to the top).
  int top_Line() const;

  struct cImpl;

private:
  std::unique_ptr<cImpl> p_;
};

}  // namespace platform
