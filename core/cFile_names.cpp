// Names and folders: path splitting, the length limit, the program, current
// and temporary folders, folder listing.
#include <algorithm>
#include <filesystem>

#include "cFile.h"
#include "platform/env.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace fs = std::filesystem;
using platform::lower_Ascii;
using platform::trim;

namespace {

const int32_t kMaxPathChars = 240;

std::string collapse_Slashes(std::string s) {
  for (size_t p; (p = s.find("//")) != std::string::npos;) s.erase(p, 1);
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

}  // namespace

bool cFile::test_Name(const std::string& nameFile) {
  std::string full = nameFile;
  if (getPath(nameFile).empty()) full = getTekPath() + nameFile;
  return platform::utf8_Chars(full) < static_cast<size_t>(kMaxPathChars);
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
