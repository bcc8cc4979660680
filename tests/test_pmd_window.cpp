#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pmd/utf8_window.h"
#include "support/test_support.h"

namespace {

BB bytes_Of(const std::string& s) { return BB(s.begin(), s.end()); }

BB pack(const pmd::cWindow& w, const BB& in) {
  BB out(2 * in.size() + 1);
  int32_t broken = 0;
  const int32_t m = pmd::pack_Window(w, in.data(), static_cast<int32_t>(in.size()), out.data(), broken);
  EXPECT_LE(m, static_cast<int32_t>(2 * in.size()));
  out.resize(static_cast<size_t>(m));
  return out;
}

BB unpack(const pmd::cWindow& w, const BB& packed, int32_t cap) {
  BB out(static_cast<size_t>(cap) + 16, 0xA5);
  const int32_t r = pmd::unpack_Window(w, packed.data(), static_cast<int32_t>(packed.size()), out.data(), cap);
  EXPECT_LE(r, cap);
  for (size_t i = static_cast<size_t>(cap); i < out.size(); ++i) EXPECT_EQ(out[i], 0xA5) << "wrote past " << cap;
  out.resize(static_cast<size_t>(std::max(r, 0)));
  return out;
}

// Every kind of unit: ASCII, window characters and their neighbours outside,
// three- and four-byte characters, overlong and never-valid leads, stray
// continuation bytes, leads whose sequence breaks off or ends the input.
BB every_Unit() {
  BB b = bytes_Of("plain ASCII, \x01\x7f and a tab\t");
  for (uint32_t cp : {0x80u, 0xFFu, 0x3FFu, 0x400u, 0x410u, 0x44Fu, 0x450u, 0x451u, 0x7BFu, 0x7C0u, 0x7FFu}) {
    b.push_back(static_cast<uint8_t>(0xC0 | (cp >> 6)));
    b.push_back(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
  }
  const uint8_t odd[] = {0xE2, 0x80, 0x94, 0xF0, 0x9F, 0x98, 0x80, 0xC0, 0x80, 0xC1, 0xBF, 0xF8, 0xFF, 0x80, 0xBF,
                         0xD0, 'x', 0xE2, 0x80, 'y', 0xF0, 0x9F, 0x98, 0xD1, 0xD0, 0x90, 0xE2, 0x80};
  b.insert(b.end(), odd, odd + sizeof odd);
  return b;
}

}  // namespace

TEST(PmdWindow, AnyBytesPackAndUnpackBack) {
  std::vector<BB> inputs = {every_Unit(), BB{0xD0}, BB{0x80}, BB{'a'}, BB{0xD0, 0x90}};
  for (uint32_t seed = 1; seed <= 30; ++seed) inputs.push_back(testsup::random_Bytes(seed * 97, seed));
  // Random bytes drawn from the UTF-8 vocabulary: the units meet in every order.
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    const uint8_t pick[] = {'a', 0, 0x7F, 0x80, 0xBF, 0x90, 0xC0, 0xC2, 0xD0, 0xD1, 0xDF, 0xE2, 0xEF, 0xF0, 0xF4, 0xF8, 0xFF};
    BB r = testsup::random_Bytes(500, seed + 100), b;
    for (uint8_t x : r) b.push_back(pick[x % sizeof pick]);
    inputs.push_back(b);
  }
  for (uint32_t base : {pmd::kWindowBaseMin, 0x3C0u, 0x410u, pmd::kWindowBaseMax})
    for (uint8_t esc : {uint8_t(0), uint8_t('a'), uint8_t(0x7F)})
      for (const BB& in : inputs) {
        const pmd::cWindow w{base, esc};
        const BB p = pack(w, in);
        EXPECT_TRUE(unpack(w, p, static_cast<int32_t>(in.size())) == in) << "base " << base << " esc " << int(esc);
      }
}

// A shorter input or a smaller capacity gives a prefix of the text: the
// decoder's partial and damaged results rest on it.
TEST(PmdWindow, CutInputAndCapacityGivePrefixes) {
  const BB in = every_Unit();
  const pmd::cWindow w{0x410, 0};
  const BB p = pack(w, in);
  const int32_t n = static_cast<int32_t>(in.size());
  for (int32_t cap = 0; cap <= n; ++cap) {
    const BB u = unpack(w, p, cap);
    ASSERT_EQ(u.size(), static_cast<size_t>(cap));
    EXPECT_TRUE(std::equal(u.begin(), u.end(), in.begin())) << "cap " << cap;
  }
  for (size_t len = 0; len <= p.size(); ++len) {
    const BB u = unpack(w, BB(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(len)), n);
    ASSERT_LE(u.size(), in.size());
    EXPECT_TRUE(std::equal(u.begin(), u.end(), in.begin())) << "packed prefix " << len;
  }
}

