#include "Win32Backend.h"

#include "Win32Accessible.h"

#include <cstring>
#include <cwchar>
#include <exception>
#include <map>
#include <set>
#include <stdexcept>

#include "base/Utf8.h"
#include "../PlatformBackend.h"
#include "../../graphics/gdi/GdiCanvas.h"

// After the library's headers: <windows.h> turns names such as RGB and VK_RETURN into
// macros, and three of the backend's own members into the system's functions.
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>
#include <ole2.h>
#undef CreateWindow
#undef MessageBox
#undef ShellExecute

namespace forms {
namespace {

constexpr wchar_t kWindowClass[] = L"FormsWindow";
constexpr wchar_t kTimerClass[] = L"FormsTimers";
constexpr wchar_t kIconName[] = L"MAINICON";
constexpr char32_t kReplacement = U'\xFFFD';

std::wstring Wide(const std::string& text) {
    const std::u16string wide = base::Utf8ToUtf16(text);
    return {wide.begin(), wide.end()};
}

std::string Utf8(const wchar_t* text, size_t length) {
    return base::Utf16ToUtf8({reinterpret_cast<const char16_t*>(text), length});
}

HWND Hwnd(WindowId w) { return reinterpret_cast<HWND>(w); }
WindowId Id(HWND h) { return reinterpret_cast<WindowId>(h); }

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
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    return s;
}

SIZE OuterOf(const Win32Backend::NativeStyle& ns, int32_t clientWidth, int32_t clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, ns.Style, FALSE, ns.ExStyle);
    return {r.right - r.left, r.bottom - r.top};
}

// Colours are the running desktop's, as on every canvas of this build.
uint32_t DesktopColor(int index) { return static_cast<uint32_t>(GetSysColor(index)); }

LRESULT CALLBACK WindowProc(HWND h, UINT m, WPARAM wp, LPARAM lp);
LRESULT CALLBACK TimerProc(HWND h, UINT m, WPARAM wp, LPARAM lp);

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("Cannot register the window class");
}

}  // namespace

struct Win32Backend::State {
    struct Window {
        WindowStyle Style;
        std::unique_ptr<TGdiBitmap> Image;  // the last presented client image
        wchar_t PendingHigh = 0;            // the first half of a surrogate pair typed
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

    void PaintWindow(HWND h) {
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

    LRESULT WindowMessage(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        auto it = Windows.find(h);
        if (it == Windows.end()) return DefWindowProcW(h, m, wp, lp);  // still being created
        const WindowId w = Id(h);
        const int32_t x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
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
                break;  // the default handling gives the window the keyboard focus
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
                break;
            }
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN: {
                const TMouseButton b = m == WM_LBUTTONDOWN   ? TMouseButton::mbLeft
                                       : m == WM_RBUTTONDOWN ? TMouseButton::mbRight
                                                             : TMouseButton::mbMiddle;
                SetCapture(h);  // the button's release comes here, wherever it happens
                Report([&](EventSink& s) { s.MouseDown(w, b, MouseShift(wp), x, y); });
                return 0;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                const TMouseButton b = m == WM_LBUTTONUP   ? TMouseButton::mbLeft
                                       : m == WM_RBUTTONUP ? TMouseButton::mbRight
                                                           : TMouseButton::mbMiddle;
                if ((wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == h) ReleaseCapture();
                Report([&](EventSink& s) { s.MouseUp(w, b, MouseShift(wp), x, y); });
                return 0;
            }
            case WM_MOUSEMOVE:
                Report([&](EventSink& s) { s.MouseMove(w, MouseShift(wp), x, y); });
                return 0;
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: {
                const auto key = static_cast<uint16_t>(wp);
                Report([&](EventSink& s) { s.KeyDown(w, key, KeyShift()); });
                if (m == WM_KEYDOWN) return 0;
                break;  // Alt+F4, Alt+Space: the system's
            }
            case WM_KEYUP:
            case WM_SYSKEYUP: {
                const auto key = static_cast<uint16_t>(wp);
                Report([&](EventSink& s) { s.KeyUp(w, key, KeyShift()); });
                if (m == WM_KEYUP) return 0;
                break;
            }
            case WM_CHAR: {
                // Characters outside the BMP come as two WM_CHARs, high half first. A
                // half without its partner is no character: it arrives as U+FFFD.
                const auto unit = static_cast<wchar_t>(wp);
                const wchar_t high = it->second.PendingHigh;
                it->second.PendingHigh = 0;
                char32_t c = unit;
                if (unit >= 0xD800 && unit < 0xDC00) {
                    it->second.PendingHigh = unit;
                    if (!high) return 0;
                    c = kReplacement;  // an earlier high half that no low half followed
                } else if (unit >= 0xDC00 && unit < 0xE000) {
                    c = high ? 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00)
                             : kReplacement;
                } else if (high) {
                    Report([&](EventSink& s) { s.Char(w, kReplacement); });
                }
                Report([&](EventSink& s) { s.Char(w, c); });
                return 0;
            }
            case WM_GETOBJECT:
                if (const LRESULT object = it->second.Accessible->Answer(wp, lp)) return object;
                break;
            case kAccessibleActionMessage: {
                const auto id = static_cast<int32_t>(wp);
                if (lp == kActionFocus)
                    Report([&](EventSink& s) { s.TakeFocus(w, id); });
                else
                    Report([&](EventSink& s) { s.DoDefaultAction(w, id); });
                return 0;
            }
            case WM_NCDESTROY:
                Windows.erase(it);
                break;
            default:
                break;
        }
        return DefWindowProcW(h, m, wp, lp);
    }

