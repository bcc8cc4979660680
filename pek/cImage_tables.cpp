// Colour tables, the dynamic grid palette and the quality measure.
#include "cImage.h"
#include "msg_box.h"

using platform::msg;
