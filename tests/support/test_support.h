// Shared helpers for the unit tests: corpus access, scratch folders, runs of
// the programs as processes.
#pragma once
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "massiv/massiv_types.h"

namespace testsup {

// Path of a file in the shared corpus ("general/calgary/book1").
std::string corpus(const std::string& rel);
// Whole file as bytes (empty when absent).
BB read_File(const std::string& path);
void write_File(const std::string& path, const BB& data);
// Whole file as text, byte for byte (empty when absent).
std::string text_Of(const std::string& path);
// Deterministic pseudo-random bytes.
BB random_Bytes(size_t n, uint32_t seed);

// A fresh scratch folder, removed at destruction. path() ends in "/".
class cScratch {
public:
  cScratch();
  ~cScratch();
  std::string path() const { return dir_ + "/"; }
  std::string file(const std::string& name) const { return path() + name; }

private:
  std::string dir_;
};

// Result of a program run.
struct cRun {
  int status = -1;
  std::string out;  // stdout
  std::string err;  // stderr
};
// A program started in the background.
struct cChild {
  int pid = -1;
  int status = -1;  // exit status once it ended; -1 while running or when killed
  int serial = 0;
  std::string outPath, errPath;
  bool running();
};

// Runs build/bin/<program> with the arguments (one string, split on blanks as
// the shell does not: passed as separate argv words), stdin from /dev/null,
// with TMPDIR set to `tmpDir`.
// `extraEnv` holds further NAME=value words for the environment.
// SUITE_VIEW is "terminal" unless extraEnv sets it; extraEnv words replace
// inherited ones of the same name.
cRun run_Program(const std::string& program, const std::string& args, const std::string& tmpDir,
                 const std::string& cwd = "", const std::vector<std::string>& extraEnv = {});
cChild start_Program(const std::string& program, const std::string& args, const std::string& tmpDir,
                     const std::string& cwd = "", const std::vector<std::string>& extraEnv = {});
// A tool found on PATH (words[0]), same environment rules; stdout/err files in tmpDir.
cChild start_Tool(const std::vector<std::string>& words, const std::string& tmpDir,
                  const std::vector<std::string>& extraEnv = {});
// Waits for the end (timeoutMs < 0: for ever; past it the child is killed and
// the status is -1), calling `idle` between polls (in-process windows repaint).
cRun wait_Program(cChild& c, int timeoutMs = -1, const std::function<void()>& idle = {});

// The same with the argument words given one by one (a word may hold blanks).
cRun run_Words(const std::string& program, const std::vector<std::string>& args, const std::string& tmpDir,
               const std::string& cwd = "", const std::vector<std::string>& extraEnv = {});

}  // namespace testsup
