// The picture loader and saver of the platform, and the off-screen 24-bit
// surface that pictures are drawn on and read back from.
//
// The loader decodes GIF (first image, at the size of its own image
// descriptor), PNG, JPEG, WebP, BMP of every common kind and ICO into RGBA
// and draws it over a chosen background colour. Alpha rule: a pixel with
// alpha below 128 shows the background, every other pixel its own colour
// (a threshold, because the pictures it feeds keep one transparent colour
// and no partial transparency).
//
// Bad or cut files give false, never a crash. A picture of more than
// kMaxPicturePixels pixels is refused before anything of its size is
// allocated.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using Bytes = std::vector<uint8_t>;

// 2^26 pixels: 256 MB of RGBA at most for one decoded picture.
constexpr int64_t kMaxPicturePixels = int64_t{1} << 26;

// A decoded picture: rows top first, four bytes R, G, B, A per pixel.
struct cPicture {
  int32_t w = 0;
  int32_t h = 0;
  Bytes rgba;
};

// Off-screen surface with the layout of a 24-bit device-independent bitmap:
// rows bottom first, three bytes B, G, R per pixel, each row padded to a
// multiple of 4 bytes. Colours are R + 256*G + 65536*B.
class cSurface {
public:
  void resize(int32_t w, int32_t h);  // new size, filled with black
  void fill(int32_t colour);
  int32_t width() const { return w_; }
  int32_t height() const { return h_; }
  int32_t stride() const { return stride_; }
  // Colour at column x, row y (row 0 at the top); 0 outside the surface.
  int32_t get_Pixel(int32_t x, int32_t y) const;
  // Ignored outside the surface.
  void set_Pixel(int32_t x, int32_t y, int32_t colour);
  // The raw rows (height * stride bytes, bottom row first).
  Bytes& bits() { return bits_; }
  const Bytes& bits() const { return bits_; }

private:
  int32_t w_ = 0;
  int32_t h_ = 0;
  int32_t stride_ = 0;
  Bytes bits_;
};

// Decodes a picture from its bytes (the kind is found from the content).
bool decode_Picture(const Bytes& data, cPicture& pic);
// Reads a file and decodes it.
bool load_Picture(const std::string& nameFile, cPicture& pic);
// Draws the picture at (0, 0) of the surface, which is resized to the
// picture, over the background colour (alpha rule above).
void draw_Picture(const cPicture& pic, int32_t background, cSurface& surface);
// Writes the surface as a 24-bit BMP (54-byte header, no palette).
bool save_BMP24(const cSurface& surface, const std::string& nameFile);
Bytes encode_BMP24(const cSurface& surface);

// The picture box of a window: a loaded picture drawn over its background
// colour; changing the colour redraws the picture.
class cPictureBox {
public:
  // False when the file is not a picture or is damaged (the box is cleared).
  bool load(const std::string& nameFile);
  bool load_Bytes(const Bytes& data);
  int32_t width() const { return pic_.w; }
  int32_t height() const { return pic_.h; }
  void set_BackColor(int32_t colour);
  int32_t back_Color() const { return back_; }
  // Forgets the picture; the surface keeps its size and shows the background.
  void clear();
  // Resizes the surface (the picture is forgotten), filled with the background.
  void resize(int32_t w, int32_t h);
  cSurface& surface() { return surface_; }
  const cSurface& surface() const { return surface_; }

private:
  cPicture pic_;
  cSurface surface_;
  int32_t back_ = 0xFFFFFF;
};

}  // namespace platform
