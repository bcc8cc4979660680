// The container's fast method search with two candidate orders packed at a
// time: the same decisions, in the same order, as cFile::zip_Auto with
// flagFast, so the same bytes; only the wall time is shorter.
#pragma once
#include <cstdint>

#include "massiv/massiv_types.h"

BB zip_Auto_Fast2(const BB& bb_in, int32_t& bestMetod);
