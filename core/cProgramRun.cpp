#include "cProgramRun.h"

#include <new>

#include "platform/env.h"
#include "safe_file.h"
#include "platform/msg_box.h"
#include "platform/text.h"

cProgramRun::cProgramRun(platform::iLogView& view, std::string logName, SS banner)
    : form(view), logName_(std::move(logName)), banner_(std::move(banner)) {}

int cProgramRun::run(const std::string& commandLine, const std::string& pathArg) {
  pathArg_ = pathArg;
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

std::string cProgramRun::path_Of(const std::string& line) const {
  if (!platform::trim(pathArg_).empty()) return pathArg_;
  const size_t blank = line.rfind(' ');
  return blank == std::string::npos ? line : line.substr(blank + 1);
}

void cProgramRun::start_Up_Block(const std::string& line, const std::string& path) {
  curPath = file.getPath(path);
  if (curPath.empty()) curPath = file.getTekPath();
  form.logPath = tmpPath + logName_;
  // The temp folder is shared: a log name that is a link or another user's
  // file is left alone, and the run says so once.
  const std::string refusal = safefile::temp_Refusal(form.logPath, false);
  if (!refusal.empty()) {
    log_Msg("не пишу лог в " + form.logPath + ": " + refusal);
    form.logPath.clear();
  } else if (file.len_File(form.logPath) > 99999) {
    file.del_File(form.logPath);
  }
  log_Msg("====аргументы вызова=========");
  form.log_Text(line);  // a file name is data, even one that reads like a log command
  log_Msg("текущий путь=" + curPath);
  log_Msg("папка программы=" + appPath);
  log_Msg("временная папка=" + tmpPath);
  log_Msg("пишет в лог=" + form.logPath);
  log_Msg("=============================");
}

void cProgramRun::fail(const std::string& why) {
  log_Msg(why);
  platform::msg(why);
  fail();
}

void cProgramRun::show_Help_Switch(const std::string& helpName) {
  form.log_Html(file.ReadS(appPath + helpName));
  quitAtEnd = true;
}

void cProgramRun::show_Version(const std::string& version) {
  log_Msg(version);
  quitAtEnd = true;
}

void cProgramRun::show_Help(const std::string& helpName) {
  form.log_Html(file.ReadS(appPath + helpName));
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
  if (quitAtEnd && !failed)
    log_Msg("<QUIT!>");
  else if (keepOpen)
    log_Msg("<HOME!>");
  else if (flagLog)
    log_Msg("<TIMER!>");
  else
    log_Msg("<QUIT!>");
}
