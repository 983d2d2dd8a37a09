#pragma once
// What the SDL backend knows of its windows, kept by its own methods (SdlState.cpp)
// and shared by the backend's calls (SdlBackend.cpp) and the translation of SDL's
// events (SdlEvents.cpp).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "forms/backends/ClassicFrame.h"
#include "SdlIcon.h"
#include "SdlShell.h"

struct SDL_Surface;
struct SDL_Window;

namespace forms::sdl {

using Frame = FrameInsets;

// The kinds of window whose frames the window manager draws alike.
enum class Decoration : uint8_t { Plain, Tool, Frameless };
constexpr std::size_t kDecorations = 3;

constexpr Decoration DecorationOf(const WindowStyle& s) {
    switch (s.Border) {
        case TBorderStyle::bsNone:
            return Decoration::Frameless;
        case TBorderStyle::bsToolWindow:
        case TBorderStyle::bsSizeToolWin:
            return Decoration::Tool;
        default:
            return Decoration::Plain;
    }
}

// The codes of the backend's own event type that are not timer ticks (SdlTimers.h).
constexpr int32_t kWake = 2;

// The core's units are pixels at 96 dpi; SDL's are the screen's, `scale` times as many.
struct Window {
    WindowParams Params;  // Left/Top the outer corner, sizes of the client area
    SDL_Window* Sdl = nullptr;
    Frame Border;  // in the screen's pixels
    bool Enabled = true;
    bool Shown = false;
    bool EverShown = false;
    bool Minimized = false;
};

struct BackendState {
    bool eventsReady = false;
    bool videoReady = false;
    bool quit = false;
    // The keyboard focus left with a window of ours that went away: the next
    // activation may take it back directly.
    bool focusHandedBack = false;
    uint32_t userEvent = 0;

    std::map<WindowId, Window> windows;
    std::unordered_map<uint32_t, WindowId> bySdl;
    WindowId nextWindow = 1;
    WindowId focus = 0;                // the window that last gained the keyboard focus
    std::vector<WindowId> shownOrder;  // most recently shown last

    Frame measured[kDecorations];
    bool measuredKnown[kDecorations] = {};

    std::unordered_set<TimerId> timers;  // this backend's, in the process's table
    Shell shell;
    uint8_t mouseButtons = 0;  // ssLeft | ssRight | ssMiddle as the events said
    // The assistive technology took the key of the last window-system event: SDL's key
    // and text events for it do nothing.
    bool keyTaken = false;

    bool iconLoaded = false;
    SDL_Surface* icon = nullptr;
    std::vector<IconImage> icons;  // of 16, 24 and 32 pixels, those the file holds

    int32_t scale = 1;  // known once the video is up
    int32_t Up(int32_t v) const { return v * scale; }
    // Rounded down, also below zero: the pixel of ours that holds the screen's.
    int32_t Down(int32_t v) const { return v >= 0 ? v / scale : -((scale - 1 - v) / scale); }

    Window* Find(WindowId w);
    WindowId FromSdl(uint32_t sdlId) const;
    Frame FrameFor(const WindowStyle& s) const;  // in the screen's pixels

    void EnsureEvents();
    void EnsureVideo();
    // The program has one icon: the first one a window brings is kept for all.
    void LoadIcon(std::string_view ico);
    // The SDL window is made at the first showing: every bound and caption change
    // before that is free, and nothing waits for a window manager on the way.
    void Realise(WindowId id, Window& w);
    // The frame the window manager reports. Right after the first showing its word is
    // final, also when it reports none (no window manager: no frame); later only a frame
    // it reports late replaces it.
    void MeasureFrame(Window& w, bool atShowing);
    void Activate(WindowId id);
    void Forget(WindowId id);
};

}  // namespace forms::sdl
