// Palette building, colour averaging, 16-bit colours and the palette listing.
#include "cImage.h"
#include "msg_box.h"

using platform::msg;
