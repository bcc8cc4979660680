// The safe write step shared by every program: a complete scratch file
// first, then the old file to ".old", then the rename, all under the
// target's lock; the locks themselves and the files of the temp folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "cFile.h"
#include "safe_file.h"
#include "platform/msg_box.h"

using platform::msg;

namespace {

// Writes all bytes to an open descriptor and flushes them to the disk.
bool write_All(int fd, const uint8_t* data, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t k = ::write(fd, data + done, n - done);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    done += static_cast<size_t>(k);
  }
  return ::fsync(fd) == 0;
}

}  // namespace

bool cFile::in_Temp(const std::string& nameFile) {
  const std::string tmp = getTmpPath();
  return !tmp.empty() && nameFile.compare(0, tmp.size(), tmp) == 0;
}

bool cFile::temp_Refused(const std::string& nameFile) {
  if (!in_Temp(nameFile)) return false;
  const std::string refusal = safefile::temp_Refusal(nameFile, false);
  if (refusal.empty()) return false;
  msg("не пишу в " + nameFile + ": " + refusal);
  return true;
}

bool cFile::append_Bytes(const std::string& nameFile, const std::string& bytes) {
  const bool temp = in_Temp(nameFile);
  if (temp && temp_Refused(nameFile)) return false;
  const int fd = ::open(nameFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | (temp ? O_NOFOLLOW : 0),
                        safefile::mode_For(""));
  if (fd < 0 || !write_All(fd, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())) {
    msg("не могу записать файл=" + nameFile + ": " + safefile::why());
    if (fd >= 0) ::close(fd);
    return false;
  }
  if (::close(fd) != 0) {
    msg("не могу записать файл=" + nameFile + ": " + safefile::why());
    return false;
  }
  return true;
}

bool cFile::write_M8(const std::string& nameFile, const BB& bb, bool flagAppend, const std::string& modeFrom) {
  if (nameFile.empty()) {
    msg("пустая строка");
    return false;
  }
  if (bb.empty()) {
    msg("пустой массив");
    return false;
  }
  if (!test_Name(nameFile)) {
    msg("слишком длинное имя");
    return false;
  }
  if (flagAppend) return append_Bytes(nameFile, std::string(bb.begin(), bb.end()));
  // In the shared temp folder a link or another user's file under the name is
  // left alone (renaming over it would be safe, but it is not ours to move).
  if (temp_Refused(nameFile)) return false;

  // The scratch name is short whatever the target's length, and in the same
  // folder so that the final rename is one atomic step. mkstemp creates it
  // new (O_EXCL): no link in a shared folder is followed.
  std::string scratch = getPath(nameFile) + ".tmpXXXXXX";
  const int fd = ::mkstemp(scratch.data());
  if (fd < 0) {
    msg("не могу записать файл=" + nameFile + ": " + safefile::why());
    return false;
  }
  const bool written = write_All(fd, bb.data(), bb.size()) && ::fchmod(fd, safefile::mode_For(modeFrom)) == 0;
  const int err = errno;
  if (::close(fd) != 0 || !written) {
    ::unlink(scratch.c_str());
    msg("не могу записать файл=" + nameFile + ": " + safefile::why(written ? errno : err));
    return false;
  }

  // The old file moves to ".old" only now that the new one is complete.
  const bool held = locks.count(nameFile) != 0;
  if (!held) lock_Target(nameFile, true);
  bool ok = rotate_Old(nameFile);
  if (!ok) {
    msg("файл не записан: " + nameFile);
  } else if (std::rename(scratch.c_str(), nameFile.c_str()) != 0) {
    msg("не могу записать файл=" + nameFile + ": " + safefile::why());
    ok = false;
  }
  if (!held) unlock_Target(nameFile);
  if (!ok) ::unlink(scratch.c_str());
  return ok;
}

std::string cFile::write_Damaged(const std::string& nameFile, const BB& bb, const std::string& modeFrom) {
  const std::string damaged = nameFile + ".damaged";
  return write_M8(damaged, bb, false, modeFrom) ? damaged : "";
}

bool cFile::lock_Target(const std::string& nameFile, bool wait) {
  if (locks.count(nameFile)) return true;
  auto lock = std::make_shared<safefile::cLock>();
  bool busy = false;
  if (lock->acquire(nameFile, wait, busy)) locks[nameFile] = lock;
  return !busy;
}

void cFile::unlock_Target(const std::string& nameFile) { locks.erase(nameFile); }

std::string cFile::make_Temp_Dir(const std::string& folder) {
  std::string reason;
  if (safefile::make_Last_Dir(folder, reason)) return "";
  const std::string text = "не могу использовать папку " + folder + ": " + reason;
  msg(text);
  return text;
}
