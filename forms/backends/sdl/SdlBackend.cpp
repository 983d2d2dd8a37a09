#include "SdlBackend.h"

#include <algorithm>
#include <csignal>
#include <cstdio>

#include <SDL.h>

#include "forms/backends/PlatformBackend.h"
#include "forms/core/Exceptions.h"
#include "SdlAccessible.h"
#include "SdlEvents.h"
#include "SdlState.h"
#include "SdlSurface.h"
#include "SdlTimers.h"
#include "SdlX11.h"

namespace forms {

using sdl::Frame;
using sdl::Window;

SdlBackend::SdlBackend()
    : s_(std::make_unique<sdl::BackendState>()),
      access_(std::make_unique<sdl::SdlAccessible>(
          [this](WindowId id) {
              int x = 0, y = 0;
              if (const Window* w = s_->Find(id); w && w->Sdl) SDL_GetWindowPosition(w->Sdl, &x, &y);
              return TPoint{x, y};
          },
          [this] { return s_->scale; })) {
    // A display that closes its connection while we write to it (as an X server
    // starting afresh does) fails that write; the display code then tries again, where
    // SIGPIPE would have ended the process. The backend owns that connection, so the
    // rule holds for every program that shows windows through it.
    std::signal(SIGPIPE, SIG_IGN);
}

SdlBackend::~SdlBackend() {
    access_.reset();
    for (const TimerId t : s_->timers) sdl::SdlTimers().Stop(t);
    for (auto& [id, w] : s_->windows)
        if (w.Sdl) SDL_DestroyWindow(w.Sdl);
    if (s_->icon) SDL_FreeSurface(s_->icon);
    s_->shell.Reap();
    if (s_->eventsReady) SDL_Quit();
}

WindowId SdlBackend::CreateWindow(const WindowParams& p) {
    const WindowId id = s_->nextWindow++;
    Window& w = s_->windows[id];
    w.Params = p;
    w.Border = s_->FrameFor(p.Style);
    return id;
}

void SdlBackend::DestroyWindow(WindowId id) {
    Window* w = s_->Find(id);
    if (!w) return;
    if (w->Sdl) {
        if (SDL_GetKeyboardFocus() == w->Sdl) s_->focusHandedBack = true;
        s_->bySdl.erase(SDL_GetWindowID(w->Sdl));
        SDL_DestroyWindow(w->Sdl);
    }
    s_->Forget(id);
    s_->windows.erase(id);
    access_->Forget(id);
}

void SdlBackend::SetCaption(WindowId id, const std::string& caption) {
    Window* w = s_->Find(id);
    if (!w) return;
    w->Params.Caption = caption;
    if (w->Sdl) SDL_SetWindowTitle(w->Sdl, caption.c_str());
}

void SdlBackend::SetBounds(WindowId id, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) {
    Window* w = s_->Find(id);
    if (!w) return;
    WindowParams& p = w->Params;
    p.Left = left;
    p.Top = top;
    p.ClientWidth = clientWidth;
    p.ClientHeight = clientHeight;
    if (!w->Sdl) return;
    // SDL waits for the window manager after each change it passes on: pass on real
    // changes only.
    const int32_t width = s_->Up(std::max(clientWidth, 1)), height = s_->Up(std::max(clientHeight, 1));
    const int32_t x = s_->Up(left) + w->Border.Left, y = s_->Up(top) + w->Border.Top;
    int cw = 0, ch = 0, cx = 0, cy = 0;
    SDL_GetWindowSize(w->Sdl, &cw, &ch);
    if (cw != width || ch != height) SDL_SetWindowSize(w->Sdl, width, height);
    SDL_GetWindowPosition(w->Sdl, &cx, &cy);
    if (cx != x || cy != y) SDL_SetWindowPosition(w->Sdl, x, y);
}

void SdlBackend::Show(WindowId id, ShowMode mode) {
    Window* w = s_->Find(id);
    if (!w) return;
    if (mode == ShowMode::Hide) {
        if (w->Sdl && w->Shown) {
            if (SDL_GetKeyboardFocus() == w->Sdl) s_->focusHandedBack = true;
            SDL_HideWindow(w->Sdl);
        }
        w->Shown = false;
        s_->Forget(id);
        return;
    }
    s_->Realise(id, *w);
    if (!w->Shown) {
        // SDL writes its own frame hints while it makes the window: ours go on last.
        if (!w->EverShown) sdl::SetCaptionButtons(w->Sdl, w->Params.Style);
        SDL_ShowWindow(w->Sdl);
        if (!w->EverShown) s_->MeasureFrame(*w, true);
        w->EverShown = true;
        w->Shown = true;
        s_->Forget(id);
        s_->shownOrder.push_back(id);
    }
    if (mode == ShowMode::Minimized) {
        SDL_MinimizeWindow(w->Sdl);
        w->Minimized = true;
    } else if (w->Minimized) {
        SDL_RestoreWindow(w->Sdl);
        w->Minimized = false;
    }
}

void SdlBackend::Enable(WindowId id, bool enabled) {
    if (Window* w = s_->Find(id)) w->Enabled = enabled;
}

void SdlBackend::Activate(WindowId id) { s_->Activate(id); }

TSize SdlBackend::OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) {
    const Frame f = s_->FrameFor(style);
    const int32_t n = s_->scale;
    return {clientWidth + (f.Left + f.Right + n - 1) / n, clientHeight + (f.Top + f.Bottom + n - 1) / n};
}

