#pragma once
// What SDL leaves to Xlib. The calls do nothing where the process has no Xlib.
#include <cstdint>
#include <string>
#include <vector>

#include "forms/core/Backend.h"
#include "SdlIcon.h"

struct SDL_SysWMmsg;
struct SDL_Window;

namespace forms::sdl {

// Keeps Xlib from ending the process over a wake-up message to a window that was
// destroyed meanwhile. Called before SDL's video starts.
void GuardXErrors();

// The caption buttons the style allows, told to the X11 window manager before the
// window is first mapped.
void SetCaptionButtons(SDL_Window* window, const WindowStyle& style);

// Every image of the icon in _NET_WM_ICON, where SDL puts only one.
void SetIcons(SDL_Window* window, const std::vector<IconImage>& images);

// The desktop's scale as GTK takes it: GDK_SCALE where it is set, else Xft.dpi from
// the X resources as a whole multiple of 96 dpi; 1 without either.
int32_t DesktopScale();
int32_t ScaleFor(const char* gdkScale, const char* xftDpi);

// A key press or release as the X server reports it, with what Xlib's key map makes
// of it.
struct X11Key {
    bool Press = false;
    uint32_t State = 0;  // the modifiers and buttons held before the event
    uint32_t Keysym = 0;
    uint32_t Keycode = 0;  // the server's code of the key itself
    uint32_t Time = 0;     // the server's milliseconds
    std::string Typed;     // the characters Xlib types for it, in Latin-1
    std::string Name;      // the keysym's name ("Tab", "a")
};

// The key event inside one of SDL's window-system messages; false for any other event.
bool X11KeyOf(const SDL_SysWMmsg& message, X11Key& key);

}  // namespace forms::sdl
