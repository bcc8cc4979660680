// A display for the window tests: a private Xvfb started for the test
// program (so parallel tests and the tester's own desktop stay apart), or the
// DISPLAY already set when Xvfb is missing. Without either the tests skip.
#pragma once
#include <string>
#include <vector>

#include "test_support.h"

namespace testsup {

class cXDisplay {
public:
  cXDisplay();
  ~cXDisplay();
  bool ok() const { return !name_.empty(); }
  const std::string& name() const { return name_; }  // ":N"
  // "DISPLAY=:N" for runs of programs and tools.
  std::vector<std::string> env() const { return {"DISPLAY=" + name_}; }

private:
  int pid_ = -1;
  std::string name_;
};

// The process-wide display, started on first use; sets DISPLAY for this process.
cXDisplay& x_Display();

// Folder of screenshots kept by the window tests (build/artifacts/).
std::string artifact_Dir();

// Runs xdotool (or another X tool) with the words and waits, letting `idle`
// run meanwhile; returns its stdout.
std::string x_Tool(const std::vector<std::string>& words, const std::function<void()>& idle = {});
// Saves a screenshot of the window (id) or of the whole screen (id 0) as
// artifact_Dir() + name + ".png".
bool screenshot(const std::string& name, unsigned long id = 0, const std::function<void()>& idle = {});
// Ids of the windows whose title matches the pattern (xdotool search).
std::vector<unsigned long> find_Windows(const std::string& pattern, const std::function<void()>& idle = {});
// Whether the tool is on PATH.
bool have_Tool(const std::string& tool);

}  // namespace testsup
