#pragma once
// The SDL2 backend: real windows on Linux (X11 or Wayland).
//
// Implements:
//  [x] Windows: created hidden; the SDL window itself is made at the first showing,
//      with the bounds, caption and style the form has then. Never resizable;
//      bsNone borderless; tool windows utility windows kept off the taskbar;
//      stay-on-top always on top; owned windows transient for their owner.
//  [x] Geometry: exact client sizes; positions are outer corners, converted with the
//      frame the window manager reports once a window of that kind has been shown
//      (no frame without a window manager).
//  [x] ScreenRect: the first display's bounds. OuterSize: the frames reported, or
//      classic frame metrics before any was.
//  [x] Mouse: buttons and motion in client coordinates, buttons held in the shift state.
//  [x] Keyboard: SDL keycodes as Windows virtual-key codes, modifiers as the shift
//      state; text input as characters, one per code point; Enter, Escape, Backspace,
//      Tab and Ctrl+letter give their control characters from the key, as the core's
//      ControlCharacter (Input.h) says (SDL never types those, so nothing arrives twice). Alt+F4 closes.
//  [x] Input for disabled or hidden windows reported as it comes: the application drops
//      it (Backend.h). A disabled window that gains the focus hands it to the enabled
//      window shown last.
//  [x] Timers: SDL's timer thread posts an event, the tick runs on the UI thread from
//      ProcessEvents; at most one tick per timer waits in the queue.
//  [x] High DPI (X11): the desktop's whole scale, GDK_SCALE where it is set, else
//      Xft.dpi / 96 rounded. The core sees pixels at 96 dpi; sizes, positions, mouse
//      and screen are converted, and the picture is shown as n × n blocks.
//  [x] Present: the client image copied into the window surface, dirty part only.
//  [x] Expose → Paint of the whole client area; close → CloseRequest; focus →
//      Activated; move → Moved with the outer corner.
//  [ ] Message box: none of its own; the application shows its message form.
//  [x] ShellExecute: the file opened by xdg-open; a program that isn't there has its
//      parameters opened instead (a help viewer with its help file).
//  [x] Clipboard text.
//  [x] The window icon: the 32-pixel image of the .ico the window parameters bring;
//      on X11 its 16-, 24- and 32-pixel images.
//  [x] Caption buttons as the style allows (Motif hints, X11 only); never maximise.
//  [x] SDL's X11 or Wayland drivers only, never one that draws nowhere; Xlib's
//      answer to a wake-up message for a vanished window doesn't end the process.
//  [x] An X display that drops the first connections (its server starting afresh
//      as the previous client left) is tried a few times before it is reported; a
//      write to a connection the display closed fails instead of ending the process
//      (SIGPIPE ignored from construction on).
//  [x] Assistive technology: the windows' descriptions over AT-SPI, through ATK and
//      its bridge, when an accessibility bus is there; requests come back as reports.
//      As a toolkit's AtkUtil: each window's create, activate, deactivate and destroy
//      as it is shown, activated, left and hidden or closed, then the focused control's
//      focus; every key press and release goes to the key listeners first, and a key
//      one of them takes does nothing in the window (X11 only: Wayland's keys never
//      reach them).
//  [ ] StartMinimized: Linux gives a process no such request.
//
// Its units: SdlEvents (SDL's events as reports), SdlTimers (the timer table),
// SdlShell (xdg-open), SdlAccessible (AT-SPI), SdlSurface (the image into the window's pixel format), and the
// parts that need no display: SdlKeys, SdlIcon, SdlX11.
#include <cstdint>
#include <memory>
#include <string>

#include "forms/core/Backend.h"

namespace forms {

namespace sdl {
struct BackendState;
class SdlAccessible;
}  // namespace sdl

class SdlBackend : public Backend {
public:
    SdlBackend();
    ~SdlBackend() override;

    WindowId CreateWindow(const WindowParams& p) override;
    void DestroyWindow(WindowId w) override;
    void SetCaption(WindowId w, const std::string& caption) override;
    void SetBounds(WindowId w, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) override;
    void Show(WindowId w, ShowMode mode) override;
    void Enable(WindowId w, bool enabled) override;
    void Activate(WindowId w) override;
    TSize OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) override;
    TRect ScreenRect() override;
    void Present(WindowId w, const TBitmap& image, const TRect& dirty) override;
    bool ProcessEvents(bool wait) override;
    void PostQuit() override;
    TimerId StartTimer(uint32_t intervalMs) override;
    void StopTimer(TimerId t) override;
    // No message box of its own (0), or the text on the standard error without a display.
    int32_t MessageBox(WindowId owner, const std::string& text, const std::string& caption, uint32_t flags) override;
    bool ShellExecute(const ShellRequest& r) override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    // Served over AT-SPI when an accessibility bus is there (SdlAccessible).
    void AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) override;
    void AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange change) override;
    void AccessibleFocus(WindowId w, int32_t id) override;

    // The SDL window of one of ours, for tests that look at it from outside; 0 while
    // it has none.
    uint32_t SdlWindowId(WindowId w) const;

private:
    std::unique_ptr<sdl::BackendState> s_;
    std::unique_ptr<sdl::SdlAccessible> access_;
};

}  // namespace forms
