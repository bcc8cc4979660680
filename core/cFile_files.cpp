// Whole-file access, names and folders, and the one-byte checksum.
#include <sys/stat.h>
#include <unistd.h>
#include <glob.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cFile.h"
#include "env.h"
#include "msg_box.h"
#include "utf8.h"

namespace fs = std::filesystem;
using platform::msg;

namespace {

const int32_t kMaxPathChars = 240;

bool empty_Name(const std::string& name) {
  if (!name.empty()) return false;
  msg("пустая строка");
  return true;
}

std::string collapse_Slashes(std::string s) {
  for (size_t p; (p = s.find("//")) != std::string::npos;) s.erase(p, 1);
  return s;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string lower_Ascii(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Last folder separator: "/" first (ours), then "\", then ":".
size_t last_Separator(const std::string& name) {
  size_t p = name.rfind('/');
  if (p == std::string::npos) p = name.rfind('\\');
  if (p == std::string::npos) p = name.rfind(':');
  return p;
}

// The extension dot: the last "." of the name part. A dot in a folder name
// ("dir.x/file") is no extension.
size_t ext_Dot(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return dot;
  const size_t sep = name.find_last_of("/\\:");
  return sep != std::string::npos && sep > dot ? std::string::npos : dot;
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

bool cFile::test_Name(const std::string& nameFile) {
  std::string full = nameFile;
  if (getPath(nameFile).empty()) full = getTekPath() + nameFile;
  return platform::utf8_Chars(full) < static_cast<size_t>(kMaxPathChars);
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
  std::ifstream f(nameFile, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
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

void cFile::get_list_Dir(const std::string& nameDir) {
  const std::string folder = collapse_Slashes(nameDir + "/");
  std::error_code ec;
  std::vector<std::string> files, dirs;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    std::error_code ec2;
    if (e.is_symlink(ec2)) {  // never follow a linked folder: it may loop or lead anywhere
      if (e.is_regular_file(ec2)) files.push_back(folder + name);
      continue;
    }
    if (e.is_directory(ec2))
      dirs.push_back(folder + name);
    else if (e.is_regular_file(ec2))
      files.push_back(folder + name);
  }
  // Directory order is arbitrary here; sorted names make the list repeatable.
  std::sort(files.begin(), files.end());
  std::sort(dirs.begin(), dirs.end());
  listFiles.insert(listFiles.end(), files.begin(), files.end());
  for (const auto& d : dirs) get_list_Dir(d);
}

SS cFile::get_Dir(const std::string& nameDir, const std::string& maska) {
  // get_list_Dir accumulates; a listing starts from an empty list so that a
  // second call does not return the first call's names again.
  listFiles.clear();
  get_list_Dir(nameDir);
  SS out;
  for (const auto& f : listFiles)
    if (f.size() >= maska.size() && f.compare(f.size() - maska.size(), maska.size(), maska) == 0)
      out.push_back(f);
  return out;
}

std::string cFile::getTekPath() { return collapse_Slashes(platform::current_Folder()); }
std::string cFile::getAppPath() { return collapse_Slashes(platform::program_Folder()); }
std::string cFile::getTmpPath() { return collapse_Slashes(platform::temp_Folder()); }

std::string cFile::getPath(const std::string& nameFile) {
  size_t p = last_Separator(nameFile);
  return p == std::string::npos ? "" : nameFile.substr(0, p + 1);
}

std::string cFile::getNameExt(const std::string& nameFile, bool flagLowCase) {
  std::string t = trim(nameFile);
  size_t p = last_Separator(t);
  std::string r = p == std::string::npos ? t : t.substr(p + 1);
  return flagLowCase ? lower_Ascii(r) : r;
}

std::string cFile::getName(const std::string& nameFile) {
  const size_t dot = ext_Dot(nameFile);
  const std::string head = nameFile.substr(0, dot == std::string::npos ? nameFile.size() : dot);
  const size_t sep = head.find_last_of("/\\:");
  return sep == std::string::npos ? head : head.substr(sep + 1);
}

std::string cFile::getExt(const std::string& nameFile, bool flagLowCase) {
  const size_t dot = ext_Dot(nameFile);
  if (dot == std::string::npos) return "";
  std::string r = trim(nameFile.substr(dot));
  return flagLowCase ? lower_Ascii(r) : r;
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

int32_t cFile::make_ks(const BB& bb, int32_t vStart) {
  int32_t s = 0;
  for (size_t i = static_cast<size_t>(std::max(vStart, 0)); i < bb.size(); ++i) s = (s + bb[i]) % 30001;
  return s & 255;
}
