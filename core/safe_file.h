// Low-level pieces of safe file handling that every program shares: the
// system's reason for a failed call, files and folders in a shared temp
// folder (never through a link, never another user's), and the advisory lock
// that keeps two runs from moving the same file at once.
#pragma once
#include <sys/types.h>

#include <string>

namespace safefile {

// strerror of the current errno (the reason added to a failed file operation).
std::string why();
// The same for a given error number.
std::string why(int err);

// Why `path` in a shared folder must not be used: "" when it is absent or a
// plain file (a folder when `folder`) of this user; otherwise the reason:
// a link, another user's, or the wrong kind.
std::string temp_Refusal(const std::string& path, bool folder);

// Creates only the last folder of `path` (never its parents) and accepts it
// only when temp_Refusal has nothing against it. On failure `reason` says why.
bool make_Last_Dir(const std::string& path, std::string& reason);

// Appends bytes to `path` without following a link; creates it 0600. A file
// that is not this user's plain file is refused. False on any failure.
bool append_NoFollow(const std::string& path, const std::string& bytes);

// Permission bits for a new file: those of `modeFrom` (never wider, but
// always writable by its owner), less the umask; 0666 less the umask when
// `modeFrom` is empty or unreadable.
mode_t mode_For(const std::string& modeFrom);

// An exclusive advisory lock (flock) on a hidden lock file beside a target
// ("." + a hash of the name + ".lock" in the same folder, short whatever the
// name's length). The lock file is removed on release.
class cLock {
public:
  cLock() = default;
  cLock(const cLock&) = delete;
  cLock& operator=(const cLock&) = delete;
  ~cLock() { release(); }
  // wait: block until the lock is free; otherwise fail at once when another
  // holds it. False with `busy` set when another run holds it; false with
  // `busy` clear when no lock file can be made there (the caller may go on).
  bool acquire(const std::string& target, bool wait, bool& busy);
  void release();
  bool held() const { return fd_ >= 0; }
  static std::string lock_Path(const std::string& target);

private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace safefile
