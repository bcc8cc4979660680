// File-system faults: what a failed, damaged, concurrent or hostile write
// must leave behind. The core's write step first, then brisk as a process.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/FormInfo.h"
#include "core/cFile.h"
#include "core/container.h"
#include "core/safe_file.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using platform::cScopedMsgCapture;
using testsup::cRun;
using testsup::read_File;
using testsup::text_Of;
using testsup::write_File;

namespace {

bool exists(const std::string& p) {
  struct stat st {};
  return ::lstat(p.c_str(), &st) == 0;
}

mode_t mode_Of(const std::string& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

BB bytes(const std::string& s) { return BB(s.begin(), s.end()); }

std::string repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// A small tmpfs of its own, for running out of room. Needs root (the test
// command runs as root); otherwise the test is skipped with a message.
class cSmallDisk {
public:
  explicit cSmallDisk(const std::string& dir, const char* size) : dir_(dir) {
    if (::geteuid() != 0) {
      why_ = "not root: cannot mount a tmpfs";
      return;
    }
    const std::string opts = std::string("size=") + size;
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, opts.c_str()) != 0)
      why_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    else
      mounted_ = true;
  }
  ~cSmallDisk() {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

private:
  std::string dir_, why_;
  bool mounted_ = false;
};

class FileSafety : public ::testing::Test {
protected:
  testsup::cScratch tmp, work;
  cRun brisk(const std::string& args) { return testsup::run_Program("brisk", args, tmp.path()); }
  cRun brisk_Words(const std::vector<std::string>& words, const std::string& cwd = "",
                   const std::vector<std::string>& env = {}) {
    return testsup::run_Words("brisk", words, tmp.path(), cwd, env);
  }
  std::string log() { return text_Of(tmp.file("brisk.log")); }
};

}  // namespace

// ------------------------------------------------------------ the core's write step

TEST_F(FileSafety, WriteReplacesOnlyWhenCompleteAndKeepsTheMode) {
  cScopedMsgCapture cap;
  cFile f;
  const std::string x = work.file("x");
  write_File(x, bytes("OLD"));
  write_File(x + ".old", bytes("OLDER"));
  ASSERT_TRUE(f.write_M8(x, bytes("NEW")));
  EXPECT_EQ(read_File(x), bytes("NEW"));
  EXPECT_EQ(read_File(x + ".old"), bytes("OLD"));
  // No scratch and no lock file stay behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(work.path())) ++entries;
  EXPECT_EQ(entries, 2);

  // A private source gives a private copy; an executable stays one (less the umask).
  const mode_t old_Mask = ::umask(022);
  ::umask(old_Mask);
  const std::string secret = work.file("secret");
  write_File(secret, bytes("s"));
  ::chmod(secret.c_str(), 0600);
  ASSERT_TRUE(f.write_M8(work.file("secret-"), bytes("t"), false, secret));
  EXPECT_EQ(mode_Of(work.file("secret-")), 0600u);
  ::chmod(secret.c_str(), 0755);
  ASSERT_TRUE(f.write_M8(work.file("tool-"), bytes("t"), false, secret));
  EXPECT_EQ(mode_Of(work.file("tool-")), 0755u & ~old_Mask);
  EXPECT_TRUE(cap.box.texts.empty());
}

TEST_F(FileSafety, ALongNameIsWrittenThroughAShortScratchName) {
  cScopedMsgCapture cap;
  cFile f;
  // 127 two-byte letters and one more byte: 255 bytes, the longest name.
  const std::string name = repeat("я", 127) + "x";
  ASSERT_EQ(name.size(), 255u);
  const std::string x = work.file(name);
  ASSERT_TRUE(f.write_M8(x, bytes("one"))) << (cap.box.texts.empty() ? "" : cap.box.texts[0]);
  EXPECT_EQ(read_File(x), bytes("one"));
  // Its ".old" cannot exist: the old file stays, the failure says why.
  EXPECT_FALSE(f.write_M8(x, bytes("two")));
  EXPECT_EQ(read_File(x), bytes("one"));
  EXPECT_TRUE(cap.box.saw("File name too long")) << cap.box.texts.size();
}

