#include "SdlSurface.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstring>

namespace forms::sdl {

void CopyToSurface(const TBitmap& image, const TRect& r, SDL_Surface* surface) {
    const SDL_PixelFormat* fmt = surface->format;
    if (fmt->BytesPerPixel == 4 && fmt->Rmask == 0x00FF0000u && fmt->Gmask == 0x0000FF00u && fmt->Bmask == 0x000000FFu) {
        // The window's own layout: rows copied as they are, opaque where it has alpha.
        const uint32_t alpha = fmt->Amask;
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        const auto width = static_cast<size_t>(image.Width());
        for (int32_t y = r.Top; y < r.Bottom; ++y) {
            const uint32_t* from = image.Bits() + static_cast<size_t>(y) * width + static_cast<size_t>(r.Left);
            auto* to = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                   static_cast<size_t>(y) * static_cast<size_t>(surface->pitch)) +
                       r.Left;
            if (alpha == 0) std::memcpy(to, from, static_cast<size_t>(r.Width()) * 4);
            else
                for (int32_t x = 0; x < r.Width(); ++x) to[x] = from[x] | alpha;
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        return;
    }
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.Bits()), image.Width(),
                                                             image.Height(), 32, image.Width() * 4,
                                                             SDL_PIXELFORMAT_RGB888);
    if (!source) return;
    SDL_Rect from{r.Left, r.Top, r.Width(), r.Height()};
    SDL_Rect to = from;
    SDL_BlitSurface(source, &from, surface, &to);
    SDL_FreeSurface(source);
}

}  // namespace forms::sdl
