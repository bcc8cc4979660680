#include "safe_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace safefile {

std::string why() { return why(errno); }
std::string why(int err) { return std::strerror(err); }

std::string temp_Refusal(const std::string& path, bool folder) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? "" : why();
  if (S_ISLNK(st.st_mode)) return "это ссылка";
  if (st.st_uid != ::geteuid()) return "принадлежит другому пользователю";
  if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) return folder ? "это не папка" : "это не файл";
  return "";
}

bool make_Last_Dir(const std::string& path, std::string& reason) {
  reason.clear();
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    reason = why();
    return false;
  }
  reason = temp_Refusal(path, true);
  return reason.empty();
}

bool append_NoFollow(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // Only this user's own file (a device such as /dev/null will do as well).
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISCHR(st.st_mode)) && st.st_uid == ::geteuid();
  if (!ok) errno = EPERM;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = (::close(fd) == 0) && ok;
  return ok;
}

mode_t mode_For(const std::string& modeFrom) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st {};
  mode_t bits = 0666;
  // The owner may always write the new file: a read-only source must not
  // make its archive one that the next run has to ask about before moving it.
  if (!modeFrom.empty() && ::stat(modeFrom.c_str(), &st) == 0) bits = (st.st_mode & 0777) | S_IWUSR;
  return bits & ~mask;
}

std::string cLock::lock_Path(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return dir + "." + hex + ".lock";
}

bool cLock::acquire(const std::string& target, bool wait, bool& busy) {
  busy = false;
  release();
  const std::string path = lock_Path(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    int rc;
    do rc = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      busy = errno == EWOULDBLOCK;
      ::close(fd);
      return false;
    }
    // The holder before us removes the file when it lets go: the lock only
    // counts when it is still on the file that the name shows.
    struct stat a {}, b {};
    if (::fstat(fd, &a) == 0 && ::lstat(path.c_str(), &b) == 0 && a.st_ino == b.st_ino && a.st_dev == b.st_dev) {
      fd_ = fd;
      path_ = path;
      return true;
    }
    ::close(fd);
  }
  return false;
}

void cLock::release() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());
  ::close(fd_);
  fd_ = -1;
  path_.clear();
}

}  // namespace safefile
