// brisk on a pseudo-terminal: keys typed while the work runs are dropped, so
// they neither close a window kept open nor stop a countdown not yet shown.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// brisk started with its terminal on a pty; the keys are typed before it
// starts, so they wait in the terminal while it works.
class cPtyRun {
public:
  cPtyRun(const std::vector<std::string>& args, const std::string& tmpDir, const std::string& typedEarly) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const std::string slave = ::ptsname(master_);
    const int s = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
    if (s < 0) return;
    if (!typedEarly.empty() && ::write(master_, typedEarly.data(), typedEarly.size()) < 0) return;
    std::vector<std::string> words{std::string(SUITE_BIN_DIR) + "brisk"};
    words.insert(words.end(), args.begin(), args.end());
    const std::string tmp = "TMPDIR=" + tmpDir;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setsid();
      ::close(master_);
      const int t = ::open(slave.c_str(), O_RDWR);  // the controlling terminal
      for (int fd = 0; fd < 3; ++fd) ::dup2(t, fd);
      ::putenv(const_cast<char*>(tmp.c_str()));
      std::vector<char*> argv;
      for (auto& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(s);
  }
  ~cPtyRun() {
    if (pid_ > 0 && !done_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
  }
  bool started() const { return pid_ > 0; }
  // Reads the output until the program ends or `ms` pass; true when it ended.
  bool wait_End(int ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done_ && std::chrono::steady_clock::now() < until) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) {
        char buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) out.append(buf, static_cast<size_t>(n));
      }
      int st = 0;
      if (::waitpid(pid_, &st, WNOHANG) == pid_) {
        done_ = true;
        status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      }
    }
    return done_;
  }
  void type(const std::string& keys) { (void)!::write(master_, keys.data(), keys.size()); }

  std::string out;
  int status = -1;

private:
  int master_ = -1;
  pid_t pid_ = -1;
  bool done_ = false;
};

}  // namespace

TEST(TerminalKeys, AnEscTypedDuringTheWorkDoesNotCloseAWindowKeptOpen) {
  testsup::cScratch tmp, work;
  const std::string missing = work.file("absent.txt");  // an error keeps the window open
  cPtyRun run({missing}, tmp.path(), "\x1b");
  ASSERT_TRUE(run.started());
  EXPECT_FALSE(run.wait_End(1500)) << run.out;  // still open
  run.type("\x1b");                              // an Esc now closes it
  EXPECT_TRUE(run.wait_End(3000)) << run.out;
  EXPECT_EQ(run.status, 1);
}

TEST(TerminalKeys, AKeyTypedDuringTheWorkDoesNotStopTheCountdown) {
  testsup::cScratch tmp, work;
  const std::string src = work.file("a.txt");
  testsup::write_File(src, BB(3000, 'a'));
  cPtyRun run({src}, tmp.path(), "x");
  ASSERT_TRUE(run.started());
  // The countdown runs its 16 ticks (about 5 s) and ends the program.
  EXPECT_TRUE(run.wait_End(9000)) << run.out;
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("любая клавиша: остановить"), std::string::npos) << run.out;
}
