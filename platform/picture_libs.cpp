// GIF, PNG, JPEG and WebP through giflib, libpng, libjpeg-turbo and libwebp.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jerror.h>
#include <jpeglib.h>
#include <png.h>
#include <webp/decode.h>

#include "picture_codecs.h"

namespace platform::codec {

namespace {

// LZW gives at most about 1400 pixels per byte and deflate about 8300
// (1-bit pixels); a header that claims more than its file can hold is
// refused before the pixels are allocated.
bool justified(int64_t pixels, size_t bytes, int64_t perByte) {
  return pixels <= static_cast<int64_t>(bytes) * perByte + 65536;
}

// ---------------------------------------------------------------- GIF

struct cMemReader {
  const Bytes* data;
  size_t pos;
};

int gif_Read(GifFileType* g, GifByteType* buf, int n) {
  auto* r = static_cast<cMemReader*>(g->UserData);
  size_t k = std::min(static_cast<size_t>(n), r->data->size() - r->pos);
  std::memcpy(buf, r->data->data() + r->pos, k);
  r->pos += k;
  return static_cast<int>(k);
}

// Rows of the first image, in picture order also when interlaced.
bool gif_Raster(GifFileType* g, int32_t w, int32_t h, Bytes& raster) {
  raster.assign(static_cast<size_t>(w) * h, 0);
  if (!g->Image.Interlace) {
    for (int32_t y = 0; y < h; ++y)
      if (DGifGetLine(g, raster.data() + static_cast<size_t>(y) * w, w) == GIF_ERROR) return false;
    return true;
  }
  static const int32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int32_t y = start[pass]; y < h; y += step[pass])
      if (DGifGetLine(g, raster.data() + static_cast<size_t>(y) * w, w) == GIF_ERROR) return false;
  return true;
}

bool gif_Image(GifFileType* g, int transparent, size_t fileSize, cPicture& pic) {
  if (DGifGetImageDesc(g) == GIF_ERROR) return false;
  const int32_t w = g->Image.Width, h = g->Image.Height;
  if (!size_Ok(w, h) || !justified(int64_t{w} * h, fileSize, 1400)) return false;
  const ColorMapObject* cm = g->Image.ColorMap ? g->Image.ColorMap : g->SColorMap;
  Bytes raster;
  if (!gif_Raster(g, w, h, raster)) return false;
  pic.w = w;
  pic.h = h;
  pic.rgba.assign(4 * raster.size(), 0);
  for (size_t i = 0; i < raster.size(); ++i) {
    uint8_t* p = pic.rgba.data() + 4 * i;
    const int idx = raster[i];
    if (cm != nullptr && idx < cm->ColorCount) {
      p[0] = cm->Colors[idx].Red;
      p[1] = cm->Colors[idx].Green;
      p[2] = cm->Colors[idx].Blue;
    }
    p[3] = idx == transparent ? 0 : 255;
  }
  return true;
}

// giflib refuses LZW code sizes above 8, which the format allows (up to
// 11, as some encoders write for 256-colour images). Such an image is
// decoded here: the bytes of its sub-blocks from `p` (the code size byte).
bool lzw_Wide(const Bytes& d, size_t p, int32_t w, int32_t h, bool interlaced, Bytes& raster) {
  const int minSize = d[p++];
  if (minSize < 2 || minSize > 11) return false;
  Bytes code;
  while (p < d.size() && d[p] != 0) {
    const size_t n = d[p];
    if (p + 1 + n > d.size()) return false;
    code.insert(code.end(), d.begin() + static_cast<std::ptrdiff_t>(p + 1),
                d.begin() + static_cast<std::ptrdiff_t>(p + 1 + n));
    p += n + 1;
  }
  const int clear = 1 << minSize, eoi = clear + 1;
  std::vector<uint16_t> prefix(4096);
  std::vector<uint8_t> suffix(4096), stack;
  for (int i = 0; i < clear; ++i) suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  int size = minSize + 1, next = eoi + 1, prev = -1;
  uint8_t first = 0;
  size_t bitPos = 0, out = 0;
  const size_t total = static_cast<size_t>(w) * h;
  Bytes seq(total, 0);  // pixels in stored order
  while (out < total) {
    if (bitPos + size > 8 * code.size()) return false;  // cut
    int c = 0;
    for (int i = 0; i < size; ++i, ++bitPos) c |= ((code[bitPos / 8] >> (bitPos % 8)) & 1) << i;
    if (c == clear) {
      size = minSize + 1;
      next = eoi + 1;
      prev = -1;
      continue;
    }
    if (c == eoi) return false;
    if (c > next || (c == next && prev < 0)) return false;
    int cur = c;
    stack.clear();
    if (c == next) {  // the code being defined: previous string and its first byte
      stack.push_back(first);
      cur = prev;
    }
    while (cur >= clear) {
      stack.push_back(suffix[static_cast<size_t>(cur)]);
      cur = prefix[static_cast<size_t>(cur)];
    }
    stack.push_back(static_cast<uint8_t>(cur));
    first = static_cast<uint8_t>(cur);
    for (auto it = stack.rbegin(); it != stack.rend() && out < total; ++it) seq[out++] = *it;
    if (prev >= 0 && next < 4096) {
      prefix[static_cast<size_t>(next)] = static_cast<uint16_t>(prev);
      suffix[static_cast<size_t>(next)] = first;
      ++next;
      if (next == (1 << size) && size < 12) ++size;
    }
    prev = c;
  }
  raster.assign(total, 0);
  if (!interlaced) {
    raster = std::move(seq);
    return true;
  }
  static const int32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  size_t k = 0;
  for (int pass = 0; pass < 4; ++pass)
    for (int32_t y = start[pass]; y < h; y += step[pass], k += static_cast<size_t>(w))
      std::copy(seq.begin() + static_cast<std::ptrdiff_t>(k), seq.begin() + static_cast<std::ptrdiff_t>(k + w),
                raster.begin() + static_cast<std::ptrdiff_t>(y) * w);
  return true;
}

// The first image by our own walk, for the code sizes giflib refuses.
bool gif_Wide(const Bytes& d, cPicture& pic) {
  if (d.size() < 13) return false;
  size_t p = 13;
  const bool gct = d[10] & 0x80;
  const size_t gctPos = 13, gctCount = gct ? (size_t{2} << (d[10] & 7)) : 0;
  p += 3 * gctCount;
  int transparent = -1;
  while (p + 2 < d.size() && d[p] == 0x21) {
    if (d[p + 1] == 0xF9 && d[p + 2] >= 4 && p + 6 < d.size()) transparent = (d[p + 3] & 1) ? d[p + 6] : -1;
    p += 2;
    while (p < d.size() && d[p] != 0) p += size_t{d[p]} + 1;
    ++p;
  }
  if (p + 10 >= d.size() || d[p] != 0x2C) return false;
  const int32_t w = d[p + 5] | (d[p + 6] << 8), h = d[p + 7] | (d[p + 8] << 8);
  const uint8_t packed = d[p + 9];
  if (!size_Ok(w, h) || !justified(int64_t{w} * h, d.size(), 1400)) return false;
  size_t palPos = gctPos, palCount = gctCount;
  p += 10;
  if (packed & 0x80) {
    palPos = p;
    palCount = size_t{2} << (packed & 7);
    p += 3 * palCount;
  }
  if (p >= d.size() || palPos + 3 * palCount > d.size()) return false;
  Bytes raster;
  if (!lzw_Wide(d, p, w, h, packed & 0x40, raster)) return false;
  pic.w = w;
  pic.h = h;
  pic.rgba.assign(4 * raster.size(), 0);
  for (size_t i = 0; i < raster.size(); ++i) {
    uint8_t* o = pic.rgba.data() + 4 * i;
    const size_t idx = raster[i];
    if (idx < palCount) std::copy(d.begin() + static_cast<std::ptrdiff_t>(palPos + 3 * idx),
                                  d.begin() + static_cast<std::ptrdiff_t>(palPos + 3 * idx + 3), o);
    o[3] = static_cast<int>(idx) == transparent ? 0 : 255;
  }
  return true;
}

// Position of the first image's LZW code size byte, 0 when not found.
size_t first_CodeSize(const Bytes& d) {
  if (d.size() < 13) return 0;
  size_t p = 13 + ((d[10] & 0x80) ? 3 * (size_t{2} << (d[10] & 7)) : 0);
  while (p + 2 < d.size() && d[p] == 0x21) {
    p += 2;
    while (p < d.size() && d[p] != 0) p += size_t{d[p]} + 1;
    ++p;
  }
  if (p + 10 >= d.size() || d[p] != 0x2C) return 0;
  const uint8_t packed = d[p + 9];
  p += 10 + ((packed & 0x80) ? 3 * (size_t{2} << (packed & 7)) : 0);
  return p < d.size() ? p : 0;
}

}  // namespace

