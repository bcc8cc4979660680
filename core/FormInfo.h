// FormInfo: the log window of every program, with its countdown strip
// FormBar. It keeps the whole log of the run (moving older text to the log
// file before it passes 65500 characters), obeys the log commands, counts the
// five-second countdown down and decides when the window may close. Drawing
// and keys go through a platform::iLogView, so tests drive it without one.
#pragma once
#include <array>
#include <chrono>
#include <functional>
#include <string>

#include "platform/log_view.h"

class FormInfo {
public:
  explicit FormInfo(platform::iLogView& view);

  // Commands are exact, case-sensitive strings; anything else is a log line.
  void log_Msg(const std::string& sMsg);
  // Appends the window text to the log file as one record and empties it.
  // A failed write is reported once per run and never stops the work.
  void flush_Log();

  // The log file ("" = none) and whether "<STOP!>" is a command here (pek).
  std::string logPath;
  bool flagStopCommand = false;
  // Run flags of the main module: close is allowed only when finished and not busy.
  bool flagFinished = false;
  bool flagBusy = false;
  // Called once when the program ends (disconnect, flush, release).
  std::function<void()> onQuit;

  const std::string& text() const { return text_; }
  bool quitting() const { return quit_; }

  // ------------------------------------------------------------- timer and strip
  bool timerEnabled() const { return timerOn_; }
  int timerInterval() const { return interval_; }
  // One tick of Timer1; ends the program when the interval drops below 300.
  void timer_Tick();
  // The strip: label i is red when i < k of the last tick.
  const std::array<bool, 16>& bar() const { return bar_; }
  bool barLoaded() const { return barLoaded_; }
  // A key or a click on the strip: the countdown stops, the window stays.
  void bar_Clicked();

  // ------------------------------------------------------------- closing
  // Close request (system close button, Esc): true when it was allowed.
  bool query_Unload();
  void quit_App();

  // After the final command: lets the user watch the countdown or the kept-
  // open window on a terminal; returns at once when nobody can watch.
  void run_Until_Closed();

  // Time stamp used in log records (replaceable by tests).
  std::function<std::string()> clock;

private:
  void append_Text(const std::string& sMsg);
  // Lets pending window events run: a close request or a click on the strip
  // that arrived is acted on, and a due countdown tick is taken, so the
  // window stays alive while the work runs on this thread.
  void events();
  void start_Timer(int interval);

  platform::iLogView& view_;
  std::string text_;
  size_t textChars_ = 0;
  int interval_ = 300;
  bool timerOn_ = false;
  bool barLoaded_ = false;
  std::array<bool, 16> bar_{};
  bool quit_ = false;
  bool logFailed_ = false;  // a failed log write was reported
  bool inEvents_ = false;
  std::chrono::steady_clock::time_point lastTick_{};
};
