// cProgramRun: what every program's main flow shares. One run owns the log
// window, a cMassiv and a cFile; it logs the banner, lets the program do its
// work, catches the errors that end an operation (logging them and failing
// the run), sends the final log command and gives the exit status.
//
// A program derives from it, implements work() and calls run() from its
// entry procedure (brisk_Main, pek_Main, nox's main flow).
#pragma once
#include <string>

#include "FormInfo.h"
#include "cFile.h"
#include "massiv/cMassiv.h"
#include "platform/log_view.h"

class cProgramRun : public CbClientClass {
public:
  // logName: the log file in the temp folder ("brisk.log"); banner: the lines
  // logged first on every run.
  cProgramRun(platform::iLogView& view, std::string logName, SS banner);

  // The whole run for one command line; returns once the log window has
  // closed, with 0 when the run succeeded and 1 when it failed.
  int run(const std::string& commandLine);

  void TellMsg(const std::string& sMsg) override { log_Msg(sMsg); }
  void log_Msg(const std::string& sMsg) { form.log_Msg(sMsg); }

protected:
  // The program's own part, given the trimmed command line.
  virtual void work(const std::string& line) = 0;

  // The path is the text after the last blank of the trimmed command line.
  static std::string path_Of(const std::string& line);
  // Switch search: plain substring search in " " + command line, so a switch
  // counts only when a blank follows it (it stands before the path).
  bool has_Switch(const std::string& sw) const { return S.find(sw) != std::string::npos; }
  // Start-up block: the current folder (the path's folder, else the process's),
  // the log size rule (a log above 99999 bytes starts again) and the lines
  // naming the arguments and the folders.
  void start_Up_Block(const std::string& line, const std::string& path);
  // Logs the help file of the program folder, brings the window to the front
  // and keeps it open; stores the per-user setting of a start without a command line.
  void show_Help(const std::string& helpName);
  // Hands flagLog to the object whose progress is logged and, when on,
  // connects the callback.
  void set_Flag_Log(bool on);
  // The run failed: the window stays open and the exit status is 1.
  void fail() {
    keepOpen = true;
    failed = true;
  }

  FormInfo form;
  cMassiv m;
  cFile file;
  // The object whose progress lines reach the log (the cFile unless the program says otherwise).
  cLogSource* logSource = &file;
  bool flagLog = true;
  bool keepOpen = false;
  bool failed = false;
  std::string S;  // " " + trimmed command line
  std::string appPath, tmpPath, curPath;

private:
  void connect_Log();
  void disconnect_Log();
  void end_Of_Run();

  std::string logName_;
  SS banner_;
  bool connected_ = false;
};
