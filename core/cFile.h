// cFile: the one class through which the programs touch the file system, and
// the owner of the compressed container and its coders.
//
// Implemented in one source file per area:
//   cFile_log.cpp         the logging link (callback, log switches)
//   cFile_files.cpp       whole-file reads and writes, deleting, moving aside, copying
//   cFile_safety.cpp      the safe write step (scratch, ".old", rename), locks, the temp folder
//   cFile_names.cpp       path splitting, name length, the three folders, listings
//   cFile_checksum.cpp    the checksum and the decoders' shared front checks
//   cFile_container.cpp   container method 0 and the dispatch of unzip_Auto
//   cFile_search.cpp      zip_Auto and min_NoAriPmd
//   cFile_ari.cpp         container methods 1 and 31 over the arithmetic coder
//   cFile_pmd.cpp         container methods 2-16 over the PPMd coder
//   cFile_transforms.cpp  escape codes of 2, 4 and 8 bits and their choosers
//   cFile_numbers.cpp     base M + 1 and long-number packing, run-length code
// The container's vocabulary (method numbers, limit, vErr) is container.h.
//
// Nothing here throws for bad input: problems are reported through
// platform::msg and a neutral result (false, empty array, empty string).
// Overflow and index errors from the toolkit still propagate.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "massiv/cMassiv.h"

// Receives the progress lines of a cFile (one line per method tried...).
class CbClientClass {
public:
  virtual ~CbClientClass() = default;
  virtual void TellMsg(const std::string& sMsg) = 0;
};

// An object that reports progress lines to a registered callback: cFile and
// pek's picture object share this link.
class cLogSource {
public:
  bool AddObjectReference(CbClientClass* Caller);
  bool DropObjectReference(CbClientClass* Caller);
  bool setFlagLog(bool flagLog0);  // returns the former value

protected:
  ~cLogSource() = default;
  // Passes a line to the registered callback while logging is on.
  void send_Msg(const std::string& sMsg);
  bool flagLog = false;

private:
  CbClientClass* caller = nullptr;
  bool flagConnected = false;
};

class cFile : public cLogSource {
public:
  cFile();

  cMassiv& massiv() { return m; }

  // ===================== Logging link =====================
  bool setFlagLogPmd(bool flagLogPmd0);

  // ===================== Files, names, folders =====================
  bool exist_File(const std::string& nameFile);
  bool test_Name(const std::string& nameFile);
  bool del_File(const std::string& nameFile);
  void del_file_Safe(const std::string& nameFile);
  // del_file_Safe that says whether it worked: true when nameFile is absent
  // now (moved to ".old" or never there), false when it had to stay.
  bool rotate_Old(const std::string& nameFile);
  void rename_File(const std::string& nameFile_In, const std::string& nameFile_Out);
  void copy_File(const std::string& nameFile_In, const std::string& nameFile_Out);
  void make_Dir(const std::string& folder);
  BB read_M8(const std::string& nameFile, int32_t maxSize = 0);
  TT read_M16(const std::string& nameFile);
  TT read_M32(const std::string& nameFile);
  // Returns true when the file was written completely. A replacing write goes
  // to a short scratch name in the same folder; only when that is complete and
  // flushed does an existing file move to ".old" and the scratch take the name
  // (under the target's lock), so a failure leaves the old files as they were.
  // modeFrom: the file whose permission bits the new one gets (never wider;
  // the owner's write bit always set); "" gives 0666 less the umask.
  bool write_M8(const std::string& nameFile, const BB& bb, bool flagAppend = false,
                const std::string& modeFrom = "");
  // Data decoded from a damaged file: written beside nameFile as nameFile +
  // ".damaged", never over nameFile itself (the user's good copy stays).
  // Returns the name written, "" when it could not be written.
  std::string write_Damaged(const std::string& nameFile, const BB& bb, const std::string& modeFrom = "");
  bool write_M16(const std::string& nameFile, const TT& tt);
  bool write_M32(const std::string& nameFile, const TT& tt);
  std::string ReadS(const std::string& nameFile);
  bool writeS(const std::string& nameFile, const std::string& text);
  bool append_File(const std::string& nameFile, const std::string& text);
  SS read_SS(const std::string& nameFile);
  void get_list_Dir(const std::string& nameDir);
  SS get_Dir(const std::string& nameDir, const std::string& maska);
  std::string getTekPath();
  std::string getAppPath();
  std::string getTmpPath();
  std::string getPath(const std::string& nameFile);
  std::string getNameExt(const std::string& nameFile, bool flagLowCase = false);
  std::string getName(const std::string& nameFile);
  std::string getExt(const std::string& nameFile, bool flagLowCase = true);
  bool test_Size(const std::string& path, int64_t vSizeFile);
  int32_t make_ks(const BB& bb, int32_t vStart);
  // Length of a file in bytes, -1 when it is absent.
  int64_t len_File(const std::string& nameFile);

