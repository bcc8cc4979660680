// Any bytes as a GIF file through split_GIF, which cuts it into frame files
// and lets the picture loader draw every frame. A split must leave a whole
// strip whose indexes stay inside the palette.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fuzz_util.h"
#include "pek/cImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::quiet();
  static const std::string dir = [] {
    std::string d = std::filesystem::temp_directory_path().string() + "/fuzz_split_gif." + std::to_string(::getpid());
    std::filesystem::create_directories(d);
    ::setenv("TMPDIR", d.c_str(), 1);
    return d + "/";
  }();
  const std::string name = dir + "in.gif";
  {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (size >= 6) out.write("GIF89a", 6);  // past the signature, into the blocks
    if (size > 6) out.write(reinterpret_cast<const char*>(data + 6), static_cast<std::streamsize>(size - 6));
    else out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  cImage img;
  try {
    if (img.split_GIF(name)) {
      if (img.nPix.size() != static_cast<size_t>(img.get_wh_Pic())) __builtin_trap();
      if (img.get_kol_kadrov() < 2 || img.get_kol_kadrov() > cImage::kMaxFrames) __builtin_trap();
      for (int32_t v : img.nPix)
        if (v < -1 || v >= img.get_le_cPal_24()) __builtin_trap();
    }
  } catch (const cOverflowError&) {
  } catch (const cIndexError&) {
  }
  return 0;
}
