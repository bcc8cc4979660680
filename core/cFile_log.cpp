// The logging link of cFile: the callback that receives its progress lines
// and the two switches that silence them.
#include "cFile.h"

bool cFile::AddObjectReference(CbClientClass* Caller) {
  caller = Caller;
  flagConnected = (caller != nullptr);
  return flagConnected;
}

bool cFile::DropObjectReference(CbClientClass* Caller) {
  if (Caller == nullptr || Caller != caller) return false;
  flagConnected = false;
  caller = nullptr;
  return true;
}

bool cFile::setFlagLog(bool flagLog0) {
  bool old = flagLog;
  flagLog = flagLog0;
  return old;
}

bool cFile::setFlagLogPmd(bool flagLogPmd0) {
  bool old = flagLogPmd;
  flagLogPmd = flagLogPmd0;
  return old;
}

void cFile::send_Msg(const std::string& sMsg) {
  if (sMsg.empty() || !flagLog || !flagConnected || caller == nullptr) return;
  caller->TellMsg(sMsg);
}
