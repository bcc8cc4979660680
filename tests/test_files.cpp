#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/cFile.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

using testsup::read_File;
using testsup::write_File;

TEST(cFileChecksum, SumModulo30001LowByte) {
  cFile f;
  EXPECT_EQ(f.make_ks(BB{255, 255}, 0), 254);
  EXPECT_EQ(f.make_ks(BB(30001, 1), 0), 0);
  EXPECT_EQ(f.make_ks(BB(30002, 1), 0), 1);
  EXPECT_EQ(f.make_ks(BB{9, 9, 1, 2}, 2), 3);
  EXPECT_EQ(f.make_ks(BB{9}, 2), 0);  // empty range
}

TEST(cFileNames, PathNameAndExtension) {
  cFile f;
  EXPECT_EQ(f.getPath("file.dat"), "");
  EXPECT_EQ(f.getPath("C:file.dat"), "C:");
  EXPECT_EQ(f.getPath("/home/u/file.dat"), "/home/u/");
  EXPECT_EQ(f.getNameExt("a/b.dat"), "b.dat");
  EXPECT_EQ(f.getNameExt("a/B.DAT", true), "b.dat");
  EXPECT_EQ(f.getExt("Photo.JPG "), ".jpg");
  EXPECT_EQ(f.getExt("noext"), "");
  EXPECT_EQ(f.getName("C:\\dir\\file.dat"), "file");
  EXPECT_EQ(f.getName("C:\\dir\\file"), "file");
  EXPECT_EQ(f.getName("/dir/file.tar.gz"), "file.tar");
  // A dot in a folder name is no extension: output names are built from these.
  EXPECT_EQ(f.getName("dir.x/file"), "file");
  EXPECT_EQ(f.getExt("dir.x/file"), "");
  EXPECT_EQ(f.getName("C:\\a.b\\pic"), "pic");
  EXPECT_EQ(f.getExt("C:\\a.b\\pic"), "");
  EXPECT_EQ(f.getName("dir.x/pic.GIF"), "pic");
  EXPECT_EQ(f.getExt("dir.x/pic.GIF"), ".gif");
  EXPECT_EQ(f.getTmpPath().back(), '/');
  EXPECT_EQ(f.getAppPath().back(), '/');
  EXPECT_EQ(f.getTekPath().back(), '/');
}

TEST(cFileNames, LengthLimitCountsCharacters) {
  cFile f;
  EXPECT_TRUE(f.test_Name("/" + std::string(238, 'a')));
  EXPECT_FALSE(f.test_Name("/" + std::string(239, 'a')));
  std::string cyr = "/";
  for (int i = 0; i < 238; ++i) cyr += "я";  // 476 bytes, 239 characters
  EXPECT_TRUE(f.test_Name(cyr));
}

TEST(cFileRead, WholeFilePrefixAndBadNames) {
  testsup::cScratch dir;
  platform::cScopedMsgCapture cap;
  cFile f;
  write_File(dir.file("x"), BB{1, 2, 3, 4, 5});
  EXPECT_EQ(f.read_M8(dir.file("x")), (BB{1, 2, 3, 4, 5}));
  EXPECT_EQ(f.read_M8(dir.file("x"), 0), (BB{1, 2, 3, 4, 5}));
  EXPECT_EQ(f.read_M8(dir.file("x"), 2), (BB{1, 2}));
  EXPECT_TRUE(f.read_M8(dir.file("missing")).empty());
  EXPECT_TRUE(cap.box.saw("нет файла=" + dir.file("missing")));
  write_File(dir.file("empty"), BB{});
  EXPECT_TRUE(f.read_M8(dir.file("empty")).empty());
  EXPECT_TRUE(cap.box.saw("пустой файл="));
  EXPECT_TRUE(f.read_M8(dir.path()).empty());  // a folder is not a file
  EXPECT_TRUE(f.read_M8("").empty());
  EXPECT_TRUE(cap.box.saw("пустая строка"));
  write_File(dir.file("odd"), BB{1, 2, 3});
  EXPECT_TRUE(f.read_M32(dir.file("odd")).empty());
  EXPECT_TRUE(cap.box.saw("неправильная длина - не кратна 4"));
}

TEST(cFileExist, PlainFilesWildcardsAndFolders) {
  testsup::cScratch dir;
  cFile f;
  write_File(dir.file("a.gif"), BB{1});
  EXPECT_TRUE(f.exist_File(dir.file("a.gif")));
  EXPECT_TRUE(f.exist_File(dir.file("*.gif")));
  EXPECT_TRUE(f.exist_File(dir.file("?.gif")));
  EXPECT_FALSE(f.exist_File(dir.file("*.pek")));
  EXPECT_FALSE(f.exist_File(dir.path()));
}

