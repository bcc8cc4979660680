// The logging link (cFile, pek's picture object): the callback that receives
// the progress lines and the switches that silence them.
#include "cFile.h"

bool cLogSource::AddObjectReference(CbClientClass* Caller) {
  caller = Caller;
  flagConnected = (caller != nullptr);
  return flagConnected;
}

bool cLogSource::DropObjectReference(CbClientClass* Caller) {
  if (Caller == nullptr || Caller != caller) return false;
  flagConnected = false;
  caller = nullptr;
  return true;
}

bool cLogSource::setFlagLog(bool flagLog0) {
  bool old = flagLog;
  flagLog = flagLog0;
  return old;
}

bool cFile::setFlagLogPmd(bool flagLogPmd0) {
  bool old = flagLogPmd;
  flagLogPmd = flagLogPmd0;
  return old;
}

void cLogSource::send_Msg(const std::string& sMsg) {
  if (sMsg.empty() || !flagLog || !flagConnected || caller == nullptr) return;
  caller->TellMsg(sMsg);
}
