#include "cProgramRun.h"

#include <new>

#include "platform/env.h"
#include "platform/msg_box.h"
#include "platform/text.h"

cProgramRun::cProgramRun(platform::iLogView& view, std::string logName, SS banner)
    : form(view), logName_(std::move(logName)), banner_(std::move(banner)) {}

int cProgramRun::run(const std::string& commandLine) {
  form.onQuit = [this] {
    if (flagLog) disconnect_Log();
  };
  appPath = file.getAppPath();
  tmpPath = file.getTmpPath();
  form.logPath = tmpPath + logName_;
  for (const auto& l : banner_) log_Msg(l);
  try {
    const std::string line = platform::trim(commandLine);
    S = " " + line;
    work(line);
  } catch (const std::bad_alloc&) {
    log_Msg("ошибка: нет памяти");
    platform::msg("нет памяти");
    fail();
  } catch (const std::exception& e) {
    // Overflow and index errors end the operation; the run reports and fails.
    log_Msg(std::string("ошибка: ") + e.what());
    platform::msg(std::string("ошибка: ") + e.what());
    fail();
  }
  end_Of_Run();
  form.run_Until_Closed();
  return failed ? 1 : 0;
}

std::string cProgramRun::path_Of(const std::string& line) {
  const size_t blank = line.rfind(' ');
  return blank == std::string::npos ? line : line.substr(blank + 1);
}

void cProgramRun::start_Up_Block(const std::string& line, const std::string& path) {
  curPath = file.getPath(path);
  if (curPath.empty()) curPath = file.getTekPath();
  form.logPath = tmpPath + logName_;
  if (file.len_File(form.logPath) > 99999) file.del_File(form.logPath);
  log_Msg("====аргументы вызова=========");
  log_Msg(line);
  log_Msg("текущий путь=" + curPath);
  log_Msg("папка программы=" + appPath);
  log_Msg("временная папка=" + tmpPath);
  log_Msg("пишет в лог=" + form.logPath);
  log_Msg("=============================");
}

void cProgramRun::show_Help(const std::string& helpName) {
  log_Msg(file.ReadS(appPath + helpName));
  log_Msg("<HOME!>");
  platform::save_Setting(platform::program_Name(), "Options", "Show Tips at Startup", "1");
  keepOpen = true;
}

void cProgramRun::set_Flag_Log(bool on) {
  flagLog = on;
  logSource->setFlagLog(flagLog);
  if (flagLog) connect_Log();
}

void cProgramRun::connect_Log() {
  if (logSource->AddObjectReference(this))
    connected_ = true;
  else
    platform::msg("Connect Failed...");
}

void cProgramRun::disconnect_Log() {
  if (!connected_) return;
  if (logSource->DropObjectReference(this))
    connected_ = false;
  else
    platform::msg("Disconnect Failed...");
}

void cProgramRun::end_Of_Run() {
  form.flagFinished = true;
  if (keepOpen)
    log_Msg("<HOME!>");
  else if (flagLog)
    log_Msg("<TIMER!>");
  else
    log_Msg("<QUIT!>");
}
