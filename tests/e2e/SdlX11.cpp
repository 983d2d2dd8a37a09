// Kept apart: Xlib's macros (None, Status, Bool) clash with GoogleTest and our names.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdint>

namespace e2e {

unsigned long X11WindowOf(uint32_t sdlWindowId) {
    SDL_Window* window = SDL_GetWindowFromID(sdlWindowId);
    if (!window) return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

}  // namespace e2e
