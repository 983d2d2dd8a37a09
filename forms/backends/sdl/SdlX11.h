#pragma once
// What SDL leaves to Xlib. Both do nothing where the process has no Xlib.
#include "../../core/Backend.h"

struct SDL_Window;

namespace forms::sdl {

// Keeps Xlib from ending the process over a wake-up message to a window that was
// destroyed meanwhile. Called before SDL's video starts.
void GuardXErrors();

// The caption buttons the style allows, told to the X11 window manager before the
// window is first mapped.
void SetCaptionButtons(SDL_Window* window, const WindowStyle& style);

}  // namespace forms::sdl
