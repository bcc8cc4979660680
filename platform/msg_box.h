// Message boxes for programs that have no desktop: every modal message of the
// suite goes through here. The default sink prints one line to stderr; tests
// install a recording sink that captures the texts and picks the answers.
#pragma once
#include <string>
#include <vector>

namespace platform {

class iMsgBox {
public:
  virtual ~iMsgBox() = default;
  // An information box with an OK button.
  virtual void show(const std::string& text, const std::string& title) = 0;
  // A Yes/No box. `safeDefault` is the answer when nobody can be asked; the
  // caller chooses it so that no data is lost.
  virtual bool ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) = 0;
};

// The stderr sink: "<program>: <title>: <text>" on one line (CR LF inside
// texts become " / "). Yes/No is asked on the terminal when stdin is one,
// otherwise the safe default is taken and printed.
class cStderrMsgBox : public iMsgBox {
public:
  void show(const std::string& text, const std::string& title) override;
  bool ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) override;
};

// Test sink: records every text; Yes/No answers come from `answers` in order,
// then from the safe default.
class cRecordingMsgBox : public iMsgBox {
public:
  std::vector<std::string> texts;
  std::vector<bool> answers;
  void show(const std::string& text, const std::string& title) override;
  bool ask_YesNo(const std::string& text, const std::string& title, bool safeDefault) override;
  bool saw(const std::string& fragment) const;
  void clear() { texts.clear(); }
};

// Swallows every message and takes the safe default (fuzz targets, benchmarks).
class cSilentMsgBox : public iMsgBox {
public:
  void show(const std::string&, const std::string&) override {}
  bool ask_YesNo(const std::string&, const std::string&, bool safeDefault) override { return safeDefault; }
};

// The current sink (never null). set_MsgBox(nullptr) restores the stderr sink.
iMsgBox& msgBox();
void set_MsgBox(iMsgBox* sink);

// Program name used as the prefix of stderr lines.
void set_ProgramName(const std::string& name);
const std::string& program_Name();

// Shorthands used everywhere.
inline void msg(const std::string& text, const std::string& title = "") { msgBox().show(text, title); }
inline bool ask(const std::string& text, const std::string& title, bool safeDefault) {
  return msgBox().ask_YesNo(text, title, safeDefault);
}

// Installs a recording sink for the lifetime of the object (tests) and then
// puts back the sink that was active before it, so captures nest.
class cScopedMsgCapture {
public:
  cScopedMsgCapture() : previous_(&msgBox()) { set_MsgBox(&box); }
  ~cScopedMsgCapture() { set_MsgBox(previous_); }
  cScopedMsgCapture(const cScopedMsgCapture&) = delete;
  cScopedMsgCapture& operator=(const cScopedMsgCapture&) = delete;
  cRecordingMsgBox box;

private:
  iMsgBox* previous_;
};

}  // namespace platform