    LRESULT TimerMessage(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_TIMER) {
            // A tick queued before its timer was stopped is dropped.
            if (RunningTimers.count(static_cast<UINT_PTR>(wp)))
                Report([&](EventSink& s) { s.Timer(static_cast<TimerId>(wp)); });
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
};

namespace {

Win32Backend::State* StateOf(HWND h, UINT m, LPARAM lp) {
    if (m == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<Win32Backend::State*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

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

}  // namespace

Win32Backend::NativeStyle Win32Backend::StyleOf(const WindowStyle& style) {
    NativeStyle ns;
    bool boxes = false;  // whether the caption can show the minimise and maximise boxes
    switch (style.Border) {
        case TBorderStyle::bsNone:
            ns.Style = WS_POPUP;
            break;
        case TBorderStyle::bsSingle:
            ns.Style = WS_CAPTION;
            boxes = true;
            break;
        case TBorderStyle::bsSizeable:
            ns.Style = WS_CAPTION | WS_THICKFRAME;
            boxes = true;
            break;
        case TBorderStyle::bsDialog:
            ns.Style = WS_CAPTION;
            ns.ExStyle = WS_EX_DLGMODALFRAME;
            break;
        case TBorderStyle::bsToolWindow:
            ns.Style = WS_CAPTION;
            ns.ExStyle = WS_EX_TOOLWINDOW;
            break;
        case TBorderStyle::bsSizeToolWin:
            ns.Style = WS_CAPTION | WS_THICKFRAME;
            ns.ExStyle = WS_EX_TOOLWINDOW;
            break;
    }
    // The boxes live on the system menu's caption: without it Windows shows none.
    if (style.Border != TBorderStyle::bsNone && style.SystemMenu) {
        ns.Style |= WS_SYSMENU;
        if (boxes && style.MinimizeBox) ns.Style |= WS_MINIMIZEBOX;
        if (boxes && style.MaximizeBox) ns.Style |= WS_MAXIMIZEBOX;
    }
    if (style.StayOnTop) ns.ExStyle |= WS_EX_TOPMOST;
    return ns;
}

Win32Backend::Win32Backend() : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.Self = this;
    s.Instance = GetModuleHandleW(nullptr);
    // COM marshals the accessible objects; it must run before the first WM_GETOBJECT.
    s.Com = SUCCEEDED(OleInitialize(nullptr));
    SetSystemColorSource(&DesktopColor);
    RegisterWindowClass(s.Instance, kWindowClass, &WindowProc);
    RegisterWindowClass(s.Instance, kTimerClass, &TimerProc);
    s.Timers = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, s.Instance, &s);
    if (!s.Timers) throw std::runtime_error("Cannot create the timer window");
    // An executable without the icon resource (a test) keeps Windows' default icon.
    s.BigIcon = static_cast<HICON>(LoadImageW(s.Instance, kIconName, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    s.SmallIcon = static_cast<HICON>(LoadImageW(s.Instance, kIconName, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

Win32Backend::~Win32Backend() {
    State& s = *state_;
    while (!s.Windows.empty()) {
        HWND h = s.Windows.begin()->first;
        ::DestroyWindow(h);
        s.Windows.erase(h);  // WM_NCDESTROY has done so unless the window was already gone
    }
    for (UINT_PTR id : s.RunningTimers) KillTimer(s.Timers, id);
    ::DestroyWindow(s.Timers);
    if (s.BigIcon) DestroyIcon(s.BigIcon);
    if (s.SmallIcon) DestroyIcon(s.SmallIcon);
    if (s.Com) OleUninitialize();
}

WindowId Win32Backend::CreateWindow(const WindowParams& p) {
    State& s = *state_;
    const NativeStyle ns = StyleOf(p.Style);
    const SIZE outer = OuterOf(ns, p.ClientWidth, p.ClientHeight);
    const std::wstring caption = Wide(p.Caption);
    HWND h = CreateWindowExW(ns.ExStyle, kWindowClass, caption.c_str(), ns.Style, p.Left, p.Top, outer.cx, outer.cy,
                             Hwnd(p.Owner), nullptr, s.Instance, &s);
    if (!h) throw std::runtime_error("Cannot create a window");
    s.Windows[h].Style = p.Style;
    s.Windows[h].Accessible = std::make_unique<Win32Accessibility>(h);
    if (p.HasIcon) {
        if (s.BigIcon) SendMessageW(h, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(s.BigIcon));
        if (s.SmallIcon) SendMessageW(h, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(s.SmallIcon));
    }
    return Id(h);
}

void Win32Backend::DestroyWindow(WindowId w) {
    // An owned window is gone already when its owner went first.
    if (state_->Windows.count(Hwnd(w))) ::DestroyWindow(Hwnd(w));
}

void Win32Backend::SetCaption(WindowId w, const std::string& caption) {
    if (!state_->Windows.count(Hwnd(w))) return;
    SetWindowTextW(Hwnd(w), Wide(caption).c_str());
}

void Win32Backend::SetBounds(WindowId w, int32_t left, int32_t top, int32_t clientWidth, int32_t clientHeight) {
    auto it = state_->Windows.find(Hwnd(w));
    if (it == state_->Windows.end()) return;
    const SIZE outer = OuterOf(StyleOf(it->second.Style), clientWidth, clientHeight);
    SetWindowPos(Hwnd(w), nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Backend::Show(WindowId w, ShowMode mode) {
    HWND h = Hwnd(w);
    if (!state_->Windows.count(h)) return;
    switch (mode) {
        case ShowMode::Hide:
            ShowWindow(h, SW_HIDE);
            break;
        case ShowMode::Normal:
            ShowWindow(h, IsIconic(h) ? SW_RESTORE : SW_SHOW);
            break;
        case ShowMode::Minimized:
            ShowWindow(h, SW_MINIMIZE);
            break;
    }
}

void Win32Backend::Enable(WindowId w, bool enabled) {
    if (state_->Windows.count(Hwnd(w))) EnableWindow(Hwnd(w), enabled ? TRUE : FALSE);
}

void Win32Backend::Activate(WindowId w) {
    HWND h = Hwnd(w);
    if (!state_->Windows.count(h) || !IsWindowVisible(h) || !IsWindowEnabled(h)) return;
    // Already active: asking again would report the activation once more.
    if (GetActiveWindow() != h) SetActiveWindow(h);
}

TSize Win32Backend::OuterSize(const WindowStyle& style, int32_t clientWidth, int32_t clientHeight) {
    const SIZE outer = OuterOf(StyleOf(style), clientWidth, clientHeight);
    return {outer.cx, outer.cy};
}

TRect Win32Backend::ScreenRect() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

void Win32Backend::Present(WindowId w, const TBitmap& image, const TRect& dirty) {
    State& s = *state_;
    HWND h = Hwnd(w);
    auto it = s.Windows.find(h);
    if (it == s.Windows.end() || image.Width() <= 0 || image.Height() <= 0) return;
    std::unique_ptr<TGdiBitmap>& kept = it->second.Image;
    TRect area = dirty.Intersect({0, 0, image.Width(), image.Height()});
    if (!kept || kept->Width() != image.Width() || kept->Height() != image.Height()) {
        // The form's image is whole at every present: a new copy takes all of it.
        kept = std::make_unique<TGdiBitmap>(image.Width(), image.Height());
        area = {0, 0, image.Width(), image.Height()};
    }
    if (area.IsEmpty()) return;
    if (const auto* gdi = dynamic_cast<const TGdiBitmap*>(&image)) {
        BitBlt(kept->DC(), area.Left, area.Top, area.Width(), area.Height(), gdi->DC(), area.Left, area.Top, SRCCOPY);
    } else {
        const uint32_t* src = image.Bits();
        uint32_t* dst = kept->Bits();
        const auto width = static_cast<size_t>(image.Width());
        for (int32_t row = area.Top; row < area.Bottom; ++row)
            std::memcpy(dst + static_cast<size_t>(row) * width + static_cast<size_t>(area.Left),
                        src + static_cast<size_t>(row) * width + static_cast<size_t>(area.Left),
                        static_cast<size_t>(area.Width()) * sizeof(uint32_t));
    }
    if (s.Painting == h) return;  // the WM_PAINT in progress copies it to the screen
    const RECT r{area.Left, area.Top, area.Right, area.Bottom};
    InvalidateRect(h, &r, FALSE);
    UpdateWindow(h);
}

bool Win32Backend::ProcessEvents(bool wait) {
    State& s = *state_;
    if (s.Quit) return false;
    const DWORD start = GetTickCount();
    MSG msg;
    if (wait) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            s.Quit = true;
            return false;
        }
        s.Dispatch(msg);
    }
    while (!s.Quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            s.Quit = true;
            break;
        }
        s.Dispatch(msg);
        // A tick that fell due after the call began ends it, so a timer faster than
        // its own handler cannot keep the call from returning.
        if (msg.message == WM_TIMER && static_cast<LONG>(msg.time - start) > 0) break;
    }
    return !s.Quit;
}

void Win32Backend::PostQuit() {
    state_->Quit = true;
    PostQuitMessage(0);
}

TimerId Win32Backend::StartTimer(uint32_t intervalMs) {
    State& s = *state_;
    const UINT_PTR id = s.NextTimer++;
    if (!SetTimer(s.Timers, id, intervalMs, nullptr)) return 0;
    s.RunningTimers.insert(id);
    return static_cast<TimerId>(id);
}

void Win32Backend::StopTimer(TimerId t) {
    State& s = *state_;
    if (s.RunningTimers.erase(static_cast<UINT_PTR>(t))) KillTimer(s.Timers, static_cast<UINT_PTR>(t));
}

int32_t Win32Backend::MessageBox(WindowId owner, const std::string& text, const std::string& caption, uint32_t flags) {
    return MessageBoxW(Hwnd(owner), Wide(text).c_str(), Wide(caption).c_str(), flags);
}

bool Win32Backend::ShellExecute(const ShellRequest& r) {
    const std::wstring verb = Wide(r.Verb), file = Wide(r.File), parameters = Wide(r.Parameters),
                       directory = Wide(r.Directory);
    HINSTANCE result = ShellExecuteW(Hwnd(r.Owner), verb.empty() ? nullptr : verb.c_str(), file.c_str(),
                                     parameters.empty() ? nullptr : parameters.c_str(),
                                     directory.empty() ? nullptr : directory.c_str(), r.ShowCommand);
    // Windows' convention: a value above 32 is success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Backend::StartMinimized() {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    GetStartupInfoW(&si);
    if (!(si.dwFlags & STARTF_USESHOWWINDOW)) return false;
    return si.wShowWindow == SW_SHOWMINIMIZED || si.wShowWindow == SW_MINIMIZE || si.wShowWindow == SW_SHOWMINNOACTIVE;
}

std::string Win32Backend::ClipboardText() {
    if (!OpenClipboard(state_->Timers)) return {};
    std::string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Utf8(p, std::wcslen(p));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void Win32Backend::SetClipboardText(const std::string& text) {
    const std::wstring wide = Wide(text);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!data) return;
    if (auto* p = static_cast<wchar_t*>(GlobalLock(data))) {
        std::memcpy(p, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(data);
    }
    if (!OpenClipboard(state_->Timers)) {
        GlobalFree(data);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);  // otherwise the system owns it
    CloseClipboard();
}

void Win32Backend::AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) {
    auto it = state_->Windows.find(Hwnd(w));
    if (it != state_->Windows.end()) it->second.Accessible->TreeChanged(tree);
}

void Win32Backend::AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange what) {
    auto it = state_->Windows.find(Hwnd(w));
    if (it != state_->Windows.end()) it->second.Accessible->NodeChanged(node, what);
}

void Win32Backend::AccessibleFocus(WindowId w, int32_t id) {
    auto it = state_->Windows.find(Hwnd(w));
    if (it != state_->Windows.end()) it->second.Accessible->FocusChanged(id);
}

std::unique_ptr<Backend> CreatePlatformBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace forms
