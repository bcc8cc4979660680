// Inline scripts and style sheets leave the text for files of their own beside
// the packed file; a marker and the file's number stand in their place.
#include "ModuleStroki.h"
#include "ModuleTextPre.h"
#include "core/cFile.h"

namespace {

// "<folder><first 3 letters of the name>-<n><ext>" beside the current file.
std::string cut_Name(cFile& file, const std::string& nameFile, int32_t n, const char* ext) {
  return file.getPath(nameFile) + file.getName(nameFile).substr(0, 3) + "-" + std::to_string(n) + ext;
}

// Writes one body; an empty body still gives a file, so every link finds one.
void write_Cut(cNoxState& state, const std::string& name, const std::string& body) {
  if (!state.file) return;
  if (body.empty()) state.file->write_M8(name, BB{'\r', '\n'});
  else state.file->writeS(name, body);
}

// The element's end: after the ">" of the closing tag at `close`, or the end.
size_t after_Close(const std::string& text, size_t close) {
  if (close == std::string::npos) return text.size();
  size_t gt = text.find('>', close);
  return gt == std::string::npos ? text.size() : gt + 1;
}

}  // namespace

SS cut_Scripts(std::string& text_izm, cNoxState& state) {
  SS written;
  if (find_NoCase(text_izm, "<script", 0) == std::string::npos) return written;
  std::string out;
  out.reserve(text_izm.size());
  size_t last = 0;  // copied up to here
  size_t p = find_NoCase(text_izm, "<script", 0);
  int32_t n = 0;
  while (p != std::string::npos) {
    const std::string tag = tag_At(text_izm, static_cast<int32_t>(p));
    const size_t bodyFrom = p + tag.size();
    // A script with a source stays (any case: restored links say SRC).
    if (find_NoCase(tag, "src", 7) != std::string::npos) {
      p = find_NoCase(text_izm, "<script", bodyFrom);
      continue;
    }
    const size_t close = find_NoCase(text_izm, "</script", bodyFrom);
    const size_t bodyTo = close == std::string::npos ? text_izm.size() : close;
    const size_t end = after_Close(text_izm, close);
    ++n;
    const std::string name = state.file ? cut_Name(*state.file, state.nameFile, n, ".js") : std::string();
    write_Cut(state, name, text_izm.substr(bodyFrom, bodyTo - bodyFrom));
    if (!name.empty()) written.push_back(name);
    out.append(text_izm, last, p - last);
    out += ' ';
    out += nox_mark::cScript;
    out += std::to_string(n);
    out += ' ';
    last = end;
    p = find_NoCase(text_izm, "<script", end);
  }
  out.append(text_izm, last, std::string::npos);
  text_izm.swap(out);
  return written;
}

SS cut_Styles(std::string& text_izm, cNoxState& state) {
  SS written;
  std::string out;
  size_t last = 0;
  size_t p = find_NoCase(text_izm, "<style>", 0);
  if (p == std::string::npos) return written;
  out.reserve(text_izm.size());
  int32_t n = 0;
  while (p != std::string::npos) {
    const size_t bodyFrom = p + 7;
    const size_t close = find_NoCase(text_izm, "</style>", bodyFrom);
    const size_t bodyTo = close == std::string::npos ? text_izm.size() : close;
    const size_t end = close == std::string::npos ? text_izm.size() : close + 8;
    ++n;
    const std::string name = state.file ? cut_Name(*state.file, state.nameFile, n, ".css") : std::string();
    write_Cut(state, name, text_izm.substr(bodyFrom, bodyTo - bodyFrom));
    if (!name.empty()) written.push_back(name);
    out.append(text_izm, last, p - last);
    out += ' ';
    out += nox_mark::cStyle;
    out += std::to_string(n);
    out += ' ';
    last = end;
    p = find_NoCase(text_izm, "<style>", end);
  }
  out.append(text_izm, last, std::string::npos);
  text_izm.swap(out);
  return written;
}
