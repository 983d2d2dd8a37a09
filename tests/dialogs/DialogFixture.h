#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/core/Form.h"

// The tool's situation: a main window, shown, and the dialogs created after it.
struct DialogFixture : ::testing::Test {
    forms::HeadlessBackend backend;
    forms::TApplication app{backend};
    forms::TForm* main = nullptr;
    // The input a modal showing gets, one step each time its loop waits; a loop
    // that still waits when the steps have run out fails the test.
    std::deque<std::function<void()>> steps;

    void SetUp() override {
        app.CreateForm(main);
        main->SetBorderStyle(forms::TBorderStyle::bsSingle);
        main->SetBounds(300, 200, 296, 63);
        main->Show();
        backend.OnIdle = [this] {
            if (steps.empty()) return false;
            auto step = std::move(steps.front());
            steps.pop_front();
            step();
            return true;
        };
    }

    void Then(std::function<void()> step) { steps.push_back(std::move(step)); }

    // Where the first showing puts a dialog: centred over the main window by outer
    // sizes, halves truncated toward zero.
    forms::TPoint CentredOverMain(const forms::TForm& dialog) const {
        const forms::TSize mo = main->OuterSize(), o = dialog.OuterSize();
        return {main->Left() + (mo.cx - o.cx) / 2, main->Top() + (mo.cy - o.cy) / 2};
    }
};