  SS listFiles;  // the member list that get_list_Dir appends to

  // ===================== Locks and the temp folder =====================
  // Holds an advisory lock beside nameFile until unlock_Target or the end of
  // the object, so that no other run moves or replaces it meanwhile. wait:
  // block until free; otherwise false at once when another run holds it.
  // (A folder that takes no lock file does not stop the work: true.)
  bool lock_Target(const std::string& nameFile, bool wait);
  void unlock_Target(const std::string& nameFile);
  // A folder in the shared temp folder: only the last folder is created, and
  // one that is a link or another user's is refused. Returns "" when the
  // folder may be used, else the message it showed (for the caller's log).
  std::string make_Temp_Dir(const std::string& folder);
  // True when nameFile lies in the temp folder, where no link is followed.
  bool in_Temp(const std::string& nameFile);

  // ===================== Container and dispatch =====================
  BB zip_Auto(const BB& bb_in, int32_t& bestMetod, bool flagFast);
  BB unzip_Auto(const BB& bb_in, int32_t& vErr);
  BB zip_No(const BB& bb);
  BB unzip_No(const BB& bb_in, int32_t& vErr);
  void min_NoAriPmd(const BB& bb, int32_t& bestMetod, int32_t& vMinSize, TT& aa);

  // ===================== Arithmetic coding, methods 1 and 31 =====================
  BB zip_Ari(const BB& bb);
  BB unzip_Ari(const BB& bb_in, int32_t& vErr);
  BB zip_Ari16_4k(const TT& tt);
  TT unzip_Ari16_4k(const BB& bb_in, int32_t& vErr);

  // ===================== PPMd, methods 2-16 =====================
  BB zip_Pmd(const BB& bb, int32_t numMetod, bool flagSaveSize = true);
  BB unzip_Pmd(const BB& bb_in, int32_t& vErr);
  void ini_pmd() {}  // the coder is linked in; nothing to find or copy

  // ===================== Small transforms =====================
  // Escape codes: a value below the threshold t is one w-bit symbol, a larger
  // one is two, t + (v - t) div 2^w and (v - t) mod 2^w.
  BB zip_78auto(const TT& tt_in);
  TT unzip_78(const BB& bb_in);
  // k: out for the encoders; for the decoders -1 reads it from the first symbol.
  BB zip_to_2bit(const BB& bb, int32_t& k, bool flagM2toM8);
  BB unzip_from_2bit(const BB& bb, int32_t k, bool flagM2toM8);
  BB zip_to_4bit(const BB& bb, int32_t& k, bool flagM4toM8);
  BB unzip_from_4bit(const BB& bb, int32_t k, bool flagM4toM8);
  TT unzip_contex(const BB& symbols, int32_t pr, int32_t nBit);
  // Threshold chosen from the largest value (lowered by perN); one byte per symbol.
  BB zip_max78auto(const TT& tt, int32_t perN = 0);
  TT unzip_max78(const BB& bb);
  // The whole array as one number in base M + 1; trailing zero values are lost.
  BB zip_Max1_TT(const TT& tt);
  TT unzip_Max1_TT(const BB& bb);
  SL zip_TT_to_SL(const TT& tt, int32_t osn);
  TT unzip_TT_from_SL(const SL& superLong, int32_t osn);
  BB zip_RLE(const BB& bb);
  BB unzip_RLE(const BB& bb);

private:
  // Decoder fronts: vErr = 0, and for empty input the message, -1 and true.
  bool empty_Container(const BB& bb_in, int32_t& vErr);
  // vErr = -3 when byte 1 is not the checksum of bytes 2.. (decoding goes on).
  void test_Sum(const BB& bb_in, int32_t& vErr);
  bool write_Text(const std::string& nameFile, const std::string& text, bool flagAppend);
  bool can_Move(const std::string& nameFile_In, const std::string& nameFile_Out);
  // The read-only ".old" of nameFile: deleted when the user says so, else moved
  // one generation on when the user agrees and nothing is there. False: keep all.
  bool clear_Old(const std::string& old);
  bool append_Bytes(const std::string& nameFile, const std::string& bytes);
  // A file of the temp folder that is a link or another user's: message, true.
  bool temp_Refused(const std::string& nameFile);

  cMassiv m;
  bool flagLogPmd = false;
  // Locks held by lock_Target, by target name (shared: a copy of the object
  // does not release them twice).
  std::map<std::string, std::shared_ptr<void>> locks;
};
