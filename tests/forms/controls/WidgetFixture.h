#pragma once
#include <gtest/gtest.h>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"

// One shown form on the headless backend, for controls to be put on.
struct WidgetFixture : ::testing::Test {
    forms::HeadlessBackend backend;
    forms::TApplication app{backend};
    forms::TForm* form = nullptr;

    void SetUp() override {
        app.CreateForm(form);
        form->SetBorderStyle(forms::TBorderStyle::bsSingle);
        form->SetBounds(100, 100, 300, 120);
    }

    template <class C>
    C* Add(int32_t left, int32_t top, int32_t width, int32_t height) {
        auto* c = new C(form);
        c->SetParent(form);
        c->SetBounds(left, top, width, height);
        return c;
    }

    void ShowAndPaint() {
        form->Show();
        app.ProcessMessages();
    }
    void Pump() { app.ProcessMessages(); }
    const forms::TBitmap& Screen() { return *backend.Find(form->Handle())->Image; }
};
