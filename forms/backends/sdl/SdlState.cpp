// The backend's state: video and events started on first use, the program's icon,
// a window made real at its first showing, its frame measured, the activation order.
#include "SdlState.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <SDL.h>

#include "SdlIcon.h"
#include "SdlTimers.h"
#include "SdlX11.h"
#include "forms/core/Exceptions.h"

namespace forms::sdl {

Window* BackendState::Find(WindowId w) {
    auto it = windows.find(w);
    return it == windows.end() ? nullptr : &it->second;
}

WindowId BackendState::FromSdl(uint32_t sdlId) const {
    auto it = bySdl.find(sdlId);
    return it == bySdl.end() ? 0 : it->second;
}

Frame BackendState::FrameFor(const WindowStyle& s) const {
    const Decoration d = DecorationOf(s);
    const auto i = static_cast<std::size_t>(d);
    if (measuredKnown[i]) return measured[i];
    const Frame f = ClassicFrame(s);
    return {Up(f.Left), Up(f.Top), Up(f.Right), Up(f.Bottom)};
}

void BackendState::EnsureEvents() {
    if (eventsReady) return;
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) throw Exception(std::string("SDL events: ") + SDL_GetError());
    eventsReady = true;
    if (userEvent == 0) {
        userEvent = SDL_RegisterEvents(1);
        PostTicksAs(userEvent);
    }
}

void BackendState::EnsureVideo() {
    if (videoReady) return;
    EnsureEvents();
    // A desktop that can show windows, or none at all: SDL would otherwise fall back
    // to drivers that draw nowhere. SDL_VIDEODRIVER still decides when it is set.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,wayland", SDL_HINT_DEFAULT);
    // A framebuffer through the window system itself: a GL renderer behind the
    // window surface costs tens of milliseconds and megabytes at start-up.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The library decides what closing a window means, also for the last one.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The click that activates a window reaches it, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // A desktop tool: leave the screen saver and the compositor alone.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    const char* display = std::getenv("DISPLAY");
    const bool x11 = display && *display;
    if (x11) GuardXErrors();
    // An X server that starts afresh when its last client leaves (Xvfb without
    // -noreset, as xvfb-run starts it) closes the connections that reach it in that
    // moment, so a start right after an earlier run can find the display gone for an
    // instant. Only a display that stays away through every attempt is reported.
    constexpr int kAttempts = 5;
    constexpr Uint32 kPauseMs = 100;
    for (int attempt = 1; SDL_InitSubSystem(SDL_INIT_VIDEO) != 0; ++attempt) {
        if (!x11 || attempt == kAttempts) throw Exception(std::string("Cannot open the display: ") + SDL_GetError());
        SDL_Delay(kPauseMs);
    }
    videoReady = true;
    if (x11 && std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) scale = DesktopScale();
    SDL_StartTextInput();
}

void BackendState::LoadIcon(std::string_view ico) {
    if (iconLoaded || ico.empty()) return;
    iconLoaded = true;
    // The 32-pixel image serves SDL's own icon too.
    const IconImage image = DecodeIcon(ico, 32);
    for (const int32_t size : {16, 24}) {
        IconImage small = DecodeIcon(ico, size);
        if (!small.Pixels.empty() && small.Width == size) icons.push_back(std::move(small));
    }
    if (!image.Pixels.empty() && image.Width == 32) icons.push_back(image);
    if (image.Pixels.empty()) return;
    icon = SDL_CreateRGBSurfaceWithFormat(0, image.Width, image.Height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    for (int32_t y = 0; y < image.Height; ++y)
        std::memcpy(static_cast<uint8_t*>(icon->pixels) + static_cast<size_t>(y) * static_cast<size_t>(icon->pitch),
                    image.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.Width),
                    static_cast<size_t>(image.Width) * 4);
}

void BackendState::Realise(WindowId id, Window& w) {
    if (w.Sdl) return;
    EnsureVideo();
    const WindowStyle& st = w.Params.Style;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (st.Border == TBorderStyle::bsNone) flags |= SDL_WINDOW_BORDERLESS;
    if (DecorationOf(st) == Decoration::Tool) flags |= SDL_WINDOW_UTILITY | SDL_WINDOW_SKIP_TASKBAR;
    if (st.StayOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE,
                st.Border == TBorderStyle::bsDialog ? "_NET_WM_WINDOW_TYPE_DIALOG" : "_NET_WM_WINDOW_TYPE_NORMAL");
    w.Border = FrameFor(st);
    // A new window's position is where the window manager puts the frame's corner
    // (the client lands inside it); without a window manager there is no frame and
    // the client takes the corner itself.
    w.Sdl = SDL_CreateWindow(w.Params.Caption.c_str(), Up(w.Params.Left), Up(w.Params.Top),
                             Up(std::max(w.Params.ClientWidth, 1)), Up(std::max(w.Params.ClientHeight, 1)), flags);
    if (!w.Sdl) throw Exception(std::string("Cannot create a window: ") + SDL_GetError());
    bySdl[SDL_GetWindowID(w.Sdl)] = id;
    if (w.Params.HasIcon) {
        LoadIcon(w.Params.Icon);
        if (icon) SDL_SetWindowIcon(w.Sdl, icon);
        SetIcons(w.Sdl, icons);
    }
    if (Window* owner = Find(w.Params.Owner))
        if (owner->Sdl) SDL_SetWindowModalFor(w.Sdl, owner->Sdl);
}

void BackendState::MeasureFrame(Window& w, bool atShowing) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(w.Sdl, &top, &left, &bottom, &right) != 0) return;
    if (!atShowing && top == 0 && left == 0 && bottom == 0 && right == 0) return;
    const Frame f{left, top, right, bottom};
    w.Border = f;
    const Decoration d = DecorationOf(w.Params.Style);
    measured[static_cast<std::size_t>(d)] = f;
    measuredKnown[static_cast<std::size_t>(d)] = true;
}

void BackendState::Activate(WindowId id) {
    Window* w = Find(id);
    if (!w || !w->Sdl || !w->Shown || w->Minimized) return;
    SDL_Window* focused = SDL_GetKeyboardFocus();
    if (focused == w->Sdl) return;
    SDL_RaiseWindow(w->Sdl);
    // Moving the keyboard focus between our own windows is ours to do; taking it from
    // another program is the window manager's (the raise above asks it to).
    if (focused || focusHandedBack) SDL_SetWindowInputFocus(w->Sdl);
    focusHandedBack = false;
}

void BackendState::Forget(WindowId id) {
    shownOrder.erase(std::remove(shownOrder.begin(), shownOrder.end(), id), shownOrder.end());
    if (focus == id) focus = 0;
}

}  // namespace forms::sdl
