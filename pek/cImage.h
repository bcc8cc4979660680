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
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "core/cFile.h"
#include "massiv/cMassiv.h"
#include "platform/picture_io.h"

// The picture object is the log source of a pek run: its progress lines
// reach the log through the callback the run connects.
class cImage : public cLogSource {
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

  // The log link (AddObjectReference, DropObjectReference, setFlagLog) is cLogSource's.

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
  //   cImage_header.cpp      header, frame direction, scheme names
  //   cImage_frames.cpp      background, border, frames of a strip, shifts
  //   cImage_transforms.cpp  zigzag, animation border, block packing, 2D repeats
  //   cImage_types.cpp       types 0-3 and their palette descriptions
  //   cImage_search.cpp      the variant search
  //   cImage_decode.cpp      decoding of all four types
  // Largest strip a PEK file may describe.
  static constexpr int64_t kMaxPixels = int64_t{1} << 26;

  // Header (cImage_header.cpp). put_Zag returns header + type data (+ value table).
  BB put_Zag(const BB& typeData);
  void get_Zag(const BB& bb, int32_t& p_izm);
  // Frames of a strip rearranged from the flagGK layout into the other one.
  BB smena_dir_Kadrov(const BB& bb);
  TT smena_dir_Kadrov_TT(const TT& tt);
  static std::string sKont(int32_t n);
  // The decode report's lines from bytes 0 and 1 of an unpacked file.
  static SS zag_Report(const BB& bb);

  // Frames and borders of index pictures (cImage_frames.cpp).
  int32_t find_Fon(const BB& bb, int32_t w, int32_t h);
  void find_Frame(const BB& bb, int32_t w, int32_t h, int32_t& x0, int32_t& y0, int32_t& x9, int32_t& y9,
                  int32_t& fon);
  BB cut_Frame(const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0, int32_t x9, int32_t y9);
  BB restore_Frame(const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0, int32_t x9, int32_t y9,
                   int32_t fon);
  BB copy_Kadr(const BB& bb, int32_t wk, int32_t hk, int32_t numKadr, bool flagGorKad);
  void put_Kadr(BB& bb_izm, int32_t wk, int32_t hk, int32_t numKadr, const BB& bb_kadr, bool flagGorKad);
  BB sdvig_Kadr(int32_t dx, int32_t dy, const BB& bb, int32_t w, int32_t h);
  int32_t sravn_2kadr(const BB& bb1, const BB& bb2, int32_t w, int32_t h);
  void find_best_x0_y0(int32_t& x0_izm, int32_t& y0_izm, const BB& bb1, const BB& bb2, int32_t w, int32_t h);
  void add_Y9_line(BB& bb_izm, int32_t w, int32_t& h_izm);
  void del_Y9_line(BB& bb_izm, int32_t w, int32_t& h_izm);
  void add_X9_col(BB& bb_izm, int32_t& w_izm, int32_t h);
  void del_X9_col(BB& bb_izm, int32_t& w_izm, int32_t h);
  BB get_Rect(const BB& bb, int32_t x0, int32_t y0, int32_t x9, int32_t y9, int32_t w, int32_t h);
  static TT split4(const std::string& s);
  TT test_Show(const TT& cPal_16);

  // Pixel transforms (cImage_transforms.cpp); w, h are those of the unpacked field.
  BB reScan_ZigzagG(const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t t);
  BB reScan_ZigzagG_obratno(const BB& bb, int32_t w, int32_t h, int32_t t);
  BB st_frame_ani(const BB& bb, int32_t& w_izm, int32_t& h_izm);
  BB restore_st_frame_ani(int32_t kol, const BB& bb, int32_t& w_izm, int32_t& h_izm, int32_t x0, int32_t y0,
                          int32_t x9, int32_t y9, int32_t fon);
  BB M8_tuda(const BB& bb, int32_t w, int32_t h, int32_t wb, int32_t hb);
  BB M8_obratno(const BB& bb, int32_t w, int32_t h, int32_t wb, int32_t hb);
  BB encode2D(const BB& bb, int32_t p, int32_t w, int32_t h);
  BB unzip_2D_Povt(const BB& bb, int32_t w, int32_t h);
  int32_t runRight(int32_t x, int32_t y, int32_t limit);
  int32_t runDown(int32_t x, int32_t y, int32_t limit);
  int32_t rectUniform(int32_t x, int32_t y, int32_t W, int32_t H);
  int32_t findRect(int32_t x, int32_t y, int32_t p, int32_t w, int32_t h, int32_t& vW, int32_t& vH);
  void markRect(int32_t x, int32_t y, int32_t W, int32_t H);
  // Block shape (width x height) of context scheme s; 1 x 1 for none.
  static void get_Kont_Shape(int32_t s, int32_t& wb, int32_t& hb);