TEST(PmdWindow, PlanTakesTwoByteScriptsOnly) {
  pmd::cWindow w;
  // Russian: the letters А..я are exactly U+0410..U+044F.
  const BB ru = testsup::read_File(testsup::corpus("russian/text/utf8/chekhov_palata_6.txt"));
  ASSERT_TRUE(pmd::plan_Window(ru.data(), static_cast<int32_t>(ru.size()), w));
  EXPECT_EQ(w.base, 0x410u);
  const BB p = pack(w, ru);
  EXPECT_LT(p.size(), ru.size() * 6 / 10);
  EXPECT_TRUE(unpack(w, p, static_cast<int32_t>(ru.size())) == ru);
  // Greek finds its own window.
  std::string greek;
  for (int i = 0; i < 200; ++i) greek += "καλημέρα κόσμε, ";
  const BB gr = bytes_Of(greek);
  ASSERT_TRUE(pmd::plan_Window(gr.data(), static_cast<int32_t>(gr.size()), w));
  EXPECT_LE(w.base, 0x3AFu);  // έ
  EXPECT_GT(w.base + pmd::kWindowSize, 0x3C9u);  // ω
  // English, 8-bit Cyrillic and binary data stay as they are.
  for (const char* f : {"general/calgary/book1", "russian/text/cp1251/kolibri_ha_readme.txt", "general/calgary/pic",
                        "general/canterbury/kennedy.xls"}) {
    const BB b = testsup::read_File(testsup::corpus(f));
    EXPECT_FALSE(pmd::plan_Window(b.data(), static_cast<int32_t>(b.size()), w)) << f;
  }
  const BB noise = testsup::random_Bytes(100000, 3);
  EXPECT_FALSE(pmd::plan_Window(noise.data(), static_cast<int32_t>(noise.size()), w));
  // A few letters in a short line do not pay for the window.
  const BB few = bytes_Of("id=42 name=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD; a longer line of plain ASCII after it");
  EXPECT_FALSE(pmd::plan_Window(few.data(), static_cast<int32_t>(few.size()), w));
}

// Large inputs are planned from samples spread over the whole of them; the
// packing itself then decides whether it pays.
TEST(PmdWindow, SamplesSeeTheWholeInputAndThePackingDecides) {
  const BB en = testsup::read_File(testsup::corpus("general/calgary/book1"));
  const BB ru = testsup::read_File(testsup::corpus("russian/text/utf8/tolstoy_khadzhi_murat.txt"));
  BB mixed(en.begin(), en.begin() + 300000);
  mixed.insert(mixed.end(), ru.begin(), ru.end());
  pmd::cWindow w;
  ASSERT_TRUE(pmd::plan_Window(mixed.data(), static_cast<int32_t>(mixed.size()), w));
  EXPECT_EQ(w.base, 0x410u);
  BB out(2 * mixed.size());
  int32_t broken = -1;
  const int32_t n = static_cast<int32_t>(mixed.size());
  const int32_t m = pmd::pack_Window(w, mixed.data(), n, out.data(), broken);
  EXPECT_EQ(broken, 0);
  EXPECT_TRUE(pmd::window_Pays(n, m, broken));
  // Noise between the sampled blocks: sampled as text, but it does not pay.
  BB noisy = ru;
  const BB noise = testsup::random_Bytes(ru.size(), 5);
  for (size_t i = 0; i < noisy.size(); ++i)
    if ((i / 4096) % 2 == 1) noisy[i] = noise[i];
  BB out2(2 * noisy.size());
  const int32_t n2 = static_cast<int32_t>(noisy.size());
  const int32_t m2 = pmd::pack_Window(w, noisy.data(), n2, out2.data(), broken);
  EXPECT_GT(broken, 0);
  EXPECT_FALSE(pmd::window_Pays(n2, m2, broken));
}

