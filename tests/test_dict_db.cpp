// cDictDB: chains, counting, the move-up, delete, and both file formats byte for byte.
#include <gtest/gtest.h>

#include "nox/cDictDB.h"
#include "platform/msg_box.h"
#include "support/test_support.h"

namespace {

// UTF-8 Cyrillic literal -> Windows-1251 bytes (the dictionary's own text).
std::string w(const std::string& u8) {
  std::string out;
  for (size_t i = 0; i < u8.size(); ++i) {
    unsigned char c = u8[i];
    if (c < 128) {
      out += static_cast<char>(c);
      continue;
    }
    unsigned cp = (c & 0x1F) << 6 | (static_cast<unsigned char>(u8[++i]) & 0x3F);
    if (cp == 0x401) out += '\xA8';
    else if (cp == 0x451) out += '\xB8';
    else out += static_cast<char>(cp - 0x410 + 192);
  }
  return out;
}

uint32_t word_At(const BB& bb, size_t i) {
  return uint32_t(bb[4 * i]) | uint32_t(bb[4 * i + 1]) << 8 | uint32_t(bb[4 * i + 2]) << 16 |
         uint32_t(bb[4 * i + 3]) << 24;
}

TEST(DictDB, AddingTwiceCountsOneRecordWithItsFirstRecordCount) {
  cDictDB d;
  d.addKeyS(w("кот"), -1, -1, 1, true);
  const int32_t r = d.addKeyS(w("дом"), -1, -1, 1, true);
  EXPECT_EQ(d.addKeyS(w("дом"), -1, -1, 1, true), r);
  EXPECT_EQ(d.getSizeDict(), 2);
  EXPECT_EQ(d.getF0(r), 2);
  EXPECT_EQ(d.getV1(r), 0);
  EXPECT_EQ(d.getV2(r), 2);  // record count when it was first inserted
  EXPECT_EQ(d.findKeyS(w("дом")), r);
  EXPECT_EQ(d.findKeyS(w("дым")), 0);
  EXPECT_EQ(d.findKeyS(""), -1);
  d.addKeyS(w("дом"), 7, 9, 0, true);
  EXPECT_EQ(d.getV1(r), 7);
  EXPECT_EQ(d.getV2(r), 9);
  EXPECT_EQ(d.getWord(static_cast<uint8_t>(w("д")[0]), static_cast<uint8_t>(w("о")[0]), r), w("дом"));
}

TEST(DictDB, KeyPackingWordsAndShortKeys) {
  cDictDB d;
  // Each record is 4 fields + packed words; U grows by exactly that.
  struct Case { std::string key; int32_t words; };
  const Case cases[] = {{"a", 1}, {"ab", 1}, {"abc", 1}, {"abcde", 1}, {"abcdef", 2}, {"abcdefghi", 2}, {"abcdefghij", 3}};
  for (const auto& cs : cases) {
    const int32_t before = d.usedLength();
    const int32_t r = d.addKeyS(cs.key, -1, -1, 1, false);
    EXPECT_EQ(r, before + 1) << cs.key;
    EXPECT_EQ(d.usedLength() - before, 4 + cs.words) << cs.key;
    EXPECT_EQ(d.getLenKey(r), static_cast<int32_t>(cs.key.size()));
    EXPECT_EQ(d.getWord(cs.key[0], cs.key.size() > 1 ? cs.key[1] : 0, r), cs.key);
    EXPECT_EQ(d.findKeyS(cs.key), r);
  }
  // The stored key word: length byte, then bytes 2.. little-endian.
  BB plain;
  {
    testsup::cScratch dir;
    ASSERT_TRUE(d.save_to_File(dir.file("d")));
    plain = testsup::read_File(dir.file("d"));
  }
  const size_t abcde = cDictDB::kHeads + d.findKeyS("abcde") + 4;
  EXPECT_EQ(word_At(plain, abcde), 5u | uint32_t('c') << 8 | uint32_t('d') << 16 | uint32_t('e') << 24);
  const size_t abcdef = cDictDB::kHeads + d.findKeyS("abcdef") + 4;
  EXPECT_EQ(word_At(plain, abcdef + 1), uint32_t('f'));
  // "a" and "ab" sit in different chains ('a'+0 and 'a'+'b'*256).
  EXPECT_EQ(word_At(plain, 'a'), static_cast<uint32_t>(d.findKeyS("a")));
  EXPECT_EQ(word_At(plain, 'b' * 256 + 'a'), static_cast<uint32_t>(d.findKeyS("ab")));
}

TEST(DictDB, MoveUpKeepsChainsInDescendingCount) {
  auto chain = [](cDictDB& d) {
    SS ss;
    TT ff;
    d.get2('x', 'y', ss, ff, 0);
    std::string s;
    for (size_t i = 0; i < ss.size(); ++i) s += ss[i] + "=" + std::to_string(ff[i]) + " ";
    return s;
  };
  auto make = [](cDictDB& d) {
    d.addKeyS("xya", -1, -1, 5, true);
    d.addKeyS("xyb", -1, -1, 3, true);
    d.addKeyS("xyc", -1, -1, 3, true);
  };
  cDictDB a;
  make(a);
  EXPECT_EQ(chain(a), "xya=5 xyb=3 xyc=3 ");
  a.addKeyS("xyc", -1, -1, 1, true);
  EXPECT_EQ(chain(a), "xya=5 xyc=4 xyb=3 ");
  cDictDB b;
  make(b);
  b.addKeyS("xyc", -1, -1, 3, true);
  EXPECT_EQ(chain(b), "xyc=6 xya=5 xyb=3 ");
  cDictDB c;
  make(c);
  c.addKeyS("xyc", -1, -1, 3, false);  // without flagSort the chain keeps its order
  EXPECT_EQ(chain(c), "xya=5 xyb=3 xyc=6 ");
  SS ss;
  TT ff;
  b.get2('x', 'y', ss, ff, 2);
  EXPECT_EQ(ss.size(), 2u);
}

TEST(DictDB, HugeCountsHalveTheChain) {
  cDictDB d;
  const int32_t a = d.addKeyS("qqa", -1, -1, 1000, true);
  const int32_t b = d.addKeyS("qqb", -1, -1, cDictDB::kMaxF0, true);
  d.addKeyS("qqb", -1, -1, 2, true);
  EXPECT_EQ(d.getF0(a), 500);
  EXPECT_EQ(d.getF0(b), (cDictDB::kMaxF0 + 2) / 2);
}

TEST(DictDB, DeleteThenAddAppendsANewRecordCountedOnce) {
  platform::cScopedMsgCapture cap;
  cDictDB d;
  const int32_t r1 = d.addKeyS(w("дом"), -1, -1, 1, true);
  d.addKeyS(w("дома"), -1, -1, 1, true);
  d.delKeyS(w("дом"));
  EXPECT_EQ(d.getSizeDict(), 1);
  EXPECT_EQ(d.findKeyS(w("дом")), 0);
  EXPECT_GT(d.findKeyS(w("дома")), 0);  // the chain still reaches the next record
  const int32_t r2 = d.addKeyS(w("дом"), -1, -1, 1, true);
  EXPECT_GT(r2, r1);
  EXPECT_EQ(d.getSizeDict(), 2);
  d.delKeyS(w("нет"));  // a missing key does nothing
  EXPECT_EQ(d.getSizeDict(), 2);
  d.delKeyS("");
  d.delKeyB({});
  d.addKeyS("", 1, 1, 1, true);
  EXPECT_TRUE(cap.box.saw("pusto"));
  EXPECT_TRUE(cap.box.saw("sKey=null"));
  EXPECT_TRUE(cap.box.saw("sKey=pusto"));
  EXPECT_EQ(d.addKeyS(std::string(251, 'a'), -1, -1, 1, true), 0);
  EXPECT_TRUE(cap.box.saw("слишком длинный ключ"));
}

TEST(DictDB, EnumerationOrderAndValueQueries) {
  platform::cScopedMsgCapture cap;
  cDictDB d;
  SS ss;
  TT ff;
  d.getAll(ss, ff);
  EXPECT_TRUE(ss.empty());
  EXPECT_TRUE(cap.box.saw("pusto dictDB"));
  d.addKeyS("ba", 4, -1, 1, true);  // chain 'b' + 'a'*256
  d.addKeyS("ab", 4, -1, 2, true);
  d.addKeyS("aa", -1, 8, 3, true);
  d.addKeyS("a", -1, -1, 1, true);
  d.getAll(ss, ff);
  // first byte outer, second inner: "a" (second byte 0), "aa", "ab", "ba"
  EXPECT_EQ(ss, (SS{"a", "aa", "ab", "ba"}));
  EXPECT_EQ(ff, (TT{1, 3, 2, 1}));
  EXPECT_EQ(d.getKeysV1(4), (SS{"ab", "ba"}));
  EXPECT_EQ(d.getKeysV2(8), (SS{"aa"}));
}

TEST(DictDB, EmptyDictionaryFileSizeAndLastValue) {
  testsup::cScratch dir;
  cDictDB d;
  ASSERT_TRUE(d.save_to_File(dir.file("e")));
  const BB bb = testsup::read_File(dir.file("e"));
  ASSERT_EQ(bb.size(), 4u * (65536 + 1));
  EXPECT_EQ(word_At(bb, 65536), 0u);
}

TEST(DictDB, PlainAndPackedFilesRoundTrip) {
  testsup::cScratch dir;
  cDictDB d;
  for (int i = 0; i < 3000; ++i) d.addKeyS("w" + std::to_string(i * 7919 % 3001), i, -1, 1 + i % 13, true);
  d.delKeyS("w7919");
  ASSERT_TRUE(d.save_to_File(dir.file("p")));
  ASSERT_TRUE(d.save_to_Pmd(dir.file("z")));
  const BB plain = testsup::read_File(dir.file("p"));
  EXPECT_EQ(plain.size(), 4u * (65536 + d.usedLength() + 1));
  const BB packed = testsup::read_File(dir.file("z"));
  EXPECT_EQ(packed[0], 4);
  EXPECT_LT(packed.size(), plain.size() / 4);

  cDictDB a, b;
  ASSERT_TRUE(a.load_from_File(dir.file("p")));
  ASSERT_TRUE(b.load_from_Pmd(dir.file("z")));
  EXPECT_EQ(a.to_Block(), d.to_Block());
  EXPECT_EQ(b.to_Block(), d.to_Block());
  SS s1, s2;
  TT f1, f2;
  d.getAll(s1, f1);
  b.getAll(s2, f2);
  EXPECT_EQ(s1, s2);
  EXPECT_EQ(f1, f2);
  // A loaded dictionary keeps growing where it left off.
  const int32_t r = b.addKeyS("new-key", -1, -1, 1, true);
  EXPECT_EQ(r, d.usedLength() + 1);
  EXPECT_EQ(b.findKeyS("new-key"), r);
}

TEST(DictDB, DamagedFilesAreRefusedWithTheirMessages) {
  platform::cScopedMsgCapture cap;
  testsup::cScratch dir;
  cDictDB d;
  d.addKeyS("abc", -1, -1, 1, true);
  d.addKeyS("abd", -1, -1, 1, true);
  ASSERT_TRUE(d.save_to_File(dir.file("p")));
  ASSERT_TRUE(d.save_to_Pmd(dir.file("z")));

  cDictDB x;
  EXPECT_FALSE(x.load_from_File(""));
  EXPECT_TRUE(cap.box.saw("пустая строка"));
  EXPECT_FALSE(x.load_from_File(dir.file("none")));
  EXPECT_TRUE(cap.box.saw("нету файла"));

  // A chain that points outside the store, and one that loops.
  BB bad = testsup::read_File(dir.file("p"));
  bad[4 * ('a' + 'b' * 256)] = 200;
  testsup::write_File(dir.file("bad"), bad);
  EXPECT_FALSE(x.load_from_File(dir.file("bad")));
  BB loop = testsup::read_File(dir.file("p"));
  const size_t second = 65536 + 6;  // the next field of the second record (at 6)
  loop[4 * second] = 1;
  testsup::write_File(dir.file("loop"), loop);
  EXPECT_FALSE(x.load_from_File(dir.file("loop")));
  EXPECT_EQ(x.getSizeDict(), 0);  // nothing was installed

  BB z = testsup::read_File(dir.file("z"));
  testsup::write_File(dir.file("m"), BB{1, 2, 3});
  EXPECT_FALSE(x.load_from_Pmd(dir.file("m")));
  EXPECT_TRUE(cap.box.saw("ошибка загрузки базы=метод не 2..16/это не архив PPMd"));
  EXPECT_FALSE(x.load_from_Pmd(dir.file("none")));
  EXPECT_TRUE(cap.box.saw("ошибка загрузки базы=пустой массив"));
  BB ks = z;
  ks[1] ^= 1;
  testsup::write_File(dir.file("ks"), ks);
  EXPECT_FALSE(x.load_from_Pmd(dir.file("ks")));
  EXPECT_TRUE(cap.box.saw("ошибка загрузки базы=кс неправильная. повреждён?"));
  EXPECT_EQ(x.getSizeDict(), 2);  // a checksum complaint still installs the data
  BB cut(z.begin(), z.begin() + static_cast<long>(z.size() / 2));
  testsup::write_File(dir.file("cut"), cut);
  cDictDB y;
  EXPECT_FALSE(y.load_from_Pmd(dir.file("cut")));
  EXPECT_EQ(y.getSizeDict(), 0);
}

}  // namespace
