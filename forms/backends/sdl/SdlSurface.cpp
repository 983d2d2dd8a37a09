#include "SdlSurface.h"

#include <cstring>

#include <SDL.h>

namespace forms::sdl {

void CopyToSurface(const TBitmap& image, const TRect& r, SDL_Surface* surface, int32_t scale) {
    const SDL_PixelFormat* fmt = surface->format;
    if (fmt->BytesPerPixel == 4 && fmt->Rmask == 0x00FF0000u && fmt->Gmask == 0x0000FF00u &&
        fmt->Bmask == 0x000000FFu) {
        // The window's own layout: rows copied as they are, opaque where it has alpha,
        // each row once per row of its blocks.
        const uint32_t alpha = fmt->Amask;
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        const auto width = static_cast<size_t>(image.Width());
        const auto pitch = static_cast<size_t>(surface->pitch);
        const auto n = static_cast<size_t>(scale);
        const size_t rowBytes = static_cast<size_t>(r.Width()) * n * 4;
        for (int32_t y = r.Top; y < r.Bottom; ++y) {
            const uint32_t* from = image.Bits() + static_cast<size_t>(y) * width + static_cast<size_t>(r.Left);
            auto* row = static_cast<uint8_t*>(surface->pixels) + static_cast<size_t>(y) * n * pitch;
            uint32_t* to = reinterpret_cast<uint32_t*>(row) + static_cast<size_t>(r.Left) * n;
            if (alpha == 0 && n == 1) std::memcpy(to, from, rowBytes);
            else
                for (int32_t x = 0; x < r.Width(); ++x)
                    for (size_t i = 0; i < n; ++i) *to++ = from[x] | alpha;
            for (size_t i = 1; i < n; ++i)
                std::memcpy(row + i * pitch + static_cast<size_t>(r.Left) * n * 4,
                            row + static_cast<size_t>(r.Left) * n * 4, rowBytes);
        }
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
        return;
    }
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.Bits()), image.Width(), image.Height(), 32,
                                           image.Width() * 4, SDL_PIXELFORMAT_RGB888);
    if (!source) return;
    SDL_Rect from{r.Left, r.Top, r.Width(), r.Height()};
    SDL_Rect to{r.Left * scale, r.Top * scale, r.Width() * scale, r.Height() * scale};
    if (scale == 1) SDL_BlitSurface(source, &from, surface, &to);
    else SDL_BlitScaled(source, &from, surface, &to);  // nearest: whole blocks at a whole factor
    SDL_FreeSurface(source);
}

}  // namespace forms::sdl
