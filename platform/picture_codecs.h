// The decoders behind the picture loader, one per kind of file. Each fills
// pic (RGBA, rows top first) and returns true, or returns false for a file
// it cannot read; none allocates more than kMaxPicturePixels pixels.
#pragma once
#include "picture_io.h"

namespace platform::codec {

bool decode_GIF(const Bytes& data, cPicture& pic);
bool decode_PNG(const Bytes& data, cPicture& pic);
bool decode_JPEG(const Bytes& data, cPicture& pic);
bool decode_WebP(const Bytes& data, cPicture& pic);
bool decode_BMP(const Bytes& data, cPicture& pic);
bool decode_ICO(const Bytes& data, cPicture& pic);

// Whether a w x h picture may be allocated.
inline bool size_Ok(int64_t w, int64_t h) { return w > 0 && h > 0 && w * h <= kMaxPicturePixels; }

}  // namespace platform::codec
