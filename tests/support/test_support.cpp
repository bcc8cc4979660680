#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

extern char** environ;

namespace testsup {

// The corpus sits beside the checkout (../shared/corpus); SUITE_CORPUS
// overrides that, and /work/shared/corpus is the machine's copy.
std::string corpus(const std::string& rel) {
  static const std::string dir = [] {
    if (const char* e = std::getenv("SUITE_CORPUS")) return std::string(e) + "/";
    for (std::string d : {std::string(SUITE_CORPUS_DIR), std::string("/work/shared/corpus/")})
      if (std::filesystem::exists(d + "MANIFEST.md")) return d;
    return std::string(SUITE_CORPUS_DIR);
  }();
  return dir + rel;
}

BB read_File(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  return BB(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string text_Of(const std::string& path) {
  const BB b = read_File(path);
  return std::string(b.begin(), b.end());
}

void write_File(const std::string& path, const BB& data) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

BB random_Bytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  BB out(n);
  for (auto& b : out) b = static_cast<uint8_t>(gen() >> 24);
  return out;
}

cScratch::cScratch() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "suite_test_XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  char* d = mkdtemp(buf.data());
  dir_ = d ? d : "/tmp";
}

cScratch::~cScratch() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

namespace {
int next_Serial() {
  static int serial = 0;
  return ++serial;
}

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

namespace {

// Name of an environment word ("NAME=value" -> "NAME").
std::string env_Name(const std::string& word) { return word.substr(0, word.find('=')); }

bool names(const std::vector<std::string>& words, const std::string& name) {
  for (const auto& w : words)
    if (env_Name(w) == name) return true;
  return false;
}

cChild spawn_Words(std::vector<std::string> words, bool searchPath, const std::string& tmpDir, const std::string& cwd,
                   const std::vector<std::string>& extraEnv) {
  cChild c;
  c.outPath = tmpDir + "/.run_out" + std::to_string(c.serial = next_Serial());
  c.errPath = tmpDir + "/.run_err" + std::to_string(c.serial);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, c.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, c.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());

  // extraEnv wins over the inherited environment; runs keep the terminal
  // view unless a test asks for windows, whatever display the tester has.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    const std::string n = env_Name(s);
    if (n == "TMPDIR" || n == "TMP" || n == "tmp" || n == "SUITE_VIEW" || names(extraEnv, n)) continue;
    env.push_back(s);
  }
  // extraEnv may name another TMPDIR (the output files stay in tmpDir).
  if (!names(extraEnv, "TMPDIR")) env.push_back("TMPDIR=" + tmpDir);
  if (!names(extraEnv, "SUITE_VIEW")) env.push_back("SUITE_VIEW=terminal");
  for (const auto& e : extraEnv) env.push_back(e);
  std::vector<char*> argv, envp;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  const int rc = searchPath ? posix_spawnp(&c.pid, words[0].c_str(), &fa, nullptr, argv.data(), envp.data())
                            : posix_spawn(&c.pid, words[0].c_str(), &fa, nullptr, argv.data(), envp.data());
  if (rc != 0) c.pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return c;
}

}  // namespace

cChild start_Program(const std::string& program, const std::string& args, const std::string& tmpDir,
                     const std::string& cwd, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> words{std::string(SUITE_BIN_DIR) + program};
  std::istringstream in(args);
  for (std::string w; in >> w;) words.push_back(w);
  return spawn_Words(words, false, tmpDir, cwd, extraEnv);
}

cChild start_Tool(const std::vector<std::string>& words, const std::string& tmpDir,
                  const std::vector<std::string>& extraEnv) {
  return spawn_Words(words, true, tmpDir, "", extraEnv);
}

bool cChild::running() {
  if (pid <= 0) return false;
  int st = 0;
  const pid_t r = waitpid(pid, &st, WNOHANG);
  if (r == 0) return true;
  if (r == pid) status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  pid = -1;
  return false;
}

cRun wait_Program(cChild& c, int timeoutMs, const std::function<void()>& idle) {
  cRun r;
  const auto start = std::chrono::steady_clock::now();
  while (c.running()) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (timeoutMs >= 0 && ms > timeoutMs) {  // ours to end: it overran the test
      kill(c.pid, SIGKILL);
      waitpid(c.pid, nullptr, 0);
      c.pid = -1;
      c.status = -1;
      break;
    }
    if (idle)
      idle();
    else
      usleep(10000);
  }
  r.status = c.status;
  r.out = slurp(c.outPath);
  r.err = slurp(c.errPath);
  std::remove(c.outPath.c_str());
  std::remove(c.errPath.c_str());
  return r;
}

cRun run_Program(const std::string& program, const std::string& args, const std::string& tmpDir,
                 const std::string& cwd, const std::vector<std::string>& extraEnv) {
  cChild c = start_Program(program, args, tmpDir, cwd, extraEnv);
  return wait_Program(c);
}

cRun run_Words(const std::string& program, const std::vector<std::string>& args, const std::string& tmpDir,
               const std::string& cwd, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> words{std::string(SUITE_BIN_DIR) + program};
  words.insert(words.end(), args.begin(), args.end());
  cChild c = spawn_Words(words, false, tmpDir, cwd, extraEnv);
  return wait_Program(c);
}

}  // namespace testsup
