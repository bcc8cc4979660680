// Decoding: a PEK file into a 24-bit BMP beside it, with the report of its
// header; or every PEK file of the current folder.
#include "ModulePek_run.h"
#include "platform/msg_box.h"

bool cPekRun::save_Decoded(const TT& colours, const std::string& caption, const std::string& nameBmp) {
  const int32_t w = im.get_w_Pic(), h = im.get_h_Pic();
  cPreview& p0 = preview[0];
  p0.box.clear();
  size_Preview(0, w, h, caption);
  if (p0.box.surface().width() != w || p0.box.surface().height() != h ||
      colours.size() != static_cast<size_t>(int64_t{w} * h))
    return false;
  im.fast_put_Pic(colours, p0.box.surface(), w, h);
  if (platform::save_BMP24(p0.box.surface(), nameBmp)) return true;
  file.del_File(nameBmp);  // no half-written picture under the name
  return false;
}

void cPekRun::decode_One(const std::string& path) {
  log_Msg("декодирую=" + path);
  int32_t e = 0;
  const BB un = file.unzip_Auto(file.read_M8(path), e);
  if (e != 0) {
    platform::msg("error=" + std::to_string(e));
    fail();
    return;
  }
  for (const std::string& l : cImage::zag_Report(un)) log_Msg(l);
  const TT colours = im.pek_to_bmp(un);
  if (colours.empty()) {  // the decoder has said what is wrong
    fail();
    return;
  }
  log_Msg("размер кадра w=" + std::to_string(im.get_Wk()) + " h=" + std::to_string(im.get_Hk()));
  const int32_t m = im.get_kol_kadrov();
  if (m > 1) {
    log_Msg(std::string(im.flagGK ? "горизонтальных" : "вертикальных") + " кадров=" + std::to_string(m));
    std::string p = "паузы=";
    for (uint8_t v : im.get_Paus()) p += std::to_string(v) + ",";
    log_Msg(p);
  }
  const std::string bmp = path + ".bmp";
  if (!save_Decoded(colours, std::to_string(un[0] % 4), bmp)) {
    log_Msg("не записан: " + bmp);
    fail();
    return;
  }
  log_Msg("сохраняю пока в bmp24: " + bmp);
  show_Preview(0);
}

// A file that does not unpack or decode is skipped.
void cPekRun::decode_All() {
  for (const std::string& name : file.get_Dir(curPath, ".pek")) {
    log_Msg("декодирую=" + name);
    int32_t e = 0;
    const BB un = file.unzip_Auto(file.read_M8(name), e);
    if (e != 0) continue;
    const TT colours = im.pek_to_bmp(un);
    if (!colours.empty()) save_Decoded(colours, "0", name + ".bmp");
  }
}
