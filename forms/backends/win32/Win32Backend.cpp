#include "Win32Backend.h"

#include "forms/backends/PlatformBackend.h"
#include "forms/core/Exceptions.h"
#include "Win32State.h"

namespace forms {

using win32::Hwnd;
using win32::Id;

namespace {

constexpr wchar_t kWindowClass[] = L"FormsWindow";
constexpr wchar_t kTimerClass[] = L"FormsTimers";
constexpr wchar_t kIconName[] = L"MAINICON";

SIZE OuterOf(const Win32Backend::NativeStyle& ns, int32_t clientWidth, int32_t clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, ns.Style, FALSE, ns.ExStyle);
    return {r.right - r.left, r.bottom - r.top};
}

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("Cannot register the window class");
}

}  // namespace

Win32Backend::NativeStyle Win32Backend::StyleOf(const WindowStyle& style) {
    NativeStyle ns;
    switch (style.Border) {
        case TBorderStyle::bsNone:
            ns.Style = WS_POPUP;
            break;
        case TBorderStyle::bsSingle:
            ns.Style = WS_CAPTION;
            break;
        case TBorderStyle::bsSizeable:
            ns.Style = WS_CAPTION | WS_THICKFRAME;
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
    if (style.Border != TBorderStyle::bsNone && style.SystemMenu) ns.Style |= WS_SYSMENU;
    if (ShowsMinimizeBox(style)) ns.Style |= WS_MINIMIZEBOX;
    if (ShowsMaximizeBox(style)) ns.Style |= WS_MAXIMIZEBOX;
    if (style.StayOnTop) ns.ExStyle |= WS_EX_TOPMOST;
    return ns;
}

Win32Backend::Win32Backend() : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.Self = this;
    s.Instance = GetModuleHandleW(nullptr);
    // COM marshals the accessible objects; it must run before the first WM_GETOBJECT.
    s.Com = SUCCEEDED(OleInitialize(nullptr));
    UseDesktopSystemColors();
    RegisterWindowClass(s.Instance, kWindowClass, &win32::WindowProc);
    RegisterWindowClass(s.Instance, kTimerClass, &win32::TimerProc);
    s.Timers = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, s.Instance, &s);
    if (!s.Timers) throw Exception("Cannot create the timer window");
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
    const std::wstring caption = base::Utf8ToWide(p.Caption);
    HWND h = CreateWindowExW(ns.ExStyle, kWindowClass, caption.c_str(), ns.Style, p.Left, p.Top, outer.cx, outer.cy,
                             Hwnd(p.Owner), nullptr, s.Instance, &s);
    if (!h) throw Exception("Cannot create a window");
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
    SetWindowTextW(Hwnd(w), base::Utf8ToWide(caption).c_str());
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
        CopyPixels(image, area, *kept);
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
    return MessageBoxW(Hwnd(owner), base::Utf8ToWide(text).c_str(), base::Utf8ToWide(caption).c_str(), flags);
}

bool Win32Backend::ShellExecute(const ShellRequest& r) {
    const std::wstring verb = base::Utf8ToWide(r.Verb), file = base::Utf8ToWide(r.File),
                       parameters = base::Utf8ToWide(r.Parameters), directory = base::Utf8ToWide(r.Directory);
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

void Win32Backend::AccessibleTreeChanged(WindowId w, const AccessibleTree& tree) {
    auto it = state_->Windows.find(win32::Hwnd(w));
    if (it != state_->Windows.end()) it->second.Accessible->TreeChanged(tree);
}

void Win32Backend::AccessibleNodeChanged(WindowId w, const AccessibleNode& node, AccessibleChange what) {
    auto it = state_->Windows.find(win32::Hwnd(w));
    if (it != state_->Windows.end()) it->second.Accessible->NodeChanged(node, what);
}

void Win32Backend::AccessibleFocus(WindowId w, int32_t id) {
    auto it = state_->Windows.find(win32::Hwnd(w));
    if (it != state_->Windows.end()) it->second.Accessible->FocusChanged(id);
}

std::unique_ptr<Backend> CreatePlatformBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace forms
