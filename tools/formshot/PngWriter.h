#pragma once
#include <string>

#include "forms/graphics/Bitmap.h"

namespace formshot {

// Writes the bitmap as an RGB PNG (stored deflate blocks: no compression library
// needed, and the files stay small for window-sized pictures). Throws on I/O errors.
void WritePng(const forms::TBitmap& bitmap, const std::string& path);

}  // namespace formshot
