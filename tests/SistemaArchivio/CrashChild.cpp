// Runs one conversion pass over the folder named by the first argument. With a second
// argument k > 0 the process ends right after the k-th write operation, as if it had
// been killed there. Exit codes: 0 the pass said "Ho Finito!", 3 it said something
// else, 77 it was ended by the hook, 2 bad arguments.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SistemaArchivio/ConversionPass.h"
#include "forms/core/Backend.h"
#include "platform/FileSystem.h"
#include "tests/SistemaArchivio/CrashChild.h"
#include "tests/SistemaArchivio/RecordingBox.h"

#ifdef _WIN32
#include <windows.h>
// shellapi.h after windows.h
#include <shellapi.h>

#include "platform/Utf8.h"
#endif

namespace {

// Prints each message as the box shows it, so that a trace of the process shows when.
struct PrintingBox : RecordingBox {
    std::int32_t Show(const std::string& text, const std::string& caption, std::uint32_t flags) override {
        std::printf("%s | %s | 0x%x\n", text.c_str(), caption.c_str(), flags);
        std::fflush(stdout);
        return RecordingBox::Show(text, caption, flags);
    }
};

long g_limit = 0;
long g_writes = 0;

void EndAtLimit() {
    if (++g_writes == g_limit) {
        std::fflush(stdout);
        std::_Exit(kChildKilled);
    }
}

std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    // The folder may hold characters outside the ANSI code page.
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const std::wstring_view w(wide[i]);
        arguments.push_back(platform::Utf16ToUtf8(std::u16string(w.begin(), w.end())));
    }
    LocalFree(wide);
    return arguments;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = Arguments(argc, argv);
    if (arguments.size() != 3) return kChildBadArguments;
    g_limit = std::strtol(arguments[2].c_str(), nullptr, 10);
    if (g_limit > 0) platform::SetWriteObserver(EndAtLimit);

    PrintingBox box;
    ConvertArchive(arguments[1], box);
    // A plain box: OK alone and no icon, MB_OK's 0 (<windows.h> makes MB_OK a macro here).
    const bool done = box.shown.size() == 1 && box.shown[0].text == kConversionDone &&
                      box.shown[0].caption == kConversionCaption && box.shown[0].flags == 0;
    return done ? kChildDone : kChildOtherMessage;
}
