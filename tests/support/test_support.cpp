#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
}  // namespace

cRun run_Program(const std::string& program, const std::string& args, const std::string& tmpDir,
                 const std::string& cwd, const std::vector<std::string>& extraEnv) {
  std::vector<std::string> words;
  std::istringstream in(args);
  for (std::string w; in >> w;) words.push_back(w);
  return run_Words(program, words, tmpDir, cwd, extraEnv);
}

cRun run_Words(const std::string& program, const std::vector<std::string>& args, const std::string& tmpDir,
               const std::string& cwd, const std::vector<std::string>& extraEnv) {
  cRun r;
  std::string exe = std::string(SUITE_BIN_DIR) + program;
  std::vector<std::string> words{exe};
  words.insert(words.end(), args.begin(), args.end());

  std::string outPath = tmpDir + "/.run_out", errPath = tmpDir + "/.run_err";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());

  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string s = *e;
    if (s.rfind("TMPDIR=", 0) == 0 || s.rfind("TMP=", 0) == 0 || s.rfind("tmp=", 0) == 0) continue;
    env.push_back(s);
  }
  // extraEnv may name another TMPDIR (the output files stay in tmpDir).
  bool ownTmp = false;
  for (const auto& e : extraEnv) ownTmp = ownTmp || e.rfind("TMPDIR=", 0) == 0;
  if (!ownTmp) env.push_back("TMPDIR=" + tmpDir);
  for (const auto& e : extraEnv) env.push_back(e);
  std::vector<char*> argv, envp;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), envp.data()) == 0) {
    int st = 0;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
  posix_spawn_file_actions_destroy(&fa);
  r.out = slurp(outPath);
  r.err = slurp(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return r;
}

}  // namespace testsup
