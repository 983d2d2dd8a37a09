#pragma once
// The composed client image into an SDL surface of whatever pixel format the window
// system gave the window. Needs no display.
#include "../../graphics/Bitmap.h"
#include "../../graphics/Geometry.h"

struct SDL_Surface;

namespace forms::sdl {

// Copies part of the image (0x00RRGGBB pixels) to the same place on the surface;
// the surface shows it opaque. The part lies within both.
void CopyToSurface(const TBitmap& image, const TRect& part, SDL_Surface* surface);

}  // namespace forms::sdl