namespace {

// The packing unit by unit, straight from the format: what the packer must
// give whichever way it goes through a block.
BB reference_Pack(const pmd::cWindow& w, const BB& in) {
  BB out;
  const size_t n = in.size();
  auto trail = [&](size_t j) { return j < n && (in[j] & 0xC0) == 0x80; };
  for (size_t i = 0; i < n;) {
    const uint8_t b = in[i];
    if (b < 0x80) {
      if (b == w.esc) out.push_back(w.esc);
      out.push_back(b);
      ++i;
      continue;
    }
    const size_t k = b >= 0xC0 && b < 0xE0 ? 1 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xF0 && b < 0xF8 ? 3 : 0;
    bool whole = b >= 0xC0 && b < 0xF8;
    for (size_t j = 1; j <= k; ++j) whole = whole && trail(i + j);
    if (!whole) {
      out.push_back(w.esc);
      out.push_back(b);
      ++i;
      continue;
    }
    const uint32_t cp = k == 1 ? (uint32_t(b & 0x1F) << 6 | (in[i + 1] & 0x3F)) : 0;
    if (k == 1 && cp >= w.base && cp < w.base + pmd::kWindowSize) {
      out.push_back(static_cast<uint8_t>(0x80 + cp - w.base));
    } else {
      const auto from = in.begin() + static_cast<std::ptrdiff_t>(i);
      out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(1 + k));
    }
    i += 1 + k;
  }
  return out;
}

// Text of one window's letters with words, spaces and the odd other unit:
// characters just outside the window, dashes, escape bytes, stray bytes.
BB long_Text(uint32_t base, uint8_t esc, uint32_t seed, int oddPerMille) {
  BB r = testsup::random_Bytes(20000, seed), t;
  auto put2 = [&](uint32_t cp) {
    t.push_back(static_cast<uint8_t>(0xC0 | (cp >> 6)));
    t.push_back(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
  };
  for (size_t i = 0; i + 1 < r.size(); i += 2) {
    const uint32_t x = r[i], y = r[i + 1];
    if (x * 1000 / 256 < static_cast<uint32_t>(oddPerMille)) {
      switch (y % 7) {
        case 0: put2(base - 1 >= pmd::kWindowBaseMin ? base - 1 : base + pmd::kWindowSize); break;
        case 1: put2(std::min<uint32_t>(base + pmd::kWindowSize, 0x7FF)); break;
        case 2: t.insert(t.end(), {0xE2, 0x80, 0x94}); break;
        case 3: t.push_back(esc); break;
        case 4: t.push_back(0x80 + (y & 0x3F)); break;
        case 5: t.push_back(0xD0); break;  // a lead without its byte
        default: t.insert(t.end(), {0xF0, 0x9F, 0x98, 0x80}); break;
      }
    } else if (y < 40) {
      t.push_back(y < 30 ? ' ' : y < 36 ? ',' : '\n');
    } else {
      put2(base + y % pmd::kWindowSize);
    }
  }
  return t;
}

}  // namespace

// Blocks of letters go through the packer and unpacker many units at a time,
// the others one by one: both ways give the format's bytes, for windows on
// and off a 64-character boundary, at both ends of the two-byte range, and
// with the escape byte about.
TEST(PmdWindow, LongTextsPackAsTheFormatSays) {
  std::vector<std::pair<pmd::cWindow, BB>> cases;
  int seed = 1;
  for (uint32_t base : {pmd::kWindowBaseMin, 0x380u, 0x3C0u, 0x410u, 0x5D0u, pmd::kWindowBaseMax})
    for (int odd : {0, 5, 60, 400})
      for (uint8_t esc : {uint8_t(' '), uint8_t(0x7E)})
        cases.push_back({{base, esc}, long_Text(base, esc, seed++, odd)});
  const BB ru = testsup::read_File(testsup::corpus("russian/text/utf8/turgenev_asya.txt"));
  cases.push_back({{0x410, '~'}, ru});
  for (const auto& [w, in] : cases) {
    const BB p = pack(w, in);
    ASSERT_TRUE(p == reference_Pack(w, in)) << "base " << w.base << " esc " << int(w.esc) << " size " << in.size();
    ASSERT_TRUE(unpack(w, p, static_cast<int32_t>(in.size())) == in) << "base " << w.base;
  }
  // Cut capacities and packed inputs around the end of the block loop.
  const auto& [w, in] = cases[3 * 8 + 4];  // window U+0410, 6 % other units
  const BB p = pack(w, in);
  const int32_t n = static_cast<int32_t>(in.size());
  for (int32_t cut : {0, 1, 15, 16, 17, 31, 32, 33, 100, 1001, n / 2, n - 33, n - 31, n - 17, n - 5, n - 1}) {
    const BB u = unpack(w, p, cut);
    ASSERT_EQ(u.size(), static_cast<size_t>(cut));
    EXPECT_TRUE(std::equal(u.begin(), u.end(), in.begin())) << "cap " << cut;
    const size_t len = std::min(p.size(), static_cast<size_t>(cut));
    const BB v = unpack(w, BB(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(len)), n);
    EXPECT_TRUE(v.size() <= in.size() && std::equal(v.begin(), v.end(), in.begin())) << "packed prefix " << len;
  }
}
