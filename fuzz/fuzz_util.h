// What every fuzz target shares: silent message boxes and the check that
// turns a broken promise into a crash the fuzzer reports.
#pragma once
#include "platform/msg_box.h"

namespace fuzz {

// Messages are part of the normal answer to bad input; keep them off stderr.
inline void quiet() {
  static platform::cSilentMsgBox box;
  platform::set_MsgBox(&box);
}

inline void check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace fuzz
