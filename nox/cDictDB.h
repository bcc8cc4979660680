// cDictDB: a compact dictionary of byte-string keys (Windows-1251 words), each
// with a frequency counter F0 and two 32-bit values V1 and V2.
//
// The whole state is two 32-bit arrays, so it is saved and loaded as one flat
// block:
//   H  65536 chain heads, indexed by the key's first two bytes (k1*256 + k0);
//   S  S[0] = number of live keys, then records back to back:
//      r: next in chain, r+1: F0, r+2: V1, r+3: V2, r+4..: packed key.
// A packed key is the length byte followed by key bytes 2..L-1 (the first two
// are implied by the chain), zero-padded to whole little-endian words.
//
// Implemented in one source file per concern:
//   cDictDB_keys.cpp   packing, search, insert/count, move-up, delete
//   cDictDB_enum.cpp   fields, key text, enumeration
//   cDictDB_files.cpp  the plain and the PPMd-packed file formats
//
// Bad arguments show a message (platform::msg) and give a neutral result.
#pragma once
#include <cstdint>
#include <string>

#include "core/cFile.h"
#include "massiv/cMassiv.h"

class cDictDB {
public:
  cDictDB();

  // ===================== Keys (cDictDB_keys.cpp) =====================
  // Record position; 0 when absent; -1 for an empty key.
  int32_t findKeyS(const std::string& sKey);
  int32_t findKeyB(const BB& sKey);
  // Adds f to the key's F0, inserting it when absent; V1 := v1 when v1 > 0,
  // V2 := v2 when v2 > 0. Returns the key's record position (0 on failure).
  int32_t addKeyS(const std::string& sKey, int32_t v1, int32_t v2, int32_t f, bool flagSort);
  int32_t addKeyB(const BB& sKey, int32_t v1, int32_t v2, int32_t f, bool flagSort);
  void addKeySS(const SS& sKeys);
  void delKeyS(const std::string& sKey);
  void delKeyB(const BB& sKey);

  // ===================== Fields and enumeration (cDictDB_enum.cpp) =====================
  // A position that is not a record shows "err" and gives 0 (set: does nothing).
  int32_t getF0(int32_t vEntry);
  int32_t getV1(int32_t vEntry);
  int32_t getV2(int32_t vEntry);
  int32_t getLenKey(int32_t vEntry);
  void setF0(int32_t vEntry, int32_t v);
  void setV1(int32_t vEntry, int32_t v);
  void setV2(int32_t vEntry, int32_t v);
  // The key of the record, given its first two bytes.
  std::string getWord(int32_t b1, int32_t b2, int32_t vEntry);
  SS getKeysV1(int32_t v);
  SS getKeysV2(int32_t v);
  void getAll(SS& ss, TT& ff);
  void get2(int32_t b1, int32_t b2, SS& ss, TT& ff, int32_t maxLen);
  int32_t getSizeDict() const { return S[0]; }
  // True when vEntry can be read as a live record (bounds and key length).
  bool is_Entry(int32_t vEntry) const;

  // ===================== Files (cDictDB_files.cpp) =====================
  bool save_to_File(const std::string& nameFile);
  bool load_from_File(const std::string& nameFile);
  bool save_to_Pmd(const std::string& nameFile);
  bool load_from_Pmd(const std::string& nameFile);

  // The flat block as it is stored: H, then S[0..U].
  TT to_Block() const;
  // Installs a block; false (and nothing changes) when it is not a sound dictionary.
  bool from_Block(const TT& block);

  // Cursor left by the last search.
  struct cCursor {
    int32_t chain = 0;  // k1*256 + k0
    int32_t head = 0;
    int32_t cur = 0;    // the hit, or the chain's last record when absent
    int32_t prev = 0;   // the record before cur, 0 when cur is the head
    int32_t next = 0;
    int32_t v1 = -1;
    int32_t v2 = -1;
  };
  const cCursor& cursor() const { return c; }
  int32_t usedLength() const { return U; }

  static const int32_t kHeads = 65536;
  static const int32_t kMaxKey = 250;
  static const int32_t kMaxF0 = 1985229328;

private:
  // Packs the key into words; empty when it is too long (message shown).
  TT pack_Key(const BB& key) const;
  static int32_t words_For(int32_t len) { return len <= 5 ? 1 : (len + 2) / 4; }
  static int32_t chain_Of(const BB& key) { return (key.size() > 1 ? key[1] : 0) * 256 + key[0]; }
  int32_t find_Packed(int32_t chain, const TT& packed);
  int32_t walk_Limit() const;
  void move_Up(int32_t r);
  void halve_Chain(int32_t chain);
  void grow_Store(int32_t need);
  void unlink(int32_t r, int32_t prev);
  std::string key_Text(int32_t b1, int32_t b2, int32_t r) const;
  static bool entry_Ok(const TT& S, int32_t U, int32_t r);
  static bool check_Store(const TT& H, const TT& S, int32_t U);

  TT H;
  TT S;
  int32_t U = 0;
  cCursor c;
  cMassiv m;
  cFile file;
};
