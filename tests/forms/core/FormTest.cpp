#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/controls/Button.h"
#include "forms/controls/Edit.h"
#include "forms/core/Form.h"
#include "tests/forms/core/AccessibleRows.h"

using namespace forms;

namespace {

struct FormFixture : ::testing::Test {
    HeadlessBackend backend;
    TApplication app{backend};
    TForm* main = nullptr;

    void SetUp() override {
        app.CreateForm(main);
        main->SetBorderStyle(TBorderStyle::bsSingle);
        main->SetBounds(100, 50, 296, 63);
    }

    TButton* AddButton(TForm* f, int left, TModalResult own) {
        auto* b = new TButton(f);
        b->SetParent(f);
        b->SetBounds(left, 10, 60, 25);
        b->SetModalResult(own);
        return b;
    }
};

TEST_F(FormFixture, ScreenCentreOnFirstShowingFromTheOuterSize) {
    main->SetPosition(TPosition::poScreenCenter);
    main->Show();
    const TSize outer = main->OuterSize();  // 302 x 88 with the classic frame
    EXPECT_EQ(outer, (TSize{302, 88}));
    EXPECT_EQ(main->Left(), (1024 - 302) / 2);
    EXPECT_EQ(main->Top(), (768 - 88) / 2);
    EXPECT_EQ(backend.Find(main->Handle())->Params.Left, main->Left());
}

TEST_F(FormFixture, MainFormCentreOnTheFirstShowingOnlyTruncatingTowardZero) {
    main->Show();
    TForm* dialog = new TForm(&app);
    dialog->SetBorderStyle(TBorderStyle::bsToolWindow);
    dialog->SetPosition(TPosition::poMainFormCenter);
    dialog->SetBounds(459, 261, 417, 24);
    dialog->Show();
    // Outer sizes: main 302 x 88, dialog 423 x 46; halves of -121 and 42.
    EXPECT_EQ(dialog->Left(), 100 + (302 - 423) / 2);
    EXPECT_EQ(dialog->Left(), 40);
    EXPECT_EQ(dialog->Top(), 50 + 21);
    dialog->Hide();
    backend.DragTo(dialog->Handle(), 7, 9);
    app.ProcessMessages();
    dialog->Show();
    backend.DragTo(dialog->Handle(), 300, 200);
    app.ProcessMessages();
    dialog->Hide();
    dialog->Show();
    EXPECT_EQ(dialog->Left(), 300);
    EXPECT_EQ(dialog->Top(), 200);
}

TEST_F(FormFixture, MainFormCentreWithoutAMainWindowUsesTheScreen) {
    TForm* lone = nullptr;
    {
        HeadlessBackend other;
        TApplication second(other);
        lone = new TForm(nullptr);
        lone->SetPosition(TPosition::poMainFormCenter);
        lone->SetBounds(0, 0, 100, 100);
        lone->Show();
        const TSize outer = lone->OuterSize();
        EXPECT_EQ(lone->Left(), (1024 - outer.cx) / 2);
        EXPECT_EQ(lone->Top(), (768 - outer.cy) / 2);
        delete lone;
    }
}

TEST_F(FormFixture, ModalResultFromTheButtonFirstThenItsHandler) {
    main->Show();
    TForm* dialog = new TForm(&app);
    TButton* ok = AddButton(dialog, 10, mrOk);
    TButton* plain = AddButton(dialog, 80, mrNone);
    ok->OnClick = [&](TObject*) {
        EXPECT_EQ(dialog->ModalResult(), mrOk);
        dialog->SetModalResult(mrCancel);
    };
    plain->OnClick = [&](TObject*) { dialog->SetModalResult(mrAbort); };
    backend.OnIdle = [&] {
        EXPECT_FALSE(main->Enabled());
        backend.Click(dialog->Handle(), 20, 20);
        return true;
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(main->Enabled());
    EXPECT_EQ(app.ActiveForm(), main);

    backend.OnIdle = [&] {
        backend.Click(dialog->Handle(), 90, 20);
        return true;
    };
    EXPECT_EQ(dialog->ShowModal(), mrAbort);
}

TEST_F(FormFixture, FrameCloseGivesCancelAndTerminationGivesCancel) {
    main->Show();
    TForm* dialog = new TForm(&app);
    backend.OnIdle = [&] {
        backend.CloseBox(dialog->Handle());
        return true;
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(app.Terminated());

    backend.OnIdle = [&] {
        app.Terminate();
        return true;
    };
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
}

TEST_F(FormFixture, EachModalShowingStartsFromNone) {
    main->Show();
    TForm* dialog = new TForm(&app);
    dialog->SetModalResult(mrAbort);
    int idle = 0;
    backend.OnIdle = [&] {
        ++idle;
        dialog->SetModalResult(mrOk);
        return true;
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(idle, 1);
}

TEST_F(FormFixture, KeyboardReachesTheRightButton) {
    TButton* first = AddButton(main, 10, mrNone);
    TButton* deflt = AddButton(main, 80, mrNone);
    TButton* cancel = AddButton(main, 150, mrNone);
    deflt->SetDefault(true);
    cancel->SetCancel(true);
    std::vector<std::string> clicks;
    first->OnClick = [&](TObject*) { clicks.push_back("first"); };
    deflt->OnClick = [&](TObject*) { clicks.push_back("default"); };
    cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    main->Show();
    EXPECT_EQ(main->ActiveControl(), first);  // first tab stop

    backend.PressKey(VK_RETURN);  // a focused button takes Enter itself
    backend.PressKey(VK_SPACE);
    backend.PressKey(VK_ESCAPE);
    backend.PressKey(VK_TAB);
    backend.PressKey(VK_TAB, ssShift);
    backend.PressKey(VK_TAB);
    backend.PressKey(VK_TAB);
    backend.PressKey(VK_SPACE);
    backend.PressKey(VK_RETURN, ssCtrl);  // not with a modifier
    app.ProcessMessages();
    EXPECT_EQ(clicks, (std::vector<std::string>{"first", "first", "cancel", "cancel"}));
    EXPECT_EQ(main->ActiveControl(), cancel);
}

// Each change reaches the backend as it happens, and its copy stays what the form says.
TEST_F(FormFixture, TheBackendHearsOfEveryChangeAScreenReaderReads) {
    using Kind = HeadlessBackend::AccessibleEvent::Kind;
    TButton *a, *b;
    TEdit* e;
    const std::tuple<const char*, std::function<TControl*()>, const char*, Kind> cases[] = {
        {"caption",
         [&] {
             a->SetCaption("&Apri && chiudi");
             return a;
         },
         "push button 'Apri & chiudi' focusable focused", Kind::Node},
        {"disabled",
         [&] {
             b->SetEnabled(false);
             return b;
         },
         "push button '' focusable unavailable", Kind::Node},
        {"hidden",
         [&] {
             b->SetVisible(false);
             return b;
         },
         "push button '' focusable invisible", Kind::Node},
        {"made default",
         [&] {
             b->SetDefault(true);
             return b;
         },
         "push button '' focusable default", Kind::Node},
        {"held down",
         [&] {
             backend.KeyDown(VK_SPACE);
             return a;
         },
         "push button '' focusable focused pressed", Kind::Node},
        {"edit text",
         [&] {
             e->SetText("abc");
             return e;
         },
         "text '' = abc focusable", Kind::Node},
        {"focus moved",
         [&] {
             backend.PressKey(VK_TAB);
             return b;
         },
         "push button '' focusable focused", Kind::Focus},
    };
    main->Show();
    for (const auto& [label, change, after, event] : cases) {
        a = AddButton(main, 10, mrNone);
        b = AddButton(main, 80, mrNone);
        e = new TEdit(main);
        e->SetParent(main);
        a->SetFocus();
        const TControl* changed = change();
        app.ProcessMessages();
        const AccessibleTree& held = backend.Find(main->Handle())->Accessible;
        EXPECT_EQ(AccessibleRows(held), AccessibleRows(main->DescribeTree())) << label;
        ASSERT_NE(held.Find(changed->AccessibleId()), nullptr) << label;
        EXPECT_EQ(AccessibleRow(*held.Find(changed->AccessibleId())), after) << label;
        EXPECT_EQ(backend.AccessibleEvents.back().What, event) << label;
        EXPECT_EQ(backend.AccessibleEvents.back().Id, changed->AccessibleId()) << label;
        for (TControl* c : std::initializer_list<TControl*>{a, b, e}) delete c;
        EXPECT_EQ(held.Nodes.size(), 1u) << label << ": gone with them";
    }
}

TEST_F(FormFixture, EnterPressesTheDefaultButtonWhenTheFocusIsNotOnAButton) {
    TButton* deflt = AddButton(main, 80, mrNone);
    deflt->SetDefault(true);
    deflt->SetTabStop(false);
    int clicks = 0;
    deflt->OnClick = [&](TObject*) { ++clicks; };
    main->Show();
    ASSERT_EQ(main->ActiveControl(), nullptr);
    backend.PressKey(VK_RETURN);
    app.ProcessMessages();
    EXPECT_EQ(clicks, 1);
}

TEST_F(FormFixture, ClickOutsideTheButtonAfterPressingDoesNotClick) {
    TButton* b = AddButton(main, 10, mrNone);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    main->Show();
    backend.MouseDown(main->Handle(), 15, 15);
    backend.MouseMove(main->Handle(), 200, 40);
    backend.MouseUp(main->Handle(), 200, 40);
    app.ProcessMessages();
    EXPECT_EQ(clicks, 0);
    b->SetEnabled(false);
    backend.Click(main->Handle(), 15, 15);
    app.ProcessMessages();
    EXPECT_EQ(clicks, 0);
}

// The control that takes the mouse: the topmost visible one, or nobody where that
// one is disabled. Buttons at x 10 and 50 overlap from 50 to 70; a container at x 200
// holds a button at its left edge.
TEST_F(FormFixture, TheMouseGoesToTheTopmostVisibleControlUnlessItIsDisabled) {
    TButton* below = AddButton(main, 10, mrNone);
    TButton* above = AddButton(main, 50, mrNone);
    auto* box = new TWinControl(main);
    box->SetParent(main);
    box->SetBounds(200, 0, 90, 60);
    TButton* inner = AddButton(main, 0, mrNone);
    inner->SetParent(box);
    const struct {
        const char* label;
        bool aboveVisible, aboveEnabled, innerEnabled;
        int32_t x, y;
        TControl* expected;
    } cases[] = {
        {"below alone", true, true, true, 20, 20, below},
        {"where both overlap", true, true, true, 60, 20, above},
        {"a disabled one hides the one below", true, false, true, 60, 20, nullptr},
        {"an invisible one does not", false, false, true, 60, 20, below},
        {"a child above its container", true, true, true, 210, 20, inner},
        {"a disabled child hides its container", true, true, false, 210, 20, nullptr},
        {"the container beside its child", true, true, true, 280, 50, box},
        {"no control there", true, true, true, 150, 50, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        above->SetVisible(c.aboveVisible);
        above->SetEnabled(c.aboveEnabled);
        inner->SetEnabled(c.innerEnabled);
        EXPECT_EQ(main->ControlAt(c.x, c.y), c.expected);
    }
}

TEST_F(FormFixture, PaintsTheBackgroundAndAButtonFaceIntoTheWindow) {
    main->SetColor(clGray);
    TButton* b = AddButton(main, 10, mrNone);
    b->SetCaption("");
    main->Show();
    app.ProcessMessages();
    const TBitmap& image = *backend.Find(main->Handle())->Image;
    EXPECT_EQ(image.Pixel(5, 5), clGray);
    EXPECT_EQ(image.Pixel(295, 62), clGray);
    EXPECT_EQ(image.Pixel(40, 22), ColorToRGB(clBtnFace));     // the face
    EXPECT_EQ(image.Pixel(69, 34), ColorToRGB(cl3DDkShadow));  // bottom-right edge of a focused button
}

// Bounds from a layout may be anything 32 bits hold; a control keeps them within the
// coordinate space, so that sums of origins and sizes cannot overflow while it paints.
TEST_F(FormFixture, BoundsBeyondTheCoordinateSpaceAreCutToItAndPaintNothingInView) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    const struct {
        const char* label;
        int32_t left, top, width, height;
    } cases[] = {
        {"far right", kMax, 10, 75, 25},
        {"far down", 10, kMax, 75, 25},
        {"far left, as wide as can be", kMin, 10, kMax, 25},
        {"far up, as high as can be", 10, kMin, 75, kMax},
    };
    main->SetColor(clGray);
    main->Show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TButton* b = AddButton(main, 0, mrNone);
        b->SetBounds(c.left, c.top, c.width, c.height);
        for (const int32_t v : {b->Left(), b->Top(), b->Width(), b->Height()}) {
            EXPECT_GE(v, -TControl::kMaxCoordinate);
            EXPECT_LE(v, TControl::kMaxCoordinate);
        }
        main->Invalidate();
        app.ProcessMessages();
        EXPECT_EQ(backend.Find(main->Handle())->Image->Pixel(5, 5), clGray);
        delete b;
    }
}

TEST_F(FormFixture, OwnerDestroysWhatItOwnsAndControlsLeaveTheirParent) {
    TForm* f = new TForm(&app);
    TButton* b = AddButton(f, 10, mrNone);
    EXPECT_EQ(f->Controls().size(), 1u);
    delete b;
    EXPECT_TRUE(f->Controls().empty());
    AddButton(f, 10, mrNone);
    const size_t before = app.Forms().size();
    delete f;
    EXPECT_EQ(app.Forms().size(), before - 1);
}

}  // namespace
