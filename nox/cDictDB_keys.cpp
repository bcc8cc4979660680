// cDictDB: key packing, search, insert/count with the move-up, delete.
#include "cDictDB.h"

#include "platform/msg_box.h"

using platform::msg;

cDictDB::cDictDB() : H(kHeads, 0), S(1024, 0) {}

TT cDictDB::pack_Key(const BB& key) const {
  const int32_t L = static_cast<int32_t>(key.size());
  if (L > kMaxKey) {
    msg("слишком длинный ключ");
    return {};
  }
  TT w(static_cast<size_t>(words_For(L)), 0);
  auto put = [&w](int32_t i, uint8_t b) { w[i / 4] |= static_cast<int32_t>(uint32_t(b) << (8 * (i % 4))); };
  put(0, static_cast<uint8_t>(L));
  for (int32_t i = 2; i < L; ++i) put(i - 1, key[i]);
  return w;
}

// A chain can hold no more records than the store has room for, whatever S[0]
// says: this bounds every walk, even over a damaged store.
int32_t cDictDB::walk_Limit() const {
  const int32_t byRoom = U / 5 + 1;
  return S[0] < byRoom ? S[0] : byRoom;
}

int32_t cDictDB::find_Packed(int32_t chain, const TT& packed) {
  c = cCursor{};
  c.chain = chain;
  c.head = H[chain];
  const int32_t n = static_cast<int32_t>(packed.size());
  int32_t prev = 0;
  int32_t r = c.head;
  for (int32_t k = 0, lim = walk_Limit(); r != 0 && k < lim; ++k) {
    bool same = true;
    for (int32_t i = 0; i < n && same; ++i) same = S[r + 4 + i] == packed[i];
    if (same) {
      c.cur = r;
      c.prev = prev;
      c.next = S[r];
      c.v1 = S[r + 2];
      c.v2 = S[r + 3];
      return r;
    }
    prev = r;
    r = S[r];
  }
  c.cur = prev;  // the chain's last record
  c.prev = 0;
  return 0;
}

int32_t cDictDB::findKeyS(const std::string& sKey) { return findKeyB(m.str_to_BB(sKey)); }

int32_t cDictDB::findKeyB(const BB& sKey) {
  if (sKey.empty()) return -1;
  const int32_t chain = chain_Of(sKey);
  if (H[chain] == 0) {
    c = cCursor{};
    c.chain = chain;
    return 0;
  }
  TT packed = pack_Key(sKey);
  if (packed.empty()) return 0;
  return find_Packed(chain, packed);
}

int32_t cDictDB::addKeyS(const std::string& sKey, int32_t v1, int32_t v2, int32_t f, bool flagSort) {
  return addKeyB(m.str_to_BB(sKey), v1, v2, f, flagSort);
}

void cDictDB::grow_Store(int32_t need) {
  if (need < static_cast<int32_t>(S.size())) return;
  int64_t size = static_cast<int64_t>(S.size()) + U + 1024;
  while (size <= need) size += U + 1024;
  S.resize(static_cast<size_t>(to_Int32(size)), 0);
}

int32_t cDictDB::addKeyB(const BB& sKey, int32_t v1, int32_t v2, int32_t f, bool flagSort) {
  if (sKey.empty()) {
    msg("sKey=pusto");
    return 0;
  }
  if (static_cast<int32_t>(sKey.size()) > kMaxKey) {
    msg("слишком длинный ключ");
    return 0;
  }
  const int32_t found = findKeyB(sKey);
  if (found < 0) {
    msg("add err");
    return 0;
  }
  int32_t r = found;
  if (r > 0) {
    S[r + 1] = add_Checked(S[r + 1], f);
    if (v1 > 0) S[r + 2] = v1;
    if (v2 > 0) S[r + 3] = v2;
    if (S[r + 1] > kMaxF0) halve_Chain(c.chain);
    if (r != H[c.chain] && flagSort) move_Up(r);
    return r;
  }
  const TT packed = pack_Key(sKey);
  const int32_t n = static_cast<int32_t>(packed.size());
  const int32_t last = c.cur;  // end of the chain, 0 when it is empty
  S[0] = add_Checked(S[0], 1);
  r = U + 1;
  grow_Store(add_Checked(U, 4 + n));
  U += 4 + n;
  S[r] = 0;
  S[r + 1] = f;
  S[r + 2] = v1 > 0 ? v1 : 0;
  S[r + 3] = v2 > 0 ? v2 : S[0];
  for (int32_t i = 0; i < n; ++i) S[r + 4 + i] = packed[i];
  if (H[c.chain] == 0)
    H[c.chain] = r;
  else
    S[last] = r;
  return r;
}

void cDictDB::addKeySS(const SS& sKeys) {
  for (const auto& k : sKeys) addKeyS(k, -1, -1, 1, true);
}

void cDictDB::halve_Chain(int32_t chain) {
  for (int32_t r = H[chain], k = 0, lim = walk_Limit(); r != 0 && k < lim; r = S[r], ++k) S[r + 1] /= 2;
}

void cDictDB::unlink(int32_t r, int32_t prev) {
  if (prev == 0)
    H[c.chain] = S[r];
  else
    S[prev] = S[r];
}

// The record r was just counted up: it moves before the first record of its
// chain with a smaller F0 (the chain stays in descending order).
void cDictDB::move_Up(int32_t r) {
  if (r == H[c.chain]) {
    msg("er3");
    return;
  }
  if (c.prev == 0) {
    msg("er4");
    return;
  }
  const int32_t f = S[r + 1];
  int32_t before = 0;
  int32_t p = H[c.chain];
  for (int32_t k = 0, lim = walk_Limit(); p != r && p != 0 && k < lim; ++k) {
    if (S[p + 1] < f) break;
    before = p;
    p = S[p];
  }
  if (p == r || p == 0) return;  // nothing before it has a smaller F0
  unlink(r, c.prev);
  S[r] = p;
  if (before == 0)
    H[c.chain] = r;
  else
    S[before] = r;
  c.prev = before;
  c.next = p;
}

void cDictDB::delKeyS(const std::string& sKey) {
  if (sKey.empty()) {
    msg("pusto");
    return;
  }
  delKeyB(m.str_to_BB(sKey));
}

void cDictDB::delKeyB(const BB& sKey) {
  if (sKey.empty()) {
    msg("sKey=null");
    return;
  }
  const int32_t r = findKeyB(sKey);
  if (r <= 0) return;
  S[0] -= 1;
  S[r + 4] = 0;
  unlink(r, c.prev);
}