bool decode_GIF(const Bytes& data, cPicture& pic) {
  const size_t cs = first_CodeSize(data);
  if (cs != 0 && data[cs] > 8) return gif_Wide(data, pic);
  cMemReader reader{&data, 0};
  int err = 0;
  GifFileType* g = DGifOpen(&reader, gif_Read, &err);
  if (g == nullptr) return false;
  bool ok = false;
  int transparent = -1;  // of the graphic control block before the image
  for (bool more = true; more;) {
    GifRecordType rt;
    if (DGifGetRecordType(g, &rt) == GIF_ERROR) break;
    if (rt == IMAGE_DESC_RECORD_TYPE) {
      ok = gif_Image(g, transparent, data.size(), pic);
      more = false;
    } else if (rt == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(g, &code, &ext) == GIF_ERROR) break;
      if (code == GRAPHICS_EXT_FUNC_CODE && ext != nullptr && ext[0] >= 4)
        transparent = (ext[1] & 1) ? ext[4] : -1;
      while (ext != nullptr)
        if (DGifGetExtensionNext(g, &ext) == GIF_ERROR) { more = false; break; }
    } else {
      more = false;  // trailer before any image
    }
  }
  DGifCloseFile(g, &err);
  return ok;
}

// ---------------------------------------------------------------- PNG

