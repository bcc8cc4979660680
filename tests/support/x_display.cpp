#include "x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <filesystem>
#include <sstream>

extern char** environ;

namespace testsup {

namespace {

std::string tmp_Dir() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

}  // namespace

bool have_Tool(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::istringstream in(path ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(in, dir, ':');)
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  return false;
}

namespace {

// Whether some X server of this machine (in any sandbox sharing the network)
// already listens on display n: its abstract socket shows in /proc/net/unix.
bool display_Taken(int n) {
  std::ifstream in("/proc/net/unix");
  const std::string tail = "/.X11-unix/X" + std::to_string(n);
  for (std::string line; std::getline(in, line);)
    if (line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) return true;
  return std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock");
}

// Starts Xvfb on display n; returns its pid once it accepts clients, or -1.
int start_Xvfb(int n) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  // -displayfd: Xvfb writes the number once it is ready.
  std::vector<std::string> words{"Xvfb", ":" + std::to_string(n), "-displayfd", "1", "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-noreset"};
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, "Xvfb", &fa, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  std::string num;
  pollfd p{fds[0], POLLIN, 0};
  while (pid > 0 && poll(&p, 1, 10000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    num += c;
  }
  close(fds[0]);
  if (pid > 0 && num != std::to_string(n)) {  // it did not come up (number taken meanwhile)
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
  }
  return pid;
}

}  // namespace

cXDisplay::cXDisplay() {
  if (have_Tool("Xvfb")) {
    // Low numbers are what everybody's servers take first: a random high one
    // keeps parallel tests, and other people's servers, apart.
    std::mt19937 rnd(static_cast<unsigned>(getpid()) * 2654435761u ^ static_cast<unsigned>(time(nullptr)));
    for (int attempt = 0; attempt < 20 && pid_ < 0; ++attempt) {
      const int n = 300 + static_cast<int>(rnd() % 30000);
      if (display_Taken(n)) continue;
      pid_ = start_Xvfb(n);
      if (pid_ > 0) name_ = ":" + std::to_string(n);
    }
  } else if (const char* d = std::getenv("DISPLAY"); d && *d) {
    name_ = d;
  }
  if (ok()) setenv("DISPLAY", name_.c_str(), 1);
}

cXDisplay::~cXDisplay() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

cXDisplay& x_Display() {
  static cXDisplay d;
  return d;
}

std::string artifact_Dir() {
  const std::string dir = std::string(SUITE_BIN_DIR) + "../artifacts/";
  std::filesystem::create_directories(dir);
  return dir;
}

std::string x_Tool(const std::vector<std::string>& words, const std::function<void()>& idle) {
  cChild c = start_Tool(words, tmp_Dir(), x_Display().env());
  return wait_Program(c, 20000, idle).out;
}

bool screenshot(const std::string& name, unsigned long id, const std::function<void()>& idle) {
  const std::string path = artifact_Dir() + name + ".png";
  std::filesystem::remove(path);
  x_Tool({"import", "-window", id ? std::to_string(id) : "root", path}, idle);
  return std::filesystem::exists(path);
}

std::vector<unsigned long> find_Windows(const std::string& pattern, const std::function<void()>& idle) {
  std::istringstream in(x_Tool({"xdotool", "search", "--name", pattern}, idle));
  std::vector<unsigned long> ids;
  for (unsigned long id; in >> id;) ids.push_back(id);
  return ids;
}

}  // namespace testsup
