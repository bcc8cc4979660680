// Encoding: load the picture, try the coding types in their fixed order,
// decode every candidate of types 1-3 again to measure its colour error,
// and copy the smallest accepted one to the output name.
#include "ModulePek_run.h"
#include "platform/msg_box.h"

namespace {

const char* const kDash = "--------------------------------";

std::string num(int64_t n) { return std::to_string(n); }

}  // namespace

void cPekRun::save_State() {
  im.get_nPix_cPal24_fPal24(nPix0, cPal0, fPal0);
  kol0 = im.kolKadrov, wk0 = im.Wk, hk0 = im.Hk, gk0 = im.flagGK, prozr0 = im.flagProzr;
  paus0 = im.Paus;
}

void cPekRun::restore_State() {
  im.set_nPix_cPal24_fPal24(nPix0, cPal0, fPal0);
  im.kolKadrov = kol0, im.Wk = wk0, im.Hk = hk0, im.flagGK = gk0, im.flagProzr = prozr0;
  im.Paus = paus0;
}

void cPekRun::encode(const std::string& path) {
  // With " -off " the output goes to pek_out; a file beside the input is
  // left alone (Finish deletes the old file of the real output name).
  outName = path + ".pek";
  // A work file of an earlier run must never become this run's output.
  for (int32_t t = 0; t <= 3; ++t) file.del_File(work_File(t));
  inputSize = file.len_File(path);
  if (!load(path)) {
    log_Msg("err load");
    fail();
    return;
  }
  log_Msg("загружена исходная картинка=" + path);
  show_Preview(0);
  bestSize = inputSize;
  bestType = -1;
  const int32_t n = im.get_le_cPal_24();
  if (n != 1) {
    if (n > kMaxColoursDyn) forcedType = -1;
    if (n <= 4 && forcedType >= 1) forcedType = 1;
  }
  if (n == 1 || forcedType < 1) {
    // Type 0 keeps every colour and is not measured.
    log_Msg(kDash);
    log_Msg("конвертирую в pek тип-0.(стат. палитра 24 бит, цветов до 64к)");
    const BB bytes = im.bmp_to_pek0();
    if (!bytes.empty()) {
      const int64_t s = static_cast<int64_t>(bytes.size());
      log_Msg("новый размер картинки=" + num(s) + cImage::change_Text(static_cast<double>(s) / inputSize - 1));
      file.write_M8(work_File(0), bytes);
      if (s < bestSize) bestSize = s, bestType = 0;
    }
    if (picW > 5000 || picH > 5000 || im.get_le_cPal_24() == 1) return finish(path);
    im.usredn_Pix();
    if (!im.flagFast) {
      log_Msg("Включен очень медленный режим");
      log_Msg("(384 варианта. пока простой перебор)");
      if (int64_t{picW} * picH > 10000) log_Msg("Идите погуляйте. Это будет долго..");
    }
  }
  save_State();
  if (code_Types()) finish(path);
}

// Only one colour left after the reduction: nothing for types 1-3 to code.
bool cPekRun::err_Color() {
  if (im.get_le_cPal_24() != 1) return false;
  platform::msg("err color");
  fail();  // ends through the normal end: log written, exit status 1
  return true;
}

// Types 1-3 from the forced type on; false when the run ends without Finish.
bool cPekRun::code_Types() {
  const int32_t n = static_cast<int32_t>(cPal0.size());
  if (forcedType <= 1) {
    if (err_Color()) return false;
    log_Msg(kDash);
    log_Msg("конвертирую в pek тип-1.(стат. палитра 16 бит, таблицы, цветов до 250)");
    if (!candidate(1, im.bmp_to_Pek(1))) return false;
    if (picW > 1000 || picH > 1000 || forcedType == 1 || (n < 4 && bestType == 1)) return true;
  }
  if (forcedType <= 2) {
    if (err_Color()) return false;
    if (n > kMaxColoursDyn) return true;
    log_Msg(kDash);
    log_Msg("конвертирую в pek тип-2.(дин. палитра 8 бит)");
    log_Msg("+для большего цвета  палитра 24 бит)");
    restore_State();
    if (!candidate(2, im.bmp_to_Pek(2))) return false;
    if (forcedType == 2) return true;
  }
  if (err_Color()) return false;
  if (n <= kMaxColoursDyn) {
    log_Msg(kDash);
    log_Msg("конвертирую в pek тип-3.(дин. палитра 8 бит.");
    log_Msg("+для цветов больше " + num(qualityPercent) + "% стат. палитра 24 бит)");
    restore_State();
    if (!candidate(3, im.bmp_to_Pek(3, qualityPercent))) return false;
  }
  return true;
}