namespace {

struct cPngSource {
  const Bytes* data;
  size_t pos;
};

void png_Read(png_structp png, png_bytep out, png_size_t n) {
  auto* s = static_cast<cPngSource*>(png_get_io_ptr(png));
  if (n > s->data->size() - s->pos) png_error(png, "cut");
  std::memcpy(out, s->data->data() + s->pos, n);
  s->pos += n;
}

void png_Silent(png_structp, png_const_charp) {}

// A file gamma far from that of sRGB is turned into sRGB, as displays show
// it: sample -> linear light (sample^(1/gamma)) -> the sRGB curve.
void correct_Gamma(double fileGamma, cPicture& pic) {
  if (fileGamma <= 0 || std::fabs(fileGamma - 0.45455) < 0.01) return;
  uint8_t lut[256];
  for (int v = 0; v < 256; ++v) {
    const double lin = std::pow(v / 255.0, 1.0 / fileGamma);
    const double s = lin <= 0.0031308 ? 12.92 * lin : 1.055 * std::pow(lin, 1 / 2.4) - 0.055;
    lut[v] = static_cast<uint8_t>(std::lround(std::clamp(s, 0.0, 1.0) * 255));
  }
  for (size_t i = 0; i < pic.rgba.size(); i += 4)
    for (int c = 0; c < 3; ++c) pic.rgba[i + c] = lut[pic.rgba[i + c]];
}

}  // namespace

