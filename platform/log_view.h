// How a log window is drawn. The window's logic (text, commands, log file,
// countdown arithmetic, close rules) lives in FormInfo; a view only shows
// what it is told and reports the user's keys. The terminal view prints each
// line as it arrives; the desktop window (log_view_fltk.h) keeps the text.
#pragma once
#include <array>
#include <string>

namespace platform {

enum class eKey { none, esc, enter, other };

class iLogView {
public:
  virtual ~iLogView() = default;
  // A line was appended to the window (it may hold CR LF inside).
  virtual void show_Line(const std::string& line) = 0;
  // The window text was moved to the log file and emptied.
  virtual void clear_Text() {}
  // The window was brought to the front ("<HOME!>" / "<END!>").
  virtual void bring_Front(bool caretAtEnd) { (void)caretAtEnd; }
  // The countdown strip: 16 cells, true = red.
  virtual void draw_Bar(const std::array<bool, 16>& red) { (void)red; }
  virtual void hide_Bar() {}
  // Whether someone can watch and answer: without that the countdown and
  // the kept-open window do not wait.
  virtual bool interactive() const { return false; }
  // Waits up to `ms` milliseconds for a key (0: just polls).
  virtual eKey wait_Key(int ms) { (void)ms; return eKey::none; }
  // Lets pending window events run (repaint, clicks) without waiting and
  // returns what the user asked meanwhile: esc for Esc or the close button,
  // other for a click or key on the strip. The terminal reads nothing here.
  virtual eKey pump_Events() { return eKey::none; }
};

// Prints lines to stdout; draws the strip and reads keys when stdin and
// stdout are both terminals.
class cTerminalLogView : public iLogView {
public:
  cTerminalLogView();
  ~cTerminalLogView() override;
  void show_Line(const std::string& line) override;
  void bring_Front(bool caretAtEnd) override;
  void draw_Bar(const std::array<bool, 16>& red) override;
  void hide_Bar() override;
  bool interactive() const override { return tty_; }
  eKey wait_Key(int ms) override;

private:
  bool tty_ = false;
  bool barShown_ = false;
};

}  // namespace platform
