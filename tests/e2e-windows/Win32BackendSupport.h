#pragma once
// What the win32 backend's tests share: a sink that records what the backend reports,
// a message pump, and a fixture with a backend and its windows. The tests create
// windows, so they run where a display is: run-e2e.sh starts an X server of its own and
// runs them under wine there. Input is posted as the window messages Windows itself sends.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/backends/win32/Win32Backend.h"
#include "forms/graphics/Bitmap.h"

#include <windows.h>
#undef CreateWindow
#undef MessageBox
#undef ShellExecute

namespace win32test {

using namespace forms;

struct Event {
    std::string Kind;
    WindowId Window = 0;
    int64_t A = 0, B = 0, C = 0, D = 0;
};

// Records what the backend reports; a test can answer paints and make a handler fail.
class Recorder : public EventSink {
public:
    std::vector<Event> Events;
    std::function<void(WindowId, const TRect&)> OnPaint;
    bool ThrowOnMouseDown = false;

    void Paint(WindowId w, const TRect& r) override {
        Events.push_back({"Paint", w, r.Left, r.Top, r.Right, r.Bottom});
        if (OnPaint) OnPaint(w, r);
    }
    void MouseDown(WindowId w, TMouseButton b, TShiftState s, int32_t x, int32_t y) override {
        Events.push_back({"MouseDown", w, static_cast<int64_t>(b), s, x, y});
        if (ThrowOnMouseDown) throw std::runtime_error("handler failed");
    }
    void MouseUp(WindowId w, TMouseButton b, TShiftState s, int32_t x, int32_t y) override {
        Events.push_back({"MouseUp", w, static_cast<int64_t>(b), s, x, y});
    }
    void MouseMove(WindowId w, TShiftState s, int32_t x, int32_t y) override {
        Events.push_back({"MouseMove", w, 0, s, x, y});
    }
    void KeyDown(WindowId w, uint16_t key, TShiftState s) override { Events.push_back({"KeyDown", w, key, s}); }
    void KeyUp(WindowId w, uint16_t key, TShiftState s) override { Events.push_back({"KeyUp", w, key, s}); }
    void Char(WindowId w, char32_t c) override { Events.push_back({"Char", w, static_cast<int64_t>(c)}); }
    void CloseRequest(WindowId w) override { Events.push_back({"CloseRequest", w}); }
    void Activated(WindowId w, bool active) override { Events.push_back({"Activated", w, active ? 1 : 0}); }
    void Moved(WindowId w, int32_t left, int32_t top) override { Events.push_back({"Moved", w, left, top}); }
    void Timer(TimerId t) override { Events.push_back({"Timer", 0, static_cast<int64_t>(t)}); }

    std::vector<Event> Of(const std::string& kind) const {
        std::vector<Event> out;
        for (const Event& e : Events)
            if (e.Kind == kind) out.push_back(e);
        return out;
    }
    bool Has(const std::string& kind, WindowId w, int64_t a) const {
        for (const Event& e : Events)
            if (e.Kind == kind && e.Window == w && e.A == a) return true;
        return false;
    }
};

inline HWND H(WindowId w) { return reinterpret_cast<HWND>(w); }

// Handles messages until `done` holds. The bound only keeps a broken backend from
// hanging the run; no test depends on how long anything takes.
inline bool PumpUntil(Backend& backend, const std::function<bool()>& done) {
    for (int i = 0; i < 600; ++i) {
        backend.ProcessEvents(false);
        if (done()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return done();
}

// Handles what is queued now, and what that brings about.
inline void Drain(Backend& backend) {
    for (int i = 0; i < 5; ++i) backend.ProcessEvents(false);
}

inline COLORREF ScreenPixel(HWND h, int x, int y) {
    HDC dc = GetDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return c;
}

inline std::unique_ptr<TBitmap> Solid(int32_t w, int32_t h, TColor c) {
    std::unique_ptr<TBitmap> b = CreateBitmap(w, h);
    b->Canvas().BrushColor = c;
    b->Canvas().FillRect({0, 0, w, h});
    return b;
}

inline LPARAM Point(int x, int y) {
    return static_cast<LPARAM>(static_cast<uint16_t>(static_cast<int16_t>(x))) |
           (static_cast<LPARAM>(static_cast<uint16_t>(static_cast<int16_t>(y))) << 16);
}

inline WindowStyle Style(TBorderStyle border, bool menu = true, bool min = true, bool max = true, bool top = false) {
    WindowStyle s;
    s.Border = border;
    s.SystemMenu = menu;
    s.MinimizeBox = min;
    s.MaximizeBox = max;
    s.StayOnTop = top;
    return s;
}

class Win32Test : public ::testing::Test {
protected:
    void SetUp() override { backend.SetSink(&recorder); }
    void TearDown() override { backend.SetSink(nullptr); }

    WindowId Create(int32_t w, int32_t h, const WindowStyle& style = WindowStyle{}, WindowId owner = 0) {
        WindowParams p;
        p.Caption = "test";
        p.Left = 40;
        p.Top = 30;
        p.ClientWidth = w;
        p.ClientHeight = h;
        p.Style = style;
        p.Owner = owner;
        return backend.CreateWindow(p);
    }
    WindowId Shown(int32_t w, int32_t h) {
        const WindowId id = Create(w, h);
        backend.Show(id, ShowMode::Normal);
        Drain(backend);
        return id;
    }

    Win32Backend backend;
    Recorder recorder;
};

}  // namespace win32test
