// brisk driven as a process: no terminal, TMPDIR pointed at a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

using testsup::cRun;
using testsup::read_File;
using testsup::text_Of;
using testsup::run_Program;
using testsup::write_File;

namespace {

bool exists(const std::string& p) { return std::filesystem::exists(p); }

// Lines must appear in this order in the text.
void expect_In_Order(const std::string& text, const std::vector<std::string>& lines) {
  size_t at = 0;
  for (const auto& l : lines) {
    size_t p = text.find(l, at);
    EXPECT_NE(p, std::string::npos) << "missing or out of order: " << l;
    if (p != std::string::npos) at = p + l.size();
  }
}

class BriskRun : public ::testing::Test {
protected:
  testsup::cScratch tmp, work;
  cRun brisk(const std::string& args) { return run_Program("brisk", args, tmp.path()); }
};

}  // namespace

TEST_F(BriskRun, PacksRestoresAndLogsInOrder) {
  const BB data = read_File(testsup::corpus("general/calgary/paper1"));
  const std::string src = work.file("report.doc");
  write_File(src, data);
  cRun r = brisk(src);
  ASSERT_EQ(r.status, 0) << r.err;
  const BB archive = read_File(src + "-");
  ASSERT_FALSE(archive.empty());
  EXPECT_EQ(archive[0], 4);  // 10000..999999 bytes: PPMd order 4 by default
  EXPECT_LT(archive.size(), data.size() / 2);

  const std::string log = text_Of(tmp.file("brisk.log"));
  expect_In_Order(log, {"====аргументы вызова=========", src, "текущий путь=" + work.path(),
                        "папка программы=", "временная папка=" + tmp.path(), "пишет в лог=" + tmp.file("brisk.log"),
                        "=============================", "Архив записан на диск. ",
                        "исходный размер=53161 сжатый размер=" + std::to_string(archive.size()), "сжал в ",
                        "автоматически закроется через 5 сек"});
  EXPECT_EQ(log.find("\r\n"), log.size() - 2);  // CR LF only ends the record

  std::filesystem::remove(src);
  r = brisk(src + "-");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_File(src), data);
  expect_In_Order(text_Of(tmp.file("brisk.log")),
                  {"в конце минус: декодирование в " + src, "PPMd сжатие. метод=4", "Всё ok"});
}

TEST_F(BriskRun, ExistingOutputsMoveToOldAndVerifyComparesWithOld) {
  const std::string src = work.file("a.txt");
  const BB data = read_File(testsup::corpus("general/canterbury/grammar.lsp"));
  write_File(src, data);
  write_File(src + "-", BB{42});
  ASSERT_EQ(brisk(src).status, 0);
  EXPECT_EQ(read_File(src + "-.old"), BB{42});

  // Restoring over the existing source keeps it as ".old" and compares.
  cRun r = brisk("-v " + src + "-");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_File(src), data);
  EXPECT_EQ(read_File(src + ".old"), data);
  expect_In_Order(text_Of(tmp.file("brisk.log")),
                  {"уже есть такой файл-переименовывал в: " + src + ".old", "Всё ok", "включена проверка при расжатии",
                   "файлы " + src + " и " + src + ".old одинаковые. Оk"});

  // A different ".old" is reported and fails the run.
  write_File(src, BB{1, 2, 3});
  r = brisk("-v " + src + "-");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("РАЗНЫЕ! Err?"), std::string::npos);
}

TEST_F(BriskRun, SwitchesMustStandBeforeThePath) {
  const std::string src = work.file("s.bin");
  write_File(src, BB(500, 'q'));
  cRun r = brisk(src + " -v");  // "-v" is the path now
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("нет файла:-v"), std::string::npos);
  EXPECT_FALSE(exists(src + "-"));

  // A small file gets the automatic choice and a verify even without -v.
  r = brisk(src);
  ASSERT_EQ(r.status, 0) << r.err;
  expect_In_Order(text_Of(tmp.file("brisk.log")),
                  {"--выбираем наилучший метод NO/ARI/PMD 2..16. ждите..", "--наконец-то выбран метод =",
                   "проверка декодером на ошибки. ждите..", "Нет ошибок"});
}

TEST_F(BriskRun, OrderSwitchesAndSizeRules) {
  const BB text = read_File(testsup::corpus("general/calgary/paper2"));
  const std::string big = work.file("big.txt");
  write_File(big, text);
  ASSERT_EQ(brisk("-best -2 " + big).status, 0);  // the order switch overrides -best
  EXPECT_EQ(read_File(big + "-")[0], 2);

  const std::string small = work.file("small.txt");
  write_File(small, BB(text.begin(), text.begin() + 5000));
  ASSERT_EQ(brisk("-7 " + small).status, 0);  // under 10000 bytes: automatic choice anyway
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("--выбираем наилучший метод"), std::string::npos);
  EXPECT_NE(read_File(small + "-")[0], 7);
}

TEST_F(BriskRun, OffWritesToTempOutputFolderAndQuits) {
  const std::string src = work.file("o.txt");
  write_File(src, read_File(testsup::corpus("general/canterbury/xargs.1")));
  cRun r = brisk("-off " + src);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(exists(src + "-"));
  EXPECT_TRUE(exists(tmp.file("brisk_out/o.txt-")));
  EXPECT_EQ(text_Of(tmp.file("brisk.log")).find("автоматически закроется"), std::string::npos);
}

