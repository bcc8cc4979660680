#include "ModuleBrisk.h"

#include <clocale>
#include <cstdio>
#include <new>

#include "FormInfo.h"
#include "cFile.h"
#include "env.h"
#include "method_search.h"
#include "msg_box.h"

namespace {

const int64_t kMaxInput = 16777216;

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string lower_Ascii(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// n / len with one decimal, halves rounded up, and the user's decimal separator.
std::string ratio_Text(int64_t n, size_t len) {
  const int64_t d = static_cast<int64_t>(len ? len : 1);
  const int64_t tenths = (20 * n + d) / (2 * d);
  std::setlocale(LC_NUMERIC, "");
  const char* point = std::localeconv()->decimal_point;
  const std::string sep = point && *point ? point : ".";
  std::setlocale(LC_NUMERIC, "C");
  return std::to_string(tenths / 10) + sep + std::to_string(tenths % 10);
}

const char* err_Text(int32_t vErr) {
  switch (vErr) {
    case -1: return "пустой вх.массив";
    case -2: return "неверный метод";
    case -3: return "КС не совпадает";
    case -4: return "размер не совпадает";
    case -5: return "нет маркера конца=неполный/повреждён";
    default: return "непонятная ошибка";
  }
}

// The state of one run and its steps.
class cBriskRun : public CbClientClass {
public:
  explicit cBriskRun(platform::iLogView& view) : form(view) {}

  void TellMsg(const std::string& sMsg) override { log_Msg(sMsg); }
  void log_Msg(const std::string& s) { form.log_Msg(s); }

  int run(const std::string& commandLine);

private:
  void start_Up(const std::string& line);
  void pack(const std::string& path);
  void restore(const std::string& path);
  void empty_Command_Line();
  void end_Of_Run();
  void fail() { keepOpen = true; failed = true; }
  void connect_Log();
  void disconnect_Log();

  FormInfo form;
  cMassiv m;
  cFile file;
  bool flagLog = true;
  bool keepOpen = false;
  bool failed = false;
  bool flagVerify = false;
  bool connected = false;
  int32_t method = 4;
  int32_t bestSize = 0;
  std::string S;
  std::string appPath, tmpPath, curPath;
};

void cBriskRun::connect_Log() {
  if (file.AddObjectReference(this))
    connected = true;
  else
    platform::msg("Connect Failed...");
}

void cBriskRun::disconnect_Log() {
  if (!connected) return;
  if (file.DropObjectReference(this))
    connected = false;
  else
    platform::msg("Disconnect Failed...");
}

int cBriskRun::run(const std::string& commandLine) {
  form.onQuit = [this] {
    if (flagLog) disconnect_Log();
  };
  appPath = file.getAppPath();
  tmpPath = file.getTmpPath();
  form.logPath = tmpPath + "brisk.log";
  log_Msg("Brisk Архиватор круче RAR/7z");
  log_Msg("хранение, арифметик, PPMd порядков 2..16");
  log_Msg("https://example.org/brisk");
  try {
    start_Up(commandLine);
  } catch (const std::bad_alloc&) {
    log_Msg("ошибка: нет памяти");
    platform::msg("нет памяти");
    fail();
  } catch (const std::exception& e) {
    log_Msg(std::string("ошибка: ") + e.what());
    platform::msg(std::string("ошибка: ") + e.what());
    fail();
  }
  end_Of_Run();
  form.run_Until_Closed();
  return failed ? 1 : 0;
}

void cBriskRun::start_Up(const std::string& commandLine) {
  const std::string line = trim(commandLine);
  if (line.empty()) {
    empty_Command_Line();
    return;
  }
  const size_t blank = line.rfind(' ');
  const std::string path = blank == std::string::npos ? line : line.substr(blank + 1);
  curPath = file.getPath(path);
  if (curPath.empty()) curPath = file.getTekPath();

  form.logPath = tmpPath + "brisk.log";
  if (file.len_File(form.logPath) > 99999) file.del_File(form.logPath);

  log_Msg("====аргументы вызова=========");
  log_Msg(line);
  log_Msg("текущий путь=" + curPath);
  log_Msg("папка программы=" + appPath);
  log_Msg("временная папка=" + tmpPath);
  log_Msg("пишет в лог=" + form.logPath);
  log_Msg("=============================");

  S = " " + line;
  if (S.find(" -v ") != std::string::npos) flagVerify = true;
  if (S.find(" -off ") != std::string::npos) flagLog = false;
  file.setFlagLog(flagLog);
  if (flagLog) connect_Log();

  if (!file.exist_File(path)) {
    platform::msg("нет файла:" + path);
    fail();
    return;
  }
  if (path.back() == '-')
    restore(path);
  else
    pack(path);
}

void cBriskRun::pack(const std::string& path) {
  method = 4;
  if (S.find("-best ") != std::string::npos) method = 127;
  for (int32_t k = 0; k <= 23; ++k)
    if (S.find("-" + std::to_string(k) + " ") != std::string::npos) {
      method = k;
      break;
    }

  if (S.size() >= 4 && lower_Ascii(S.substr(S.size() - 4)) == ".pek") {
    log_Msg("разжимаем внешней прогой");
    const std::string pek = appPath + "pek";
    if (!file.exist_File(pek) || !platform::start_Program(pek, S)) {
      platform::msg("не могу запустить программу pek: " + pek);
      fail();
    }
    return;
  }

  const int64_t n = file.len_File(path);
  if (n == 0) {
    platform::msg("пустой файл=" + path);
    fail();
    return;
  }
  if (n > kMaxInput) {
    platform::msg("макс 16мб-ограничение этого кодера");
    fail();
    return;
  }

  std::string A = path + "-";
  if (!flagLog) {
    const std::string outDir = tmpPath + "brisk_out";
    file.make_Dir(outDir);
    A = outDir + "/" + file.getNameExt(A);
    file.del_File(A);
  }
  if (file.exist_File(A)) {
    log_Msg("уже есть такой файл-переименовывал в: " + A + ".old");
    file.del_file_Safe(A);
  }

  bestSize = static_cast<int32_t>(n + 2);
  if (method < 127) {
    if (n < 1000) flagVerify = true;
    if (n < 10000) method = 0;
  }
  if (n > 999999) method = 3;

  const BB D = file.read_M8(path);
  if (D.empty()) {
    fail();
    return;
  }
  if (method == 127) {
    run_Method_Search(file, m, D, [this](const std::string& s) { log_Msg(s); }, bestSize, keepOpen);
    method = 0;
  }
  file.setFlagLogPmd(true);

  BB archive;
  if (method == 0) {
    log_Msg("--выбираем наилучший метод NO/ARI/PMD 2..16. ждите..");
    int32_t chosen = 0;
    archive = file.zip_Auto(D, chosen, true);
    log_Msg("--наконец-то выбран метод =" + std::to_string(chosen) + ": " + std::to_string(archive.size()));
  } else if (method == 1) {
    log_Msg("сжимаем Арифметиком");
    archive = file.zip_Ari(D);
  } else if (method <= 16) {
    archive = file.zip_Pmd(D, method, true);
  }
  if (archive.empty()) {
    log_Msg("сохраняю без сжатия+КС");
    archive = file.zip_No(D);
  }

  if (!file.write_M8(A, archive)) {
    log_Msg("архив не записан: " + A);
    fail();
    return;
  }
  log_Msg("Архив записан на диск. ");
  log_Msg("исходный размер=" + std::to_string(n) + " сжатый размер=" + std::to_string(archive.size()));
  log_Msg("сжал в " + ratio_Text(n, archive.size()) + " раз");
  if (bestSize < static_cast<int64_t>(archive.size())) {
    log_Msg("но могло быть лучше=" + std::to_string(bestSize));
    log_Msg("кому нужны доп. кодеки (обычно для сж. таблиц) пишите.");
  }

  if (flagVerify) {
    log_Msg("проверка декодером на ошибки. ждите..");
    int32_t vErr = 0;
    const BB back = file.unzip_Auto(archive, vErr);
    if (vErr == 0 && m.cmp_BB_BB(back, D)) {
      log_Msg("Нет ошибок");
    } else {
      log_Msg("Ошибки при проверке(verify error)");
      fail();
    }
  }
}

void cBriskRun::restore(const std::string& path) {
  const std::string O = path.substr(0, path.size() - 1);
  log_Msg("в конце минус: декодирование в " + O);
  if (file.exist_File(O)) log_Msg("уже есть такой файл-переименовывал в: " + O + ".old");
  file.del_file_Safe(O);

  const BB D = file.read_M8(path);
  size_t i = 0;
  for (; i < D.size() && (D[i] & 0x80); ++i) log_Msg("фильтров пока не будет");
  if (i < D.size()) {
    const int b = D[i];
    const std::string first = std::to_string(D[0]);
    if (b == 0)
      log_Msg("метод без сжатия");
    else if (b == 1)
      log_Msg("динамический арифметик с макс 1..255");
    else if (b <= 16)
      log_Msg("PPMd сжатие. метод=" + first);
    else if (b == 31)
      log_Msg("16-ти битный динамический арифметик с макс 1..4000");
    else
      log_Msg("Волшебный контекстный преобразователь+PMD=(отключен)" + first);
  }

  int32_t vErr = 0;
  const BB data = file.unzip_Auto(D, vErr);
  if (data.empty()) {
    platform::msg("Ошибка или неизвестный метод");
    fail();
    return;
  }
  if (!file.write_M8(O, data)) {
    log_Msg("файл не записан: " + O);
    fail();
    return;
  }
  if (vErr < 0) {
    log_Msg("Неполный архив или поврежден");
    log_Msg(err_Text(vErr));
    fail();
    return;
  }
  log_Msg("Всё ok");
  if (flagVerify) {
    log_Msg("включена проверка при расжатии");
    const std::string old = O + ".old";
    if (file.exist_File(old)) {
      const BB before = file.read_M8(old);
      if (m.cmp_BB_BB(before, data)) {
        log_Msg("файлы " + O + " и " + old + " одинаковые. Оk");
      } else {
        log_Msg("файлы " + O + " и " + old + " РАЗНЫЕ! Err?");
        fail();
      }
    }
  }
}

void cBriskRun::empty_Command_Line() {
  log_Msg(file.ReadS(appPath + "brisk.htm"));
  log_Msg("<HOME!>");
  platform::save_Setting(platform::program_Name(), "Options", "Show Tips at Startup", "1");
  keepOpen = true;
}

void cBriskRun::end_Of_Run() {
  form.flagFinished = true;
  if (keepOpen)
    log_Msg("<HOME!>");
  else if (flagLog)
    log_Msg("<TIMER!>");
  else
    log_Msg("<QUIT!>");
}

}  // namespace

int brisk_Main(const std::string& commandLine, platform::iLogView& view) {
  cBriskRun run(view);
  return run.run(commandLine);
}
