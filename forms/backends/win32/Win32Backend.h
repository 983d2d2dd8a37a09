#pragma once
// The win32 backend: the real Windows user interface.
//
// Implements:
//  [x] Windows: created hidden, with the styles the form asks for: bsNone a popup;
//      bsSingle a caption without sizing frame; bsSizeable a sizing frame; bsDialog a
//      dialog frame; the tool-window styles WS_EX_TOOLWINDOW; the system menu, the
//      minimise and the maximise box as the border icons say (boxes only on bsSingle
//      and bsSizeable, as Windows shows them nowhere else); stay on top WS_EX_TOPMOST;
//      owned windows owned by their owner's window.
//  [x] Geometry: exact client sizes through AdjustWindowRectEx; positions are outer
//      corners. ScreenRect: the primary screen. OuterSize: the same frames.
//  [x] The tool's icon: the executable's icon resource "MAINICON", big and small.
//  [x] Mouse: buttons and motion in client coordinates, captured while a button is
//      held, buttons and Shift/Ctrl/Alt as the shift state.
//  [x] Keyboard: WM_KEYDOWN/WM_SYSKEYDOWN and their key-ups as virtual keys;
//      WM_CHAR's UTF-16 units as characters, a surrogate pair as one character, a
//      half without its partner as U+FFFD (base::Utf16Decoder for typed text).
//      System keys (Alt+F4, Alt+Space) keep their default handling.
//  [x] Timers: SetTimer on a message-only window; Windows raises intervals below
//      10 ms to 10 ms. Ticks are messages: they also run inside modal system loops.
//  [x] Enable: EnableWindow, for modal showing.
//  [x] Present: the image is kept per window and copied to the screen by BitBlt in
//      WM_PAINT; before a window's first image, WM_PAINT asks the sink to Paint.
//  [x] WM_CLOSE → CloseRequest (the window stays); WM_ACTIVATE → Activated;
//      WM_MOVE → Moved with the outer corner; WM_SYSCOLORCHANGE → Paint of the whole
//      client area, so a new colour scheme shows at once.
//  [x] MessageBox: the system's MessageBoxW, owned by the given window, flags as given.
//  [x] ShellExecute: ShellExecuteW; true when the system reports success.
//  [x] Clipboard: CF_UNICODETEXT.
//  [x] System colours: GetSysColor is the colour source from construction on
//      (UseDesktopSystemColors, which the Windows canvas also calls at start-up).
//  [x] StartMinimized: the start-up information's show command asks for a minimised
//      window (SW_SHOWMINIMIZED, SW_MINIMIZE or SW_SHOWMINNOACTIVE).
//  [x] Accessibility: the window's client object for MSAA (Win32Accessible.h), its
//      changes raised as WinEvents; a default action posted and run like a click.
//  [ ] Double clicks arrive as two clicks; no form asks for them.
//
// An error thrown by the sink inside a window procedure never crosses Windows' frames:
// it is thrown again by ProcessEvents once the message's dispatch has returned.
#include <cstdint>
#include <memory>
#include <string>

#include "forms/core/Backend.h"

namespace forms {

class Win32Backend : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

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
    int32_t MessageBox(WindowId owner, const std::string& text, const std::string& caption, uint32_t flags) override;
    bool ShellExecute(const ShellRequest& r) override;
    bool StartMinimized() override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;
    void AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) override;
    void AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange what) override;
    void AccessibleFocus(WindowId w, int32_t id) override;

    // The window styles (style, extended style) a form's WindowStyle asks for.
    struct NativeStyle {
        uint32_t Style = 0;
        uint32_t ExStyle = 0;
    };
    static NativeStyle StyleOf(const WindowStyle& style);

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace forms