TEST_F(FileSafety, FailuresSayTheSystemsReason) {
  cScopedMsgCapture cap;
  cFile f;
  EXPECT_FALSE(f.write_M8(work.file("no/such/folder/x"), bytes("a")));
  EXPECT_TRUE(cap.box.saw("не могу записать файл=" + work.file("no/such/folder/x") + ": No such file or directory"));
  cap.box.clear();
  EXPECT_FALSE(f.write_M8(work.file(repeat("я", 130)), bytes("a")));  // 260 bytes
  EXPECT_TRUE(cap.box.saw(": File name too long"));
}

TEST_F(FileSafety, AReadOnlyOldNeverPushesAnOlderFileOut) {
  cScopedMsgCapture cap;  // no answers: the safe defaults (keep; "перезаписать?" yes)
  cFile f;
  const std::string x = work.file("f-");
  write_File(x, bytes("PREV"));
  write_File(x + ".old", bytes("OLDER"));
  ::chmod((x + ".old").c_str(), 0444);
  write_File(x + ".old.old", bytes("OLDEST"));
  EXPECT_FALSE(f.write_M8(x, bytes("NEW")));
  EXPECT_EQ(read_File(x), bytes("PREV"));
  EXPECT_EQ(read_File(x + ".old"), bytes("OLDER"));
  EXPECT_EQ(read_File(x + ".old.old"), bytes("OLDEST"));
  EXPECT_TRUE(cap.box.saw("Файл только для чтения! Удалить?"));

  // With no older file there, the read-only one moves on a generation.
  fs::remove(x + ".old.old");
  ASSERT_TRUE(f.write_M8(x, bytes("NEW")));
  EXPECT_EQ(read_File(x), bytes("NEW"));
  EXPECT_EQ(read_File(x + ".old"), bytes("PREV"));
  EXPECT_EQ(read_File(x + ".old.old"), bytes("OLDER"));
}

TEST_F(FileSafety, RunningOutOfRoomLeavesTheOldFilesAsTheyWere) {
  cSmallDisk disk(work.path(), "256k");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  cScopedMsgCapture cap;
  cFile f;
  const std::string x = work.file("x");
  write_File(x, bytes("OLD"));
  write_File(x + ".old", bytes("OLDER"));
  EXPECT_FALSE(f.write_M8(x, testsup::random_Bytes(400000, 1)));
  EXPECT_EQ(read_File(x), bytes("OLD"));
  EXPECT_EQ(read_File(x + ".old"), bytes("OLDER"));
  EXPECT_TRUE(cap.box.saw("No space left on device"));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(work.path())) ++entries;
  EXPECT_EQ(entries, 2);  // the scratch file is gone again
}

TEST_F(FileSafety, ALockKeepsASecondRunOut) {
  cFile a, b;
  const std::string x = work.file("x");
  ASSERT_TRUE(a.lock_Target(x, false));
  EXPECT_TRUE(exists(safefile::cLock::lock_Path(x)));
  EXPECT_FALSE(b.lock_Target(x, false));
  EXPECT_TRUE(b.lock_Target(work.file("y"), false));  // another target is free
  a.unlock_Target(x);
  EXPECT_FALSE(exists(safefile::cLock::lock_Path(x)));  // removed on release
  EXPECT_TRUE(b.lock_Target(x, false));
}

