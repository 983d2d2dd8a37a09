#pragma once
// The composed client image into an SDL surface of whatever pixel format the window
// system gave the window. Needs no display.
#include <cstdint>

#include "forms/graphics/Bitmap.h"
#include "forms/graphics/Geometry.h"

struct SDL_Surface;

namespace forms::sdl {

// Copies part of the image (0x00RRGGBB pixels) to the same place on the surface, each
// pixel as a scale × scale block; the surface shows it opaque. The part, scaled, lies
// within both.
void CopyToSurface(const TBitmap& image, const TRect& part, SDL_Surface* surface, int32_t scale = 1);

}  // namespace forms::sdl
