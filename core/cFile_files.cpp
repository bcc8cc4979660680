// Whole-file access: existence, deleting, moving aside to ".old", copying,
// reads and writes of byte, 16-bit, 32-bit and text files, free space.
#include <sys/stat.h>
#include <unistd.h>
#include <glob.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "cFile.h"
#include "platform/env.h"
#include "platform/msg_box.h"

namespace fs = std::filesystem;
using platform::msg;

namespace {

bool empty_Name(const std::string& name) {
  if (!name.empty()) return false;
  msg("пустая строка");
  return true;
}

mode_t current_Umask() {
  mode_t m = ::umask(0);
  ::umask(m);
  return m;
}

bool is_Regular(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_Dir(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool read_Only(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

// Writes all bytes to `path` (replacing or appending). False on any failure.
bool write_Bytes(const std::string& path, const uint8_t* data, size_t n, bool append) {
  FILE* f = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (!f) return false;
  bool ok = (n == 0 || std::fwrite(data, 1, n, f) == n);
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

}  // namespace

cFile::cFile() = default;

int64_t cFile::len_File(const std::string& nameFile) {
  struct stat st {};
  if (nameFile.empty() || ::stat(nameFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool cFile::exist_File(const std::string& nameFile) {
  if (empty_Name(nameFile)) return false;
  if (nameFile.find_first_of("*?") == std::string::npos) return is_Regular(nameFile);
  glob_t g{};
  bool found = false;
  if (::glob(nameFile.c_str(), GLOB_PERIOD, nullptr, &g) == 0)
    for (size_t i = 0; i < g.gl_pathc && !found; ++i) found = is_Regular(g.gl_pathv[i]);
  ::globfree(&g);
  return found;
}

bool cFile::del_File(const std::string& nameFile) {
  if (empty_Name(nameFile)) return false;
  if (is_Dir(nameFile)) {
    msg("не могу удалить папку/каталог/директорию");
    return false;
  }
  if (!is_Regular(nameFile)) return false;
  if (read_Only(nameFile)) {
    // Safe default: keep a read-only file.
    if (!platform::ask("Файл только для чтения! Удалить?", "Предупреждение", false)) return false;
    ::chmod(nameFile.c_str(), 0644);
  }
  return ::unlink(nameFile.c_str()) == 0;
}

void cFile::del_file_Safe(const std::string& nameFile) {
  if (empty_Name(nameFile)) return;
  const std::string old = nameFile + ".old";
  if (!test_Name(old)) msg("слишком длинное имя=" + old);
  if (exist_File(nameFile)) {
    del_File(old);
    rename_File(nameFile, old);
  }
}

// The checks that renaming and copying share: both names given, a target
// name within the limit, an existing source.
bool cFile::can_Move(const std::string& nameFile_In, const std::string& nameFile_Out) {
  if (empty_Name(nameFile_In) || empty_Name(nameFile_Out)) return false;
  if (!test_Name(nameFile_Out)) {
    msg("слишком длинное имя=" + nameFile_Out);
    return false;
  }
  if (!exist_File(nameFile_In)) {
    msg("нет файла=" + nameFile_In);
    return false;
  }
  return true;
}

void cFile::rename_File(const std::string& nameFile_In, const std::string& nameFile_Out) {
  if (!can_Move(nameFile_In, nameFile_Out)) return;
  if (exist_File(nameFile_Out)) {
    // Yes is safe here: the target is moved to ".old", not deleted.
    if (!platform::ask("перезаписать?", "", true)) return;
    del_file_Safe(nameFile_Out);
    if (exist_File(nameFile_Out)) return;  // could not move it away: keep both
  }
  if (std::rename(nameFile_In.c_str(), nameFile_Out.c_str()) != 0)
    msg("не могу переименовать " + nameFile_In + " в " + nameFile_Out);
}

void cFile::copy_File(const std::string& nameFile_In, const std::string& nameFile_Out) {
  if (!can_Move(nameFile_In, nameFile_Out)) return;
  if (!test_Size(nameFile_Out, len_File(nameFile_In))) return;
  if (exist_File(nameFile_Out)) {
    if (!platform::ask(nameFile_Out + " перезаписать?", "", true)) return;
    del_file_Safe(nameFile_Out);
    if (exist_File(nameFile_Out)) return;
  }
  std::error_code ec;
  fs::copy_file(nameFile_In, nameFile_Out, ec);
  if (ec) msg("не могу скопировать " + nameFile_In + " в " + nameFile_Out);
}

void cFile::make_Dir(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
}

BB cFile::read_M8(const std::string& nameFile, int32_t maxSize) {
  if (empty_Name(nameFile)) return {};
  if (!exist_File(nameFile)) {
    msg("нет файла=" + nameFile);
    return {};
  }
  int64_t len = len_File(nameFile);
  if (len == 0) {
    msg("пустой файл=" + nameFile);
    return {};
  }
  if (maxSize > 0 && maxSize < len) len = maxSize;
  if (len > INT32_MAX) {
    msg("слишком большой файл=" + nameFile);
    return {};
  }
  BB out(static_cast<size_t>(len));
  FILE* f = std::fopen(nameFile.c_str(), "rb");
  if (!f) {
    msg("не могу прочитать файл=" + nameFile);
    return {};
  }
  size_t got = std::fread(out.data(), 1, out.size(), f);
  std::fclose(f);
  if (got != out.size()) {
    msg("не могу прочитать файл=" + nameFile);
    return {};
  }
  return out;
}

TT cFile::read_M16(const std::string& nameFile) {
  if (empty_Name(nameFile)) return {};
  if (!exist_File(nameFile)) {
    msg("нет файла");
    return {};
  }
  BB bb = read_M8(nameFile);
  if (bb.empty()) return {};
  return m.M8_to_M16(bb);
}

TT cFile::read_M32(const std::string& nameFile) {
  if (empty_Name(nameFile)) return {};
  if (!exist_File(nameFile)) {
    msg("нет файла=" + nameFile);
    return {};
  }
  int64_t len = len_File(nameFile);
  if (len % 4 != 0) {
    msg("неправильная длина - не кратна 4");
    return {};
  }
  if (len == 0) {
    msg("пустой файл=" + nameFile);
    return {};
  }
  BB bb = read_M8(nameFile);
  TT out(bb.size() / 4);
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<int32_t>(uint32_t(bb[4 * i]) | uint32_t(bb[4 * i + 1]) << 8 |
                                  uint32_t(bb[4 * i + 2]) << 16 | uint32_t(bb[4 * i + 3]) << 24);
  return out;
}

bool cFile::write_M8(const std::string& nameFile, const BB& bb, bool flagAppend) {
  if (empty_Name(nameFile)) return false;
  if (bb.empty()) {
    msg("пустой массив");
    return false;
  }
  if (!test_Name(nameFile)) {
    msg("слишком длинное имя");
    return false;
  }
  if (flagAppend) {
    if (!write_Bytes(nameFile, bb.data(), bb.size(), true)) {
      msg("не могу записать файл=" + nameFile);
      return false;
    }
    return true;
  }
  // The new content goes to a scratch file beside the target first, so that a
  // failed write (full disk, no rights) leaves the old file where it was.
  std::string scratch = nameFile + ".XXXXXX";
  const int fd = ::mkstemp(scratch.data());
  if (fd < 0) {
    msg("не могу записать файл=" + nameFile);
    return false;
  }
  ::close(fd);
  if (!write_Bytes(scratch, bb.data(), bb.size(), false)) {
    ::unlink(scratch.c_str());
    msg("не могу записать файл=" + nameFile);
    return false;
  }
  ::chmod(scratch.c_str(), 0644 & ~current_Umask());
  del_file_Safe(nameFile);
  if (exist_File(nameFile)) {  // the old file could not be moved to ".old": keep it
    ::unlink(scratch.c_str());
    msg("файл не записан: " + nameFile);
    return false;
  }
  if (std::rename(scratch.c_str(), nameFile.c_str()) != 0) {
    ::unlink(scratch.c_str());
    msg("не могу записать файл=" + nameFile);
    return false;
  }
  return true;
}

bool cFile::write_M16(const std::string& nameFile, const TT& tt) {
  if (empty_Name(nameFile)) return false;
  if (tt.empty()) {
    msg("пустой массив");
    return false;
  }
  BB bb = m.M16_to_M8(tt);
  if (bb.empty()) return false;
  return write_M8(nameFile, bb);
}

bool cFile::write_M32(const std::string& nameFile, const TT& tt) {
  if (empty_Name(nameFile)) return false;
  if (tt.empty()) {
    msg("пустой массив");
    return false;
  }
  BB bb(tt.size() * 4);
  for (size_t i = 0; i < tt.size(); ++i) {
    uint32_t v = static_cast<uint32_t>(tt[i]);
    for (int k = 0; k < 4; ++k) bb[4 * i + k] = static_cast<uint8_t>(v >> (8 * k));
  }
  return write_M8(nameFile, bb);
}

std::string cFile::ReadS(const std::string& nameFile) {
  if (empty_Name(nameFile)) return "";
  if (!exist_File(nameFile)) {
    msg("нет файла");
    return "";
  }
  std::string text;
  FILE* f = std::fopen(nameFile.c_str(), "rb");
  bool ok = f != nullptr;
  if (f) {
    char buf[65536];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, got);
    ok = !std::ferror(f);
    std::fclose(f);
  }
  if (!ok) {
    msg("не могу прочитать файл=" + nameFile);
    return "";
  }
  return text;
}

bool cFile::write_Text(const std::string& nameFile, const std::string& text, bool flagAppend) {
  if (empty_Name(nameFile)) return false;
  if (text.empty()) {
    msg("пустой массив");
    return false;
  }
  if (!test_Name(nameFile)) {
    msg("слишком длинное имя");
    return false;
  }
  const std::string s = text + "\r\n";
  if (!flagAppend) return write_M8(nameFile, BB(s.begin(), s.end()));
  return write_Bytes(nameFile, reinterpret_cast<const uint8_t*>(s.data()), s.size(), true);
}

bool cFile::writeS(const std::string& nameFile, const std::string& text) { return write_Text(nameFile, text, false); }

bool cFile::append_File(const std::string& nameFile, const std::string& text) {
  return write_Text(nameFile, text, true);
}

SS cFile::read_SS(const std::string& nameFile) {
  std::string all = ReadS(nameFile);
  SS out;
  size_t start = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\r' || all[i] == '\n') {
      out.push_back(all.substr(start, i - start));
      if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < all.size()) out.push_back(all.substr(start));
  return out;
}

bool cFile::test_Size(const std::string& path, int64_t vSizeFile) {
  std::string where = path;
  if (getPath(where).empty()) where = getTekPath();
  int64_t freeBytes = platform::free_Space(where);
  if (freeBytes < 0) return true;  // unknown: do not block the work
  if (freeBytes < vSizeFile + 1024) {
    msg("Не влезет на диск!\r\nНадо=" + std::to_string(vSizeFile) + "\r\n Осталось=" + std::to_string(freeBytes));
    return false;
  }
  return true;
}
