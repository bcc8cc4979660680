#include "ModulePek.h"

#include "ModulePek_run.h"
#include "platform/msg_box.h"

cPekRun::cPekRun(platform::iLogView& view, cPekWindows* windows)
    : cProgramRun(view, "pek.log",
                  {"Pek конвертер картинок в pek и обратно в bmp", "GIF, анимационный GIF, BMP, PNG, JPEG, WebP",
                   "https://example.org/pek"}),
      win(windows ? windows : &noWindows) {
  win->attach(this);
  form.flagStopCommand = true;  // the colour editor stops the countdown
  logSource = &im;
  im.set_tab_Path(file.getAppPath());  // the colour tables ship beside the program
}

void cPekRun::work(const std::string& line) {
  if (line.empty()) {
    show_Help("pek.htm");
    fail();  // a run without a picture: the window stays open on the help
    return;
  }
  const std::string path = path_Of(line);
  start_Up_Block(line, path);
  fullInputName = curPath + file.getNameExt(path);
  if (!file.exist_File(path)) {
    platform::msg("нет файла:" + path);
    fail();
    return;
  }
  apply_Switches();
  if (path == "*")
    decode_All();
  else if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".pek") == 0)
    decode_One(path);
  else
    encode(path);
}

// " -min " after " -max " and the last of " -1 ", " -2 ", " -3 " win.
void cPekRun::apply_Switches() {
  if (has_Switch(" -max ")) qualityPercent = 1;
  if (has_Switch(" -min ")) qualityPercent = 7;
  for (int32_t t = 1; t <= 3; ++t)
    if (has_Switch(" -" + std::to_string(t) + " ")) forcedType = t;
  if (has_Switch(" -0 ")) im.flagFast = false;
  set_Flag_Log(!has_Switch(" -off "));
}

void cPekRun::size_Preview(int32_t n, int32_t w, int32_t h, const std::string& caption) {
  cPreview& p = preview.at(static_cast<size_t>(n));
  if (w > 0 && h > 0) p.box.resize(w, h);
  p.caption = caption;
}

// The terminal view has no windows: the preview keeps its picture and
// caption, and nothing is drawn.
void cPekRun::show_Preview(int32_t n) {
  if (!flagLog) return;
  cPreview& p = preview.at(static_cast<size_t>(n));
  p.shown = true;
  win->show_Preview(n, p.box.surface(), p.caption);
}

int pek_Main(const std::string& commandLine, platform::iLogView& view, cPekWindows* windows,
             const std::string& pathArg) {
  cPekRun run(view, windows);
  return run.run(commandLine, pathArg);
}