TRect SdlBackend::ScreenRect() {
    s_->EnsureVideo();
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(0, &r) != 0) return {0, 0, 1024, 768};
    return {s_->Down(r.x), s_->Down(r.y), s_->Down(r.x + r.w), s_->Down(r.y + r.h)};
}

void SdlBackend::Present(WindowId id, const TBitmap& image, const TRect& dirty) {
    Window* w = s_->Find(id);
    if (!w || !w->Sdl || !w->Shown) return;  // the expose after the showing paints it
    SDL_Surface* surface = SDL_GetWindowSurface(w->Sdl);
    if (!surface) return;
    const int32_t n = s_->scale;
    const TRect r =
        dirty.Intersect({0, 0, std::min(image.Width(), surface->w / n), std::min(image.Height(), surface->h / n)});
    if (r.IsEmpty()) return;
    sdl::CopyToSurface(image, r, surface, n);
    const SDL_Rect rect{r.Left * n, r.Top * n, r.Width() * n, r.Height() * n};
    SDL_UpdateWindowSurfaceRects(w->Sdl, &rect, 1);
}

void SdlBackend::PostQuit() {
    s_->quit = true;
    if (!s_->eventsReady) return;
    SDL_Event e{};
    e.type = s_->userEvent;
    e.user.code = sdl::kWake;
    SDL_PushEvent(&e);
}

bool SdlBackend::ProcessEvents(bool wait) {
    sdl::BackendState& s = *s_;
    if (s.quit) return false;
    s.EnsureEvents();
    s.shell.Reap();

    access_->Pump(Sink());
    if (s.quit) return false;

    SDL_Event first;
    const int32_t limit = access_->WaitLimitMs();
    const bool waited = wait && SDL_WaitEventTimeout(&first, limit) == 1;
    if (wait && !waited && limit < 0) SDL_Delay(1);
    // What is queued when the wait ends, and no more: a tick that comes due while a
    // handler runs waits for the next call, so the caller's loop gets to look at its
    // state between batches.
    SDL_PumpEvents();
    int pending = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    // The window system's own events come only while assistive technology listens,
    // each just before what SDL makes of it.
    const auto dispatch = [&](const SDL_Event& e) {
        if (e.type == SDL_SYSWMEVENT) s.keyTaken = access_->KeyTaken(*e.syswm.msg);
        else sdl::Dispatch(s, Sink(), e);
    };
    if (waited) dispatch(first);
    SDL_Event e;
    while (pending-- > 0 && !s.quit && SDL_PollEvent(&e)) dispatch(e);
    return !s.quit;
}

TimerId SdlBackend::StartTimer(uint32_t intervalMs) {
    s_->EnsureEvents();
    const TimerId id = sdl::SdlTimers().Start(intervalMs);
    if (id != 0) s_->timers.insert(id);
    return id;
}

void SdlBackend::StopTimer(TimerId t) {
    if (s_->timers.erase(t)) sdl::SdlTimers().Stop(t);
}

int32_t SdlBackend::MessageBox(WindowId, const std::string& text, const std::string& caption, uint32_t) {
    try {
        s_->EnsureVideo();
    } catch (const Exception&) {
        // No display: the text still reaches whoever started the process.
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return IDOK;
    }
    return 0;
}

bool SdlBackend::ShellExecute(const ShellRequest& r) { return s_->shell.Open(r); }

std::string SdlBackend::ClipboardText() {
    try {
        s_->EnsureVideo();
    } catch (const Exception&) {
        return {};
    }
    char* text = SDL_GetClipboardText();
    std::string out = text ? text : "";
    SDL_free(text);
    return out;
}

void SdlBackend::SetClipboardText(const std::string& text) {
    s_->EnsureVideo();
    SDL_SetClipboardText(text.c_str());
}

void SdlBackend::AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) { access_->TreeChanged(w, tree); }

void SdlBackend::AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange change) {
    access_->NodeChanged(w, node, change);
}

void SdlBackend::AccessibleFocus(WindowId w, int32_t id) { access_->Focus(w, id); }

uint32_t SdlBackend::SdlWindowId(WindowId id) const {
    auto it = s_->windows.find(id);
    return it != s_->windows.end() && it->second.Sdl ? SDL_GetWindowID(it->second.Sdl) : 0;
}

std::unique_ptr<Backend> CreatePlatformBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace forms