// GIF frames into a strip, reading pictures with their transparency, and
// removing the transparent marker from the palette.
#include "cImage.h"
#include "platform/msg_box.h"

using platform::msg;

#include <algorithm>

namespace {

int32_t le16(const BB& a, size_t p) { return a[p] | (a[p + 1] << 8); }

// One image of a GIF as the block walk finds it.
struct cGifFrame {
  size_t start = 0;  // first byte of the frame: its graphic control block, else its image descriptor
  size_t end = 0;    // first byte after the frame: the next frame's start or the trailer
  int32_t pause = 0;
  int32_t left = 0, top = 0, w = 0, h = 0;
};

// Skips a chain of data sub-blocks from p; returns the position after its
// zero terminator, or 0 when the file ends first.
size_t skip_SubBlocks(const BB& a, size_t p) {
  while (p < a.size() && a[p] != 0) p += size_t{a[p]} + 1;
  return p < a.size() ? p + 1 : 0;
}

// Walks the blocks after the header (extensions and images, sub-block by
// sub-block), so that each image is found once and no byte of image data
// is mistaken for a block. `surprise` reports a damaged structure.
std::vector<cGifFrame> walk_GIF(const BB& a, size_t p, bool& surprise) {
  std::vector<cGifFrame> frames;
  size_t gce = 0;  // start of the first graphic control block since the last image
  bool haveGce = false;
  int32_t pause = 0;
  surprise = true;
  while (p < a.size()) {
    const uint8_t b = a[p];
    if (b == 0x3B) {
      surprise = false;
      break;
    }
    if (b == 0x21 && p + 2 < a.size()) {
      if (a[p + 1] == 0xF9) {
        if (!haveGce) gce = p;
        haveGce = true;
        pause = p + 4 < a.size() ? a[p + 4] : 0;
      }
      size_t q = skip_SubBlocks(a, p + 2);
      if (q == 0) break;
      p = q;
    } else if (b == 0x2C && p + 10 < a.size()) {
      cGifFrame fr;
      fr.start = haveGce ? gce : p;
      fr.pause = haveGce ? pause : 0;
      fr.left = le16(a, p + 1);
      fr.top = le16(a, p + 3);
      fr.w = le16(a, p + 5);
      fr.h = le16(a, p + 7);
      size_t q = p + 10;
      if (a[p + 9] & 0x80) q += 3 * (size_t{2} << (a[p + 9] & 7));
      q = q + 1 < a.size() ? skip_SubBlocks(a, q + 1) : 0;  // after the LZW code size
      if (q == 0) break;
      if (!frames.empty()) frames.back().end = fr.start;
      frames.push_back(fr);
      haveGce = false;
      p = q;
    } else {
      break;
    }
  }
  if (!frames.empty()) frames.back().end = std::min(p, a.size());
  return frames;
}

}  // namespace

bool cImage::split_GIF(const std::string& nameFile) {
  Paus.clear();
  if (f.getExt(nameFile, true) != ".gif") return false;
  const std::string folder = f.getTmpPath() + "PEKtmp/";
  f.make_Dir(folder);
  const BB a = f.read_M8(nameFile);
  if (a.size() < 13) return false;
  size_t L = 13;
  if (a[10] & 0x80) L += 3 * (size_t{2} << (a[10] & 7));
  if (L >= a.size()) return false;
  bool surprise = false;
  const std::vector<cGifFrame> frames = walk_GIF(a, L, surprise);
  if (surprise) msg("err");
  if (frames.empty()) return false;

  // Frame files: the header, the frame's blocks without the zero that ends
  // them (as the next frame or the trailer follows it), then 0 and ";".
  const std::string base = folder + f.getNameExt(nameFile);
  for (size_t i = 0; i < frames.size(); ++i) {
    BB file(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(L));
    const size_t e = frames[i].end > frames[i].start ? frames[i].end - 1 : frames[i].start;
    file.insert(file.end(), a.begin() + static_cast<std::ptrdiff_t>(frames[i].start),
                a.begin() + static_cast<std::ptrdiff_t>(e));
    file.push_back(0);
    file.push_back(59);
    f.write_M8(base + "." + std::to_string(i) + ".gif", file);
    Paus.push_back(static_cast<uint8_t>(frames[i].pause));
  }
  if (frames.size() == 1) return false;
  if (frames.size() > static_cast<size_t>(kMaxFrames)) {
    msg("err: макс. 250 кадров");
    return false;
  }
  flagRaznPaus = std::any_of(Paus.begin(), Paus.end(), [this](uint8_t p) { return p != Paus[0]; });

  // The canvas holds every frame where the GIF puts it: the logical screen,
  // grown where a frame reaches past it, so that no margin is negative.
  int64_t W = le16(a, 6), H = le16(a, 8);
  for (const cGifFrame& fr : frames) {
    W = std::max<int64_t>(W, int64_t{fr.left} + fr.w);
    H = std::max<int64_t>(H, int64_t{fr.top} + fr.h);
  }
  if (W < 1 || H < 1 || W * H * static_cast<int64_t>(frames.size()) > platform::kMaxPicturePixels) {
    msg("не влезет");
    return false;
  }
  TT strip;
  strip.reserve(static_cast<size_t>(W * H) * frames.size());
  for (size_t j = 0; j < frames.size(); ++j) {
    TT P = get_Pic_prozr(base + "." + std::to_string(j) + ".gif");
    if (P.empty()) return false;  // the loader cannot read this frame
    if (kolKadrov != 1) msg("err");
    int32_t wj = Wk, hj = Hk;
    const int32_t x0 = frames[j].left, y0 = frames[j].top;
    P = frame_to_Kadr(P, wj, hj, x0, y0, static_cast<int32_t>(W) - Wk - x0, static_cast<int32_t>(H) - Hk - y0,
                      kMarker);
    strip.insert(strip.end(), P.begin(), P.end());
  }
  kolKadrov = static_cast<int32_t>(frames.size());
  flagGK = false;
  Wk = static_cast<int32_t>(W);
  Hk = static_cast<int32_t>(H);
  // Every frame's margins carry the marker, so the whole strip decides.
  flagProzr = m.N_in_TT(strip, kMarker);
  if (!flagFast) save_Strip(strip, f.getTmpPath() + "PEKtmp/" + f.getNameExt(nameFile));
  nPix = std::move(strip);
  get_pp_ff(nPix, cPal24, fPal24);
  pix_zamena_ff(nPix, cPal24, fPal24);
  del_Prozr(nPix, cPal24, fPal24);
  flagGIFa = true;
  return true;
}

