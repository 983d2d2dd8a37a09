// Windows' messages as the sink's events: the form windows' procedure and the timers'.
#include "Win32State.h"

#include <windowsx.h>

namespace forms {

using win32::Id;

namespace {

TShiftState KeyShift() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState MouseShift(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (keys & MK_LBUTTON) s |= ButtonShift(TMouseButton::mbLeft);
    if (keys & MK_RBUTTON) s |= ButtonShift(TMouseButton::mbRight);
    if (keys & MK_MBUTTON) s |= ButtonShift(TMouseButton::mbMiddle);
    return s;
}

// The button of a press or release message.
TMouseButton ButtonOf(UINT m) {
    switch (m) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return TMouseButton::mbLeft;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return TMouseButton::mbRight;
        default:
            return TMouseButton::mbMiddle;
    }
}

Win32Backend::State* StateOf(HWND h, UINT m, LPARAM lp) {
    if (m == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<Win32Backend::State*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

}  // namespace

void Win32Backend::State::PaintWindow(HWND h) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    const RECT area = ps.rcPaint;
    auto it = Windows.find(h);
    if (it != Windows.end() && !it->second.Image) {
        HWND outer = Painting;
        Painting = h;
        Report([&](EventSink& s) { s.Paint(Id(h), {area.left, area.top, area.right, area.bottom}); });
        Painting = outer;
        it = Windows.find(h);
    }
    const TGdiBitmap* image = it != Windows.end() ? it->second.Image.get() : nullptr;
    if (image) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, image->DC(), area.left,
               area.top, SRCCOPY);
    }
    // What no image covers (none yet, or a window larger than its image).
    HRGN rest = CreateRectRgn(area.left, area.top, area.right, area.bottom);
    if (image) {
        HRGN covered = CreateRectRgn(0, 0, image->Width(), image->Height());
        CombineRgn(rest, rest, covered, RGN_DIFF);
        DeleteObject(covered);
    }
    FillRgn(dc, rest, GetSysColorBrush(COLOR_BTNFACE));
    DeleteObject(rest);
    EndPaint(h, &ps);
}

LRESULT Win32Backend::State::WindowMessage(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    const auto it = Windows.find(h);
    if (it == Windows.end()) return DefWindowProcW(h, m, wp, lp);  // still being created
    std::optional<LRESULT> answer;
    if (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) answer = MouseMessage(h, m, wp, lp);
    else if (m >= WM_KEYFIRST && m <= WM_KEYLAST) answer = KeyMessage(it->second, h, m, wp);
    else if (m == WM_GETOBJECT || m == kAccessibleActionMessage) answer = AccessibleMessage(it->second, h, m, wp, lp);
    else answer = FrameMessage(h, m, wp);
    return answer ? *answer : DefWindowProcW(h, m, wp, lp);
}

std::optional<LRESULT> Win32Backend::State::FrameMessage(HWND h, UINT m, WPARAM wp) {
    const WindowId w = Id(h);
    switch (m) {
        case WM_PAINT:
            PaintWindow(h);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_CLOSE:
            Report([&](EventSink& s) { s.CloseRequest(w); });
            return 0;
        case WM_ACTIVATE:
            Report([&](EventSink& s) { s.Activated(w, LOWORD(wp) != WA_INACTIVE); });
            return std::nullopt;  // the default handling gives the window the keyboard focus
        case WM_MOVE:
            if (!IsIconic(h)) {
                RECT r;
                GetWindowRect(h, &r);
                Report([&](EventSink& s) { s.Moved(w, r.left, r.top); });
            }
            return 0;
        case WM_SYSCOLORCHANGE: {
            RECT r;
            GetClientRect(h, &r);
            Report([&](EventSink& s) { s.Paint(w, {0, 0, r.right, r.bottom}); });
            return std::nullopt;
        }
        case WM_NCDESTROY:
            Windows.erase(h);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::optional<LRESULT> Win32Backend::State::MouseMessage(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    const WindowId w = Id(h);
    const int32_t x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    switch (m) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const TMouseButton b = ButtonOf(m);
            SetCapture(h);  // the button's release comes here, wherever it happens
            Report([&](EventSink& s) { s.MouseDown(w, b, MouseShift(wp), x, y); });
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const TMouseButton b = ButtonOf(m);
            if ((wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == h) ReleaseCapture();
            Report([&](EventSink& s) { s.MouseUp(w, b, MouseShift(wp), x, y); });
            return 0;
        }
        case WM_MOUSEMOVE:
            Report([&](EventSink& s) { s.MouseMove(w, MouseShift(wp), x, y); });
            return 0;
        default:
            return std::nullopt;
    }
}

std::optional<LRESULT> Win32Backend::State::KeyMessage(Window& window, HWND h, UINT m, WPARAM wp) {
    const WindowId w = Id(h);
    switch (m) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            const auto key = static_cast<uint16_t>(wp);
            Report([&](EventSink& s) { s.KeyDown(w, key, KeyShift()); });
            if (m == WM_KEYDOWN) return 0;
            return std::nullopt;  // Alt+F4, Alt+Space: the system's
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const auto key = static_cast<uint16_t>(wp);
            Report([&](EventSink& s) { s.KeyUp(w, key, KeyShift()); });
            if (m == WM_KEYUP) return 0;
            return std::nullopt;
        }
        case WM_CHAR: {
            // Characters outside the BMP come as two WM_CHARs, high half first. A copy:
            // a handler may destroy the window, and its decoder with it.
            const std::u32string typed(window.Typed.Step(static_cast<char16_t>(wp)));
            for (const char32_t c : typed) Report([&](EventSink& s) { s.Char(w, c); });
            return 0;
        }
        default:
            return std::nullopt;
    }
}

std::optional<LRESULT> Win32Backend::State::AccessibleMessage(Window& window, HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETOBJECT) {
        if (const LRESULT object = window.Accessible->Answer(wp, lp)) return object;
        return std::nullopt;
    }
    const auto id = static_cast<int32_t>(wp);
    if (lp == kActionFocus) Report([&](EventSink& s) { s.TakeFocus(Id(h), id); });
    else Report([&](EventSink& s) { s.DoDefaultAction(Id(h), id); });
    return 0;
}

LRESULT Win32Backend::State::TimerMessage(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_TIMER) {
        Report([&](EventSink& s) { s.Timer(static_cast<TimerId>(wp)); });
        return 0;
    }
    return DefWindowProcW(h, m, wp, lp);
}

namespace win32 {

LRESULT CALLBACK WindowProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETMINMAXINFO) {
        // Windows would widen a captioned window to its smallest tracking size; a form's
        // client size is exact, however small. Asked before WM_NCCREATE, so for all.
        DefWindowProcW(h, m, wp, lp);
        reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {1, 1};
        return 0;
    }
    Win32Backend::State* state = StateOf(h, m, lp);
    return state ? state->WindowMessage(h, m, wp, lp) : DefWindowProcW(h, m, wp, lp);
}

LRESULT CALLBACK TimerProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    Win32Backend::State* state = StateOf(h, m, lp);
    return state ? state->TimerMessage(h, m, wp, lp) : DefWindowProcW(h, m, wp, lp);
}

}  // namespace win32

}  // namespace forms
