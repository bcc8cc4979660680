#include "log_view.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

cTerminalLogView::cTerminalLogView() { tty_ = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO); }

cTerminalLogView::~cTerminalLogView() { hide_Bar(); }

void cTerminalLogView::show_Line(const std::string& line) {
  hide_Bar();
  std::string out;
  out.reserve(line.size() + 1);
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\r') {
      if (i + 1 < line.size() && line[i + 1] == '\n') ++i;
      out += '\n';
    } else {
      out += line[i];
    }
  }
  std::fputs(out.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void cTerminalLogView::bring_Front(bool) { std::fflush(stdout); }

void cTerminalLogView::draw_Bar(const std::array<bool, 16>& red) {
  if (!tty_) return;
  std::string s = "\r[";
  for (bool r : red) s += r ? "\033[41m \033[0m" : " ";
  s += "] любая клавиша: остановить";
  std::fputs(s.c_str(), stdout);
  std::fflush(stdout);
  barShown_ = true;
}

void cTerminalLogView::hide_Bar() {
  if (!barShown_) return;
  std::fputs("\r\033[K", stdout);
  std::fflush(stdout);
  barShown_ = false;
}

void cTerminalLogView::drop_Typed() {
  if (tty_) tcflush(STDIN_FILENO, TCIFLUSH);
}

eKey cTerminalLogView::wait_Key(int ms) {
  if (!tty_) return eKey::none;
  termios old{};
  if (tcgetattr(STDIN_FILENO, &old) != 0) return eKey::none;
  termios raw = old;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  pollfd p{STDIN_FILENO, POLLIN, 0};
  eKey key = eKey::none;
  if (poll(&p, 1, ms) > 0) {
    char c = 0;
    if (read(STDIN_FILENO, &c, 1) == 1) key = c == 27 ? eKey::esc : (c == '\n' || c == '\r') ? eKey::enter : eKey::other;
  }
  tcsetattr(STDIN_FILENO, TCSANOW, &old);
  return key;
}

}  // namespace platform
