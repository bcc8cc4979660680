#include "FormInfo.h"

#include <cstdio>
#include <ctime>

#include "platform/msg_box.h"
#include "platform/utf8.h"

namespace {

const size_t kMaxWindowChars = 65500;

std::string now_Stamp() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%H:%M:%S %d.%m.%Y", &tm);
  return buf;
}

}  // namespace

FormInfo::FormInfo(platform::iLogView& view) : clock(now_Stamp), view_(view) {}

void FormInfo::log_Msg(const std::string& sMsg) {
  if (sMsg == "<HOME!>" || sMsg == "<END!>") {
    view_.bring_Front(sMsg == "<END!>");
    return;
  }
  if (sMsg == "<CLEAR!>") {
    flush_Log();
    events();
    return;
  }
  if (sMsg == "<TIMER!>") {
    start_Timer(315);
    append_Text("___________________________\r\nавтоматически закроется через 5 сек");
    return;
  }
  if (sMsg == "<QUIT!>") {
    quit_App();
    return;
  }
  if (flagStopCommand && sMsg == "<STOP!>") {
    interval_ = 300;
    timerOn_ = false;
    barLoaded_ = false;
    view_.hide_Bar();
    append_Text("таймер остановлен");
    return;
  }
  append_Text(sMsg);
}

void FormInfo::append_Text(const std::string& sMsg) {
  const size_t n = platform::utf8_Chars(sMsg);
  if (n + textChars_ > kMaxWindowChars) flush_Log();
  events();
  text_ += sMsg;
  text_ += "\r\n";
  textChars_ += n + 2;
  view_.show_Line(sMsg);
  events();
}

void FormInfo::flush_Log() {
  if (logPath.find_first_not_of(' ') != std::string::npos) {
    // One record: CR, time and date, CR, the text with CR LF turned into CR,
    // CR, then CR LF.
    std::string body;
    body.reserve(text_.size());
    for (size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;  // CR LF -> CR
      body += text_[i] == '\n' && i > 0 && text_[i - 1] == '\r' ? '\r' : text_[i];
    }
    std::string record = "\r" + clock() + "\r" + body + "\r\r\n";
    FILE* f = std::fopen(logPath.c_str(), "ab");
    bool ok = f != nullptr;
    if (f) {
      ok = std::fwrite(record.data(), 1, record.size(), f) == record.size();
      ok = std::fclose(f) == 0 && ok;
    }
    // The work goes on without its log file; the user hears of it once.
    if (!ok && !logFailed_) {
      logFailed_ = true;
      platform::msg("не могу записать лог=" + logPath);
    }
  }
  text_.clear();
  textChars_ = 0;
  view_.clear_Text();
  events();
}

void FormInfo::start_Timer(int interval) {
  interval_ = interval;
  timerOn_ = true;
  lastTick_ = std::chrono::steady_clock::now();
}

void FormInfo::events() {
  if (inEvents_ || quit_) return;  // a handler that logs must not re-enter
  inEvents_ = true;
  const platform::eKey k = view_.pump_Events();
  if (k == platform::eKey::esc)
    query_Unload();
  else if (k != platform::eKey::none && (timerOn_ || barLoaded_))
    bar_Clicked();
  if (timerOn_ && !quit_ && view_.interactive() &&
      std::chrono::steady_clock::now() - lastTick_ >= std::chrono::milliseconds(300)) {
    timer_Tick();
  }
  inEvents_ = false;
}

void FormInfo::timer_Tick() {
  timerOn_ = false;
  const int k = interval_ - 300;
  if (k == 15) barLoaded_ = true;  // the strip appears on the first tick
  interval_ -= 1;
  if (interval_ < 300) {
    quit_App();
    return;
  }
  for (int i = 0; i < 16; ++i) bar_[static_cast<size_t>(i)] = i < k;
  if (barLoaded_) view_.draw_Bar(bar_);
  timerOn_ = true;
  lastTick_ = std::chrono::steady_clock::now();
}

void FormInfo::bar_Clicked() {
  timerOn_ = false;
  barLoaded_ = false;
  view_.hide_Bar();
}

bool FormInfo::query_Unload() {
  if (!flagFinished || flagBusy) return false;
  quit_App();
  return true;
}

void FormInfo::quit_App() {
  if (quit_) return;
  quit_ = true;
  timerOn_ = false;
  if (onQuit) onQuit();
  flush_Log();
}

void FormInfo::run_Until_Closed() {
  const bool watch = view_.interactive();
  while (!quit_) {
    if (timerOn_) {
      const platform::eKey k = watch ? view_.wait_Key(300) : platform::eKey::none;
      if (k == platform::eKey::esc) {  // Esc closes the window at once
        query_Unload();
        continue;
      }
      if (k != platform::eKey::none) {  // any other key stops the countdown
        bar_Clicked();
        continue;
      }
      timer_Tick();
      continue;
    }
    if (!watch) {  // kept open, but nobody can look at it
      query_Unload();
      if (!quit_) quit_App();
      return;
    }
    platform::eKey k = view_.wait_Key(1000);
    if (k == platform::eKey::esc || k == platform::eKey::enter) query_Unload();
  }
}
