// The win32 backend's services beside the windows: the message box, the clipboard,
// ShellExecute, errors from the sink, the loop's end, the desktop's colours and the
// start-up show command; and the tests' entry point.
#include <thread>

#include "Win32BackendSupport.h"

using namespace win32test;

namespace {

// Answers the first dialog box with `caption` from another thread, after noting what
// it saw; the test thread sits in MessageBoxW meanwhile.
struct BoxAnswer {
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool hasCancel = false;
    std::wstring text;
    bool found = false;
};

std::thread Answer(const wchar_t* caption, WPARAM button, BoxAnswer& seen) {
    return std::thread([caption, button, &seen] {
        for (int i = 0; i < 600 && !seen.found; ++i) {
            if (HWND box = FindWindowW(L"#32770", caption)) {
                seen.found = true;
                seen.owner = GetWindow(box, GW_OWNER);
                seen.ownerEnabled = IsWindowEnabled(seen.owner) != FALSE;
                seen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
                wchar_t text[256] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 256);  // the message box's text control
                seen.text = text;
                PostMessageW(box, WM_COMMAND, button, 0);
                return;
            }
            Sleep(50);
        }
    });
}

TEST_F(Win32Test, MessageBoxIsTheSystemsOwnedAndModal) {
    const WindowId w = Shown(120, 50);
    BoxAnswer seen;
    std::thread answer = Answer(L"Titolo \u00e8", IDCANCEL, seen);
    const int32_t result =
        backend.MessageBox(w, "Ho Finito! \xC3\xA8", "Titolo \xC3\xA8", MB_OKCANCEL | MB_ICONWARNING);
    answer.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(seen.owner, H(w));
    EXPECT_FALSE(seen.ownerEnabled) << "the owner is disabled while the box is open";
    EXPECT_TRUE(seen.hasCancel) << "MB_OKCANCEL has its Cancel button";
    EXPECT_EQ(seen.text, L"Ho Finito! \u00e8");
    EXPECT_TRUE(IsWindowEnabled(H(w)));

    BoxAnswer plain;
    answer = Answer(L"Lyrimat to Vocarium", IDOK, plain);
    EXPECT_EQ(backend.MessageBox(w, "Ho Finito!", "Lyrimat to Vocarium", 0), IDOK);
    answer.join();
    ASSERT_TRUE(plain.found);
    EXPECT_FALSE(plain.hasCancel) << "style 0 is one OK button";
}

TEST_F(Win32Test, ClipboardKeepsUnicodeText) {
    const std::string text = "Archivio \xC3\xA8 \xE2\x99\xAB \xF0\x9F\x8E\xB5";
    backend.SetClipboardText(text);
    EXPECT_EQ(backend.ClipboardText(), text);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring raw;
    if (data) {
        raw = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(raw, L"Archivio \u00e8 \u266b \xD83C\xDFB5");
}

TEST_F(Win32Test, ShellExecuteReportsTheOutcome) {
    ShellRequest missing;
    missing.Verb = "open";
    missing.File = "C:\\no\\such\\folder\\hh.exe";
    EXPECT_FALSE(backend.ShellExecute(missing));

    ShellRequest program;
    program.File = "cmd.exe";
    program.Parameters = "/c exit 0";
    program.ShowCommand = SW_HIDE;
    EXPECT_TRUE(backend.ShellExecute(program));
}

TEST_F(Win32Test, AnErrorInTheSinkComesBackFromProcessEvents) {
    const WindowId w = Shown(60, 30);
    recorder.ThrowOnMouseDown = true;
    PostMessageW(H(w), WM_LBUTTONDOWN, MK_LBUTTON, Point(1, 1));
    std::string thrown;
    for (int i = 0; i < 600 && thrown.empty(); ++i) {
        try {
            backend.ProcessEvents(false);
        } catch (const std::runtime_error& e) {
            thrown = e.what();
        }
        if (thrown.empty()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_EQ(thrown, "handler failed");
    EXPECT_EQ(recorder.Of("MouseDown").size(), 1u);
    recorder.ThrowOnMouseDown = false;
    PostMessageW(H(w), WM_LBUTTONUP, 0, Point(1, 1));
    Drain(backend);
}

TEST_F(Win32Test, DestroyedWindowIsForgotten) {
    const WindowId w = Shown(60, 30);
    backend.DestroyWindow(w);
    EXPECT_FALSE(IsWindow(H(w)));
    const std::unique_ptr<TBitmap> image = Solid(60, 30, clRed);
    backend.SetCaption(w, "gone");
    backend.Present(w, *image, {0, 0, 60, 30});
    backend.DestroyWindow(w);
}

TEST_F(Win32Test, QuitEndsTheLoop) {
    EXPECT_TRUE(backend.ProcessEvents(false));
    backend.PostQuit();
    EXPECT_FALSE(backend.ProcessEvents(false));
    EXPECT_FALSE(backend.ProcessEvents(true));
}

TEST(Win32Colors, TheDesktopSchemeFromConstructionOn) {
    SetSystemColorSource(nullptr);  // the classic table
    Win32Backend backend;
    for (int index = 0; index <= 24; ++index)
        EXPECT_EQ(ColorToRGB(SystemColor(index)), static_cast<TColor>(GetSysColor(index))) << "colour " << index;
}

// ---- start-up request ----

// Runs this program as `--start-minimized-probe` with a show command in its start-up
// information; its exit code is what StartMinimized said.
DWORD Probe(bool useShowWindow, WORD show) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --start-minimized-probe";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (useShowWindow) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = show;
    }
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 99;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Win32StartMinimized, FollowsTheStartupShowCommand) {
    EXPECT_EQ(Probe(true, SW_SHOWMINNOACTIVE), 1u);
    EXPECT_EQ(Probe(true, SW_SHOWMINIMIZED), 1u);
    EXPECT_EQ(Probe(true, SW_MINIMIZE), 1u);
    EXPECT_EQ(Probe(true, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(Probe(true, SW_SHOWMAXIMIZED), 0u);
    EXPECT_EQ(Probe(false, SW_SHOWMINNOACTIVE), 0u) << "without STARTF_USESHOWWINDOW the field means nothing";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--start-minimized-probe") {
        Win32Backend backend;
        return backend.StartMinimized() ? 1 : 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