// The slow mode keeps the strip as a BMP named so that the strip test
// recognises it: frames stacked vertically, letter v after the mark.
void cImage::save_Strip(const TT& colours, const std::string& nameBase) {
  const int32_t h = mul_Checked(kolKadrov, Hk);
  picBox.resize(Wk, h);
  if (picBox.surface().width() != Wk || picBox.surface().height() != h) msg("err");
  fast_put_Pic(colours, picBox.surface(), Wk, h);
  platform::save_BMP24(picBox.surface(), nameBase + ".`v" + std::to_string(kolKadrov) + ".bmp");
  picBox.clear();
}

TT cImage::get_Pic_prozr(const std::string& nameFile) {
  flagProzr = false;
  kolKadrovBMP2(nameFile);
  if (!picBox.load(nameFile)) return {};
  const int32_t W = picBox.width(), H = picBox.height();
  TT P1;
  if (!flagBMP2) {
    picBox.set_BackColor(1);
    P1 = fast_get_Pix(picBox.surface(), W, H);
  }
  picBox.set_BackColor(kMarker);
  TT P2 = fast_get_Pix(picBox.surface(), W, H);
  // Where the picture shows the marker over another background, the colour
  // is its own: store it as the opaque stand-in.
  if (!flagBMP2)
    for (size_t i = 0; i < P2.size(); ++i)
      if (P1[i] == kMarker) P2[i] = kMarkerOpaque;
  flagProzr = m.N_in_TT(P2, kMarker);
  picBox.clear();
  Wk = W;
  Hk = H;
  if (kolKadrov > 0) {
    if (flagGK) Wk = W / kolKadrov;
    else Hk = H / kolKadrov;
  }
  return P2;
}

bool cImage::load_Pic_prozr(const std::string& nameFile) {
  nPix = get_Pic_prozr(nameFile);
  if (nPix.empty()) return false;
  get_pp_ff(nPix, cPal24, fPal24);
  pix_zamena_ff(nPix, cPal24, fPal24);
  del_Prozr(nPix, cPal24, fPal24);
  return true;
}

void cImage::del_Prozr(TT& nPix_izm, TT& pp_izm, TT& ff_izm) {
  if (!flagProzr) return;
  const int32_t b = m.poz_N_in_TT(pp_izm, kMarker);
  if (b < 0) {
    msg("err");
    return;
  }
  m.del_Poz_in_TT(pp_izm, b);
  m.del_Poz_in_TT(ff_izm, b);
  for (int32_t& v : nPix_izm) {
    if (v == b) v = -1;
    else if (v > b) --v;
  }
}

TT cImage::frame_to_Kadr(const TT& tt, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0, int32_t x9,
                         int32_t y9, int32_t fill) {
  const int32_t w = w_izm, h = h_izm;
  if (w < 0 || h < 0 || static_cast<int64_t>(tt.size()) != int64_t{w} * h) msg("malo/mnogo");
  const int32_t nw = std::max(add_Checked(add_Checked(x0, w), x9), 0);
  const int32_t nh = std::max(add_Checked(add_Checked(y0, h), y9), 0);
  TT out(static_cast<size_t>(mul_Checked(nw, nh)), fill);
  // Pixels that a negative margin would push off the canvas are dropped.
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int64_t src = int64_t{y} * w + x;
      const int64_t X = int64_t{x} + x0, Y = int64_t{y} + y0;
      if (src >= static_cast<int64_t>(tt.size()) || X < 0 || Y < 0 || X >= nw || Y >= nh) continue;
      out[static_cast<size_t>(Y * nw + X)] = tt[static_cast<size_t>(src)];
    }
  w_izm = nw;
  h_izm = nh;
  return out;
}
