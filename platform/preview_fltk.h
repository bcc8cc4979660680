// The desktop windows of the picture converter: preview windows that show a
// 24-bit picture (the source and the decoded candidates), the palette of the
// colour editor and its exact-colour window. They only show what they are
// given and report clicks; the converter's main module owns the state and
// decides (see close_Rule). All run on the one thread, driven by the same
// event check as the log window.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class Fl_Window;

namespace platform {

// ------------------------------------------------------------------ previews

// A window with one picture box sized to the picture: the window is w + 7 by
// h + 30 pixels, the picture at the top left, the hint on the line below it.
class cPictureForm {
public:
  cPictureForm();
  ~cPictureForm();
  cPictureForm(const cPictureForm&) = delete;
  cPictureForm& operator=(const cPictureForm&) = delete;

  // The picture in the layout of a 24-bit device-independent bitmap: rows
  // bottom first, bytes B, G, R, each row `stride` bytes. Resizes the window
  // when the size changed; false (nothing shown) for a bad size.
  bool set_Picture(const uint8_t* bits, int32_t w, int32_t h, int32_t stride);
  // The same from colour values (R + 256 G + 65536 B), rows top first.
  bool set_Colours(const int32_t* pix, int32_t w, int32_t h);
  void set_Caption(const std::string& caption);
  void set_Hint(const std::string& hint);
  void show();
  void hide();
  bool shown() const;
  std::string caption() const;
  int32_t pic_W() const;
  int32_t pic_H() const;
  // Colour of the picture at (x, y) (row 0 at the top); -1 outside.
  int32_t colour_At(int32_t x, int32_t y) const;

  // Double-click with the left button on the picture.
  std::function<void()> onDoubleClick;
  // Right button pressed on the picture: position and the colour there.
  std::function<void(int32_t x, int32_t y, int32_t colour)> onRightDown;
  // Close button: the handler decides; true lets the window close (hide).
  std::function<bool()> onClose;

  Fl_Window* window() const;
  struct cImpl;

private:
  std::unique_ptr<cImpl> p_;
};

// What closing a preview does, from the converter's flags: FormPek0 is the
// source (index 0), FormPek1..3 the candidates of types 1..3.
enum class eCloseAct { refuse, close, quit };
eCloseAct close_Rule(int formIndex, bool finished, bool editing);

// ------------------------------------------------------------------ colour editor

// FormColor: labels 0..255 show the palette entries, 256 the selected code,
// 257 the exact colour; 258 is the transparency target.
class cColorForm {
public:
  static constexpr int kLabels = 259;
  static constexpr int kSelected = 256;
  static constexpr int kExact = 257;
  static constexpr int kTransparent = 258;

  cColorForm();
  ~cColorForm();
  cColorForm(const cColorForm&) = delete;
  cColorForm& operator=(const cColorForm&) = delete;

  void set_Label(int i, int32_t colour, bool bordered, bool visible);
  void set_Label_Caption(int i, const std::string& caption);
  std::string label_Caption(int i) const;
  int32_t label_Colour(int i) const;
  bool label_Visible(int i) const;
  // Where label i sits in the window (for tests that click it).
  void label_Centre(int i, int& x, int& y) const;
  void show();
  void hide();
  bool shown() const;

  std::function<void(int index)> onLabelClick;

  Fl_Window* window() const;
  struct cImpl;

private:
  std::unique_ptr<cImpl> p_;
};

// FormFon ("Выбор фона"): three sliders 0..255 for red, green and blue, three
// text boxes with the values and a sample of the colour.
class cFonForm {
public:
  cFonForm();
  ~cFonForm();
  cFonForm(const cFonForm&) = delete;
  cFonForm& operator=(const cFonForm&) = delete;

  // Sets sliders and text boxes without calling onSlider.
  void set_Values(int32_t r, int32_t g, int32_t b);
  std::array<int32_t, 3> values() const;
  std::array<std::string, 3> texts() const;
  void set_Texts(int32_t r, int32_t g, int32_t b);
  void set_Sample(int32_t colour);
  int32_t sample() const;
  void set_Back(int32_t colour);
  // Where slider i (0 red, 1 green, 2 blue) sits, top and bottom ends.
  void slider_Ends(int i, int& x, int& yTop, int& yBottom) const;
  void show();
  void hide();
  bool shown() const;

  // A slider moved: the three values.
  std::function<void(int32_t r, int32_t g, int32_t b)> onSlider;

  Fl_Window* window() const;
  struct cImpl;

private:
  std::unique_ptr<cImpl> p_;
};

}  // namespace platform
