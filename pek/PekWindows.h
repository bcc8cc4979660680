// The converter's windows as the main flow sees them: the four previews
// (0 the source, 1..3 the decoded candidates of types 1..3), the palette of
// the colour editor (FormColor) and its exact-colour window (FormFon). The
// base class draws nothing: that is the terminal view. The desktop form
// (pek/desktop/FormPek.h) overrides it and reports the user's actions back
// through cPekHandlers.
#pragma once
#include <cstdint>
#include <string>

#include "massiv/massiv_types.h"
#include "platform/picture_io.h"

// What the windows may ask of the main flow.
class cPekHandlers {
public:
  virtual ~cPekHandlers() = default;
  virtual bool finished() const = 0;
  virtual bool editing() const = 0;
  // Double-click on preview 1..3 after the end.
  virtual void manual_Choice(int32_t n) = 0;
  // Right button on preview 2: the colour under the pointer.
  virtual void startColorEdit(int32_t c) = 0;
  // Click on palette label q (0..255, 257, or 258 for transparency).
  virtual void applyColorEdit(int32_t q) = 0;
  // A slider of FormFon moved.
  virtual void setEditedColor(int32_t r, int32_t g, int32_t b) = 0;
  // Double-click on preview 0 while editing.
  virtual void saveEditedPicture() = 0;
  // A window closed after the end: leaves editing and ends the program.
  virtual void quit() = 0;
};

class cPekWindows {
public:
  static constexpr int32_t kFormColor = 4;
  static constexpr int32_t kFormFon = 5;

  virtual ~cPekWindows() = default;
  void attach(cPekHandlers* h) { handlers = h; }

  // Preview n shows the picture of the surface under the caption.
  virtual void show_Preview(int32_t n, const platform::cSurface& pic, const std::string& caption) {
    (void)n, (void)pic, (void)caption;
  }
  virtual void set_Caption(int32_t n, const std::string& caption) { (void)n, (void)caption; }
  // n: a preview 0..3, kFormColor or kFormFon.
  virtual void hide_Form(int32_t n) { (void)n; }
  // The edited picture (colour values, rows top first) in preview 0.
  virtual void show_Result(const TT& colours, int32_t w, int32_t h) { (void)colours, (void)w, (void)h; }
  // FormColor: label i (0..257); the caption shows a number.
  virtual void set_Label(int32_t i, int32_t colour, bool bordered, bool visible) {
    (void)i, (void)colour, (void)bordered, (void)visible;
  }
  virtual void set_Label_Caption(int32_t i, const std::string& caption) { (void)i, (void)caption; }
  // Shows FormColor and hides FormFon.
  virtual void show_Palette() {}
  // Sets FormFon's sliders and text boxes (without a slider event), gives it
  // the colour as background, shows it and hides FormColor.
  virtual void show_Fon(int32_t r, int32_t g, int32_t b) { (void)r, (void)g, (void)b; }
  // FormFon's text boxes and sample after a slider move.
  virtual void set_Fon(int32_t r, int32_t g, int32_t b, int32_t sample) { (void)r, (void)g, (void)b, (void)sample; }

protected:
  cPekHandlers* handlers = nullptr;
};
