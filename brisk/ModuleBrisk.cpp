#include "ModuleBrisk.h"

#include <clocale>
#include <cstdio>

#include "core/cProgramRun.h"
#include "core/container.h"
#include "method_search.h"
#include "platform/env.h"
#include "platform/msg_box.h"
#include "platform/text.h"

namespace {

using namespace container;

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

// The state of one run and its steps; the run itself (log link, final
// command, errors that end the run) is cProgramRun's.
class cBriskRun : public cProgramRun {
public:
  explicit cBriskRun(platform::iLogView& view)
      : cProgramRun(view, "brisk.log",
                    {"Brisk Архиватор круче RAR/7z", "хранение, арифметик, PPMd порядков 2..16",
                     "https://example.org/brisk"}) {}

private:
  void work(const std::string& line) override;
  void pack(const std::string& path);
  void restore(const std::string& path);

  bool flagVerify = false;
  int32_t method = 4;
  int32_t bestSize = 0;
};

void cBriskRun::work(const std::string& line) {
  if (line.empty()) {
    show_Help("brisk.htm");
    return;
  }
  const std::string path = path_Of(line);
  start_Up_Block(line, path);
  if (has_Switch(" -v ")) flagVerify = true;
  set_Flag_Log(!has_Switch(" -off "));

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
  if (has_Switch("-best ")) method = 127;
  for (int32_t k = 0; k <= 23; ++k)
    if (has_Switch("-" + std::to_string(k) + " ")) {
      method = k;
      break;
    }

  if (S.size() >= 4 && platform::lower_Ascii(S.substr(S.size() - 4)) == ".pek") {
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
  for (const auto& l : describe_Metod(D)) log_Msg(l);

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

}  // namespace

int brisk_Main(const std::string& commandLine, platform::iLogView& view) {
  cBriskRun run(view);
  return run.run(commandLine);
}
