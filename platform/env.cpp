#include "env.h"

#include <spawn.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace platform {

std::string command_Line(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

std::string last_Arg(int argc, char** argv) { return argc > 1 ? argv[argc - 1] : ""; }
namespace {

std::string with_Slash(std::string s) {
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

std::string env_Var(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

}  // namespace

std::string temp_Folder() {
  for (const char* name : {"TMPDIR", "TMP", "tmp"}) {
    std::string v = env_Var(name);
    if (!v.empty()) return with_Slash(v);
  }
  return "/tmp/";
}

std::string program_Folder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return current_Folder();
  return with_Slash(exe.parent_path().string());
}

std::string current_Folder() {
  std::error_code ec;
  auto cwd = std::filesystem::current_path(ec);
  return ec ? std::string("./") : with_Slash(cwd.string());
}

int64_t free_Space(const std::string& path) {
  std::filesystem::path p = path.empty() ? std::filesystem::path(".") : std::filesystem::path(path);
  std::error_code ec;
  while (!p.empty() && !std::filesystem::exists(p, ec)) {
    auto parent = p.parent_path();
    if (parent == p) break;
    p = parent;
  }
  if (p.empty()) p = ".";
  struct statvfs st {};
  if (statvfs(p.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

std::string settings_File(const std::string& app) {
  std::string base = env_Var("XDG_CONFIG_HOME");
  if (base.empty()) {
    std::string home = env_Var("HOME");
    base = (home.empty() ? std::string("/tmp") : home) + "/.config";
  }
  return with_Slash(base) + app + ".ini";
}

bool save_Setting(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& value) {
  const std::string path = settings_File(app);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);

  // Read the old file, replace or add the key in its section, write it back.
  std::vector<std::string> lines;
  {
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
  }
  const std::string head = "[" + section + "]";
  bool inSection = false, done = false;
  size_t sectionEnd = std::string::npos;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    if (!lines[i].empty() && lines[i][0] == '[') {
      if (inSection) { sectionEnd = i; break; }
      inSection = (lines[i] == head);
      if (inSection) sectionEnd = lines.size();
      continue;
    }
    if (inSection && lines[i].rfind(key + "=", 0) == 0) {
      lines[i] = key + "=" + value;
      done = true;
    }
  }
  if (!done) {
    if (sectionEnd == std::string::npos) {
      lines.push_back(head);
      lines.push_back(key + "=" + value);
    } else {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), key + "=" + value);
    }
  }
  std::ofstream out(path, std::ios::trunc);
  for (const auto& l : lines) out << l << '\n';
  return static_cast<bool>(out);
}

bool start_Program(const std::string& program, const std::string& commandLine) {
  std::vector<std::string> words{program};
  std::istringstream in(commandLine);
  for (std::string w; in >> w;) words.push_back(w);
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid;
  return posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
}

}  // namespace platform