TEST(cFileWrite, ExistingFileMovesToOldReplacingAnOlderOld) {
  testsup::cScratch dir;
  platform::cScopedMsgCapture cap;
  cFile f;
  const std::string a = dir.file("a.bin");
  ASSERT_TRUE(f.write_M8(a, BB{1}));
  ASSERT_TRUE(f.write_M8(a, BB{2}));
  ASSERT_TRUE(f.write_M8(a, BB{3}));
  EXPECT_EQ(read_File(a), BB{3});
  EXPECT_EQ(read_File(a + ".old"), BB{2});
  ASSERT_TRUE(f.write_M8(a, BB{4, 5}, true));
  EXPECT_EQ(read_File(a), (BB{3, 4, 5}));
  EXPECT_FALSE(f.write_M8(a, BB{}));
  EXPECT_TRUE(cap.box.saw("пустой массив"));
}

TEST(cFileWrite, ReadOnlyOldIsAskedAboutAndNothingIsLost) {
  testsup::cScratch dir;
  platform::cScopedMsgCapture cap;  // no answers: the safe defaults
  cFile f;
  const std::string a = dir.file("a.bin");
  write_File(a, BB{1});
  write_File(a + ".old", BB{0});
  chmod((a + ".old").c_str(), 0444);
  ASSERT_TRUE(f.write_M8(a, BB{2}));
  EXPECT_TRUE(cap.box.saw("Файл только для чтения! Удалить?"));
  // The read-only ".old" was kept, moved one step further out of the way.
  EXPECT_EQ(read_File(a), BB{2});
  EXPECT_EQ(read_File(a + ".old"), BB{1});
  EXPECT_EQ(read_File(a + ".old.old"), BB{0});

  // Answering yes deletes the read-only ".old".
  cap.box.answers = {true};
  chmod((a + ".old").c_str(), 0444);
  ASSERT_TRUE(f.write_M8(a, BB{3}));
  EXPECT_EQ(read_File(a + ".old"), BB{2});
}

TEST(cFileWrite, FailedWriteLeavesTheOldFile) {
  testsup::cScratch dir;
  platform::cScopedMsgCapture cap;
  cFile f;
  const std::string sub = dir.file("ro");
  f.make_Dir(sub);
  const std::string a = sub + "/a.bin";
  write_File(a, BB{7, 7});
  chmod(sub.c_str(), 0555);  // nothing can be created in the folder
  if (geteuid() != 0) {      // root writes anyway
    EXPECT_FALSE(f.write_M8(a, BB{1}));
    EXPECT_EQ(read_File(a), (BB{7, 7}));
  }
  chmod(sub.c_str(), 0755);
}

TEST(cFileText, LinesListsAndAppend) {
  testsup::cScratch dir;
  cFile f;
  const std::string t = dir.file("t.txt");
  ASSERT_TRUE(f.writeS(t, "один"));
  ASSERT_TRUE(f.append_File(t, "два"));
  EXPECT_EQ(f.ReadS(t), "один\r\nдва\r\n");
  EXPECT_EQ(f.read_SS(t), (SS{"один", "два"}));

  f.make_Dir(dir.file("sub/deeper"));
  write_File(dir.file("sub/deeper/z.txt"), BB{1});
  write_File(dir.file("sub/y.dat"), BB{1});
  SS txt = f.get_Dir(dir.path(), ".txt");
  EXPECT_EQ(txt, (SS{dir.file("t.txt"), dir.file("sub/deeper/z.txt")}));
  // A second listing gives the same names, not the first call's once more.
  EXPECT_EQ(f.get_Dir(dir.path(), ".txt"), txt);
  EXPECT_EQ(f.get_Dir(dir.file("sub"), ".dat"), SS{dir.file("sub/y.dat")});
  // get_list_Dir itself accumulates.
  f.get_list_Dir(dir.file("sub"));
  EXPECT_EQ(f.listFiles.size(), 4u);
}

TEST(cFileText, AFailedReadGivesNoTextAndAMessage) {
  platform::cScopedMsgCapture cap;
  cFile f;
  // A regular file whose read fails (EIO at offset 0), whoever runs the test.
  EXPECT_EQ(f.ReadS("/proc/self/mem"), "");
  EXPECT_TRUE(cap.box.saw("не могу прочитать файл=/proc/self/mem"));
}

TEST(cFileCopy, CopyMovesAnExistingTargetAside) {
  testsup::cScratch dir;
  platform::cScopedMsgCapture cap;
  cFile f;
  write_File(dir.file("s"), BB{1, 2});
  write_File(dir.file("t"), BB{9});
  f.copy_File(dir.file("s"), dir.file("t"));
  EXPECT_EQ(read_File(dir.file("t")), (BB{1, 2}));
  EXPECT_EQ(read_File(dir.file("t.old")), BB{9});
  EXPECT_TRUE(f.test_Size(dir.path(), 10));
  EXPECT_FALSE(f.test_Size(dir.path(), int64_t{1} << 60));
  EXPECT_TRUE(cap.box.saw("Не влезет на диск!"));
}

TEST(cFileText, ListingDoesNotFollowLinkedFolders) {
  testsup::cScratch dir;
  cFile f;
  f.make_Dir(dir.file("d"));
  write_File(dir.file("d/f.txt"), BB{1});
  std::filesystem::create_directory_symlink(dir.file("d"), dir.file("d/loop"));
  EXPECT_EQ(f.get_Dir(dir.path(), ".txt"), SS{dir.file("d/f.txt")});
}
