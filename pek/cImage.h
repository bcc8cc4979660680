// cImage: one picture (a still image or every frame of an animation) while
// pek converts it.
//
// Colour value: R + 256*G + 65536*B. The pixel array nPix holds the frame
// strip in rows, top row first: colour values after loading, palette indexes
// after colour reduction, -1 for a transparent pixel once the marker is
// removed. Frames are stacked vertically, or lie side by side when flagGK.
// The colour kMarker (C0C1C0) marks transparency in colour arrays and strip
// files; an opaque pixel of that colour is stored as kMarkerOpaque (C0C0C0).
//
// Implemented in one source file per area:
//   cImage.cpp          creation, the log link, accessors, channel order
//   cImage_bmp.cpp      load_BMP, the strip name test kolKadrovBMP2
//   cImage_pixels.cpp   pixel paths over the off-screen surface
//   cImage_gif.cpp      split_GIF, reading with transparency, the marker
//   cImage_palette.cpp  palette building, averaging, 16-bit colours, listing
//   cImage_tables.cpp   colour tables, dynamic palette, quality measure
//
// Bad input shows a message (platform::msg) and gives a neutral result;
// overflow and index errors throw cOverflowError / cIndexError.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cFile.h"
#include "cMassiv.h"
#include "picture_io.h"

class cImage {
public:
  static constexpr int32_t kMarker = 12632512;        // C0C1C0: transparent
  static constexpr int32_t kMarkerOpaque = 12632256;  // C0C0C0: opaque C0C1C0
  static constexpr int32_t kMaxFrames = 250;          // frames of an animated GIF
  static constexpr int32_t kMaxStripFrames = 255;     // frames named by a strip BMP
  static constexpr int32_t kTabCount = 16;            // colour tables tab0..tab15.pal
  static constexpr int32_t kTabSize = 256;            // colours of one table

  cImage();

  cFile& file() { return f; }
  cMassiv& massiv() { return m; }

  // ===================== Log link (cImage.cpp) =====================
  bool AddObjectReference(CbClientClass* Caller);
  bool DropObjectReference(CbClientClass* Caller);
  bool setFlagLog(bool flagLog0);  // returns the former value

  // ===================== Colour values and sizes (cImage.cpp) =====================
  // Clamps r, g, b to 0..255 in place.
  int32_t rgb_to_N24(int32_t& r, int32_t& g, int32_t& b);
  // Outside 0..16777215: "err RGB:" and r, g, b unchanged.
  void N24_to_rgb(int32_t n24, int32_t& r, int32_t& g, int32_t& b);
  int32_t get_w_Pic() const;
  int32_t get_h_Pic() const;
  int32_t get_wh_Pic() const;
  int32_t get_Wk() const { return Wk; }
  int32_t get_Hk() const { return Hk; }
  int32_t get_kol_kadrov() const { return kolKadrov; }
  BB get_Paus() const { return Paus; }
  int32_t scanAlign(int32_t vWidth) const { return (vWidth + 3) & ~3; }
  // Channels named from the largest value to the smallest ("rgb", "gbr", ...).
  std::string get_Turn(double r, double g, double b);

  // ===================== BMP and strip names (cImage_bmp.cpp) =====================
  // 4, 8 and 24 bit files only; rows bottom-up. Empty on failure.
  TT load_BMP(const std::string& nameFile, int32_t& w, int32_t& h);
  TT load_BMP_BB(const BB& bb, int32_t& w, int32_t& h);
  // Frame count, flagGK, flagBMP2 and Paus from a name like "a.`g4.bmp".
  void kolKadrovBMP2(const std::string& nameFile);

  // ===================== Pixel paths (cImage_pixels.cpp) =====================
  // The w x h area at the top-left of the surface, one pixel at a time.
  TT get_Pix(const platform::cSurface& dc, int32_t w, int32_t h);
  void put_Pix(platform::cSurface& dc, const TT& pix, int32_t w, int32_t h, int32_t x0, int32_t y0);
  // The same through one block copy of 24-bit rows.
  TT fast_get_Pix(const platform::cSurface& dc, int32_t w, int32_t h);
  void fast_put_Pic(const TT& pix, platform::cSurface& dc, int32_t w, int32_t h);

  // ===================== GIF frames and transparency (cImage_gif.cpp) =====================
  // True when the file was an animated GIF of 2..250 frames and now lies in
  // the object as a strip of frames stacked vertically.
  bool split_GIF(const std::string& nameFile);
  // Colour array with transparent pixels as kMarker; sets the frame
  // geometry and flagProzr. Empty when the loader cannot read the file.
  TT get_Pic_prozr(const std::string& nameFile);
  // get_Pic_prozr into nPix, then palette, order and marker removal.
  bool load_Pic_prozr(const std::string& nameFile);
  void del_Prozr(TT& nPix_izm, TT& pp_izm, TT& ff_izm);
  // The array grown by margins x0 (left), y0 (top), x9 (right), y9 (bottom).
  TT frame_to_Kadr(const TT& tt, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0, int32_t x9, int32_t y9,
                   int32_t fill);

