#include <gtest/gtest.h>

#include <stdexcept>

#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "forms/controls/Button.h"
#include "forms/core/Form.h"

using namespace forms;

namespace {

TEST(TitleRule, FileNameWithoutFolderAndExtensionFirstCharacterKept) {
    EXPECT_EQ(TitleFromExecutable("/opt/tool/SistemaArchivio"), "Sistemaarchivio");
    EXPECT_EQ(TitleFromExecutable("C:\\Programs\\Songs\\SistemaArchivio.exe"), "Sistemaarchivio");
    EXPECT_EQ(TitleFromExecutable("my.Tool.exe"), "my");
    EXPECT_EQ(TitleFromExecutable("ABC"), "Abc");
    EXPECT_EQ(TitleFromExecutable(".hidden"), "");
}

TEST(FullStopRule, AppendedOnlyAfterCharactersAboveTheFullStop) {
    EXPECT_EQ(WithFullStop(""), "");
    EXPECT_EQ(WithFullStop("x"), "x.");
    EXPECT_EQ(WithFullStop("x."), "x.");
    EXPECT_EQ(WithFullStop("x!"), "x!");
    EXPECT_EQ(WithFullStop("x "), "x ");
    EXPECT_EQ(WithFullStop("x,"), "x,");
    EXPECT_EQ(WithFullStop("x/"), "x/.");
    EXPECT_EQ(WithFullStop("caff\xC3\xA8"), "caff\xC3\xA8.");
}

// A window with one button whose click runs whatever the test puts in `action`.
struct LoopFixture : ::testing::Test {
    HeadlessBackend backend;
    TApplication app{backend};
    TForm* main = nullptr;
    TButton* button = nullptr;
    std::function<void()> action;

    void SetUp() override {
        app.Title = "Prova";
        app.CreateForm(main);
        main->SetClientWidth(200);
        main->SetClientHeight(100);
        button = new TButton(main);
        button->SetParent(main);
        button->SetBounds(10, 10, 80, 25);
        button->OnClick = [this](TObject*) { action(); };
        main->Show();
    }
    void ClickButton() {
        backend.Click(main->Handle(), 20, 20);
        app.ProcessMessages();
    }
};

TEST_F(LoopFixture, LibraryErrorsShowTheStandardErrorDisplayAndTheLoopGoesOn) {
    const std::pair<const char*, const char*> cases[] = {{"", ""},     {"x", "x."},  {"x.", "x."},
                                                         {"x!", "x!"}, {"x ", "x "}, {"x,", "x,"}};
    for (const auto& [message, shown] : cases) {
        backend.MessageBoxes.clear();
        action = [m = std::string(message)] { throw Exception(m); };
        ClickButton();
        ASSERT_EQ(backend.MessageBoxes.size(), 1u) << message;
        EXPECT_EQ(backend.MessageBoxes[0].Text, shown);
        EXPECT_EQ(backend.MessageBoxes[0].Caption, "Prova");
        EXPECT_EQ(backend.MessageBoxes[0].Flags, MB_OK | MB_ICONERROR);
    }
    EXPECT_FALSE(app.Terminated());
    EXPECT_TRUE(main->Enabled());
}

TEST_F(LoopFixture, SilentAbortIsDropped) {
    action = [] { Abort(); };
    ClickButton();
    EXPECT_TRUE(backend.MessageBoxes.empty());
    EXPECT_FALSE(app.Terminated());
}

TEST_F(LoopFixture, OtherErrorsShowTheirMessageAsItIs) {
    action = [] { throw std::runtime_error("disk"); };
    ClickButton();
    ASSERT_EQ(backend.MessageBoxes.size(), 1u);
    EXPECT_EQ(backend.MessageBoxes[0].Text, "disk");
    EXPECT_EQ(backend.MessageBoxes[0].Flags, MB_OK | MB_ICONERROR);
}

TEST_F(LoopFixture, MessageBoxDisablesEveryWindowAndRestoresTheFocus) {
    TForm* other = new TForm(&app);
    other->Show();
    main->Show();
    button->SetFocus();
    ASSERT_TRUE(button->Focused());
    bool checked = false;
    backend.OnMessageBox = [&](const HeadlessBackend::MessageBoxCall& call) {
        EXPECT_FALSE(main->Enabled());
        EXPECT_FALSE(other->Enabled());
        EXPECT_FALSE(backend.Find(main->Handle())->Enabled);
        EXPECT_EQ(call.Owner, main->Handle());
        checked = true;
        return IDOK;
    };
    action = [&] { EXPECT_EQ(app.MessageBox("Ciao", "Titolo", MB_OK), IDOK); };
    ClickButton();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(main->Enabled());
    EXPECT_TRUE(other->Enabled());
    EXPECT_TRUE(backend.Find(main->Handle())->Enabled);
    EXPECT_EQ(app.ActiveForm(), main);
    EXPECT_TRUE(button->Focused());
}

TEST_F(LoopFixture, InputToADisabledWindowIsDropped) {
    int clicks = 0;
    action = [&] { ++clicks; };
    main->SetEnabled(false);
    ClickButton();
    EXPECT_EQ(clicks, 0);
    main->SetEnabled(true);
    ClickButton();
    EXPECT_EQ(clicks, 1);
}

TEST_F(LoopFixture, ClosingTheMainWindowEndsTheLoopWhileOtherWindowsExistHidden) {
    TForm* hidden = new TForm(&app);
    hidden->HandleNeeded();
    backend.CloseBox(main->Handle());
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(main->Visible());
    EXPECT_FALSE(hidden->Visible());
}

TEST_F(LoopFixture, ClosingAnotherWindowOnlyHidesIt) {
    TForm* other = new TForm(&app);
    other->Show();
    backend.CloseBox(other->Handle());
    app.ProcessMessages();
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(app.Terminated());
}

TEST(StartUp, HonoursARequestToStartMinimised) {
    HeadlessBackend backend;
    backend.SetStartMinimized(true);
    TApplication app(backend);
    app.Initialize();
    TForm* main = nullptr;
    app.CreateForm(main);
    backend.OnIdle = [&] {
        EXPECT_TRUE(backend.Find(main->Handle())->Minimized);
        main->Close();
        return true;
    };
    app.Run();
    EXPECT_TRUE(app.Terminated());
}

TEST(StartUp, TheFirstFormCreatedIsTheMainWindow) {
    HeadlessBackend backend;
    TApplication app(backend);
    TForm* first = nullptr;
    TForm* second = nullptr;
    app.CreateForm(first);
    app.CreateForm(second);
    EXPECT_EQ(app.MainForm(), first);
    EXPECT_EQ(second->Owner(), &app);
}

}  // namespace
