// The converter's desktop windows: FormPek0..FormPek3, FormColor and FormFon
// over the toolkit's forms, wired to the main flow's handlers.
#pragma once
#include <array>
#include <memory>

#include "pek/PekWindows.h"
#include "platform/preview_fltk.h"

class cPekDesktop : public cPekWindows {
public:
  cPekDesktop();

  void show_Preview(int32_t n, const platform::cSurface& pic, const std::string& caption) override;
  void set_Caption(int32_t n, const std::string& caption) override;
  void hide_Form(int32_t n) override;
  void set_Label(int32_t i, int32_t colour, bool bordered, bool visible) override;
  void set_Label_Caption(int32_t i, const std::string& caption) override;
  void show_Palette() override;
  void show_Fon(int32_t r, int32_t g, int32_t b) override;
  void set_Fon(int32_t r, int32_t g, int32_t b, int32_t sample) override;

  // For tests and for placing the windows.
  platform::cPictureForm& FormPek(int32_t n) { return *pek_.at(static_cast<size_t>(n)); }
  platform::cColorForm& FormColor() { return color_; }
  platform::cFonForm& FormFon() { return fon_; }

private:
  bool on_Close(int32_t n);

  std::array<std::unique_ptr<platform::cPictureForm>, 4> pek_;
  platform::cColorForm color_;
  platform::cFonForm fon_;
};
