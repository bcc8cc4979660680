// The colour editor's state: the type 2 candidate taken apart into its type
// data, pixel codes and dynamic palette, shared by the editor's handlers.
#pragma once
#include <array>
#include <cstdint>

#include "massiv/massiv_types.h"

struct cColorEditState {
  static constexpr int32_t kMarker = 12632512;  // C0C1C0: transparent pixels on screen
  static constexpr int32_t kSelected = 256;
  static constexpr int32_t kExact = 257;
  static constexpr int32_t kTransparent = 258;

  bool open = false;
  bool saved = false;
  BB g;                  // the 10 bytes of the type data
  BB pole;               // pixel codes
  TT pal;                // dynamic palette
  int32_t kod = 0;       // transparent code, 0 none
  int32_t k = 0;         // palette entry of the exact colour
  int32_t exact = 0;
  int32_t selected = -1;  // the code label 256 shows; -1 none yet
  std::array<bool, 256> used{};
};