  // ===================== Palette and averaging (cImage_palette.cpp) =====================
  // Colour array -> palette indexes; pp, ff receive palette and counts.
  void get_pp_ff(TT& tt_izm, TT& pp, TT& ff);
  void add_TT_and_Replace(TT& tt_izm, TT& pp, TT& ff);
  // Palette by descending count, indexes renumbered, cut at the first zero.
  void pix_zamena_ff(TT& tt_izm, TT& pp_izm, TT& ff_izm);
  TT tab_Replacer(const TT& map, const TT& tt);
  // Merges close colours of cPal24/fPal24/nPix.
  void usredn_Pix();
  int32_t get_le_cPal_24() const { return static_cast<int32_t>(cPal24.size()); }
  int32_t rgb24_to_rgb16(int32_t n24);
  int32_t rgb16_to_rgb24(int32_t n16);
  std::string Hex6(int32_t n);
  int32_t sredn_RGB(const TT& colours, const TT& weights);
  void print_Pal(const TT& pp, const TT& ff);
  void get_nPix_cPal24_fPal24(TT& nPix0, TT& cPal0, TT& fPal0) const;
  void set_nPix_cPal24_fPal24(const TT& nPix0, const TT& cPal0, const TT& fPal0);

  // ===================== Tables, grid palette, quality (cImage_tables.cpp) =====================
  // Table t (limited to 0..15 in place); all 16 files are loaded on first use.
  TT get_tab_Pal(int32_t& t);
  // Folder of the table files (default: the program folder).
  void set_tab_Path(const std::string& folder) { tabPath = folder; flagTabPal = false; }
  // Whether every palette colour has a table entry within +-2; fills codeMap.
  bool sravn_Pal(const TT& tab);
  void get_newMax(int32_t dr, int32_t dg, int32_t db, int32_t& nr, int32_t& ng, int32_t& nb);
  TT get_din_Pal(int32_t rmin, int32_t gmin, int32_t bmin, int32_t rmax, int32_t gmax, int32_t bmax);
  int32_t pack256(int32_t lr, int32_t lg, int32_t lb, int32_t mr, int32_t mg, int32_t mb);
  void unpack256(int32_t i, int32_t mr, int32_t mg, int32_t mb, int32_t& lr, int32_t& lg, int32_t& lb);
  int32_t range1_to_range2(int32_t a, int32_t oldMax, int32_t newMax);
  bool inc_R(int32_t& nr, int32_t ng, int32_t nb, int32_t range);
  bool inc_G(int32_t nr, int32_t& ng, int32_t nb, int32_t range);
  bool inc_B(int32_t nr, int32_t ng, int32_t& nb, int32_t range);
  // Average colour deviation of a decoded strip in tenths of a percent.
  int32_t sravn_rgb(int32_t tip, const TT& decoded);
  // A fraction as "(+12.5%)": one decimal at most, no trailing zero.
  static std::string change_Text(double r);

  // ===================== Picture model =====================
  TT nPix;             // the frame strip: colours, later palette indexes
  TT cPal24;           // palette (colour values)
  TT fPal24;           // pixel count of each palette entry
  TT codeMap;          // pixel code of each palette colour, -1 unassigned
  int32_t Wk = 0;      // frame width
  int32_t Hk = 0;      // frame height
  int32_t kolKadrov = 1;
  BB Paus;             // pause after each frame, hundredths of a second
  bool flagGK = false;        // frames side by side
  bool flagRaznPaus = false;  // not all pauses equal
  bool flagGIFa = false;      // strip built from an animated GIF
  bool flagBMP2 = false;      // the file is a frame strip BMP
  bool flagProzr = false;     // the picture holds the transparent marker
  bool flagFast = true;       // skip the slow diagnostic paths
  bool flagTest = false;      // a switch of the PEK coder

  // The hidden utility window's picture box (loading, transparency, preview).
  platform::cPictureBox picBox;

  // ===================== PEK format (header, transforms, coding, decoding) =====================
  // Declared by the PEK format files below this line.

private:
  void send_Msg(const std::string& sMsg);
  bool load_Tables();
  void save_Strip(const TT& colours, const std::string& nameBase);

  cMassiv m;
  cFile f;
  CbClientClass* caller = nullptr;
  bool flagConnected = false;
  bool flagLog = false;

  TT tabPal;                // 16 x 256 table colours
  bool flagTabPal = false;  // tables loaded
  std::string tabPath;
};