bool decode_PNG(const Bytes& data, cPicture& pic) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, png_Silent);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  cPngSource src{&data, 0};
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    pic = cPicture{};
    return false;
  }
  png_set_read_fn(png, &src, png_Read);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!size_Ok(w, h) || !justified(int64_t{w} * h, data.size(), 8300)) png_error(png, "too big");
  // Every kind becomes 8-bit RGBA: palettes and low bit depths expanded,
  // tRNS turned into alpha, 16-bit channels scaled with rounding.
  png_set_expand(png);
  double fileGamma = 0;
  if (!png_get_gAMA(png, info, &fileGamma)) fileGamma = 0;
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != 4 * static_cast<size_t>(w)) png_error(png, "layout");
  pic.w = static_cast<int32_t>(w);
  pic.h = static_cast<int32_t>(h);
  pic.rgba.assign(4 * static_cast<size_t>(w) * h, 0);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pic.rgba.data() + 4 * static_cast<size_t>(y) * w;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  correct_Gamma(fileGamma, pic);
  return true;
}

// ---------------------------------------------------------------- JPEG

namespace {

struct cJpegError {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool cut = false;
};

void jpeg_Exit(j_common_ptr c) { longjmp(reinterpret_cast<cJpegError*>(c->err)->jump, 1); }

// Warnings are silent; the two that mean missing data fail the load.
void jpeg_Message(j_common_ptr c, int level) {
  auto* e = reinterpret_cast<cJpegError*>(c->err);
  if (level < 0 && (e->pub.msg_code == JWRN_JPEG_EOF || e->pub.msg_code == JWRN_HIT_MARKER)) e->cut = true;
}

void jpeg_Output(j_common_ptr) {}

}  // namespace

bool decode_JPEG(const Bytes& data, cPicture& pic) {
  jpeg_decompress_struct cinfo;
  cJpegError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = jpeg_Exit;
  err.pub.emit_message = jpeg_Message;
  err.pub.output_message = jpeg_Output;
  Bytes row;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    pic = cPicture{};
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  if (!size_Ok(cinfo.image_width, cinfo.image_height)) jpeg_Exit(reinterpret_cast<j_common_ptr>(&cinfo));
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const int32_t w = static_cast<int32_t>(cinfo.output_width), h = static_cast<int32_t>(cinfo.output_height);
  const int nc = cinfo.output_components;
  pic.w = w;
  pic.h = h;
  pic.rgba.assign(4 * static_cast<size_t>(w) * h, 255);
  row.resize(static_cast<size_t>(w) * nc);
  while (cinfo.output_scanline < cinfo.output_height && !err.cut) {
    uint8_t* dst = pic.rgba.data() + 4 * static_cast<size_t>(cinfo.output_scanline) * w;
    JSAMPROW rp = row.data();
    jpeg_read_scanlines(&cinfo, &rp, 1);
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* s = row.data() + static_cast<size_t>(x) * nc;
      if (cmyk) {  // Adobe files store inverted CMYK
        for (int c = 0; c < 3; ++c) dst[4 * x + c] = static_cast<uint8_t>(s[c] * s[3] / 255);
      } else {
        dst[4 * x] = s[0];
        dst[4 * x + 1] = s[1];
        dst[4 * x + 2] = s[2];
      }
    }
  }
  if (err.cut) {
    jpeg_destroy_decompress(&cinfo);
    pic = cPicture{};
    return false;
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// ---------------------------------------------------------------- WebP

bool decode_WebP(const Bytes& data, cPicture& pic) {
  int w = 0, h = 0;
  if (!WebPGetInfo(data.data(), data.size(), &w, &h) || !size_Ok(w, h)) return false;
  pic.w = w;
  pic.h = h;
  pic.rgba.assign(4 * static_cast<size_t>(w) * h, 0);
  return WebPDecodeRGBAInto(data.data(), data.size(), pic.rgba.data(), pic.rgba.size(), 4 * w) != nullptr;
}

}  // namespace platform::codec
