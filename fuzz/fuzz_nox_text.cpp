// Any bytes through nox's text side: encoding detection and conversion, the
// forward reformatting (scripts and styles cut into a scratch folder) and the
// backward one. Nothing may crash or hang; the first byte picks the forced
// encoding name, the keep-pre flag and the restored file's extension.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "nox/ModuleTextPre.h"
#include "core/cFile.h"
#include "platform/msg_box.h"

namespace {

// Kept alive to the end so that the exit handler can still remove it.
const std::string& scratch_Dir() {
  static const std::string* dir = [] {
    const char* t = std::getenv("TMPDIR");
    std::string tmpl = std::string(t && *t ? t : "/tmp") + "/fuzz_nox_XXXXXX";
    const char* d = mkdtemp(tmpl.data());
    if (!d) std::abort();
    auto* p = new std::string(std::string(d) + "/");
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(*dir, ec);
    });
    return p;
  }();
  return *dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static platform::cSilentMsgBox quiet;
  platform::set_MsgBox(&quiet);
  static cFile f;
  if (size == 0) return 0;
  static const char* const names[] = {"", "", "", "uni", "utf", "dos", "koi", "win"};
  const uint8_t head = data[0];
  BB bb(data + 1, data + size);
  std::string name = names[head & 7];
  detect_Charset(bb, name);

  cNoxState st;
  st.file = &f;
  st.nameFile = scratch_Dir() + "page.htm";
  st.flagPre = (head & 8) != 0;
  std::string text(bb.begin(), bb.end());
  reformat_Tuda(text, st);
  std::string back = text;
  cNoxState rs;
  rs.nameFile = (head & 16) ? "page.nox" : "page.htm";
  reformat_Obratno(back, rs);
  // The backward pass straight over the raw bytes as well.
  std::string raw(reinterpret_cast<const char*>(data), size);
  reformat_Obratno(raw, rs);
  return 0;
}