  // Coding types (cImage_types.cpp) and the variant search (cImage_search.cpp).
  BB bmp_to_pek0();
  BB bmp_to_Pek(int32_t tip, int32_t q = 3);
  BB encodeType1();
  BB bmp_to_pek2(bool flagEdit);
  BB bmp_to_pek2_end(int32_t kod, const BB& g, const BB& pole);
  BB encodeType3(int32_t q);
  bool pickTransparentCode();
  BB freeCodes(bool flagDescending);
  BB get_PolePix();
  BB zip_Pix(const BB& g);
  BB zip_noPovt(const BB& g, const BB& pole, int32_t& vSize, int32_t& vMetod);
  BB zip_Povt(const BB& g, const BB& pole, int32_t& vSize, int32_t& vMetod, int32_t w, int32_t h);

  // Decoding (cImage_decode.cpp): unpacked bytes -> colours of the stacked strip.
  TT pek_to_bmp(const BB& bb);
  TT decodeType0(const BB& bb);
  TT decodeType1(const BB& bb);
  TT decodeType2(const BB& bb);
  TT decodeType3(const BB& bb);
  TT unzip_Pix(const BB& bb, int32_t p, const TT& pal);
  // Codes of the B big colours of type 3 over a grid palette of D entries:
  // 255, 254, .. while they are not below D, then explicit code bytes.
  TT get_big_Kod(const BB& bb, int32_t& p_izm, int32_t B, int32_t D);

  // PEK settings carried by the header.
  int32_t tipPek = 0;       // 0..3, or 100: type 1 with an explicit palette
  int32_t nKont = 0;        // context scheme 0..7
  int32_t zigZag = 0;       // zigzag stripes of zigZag + 1 rows; 0 none
  bool flagFrame = false;   // a uniform border was cut
  int32_t frameFon = 0;     // border code and widths
  int32_t frameX0 = 0, frameY0 = 0, frameX9 = 0, frameY9 = 0;
  int32_t prozrKod = 0;     // code of transparent pixels; 0 none
  int32_t povtMarker = 0;   // code that starts a 2D repeat; 0 none
  bool flag16W = false, flag16H = false;
  BB tabZnach;              // value table of the context schemes
  BB etalonPole;            // codes as the search built them, for the self-check
  int32_t kolVariant = 0;   // candidates compressed by the search so far
  // Threads that compress the candidates of a pass; the result is that of one.
  int32_t nThreads = static_cast<int32_t>(std::min(4u, std::max(1u, std::thread::hardware_concurrency())));

private:
  // PEK helpers.
  std::string tab_File(int32_t t);
  BB explicit_Pal16();
  void clear_Transforms();
  BB pack_Candidate(const BB& bytes, int32_t& vSize, int32_t& vMetod);
  void make_tabZnach(BB& pole_izm);
  void keep_Best(BB&& cand, int32_t size, int32_t metod, const std::string& line);
  void search_Pass(const BB& g, const BB& field, int32_t c, int32_t j, int32_t k, int32_t S);
  // One candidate of a pass: its bytes before and after the container.
  struct cCandidate {
    BB bytes;
    int32_t kont = 0;   // context scheme, 0 none
    std::string tail;   // log text after the label
    BB packed;
    int32_t size = 999999999;
    int32_t metod = 0;
  };
  BB build_noPovt(const BB& g, const BB& pole);
  BB build_Povt(const BB& g, const BB& pole, int32_t w, int32_t h);
  void pack_Pass(std::vector<cCandidate>& pass);
  bool read_Zag(const BB& bb, int32_t& p_izm);
  TT read_din_Pal(const BB& bb, int32_t& p_izm);

  TT grid2D;           // cells of the 2D repeat coder; -1 once coded
  int32_t gridW = 0;
  int32_t bestSize = 0;
  BB bestPek;
  // End of the PEK format block.

private:
  bool load_Tables();
  void save_Strip(const TT& colours, const std::string& nameBase);

  cMassiv m;
  cFile f;

  TT tabPal;                // 16 x 256 table colours
  bool flagTabPal = false;  // tables loaded
  std::string tabPath;
};