TEST_F(BriskRun, BadInputsFailWithAClearMessage) {
  cRun r = brisk(work.file("nothing"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("нет файла:" + work.file("nothing")), std::string::npos);

  r = brisk(work.path());  // a folder
  EXPECT_NE(r.status, 0);

  write_File(work.file("empty"), BB{});
  r = brisk(work.file("empty"));
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(exists(work.file("empty-")));

  const std::string longName = work.file(std::string(250, 'n'));
  write_File(longName, BB{1, 2, 3});
  r = brisk(longName);
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("слишком длинное имя"), std::string::npos);

  // A ".pek" name in any case goes to pek beside brisk: never into an archive.
  write_File(work.file("pic.PEK"), BB{1, 2, 3});
  r = brisk(work.file("pic.PEK"));
  EXPECT_NE(r.out.find("разжимаем внешней прогой"), std::string::npos);
  EXPECT_FALSE(exists(work.file("pic.PEK-")));
}

TEST_F(BriskRun, DamagedArchivesAreReported) {
  const std::string src = work.file("d.txt");
  const BB data = read_File(testsup::corpus("general/canterbury/grammar.lsp"));
  write_File(src, data);
  ASSERT_EQ(brisk("-0 " + src).status, 0);
  BB archive = read_File(src + "-");
  std::filesystem::remove(src);

  // Stored archive with a wrong checksum: all data written beside the name,
  // the run fails and says why on stderr too.
  const std::string stored = work.file("st.txt-");
  BB st(data.size() + 2, 0);
  std::copy(data.begin(), data.end(), st.begin() + 2);
  st[1] = 0x77;
  write_File(stored, st);
  cRun r = brisk(stored);
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(exists(work.file("st.txt")));
  EXPECT_EQ(read_File(work.file("st.txt.damaged")), data);
  expect_In_Order(text_Of(tmp.file("brisk.log")), {"Неполный архив или поврежден", "КС не совпадает",
                                                   "расжатое записано в " + work.file("st.txt.damaged")});
  EXPECT_NE(r.err.find("Неполный архив или поврежден: КС не совпадает"), std::string::npos) << r.err;

  // Unknown method: nothing written.
  write_File(work.file("u.txt-"), BB{20, 0, 1, 2, 3});
  r = brisk(work.file("u.txt-"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("неизвестный метод 17-30"), std::string::npos);
  EXPECT_FALSE(exists(work.file("u.txt")));

  // Truncated archive: no crash, failure reported.
  archive.resize(archive.size() / 2);
  write_File(work.file("t.txt-"), archive);
  r = brisk(work.file("t.txt-"));
  EXPECT_NE(r.status, 0);
  EXPECT_LT(r.status, 128);  // ended normally, not by a signal
}

TEST_F(BriskRun, EmptyCommandLineShowsHelpAndStoresTheSetting) {
  cRun r = run_Program("brisk", "", tmp.path(), "", {"XDG_CONFIG_HOME=" + tmp.path() + "cfg"});
  EXPECT_EQ(r.status, 0);
  // Text that only the help file has (the banner names the program too):
  // shown without its tags, kept whole in the log.
  EXPECT_NE(r.out.find("\nbrisk [ключи] путь\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("<p>"), std::string::npos);
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("<p>brisk [ключи] путь</p>"), std::string::npos);
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("-best медленный перебор"), std::string::npos);
  EXPECT_NE(text_Of(tmp.file("cfg/brisk.ini")).find("Show Tips at Startup=1"), std::string::npos);
}

TEST_F(BriskRun, RussianTextsGetOrderThreeAboveAMegabyteAndFourBelow) {
  const BB big = read_File(testsup::corpus("russian/text/utf8/gogol_myortvye_dushi.txt"));
  ASSERT_GT(big.size(), 1000000u);
  const std::string a = work.file("big.txt");
  write_File(a, BB(big.begin(), big.begin() + 1048576));
  const std::string b = work.file("small.txt");
  write_File(b, BB(big.begin(), big.begin() + 100000));
  ASSERT_EQ(brisk(a).status, 0);
  ASSERT_EQ(brisk(b).status, 0);
  EXPECT_EQ(read_File(a + "-")[0], 3);
  EXPECT_EQ(read_File(b + "-")[0], 4);
  for (const std::string& p : {a, b}) {
    const BB original = read_File(p);
    std::filesystem::remove(p);
    ASSERT_EQ(brisk(p + "-").status, 0);
    EXPECT_EQ(read_File(p), original);
  }
}

TEST_F(BriskRun, AriSwitchPacksWithMethodOne) {
  const std::string src = work.file("a.txt");
  const BB data = read_File(testsup::corpus("general/calgary/paper3"));
  write_File(src, data);
  ASSERT_EQ(brisk("-1 " + src).status, 0);
  EXPECT_EQ(read_File(src + "-")[0], 1);
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("сжимаем Арифметиком"), std::string::npos);
  std::filesystem::remove(src);
  ASSERT_EQ(brisk(src + "-").status, 0);
  EXPECT_EQ(read_File(src), data);
  EXPECT_NE(text_Of(tmp.file("brisk.log")).find("динамический арифметик с макс 1..255"), std::string::npos);
}
