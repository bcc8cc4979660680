// Whole-file access: existence, deleting, moving aside to ".old", copying,
// reads and writes of byte, 16-bit, 32-bit and text files, free space.
#include <sys/stat.h>
#include <unistd.h>
#include <glob.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "cFile.h"
#include "safe_file.h"
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

bool is_Regular(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool is_Dir(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Anything under that name, a link included.
bool present(const std::string& name) {
  struct stat st {};
  return ::lstat(name.c_str(), &st) == 0;
}

bool read_Only(const std::string& name) {
  struct stat st {};
  return ::stat(name.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
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
  if (::unlink(nameFile.c_str()) == 0) return true;
  msg("не могу удалить файл=" + nameFile + ": " + safefile::why());
  return false;
}

void cFile::del_file_Safe(const std::string& nameFile) { rotate_Old(nameFile); }

bool cFile::rotate_Old(const std::string& nameFile) {
  if (empty_Name(nameFile)) return false;
  const std::string old = nameFile + ".old";
  if (!test_Name(old)) msg("слишком длинное имя=" + old);
  if (!is_Regular(nameFile)) return true;  // the name itself, never a wildcard match
  if (is_Regular(old) && read_Only(old) && !clear_Old(old)) return false;
  // One step: the file becomes ".old", replacing an older ".old" at once.
  if (std::rename(nameFile.c_str(), old.c_str()) != 0) {
    msg("не могу переименовать " + nameFile + " в " + old + ": " + safefile::why());
    return false;
  }
  return true;
}

bool cFile::clear_Old(const std::string& old) {
  if (del_File(old)) return true;
  // Kept: the user may still let it move on, but never over an older file.
  if (!platform::ask("перезаписать?", "", true)) return false;
  const std::string older = old + ".old";
  if (present(older)) {
    msg("уже есть " + older + ": ничего не удаляю, файл не записан");
    return false;
  }
  if (std::rename(old.c_str(), older.c_str()) != 0) {
    msg("не могу переименовать " + old + " в " + older + ": " + safefile::why());
    return false;
  }
  return true;
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
    if (!rotate_Old(nameFile_Out) || exist_File(nameFile_Out)) return;  // could not move it away: keep both
  }
  if (std::rename(nameFile_In.c_str(), nameFile_Out.c_str()) != 0)
    msg("не могу переименовать " + nameFile_In + " в " + nameFile_Out + ": " + safefile::why());
}

void cFile::copy_File(const std::string& nameFile_In, const std::string& nameFile_Out) {
  if (!can_Move(nameFile_In, nameFile_Out)) return;
  if (!test_Size(nameFile_Out, len_File(nameFile_In))) return;
  if (exist_File(nameFile_Out)) {
    if (!platform::ask(nameFile_Out + " перезаписать?", "", true)) return;
    if (!rotate_Old(nameFile_Out) || exist_File(nameFile_Out)) return;
  }
  std::error_code ec;
  fs::copy_file(nameFile_In, nameFile_Out, ec);
  if (ec) msg("не могу скопировать " + nameFile_In + " в " + nameFile_Out + ": " + ec.message());
}

void cFile::make_Dir(const std::string& folder) {
  // Only the last folder: a missing parent is a mistake in the name, not a
  // request to build a tree (as root that could be anywhere).
  ::mkdir(folder.c_str(), 0777);
}

BB cFile::read_M8(const std::string& nameFile, int32_t maxSize) {
  if (empty_Name(nameFile)) return {};
  // The name itself, never a wildcard match of it.
  if (!is_Regular(nameFile)) {
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
    msg("не могу прочитать файл=" + nameFile + ": " + safefile::why());
    return {};
  }
  size_t got = std::fread(out.data(), 1, out.size(), f);
  const int err = std::ferror(f) ? errno : 0;
  std::fclose(f);
  if (got != out.size()) {
    msg("не могу прочитать файл=" + nameFile + (err ? ": " + safefile::why(err) : ": файл стал короче"));
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
  int err = errno;
  if (f) {
    char buf[65536];
    for (size_t got; (got = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, got);
    ok = !std::ferror(f);
    err = errno;
    std::fclose(f);
  }
  if (!ok) {
    msg("не могу прочитать файл=" + nameFile + ": " + safefile::why(err));
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
  return append_Bytes(nameFile, s);
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
