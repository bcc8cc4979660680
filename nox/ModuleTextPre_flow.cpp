#include "ModuleTextPre_flow.h"

#include <filesystem>

#include "ModuleStroki.h"
#include "ModuleTextPre.h"
#include "ModuleTextPre_pi.h"
#include "ModuleTextPre_zip.h"
#include "core/cFile.h"
#include "core/cProgramRun.h"
#include "platform/msg_box.h"
#include "platform/text.h"

namespace {

// One run of nox; the log window, the error catch, the final command and the
// exit status are cProgramRun's. nox logs only its own lines (no cFile progress).
class cNoxRun : public cProgramRun {
public:
  explicit cNoxRun(platform::iLogView& view) : cProgramRun(view, "nox_log.tmp", {"Nox: сжатие русских текстов и HTML"}) {
    state.file = &file;
  }

private:
  void work(const std::string& line) override { start_Up(line); }
  void start_Up(const std::string& commandLine);
  void pack();
  void restore();
  void dictionary();
  void log_Cut_Files(const std::string& text);

  cNoxCommand cmd;
  cNoxState state;
};

void cNoxRun::start_Up(const std::string& commandLine) {
  cmd = read_Command(commandLine);
  if (cmd.line.empty()) {
    log_Msg("");
    return;
  }
  cmd.name = path_Of(cmd.line);  // the last argument whole when main gave it (blanks and all)
  state.nameFile = cmd.name;
  state.flagPre = cmd.flagPre;
  // A folder counts as present only with its closing separator (dictionary mode).
  const bool folder = cmd.name.back() == '/' && std::filesystem::is_directory(cmd.name);
  if (!file.exist_File(cmd.name) && !folder) {
    log_Msg("нет файла=" + cmd.name);
    fail();
    return;
  }
  if (cmd.flagRestore)
    restore();
  else if (cmd.flagDic)
    dictionary();
  else
    pack();
}

// The cut-out scripts and style sheets left their tokens in the text.
void cNoxRun::log_Cut_Files(const std::string& text) {
  const std::string prefix = file.getPath(cmd.name) + file.getName(cmd.name).substr(0, 3) + "-";
  for (size_t p = 0; (p = text.find_first_of("\xDA\xDC", p)) != std::string::npos; ++p) {
    if (p > 0 && text[p - 1] != ' ') continue;
    size_t q = p + 1;
    while (q < text.size() && text[q] >= '0' && text[q] <= '9') ++q;
    if (q == p + 1 || (q < text.size() && text[q] != ' ')) continue;
    log_Msg("записан файл=" + prefix + text.substr(p + 1, q - p - 1) + (text[p] == '\xDA' ? ".js" : ".css"));
  }
}

void cNoxRun::pack() {
  log_Msg("кодирую файл=" + cmd.name);
  BB bb = file.read_M8(cmd.name);
  if (bb.empty()) {
    fail();
    return;
  }
  std::string charset = cmd.charset;
  detect_Charset(bb, charset);
  if (charset.empty()) platform::msg("неизвестная кодировка и словарь пока не сделан");
  std::string text = m.BB_to_str(bb);
  if (charset != "win") {
    log_Msg("кодировка была=" + charset);
    log_Msg("Конвертировал в win-1251");
    const size_t p = find_NoCase(text, "utf-8", 0);
    if (p != std::string::npos) text.replace(p, 5, "u8");
  }
  log_Msg("переформатирование туда");
  reformat_Tuda(text, state);
  log_Cut_Files(text);
  log_Msg("слова в пи-сокращения");
  cPiStats st;
  words_to_Pi(text, appPath + "rus.dic", st);
  if (!st.dictOk) {
    log_Msg("нет словаря=" + appPath + "rus.dic: слова не заменены");
    fail();
  } else {
    log_Msg("заменено слов=" + std::to_string(st.replaced) + " из " + std::to_string(st.tokens));
  }
  if (st.unknown > 0) {
    log_Msg("не тот словарь: не заменено слов=" + std::to_string(st.unknown));
    fail();
  }
  if (st.ambiguous > 0) {
    // Restoring would read these as codes: the archive cannot come back as packed.
    log_Msg("слов, похожих на пи-сокращения=" + std::to_string(st.ambiguous));
    fail();
  }
  const BB data = m.str_to_BB(text);
  if (data.empty()) {
    platform::msg("пустой текст после переформатирования");
    fail();
    return;
  }
  int32_t method = 0;
  const BB archive = zip_Auto_Fast2(data, method);  // zip_Auto's fast search, two orders at a time
  if (archive.empty() || !file.write_M8(cmd.name + ".pi1", archive)) {
    log_Msg("архив не записан: " + cmd.name + ".pi1");
    fail();
    return;
  }
  log_Msg("готово метод=" + std::to_string(method) + " размер=" + std::to_string(archive.size()));
}

void cNoxRun::restore() {
  log_Msg("декодирую файл=" + cmd.name);
  const BB bb = file.read_M8(cmd.name);
  int32_t vErr = 0;
  const BB data = bb.empty() ? BB{} : file.unzip_Auto(bb, vErr);
  const std::string out = cmd.name.substr(0, cmd.name.size() - 4);
  state.nameFile = out;
  if (bb.empty() || vErr != 0) {
    log_Msg("ошибка при распаковке или неполный");
    fail();
  }
  if (data.empty()) {
    log_Msg("нечего восстанавливать");
    fail();
    return;
  }
  std::string text = m.BB_to_str(data);
  log_Msg("пи-сокращения в слова=");
  cPiStats st;
  pi_to_Words(text, appPath + "rus.dic", state, st);
  if (!st.dictOk) {
    log_Msg("нет словаря=" + appPath + "rus.dic: сокращения не заменены");
    fail();
  }
  if (st.unknown > 0) {
    log_Msg("не тот словарь или повреждён: неизвестных сокращений=" + std::to_string(st.unknown));
    fail();
  }
  for (const auto& f : st.missingLinks) log_Msg("нет файла рядом=" + f);
  log_Msg("переформатирование оттуда");
  reformat_Obratno(text, state);
  file.del_file_Safe(out);
  if (text.empty() || !file.writeS(out, text)) {
    log_Msg("файл не записан: " + out);
    fail();
    return;
  }
  log_Msg("новый размер=" + std::to_string(text.size()));
  if (failed) log_Msg("восстановлено с ошибками");
}

void cNoxRun::dictionary() {
  if (cmd.name.back() != '/') {
    log_Msg("нет файла=" + cmd.name);
    fail();
    return;
  }
  const std::string dict = tmpPath + "rus.dic";
  state.nameFile = tmpPath + "dic";
  const tLogFn log = [this](const std::string& s) { log_Msg(s); };
  if (make_Dict(cmd.name, dict, state, log) == 0) {
    log_Msg("нет текстов (.htm .html .nox) в папке=" + cmd.name);
    fail();
    return;
  }
  log_Msg("делаю пи-сокращения..");
  cPiStats st;
  if (!make_Pi(dict, appPath + "ffChars1", log, st)) {
    log_Msg("словари не построены");
    fail();
    return;
  }
  log_Msg("слов с кодами=" + std::to_string(st.replaced) + " из " + std::to_string(st.tokens));
  if (st.notCoded > 0) log_Msg("не хватило кодов для слов=" + std::to_string(st.notCoded));
  log_Msg("готово. не забудьте скопировать два словаря в папку проги");
}

}  // namespace

cNoxCommand read_Command(const std::string& commandLine) {
  cNoxCommand c;
  c.line = platform::trim(commandLine);
  if (c.line.empty()) return c;
  const size_t blank = c.line.rfind(' ');
  c.name = blank == std::string::npos ? c.line : c.line.substr(blank + 1);
  c.flagRestore = c.line.size() >= 4 && c.line.compare(c.line.size() - 4, 4, ".pi1") == 0;
  if (c.flagRestore) return c;
  const std::string s = platform::lower_Ascii(c.line) + " ";
  auto has = [&s](const char* sw) { return s.find(sw) != std::string::npos; };
  c.flagPre = has(" -pre ");
  for (const char* name : {"uni", "utf", "dos", "koi", "win"})
    if (has((std::string(" -") + name + " ").c_str())) c.charset = name;
  c.flagDic = has(" -dic ");
  return c;
}

int nox_Main(const std::string& commandLine, platform::iLogView& view, const std::string& pathArg) {
  cNoxRun run(view);
  return run.run(commandLine, pathArg);
}
