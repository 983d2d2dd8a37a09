#pragma once
// What the win32 backend's files share: its state, and Windows' own headers. Nothing
// outside the backend includes it.
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "Win32Accessible.h"
#include "Win32Backend.h"
#include "base/Utf8.h"
#include "forms/graphics/gdi/GdiCanvas.h"

// After the library's headers: <windows.h> turns names such as RGB and VK_RETURN into
// macros, and three of the backend's own members into the system's functions.
#include <windows.h>
#include <shellapi.h>
#include <ole2.h>
#undef CreateWindow
#undef MessageBox
#undef ShellExecute

namespace forms {

namespace win32 {

inline HWND Hwnd(WindowId w) { return reinterpret_cast<HWND>(w); }
inline WindowId Id(HWND h) { return reinterpret_cast<WindowId>(h); }

// The window procedures of the form windows and of the timers' message-only window.
LRESULT CALLBACK WindowProc(HWND h, UINT m, WPARAM wp, LPARAM lp);
LRESULT CALLBACK TimerProc(HWND h, UINT m, WPARAM wp, LPARAM lp);

}  // namespace win32

struct Win32Backend::State {
    struct Window {
        WindowStyle Style;
        std::unique_ptr<TGdiBitmap> Image;  // the last presented client image
        base::Utf16Decoder Typed{false};    // WM_CHAR's units: typed text, not a name
        std::unique_ptr<Win32Accessibility> Accessible;
    };

    Win32Backend* Self = nullptr;
    HINSTANCE Instance = nullptr;
    HWND Timers = nullptr;  // message-only: owns the timers and the clipboard
    std::map<HWND, Window> Windows;
    std::set<UINT_PTR> RunningTimers;
    UINT_PTR NextTimer = 1;
    HICON BigIcon = nullptr;
    HICON SmallIcon = nullptr;
    HWND Painting = nullptr;  // a window whose WM_PAINT waits for the sink's first image
    bool Quit = false;
    bool Com = false;  // whether this thread's COM is ours to end
    std::exception_ptr Error;

    template <class F>
    void Report(F&& f) {
        EventSink* sink = Self->Sink();
        if (!sink) return;
        try {
            f(*sink);
        } catch (...) {
            if (!Error) Error = std::current_exception();
        }
    }

    void Dispatch(MSG& msg) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (Error) {
            std::exception_ptr e = Error;
            Error = nullptr;
            std::rethrow_exception(e);
        }
    }

    // Win32Events.cpp: Windows' messages as the sink's events.
    void PaintWindow(HWND h);
    LRESULT WindowMessage(HWND h, UINT m, WPARAM wp, LPARAM lp);
    LRESULT TimerMessage(HWND h, UINT m, WPARAM wp, LPARAM lp);
    // WindowMessage's families: each answers a message it handles to the end, and
    // nothing for one the system's default handling is to finish.
    std::optional<LRESULT> FrameMessage(HWND h, UINT m, WPARAM wp);
    std::optional<LRESULT> MouseMessage(HWND h, UINT m, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> KeyMessage(Window& window, HWND h, UINT m, WPARAM wp);
    std::optional<LRESULT> AccessibleMessage(Window& window, HWND h, UINT m, WPARAM wp, LPARAM lp);
};

}  // namespace forms
