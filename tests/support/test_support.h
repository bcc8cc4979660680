// Shared helpers for the unit tests: corpus access, scratch folders, runs of
// the programs as processes.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "massiv/massiv_types.h"

namespace testsup {

// Path of a file in the shared corpus ("general/calgary/book1").
std::string corpus(const std::string& rel);
// Whole file as bytes (empty when absent).
BB read_File(const std::string& path);
void write_File(const std::string& path, const BB& data);
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
// Runs build/bin/<program> with the arguments (one string, split on blanks as
// the shell does not: passed as separate argv words), stdin from /dev/null,
// with TMPDIR set to `tmpDir`.
// `extraEnv` holds further NAME=value words for the environment.
cRun run_Program(const std::string& program, const std::string& args, const std::string& tmpDir,
                 const std::string& cwd = "", const std::vector<std::string>& extraEnv = {});

}  // namespace testsup
