// The loader's own BMP and ICO reader: every common kind of BMP (1, 4, 8,
// 16, 24 and 32 bit, RLE4 and RLE8, bit fields, top-down rows, the old
// 12-byte header) and icons holding BMP or PNG images.
#include <algorithm>

#include "picture_codecs.h"

namespace platform::codec {

namespace {

uint32_t le16(const Bytes& d, size_t p) { return d[p] | (d[p + 1] << 8); }
uint32_t le32(const Bytes& d, size_t p) {
  return d[p] | (d[p + 1] << 8) | (d[p + 2] << 16) | (uint32_t{d[p + 3]} << 24);
}

// A channel taken out of a pixel by its bit mask, scaled to 0..255.
struct cMask {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit cMask(uint32_t m = 0) : mask(m) {
    if (m == 0) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  // Fewer than 8 bits are widened by repeating them from the top (5-bit
  // 3 gives 24, 31 gives 255); more are cut to their high 8.
  uint8_t get(uint32_t px) const {
    if (max == 0) return 0;
    int bits = 0;
    while ((max >> bits) & 1) ++bits;
    const uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += bits) out |= (v << (8 - bits)) >> filled;
    return static_cast<uint8_t>(out);
  }
};

// The device-independent bitmap that follows the file header (or stands
// alone in an icon).
struct cDib {
  int32_t w = 0, h = 0;  // h > 0: rows stored bottom-up
  uint32_t bpp = 0, compression = 0;
  cMask r, g, b, a;
  std::vector<uint8_t> pal;  // R, G, B per entry
  size_t palCount = 0;
};

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kJpeg = 4, kPng = 5, kAlphaBitfields = 6;

// Reads the header at `start`; `p` is left after the header and masks.
bool read_Header(const Bytes& d, size_t start, cDib& dib, size_t& p) {
  if (start + 16 > d.size()) return false;
  const uint32_t hs = le32(d, start);
  if (hs == 12) {
    dib.w = static_cast<int32_t>(le16(d, start + 4));
    dib.h = static_cast<int32_t>(static_cast<int16_t>(le16(d, start + 6)));
    dib.bpp = le16(d, start + 10);
  } else if (hs >= 40 && start + hs <= d.size()) {
    dib.w = static_cast<int32_t>(le32(d, start + 4));
    dib.h = static_cast<int32_t>(le32(d, start + 8));
    dib.bpp = le16(d, start + 14);
    dib.compression = le32(d, start + 16);
    dib.palCount = le32(d, start + 32);
  } else {
    return false;
  }
  p = start + hs;
  if (dib.compression == kBitfields || dib.compression == kAlphaBitfields) {
    // Masks inside the longer headers, else right after the 40-byte one.
    const size_t mp = hs >= 52 ? start + 40 : p;
    const int n = dib.compression == kAlphaBitfields || hs >= 56 ? 4 : 3;
    if (mp + 4 * n > d.size()) return false;
    dib.r = cMask(le32(d, mp));
    dib.g = cMask(le32(d, mp + 4));
    dib.b = cMask(le32(d, mp + 8));
    if (n == 4) dib.a = cMask(le32(d, mp + 12));
    if (hs < 52) p += 4 * n;
  } else if (dib.bpp == 16) {
    dib.r = cMask(0x7C00);
    dib.g = cMask(0x03E0);
    dib.b = cMask(0x001F);
  } else if (dib.bpp == 32) {
    dib.r = cMask(0x00FF0000);
    dib.g = cMask(0x0000FF00);
    dib.b = cMask(0x000000FF);
  }
  if (hs >= 108 && dib.compression == kBitfields) dib.a = cMask(le32(d, start + 52));
  return true;
}

bool read_Palette(const Bytes& d, size_t& p, size_t entrySize, cDib& dib) {
  if (dib.bpp > 8) {
    dib.palCount = 0;
    return true;
  }
  const size_t full = size_t{1} << dib.bpp;
  size_t n = dib.palCount == 0 || dib.palCount > full ? full : dib.palCount;
  n = std::min(n, (d.size() - std::min(p, d.size())) / entrySize);
  dib.pal.assign(3 * full, 0);  // indexes past the stored entries read as black
  for (size_t i = 0; i < n; ++i, p += entrySize) {
    dib.pal[3 * i] = d[p + 2];
    dib.pal[3 * i + 1] = d[p + 1];
    dib.pal[3 * i + 2] = d[p];
  }
  dib.palCount = full;
  return true;
}

void put_Index(const cDib& dib, uint32_t idx, uint8_t* out) {
  idx = std::min<uint32_t>(idx, static_cast<uint32_t>(dib.palCount) - 1);
  out[0] = dib.pal[3 * idx];
  out[1] = dib.pal[3 * idx + 1];
  out[2] = dib.pal[3 * idx + 2];
  out[3] = 255;
}

// Uncompressed rows from `p`; rows missing from the file fail the load.
bool read_Rows(const Bytes& d, size_t p, const cDib& dib, cPicture& pic) {
  const int32_t w = dib.w, h = std::abs(dib.h);
  const size_t stride = ((static_cast<size_t>(w) * dib.bpp + 31) / 32) * 4;
  if (p > d.size() || (d.size() - p) / stride < static_cast<size_t>(h)) return false;
  const bool useAlpha = dib.a.mask != 0;
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* s = d.data() + p + stride * row;
    const int32_t y = dib.h > 0 ? h - 1 - row : row;
    uint8_t* out = pic.rgba.data() + 4 * static_cast<size_t>(y) * w;
    for (int32_t x = 0; x < w; ++x, out += 4) {
      if (dib.bpp <= 8) {
        const size_t bit = static_cast<size_t>(x) * dib.bpp;
        const uint32_t idx = (s[bit / 8] >> (8 - dib.bpp - bit % 8)) & ((1u << dib.bpp) - 1);
        put_Index(dib, idx, out);
      } else if (dib.bpp == 24 && dib.compression == kRgb) {
        out[0] = s[3 * x + 2];
        out[1] = s[3 * x + 1];
        out[2] = s[3 * x];
        out[3] = 255;
      } else {
        uint32_t px = 0;
        if (dib.bpp == 16) px = s[2 * x] | (s[2 * x + 1] << 8);
        else if (dib.bpp == 24) px = s[3 * x] | (s[3 * x + 1] << 8) | (s[3 * x + 2] << 16);
        else px = s[4 * x] | (s[4 * x + 1] << 8) | (s[4 * x + 2] << 16) | (uint32_t{s[4 * x + 3]} << 24);
        out[0] = dib.r.get(px);
        out[1] = dib.g.get(px);
        out[2] = dib.b.get(px);
        out[3] = useAlpha ? dib.a.get(px) : 255;
      }
    }
  }
  return true;
}

// RLE8 / RLE4 into palette colours; pixels that a delta or an early end
// skips keep palette entry 0.
bool read_Rle(const Bytes& d, size_t p, const cDib& dib, cPicture& pic) {
  const int32_t w = dib.w, h = dib.h;
  if (h <= 0) return false;  // compressed rows are always bottom-up
  std::vector<uint8_t> idx(static_cast<size_t>(w) * h, 0);
  const bool four = dib.compression == kRle4;
  int32_t x = 0, y = 0;  // y counts stored rows, bottom first
  auto put = [&](uint32_t v) {
    if (x < w && y < h) idx[static_cast<size_t>(h - 1 - y) * w + x] = static_cast<uint8_t>(v);
    ++x;
  };
  bool done = false;
  while (!done && y < h) {
    if (p + 1 >= d.size()) return false;
    const uint32_t n = d[p], v = d[p + 1];
    p += 2;
    if (n > 0) {
      for (uint32_t i = 0; i < n; ++i) put(four ? ((i & 1) ? v & 15 : v >> 4) : v);
    } else if (v == 0) {
      x = 0;
      ++y;
    } else if (v == 1) {
      done = true;
    } else if (v == 2) {
      if (p + 1 >= d.size()) return false;
      x += d[p];
      y += d[p + 1];
      p += 2;
    } else {
      const size_t bytes = four ? (v + 1) / 2 : v;
      if (p + bytes > d.size()) return false;
      for (uint32_t i = 0; i < v; ++i) put(four ? ((i & 1) ? d[p + i / 2] & 15 : d[p + i / 2] >> 4) : d[p + i]);
      p += (bytes + 1) & ~size_t{1};
    }
  }
  for (size_t i = 0; i < idx.size(); ++i) put_Index(dib, idx[i], pic.rgba.data() + 4 * i);
  return true;
}

bool kind_Ok(const cDib& dib) {
  switch (dib.compression) {
    case kRgb: return dib.bpp == 1 || dib.bpp == 2 || dib.bpp == 4 || dib.bpp == 8 || dib.bpp == 16 || dib.bpp == 24 || dib.bpp == 32;
    case kRle8: return dib.bpp == 8;
    case kRle4: return dib.bpp == 4;
    case kBitfields:
    case kAlphaBitfields: return dib.bpp == 16 || dib.bpp == 32;
    case kJpeg:
    case kPng: return true;
    default: return false;
  }
}

// The DIB at `start`; pixels at `pixels` (0: right after the palette).
bool decode_Dib(const Bytes& d, size_t start, size_t pixels, cDib& dib, cPicture& pic, bool icon = false) {
  size_t p = 0;
  if (!read_Header(d, start, dib, p) || !kind_Ok(dib)) return false;
  // Icons keep alpha in the fourth byte of 32-bit pixels; plain BMPs do not.
  if (icon && dib.bpp == 32 && dib.compression == kRgb) dib.a = cMask(0xFF000000u);
  if (dib.w <= 0 || dib.h == 0 || dib.h == INT32_MIN || !size_Ok(dib.w, std::abs(dib.h))) return false;
  if (!read_Palette(d, p, le32(d, start) == 12 ? 3 : 4, dib)) return false;
  if (pixels == 0 || pixels >= d.size()) pixels = p;
  if (dib.compression == kJpeg || dib.compression == kPng) {
    // The pixel data is a whole JPEG or PNG stream.
    const Bytes inner(d.begin() + static_cast<std::ptrdiff_t>(pixels), d.end());
    return dib.compression == kJpeg ? decode_JPEG(inner, pic) : decode_PNG(inner, pic);
  }
  pic.w = dib.w;
  pic.h = std::abs(dib.h);
  pic.rgba.assign(4 * static_cast<size_t>(pic.w) * pic.h, 0);
  const bool ok = dib.compression == kRle8 || dib.compression == kRle4 ? read_Rle(d, pixels, dib, pic)
                                                                      : read_Rows(d, pixels, dib, pic);
  if (!ok) pic = cPicture{};
  return ok;
}

}  // namespace