TEST_F(FileSafety, TheTempFolderFollowsNoLink) {
  cScopedMsgCapture cap;
  const std::string victim = work.file("victim");
  write_File(victim, bytes("precious"));
  const std::string link = tmp.file("brisk.log");
  fs::create_symlink(victim, link);
  EXPECT_EQ(safefile::temp_Refusal(link, false), "это ссылка");
  EXPECT_FALSE(safefile::append_NoFollow(link, "attack"));
  EXPECT_EQ(read_File(victim), bytes("precious"));

  // Another user's file there is refused too (root can make one to try).
  if (::geteuid() == 0) {
    write_File(tmp.file("nox_log.tmp"), bytes("theirs"));
    ASSERT_EQ(::chown(tmp.file("nox_log.tmp").c_str(), 65534, 65534), 0);
    EXPECT_EQ(safefile::temp_Refusal(tmp.file("nox_log.tmp"), false), "принадлежит другому пользователю");
    EXPECT_FALSE(safefile::append_NoFollow(tmp.file("nox_log.tmp"), "mine"));
    EXPECT_EQ(read_File(tmp.file("nox_log.tmp")), bytes("theirs"));
  }

  // A folder there: only the last one is made, and never through a link.
  cFile f;
  EXPECT_FALSE(f.make_Temp_Dir(tmp.file("missing/brisk_out")).empty());
  EXPECT_FALSE(exists(tmp.file("missing")));
  fs::create_directory(work.file("elsewhere"));
  fs::create_directory_symlink(work.file("elsewhere"), tmp.file("brisk_out"));
  EXPECT_NE(f.make_Temp_Dir(tmp.file("brisk_out")).find("это ссылка"), std::string::npos);
  EXPECT_EQ(f.make_Temp_Dir(tmp.file("pek_out")), "");
  EXPECT_EQ(mode_Of(tmp.file("pek_out")), 0700u);

  // Work files there: a link under the name is neither followed nor moved.
  const char* was = std::getenv("TMPDIR");
  const std::string before = was ? was : "";
  ::setenv("TMPDIR", tmp.path().c_str(), 1);
  fs::create_symlink(victim, tmp.file("PEKtmp"));
  EXPECT_FALSE(f.write_M8(tmp.file("PEKtmp"), bytes("x")));
  EXPECT_FALSE(f.append_File(tmp.file("PEKtmp"), "x"));
  EXPECT_TRUE(cap.box.saw("не пишу в " + tmp.file("PEKtmp") + ": это ссылка"));
  EXPECT_TRUE(fs::is_symlink(tmp.file("PEKtmp")));
  EXPECT_EQ(read_File(victim), bytes("precious"));
  EXPECT_TRUE(f.write_M8(tmp.file("out.pek0"), bytes("x")));
  if (was)
    ::setenv("TMPDIR", before.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
}

TEST(HtmlText, HelpLosesItsTagsButNotItsText) {
  const std::string t = html_To_Text("<html><body><h1>brisk</h1><p>a &lt;b&gt;\nc</p><ul><li>-v x</li></ul></body></html>");
  EXPECT_EQ(t, "brisk\na <b> c\n  - -v x");
}

// ------------------------------------------------------------ brisk as a process

TEST_F(FileSafety, BriskPackOutOfRoomKeepsArchiveAndBackup) {
  cSmallDisk disk(work.path(), "1m");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string x = work.file("x");
  write_File(x, testsup::random_Bytes(600000, 7));  // stored: as large again
  write_File(x + "-", bytes("ARCHIVE"));
  write_File(x + "-.old", bytes("BACKUP"));
  cRun r = brisk(x);
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(read_File(x + "-"), bytes("ARCHIVE"));
  EXPECT_EQ(read_File(x + "-.old"), bytes("BACKUP"));
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
  EXPECT_NE(log().find("архив не записан: " + x + "-"), std::string::npos);
}

TEST_F(FileSafety, BriskDamagedRestoreKeepsTheGoodCopy) {
  const BB paper2 = read_File(testsup::corpus("general/calgary/paper2"));
  const std::string src = work.file("paper2");
  write_File(src, paper2);
  ASSERT_EQ(brisk("-1 " + src).status, 0);
  const BB ari = read_File(src + "-");
  ASSERT_EQ(ari[0], 1);

  // Method 1 cut short: the decoded part is written beside the user's file.
  const std::string g = work.file("g");
  write_File(g, bytes("my edited g"));
  write_File(g + "-", BB(ari.begin(), ari.begin() + 23651));
  for (int attempt = 0; attempt < 2; ++attempt) {  // a retry must not destroy it either
    cRun r = brisk(g + "-");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read_File(g), bytes("my edited g"));
    EXPECT_FALSE(exists(g + ".old"));
    const BB part = read_File(g + ".damaged");
    ASSERT_GT(part.size(), 30000u);
    ASSERT_LT(part.size(), paper2.size());
    EXPECT_TRUE(std::equal(part.begin(), part.begin() + 30000, paper2.begin()));
    EXPECT_NE(r.err.find("нет маркера конца=неполный/повреждён"), std::string::npos) << r.err;
  }
  const std::string l = log();
  EXPECT_NE(l.find("Неполный архив или поврежден\r"), std::string::npos);
  EXPECT_NE(l.find("нет маркера конца=неполный/повреждён\r"), std::string::npos);
  EXPECT_EQ(l.find("Ошибка или неизвестный метод"), std::string::npos);

  // Method 31 cut short: the same. (Its 16-bit values stay below 4096 when
  // every second byte is below 16.)
  cFile f;
  BB data31(paper2.begin(), paper2.begin() + 20000);
  for (size_t i = 1; i < data31.size(); i += 2) data31[i] &= 15;
  BB marked = data31;
  marked.push_back(1);
  const BB c31 = f.zip_Ari16_4k(f.massiv().M8_to_M16(marked));
  ASSERT_FALSE(c31.empty());
  ASSERT_EQ(c31[0], 31);
  write_File(work.file("h-"), BB(c31.begin(), c31.begin() + static_cast<std::ptrdiff_t>(c31.size() / 2)));
  cRun r = brisk(work.file("h-"));
  EXPECT_EQ(r.status, 1);
  const BB part = read_File(work.file("h.damaged"));
  ASSERT_GT(part.size(), 5000u);
  EXPECT_TRUE(std::equal(part.begin(), part.begin() + 5000, data31.begin()));
  EXPECT_FALSE(exists(work.file("h")));
}

