// The win32 backend's windows: styles, geometry, icon, painting, input, activation
// and timers.
#include <initializer_list>

#include "Win32BackendSupport.h"

using namespace win32test;

namespace {

// ---- styles, without windows ----

TEST(Win32Style, EachFormStyleGetsItsWindowStyles) {
    struct Case {
        const char* label;
        WindowStyle style;
        uint32_t expectStyle;
        uint32_t expectEx;
    };
    const Case table[] = {
        {"single border, no maximise box (the main window)", Style(TBorderStyle::bsSingle, true, true, false),
         WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0},
        {"sizeable, every icon", Style(TBorderStyle::bsSizeable),
         WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0},
        {"no border: a popup, no system menu", Style(TBorderStyle::bsNone), WS_POPUP, 0},
        {"dialog: no boxes even when asked", Style(TBorderStyle::bsDialog), WS_CAPTION | WS_SYSMENU,
         WS_EX_DLGMODALFRAME},
        {"tool window", Style(TBorderStyle::bsToolWindow), WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW},
        {"sizeable tool window", Style(TBorderStyle::bsSizeToolWin), WS_CAPTION | WS_THICKFRAME | WS_SYSMENU,
         WS_EX_TOOLWINDOW},
        {"single border without system menu: no boxes", Style(TBorderStyle::bsSingle, false), WS_CAPTION, 0},
        {"stay on top", Style(TBorderStyle::bsSingle, true, false, false, true), WS_CAPTION | WS_SYSMENU,
         WS_EX_TOPMOST},
        {"tool window on top", Style(TBorderStyle::bsToolWindow, true, true, true, true), WS_CAPTION | WS_SYSMENU,
         WS_EX_TOOLWINDOW | WS_EX_TOPMOST},
    };
    for (const Case& c : table) {
        const Win32Backend::NativeStyle ns = Win32Backend::StyleOf(c.style);
        EXPECT_EQ(ns.Style, c.expectStyle) << c.label;
        EXPECT_EQ(ns.ExStyle, c.expectEx) << c.label;
    }
}

// ---- windows ----
TEST_F(Win32Test, WindowHasItsStylesExactClientSizeAndOuterCorner) {
    WindowParams p;
    p.Caption = "Lyrimat to Vocarium \xC3\xA8";
    p.Left = 100;
    p.Top = 80;
    p.ClientWidth = 296;
    p.ClientHeight = 63;
    p.Style = Style(TBorderStyle::bsSingle, true, true, false);
    const WindowId w = backend.CreateWindow(p);
    HWND h = H(w);

    const auto style = static_cast<uint32_t>(GetWindowLongPtrW(h, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_POPUP),
              static_cast<uint32_t>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_FALSE(IsWindowVisible(h)) << "windows are created hidden";

    RECT client, outer;
    GetClientRect(h, &client);
    GetWindowRect(h, &outer);
    EXPECT_EQ(client.right - client.left, 296);
    EXPECT_EQ(client.bottom - client.top, 63);
    EXPECT_EQ(outer.left, 100);
    EXPECT_EQ(outer.top, 80);
    const TSize size = backend.OuterSize(p.Style, 296, 63);
    EXPECT_EQ(outer.right - outer.left, size.cx);
    EXPECT_EQ(outer.bottom - outer.top, size.cy);
    EXPECT_GT(size.cy, 63) << "a caption adds height";

    wchar_t caption[64] = {};
    GetWindowTextW(h, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Lyrimat to Vocarium \u00e8");

    backend.SetBounds(w, 120, 90, 200, 50);
    GetClientRect(h, &client);
    GetWindowRect(h, &outer);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 50);
    EXPECT_EQ(outer.left, 120);
    EXPECT_EQ(outer.top, 90);
    Drain(backend);
    ASSERT_FALSE(recorder.Of("Moved").empty());
    EXPECT_EQ(recorder.Of("Moved").back().A, 120) << "Moved reports the outer corner";
    EXPECT_EQ(recorder.Of("Moved").back().B, 90);
}

TEST_F(Win32Test, OwnedToolWindowOnTop) {
    const WindowId main = Create(100, 50);
    const WindowId tool = Create(60, 40, Style(TBorderStyle::bsToolWindow, true, true, true, true), main);
    EXPECT_EQ(GetWindow(H(tool), GW_OWNER), H(main));
    const auto ex = static_cast<uint32_t>(GetWindowLongPtrW(H(tool), GWL_EXSTYLE));
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    RECT client;
    GetClientRect(H(tool), &client);
    EXPECT_EQ(client.right, 60);
    EXPECT_EQ(client.bottom, 40);
}

TEST_F(Win32Test, TheToolsIconWhenAsked) {
    WindowParams p;
    p.ClientWidth = 50;
    p.ClientHeight = 20;
    p.HasIcon = true;
    const WindowId with = backend.CreateWindow(p);
    p.HasIcon = false;
    const WindowId without = backend.CreateWindow(p);

    auto iconSize = [](HICON icon) {
        ICONINFO info{};
        if (!icon || !GetIconInfo(icon, &info)) return 0L;
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        return static_cast<long>(bm.bmWidth);
    };
    const auto big = reinterpret_cast<HICON>(SendMessageW(H(with), WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(SendMessageW(H(with), WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(iconSize(big), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(iconSize(small), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(SendMessageW(H(without), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(Win32Test, PresentReachesTheScreenAndOutlivesExposure) {
    const WindowId w = Shown(40, 30);
    HWND h = H(w);
    std::unique_ptr<TBitmap> image = Solid(40, 30, clRed);
    image->Canvas().BrushColor = clBlue;
    image->Canvas().FillRect({5, 5, 10, 10});
    backend.Present(w, *image, {0, 0, 40, 30});
    EXPECT_EQ(ScreenPixel(h, 1, 1), static_cast<COLORREF>(clRed));
    EXPECT_EQ(ScreenPixel(h, 6, 6), static_cast<COLORREF>(clBlue));

    // Only the dirty part is taken: the image's other changes wait for their present.
    image->Canvas().BrushColor = clLime;
    image->Canvas().FillRect({20, 20, 22, 22});
    image->Canvas().FillRect({30, 2, 31, 3});
    backend.Present(w, *image, {20, 20, 22, 22});
    EXPECT_EQ(ScreenPixel(h, 21, 21), static_cast<COLORREF>(clLime));
    EXPECT_EQ(ScreenPixel(h, 30, 2), static_cast<COLORREF>(clRed));
    EXPECT_EQ(ScreenPixel(h, 6, 6), static_cast<COLORREF>(clBlue));

    // Hidden and shown again, the window shows its last image without asking anyone.
    recorder.Events.clear();
    backend.Show(w, ShowMode::Hide);
    backend.Show(w, ShowMode::Normal);
    Drain(backend);
    UpdateWindow(h);
    EXPECT_TRUE(recorder.Of("Paint").empty());
    EXPECT_EQ(ScreenPixel(h, 1, 1), static_cast<COLORREF>(clRed));
    EXPECT_EQ(ScreenPixel(h, 21, 21), static_cast<COLORREF>(clLime));
}

TEST_F(Win32Test, FirstPaintIsAskedOfTheSink) {
    const std::unique_ptr<TBitmap> image = Solid(30, 20, clYellow);
    recorder.OnPaint = [&](WindowId w, const TRect& r) { backend.Present(w, *image, r); };
    const WindowId w = Shown(30, 20);
    ASSERT_TRUE(PumpUntil(backend, [&] { return !recorder.Of("Paint").empty(); }));
    const Event paint = recorder.Of("Paint").front();
    EXPECT_EQ(paint.Window, w);
    EXPECT_GE(paint.A, 0);
    EXPECT_GE(paint.B, 0);
    EXPECT_LE(paint.C, 30);
    EXPECT_LE(paint.D, 20);
    EXPECT_LT(paint.A, paint.C);
    EXPECT_EQ(ScreenPixel(H(w), static_cast<int>(paint.A), static_cast<int>(paint.B)), static_cast<COLORREF>(clYellow));
}

TEST_F(Win32Test, MouseInClientCoordinatesCapturedWhileHeld) {
    const WindowId w = Shown(100, 60);
    HWND h = H(w);
    PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Point(10, 20));
    ASSERT_TRUE(PumpUntil(backend, [&] { return !recorder.Of("MouseDown").empty(); }));
    Event down = recorder.Of("MouseDown").front();
    EXPECT_EQ(down.Window, w);
    EXPECT_EQ(down.A, static_cast<int64_t>(TMouseButton::mbLeft));
    EXPECT_EQ(down.B, ssLeft | ssShift);
    EXPECT_EQ(down.C, 10);
    EXPECT_EQ(down.D, 20);
    EXPECT_EQ(GetCapture(), h);

    PostMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, Point(-5, 300));
    PostMessageW(h, WM_LBUTTONUP, 0, Point(12, 22));
    ASSERT_TRUE(PumpUntil(backend, [&] { return !recorder.Of("MouseUp").empty(); }));
    ASSERT_FALSE(recorder.Of("MouseMove").empty());
    const Event move = recorder.Of("MouseMove").back();
    EXPECT_EQ(move.C, -5) << "a captured move outside the window keeps its sign";
    EXPECT_EQ(move.D, 300);
    const Event up = recorder.Of("MouseUp").front();
    EXPECT_EQ(up.C, 12);
    EXPECT_EQ(up.D, 22);
    EXPECT_NE(GetCapture(), h);

    PostMessageW(h, WM_RBUTTONDOWN, MK_RBUTTON, Point(3, 4));
    ASSERT_TRUE(PumpUntil(backend, [&] { return recorder.Of("MouseDown").size() == 2; }));
    EXPECT_EQ(recorder.Of("MouseDown").back().A, static_cast<int64_t>(TMouseButton::mbRight));
    PostMessageW(h, WM_RBUTTONUP, 0, Point(3, 4));
    Drain(backend);
}

TEST_F(Win32Test, KeysAndTypedCharacters) {
    const WindowId w = Shown(100, 60);
    HWND h = H(w);
    PostMessageW(h, WM_KEYDOWN, VK_DELETE, 0);
    PostMessageW(h, WM_KEYUP, VK_DELETE, 0xC0000001);
    // 'A', e grave, U+1F3B5 as its surrogate pair, a lone low half, a lone high half
    // followed by 'z'.
    for (WPARAM unit : {0x41u, 0xE8u, 0xD83Cu, 0xDFB5u, 0xDC00u, 0xD800u, 0x7Au}) PostMessageW(h, WM_CHAR, unit, 1);
    ASSERT_TRUE(PumpUntil(backend, [&] { return recorder.Of("Char").size() >= 6; }));
    Drain(backend);

    ASSERT_EQ(recorder.Of("KeyDown").size(), 1u);
    EXPECT_EQ(recorder.Of("KeyDown")[0].A, VK_DELETE);
    EXPECT_EQ(recorder.Of("KeyDown")[0].Window, w);
    ASSERT_EQ(recorder.Of("KeyUp").size(), 1u);
    EXPECT_EQ(recorder.Of("KeyUp")[0].A, VK_DELETE);

    std::vector<int64_t> chars;
    for (const Event& e : recorder.Of("Char")) chars.push_back(e.A);
    const std::vector<int64_t> expected = {0x41, 0xE8, 0x1F3B5, 0xFFFD, 0xFFFD, 0x7A};
    EXPECT_EQ(chars, expected);
}

TEST_F(Win32Test, CloseAsksAndKeepsTheWindow) {
    const WindowId w = Shown(80, 40);
    PostMessageW(H(w), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    ASSERT_TRUE(PumpUntil(backend, [&] { return !recorder.Of("CloseRequest").empty(); }));
    EXPECT_EQ(recorder.Of("CloseRequest").front().Window, w);
    EXPECT_TRUE(IsWindow(H(w))) << "closing is the form's decision";
}

TEST_F(Win32Test, ActivationIsReported) {
    const WindowId first = Shown(80, 40);
    ASSERT_TRUE(PumpUntil(backend, [&] { return recorder.Has("Activated", first, 1); }));
    const WindowId second = Shown(80, 40);
    ASSERT_TRUE(PumpUntil(backend, [&] { return recorder.Has("Activated", second, 1); }));
    EXPECT_TRUE(recorder.Has("Activated", first, 0));
    EXPECT_EQ(GetActiveWindow(), H(second));

    recorder.Events.clear();
    backend.Activate(first);
    Drain(backend);
    EXPECT_EQ(GetActiveWindow(), H(first));
    EXPECT_TRUE(recorder.Has("Activated", first, 1));
    recorder.Events.clear();
    backend.Activate(first);
    Drain(backend);
    EXPECT_TRUE(recorder.Of("Activated").empty()) << "activating the active window reports nothing";
}

TEST_F(Win32Test, EnableForModalShowing) {
    const WindowId w = Shown(80, 40);
    backend.Enable(w, false);
    EXPECT_FALSE(IsWindowEnabled(H(w)));
    backend.Enable(w, true);
    EXPECT_TRUE(IsWindowEnabled(H(w)));
}

TEST_F(Win32Test, TimersTickUntilStopped) {
    const TimerId fast = backend.StartTimer(1);  // as the VU meter asks
    ASSERT_NE(fast, 0u);
    auto ticks = [&](TimerId t) {
        size_t n = 0;
        for (const Event& e : recorder.Of("Timer"))
            if (e.A == static_cast<int64_t>(t)) ++n;
        return n;
    };
    ASSERT_TRUE(PumpUntil(backend, [&] { return ticks(fast) >= 2; }));
    backend.StopTimer(fast);
    const size_t stoppedAt = ticks(fast);

    const TimerId other = backend.StartTimer(20);
    ASSERT_NE(other, 0u);
    EXPECT_NE(other, fast);
    ASSERT_TRUE(PumpUntil(backend, [&] { return ticks(other) >= 3; }));
    EXPECT_EQ(ticks(fast), stoppedAt) << "a stopped timer ticks no more";
    backend.StopTimer(other);
}

}  // namespace
