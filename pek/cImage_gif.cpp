// GIF frames into a strip, reading pictures with their transparency, and
// removing the transparent marker from the palette.
#include "cImage.h"
#include "msg_box.h"

using platform::msg;
