// The off-screen surface, drawing over a background, the BMP saver and the
// dispatch of the loader on the file's first bytes.
#include "picture_io.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "picture_codecs.h"

namespace platform {

// ---------------------------------------------------------------- surface

void cSurface::resize(int32_t w, int32_t h) {
  if (w < 0 || h < 0 || int64_t{w} * h > kMaxPicturePixels) w = h = 0;
  w_ = w;
  h_ = h;
  stride_ = (3 * w + 3) & ~3;
  bits_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(h), 0);
}

void cSurface::fill(int32_t colour) {
  for (int32_t y = 0; y < h_; ++y) {
    uint8_t* row = bits_.data() + static_cast<size_t>(y) * stride_;
    for (int32_t x = 0; x < w_; ++x) {
      row[3 * x] = static_cast<uint8_t>(colour >> 16);
      row[3 * x + 1] = static_cast<uint8_t>(colour >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(colour);
    }
  }
}

int32_t cSurface::get_Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return 0;
  const uint8_t* p = bits_.data() + static_cast<size_t>(h_ - 1 - y) * stride_ + 3 * static_cast<size_t>(x);
  return p[2] | (p[1] << 8) | (p[0] << 16);
}

void cSurface::set_Pixel(int32_t x, int32_t y, int32_t colour) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  uint8_t* p = bits_.data() + static_cast<size_t>(h_ - 1 - y) * stride_ + 3 * static_cast<size_t>(x);
  p[0] = static_cast<uint8_t>(colour >> 16);
  p[1] = static_cast<uint8_t>(colour >> 8);
  p[2] = static_cast<uint8_t>(colour);
}

// ---------------------------------------------------------------- loading

namespace {

bool starts_With(const Bytes& data, const char* sig, size_t n, size_t at = 0) {
  if (data.size() < at + n) return false;
  for (size_t i = 0; i < n; ++i)
    if (data[at + i] != static_cast<uint8_t>(sig[i])) return false;
  return true;
}

}  // namespace

bool decode_Picture(const Bytes& data, cPicture& pic) {
  pic = cPicture{};
  bool ok = false;
  if (starts_With(data, "GIF87a", 6) || starts_With(data, "GIF89a", 6))
    ok = codec::decode_GIF(data, pic);
  else if (starts_With(data, "\x89PNG\r\n\x1a\n", 8))
    ok = codec::decode_PNG(data, pic);
  else if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
    ok = codec::decode_JPEG(data, pic);
  else if (starts_With(data, "RIFF", 4) && starts_With(data, "WEBP", 4, 8))
    ok = codec::decode_WebP(data, pic);
  else if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M')
    ok = codec::decode_BMP(data, pic);
  else if (data.size() >= 6 && data[0] == 0 && data[1] == 0 && (data[2] == 1 || data[2] == 2) && data[3] == 0)
    ok = codec::decode_ICO(data, pic);
  if (!ok || pic.w <= 0 || pic.h <= 0 || pic.rgba.size() != 4 * static_cast<size_t>(pic.w) * pic.h) {
    pic = cPicture{};
    return false;
  }
  return true;
}

bool load_Picture(const std::string& nameFile, cPicture& pic) {
  pic = cPicture{};
  std::ifstream in(nameFile, std::ios::binary);
  if (!in) return false;
  Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return decode_Picture(data, pic);
}

void draw_Picture(const cPicture& pic, int32_t background, cSurface& surface) {
  surface.resize(pic.w, pic.h);
  const uint8_t bb = static_cast<uint8_t>(background >> 16), bg = static_cast<uint8_t>(background >> 8),
                br = static_cast<uint8_t>(background);
  for (int32_t y = 0; y < surface.height(); ++y) {
    const uint8_t* src = pic.rgba.data() + 4 * static_cast<size_t>(y) * pic.w;
    uint8_t* dst = surface.bits().data() + static_cast<size_t>(surface.height() - 1 - y) * surface.stride();
    for (int32_t x = 0; x < surface.width(); ++x, src += 4, dst += 3) {
      const bool opaque = src[3] >= 128;
      dst[0] = opaque ? src[2] : bb;
      dst[1] = opaque ? src[1] : bg;
      dst[2] = opaque ? src[0] : br;
    }
  }
}

// ---------------------------------------------------------------- saving

namespace {

void put_le(Bytes& b, size_t p, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b[p + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

Bytes encode_BMP24(const cSurface& surface) {
  const size_t dataSize = surface.bits().size();
  Bytes out(54 + dataSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  put_le(out, 2, static_cast<uint32_t>(54 + dataSize), 4);
  put_le(out, 10, 54, 4);
  put_le(out, 14, 40, 4);
  put_le(out, 18, static_cast<uint32_t>(surface.width()), 4);
  put_le(out, 22, static_cast<uint32_t>(surface.height()), 4);
  put_le(out, 26, 1, 2);
  put_le(out, 28, 24, 2);
  put_le(out, 34, static_cast<uint32_t>(dataSize), 4);
  put_le(out, 38, 2835, 4);  // 72 dpi
  put_le(out, 42, 2835, 4);
  std::copy(surface.bits().begin(), surface.bits().end(), out.begin() + 54);
  return out;
}

bool save_BMP24(const cSurface& surface, const std::string& nameFile) {
  Bytes data = encode_BMP24(surface);
  std::ofstream out(nameFile, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out.flush());
}

// ---------------------------------------------------------------- picture box

bool cPictureBox::load(const std::string& nameFile) {
  bool ok = load_Picture(nameFile, pic_);
  draw_Picture(pic_, back_, surface_);
  return ok;
}

bool cPictureBox::load_Bytes(const Bytes& data) {
  bool ok = decode_Picture(data, pic_);
  draw_Picture(pic_, back_, surface_);
  return ok;
}

void cPictureBox::set_BackColor(int32_t colour) {
  back_ = colour;
  if (pic_.w > 0) draw_Picture(pic_, back_, surface_);
  else surface_.fill(back_);
}

void cPictureBox::clear() {
  pic_ = cPicture{};
  surface_.fill(back_);
}

void cPictureBox::resize(int32_t w, int32_t h) {
  pic_ = cPicture{};
  surface_.resize(w, h);
  surface_.fill(back_);
}

}  // namespace platform