bool decode_BMP(const Bytes& data, cPicture& pic) {
  if (data.size() < 26) return false;
  cDib dib;
  return decode_Dib(data, 14, le32(data, 10), dib, pic);
}

// ---------------------------------------------------------------- ICO

namespace {

// An icon's BMP holds the colour rows and, below them, a 1-bit mask whose
// set bits are transparent; its header counts both in the height.
bool decode_IconDib(const Bytes& img, cPicture& pic) {
  Bytes d = img;
  if (d.size() < 40 || le32(d, 0) < 40) return false;
  const int32_t h2 = static_cast<int32_t>(le32(d, 8));
  if (h2 <= 1) return false;
  const int32_t h = h2 / 2;
  for (int i = 0; i < 4; ++i) d[8 + i] = static_cast<uint8_t>(static_cast<uint32_t>(h) >> (8 * i));
  cDib dib;
  if (!decode_Dib(d, 0, 0, dib, pic, true)) return false;
  size_t p = le32(d, 0) + (dib.bpp <= 8 ? 4 * dib.palCount : 0);
  if (dib.compression == kBitfields) p += 12;
  p += ((static_cast<size_t>(dib.w) * dib.bpp + 31) / 32) * 4 * h;
  bool anyAlpha = false;
  if (dib.bpp == 32) {
    for (size_t i = 3; i < pic.rgba.size() && !anyAlpha; i += 4) anyAlpha = pic.rgba[i] != 0;
    if (!anyAlpha) {
      // 32-bit rows without alpha are opaque; the mask decides below.
      for (size_t i = 3; i < pic.rgba.size(); i += 4) pic.rgba[i] = 255;
    } else {
      return true;
    }
  }
  const size_t stride = ((static_cast<size_t>(dib.w) + 31) / 32) * 4;
  if (p > d.size() || (d.size() - p) / stride < static_cast<size_t>(h)) return true;  // no mask: opaque
  for (int32_t row = 0; row < h; ++row)
    for (int32_t x = 0; x < dib.w; ++x)
      if ((d[p + stride * row + x / 8] >> (7 - x % 8)) & 1)
        pic.rgba[4 * (static_cast<size_t>(h - 1 - row) * dib.w + x) + 3] = 0;
  return true;
}

}  // namespace

bool decode_ICO(const Bytes& data, cPicture& pic) {
  if (data.size() < 6) return false;
  const size_t count = le16(data, 4);
  if (count == 0 || 6 + 16 * count > data.size()) return false;
  // The largest image, the deepest of equal sizes.
  size_t best = count;
  uint64_t bestKey = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t e = 6 + 16 * i;
    const uint64_t w = data[e] ? data[e] : 256, h = data[e + 1] ? data[e + 1] : 256;
    const uint64_t key = (w * h << 8) | std::min<uint32_t>(le16(data, e + 6), 255);
    if (best == count || key > bestKey) {
      best = i;
      bestKey = key;
    }
  }
  const size_t e = 6 + 16 * best;
  const size_t size = le32(data, e + 8), off = le32(data, e + 12);
  if (off >= data.size() || size > data.size() - off || size < 8) return false;
  const Bytes img(data.begin() + static_cast<std::ptrdiff_t>(off),
                  data.begin() + static_cast<std::ptrdiff_t>(off + size));
  static const uint8_t kPngSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (std::equal(kPngSig, kPngSig + 8, img.begin())) return decode_PNG(img, pic);
  return decode_IconDib(img, pic);
}

}  // namespace platform::codec
