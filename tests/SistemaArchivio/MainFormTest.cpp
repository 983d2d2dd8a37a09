#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

#include "ConversionPass.h"
#include "MainForm.h"
#include "StartUp.h"
#include "WorkFolder.h"
#include "dialogs/UnitCredit.h"
#include "dialogs/UnitPinCode.h"
#include "dialogs/UnitPrint.h"
#include "dialogs/UnitProgress.h"
#include "forms/backends/headless/HeadlessBackend.h"
#include "forms/core/Application.h"
#include "platform/Executable.h"
#include "tests/forms/core/AccessibleRows.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

// Runs the test inside a fresh temporary folder, as the tool runs inside the
// folder that holds the archive.
class InTemporaryFolder {
public:
    InTemporaryFolder() : previous_(fs::current_path()) {
        path_ = fs::temp_directory_path() /
                ("sa-main-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
        fs::current_path(path_);
    }
    ~InTemporaryFolder() {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path previous_;
    fs::path path_;
};

void WriteFile(const fs::path& p, const std::string& content) { std::ofstream(p, std::ios::binary) << content; }

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct MainWindow : ::testing::Test {
    InTemporaryFolder folder;
    HeadlessBackend backend;
    TApplication app{backend};

    void SetUp() override {
        app.Initialize();
        CreateWindows();
    }
    void TearDown() override { MainForm = nullptr; }

    void ClickConvert() {
        backend.Click(MainForm->Handle(), 16 + 257 / 2, 16 + 33 / 2);
        app.ProcessMessages();
    }
};

TEST_F(MainWindow, LayoutAsStored) {
    TMainForm& f = *MainForm;
    EXPECT_EQ(f.Caption(), "Lyrimat to Vocarium");
    EXPECT_EQ(f.Width(), 296);
    EXPECT_EQ(f.Height(), 63);
    EXPECT_EQ(f.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_EQ(f.BorderIcons(), biSystemMenu | biMinimize);
    EXPECT_EQ(f.Color(), RGB(128, 128, 128));
    EXPECT_EQ(f.Position(), TPosition::poScreenCenter);
    EXPECT_EQ(f.Font()->Spec(), (TFontSpec{"MS Sans Serif", -11, 0, clWindowText, DEFAULT_CHARSET}));
    ASSERT_NE(f.Button1, nullptr);
    EXPECT_EQ(f.Button1->BoundsRect(), Bounds(16, 16, 257, 33));
    EXPECT_EQ(f.Button1->Caption(), "Coverti Archivio");
    EXPECT_EQ(f.Button1->Font()->Spec(), (TFontSpec{"MS Sans Serif", -16, fsBold, clWindowText, DEFAULT_CHARSET}));
    EXPECT_EQ(f.Button1->TabOrder(), 0);
    EXPECT_FALSE(f.Visible());

    f.Show();
    const WindowParams& p = backend.Find(f.Handle())->Params;
    EXPECT_TRUE(p.HasIcon);
    EXPECT_FALSE(p.Style.MaximizeBox);
    EXPECT_TRUE(p.Style.MinimizeBox);
    const TSize outer = f.OuterSize();
    EXPECT_EQ(f.Left(), (1024 - outer.cx) / 2);
    EXPECT_EQ(f.Top(), (768 - outer.cy) / 2);
    EXPECT_TRUE(f.Button1->Focused());
    EXPECT_EQ(app.Title, TitleFromExecutable(platform::ExecutablePath()));
}

TEST_F(MainWindow, StartUpCreatesTheDialogsHiddenAfterTheMainWindow) {
    const std::vector<TForm*> expected = {MainForm, FrmProgress, FrmPinCode, FrmCredit, FrmPrint};
    EXPECT_EQ(app.Forms(), expected);
    EXPECT_EQ(app.MainForm(), MainForm);
    for (TForm* f : expected) {
        EXPECT_EQ(f->Owner(), &app);
        EXPECT_FALSE(f->Visible());
    }
    MainForm->Show();
    app.ProcessMessages();
    for (size_t i = 1; i < expected.size(); ++i) EXPECT_FALSE(expected[i]->Visible());
}

TEST_F(MainWindow, ShowingCapturesTheWorkFolder) {
    WorkFolder.clear();
    MainForm->Show();
    EXPECT_EQ(fs::path(WorkFolder), fs::current_path());
}

TEST_F(MainWindow, AClickConvertsTheArchiveAndSaysSo) {
    fs::create_directory("Data");
    WriteFile("Data/1234.kar", "uno");
    WriteFile("Data/5678.kar", "due");
    MainForm->Show();
    ClickConvert();
    ASSERT_EQ(backend.MessageBoxes.size(), 1u);
    EXPECT_EQ(backend.MessageBoxes[0].Text, "Ho Finito!");
    EXPECT_EQ(backend.MessageBoxes[0].Caption, "Lyrimat to Vocarium");
    EXPECT_EQ(backend.MessageBoxes[0].Flags, 0u);
    EXPECT_EQ(backend.MessageBoxes[0].Owner, MainForm->Handle());
    EXPECT_EQ(ReadFile("Data/01/01234.kar"), "uno");
    EXPECT_EQ(ReadFile("Data/05/05678.kar"), "due");
    EXPECT_FALSE(fs::exists("tdata"));
}

TEST_F(MainWindow, AScreenReaderFindsItsButtonAndItsDefaultActionConvertsAsTheKeyboardDoes) {
    const std::pair<const char*, std::function<void()>> presses[] = {
        {"default action", [&] { backend.DoDefaultAction(MainForm->Handle(), MainForm->Button1->AccessibleId()); }},
        {"enter", [&] { backend.PressKey(VK_RETURN); }},
        {"space", [&] { backend.PressKey(VK_SPACE); }},
        {"tab, then space",
         [&] {
             backend.PressKey(VK_TAB);
             backend.PressKey(VK_SPACE);
         }},
    };
    MainForm->Show();
    EXPECT_EQ(
        AccessibleRows(backend, MainForm->Handle()),
        (std::vector<std::string>{"frame 'Lyrimat to Vocarium'", "push button 'Coverti Archivio' focusable focused"}));
    for (const auto& [label, press] : presses) {
        fs::create_directory("Data");
        WriteFile("Data/1234.kar", label);
        press();
        app.ProcessMessages();
        ASSERT_EQ(backend.MessageBoxes.size(), 1u) << label;
        EXPECT_EQ(backend.MessageBoxes[0].Text, "Ho Finito!") << label;
        EXPECT_EQ(ReadFile("Data/01/01234.kar"), label);
        fs::remove_all("Data");
        backend.MessageBoxes.clear();
    }
}

TEST_F(MainWindow, StaysUsableAfterTheMissingArchiveMessage) {
    MainForm->Show();
    ClickConvert();
    ASSERT_EQ(backend.MessageBoxes.size(), 1u);
    EXPECT_EQ(backend.MessageBoxes[0].Text, "Non ho trovato il vecchio Archivio in formato Lyrimat ");
    EXPECT_EQ(backend.MessageBoxes[0].Flags, 0u);
    EXPECT_TRUE(MainForm->Enabled());
    EXPECT_TRUE(MainForm->Button1->Focused());
    // The window still answers: the archive appears, a second click converts it.
    fs::create_directory("Data");
    WriteFile("Data/abc", "x");
    ClickConvert();
    ASSERT_EQ(backend.MessageBoxes.size(), 2u);
    EXPECT_EQ(backend.MessageBoxes[1].Text, "Ho Finito!");
    EXPECT_EQ(ReadFile("Data/0a/0abc"), "x");
}

TEST_F(MainWindow, NoCurrentFolderShowsTheErrorDisplayAndTouchesNothing) {
    MainForm->Show();
    WorkFolder.clear();
    ClickConvert();
    ASSERT_EQ(backend.MessageBoxes.size(), 1u);
    EXPECT_EQ(backend.MessageBoxes[0].Text, kWorkFolderUnreadable);
    EXPECT_EQ(backend.MessageBoxes[0].Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(backend.MessageBoxes[0].Caption, app.Title);
    EXPECT_FALSE(fs::exists("tdata"));
}

TEST_F(MainWindow, ClosingItEndsTheLoopWhileOtherWindowsExistHidden) {
    TForm* hidden = FrmCredit;
    hidden->HandleNeeded();
    backend.OnIdle = [&] {
        backend.CloseBox(MainForm->Handle());
        return true;
    };
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(hidden->Visible());
}

}  // namespace
