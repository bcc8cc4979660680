// cDictDB: the plain file (H then S[0..U] as 32-bit little-endian values) and
// the same bytes packed as a PPMd order-4 container.
#include "cDictDB.h"

#include <vector>

#include "platform/msg_box.h"

using platform::msg;

namespace {
const std::string kLoadErr = "ошибка загрузки базы=";

BB words_to_Bytes(const TT& tt) {
  BB bb(tt.size() * 4);
  for (size_t i = 0; i < tt.size(); ++i)
    for (int k = 0; k < 4; ++k) bb[4 * i + k] = static_cast<uint8_t>(static_cast<uint32_t>(tt[i]) >> (8 * k));
  return bb;
}

TT bytes_to_Words(const BB& bb) {
  TT tt(bb.size() / 4);
  for (size_t i = 0; i < tt.size(); ++i)
    tt[i] = static_cast<int32_t>(uint32_t(bb[4 * i]) | uint32_t(bb[4 * i + 1]) << 8 | uint32_t(bb[4 * i + 2]) << 16 |
                                 uint32_t(bb[4 * i + 3]) << 24);
  return tt;
}
}  // namespace

TT cDictDB::to_Block() const {
  TT block(H);
  block.insert(block.end(), S.begin(), S.begin() + U + 1);
  return block;
}

// Every chain reachable from H must lie inside the store, end, and visit each
// record once; together they must hold exactly S[0] live keys. A block that
// fails this would send lookups outside the arrays.
bool cDictDB::check_Store(const TT& H, const TT& S, int32_t U) {
  if (S[0] < 0) return false;
  std::vector<bool> seen(static_cast<size_t>(U) + 1, false);
  int64_t live = 0;
  for (int32_t h = 0; h < kHeads; ++h) {
    for (int32_t r = H[h]; r != 0; r = S[r]) {
      if (!entry_Ok(S, U, r) || seen[static_cast<size_t>(r)]) return false;
      seen[static_cast<size_t>(r)] = true;
      if (++live > S[0]) return false;
    }
  }
  return live == S[0];
}

bool cDictDB::from_Block(const TT& block) {
  if (block.size() < static_cast<size_t>(kHeads) + 1) return false;
  TT h(block.begin(), block.begin() + kHeads);
  TT s(block.begin() + kHeads, block.end());
  const int32_t u = static_cast<int32_t>(s.size()) - 1;
  if (!check_Store(h, s, u)) return false;
  H = std::move(h);
  S = std::move(s);
  U = u;
  c = cCursor{};
  return true;
}

bool cDictDB::save_to_File(const std::string& nameFile) {
  if (nameFile.empty()) {
    msg("пустая строка");
    return false;
  }
  file.del_file_Safe(nameFile);
  return file.write_M32(nameFile, to_Block());
}

bool cDictDB::load_from_File(const std::string& nameFile) {
  if (nameFile.empty()) {
    msg("пустая строка");
    return false;
  }
  if (!file.exist_File(nameFile)) {
    msg("нету файла");
    return false;
  }
  const TT block = file.read_M32(nameFile);
  if (block.empty()) return false;  // read_M32 has said why
  if (!from_Block(block)) {
    msg(kLoadErr + "повреждена: " + nameFile);
    return false;
  }
  return true;
}

bool cDictDB::save_to_Pmd(const std::string& nameFile) {
  if (nameFile.empty()) {
    msg("пустая строка");
    return false;
  }
  const BB packed = file.zip_Pmd(words_to_Bytes(to_Block()), 4, true);
  if (packed.empty()) return false;
  return file.write_M8(nameFile, packed);
}

bool cDictDB::load_from_Pmd(const std::string& nameFile) {
  if (nameFile.empty()) {
    msg("пустая строка");
    return false;
  }
  const BB bb = file.exist_File(nameFile) ? file.read_M8(nameFile) : BB{};
  if (bb.empty()) {
    msg(kLoadErr + "пустой массив");
    return false;
  }
  const int32_t order = bb[0] & 31;
  if (order < 2 || order > 16) {
    msg(kLoadErr + "метод не 2..16/это не архив PPMd");
    return false;
  }
  int32_t vErr = 0;
  const BB data = file.unzip_Pmd(bb, vErr);
  if (vErr == -3) msg(kLoadErr + "кс неправильная. повреждён?");
  if (vErr == -4) msg(kLoadErr + "размер не совпадает");
  if (data.size() % 4 != 0) {
    msg(kLoadErr + "длина не кратна 4.");
    return false;
  }
  if (!from_Block(bytes_to_Words(data))) {
    msg(kLoadErr + "повреждена: " + nameFile);
    return false;
  }
  return vErr == 0;
}
