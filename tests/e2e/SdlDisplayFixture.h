#pragma once
// What the SDL display tests share: an Xvfb of the suite's own (no window manager),
// a fresh backend for each test that reports to a recording sink, and ways to drive
// its windows from outside with xdotool and plain X requests.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "XSession.h"
#include "forms/backends/sdl/SdlBackend.h"
#include "forms/controls/Button.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"
#include "tests/forms/backends/RecordingSink.h"

namespace e2e {

// SdlX11.cpp: the X window of an SDL window, 0 when it has none.
unsigned long X11WindowOf(uint32_t sdlWindowId);

class SdlDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new Xvfb();
        ::setenv("DISPLAY", server->Display().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        backend = std::make_unique<forms::SdlBackend>();
        backend->SetSink(&rec);
    }
    void TearDown() override { backend.reset(); }

    bool Pump(const std::function<bool()>& pred) { return backend_tests::PumpUntil(*backend, pred); }
    bool PumpFor(const std::string& line) {
        return Pump([&] { return rec.Has(line); });
    }

    forms::WindowId Shown(int32_t left, int32_t top, int32_t width, int32_t height,
                          const std::string& caption = "probe",
                          forms::TBorderStyle border = forms::TBorderStyle::bsSingle) {
        forms::WindowParams p;
        p.Caption = caption;
        p.Left = left;
        p.Top = top;
        p.ClientWidth = width;
        p.ClientHeight = height;
        p.Style.Border = border;
        const forms::WindowId w = backend->CreateWindow(p);
        backend->Show(w, forms::ShowMode::Normal);
        EXPECT_TRUE(PumpFor(PaintLine(w, width, height))) << rec.Dump();
        return w;
    }
    static std::string PaintLine(forms::WindowId w, int32_t width, int32_t height) {
        return "Paint w" + std::to_string(w) + " 0,0," + std::to_string(width) + "," + std::to_string(height);
    }

    // A form of the application's, not shown yet, with a button that counts its clicks.
    static forms::TForm* FormWithButton(forms::TApplication& app, const forms::TRect& bounds,
                                        const forms::TRect& button, int& clicks) {
        forms::TForm* form = nullptr;
        app.CreateForm(form);
        form->SetBorderStyle(forms::TBorderStyle::bsSingle);
        form->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        auto* b = new forms::TButton(form);
        b->SetParent(form);
        b->SetBounds(button.Left, button.Top, button.Width(), button.Height());
        b->OnClick = [&clicks](forms::TObject*) { ++clicks; };
        return form;
    }

    unsigned long XWindow(forms::WindowId w) { return X11WindowOf(backend->SdlWindowId(w)); }
    std::string X(forms::WindowId w) { return std::to_string(XWindow(w)); }

    // Gives a window the keyboard focus and handles every report that came with it.
    bool Focus(forms::WindowId w) {
        SDL_Window* window = SDL_GetWindowFromID(backend->SdlWindowId(w));
        if (!Xdotool(*server, {"windowfocus", "--sync", X(w)}).Succeeded()) return false;
        if (!Pump([&] { return SDL_GetKeyboardFocus() == window; })) return false;
        backend->ProcessEvents(false);
        return true;
    }

    static inline Xvfb* server = nullptr;
    backend_tests::RecordingSink rec;
    std::unique_ptr<forms::SdlBackend> backend;
};

}  // namespace e2e
