// cDictDB: record fields, key text and enumeration.
#include "cDictDB.h"

#include "platform/msg_box.h"

using platform::msg;

bool cDictDB::entry_Ok(const TT& S, int32_t U, int32_t r) {
  if (r < 1 || r > U - 4) return false;
  const int32_t L = S[r + 4] & 255;
  return L >= 1 && r + 3 + words_For(L) <= U;
}

bool cDictDB::is_Entry(int32_t vEntry) const { return entry_Ok(S, U, vEntry); }

#define DICT_FIELD(get, set, off)                  \
  int32_t cDictDB::get(int32_t vEntry) {           \
    if (!is_Entry(vEntry)) {                       \
      msg("err");                                  \
      return 0;                                    \
    }                                              \
    return S[vEntry + off];                        \
  }                                                \
  void cDictDB::set(int32_t vEntry, int32_t v) {   \
    if (!is_Entry(vEntry)) {                       \
      msg("err");                                  \
      return;                                      \
    }                                              \
    S[vEntry + off] = v;                           \
  }
DICT_FIELD(getF0, setF0, 1)
DICT_FIELD(getV1, setV1, 2)
DICT_FIELD(getV2, setV2, 3)
#undef DICT_FIELD

int32_t cDictDB::getLenKey(int32_t vEntry) {
  if (!is_Entry(vEntry)) {
    msg("err");
    return 0;
  }
  return S[vEntry + 4] & 255;
}

std::string cDictDB::key_Text(int32_t b1, int32_t b2, int32_t r) const {
  const int32_t L = S[r + 4] & 255;
  std::string s;
  s += static_cast<char>(b1);
  if (L >= 2) s += static_cast<char>(b2);
  for (int32_t i = 1; i <= L - 2; ++i)
    s += static_cast<char>(static_cast<uint32_t>(S[r + 4 + i / 4]) >> (8 * (i % 4)) & 255);
  return s;
}

std::string cDictDB::getWord(int32_t b1, int32_t b2, int32_t vEntry) {
  if (!is_Entry(vEntry)) {
    msg("err");
    return "";
  }
  return key_Text(b1 & 255, b2 & 255, vEntry);
}

namespace {
// Visits every live record: first byte outer, second byte inner, chain order.
template <class F>
void for_Each(const TT& H, const TT& S, int32_t limit, F&& visit) {
  for (int32_t k0 = 0; k0 < 256; ++k0)
    for (int32_t k1 = 0; k1 < 256; ++k1)
      for (int32_t r = H[k1 * 256 + k0], k = 0; r != 0 && k < limit; r = S[r], ++k) visit(k0, k1, r);
}
}  // namespace

SS cDictDB::getKeysV1(int32_t v) {
  SS out;
  if (S[0] == 0) {
    msg("pusto dictDB");
    return out;
  }
  for_Each(H, S, walk_Limit(), [&](int32_t k0, int32_t k1, int32_t r) {
    if (S[r + 2] == v) out.push_back(key_Text(k0, k1, r));
  });
  return out;
}

SS cDictDB::getKeysV2(int32_t v) {
  SS out;
  if (S[0] == 0) {
    msg("pusto dictDB");
    return out;
  }
  for_Each(H, S, walk_Limit(), [&](int32_t k0, int32_t k1, int32_t r) {
    if (S[r + 3] == v) out.push_back(key_Text(k0, k1, r));
  });
  return out;
}

void cDictDB::getAll(SS& ss, TT& ff) {
  ss.clear();
  ff.clear();
  if (S[0] == 0) {
    msg("pusto dictDB");
    return;
  }
  ss.reserve(static_cast<size_t>(S[0]));
  ff.reserve(static_cast<size_t>(S[0]));
  for_Each(H, S, walk_Limit(), [&](int32_t k0, int32_t k1, int32_t r) {
    ss.push_back(key_Text(k0, k1, r));
    ff.push_back(S[r + 1]);
  });
}

void cDictDB::get2(int32_t b1, int32_t b2, SS& ss, TT& ff, int32_t maxLen) {
  ss.clear();
  ff.clear();
  const int32_t k0 = b1 & 255, k1 = b2 & 255;
  for (int32_t r = H[k1 * 256 + k0], k = 0, lim = walk_Limit(); r != 0 && k < lim; r = S[r], ++k) {
    if (maxLen >= 1 && static_cast<int32_t>(ss.size()) >= maxLen) break;
    ss.push_back(key_Text(k0, k1, r));
    ff.push_back(S[r + 1]);
  }
}