// Writes the work file, decodes the candidate again and accepts it when its
// colour error is within the limit and it is the smallest so far. False when
// the candidate does not unpack: the run ends, nothing is written.
bool cPekRun::candidate(int32_t tip, const BB& bytes) {
  const std::string prefix = num(tip) + ":";
  const int64_t s = static_cast<int64_t>(bytes.size());
  if (s > 0) {
    log_Msg("новый размер картинки=" + num(s) + cImage::change_Text(static_cast<double>(s) / inputSize - 1));
    file.write_M8(work_File(tip), bytes);
    if (tip != 3 || flagLog) log_Msg("---проверка и сравнение---");
    if (tip != 1) size_Preview(tip, picW, picH, prefix + num(s));
    int32_t e = 0;
    const BB un = file.unzip_Auto(bytes, e);
    // A candidate that does not decode would measure as perfect: it fails the check too.
    const TT decoded = e == 0 ? im.pek_to_bmp(un) : TT{};
    if (decoded.empty()) {
      platform::msg("ошибка при проверке");
      fail();
      return false;
    }
    if (tip == 1) {
      picW = im.get_w_Pic();
      picH = im.get_h_Pic();
      size_Preview(1, picW, picH, prefix + num(s));
    }
    restore_State();  // the measure compares with the reduced source
    const int32_t q = im.sravn_rgb(tip, decoded);
    if (q < qualityPercent * 10) {
      if (s < bestSize) bestSize = s, bestType = tip;
    } else {
      log_Msg(prefix + "плохое качество. больше " + num(qualityPercent) + "% разница");
    }
    if (flagLog && !decoded.empty()) {
      cPreview& p = preview.at(static_cast<size_t>(tip));
      if (p.box.surface().width() == picW && p.box.surface().height() == picH &&
          decoded.size() == static_cast<size_t>(int64_t{picW} * picH))
        im.fast_put_Pic(decoded, p.box.surface(), picW, picH);
      show_Preview(tip);
    }
  }
  if (s >= inputSize) log_Msg(prefix + "сжимать не выгодно");
  return true;
}

void cPekRun::finish(const std::string& path) {
  if (bestType == -1) {
    log_Msg("Не сжимается. попробуйте сохр. в jpg 60%");
    fail();
    return;
  }
  log_Msg("Готово. Мин. размер=" + num(bestSize) + " качество=" + num(qualityPercent) + " % ср. откл. цвета");
  outName = (im.flagBMP2 ? fullInputName : path) + ".pek";
  if (!flagLog) {
    const std::string dir = tmpPath + "pek_out";
    file.make_Dir(dir);
    outName = dir + "/" + file.getNameExt(outName);
    file.del_File(outName);
  }
  const bool existed = file.exist_File(outName);
  file.copy_File(work_File(bestType), outName);
  if (file.len_File(outName) != bestSize) {
    // A short copy goes; a file the user chose to keep stays.
    if (!existed) file.del_File(outName);
    log_Msg("не записан: " + outName);
    fail();
    return;
  }
  log_Msg(outName + " записан на диск");
}

// Loads the source into the picture object: an animated GIF as its frame
// strip, a strip BMP by its name mark, anything else through the loader.
bool cPekRun::load(const std::string& path) {
  if (im.split_GIF(path)) {
    log_Msg(path + "-это анимационный GIF. Исходный размер=" + num(file.len_File(path)));
    log_Msg("Разделил на кадры и слил в BMP2, гориз. и верт. кадры.");
  } else {
    im.kolKadrovBMP2(path);
    if (im.flagBMP2) {
      if (im.kolKadrov == 1)
        log_Msg("это BMP2 c прозрачным=С0С1С0");
      else
        log_Msg("это BMP2 c прозрачным=С0С1С0 и анимацией кадров=" + num(im.kolKadrov));
    }
  }
  log_Msg("загружаю картинку=" + path);
  cPreview& p0 = preview[0];
  if (!p0.box.load(path)) {
    log_Msg("этот формат не картинка или поврежден");
    return false;
  }
  const int32_t w = p0.box.width(), h = p0.box.height();
  inputSize = file.len_File(path);
  log_Msg("w=" + num(w) + " h=" + num(h) + " размер=" + num(inputSize));
  if (w < 1 || h < 1) return false;
  p0.caption = path + ":" + num(inputSize);
  show_Preview(0);
  if (im.flagGIFa) {
    log_Msg("кадров аним.гиф=" + num(im.kolKadrov));
  } else if (!im.load_Pic_prozr(path)) {
    log_Msg("этот формат не картинка или поврежден");
    return false;
  }
  const int32_t n = im.get_le_cPal_24();
  log_Msg("Было разных цветов=" + num(n) + (im.flagProzr ? " +прозрачный" : ""));
  picW = im.get_w_Pic();  // the whole strip
  picH = im.get_h_Pic();
  return true;
}
