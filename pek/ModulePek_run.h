// The state of one pek run and its steps, split by concern:
//   ModulePek.cpp         start-up, switches, the branch, preview windows
//   ModulePek_encode.cpp  loading, the four coding types, the choice
//   ModulePek_decode.cpp  one PEK file or every PEK file of a folder
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "ModulePek_edit.h"
#include "PekWindows.h"
#include "cImage.h"
#include "core/cProgramRun.h"
#include "platform/picture_io.h"

// A preview window: its picture box and caption. The terminal view draws
// none of them; show_Preview is the one place a desktop view hooks in.
struct cPreview {
  platform::cPictureBox box;
  std::string caption;
  bool shown = false;
};

class cPekRun : public cProgramRun, public cPekHandlers {
public:
  cPekRun(platform::iLogView& view, cPekWindows* windows);

  // The windows' handlers (ModulePek_edit.cpp).
  bool finished() const override { return form.flagFinished; }
  bool editing() const override { return form.flagBusy; }
  void manual_Choice(int32_t n) override;
  void startColorEdit(int32_t c) override;
  void applyColorEdit(int32_t q) override;
  void setEditedColor(int32_t r, int32_t g, int32_t b) override;
  void saveEditedPicture() override;
  void quit() override;

  static constexpr int32_t kMaxColoursDyn = 250;  // types 2 and 3 take at most this many colours

private:
  void work(const std::string& line) override;
  void apply_Switches();

  // Encoding (ModulePek_encode.cpp).
  void encode(const std::string& path);
  bool load(const std::string& path);
  bool code_Types();
  bool candidate(int32_t tip, const BB& bytes);
  bool err_Color();
  void finish(const std::string& path);
  std::string work_File(int32_t tip) const { return tmpPath + "out.pek" + std::to_string(tip); }
  void save_State();
  void restore_State();

  // Decoding (ModulePek_decode.cpp).
  void decode_One(const std::string& path);
  void decode_All();
  // Decoded strip -> 24-bit BMP through preview 0; false leaves no file.
  bool save_Decoded(const TT& colours, const std::string& caption, const std::string& nameBmp);

  void size_Preview(int32_t n, int32_t w, int32_t h, const std::string& caption);
  void show_Preview(int32_t n);

  void redraw_Edited();

  cImage im;
  cPekWindows noWindows;  // the terminal view
  cPekWindows* win;
  cColorEditState edit;
  std::array<cPreview, 4> preview;
  std::string fullInputName;
  std::string outName;
  int32_t picW = 0, picH = 0;
  int64_t inputSize = 0;
  int32_t forcedType = -1;
  int32_t qualityPercent = 3;
  int64_t bestSize = 0;
  int32_t bestType = -1;

  // The reduced picture every type starts from: coding and decoding a
  // candidate rework the object's picture fields.
  TT nPix0, cPal0, fPal0;
  int32_t kol0 = 1, wk0 = 0, hk0 = 0;
  bool gk0 = false, prozr0 = false;
  BB paus0;
};