TEST_F(FileSafety, BriskWaitsForNoOneAndTouchesNothingWhileAnotherRunHoldsTheFile) {
  const std::string x = work.file("x");
  const BB data = read_File(testsup::corpus("general/canterbury/grammar.lsp"));
  write_File(x, data);
  ASSERT_EQ(brisk(x).status, 0);
  write_File(x, bytes("user's edit"));
  cFile other;  // another run, in the middle of its restore of x
  ASSERT_TRUE(other.lock_Target(x, false));
  cRun r = brisk(x + "-");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_File(x), bytes("user's edit"));
  EXPECT_FALSE(exists(x + ".old"));
  EXPECT_NE(r.err.find("файл занят другим запуском: " + x), std::string::npos) << r.err;
  other.unlock_Target(x);
  ASSERT_EQ(brisk(x + "-").status, 0);
  EXPECT_EQ(read_File(x), data);
  EXPECT_EQ(read_File(x + ".old"), bytes("user's edit"));
}

TEST_F(FileSafety, BriskNamesWithBlanksWildcardsAndFullLength) {
  fs::create_directory(work.file("sub"));
  write_File(work.file("final.txt"), bytes("wrong one"));
  write_File(work.file("sub/report final.txt"), BB(3000, 'r'));
  cRun r = brisk_Words({"-v", "sub/report final.txt"}, work.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(exists(work.file("sub/report final.txt-")));
  EXPECT_FALSE(exists(work.file("final.txt-")));

  // A wildcard that names no file is no file, without an internal error.
  write_File(work.file("ab"), bytes("ab"));
  r = brisk_Words({"a*"}, work.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("нет файла:a*"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("max_size"), std::string::npos) << r.err;
  // One that does name a file is that file.
  write_File(work.file("a*"), BB(2000, 's'));
  r = brisk_Words({"a*"}, work.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(exists(work.file("a*-")));
  EXPECT_FALSE(exists(work.file("ab-")));

  // A 254-byte name packs to a 255-byte archive and back.
  const std::string name = repeat("я", 127);
  write_File(work.file(name), BB(5000, 'n'));
  r = brisk(work.file(name));
  ASSERT_EQ(r.status, 0) << r.err;
  fs::remove(work.file(name));
  r = brisk(work.file(name + "-"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_File(work.file(name)), BB(5000, 'n'));
}

TEST_F(FileSafety, BriskKeepsPermissions) {
  const std::string s = work.file("secret.txt");
  write_File(s, BB(20000, 'p'));
  ::chmod(s.c_str(), 0600);
  ASSERT_EQ(brisk(s).status, 0);
  EXPECT_EQ(mode_Of(s + "-"), 0600u);
  fs::remove(s);
  ASSERT_EQ(brisk(s + "-").status, 0);
  EXPECT_EQ(mode_Of(s), 0600u);

  const std::string tool = work.file("tool");
  write_File(tool, BB(20000, 't'));
  ::chmod(tool.c_str(), 0750);
  ASSERT_EQ(brisk(tool).status, 0);
  fs::remove(tool);
  ASSERT_EQ(brisk(tool + "-").status, 0);
  EXPECT_EQ(mode_Of(tool), 0750u);

  // A read-only source gives an archive its owner can still replace: packing
  // it again and again asks nothing and keeps working.
  const std::string ro = work.file("ro.txt");
  write_File(ro, BB(20000, 'o'));
  ::chmod(ro.c_str(), 0444);
  for (int i = 0; i < 4; ++i) ASSERT_EQ(brisk(ro).status, 0) << i;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(mode_Of(ro + "-"), 0644u & ~mask);
}

TEST_F(FileSafety, BriskFollowsNoLinkInTheTempFolder) {
  const std::string victim = work.file("victim");
  write_File(victim, bytes("precious"));
  fs::create_symlink(victim, tmp.file("brisk.log"));
  fs::create_directory(work.file("elsewhere"));
  fs::create_directory_symlink(work.file("elsewhere"), tmp.file("brisk_out"));
  const std::string src = work.file("a.txt");
  write_File(src, BB(3000, 'a'));

  cRun r = brisk(src);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_File(victim), bytes("precious"));
  EXPECT_NE(r.out.find("не пишу лог в " + tmp.file("brisk.log") + ": это ссылка"), std::string::npos) << r.out;

  r = brisk("-off " + src);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(fs::is_empty(work.file("elsewhere")));
  EXPECT_NE(r.err.find("не могу использовать папку " + tmp.file("brisk_out") + ": это ссылка"), std::string::npos);

  // -off creates only the last folder of the archive's place.
  r = brisk_Words({"-off", src}, "", {"TMPDIR=" + work.file("missing/dir")});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(exists(work.file("missing")));
}

TEST_F(FileSafety, BriskRefusesOversizedArchivesAndFloodsNothing) {
  // Larger than any pack writes: refused before it is read.
  const std::string big = work.file("big-");
  {
    write_File(big, BB{0});
    fs::resize_file(big, static_cast<uintmax_t>(container::kMaxArchive) + 1);
  }
  cRun r = brisk(big);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("слишком большой архив=" + big), std::string::npos) << r.err;
  EXPECT_FALSE(exists(work.file("big")));
  EXPECT_FALSE(exists(work.file("big.damaged")));

  // Bytes of 0xFF: the filter line once, not once per byte.
  write_File(work.file("ff-"), BB(100000, 0xFF));
  r = brisk(work.file("ff-"));
  const std::string l = log();
  size_t count = 0;
  for (size_t p = 0; (p = l.find("фильтров пока не будет", p)) != std::string::npos; ++p) ++count;
  EXPECT_EQ(count, 1u);
  EXPECT_LT(r.out.size(), 20000u);
}

TEST_F(FileSafety, BriskHelpVersionAndACommandAsAFileName) {
  cRun r = brisk("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("brisk — архиватор"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("<p>"), std::string::npos);
  EXPECT_NE(log().find("<h1>brisk — архиватор</h1>"), std::string::npos);  // the log keeps it whole
  EXPECT_EQ(brisk("-h").status, 0);
  r = brisk("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("brisk 1.0"), std::string::npos);

  // A file named like a log command is a file: packed, and the log goes on.
  write_File(work.file("<QUIT!>"), BB(3000, 'q'));
  r = brisk_Words({"<QUIT!>"}, work.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(exists(work.file("<QUIT!>-")));
  EXPECT_NE(log().find("Архив записан на диск. "), std::string::npos);
}

TEST_F(FileSafety, BriskDeletesNoGenerationTheUserKept) {
  const std::string f = work.file("f");
  write_File(f, BB(3000, 'f'));
  write_File(f + "-", bytes("PREV"));
  write_File(f + "-.old", bytes("OLDER"));
  ::chmod((f + "-.old").c_str(), 0444);
  write_File(f + "-.old.old", bytes("OLDEST"));
  cRun r = brisk(f);  // no terminal: the prompts take their safe defaults
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_File(f + "-"), bytes("PREV"));
  EXPECT_EQ(read_File(f + "-.old"), bytes("OLDER"));
  EXPECT_EQ(read_File(f + "-.old.old"), bytes("OLDEST"));
  EXPECT_NE(r.err.find("уже есть " + f + "-.old.old"), std::string::npos) << r.err;
}
