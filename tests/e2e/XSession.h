#pragma once
// What the display tests need around them: an X server of their own, child processes
// stopped by their own pid, and a few X requests that xdotool doesn't make.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A process the test started. It dies with the test (parent-death signal) and is
// killed by its pid when the object goes, if it still runs.
class Child {
public:
    Child() = default;
    Child(Child&& o) noexcept;
    Child& operator=(Child&& o) noexcept;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    // argv[0] is looked up in PATH. env entries ("NAME=value") replace or add to the
    // test's own environment; stdout and stderr go to outFile, or to /dev/null.
    static Child Start(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                       const std::string& cwd = {}, const std::string& outFile = {}, int passFd = -1);

    pid_t Pid() const { return pid_; }
    bool Running() const { return pid_ > 0; }
    // The wait status once it has ended, nullopt when it is still running after timeoutMs.
    std::optional<int> Wait(int timeoutMs);
    void Stop(int signal);

private:
    pid_t pid_ = -1;
};

struct RunResult {
    bool TimedOut = false;
    int WaitStatus = -1;  // as waitpid gives it
    std::string Out;
    bool Succeeded() const;
};
// Runs a command to its end (killed after timeoutMs), with its standard output.
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutMs);

// A display's name in the abstract socket namespace, where clients knock first, held
// by the test for a server that listens on its socket file only. Held, it refuses
// connections, so clients go on to the socket file, and no other server can take the
// display (a server picking its own number skips a name that is held).
class AbstractName {
public:
    AbstractName() = default;
    explicit AbstractName(int display);
    AbstractName(AbstractName&& o) noexcept;
    AbstractName& operator=(AbstractName&& o) noexcept;
    AbstractName(const AbstractName&) = delete;
    AbstractName& operator=(const AbstractName&) = delete;
    ~AbstractName();

    bool Held() const { return fd_ >= 0; }
    int Display() const { return display_; }
    // Takes connections from now on, as a server starting afresh does: before the
    // client starts, so that its first connection already comes here. False when the
    // name is not held.
    bool Listen();
    // Closes up to `count` connections as they arrive, then refuses again. Returns how
    // many it closed; after the first it waits only briefly for more, since one attempt
    // of a client's may open one connection or two.
    int CloseConnections(int count);

private:
    void Bind();
    void Release();
    int display_ = -1;
    int fd_ = -1;
};

// An Xvfb of the test's own (start-xvfb.sh), ready to accept connections once the
// constructor returns. With abstractSocket it picks its display number itself;
// without, it listens on its socket file only, on a display whose abstract name the
// test holds for the server's whole life (AbstractName).
class Xvfb {
public:
    explicit Xvfb(int width = 1024, int height = 768, bool abstractSocket = true,
                  const std::vector<std::string>& options = {});
    ~Xvfb();
    const std::string& Display() const { return display_; }
    std::string Env() const { return "DISPLAY=" + display_; }
    AbstractName& Abstract() { return abstract_; }

private:
    AbstractName abstract_;
    Child server_;
    std::string display_;
};

void SetResources(const Xvfb& x, const std::string& resources);  // RESOURCE_MANAGER, as xrdb -load sets it

// xdotool against this display; the result's output split into lines.
RunResult Xdotool(const Xvfb& x, const std::vector<std::string>& args, int timeoutMs = 20000);
std::vector<std::string> Lines(const std::string& text);

// Visible windows of a process with exactly this name.
// The requests below about a window that is gone (its client ended, or its connection
// was closed) fail as a request does: nullopt, empty, or false.
std::vector<unsigned long> VisibleWindows(const Xvfb& x, pid_t pid, const std::string& name);

struct Geometry {
    int X = 0, Y = 0, Width = 0, Height = 0;  // X and Y relative to the root
    bool Mapped = false;
};
std::optional<Geometry> WindowGeometry(const Xvfb& x, unsigned long window);
std::string WindowName(const Xvfb& x, unsigned long window);
// A window's _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
std::vector<long> WindowMotifHints(const Xvfb& x, unsigned long window);
// Width and height of each image in a window's _NET_WM_ICON.
std::vector<std::pair<int, int>> WindowIconSizes(const Xvfb& x, unsigned long window);
// 0x00RRGGBB pixels of a window's area, row by row.
std::vector<uint32_t> WindowPixels(const Xvfb& x, unsigned long window, int left, int top, int width, int height);
// What a window manager sends when the user closes a window: WM_PROTOCOLS with
// WM_DELETE_WINDOW (xdotool's windowclose destroys the window instead).
bool SendDeleteWindow(const Xvfb& x, unsigned long window);

// Presses and releases keys with these keysyms in a window, putting each on an unused
// keycode first. xdotool types a character the keymap lacks by remapping a key for a
// moment, and a client that reads its events after the remapping was undone gets no
// character at all.
bool SendKeysyms(const Xvfb& x, unsigned long window, const std::vector<unsigned long>& keysyms);

// Polls until pred holds or timeoutMs passed.
template <class Pred>
bool WaitUntil(Pred pred, int timeoutMs);
bool Sleep(int ms);  // true, for use in conditions

template <class Pred>
bool WaitUntil(Pred pred, int timeoutMs) {
    for (int waited = 0;; waited += 5) {
        if (pred()) return true;
        if (waited >= timeoutMs) return false;
        Sleep(5);
    }
}

// A fresh folder under the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace e2e
